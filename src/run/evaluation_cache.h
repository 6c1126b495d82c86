#pragma once

// The cached evaluation of the genetic search. It gives every chromosome the fitness that
// evaluateChromosome() gives it, bit for bit, and leaves the run in the same state at every
// point the run can stop, but without repeating work whose result is already known:
//
// - A silent evaluation's fitness depends only on the chromosome's set genes (at most three
//   positions; more set genes score 0.0), so it is kept per chromosome.
// - A regime's estimate depends only on its rank range, so it is kept per range; a generation's
//   new ranges are estimated on all cores.
// - The whole-series fit and the residual autocorrelations of a silent evaluation change
//   nothing that a search can see, so they are skipped.
// - No result file is written during the search (search_files.h): the reporting evaluation
//   writes them once, at the end. Before the first evaluation a new Residuals.txt is started
//   and dropped, as the straightforward search's first evaluation does, so that a folder that
//   cannot be written stops the run there with the same notice.
//
// Memory: both caches are bounded (SearchCacheLimits); a cache that could overflow during the
// next generation is emptied before it, so it holds at most its limit plus one generation's
// entries (four ranges and one chromosome per column).

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "estimation/range_normal_equations.h"
#include "estimation/split_score.h"
#include "genetic/population_genes.h"
#include "model/fitted_model.h"
#include "model/rank_ranges.h"
#include "numeric/storage.h"
#include "run/finite_results.h"
#include "run/search_files.h"
#include "run/split_evaluation.h"
#include "run/worker_pool.h"

namespace kavri {

struct SearchCacheLimits {
    // A cached range takes about 250 bytes (its estimate with 21 coefficients, the hash node
    // and bucket), a cached chromosome about 72: some 16 MB and 19 MB at these limits.
    std::size_t ranges = 1 << 16;
    std::size_t chromosomes = 1 << 18;
};

// Chromosomes evaluated in one call, and the notice that stopped the search after the last of
// them, if one did.
struct GenerationEvaluation {
    int evaluated = 0;
    MaybeNotice notice;
};

class EvaluationCache {
 public:
    // x, sortOrder and the settings must outlive the evaluator; n, maxOrder and delay are the
    // run's. nThreads counts the calling thread.
    EvaluationCache(const RunSettings& settings, const ResultFiles& files, const double* x,
                    const int* sortOrder, int nThreads, SearchCacheLimits limits = {},
                    const double* thresholdSeries = nullptr,
                    const double* sortedThresholds = nullptr);
    ~EvaluationCache();

    // Evaluates chromosomes 0 .. nChromosomes-1 (columns of `population`) in column order as
    // the straightforward search does, writing fitness[j]. A notice stops at the chromosome
    // whose evaluation raises it, with the result files as the straightforward search leaves
    // them there.
    // The log-fitness of each (estimation/fitness.h), by which the search ranks, goes to
    // logFitness[j] when it is given.
    GenerationEvaluation evaluateGeneration(const IMatrix& population, int nChromosomes,
                                            double* fitness, double* logFitness = nullptr);
    // The same, the chromosomes read from the population's genes (population_genes.h).
    GenerationEvaluation evaluateGeneration(const PopulationGenes& genes, int nChromosomes,
                                            double* fitness, double* logFitness = nullptr);

    // How many ranges and chromosomes were evaluated rather than found in the caches.
    long long rangesEstimated() const { return rangesEstimated_; }
    long long chromosomesComputed() const { return chromosomesComputed_; }

 private:
    // The set genes of one chromosome: up to three positions, or more than the model can hold.
    struct ChromosomeKey {
        int nThresholds = 0;
        std::array<int, kMaxThresholdCount> positions{};
        bool operator==(const ChromosomeKey&) const = default;
    };
    struct ChromosomeKeyHash {
        std::size_t operator()(const ChromosomeKey& key) const;
    };
    struct CachedRange {
        FitStatus status = FitStatus::kOk;
        RegimeEstimate estimate;
    };
    // What a silent evaluation comes to, as far as the search and the files are concerned:
    // the one evaluation's outcome (split_score.h), kSingular also for too many set genes.
    struct Outcome {
        SplitOutcome kind = SplitOutcome::kSingular;
        double fitness = 0.0;
        double logFitness = kNoLogFitness;
        int regime = 0;  // kNoFiniteOrder: the regime
    };

    void decodeGeneration(const IMatrix& population, int nChromosomes);
    void decodeGeneration(const PopulationGenes& genes, int nChromosomes);
    GenerationEvaluation evaluateDecoded(int nChromosomes, double* fitness, double* logFitness);
    void estimateMissingRanges(const std::vector<ChromosomeKey>& misses);
    Outcome computeOutcome(const ChromosomeKey& key);
    const CachedRange& cachedRange(int start, int end);
    MaybeNotice noticeOf(const Outcome& outcome) const;
    // The regimes of a chromosome that a model can hold.
    RankRanges rangesOf(const ChromosomeKey& key) const;
    static std::uint64_t rangeKey(int start, int end);

    const RunSettings& settings_;
    SearchFiles files_;
    SearchCacheLimits limits_;
    const double* x_;
    const int* sortOrder_;
    // The threshold variable's sorted values (null: read through the ranks from x).
    const double* sortedThresholds_;
    int n_;
    FittingProblem problem_;
    FittedModel model_;  // the model of the chromosome being scored
    WorkerPool pool_;
    std::vector<std::unique_ptr<NormalEquationsRangeEstimator>> estimators_;  // one per thread

    std::unordered_map<std::uint64_t, CachedRange> ranges_;
    std::unordered_map<ChromosomeKey, Outcome, ChromosomeKeyHash> outcomes_;

    std::vector<ChromosomeKey> keys_;  // the generation's chromosomes, decoded
    std::vector<int> setGeneCounts_;

    FiniteResults finite_;
    MaybeNotice seriesNotice_;  // the series' own notice, if no estimation can use it

    long long rangesEstimated_ = 0;
    long long chromosomesComputed_ = 0;
};

}  // namespace kavri
