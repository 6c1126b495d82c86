// The two parameter dialogs: pre-fill and later openings, exchange order, range refusals,
// storing on OK only, the seed, the series file chooser and the tooltips.

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/kavri_dlg.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"

using namespace kavri;

namespace {

QLineEdit* field(QDialog& dialog, const char* name) {
    auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (edit == nullptr) {
        qFatal("no field %s", name);
    }
    return edit;
}

void type(QDialog& dialog, const char* name, const QString& text) {
    field(dialog, name)->setText(text);
}

void choose(QDialog& dialog, const char* buttonName) {
    dialog.findChild<QRadioButton*>(QString::fromLatin1(buttonName))->setChecked(true);
}

}  // namespace

class ParameterDialogsTest : public QObject {
    Q_OBJECT

 private slots:
    void fieldsShowThePrefillInShortestForm();
    void firstOpeningShowsThePrefillLaterOnesTheStoredValues();
    void cancelEscapeAndCloseBoxLeaveTheSettingsAsTheyWere();
    void refusedOkStoresNothing();
    void onlyTheFirstInvalidFieldIsReported();
    void boundsAndNumberForms_data();
    void boundsAndNumberForms();
    void unusedThresholdsAreStillValidatedAndStored();
    void searchMethodIsBoundToItsRadioGroup();
    void browseFillsTheSeriesPath();
    void everyParameterFieldExplainsItselfAndItsRange();
    void startingValuesNotInForceAreMarkedUntilAccepted();
    void modelDialogChoosesTheColumnAndSampleFromThePreview();
    void previewSourceCanBeReplaced();
    void modelFormIsReadAndCheckedByTheRunsRule();
    void lagsAndTrendAreReadByTheCommandLinesRule();
    void thresholdVariableOffersTheOtherNumericColumns();
};

void ParameterDialogsTest::fieldsShowThePrefillInShortestForm() {
    ParKavriDlg model;
    QCOMPARE(model.windowTitle(), QStringLiteral("Parameter of KAVRI Model"));
    QCOMPARE(field(model, "nObservationsEdit")->text(), QStringLiteral("450"));
    QCOMPARE(field(model, "seriesPathEdit")->text(), QStringLiteral("ExchangeRate.txt"));
    QCOMPARE(field(model, "threshold1Edit")->text(), QStringLiteral("0"));
    QVERIFY(model.findChild<QRadioButton*>("selectModelNo")->isChecked());
    QVERIFY(model.values() == modelPrefill());

    ParGenAlgDlg ga;
    QCOMPARE(ga.windowTitle(), QStringLiteral("Parameter of Genetic Algorithm"));
    QCOMPARE(field(ga, "pCrossoverEdit")->text(), QStringLiteral("0.9"));
    QCOMPARE(field(ga, "pMutationEdit")->text(), QStringLiteral("0.001"));
    QCOMPARE(field(ga, "adjustingConstantEdit")->text(), QStringLiteral("1"));
    QCOMPARE(field(ga, "nIterationsEdit")->text(), QStringLiteral("300"));
    for (const char* name :
         {"printResidualsYes", "criterionAbsolute", "fitnessKindAIC", "searchMethodGenetic"}) {
        QVERIFY2(ga.findChild<QRadioButton*>(name)->isChecked(), name);
    }
    QVERIFY(ga.values() == gaPrefill());
}

void ParameterDialogsTest::firstOpeningShowsThePrefillLaterOnesTheStoredValues() {
    KavriDlg main;
    QStringList shown;
    main.setModalRunner([&](QDialog& dialog) {
        shown << field(dialog, "nObservationsEdit")->text() << field(dialog, "delayEdit")->text();
        type(dialog, "nObservationsEdit", QStringLiteral("300"));
        dialog.accept();
    });
    main.openModelParameters();
    QCOMPARE(main.settings().model.nObservations, 300);
    QCOMPARE(main.settings().modelDialogCount, 1);

    main.openModelParameters();
    QCOMPARE(shown, QStringList({"450", "1", "300", "1"}));
    QCOMPARE(main.settings().modelDialogCount, 2);
    QCOMPARE(main.settings().gaDialogCount, 0);

    // The genetic dialog likewise, its seed included.
    QStringList seeds;
    main.setModalRunner([&](QDialog& dialog) {
        seeds << field(dialog, "seedEdit")->text() << field(dialog, "pMutationEdit")->text();
        type(dialog, "seedEdit", QStringLiteral(" 4294967295 "));
        type(dialog, "pMutationEdit", QStringLiteral("0.25"));
        dialog.accept();
    });
    main.openGaParameters();
    main.openGaParameters();
    QCOMPARE(seeds, QStringList({"", "0.001", "4294967295", "0.25"}));
    QCOMPARE(main.seed(), std::optional<std::uint32_t>(4294967295u));
    QCOMPARE(main.settings().ga.pMutation, 0.25);

    main.setModalRunner([&](QDialog& dialog) {
        type(dialog, "seedEdit", QString());
        dialog.accept();
    });
    main.openGaParameters();
    QVERIFY(!main.seed().has_value());
}

