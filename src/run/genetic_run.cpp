#include "run/genetic_run.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

#include "estimation/fitness.h"
#include "estimation/series_statistics.h"
#include "genetic/crossover.h"
#include "genetic/initialisation.h"
#include "genetic/mutation.h"
#include "genetic/population_genes.h"
#include "genetic/random_source.h"
#include "genetic/selection.h"
#include "model/text_format.h"
#include "run/chromosome_evaluation.h"
#include "run/evaluation_cache.h"
#include "run/finite_results.h"
#include "run/fitness_text.h"
#include "run/series_loading.h"
#include "run/worker_pool.h"

namespace kavri {

namespace {

// The sample series shipped with the program starts its search from known thresholds.
constexpr const char* kDemonstrationSeriesPath = "C:\\Program Files\\Kavri\\ExchangeRate.txt";

void copyColumn(const IMatrix& population, int column, int n, IVector& genes) {
    for (int g = 0; g < n; ++g) {
        genes[g] = population[g][column];
    }
}

void seedDemonstrationChromosome(const ModelParameters& model, IMatrix& population) {
    if (model.seriesPath != kDemonstrationSeriesPath) {
        return;
    }
    auto setGene = [&](int gene) {
        // The known thresholds are ranks of the full sample; a shorter sample has no such rank.
        if (gene < model.nObservations) {
            population[gene][0] = 1;
        }
    };
    if (model.maxRegimes == 2) {
        setGene(377);
    } else if (model.maxRegimes == 3) {
        setGene(118);
        setGene(320);
    }
}

// The straightforward evaluation: every chromosome of the generation in column order, each
// through the whole of evaluateChromosome(). That of models of other forms than the default,
// which the cache does not keep, and of the reference path that the cache must match.
GenerationEvaluation evaluateGeneration(const EvaluationContext& context, RunStorage& storage,
                                        int nChromosomes, int generation) {
    const ModelParameters& model = context.settings.model;
    const int n = model.nObservations;
    GenerationEvaluation result;
    for (int j = 0; j < nChromosomes; ++j) {
        copyColumn(storage.population, j, n, storage.chromosome);
        Result<EvaluatedFitness> f = evaluateChromosomeFitness(
            context, storage.series.data(), storage.chromosome.data(), storage.sortOrder.data(), n,
            model.maxOrder, model.delay, generation);
        result.evaluated = j + 1;
        if (!f.ok()) {
            result.notice = f.notice();
            return result;
        }
        storage.fitness[j] = f.value().fitness;
        storage.logFitness[j] = f.value().logFitness;
    }
    return result;
}

}  // namespace

RunOutcome runGeneticSearch(const RunSettings& settings, ResultTexts& texts, RunObserver& observer,
                            const RunOptions& options, RunStorage& storage) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    const int n = model.nObservations;
    const int m = ga.nChromosomes;
    const double* x = storage.series.data();
    const int* sortOrder = storage.sortOrder.data();

    RunOutcome outcome;
    outcome.seed = options.seed ? *options.seed : static_cast<std::uint32_t>(std::time(nullptr));
    RandomSource random(outcome.seed);

    if (MaybeNotice notice =
            initPopulation(storage.population, m, n, model.minObs, model.maxRegimes, model.delay,
                           model.maxOrder, sortOrder, random, outcome.seed)) {
        outcome.notice = notice;
        return outcome;
    }
    if (m >= 1) {
        for (int g = 0; g < n; ++g) {
            storage.population[g][0] = 0;
        }
        seedDemonstrationChromosome(model, storage.population);
    }

