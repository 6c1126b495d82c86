#include "genetic/initialisation.h"

#include <vector>

#include "genetic/candidates.h"

namespace kavri {

namespace {

// Attempts allowed for one chromosome before the settings are declared to admit none. Any
// valid chromosome with thresholds implies a valid one with a single threshold at its first set
// gene (merging the upper regimes only adds observations). Consecutive seeds draw strongly
// correlated positions, so a position can stay undrawn for a long stretch: a single valid
// position among 690 may first come up after some 150000 attempts, where its odds suggest a
// few thousand. In every stretch of a million consecutive seeds examined, each single-threshold
// position of every allowed series length was drawn well over a hundred times, so running out
// of attempts means that no chromosome with a threshold exists, not bad luck. Attempts that the
// quick tests refuse cost a few draws: even the hopeless case ends in a fraction of a second.
constexpr int kMaxAttemptsPerChromosome = 1000000;

const char* const kNoThresholdChromosomeText =
    "No valid chromosome with a threshold exists for these settings: every regime needs at least "
    "Min. Oss usable observations. Lower Min. Oss, Max Order AR or Delay Parameter, or raise "
    "N. Observation.";

void clearChromosome(IMatrix& population, int column, int nObservations) {
    for (int g = 0; g < nObservations; ++g) {
        population[g][column] = 0;
    }
}

struct GeneBounds {
    int nObservations;
    int minObs;
    int maxRegimes;
};

// One attempt: draws the number of thresholds and their positions, applies the quick tests on
// the drawn positions and, when they pass, writes the candidate into `candidate` (all genes).
// Returns false when the quick tests reject the draw; the candidate is then left as it was.
// `pos` holds room for maxRegimes - 1 positions.
bool drawCandidate(const GeneBounds& bounds, RandomSource& random, std::vector<int>& pos,
                   IVector& candidate) {
    const int n = bounds.nObservations;
    const int k = random.draw() % (bounds.maxRegimes - 1) + 1;
    for (int j = 0; j < k; ++j) {
        pos[j] = random.drawBelow(n - 1);
    }
    if (k == 1) {
        if (pos[0] < bounds.minObs || n - pos[0] < bounds.minObs) {
            return false;
        }
    } else {
        // One pass of neighbour exchanges only: with three positions the largest ends last but
        // the first two may stay out of order, and such a draw then fails the first-gap test.
        for (int j = 0; j + 1 < k; ++j) {
            if (pos[j] > pos[j + 1]) {
                const int larger = pos[j];
                pos[j] = pos[j + 1];
                pos[j + 1] = larger;
            }
        }
        // The first gap must exceed minObs strictly; later gaps are left to the validity check.
        if (pos[1] - pos[0] <= bounds.minObs || pos[0] < bounds.minObs ||
            n - pos[k - 1] < bounds.minObs) {
            return false;
        }
    }
    for (int g = 0; g < n; ++g) {
        candidate[g] = 0;
    }
    for (int j = 0; j < k; ++j) {
        candidate[pos[j]] = 1;  // equal positions set one gene: one threshold fewer
    }
    return true;
}

}  // namespace

MaybeNotice initPopulation(IMatrix& population, int nChromosomes, int nObservations, int minObs,
                           int maxRegimes, int delay, int maxOrder, const int* sortOrder,
                           RandomSource& random, std::uint32_t startSeed) {
    if (nChromosomes <= 0) {
        return std::nullopt;
    }
    // With a single regime allowed the only valid chromosome is the all-zero one, and the
    // number of thresholds could not be drawn (modulo zero): nothing is drawn at all.
    if (maxRegimes < 2) {
        for (int i = 0; i < nChromosomes; ++i) {
            clearChromosome(population, i, nObservations);
        }
        return std::nullopt;
    }
    // A position is drawn modulo nObservations - 1; too short a series has no threshold.
    if (nChromosomes >= 2 && nObservations < 2) {
        return errorNotice(kNoThresholdChromosomeText);
    }

    IVector candidate = ivector(0, nObservations);
    std::vector<int> positions(maxRegimes - 1);
    const GeneBounds bounds{nObservations, minObs, maxRegimes};
    std::uint32_t seed = startSeed;
    for (int i = 0; i + 1 < nChromosomes; ++i) {
        bool accepted = false;
        for (int attempt = 0; attempt < kMaxAttemptsPerChromosome && !accepted; ++attempt) {
            ++seed;  // every attempt reseeds, failed ones included
            random.reseed(seed);
            accepted = drawCandidate(bounds, random, positions, candidate) &&
                       checkChromosome(candidate.data(), sortOrder, delay, nObservations,
                                       maxRegimes, minObs, maxOrder) == kChromosomeValid;
        }
        if (!accepted) {
            return errorNotice(kNoThresholdChromosomeText);
        }
        for (int g = 0; g < nObservations; ++g) {
            population[g][i] = candidate[g];
        }
    }
    clearChromosome(population, nChromosomes - 1, nObservations);
    return std::nullopt;
}

}  // namespace kavri
