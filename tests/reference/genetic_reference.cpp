#include "reference/genetic_reference.h"

#include <cassert>

#include "genetic/candidates.h"
#include "genetic/crossover.h"
#include "genetic/mutation.h"
#include "genetic/population_genes.h"
#include "genetic/selection.h"

namespace kavri {

void selectChromosomes(IMatrix& population, const double* fitness, int nChromosomes,
                       int nObservations, double pSelection, RandomSource& random) {
    pairwiseTournaments(fitness, nChromosomes, pSelection, random, [&](int winner, int loser) {
        for (int g = 0; g < nObservations; ++g) {
            population[g][loser] = population[g][winner];
        }
    });
}

void crossoverPopulation(IMatrix& population, int nChromosomes, int nObservations,
                         double pCrossover, const int* sortOrder, int delay, int maxRegimes,
                         int minObs, int maxOrder, RandomSource& random) {
    assert(nObservations >= 1);
    const int n = nChromosomes;
    IVector child1 = ivector(0, nObservations);
    IVector child2 = ivector(0, nObservations);
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    randomOrder(n, order, keys, random);

    const int nPairs = crossoverPairCount(n, pCrossover);
    for (int i = 0; i < nPairs; ++i) {
        const int a = order[2 * i];
        const int b = order[2 * i + 1];
        const int cut = random.drawBelow(nObservations);
        for (int g = 0; g < nObservations; ++g) {
            child1[g] = population[g][a];
            child2[g] = population[g][b];
        }
        for (int g = cut + 1; g < nObservations; ++g) {
            const int gene = child1[g];
            child1[g] = child2[g];
            child2[g] = gene;
        }
        // Invalid children are not repaired: unless both pass, both parents stay.
        const bool bothValid = checkChromosome(child1.data(), sortOrder, delay, nObservations,
                                               maxRegimes, minObs, maxOrder) == kChromosomeValid &&
                               checkChromosome(child2.data(), sortOrder, delay, nObservations,
                                               maxRegimes, minObs, maxOrder) == kChromosomeValid;
        if (bothValid) {
            for (int g = 0; g < nObservations; ++g) {
                population[g][a] = child1[g];
                population[g][b] = child2[g];
            }
        }
    }
}

void mutatePopulation(IMatrix& population, int nChromosomes, int nObservations, double pMutation,
                      const int* sortOrder, int delay, int maxRegimes, int minObs, int maxOrder,
                      RandomSource& random) {
    PopulationGenes genes;
    genes.read(population, nChromosomes, nObservations);
    mutatePopulation(population, genes, nChromosomes, nObservations, pMutation, sortOrder, delay,
                     maxRegimes, minObs, maxOrder, random);
}

void mutatePopulationOneDrawAtATime(IMatrix& population, int nChromosomes, int nObservations,
                                    double pMutation, const int* sortOrder, int delay,
                                    int maxRegimes, int minObs, int maxOrder,
                                    RandomSource& random) {
    assert(delay >= 0);
    IVector mutant = ivector(0, nObservations);
    // The first delay + 1 and the last delay genes never flip.
    const int firstMutable = delay + 1;
    const int lastMutable = nObservations - delay - 1;
    for (int i = 0; i < nChromosomes; ++i) {
        for (int g = 0; g < nObservations; ++g) {
            mutant[g] = population[g][i];
        }
        for (int g = firstMutable; g <= lastMutable; ++g) {
            // One draw per mutable gene whether it flips or not; < so that pMutation 0 never
            // flips, even on a draw of exactly 0.
            if (random.uniformRandom() < pMutation) {
                mutant[g] = 1 - mutant[g];
            }
        }
        // Checked even when nothing flipped; an invalid mutant is dropped, not repaired.
        if (checkChromosome(mutant.data(), sortOrder, delay, nObservations, maxRegimes, minObs,
                            maxOrder) == kChromosomeValid) {
            for (int g = 0; g < nObservations; ++g) {
                population[g][i] = mutant[g];
            }
        }
    }
}

void referenceGenerationOperators(IMatrix& population, const double* logFitness,
                                  const RunSettings& settings, const int* sortOrder,
                                  RandomSource& random) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    const int m = ga.nChromosomes;
    const int n = model.nObservations;
    selectChromosomes(population, logFitness, m, n, ga.pSelection, random);
    if (m > 1) {
        crossoverPopulation(population, m, n, ga.pCrossover, sortOrder, model.delay,
                            model.maxRegimes, model.minObs, model.maxOrder, random);
    }
    mutatePopulationOneDrawAtATime(population, m, n, ga.pMutation, sortOrder, model.delay,
                                   model.maxRegimes, model.minObs, model.maxOrder, random);
}

}  // namespace kavri
