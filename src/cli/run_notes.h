#pragma once

// The lines kavri-cli writes on standard error beside a successful run, so that a user sees
// which values were fitted and where the result files went: each starts "kavri-cli: ".

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/run_settings.h"
#include "report/output_files.h"
#include "run/run_driver.h"

namespace kavri::cli {

// Passes every file to `inner` and remembers the paths created, in order, once each.
class RecordingFileSystem final : public OutputFileSystem {
 public:
    explicit RecordingFileSystem(OutputFileSystem& inner) : inner_(inner) {}
    CreatedFile create(const std::filesystem::path& path) override;
    const std::vector<std::filesystem::path>& created() const { return created_; }

 private:
    OutputFileSystem& inner_;
    std::vector<std::filesystem::path> created_;
};

// "fitted values 1 to 100 of lynx.csv column 2 "lynx" (1821 to 1920), held out 101 to 114
// (1921 to 1934)": the sample the run used, with the labels of its ends when it has labels.
std::string sampleLine(const SeriesSample& sample, const RunSettings& settings);

// "wrote /abs/Residuals.txt" per file, the residuals noted as empty when no table was asked.
std::vector<std::string> writtenFileLines(const std::vector<std::filesystem::path>& created,
                                          const RunSettings& settings);

}  // namespace kavri::cli
