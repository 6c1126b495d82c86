#include "run/typed_thresholds.h"

#include <algorithm>
#include <cstdlib>

#include "model/text_format.h"

namespace kavri {

namespace {

// Beyond this many decimals a typed number is taken as exact: no value shows that way.
constexpr int kMostTypedDecimals = 20;

int typedDecimals(double value) {
    for (int decimals = 0; decimals <= kMostTypedDecimals; ++decimals) {
        if (std::strtod(formatText("%.*f", decimals, value).c_str(), nullptr) == value) {
            return decimals;
        }
    }
    return -1;
}

std::string shownAs(double value, int decimals) { return formatText("%.*f", decimals, value); }

std::string notFoundDetail(const double* sorted, int n, double typed, bool thresholdVariable) {
    const double* upper = std::upper_bound(sorted, sorted + n, typed);
    std::string nearest;
    if (upper != sorted) {
        nearest = shortestText(*(upper - 1));
    }
    if (upper != sorted + n) {
        nearest += (nearest.empty() ? "" : " and ") + shortestText(*upper);
    }
    return formatText(
        "Threshold %s is not a %s; the nearest are %s "
        "(type one of them, or a value as the Threshold result shows it)",
        shortestText(typed).c_str(),
        thresholdVariable ? "value of the threshold variable in the sample"
                          : "fitted value of the series",
        nearest.c_str());
}

}  // namespace

std::string shortestText(double value) {
    for (int digits = 1; digits < 17; ++digits) {
        const std::string text = formatText("%.*g", digits, value);
        if (std::strtod(text.c_str(), nullptr) == value) {
            return text;
        }
    }
    return formatText("%.17g", value);
}

Result<ResolvedThresholds> resolveTypedThresholds(const double* sortedSeries, int n,
                                                  int nThresholds,
                                                  const std::array<double, 3>& typed,
                                                  bool thresholdVariable) {
    ResolvedThresholds resolved;
    for (int i = 0; i < nThresholds && i < static_cast<int>(typed.size()); ++i) {
        const double value = typed[static_cast<std::size_t>(i)];
        resolved.values[static_cast<std::size_t>(i)] = value;
        if (std::binary_search(sortedSeries, sortedSeries + n, value)) {
            continue;
        }
        const int decimals = typedDecimals(value);
        const std::string shown = decimals < 0 ? std::string() : shownAs(value, decimals);
        // Rounding keeps the order, so the matching values are one run of the sorted series.
        int matches = 0;
        double match = 0.0;
        for (int j = 0; j < n && decimals >= 0; ++j) {
            if ((j == 0 || sortedSeries[j] != sortedSeries[j - 1]) &&
                shownAs(sortedSeries[j], decimals) == shown) {
                ++matches;
                match = sortedSeries[j];
            }
        }
        if (matches == 1) {
            resolved.values[static_cast<std::size_t>(i)] = match;
            resolved.remarks.push_back(formatText(
                "Threshold %d (%s) is taken as the %s value %s, the only %s that "
                "shows as %s at %d decimal%s",
                i + 1, shown.c_str(), thresholdVariable ? "threshold variable's" : "series",
                shortestText(match).c_str(),
                thresholdVariable ? "value of it in the sample" : "fitted value", shown.c_str(),
                decimals, decimals == 1 ? "" : "s"));
            continue;
        }
        const std::string detail =
            matches == 0 ? notFoundDetail(sortedSeries, n, value, thresholdVariable)
                         : formatText(
                               "Threshold %s matches %d different %s at %d decimal%s; "
                               "type more decimals",
                               shown.c_str(), matches,
                               thresholdVariable ? "values of the threshold variable in the sample"
                                                 : "fitted values",
                               decimals, decimals == 1 ? "" : "s");
        return Notice("Element of series do not exist", kErrorCaption, NoticeIcon::kStop, detail);
    }
    return resolved;
}

}  // namespace kavri
