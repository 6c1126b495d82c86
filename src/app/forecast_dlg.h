#pragma once

// The window "Forecasts": forecasts past the data with the model of the last run. The user
// chooses the horizon, the method, the number of simulated paths and the seed; "Forecast"
// computes the forecasts (and their check on the held-out values), writes Forecasts.txt where
// the run wrote its result files and shows the table of Forecasts.txt: step, point forecast,
// median and the bounds of the central intervals at the levels chosen (80% and 95% unless the
// user types others), with the date of each step when the series file has dates, and says where
// the file was written. With held-out values, the dynamic check follows: its RMSE at step 1
// and over all steps, and its table (step, date of the held-out value, observed, forecast,
// error, RMSE, MAE and MAPE up to the step), as kavri-cli prints it. A file that cannot be written,
// or levels that are not percentages, is a message; the window stays open.

#include <QDialog>
#include <functional>
#include <optional>

#include "model/notice.h"
#include "model/reported_model.h"
#include "report/result_files.h"
#include "run/forecast_run.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kavri {

class ForecastDlg : public QDialog {
    Q_OBJECT

 public:
    // Shows the notice of a forecast that could not be written; by default a warning box.
    using NoticeHandler = std::function<void(const Notice& notice)>;

    // `model` must be available; the dialog keeps its own copy.
    ForecastDlg(const ReportedModel& model, ResultFiles files, QWidget* parent = nullptr);

    // The forecasts shown, as numbers; empty until "Forecast" has succeeded.
    const std::optional<ForecastOutcome>& outcome() const { return outcome_; }
    void setNoticeHandler(NoticeHandler handler) { noticeHandler_ = std::move(handler); }

 public slots:
    void makeForecasts();

 private:
    void buildLayout();
    void showMethod();
    void showForecasts();
    // The settings chosen, or none when the levels typed are not percentages.
    std::optional<ForecastSettings> chosenSettings() const;

    ReportedModel model_;
    ResultFiles files_;
    std::optional<ForecastOutcome> outcome_;
    NoticeHandler noticeHandler_;

    QSpinBox* horizonSpin_ = nullptr;
    QComboBox* methodCombo_ = nullptr;
    QSpinBox* pathsSpin_ = nullptr;
    QSpinBox* seedSpin_ = nullptr;
    QLineEdit* levelsEdit_ = nullptr;
    QLabel* writtenLabel_ = nullptr;
    QPushButton* forecastButton_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* checkLabel_ = nullptr;
    QTableWidget* checkTable_ = nullptr;
};

}  // namespace kavri
