#include "cli/run_notes.h"

#include <algorithm>
#include <system_error>

#include "report/result_files.h"

namespace kavri::cli {

namespace {

std::string range(int first, int last) {
    return std::to_string(first) + " to " + std::to_string(last);
}

std::string labelRange(const SeriesSample& sample, int first, int count) {
    if (sample.labels.empty() || count <= 0) {
        return "";
    }
    const auto at = [&](int i) { return sample.labels[static_cast<std::size_t>(i)]; };
    return " (" + at(first) + " to " + at(first + count - 1) + ")";
}

}  // namespace

std::string sampleLine(const SeriesSample& sample, const RunSettings& settings) {
    const int n = settings.model.nObservations;
    const int p = settings.model.nPredictions;
    std::string line = "fitted values " + range(sample.firstElement, sample.firstElement + n - 1) +
                       " of " + settings.model.seriesPath;
    if (!sample.columnName.empty()) {
        line += " " + sample.columnName;
    }
    line += labelRange(sample, 0, n);
    if (p > 0) {
        line += ", held out " + range(sample.firstElement + n, sample.firstElement + n + p - 1) +
                labelRange(sample, n, p);
    }
    return line;
}

namespace {

bool listed(const std::vector<std::filesystem::path>& paths, const std::filesystem::path& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace

std::vector<std::string> chartLines(const CommittedFiles& committed,
                                    const std::vector<std::filesystem::path>& charts) {
    std::vector<std::string> lines;
    for (const std::filesystem::path& path : committed.written) {
        if (listed(charts, path)) {
            lines.push_back("wrote " + path.string());
        }
    }
    return lines;
}

std::vector<std::string> committedFileLines(const CommittedFiles& committed,
                                            const RunSettings& settings,
                                            const std::vector<std::filesystem::path>& charts) {
    std::vector<std::string> lines;
    for (const std::filesystem::path& path : committed.written) {
        if (listed(charts, path)) {
            continue;
        }
        std::error_code ignored;
        std::string line = "wrote " + std::filesystem::absolute(path, ignored).string();
        if (path.filename() == kResidualsFileName &&
            settings.ga.printResiduals != kPrintResidualsYes) {
            line += " (empty: --print-residuals yes fills it)";
        }
        lines.push_back(line);
    }
    for (const std::filesystem::path& path : committed.removed) {
        std::error_code ignored;
        lines.push_back("removed " + std::filesystem::absolute(path, ignored).string() +
                        " (an earlier run's; this run does not produce it)");
    }
    return lines;
}

}  // namespace kavri::cli
