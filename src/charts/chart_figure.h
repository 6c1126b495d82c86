#pragma once

// One chart as it is shown and saved: one or more panels (each a QChart) stacked vertically
// in a graphics scene, with the plot areas of all panels aligned so that their horizontal axes
// line up (the residuals under the fit, for instance).

#include <QChart>
#include <QGraphicsScene>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

#include "charts/chart_kinds.h"

class QPainter;

namespace kavri::charts {

class ChartFigure {
 public:
    ChartFigure(ChartKind kind, QSizeF defaultSize);
    ChartFigure(const ChartFigure&) = delete;
    ChartFigure& operator=(const ChartFigure&) = delete;
    ~ChartFigure();

    ChartKind kind() const { return kind_; }
    // The file stem ("fit") and the name of the chart for people ("Fit").
    QString name() const;
    QString title() const;
    // The size in pixels at which the figure is saved.
    QSizeF defaultSize() const { return defaultSize_; }

    // Adds a panel below the others, taking ownership; panels share the height in proportion to
    // their stretch.
    void addPanel(QChart* chart, int stretch = 1);
    int panelCount() const { return static_cast<int>(panels_.size()); }
    QChart* panel(int i) const { return panels_[i].chart; }

    // The scene holding the panels, for a view to show.
    QGraphicsScene* scene() const { return scene_.get(); }

    // Places the panels in a rectangle of `size` at the scene's origin and aligns their plot
    // areas.
    void layOut(QSizeF size);

    // Lays the figure out at `size` and paints it with `painter` into (0, 0, size).
    void render(QPainter& painter, QSizeF size);

 private:
    void settleLayouts();

    struct Panel {
        QChart* chart;
        int stretch;
    };

    ChartKind kind_;
    QSizeF defaultSize_;
    std::unique_ptr<QGraphicsScene> scene_;
    std::vector<Panel> panels_;
};

}  // namespace kavri::charts