void ParameterDialogsTest::cancelEscapeAndCloseBoxLeaveTheSettingsAsTheyWere() {
    KavriDlg main;
    const RunSettings untouched = main.settings();
    main.setModalRunner([](QDialog& dialog) {
        type(dialog, "pMutationEdit", QStringLiteral("0.5"));
        choose(dialog, "fitnessKindMSE");
        dialog.reject();
    });
    main.openGaParameters();
    // Not an opening: the run still applies the genetic run defaults.
    QVERIFY(main.settings() == untouched);
    QCOMPARE(main.settings().gaDialogCount, 0);

    main.setModalRunner([](QDialog& dialog) {
        type(dialog, "pMutationEdit", QStringLiteral("0.5"));
        type(dialog, "seedEdit", QStringLiteral("7"));
        dialog.accept();
    });
    main.openGaParameters();
    const RunSettings stored = main.settings();
    QCOMPARE(stored.ga.pMutation, 0.5);
    QCOMPARE(stored.gaDialogCount, 1);

    // After OK, every way of leaving without OK keeps what that OK stored.
    using Leave = std::function<void(QDialog&)>;
    const QList<Leave> leaves = {
        [](QDialog& dialog) { dialog.findChild<QPushButton*>("cancelButton")->click(); },
        [](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](QDialog& dialog) { dialog.close(); },
    };
    for (const Leave& leave : leaves) {
        main.setModalRunner([&](QDialog& dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(field(dialog, "pMutationEdit")->text(), QStringLiteral("0.5"));
            type(dialog, "pMutationEdit", QStringLiteral("0.75"));
            type(dialog, "nIterationsEdit", QStringLiteral("5"));
            type(dialog, "seedEdit", QString());
            choose(dialog, "searchMethodExact");
            leave(dialog);
            QVERIFY(!dialog.isVisible());
        });
        main.openGaParameters();
        QVERIFY(main.settings() == stored);
        QCOMPARE(main.seed(), std::optional<std::uint32_t>(7u));
    }
}

void ParameterDialogsTest::refusedOkStoresNothing() {
    KavriDlg main;
    const RunSettings untouched = main.settings();
    QStringList messages;
    bool correct = false;
    main.setModalRunner([&](QDialog& dialog) {
        static_cast<ParKavriDlg&>(dialog).setRefusalHandler(
            [&](const QString& message) { messages << message; });
        type(dialog, "nObservationsEdit", QStringLiteral("300"));
        type(dialog, "maxRegimesEdit", QStringLiteral("7"));
        type(dialog, "minObsEdit", QStringLiteral("25"));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.accept();
        QCOMPARE(accepted.count(), 0);
        QVERIFY(static_cast<ParKavriDlg&>(dialog).values() == modelPrefill());
        if (correct) {
            type(dialog, "maxRegimesEdit", QStringLiteral("3"));
            dialog.accept();
            QCOMPARE(accepted.count(), 1);
        } else {
            dialog.reject();
        }
    });
    main.openModelParameters();
    QCOMPARE(messages, QStringList{"Max Regimes: Please enter an integer between 1 and 4."});
    QVERIFY(main.settings() == untouched);

    // Corrected, the next OK stores every field, the ones before the refused field included.
    correct = true;
    main.openModelParameters();
    QCOMPARE(main.settings().model.nObservations, 300);
    QCOMPARE(main.settings().model.maxRegimes, 3);
    QCOMPARE(main.settings().model.minObs, 25);
    QCOMPARE(main.settings().modelDialogCount, 1);
}

