#include "run/fast_search.h"

#include <cmath>
#include <unordered_set>

#include "estimation/model_report.h"
#include "report/predictions_file.h"
#include "report/residuals_file.h"

namespace kavri {

namespace {

// A decoded chromosome with this many set genes has more than a model can hold.
constexpr int kTooManyThresholds = kMaxThresholdCount + 1;

// The same notices, word for word, as the evaluation of a single chromosome raises.
Notice zeroEffectiveObservationsNotice() {
    return Notice{"The number of effective observation are zero", kApplicationName,
                  NoticeIcon::kNone};
}

Notice noForecastsNotice() { return errorNotice("Number of forecast are zero"); }

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

}  // namespace

std::size_t FastSearchEvaluator::ChromosomeKeyHash::operator()(const ChromosomeKey& key) const {
    std::uint64_t h = static_cast<std::uint64_t>(key.nThresholds);
    for (int position : key.positions) {
        h = mix(h * 0x9e3779b97f4a7c15ULL + static_cast<std::uint32_t>(position));
    }
    return static_cast<std::size_t>(h);
}

std::uint64_t FastSearchEvaluator::rangeKey(int start, int end) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(start)) << 32) |
           static_cast<std::uint32_t>(end);
}

FastSearchEvaluator::FastSearchEvaluator(const RunSettings& settings, const ResultFiles& files,
                                         const double* x, const int* sortOrder, int nThreads,
                                         SearchCacheLimits limits)
    : settings_(settings),
      files_(files),
      limits_(limits),
      x_(x),
      sortOrder_(sortOrder),
      n_(settings.model.nObservations),
      pool_(nThreads) {
    // The order search of a chromosome's evaluation: initial best AIC 1e13, and the
    // "Relative" criterion honoured.
    search_.n = n_;
    search_.maxOrder = settings.model.maxOrder;
    search_.delay = settings.model.delay;
    search_.initialBestAic = 1e13;
    search_.stopAtFirstNonImprovement = settings.ga.criterion == kCriterionRelative;
    for (int worker = 0; worker < pool_.size(); ++worker) {
        estimators_.push_back(std::make_unique<RangeEstimator>(x, sortOrder, search_));
    }
}

FastSearchEvaluator::~FastSearchEvaluator() = default;

MaybeNotice FastSearchEvaluator::probeResidualsFile() {
    ResidualsFile residuals;
    if (MaybeNotice notice = residuals.open(files_.residualsPath())) {
        return notice;
    }
    residualsCloseNotice_ = residuals.close();
    return std::nullopt;
}

void FastSearchEvaluator::decodeGeneration(const IMatrix& population, int nChromosomes) {
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
                if (key.nThresholds < kTooManyThresholds) {
                    ++key.nThresholds;
                }
            }
        }
    }
}

