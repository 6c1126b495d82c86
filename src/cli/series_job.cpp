#include "cli/series_job.h"

#include "cli/json_output.h"
#include "cli/text_output.h"
#include "report/statistics_text.h"

namespace kavri::cli {

namespace {

class DiscardedFile final : public OutputFile {
 public:
    void write(std::string_view) override {}
    std::error_code finish() override { return {}; }
    std::error_code commit() override { return {}; }
};

class DiscardedFileSystem final : public OutputFileSystem {
 public:
    CreatedFile create(const std::filesystem::path&) override {
        return CreatedFile{std::make_unique<DiscardedFile>(), {}};
    }
};

}  // namespace

std::uint32_t forecastSeed(const CliRequest& request, const RunOutcome& outcome,
                           std::uint32_t clockSeed) {
    if (request.run.seed) {
        return *request.run.seed;
    }
    return usesGeneticSearch(request.settings) ? outcome.seed : clockSeed;
}

const char* seriesStatusWord(SeriesStatus status) {
    switch (status) {
        case SeriesStatus::kFitted:
            return "ok";
        case SeriesStatus::kNoModel:
            return "no model";
        case SeriesStatus::kFailed:
            break;
    }
    return "failed";
}

OutputFileSystem& discardedFiles() {
    static DiscardedFileSystem files;
    return files;
}

SeriesJob runSeriesJob(const CliRequest& request, std::uint32_t clockSeed, RunObserver& observer,
                       StatisticsDetail detail, const SeriesJobWatch& watch) {
    SeriesJob job;
    job.request = request;
    CliRequest& used = job.request;
    if (used.delayScan) {
        job.scan = runDelayScan(used.settings, job.texts, observer, used.run);
        job.outcome = job.scan.run;
    } else {
        job.outcome = runModel(used.settings, job.texts, observer, used.run);
    }
    if (watch.stageEnded) {
        watch.stageEnded();
    }
    if (job.outcome.notice) {
        job.notice = job.outcome.notice;
        return job;
    }
    if (!job.outcome.model.available) {
        job.status = SeriesStatus::kNoModel;
        job.notice = Notice(
            "no model was estimated: a regime could not be fitted by least squares (for "
            "instance a regime left without observations by the thresholds)");
        return job;
    }
    if (MaybeNotice notice = addStatisticsAndForecasts(job, clockSeed, detail, watch)) {
        job.notice = notice;
        return job;
    }
    job.status = SeriesStatus::kFitted;
    return job;
}

MaybeNotice addStatisticsAndForecasts(SeriesJob& job, std::uint32_t clockSeed,
                                      StatisticsDetail detail, const SeriesJobWatch& watch) {
    CliRequest& used = job.request;
    job.statistics = RunStatistics{};
    job.forecasts.reset();
    job.warnings.clear();
    const std::uint64_t seed = bootstrapSeed(used, job.outcome, clockSeed);
    Result<RunStatistics> computed =
        computeRunStatistics(used, used.settings, job.outcome, seed, watch.statistics, detail);
    if (watch.stageEnded) {
        watch.stageEnded();
    }
    if (!computed.ok()) {
        job.stoppedAt = SeriesStage::kStatistics;
        return computed.notice();
    }
    job.statistics = computed.value();
    for (const SparseRegime& regime : job.statistics.fit->sparseRegimes) {
        job.warnings.push_back(sparseRegimeText(regime) +
                               ", fewer than three per parameter: its estimates are unreliable");
    }
    job.stoppedAt = SeriesStage::kForecasts;
    used.forecast.seed = forecastSeed(used, job.outcome, clockSeed);
    if (used.wantsForecasts()) {
        Result<ForecastOutcome> made =
            runForecasts(job.outcome.model, used.forecast, used.run.files);
        if (!made.ok()) {
            return made.notice();
        }
        job.forecasts = std::move(made.value());
    }
    if (used.wantsSimulation()) {
        if (MaybeNotice notice = runSeriesSimulation(job.outcome.model, used.simulateLength,
                                                     used.forecast.method, used.forecast.seed,
                                                     used.simulatePath, used.run.files.files())) {
            return notice;
        }
    }
    return std::nullopt;
}

void completeSeriesJob(SeriesJob& job) {
    if (job.status == SeriesStatus::kFitted) {
        completeRunStatistics(job.statistics, job.request, job.request.settings, job.outcome);
    }
}

std::string seriesJobJson(const SeriesJob& job, bool oneLine) {
    if (job.status == SeriesStatus::kFailed) {
        return {};
    }
    const DelayScanOutcome* scan = job.request.delayScan ? &job.scan : nullptr;
    // Empty statistics without a model, as a single run writes them.
    const RunStatistics* statistics = &job.statistics;
    const ForecastOutcome* forecasts = job.forecasts ? &*job.forecasts : nullptr;
    return oneLine ? formatJsonLine(job.outcome, job.request.settings, scan, statistics, forecasts,
                                    &job.request)
                   : formatJsonReport(job.outcome, job.request.settings, scan, statistics,
                                      forecasts, &job.request);
}

}  // namespace kavri::cli