void ParameterDialogsTest::onlyTheFirstInvalidFieldIsReported() {
    ParGenAlgDlg ga;
    QStringList messages;
    ga.setRefusalHandler([&](const QString& message) { messages << message; });
    ga.show();
    QVERIFY(QTest::qWaitForWindowActive(&ga));
    type(ga, "nChromosomesEdit", QStringLiteral("45"));
    type(ga, "nIterationsEdit", QStringLiteral("1001"));
    type(ga, "pCrossoverEdit", QStringLiteral("0.5"));
    type(ga, "adjustingConstantEdit", QStringLiteral("0.5"));
    ga.accept();
    QCOMPARE(messages, QStringList{"N. Iteration: Please enter an integer between 0 and 1000."});
    QCOMPARE(QApplication::focusWidget(), field(ga, "nIterationsEdit"));
    QVERIFY(ga.isVisible());
    QVERIFY(ga.values() == gaPrefill());

    // Radio groups come before the adjusting constant: they pass, yet nothing is stored while
    // a later field is refused.
    type(ga, "nIterationsEdit", QStringLiteral("10"));
    choose(ga, "printResidualsNo");
    ga.accept();
    QCOMPARE(messages.last(),
             QStringLiteral("Adjusting Constant: Please enter a number between 1 and 100000."));
    QCOMPARE(QApplication::focusWidget(), field(ga, "adjustingConstantEdit"));
    QVERIFY(ga.values() == gaPrefill());

    // The seed comes last.
    type(ga, "adjustingConstantEdit", QStringLiteral("2"));
    type(ga, "seedEdit", QStringLiteral("-1"));
    ga.accept();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(QApplication::focusWidget(), field(ga, "seedEdit"));
    QVERIFY(ga.isVisible());
}

void ParameterDialogsTest::boundsAndNumberForms_data() {
    QTest::addColumn<bool>("modelDialog");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");  // empty: accepted

    // The dialog takes as many observations as kavri-cli; every refusal names its field.
    const QString observations =
        QStringLiteral("N. Observation: Please enter an integer between 50 and 1000000.");
    QTest::newRow("observations 49") << true << "nObservationsEdit"
                                     << "49" << observations;
    QTest::newRow("observations 50") << true << "nObservationsEdit"
                                     << "50"
                                     << "";
    QTest::newRow("observations 1000") << true << "nObservationsEdit"
                                       << "1000"
                                       << "";
    QTest::newRow("observations 1001") << true << "nObservationsEdit"
                                       << "1001"
                                       << "";
    QTest::newRow("observations 1000000") << true << "nObservationsEdit"
                                          << "1000000"
                                          << "";
    QTest::newRow("observations 1000001") << true << "nObservationsEdit"
                                          << "1000001" << observations;
    QTest::newRow("observations blank") << true << "nObservationsEdit"
                                        << "" << observations;
    QTest::newRow("observations padded") << true << "nObservationsEdit"
                                         << " 120 "
                                         << "";
    QTest::newRow("observations exponent") << true << "nObservationsEdit"
                                           << "1e2" << observations;
    QTest::newRow("observations overflow") << true << "nObservationsEdit"
                                           << "99999999999" << observations;
    const QString regimes = QStringLiteral("Max Regimes: Please enter an integer between 1 and 4.");
    QTest::newRow("regimes 0") << true << "maxRegimesEdit"
                               << "0" << regimes;
    QTest::newRow("regimes 1") << true << "maxRegimesEdit"
                               << "1"
                               << "";
    QTest::newRow("regimes 4") << true << "maxRegimesEdit"
                               << "4"
                               << "";
    QTest::newRow("regimes 5") << true << "maxRegimesEdit"
                               << "5" << regimes;
    const QString number = QStringLiteral("Threshold 2: Please enter a number.");
    QTest::newRow("threshold text") << true << "threshold2Edit"
                                    << "abc" << number;
    QTest::newRow("threshold nan") << true << "threshold2Edit"
                                   << "nan" << number;
    QTest::newRow("threshold inf") << true << "threshold2Edit"
                                   << "-inf" << number;
    QTest::newRow("threshold exponent") << true << "threshold2Edit"
                                        << "-1.5e-3"
                                        << "";

    const QString constant =
        QStringLiteral("Adjusting Constant: Please enter a number between 1 and 100000.");
    QTest::newRow("constant 0.5") << false << "adjustingConstantEdit"
                                  << "0.5" << constant;
    QTest::newRow("constant 1") << false << "adjustingConstantEdit"
                                << "1"
                                << "";
    QTest::newRow("constant 100000") << false << "adjustingConstantEdit"
                                     << "100000"
                                     << "";
    QTest::newRow("constant above") << false << "adjustingConstantEdit"
                                    << "100000.5" << constant;
    const QString probability =
        QStringLiteral("Probability of Mutation: Please enter a number between 0 and 1.");
    QTest::newRow("mutation 1.5") << false << "pMutationEdit"
                                  << "1.5" << probability;
    QTest::newRow("mutation 0") << false << "pMutationEdit"
                                << "0"
                                << "";
    QTest::newRow("mutation 1") << false << "pMutationEdit"
                                << "1"
                                << "";
    QTest::newRow("mutation comma") << false << "pMutationEdit"
                                    << "0,5" << probability;
    QTest::newRow("chromosomes 0") << false << "nChromosomesEdit"
                                   << "0"
                                   << "";
    QTest::newRow("iterations 0") << false << "nIterationsEdit"
                                  << "0"
                                  << "";
    const QString seed = QStringLiteral(
        "Seed: Please enter an integer between 0 and 4294967295, or leave the field empty for a "
        "seed "
        "from the clock.");
    QTest::newRow("seed empty") << false << "seedEdit"
                                << "  "
                                << "";
    QTest::newRow("seed 0") << false << "seedEdit"
                            << "0"
                            << "";
    QTest::newRow("seed largest") << false << "seedEdit"
                                  << "4294967295"
                                  << "";
    QTest::newRow("seed above") << false << "seedEdit"
                                << "4294967296" << seed;
    QTest::newRow("seed negative") << false << "seedEdit"
                                   << "-1" << seed;
    QTest::newRow("seed text") << false << "seedEdit"
                               << "12a" << seed;
}

