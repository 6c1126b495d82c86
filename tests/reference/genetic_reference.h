#pragma once

// The genetic operators as first written, kept outside the program as the reference that the
// search's own operators (genetic/selection.h, crossover.h, mutation.h, which keep each
// chromosome's set genes beside the population) are checked against: they read and write whole
// chromosomes of the population matrix, and the mutation draws one uniform at a time. Each
// gives the same population and leaves the generator in the same state, bit for bit, as the
// operator it stands for.

#include "genetic/random_source.h"
#include "model/run_settings.h"
#include "numeric/storage.h"
#include "run/run_outcome.h"

namespace kavri {

// Pairwise tournament over whole chromosomes: chromosomes are paired in a random order, and in
// each pair the fitter (the second on a tie) overwrites the other when a uniform draw is
// <= pSelection.
void selectChromosomes(IMatrix& population, const double* fitness, int nChromosomes,
                       int nObservations, double pSelection, RandomSource& random);

// One-point crossover of ceil(nChromosomes * pCrossover / 2) random pairs over whole
// chromosomes; both children replace their parents only when both pass checkChromosome.
// Requires nChromosomes >= 2.
void crossoverPopulation(IMatrix& population, int nChromosomes, int nObservations,
                         double pCrossover, const int* sortOrder, int delay, int maxRegimes,
                         int minObs, int maxOrder, RandomSource& random);

// The search's mutation (uniforms drawn kDrawLanes at a time, compared as integers) on a
// population without its genes beside it: the genes are read first.
void mutatePopulation(IMatrix& population, int nChromosomes, int nObservations, double pMutation,
                      const int* sortOrder, int delay, int maxRegimes, int minObs, int maxOrder,
                      RandomSource& random);

// The mutation written out gene by gene: one uniformRandom() per mutable gene (delay+1 ..
// nObservations-delay-1), compared with pMutation, and every mutant copied and checked whole.
void mutatePopulationOneDrawAtATime(IMatrix& population, int nChromosomes, int nObservations,
                                    double pMutation, const int* sortOrder, int delay,
                                    int maxRegimes, int minObs, int maxOrder, RandomSource& random);

// One generation's selection, crossover (with two chromosomes or more) and mutation by the
// operators above, at the settings' probabilities: a RunOptions::referenceOperators.
void referenceGenerationOperators(IMatrix& population, const double* logFitness,
                                  const RunSettings& settings, const int* sortOrder,
                                  RandomSource& random);

// How a test runs the genetic search: the program's own path, or the reference path that
// evaluates every chromosome from scratch and uses the operators above. Both give the same
// texts, files and outcome bit for bit.
enum class SearchPath { kFast, kReference };

inline void useSearchPath(RunOptions& options, SearchPath path) {
    options.referenceOperators =
        path == SearchPath::kReference ? &referenceGenerationOperators : nullptr;
}

}  // namespace kavri
