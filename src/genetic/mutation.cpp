#include "genetic/mutation.h"

#include <cassert>
#include <vector>

#include "genetic/candidates.h"
#include "genetic/random_draws.h"

namespace kavri {

namespace {

// A gene flips when draw / 32767.0 < pMutation. The quotient grows with the draw, so the draws
// that flip are exactly 0 .. bound-1, and the comparison can be made on the integers: bound is
// the first draw whose quotient is not below pMutation (0 for a probability that is not a
// number, 32768 above 1).
int flipBound(double pMutation) {
    int low = 0;
    int high = RandomSource::kMaxDraw + 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (middle / static_cast<double>(RandomSource::kMaxDraw) < pMutation) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

// The genes of a mutant (both lists ascending): a flipped gene of value v becomes 1 - v, and
// leaves the list when that is 0.
void applyFlips(const std::vector<GeneValue>& genes, const std::vector<int>& flips,
                std::vector<GeneValue>& mutant) {
    mutant.clear();
    std::size_t s = 0;
    for (int g : flips) {
        for (; s < genes.size() && genes[s].position < g; ++s) {
            mutant.push_back(genes[s]);
        }
        const int value = s < genes.size() && genes[s].position == g ? genes[s++].value : 0;
        if (1 - value != 0) {
            mutant.push_back(GeneValue{g, 1 - value});
        }
    }
    mutant.insert(mutant.end(), genes.begin() + static_cast<std::ptrdiff_t>(s), genes.end());
}

}  // namespace

void mutatePopulation(IMatrix& population, PopulationGenes& genes, int nChromosomes,
                      int nObservations, double pMutation, const int* sortOrder, int delay,
                      int maxRegimes, int minObs, int maxOrder, RandomSource& random) {
    assert(delay >= 0);
    const int firstMutable = delay + 1;
    const int nMutable = nObservations - 2 * delay - 1;
    // Without a mutable gene nothing is drawn and every mutant equals its chromosome.
    if (nMutable <= 0 || nChromosomes <= 0) {
        return;
    }
    const int bound = flipBound(pMutation);
    const std::vector<int> usableBefore =
        usableRanksBefore(sortOrder, delay, nObservations, maxOrder);
    std::vector<int> flips;
    std::vector<GeneValue> mutant;
    std::vector<int> setGenes;
    for (int i = 0; i < nChromosomes; ++i) {
        flips.clear();
        drawsBelow(random, nMutable, bound, flips);
        // A mutant without flips is the chromosome itself, whether it passes the check or not.
        if (flips.empty()) {
            continue;
        }
        for (int& flip : flips) {
            flip += firstMutable;
        }
        applyFlips(genes.of(i), flips, mutant);
        setGenes.clear();
        PopulationGenes::setPositions(mutant, 0, nObservations, setGenes);
        if (checkSetGenes(setGenes.data(), static_cast<int>(setGenes.size()), usableBefore, delay,
                          nObservations, maxRegimes, minObs) == kChromosomeValid) {
            for (int g : flips) {
                population[g][i] = 1 - population[g][i];
            }
            genes.of(i).swap(mutant);
        }
    }
}

}  // namespace kavri