void ParameterDialogsTest::boundsAndNumberForms() {
    QFETCH(bool, modelDialog);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, refusal);

    ParKavriDlg model;
    ParGenAlgDlg ga;
    QStringList messages;
    model.setRefusalHandler([&](const QString& message) { messages << message; });
    ga.setRefusalHandler([&](const QString& message) { messages << message; });
    QDialog& dialog = modelDialog ? static_cast<QDialog&>(model) : static_cast<QDialog&>(ga);
    type(dialog, name.toLatin1().constData(), text);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.accept();
    if (refusal.isEmpty()) {
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0)));
        QCOMPARE(accepted.count(), 1);
    } else {
        QCOMPARE(messages, QStringList{refusal});
        QCOMPARE(accepted.count(), 0);
    }
}

void ParameterDialogsTest::unusedThresholdsAreStillValidatedAndStored() {
    ParKavriDlg model;
    QStringList messages;
    model.setRefusalHandler([&](const QString& message) { messages << message; });
    type(model, "threshold1Edit", QStringLiteral("0.25"));
    type(model, "threshold2Edit", QStringLiteral("x"));
    type(model, "nPredictionsEdit", QStringLiteral("0"));
    model.accept();
    QCOMPARE(messages, QStringList{"Threshold 2: Please enter a number."});
    QCOMPARE(model.values().selectModel, kSelectModelSearch);
    QVERIFY(model.values() == modelPrefill());

    type(model, "threshold2Edit", QStringLiteral("-0.5"));
    type(model, "threshold3Edit", QStringLiteral("-0.5"));
    model.accept();
    QCOMPARE(model.values().thresholds, (std::array<double, 3>{0.25, -0.5, -0.5}));
    QCOMPARE(model.values().nPredictions, 0);
}

void ParameterDialogsTest::searchMethodIsBoundToItsRadioGroup() {
    ParGenAlgDlg ga;
    choose(ga, "searchMethodExact");
    choose(ga, "criterionRelative");
    ga.accept();
    QCOMPARE(ga.values().searchMethod, kSearchExact);
    QCOMPARE(ga.values().criterion, kCriterionRelative);
    QCOMPARE(ga.values().fitnessKind, kFitnessAic);
}

void ParameterDialogsTest::browseFillsTheSeriesPath() {
    ParKavriDlg model;
    QStringList offered;
    QString answer = QStringLiteral("/data/rates.csv");
    model.setFileChooser([&](const QString& current) {
        offered << current;
        return answer;
    });
    auto* browse = model.findChild<QPushButton*>("browseButton");
    QCOMPARE(browse->text(), QStringLiteral("Browse..."));
    QVERIFY(!browse->autoDefault());
    browse->click();
    QCOMPARE(field(model, "seriesPathEdit")->text(), QStringLiteral("/data/rates.csv"));

    // A chooser closed without a file leaves the path as it was.
    answer.clear();
    browse->click();
    QCOMPARE(offered, QStringList({"ExchangeRate.txt", "/data/rates.csv"}));
    QCOMPARE(field(model, "seriesPathEdit")->text(), QStringLiteral("/data/rates.csv"));
    model.accept();
    QCOMPARE(model.values().seriesPath, std::string("/data/rates.csv"));
}

