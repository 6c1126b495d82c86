#pragma once

#include "numeric/storage.h"

namespace kavri {

// The storage of one run, zero-filled when obtained and released when the run ends.
struct RunStorage {
    RunStorage(int n, int m, int p)
        : population(intmatrix(0, n, 0, m)),
          sortOrder(ivector(0, n)),
          series(dvector(0, n + p)),
          sortedSeries(dvector(0, n)),
          fitness(dvector(0, m)),
          logFitness(dvector(0, m)),
          chromosome(ivector(0, n)),
          bestChromosome(ivector(0, n)) {}

    IMatrix population;
    IVector sortOrder;
    DVector series;
    DVector sortedSeries;
    DVector fitness;
    DVector logFitness;  // what the search ranks by (estimation/fitness.h)
    IVector chromosome;
    IVector bestChromosome;
};

}  // namespace kavri
