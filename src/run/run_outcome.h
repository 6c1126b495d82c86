#pragma once

// What a run is asked to do beyond its settings, and what it comes back with: the options and
// the outcome of runModel() (run_driver.h) and of the searches it calls (genetic_run.h,
// exact_run.h), which include this header rather than the driver's.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "data/series_input.h"
#include "data/series_source.h"
#include "estimation/threshold_profile.h"
#include "model/notice.h"
#include "model/reported_model.h"
#include "numeric/storage.h"
#include "report/result_files.h"
#include "report/run_file_set.h"

namespace kavri {

class RandomSource;
struct RunSettings;

// One generation's selection, crossover and mutation of the genetic search written over the
// whole population matrix (genes are rows, chromosomes columns), at the settings'
// probabilities; `logFitness` ranks the chromosomes.
using PopulationOperators = void (*)(IMatrix& population, const double* logFitness,
                                     const RunSettings& settings, const int* sortOrder,
                                     RandomSource& random);

struct RunOptions {
    // First seed of the genetic search; empty: the calendar clock in seconds.
    std::optional<std::uint32_t> seed;
    ResultFiles files;
    // Where the run keeps its result files until they are committed together. Null: runModel
    // keeps them in a set of its own and commits it at its end (the desktop program); given:
    // the files are kept there and the caller commits them with what it writes after the
    // estimation (forecasts, charts), or discards them when anything fails.
    RunFileSet* fileSet = nullptr;
    // Also compute the exact optimum after a genetic search, for comparison.
    bool compareExact = false;
    // Null: the genetic search keeps the population's set genes beside it for its operators and
    // evaluates through its cache. Given: every chromosome is evaluated from scratch and these
    // operators replace the search's own. Tests, benchmarks and fuzz targets give the operators
    // as first written (tests/reference), which must give the same results bit for bit, to
    // check the cache and the operators at once.
    PopulationOperators referenceOperators = nullptr;
    // After an exact search, also profile each threshold of the optimum (for the charts).
    bool profileThresholds = false;
    // Thresholds the exact search tries: 0 lets it choose (every value while that is quick);
    // M > 0 the values at M evenly spaced ranks (estimation/threshold_candidates.h).
    int exactCandidates = 0;
    // Where the sample comes from; null: the series file of the settings. Must outlive the run.
    const SeriesSource* seriesSource = nullptr;
};

// The thresholds an exact search tried: every observed value, or `candidates` values at
// evenly spaced ranks, over which its optimum is exact.
struct ExactSearchScope {
    bool everyValue = true;
    int candidates = 0;
};

struct RunOutcome {
    MaybeNotice notice;      // set when a fatal condition ended the run
    std::uint32_t seed = 0;  // the seed the genetic search started from
    ReportedModel model;     // the reported model, when one was reported
    double fitness = 0.0;    // the value shown in fitnessText
    // What the search ranked the fitness by (estimation/fitness.h): it does not underflow where
    // the fitness does. Minus infinity without a model.
    double logFitness = -std::numeric_limits<double>::infinity();
    double seriesVariance = 0.0;
    long long evaluations = 0;              // chromosome evaluations made by the search
    std::optional<double> exactFitness;     // with compareExact after a genetic search
    std::optional<double> exactLogFitness;  // its log-fitness
    std::vector<double> generationBest;     // genetic search: best fitness after each generation
    std::vector<double> generationFittest;  // genetic search: highest fitness within each one
    ThresholdProfile thresholdProfile;      // exact search with profileThresholds; else empty
    SeriesSample sample;                    // the values read and where they came from
    // Remarks a front end shows beside the results (a threshold taken as the series value it
    // was typed for, for instance).
    std::vector<std::string> remarks;
    std::optional<ExactSearchScope> exactScope;  // set by the exact search (and compareExact)
    // The files put in place and removed, when runModel committed its own set.
    CommittedFiles files;
    // When the run ended without a model (and without a notice): why, in a phrase that follows
    // "no model was estimated: ".
    std::string noModelCause;
};

// Keeps in `outcome` the description of the values read, and their labels in the reported
// model.
void attachSample(RunOutcome& outcome, SeriesSample sample);

}  // namespace kavri
