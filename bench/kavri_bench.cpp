// kavri-bench: the straightforward evaluation path of the genetic search against the fast
// path, on the same seeds, with wall time, evaluations per second and peak memory of each case
// measured in a child process of its own. Every pair is also checked for identical results.
//
//   kavri-bench [--reference-generations=G] [--skip-full-run] [--cases=abc]
//
// The straightforward path needs many minutes for the largest settings, so case (b) measures
// both paths on the first G generations (default 25) and the fast path also on the full run.
// The last line is "speedup <ratio>x" for case (b) on those same generations.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "data/series_input.h"
#include "genetic/candidates.h"
#include "measurement.h"
#include "reference/genetic_reference.h"
#include "run/chromosome_evaluation.h"
#include "run/evaluation_cache.h"
#include "run/run_driver.h"
#include "run/worker_pool.h"

namespace kavri::bench {
namespace {

constexpr std::uint32_t kSeed = 20240601u;

struct Options {
    int referenceGenerations = 25;
    bool fullRun = true;
    std::string cases = "abc";

    bool runs(char name) const { return cases.find(name) != std::string::npos; }
};

std::string examplePath(const char* name) { return std::string(KAVRI_EXAMPLES_DIR) + "/" + name; }

// The first `count` values of an example series, copied to `file`.
bool copyFirstValues(const std::string& from, int count, const std::filesystem::path& file) {
    std::ifstream in(from);
    std::ofstream out(file);
    int copied = 0;
    for (std::string value; copied < count && in >> value; ++copied) {
        out << value << '\n';
    }
    return copied == count && static_cast<bool>(out);
}

Measurement measureRun(const RunSettings& settings, SearchPath path) {
    return measureInChild([&] {
        ScratchDirectory dir("run");
        RunSettings copy = settings;
        ResultTexts texts;
        SilentObserver observer;
        RunOptions options;
        options.seed = kSeed;
        options.files.directory = dir.path();
        useSearchPath(options, path);
        Measurement m;
        const double start = now();
        const RunOutcome outcome = runModel(copy, texts, observer, options);
        m.seconds = now() - start;
        m.evaluations = outcome.evaluations;
        m.digest = digestOfRun(outcome, texts, dir.path());
        if (outcome.notice) m.notice = outcome.notice->text;
        return m;
    });
}

const char* pathName(SearchPath path) {
    return path == SearchPath::kFast ? "fast" : "straightforward";
}

void printHeader() {
    std::printf("  %-34s %9s %8s %12s %14s %9s\n", "path", "wall s", "cpu s", "evaluations",
                "evaluations/s", "peak MB");
}

void printRow(const std::string& label, const Measurement& m) {
    if (!m.completed) {
        std::printf("  %-34s failed\n", label.c_str());
        return;
    }
    std::printf("  %-34s %9.3f %8.3f %12lld %14.0f %9.1f%s%s\n", label.c_str(), m.seconds,
                m.cpuSeconds, m.evaluations, m.evaluationsPerSecond(), m.peakMegabytes,
                m.notice.empty() ? "" : "  notice: ", m.notice.c_str());
}

// Prints the comparison of a pair and returns the ratio of their wall times. `allGood` turns
// false when the pair differs or either run failed or ended with a notice.
double printComparison(const Measurement& reference, const Measurement& fast, bool& allGood) {
    const bool same = reference.completed && fast.completed && reference.digest == fast.digest;
    allGood = allGood && same && reference.notice.empty() && fast.notice.empty();
    const double ratio = fast.seconds > 0.0 ? reference.seconds / fast.seconds : 0.0;
    const double cpuRatio = fast.cpuSeconds > 0.0 ? reference.cpuSeconds / fast.cpuSeconds : 0.0;
    std::printf(
        "  identical results (texts, both files, outcome): %s;  ratio %.1fx wall time, "
        "%.1fx cpu time\n",
        same ? "yes" : "NO", ratio, cpuRatio);
    return ratio;
}

RunSettings settingsFor(const std::string& series) {
    RunSettings settings;
    applyRunDefaults(settings);
    settings.model.seriesPath = series;
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    return settings;
}

void caseRunDefaults(bool& allGood) {
    std::printf(
        "\n(a) run defaults on examples/ExchangeRate.txt: 450 fitted + 50 held-out "
        "values, maxOrder 4, up to 4 regimes,\n    30 chromosomes x 101 generations, "
        "\"MSE\" fitness, \"Relative\" criterion, seed %u\n",
        kSeed);
    const RunSettings settings = settingsFor(examplePath("ExchangeRate.txt"));
    printHeader();
    const Measurement reference = measureRun(settings, SearchPath::kReference);
    printRow(pathName(SearchPath::kReference), reference);
    const Measurement fast = measureRun(settings, SearchPath::kFast);
    printRow(pathName(SearchPath::kFast), fast);
    printComparison(reference, fast, allGood);
}

double caseLargest(const Options& options, const std::filesystem::path& series, bool& allGood) {
    RunSettings settings = settingsFor(series.string());
    settings.model.nObservations = 1000;
    settings.model.nPredictions = 100;
    settings.model.maxOrder = 20;
    settings.model.maxRegimes = 4;
    settings.model.minObs = 20;
    settings.ga.nChromosomes = 200;
    settings.ga.nIterations = 1000;
    std::printf(
        "\n(b) largest settings on the first 1100 values of "
        "examples/mark_pound_daily_returns.txt:\n    1000 fitted + 100 held-out values, "
        "maxOrder 20, up to 4 regimes, minObs 20, 200 chromosomes x 1001 generations;\n"
        "    other settings the run defaults (\"MSE\", \"Relative\", delay 1), seed %u\n",
        kSeed);
    const int generations = options.referenceGenerations;
    RunSettings shortRun = settings;
    shortRun.ga.nIterations = generations - 1;
    std::printf(
        "  The straightforward path is measured on the first %d generations only (it "
        "would take many minutes);\n  the fast path on the same %d generations, and on "
        "the full run.\n",
        generations, generations);
    printHeader();
    char label[64];
    std::snprintf(label, sizeof label, "straightforward, %d generations", generations);
    const Measurement reference = measureRun(shortRun, SearchPath::kReference);
    printRow(label, reference);
    std::snprintf(label, sizeof label, "fast, %d generations", generations);
    const Measurement fast = measureRun(shortRun, SearchPath::kFast);
    printRow(label, fast);
    const double ratio = printComparison(reference, fast, allGood);
    if (options.fullRun) {
        const Measurement full = measureRun(settings, SearchPath::kFast);
        printRow("fast, full run (1001 generations)", full);
        allGood = allGood && full.completed && full.notice.empty();
        if (reference.completed && reference.evaluations > 0 && full.completed) {
            // The straightforward path does the same work for every evaluation, so its rate
            // over the first generations carries over to the whole run.
            const double estimate = reference.seconds / reference.evaluations * full.evaluations;
            std::printf(
                "  straightforward full run, estimated at its measured rate: %.0f s "
                "(%.1f min); fast full run %.2f s\n",
                estimate, estimate / 60.0, full.seconds);
        }
        // Every order of every new regime fitted: the heaviest estimation these settings allow.
        RunSettings absolute = settings;
        absolute.ga.criterion = kCriterionAbsolute;
        const Measurement heavy = measureRun(absolute, SearchPath::kFast);
        printRow("fast, full run, \"Absolute\"", heavy);
        allGood = allGood && heavy.completed && heavy.notice.empty();
    }
    return ratio;
}

// One chromosome with nRegimes - 1 thresholds at evenly spaced ranks.
std::vector<int> evenChromosome(int n, int nRegimes) {
    std::vector<int> genes(n, 0);
    for (int r = 1; r < nRegimes; ++r) genes[n * r / nRegimes] = 1;
    return genes;
}

struct SingleSetup {
    RunSettings settings;
    std::vector<double> x;
    IVector sortOrder = ivector(0, 1000);
    DVector sortedSeries = dvector(0, 1000);
};

// Repeats `evaluate` for at least half a second; evaluations per second of the repetition.
template <typename Evaluate>
Measurement repeat(Evaluate evaluate) {
    Measurement m;
    const double start = now();
    do {
        evaluate();
        ++m.evaluations;
        m.seconds = now() - start;
    } while (m.seconds < 0.5 || m.evaluations < 3);
    return m;
}

Measurement singleReference(SingleSetup& s, const std::vector<int>& genes) {
    return measureInChild([&] {
        ScratchDirectory dir("single");
        ResultTexts texts;
        SilentObserver observer;
        const EvaluationContext context{s.settings, texts, observer, {dir.path()}, nullptr};
        double fitness = 0.0;
        Measurement m = repeat([&] {
            Result<double> f =
                evaluateChromosome(context, s.x.data(), genes.data(), s.sortOrder.data(), 1000,
                                   s.settings.model.maxOrder, s.settings.model.delay, 0);
            fitness = f.ok() ? f.value() : -1.0;
        });
        char text[32];
        std::snprintf(text, sizeof text, "%a", fitness);
        m.digest = text;
        return m;
    });
}

// The fast evaluator on a one-chromosome population; with empty caches (limits 0) every
// evaluation estimates the chromosome's regimes afresh.
Measurement singleFast(SingleSetup& s, const std::vector<int>& genes, SearchCacheLimits limits) {
    return measureInChild([&] {
        ScratchDirectory dir("single");
        IMatrix population = intmatrix(0, 1000, 0, 1);
        for (int g = 0; g < 1000; ++g) population[g][0] = genes[g];
        EvaluationCache evaluator(s.settings, {dir.path()}, s.x.data(), s.sortOrder.data(),
                                  WorkerPool::availableThreads(kMaxSearchThreads), limits);
        double fitness = 0.0;
        (void)evaluator.evaluateGeneration(population, 1, &fitness);  // the folder check
        Measurement m =
            repeat([&] { (void)evaluator.evaluateGeneration(population, 1, &fitness); });
        char text[32];
        std::snprintf(text, sizeof text, "%a", fitness);
        m.digest = text;
        return m;
    });
}

void caseSingleEvaluations(const std::filesystem::path& series, bool& allGood) {
    std::printf(
        "\n(c) single evaluations on the case (b) series (1000 + 100 values), thresholds "
        "at evenly spaced ranks,\n    \"Absolute\" criterion (every order fitted: "
        "regimes x (maxOrder - 1) regressions), \"MSE\" fitness\n");
    std::printf("  %-8s %-8s %14s %14s %8s %16s %10s %6s\n", "regimes", "maxOrder", "straightfwd/s",
                "fast new/s", "ratio", "fast repeated/s", "peak MB", "same");
    SingleSetup s;
    s.settings = settingsFor(series.string());
    s.settings.model.nObservations = 1000;
    s.settings.model.nPredictions = 100;
    s.settings.ga.criterion = kCriterionAbsolute;
    DVector values = dvector(0, 1100);
    if (readSeries(series.string(), 1100, values)) {
        std::printf("  series could not be read\n");
        return;
    }
    s.x.assign(values.data(), values.data() + 1100);
    rankCandidates(s.x.data(), 1000, s.sortOrder, s.sortedSeries);
    for (int maxOrder : {4, 20}) {
        for (int nRegimes = 1; nRegimes <= 4; ++nRegimes) {
            s.settings.model.maxOrder = maxOrder;
            const std::vector<int> genes = evenChromosome(1000, nRegimes);
            const Measurement reference = singleReference(s, genes);
            const Measurement fresh = singleFast(s, genes, SearchCacheLimits{0, 0});
            const Measurement cached = singleFast(s, genes, SearchCacheLimits{});
            const bool same = reference.completed && fresh.completed && cached.completed &&
                              reference.digest == fresh.digest && fresh.digest == cached.digest;
            allGood = allGood && same;
            const double ratio =
                fresh.evaluationsPerSecond() > 0.0 && reference.evaluationsPerSecond() > 0.0
                    ? fresh.evaluationsPerSecond() / reference.evaluationsPerSecond()
                    : 0.0;
            std::printf("  %-8d %-8d %14.0f %14.0f %7.1fx %16.0f %4.1f/%4.1f %6s\n", nRegimes,
                        maxOrder, reference.evaluationsPerSecond(), fresh.evaluationsPerSecond(),
                        ratio, cached.evaluationsPerSecond(), reference.peakMegabytes,
                        fresh.peakMegabytes, same ? "yes" : "NO");
        }
    }
    std::printf(
        "  (peak MB: straightforward/fast-new child process; \"fast repeated\" finds the "
        "chromosome in its cache)\n");
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        constexpr const char* kGenerations = "--reference-generations=";
        if (std::strncmp(argument, kGenerations, std::strlen(kGenerations)) == 0) {
            options.referenceGenerations = std::atoi(argument + std::strlen(kGenerations));
            if (options.referenceGenerations < 1) options.referenceGenerations = 1;
            if (options.referenceGenerations > 1001) options.referenceGenerations = 1001;
        } else if (std::strcmp(argument, "--skip-full-run") == 0) {
            options.fullRun = false;
        } else if (std::strncmp(argument, "--cases=", 8) == 0) {
            options.cases = argument + 8;
        } else {
            std::fprintf(stderr,
                         "usage: kavri-bench [--reference-generations=G] [--skip-full-run] "
                         "[--cases=abc]\n");
            std::exit(2);
        }
    }
    return options;
}

}  // namespace
}  // namespace kavri::bench

