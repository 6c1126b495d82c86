#include "run/evaluation_cache.h"

#include <cmath>
#include <limits>
#include <unordered_set>

#include "estimation/information_criterion.h"
#include "estimation/model_summary.h"
#include "model/notices.h"
#include "model/text_format.h"

namespace kavri {

namespace {

// A decoded chromosome with this many set genes has more than a model can hold.
constexpr int kUnholdableSetGenes = kMaxThresholdCount + 1;

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

}  // namespace

std::size_t EvaluationCache::ChromosomeKeyHash::operator()(const ChromosomeKey& key) const {
    std::uint64_t h = static_cast<std::uint64_t>(key.nThresholds);
    for (int position : key.positions) {
        h = mix(h * 0x9e3779b97f4a7c15ULL + static_cast<std::uint32_t>(position));
    }
    return static_cast<std::size_t>(h);
}

RankRanges EvaluationCache::rangesOf(const ChromosomeKey& key) const {
    return RankRanges{.n = n_, .nThresholds = key.nThresholds, .bounds = key.positions};
}

std::uint64_t EvaluationCache::rangeKey(int start, int end) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(start)) << 32) |
           static_cast<std::uint32_t>(end);
}

EvaluationCache::EvaluationCache(const RunSettings& settings, const ResultFiles& files,
                                 const double* x, const int* sortOrder, int nThreads,
                                 SearchCacheLimits limits, const double* thresholdSeries,
                                 const double* sortedThresholds)
    : settings_(settings),
      files_(files),
      limits_(limits),
      x_(x),
      sortOrder_(sortOrder),
      sortedThresholds_(sortedThresholds),
      n_(settings.model.nObservations),
      problem_(searchProblem(settings, x, sortOrder, settings.model.nObservations,
                             settings.model.maxOrder, settings.model.delay, thresholdSeries)),
      model_(settings.model.maxOrder),
      pool_(nThreads),
      finite_(x, settings.model.nObservations + settings.model.nPredictions),
      seriesNotice_(finite_.checkSeries()) {
    for (int worker = 0; worker < pool_.size(); ++worker) {
        estimators_.push_back(
            std::make_unique<NormalEquationsRangeEstimator>(x, sortOrder, problem_.orders));
    }
}

EvaluationCache::~EvaluationCache() = default;

void EvaluationCache::decodeGeneration(const IMatrix& population, int nChromosomes) {
    keys_.assign(static_cast<std::size_t>(nChromosomes), ChromosomeKey{});
    // Row by row: a row holds one gene of every chromosome side by side.
    for (int g = 0; g < n_; ++g) {
        const int* genes = population[g];
        for (int j = 0; j < nChromosomes; ++j) {
            if (genes[j] >= 1) {
                ChromosomeKey& key = keys_[j];
                if (key.nThresholds < kMaxThresholdCount) {
                    key.positions[key.nThresholds] = g;
                }
                if (key.nThresholds < kUnholdableSetGenes) {
                    ++key.nThresholds;
                }
            }
        }
    }
}

void EvaluationCache::decodeGeneration(const PopulationGenes& genes, int nChromosomes) {
    keys_.assign(static_cast<std::size_t>(nChromosomes), ChromosomeKey{});
    for (int j = 0; j < nChromosomes; ++j) {
        ChromosomeKey& key = keys_[j];
        for (const GeneValue& gene : genes.of(j)) {
            if (gene.value >= 1) {
                if (key.nThresholds < kMaxThresholdCount) {
                    key.positions[key.nThresholds] = gene.position;
                }
                if (key.nThresholds < kUnholdableSetGenes) {
                    ++key.nThresholds;
                }
            }
        }
    }
}

void EvaluationCache::estimateMissingRanges(const std::vector<ChromosomeKey>& misses) {
    std::vector<std::pair<int, int>> missing;
    std::unordered_set<std::uint64_t> listed;
    for (const ChromosomeKey& key : misses) {
        const RankRanges ranges = rangesOf(key);
        for (int r = 0; r < ranges.regimeCount(); ++r) {
            const std::uint64_t id = rangeKey(ranges.begin(r), ranges.end(r));
            if (ranges_.find(id) == ranges_.end() && listed.insert(id).second) {
                missing.emplace_back(ranges.begin(r), ranges.end(r));
            }
        }
    }
    std::vector<CachedRange> estimated(missing.size());
    pool_.run(static_cast<int>(missing.size()), [&](int i, int worker) {
        CachedRange& range = estimated[i];
        range.status =
            estimators_[worker]->estimate(missing[i].first, missing[i].second, range.estimate);
    });
    for (std::size_t i = 0; i < missing.size(); ++i) {
        ranges_.emplace(rangeKey(missing[i].first, missing[i].second), estimated[i]);
    }
    rangesEstimated_ += static_cast<long long>(missing.size());
}

const EvaluationCache::CachedRange& EvaluationCache::cachedRange(int start, int end) {
    auto found = ranges_.find(rangeKey(start, end));
    if (found != ranges_.end()) {
        return found->second;
    }
    CachedRange range;
    range.status = estimators_[0]->estimate(start, end, range.estimate);
    ++rangesEstimated_;
    return ranges_.emplace(rangeKey(start, end), range).first->second;
}

