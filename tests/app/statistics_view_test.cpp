// The Statistics window: the last run's model after every run, the tests and the comparison on
// request with a progress bar, Cancel, and its button in the main window.

#include "app/statistics_view.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/kavri_dlg.h"
#include "app/run_status.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"
#include "report/run_report.h"
#include "report/statistics_text.h"

using namespace kavri;

namespace {

constexpr int kWorkTimeoutMs = 60000;

QString textOf(const StatisticsView& view, const char* objectName) {
    return view.findChild<QPlainTextEdit*>(objectName)->toPlainText();
}

}  // namespace

class StatisticsViewTest : public QObject {
    Q_OBJECT

 private slots:
    void initTestCase();
    void showsTheModelOfTheRunAndSwitchesToRobustErrors();
    void linearityTestsRunWithAProgressBarAndRepeatWithTheSeed();
    void comparisonOnRequestAndCancelStopsTheTests();
    void mainWindowButtonOpensTheWindow();
    void windowOpenedAfterARunUsesTheRunsSettings();
    void longComparisonMovesTheBarAndCancelStopsItPromptly();
    void levelAndTestRowsFollowTheFieldsAndTheModelForm();
    void anotherThresholdVariableIsTestedAndComparedOnIt();

 private:
    void clickAndWait(StatisticsView& view, const char* button);

    QTemporaryDir scratch_;
    RunSettings settings_;
    RunOutcome outcome_;
};

// The three-regime model of the weekly returns at two given thresholds.
void StatisticsViewTest::initTestCase() {
    settings_.model = modelPrefill();
    settings_.model.seriesPath = KAVRI_EXAMPLES_DIR "/ExchangeRate.txt";
    settings_.model.selectModel = kSelectModelGivenThresholds;
    settings_.model.nThresholds = 2;
    settings_.model.thresholds = {-0.2301702, 0.075415819, 0.0};
    settings_.modelDialogCount = 1;
    RunOptions options;
    options.files.directory = scratch_.path().toStdString();
    ResultTexts texts;
    SilentObserver observer;
    outcome_ = runModel(settings_, texts, observer, options);
    QVERIFY(outcome_.model.available);
}

void StatisticsViewTest::clickAndWait(StatisticsView& view, const char* button) {
    QTest::mouseClick(view.findChild<QPushButton*>(button), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), kWorkTimeoutMs);
}

void StatisticsViewTest::showsTheModelOfTheRunAndSwitchesToRobustErrors() {
    StatisticsView view;
    view.showRun(settings_, outcome_);
    const QString classical = textOf(view, "modelText");
    QVERIFY(classical.startsWith("Classical standard errors"));
    QVERIFY(classical.contains("Regime 3: n = 193, k = 2, 191 residual degrees of freedom"));
    QVERIFY(classical.contains("\nAIC: -608.119992\nLog-Likelihood: "));
    QVERIFY(classical.contains("\nBIC: "));
    QVERIFY(classical.contains("\nLjung-Box p: "));
    view.findChild<QCheckBox*>("robustBox")->setChecked(true);
    QVERIFY(textOf(view, "modelText").startsWith("White's heteroskedasticity-consistent"));
    QCOMPARE(view.findChild<QSpinBox*>("testOrderBox")->value(), 3);
    QVERIFY(!view.findChild<QPushButton*>("cancelButton")->isEnabled());
}

void StatisticsViewTest::linearityTestsRunWithAProgressBarAndRepeatWithTheSeed() {
    StatisticsView view;
    view.showRun(settings_, outcome_);
    view.findChild<QSpinBox*>("replicatesBox")->setValue(30);
    view.findChild<QSpinBox*>("seedBox")->setValue(5);
    clickAndWait(view, "testsButton");
    const QString first = textOf(view, "resultText");
    QVERIFY2(first.contains("bootstrap of 30 replicates under each null model, seed 5"),
             qPrintable(first));
    QVERIFY(first.contains("\nSup-F 1 vs 2 Regimes: F = "));
    QVERIFY(first.contains("\nTsay F: F(4, 396) = "));
    const auto* bar = view.findChild<QProgressBar*>("progressBar");
    QCOMPARE(bar->value(), bar->maximum());
    clickAndWait(view, "testsButton");
    QCOMPARE(textOf(view, "resultText"), first);
}

