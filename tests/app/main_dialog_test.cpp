// The main dialog: layout and wiring of the result fields, runs on OK and on Enter whatever has
// the focus, every run starting from empty texts, a failing run that leaves the window and its
// settings, the status line and the seed, the About box, and input dropped during a run.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/about_dlg.h"
#include "app/forecast_dlg.h"
#include "app/input_blocker.h"
#include "app/kavri_dlg.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"

using namespace kavri;

namespace {

struct FieldBinding {
    const char* objectName;
    std::string ResultTexts::*text;
};

const FieldBinding kBindings[] = {
    {"aicField", &ResultTexts::aicText},
    {"fitnessField", &ResultTexts::fitnessText},
    {"naicField", &ResultTexts::naicText},
    {"estimatePanel1", &ResultTexts::estimatePanel1},
    {"observationField", &ResultTexts::observationText},
    {"estimatePanel2", &ResultTexts::estimatePanel2},
    {"estimatePanel3", &ResultTexts::estimatePanel3},
    {"estimatePanel4", &ResultTexts::estimatePanel4},
    {"thresholdField", &ResultTexts::thresholdText},
    {"residualVarianceField", &ResultTexts::residualVarianceText},
    {"iterationField", &ResultTexts::iterationText},
    {"varianceField", &ResultTexts::varianceText},
    {"regimeVarianceField", &ResultTexts::regimeVarianceText},
    {"rSquareField", &ResultTexts::rSquareText},
    {"mseField", &ResultTexts::mseText},
    {"ljungBoxField", &ResultTexts::ljungBoxText},
};

// What a field shows, one-line fields without the closing line feed of their format.
QString shownText(const KavriDlg& dialog, const char* objectName) {
    if (auto* line = dialog.findChild<QLineEdit*>(objectName)) {
        return line->text();
    }
    return dialog.findChild<QPlainTextEdit*>(objectName)->toPlainText();
}

QWidget* labelled(const KavriDlg& dialog, const QString& text) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text() == text) {
            return label;
        }
    }
    qFatal("no label %s", qPrintable(text));
}

QRect placeOf(const KavriDlg& dialog, QWidget* widget) {
    return QRect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size());
}

