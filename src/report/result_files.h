#pragma once

// Where the two result files go. The program writes them in the current directory; tests and
// other callers may name another directory so that runs do not overwrite each other's files.

#include <filesystem>

namespace kavri {

inline constexpr const char* kResidualsFileName = "Residuals.txt";
inline constexpr const char* kPredictionsFileName = "Predictions.txt";

struct ResultFiles {
    std::filesystem::path directory;  // empty: the current directory

    std::filesystem::path residualsPath() const { return directory / kResidualsFileName; }
    std::filesystem::path predictionsPath() const { return directory / kPredictionsFileName; }
};

}  // namespace kavri