void StatisticsViewTest::comparisonOnRequestAndCancelStopsTheTests() {
    StatisticsView view;
    view.showRun(settings_, outcome_);
    clickAndWait(view, "compareButton");
    QVERIFY(
        textOf(view, "resultText").startsWith("Model Comparison:\nCommon sample t = 10 .. 449"));

    view.findChild<QSpinBox*>("replicatesBox")->setValue(100000);
    QTest::mouseClick(view.findChild<QPushButton*>("testsButton"), Qt::LeftButton);
    QVERIFY(view.busy());
    QVERIFY(view.findChild<QPushButton*>("cancelButton")->isEnabled());
    QTest::mouseClick(view.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), kWorkTimeoutMs);
    QVERIFY(textOf(view, "resultText").startsWith("Stopped before the end.\n\nModel Comparison:"));
    // A stopped work does not read as done.
    const auto* bar = view.findChild<QProgressBar*>("progressBar");
    QCOMPARE(bar->value(), bar->minimum());

    // A new run clears what belonged to the earlier one.
    view.showRun(settings_, outcome_);
    QCOMPARE(textOf(view, "resultText"), QString());
}

void StatisticsViewTest::mainWindowButtonOpensTheWindow() {
    KavriDlg dialog;
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>("statisticsButton"), Qt::LeftButton);
    auto* view = dialog.findChild<StatisticsView*>();
    QVERIFY(view != nullptr && view->isVisible());
    QCOMPARE(view->windowTitle(), QStringLiteral("Statistics"));
    QCOMPARE(textOf(*view, "modelText"),
             QStringLiteral("No run yet: press OK in the main window to estimate a model."));
    QVERIFY(!view->findChild<QPushButton*>("testsButton")->isEnabled());
}

// A run with the run defaults (no dialog accepted): the window, opened after it, describes the
// model with the settings the run used, not the window's own.
void StatisticsViewTest::windowOpenedAfterARunUsesTheRunsSettings() {
    QVERIFY(
        QFile::copy(KAVRI_EXAMPLES_DIR "/ExchangeRate.txt", scratch_.filePath("ExchangeRate.txt")));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratch_.path());
    KavriDlg dialog;
    RunOptions options;
    options.seed = 3;
    dialog.setRunOptions(options);
    dialog.runModelOnce();
    QDir::setCurrent(previous);
    QVERIFY(dialog.lastOutcome().model.available);
    dialog.openStatistics();
    auto* view = dialog.findChild<StatisticsView*>();
    QVERIFY(textOf(*view, "modelText").startsWith("Classical standard errors"));
    QCOMPARE(view->findChild<QSpinBox*>("testOrderBox")->value(), 3);  // maxOrder 4
    QVERIFY(view->findChild<QPushButton*>("testsButton")->isEnabled());
}

// The comparison of 20,000 values takes many seconds: the bar moves in thousandths within a
// delay while the window's event loop keeps running, and Cancel ends the work (how soon is
// measured by kavri-comparison-bench).
void StatisticsViewTest::longComparisonMovesTheBarAndCancelStopsItPromptly() {
    RunSettings settings;
    settings.model = modelPrefill();
    settings.model.seriesPath = KAVRI_EXAMPLES_DIR "/setar_simulated.txt";
    settings.model.nObservations = 20000;
    settings.model.nPredictions = 100;
    settings.model.delay = 2;
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 1;
    settings.model.thresholds = {0.0, 0.0, 0.0};
    settings.modelDialogCount = 1;
    RunOptions options;
    options.files.directory = scratch_.path().toStdString();
    ResultTexts texts;
    SilentObserver observer;
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    QVERIFY2(outcome.model.available, outcome.notice ? outcome.notice->text.c_str() : "");

    StatisticsView view;
    view.showRun(settings, outcome);
    const auto* bar = view.findChild<QProgressBar*>("progressBar");
    QTest::mouseClick(view.findChild<QPushButton*>("compareButton"), Qt::LeftButton);
    QVERIFY(view.busy());
    QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() == 1000 && bar->value() > 0, kWorkTimeoutMs);
    QVERIFY(view.busy());
    QVERIFY(bar->value() < bar->maximum());
    QTest::mouseClick(view.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!view.busy(), kWorkTimeoutMs);
    QVERIFY(textOf(view, "resultText").startsWith("Stopped before the end.\n"));
    QCOMPARE(bar->value(), bar->minimum());
}

