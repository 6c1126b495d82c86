// Runs the built kavri-cli as a user or a script does, each time in a fresh working directory,
// and checks what it prints, the files it leaves and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
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

// Runs kavri-cli with `arguments` in `workDir`; standard output goes to `stdoutPath` when one
// is given (e.g. /dev/full), otherwise it is captured.
CliRun runCli(const fs::path& workDir, const std::vector<std::string>& arguments,
              const std::string& stdoutPath = "") {
    TempDirectory capture;
    const fs::path outFile = stdoutPath.empty() ? capture.path() / "out" : fs::path(stdoutPath);
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
    EXPECT_EQ(run.err, "");  // not a terminal: no progress display
    EXPECT_EQ(filesIn(dir()),
              (std::set<std::string>{"ExchangeRate.txt", "Predictions.txt", "Residuals.txt"}));
    EXPECT_EQ(lineCount(readFile(dir() / "Predictions.txt")), 51u);  // header + 50 forecasts
    EXPECT_GT(lineCount(readFile(dir() / "Residuals.txt")), 400u);
    EXPECT_NE(run.out.find("Threshold:\n    Soglia:1\n    -0.230170\n    Soglia:2\n    0.075416\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.rfind("Iteration:\nFitness: ", 0), 0u) << run.out;

    // The same run made in-process prints the same bytes.
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
    EXPECT_EQ(run.out, formatTextReport(texts, outcome, parsed.request.settings));
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
    EXPECT_EQ(result["mode"], "exact");
    EXPECT_NEAR(result["fitness"].get<double>(), best, 1e-9 * best);
}

TEST_F(CliBinary, WithoutASeedTheClockSeedIsPrinted) {
    CliRun run = runCli(dir(), {"--n-iterations", "0", "--n-chromosomes", "2", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(nlohmann::json::parse(run.out)["seed"].get<long long>(), 1600000000LL);
}

TEST_F(CliBinary, NoticesEndTheRunOnStandardErrorWithStatus3) {
    CliRun missing = runCli(dir(), {"--series", "missing.txt"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.err, "kavri-cli: File missing.txt could not be opened\n");
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(filesIn(dir()), std::set<std::string>{"ExchangeRate.txt"});

    work_.write("short.txt", "1 2 3 4 5\n");
    CliRun tooShort = runCli(dir(), {"--series", "short.txt", "--n-observations", "50",
                                     "--n-predictions", "0", "--json"});
    EXPECT_EQ(tooShort.status, 3);
    EXPECT_EQ(tooShort.err, "kavri-cli: Element of time series less of 50\n");
    EXPECT_EQ(tooShort.out, "");

    CliRun notInSeries = runCli(dir(), {"--thresholds", "1.25"});
    EXPECT_EQ(notInSeries.status, 3);
    EXPECT_EQ(notInSeries.err, "kavri-cli: Element of series do not exist\n");
}

TEST_F(CliBinary, NoticeEndingInALineBreakIsPrintedOnOneLine) {
    fs::create_directory(dir() / "Residuals.txt");  // cannot be opened as a file
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "kavri-cli: Kavri Directory do not exist or Residuals.txt File could not be "
              "opened\n");
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
    // Descending thresholds leave the middle regime without observations: no fit is possible.
    CliRun run = runCli(dir(), {"--thresholds", "0.075415819,-0.2301702"});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err.rfind("kavri-cli: no model was estimated: ", 0), 0u) << run.err;
    EXPECT_NE(run.out.find("Fitness: 0.000000\n"), std::string::npos) << run.out;
}

TEST_F(CliBinary, ForecastsPrintTheirTablesWriteForecastsTxtAndRepeatWithTheSeed) {
    const std::vector<std::string> arguments{"--thresholds", kTwoThresholds, "--forecast", "5",
                                             "--seed",       "3"};
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

TEST_F(CliBinary, ForecastsThatCannotBeMadeOrWrittenAreFailures) {
    CliRun noModel = runCli(dir(), {"--thresholds", "0.075415819,-0.2301702", "--forecast", "3"});
    EXPECT_EQ(noModel.status, 4);
    EXPECT_FALSE(fs::exists(dir() / "Forecasts.txt"));

    fs::create_directory(dir() / "Forecasts.txt");
    CliRun unwritable = runCli(dir(), {"--thresholds", kTwoThresholds, "--forecast", "3"});
    EXPECT_EQ(unwritable.status, 3);
    EXPECT_EQ(unwritable.err,
              "kavri-cli: Forecasts.txt could not be opened for writing\n"
              "  Check that its directory exists and that you may write there.\n");
    EXPECT_EQ(unwritable.out, "");
}

TEST_F(CliBinary, OutputThatCannotBeWrittenIsAFailure) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    EXPECT_EQ(runCli(dir(), {"--version"}, "/dev/full").status, 5);
    CliRun run = runCli(dir(), {"--thresholds", kTwoThresholds}, "/dev/full");
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.err, "kavri-cli: the results could not be written to standard output\n");
}

}  // namespace
}  // namespace kavri::cli