int main(int argc, char** argv) {
    using namespace kavri;
    using namespace kavri::bench;
    const Options options = parseOptions(argc, argv);
    const SearchCacheLimits limits;
    std::printf("kavri-bench: straightforward vs fast evaluation of the genetic search\n");
    std::printf("threads: %u in hardware, the fast path uses %d\n",
                std::thread::hardware_concurrency(),
                WorkerPool::availableThreads(kMaxSearchThreads));
    std::printf(
        "fast path memory bound: regime cache %zu ranges (about 16 MB), chromosome "
        "cache %zu chromosomes\n  (about 19 MB), each emptied before a generation that "
        "could overflow it; plus per thread one\n  estimation workspace of "
        "(maxOrder + 1) x (nObservations + 1) doubles (0.17 MB at the largest settings)\n",
        limits.ranges, limits.chromosomes);
    const Measurement baseline = measureInChild([] { return Measurement{}; });
    std::printf("peak memory of an idle child process (included in every figure): %.1f MB\n",
                baseline.peakMegabytes);
    std::printf(
        "cpu s: user + system time of the case's child process, all threads. The "
        "straightforward path\n  empties Residuals.txt and rewrites Predictions.txt at "
        "every evaluation; where wall time far exceeds\n  cpu time, it is waiting for "
        "those writes.\n");

    ScratchDirectory data("data");
    const std::filesystem::path series = data.path() / "mark_pound_first_1100.txt";
    if (!copyFirstValues(examplePath("mark_pound_daily_returns.txt"), 1100, series)) {
        std::fprintf(stderr, "kavri-bench: the example series could not be copied\n");
        return 1;
    }

    bool allGood = true;
    if (options.runs('a')) caseRunDefaults(allGood);
    if (options.runs('c')) caseSingleEvaluations(series, allGood);
    const double speedup = options.runs('b') ? caseLargest(options, series, allGood) : 0.0;
    if (!allGood) {
        std::fprintf(stderr, "kavri-bench: a run failed or the two paths differ\n");
    }
    if (options.runs('b')) {
        std::printf("\nspeedup %.1fx\n", speedup);
    } else {
        std::printf("\nspeedup not measured (case b not run)\n");
    }
    return allGood ? 0 : 1;
}
