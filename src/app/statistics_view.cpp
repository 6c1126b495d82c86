#include "app/statistics_view.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>
#include <memory>

#include "app/run_status.h"
#include "inference/coefficient_table.h"
#include "inference/diagnostics.h"
#include "inference/fit_statistics.h"
#include "inference/linearity_tests.h"
#include "inference/model_comparison.h"
#include "inference/threshold_interval.h"
#include "model/classic_numeric_locale.h"
#include "model/text_format.h"
#include "report/run_report.h"
#include "report/statistics_text.h"

namespace kavri {

namespace {

constexpr int kPollMilliseconds = 100;
// The model comparison's progress bar counts thousandths of its work.
constexpr int kComparisonSteps = 1000;

QPlainTextEdit* makeTextArea(const QString& objectName, QWidget* parent) {
    auto* area = new QPlainTextEdit(parent);
    area->setObjectName(objectName);
    area->setReadOnly(true);
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return area;
}

}  // namespace

StatisticsView::StatisticsView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StatisticsView"));
    setWindowTitle(QString::fromUtf8(kStatisticsCaption));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(false);
    buildLayout();
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &StatisticsView::pollWork);
    resize(1000, 760);
    modelText_->setPlainText(
        QStringLiteral("No run yet: press OK in the main window to estimate a model."));
}

StatisticsView::~StatisticsView() { stopWork(); }