void ParameterDialogsTest::everyParameterFieldExplainsItselfAndItsRange() {
    ParKavriDlg model;
    ParGenAlgDlg ga;
    for (QDialog* dialog : {static_cast<QDialog*>(&model), static_cast<QDialog*>(&ga)}) {
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            QVERIFY2(!edit->toolTip().isEmpty(), qPrintable(edit->objectName()));
        }
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>()) {
            if (frame->title() != QStringLiteral("Threshold select of user")) {
                QVERIFY2(!frame->toolTip().isEmpty(), qPrintable(frame->title()));
            }
        }
    }
    QVERIFY(field(model, "maxOrderEdit")->toolTip().contains("orders 1 to P-1 are tried"));
    QVERIFY(field(model, "maxOrderEdit")->toolTip().endsWith("An integer from 1 to 20."));
    QVERIFY(field(model, "nObservationsEdit")->toolTip().endsWith("from 50 to 1000000."));
    QVERIFY(field(ga, "adjustingConstantEdit")->toolTip().endsWith("A number from 1 to 100000."));
    QVERIFY(field(ga, "seedEdit")->toolTip().contains("kavri-cli --seed"));
}

// "Orders" and "Terms" set the model's form as --orders and --include do; what the run would
// refuse, OK refuses with the run's own words; the defaults leave the form as it was.
void ParameterDialogsTest::modelFormIsReadAndCheckedByTheRunsRule() {
    ParKavriDlg model;
    QStringList messages;
    model.setRefusalHandler([&](const QString& message) { messages << message; });
    QCOMPARE(field(model, "ordersEdit")->text(), QString());
    auto* terms = model.findChild<QComboBox*>(QStringLiteral("termsCombo"));
    QCOMPARE(terms->currentText(), QStringLiteral("Constant"));
    model.accept();
    QVERIFY(messages.isEmpty());
    QVERIFY(model.form() == ModelForm{});

    // Per-regime orders need the thresholds given or the exact search.
    type(model, "ordersEdit", QStringLiteral("3,1"));
    model.accept();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.back().startsWith("One fixed order per regime fixes the number of regimes, "
                                        "which the genetic search may lower"),
             qPrintable(messages.back()));
    QVERIFY(model.form() == ModelForm{});

    // Above the maximum order less one (the prefill's maximum order is 4).
    type(model, "ordersEdit", QStringLiteral("4"));
    model.accept();
    QVERIFY2(messages.back().startsWith("The fixed order 4 is not one the model can fit"),
             qPrintable(messages.back()));
    type(model, "ordersEdit", QStringLiteral("2,x"));
    model.accept();
    QVERIFY2(messages.back().startsWith("Orders: expects one to 4 whole numbers"),
             qPrintable(messages.back()));
    QCOMPARE(messages.size(), 3);

    // Thresholds given, one order per regime, no constant.
    choose(model, "selectModelYes");
    type(model, "nThresholdsEdit", QStringLiteral("1"));
    type(model, "ordersEdit", QStringLiteral(" 3, 1 "));
    terms->setCurrentIndex(terms->findText(QStringLiteral("None")));
    model.accept();
    QCOMPARE(messages.size(), 3);
    ModelForm expected;
    expected.nFixedOrders = 2;
    expected.fixedOrders = {3, 1, 0, 0};
    expected.constant = false;
    QVERIFY(model.form() == expected);

    // Shown again as stored; the exact search in force fits one order for every regime without
    // a constant, and one order per regime (exactly that many regimes).
    ParKavriDlg again;
    again.setRefusalHandler([&](const QString& message) { messages << message; });
    again.setForm(expected);
    QCOMPARE(field(again, "ordersEdit")->text(), QStringLiteral("3,1"));
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("termsCombo"))->currentText(),
             QStringLiteral("None"));
    GaParameters exact = gaRunDefaults();
    exact.searchMethod = kSearchExact;
    again.setGaInForce(exact);
    type(again, "ordersEdit", QStringLiteral("2"));
    again.accept();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(again.form().nFixedOrders, 1);
    QCOMPARE(again.form().fixedOrders[0], 2);
    QVERIFY(!again.form().constant);
    type(again, "ordersEdit", QStringLiteral("3,1"));
    again.accept();
    QCOMPARE(messages.size(), 3);
    QVERIFY(again.form() == expected);
}

