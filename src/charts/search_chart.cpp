#include "charts/search_chart.h"

#include <QLineSeries>
#include <algorithm>
#include <array>

#include "charts/chart_style.h"

namespace kavri::charts {

namespace {

constexpr std::array<Qt::PenStyle, 3> kCurveStyles = {Qt::SolidLine, Qt::DashLine, Qt::DotLine};

QChart* newPanel(const QString& title, QValueAxis* x, QValueAxis* y) {
    auto* chart = new QChart;
    styleChart(chart, title);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    return chart;
}

void widenToInclude(double value, double& low, double& high, bool& empty) {
    low = empty ? value : std::min(low, value);
    high = empty ? value : std::max(high, value);
    empty = false;
}

QChart* generationPanel(const ChartInput& input) {
    const QString xName = QStringLiteral("generation");
    const QString yName = QStringLiteral("fitness");
    auto* x = valueAxis(xName, "%d");
    auto* y = valueAxis(yName, "%.5g");
    QChart* chart = newPanel(QStringLiteral("Genetic search: fitness by generation"), x, y);

    auto* fittest = new QLineSeries;
    fittest->setName(QStringLiteral("fittest of each generation"));
    fittest->setPen(linePen(kMutedColor, 1.0));
    auto* best = new QLineSeries;
    best->setName(QStringLiteral("best of the run so far"));
    best->setPen(linePen(kFittedColor, 2.2));
    double low = 0.0;
    double high = 0.0;
    bool empty = true;
    for (std::size_t g = 0; g < input.generationFittest.size(); ++g) {
        fittest->append(g, input.generationFittest[g]);
        widenToInclude(input.generationFittest[g], low, high, empty);
    }
    for (std::size_t g = 0; g < input.generationBest.size(); ++g) {
        best->append(g, input.generationBest[g]);
        widenToInclude(input.generationBest[g], low, high, empty);
    }
    // The fittest on top: where it equals the best of the run it would vanish under it.
    addToChart(chart, best, x, y);
    addToChart(chart, fittest, x, y);
    attachTooltips(fittest, xName, yName);
    attachTooltips(best, xName, yName);

    // The generation that first reached the best of the run.
    const auto top = std::max_element(input.generationBest.begin(), input.generationBest.end());
    const int reached = static_cast<int>(top - input.generationBest.begin());
    QScatterSeries* mark = markerSeries(
        QStringLiteral("best of the run: %1 (generation %2)").arg(formatNumber(*top)).arg(reached),
        kHighlightColor, QScatterSeries::MarkerShapeStar, 14.0);
    mark->append(reached, *top);
    addToChart(chart, mark, x, y);
    attachTooltips(mark, xName, yName);

    setWholeNumberTicks(x, 0.0, std::max<double>(1.0, input.generationBest.size() - 1.0));
    setPaddedRange(y, low, high, 0.08);
    return chart;
}

QChart* profilePanel(const ThresholdProfile& profile, const QString& title) {
    const QString xName = QStringLiteral("threshold value");
    const QString yName = QStringLiteral("fitness");
    auto* x = valueAxis(xName);
    auto* y = valueAxis(yName, "%.5g");
    QChart* chart = newPanel(title, x, y);

    double xLow = 0.0, xHigh = 0.0, yLow = 0.0, yHigh = 0.0;
    bool xEmpty = true, yEmpty = true;
    QScatterSeries* optima = markerSeries(QString::fromLatin1(kOptimumName), kHighlightColor,
                                          QScatterSeries::MarkerShapeStar, 14.0);
    for (const ThresholdProfileCurve& curve : profile.curves) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("threshold %1 moved").arg(curve.threshold + 1));
        line->setPen(linePen(kInkColor, 1.4, kCurveStyles[curve.threshold % 3]));
        for (std::size_t j = 0; j < curve.values.size(); ++j) {
            line->append(curve.values[j], curve.fitness[j]);
            widenToInclude(curve.values[j], xLow, xHigh, xEmpty);
            widenToInclude(curve.fitness[j], yLow, yHigh, yEmpty);
        }
        addToChart(chart, line, x, y);
        attachTooltips(line, xName, yName);
        if (!curve.values.empty()) {
            optima->append(curve.values[curve.optimumIndex], curve.fitness[curve.optimumIndex]);
        }
    }
    addToChart(chart, optima, x, y);
    attachTooltips(optima, xName, yName);
    setPaddedRange(x, xLow, xHigh);
    setPaddedRange(y, yLow, yHigh, 0.08);
    return chart;
}

