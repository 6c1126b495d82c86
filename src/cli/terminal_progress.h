#pragma once

// Progress on a terminal: one line on standard error, rewritten in place with a carriage return,
// showing the generation reached by the genetic search and the best fitness so far, the share
// of the exact search's table filled, then the replicates of the bootstrap of the linearity
// tests. The result texts themselves are printed once the run is over, so refresh() shows
// nothing.

#include <cstdio>

#include "model/result_texts.h"

namespace kavri::cli {

class TerminalProgress final : public RunObserver {
 public:
    // Writes to `stream` only when `enabled`; `lastGeneration` is the generation number at
    // which the search ends (nIterations), shown as the total.
    TerminalProgress(std::FILE* stream, bool enabled, int lastGeneration);

    void refresh(const ResultTexts&) override {}
    void progress(int generation, double bestFitness) override;
    void exactSearchProgress(double share) override;

    // The bootstrap of the linearity tests: "Bootstrap replicate <done> of <total> (both null
    // models)", the total counting the replicates of both. Always lets the work go on.
    bool replicates(int done, int total);

    // The model comparison: "Model comparison, delay <done> of <total>".
    void comparison(int done, int total);

    // Clears the progress line, if one was written, so that later output starts on a clean line.
    void finish();

 private:
    std::FILE* stream_;
    bool enabled_;
    int lastGeneration_;
    bool lineShown_ = false;
};

// Whether a progress display belongs on `stream`: a terminal, and not asked to be quiet.
bool progressWanted(std::FILE* stream, bool quiet);

}  // namespace kavri::cli
