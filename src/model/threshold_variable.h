#pragma once

// The threshold variable z whose value z[t - d] chooses the regime of observation t. By default
// it is the series itself (a self-exciting model); it may instead be the series' change
// x[t - d] - x[t - d - 1] (a momentum model: the regime follows whether the series has been
// rising or falling), or another column of the same table (an exogenous variable: the regime of
// returns set by their recent volatility, of an interest rate by inflation). Whatever z is, the
// thresholds are observed values of z and the regimes are ranges of z's ranks, so every search
// works on z's order unchanged.

#include <string>

namespace kavri {

enum class ThresholdVariableKind {
    kOwn,         // z = x
    kDifference,  // z[s] = x[s] - x[s - 1]; none at the sample's first value
    kColumn,      // z = another column of the table, row by row with the series
};

struct ThresholdVariable {
    ThresholdVariableKind kind = ThresholdVariableKind::kOwn;
    // kColumn: the column as the user named it (a header name or a 1-based number).
    std::string column;

    bool isOwn() const { return kind == ThresholdVariableKind::kOwn; }
    bool isColumn() const { return kind == ThresholdVariableKind::kColumn; }

    bool operator==(const ThresholdVariable&) const = default;
};

// What z[t - delay] is, in words, for texts and chart axes: "x[t-2] - x[t-3]" or the column's
// name with its lag; the own lag "x[t-2]".
inline std::string thresholdVariableText(const ThresholdVariable& variable, int delay) {
    const std::string lag = "[t-" + std::to_string(delay) + "]";
    switch (variable.kind) {
        case ThresholdVariableKind::kOwn:
            break;
        case ThresholdVariableKind::kDifference:
            return "x" + lag + " - x[t-" + std::to_string(delay + 1) + "]";
        case ThresholdVariableKind::kColumn:
            return variable.column + lag;
    }
    return "x" + lag;
}

}  // namespace kavri
