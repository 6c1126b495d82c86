#pragma once

// Thresholds as a user types them. A threshold must be an observed value of the series, but
// the results show values rounded (six decimals in the texts), and a value copied from there
// is rarely the double in the file. A typed threshold that is not a fitted value itself, yet
// rounds like exactly one distinct fitted value at the decimals it was typed with, stands for
// that value.

#include <array>
#include <string>
#include <vector>

#include "model/notice.h"

namespace kavri {

struct ResolvedThresholds {
    std::array<double, 3> values{};    // the series values to estimate at, in the order typed
    std::vector<std::string> remarks;  // one per threshold taken as a series value
};

// Resolves typed[0 .. nThresholds-1] against the fitted values sortedSeries[0 .. n-1]
// (ascending). The decimals of a typed number are the fewest with which "%.*f" writes it back
// to the same double (0.075416 has six). A threshold that neither equals a fitted value nor
// matches exactly one at its decimals gives the notice "Element of series do not exist", whose
// detail names the nearest fitted values or how many values matched.
// `thresholdVariable`: the sorted values are those of a threshold variable other than the
// series (model/threshold_variable.h), which the messages then name.
Result<ResolvedThresholds> resolveTypedThresholds(const double* sortedSeries, int n,
                                                  int nThresholds,
                                                  const std::array<double, 3>& typed,
                                                  bool thresholdVariable = false);

// The shortest decimal text that reads back as exactly `value` ("%.17g" at the fewest digits).
std::string shortestText(double value);

}  // namespace kavri