// A two-regime autoregression, 130 values written with six decimals: 120 to fit, 10 held out.
// Returns the values exactly as written, so that a threshold typed from them is a value of the
// series.
QStringList writeSeries(const QString& path) {
    QStringList written;
    double x = 0.1;
    unsigned state = 12345u;
    for (int t = 0; t < 130; ++t) {
        state = state * 1103515245u + 12345u;
        const double shock = static_cast<double>((state >> 16) & 0x7fff) / 32767.0 - 0.5;
        x = (x < 0.0 ? 0.6 * x : -0.4 * x) + shock;
        written << QString::asprintf("%.6f", x);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.write(written.join(QLatin1Char('\n')).toLatin1() + "\n");
    return written;
}

// The value of rank `rank` among the first `fittedCount` values, as written.
QString rankedValue(const QStringList& series, int rank, int fittedCount = 120) {
    QStringList fitted = series.mid(0, fittedCount);
    std::sort(fitted.begin(), fitted.end(),
              [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
    return fitted[rank];
}

// A seasonal autoregression x[t] = 0.85 x[t-14] + e[t], 200 values with six decimals: its
// regimes need fourteen lags, more than any panel format of its own holds.
QStringList writeSeasonalSeries(const QString& path) {
    std::vector<double> x;
    QStringList written;
    unsigned state = 2024u;
    for (int t = 0; t < 200; ++t) {
        state = state * 1103515245u + 12345u;
        const double shock = static_cast<double>((state >> 16) & 0x7fff) / 32767.0 - 0.5;
        written << QString::asprintf("%.6f", (t >= 14 ? 0.85 * x[t - 14] : 0.0) + shock);
        x.push_back(written.back().toDouble());
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.write(written.join(QLatin1Char('\n')).toLatin1() + "\n");
    return written;
}

// A modal runner that fills the model dialog for a run at given thresholds.
KavriDlg::ModalRunner givenThresholds(const QString& path, QStringList thresholds, int predictions,
                                      int observations = 120, int maxOrder = 2) {
    return [=](QDialog& dialog) {
        auto* model = qobject_cast<ParKavriDlg*>(&dialog);
        QVERIFY(model != nullptr);
        model->findChild<QLineEdit*>("seriesPathEdit")->setText(path);
        model->findChild<QLineEdit*>("nObservationsEdit")->setText(QString::number(observations));
        model->findChild<QLineEdit*>("maxOrderEdit")->setText(QString::number(maxOrder));
        model->findChild<QRadioButton*>("selectModelYes")->setChecked(true);
        model->findChild<QLineEdit*>("nThresholdsEdit")
            ->setText(QString::number(thresholds.size()));
        for (int i = 0; i < thresholds.size(); ++i) {
            model->findChild<QLineEdit*>(QStringLiteral("threshold%1Edit").arg(i + 1))
                ->setText(thresholds[i]);
        }
        model->findChild<QLineEdit*>("nPredictionsEdit")->setText(QString::number(predictions));
        model->accept();
        QCOMPARE(model->result(), int(QDialog::Accepted));
    };
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

 private slots:
    void windowHasItsCaptionAndArrangement();
    void windowResizesDownToASmallLaptopScreenAndItsFieldsGrow();
    void closingAsksFirstWhenWorkWouldBeLost();
    void aSeriesFileFromOutsideBecomesTheNextRunsSeries();
    void statusLineSaysWhichValuesWereReadAndClearsForTheNextRun();
    void reportHoldsTheWholeResultAsTextAndMarkdown();
    void adviceNamesTheDialogsFieldsNotTheCommandLinesOptions();
    void aSparseRegimeIsWarnedAboutOnTheStatusLine();
    void refreshShowsEachTextInItsOwnField();
    void secondRunShowsNoTextOfTheFirst();
    void orderBeyondTheFormatTableShowsEveryCoefficient();
    void forecastsNeedAModelAndOpenForIt();
    void aFailingRunLeavesTheWindowOpenWithItsSettings();
    void enterRunsWhateverHasTheFocusAlsoAfterADialogCloses();
    void statusLineNamesTheFilesAndItsSeedRepeatsTheRun();
    void thresholdTypedAsShownIsTakenAndSaid();
    void noticeBoxCarriesCaptionIconAndOneButton();
    void escapeAndExitClose();
    void aboutBoxFromTheWindowMenuAndF1();
    void inputIsDroppedWhileBlocked();
    void regimesAndDelayByBicEstimateTheComparisonsBestRow();
    void regimesAndDelayComparisonStopsOnCancelAndKeepsThePreviousRun();

 private:
    QTemporaryDir scratch_;
};

void MainDialogTest::windowHasItsCaptionAndArrangement() {
    KavriDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("KAVRI"));

    auto* ok = dialog.findChild<QPushButton*>("okButton");
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);

    const QRect model = placeOf(dialog, dialog.findChild<QPushButton*>("modelParametersButton"));
    const QRect ga = placeOf(dialog, dialog.findChild<QPushButton*>("gaParametersButton"));
    const QRect iteration = placeOf(dialog, dialog.findChild<QLineEdit*>("iterationField"));
    const QRect fitness = placeOf(dialog, dialog.findChild<QLineEdit*>("fitnessField"));
    const QRect exit = placeOf(dialog, dialog.findChild<QPushButton*>("exitButton"));
    QVERIFY(model.bottom() < ga.top());
    QVERIFY(model.right() < iteration.left() && iteration.right() < placeOf(dialog, ok).left());
    QVERIFY(iteration.bottom() < fitness.top());
    QVERIFY(placeOf(dialog, ok).bottom() < exit.top());

    const QRect frame = placeOf(dialog, dialog.findChild<QGroupBox*>());
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Parameter Estimate"));
    QVERIFY(fitness.bottom() < frame.top());
    const QRect panel1 = placeOf(dialog, dialog.findChild<QPlainTextEdit*>("estimatePanel1"));
    const QRect panel4 = placeOf(dialog, dialog.findChild<QPlainTextEdit*>("estimatePanel4"));
    QVERIFY(panel1.right() < panel4.left() && panel1.bottom() < panel4.top());

    // Right half, row by row: the first name of each pair stands left of the second, and each
    // row below the one before.
    const QStringList pairs = {
        "Variance",  "Residual Variance",  "NAIC",    "AIC", "MSE", "Ljung-Box", "Observation",
        "Threshold", "Variance of Regime", "R Square"};
    int previousBottom = frame.top() - 1;
    for (int i = 0; i < pairs.size(); i += 2) {
        const QRect left = placeOf(dialog, labelled(dialog, pairs[i]));
        const QRect right = placeOf(dialog, labelled(dialog, pairs[i + 1]));
        QVERIFY2(frame.right() < left.left() && left.right() < right.left(), qPrintable(pairs[i]));
        QCOMPARE(left.top(), right.top());
        QVERIFY2(left.top() > previousBottom, qPrintable(pairs[i]));
        previousBottom = left.bottom();
    }
    for (const FieldBinding& binding : kBindings) {
        QWidget* field = dialog.findChild<QWidget*>(binding.objectName);
        QVERIFY2(field != nullptr, binding.objectName);
        QVERIFY(field->property("readOnly").toBool());
    }
}

void MainDialogTest::refreshShowsEachTextInItsOwnField() {
    KavriDlg dialog;
    ResultTexts texts;
    for (const FieldBinding& binding : kBindings) {
        texts.*binding.text = std::string(binding.objectName) + "\n";
    }
    texts.thresholdText = "Soglia:1\n0.5\nSoglia:2\n0.75\n";
    dialog.refresh(texts);
    for (const FieldBinding& binding : kBindings) {
        QString expected = QString::fromStdString(texts.*binding.text);
        if (dialog.findChild<QLineEdit*>(binding.objectName) != nullptr) {
            expected.chop(1);
        }
        QCOMPARE(shownText(dialog, binding.objectName), expected);
    }
}

// After a four-regime run with forecasts, a two-regime run without them shows nothing of the
// first: not its higher panels, nor its MSE.
void MainDialogTest::secondRunShowsNoTextOfTheFirst() {
    const QString path = scratch_.filePath("two_regimes.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    QStringList notices;
    dialog.setNoticeHandler(
        [&](const Notice& notice) { notices << QString::fromStdString(notice.text); });

    dialog.setModalRunner(givenThresholds(
        path, {rankedValue(series, 30), rankedValue(series, 60), rankedValue(series, 90)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QCOMPARE(notices, QStringList());
    const ResultTexts first = dialog.texts();
    QVERIFY(!first.mseText.empty() && !first.estimatePanel4.empty());
    QVERIFY(first.iterationText.empty());
    QCOMPARE(first.varianceText.find('.') + 6, first.varianceText.size());

    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 0));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QCOMPARE(notices, QStringList());
    const ResultTexts second = dialog.texts();
    QVERIFY(second.thresholdText != first.thresholdText);
    QVERIFY(second.estimatePanel1 != first.estimatePanel1);
    QVERIFY(!second.estimatePanel2.empty());
    QCOMPARE(second.mseText, std::string());
    QCOMPARE(second.estimatePanel3, std::string());
    QCOMPARE(second.estimatePanel4, std::string());
    for (const char* shownEmpty : {"mseField", "estimatePanel3", "estimatePanel4"}) {
        QVERIFY2(shownText(dialog, shownEmpty).isEmpty(), shownEmpty);
    }
    // No forecasts, no Predictions.txt: the first run's is removed, and the status line says
    // so; the genetic dialog was never accepted, so the run defaults asked for no residual
    // table, and there is no seed to show.
    QVERIFY(dialog.statusText().contains("Residuals.txt (empty: Print Residual is No)"));
    QVERIFY(dialog.statusText().contains("Removed (an earlier run's, not produced by this run): "));
    QVERIFY(dialog.statusText().endsWith("Predictions.txt"));
    QVERIFY(!dialog.statusText().contains("Seed"));
}

// Fourteen lags in both regimes of a one-threshold model, after a four-regime run: every
// coefficient is shown, each as "%f" on its own line, and the panels above stay empty.
void MainDialogTest::orderBeyondTheFormatTableShowsEveryCoefficient() {
    const QString twoRegimes = scratch_.filePath("two_regimes_again.txt");
    const QStringList first = writeSeries(twoRegimes);
    const QString seasonal = scratch_.filePath("seasonal.txt");
    const QStringList series = writeSeasonalSeries(seasonal);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    dialog.setNoticeHandler([](const Notice& notice) { QFAIL(notice.text.c_str()); });
    dialog.setModalRunner(givenThresholds(
        twoRegimes, {rankedValue(first, 30), rankedValue(first, 60), rankedValue(first, 90)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(!dialog.texts().estimatePanel4.empty());

    dialog.setModalRunner(givenThresholds(seasonal, {rankedValue(series, 90, 180)}, 10, 180, 15));
    dialog.openModelParameters();
    dialog.runModelOnce();
    const ReportedModel& model = dialog.lastOutcome().model;
    QVERIFY(model.available);
    QCOMPARE(model.regimes.size(), std::size_t{2});
    const char* panels[] = {"estimatePanel1", "estimatePanel2"};
    for (int r = 0; r < 2; ++r) {
        const RegimeReport& regime = model.regimes[r];
        QCOMPARE(regime.order, 14);
        const QStringList lines = shownText(dialog, panels[r]).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), regime.order + 2);
        QCOMPARE(lines[0], QStringLiteral(" Regime : %1").arg(r + 1));
        QVERIFY(lines[1].startsWith("Constant") &&
                lines[1].endsWith(QString::asprintf("%f", regime.coefficients[0])));
        for (int k = 1; k <= regime.order; ++k) {
            QVERIFY2(lines[k + 1].startsWith(QStringLiteral("P(%1)").arg(k)) &&
                         lines[k + 1].endsWith(QString::asprintf("%f", regime.coefficients[k])),
                     qPrintable(lines[k + 1]));
        }
    }
    QCOMPARE(shownText(dialog, "estimatePanel3"), QString());
    QCOMPARE(shownText(dialog, "estimatePanel4"), QString());
}

void MainDialogTest::forecastsNeedAModelAndOpenForIt() {
    const QString path = scratch_.filePath("forecast_series.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    auto* button = dialog.findChild<QPushButton*>("forecastsButton");
    QVERIFY(!button->isEnabled());

    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(button->isEnabled());
    int opened = 0;
    dialog.setModalRunner([&](QDialog& shown) {
        auto* forecasts = qobject_cast<ForecastDlg*>(&shown);
        QVERIFY(forecasts != nullptr);
        forecasts->findChild<QSpinBox*>("horizonSpin")->setValue(3);
        forecasts->makeForecasts();
        QVERIFY(forecasts->outcome().has_value());
        QCOMPARE(forecasts->outcome()->forecasts.origin, 130);
        QCOMPARE(forecasts->outcome()->holdout->forecasts.origin, 120);
        ++opened;
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(opened, 1);
    QVERIFY(QFile::exists(scratch_.filePath("Forecasts.txt")));
}

void MainDialogTest::aFailingRunLeavesTheWindowOpenWithItsSettings() {
    const QString missing = scratch_.filePath("no_such_series.txt");
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(missing);
        model.findChild<QLineEdit*>("maxOrderEdit")->setText("3");
        model.accept();
    });
    dialog.openModelParameters();
    const RunSettings before = dialog.settings();
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QSignalSpy finished(&dialog, &QDialog::finished);

    QTest::keyClick(&dialog, Qt::Key_Return);

    QCOMPARE(notices.size(), std::size_t{1});
    QCOMPARE(notices[0].text, "File " + missing.toStdString() + " could not be opened");
    QCOMPARE(notices[0].caption, std::string("Error"));
    QVERIFY(notices[0].icon == NoticeIcon::kStop);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.settings() == before);
    QCOMPARE(dialog.statusText(), "Series: " + QDir::toNativeSeparators(missing) +
                                      "\nThe run ended without a result: File " + missing +
                                      " could not be opened\nNo such file or directory");

    // Ready for the next run, with the settings as they were.
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(notices.size(), std::size_t{2});
    QStringList shownPaths;
    const QStringList series = writeSeries(scratch_.filePath("found.txt"));
    const KavriDlg::ModalRunner correct =
        givenThresholds(scratch_.filePath("found.txt"), {rankedValue(series, 60)}, 10);
    dialog.setModalRunner([&](QDialog& model) {
        shownPaths << model.findChild<QLineEdit*>("seriesPathEdit")->text()
                   << model.findChild<QLineEdit*>("maxOrderEdit")->text();
        correct(model);
    });
    dialog.openModelParameters();
    QCOMPARE(shownPaths, QStringList({missing, "3"}));
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(notices.size(), std::size_t{2});
    QVERIFY(!dialog.texts().estimatePanel2.empty());
    QCOMPARE(finished.count(), 0);
}

// Clicking a parameter button focuses it; once its dialog has closed, Enter must still run
// rather than open the dialog again. So for every control of the window.
void MainDialogTest::enterRunsWhateverHasTheFocusAlsoAfterADialogCloses() {
    KavriDlg dialog;
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(scratch_.filePath("absent.txt"));
        model.accept();
    });
    dialog.openModelParameters();
    // Every run ends at once with its notice, which counts it.
    int runs = 0;
    dialog.setNoticeHandler([&](const Notice&) { ++runs; });
    dialog.setModalRunner([](QDialog& shown) { shown.exec(); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    // Closes whatever dialog opens: accepted when a click opened it, rejected (and counted)
    // when it opened on Enter, so that a fault fails at once instead of waiting on the dialog.
    int opened = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++opened;
            modal->accept();
        }
    });
    closer.start(5);
    for (const char* name : {"modelParametersButton", "gaParametersButton"}) {
        auto* button = dialog.findChild<QPushButton*>(name);
        QTest::mouseClick(button, Qt::LeftButton);
        // The window keeps the button as its focus widget; activated again (by the window
        // manager on a desktop), it gives the button the keyboard focus back.
        QCOMPARE(dialog.focusWidget(), button);
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), button);
        const int before = runs;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(runs, before + 1);
    }
    QCOMPARE(opened, 2);
    QCOMPARE(dialog.settings().gaDialogCount, 1);

    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible()) {
            continue;
        }
        widget->setFocus(Qt::MouseFocusReason);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            const int before = runs;
            QTest::keyClick(QApplication::focusWidget(), key);
            QVERIFY2(runs == before + 1, qPrintable(widget->objectName()));
        }
    }
    QCOMPARE(opened, 2);
    QVERIFY(dialog.isVisible());
}

