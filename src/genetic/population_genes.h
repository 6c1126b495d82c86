#pragma once

// The genes of a population that are not 0, chromosome by chromosome, kept beside the
// population matrix (genes are rows, chromosomes columns). A valid chromosome of n genes sets
// at most maxRegimes - 1 of them, so the operators of the fast search copy, cross and mutate
// chromosomes through these few genes and write the matrix only where a gene changes, rather
// than reading and writing a whole column of n genes for every chromosome they touch.

#include <vector>

#include "numeric/storage.h"

namespace kavri {

struct GeneValue {
    int position;
    int value;  // never 0

    bool operator==(const GeneValue&) const = default;
};

class PopulationGenes {
 public:
    // Reads chromosomes 0 .. nChromosomes-1 of the population, row by row.
    void read(const IMatrix& population, int nChromosomes, int nObservations);

    int size() const { return static_cast<int>(genes_.size()); }
    // The genes of a chromosome that are not 0, by ascending position.
    const std::vector<GeneValue>& of(int chromosome) const { return genes_[chromosome]; }
    std::vector<GeneValue>& of(int chromosome) { return genes_[chromosome]; }

    // The positions of the genes equal to 1 (the set genes that checkChromosome counts),
    // ascending, of `genes` from position `from` on and before position `to`.
    static void setPositions(const std::vector<GeneValue>& genes, int from, int to,
                             std::vector<int>& positions);

 private:
    std::vector<std::vector<GeneValue>> genes_;
};

}  // namespace kavri
