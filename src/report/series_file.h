#pragma once

// A series written in the plain format that Kavri reads: one number per line.

#include <filesystem>
#include <vector>

#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

// Replaces the file at `path` with one "%.17g" line per value, so that every value reads back
// as the same double; the file's notice when it cannot be written.
MaybeNotice writeSeriesFile(const std::filesystem::path& path, const std::vector<double>& values,
                            OutputFileSystem& fileSystem = diskFileSystem());

}  // namespace kavri
