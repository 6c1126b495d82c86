#include "genetic/population_genes.h"

#include <algorithm>

namespace kavri {

void PopulationGenes::read(const IMatrix& population, int nChromosomes, int nObservations) {
    genes_.resize(static_cast<std::size_t>(std::max(nChromosomes, 0)));
    for (std::vector<GeneValue>& genes : genes_) {
        genes.clear();
    }
    // A row holds one gene of every chromosome side by side.
    for (int g = 0; g < nObservations; ++g) {
        const int* row = population[g];
        for (int i = 0; i < nChromosomes; ++i) {
            if (row[i] != 0) {
                genes_[i].push_back(GeneValue{g, row[i]});
            }
        }
    }
}

void PopulationGenes::setPositions(const std::vector<GeneValue>& genes, int from, int to,
                                   std::vector<int>& positions) {
    for (const GeneValue& gene : genes) {
        if (gene.position >= from && gene.position < to && gene.value == 1) {
            positions.push_back(gene.position);
        }
    }
}

}  // namespace kavri
