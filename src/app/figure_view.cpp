#include "app/figure_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QShowEvent>

namespace kavri {

FigureView::FigureView(charts::ChartFigure& figure, QWidget* parent)
    : QGraphicsView(figure.scene(), parent), figure_(figure) {
    setObjectName(QStringLiteral("%1View").arg(figure.name()));
    setRenderHint(QPainter::Antialiasing);
    setRenderHint(QPainter::TextAntialiasing);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMinimumSize(480, 320);

    saveSvgAction_ = new QAction(QStringLiteral("Save as SVG..."), this);
    saveSvgAction_->setObjectName(QStringLiteral("saveSvgAction"));
    savePngAction_ = new QAction(QStringLiteral("Save as PNG..."), this);
    savePngAction_->setObjectName(QStringLiteral("savePngAction"));
    connect(saveSvgAction_, &QAction::triggered, this,
            [this] { emit saveRequested(charts::ImageFormat::kSvg); });
    connect(savePngAction_, &QAction::triggered, this,
            [this] { emit saveRequested(charts::ImageFormat::kPng); });
}

void FigureView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    fitToViewport();
}

void FigureView::showEvent(QShowEvent* event) {
    QGraphicsView::showEvent(event);
    fitToViewport();
}

void FigureView::fitToViewport() {
    const QSizeF size = viewport()->size();
    if (size == laidOutSize_) {
        return;
    }
    laidOutSize_ = size;
    figure_.layOut(size);
    setSceneRect(QRectF(QPointF(0.0, 0.0), size));
}

void FigureView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(saveSvgAction_);
    menu.addAction(savePngAction_);
    menu.exec(event->globalPos());
}

}  // namespace kavri
