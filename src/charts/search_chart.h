#pragma once

// How the thresholds were found: the fitness by generation of a genetic search, the profile of
// the fitness against each threshold around the exact optimum, or the best fitness at each
// delay of a delay scan (with the profile at the best delay below it).

#include <memory>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

inline constexpr const char* kOptimumName = "optimum";

// Whether the run has a search to show: a genetic search with its generations, an exact search
// whose optimum has thresholds to profile, or a delay scan.
bool hasSearchChart(const ChartInput& input);

std::unique_ptr<ChartFigure> buildSearchChart(const ChartInput& input);

}  // namespace kavri::charts
