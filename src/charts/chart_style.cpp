#include "charts/chart_style.h"

#include <QChart>
#include <QCursor>
#include <QLegendMarker>
#include <QToolTip>
#include <array>
#include <cmath>

namespace kavri::charts {

namespace {

// Okabe-Ito blue, orange, bluish green and reddish purple; grey levels about 87, 162, 106 and
// 151 of 255, with the marker shape telling regimes apart where the levels are close.
constexpr std::array<QRgb, 4> kRegimeColors = {0xFF0072B2, 0xFFE69F00, 0xFF009E73, 0xFFCC79A7};
constexpr std::array<QScatterSeries::MarkerShape, 4> kRegimeMarkers = {
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeTriangle,
    QScatterSeries::MarkerShapeRectangle, QScatterSeries::MarkerShapeRotatedRectangle};

constexpr double kRegimeMarkerSize = 7.0;

}  // namespace

QColor regimeColor(int regime) { return QColor::fromRgba(kRegimeColors[regime % 4]); }

QScatterSeries::MarkerShape regimeMarker(int regime) { return kRegimeMarkers[regime % 4]; }

QString regimeName(int regime) { return QStringLiteral("regime %1").arg(regime + 1); }

QScatterSeries* markerSeries(const QString& name, const QColor& color,
                             QScatterSeries::MarkerShape shape, double size, bool hollow) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(shape);
    series->setMarkerSize(size);
    series->setColor(hollow ? QColor(Qt::transparent) : color);
    series->setBorderColor(hollow ? color : color.darker(130));
    series->setPen(QPen(hollow ? color : color.darker(130), hollow ? 1.2 : 0.6));
    return series;
}

QScatterSeries* regimeSeries(int regime) {
    return markerSeries(regimeName(regime), regimeColor(regime), regimeMarker(regime),
                        kRegimeMarkerSize);
}

QPen linePen(const QColor& color, double width, Qt::PenStyle style) {
    QPen pen(color, width, style);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void styleAxis(QAbstractAxis* axis, const QString& title) {
    axis->setTitleText(title);
    QFont font = axis->titleFont();
    font.setPointSizeF(10.0);
    font.setBold(false);
    axis->setTitleFont(font);
    QFont labels = axis->labelsFont();
    labels.setPointSizeF(9.0);
    axis->setLabelsFont(labels);
    axis->setGridLineColor(QColor(0xE0, 0xE0, 0xE0));
    axis->setMinorGridLineVisible(false);
}

QValueAxis* valueAxis(const QString& title, const char* labelFormat) {
    auto* axis = new QValueAxis;
    styleAxis(axis, title);
    axis->setLabelFormat(QString::fromLatin1(labelFormat));
    return axis;
}

void setPaddedRange(QValueAxis* axis, double low, double high, double margin) {
    const double width = high - low;
    const double pad = width > 0.0 ? width * margin : (low != 0.0 ? std::fabs(low) * 0.1 : 1.0);
    axis->setRange(low - pad, high + pad);
    axis->applyNiceNumbers();
}

void setWholeNumberTicks(QValueAxis* axis, double low, double high) {
    const double span = std::max(1.0, high - low);
    // Room for a whole marker at either end, on long axes as on short ones.
    const double pad = std::max(0.5, 0.012 * span);
    axis->setRange(low - pad, high + pad);
    // The step 1, 2 or 5 times a power of ten that gives at most eight intervals.
    double step = 1.0;
    for (double decade = 1.0; step * 8.0 < span; decade *= 10.0) {
        for (double factor : {1.0, 2.0, 5.0}) {
            step = factor * decade;
            if (step * 8.0 >= span) {
                break;
            }
        }
    }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%d"));
}

void styleChart(QChart* chart, const QString& title, Qt::Alignment legendAt) {
    chart->setTitle(title);
    QFont font = chart->titleFont();
    font.setPointSizeF(11.0);
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setBackgroundRoundness(0.0);
    chart->setMargins(QMargins(8, 4, 12, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    QLegend* legend = chart->legend();
    legend->setVisible(true);
    legend->setAlignment(legendAt);
    legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
    QFont legendFont = legend->font();
    legendFont.setPointSizeF(9.0);
    legend->setFont(legendFont);
}

void addToChart(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

void hideFromLegend(QChart* chart, QAbstractSeries* series) {
    for (QLegendMarker* marker : chart->legend()->markers(series)) {
        marker->setVisible(false);
    }
}

QString formatNumber(double value) {
    // Qt's own conversion keeps the decimal point under any user locale, as the texts do.
    return QString::number(value, 'g', 6);
}

void attachTooltips(QXYSeries* series, const QString& xName, const QString& yName,
                    std::vector<int> observations) {
    QObject::connect(series, &QXYSeries::hovered, series,
                     [series, xName, yName, observations = std::move(observations)](
                         const QPointF& point, bool entered) {
                         if (!entered) {
                             QToolTip::hideText();
                             return;
                         }
                         // The nearest point on the screen: a line series reports the
                         // pointer's position, not a point of the series.
                         QChart* chart = series->chart();
                         if (chart == nullptr) {
                             return;
                         }
                         const QPointF pointer = chart->mapToPosition(point, series);
                         const QList<QPointF> points = series->points();
                         qsizetype nearest = -1;
                         double best = 0.0;
                         for (qsizetype i = 0; i < points.size(); ++i) {
                             const QPointF at = chart->mapToPosition(points[i], series);
                             const double distance =
                                 std::hypot(at.x() - pointer.x(), at.y() - pointer.y());
                             if (nearest < 0 || distance < best) {
                                 nearest = i;
                                 best = distance;
                             }
                         }
                         if (nearest < 0) {
                             return;
                         }
                         QString text = series->name();
                         if (static_cast<std::size_t>(nearest) < observations.size()) {
                             text += QStringLiteral("\nobservation %1").arg(observations[nearest]);
                         }
                         text += QStringLiteral("\n%1: %2\n%3: %4")
                                     .arg(xName, formatNumber(points[nearest].x()), yName,
                                          formatNumber(points[nearest].y()));
                         QToolTip::showText(QCursor::pos(), text);
                     });
}

}  // namespace kavri::charts
