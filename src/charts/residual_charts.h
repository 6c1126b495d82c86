#pragma once

// The charts of the fit: actual and fitted values over time with the residuals in a panel
// below, the residual autocorrelations with their approximate 95% band, and the Ljung-Box p
// values by lag against the 5% level.

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
// Whether some lag's Ljung-Box statistic has degrees of freedom, and so a p value to draw.
bool hasLjungBoxPValues(const ReportedModel& model);
// Points for the p values of Q(h), h = 1 .. K (the regressions' own residuals, h - max p_r
// degrees of freedom), joined by a line, with a dashed line at 0.05 and p from 0 to 1.
std::unique_ptr<ChartFigure> buildLjungBoxChart(const ChartInput& input);

}  // namespace kavri::charts
