// kavri-charts-bench: building the charts of a run on 1000 observations, the goal being under a
// tenth of a second for all six. The run is an exact search on the first 1000 daily mark/pound
// returns with 100 held out (maxOrder 5, up to three regimes, minObs 30, delay 1), its charts
// given 20 steps of forecasts with two interval bands so that every chart is drawn in full.
// Each case is timed over a few repetitions and the fastest is shown:
//   - the profile of each threshold around the exact optimum (core, made once per run);
//   - building the six charts from the run's numbers;
//   - building them and writing them as SVG files.
// Charts are drawn on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
//
//   kavri-charts-bench [repetitions]      (default 5)

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "charts/chart_catalogue.h"
#include "charts/chart_export.h"
#include "data/series_input.h"
#include "genetic/candidates.h"
#include "measurement.h"

namespace kavri::bench {
namespace {

constexpr int kObservations = 1000;
constexpr int kPredictions = 100;
constexpr int kForecastSteps = 20;

RunSettings benchSettings(const std::string& seriesPath) {
    RunSettings settings;
    settings.ga = gaRunDefaults();
    settings.ga.fitnessKind = kFitnessAic;
    settings.ga.searchMethod = kSearchExact;
    ModelParameters& model = settings.model;
    model = modelPrefill();
    model.seriesPath = seriesPath;
    model.selectModel = kSelectModelSearch;
    model.nObservations = kObservations;
    model.nPredictions = kPredictions;
    model.maxOrder = 5;
    model.maxRegimes = 3;
    model.minObs = 30;
    model.delay = 1;
    model.nAutocorrelations = 20;
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    return settings;
}

// A widening band around a flat path from the last value, standing in for simulated forecasts.
charts::ForecastPath standInForecasts(double last) {
    charts::ForecastPath path;
    for (const double level : {0.8, 0.95}) {
        charts::ForecastInterval interval;
        interval.level = level;
        path.intervals.push_back(interval);
    }
    for (int h = 1; h <= kForecastSteps; ++h) {
        path.point.push_back(last * 0.5);
        path.intervals[0].lower.push_back(last * 0.5 - 0.4 * h);
        path.intervals[0].upper.push_back(last * 0.5 + 0.4 * h);
        path.intervals[1].lower.push_back(last * 0.5 - 0.6 * h);
        path.intervals[1].upper.push_back(last * 0.5 + 0.6 * h);
    }
    return path;
}

template <typename Work>
double fastestOf(int repetitions, Work work) {
    double best = 0.0;
    for (int i = 0; i < repetitions; ++i) {
        const double start = now();
        work();
        const double seconds = now() - start;
        best = i == 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

}  // namespace
}  // namespace kavri::bench

int main(int argc, char** argv) {
    using namespace kavri;
    using namespace kavri::bench;
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);

    const std::string path = std::string(KAVRI_EXAMPLES_DIR) + "/mark_pound_daily_returns.txt";
    RunSettings settings = benchSettings(path);
    ScratchDirectory files("charts-bench");
    RunOptions options;
    options.files.directory = files.path();
    options.profileThresholds = true;
    ResultTexts texts;
    SilentObserver observer;
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    if (outcome.notice) {
        std::fprintf(stderr, "kavri-charts-bench: %s\n", outcome.notice->text.c_str());
        return 1;
    }
    charts::ChartInput input = charts::chartInputFromRun(outcome, settings);
    input.forecasts = standInForecasts(input.model.series.back());

    // The profile alone, from the run's own ranking of the series.
    DVector series = dvector(0, kObservations + kPredictions);
    if (MaybeNotice notice = readSeries(path, kObservations + kPredictions, series)) {
        std::fprintf(stderr, "kavri-charts-bench: %s\n", notice->text.c_str());
        return 1;
    }
    IVector sortOrder = ivector(0, kObservations);
    DVector sortedSeries = dvector(0, kObservations);
    rankCandidates(series.data(), kObservations, sortOrder, sortedSeries);
    const Result<ExactOptimum> optimum = findExactOptimum(
        settings, series.data(), sortedSeries.data(), sortOrder.data(), settings.model.delay);
    const double profileSeconds = fastestOf(repetitions, [&] {
        profileThresholds(settings, series.data(), sortedSeries.data(), sortOrder.data(),
                          settings.model.delay, optimum.value());
    });

    std::size_t built = 0;
    const double buildSeconds =
        fastestOf(repetitions, [&] { built = charts::buildCharts(input).size(); });
    const QString directory = QString::fromStdString((files.path() / "plots").string());
    bool written = true;
    const double writeSeconds = fastestOf(repetitions, [&] {
        written = !charts::writeCharts(input, directory, charts::ImageFormat::kSvg).error;
    });

    std::printf("charts of a run, n %d, %d held out, %zu threshold(s), %d forecast steps\n",
                kObservations, kPredictions, input.model.thresholds.size(), kForecastSteps);
    std::printf("profile of the thresholds  %.4f s\n", profileSeconds);
    std::printf("build %zu charts            %.4f s   (goal: under 0.1 s)\n", built, buildSeconds);
    std::printf("build and write as SVG     %.4f s%s\n", writeSeconds,
                written ? "" : "   (a file could not be written)");
    return built == 6 && written ? 0 : 1;
}