// "Lags" is read and bounded by the rule of kavri-cli's --lags, with its words in the dialog's
// names; "Constant and trend" is --include trend; the refusals keep what was stored.
void ParameterDialogsTest::lagsAndTrendAreReadByTheCommandLinesRule() {
    ParKavriDlg model;
    QStringList messages;
    model.setRefusalHandler([&](const QString& message) { messages << message; });
    QCOMPARE(field(model, "lagsEdit")->text(), QString());
    auto* terms = model.findChild<QComboBox*>(QStringLiteral("termsCombo"));
    QCOMPARE(terms->count(), 3);

    type(model, "lagsEdit", QStringLiteral("1,2,x"));
    model.accept();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.back(),
             QStringLiteral("Lags expects whole numbers from 1 to 19 separated by commas, such as "
                            "1,2,12, got \"1,2,x\""));
    type(model, "lagsEdit", QStringLiteral("2, 1"));
    model.accept();
    QCOMPARE(messages.back(),
             QStringLiteral("Lags expects distinct lags in ascending order (orders count them "
                            "from the first), got \"2, 1\""));
    // The prefill's Max Order AR is 4: lag 12 needs 13.
    type(model, "lagsEdit", QStringLiteral("1, 2, 12"));
    model.accept();
    QCOMPARE(messages.back(), QStringLiteral("Lags expects lags below Max Order AR 4, got 12; "
                                             "raise Max Order AR to 13 or more"));
    type(model, "maxOrderEdit", QStringLiteral("13"));
    type(model, "ordersEdit", QStringLiteral("4"));
    model.accept();
    QCOMPARE(messages.back(), QStringLiteral("Orders counts the lags of Lags, so each order runs "
                                             "from 1 to 3, got 4"));
    QCOMPARE(messages.size(), 4);
    QVERIFY(model.form() == ModelForm{});

    // Accepted: the lags, one order, a constant and a trend, searched by the genetic algorithm.
    type(model, "ordersEdit", QString());
    terms->setCurrentIndex(terms->findText(QStringLiteral("Constant and trend")));
    model.accept();
    QCOMPARE(messages.size(), 4);
    ModelForm expected;
    expected.nLags = 3;
    expected.lags[0] = 1;
    expected.lags[1] = 2;
    expected.lags[2] = 12;
    expected.trend = true;
    QVERIFY(model.form() == expected);

    // Shown again as stored; the comparison of "Regimes and delay" fits a trend, and refuses one
    // order per regime, whose number of regimes it cannot compare.
    ParKavriDlg again;
    again.setRefusalHandler([&](const QString& message) { messages << message; });
    again.setForm(expected);
    QCOMPARE(field(again, "lagsEdit")->text(), QStringLiteral("1,2,12"));
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("termsCombo"))->currentText(),
             QStringLiteral("Constant and trend"));
    type(again, "maxOrderEdit", QStringLiteral("13"));
    type(again, "lagsEdit", QString());
    auto* selection = again.findChild<QComboBox*>(QStringLiteral("selectionCombo"));
    selection->setCurrentIndex(1);
    again.accept();
    QCOMPARE(messages.size(), 4);
    QCOMPARE(again.selection(), std::optional<SelectionCriterion>(SelectionCriterion::kAic));
    type(again, "ordersEdit", QStringLiteral("3,1"));
    again.accept();
    QCOMPARE(messages.size(), 5);
    QVERIFY2(messages.back().contains("fixes the number of regimes"), qPrintable(messages.back()));
    // One order for every regime is within the comparison's reach.
    again.findChild<QComboBox*>(QStringLiteral("termsCombo"))->setCurrentIndex(0);
    type(again, "ordersEdit", QStringLiteral("2"));
    again.accept();
    QCOMPARE(messages.size(), 5);
    QCOMPARE(again.selection(), std::optional<SelectionCriterion>(SelectionCriterion::kAic));
    QCOMPARE(again.form().fixedOrders[0], 2);
}

