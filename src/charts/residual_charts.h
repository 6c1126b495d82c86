#pragma once

// The charts of the fit: actual and fitted values over time with the residuals in a panel
// below, and the residual autocorrelations with their approximate 95% band.

#include <memory>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

// Half-width of the approximate 95% band of the autocorrelations of n white-noise values:
// 1.96 / sqrt(n).
double whiteNoiseBand(int n);

// The first observation with a fitted value of its own: below max(maxOrder - 1, delay) the
// whole-series fit repeats the observation.
int firstFittedObservation(const ReportedModel& model);

std::unique_ptr<ChartFigure> buildFitChart(const ChartInput& input);
// Bars for lags 1 .. K of the residual autocorrelations, the band, and the Ljung-Box statistic
// in the title.
std::unique_ptr<ChartFigure> buildAcfChart(const ChartInput& input);

}  // namespace kavri::charts