void StatisticsView::buildLayout() {
    auto* modelFrame = new QGroupBox(QStringLiteral("Model of the last run"), this);
    robustBox_ = new QCheckBox(
        QStringLiteral("Heteroskedasticity-consistent (HC1) standard errors"), modelFrame);
    robustBox_->setObjectName(QStringLiteral("robustBox"));
    modelText_ = makeTextArea(QStringLiteral("modelText"), modelFrame);
    levelBox_ = new QDoubleSpinBox(modelFrame);
    levelBox_->setObjectName(QStringLiteral("thresholdLevelBox"));
    levelBox_->setDecimals(1);
    levelBox_->setRange(0.1, 99.9);
    levelBox_->setSingleStep(1.0);
    levelBox_->setSuffix(QStringLiteral(" %"));
    levelBox_->setValue(kDefaultThresholdLevel);
    levelBox_->setToolTip(
        QStringLiteral("Level of the likelihood-ratio confidence interval of each threshold "
                       "(kavri-cli --threshold-level): above 0 and below 100."));
    auto* levelLabel = new QLabel(QStringLiteral("Threshold interval level"), modelFrame);
    levelLabel->setBuddy(levelBox_);
    auto* modelRow = new QHBoxLayout;
    modelRow->addWidget(robustBox_);
    modelRow->addSpacing(24);
    modelRow->addWidget(levelLabel);
    modelRow->addWidget(levelBox_);
    modelRow->addStretch(1);
    auto* modelLayout = new QVBoxLayout(modelFrame);
    modelLayout->addLayout(modelRow);
    modelLayout->addWidget(modelText_);
    connect(robustBox_, &QCheckBox::toggled, this, &StatisticsView::showModel);
    connect(levelBox_, &QDoubleSpinBox::valueChanged, this, &StatisticsView::showModel);
    connect(levelBox_, &QDoubleSpinBox::valueChanged, this, &StatisticsView::thresholdLevelChanged);

    auto* testFrame = new QGroupBox(QStringLiteral("Linearity tests and model comparison"), this);
    orderBox_ = new QSpinBox(testFrame);
    orderBox_->setObjectName(QStringLiteral("testOrderBox"));
    testMinObsBox_ = new QSpinBox(testFrame);
    testMinObsBox_->setObjectName(QStringLiteral("testMinObsBox"));
    testMinObsBox_->setRange(3, limits::kCommandLineObservations.max);
    testMinObsBox_->setToolTip(
        QStringLiteral("Least observations in every regime of the linearity tests (kavri-cli "
                       "--test-min-obs), from the test order + 2 (+ 1 without a constant, + 3 "
                       "with a trend); the run's Min. Oss by default, whose lower bound 20 is "
                       "the search's, not the tests'."));
    // Every regime keeps a residual degree of freedom: at least order + 2 rows with a constant
    // (one more with a trend, one fewer without a constant).
    connect(orderBox_, &QSpinBox::valueChanged, testMinObsBox_, [this](int order) {
        testMinObsBox_->setMinimum(leastTestRows(order, settings_.form));
    });
    replicatesBox_ = new QSpinBox(testFrame);
    replicatesBox_->setObjectName(QStringLiteral("replicatesBox"));
    replicatesBox_->setRange(0, 100000);
    replicatesBox_->setValue(kDefaultBootstrapReplicates);
    seedBox_ = new QSpinBox(testFrame);
    seedBox_->setObjectName(QStringLiteral("seedBox"));
    seedBox_->setRange(0, INT_MAX);
    seedBox_->setValue(1);
    testsButton_ = new QPushButton(QStringLiteral("Linearity Tests"), testFrame);
    testsButton_->setObjectName(QStringLiteral("testsButton"));
    compareButton_ = new QPushButton(QStringLiteral("Compare Models"), testFrame);
    compareButton_->setObjectName(QStringLiteral("compareButton"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), testFrame);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    progressBar_ = new QProgressBar(testFrame);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    resultText_ = makeTextArea(QStringLiteral("resultText"), testFrame);
    connect(testsButton_, &QPushButton::clicked, this, &StatisticsView::runTests);
    connect(compareButton_, &QPushButton::clicked, this, &StatisticsView::runComparison);
    connect(cancelButton_, &QPushButton::clicked, this, &StatisticsView::cancelWork);

    auto* settingsRow = new QHBoxLayout;
    for (auto [label, box] :
         {std::pair{"Order", orderBox_}, std::pair{"Rows per regime", testMinObsBox_},
          std::pair{"Bootstrap replicates", replicatesBox_}, std::pair{"Seed", seedBox_}}) {
        auto* text = new QLabel(QString::fromUtf8(label), testFrame);
        text->setBuddy(box);
        settingsRow->addWidget(text);
        settingsRow->addWidget(box);
    }
    settingsRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(testsButton_);
    buttonRow->addWidget(compareButton_);
    buttonRow->addWidget(progressBar_, 1);
    buttonRow->addWidget(cancelButton_);
    auto* testLayout = new QVBoxLayout(testFrame);
    testLayout->addLayout(settingsRow);
    testLayout->addLayout(buttonRow);
    testLayout->addWidget(resultText_);

    auto* whole = new QVBoxLayout(this);
    whole->addWidget(modelFrame, 1);
    whole->addWidget(testFrame, 1);
    setBusy(false);
}

void StatisticsView::showRun(const RunSettings& settings, const RunOutcome& outcome) {
    stopWork();
    settings_ = settings;
    outcome_ = outcome;
    testsText_.clear();
    comparisonText_.clear();
    // With a subset of lags the order counts the list's lags: order k tests its first k.
    const int highestOrder =
        settings.form.lagsGiven() ? settings.form.nLags : std::max(1, settings.model.maxOrder - 1);
    orderBox_->setRange(1, highestOrder);
    // A model of one fixed order is tested at it: the null is the linear autoregression of the
    // model's own order (kavri-cli refuses another --test-order).
    const bool fixedOrder = settings.form.nFixedOrders == 1;
    orderBox_->setValue(defaultTestOrder(settings.model.maxOrder, settings.form));
    orderBox_->setToolTip(fixedOrder ? QStringLiteral("The tests of a model of one fixed order "
                                                      "are at that order.")
                          : settings.form.lagsGiven()
                              ? QStringLiteral("The number of the model's lags in every regime "
                                               "of the linear null and the threshold "
                                               "alternatives: order k takes the first k lags "
                                               "of its list.")
                              : QStringLiteral("The common order p of the linear null "
                                               "and the threshold alternatives."));
    testMinObsBox_->setMinimum(leastTestRows(orderBox_->value(), settings.form));
    testMinObsBox_->setValue(settings.model.minObs);
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    findRegimeSupport();
    showModel();
    showResults();
    setBusy(false);
}

