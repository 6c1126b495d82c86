// Runs the built kavri-cli as a user or a script does, each time in a fresh working directory,
// and checks what it prints, the files it leaves and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/text_output.h"
#include "run/run_driver.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri::cli {
namespace {

namespace fs = std::filesystem;
using kavri::testing::readFile;
using kavri::testing::TempDirectory;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Standard output closed before the program starts.
const std::string kClosedOutput = "(closed)";

// Runs kavri-cli with `arguments` in `workDir`; standard output goes to `stdoutPath` when one
// is given (e.g. /dev/full, or kClosedOutput), otherwise it is captured.
CliRun runCli(const fs::path& workDir, const std::vector<std::string>& arguments,
              const std::string& stdoutPath = "") {
    TempDirectory capture;
    const fs::path outFile = stdoutPath.empty() || stdoutPath == kClosedOutput
                                 ? capture.path() / "out"
                                 : fs::path(stdoutPath);
    const fs::path errFile = capture.path() / "err";

    std::vector<char*> argv{const_cast<char*>(KAVRI_CLI_PATH)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(workDir.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (stdoutPath == kClosedOutput) {
            close(1);
        }
        execv(KAVRI_CLI_PATH, argv.data());
        _exit(127);
    }
    CliRun run;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    if (stdoutPath.empty()) {
        run.out = readFile(outFile);
    }
    run.err = readFile(errFile);
    return run;
}

std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A working directory holding the bundled weekly DEM/USD returns as ExchangeRate.txt, the
// series file that a run uses by default.
class CliBinary : public ::testing::Test {
 protected:
    void SetUp() override {
        fs::copy_file(fs::path(KAVRI_EXAMPLES_DIR) / "ExchangeRate.txt",
                      work_.path() / "ExchangeRate.txt");
    }
    const fs::path& dir() const { return work_.path(); }

    TempDirectory work_;
};

// Two observed values among the first 450 returns; ascending, so both regimes hold data.
const std::string kTwoThresholds = "-0.2301702,0.075415819";

TEST_F(CliBinary, GivenThresholdsPrintTheRunsReportAndWriteBothFilesHere) {
    const std::vector<std::string> arguments{"--thresholds", kTwoThresholds, "--print-residuals",
                                             "yes"};
    CliRun run = runCli(dir(), arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    // Not a terminal: no progress display, only the sample and the files written.
    const std::string here = fs::canonical(dir()).string();
    EXPECT_EQ(run.err,
              "kavri-cli: fitted values 1 to 450 of ExchangeRate.txt, held out 451 to 500\n"
              "kavri-cli: wrote " +
                  here +
                  "/Residuals.txt\n"
                  "kavri-cli: wrote " +
                  here + "/Predictions.txt\n");
    EXPECT_EQ(filesIn(dir()),
              (std::set<std::string>{"ExchangeRate.txt", "Predictions.txt", "Residuals.txt"}));
    EXPECT_EQ(lineCount(readFile(dir() / "Predictions.txt")), 51u);  // header + 50 forecasts
    EXPECT_GT(lineCount(readFile(dir() / "Residuals.txt")), 400u);
    EXPECT_NE(run.out.find("Threshold:\n    Soglia:1\n    -0.230170\n    Soglia:2\n    0.075416\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.rfind("Iteration:\nFitness: ", 0), 0u) << run.out;

    // The same run made in-process prints the same bytes, the report then the statistics.
    std::vector<const char*> argv{"kavri-cli"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    ParseOutcome parsed = parseOptions(static_cast<int>(argv.size()), argv.data());
    ASSERT_EQ(parsed.action, ParseAction::kRun);
    TempDirectory elsewhere;
    parsed.request.settings.model.seriesPath = (dir() / "ExchangeRate.txt").string();
    parsed.request.run.files.directory = elsewhere.path();
    ResultTexts texts;
    SilentObserver observer;
    RunOutcome outcome = runModel(parsed.request.settings, texts, observer, parsed.request.run);
    ASSERT_FALSE(outcome.notice.has_value());
    Result<RunStatistics> statistics =
        computeRunStatistics(parsed.request, parsed.request.settings, outcome, 1, {});
    ASSERT_TRUE(statistics.ok());
    EXPECT_EQ(run.out,
              formatTextReport(texts, outcome, parsed.request.settings, &statistics.value()) +
                  formatStatisticsReport(statistics.value()));

    // The statistics of a summary row leave out the diagnostics, the intervals and the support
    // line; completed, they are the report's to the byte.
    Result<RunStatistics> summary = computeRunStatistics(
        parsed.request, parsed.request.settings, outcome, 1, {}, StatisticsDetail::kSummary);
    ASSERT_TRUE(summary.ok());
    EXPECT_FALSE(summary.value().diagnostics.has_value());
    EXPECT_TRUE(summary.value().thresholdIntervals.empty());
    EXPECT_FALSE(summary.value().regimeSupport.has_value());
    completeRunStatistics(summary.value(), parsed.request, parsed.request.settings, outcome);
    EXPECT_EQ(formatStatisticsReport(summary.value()), formatStatisticsReport(statistics.value()));
}

TEST_F(CliBinary, GeneticSearchWithASeedPrintsItAndRepeatsExactly) {
    const std::vector<std::string> arguments{"--seed",          "7", "--n-iterations", "3",
                                             "--n-chromosomes", "6", "--fitness",      "aic"};
    CliRun first = runCli(dir(), arguments);
    CliRun second = runCli(dir(), arguments);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("Seed: 7\nIteration: 3\nFitness: ", 0), 0u) << first.out;
    EXPECT_EQ(first.out, second.out);

    std::vector<std::string> jsonArguments = arguments;
    jsonArguments.push_back("--json");
    CliRun json = runCli(dir(), jsonArguments);
    EXPECT_EQ(json.status, 0) << json.err;
    const nlohmann::json result = nlohmann::json::parse(json.out);
    EXPECT_EQ(result["seed"], 7);
    EXPECT_EQ(result["generations"], 4);
    EXPECT_EQ(result["evaluations"], 24);
    EXPECT_TRUE(result["modelReported"].get<bool>());
    EXPECT_EQ(result["settings"]["fitness"], "aic");
}

// The exact search reports the model of highest fitness, which no genetic search can beat.
TEST_F(CliBinary, ExactSearchReportsWithoutGenerationsAndBeatsTheGeneticBest) {
    CliRun exact = runCli(dir(), {"--search", "exact", "--fitness", "aic"});
    EXPECT_EQ(exact.status, 0) << exact.err;
    EXPECT_EQ(exact.out.rfind("Iteration: 0\nFitness: ", 0), 0u) << exact.out;
    EXPECT_EQ(lineCount(readFile(dir() / "Predictions.txt")), 51u);

    CliRun compared = runCli(dir(), {"--seed", "7", "--n-iterations", "5", "--n-chromosomes", "8",
                                     "--fitness", "aic", "--compare-exact", "--json"});
    EXPECT_EQ(compared.status, 0) << compared.err;
    const nlohmann::json result = nlohmann::json::parse(compared.out);
    const double exactFitness =
        std::stod(exact.out.substr(std::string("Iteration: 0\nFitness: ").size()));
    // The text shows six decimals; the exact optimum's own value agrees with it to rounding.
    EXPECT_NEAR(result["exactFitness"].get<double>(), exactFitness, 1e-6);
    EXPECT_LE(result["fitness"].get<double>(), result["exactFitness"].get<double>() * (1 + 1e-9));
}

// Regimes of fourteen and fifteen lags have no panel format of their own; the text report
// prints every coefficient all the same, each as JSON gives it to six decimals.
TEST_F(CliBinary, EveryCoefficientOfALongRegimeIsPrinted) {
    const std::vector<std::string> arguments = {"--search",    "exact",    "--fitness",   "aic",
                                                "--criterion", "absolute", "--max-order", "16"};
    CliRun text = runCli(dir(), arguments);
    std::vector<std::string> jsonArguments = arguments;
    jsonArguments.push_back("--json");
    CliRun json = runCli(dir(), jsonArguments);
    ASSERT_EQ(text.status, 0) << text.err;
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json regimes = nlohmann::json::parse(json.out)["regimes"];
    int longest = 0;
    for (std::size_t r = 0; r < regimes.size(); ++r) {
        const int order = regimes[r]["order"].get<int>();
        longest = std::max(longest, order);
        const std::string heading = "Parameter Estimate " + std::to_string(r + 1) + ":\n";
        const std::size_t start = text.out.find(heading);
        ASSERT_NE(start, std::string::npos) << text.out;
        std::string block = text.out.substr(start + heading.size());
        block = block.substr(0, block.find("\nParameter Estimate"));
        for (int k = 1; k <= order; ++k) {
            const std::size_t at = block.find("    P(" + std::to_string(k) + ")");
            ASSERT_NE(at, std::string::npos) << block;
            const std::string line = block.substr(at, block.find('\n', at) - at);
            const std::string value =
                testing::formatDouble("%f", regimes[r]["coefficients"][k].get<double>());
            EXPECT_EQ(line.substr(line.size() - value.size()), value) << line;
        }
        EXPECT_EQ(block.find("    P(" + std::to_string(order + 1) + ")"), std::string::npos);
    }
    EXPECT_GE(longest, 14);
}

// A series longer than the dialogs allow: the exact search over some evenly spaced values says
// so, and the genetic search and given thresholds run on the same length.
TEST_F(CliBinary, LongSeriesAreSearchedExactlyOverCandidatesAndByTheOtherMethods) {
    std::vector<double> x(3000, 0.0);
    std::uint32_t state = 17;
    for (std::size_t t = 2; t < x.size(); ++t) {
        state = state * 1664525u + 1013904223u;
        const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
        x[t] = (x[t - 2] < 0.0 ? 0.2 + 0.5 * x[t - 1] : -0.1 - 0.4 * x[t - 1]) + noise;
    }
    {
        std::FILE* file = std::fopen((dir() / "long.txt").c_str(), "w");
        ASSERT_NE(file, nullptr);
        for (double value : x) std::fprintf(file, "%.17g\n", value);
        std::fclose(file);
    }
    const std::vector<std::string> series = {
        "--series",        "long.txt", "--n-observations", "2900",
        "--n-predictions", "100",      "--delay",          "2"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), series.begin(), series.end());
        return more;
    };

    CliRun exact = runCli(dir(), with({"--search", "exact", "--candidates", "150"}));
    EXPECT_EQ(exact.status, 0) << exact.err;
    EXPECT_EQ(exact.out.rfind("Threshold Candidates: 150 of the 2899 values, at evenly spaced "
                              "ranks; the exact search is exact over these (--candidates)\n"
                              "Iteration: 0\nFitness: ",
                              0),
              0u)
        << exact.out;
    EXPECT_EQ(lineCount(readFile(dir() / "Predictions.txt")), 101u);

    CliRun genetic = runCli(
        dir(), with({"--seed", "3", "--n-iterations", "3", "--n-chromosomes", "6", "--json"}));
    EXPECT_EQ(genetic.status, 0) << genetic.err;
    EXPECT_TRUE(nlohmann::json::parse(genetic.out)["modelReported"].get<bool>());

    char threshold[32];
    std::snprintf(threshold, sizeof threshold, "%.17g", x[1234]);
    CliRun given = runCli(dir(), with({"--thresholds", threshold}));
    EXPECT_EQ(given.status, 0) << given.err;
}

TEST_F(CliBinary, DelayScanPrintsTheTableAndReportsTheBestDelay) {
    CliRun run = runCli(dir(), {"--delay-scan", "--fitness", "aic", "--n-observations", "200",
                                "--n-predictions", "0", "--max-order", "3"});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.rfind("Delay Scan:\n    Delay 1: ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n    Delay 10: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nBest Delay: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Seed:"), std::string::npos) << run.out;

    CliRun json = runCli(dir(), {"--delay-scan", "--fitness", "aic", "--n-observations", "200",
                                 "--n-predictions", "0", "--max-order", "3", "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    const nlohmann::json result = nlohmann::json::parse(json.out);
    ASSERT_EQ(result["delayScan"].size(), 10u);
    double best = 0.0;
    int bestDelay = 0;
    for (const nlohmann::json& entry : result["delayScan"]) {
        if (entry["fitness"].get<double>() > best) {
            best = entry["fitness"].get<double>();
            bestDelay = entry["delay"].get<int>();
        }
    }
    EXPECT_EQ(result["bestDelay"], bestDelay);
    EXPECT_EQ(result["settings"]["delay"], bestDelay);
    // The scan's AIC at the best delay is the reported model's, on the same sample.
    for (const nlohmann::json& entry : result["delayScan"]) {
        ASSERT_TRUE(entry["aic"].is_number() && entry["bic"].is_number()) << entry;
        EXPECT_GT(entry["bic"].get<double>(), entry["aic"].get<double>());
        if (entry["delay"] == bestDelay) {
            const double aic = result["aic"].get<double>();
            EXPECT_NEAR(entry["aic"].get<double>(), aic, 1e-9 * std::fabs(aic));
        }
    }
    EXPECT_EQ(result["mode"], "exact");
    EXPECT_NEAR(result["fitness"].get<double>(), best, 1e-9 * best);
}

TEST_F(CliBinary, StatisticsFollowTheReportAndTheTestsRepeatWithTheSeed) {
    const std::vector<std::string> arguments{
        "--thresholds", kTwoThresholds, "--tests", "--bootstrap", "40", "--seed", "9", "--quiet"};
    CliRun run = runCli(dir(), arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::size_t coefficients = run.out.find("\nCoefficients:\n    Classical standard");
    ASSERT_NE(coefficients, std::string::npos) << run.out;
    EXPECT_LT(run.out.find("\nR Square:\n"), coefficients);
    for (const char* line :
         {"\nBIC: ", "\nLjung-Box p: ",
          "\nLinearity Tests: order 3 in every regime, delay 1, observations t = 3 .. 449 (N = "
          "447), at least 30 per regime; bootstrap of 40 replicates under each null model, "
          "seed 9\n",
          "\nSup-F 1 vs 2 Regimes: F = ", "\nSup-F 1 vs 3 Regimes: F = ",
          "\nSup-F 2 vs 3 Regimes: F = ", "\nTsay F: F(4, 396) = "}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    EXPECT_EQ(runCli(dir(), arguments).out, run.out);

    std::vector<std::string> jsonArguments = arguments;
    jsonArguments.push_back("--json");
    jsonArguments.push_back("--robust");
    CliRun json = runCli(dir(), jsonArguments);
    EXPECT_EQ(json.status, 0) << json.err;
    const nlohmann::json result = nlohmann::json::parse(json.out);
    EXPECT_EQ(result["standardErrors"], "hc1");
    EXPECT_EQ(result["coefficientTable"].size(), 3u);
    EXPECT_EQ(result["warnings"].size(), 0u);
    const nlohmann::json& tests = result["linearityTests"];
    EXPECT_EQ(tests["seed"], 9);
    ASSERT_EQ(tests["supF"].size(), 3u);
    for (const nlohmann::json& test : tests["supF"]) {
        EXPECT_EQ(test["replicates"], 40);
        const double p = test["pValue"].get<double>();
        EXPECT_TRUE(p >= 0.0 && p <= 1.0);
    }
}

// The tests take the model's form. Lags 1, 2 are the contiguous order 2, so the statistics and
// p values are those of --orders 2 to the bit, and only the list is added to the JSON; the text
// names a subset and a model without a constant; one order per regime is refused with the
// reason and the remedy.
TEST_F(CliBinary, TheTestsFollowTheModelFormAndNameIt) {
    const auto json = [&](const std::vector<std::string>& form) {
        std::vector<std::string> arguments{"--thresholds", kTwoThresholds, "--tests", "--bootstrap",
                                           "20",           "--seed",       "9",       "--quiet",
                                           "--json"};
        arguments.insert(arguments.end(), form.begin(), form.end());
        CliRun run = runCli(dir(), arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out)["linearityTests"];
    };
    nlohmann::json lags = json({"--lags", "1,2"});
    const nlohmann::json order = json({"--orders", "2"});
    EXPECT_EQ(lags["lags"], nlohmann::json::array({1, 2}));
    EXPECT_FALSE(order.contains("lags"));
    EXPECT_FALSE(order.contains("include"));
    lags.erase("lags");
    EXPECT_EQ(lags, order);
    EXPECT_EQ(order["order"], 2);

    CliRun subset = runCli(dir(), {"--thresholds", kTwoThresholds, "--tests", "--bootstrap", "0",
                                   "--lags", "1,3", "--include", "none", "--quiet"});
    EXPECT_EQ(subset.status, 0) << subset.err;
    EXPECT_NE(subset.out.find("\nLinearity Tests: order 2 in every regime (lags 1, 3; no "
                              "constant), delay 1, observations t = 3 .. 449 (N = 447), at least "
                              "30 per regime\n"),
              std::string::npos)
        << subset.out;
    EXPECT_NE(subset.out.find("\nTsay F: F(2, "), std::string::npos) << subset.out;
    EXPECT_NE(subset.out.find("\nThreshold Confidence:\n"), std::string::npos) << subset.out;

    CliRun perRegime =
        runCli(dir(), {"--thresholds", kTwoThresholds, "--orders", "3,1,2", "--tests"});
    EXPECT_EQ(perRegime.status, 2);
    EXPECT_EQ(perRegime.out, "");
    EXPECT_NE(perRegime.err.find("--tests is not available with one order per regime (--orders "
                                 "P1,P2,..): the linear autoregression of the tests' null is "
                                 "nested in the threshold model only when every regime has the "
                                 "same order; give one order for every regime (--orders k)"),
              std::string::npos)
        << perRegime.err;
}

TEST_F(CliBinary, RegimeWithFewObservationsPerParameterIsAWarningNotARefusal) {
    CliRun run = runCli(dir(), {"--thresholds", "0.041998063", "--max-order", "16",
                                "--n-observations", "60", "--n-predictions", "0", "--quiet"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "kavri-cli: warning: regime 1: 20 observations for 15 parameters, fewer than three "
              "per parameter: its estimates are unreliable\n");
    EXPECT_NE(run.out.find("Regime 1: n = 20, k = 15, 5 residual degrees of freedom"),
              std::string::npos)
        << run.out;
}

TEST_F(CliBinary, ModelComparisonRowsShareOneSample) {
    CliRun run = runCli(dir(), {"--compare-models", "--search", "exact", "--n-observations", "200",
                                "--max-regimes", "2", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const nlohmann::json comparison = nlohmann::json::parse(run.out)["modelComparison"];
    EXPECT_EQ(comparison["firstTime"], 10);
    EXPECT_EQ(comparison["observations"], 190);
    ASSERT_EQ(comparison["rows"].size(), 11u);
    EXPECT_EQ(comparison["rows"][0]["delay"], nullptr);
    int marked = 0;
    for (const nlohmann::json& row : comparison["rows"]) marked += row["best"].size();
    EXPECT_EQ(marked, 4);  // AIC, BIC, SSE and MSE

    CliRun text = runCli(dir(), {"--compare-models", "--search", "exact", "--n-observations", "200",
                                 "--max-regimes", "2"});
    EXPECT_NE(text.out.find("\nModel Comparison:\n    Common sample t = 10 .. 199 (N = 190)"),
              std::string::npos)
        << text.out;
}

// The exact search fits the model's form: with one order per regime exactly that many
// regimes at those orders, the same model that the thresholds it found give; with a subset of
// lags no coefficient at a lag left out. The genetic search cannot keep the regimes' number.
TEST_F(CliBinary, ExactSearchFitsLagSubsetsAndOneOrderPerRegime) {
    CliRun perRegime =
        runCli(dir(), {"--search", "exact", "--orders", "2,1", "--fitness", "aic", "--json"});
    ASSERT_EQ(perRegime.status, 0) << perRegime.err;
    const nlohmann::json found = nlohmann::json::parse(perRegime.out);
    ASSERT_EQ(found["regimes"].size(), 2u);
    EXPECT_EQ(found["regimes"][0]["order"], 2);
    EXPECT_EQ(found["regimes"][1]["order"], 1);
    char threshold[64];
    std::snprintf(threshold, sizeof threshold, "%.17g", found["thresholds"][0].get<double>());
    CliRun given = runCli(dir(), {"--thresholds", threshold, "--orders", "2,1", "--json"});
    ASSERT_EQ(given.status, 0) << given.err;
    const nlohmann::json atThreshold = nlohmann::json::parse(given.out);
    EXPECT_NEAR(atThreshold["aic"].get<double>(), found["aic"].get<double>(), 1e-9);

    CliRun lags =
        runCli(dir(), {"--search", "exact", "--lags", "1,3", "--max-regimes", "3", "--json"});
    ASSERT_EQ(lags.status, 0) << lags.err;
    const nlohmann::json withLags = nlohmann::json::parse(lags.out);
    for (const nlohmann::json& regime : withLags["regimes"]) {
        if (regime["order"].get<int>() == 3) {
            EXPECT_EQ(regime["coefficients"][2].get<double>(), 0.0);
        }
    }

    CliRun genetic = runCli(dir(), {"--orders", "2,1"});
    EXPECT_EQ(genetic.status, 2);
    EXPECT_NE(genetic.err.find("use --search exact (or --delay-scan), or give --thresholds"),
              std::string::npos)
        << genetic.err;
}

TEST_F(CliBinary, WithoutASeedTheClockSeedIsPrinted) {
    CliRun run = runCli(dir(), {"--n-iterations", "0", "--n-chromosomes", "2", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(nlohmann::json::parse(run.out)["seed"].get<long long>(), 1600000000LL);
}

TEST_F(CliBinary, NoticesEndTheRunOnStandardErrorWithStatus3) {
    CliRun missing = runCli(dir(), {"--series", "missing.txt"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.err,
              "kavri-cli: File missing.txt could not be opened\n"
              "  No such file or directory (looked for in " +
                  fs::canonical(dir()).string() +
                  ", the current folder; give the full path or choose the file)\n");
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(filesIn(dir()), std::set<std::string>{"ExchangeRate.txt"});

    work_.write("short.txt", "1 2 3 4 5\n");
    CliRun tooShort = runCli(dir(), {"--series", "short.txt", "--n-observations", "50",
                                     "--n-predictions", "0", "--json"});
    EXPECT_EQ(tooShort.status, 3);
    EXPECT_EQ(tooShort.err,
              "kavri-cli: Element of time series less of 50\n"
              "  File short.txt has 5 values; 50 fitted are needed (lower --n-observations or "
              "--n-predictions)\n");
    EXPECT_EQ(tooShort.out, "");

    CliRun notInSeries = runCli(dir(), {"--thresholds", "1.25"});
    EXPECT_EQ(notInSeries.status, 3);
    EXPECT_EQ(notInSeries.err.rfind("kavri-cli: Element of series do not exist\n  Threshold 1.25 "
                                    "is not a fitted value of the series; the nearest are ",
                                    0),
              0u)
        << notInSeries.err;
}

// The detail line goes under the notice, indented, with the specifics and the remedy.
TEST_F(CliBinary, NoticeDetailNamesTheFileLineColumnAndRemedy) {
    std::string table = "date,value\n2020-01,1\n2020-02,NA\n";
    for (int i = 3; i <= 60; ++i) table += "d" + std::to_string(i) + "," + std::to_string(i) + "\n";
    work_.write("gap.csv", table);
    CliRun gap =
        runCli(dir(), {"--series", "gap.csv", "--n-observations", "50", "--n-predictions", "10"});
    EXPECT_EQ(gap.status, 3);
    EXPECT_EQ(gap.err,
              "kavri-cli: Element 2 could not be read\n"
              "  gap.csv line 3, column 2 \"value\": \"NA\" is a missing value; a series with a "
              "gap cannot be fitted (fill it, or fit a sample without it: --skip, --last)\n");

    CliRun column = runCli(dir(), {"--series", "gap.csv", "--column", "price"});
    EXPECT_EQ(column.status, 3);
    EXPECT_EQ(column.err,
              "kavri-cli: Column price was not found in gap.csv\n"
              "  Its columns are 1 \"date\", 2 \"value\" (--column takes a name or a number)\n");

    std::string forty;
    for (int i = 0; i < 40; ++i) forty += std::to_string(i) + "\n";
    work_.write("short.txt", forty);
    CliRun tooShort = runCli(dir(), {"--series", "short.txt"});
    EXPECT_EQ(tooShort.err,
              "kavri-cli: Element of time series less of 500\n"
              "  File short.txt has 40 values; 450 fitted + 50 held out are needed (lower "
              "--n-observations or --n-predictions)\n");
}

TEST_F(CliBinary, ThresholdTypedAsShownIsTakenAsTheSeriesValueAndSaidSo) {
    CliRun typed = runCli(dir(), {"--thresholds", "-0.230170,0.075416", "-q"});
    CliRun exact = runCli(dir(), {"--thresholds", kTwoThresholds, "-q"});
    EXPECT_EQ(typed.status, 0) << typed.err;
    EXPECT_EQ(typed.out, exact.out);
    EXPECT_EQ(typed.err,
              "kavri-cli: Threshold 1 (-0.23017) is taken as the series value -0.2301702, the "
              "only fitted value that shows as -0.23017 at 5 decimals\n"
              "kavri-cli: Threshold 2 (0.075416) is taken as the series value 0.075415819, the "
              "only fitted value that shows as 0.075416 at 6 decimals\n");
    EXPECT_EQ(exact.err, "");
}

TEST_F(CliBinary, OutputDirReceivesTheResultFilesAndIsListed) {
    TempDirectory results;
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds, "--output-dir",
                                results.path().string(), "--print-residuals", "yes"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(filesIn(dir()), std::set<std::string>{"ExchangeRate.txt"});
    EXPECT_EQ(filesIn(results.path()), (std::set<std::string>{"Predictions.txt", "Residuals.txt"}));
    EXPECT_NE(run.err.find("kavri-cli: wrote " + results.path().string() + "/Residuals.txt\n"),
              std::string::npos)
        << run.err;

    CliRun missing = runCli(dir(), {"--output-dir", "no/such/dir"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.rfind("kavri-cli: --output-dir expects an existing directory, got "
                                "\"no/such/dir\"\n",
                                0),
              0u);
}

// A sample chosen with --last or --skip gives, byte for byte, the results of a file cut to it.
TEST_F(CliBinary, LastAndSkipGiveTheResultsOfAFileCutToTheSample) {
    const std::vector<std::string> model{
        "--n-observations", "100", "--n-predictions",   "10",  "--max-order", "5",
        "--delay",          "2",   "--min-obs",         "20",  "--search",    "exact",
        "--fitness",        "aic", "--print-residuals", "yes", "-q"};
    const std::string lynx = readFile(fs::path(KAVRI_EXAMPLES_DIR) / "lynx_log10.txt");
    fs::copy_file(fs::path(KAVRI_EXAMPLES_DIR) / "lynx.csv", dir() / "lynx.csv");
    fs::copy_file(fs::path(KAVRI_EXAMPLES_DIR) / "lynx_log10.txt", dir() / "lynx_log10.txt");
    const auto cut = [&](int first, int count) {  // values first .. first+count-1, from 0
        std::size_t begin = 0;
        for (int i = 0; i < first; ++i) begin = lynx.find('\n', begin) + 1;
        std::size_t end = begin;
        for (int i = 0; i < count; ++i) end = lynx.find('\n', end) + 1;
        return lynx.substr(begin, end - begin);
    };
    const auto results = [&](const std::string& series, std::vector<std::string> extra) {
        TempDirectory out;
        std::vector<std::string> arguments = model;
        arguments.insert(arguments.end(),
                         {"--series", series, "--output-dir", out.path().string()});
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        CliRun run = runCli(dir(), arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out + readFile(out.path() / "Residuals.txt") +
               readFile(out.path() / "Predictions.txt");
    };
    // The table's result files carry its years, so it is compared with the table cut alike.
    const std::string table = readFile(fs::path(KAVRI_EXAMPLES_DIR) / "lynx.csv");
    const auto cutTable = [&](int first, int count) {
        const std::size_t header = table.find('\n') + 1;
        std::size_t begin = header;
        for (int i = 0; i < first; ++i) begin = table.find('\n', begin) + 1;
        std::size_t end = begin;
        for (int i = 0; i < count; ++i) end = table.find('\n', end) + 1;
        return table.substr(0, header) + table.substr(begin, end - begin);
    };
    work_.write("last.txt", cut(4, 110));
    work_.write("skip.txt", cut(2, 110));
    work_.write("last.csv", cutTable(4, 110));
    work_.write("skip.csv", cutTable(2, 110));
    const std::string lastCut = results("last.txt", {});
    const std::string lastCutTable = results("last.csv", {});
    EXPECT_GT(lastCut.size(), 2000u);
    EXPECT_EQ(results("lynx.csv", {"--last"}), lastCutTable);
    EXPECT_EQ(results("lynx_log10.txt", {"--last"}), lastCut);
    EXPECT_EQ(results("lynx.csv", {"--skip", "4"}), lastCutTable);
    EXPECT_EQ(results("lynx.csv", {"--skip", "2"}), results("skip.csv", {}));
    EXPECT_EQ(results("lynx_log10.txt", {"--skip", "2"}), results("skip.txt", {}));
    // The same numbers: the table's files are the plain file's with a first column of years.
    EXPECT_NE(lastCutTable.find("Date\t Series\t         Fit\t         Residuals\n1825\t 3.16879"),
              std::string::npos);

    // The run says which values it fitted, by place in the file and by the year column.
    CliRun said = runCli(dir(), {"--series", "lynx.csv", "--last", "--n-observations", "100",
                                 "--n-predictions", "10", "--search", "exact"});
    EXPECT_EQ(said.err.substr(0, said.err.find("\nkavri-cli: wrote")),
              "kavri-cli: fitted values 5 to 104 of lynx.csv column 3 \"log10\" (1825 to 1924), "
              "held out 105 to 114 (1925 to 1934)");
}

TEST_F(CliBinary, NoticeEndingInALineBreakIsPrintedOnOneLine) {
    fs::create_directory(dir() / "Residuals.txt");  // cannot be opened as a file
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "kavri-cli: Kavri Directory do not exist or Residuals.txt File could not be "
              "opened\n"
              "  Residuals.txt cannot be created: Is a directory. Move it away or run in another "
              "directory: only a regular file, a FIFO or a character device is written under a "
              "result file's name.\n");
}

TEST_F(CliBinary, RefusedCommandLineExitsWith2BeforeTheRun) {
    CliRun run = runCli(dir(), {"--max-regimes", "0"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "kavri-cli: --max-regimes expects an integer from 1 to 4, got \"0\"\n"
              "Run with --help for more information.\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(filesIn(dir()), std::set<std::string>{"ExchangeRate.txt"});

    EXPECT_EQ(runCli(dir(), {"--no-such-option"}).status, 2);
    EXPECT_EQ(runCli(dir(), {"--thresholds", "1,2,3,4"}).status, 2);
}

TEST_F(CliBinary, VersionGoesToStandardOutput) {
    CliRun version = runCli(dir(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kavri-cli 1.0\n");
    EXPECT_EQ(filesIn(dir()), std::set<std::string>{"ExchangeRate.txt"});
}

TEST_F(CliBinary, ThresholdsThatLeaveARegimeEmptyAreAFailureNotASuccess) {
    // Two equal thresholds leave the middle regime without observations: no fit is possible.
    // The cause is named, and no empty report is printed.
    CliRun run = runCli(dir(), {"--thresholds", "0.075415819,0.075415819"});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err.rfind("kavri-cli: no model was estimated: threshold 0.075415819 is given "
                            "twice",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(run.out, "");
}

// A constant series, or one alternating between two values, leaves every regression singular:
// the run says so, prints no empty report and leaves the earlier files as they were.
TEST_F(CliBinary, ASingularDesignIsNamedAsTheCauseAndChangesNoFile) {
    std::string constant;
    std::string alternating;
    for (int t = 0; t < 200; ++t) {
        constant += "5\n";
        alternating += t % 2 == 0 ? "1\n" : "-1\n";
    }
    work_.write("constant.txt", constant);
    work_.write("alternating.txt", alternating);
    work_.write("Residuals.txt", "an earlier run's\n");
    CliRun flat = runCli(dir(), {"--series", "constant.txt", "--n-observations", "150",
                                 "--n-predictions", "10", "--search", "exact"});
    EXPECT_EQ(flat.status, 4);
    EXPECT_EQ(flat.out, "");
    EXPECT_NE(flat.err.find("no model was estimated: the series is constant"), std::string::npos)
        << flat.err;
    CliRun periodic = runCli(dir(), {"--series", "alternating.txt", "--n-observations", "150",
                                     "--n-predictions", "10", "--seed", "1"});
    EXPECT_EQ(periodic.status, 4);
    EXPECT_EQ(periodic.out, "");
    EXPECT_NE(periodic.err.find("regression is singular at every order tried"), std::string::npos)
        << periodic.err;
    EXPECT_NE(periodic.err.find("no result file was written"), std::string::npos);
    EXPECT_EQ(readFile(dir() / "Residuals.txt"), "an earlier run's\n");
    EXPECT_FALSE(fs::exists(dir() / "Predictions.txt"));
}

TEST_F(CliBinary, ThresholdIntervalsFollowTheThresholdsAndNarrowWithTheLevel) {
    CliRun text = runCli(dir(), {"--thresholds", kTwoThresholds, "--quiet"});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::size_t threshold = text.out.find("Threshold:\n");
    ASSERT_NE(threshold, std::string::npos) << text.out;
    const std::size_t interval = text.out.find("Threshold Confidence:\n    1: -0.230170 in [");
    ASSERT_NE(interval, std::string::npos) << text.out;
    EXPECT_LT(threshold, interval);
    EXPECT_LT(interval, text.out.find("Variance of Regime:"));

    const auto intervals = [&](const std::string& level) {
        CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds, "--threshold-level", level,
                                    "--json", "--quiet"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out)["thresholdConfidence"];
    };
    const nlohmann::json wide = intervals("95");
    const nlohmann::json narrow = intervals("80");
    ASSERT_EQ(wide.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const double estimate = wide[i]["threshold"].get<double>();
        EXPECT_EQ(wide[i]["level"], 95.0);
        EXPECT_LE(wide[i]["lower"].get<double>(), estimate);
        EXPECT_GE(wide[i]["upper"].get<double>(), estimate);
        EXPECT_GE(narrow[i]["lower"].get<double>(), wide[i]["lower"].get<double>());
        EXPECT_LE(narrow[i]["upper"].get<double>(), wide[i]["upper"].get<double>());
    }
    EXPECT_EQ(wide[0]["threshold"], -0.2301702);
}

TEST_F(CliBinary, ThresholdsGivenOutOfOrderGiveTheReportOfTheAscendingOnes) {
    CliRun reversed = runCli(dir(), {"--thresholds", "0.075415819,-0.2301702", "--quiet"});
    EXPECT_EQ(reversed.status, 0) << reversed.err;
    EXPECT_EQ(reversed.err,
              "kavri-cli: the thresholds were given out of order (0.075415819, -0.2301702); they "
              "are used in ascending order: -0.2301702, 0.075415819\n");
    CliRun ascending = runCli(dir(), {"--thresholds", kTwoThresholds, "--quiet"});
    EXPECT_EQ(ascending.status, 0) << ascending.err;
    EXPECT_EQ(reversed.out, ascending.out);
}

TEST_F(CliBinary, ForecastsPrintTheirTablesWriteForecastsTxtAndRepeatWithTheSeed) {
    const std::vector<std::string> arguments{
        "--thresholds", kTwoThresholds, "--forecast", "5", "--seed", "3"};
    CliRun first = runCli(dir(), arguments);
    EXPECT_EQ(first.status, 0) << first.err;
    const std::string forecasts = readFile(dir() / "Forecasts.txt");
    EXPECT_EQ(lineCount(forecasts), 6u);
    EXPECT_EQ(forecasts.rfind("Step\tForecast\tMedian\tLo80\tHi80\tLo95\tHi95\n1\t", 0), 0u);
    EXPECT_NE(first.out.find("Forecast Method: bootstrap, 10000 paths, seed 3\nForecasts:\n"),
              std::string::npos)
        << first.out;
    const std::size_t check = first.out.find("Dynamic Check:\n");
    ASSERT_NE(check, std::string::npos);
    EXPECT_EQ(lineCount(first.out.substr(check)), 52u);  // label, header, 50 held-out values

    CliRun second = runCli(dir(), arguments);
    EXPECT_EQ(second.out, first.out);
    EXPECT_EQ(readFile(dir() / "Forecasts.txt"), forecasts);

    std::vector<std::string> jsonArguments = arguments;
    jsonArguments.push_back("--json");
    CliRun json = runCli(dir(), jsonArguments);
    EXPECT_EQ(json.status, 0) << json.err;
    const nlohmann::json result = nlohmann::json::parse(json.out);
    EXPECT_EQ(result["forecasts"]["seed"], 3);
    EXPECT_EQ(result["forecasts"]["origin"], 500);
    EXPECT_EQ(result["forecasts"]["steps"].size(), 5u);
    EXPECT_EQ(result["dynamicCheck"]["origin"], 450);
    EXPECT_EQ(result["dynamicCheck"]["steps"].size(), 50u);
}

TEST_F(CliBinary, ASimulatedSeriesIsOneThatKavriReads) {
    CliRun simulate = runCli(dir(), {"--thresholds", kTwoThresholds, "--simulate", "600",
                                     "--simulate-to", "simulated.txt", "--seed", "1"});
    EXPECT_EQ(simulate.status, 0) << simulate.err;
    EXPECT_NE(simulate.out.find("Simulated Series: 600 values with bootstrap innovations, seed 1, "
                                "written to simulated.txt\n"),
              std::string::npos)
        << simulate.out;
    EXPECT_EQ(lineCount(readFile(dir() / "simulated.txt")), 600u);
    CliRun refit = runCli(dir(), {"--series", "simulated.txt", "--n-observations", "550",
                                  "--search", "exact", "--max-regimes", "2"});
    EXPECT_EQ(refit.status, 0) << refit.err;
}

// --report: the whole result as Markdown (or plain text), the same document the desktop
// program saves; a file that cannot be written is a failure that names it.
TEST_F(CliBinary, ReportWritesTheWholeResultAsMarkdown) {
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds, "--forecast", "3", "--seed", "3",
                                "--report", "run.md"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("kavri-cli: wrote run.md\n"), std::string::npos) << run.err;
    const std::string report = readFile(dir() / "run.md");
    EXPECT_EQ(report.rfind("# Kavri report: ExchangeRate.txt\n\n- **Series read**: ", 0), 0u)
        << report;
    for (const char* part : {"| Result | Value |\n", "| AIC | ", "### Threshold\n\n```text\n",
                             "## Statistics\n\n```text\n",
                             "Log-Likelihood: ", "## Forecasts\n\n```text\nStep  Forecast"}) {
        EXPECT_NE(report.find(part), std::string::npos) << part;
    }
    CliRun plain = runCli(dir(), {"--thresholds", kTwoThresholds, "--report", "run.txt", "-q"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(readFile(dir() / "run.txt").rfind("Kavri report: ExchangeRate.txt\n=====", 0), 0u);

    CliRun nowhere =
        runCli(dir(), {"--thresholds", kTwoThresholds, "--report", "absent/run.md", "-q"});
    EXPECT_EQ(nowhere.status, 5);
    EXPECT_NE(nowhere.err.find("the report could not be written to absent/run.md"),
              std::string::npos)
        << nowhere.err;
}

TEST_F(CliBinary, ForecastsThatCannotBeMadeOrWrittenAreFailures) {
    CliRun noModel = runCli(dir(), {"--thresholds", "0.075415819,0.075415819", "--forecast", "3"});
    EXPECT_EQ(noModel.status, 4);
    EXPECT_FALSE(fs::exists(dir() / "Forecasts.txt"));

    fs::create_directory(dir() / "Forecasts.txt");
    CliRun unwritable = runCli(dir(), {"--thresholds", kTwoThresholds, "--forecast", "3"});
    EXPECT_EQ(unwritable.status, 3);
    EXPECT_EQ(unwritable.err,
              "kavri-cli: Forecasts.txt could not be opened for writing\n"
              "  Is a directory. Move it away or name another file: only a regular file, a FIFO "
              "or a character device is written.\n");
    EXPECT_EQ(unwritable.out, "");
}

TEST_F(CliBinary, OutputThatCannotBeWrittenIsAFailureExplainedOnStandardError) {
    CliRun closedHelp = runCli(dir(), {"--help"}, kClosedOutput);
    EXPECT_EQ(closedHelp.status, 5);
    EXPECT_EQ(closedHelp.err,
              "kavri-cli: the help could not be written to standard output: Bad file "
              "descriptor\n");
    CliRun closedVersion = runCli(dir(), {"--version"}, kClosedOutput);
    EXPECT_EQ(closedVersion.status, 5);
    EXPECT_EQ(closedVersion.err.rfind("kavri-cli: the version could not be written", 0), 0u);

    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    CliRun fullVersion = runCli(dir(), {"--version"}, "/dev/full");
    EXPECT_EQ(fullVersion.status, 5);
    EXPECT_EQ(fullVersion.err,
              "kavri-cli: the version could not be written to standard output: No space left "
              "on device\n");
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds}, "/dev/full");
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.err,
              "kavri-cli: the results could not be written to standard output: No space left "
              "on device\n");
}

// The dialog accepts a maximum order of 1, which leaves no order to fit: the command line
// refuses it at once with the reason (status 2) instead of running into a notice.
TEST_F(CliBinary, MaxOrderOneIsRefusedWithItsReason) {
    CliRun run = runCli(dir(), {"--max-order", "1", "--seed", "1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "kavri-cli: --max-order expects an integer from 2 to 20, got \"1\": orders 1 to "
              "P-1 are fitted, so 1 leaves no order to try\n"
              "Run with --help for more information.\n");
    EXPECT_EQ(run.out, "");
}

// Value 471 of the bundled series set to 1e300: once shown as "MSE: inf" with status 0.
TEST_F(CliBinary, ValueWhoseSquareOverflowsIsANoticeNotInfinity) {
    std::string text = readFile(dir() / "ExchangeRate.txt");
    std::size_t start = 0;
    for (int line = 1; line < 471; ++line) start = text.find('\n', start) + 1;
    text.replace(start, text.find('\n', start) - start, "1e300");
    work_.write("extreme.txt", text);
    for (const char* search : {"genetic", "exact"}) {
        std::vector<std::string> arguments{"--series", "extreme.txt", "--search", search, "--json"};
        if (search == std::string("genetic")) {
            arguments.insert(arguments.end(), {"--seed", "2", "--n-iterations", "3"});
        }
        CliRun run = runCli(dir(), arguments);
        EXPECT_EQ(run.status, 3) << search;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("471"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("effective observation"), std::string::npos) << run.err;
    }
}

// Charts without a display: the program chooses Qt's offscreen platform itself.
TEST_F(CliBinary, PlotsWriteEveryChartOfTheRunAndNameThemOnStandardError) {
    CliRun run = runCli(dir(), {"--seed", "3", "--n-iterations", "3", "--plots", "plots"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string written =
        "kavri-cli: wrote plots/series.svg\n"
        "kavri-cli: wrote plots/lag.svg\n"
        "kavri-cli: wrote plots/fit.svg\n"
        "kavri-cli: wrote plots/acf.svg\n"
        "kavri-cli: wrote plots/ljungbox.svg\n"
        "kavri-cli: wrote plots/forecasts.svg\n"
        "kavri-cli: wrote plots/search.svg\n";
    ASSERT_GE(run.err.size(), written.size()) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - written.size()), written) << run.err;
    EXPECT_EQ(run.out.rfind("Seed: 3\nIteration: 3\n", 0), 0u) << run.out;

    // Thresholds given: no search to chart; PNG on request.
    CliRun given =
        runCli(dir(), {"--thresholds", kTwoThresholds, "--plots", "given", "--plot-format", "PNG"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(filesIn(dir() / "given"),
              (std::set<std::string>{"acf.png", "fit.png", "forecasts.png", "lag.png",
                                     "ljungbox.png", "series.png"}));
    EXPECT_EQ(readFile(dir() / "given" / "fit.png").rfind("\x89PNG", 0), 0u);

    // Forecasts past the data are drawn with their intervals; without --forecast there are
    // none to draw.
    EXPECT_EQ(readFile(dir() / "plots" / "forecasts.svg").find("95% interval"), std::string::npos);
    CliRun ahead = runCli(dir(), {"--thresholds", kTwoThresholds, "--forecast", "6", "--seed", "2",
                                  "--plots", "ahead", "--quiet"});
    EXPECT_EQ(ahead.status, 0) << ahead.err;
    EXPECT_EQ(ahead.err, "");  // -q leaves out the chart lines too
    const std::string drawn = readFile(dir() / "ahead" / "forecasts.svg");
    for (const char* name : {"95% interval", "80% interval", "forecast, 1 to 6 steps ahead"}) {
        EXPECT_NE(drawn.find(name), std::string::npos) << name;
    }
}

TEST_F(CliBinary, PlotsThatCannotBeWrittenAreAFailureAfterTheResults) {
    TempDirectory elsewhere;
    const fs::path blocker = elsewhere.write("plots", "a file, not a directory");
    CliRun run =
        runCli(dir(), {"--thresholds", kTwoThresholds, "--plots", blocker.string(), "--quiet"});
    EXPECT_EQ(run.status, 6);
    // Nothing of the run is put in place when one of its files cannot be written.
    EXPECT_EQ(run.err, "kavri-cli: could not create the directory " + blocker.string() +
                           "\nkavri-cli: no result file was written: the files there are as the "
                           "earlier run left them\n");
    EXPECT_FALSE(fs::exists(dir() / "Residuals.txt"));
    EXPECT_NE(run.out.find("Threshold:\n"), std::string::npos) << run.out;

    CliRun formatAlone = runCli(dir(), {"--plot-format", "png"});
    EXPECT_EQ(formatAlone.status, 2);
    EXPECT_EQ(formatAlone.err,
              "kavri-cli: --plot-format chooses the picture format of --plots; give --plots DIR "
              "too\nRun with --help for more information.\n");
    EXPECT_EQ(runCli(dir(), {"--plots", "p", "--plot-format", "pdf"}).status, 2);
}

// A table of monthly values: the printed forecasts and the report's give each step its month,
// and the dynamic check the month of each held-out value.
TEST_F(CliBinary, MonthlyDatesInTheForecastsTheReportAndTheDynamicCheck) {
    std::ofstream table(dir() / "monthly.csv");
    table << "month,value\n";
    const std::string values = readFile(fs::path(KAVRI_EXAMPLES_DIR) / "lynx_log10.txt");
    std::istringstream numbers(values);
    double value = 0.0;
    for (int i = 0; numbers >> value; ++i) {
        table << 1990 + i / 12 << '-' << (i % 12 < 9 ? "0" : "") << i % 12 + 1 << ',' << value
              << '\n';
    }
    table.close();
    CliRun run = runCli(dir(), {"--series", "monthly.csv", "--n-observations", "100",
                                "--n-predictions", "14", "--search", "exact", "--forecast", "2",
                                "--forecast-method", "skeleton", "--report", "run.txt", "-q"});
    ASSERT_EQ(run.status, 0) << run.err;
    // 114 months from 1990-01: the held-out values are 1998-05 .. 1999-06.
    EXPECT_NE(run.out.find("      Step     Date      Forecast\n         1  1999-07"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Dynamic Check:\n      Step     Date      Observed"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\n         1  1998-05  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n        14  1999-06  "), std::string::npos) << run.out;
    const std::string report = readFile(dir() / "run.txt");
    EXPECT_NE(report.find("Step     Date  Forecast\n   1  1999-07"), std::string::npos) << report;
}

// A title above the table: refused at its line with the option that passes over it, read
// with that option; --inspect shows the columns and writes nothing.
TEST_F(CliBinary, TitleAboveATableAndThePreviewOfTheFile) {
    const std::string table = readFile(fs::path(KAVRI_EXAMPLES_DIR) / "lynx.csv");
    std::ofstream(dir() / "titled.csv") << "Lynx trappings, Mackenzie River\n" << table;
    const std::vector<std::string> sample{
        "--series",        "titled.csv", "--n-observations", "100",
        "--n-predictions", "14",         "--search",         "exact"};
    CliRun refused = runCli(dir(), sample);
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("Line 2 of titled.csv does not fit the table\n  titled.csv line 2 "
                               "holds 3 fields; line 1 holds 2."),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("if line 1 is a title or note above the table, --skip-lines 1 "
                               "passes over it"),
              std::string::npos)
        << refused.err;
    std::vector<std::string> skipped = sample;
    skipped.insert(skipped.end(), {"--skip-lines", "1"});
    CliRun read = runCli(dir(), skipped);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.err.find("fitted values 1 to 100 of titled.csv column 3 \"log10\" (1821 to "
                            "1920)"),
              std::string::npos)
        << read.err;

    const std::set<std::string> before = filesIn(dir());
    CliRun inspected = runCli(dir(), {"--inspect", "--series", "titled.csv", "--skip-lines", "1"});
    EXPECT_EQ(inspected.status, 0) << inspected.err;
    EXPECT_NE(inspected.out.find("Layout: comma-separated table, header on line 2"),
              std::string::npos)
        << inspected.out;
    EXPECT_NE(inspected.out.find("*  3       log10      number  114"), std::string::npos)
        << inspected.out;
    EXPECT_EQ(filesIn(dir()), before);
}

}  // namespace
}  // namespace kavri::cli
