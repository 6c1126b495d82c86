#pragma once

// The charts Kavri draws, in the order they are shown and written, each with a stable file stem
// and a name for people.

#include <array>

namespace kavri::charts {

enum class ChartKind { kSeries, kLag, kFit, kAcf, kLjungBox, kForecasts, kSearch };

struct ChartDescription {
    ChartKind kind;
    const char* fileStem;  // "series": series.svg, series.png
    const char* title;     // "Series and regimes": the tab of the desktop program
};

inline constexpr std::array<ChartDescription, 7> kCharts = {{
    {ChartKind::kSeries, "series", "Series and regimes"},
    {ChartKind::kLag, "lag", "Lag plot"},
    {ChartKind::kFit, "fit", "Fit"},
    {ChartKind::kAcf, "acf", "Residual autocorrelation"},
    {ChartKind::kLjungBox, "ljungbox", "Ljung-Box p values"},
    {ChartKind::kForecasts, "forecasts", "Forecasts"},
    {ChartKind::kSearch, "search", "Search"},
}};

// kCharts lists the kinds in the order of the enumeration.
inline const ChartDescription& describeChart(ChartKind kind) {
    return kCharts[static_cast<std::size_t>(kind)];
}

}  // namespace kavri::charts
