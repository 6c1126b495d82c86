#include "charts/regime_charts.h"

#include <QLineSeries>
#include <algorithm>
#include <array>

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

// A long series as lines: each run of consecutive values in one group a line in the group's
// colour, joined to the first value of the next run so that the course is unbroken. Returns
// false, drawing nothing, when the runs are too many for lines to be worth drawing.
bool addRegimeLines(QChart* chart, const ReportedModel& model, const TimeAxis& time, int n,
                    int total, QValueAxis* x, QValueAxis* y) {
    int runs = 0;
    for (int t = 1; t < total; ++t) {
        runs += groupOf(model, t, n) != groupOf(model, t - 1, n) ? 1 : 0;
    }
    if (runs > kMostRegimeRuns) {
        return false;
    }
    // The look of each group; the legend lists the groups once, regimes in order, from empty
    // series of that look, and the runs themselves stay out of it.
    const auto styled = [&](int group) {
        auto* line = new QLineSeries;
        QColor color = kMutedColor;
        QString name = QString::fromLatin1(kNotFittedName);
        if (group == kHeldOutGroup) {
            color = kInkColor;
            name = QString::fromLatin1(kHeldOutName);
        } else if (group >= 0) {
            color = regimeColor(group);
            name = regimeName(group);
        }
        line->setName(name);
        line->setPen(linePen(color, group == kHeldOutGroup ? 1.4 : 1.1));
        return line;
    };
    std::vector<bool> present(model.regimes.size() + 2, false);
    for (int t = 0; t < total; ++t) {
        present[static_cast<std::size_t>(groupOf(model, t, n) + 2)] = true;
    }
    for (int group = kNotFittedGroup; group < static_cast<int>(model.regimes.size()); ++group) {
        if (present[static_cast<std::size_t>(group + 2)]) {
            addToChart(chart, styled(group), x, y);
        }
    }
    if (present[0]) {
        addToChart(chart, styled(kHeldOutGroup), x, y);
    }
    QLineSeries* line = nullptr;
    for (int t = 0; t < total; ++t) {
        const int group = groupOf(model, t, n);
        const QPointF point(time.at(t), model.series[t]);
        if (line != nullptr && group == groupOf(model, t - 1, n)) {
            line->append(point);
            continue;
        }
        if (line != nullptr) {
            line->append(point);
        }
        line = styled(group);
        line->append(point);
        addToChart(chart, line, x, y);
        hideFromLegend(chart, line);
    }
    return true;
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
    QChart* chart = newChart(
        QStringLiteral("Series, each observation by the regime of x[t\u2212%1]").arg(model.delay),
        x, y);

    PointGroups groups(static_cast<int>(model.regimes.size()));
    for (int t = 0; t < total; ++t) {
        groups.add(t, t < n ? model.regimeOfObservation[t] : -1, t >= n,
                   QPointF(time.at(t), model.series[t]));
    }
    // A marker per value reads on a few hundred values; beyond, they would cover each other.
    if (total <= kMostSeriesMarkers || !addRegimeLines(chart, model, time, n, total, x, y)) {
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

    for (std::size_t i = 0; i < model.thresholds.size(); ++i) {
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
