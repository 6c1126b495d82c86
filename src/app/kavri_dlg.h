#pragma once

// The main window "KAVRI": a resizable dialog that owns the run settings and the sixteen result
// texts, opens the two parameter dialogs, runs the model on OK (or Enter, whatever control has
// the focus) and shows every result text in its own read-only field. A status line under them
// says where the last run read its series and wrote its files, and the seed of a genetic run.
// A notice that ends a run is shown in a modal message box; the window then stays open with
// its settings, ready for the next run. The About box is offered as "Informazioni su Kavri..."
// in the window's context menu and on F1.
//
// Each parameter dialog shows its pre-fill while it has never been accepted, and afterwards the
// values the next run will use. Only OK stores its values and counts as an opening (so that
// the run no longer applies that group's run defaults); Cancel, Esc and the close box leave
// the settings exactly as they were.
//
// The window can be resized down to one that fits a 1366x768 screen with a panel; the result
// fields take the room it is given. Esc, Exit and the close box ask before the window closes
// when that would lose work: the results shown, a test or comparison running. A series file
// can also be chosen from outside: "kavri FILE", "Open series file..." in the context menu, the
// recent files there, or a file dropped on the window.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charts/chart_input.h"
#include "model/notice.h"
#include "model/result_texts.h"
#include "model/run_settings.h"
#include "report/run_report.h"
#include "run/exit_status.h"
#include "run/model_selection.h"
#include "run/run_driver.h"

class QAction;
class QMenu;
class QLineEdit;
class QMessageBox;
class QPlainTextEdit;
class QPushButton;

namespace kavri {

class InputBlocker;
class StatisticsView;
class StatusLine;
class ChartsWindow;

inline constexpr const char* kMainCaption = "KAVRI";
inline constexpr const char* kAboutEntry = "Infor&mazioni su Kavri...";

// The message box of a notice: its text and caption, the stop icon or none, and one OK button.
std::unique_ptr<QMessageBox> makeNoticeBox(const Notice& notice, QWidget* parent);

class KavriDlg : public QDialog, public RunObserver {
    Q_OBJECT

 public:
    // Shows a dialog modally and returns when it has closed; tests drive dialogs through it.
    using ModalRunner = std::function<void(QDialog& dialog)>;
    // Shows the notice that ended a run; by default the message box of makeNoticeBox().
    using NoticeHandler = std::function<void(const Notice& notice)>;
    // Asks the user a yes/no question before work is lost; by default a question box.
    using Confirmation = std::function<bool(const QString& question)>;

    explicit KavriDlg(QWidget* parent = nullptr);
    ~KavriDlg() override;

    const RunSettings& settings() const { return settings_; }
    // "Regimes and delay" of Parameter of Model: empty for the search, else the criterion by
    // which the model comparison's best row becomes the run's model.
    std::optional<SelectionCriterion> selection() const { return selection_; }
    const ResultTexts& texts() const { return texts_; }
    const RunOutcome& lastOutcome() const { return lastOutcome_; }
    // The whole result of the last run: texts, statistics, tests and comparison made in the
    // Statistics window, forecasts made in the Forecasts window.
    RunReport runReport() const;
    // The first seed of the next genetic search; empty: the clock.
    const std::optional<std::uint32_t>& seed() const { return runOptions_.seed; }
    // The status line's full text, one line per fact.
    QString statusText() const;
    QAction* aboutAction() const { return aboutAction_; }
    // The size at which every field shows its texts without scrolling: the first size on a
    // screen large enough for it.
    QSize preferredSize() const { return preferredSize_; }
    // The charts window, once "Charts..." has opened it.
    ChartsWindow* chartsWindow() const { return chartsWindow_; }

    void setRunOptions(const RunOptions& options) { runOptions_ = options; }
    void setModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
    void setNoticeHandler(NoticeHandler handler) { noticeHandler_ = std::move(handler); }
    void setConfirmation(Confirmation confirmation) { confirmation_ = std::move(confirmation); }
    // What closing the window now would lose, as the question says it; empty: nothing.
    QString workToLose() const;
    // Makes `path` the series file of the next run, with the column chosen automatically and
    // the sample from the start; the model dialog shows it from then on.
    void chooseSeriesFile(const QString& path);

