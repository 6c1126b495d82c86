#pragma once

// The lines kavri-cli writes on standard error beside a successful run, so that a user sees
// which values were fitted and where the result files went: each starts "kavri-cli: ".

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/run_settings.h"
#include "report/run_file_set.h"
#include "run/run_driver.h"

namespace kavri::cli {

// "fitted values 1 to 100 of lynx.csv column 2 "lynx" (1821 to 1920), held out 101 to 114
// (1921 to 1934)": the sample the run used, with the labels of its ends when it has labels.
std::string sampleLine(const SeriesSample& sample, const RunSettings& settings);

// "wrote /abs/Residuals.txt" per file, the residuals noted as empty when no table was asked;
// then "removed /abs/Forecasts.txt (...)" per file of an earlier run that this one superseded.
// The files of `charts` are left out: they are listed as named (chartLines).
std::vector<std::string> committedFileLines(const CommittedFiles& committed,
                                            const RunSettings& settings,
                                            const std::vector<std::filesystem::path>& charts);

// "wrote plots/series.svg" per chart put in place, as the user named its folder.
std::vector<std::string> chartLines(const CommittedFiles& committed,
                                    const std::vector<std::filesystem::path>& charts);

}  // namespace kavri::cli
