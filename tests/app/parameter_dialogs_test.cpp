// The two parameter dialogs: pre-fill, exchange order, range refusals and copy-back.

#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

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
    void everyOpeningShowsThePrefillAndCopiesBack();
    void cancelStoresThePrefillNotTheRunDefaults();
    void valueReadBeforeARefusedFieldStays();
    void onlyTheFirstInvalidFieldIsReported();
    void boundsAndNumberForms_data();
    void boundsAndNumberForms();
    void unusedThresholdsAreStillValidatedAndStored();
    void searchMethodIsBoundToItsRadioGroup();
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

void ParameterDialogsTest::everyOpeningShowsThePrefillAndCopiesBack() {
    KavriDlg main;
    QStringList shown;
    main.setModalRunner([&](QDialog& dialog) {
        shown << field(dialog, "nObservationsEdit")->text();
        type(dialog, "nObservationsEdit", QStringLiteral("300"));
        dialog.accept();
    });
    main.openModelParameters();
    QCOMPARE(main.settings().model.nObservations, 300);
    QCOMPARE(main.settings().modelDialogCount, 1);

    main.openModelParameters();
    QCOMPARE(shown, QStringList({"450", "450"}));
    QCOMPARE(main.settings().modelDialogCount, 2);
    QCOMPARE(main.settings().gaDialogCount, 0);
}

void ParameterDialogsTest::cancelStoresThePrefillNotTheRunDefaults() {
    KavriDlg main;
    main.setModalRunner([](QDialog& dialog) {
        type(dialog, "pMutationEdit", QStringLiteral("0.5"));
        choose(dialog, "fitnessKindMSE");
        dialog.reject();
    });
    main.openGaParameters();
    const GaParameters& ga = main.settings().ga;
    QCOMPARE(ga.pMutation, 0.001);
    QCOMPARE(ga.pSelection, 0.9);
    QCOMPARE(ga.nIterations, 300);
    QCOMPARE(ga.fitnessKind, kFitnessAic);
    QCOMPARE(ga.criterion, kCriterionAbsolute);
    QCOMPARE(ga.printResiduals, kPrintResidualsYes);
    QCOMPARE(main.settings().gaDialogCount, 1);
}

void ParameterDialogsTest::valueReadBeforeARefusedFieldStays() {
    KavriDlg main;
    QStringList messages;
    main.setModalRunner([&](QDialog& dialog) {
        static_cast<ParKavriDlg&>(dialog).setRefusalHandler(
            [&](const QString& message) { messages << message; });
        type(dialog, "nObservationsEdit", QStringLiteral("300"));
        type(dialog, "maxRegimesEdit", QStringLiteral("7"));
        type(dialog, "minObsEdit", QStringLiteral("25"));
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        dialog.accept();
        QCOMPARE(accepted.count(), 0);
        dialog.reject();
    });
    main.openModelParameters();
    QCOMPARE(messages, QStringList{"Please enter an integer between 1 and 4."});
    QCOMPARE(main.settings().model.nObservations, 300);
    QCOMPARE(main.settings().model.maxRegimes, 4);
    QCOMPARE(main.settings().model.minObs, 30);
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
    QCOMPARE(messages, QStringList{"Please enter an integer between 0 and 1000."});
    QCOMPARE(QApplication::focusWidget(), field(ga, "nIterationsEdit"));
    QVERIFY(ga.isVisible());
    QCOMPARE(ga.values().nChromosomes, 45);
    QCOMPARE(ga.values().pCrossover, 0.9);

    // Radio groups come before the adjusting constant: they are taken when it is refused.
    type(ga, "nIterationsEdit", QStringLiteral("10"));
    choose(ga, "printResidualsNo");
    ga.accept();
    QCOMPARE(messages.last(), QStringLiteral("Please enter a number between 1 and 100000."));
    QCOMPARE(QApplication::focusWidget(), field(ga, "adjustingConstantEdit"));
    QCOMPARE(ga.values().printResiduals, kPrintResidualsNo);
    QCOMPARE(ga.values().adjustingConstant, 1.0);
}

void ParameterDialogsTest::boundsAndNumberForms_data() {
    QTest::addColumn<bool>("modelDialog");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");  // empty: accepted

    const QString observations = QStringLiteral("Please enter an integer between 50 and 1000.");
    QTest::newRow("observations 49") << true << "nObservationsEdit"
                                     << "49" << observations;
    QTest::newRow("observations 50") << true << "nObservationsEdit"
                                     << "50"
                                     << "";
    QTest::newRow("observations 1000") << true << "nObservationsEdit"
                                       << "1000"
                                       << "";
    QTest::newRow("observations 1001") << true << "nObservationsEdit"
                                       << "1001" << observations;
    QTest::newRow("observations blank") << true << "nObservationsEdit"
                                        << "" << observations;
    QTest::newRow("observations padded") << true << "nObservationsEdit"
                                         << " 120 "
                                         << "";
    QTest::newRow("observations exponent") << true << "nObservationsEdit"
                                           << "1e2" << observations;
    QTest::newRow("observations overflow") << true << "nObservationsEdit"
                                           << "99999999999" << observations;
    const QString regimes = QStringLiteral("Please enter an integer between 1 and 4.");
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
    const QString number = QStringLiteral("Please enter a number.");
    QTest::newRow("threshold text") << true << "threshold2Edit"
                                    << "abc" << number;
    QTest::newRow("threshold nan") << true << "threshold2Edit"
                                   << "nan" << number;
    QTest::newRow("threshold inf") << true << "threshold2Edit"
                                   << "-inf" << number;
    QTest::newRow("threshold exponent") << true << "threshold2Edit"
                                        << "-1.5e-3"
                                        << "";

    const QString constant = QStringLiteral("Please enter a number between 1 and 100000.");
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
    const QString probability = QStringLiteral("Please enter a number between 0 and 1.");
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
    QCOMPARE(messages, QStringList{"Please enter a number."});
    QCOMPARE(model.values().selectModel, kSelectModelSearch);
    QCOMPARE(model.values().thresholds[0], 0.25);
    QCOMPARE(model.values().nPredictions, 50);

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

QTEST_MAIN(ParameterDialogsTest)
#include "parameter_dialogs_test.moc"