void MainDialogTest::statusLineNamesTheFilesAndItsSeedRepeatsTheRun() {
    const QString path = scratch_.filePath("searched.txt");
    writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    dialog.setNoticeHandler([](const Notice& notice) { QFAIL(notice.text.c_str()); });
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(path);
        model.findChild<QLineEdit*>("nObservationsEdit")->setText("120");
        model.findChild<QLineEdit*>("maxOrderEdit")->setText("3");
        model.findChild<QLineEdit*>("nPredictionsEdit")->setText("10");
        model.accept();
    });
    dialog.openModelParameters();
    QString seedTyped;
    dialog.setModalRunner([&](QDialog& ga) {
        ga.findChild<QLineEdit*>("nChromosomesEdit")->setText("8");
        ga.findChild<QLineEdit*>("nIterationsEdit")->setText("4");
        ga.findChild<QLineEdit*>("seedEdit")->setText(seedTyped);
        ga.accept();
    });
    dialog.openGaParameters();
    QVERIFY(!dialog.seed().has_value());

    dialog.runModelOnce();
    const std::uint32_t seed = dialog.lastOutcome().seed;
    const ResultTexts first = dialog.texts();
    const QDir folder(scratch_.path());
    QCOMPARE(dialog.statusText(),
             QStringLiteral("Series read: %1, values 1 to 130 of 130\nWritten: %2, %3\nSeed: %4 "
                            "(the same seed and "
                            "settings repeat this run: Seed in Parameter of GA, or kavri-cli "
                            "--seed %4)")
                 .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                      QDir::toNativeSeparators(folder.absoluteFilePath("Residuals.txt")),
                      QDir::toNativeSeparators(folder.absoluteFilePath("Predictions.txt")))
                 .arg(seed));

    seedTyped = QString::number(seed);
    dialog.openGaParameters();
    dialog.runModelOnce();
    QCOMPARE(dialog.lastOutcome().seed, seed);
    QVERIFY(dialog.texts() == first);
}