// "Threshold variable": the own lag, its change, and the numeric columns of the table other
// than the series' own; a plain file offers the first two only.
void ParameterDialogsTest::thresholdVariableOffersTheOtherNumericColumns() {
    const auto table = [](const std::string&) {
        SeriesPreview preview;
        preview.layout = "comma-separated table with a header line";
        preview.table = true;
        PreviewColumn date{"date", "1 \"date\"", 10, 0, "a", "b", false, false};
        PreviewColumn returns{"returns", "2 \"returns\"", 10, 0, "a", "b", false, true};
        PreviewColumn volatility{"abs_returns", "3 \"abs_returns\"", 10, 0, "a", "b", true, true};
        preview.columns = {date, returns, volatility};
        return preview;
    };
    const auto entries = [](QComboBox* combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        return texts;
    };
    ParKavriDlg model;
    model.setPreviewSource(table);
    auto* variable = model.findChild<QComboBox*>(QStringLiteral("thresholdVariableCombo"));
    auto* column = model.findChild<QComboBox*>(QStringLiteral("columnCombo"));
    // The automatic column (the last) is the series.
    QCOMPARE(entries(variable),
             QStringList({"Own lag x[t-d]", "Change (x[t-d] - x[t-d-1])", "2 \"returns\""}));
    QCOMPARE(variable->currentIndex(), 0);
    column->setCurrentIndex(column->findData(QStringLiteral("returns")));
    QCOMPARE(entries(variable),
             QStringList({"Own lag x[t-d]", "Change (x[t-d] - x[t-d-1])", "3 \"abs_returns\""}));
    variable->setCurrentIndex(2);
    QVERIFY(model.thresholdVariable() == ThresholdVariable{});  // until OK
    model.accept();
    QCOMPARE(model.result(), int(QDialog::Accepted));
    QVERIFY((model.thresholdVariable() ==
             ThresholdVariable{ThresholdVariableKind::kColumn, "abs_returns"}));

    // Shown again as stored, and kept when the preview is read again.
    ParKavriDlg again(modelPrefill(), SeriesChoice{"returns", 0, false}, nullptr);
    again.setThresholdVariable({ThresholdVariableKind::kColumn, "abs_returns"});
    again.setPreviewSource(table);
    auto* shown = again.findChild<QComboBox*>(QStringLiteral("thresholdVariableCombo"));
    QCOMPARE(shown->currentText(), QStringLiteral("3 \"abs_returns\""));
    again.accept();
    QCOMPARE(again.thresholdVariable().column, std::string("abs_returns"));

    // A plain file of numbers has no other column; its change is offered.
    ParKavriDlg plain;
    plain.setPreviewSource([](const std::string&) {
        SeriesPreview preview;
        preview.layout = "plain numbers";
        preview.columns.push_back({"", "values", 10, 0, "1", "2", true, true});
        return preview;
    });
    auto* plainVariable = plain.findChild<QComboBox*>(QStringLiteral("thresholdVariableCombo"));
    QCOMPARE(plainVariable->count(), 2);
    plainVariable->setCurrentIndex(1);
    plain.accept();
    QVERIFY(plain.thresholdVariable().kind == ThresholdVariableKind::kDifference);
}

QTEST_MAIN(ParameterDialogsTest)
#include "parameter_dialogs_test.moc"

namespace {

QLabel* note(QDialog& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("startingValuesNote"));
}

bool markedNotInForce(QWidget* widget) { return widget->property("notInForce").toBool(); }

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

}  // namespace

void ParameterDialogsTest::startingValuesNotInForceAreMarkedUntilAccepted() {
    KavriDlg main;
    QString firstNote;
    QStringList marked;
    bool firstHidden = true;
    main.setModalRunner([&](QDialog& dialog) {
        firstHidden = note(dialog)->isHidden();
        firstNote = note(dialog)->text();
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            if (markedNotInForce(widget)) marked << widget->objectName();
        }
        field(dialog, "seedEdit")->setText(QString());
        choose(dialog, "searchMethodExact");
        dialog.accept();
    });
    main.openGaParameters();
    // The pre-fill is shown, and what the run would use instead is said and marked.
    QVERIFY(!firstHidden);
    for (const char* inForce :
         {"N. Iteration 100", "Probability of Mutation 0.01", "Probability of Selection 0.6",
          "Print Residual No", "Criter Relative", "Fitness MSE"}) {
        QVERIFY2(firstNote.contains(QString::fromLatin1(inForce)), qPrintable(firstNote));
    }
    QVERIFY(!firstNote.contains(QStringLiteral("N. Chromosome")));
    marked.sort();
    QCOMPARE(marked, QStringList({"criterionFrame", "fitnessKindFrame", "nIterationsEdit",
                                  "pMutationEdit", "pSelectionEdit", "printResidualsFrame"}));
    // Accepting puts what was shown in force; from then on nothing is marked.
    QCOMPARE(main.settings().ga.fitnessKind, kFitnessAic);
    QCOMPARE(main.settings().ga.nIterations, 300);
    main.setModalRunner([&](QDialog& dialog) {
        QVERIFY(note(dialog)->isHidden());
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            QVERIFY2(!markedNotInForce(widget), qPrintable(widget->objectName()));
        }
        dialog.reject();
    });
    main.openGaParameters();

    // The model dialog's pre-fill is what the run uses: it says so, and marks nothing.
    main.setModalRunner([&](QDialog& dialog) {
        QVERIFY(!note(dialog)->isHidden());
        QVERIFY(note(dialog)->text().contains(QStringLiteral("uses them as shown")));
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            QVERIFY2(!markedNotInForce(widget), qPrintable(widget->objectName()));
        }
        dialog.reject();
    });
    main.openModelParameters();
}