void StatisticsViewTest::levelAndTestRowsFollowTheFieldsAndTheModelForm() {
    StatisticsView view;
    view.showRun(settings_, outcome_);
    QVERIFY(textOf(view, "modelText").contains("at 95%"));
    view.findChild<QDoubleSpinBox*>("thresholdLevelBox")->setValue(90.0);
    QVERIFY2(textOf(view, "modelText").contains("at 90%"), qPrintable(textOf(view, "modelText")));

    // The tests' rows per regime start at the run's Min. Oss and go down to the order + 2.
    auto* rows = view.findChild<QSpinBox*>("testMinObsBox");
    QCOMPARE(rows->value(), settings_.model.minObs);
    QCOMPARE(rows->minimum(), 5);
    view.findChild<QSpinBox*>("testOrderBox")->setValue(1);
    QCOMPARE(rows->minimum(), 3);
    rows->setValue(12);
    view.findChild<QSpinBox*>("replicatesBox")->setValue(0);
    clickAndWait(view, "testsButton");
    const QString twelve = textOf(view, "resultText");
    rows->setValue(settings_.model.minObs);
    clickAndWait(view, "testsButton");
    QVERIFY(textOf(view, "resultText") != twelve);

    // One order for every regime is within the tests' reach, at that order.
    RunSettings fixed = settings_;
    fixed.form.nFixedOrders = 1;
    fixed.form.fixedOrders[0] = 1;
    view.showRun(fixed, outcome_);
    QVERIFY(view.findChild<QPushButton*>("testsButton")->isEnabled());
    QCOMPARE(view.findChild<QSpinBox*>("testOrderBox")->value(), 1);
    QVERIFY(!view.findChild<QSpinBox*>("testOrderBox")->isEnabled());

    // A subset of lags is tested with it, the order counting its lags; the comparison fits it.
    RunSettings subset = settings_;
    subset.form.nLags = 2;
    subset.form.lags[0] = 1;
    subset.form.lags[1] = 3;
    view.showRun(subset, outcome_);
    QVERIFY(view.findChild<QPushButton*>("testsButton")->isEnabled());
    auto* order = view.findChild<QSpinBox*>("testOrderBox");
    QCOMPARE(order->maximum(), 2);
    QCOMPARE(order->value(), 2);
    QVERIFY(view.findChild<QPushButton*>("compareButton")->isEnabled());
    // Without a constant a regime needs one row fewer, with a trend one more.
    RunSettings none = settings_;
    none.form.constant = false;
    view.showRun(none, outcome_);
    QCOMPARE(rows->minimum(), order->value() + 1);
    RunSettings trend = settings_;
    trend.form.trend = true;
    view.showRun(trend, outcome_);
    QCOMPARE(rows->minimum(), order->value() + 3);

    // One order per regime has no common order for the tests' linear null, and fixes the
    // number of regimes the comparison compares.
    RunSettings perRegime = settings_;
    perRegime.form.nFixedOrders = 2;
    perRegime.form.fixedOrders[0] = 2;
    perRegime.form.fixedOrders[1] = 1;
    view.showRun(perRegime, outcome_);
    QVERIFY(!view.findChild<QPushButton*>("testsButton")->isEnabled());
    QVERIFY2(view.findChild<QPushButton*>("testsButton")
                 ->toolTip()
                 .contains("one order for every regime"),
             qPrintable(view.findChild<QPushButton*>("testsButton")->toolTip()));
    QVERIFY(!view.findChild<QPushButton*>("compareButton")->isEnabled());
    QVERIFY(view.findChild<QPushButton*>("compareButton")
                ->toolTip()
                .contains("fixes the number of regimes"));
}

