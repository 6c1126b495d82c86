#pragma once

// The exact search over thresholds: the valid chromosome of highest fitness, found without
// enumerating chromosomes.
//
// Regime r of a chromosome is a contiguous range of ranks, and all it contributes depends on
// that range alone: its rows, order, SSE and AIC, and its forecasts of the held-out values
// whose threshold variable falls into it. Ntot, the number of usable observations, is the same
// for every chromosome. So the fitness "AIC", exp(-(sumAIC / Ntot + kNaicOffset) / c), is highest
// where the sum of the regimes' AICs is lowest, and the fitness "MSE", exp(-(1 + MSE)), where
// the sum of the regimes' squared forecast errors is lowest. Both are sums over ranges, and
// the best split of the ranks 0 .. n-1 into at most maxRegimes ranges of at least minObs
// usable observations each is a shortest path, found by dynamic programming over the range
// ends: f_j(s) = min over e of cost(s, e) + f_{j-1}(e), f_0(n) = 0.
//
// Cost: the ranges starting at each rank are grown one rank at a time, each step one Givens
// update of the range's regression (range_statistics.h), so a search makes at most n(n+1)/2
// updates of O(maxOrder^2). Memory: the rows of every rank (n x (maxOrder + 1) doubles), one
// regression factor ((maxOrder + 1)^2), the held-out rows and a table of maxRegimes x (n + 1)
// path costs; nothing is kept per range, so memory grows linearly in n.

#include <array>
#include <vector>

#include "model/fitted_model.h"
#include "model/notice.h"
#include "model/run_settings.h"

namespace kavri {

struct ExactOptimum {
    int nThresholds = 0;
    std::array<int, kMaxThresholdCount> positions{};  // ranks of the set genes, ascending
    // The summed criterion: sum of the regimes' AICs ("AIC") or of the squared forecast errors
    // ("MSE"). Infinite when every valid chromosome meets a singular fit.
    double criterion = 0.0;
    // The fitness of that criterion; 0.0 when every valid chromosome is singular. It comes from
    // an orthogonal factorisation, so it can differ from the chromosome evaluation's value of
    // the same chromosome in the last few bits.
    double fitness = 0.0;
};

// The valid chromosome of highest fitness for delay `delay` and the settings' nObservations,
// maxOrder, maxRegimes, minObs, nPredictions, criterion, fitnessKind and adjustingConstant.
// Valid means what checkChromosome accepts, and the chromosome without thresholds, which the
// genetic search always evaluates, is a candidate whatever minObs is. A range whose regression
// is singular (no rows, fewer rows than coefficients, or collinear columns) at an order that
// the order search tries scores 0, as in the chromosome evaluation; when every candidate does,
// the chromosome without thresholds is returned with fitness 0. Ties go to fewer thresholds,
// then to the lexicographically lowest positions. The notice is the one any evaluation would
// give: no order to try (maxOrder below 2) or the fitness "MSE" without held-out values.
Result<ExactOptimum> findExactOptimum(const RunSettings& settings, const double* x,
                                      const double* sortedSeries, const int* sortOrder, int delay);

// The exact search at every delay of the settings' range, 1 .. 10.
struct DelayScan {
    std::vector<int> delays;
    std::vector<ExactOptimum> optima;  // optima[i] at delays[i]
    int bestIndex = 0;                 // highest fitness; the lower delay on a tie
};
Result<DelayScan> scanDelays(const RunSettings& settings, const double* x,
                             const double* sortedSeries, const int* sortOrder);

}  // namespace kavri
