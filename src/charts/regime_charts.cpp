#include "charts/regime_charts.h"

#include <QLineSeries>
#include <algorithm>
#include <array>

#include "charts/chart_style.h"

namespace kavri::charts {

namespace {

// Threshold lines differ in dash pattern as well as in their legend entry.
constexpr std::array<Qt::PenStyle, 3> kThresholdStyles = {Qt::DashLine, Qt::DashDotLine,
                                                          Qt::DotLine};

// The points of a chart sorted into what is drawn apart: each regime, the observations in no
// regression, and the held-out values, each point with its observation index.
struct PointGroups {
    std::vector<QList<QPointF>> regimes;
    std::vector<std::vector<int>> regimeObservations;
    QList<QPointF> notFitted;
    std::vector<int> notFittedObservations;
    QList<QPointF> heldOut;
    std::vector<int> heldOutObservations;
    double yLow = 0.0;
    double yHigh = 0.0;
    double xLow = 0.0;
    double xHigh = 0.0;

    explicit PointGroups(int nRegimes) : regimes(nRegimes), regimeObservations(nRegimes) {}

    void add(int t, int regime, bool heldOutValue, QPointF point) {
        if (heldOutValue) {
            heldOut.append(point);
            heldOutObservations.push_back(t);
        } else if (regime >= 0 && regime < static_cast<int>(regimes.size())) {
            regimes[regime].append(point);
            regimeObservations[regime].push_back(t);
        } else {
            notFitted.append(point);
            notFittedObservations.push_back(t);
        }
        if (count_++ == 0) {
            xLow = xHigh = point.x();
            yLow = yHigh = point.y();
        }
        xLow = std::min(xLow, point.x());
        xHigh = std::max(xHigh, point.x());
        yLow = std::min(yLow, point.y());
        yHigh = std::max(yHigh, point.y());
    }

 private:
    int count_ = 0;
};

// Adds the regime, not-fitted and held-out markers of `groups` to `chart`, with tooltips.
void addPointGroups(QChart* chart, PointGroups& groups, QValueAxis* x, QValueAxis* y,
                    const QString& xName, const QString& yName) {
    for (std::size_t r = 0; r < groups.regimes.size(); ++r) {
        QScatterSeries* series = regimeSeries(static_cast<int>(r));
        series->replace(groups.regimes[r]);
        addToChart(chart, series, x, y);
        attachTooltips(series, xName, yName, groups.regimeObservations[r]);
    }
    if (!groups.notFitted.isEmpty()) {
        QScatterSeries* series = markerSeries(QString::fromLatin1(kNotFittedName), kMutedColor,
                                              QScatterSeries::MarkerShapeCircle, 7.0, true);
        series->replace(groups.notFitted);
        addToChart(chart, series, x, y);
        attachTooltips(series, xName, yName, groups.notFittedObservations);
    }
    if (!groups.heldOut.isEmpty()) {
        QScatterSeries* series = markerSeries(QString::fromLatin1(kHeldOutName), kInkColor,
                                              QScatterSeries::MarkerShapeStar, 11.0);
        series->replace(groups.heldOut);
        addToChart(chart, series, x, y);
        attachTooltips(series, xName, yName, groups.heldOutObservations);
    }
}

QString thresholdName(int i, double value) {
    return QStringLiteral("threshold %1 = %2").arg(i + 1).arg(formatNumber(value));
}

// A straight line from `from` to `to` for threshold i.
QLineSeries* thresholdLine(int i, double value, QPointF from, QPointF to) {
    auto* line = new QLineSeries;
    line->setName(thresholdName(i, value));
    line->setPen(linePen(kInkColor, 1.2, kThresholdStyles[i % kThresholdStyles.size()]));
    line->append(from);
    line->append(to);
    return line;
}

QChart* newChart(const QString& title, QValueAxis* x, QValueAxis* y) {
    auto* chart = new QChart;
    // Regime, held-out and threshold entries are too many for one row below the plot.
    styleChart(chart, title, Qt::AlignRight);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    return chart;
}

}  // namespace

std::unique_ptr<ChartFigure> buildSeriesChart(const ChartInput& input) {
    const ReportedModel& model = input.model;
    const int n = input.nObservations();
    const int total = static_cast<int>(model.series.size());
    auto figure = std::make_unique<ChartFigure>(ChartKind::kSeries, QSizeF(900.0, 540.0));
    auto* x = valueAxis(QStringLiteral("observation"), "%d");
    auto* y = valueAxis(QStringLiteral("value"));
    QChart* chart = newChart(
        QStringLiteral("Series, each observation by the regime of x[t\u2212%1]").arg(model.delay),
        x, y);

    // A thin line behind the markers keeps the course of the series readable.
    auto* course = new QLineSeries;
    course->setName(QStringLiteral("series"));
    course->setPen(linePen(kMutedColor, 0.8));
    PointGroups groups(static_cast<int>(model.regimes.size()));
    for (int t = 0; t < total; ++t) {
        const QPointF point(t, model.series[t]);
        course->append(point);
        groups.add(t, t < n ? model.regimeOfObservation[t] : -1, t >= n, point);
    }
    addToChart(chart, course, x, y);
    hideFromLegend(chart, course);
    addPointGroups(chart, groups, x, y, QStringLiteral("observation"), QStringLiteral("value"));

    for (std::size_t i = 0; i < model.thresholds.size(); ++i) {
        const double value = model.thresholds[i];
        addToChart(
            chart,
            thresholdLine(static_cast<int>(i), value, QPointF(-1.0, value), QPointF(total, value)),
            x, y);
    }
    setWholeNumberTicks(x, 0.0, std::max(1, total) - 1.0);
    setPaddedRange(y, groups.yLow, groups.yHigh);
    figure->addPanel(chart);
    return figure;
}

std::unique_ptr<ChartFigure> buildLagChart(const ChartInput& input) {
    const ReportedModel& model = input.model;
    const int n = input.nObservations();
    const int total = static_cast<int>(model.series.size());
    const int d = model.delay;
    auto figure = std::make_unique<ChartFigure>(ChartKind::kLag, QSizeF(760.0, 640.0));
    const QString xName = QStringLiteral("value at t\u2212%1 (threshold variable)").arg(d);
    const QString yName = QStringLiteral("value at t");
    auto* x = valueAxis(xName);
    auto* y = valueAxis(yName);
    QChart* chart = newChart(
        QStringLiteral("Lag plot: x[t] against x[t\u2212%1], thresholds as lines").arg(d), x, y);

    PointGroups groups(static_cast<int>(model.regimes.size()));
    for (int t = std::max(d, 0); t < total; ++t) {
        groups.add(t, t < n ? model.regimeOfObservation[t] : -1, t >= n,
                   QPointF(model.series[t - d], model.series[t]));
    }
    addPointGroups(chart, groups, x, y, xName, yName);
    setPaddedRange(x, groups.xLow, groups.xHigh);
    setPaddedRange(y, groups.yLow, groups.yHigh);
    for (std::size_t i = 0; i < model.thresholds.size(); ++i) {
        const double value = model.thresholds[i];
        addToChart(chart,
                   thresholdLine(static_cast<int>(i), value, QPointF(value, y->min()),
                                 QPointF(value, y->max())),
                   x, y);
    }
    figure->addPanel(chart);
    return figure;
}

}  // namespace kavri::charts
