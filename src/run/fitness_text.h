#pragma once

// The fitness as the texts show it: "%f" of exp(-E), as the result field defines it. Where that
// shows 0.000000 although the search still told the models apart (an MSE or NAIC beyond about
// 14 times the adjusting constant, as on a series of counts), the log-fitness -E that the
// search compared follows in brackets, so that 0.000000 is never the only number shown.

#include <cmath>
#include <limits>
#include <string>

#include "model/text_format.h"

namespace kavri {

// A log-fitness that is never shown (none was computed).
inline constexpr double kNoLogFitnessShown = -std::numeric_limits<double>::infinity();

// Whether a fitness shown as `fitness` needs its log-fitness beside it.
inline bool showsLogFitness(double fitness, double logFitness) {
    return std::isfinite(logFitness) && fitness < 5e-7;
}

inline std::string fitnessText(double fitness, double logFitness) {
    if (showsLogFitness(fitness, logFitness)) {
        return formatText("%f (log-fitness %.6g)", fitness, logFitness);
    }
    return formatText("%f", fitness);
}

}  // namespace kavri
