#include "charts/chart_catalogue.h"

#include <cassert>

#include "charts/forecast_chart.h"
#include "charts/regime_charts.h"
#include "charts/residual_charts.h"
#include "charts/search_chart.h"

namespace kavri::charts {

bool chartApplies(ChartKind kind, const ChartInput& input) {
    const ReportedModel& model = input.model;
    // A model too short to hold the fitted values is not one the charts can trust.
    if (!model.available || input.nObservations() == 0 ||
        model.series.size() < model.fitted.size() ||
        model.regimeOfObservation.size() != model.fitted.size() ||
        model.residuals.size() != model.fitted.size()) {
        return false;
    }
    switch (kind) {
        case ChartKind::kSeries:
        case ChartKind::kLag:
        case ChartKind::kFit:
            return true;
        case ChartKind::kAcf:
            return model.autocorrelations.size() >= 2;
        case ChartKind::kLjungBox:
            return model.autocorrelations.size() >= 2 && hasLjungBoxPValues(model);
        case ChartKind::kForecasts:
            return (input.nHeldOut() > 0 && !model.holdoutForecasts.empty()) ||
                   (input.forecasts && !input.forecasts->point.empty());
        case ChartKind::kSearch:
            return hasSearchChart(input);
    }
    return false;
}

std::unique_ptr<ChartFigure> buildChart(ChartKind kind, const ChartInput& input) {
    assert(chartApplies(kind, input));
    switch (kind) {
        case ChartKind::kSeries:
            return buildSeriesChart(input);
        case ChartKind::kLag:
            return buildLagChart(input);
        case ChartKind::kFit:
            return buildFitChart(input);
        case ChartKind::kAcf:
            return buildAcfChart(input);
        case ChartKind::kLjungBox:
            return buildLjungBoxChart(input);
        case ChartKind::kForecasts:
            return buildForecastChart(input);
        case ChartKind::kSearch:
            return buildSearchChart(input);
    }
    return nullptr;
}

std::vector<std::unique_ptr<ChartFigure>> buildCharts(const ChartInput& input) {
    std::vector<std::unique_ptr<ChartFigure>> figures;
    for (const ChartDescription& chart : kCharts) {
        if (chartApplies(chart.kind, input)) {
            figures.push_back(buildChart(chart.kind, input));
        }
    }
    return figures;
}

}  // namespace kavri::charts
