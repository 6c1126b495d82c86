#include "charts/residual_charts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCursor>
#include <QLegendMarker>
#include <QLineSeries>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "charts/chart_style.h"
#include "charts/time_axis.h"
#include "inference/diagnostics.h"

namespace kavri::charts {

namespace {

// The 97.5% point of the standard normal distribution.
constexpr double kNormalQuantile975 = 1.96;
// The level below which a Ljung-Box p value rejects white noise, as peers draw it.
constexpr double kLjungBoxLevel = 0.05;

QLineSeries* lineSeries(const QString& name, const QPen& pen) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(pen);
    return series;
}

// Actual and fitted values over the fitted observations.
QChart* fitPanel(const ReportedModel& model, const TimeAxis& time, int n, int first) {
    auto* chart = new QChart;
    styleChart(chart, QStringLiteral("Actual and fitted values"));
    auto* x = valueAxis(time.title, "%d");
    auto* y = valueAxis(QStringLiteral("value"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    QLineSeries* actual = lineSeries(QStringLiteral("actual"), linePen(kInkColor, 1.0));
    QLineSeries* fitted = lineSeries(QStringLiteral("fitted"), linePen(kFittedColor, 1.6));
    double low = 0.0;
    double high = 0.0;
    for (int t = 0; t < n; ++t) {
        actual->append(time.at(t), model.series[t]);
        low = t == 0 ? model.series[t] : std::min(low, model.series[t]);
        high = t == 0 ? model.series[t] : std::max(high, model.series[t]);
    }
    for (int t = first; t < n; ++t) {
        fitted->append(time.at(t), model.fitted[t]);
        low = std::min(low, model.fitted[t]);
        high = std::max(high, model.fitted[t]);
    }
    addToChart(chart, actual, x, y);
    addToChart(chart, fitted, x, y);
    attachTooltips(actual, time.title, QStringLiteral("value"));
    attachTooltips(fitted, time.title, QStringLiteral("value"));
    // The same range as the residuals below, so that a time reads the same in both panels.
    setTimeRange(x, time, 0, std::max(1, n) - 1);
    setPaddedRange(y, low, high);
    return chart;
}

// The residuals of the fitted observations around a zero line.
QChart* residualPanel(const ReportedModel& model, const TimeAxis& time, int n, int first) {
    auto* chart = new QChart;
    styleChart(chart, QStringLiteral("Residuals"));
    auto* x = valueAxis(time.title, "%d");
    auto* y = valueAxis(QStringLiteral("residual"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    QLineSeries* residuals = lineSeries(QStringLiteral("residual"), linePen(kHighlightColor, 1.0));
    double extent = 0.0;
    for (int t = first; t < n; ++t) {
        residuals->append(time.at(t), model.residuals[t]);
        extent = std::max(extent, std::fabs(model.residuals[t]));
    }
    QLineSeries* zero = lineSeries(QStringLiteral("zero"), linePen(kInkColor, 1.0));
    zero->append(time.at(-1), 0.0);
    zero->append(time.at(n), 0.0);
    addToChart(chart, residuals, x, y);
    addToChart(chart, zero, x, y);
    hideFromLegend(chart, zero);
    attachTooltips(residuals, time.title, QStringLiteral("residual"));
    setTimeRange(x, time, 0, std::max(1, n) - 1);
    setPaddedRange(y, -extent, extent);
    return chart;
}

}  // namespace

double whiteNoiseBand(int n) { return kNormalQuantile975 / std::sqrt(static_cast<double>(n)); }

int firstFittedObservation(const ReportedModel& model) {
    return std::max(model.maxOrder - 1, model.delay);
}

std::unique_ptr<ChartFigure> buildFitChart(const ChartInput& input) {
    const int n = input.nObservations();
    const int first = std::min(firstFittedObservation(input.model), n);
    auto figure = std::make_unique<ChartFigure>(ChartKind::kFit, QSizeF(900.0, 680.0));
    const TimeAxis time =
        timeAxisOf(input.model.labels, static_cast<int>(input.model.series.size()));
    figure->addPanel(fitPanel(input.model, time, n, first), 3);
    figure->addPanel(residualPanel(input.model, time, n, first), 2);
    return figure;
}

std::unique_ptr<ChartFigure> buildAcfChart(const ChartInput& input) {
    const ReportedModel& model = input.model;
    const int n = input.nObservations();
    // The regressions' own residuals: at a threshold tie the whole-series fit would mix in the
    // other regime's equation.
    const std::vector<double>& acf = model.ownAutocorrelations();
    const int nLags = std::max(0, static_cast<int>(acf.size()) - 1);
    auto figure = std::make_unique<ChartFigure>(ChartKind::kAcf, QSizeF(820.0, 520.0));
    auto* chart = new QChart;
    styleChart(chart, QStringLiteral("Residual autocorrelation, Ljung-Box Q(%1) = %2")
                          .arg(nLags)
                          .arg(formatNumber(model.ownLjungBox())));

    auto* bars = new QBarSet(QStringLiteral("autocorrelation"));
    bars->setColor(kFittedColor);
    bars->setBorderColor(kFittedColor.darker(130));
    QStringList lags;
    double extent = whiteNoiseBand(n);
    for (int k = 1; k <= nLags; ++k) {
        bars->append(acf[k]);
        lags.append(QString::number(k));
        extent = std::max(extent, std::fabs(acf[k]));
    }
    auto* barSeries = new QBarSeries;
    barSeries->append(bars);
    barSeries->setBarWidth(0.45);
    QObject::connect(bars, &QBarSet::hovered, bars, [bars](bool entered, int index) {
        if (entered) {
            QToolTip::showText(QCursor::pos(), QStringLiteral("lag %1\nautocorrelation: %2")
                                                   .arg(index + 1)
                                                   .arg(formatNumber(bars->at(index))));
        } else {
            QToolTip::hideText();
        }
    });

    auto* x = new QBarCategoryAxis;
    x->append(lags);
    styleAxis(x, QStringLiteral("lag"));
    auto* y = valueAxis(QStringLiteral("autocorrelation"), "%.2f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    addToChart(chart, barSeries, x, y);

    // On a category axis the bars stand at 0 .. K-1; the lines span the whole plot.
    const double band = whiteNoiseBand(n);
    const QPen bandPen = linePen(kHighlightColor, 1.4, Qt::DashLine);
    QLineSeries* upper =
        lineSeries(QStringLiteral("95% band \u00B11.96/\u221AN, N = %1").arg(n), bandPen);
    QLineSeries* lower = lineSeries(QStringLiteral("lower band"), bandPen);
    QLineSeries* zero = lineSeries(QStringLiteral("zero"), linePen(kInkColor, 1.0));
    for (const double edge : {-0.5, nLags - 0.5}) {
        upper->append(edge, band);
        lower->append(edge, -band);
        zero->append(edge, 0.0);
    }
    for (QLineSeries* line : {upper, lower, zero}) {
        addToChart(chart, line, x, y);
    }
    hideFromLegend(chart, lower);
    hideFromLegend(chart, zero);
    // A bar set has no marker of its own to copy: its entry is a filled square.
    for (QLegendMarker* marker : chart->legend()->markers(barSeries)) {
        marker->setShape(QLegend::MarkerShapeRectangle);
    }
    setPaddedRange(y, -extent, extent, 0.1);
    figure->addPanel(chart);
    return figure;
}

bool hasLjungBoxPValues(const ReportedModel& model) {
    for (const PortmanteauTest& test : ljungBoxByLag(model)) {
        if (test.pValue) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<ChartFigure> buildLjungBoxChart(const ChartInput& input) {
    const std::vector<PortmanteauTest> tests = ljungBoxByLag(input.model);
    const int nLags = static_cast<int>(tests.size());
    int firstWithP = nLags + 1;
    for (const PortmanteauTest& test : tests) {
        if (test.pValue) {
            firstWithP = std::min(firstWithP, test.lags);
        }
    }
    auto figure = std::make_unique<ChartFigure>(ChartKind::kLjungBox, QSizeF(820.0, 520.0));
    auto* chart = new QChart;
    // Q(h) has h - max p_r degrees of freedom: the first lags have none and no p value.
    QString title = QStringLiteral("Ljung-Box p values of the residuals by lag");
    if (firstWithP > 1) {
        title += QStringLiteral(" (from lag %1)").arg(firstWithP);
    }
    styleChart(chart, title);
    const QString xName = QStringLiteral("lag");
    const QString yName = QStringLiteral("p value");
    auto* x = valueAxis(xName, "%d");
    auto* y = valueAxis(yName, "%.2f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    QLineSeries* joined = lineSeries(QStringLiteral("joined"), linePen(kMutedColor, 1.0));
    QScatterSeries* points = markerSeries(QStringLiteral("p value of Q(lag)"), kFittedColor,
                                          QScatterSeries::MarkerShapeCircle, 9.0);
    QScatterSeries* below = markerSeries(QStringLiteral("p value below 0.05"), kHighlightColor,
                                         QScatterSeries::MarkerShapeRectangle, 10.0);
    for (const PortmanteauTest& test : tests) {
        if (!test.pValue) {
            continue;
        }
        joined->append(test.lags, *test.pValue);
        (*test.pValue < kLjungBoxLevel ? below : points)->append(test.lags, *test.pValue);
    }
    QLineSeries* level =
        lineSeries(QStringLiteral("5% level"), linePen(kHighlightColor, 1.4, Qt::DashLine));
    level->append(0.0, kLjungBoxLevel);
    level->append(nLags + 1.0, kLjungBoxLevel);
    addToChart(chart, joined, x, y);
    addToChart(chart, level, x, y);
    addToChart(chart, points, x, y);
    hideFromLegend(chart, joined);
    attachTooltips(points, xName, yName);
    if (below->count() > 0) {
        addToChart(chart, below, x, y);
        attachTooltips(below, xName, yName);
    } else {
        delete below;
    }
    setWholeNumberTicks(x, 1.0, std::max(2.0, static_cast<double>(nLags)));
    y->setRange(0.0, 1.0);
    y->setTickCount(6);
    figure->addPanel(chart);
    return figure;
}

}  // namespace kavri::charts
