#pragma once

// The file "Residuals.txt": every evaluation opens (and so empties) it first and closes it on
// every path; only a reporting evaluation that was asked for the table writes into it.

#include <cstdio>
#include <filesystem>

#include "report/notice.h"

namespace kavri {

class ResidualsFile {
public:
    ResidualsFile() = default;
    ResidualsFile(const ResidualsFile&) = delete;
    ResidualsFile& operator=(const ResidualsFile&) = delete;
    ~ResidualsFile();

    // Opens `path` for writing, emptying it; the notice when it cannot be opened.
    MaybeNotice open(const std::filesystem::path& path);

    // Header line, then one "%8.5f\t%8.5f\t%8.5f\n" line per t = 0 .. n-1 with x[t],
    // fitted[t] and residual[t].
    void writeTable(const double* x, const double* fitted, const double* residual, int n);

    // Closes the file; the notice when any write or the close itself failed.
    MaybeNotice close();

private:
    std::FILE* file_ = nullptr;
};

}  // namespace kavri