    // The search's evaluations replace no file; the reporting evaluation writes them.
    EvaluationContext searchContext{settings,
                                    texts,
                                    observer,
                                    options.files,
                                    nullptr,
                                    /*writeFiles=*/false};
    searchContext.thresholdSeries = thresholdSeriesOf(settings, storage);
    searchContext.sortedThresholds = storage.sortedSeries.data();
    std::optional<EvaluationCache> fast;
    // The cache keeps one estimate per rank range of the default model's regressions (fixed
    // orders would make it depend on the regime too): a model of another form is evaluated
    // afresh for every chromosome.
    const bool reference = options.referenceOperators != nullptr;
    if (!reference && settings.form.isDefault()) {
        fast.emplace(settings, options.files, x, sortOrder,
                     WorkerPool::availableThreads(kMaxSearchThreads), SearchCacheLimits{},
                     thresholdSeriesOf(settings, storage), storage.sortedSeries.data());
    }
    // The search keeps the population's genes beside it for its operators.
    std::optional<PopulationGenes> genes;
    if (!reference) {
        genes.emplace();
        genes->read(storage.population, m, n);
    }
    // Chromosomes are ranked by their log-fitness, which does not underflow where the fitness
    // does (estimation/fitness.h); the fitness shown is that of the chromosome ranked best.
    double candidateLogFitness = kNoLogFitness;
    double candidateFitness = 0.0;
    int candidateIndex = 0;
    double bestLogFitness = kNoLogFitness;
    double bestFitness = 0.0;
    for (int generation = 0; generation <= ga.nIterations; ++generation) {
        texts.iterationText = formatText("%d", generation);
        observer.refresh(texts);

        const GenerationEvaluation evaluation =
            fast ? fast->evaluateGeneration(*genes, m, storage.fitness.data(),
                                            storage.logFitness.data())
                 : evaluateGeneration(searchContext, storage, m, generation);
        outcome.evaluations += evaluation.evaluated;
        if (evaluation.notice) {
            outcome.notice = evaluation.notice;
            return outcome;
        }
        double fittestLogFitness = kNoLogFitness;
        double fittest = 0.0;
        // In column order: among equal values the lowest column wins.
        for (int j = 0; j < m; ++j) {
            const double logFitness = storage.logFitness[j];
            if (logFitness > fittestLogFitness) {
                fittestLogFitness = logFitness;
                fittest = storage.fitness[j];
            }
            if (logFitness > candidateLogFitness) {
                candidateLogFitness = logFitness;
                candidateFitness = storage.fitness[j];
                candidateIndex = j;
            }
        }
        if (candidateLogFitness > bestLogFitness) {
            bestLogFitness = candidateLogFitness;
            bestFitness = candidateFitness;
            copyColumn(storage.population, candidateIndex, n, storage.bestChromosome);
        }
        outcome.generationBest.push_back(bestFitness);
        outcome.generationFittest.push_back(fittest);
        observer.progress(generation, bestFitness);

        if (generation == ga.nIterations) {
            // A fitness beyond the largest double is never shown; the reporting evaluation of
            // the same chromosome meets it too and names its cause.
            const bool showable = std::isfinite(bestFitness);
            if (showable) {
                texts.fitnessText = fitnessText(bestFitness, bestLogFitness);
                observer.refresh(texts);
            }
            EvaluationContext reportContext{settings, texts, observer, options.files,
                                            &outcome.model};
            reportContext.thresholdSeries = thresholdSeriesOf(settings, storage);
            reportContext.sortedThresholds = storage.sortedSeries.data();
            Result<double> reported =
                evaluateChromosome(reportContext, x, storage.bestChromosome.data(), sortOrder, n,
                                   model.maxOrder, model.delay, kReportingIteration);
            if (!reported.ok()) {
                outcome.notice = reported.notice();
                return outcome;
            }
            const FiniteResults finite(x, n + model.nPredictions);
            outcome.seriesVariance = seriesVariance(x, n);
            if (!showable) {
                outcome.notice = finite.notice("the best fitness", bestFitness);
                return outcome;
            }
            if (MaybeNotice notice =
                    finite.check("the variance of the series", outcome.seriesVariance)) {
                outcome.notice = notice;
                return outcome;
            }
            outcome.fitness = bestFitness;
            outcome.logFitness = bestLogFitness;
            texts.varianceText = formatText("%.8f", outcome.seriesVariance);
            observer.refresh(texts);
        }

        if (genes) {
            selectChromosomes(storage.population, *genes, storage.logFitness.data(), m,
                              ga.pSelection, random);
            if (m > 1) {
                crossoverPopulation(storage.population, *genes, m, n, ga.pCrossover, sortOrder,
                                    model.delay, model.maxRegimes, model.minObs, model.maxOrder,
                                    random);
            }
            mutatePopulation(storage.population, *genes, m, n, ga.pMutation, sortOrder, model.delay,
                             model.maxRegimes, model.minObs, model.maxOrder, random);
        } else {
            options.referenceOperators(storage.population, storage.logFitness.data(), settings,
                                       sortOrder, random);
        }
    }
    return outcome;
}

}  // namespace kavri
