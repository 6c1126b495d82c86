#include "charts/chart_figure.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsLayout>
#include <QPainter>
#include <algorithm>

namespace kavri::charts {

ChartFigure::ChartFigure(ChartKind kind, QSizeF defaultSize)
    : kind_(kind), defaultSize_(defaultSize), scene_(std::make_unique<QGraphicsScene>()) {
    scene_->setBackgroundBrush(Qt::white);
}

// The scene deletes the panels it holds.
ChartFigure::~ChartFigure() = default;

QString ChartFigure::name() const { return QString::fromLatin1(describeChart(kind_).fileStem); }

QString ChartFigure::title() const { return QString::fromUtf8(describeChart(kind_).title); }

void ChartFigure::addPanel(QChart* chart, int stretch) {
    scene_->addItem(chart);
    panels_.push_back(Panel{chart, std::max(1, stretch)});
}

void ChartFigure::layOut(QSizeF size) {
    int totalStretch = 0;
    for (const Panel& panel : panels_) {
        totalStretch += panel.stretch;
    }
    double top = 0.0;
    for (const Panel& panel : panels_) {
        const double height = size.height() * panel.stretch / std::max(1, totalStretch);
        panel.chart->setPlotArea(QRectF());  // back to the automatic plot area
        panel.chart->setGeometry(QRectF(0.0, top, size.width(), height));
        top += height;
    }
    settleLayouts();
    if (panels_.size() < 2) {
        return;
    }
    // Tick labels of different widths give the panels different plot areas; the narrowest
    // common one keeps every label and lines the horizontal axes up.
    double left = 0.0;
    double right = size.width();
    for (const Panel& panel : panels_) {
        const QRectF area = panel.chart->plotArea();
        left = std::max(left, area.left());
        right = std::min(right, area.right());
    }
    for (const Panel& panel : panels_) {
        const QRectF area = panel.chart->plotArea();
        panel.chart->setPlotArea(QRectF(left, area.top(), right - left, area.height()));
    }
    settleLayouts();
}

void ChartFigure::settleLayouts() {
    // Charts lay out their legends and axes on posted layout requests; a figure drawn without
    // an event loop (saved from the command line) must apply them before it paints. A layout
    // that Qt thinks current is not redone by activate(): a plot area set by hand after the
    // chart had been laid out at its size would be stored but not drawn (the panels of the fit
    // chart stood apart in the window), so every layout is invalidated first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (const Panel& panel : panels_) {
        panel.chart->layout()->invalidate();
        panel.chart->layout()->activate();
    }
}

void ChartFigure::render(QPainter& painter, QSizeF size) {
    layOut(size);
    const QRectF area(QPointF(0.0, 0.0), size);
    scene_->setSceneRect(area);
    painter.fillRect(area, Qt::white);
    scene_->render(&painter, area, area);
}

}  // namespace kavri::charts