EvaluationCache::Outcome EvaluationCache::computeOutcome(const ChromosomeKey& key) {
    ++chromosomesComputed_;
    // The one evaluation of a split, over the cached ranges; the forecasts are needed only when
    // the fitness is made of them.
    // Ranges are cached whatever their regime: the cache serves only orders chosen by AIC.
    const RangeEstimates cached = [this](int /*regime*/, int start, int end,
                                         RegimeEstimate& estimate) {
        const CachedRange& range = cachedRange(start, end);
        estimate = range.estimate;
        return range.status;
    };
    const RankRanges ranges = rangesOf(key);
    std::array<double, kMaxThresholdCount> values{};
    for (int r = 0; r < key.nThresholds; ++r) {
        values[r] = sortedThresholds_ != nullptr ? sortedThresholds_[ranges.end(r)]
                                                 : x_[sortOrder_[ranges.end(r)]];
    }
    const SplitScore score = scoreSplit(problem_, ranges, values, cached, false, model_);
    Outcome outcome;
    outcome.kind = score.outcome;
    outcome.fitness = score.fitness;
    outcome.logFitness = score.logFitness;
    outcome.regime = score.regime;
    return outcome;
}

MaybeNotice EvaluationCache::noticeOf(const Outcome& outcome) const {
    switch (outcome.kind) {
        case SplitOutcome::kNoEffectiveObservations:
            return noEffectiveObservationsNotice();
        case SplitOutcome::kNoForecasts:
            return noForecastsNotice();
        case SplitOutcome::kSingular:
            // A singular fit on a series that no estimation can use ends the run with the
            // series' notice; on any other series it only scores 0.
            return seriesNotice_;
        case SplitOutcome::kNoFiniteOrder:
            return finite_.notice(formatText("the AIC of regime %d", outcome.regime + 1),
                                  std::numeric_limits<double>::quiet_NaN());
        case SplitOutcome::kScored:
            break;
    }
    return std::nullopt;
}

GenerationEvaluation EvaluationCache::evaluateGeneration(const IMatrix& population,
                                                         int nChromosomes, double* fitness,
                                                         double* logFitness) {
    if (nChromosomes <= 0) {
        return GenerationEvaluation{};
    }
    decodeGeneration(population, nChromosomes);
    return evaluateDecoded(nChromosomes, fitness, logFitness);
}

GenerationEvaluation EvaluationCache::evaluateGeneration(const PopulationGenes& genes,
                                                         int nChromosomes, double* fitness,
                                                         double* logFitness) {
    if (nChromosomes <= 0) {
        return GenerationEvaluation{};
    }
    decodeGeneration(genes, nChromosomes);
    return evaluateDecoded(nChromosomes, fitness, logFitness);
}

// Evaluates the chromosomes decoded into keys_.
GenerationEvaluation EvaluationCache::evaluateDecoded(int nChromosomes, double* fitness,
                                                      double* logFitness) {
    GenerationEvaluation result;
    // A folder that cannot be written stops the run at the first evaluation (search_files.h).
    if (MaybeNotice notice = files_.beforeEvaluation()) {
        result.evaluated = 1;
        result.notice = notice;
        return result;
    }

    const std::size_t generationSize = static_cast<std::size_t>(nChromosomes);
    if (ranges_.size() + kMaxRegimeCount * generationSize > limits_.ranges) {
        ranges_.clear();
    }
    if (outcomes_.size() + generationSize > limits_.chromosomes) {
        outcomes_.clear();
    }

    std::vector<ChromosomeKey> misses;
    std::unordered_set<ChromosomeKey, ChromosomeKeyHash> listed;
    for (const ChromosomeKey& key : keys_) {
        if (key.nThresholds < kUnholdableSetGenes && outcomes_.find(key) == outcomes_.end() &&
            listed.insert(key).second) {
            misses.push_back(key);
        }
    }
    estimateMissingRanges(misses);
    for (const ChromosomeKey& key : misses) {
        outcomes_.emplace(key, computeOutcome(key));
    }

    for (int j = 0; j < nChromosomes; ++j) {
        const ChromosomeKey& key = keys_[j];
        // More set genes than a model can hold score 0 without a model or a notice.
        const bool holdable = key.nThresholds < kUnholdableSetGenes;
        const Outcome outcome = holdable ? outcomes_.at(key) : Outcome{};
        result.evaluated = j + 1;
        MaybeNotice notice = holdable ? noticeOf(outcome) : std::nullopt;
        double value = 0.0;
        double logValue = kNoLogFitness;
        if (outcome.kind == SplitOutcome::kScored) {
            value = outcome.fitness;
            logValue = outcome.logFitness;
        }
        if (notice) {
            // The run ends here, with the files of the run before it as they were.
            result.notice = notice;
            return result;
        }
        fitness[j] = value;
        if (logFitness != nullptr) {
            logFitness[j] = logValue;
        }
    }
    return result;
}

}  // namespace kavri
