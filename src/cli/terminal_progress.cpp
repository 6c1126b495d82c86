#include "cli/terminal_progress.h"

#include <unistd.h>

namespace kavri::cli {

TerminalProgress::TerminalProgress(std::FILE* stream, bool enabled, int lastGeneration)
    : stream_(stream), enabled_(enabled), lastGeneration_(lastGeneration) {}

void TerminalProgress::progress(int generation, double bestFitness) {
    if (!enabled_) {
        return;
    }
    // "\033[K" erases what a longer earlier line left to the right of the cursor.
    std::fprintf(stream_, "\rGeneration %d of %d, best fitness %f\033[K", generation,
                 lastGeneration_, bestFitness);
    std::fflush(stream_);
    lineShown_ = true;
}

bool TerminalProgress::replicates(int done, int total) {
    if (enabled_) {
        std::fprintf(stream_, "\rBootstrap replicate %d of %d (both null models)\033[K", done,
                     total);
        std::fflush(stream_);
        lineShown_ = true;
    }
    return true;
}

void TerminalProgress::exactSearchProgress(double share) {
    if (!enabled_) {
        return;
    }
    std::fprintf(stream_, "\rExact search, %.0f%% of the table\033[K", 100.0 * share);
    std::fflush(stream_);
    lineShown_ = true;
}

void TerminalProgress::comparison(int done, int total) {
    if (!enabled_) {
        return;
    }
    std::fprintf(stream_, "\rModel comparison, delay %d of %d\033[K", done, total);
    std::fflush(stream_);
    lineShown_ = true;
}

void TerminalProgress::finish() {
    if (lineShown_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
        lineShown_ = false;
    }
}

bool progressWanted(std::FILE* stream, bool quiet) { return !quiet && isatty(fileno(stream)) == 1; }

}  // namespace kavri::cli