void ParameterDialogsTest::modelDialogChoosesTheColumnAndSampleFromThePreview() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("rates.csv"));
    QByteArray text = "year,output,rate\n";
    for (int year = 1900; year < 1960; ++year) {
        text += QByteArray::number(year) + "," + QByteArray::number(year % 7) + "," +
                (year == 1910 ? QByteArray("NA") : QByteArray::number(year % 5)) + "\n";
    }
    writeText(path, text);

    KavriDlg main;
    QStringList columns;
    QStringList preview;
    main.setModalRunner([&](QDialog& dialog) {
        auto& model = static_cast<ParKavriDlg&>(dialog);
        type(dialog, "seriesPathEdit", path);
        model.refreshPreview();
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("columnCombo"));
        for (int i = 0; i < combo->count(); ++i) columns << combo->itemText(i);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("previewTable"));
        for (int c = 0; c < table->columnCount(); ++c) preview << table->item(2, c)->text();
        combo->setCurrentIndex(combo->findData(QStringLiteral("output")));
        choose(dialog, "sampleMostRecent");
        type(dialog, "nObservationsEdit", QStringLiteral("50"));
        type(dialog, "nPredictionsEdit", QStringLiteral("5"));
        dialog.accept();
    });
    main.openModelParameters();
    QCOMPARE(columns,
             QStringList({"Automatic (3 \"rate\")", "1 \"year\"", "2 \"output\"", "3 \"rate\""}));
    // The third column: its values, the missing one, and its ends with their years.
    QCOMPARE(preview, QStringList({"3 \"rate\" (automatic)", "60", "1", "1900: 0", "1959: 4"}));
    QCOMPARE(main.settings().series.column, std::string("output"));
    QVERIFY(main.settings().series.last);

    // The next opening shows the choice; a run reads that column's most recent values.
    main.setModalRunner([&](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("columnCombo"));
        QCOMPARE(combo->currentData().toString(), QStringLiteral("output"));
        QVERIFY(dialog.findChild<QRadioButton*>("sampleMostRecent")->isChecked());
        QVERIFY(!field(dialog, "skipEdit")->isEnabled());
        choose(dialog, "sampleFromStart");
        type(dialog, "skipEdit", QStringLiteral("-1"));
        QStringList messages;
        static_cast<ParKavriDlg&>(dialog).setRefusalHandler(
            [&](const QString& message) { messages << message; });
        dialog.accept();
        QCOMPARE(messages, QStringList{"Skipped values: Please enter an integer between 0 and "
                                       "100000000."});
        type(dialog, "skipEdit", QStringLiteral("3"));
        dialog.accept();
    });
    main.openModelParameters();
    QCOMPARE(main.settings().series.skip, 3);
    QVERIFY(!main.settings().series.last);
    QCOMPARE(main.settings().series.column, std::string("output"));
}

void ParameterDialogsTest::previewSourceCanBeReplaced() {
    ParKavriDlg model;
    std::vector<std::string> asked;
    model.setPreviewSource([&](const std::string& path) {
        asked.push_back(path);
        SeriesPreview preview;
        preview.layout = "comma-separated table with a header line";
        preview.table = true;
        preview.columns.push_back({"close", "1 \"close\"", 10, 2, "a", "b", true, true});
        return preview;
    });
    QCOMPARE(asked, std::vector<std::string>{"ExchangeRate.txt"});
    auto* table = model.findChild<QTableWidget*>(QStringLiteral("previewTable"));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("2"));
    // A stored column the file lacks is kept rather than lost.
    ParKavriDlg stored(modelPrefill(), SeriesChoice{"volume", 0, false}, nullptr);
    auto* combo = stored.findChild<QComboBox*>(QStringLiteral("columnCombo"));
    QCOMPARE(combo->currentData().toString(), QStringLiteral("volume"));
    stored.accept();
    QCOMPARE(stored.seriesChoice().column, std::string("volume"));
}
