#pragma once

// The "Statistics" window, opened from the main window: for the model of the last run its
// coefficient table (classical or HC1 standard errors), its fit statistics and the warnings of
// regimes with too few observations per parameter, shown after every run; and on request the
// linearity tests and the model comparison, computed on other threads while a progress bar
// moves and the window stays usable (Cancel stops them). The level of the thresholds'
// confidence intervals is kavri-cli's --threshold-level; the tests' least rows per regime its
// --test-min-obs, from the test order + 2. The tests, the comparison and the "Regimes Support"
// line rank the run's threshold variable. The tests fit a constant and the lags 1 .. p (at the
// AIC's orders, or one order for every regime, at which the tests are then made) and are not
// offered for a model of another form, whose part out of their reach the button's tooltip
// names; the comparison fits the run's form, but not one order per regime, which fixes the
// number of regimes it compares.

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "model/run_settings.h"
#include "run/run_driver.h"

class QCheckBox;
class QDoubleSpinBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace kavri {

inline constexpr const char* kStatisticsCaption = "Statistics";

class StatisticsView : public QDialog {
    Q_OBJECT

 public:
    explicit StatisticsView(QWidget* parent = nullptr);
    ~StatisticsView() override;

    // The run whose model the window describes, with its settings as the run left them. Work
    // in progress for an earlier run is stopped and its results cleared.
    void showRun(const RunSettings& settings, const RunOutcome& outcome);
    bool busy() const { return worker_.joinable(); }
    // The results of the linearity tests and the model comparison, empty until one ends.
    const QString& testsText() const { return testsText_; }
    const QString& comparisonText() const { return comparisonText_; }

 signals:
    // The level of the thresholds' intervals was changed (percent).
    void thresholdLevelChanged(double percent);

 public slots:
    void runTests();
    void runComparison();
    void cancelWork();

 protected:
    void closeEvent(QCloseEvent* event) override;

 private:
    // Told to stop, reporting (done, total); returns the text to show.
    using Work = std::function<std::string(const std::atomic<bool>& stop, std::atomic<int>& done,
                                           std::atomic<int>& total)>;

    void buildLayout();
    void showModel();
    void findRegimeSupport();
    void showResults();
    void startWork(Work work, QString* target);
    void pollWork();
    void stopWork();
    void setBusy(bool busy);

    RunSettings settings_;
    RunOutcome outcome_;
    QString testsText_;
    QString comparisonText_;
    std::string supportText_;  // the "Regimes Support" line of the run, or empty

    QCheckBox* robustBox_ = nullptr;
    QPlainTextEdit* modelText_ = nullptr;
    QDoubleSpinBox* levelBox_ = nullptr;
    QSpinBox* orderBox_ = nullptr;
    QSpinBox* testMinObsBox_ = nullptr;
    QSpinBox* replicatesBox_ = nullptr;
    QSpinBox* seedBox_ = nullptr;
    QPushButton* testsButton_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPlainTextEdit* resultText_ = nullptr;
    QTimer* poll_ = nullptr;

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    std::string workText_;           // written by the worker before finished_ is set
    QString* workTarget_ = nullptr;  // where workText_ goes when the work ends
};

}  // namespace kavri