// LR(g) of each threshold over the values it may take, the others held, with the critical
// value of the confidence interval as a horizontal line: the values below it form the interval.
QChart* likelihoodRatioPanel(const std::vector<ThresholdConfidence>& curves, const QString& title) {
    const QString xName = QStringLiteral("threshold value");
    const QString yName = QStringLiteral("likelihood ratio LR");
    auto* x = valueAxis(xName);
    auto* y = valueAxis(yName, "%.4g");
    QChart* chart = newPanel(title, x, y);
    double xLow = 0.0, xHigh = 0.0, yLow = 0.0, yHigh = 0.0;
    bool xEmpty = true, yEmpty = true;
    QScatterSeries* optima = markerSeries(QString::fromLatin1(kOptimumName), kHighlightColor,
                                          QScatterSeries::MarkerShapeStar, 14.0);
    for (const ThresholdConfidence& interval : curves) {
        const ThresholdLikelihoodRatio& curve = interval.curve;
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("threshold %1 moved").arg(interval.threshold + 1));
        line->setPen(linePen(kInkColor, 1.4, kCurveStyles[interval.threshold % 3]));
        for (std::size_t j = 0; j < curve.values.size(); ++j) {
            line->append(curve.values[j], curve.lr[j]);
            widenToInclude(curve.values[j], xLow, xHigh, xEmpty);
            widenToInclude(curve.lr[j], yLow, yHigh, yEmpty);
        }
        addToChart(chart, line, x, y);
        attachTooltips(line, xName, yName);
        optima->append(curve.values[curve.optimumIndex], curve.lr[curve.optimumIndex]);
    }
    if (!curves.empty()) {
        const ThresholdConfidence& first = curves.front();
        auto* level = new QLineSeries;
        level->setName(QStringLiteral("%1% level, LR = %2")
                           .arg(first.level)
                           .arg(first.criticalValue, 0, 'f', 2));
        level->setPen(linePen(kHighlightColor, 1.2, Qt::DashLine));
        level->append(xLow, first.criticalValue);
        level->append(xHigh, first.criticalValue);
        widenToInclude(first.criticalValue, yLow, yHigh, yEmpty);
        addToChart(chart, level, x, y);
    }
    addToChart(chart, optima, x, y);
    attachTooltips(optima, xName, yName);
    setPaddedRange(x, xLow, xHigh);
    setPaddedRange(y, yLow, yHigh, 0.08);
    return chart;
}

QChart* delayPanel(const ChartInput& input) {
    const QString xName = QStringLiteral("delay d");
    const QString yName = QStringLiteral("fitness");
    auto* x = valueAxis(xName, "%d");
    auto* y = valueAxis(yName, "%.5g");
    QChart* chart = newPanel(QStringLiteral("Delay scan: best fitness at each delay"), x, y);

    auto* line = new QLineSeries;
    line->setName(QStringLiteral("best fitness at the delay"));
    line->setPen(linePen(kFittedColor, 1.6));
    QScatterSeries* points = markerSeries(QStringLiteral("best fitness at the delay"), kFittedColor,
                                          QScatterSeries::MarkerShapeCircle, 8.0);
    QScatterSeries* best = markerSeries(QStringLiteral("best delay: d = %1").arg(input.bestDelay),
                                        kHighlightColor, QScatterSeries::MarkerShapeStar, 14.0);
    double low = 0.0, high = 0.0;
    bool empty = true;
    for (std::size_t i = 0; i < input.scanDelays.size(); ++i) {
        const QPointF point(input.scanDelays[i], input.scanFitness[i]);
        line->append(point);
        points->append(point);
        if (input.scanDelays[i] == input.bestDelay) {
            best->append(point);
        }
        widenToInclude(input.scanFitness[i], low, high, empty);
    }
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(points),
          static_cast<QAbstractSeries*>(best)}) {
        addToChart(chart, series, x, y);
    }
    hideFromLegend(chart, line);
    attachTooltips(points, xName, yName);
    const auto [first, last] =
        std::minmax_element(input.scanDelays.begin(), input.scanDelays.end());
    setWholeNumberTicks(x, *first, *last);
    setPaddedRange(y, low, high, 0.08);
    return chart;
}

constexpr const char* kLrTitle = "likelihood ratio of each threshold, the others held";

constexpr const char* kProfileTitle =
    "Exact search: fitness as one threshold moves, the others at the optimum";

}  // namespace

bool hasSearchChart(const ChartInput& input) {
    switch (input.search) {
        case SearchKind::kGenetic:
            return !input.generationBest.empty();
        case SearchKind::kExact:
            return !input.profile.curves.empty();
        case SearchKind::kDelayScan:
            return !input.scanDelays.empty() && input.scanDelays.size() == input.scanFitness.size();
        case SearchKind::kGivenThresholds:
            break;
    }
    return false;
}

std::unique_ptr<ChartFigure> buildSearchChart(const ChartInput& input) {
    const bool scanWithProfile =
        input.search == SearchKind::kDelayScan && !input.profile.curves.empty();
    auto figure = std::make_unique<ChartFigure>(ChartKind::kSearch,
                                                QSizeF(900.0, scanWithProfile ? 860.0 : 540.0));
    switch (input.search) {
        case SearchKind::kGenetic:
            figure->addPanel(generationPanel(input));
            break;
        case SearchKind::kExact:
            figure->addPanel(
                input.thresholdLr.empty()
                    ? profilePanel(input.profile, QString::fromLatin1(kProfileTitle))
                    : likelihoodRatioPanel(input.thresholdLr, QStringLiteral("Exact search: ") +
                                                                  QString::fromLatin1(kLrTitle)));
            break;
        case SearchKind::kDelayScan:
            figure->addPanel(delayPanel(input));
            if (scanWithProfile) {
                figure->addPanel(
                    input.thresholdLr.empty()
                        ? profilePanel(input.profile,
                                       QStringLiteral("At the best delay: fitness as one "
                                                      "threshold moves, the others at the optimum"))
                        : likelihoodRatioPanel(input.thresholdLr,
                                               QStringLiteral("At the best delay: ") +
                                                   QString::fromLatin1(kLrTitle)));
            }
            break;
        case SearchKind::kGivenThresholds:
            break;
    }
    return figure;
}

}  // namespace kavri::charts
