#pragma once

// The fitness of a model, written once for every search and every evaluation.
//
// A fitness is exp(-E) for an exponent E: E = NAIC / c with the fitness "AIC" (c the adjusting
// constant), E = 1 + MSE of the held-out forecasts with "MSE", E = NAIC at the user's
// thresholds. The fitness is what the texts show. Searches rank by the log-fitness -E instead:
// exp(-E) is 0.0 once E passes about 745 (an MSE in the thousands, a series of counts or of
// large values), and every model would then tie at 0.0; -E cannot underflow, keeps the order
// of every pair of fitness values that differ, and a series in other units shifts it alike for
// every model ("AIC") or scales it alike ("MSE"), so the search finds the same model.

#include <cmath>
#include <limits>

#include "model/run_settings.h"

namespace kavri {

// The log-fitness of a model that has none (a singular fit, too many thresholds): below that of
// every model, as the fitness 0.0 is.
inline constexpr double kNoLogFitness = -std::numeric_limits<double>::infinity();

// Which formula applies.
struct FitnessRule {
    int kind = kFitnessAic;          // kFitnessAic or kFitnessMse
    double adjustingConstant = 1.0;  // c of the fitness "AIC"

    // The rule of a search under the settings' fitness kind and adjusting constant.
    static FitnessRule of(const GaParameters& ga) { return {ga.fitnessKind, ga.adjustingConstant}; }
    // exp(-NAIC), the fitness of a model at the user's thresholds.
    static FitnessRule plainNaic() { return {kFitnessAic, 1.0}; }

    bool usesForecasts() const { return kind == kFitnessMse; }

    // -E of a model whose NAIC is `naic`, for "AIC".
    double logFitnessOfNaic(double naic) const { return -naic / adjustingConstant; }
    // -E of a model whose held-out forecasts have mean squared error `mse`, for "MSE".
    static double logFitnessOfMse(double mse) { return -(1.0 + mse); }
};

// The fitness shown for a log-fitness: exp(-E).
inline double fitnessOfLog(double logFitness) { return std::exp(logFitness); }

}  // namespace kavri
