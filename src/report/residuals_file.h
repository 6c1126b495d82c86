#pragma once

// The file "Residuals.txt": every evaluation opens (and so empties) it first and closes it on
// every path; only a reporting evaluation that was asked for the table writes into it.

#include <filesystem>
#include <memory>

#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

class ResidualsFile {
public:
    // Opens `path` for writing on `fileSystem` (the disk by default), emptying it; the notice
    // when it cannot be opened.
    MaybeNotice open(const std::filesystem::path& path,
                     OutputFileSystem& fileSystem = diskFileSystem());

    // Header line, then one "%8.5f\t%8.5f\t%8.5f\n" line per t = 0 .. n-1 with x[t],
    // fitted[t] and residual[t].
    void writeTable(const double* x, const double* fitted, const double* residual, int n);

    // Closes the file; the notice when any write or the close itself failed. A file left open
    // is closed when the object goes.
    MaybeNotice close();

private:
    std::unique_ptr<OutputFile> file_;
};

}  // namespace kavri