    // Copies all sixteen texts to their fields and paints them at once, even while a run keeps
    // the user-interface thread busy.
    void refresh(const ResultTexts& texts) override;

 public slots:
    void openModelParameters();
    void openGaParameters();
    void runModelOnce();
    // The "Forecasts" window for the model of the last run (the button is enabled only when
    // the last run reported one).
    void openForecasts();
    void showAbout();
    // Opens the charts of the last run in a window of their own, redrawn after every run.
    void openCharts();
    // Opens (or raises) the Statistics window of the last run's model.
    void openStatistics();
    // Refused while a run is in progress; asks first when work would be lost.
    void reject() override;
    // Chooses a series file with a file chooser.
    void openSeriesFile();
    // The whole result of the last run to the clipboard, as plain text and as Markdown.
    void copyReport();
    // Writes it to a file chosen by the user: Markdown for .md, plain text otherwise.
    void saveReport();

 signals:
    // A run has ended, with or without a model.
    void runFinished();

 protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

 private:
    void buildLayout();
    // With a "Regimes and delay" criterion: runs the model comparison on `used` and sets it to
    // estimate the best row, with a remark saying which; the notice ends the run. The Cancel
    // button beside the status line, which `blocker` lets through meanwhile, stops it: then
    // selectionCancelled_ is set and `used` is left as it was.
    MaybeNotice chooseByComparison(RunSettings& used, std::optional<std::string>& remark,
                                   InputBlocker& blocker);
    void showTexts(const ResultTexts& texts);
    void fitToScreen();
    void rebuildRecentMenu();
    // What the charts draw: the last run and the forecasts made from its model.
    charts::ChartInput chartInput() const;

    RunSettings settings_;
    std::optional<SelectionCriterion> selection_;
    ResultTexts texts_;
    ResultTexts shown_;
    RunOptions runOptions_;
    RunOutcome lastOutcome_;
    RunSettings lastRunSettings_;  // the settings of that run, run defaults written in
    // The last forecasts past the data made with that run's model, drawn by the charts' forecast
    // tab; cleared by the next run.
    std::optional<ForecastResult> lastForecasts_;
    // Their dates, as Forecasts.txt gives them, when the series file has dates.
    std::vector<std::string> lastForecastDates_;
    // The level of the thresholds' intervals set in the Statistics window, percent: the
    // likelihood-ratio chart draws its critical line there.
    double thresholdLevel_ = kDefaultThresholdLevel;
    bool running_ = false;
    // Set by the Cancel button while the comparison of "Regimes and delay" runs.
    bool selectionCancelled_ = false;
    ModalRunner modalRunner_;
    NoticeHandler noticeHandler_;
    Confirmation confirmation_;
    int runCount_ = 0;
    QSize preferredSize_;
    QMenu* recentMenu_ = nullptr;

    StatisticsView* statisticsView_ = nullptr;  // created when first opened
    QAction* aboutAction_ = nullptr;
    ChartsWindow* chartsWindow_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* forecastsButton_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* saveReportButton_ = nullptr;
    QPushButton* selectionCancelButton_ = nullptr;
    QLineEdit* iterationField_ = nullptr;
    QLineEdit* fitnessField_ = nullptr;
    QPlainTextEdit* estimatePanels_[4] = {nullptr, nullptr, nullptr, nullptr};
    QLineEdit* varianceField_ = nullptr;
    QLineEdit* residualVarianceField_ = nullptr;
    QLineEdit* naicField_ = nullptr;
    QLineEdit* aicField_ = nullptr;
    QLineEdit* mseField_ = nullptr;
    QLineEdit* ljungBoxField_ = nullptr;
    QPlainTextEdit* observationField_ = nullptr;
    QPlainTextEdit* thresholdField_ = nullptr;
    QPlainTextEdit* regimeVarianceField_ = nullptr;
    QPlainTextEdit* rSquareField_ = nullptr;
    StatusLine* statusLine_ = nullptr;
};

}  // namespace kavri