// A threshold typed with fewer decimals than the file's value stands for it when no other
// fitted value rounds the same; the run goes on and says so in an information box.
void MainDialogTest::thresholdTypedAsShownIsTakenAndSaid() {
    const QString path = scratch_.filePath("typed.txt");
    const QStringList series = writeSeries(path);
    QStringList shown;
    for (int t = 0; t < 120; ++t) shown << QString::number(series[t].toDouble(), 'f', 3);
    QString typed;
    QString value;
    for (int t = 0; t < 120 && typed.isEmpty(); ++t) {
        if (shown.count(shown[t]) == 1 && !series[t].endsWith(QStringLiteral("000"))) {
            typed = shown[t];
            value = series[t];
        }
    }
    QVERIFY(!typed.isEmpty());

    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    dialog.setModalRunner(givenThresholds(path, {typed}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QCOMPARE(notices.size(), std::size_t{1});
    QCOMPARE(
        QString::fromStdString(notices[0].text),
        QStringLiteral("Threshold 1 (%1) is taken as the series value %2, the only fitted "
                       "value that shows as %1 at 3 decimals")
            .arg(typed, QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest)));
    QCOMPARE(notices[0].caption, std::string(kApplicationName));
    QVERIFY(notices[0].icon == NoticeIcon::kNone);
    QVERIFY(!dialog.lastOutcome().notice);
    QVERIFY(dialog.texts().thresholdText.find(value.toStdString()) != std::string::npos);
}

// "Regimes and delay: Lowest BIC" is kavri-cli --select bic: the comparison's best row by BIC,
// estimated at its thresholds and delay, with a remark that says which; the form's own fields
// stay as the user set them for the next run.
void MainDialogTest::regimesAndDelayByBicEstimateTheComparisonsBestRow() {
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    const QString path = QStringLiteral(KAVRI_EXAMPLES_DIR "/ExchangeRate.txt");
    dialog.setModalRunner([&](QDialog& shown) {
        auto* model = qobject_cast<ParKavriDlg*>(&shown);
        QVERIFY(model != nullptr);
        model->findChild<QLineEdit*>("seriesPathEdit")->setText(path);
        auto* selection = model->findChild<QComboBox*>("selectionCombo");
        selection->setCurrentIndex(
            selection->findText(QStringLiteral("Lowest BIC of the comparison")));
        model->accept();
        QCOMPARE(model->result(), int(QDialog::Accepted));
    });
    dialog.openModelParameters();
    QVERIFY(dialog.selection() == SelectionCriterion::kBic);
    const RunSettings before = dialog.settings();
    dialog.runModelOnce();
    QVERIFY(!dialog.lastOutcome().notice);

    RunSettings expected = before;
    applyRunDefaults(expected);
    const Result<CriterionSelection> chosen = selectByCriterion(expected, SelectionCriterion::kBic);
    QVERIFY(chosen.ok());
    const ComparisonRow& row =
        chosen.value().comparison.rows[static_cast<std::size_t>(chosen.value().bestRow)];
    const ReportedModel& model = dialog.lastOutcome().model;
    QCOMPARE(static_cast<int>(model.regimes.size()), row.regimes);
    if (row.regimes > 1) {
        QCOMPARE(model.delay, row.delay);
        QCOMPARE(model.thresholds, row.thresholds);
    }
    QVERIFY(!notices.empty());
    QVERIFY2(QString::fromStdString(notices.front().text)
                 .startsWith(QStringLiteral("The comparison's lowest BIC ")),
             notices.front().text.c_str());
    QVERIFY(dialog.settings() == before);
}

// The comparison of "Regimes and delay" runs with input blocked but for a Cancel button beside
// the status line: a click on it stops the comparison part way, no model is run, and the window
// keeps the previous run's results; a click on OK meanwhile is dropped.
void MainDialogTest::regimesAndDelayComparisonStopsOnCancelAndKeepsThePreviousRun() {
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    const auto chooseSelection = [&](const QString& entry) {
        dialog.setModalRunner([&](QDialog& shown) {
            auto* model = qobject_cast<ParKavriDlg*>(&shown);
            QVERIFY(model != nullptr);
            model->findChild<QLineEdit*>("seriesPathEdit")
                ->setText(QStringLiteral(KAVRI_EXAMPLES_DIR "/setar_simulated.txt"));
            model->findChild<QLineEdit*>("nObservationsEdit")->setText("3000");
            model->findChild<QLineEdit*>("nPredictionsEdit")->setText("100");
            auto* selection = model->findChild<QComboBox*>("selectionCombo");
            selection->setCurrentIndex(selection->findText(entry));
            model->accept();
        });
        dialog.openModelParameters();
    };
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* cancel = dialog.findChild<QPushButton*>("selectionCancelButton");
    QVERIFY(cancel != nullptr);
    QVERIFY(!cancel->isVisible());

    // A first run without the comparison, whose results must survive the cancelled one.
    chooseSelection(QStringLiteral("Search"));
    QVERIFY(!dialog.selection());
    dialog.runModelOnce();
    QVERIFY(dialog.lastOutcome().model.available);
    const ResultTexts firstTexts = dialog.texts();
    const std::vector<double> firstThresholds = dialog.lastOutcome().model.thresholds;
    const QString firstStatus = dialog.statusText();

    chooseSelection(QStringLiteral("Lowest AIC of the comparison"));
    QVERIFY(dialog.selection() == SelectionCriterion::kAic);
    const RunSettings before = dialog.settings();
    // Once the comparison has reported a share done, OK is clicked (dropped) and then Cancel;
    // the shares shown later are recorded.
    QString shareAtCancel;
    QStringList sharesAfterCancel;
    bool cancelSeen = false;
    QTimer watcher;
    watcher.setInterval(1);
    connect(&watcher, &QTimer::timeout, this, [&] {
        const QString status = dialog.statusText();
        if (!status.contains(QStringLiteral("% done"))) {
            return;
        }
        if (cancelSeen) {
            sharesAfterCancel << status;
            return;
        }
        cancelSeen = cancel->isVisible() && cancel->isEnabled();
        shareAtCancel = status;
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watcher.start();
    dialog.runModelOnce();
    watcher.stop();

    QVERIFY(cancelSeen);
    QVERIFY2(!shareAtCancel.contains(QStringLiteral(": 100% done")), qPrintable(shareAtCancel));
    // Stopped at once: no share beyond the one shown when Cancel was clicked.
    for (const QString& later : sharesAfterCancel) {
        QCOMPARE(later, shareAtCancel);
    }
    QVERIFY(!cancel->isVisible());
    QVERIFY(notices.empty());
    QVERIFY(dialog.texts() == firstTexts);
    QCOMPARE(dialog.lastOutcome().model.thresholds, firstThresholds);
    QVERIFY(dialog.settings() == before);
    QVERIFY2(dialog.statusText().startsWith(QStringLiteral(
                 "Cancelled: the model comparison for \"Regimes and delay\" was stopped; no "
                 "model was run\n")),
             qPrintable(dialog.statusText()));
    QVERIFY(dialog.statusText().endsWith(firstStatus));
}

void MainDialogTest::noticeBoxCarriesCaptionIconAndOneButton() {
    const auto stop = makeNoticeBox(errorNotice("Number of forecast are zero"), nullptr);
    QCOMPARE(stop->windowTitle(), QStringLiteral("Error"));
    QCOMPARE(stop->text(), QStringLiteral("Number of forecast are zero"));
    QCOMPARE(stop->icon(), QMessageBox::Critical);
    QCOMPARE(stop->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    const Notice plain{"The number of effective observation are zero", kApplicationName,
                       NoticeIcon::kNone};
    const auto none = makeNoticeBox(plain, nullptr);
    QCOMPARE(none->windowTitle(), QStringLiteral("Kavri"));
    QCOMPARE(none->icon(), QMessageBox::NoIcon);
}

void MainDialogTest::escapeAndExitClose() {
    KavriDlg escaped;
    escaped.show();
    QVERIFY(QTest::qWaitForWindowActive(&escaped));
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QCOMPARE(escaped.result(), int(QDialog::Rejected));

    KavriDlg exited;
    exited.show();
    QVERIFY(QTest::qWaitForWindowActive(&exited));
    QTest::mouseClick(exited.findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    QVERIFY(!exited.isVisible());
    QVERIFY(exited.texts() == ResultTexts{});
}

void MainDialogTest::windowResizesDownToASmallLaptopScreenAndItsFieldsGrow() {
    KavriDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // A 1366x768 screen less a panel and the title bar.
    QVERIFY2(
        dialog.minimumWidth() <= 1366 && dialog.minimumHeight() <= 700,
        qPrintable(QStringLiteral("%1x%2").arg(dialog.minimumWidth()).arg(dialog.minimumHeight())));
    QVERIFY(dialog.maximumWidth() > 2000 && dialog.maximumHeight() > 2000);
    dialog.resize(dialog.minimumSize());
    QTest::qWait(20);
    auto* status = dialog.findChild<QWidget*>("statusLine");
    QVERIFY(placeOf(dialog, status).bottom() < dialog.height());
    auto* panel = dialog.findChild<QPlainTextEdit*>("estimatePanel1");
    auto* threshold = dialog.findChild<QPlainTextEdit*>("thresholdField");
    const QSize smallPanel = panel->size();
    const int smallThreshold = threshold->height();
    dialog.resize(dialog.minimumSize() + QSize(300, 300));
    QTest::qWait(20);
    QVERIFY(panel->width() > smallPanel.width() && panel->height() > smallPanel.height());
    QVERIFY(threshold->height() > smallThreshold);
    QVERIFY(placeOf(dialog, status).bottom() < dialog.height());
}

void MainDialogTest::closingAsksFirstWhenWorkWouldBeLost() {
    // Nothing to lose: Esc closes without a question.
    KavriDlg fresh;
    int asked = 0;
    fresh.setConfirmation([&](const QString&) { return ++asked, false; });
    fresh.show();
    QVERIFY(QTest::qWaitForWindowActive(&fresh));
    QTest::keyClick(&fresh, Qt::Key_Escape);
    QVERIFY(!fresh.isVisible());
    QCOMPARE(asked, 0);

    const QString path = scratch_.filePath("kept.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(dialog.lastOutcome().model.available);
    QStringList questions;
    bool answer = false;
    dialog.setConfirmation([&](const QString& question) {
        questions << question;
        return answer;
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Esc, Exit and the close box each ask; No keeps the window and its results.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::mouseClick(dialog.findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    QVERIFY(!dialog.close());
    QCOMPARE(questions.size(), 3);
    QVERIFY(questions.front().contains(QStringLiteral("results shown")));
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.lastOutcome().model.available);
    answer = true;
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(questions.size(), 4);
}

void MainDialogTest::aSeriesFileFromOutsideBecomesTheNextRunsSeries() {
    const QString path = scratch_.filePath("outside.txt");
    writeSeries(path);
    KavriDlg dialog;
    dialog.chooseSeriesFile(path);
    QCOMPARE(QString::fromStdString(dialog.settings().model.seriesPath),
             QDir::toNativeSeparators(path));
    // The choice is the user's: the run keeps it rather than the run default's file.
    QCOMPARE(dialog.settings().modelDialogCount, 1);
    QVERIFY(dialog.statusText().contains(QStringLiteral("Series chosen")));
    QString shown;
    dialog.setModalRunner([&](QDialog& model) {
        shown = model.findChild<QLineEdit*>("seriesPathEdit")->text();
        model.reject();
    });
    dialog.openModelParameters();
    QCOMPARE(shown, QDir::toNativeSeparators(path));

    // A file dropped on the window is chosen the same way; a folder is not taken.
    const QString dropped = scratch_.filePath("dropped.txt");
    writeSeries(dropped);
    QVERIFY(dialog.acceptDrops());
    for (const QString& target : {scratch_.path(), dropped}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(target)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &enter);
        QCOMPARE(enter.isAccepted(), target == dropped);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &drop);
    }
    QCOMPARE(QString::fromStdString(dialog.settings().model.seriesPath),
             QDir::toNativeSeparators(dropped));
}

void MainDialogTest::statusLineSaysWhichValuesWereReadAndClearsForTheNextRun() {
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    QStringList notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices << notice.text.c_str(); });
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(KAVRI_EXAMPLES_DIR "/lynx.csv");
        model.findChild<QLineEdit*>("nObservationsEdit")->setText("100");
        model.findChild<QLineEdit*>("nPredictionsEdit")->setText("10");
        model.findChild<QLineEdit*>("maxOrderEdit")->setText("3");
        model.findChild<QRadioButton*>("sampleMostRecent")->setChecked(true);
        model.accept();
    });
    dialog.openModelParameters();
    dialog.setModalRunner([&](QDialog& ga) {
        ga.findChild<QRadioButton*>("searchMethodExact")->setChecked(true);
        ga.accept();
    });
    dialog.openGaParameters();
    dialog.runModelOnce();
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
    QVERIFY2(dialog.statusText().contains(
                 QStringLiteral("column 3 \"log10\", values 5 to 114 of 114 (1825 to 1934)")),
             qPrintable(dialog.statusText()));

    // A run that fails says so, and the next run starts from a status line of its own.
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(scratch_.filePath("absent.csv"));
        model.accept();
    });
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(dialog.statusText().contains(QStringLiteral("without a result")));
    QString duringRun;
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(KAVRI_EXAMPLES_DIR "/lynx.csv");
        model.accept();
    });
    dialog.openModelParameters();
    QTimer::singleShot(0, &dialog, [&] { duringRun = dialog.statusText(); });
    dialog.runModelOnce();
    QVERIFY2(duringRun.isEmpty() || duringRun.startsWith(QStringLiteral("Running")),
             qPrintable(duringRun));
    QVERIFY(!dialog.statusText().contains(QStringLiteral("without a result")));
}

