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
// usable observations each is a shortest path over the range ends.
//
// With one threshold at most only ranges that begin at rank 0 or end at rank n - 1 occur, and
// the search is linear in n (single_threshold_search.h); with two or three it fills a table
// over the pairs of candidate range ends (split_table.h), on every worker it is given. Every
// range's regression is a QR factor grown one row at a time (range_qr.h), and both engines
// find the same thresholds and the same summed criterion. On long series the thresholds tried
// can be fewer than the values (threshold_candidates.h). Memory grows linearly in n.

#include <array>
#include <functional>
#include <vector>

#include "estimation/fitness.h"
#include "estimation/parallel_for.h"
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
    // What the fitness is exp() of, by which optima are compared (fitness.h): it does not
    // underflow where the fitness does. kNoLogFitness when every chromosome is singular.
    double logFitness = kNoLogFitness;
    // The thresholds tried: every observed value, or `candidates` values at evenly spaced
    // ranks, over which the optimum is then exact.
    bool everyValue = true;
    int candidates = 0;
};

struct ExactSearchOptions {
    // Threshold candidates: kAutomaticCandidates (0) lets the search choose
    // (threshold_candidates.h); M > 0 tries the values at M evenly spaced ranks, or every
    // value when M >= n - 1.
    int candidates = 0;
    ParallelFor parallel;  // the workers that fill the table; by default the calling thread
    // Called now and then on the calling thread with the share of the table filled, 0 to 1,
    // when the table is long enough for it to matter.
    std::function<void(double share)> progress;
    // The threshold variable beside x when it is not x itself (model/threshold_variable.h):
    // sortOrder and sortedSeries rank it, and the held-out forecasts choose their regime by it.
    const double* thresholdSeries = nullptr;
};

// The valid chromosome of highest fitness for delay `delay` and the settings' nObservations,
// maxOrder, maxRegimes, minObs, nPredictions, criterion, fitnessKind and adjustingConstant.
// Valid means what checkChromosome accepts, and the chromosome without thresholds, which the
// genetic search always evaluates, is considered whatever minObs is. A range whose regression
// is singular (no rows, fewer rows than coefficients, or collinear columns) at an order that
// the order search tries scores 0, as in the chromosome evaluation; when every split does,
// the chromosome without thresholds is returned with fitness 0. Ties go to fewer thresholds,
// then to the lexicographically lowest positions. The notice is the one any evaluation would
// give: no order to try (maxOrder below 2) or the fitness "MSE" without held-out values.
// With fewer candidates than values, the thresholds are restricted to the candidates' ranks.
// The regressions are those of the settings' model form (range_design.h); with one order per
// regime only splits into exactly that many regimes count (maxRegimes aside), the r-th range
// fitted at regime r's order, and when none can be fitted the optimum has no thresholds and an
// infinite criterion.
Result<ExactOptimum> findExactOptimum(const RunSettings& settings, const double* x,
                                      const double* sortedSeries, const int* sortOrder, int delay,
                                      const ExactSearchOptions& options = {});

// The exact search at every delay of the settings' range, 1 .. 10.
struct DelayScan {
    std::vector<int> delays;
    std::vector<ExactOptimum> optima;  // optima[i] at delays[i]
    int bestIndex = 0;                 // highest log-fitness; the lower delay on a tie
};
Result<DelayScan> scanDelays(const RunSettings& settings, const double* x,
                             const double* sortedSeries, const int* sortOrder,
                             const ExactSearchOptions& options = {});

}  // namespace kavri
