#pragma once

// One chart on screen: the figure fills the view and is laid out again whenever the view is
// resized. Its context menu offers to save the chart as SVG or as PNG.

#include <QGraphicsView>

#include "charts/chart_export.h"
#include "charts/chart_figure.h"

namespace kavri {

class FigureView : public QGraphicsView {
    Q_OBJECT

 public:
    // Shows `figure`, which must outlive the view.
    FigureView(charts::ChartFigure& figure, QWidget* parent = nullptr);

    charts::ChartFigure& figure() const { return figure_; }
    // The context menu's entries, "Save as SVG..." and "Save as PNG...".
    QList<QAction*> saveActions() const { return {saveSvgAction_, savePngAction_}; }

 signals:
    void saveRequested(charts::ImageFormat format);

 protected:
    // The chart follows the viewport's size. A view in a window that is first shown is resized
    // while still hidden, and only its first (minimum) size reaches resizeEvent; showing it
    // lays the chart out again at the size it is shown at.
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

 private:
    void fitToViewport();

    charts::ChartFigure& figure_;
    QSizeF laidOutSize_;
    QAction* saveSvgAction_ = nullptr;
    QAction* savePngAction_ = nullptr;
};

}  // namespace kavri
