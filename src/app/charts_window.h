#pragma once

// The "Charts" window of the desktop program: one tab per chart of the last run (series and
// regimes, lag plot, fit, residual autocorrelation, forecasts, search), shown beside the main
// window and redrawn after every run. Each chart saves as SVG or PNG from its context menu or
// from "Save...".

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "charts/chart_export.h"
#include "charts/chart_figure.h"
#include "charts/chart_input.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace kavri {

inline constexpr const char* kChartsCaption = "Kavri charts";
inline constexpr const char* kNoChartsText =
    "No charts yet: press OK in the main window to run the model, and its charts appear here.";

class ChartsWindow : public QDialog {
    Q_OBJECT

 public:
    // Asks where to save a chart: given the suggested path, the file filters (the chart's
    // format first) and the filter to preselect, returns the path chosen (empty: cancelled)
    // and sets the filter chosen. By default a file dialog; tests answer it themselves.
    using SavePathChooser = std::function<QString(const QString& suggested,
                                                  const QStringList& filters, QString& selected)>;

    explicit ChartsWindow(QWidget* parent = nullptr);
    ~ChartsWindow() override;

    // Replaces the tabs by every chart that applies to `input`; without a model, a note.
    void showCharts(const charts::ChartInput& input);

    QTabWidget* tabs() const { return tabs_; }
    // What the charts shown were drawn from.
    const charts::ChartInput& input() const { return input_; }
    void setSavePathChooser(SavePathChooser chooser) { chooseSavePath_ = std::move(chooser); }
    // Saves the chart of tab `index` to `path`, as SVG or PNG by its extension (SVG when it
    // has neither), at the chart's own size. Empty on success, otherwise the reason.
    std::optional<QString> saveChart(int index, const QString& path) const;

 public slots:
    // Asks for a file and saves the chart of the current tab there.
    void saveCurrentChart();

 private:
    void saveWithDialog(int index, charts::ImageFormat format);

    charts::ChartInput input_;
    std::vector<std::unique_ptr<charts::ChartFigure>> figures_;
    QString lastDirectory_;
    SavePathChooser chooseSavePath_;
    QStackedWidget* pages_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* emptyNote_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};

}  // namespace kavri
