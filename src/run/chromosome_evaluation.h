#pragma once

#include "run/split_evaluation.h"

namespace kavri {

// The fitness of a chromosome (larger is better): its set genes mark the thresholds, the
// regimes are split by rank, each regime's order is chosen by AIC (with the criterion of the
// settings), and the fitness is exp(-NAIC / adjustingConstant) for "AIC" or
// exp(-(1 + forecast MSE)) for "MSE". 0.0 when a least-squares fit meets a singular matrix, and
// also for a chromosome with more than three set genes, which no model of four regimes can hold.
// With iteration kReportingIteration the model is also reported. The new Residuals.txt is
// started first, so that a directory that cannot be written stops the run at once; the result
// files are replaced only when a model is estimated (evaluation_files.h).
Result<double> evaluateChromosome(const EvaluationContext& context, const double* x,
                                  const int* chromosome, const int* sortOrder, int n, int maxOrder,
                                  int delay, int iteration);

// The same evaluation with the log-fitness that searches rank by (estimation/fitness.h).
Result<EvaluatedFitness> evaluateChromosomeFitness(const EvaluationContext& context,
                                                   const double* x, const int* chromosome,
                                                   const int* sortOrder, int n, int maxOrder,
                                                   int delay, int iteration);

}  // namespace kavri
