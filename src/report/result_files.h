#pragma once

// Where the result files go. The program writes them in the current directory; tests and
// other callers may name another directory so that runs do not overwrite each other's files,
// or another file system (an in-memory one in the tests).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "report/output_files.h"

namespace kavri {

inline constexpr const char* kResidualsFileName = "Residuals.txt";
inline constexpr const char* kPredictionsFileName = "Predictions.txt";
inline constexpr const char* kForecastsFileName = "Forecasts.txt";

struct ResultFiles {
    std::filesystem::path directory;         // empty: the current directory
    OutputFileSystem* fileSystem = nullptr;  // null: the disk
    // The date of each value of the sample (fitted, then held out) when the series file gives
    // them; the files then start each line with it. Null for a file without dates, whose
    // files keep their columns.
    std::shared_ptr<const std::vector<std::string>> dates = nullptr;

    std::filesystem::path residualsPath() const { return directory / kResidualsFileName; }
    std::filesystem::path predictionsPath() const { return directory / kPredictionsFileName; }
    std::filesystem::path forecastsPath() const { return directory / kForecastsFileName; }
    OutputFileSystem& files() const {
        return fileSystem != nullptr ? *fileSystem : diskFileSystem();
    }
};

}  // namespace kavri
