#include "charts/regime_charts.h"

#include <QGraphicsPathItem>
#include <QLineSeries>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "charts/chart_style.h"
#include "charts/time_axis.h"

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
        // Tooltips number the observations as the result texts do, from 1.
        if (heldOutValue) {
            heldOut.append(point);
            heldOutObservations.push_back(t + 1);
        } else if (regime >= 0 && regime < static_cast<int>(regimes.size())) {
            regimes[regime].append(point);
            regimeObservations[regime].push_back(t + 1);
        } else {
            notFitted.append(point);
            notFittedObservations.push_back(t + 1);
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

// What a value of the series chart is drawn as: its regime, or the two groups outside them.
constexpr int kNotFittedGroup = -1;
constexpr int kHeldOutGroup = -2;

int groupOf(const ReportedModel& model, int t, int n) {
    if (t >= n) return kHeldOutGroup;
    const int regime = model.regimeOfObservation[t];
    return regime >= 0 && regime < static_cast<int>(model.regimes.size()) ? regime
                                                                          : kNotFittedGroup;
}

// A long series as lines: each step from one value to the next in the colour of the group of
// the value it starts from, so that a run of values in one regime is one stroke of its colour
// and the course is unbroken. The strokes are one path per group, drawn over the plot and
// redrawn whenever the plot area or an axis range changes: a chart series per run would be
// hundreds of series, each far slower to lay out than the path. The legend names each group
// once, regimes in order, through empty series of the same look.
void addRegimeLines(QChart* chart, const ReportedModel& model, const TimeAxis& time, int n,
                    int total, QValueAxis* x, QValueAxis* y) {
    const auto colorOf = [](int group) {
        return group == kHeldOutGroup ? kInkColor : (group >= 0 ? regimeColor(group) : kMutedColor);
    };
    const auto widthOf = [](int group) { return group == kHeldOutGroup ? 1.4 : 1.1; };
    std::vector<bool> present(model.regimes.size() + 2, false);
    std::vector<int> groups(static_cast<std::size_t>(total));
    for (int t = 0; t < total; ++t) {
        groups[static_cast<std::size_t>(t)] = groupOf(model, t, n);
        present[static_cast<std::size_t>(groups[static_cast<std::size_t>(t)] + 2)] = true;
    }
    QLineSeries* anchor = nullptr;  // a series on both axes, to map values to the chart
    std::vector<QGraphicsPathItem*> strokes(present.size(), nullptr);
    const auto addGroup = [&](int group) {
        auto* entry = new QLineSeries;
        entry->setName(group == kHeldOutGroup ? QString::fromLatin1(kHeldOutName)
                                              : (group >= 0 ? regimeName(group)
                                                            : QString::fromLatin1(kNotFittedName)));
        entry->setPen(linePen(colorOf(group), widthOf(group)));
        addToChart(chart, entry, x, y);
        anchor = anchor != nullptr ? anchor : entry;
        auto* stroke = new QGraphicsPathItem(chart);
        stroke->setPen(linePen(colorOf(group), widthOf(group)));
        stroke->setZValue(kRegimeStrokeZ);
        strokes[static_cast<std::size_t>(group + 2)] = stroke;
    };
    for (int group = kNotFittedGroup; group < static_cast<int>(model.regimes.size()); ++group) {
        if (present[static_cast<std::size_t>(group + 2)]) addGroup(group);
    }
    if (present[0]) addGroup(kHeldOutGroup);

    std::vector<QPointF> values;
    for (int t = 0; t < total; ++t) {
        values.emplace_back(time.at(t), model.series[t]);
    }
    const auto redraw = [chart, anchor, strokes, groups, values] {
        std::vector<QPainterPath> paths(strokes.size());
        int previous = -3;  // no group: the first step starts a new stroke
        for (std::size_t t = 1; t < values.size(); ++t) {
            const int group = groups[t - 1];
            QPainterPath& path = paths[static_cast<std::size_t>(group + 2)];
            if (group != previous) {
                path.moveTo(chart->mapToPosition(values[t - 1], anchor));
            }
            path.lineTo(chart->mapToPosition(values[t], anchor));
            previous = group;
        }
        for (std::size_t g = 0; g < strokes.size(); ++g) {
            if (strokes[g] != nullptr) strokes[g]->setPath(paths[g]);
        }
    };
    QObject::connect(chart, &QChart::plotAreaChanged, chart, redraw);
    QObject::connect(x, &QValueAxis::rangeChanged, chart, redraw);
    QObject::connect(y, &QValueAxis::rangeChanged, chart, redraw);
}

}  // namespace