void MainDialogTest::reportHoldsTheWholeResultAsTextAndMarkdown() {
    const QString path = scratch_.filePath("reported.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    auto* copy = dialog.findChild<QPushButton*>("copyButton");
    QVERIFY(!copy->isEnabled());
    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(copy->isEnabled());
    const RunReport report = dialog.runReport();
    QCOMPARE(report.title, std::string("Kavri report: reported.txt"));
    QVERIFY(report.texts == dialog.texts());
    QVERIFY(!report.sections.empty() && report.sections.front().title == "Statistics");
    QVERIFY(report.sections.front().text.find("Log-Likelihood") != std::string::npos);

    copy->click();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied != nullptr);
    QVERIFY(copied->text().contains(QStringLiteral("AIC: ") +
                                    QString::fromStdString(dialog.texts().aicText).trimmed()));
    const QString markdown = QString::fromUtf8(copied->data(QStringLiteral("text/markdown")));
    QVERIFY(markdown.startsWith(QStringLiteral("# Kavri report: reported.txt")));
    QVERIFY(markdown.contains(QStringLiteral("| AIC | ")));
    QVERIFY(markdown.contains(QStringLiteral("## Statistics")));

    // Forecasts made in the Forecasts window join the report, dated as Forecasts.txt dates them
    // when the file has dates (months here, which are not consecutive years).
    const QString monthly = scratch_.filePath("monthly.csv");
    {
        QFile file(monthly);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("month,value\n");
        for (int t = 0; t < series.size(); ++t) {
            file.write(QStringLiteral("%1-%2,%3\n")
                           .arg(2000 + t / 12)
                           .arg(t % 12 + 1, 2, 10, QLatin1Char('0'))
                           .arg(series[t])
                           .toLatin1());
        }
    }
    dialog.setModalRunner(givenThresholds(monthly, {rankedValue(series, 60)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(!dialog.lastOutcome().notice);
    dialog.setModalRunner([](QDialog& shown) {
        auto* forecasts = qobject_cast<ForecastDlg*>(&shown);
        QVERIFY(forecasts != nullptr);
        forecasts->findChild<QComboBox*>("methodCombo")->setCurrentIndex(0);  // the skeleton
        forecasts->findChild<QSpinBox*>("horizonSpin")->setValue(2);
        forecasts->makeForecasts();
        QVERIFY(forecasts->outcome().has_value());
    });
    dialog.openForecasts();
    const RunReport dated = dialog.runReport();
    QVERIFY(!dated.sections.empty() && dated.sections.back().title == "Forecasts");
    // 130 months from 2000-01 end at 2010-10.
    QVERIFY2(dated.sections.back().text.find("Date   Forecast\n   1  2010-11") != std::string::npos,
             dated.sections.back().text.c_str());
}

void MainDialogTest::adviceNamesTheDialogsFieldsNotTheCommandLinesOptions() {
    const QString path = scratch_.filePath("gap.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("year,value\n1900,1.5\n1901,NA\n");
    for (int year = 1902; year < 2500; ++year) {
        file.write(QByteArray::number(year) + "," + QByteArray::number(year % 9) + "\n");
    }
    file.close();
    KavriDlg dialog;
    QStringList details;
    dialog.setNoticeHandler([&](const Notice& notice) { details << notice.detail.c_str(); });
    dialog.chooseSeriesFile(path);
    dialog.runModelOnce();
    QCOMPARE(details.size(), 1);
    QVERIFY2(details.front().contains(QStringLiteral("Data in Parameter of Model")),
             qPrintable(details.front()));
    QVERIFY(!details.front().contains(QStringLiteral("--")));
    QVERIFY(!dialog.statusText().contains(QStringLiteral("--skip")));
}

void MainDialogTest::aSparseRegimeIsWarnedAboutOnTheStatusLine() {
    const QString path = scratch_.filePath("sparse.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    QStringList notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices << notice.text.c_str(); });
    // A threshold just above the fourth smallest value: regime 1 holds a handful of values.
    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 4)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY2(dialog.lastOutcome().model.available, qPrintable(notices.join('\n')));
    QVERIFY2(dialog.statusText().contains(QStringLiteral("Warning: regime 1: ")) &&
                 dialog.statusText().contains(QStringLiteral("fewer than three per parameter")),
             qPrintable(dialog.statusText()));

    // A regime of many values is not warned about.
    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(!dialog.statusText().contains(QStringLiteral("Warning")));
}

void MainDialogTest::aboutBoxFromTheWindowMenuAndF1() {
    KavriDlg dialog;
    QCOMPARE(dialog.aboutAction()->text(), QStringLiteral("Infor&mazioni su Kavri..."));
    QVERIFY(dialog.actions().contains(dialog.aboutAction()));
    QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
    const QStringList buttons = [&] {
        QStringList texts;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
        return texts;
    }();
    QVERIFY(!buttons.join(' ').contains("Informazioni"));

    QStringList seen;
    dialog.setModalRunner([&](QDialog& shown) {
        auto* about = qobject_cast<AboutDlg*>(&shown);
        QVERIFY(about != nullptr);
        seen << about->windowTitle();
        QVERIFY(!about->findChild<QLabel*>("iconLabel")->pixmap().isNull());
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(),
                 QStringLiteral("Kavri Versione 1.0"));
        QTest::mouseClick(about->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(about->result(), int(QDialog::Accepted));
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_F1);
    dialog.aboutAction()->trigger();
    QCOMPARE(seen, QStringList({"Informazioni su Kavri", "Informazioni su Kavri"}));
    QVERIFY(dialog.isVisible());
}

void MainDialogTest::inputIsDroppedWhileBlocked() {
    QPushButton button("OK");
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &QPushButton::clicked);
    {
        InputBlocker blocker;
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Space);
    }
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
