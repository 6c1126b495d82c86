#include "cli/plot_output.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "cli/chart_module.h"
#include "cli/exit_codes.h"

namespace kavri::cli {

namespace {

// The folder of the running program, as the kernel knows it: symbolic links on the way are
// resolved, so a link to kavri-cli elsewhere still finds the module beside the real program.
std::filesystem::path programFolder(std::string& problem) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        problem = "the folder of kavri-cli is unknown (/proc/self/exe: " + error.message() + ")";
        return {};
    }
    return self.parent_path();
}

// Opens the chart module and returns its entry, or null after setting `problem`. The module
// is never closed: Qt, loaded with it, keeps state that it tears down only at the process's end.
const ChartModule* openChartModule(std::string& problem) {
    const std::filesystem::path folder = programFolder(problem);
    if (folder.empty()) {
        return nullptr;
    }
    const std::string path = (folder / KAVRI_CHART_MODULE_PATH).lexically_normal().string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char* reason = dlerror();
        problem = reason != nullptr ? reason : path + ": cannot be opened";
        return nullptr;
    }
    const auto entry = reinterpret_cast<ChartModuleEntry>(dlsym(handle, kChartModuleEntry));
    if (entry == nullptr) {
        problem =
            path + " is not the chart library of kavri-cli (it has no " + kChartModuleEntry + ")";
        return nullptr;
    }
    const ChartModule* module = entry();
    if (module == nullptr || !module->interface.sameAs(thisChartInterface())) {
        problem = path + " belongs to another build of Kavri (version " +
                  (module != nullptr ? module->interface.version : "unknown") + ", kavri-cli " +
                  kVersion + ")";
        return nullptr;
    }
    return module;
}

}  // namespace

std::optional<std::string> writeRunCharts(const CliRequest& request, const RunOutcome& outcome,
                                          const DelayScanOutcome* scan,
                                          const ForecastOutcome* forecasts, RunFileSet& set,
                                          std::vector<std::filesystem::path>& paths) {
    std::string problem;
    const ChartModule* module = openChartModule(problem);
    if (module == nullptr) {
        return "the charts were not written: their library could not be loaded: " + problem +
               "\n  Reinstall kavri, or build the target kavri-cli-charts beside kavri-cli.";
    }
    ChartJob job;
    job.settings = &request.settings;
    job.directory = &request.plotsDirectory;
    job.png = request.plotFormat == PlotFormat::kPng;
    job.outcome = &outcome;
    job.scan = scan;
    job.forecasts = forecasts;
    job.thresholdLevel = request.thresholdLevel;
    job.set = &set;
    job.paths = &paths;
    std::string error;
    job.error = &error;
    if (module->writeCharts(job) != kExitSuccess) {
        return error;
    }
    return std::nullopt;
}

}  // namespace kavri::cli