std::unique_ptr<ChartFigure> buildSeriesChart(const ChartInput& input) {
    const ReportedModel& model = input.model;
    const int n = input.nObservations();
    const int total = static_cast<int>(model.series.size());
    auto figure = std::make_unique<ChartFigure>(ChartKind::kSeries, QSizeF(900.0, 540.0));
    const TimeAxis time = timeAxisOf(model.labels, total);
    auto* x = valueAxis(time.title, "%d");
    auto* y = valueAxis(QStringLiteral("value"));
    // Thresholds are values of the threshold variable: drawn across the series only when it is
    // the series itself.
    const bool own = model.thresholdVariableText.empty();
    QChart* chart =
        newChart(own ? QStringLiteral("Series, each observation by the regime of x[t\u2212%1]")
                           .arg(model.delay)
                     : QStringLiteral("Series, each observation by the regime of ") +
                           QString::fromStdString(model.thresholdVariableText),
                 x, y);

    PointGroups groups(static_cast<int>(model.regimes.size()));
    for (int t = 0; t < total; ++t) {
        groups.add(t, t < n ? model.regimeOfObservation[t] : -1, t >= n,
                   QPointF(time.at(t), model.series[t]));
    }
    // A marker per value reads on a few hundred values; beyond, they would cover each other.
    if (total > kMostSeriesMarkers) {
        addRegimeLines(chart, model, time, n, total, x, y);
    } else {
        // A thin line behind the markers keeps the course of the series readable.
        auto* course = new QLineSeries;
        course->setName(QStringLiteral("series"));
        course->setPen(linePen(kMutedColor, 0.8));
        for (int t = 0; t < total; ++t) {
            course->append(time.at(t), model.series[t]);
        }
        addToChart(chart, course, x, y);
        hideFromLegend(chart, course);
        addPointGroups(chart, groups, x, y, time.title, QStringLiteral("value"));
    }

    for (std::size_t i = 0; own && i < model.thresholds.size(); ++i) {
        const double value = model.thresholds[i];
        addToChart(chart,
                   thresholdLine(static_cast<int>(i), value, QPointF(time.at(-1), value),
                                 QPointF(time.at(total), value)),
                   x, y);
    }
    setTimeRange(x, time, 0, std::max(1, total) - 1);
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
    // The series against its threshold variable: its own lag, or the variable named.
    const bool own = model.thresholdVariableText.empty();
    const QString zName = QString::fromStdString(model.thresholdVariableText);
    const QString xName = own ? QStringLiteral("value at t\u2212%1 (threshold variable)").arg(d)
                              : zName + QStringLiteral(" (threshold variable)");
    const QString yName = QStringLiteral("value at t");
    auto* x = valueAxis(xName);
    auto* y = valueAxis(yName);
    QChart* chart = newChart(
        own ? QStringLiteral("Lag plot: x[t] against x[t\u2212%1], thresholds as lines").arg(d)
            : QStringLiteral("x[t] against ") + zName + QStringLiteral(", thresholds as lines"),
        x, y);

    PointGroups groups(static_cast<int>(model.regimes.size()));
    for (int t = std::max(d, 0); t < total; ++t) {
        const double z = model.thresholdVariableAt(t - d);
        if (!std::isfinite(z)) {
            continue;  // the change has no value at the first observation
        }
        groups.add(t, t < n ? model.regimeOfObservation[t] : -1, t >= n,
                   QPointF(z, model.series[t]));
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