void FastSearchEvaluator::estimateMissingRanges(const std::vector<ChromosomeKey>& misses) {
    std::vector<std::pair<int, int>> missing;
    std::unordered_set<std::uint64_t> listed;
    for (const ChromosomeKey& key : misses) {
        int start = 0;
        for (int r = 0; r <= key.nThresholds; ++r) {
            const int end = r < key.nThresholds ? key.positions[r] : n_;
            const std::uint64_t id = rangeKey(start, end);
            if (ranges_.find(id) == ranges_.end() && listed.insert(id).second) {
                missing.emplace_back(start, end);
            }
            start = end;
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

const FastSearchEvaluator::CachedRange& FastSearchEvaluator::cachedRange(int start, int end) {
    auto found = ranges_.find(rangeKey(start, end));
    if (found != ranges_.end()) {
        return found->second;
    }
    CachedRange range;
    range.status = estimators_[0]->estimate(start, end, range.estimate);
    ++rangesEstimated_;
    return ranges_.emplace(rangeKey(start, end), range).first->second;
}

std::optional<FittedModel> FastSearchEvaluator::modelOf(const ChromosomeKey& key) {
    FittedModel model(settings_.model.maxOrder);
    model.nRegimes = key.nThresholds + 1;
    int start = 0;
    for (int r = 0; r < model.nRegimes; ++r) {
        const int end = r < key.nThresholds ? key.positions[r] : n_;
        const CachedRange& range = cachedRange(start, end);
        if (range.status == FitStatus::kSingular) {
            return std::nullopt;
        }
        model.regimeOrders[r] = range.estimate.order;
        for (int q = 0; q <= range.estimate.order; ++q) {
            model.regimeCoefficients[r][q] = range.estimate.coefficients[q];
        }
        if (r < key.nThresholds) {
            model.thresholdValues[r] = x_[sortOrder_[end]];
        }
        start = end;
    }
    return model;
}

FastSearchEvaluator::Outcome FastSearchEvaluator::computeOutcome(const ChromosomeKey& key) {
    ++chromosomesComputed_;
    const int nRegimes = key.nThresholds + 1;
    std::array<RegimeFit, kMaxRegimeCount> fits{};
    int start = 0;
    for (int r = 0; r < nRegimes; ++r) {
        const int end = r < key.nThresholds ? key.positions[r] : n_;
        const CachedRange& range = cachedRange(start, end);
        if (range.status == FitStatus::kSingular) {
            return Outcome{OutcomeKind::kNoModel, 0.0};
        }
        fits[r] = range.estimate.fit;
        start = end;
    }
    const ModelSummary summary = summariseRegimes(fits, nRegimes);
    if (summary.effectiveObservations == 0) {
        return Outcome{OutcomeKind::kNoEffectiveObservations, 0.0};
    }
    const GaParameters& ga = settings_.ga;
    const int nPredictions = settings_.model.nPredictions;
    // The fitness formulas of a chromosome's evaluation; the forecasts are needed for the
    // fitness only with "MSE".
    if (ga.fitnessKind == kFitnessAic) {
        return Outcome{OutcomeKind::kFitness, std::exp(-summary.naic / ga.adjustingConstant)};
    }
    if (nPredictions == 0) {
        return Outcome{OutcomeKind::kNoForecasts, 0.0};
    }
    const std::optional<FittedModel> model = modelOf(key);
    const double mse = forecastHoldout(x_, n_, *model, nPredictions, settings_.model.delay).mse;
    return Outcome{OutcomeKind::kFitness, std::exp(-(1.0 + mse))};
}

MaybeNotice FastSearchEvaluator::writePredictions(const ChromosomeKey& key) {
    // Whatever the write leaves, the file is now what this evaluation's own write left.
    writtenChromosome_ = key;
    const std::optional<FittedModel> model = modelOf(key);
    Result<double> mse = predictHoldout(x_, n_, *model, settings_.model.nPredictions,
                                        settings_.model.delay, files_.predictionsPath());
    if (!mse.ok()) {
        return mse.notice();
    }
    return std::nullopt;
}

GenerationEvaluation FastSearchEvaluator::evaluateGeneration(const IMatrix& population,
                                                             int nChromosomes, double* fitness) {
    GenerationEvaluation result;
    if (nChromosomes <= 0) {
        return result;
    }
    // The first evaluation of the straightforward search opens Residuals.txt before anything
    // else, so a directory that cannot be written stops the run here.
    if (!firstEvaluationDone_) {
        if (MaybeNotice notice = probeResidualsFile()) {
            result.evaluated = 1;
            result.notice = notice;
            return result;
        }
    }

    const std::size_t generationSize = static_cast<std::size_t>(nChromosomes);
    if (ranges_.size() + kMaxRegimeCount * generationSize > limits_.ranges) {
        ranges_.clear();
    }
    if (outcomes_.size() + generationSize > limits_.chromosomes) {
        outcomes_.clear();
    }

    decodeGeneration(population, nChromosomes);
    std::vector<ChromosomeKey> misses;
    std::unordered_set<ChromosomeKey, ChromosomeKeyHash> listed;
    for (const ChromosomeKey& key : keys_) {
        if (key.nThresholds < kTooManyThresholds && outcomes_.find(key) == outcomes_.end() &&
            listed.insert(key).second) {
            misses.push_back(key);
        }
    }
    estimateMissingRanges(misses);
    for (const ChromosomeKey& key : misses) {
        outcomes_.emplace(key, computeOutcome(key));
    }

    const bool forecasting = settings_.model.nPredictions != 0;
    for (int j = 0; j < nChromosomes; ++j) {
        const ChromosomeKey& key = keys_[j];
        const Outcome outcome =
            key.nThresholds < kTooManyThresholds ? outcomes_.at(key) : Outcome{};
        result.evaluated = j + 1;
        MaybeNotice notice;
        double value = 0.0;
        switch (outcome.kind) {
            case OutcomeKind::kNoModel:
                break;
            case OutcomeKind::kNoEffectiveObservations:
                notice = zeroEffectiveObservationsNotice();
                break;
            case OutcomeKind::kNoForecasts:
                notice = noForecastsNotice();
                break;
            case OutcomeKind::kFitness:
                if (forecasting) {
                    lastForecastChromosome_ = key;
                    if (!writtenChromosome_) {
                        notice = writePredictions(key);
                    }
                }
                value = outcome.fitness;
                break;
        }
        if (!firstEvaluationDone_) {
            firstEvaluationDone_ = true;
            if (!notice && residualsCloseNotice_) {
                notice = residualsCloseNotice_;
            }
        }
        if (notice) {
            // The run ends here: leave the file as the rewrites so far would have. The notice
            // that ends the run is the one reported.
            (void)finishSearch();
            result.notice = notice;
            return result;
        }
        fitness[j] = value;
    }
    return result;
}

MaybeNotice FastSearchEvaluator::finishSearch() {
    if (lastForecastChromosome_ && lastForecastChromosome_ != writtenChromosome_) {
        return writePredictions(*lastForecastChromosome_);
    }
    return std::nullopt;
}

}  // namespace kavri