// A model thresholded on another column: the tests, the comparison and the regimes' support
// rank that column, as kavri-cli's do; the coefficient rows are named by lag and term.
void StatisticsViewTest::anotherThresholdVariableIsTestedAndComparedOnIt() {
    RunSettings settings;
    settings.model = modelPrefill();
    settings.model.seriesPath = KAVRI_EXAMPLES_DIR "/mark_pound_volatility.csv";
    settings.series.column = "returns";
    settings.thresholdVariable = {ThresholdVariableKind::kColumn, "abs_returns"};
    settings.model.nObservations = 300;
    settings.model.nPredictions = 20;
    settings.model.maxRegimes = 2;
    settings.ga = gaRunDefaults();
    settings.ga.searchMethod = kSearchExact;
    settings.ga.fitnessKind = kFitnessAic;
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    RunOptions options;
    options.files.directory = scratch_.path().toStdString();
    ResultTexts texts;
    SilentObserver observer;
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    QVERIFY2(outcome.model.available, outcome.notice ? outcome.notice->text.c_str() : "");

    // The status line names what chose the regime.
    const QStringList status = runStatusLines(settings, outcome);
    QVERIFY2(status.contains(QStringLiteral("Threshold variable: abs_returns[t-1]")),
             qPrintable(status.join('\n')));
    QVERIFY(!runStatusLines(settings_, outcome_).join('\n').contains("Threshold variable"));

    StatisticsView view;
    view.showRun(settings, outcome);
    QVERIFY(textOf(view, "modelText").contains("Regimes Support: "));
    clickAndWait(view, "compareButton");
    ComparisonOptions onColumn = comparisonOnThresholdVariable(outcome.model);
    const Result<ModelComparison> expected =
        compareModels(settings, outcome.model.series, onColumn);
    const Result<ModelComparison> ownLag = compareModels(settings, outcome.model.series);
    QVERIFY(expected.ok() && ownLag.ok());
    const QString shown = textOf(view, "resultText");
    QCOMPARE(shown,
             QString::fromStdString("Model Comparison:\n" + modelComparisonText(expected.value())));
    QVERIFY(shown !=
            QString::fromStdString("Model Comparison:\n" + modelComparisonText(ownLag.value())));

    view.findChild<QSpinBox*>("replicatesBox")->setValue(0);
    clickAndWait(view, "testsButton");
    LinearityTestSettings tests = linearityTestSettings(settings.model);
    tests.replicates = 0;
    tests.minObs = settings.model.minObs;
    const LinearityTests own =
        runLinearityTests(outcome.model.series.data(), settings.model.nObservations, tests);
    arrangeByThresholdVariable(tests, outcome.model);
    const LinearityTests onZ =
        runLinearityTests(outcome.model.series.data(), settings.model.nObservations, tests);
    QCOMPARE(view.testsText(), QString::fromStdString(labelledLines(linearityTestsTexts(onZ))));
    QVERIFY(labelledLines(linearityTestsTexts(own)) != labelledLines(linearityTestsTexts(onZ)));

    // Lags 1 and 3 with a trend at given thresholds: rows named as the core's table names them.
    RunSettings form = settings;
    form.ga.searchMethod = kSearchGenetic;
    form.model.selectModel = kSelectModelGivenThresholds;
    form.model.nThresholds = 1;
    form.model.thresholds = {outcome.model.thresholds.front(), 0.0, 0.0};
    form.form.nLags = 2;
    form.form.lags[0] = 1;
    form.form.lags[1] = 3;
    form.form.trend = true;
    const RunOutcome subset = runModel(form, texts, observer, options);
    QVERIFY2(subset.model.available, subset.notice ? subset.notice->text.c_str() : "");
    view.showRun(form, subset);
    const QString rows = textOf(view, "modelText");
    QVERIFY2(rows.contains("\nConstant ") && rows.contains("\nTrend ") &&
                 rows.contains("\nLag 1 ") && rows.contains("\nLag 3 ") &&
                 !rows.contains("\nLag 2 "),
             qPrintable(rows));
    QVERIFY(view.findChild<QPushButton*>("compareButton")->isEnabled());
    QVERIFY(!rows.contains("Regimes Support"));
    // The tests take that form, and their text names it.
    clickAndWait(view, "testsButton");
    QVERIFY2(view.testsText().contains("order 2 in every regime (lags 1, 3; with trend)"),
             qPrintable(view.testsText()));
}

QTEST_MAIN(StatisticsViewTest)
#include "statistics_view_test.moc"