void StatisticsView::showModel() {
    const ReportedModel& model = outcome_.model;
    if (!model.available) {
        modelText_->setPlainText(QStringLiteral("No model was estimated by the last run."));
        return;
    }
    // The toolkit may have switched the process to a decimal-comma locale.
    const ClassicNumericLocale classic;
    const CoefficientTable table = coefficientTable(
        model, robustBox_->isChecked() ? StandardErrorKind::kHc1 : StandardErrorKind::kClassical);
    const FitStatistics fit = fitStatistics(model, table);
    std::string text = modelStatisticsText(table, fit);
    const std::vector<ThresholdConfidence> intervals =
        thresholdConfidence(model, levelBox_->value(), settings_.model.minObs);
    if (!intervals.empty()) {
        text += "Threshold Confidence:\n" + thresholdConfidenceText(intervals) + "\n";
    }
    for (const LabelledText& item : diagnosticsTexts(modelDiagnostics(model))) {
        text += item.label + (item.text.find('\n') == std::string::npos ? ": " : ":\n") +
                item.text + "\n";
    }
    text += supportText_;
    modelText_->setPlainText(QString::fromStdString(text));
}

void StatisticsView::findRegimeSupport() {
    supportText_.clear();
    const ReportedModel& model = outcome_.model;
    // After a search: does BIC at the model's delay support the number of regimes? One delay's
    // comparison, made once per run rather than at every change of the standard errors.
    // The comparison fits the run's form and ranks the run's threshold variable; one order per
    // regime fixes the number of regimes, so there is nothing to support.
    if (model.available && settings_.model.selectModel == kSelectModelSearch &&
        settings_.model.maxRegimes > 1 && !settings_.form.ordersPerRegime()) {
        const ClassicNumericLocale classic;
        ComparisonOptions atDelay = comparisonOnThresholdVariable(model);
        atDelay.delay = model.delay;
        Result<ModelComparison> support = compareModels(settings_, model.series, atDelay);
        if (support.ok()) {
            supportText_ = "Regimes Support: " +
                           regimeSupportText(static_cast<int>(model.regimes.size()),
                                             support.value(), nullptr) +
                           "\n";
        }
    }
}

void StatisticsView::showResults() {
    const QString gap = testsText_.isEmpty() || comparisonText_.isEmpty() ? "" : "\n";
    resultText_->setPlainText(testsText_ + gap + comparisonText_);
}

void StatisticsView::runTests() {
    if (busy() || !outcome_.model.available) {
        return;
    }
    // The tests have the model's form: its constant, trend and lags.
    LinearityTestSettings settings = linearityTestSettings(settings_.model, settings_.form);
    settings.order = orderBox_->value();
    settings.minObs = testMinObsBox_->value();
    settings.replicates = replicatesBox_->value();
    settings.seed = static_cast<std::uint64_t>(seedBox_->value());
    // The worker keeps its own copy of the model: the sample is arranged by the run's threshold
    // variable, whose values it reads from there.
    auto model = std::make_shared<const ReportedModel>(outcome_.model);
    const int n = settings_.model.nObservations;
    startWork(
        [settings, model, n](const std::atomic<bool>& stop, std::atomic<int>& done,
                             std::atomic<int>& total) {
            LinearityTestSettings arranged = settings;
            arrangeByThresholdVariable(arranged, *model);
            const LinearityTests tests =
                runLinearityTests(model->series.data(), n, arranged, [&](int reached, int all) {
                    done = reached;
                    total = all;
                    return !stop.load();
                });
            return labelledLines(linearityTestsTexts(tests));
        },
        &testsText_);
}

