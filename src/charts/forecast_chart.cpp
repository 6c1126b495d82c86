#include "charts/forecast_chart.h"

#include <QAreaSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <algorithm>

#include "charts/chart_style.h"
#include "charts/time_axis.h"

namespace kavri::charts {

namespace {

// Running bounds of everything drawn, for the value axis.
struct Extent {
    bool empty = true;
    double low = 0.0;
    double high = 0.0;
    void add(double value) {
        low = empty ? value : std::min(low, value);
        high = empty ? value : std::max(high, value);
        empty = false;
    }
};

QString percent(double level) { return QStringLiteral("%1%").arg(formatNumber(100.0 * level)); }

// The interval bands, widest first so that the narrower ones are drawn over them.
void addIntervals(QChart* chart, const ForecastPath& path, const TimeAxis& time, int origin,
                  QValueAxis* x, QValueAxis* y, Extent& extent) {
    std::vector<const ForecastInterval*> intervals;
    for (const ForecastInterval& interval : path.intervals) {
        intervals.push_back(&interval);
    }
    std::sort(
        intervals.begin(), intervals.end(),
        [](const ForecastInterval* a, const ForecastInterval* b) { return a->level > b->level; });
    // Lighter for the wider band: each band shows through the next, in grey as in colour.
    int shade = 0;
    for (const ForecastInterval* interval : intervals) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        const std::size_t steps = std::min(interval->lower.size(), interval->upper.size());
        for (std::size_t h = 0; h < steps; ++h) {
            const double at = time.at(origin + 1 + static_cast<int>(h));
            upper->append(at, interval->upper[h]);
            lower->append(at, interval->lower[h]);
            extent.add(interval->upper[h]);
            extent.add(interval->lower[h]);
        }
        auto* band = new QAreaSeries(upper, lower);
        // An area series does not own its bounding lines.
        upper->setParent(band);
        lower->setParent(band);
        band->setName(QStringLiteral("%1 interval").arg(percent(interval->level)));
        QColor fill(0x56, 0xB4, 0xE9);  // Okabe-Ito sky blue
        fill.setAlpha(shade == 0 ? 70 : 130);
        band->setBrush(fill);
        band->setPen(Qt::NoPen);
        addToChart(chart, band, x, y);
        // A band's marker drawn "from the series" would be the outline of its bounding line,
        // which has no pen: a filled square in the band's colour says what it is.
        for (QLegendMarker* marker : chart->legend()->markers(band)) {
            marker->setShape(QLegend::MarkerShapeRectangle);
            marker->setBrush(fill);
            marker->setPen(QPen(fill.darker(130), 1.0));
        }
        ++shade;
    }
}

}  // namespace

int forecastContextLength(int nHeldOut, int nForecastSteps) {
    return std::max({40, 2 * nHeldOut, nForecastSteps});
}

std::unique_ptr<ChartFigure> buildForecastChart(const ChartInput& input) {
    const ReportedModel& model = input.model;
    const int n = input.nObservations();
    const int total = static_cast<int>(model.series.size());
    const int heldOut = input.nHeldOut();
    const int steps = input.forecasts ? static_cast<int>(input.forecasts->point.size()) : 0;
    const int start = std::max(0, n - forecastContextLength(heldOut, steps));

    auto figure = std::make_unique<ChartFigure>(ChartKind::kForecasts, QSizeF(900.0, 540.0));
    auto* chart = new QChart;
    // Up to seven entries, some long ("forecast, 1 to 12 steps ahead"): beside the plot they
    // keep their whole names, where a row below would cut them short.
    styleChart(chart,
               steps > 0 ? QStringLiteral("Forecasts: one step ahead over the held-out "
                                          "values, then past the data")
                         : QStringLiteral("Held-out values and their one-step forecasts"),
               Qt::AlignRight);
    const TimeAxis time = timeAxisOf(model.labels, total);
    const QString xName = time.title;
    auto* x = valueAxis(xName, "%d");
    auto* y = valueAxis(QStringLiteral("value"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    Extent extent;

    if (steps > 0) {
        addIntervals(chart, *input.forecasts, time, total - 1, x, y, extent);
    }
    auto* observed = new QLineSeries;
    observed->setName(QStringLiteral("observed"));
    observed->setPen(linePen(kMutedColor, 1.2));
    for (int t = start; t < total; ++t) {
        observed->append(time.at(t), model.series[t]);
        extent.add(model.series[t]);
    }
    addToChart(chart, observed, x, y);
    attachTooltips(observed, xName, QStringLiteral("value"));

    if (heldOut > 0) {
        QScatterSeries* actual = markerSeries(QString::fromLatin1(kHeldOutValuesName), kInkColor,
                                              QScatterSeries::MarkerShapeCircle, 7.0);
        auto* forecastLine = new QLineSeries;
        forecastLine->setName(QStringLiteral("one-step forecasts, joined"));
        forecastLine->setPen(linePen(kFittedColor, 1.4, Qt::DashLine));
        QScatterSeries* forecastMarks =
            markerSeries(QString::fromLatin1(kOneStepForecastsName), kFittedColor,
                         QScatterSeries::MarkerShapeRotatedRectangle, 8.0);
        for (int i = 0; i < heldOut; ++i) {
            const double at = time.at(n + i);
            actual->append(at, model.series[n + i]);
            if (static_cast<std::size_t>(i) < model.holdoutForecasts.size()) {
                forecastLine->append(at, model.holdoutForecasts[i]);
                forecastMarks->append(at, model.holdoutForecasts[i]);
                extent.add(model.holdoutForecasts[i]);
            }
        }
        addToChart(chart, forecastLine, x, y);
        addToChart(chart, actual, x, y);
        addToChart(chart, forecastMarks, x, y);
        hideFromLegend(chart, forecastLine);
        attachTooltips(actual, xName, QStringLiteral("value"));
        attachTooltips(forecastMarks, xName, QStringLiteral("forecast"));
    }
    if (steps > 0) {
        auto* path = new QLineSeries;
        path->setName(QStringLiteral("forecast, 1 to %1 steps ahead").arg(steps));
        path->setPen(linePen(kHighlightColor, 1.8));
        path->append(time.at(total - 1), model.series[total - 1]);
        for (int h = 1; h <= steps; ++h) {
            path->append(time.at(total - 1 + h), input.forecasts->point[h - 1]);
            extent.add(input.forecasts->point[h - 1]);
        }
        addToChart(chart, path, x, y);
        attachTooltips(path, xName, QStringLiteral("forecast"));
    }

    // Where the fitted sample ends and the values the model never saw begin.
    auto* boundary = new QLineSeries;
    boundary->setName(QStringLiteral("end of the fitted sample"));
    boundary->setPen(linePen(kInkColor, 1.0, Qt::DotLine));
    setPaddedRange(y, extent.low, extent.high);
    const double end = 0.5 * (time.at(n - 1) + time.at(n));
    boundary->append(end, y->min());
    boundary->append(end, y->max());
    addToChart(chart, boundary, x, y);

    setTimeRange(x, time, start, total - 1 + steps);
    figure->addPanel(chart);
    return figure;
}

}  // namespace kavri::charts
