#pragma once

#include <string>
#include <vector>

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
          bestChromosome(ivector(0, n)),
          thresholdSeries(dvector(0, n + p)) {}

    IMatrix population;
    IVector sortOrder;
    DVector series;
    DVector sortedSeries;
    DVector fitness;
    DVector logFitness;  // what the search ranks by (estimation/fitness.h)
    IVector chromosome;
    IVector bestChromosome;
    // The threshold variable z beside the series, row by row (model/threshold_variable.h); its
    // ranks are sortOrder and its sorted values sortedSeries.
    DVector thresholdSeries;
    // An exogenous threshold variable's values in the table's rows after the sample, which
    // forecasts past the data may use; empty for the other kinds.
    std::vector<double> thresholdFuture;
    // The exogenous column's header name, when the table has one ("abs_returns" for "2").
    std::string thresholdName;
};

}  // namespace kavri
