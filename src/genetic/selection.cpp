#include "genetic/selection.h"

namespace kavri {

namespace {

// Above every uniform key, so the first scan of each rank takes some key; taken keys are
// raised above it so that no later scan takes them again.
constexpr double kFirstMinimum = 1e9;
constexpr double kTakenKey = 1e9 + 1;

}  // namespace

void randomOrder(int n, IVector& order, DVector& keys, RandomSource& random) {
    for (int j = 0; j < n; ++j) {
        keys[j] = random.uniformRandom();
    }
    for (int j = 0; j < n; ++j) {
        order[j] = 0;
    }
    for (int i = 0; i < n; ++i) {
        double minimum = kFirstMinimum;
        int taken = 0;
        for (int j = 0; j < n; ++j) {
            // <=: among equal keys the last one wins, so the higher index ranks lower.
            if (keys[j] <= minimum) {
                minimum = keys[j];
                taken = j;
            }
        }
        order[taken] = i;
        keys[taken] = kTakenKey;
    }
}

void selectChromosomes(IMatrix& population, const double* fitness, int nChromosomes,
                       int nObservations, double pSelection, RandomSource& random) {
    const int n = nChromosomes;
    IVector order = ivector(0, n);
    DVector keys = dvector(0, n);
    randomOrder(n, order, keys, random);
    for (int m = 0; m + 2 <= n; m += 2) {
        const int a = order[m];
        const int b = order[m + 1];
        const bool aWins = fitness[a] > fitness[b];  // a tie goes to b
        const int winner = aWins ? a : b;
        const int loser = aWins ? b : a;
        if (random.uniformRandom() <= pSelection) {
            for (int g = 0; g < nObservations; ++g) {
                population[g][loser] = population[g][winner];
            }
        }
    }
}

}  // namespace kavri