void StatisticsView::runComparison() {
    if (busy() || !outcome_.model.available) {
        return;
    }
    const RunSettings settings = settings_;
    auto model = std::make_shared<const ReportedModel>(outcome_.model);
    startWork(
        [settings, model](const std::atomic<bool>& stop, std::atomic<int>& done,
                          std::atomic<int>& total) {
            // Every delay ranks the run's threshold variable, as kavri-cli --compare-models.
            ComparisonOptions options = comparisonOnThresholdVariable(*model);
            // The bar in thousandths of the comparison's work: a delay of a long series takes
            // seconds, too long for a bar that moves only between delays.
            options.keepGoing = [&](double share) {
                total = kComparisonSteps;
                done = static_cast<int>(share * kComparisonSteps);
                return !stop.load();
            };
            const Result<ModelComparison> comparison =
                compareModels(settings, model->series, options);
            return comparison.ok() ? "Model Comparison:\n" + modelComparisonText(comparison.value())
                                   : comparison.notice().text;
        },
        &comparisonText_);
}

void StatisticsView::startWork(Work work, QString* target) {
    stop_ = false;
    finished_ = false;
    done_ = 0;
    total_ = 0;
    workTarget_ = target;
    worker_ = std::thread([this, work = std::move(work)] {
        const ClassicNumericLocale classic;
        workText_ = work(stop_, done_, total_);
        finished_.store(true);
    });
    setBusy(true);
    // A work without counts shows a moving bar until it ends.
    progressBar_->setRange(0, 0);
    poll_->start();
}

void StatisticsView::pollWork() {
    const int total = total_.load();
    if (total > 0) {
        progressBar_->setRange(0, total);
        progressBar_->setValue(done_.load());
    }
    if (!finished_.load()) {
        return;
    }
    poll_->stop();
    worker_.join();
    // A stopped work did not reach its end, and its bar says so.
    const bool stopped = stop_.load();
    *workTarget_ =
        stopped ? QStringLiteral("Stopped before the end.\n") : QString::fromStdString(workText_);
    progressBar_->setRange(0, 1);
    progressBar_->setValue(stopped ? 0 : 1);
    showResults();
    setBusy(false);
}

void StatisticsView::cancelWork() { stop_ = true; }

void StatisticsView::stopWork() {
    if (!worker_.joinable()) {
        return;
    }
    stop_ = true;
    poll_->stop();
    worker_.join();
    setBusy(false);
}

void StatisticsView::setBusy(bool busy) {
    // The tests take the model's form, with one order in every regime: a linear null is nested
    // in a threshold model only when its regimes have the same lags (as kavri-cli refuses
    // --tests with --orders P1,P2,..). The comparison fits every form but compares numbers of
    // regimes, which one order per regime fixes (as kavri-cli refuses --compare-models then).
    const bool perRegime = settings_.form.ordersPerRegime();
    testsButton_->setEnabled(!busy && outcome_.model.available && !perRegime);
    compareButton_->setEnabled(!busy && outcome_.model.available && !perRegime);
    testsButton_->setToolTip(!perRegime ? QString()
                                        : QStringLiteral("The linearity tests need one order for "
                                                         "every regime: their linear null is "
                                                         "nested in the threshold model only when "
                                                         "every regime has the same order."));
    compareButton_->setToolTip(
        !perRegime ? QString()
                   : QStringLiteral("One order per regime fixes the number of regimes, which "
                                    "the model comparison compares."));
    cancelButton_->setEnabled(busy);
    orderBox_->setEnabled(!busy && settings_.form.nFixedOrders != 1);
    testMinObsBox_->setEnabled(!busy);
    replicatesBox_->setEnabled(!busy);
    seedBox_->setEnabled(!busy);
}

void StatisticsView::closeEvent(QCloseEvent* event) {
    stopWork();
    QDialog::closeEvent(event);
}

}  // namespace kavri
