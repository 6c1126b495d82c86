#include "cli/options.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_codes.h"

namespace kavri::cli {
namespace {

ParseOutcome parse(std::vector<std::string> arguments) {
    std::vector<const char*> argv{"kavri-cli"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

// The refusal message of one option value, or "" when it was accepted.
std::string refusal(const std::string& option, const std::string& value) {
    ParseOutcome outcome = parse({option, value});
    return outcome.action == ParseAction::kRefused ? outcome.text : "";
}

TEST(ParseOptions, NoOptionGivesTheRunDefaultsOfBothGroups) {
    ParseOutcome outcome = parse({});
    ASSERT_EQ(outcome.action, ParseAction::kRun);
    const RunSettings& s = outcome.request.settings;
    EXPECT_EQ(s.model.nObservations, 450);
    EXPECT_EQ(s.model.maxRegimes, 4);
    EXPECT_EQ(s.model.maxOrder, 4);
    EXPECT_EQ(s.model.delay, 1);
    EXPECT_EQ(s.model.minObs, 30);
    EXPECT_EQ(s.model.seriesPath, "ExchangeRate.txt");
    EXPECT_EQ(s.model.nAutocorrelations, 10);
    EXPECT_EQ(s.model.nPredictions, 50);
    EXPECT_EQ(s.model.selectModel, kSelectModelSearch);
    EXPECT_EQ(s.model.nThresholds, 0);
    // The genetic run defaults, not the dialog's pre-fill.
    EXPECT_EQ(s.ga.nChromosomes, 30);
    EXPECT_EQ(s.ga.nIterations, 100);
    EXPECT_EQ(s.ga.pCrossover, 0.9);
    EXPECT_EQ(s.ga.pMutation, 0.01);
    EXPECT_EQ(s.ga.pSelection, 0.6);
    EXPECT_EQ(s.ga.adjustingConstant, 1.0);
    EXPECT_EQ(s.ga.fitnessKind, kFitnessMse);
    EXPECT_EQ(s.ga.criterion, kCriterionRelative);
    EXPECT_EQ(s.ga.printResiduals, kPrintResidualsNo);
    EXPECT_EQ(s.ga.searchMethod, kSearchGenetic);
    // Both counts set, so that the run keeps the values as the command line left them.
    EXPECT_EQ(s.modelDialogCount, 1);
    EXPECT_EQ(s.gaDialogCount, 1);
    EXPECT_FALSE(outcome.request.run.seed.has_value());
    EXPECT_FALSE(outcome.request.run.compareExact);
    EXPECT_TRUE(outcome.request.run.files.directory.empty());
    EXPECT_FALSE(outcome.request.json);
    EXPECT_FALSE(outcome.request.quiet);
}

TEST(ParseOptions, EveryOptionReachesItsSetting) {
    ParseOutcome outcome = parse({"--series",
                                  "data/x.txt",
                                  "--n-observations",
                                  "120",
                                  "--n-predictions",
                                  "0",
                                  "--max-regimes",
                                  "2",
                                  "--max-order",
                                  "7",
                                  "--delay",
                                  "3",
                                  "--min-obs",
                                  "25",
                                  "--n-autocorrelations",
                                  "24",
                                  "--n-chromosomes",
                                  "200",
                                  "--n-iterations",
                                  "0",
                                  "--p-crossover",
                                  "0.5",
                                  "--p-mutation",
                                  "1",
                                  "--p-selection",
                                  "0",
                                  "--adjusting-constant",
                                  "2.5",
                                  "--fitness",
                                  "aic",
                                  "--criterion",
                                  "absolute",
                                  "--print-residuals",
                                  "yes",
                                  "--search-method",
                                  "genetic",
                                  "--seed",
                                  "12345",
                                  "--compare-exact",
                                  "--json",
                                  "--quiet"});
    ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
    RunSettings expected = defaultCliSettings();
    expected.model.seriesPath = "data/x.txt";
    expected.model.nObservations = 120;
    expected.model.nPredictions = 0;
    expected.model.maxRegimes = 2;
    expected.model.maxOrder = 7;
    expected.model.delay = 3;
    expected.model.minObs = 25;
    expected.model.nAutocorrelations = 24;
    expected.ga.nChromosomes = 200;
    expected.ga.nIterations = 0;
    expected.ga.pCrossover = 0.5;
    expected.ga.pMutation = 1.0;
    expected.ga.pSelection = 0.0;
    expected.ga.adjustingConstant = 2.5;
    expected.ga.fitnessKind = kFitnessAic;
    expected.ga.criterion = kCriterionAbsolute;
    expected.ga.printResiduals = kPrintResidualsYes;
    expected.ga.searchMethod = kSearchGenetic;
    EXPECT_EQ(outcome.request.settings, expected);
    EXPECT_EQ(outcome.request.run.seed, 12345u);
    EXPECT_TRUE(outcome.request.run.compareExact);
    EXPECT_TRUE(outcome.request.json);
    EXPECT_TRUE(outcome.request.quiet);
}

TEST(ParseOptions, IntegerBoundsAreInclusiveAndRefusalsNameBoth) {
    struct Case {
        const char* option;
        int min;
        int max;
    };
    const Case cases[] = {
        {"--n-observations", 50, 1000000},
        {"--n-predictions", 0, 100000},
        {"--max-regimes", 1, 4},
        {"--max-order", 2, 20},
        {"--delay", 1, 10},
        {"--min-obs", 20, 100},
        {"--n-autocorrelations", 0, 24},
        {"--n-chromosomes", 1, 200},  // 0 would search nothing
        {"--n-iterations", 0, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const std::string bounds =
            "from " + std::to_string(c.min) + " to " + std::to_string(c.max) + ", got \"";
        EXPECT_EQ(refusal(c.option, std::to_string(c.min)), "");
        EXPECT_EQ(refusal(c.option, std::to_string(c.max)), "");
        // A maximum order of 1 is refused with the reason as well (see below).
        const std::string reason = std::string(c.option) == "--max-order"
                                       ? ": orders 1 to P-1 are fitted, so 1 leaves no order to try"
                                       : "";
        EXPECT_EQ(refusal(c.option, std::to_string(c.min - 1)),
                  std::string(c.option) + " expects an integer " + bounds +
                      std::to_string(c.min - 1) + "\"" + reason);
        EXPECT_EQ(refusal(c.option, std::to_string(c.max + 1)),
                  std::string(c.option) + " expects an integer " + bounds +
                      std::to_string(c.max + 1) + "\"");
    }
}

// A maximum order of 1 leaves no order to fit, and an empty --simulate-to no file to write: both
// are refused by the parser with the reason, not run into a notice or "No such file".
TEST(ParseOptions, ValuesThatLeaveNothingToDoAreRefusedWithTheReason) {
    EXPECT_EQ(refusal("--max-order", "1"),
              "--max-order expects an integer from 2 to 20, got \"1\": orders 1 to P-1 are "
              "fitted, so 1 leaves no order to try");
    EXPECT_EQ(refusal("--simulate-to", ""), "--simulate-to expects a file name, got an empty one");
}

TEST(ParseOptions, RealBoundsAreInclusiveAndRefusalsNameBoth) {
    for (const char* option : {"--p-crossover", "--p-mutation", "--p-selection"}) {
        SCOPED_TRACE(option);
        EXPECT_EQ(refusal(option, "0"), "");
        EXPECT_EQ(refusal(option, "1.0"), "");
        EXPECT_EQ(refusal(option, "1.5"),
                  std::string(option) + " expects a number from 0 to 1, got \"1.5\"");
        EXPECT_EQ(refusal(option, "-0.001"),
                  std::string(option) + " expects a number from 0 to 1, got \"-0.001\"");
    }
    // The constant scales the AIC fitness, which it needs.
    const auto withAic = [](const char* value) {
        ParseOutcome outcome = parse({"--fitness", "aic", "--adjusting-constant", value});
        return outcome.action == ParseAction::kRefused ? outcome.text : "";
    };
    EXPECT_EQ(withAic("1"), "");
    EXPECT_EQ(withAic("100000"), "");
    EXPECT_EQ(withAic("1e5"), "");
    EXPECT_EQ(withAic("0.5"),
              "--adjusting-constant expects a number from 1 to 100000, got \"0.5\"");
}

TEST(ParseOptions, TextsThatAreNotWhollyANumberAreRefused) {
    for (const char* text : {"", "3x", " 3", "3 ", "2.0", "1e1", "0x10", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(refusal("--delay", text), "");
    }
    for (const char* text : {"", "0.5x", "1,5", "nan", "inf", "-inf", "1e999", " 0.5"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(refusal("--p-mutation", text), "");
    }
}

TEST(ParseOptions, OrdersAreCheckedAgainstTheMaximumOrderTheRegimesAndTheSearch) {
    ParseOutcome perRegime = parse({"--thresholds", "0.25", "--orders", "3,1"});
    ASSERT_EQ(perRegime.action, ParseAction::kRun) << perRegime.text;
    EXPECT_EQ(perRegime.request.settings.form.nFixedOrders, 2);
    EXPECT_EQ(perRegime.request.settings.form.fixedOrders, (std::array<int, 4>{3, 1, 0, 0}));
    ParseOutcome every = parse({"--orders", "2"});
    ASSERT_EQ(every.action, ParseAction::kRun) << every.text;
    EXPECT_EQ(every.request.settings.form.fixedOrderOf(3), 2);

    const auto refused = [](std::vector<std::string> arguments, const std::string& expected) {
        const ParseOutcome outcome = parse(std::move(arguments));
        EXPECT_EQ(outcome.action, ParseAction::kRefused);
        EXPECT_NE(outcome.text.find(expected), std::string::npos) << outcome.text;
    };
    for (const char* text : {"", "0", "2.0", "1,", "1,,2", "1,2,3,4,1", "21", "-1"}) {
        SCOPED_TRACE(text);
        refused({"--orders", text}, "--orders expects one to 4 whole numbers");
    }
    refused({"--orders", "4"}, "orders from 1 to 3 (below --max-order 4), got 4");
    refused({"--thresholds", "0.25", "--orders", "1,2,1"}, "2 with --thresholds 1 value, got 3");
    refused({"--orders", "3,1"}, "use --search exact (or --delay-scan), or give --thresholds");
    refused({"--orders", "3,1", "--compare-exact"}, "which the genetic search may lower");
    // One order per regime: the exact search fits exactly that many regimes, which it sets.
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"--search", "exact"}, {"--delay-scan"}}) {
        arguments.insert(arguments.begin(), {"--orders", "3,1,2"});
        const ParseOutcome outcome = parse(arguments);
        ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
        EXPECT_EQ(outcome.request.settings.model.maxRegimes, 3);
    }
    EXPECT_EQ(parse({"--orders", "3,1", "--search", "exact", "--max-regimes", "2"}).action,
              ParseAction::kRun);
    // At the thresholds given the number of regimes is theirs, as it always was.
    EXPECT_EQ(parse({"--thresholds", "0.25", "--orders", "3,1", "--max-regimes", "4"}).action,
              ParseAction::kRun);
    refused({"--orders", "3,1", "--search", "exact", "--max-regimes", "3"},
            "--orders gives 2 orders, one per regime, which sets the number of regimes to 2; "
            "--max-regimes 3 contradicts it");
    // What compares numbers of regimes has nothing to compare.
    refused({"--orders", "3,1", "--search", "exact", "--compare-models"},
            "--compare-models compares models of 1 to --max-regimes regimes");
    refused({"--orders", "3,1", "--select", "bic"},
            "--select compares models of 1 to --max-regimes regimes");
    // One order for every regime: the exact search and what is built on it fit it too.
    for (std::vector<std::string> arguments : {std::vector<std::string>{"--delay-scan"},
                                               {"--compare-exact"},
                                               {"--compare-models"},
                                               {"--search", "exact"},
                                               {"--select", "bic"}}) {
        arguments.insert(arguments.begin(), {"--orders", "2"});
        SCOPED_TRACE(arguments.back());
        const ParseOutcome outcome = parse(arguments);
        EXPECT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
    }
    EXPECT_EQ(parse({"--orders", "2", "--tests", "--test-order", "2"}).action, ParseAction::kRun);
    refused({"--orders", "2", "--tests", "--test-order", "3"},
            "--test-order 3 differs from --orders 2");
    // The tests take every form with one order for every regime; one order per regime has no
    // common order for their linear null.
    for (const char* include : {"none", "trend"}) {
        SCOPED_TRACE(include);
        EXPECT_EQ(parse({"--include", include, "--tests"}).action, ParseAction::kRun);
        EXPECT_EQ(parse({"--include", include, "--orders", "2", "--tests"}).action,
                  ParseAction::kRun);
    }
    refused({"--thresholds", "0.25", "--orders", "3,1", "--tests"},
            "--tests is not available with one order per regime (--orders P1,P2,..)");
    refused({"--thresholds", "0.25", "--orders", "3,1", "--tests"}, "(--orders k)");
    // Every regime of the tests keeps a residual degree of freedom: order + 1 rows without a
    // constant, + 3 with a trend.
    EXPECT_EQ(
        parse({"--include", "none", "--tests", "--test-order", "2", "--test-min-obs", "3"}).action,
        ParseAction::kRun);
    refused({"--include", "none", "--tests", "--test-order", "2", "--test-min-obs", "2"},
            "--test-min-obs expects at least the test order + 1 (no constant) = 3");
    refused({"--include", "trend", "--tests", "--test-order", "2", "--test-min-obs", "4"},
            "--test-min-obs expects at least the test order + 3 (a constant, a trend and the "
            "lags) = 5");
    refused({"--tests", "--test-order", "2", "--test-min-obs", "3"},
            "--test-min-obs expects at least the test order + 2 = 4, so that");
    // Every search and comparison fits the deterministic terms given.
    for (const char* terms : {"none", "trend"}) {
        for (std::vector<std::string> arguments : {std::vector<std::string>{"--delay-scan"},
                                                   {"--compare-exact"},
                                                   {"--compare-models"},
                                                   {"--search", "exact"},
                                                   {"--select", "aic"}}) {
            arguments.insert(arguments.begin(), {"--orders", "2", "--include", terms});
            SCOPED_TRACE(arguments.back());
            const ParseOutcome outcome = parse(arguments);
            EXPECT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
        }
    }

    ParseOutcome none = parse({"--include", "NONE"});
    ASSERT_EQ(none.action, ParseAction::kRun) << none.text;
    EXPECT_FALSE(none.request.settings.form.constant);
    EXPECT_TRUE(parse({"--include", "const"}).request.settings.form.isDefault());
    ParseOutcome trend = parse({"--include", "trend"});
    ASSERT_EQ(trend.action, ParseAction::kRun) << trend.text;
    EXPECT_TRUE(trend.request.settings.form.constant);
    EXPECT_TRUE(trend.request.settings.form.trend);
    refused({"--include", "trend", "--simulate", "10", "--simulate-to", "s.txt",
             "--forecast-method", "gaussian"},
            "--simulate is not available with --include trend");
    refused({"--include", "constant"}, "--include expects const, none or trend, got \"constant\"");
}

TEST(ParseOptions, LagsAreAscendingDistinctBelowTheMaximumOrderAndCountedByOrders) {
    ParseOutcome seasonal = parse({"--lags", "1,2,12", "--max-order", "13"});
    ASSERT_EQ(seasonal.action, ParseAction::kRun) << seasonal.text;
    const ModelForm& form = seasonal.request.settings.form;
    EXPECT_EQ(form.nLags, 3);
    EXPECT_EQ(form.lagOf(3), 12);
    EXPECT_FALSE(form.isDefault());
    EXPECT_EQ(parse({"--lags", "1,2,12", "--max-order", "13", "--orders", "2"}).action,
              ParseAction::kRun);

    const auto refused = [](std::vector<std::string> arguments, const std::string& expected) {
        const ParseOutcome outcome = parse(std::move(arguments));
        EXPECT_EQ(outcome.action, ParseAction::kRefused);
        EXPECT_NE(outcome.text.find(expected), std::string::npos) << outcome.text;
    };
    for (const char* text : {"", "0", "1,", "1,,2", "a", "20", "-1", "2.5"}) {
        SCOPED_TRACE(text);
        refused({"--lags", text}, "--lags expects whole numbers from 1 to 19");
    }
    refused({"--lags", "2,1"}, "--lags expects distinct lags in ascending order");
    refused({"--lags", "1,1"}, "--lags expects distinct lags in ascending order");
    refused({"--lags", "1,2,12"},
            "--lags expects lags below --max-order 4, got 12; raise "
            "--max-order to 13");
    refused({"--lags", "1,3", "--orders", "3"}, "each order runs from 1 to 2, got 3");
    EXPECT_EQ(parse({"--lags", "1,3", "--search", "exact"}).action, ParseAction::kRun);
    EXPECT_EQ(parse({"--lags", "1,3", "--select", "bic"}).action, ParseAction::kRun);
    // The tests' order counts the lags of the list.
    EXPECT_EQ(parse({"--lags", "1,3", "--tests", "--test-order", "2"}).action, ParseAction::kRun);
    refused({"--lags", "1,3", "--tests", "--test-order", "3"},
            "--test-order counts the lags of --lags, which has 2 lags; got 3");
}

TEST(ParseOptions, TheThresholdVariableIsOwnTheDifferenceOrAColumn) {
    EXPECT_TRUE(parse({}).request.settings.thresholdVariable.isOwn());
    EXPECT_TRUE(parse({"--threshold-variable", "own"}).request.settings.thresholdVariable.isOwn());
    const ParseOutcome difference = parse({"--threshold-variable", "difference", "--tests"});
    ASSERT_EQ(difference.action, ParseAction::kRun) << difference.text;
    EXPECT_EQ(difference.request.settings.thresholdVariable.kind,
              ThresholdVariableKind::kDifference);
    const ParseOutcome column =
        parse({"--threshold-variable", "abs_returns", "--forecast", "3", "--search", "exact"});
    ASSERT_EQ(column.action, ParseAction::kRun) << column.text;
    EXPECT_EQ(column.request.settings.thresholdVariable,
              (ThresholdVariable{ThresholdVariableKind::kColumn, "abs_returns"}));

    const auto refused = [](std::vector<std::string> arguments, const std::string& expected) {
        const ParseOutcome outcome = parse(std::move(arguments));
        EXPECT_EQ(outcome.action, ParseAction::kRefused);
        EXPECT_NE(outcome.text.find(expected), std::string::npos) << outcome.text;
    };
    refused({"--threshold-variable", ""}, "--threshold-variable expects own, difference or a");
    refused({"--threshold-variable", "z", "--simulate", "100", "--simulate-to", "s.txt"},
            "--simulate cannot simulate a series whose regime follows an exogenous variable");
    EXPECT_EQ(parse({"--threshold-variable", "difference", "--compare-models"}).action,
              ParseAction::kRun);
    refused({"--threshold-variable", "z", "--all-columns"}, "cannot be combined with --all-col");
}

TEST(ParseOptions, ThresholdsSelectGivenThresholdsAndTheirCountSetsNThresholds) {
    ParseOutcome one = parse({"--thresholds", "0.25"});
    ASSERT_EQ(one.action, ParseAction::kRun) << one.text;
    EXPECT_EQ(one.request.settings.model.selectModel, kSelectModelGivenThresholds);
    EXPECT_EQ(one.request.settings.model.nThresholds, 1);
    EXPECT_EQ(one.request.settings.model.thresholds, (std::array<double, 3>{0.25, 0.0, 0.0}));

    // A leading minus sign is a value, not an option; order and repeats are kept as typed.
    ParseOutcome three = parse({"--thresholds", "-0.75,0.5,-0.75"});
    ASSERT_EQ(three.action, ParseAction::kRun) << three.text;
    EXPECT_EQ(three.request.settings.model.nThresholds, 3);
    EXPECT_EQ(three.request.settings.model.thresholds, (std::array<double, 3>{-0.75, 0.5, -0.75}));

    ParseOutcome two = parse({"--thresholds=-0.058460531,0.1"});
    ASSERT_EQ(two.action, ParseAction::kRun) << two.text;
    EXPECT_EQ(two.request.settings.model.nThresholds, 2);
    // Read exactly as the series file reads the same text, so that it matches the value.
    EXPECT_EQ(two.request.settings.model.thresholds[0], -0.058460531);

    for (const char* text : {"0.1,0.2,0.3,0.4", "0.1,,0.2", "0.1,", ",0.1", "a", "0.1;0.2"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(refusal("--thresholds", text),
                  std::string("--thresholds expects one to 3 numbers separated by commas, "
                              "got \"") +
                      text + "\"");
    }
}

TEST(ParseOptions, ChoicesAcceptTheirWordsInAnyCase) {
    EXPECT_EQ(parse({"--fitness", "AIC"}).request.settings.ga.fitnessKind, kFitnessAic);
    EXPECT_EQ(parse({"--fitness", "mse"}).request.settings.ga.fitnessKind, kFitnessMse);
    EXPECT_EQ(parse({"--criterion", "Absolute"}).request.settings.ga.criterion, kCriterionAbsolute);
    EXPECT_EQ(parse({"--print-residuals", "no"}).request.settings.ga.printResiduals,
              kPrintResidualsNo);
    EXPECT_EQ(refusal("--fitness", "aicc"), "--fitness expects aic or mse, got \"aicc\"");
    EXPECT_EQ(refusal("--criterion", "1"), "--criterion expects absolute or relative, got \"1\"");
    EXPECT_EQ(refusal("--print-residuals", "true"),
              "--print-residuals expects yes or no, got \"true\"");
}

TEST(ParseOptions, SearchTakesEitherNameAndTheDelayScanRefusesWhatItChooses) {
    EXPECT_EQ(parse({"--search", "exact"}).request.settings.ga.searchMethod, kSearchExact);
    EXPECT_EQ(parse({"--search-method", "Genetic"}).request.settings.ga.searchMethod,
              kSearchGenetic);
    EXPECT_EQ(refusal("--search", "exhaustive"),
              "--search expects genetic or exact, got \"exhaustive\"");

    ParseOutcome scan = parse({"--delay-scan", "--fitness", "aic"});
    ASSERT_EQ(scan.action, ParseAction::kRun) << scan.text;
    EXPECT_TRUE(scan.request.delayScan);
    EXPECT_FALSE(parse({}).request.delayScan);
    EXPECT_EQ(parse({"--delay-scan", "--delay", "2"}).text,
              "--delay-scan chooses the delay and the thresholds itself; it cannot be combined "
              "with --delay");
    EXPECT_EQ(parse({"--thresholds", "0.5", "--delay-scan"}).text,
              "--delay-scan chooses the delay and the thresholds itself; it cannot be combined "
              "with --thresholds");
}

TEST(ParseOptions, ChoicesThatWouldBeIgnoredTogetherAreRefused) {
    EXPECT_EQ(parse({"--thresholds", "0.5", "--search", "exact"}).action, ParseAction::kRefused);
    for (const auto& args : {std::vector<std::string>{"--compare-exact", "--thresholds", "0.5"},
                             std::vector<std::string>{"--compare-exact", "--search", "exact"},
                             std::vector<std::string>{"--delay-scan", "--compare-exact"}}) {
        ParseOutcome outcome = parse(args);
        EXPECT_EQ(outcome.action, ParseAction::kRefused);
        EXPECT_EQ(outcome.text.rfind("--compare-exact compares a genetic search", 0), 0u);
    }
    EXPECT_EQ(parse({"--compare-exact", "--search", "genetic"}).action, ParseAction::kRun);
}

TEST(ParseOptions, SeriesChoiceAndOutputDirectoryReachTheRun) {
    ParseOutcome outcome = parse({"--column", "log10", "--skip", "12", "--output-dir", "."});
    ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
    EXPECT_EQ(outcome.request.settings.series, (SeriesChoice{"log10", 12, false}));
    EXPECT_EQ(outcome.request.run.files.directory, std::filesystem::path("."));
    EXPECT_TRUE(parse({"--last"}).request.settings.series.last);
    EXPECT_EQ(parse({"--skip-lines", "3"}).request.settings.series.skipLines, 3);
    EXPECT_TRUE(parse({"--inspect"}).request.inspect);
    EXPECT_EQ(refusal("--skip-lines", "x"),
              "--skip-lines expects an integer from 0 to 100000000, got \"x\"");

    EXPECT_EQ(refusal("--skip", "-1"), "--skip expects an integer from 0 to 100000000, got \"-1\"");
    EXPECT_EQ(refusal("--column", ""), "--column expects a column name or number, got \"\"");
    EXPECT_EQ(refusal("--output-dir", "/no/such/dir"),
              "--output-dir expects an existing directory, got \"/no/such/dir\"");
    EXPECT_EQ(parse({"--last", "--skip", "3"}).text,
              "--last takes the last values of the file; it cannot be combined with --skip");
}

TEST(ParseOptions, StatisticsOptionsReachTheRequest) {
    const CliRequest defaults = parse({}).request;
    EXPECT_FALSE(defaults.robust || defaults.tests || defaults.compareModels);
    EXPECT_FALSE(defaults.testOrder.has_value());
    EXPECT_EQ(defaults.bootstrapReplicates, 1000);

    ParseOutcome outcome = parse({"--robust", "--tests", "--test-order", "2", "--bootstrap", "0",
                                  "--compare-models", "--max-order", "3"});
    ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
    EXPECT_TRUE(outcome.request.robust && outcome.request.tests && outcome.request.compareModels);
    EXPECT_EQ(outcome.request.testOrder, 2);
    EXPECT_EQ(outcome.request.bootstrapReplicates, 0);
}

TEST(ParseOptions, TestSettingsNeedTheTestsAndAnOrderBelowMaxOrder) {
    EXPECT_EQ(parse({"--test-order", "2"}).text,
              "--test-order sets up the linearity tests; it needs --tests");
    EXPECT_EQ(parse({"--bootstrap", "50"}).text,
              "--bootstrap sets up the linearity tests; it needs --tests");
    EXPECT_EQ(parse({"--tests", "--test-order", "4"}).text,
              "--test-order expects an order below --max-order (4), got 4");
    EXPECT_EQ(parse({"--tests", "--test-order", "0"}).text,
              "--test-order expects an integer from 1 to 19, got \"0\"");
    EXPECT_EQ(parse({"--tests", "--bootstrap", "100001"}).text,
              "--bootstrap expects an integer from 0 to 100000, got \"100001\"");
}

// The candidates set what the exact search tries, so they need one; the dialogs' limits on
// the series do not hold on the command line.
TEST(ParseOptions, CandidatesNeedAnExactSearchAndLongSeriesAreAccepted) {
    for (const auto& search :
         {std::vector<std::string>{"--search", "exact"}, std::vector<std::string>{"--delay-scan"},
          std::vector<std::string>{"--compare-exact"}}) {
        std::vector<std::string> args = search;
        args.insert(args.end(), {"--candidates", "1000000"});
        ParseOutcome outcome = parse(args);
        ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
        EXPECT_EQ(outcome.request.run.exactCandidates, 1000000);
    }
    EXPECT_EQ(parse({"--search", "exact"}).request.run.exactCandidates, 0);
    EXPECT_EQ(parse({"--search", "exact", "--candidates", "0"}).text,
              "--candidates expects an integer from 1 to 1000000, got \"0\"");
    EXPECT_EQ(parse({"--candidates", "500"}).text,
              "--candidates sets the thresholds that the exact search tries; it needs --search "
              "exact, --delay-scan or --compare-exact");
    EXPECT_EQ(parse({"--thresholds", "0.5", "--candidates", "500"}).action, ParseAction::kRefused);

    ParseOutcome longRun = parse({"--n-observations", "1000000", "--n-predictions", "100000"});
    ASSERT_EQ(longRun.action, ParseAction::kRun) << longRun.text;
    EXPECT_EQ(longRun.request.settings.model.nObservations, 1000000);
    EXPECT_EQ(longRun.request.settings.model.nPredictions, 100000);
}

TEST(ParseOptions, SettingsOfAPartTheRunDoesNotMakeAreRefusedWithTheReason) {
    const auto refused = [](std::vector<std::string> args) {
        ParseOutcome outcome = parse(std::move(args));
        return outcome.action == ParseAction::kRefused ? outcome.text : "(accepted)";
    };
    EXPECT_EQ(refused({"--search", "exact", "--n-iterations", "50"}),
              "--n-iterations sets up the genetic search; it is not used with --search exact");
    EXPECT_EQ(refused({"--thresholds", "0.5", "--n-chromosomes", "50"}),
              "--n-chromosomes sets up the genetic search; it is not used with --thresholds "
              "(nothing is searched)");
    for (const char* name : {"--p-crossover", "--p-mutation", "--p-selection"}) {
        EXPECT_EQ(refused({"--delay-scan", name, "0.5"}).rfind(std::string(name) + " sets up", 0),
                  0u);
    }
    EXPECT_EQ(refused({"--search", "exact", "--seed", "3"}),
              "--seed repeats what is random in a run; with --search exact it needs the "
              "bootstrap of --tests, simulated forecasts (--forecast) or --simulate");
    EXPECT_EQ(refused({"--search", "exact", "--seed", "3", "--tests"}), "(accepted)");
    EXPECT_EQ(refused({"--search", "exact", "--seed", "3", "--forecast", "4"}), "(accepted)");
    EXPECT_NE(refused({"--search", "exact", "--seed", "3", "--forecast", "4", "--forecast-method",
                       "skeleton"}),
              "(accepted)");
    EXPECT_NE(refused({"--search", "exact", "--seed", "3", "--tests", "--bootstrap", "0"}),
              "(accepted)");
    EXPECT_EQ(refused({"--thresholds", "0.5", "--fitness", "aic"})
                  .rfind("--fitness sets how a search ranks thresholds", 0),
              0u);
    EXPECT_EQ(refused({"--adjusting-constant", "2"}),
              "--adjusting-constant scales the AIC fitness exp(-NAIC / C); it is not used with "
              "--fitness mse");
    EXPECT_EQ(refused({"--adjusting-constant", "2", "--fitness", "aic"}), "(accepted)");
    EXPECT_EQ(refused({"--n-chromosomes", "0"}),
              "--n-chromosomes expects an integer from 1 to 200, got \"0\"");
    // Everything of the genetic search goes with it, and the exact search keeps its own.
    EXPECT_EQ(refused({"--n-iterations", "5", "--n-chromosomes", "4", "--seed", "1"}),
              "(accepted)");
    EXPECT_EQ(refused({"--search", "exact", "--fitness", "aic", "--criterion", "relative"}),
              "(accepted)");
}

TEST(ParseOptions, ModelChoiceOptionsReachTheRequestAndRefuseWhatTheyReplace) {
    ParseOutcome select = parse({"--select", "BIC", "--threshold-level", "90"});
    ASSERT_EQ(select.action, ParseAction::kRun) << select.text;
    EXPECT_EQ(select.request.select, SelectCriterion::kBic);
    EXPECT_EQ(select.request.thresholdLevel, 90.0);
    EXPECT_EQ(parse({}).request.select, SelectCriterion::kNone);
    EXPECT_EQ(parse({}).request.thresholdLevel, 95.0);
    for (const char* level : {"0", "100", "x"}) {
        EXPECT_EQ(refusal("--threshold-level", level),
                  std::string("--threshold-level expects a percentage above 0 and below 100, "
                              "got \"") +
                      level + "\"");
    }
    for (const auto& args : {std::vector<std::string>{"--select", "aic", "--delay", "2"},
                             std::vector<std::string>{"--select", "aic", "--thresholds", "0.5"},
                             std::vector<std::string>{"--select", "aic", "--search", "exact"},
                             std::vector<std::string>{"--select", "aic", "--delay-scan"}}) {
        EXPECT_EQ(parse(args).text.rfind("--select chooses the delay and the thresholds", 0), 0u)
            << args[2];
    }
    EXPECT_EQ(parse({"--select", "bic", "--n-iterations", "4"}).text,
              "--n-iterations sets up the genetic search; it is not used with --select (the "
              "comparison's exact optima)");

    ParseOutcome trimmed = parse({"--tests", "--test-min-obs", "5", "--max-order", "4"});
    ASSERT_EQ(trimmed.action, ParseAction::kRun) << trimmed.text;
    EXPECT_EQ(trimmed.request.testMinObs, 5);
    EXPECT_EQ(parse({"--tests", "--test-min-obs", "4", "--max-order", "4"}).text,
              "--test-min-obs expects at least the test order + 2 = 5, so that every regime "
              "keeps a residual degree of freedom; got 4");
    EXPECT_EQ(parse({"--test-min-obs", "30"}).text,
              "--test-min-obs sets up the linearity tests; it needs --tests");
}

TEST(ParseOptions, SeedCoversTheWholeUnsignedRange) {
    EXPECT_EQ(parse({"--seed", "0"}).request.run.seed, 0u);
    EXPECT_EQ(parse({"--seed", "4294967295"}).request.run.seed, 4294967295u);
    EXPECT_EQ(refusal("--seed", "4294967296"),
              "--seed expects an integer from 0 to 4294967295, got \"4294967296\"");
    EXPECT_NE(refusal("--seed", "-1"), "");
}

TEST(ParseOptions, TheFirstRefusedOptionIsReported) {
    EXPECT_EQ(parse({"--n-iterations", "5000", "--adjusting-constant", "0"}).text,
              "--n-iterations expects an integer from 0 to 1000, got \"5000\"");
}

TEST(ParseOptions, UnknownOptionsAndMissingValuesAreRefused) {
    ParseOutcome unknown = parse({"--max-regime", "2"});
    EXPECT_EQ(unknown.action, ParseAction::kRefused);
    EXPECT_NE(unknown.text.find("--max-regime"), std::string::npos) << unknown.text;
    EXPECT_EQ(parse({"--delay"}).action, ParseAction::kRefused);
    EXPECT_EQ(parse({"positional"}).action, ParseAction::kRefused);
}

TEST(ParseOptions, PlotsNameTheirDirectoryAndAskForTheThresholdProfile) {
    ParseOutcome plain = parse({});
    EXPECT_EQ(plain.request.plotsDirectory, "");
    EXPECT_FALSE(plain.request.run.profileThresholds);

    ParseOutcome plots = parse({"--plots", "charts/run 1", "--plot-format", "png"});
    ASSERT_EQ(plots.action, ParseAction::kRun) << plots.text;
    EXPECT_EQ(plots.request.plotsDirectory, "charts/run 1");
    EXPECT_EQ(plots.request.plotFormat, PlotFormat::kPng);
    // The search chart of an exact search draws the profile of each threshold.
    EXPECT_TRUE(plots.request.run.profileThresholds);

    EXPECT_EQ(parse({"--plots", "p"}).request.plotFormat, PlotFormat::kSvg);
    EXPECT_EQ(refusal("--plots", ""), "--plots expects a directory, got \"\"");
    EXPECT_EQ(parse({"--plots", "p", "--plot-format", "jpg"}).text,
              "--plot-format expects svg or png, got \"jpg\"");
}

TEST(ParseOptions, HelpAndVersionComeBackAsTexts) {
    ParseOutcome version = parse({"--version"});
    EXPECT_EQ(version.action, ParseAction::kVersion);
    EXPECT_EQ(version.text, "kavri-cli 1.0\n");

    ParseOutcome help = parse({"--help"});
    ASSERT_EQ(help.action, ParseAction::kHelp);
    for (const char* option : {"--series",
                               "--n-observations",
                               "--n-predictions",
                               "--max-regimes",
                               "--max-order",
                               "--delay",
                               "--min-obs",
                               "--n-autocorrelations",
                               "--thresholds",
                               "--n-chromosomes",
                               "--n-iterations",
                               "--p-crossover",
                               "--p-mutation",
                               "--p-selection",
                               "--adjusting-constant",
                               "--fitness",
                               "--criterion",
                               "--print-residuals",
                               "--seed",
                               "--forecast",
                               "--forecast-method",
                               "--paths",
                               "--levels",
                               "--simulate",
                               "--simulate-to",
                               "--json",
                               "--quiet",
                               "--plots",
                               "--plot-format",
                               "--column",
                               "--skip",
                               "--last",
                               "--output-dir"}) {
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    }
    // The run defaults, not the dialog's pre-fill, are announced (read across line wraps).
    const std::string joined = std::regex_replace(help.text, std::regex("\n +"), " ");
    EXPECT_NE(joined.find("(0 to 1000, default 100)"), std::string::npos) << joined;
    EXPECT_NE(joined.find("(0 to 1, default 0.01)"), std::string::npos) << joined;
    std::istringstream lines(help.text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

// The help's exit statuses come from cli/exit_codes.h: each status once, ascending, each with
// its meaning, in the help as wrapped for the terminal.
TEST(ParseOptions, TheHelpNamesEveryExitStatusOnceInOrder) {
    int previous = -1;
    for (const ExitStatusMeaning& entry : kExitStatusMeanings) {
        EXPECT_GT(entry.status, previous);
        previous = entry.status;
    }
    EXPECT_EQ(previous, kExitSomeSeriesFailed);
    const std::string text = exitStatusText();
    EXPECT_EQ(text.rfind("Exit status: 0 the model was estimated and reported; 1 ", 0), 0u) << text;
    const std::string last =
        "; 7 in a run of several series, some series failed or gave no model (see the summary).";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    const std::string joined = std::regex_replace(parse({"--help"}).text, std::regex("\n *"), " ");
    EXPECT_NE(joined.find(text), std::string::npos) << joined;
}

TEST(ParseForecastOptions, NoneByDefaultAndEachOptionReachesItsSetting) {
    const CliRequest none = parse({}).request;
    EXPECT_FALSE(none.wantsForecasts());
    EXPECT_FALSE(none.wantsSimulation());

    ParseOutcome outcome =
        parse({"--forecast", "1000", "--forecast-method", "Gaussian", "--paths", "1000000",
               "--levels", "50,99.5", "--simulate", "7", "--simulate-to", "out/sim.txt"});
    ASSERT_EQ(outcome.action, ParseAction::kRun) << outcome.text;
    const CliRequest& request = outcome.request;
    EXPECT_TRUE(request.wantsForecasts());
    EXPECT_EQ(request.forecast.horizon, 1000);
    EXPECT_EQ(request.forecast.method, ForecastMethod::kGaussian);
    EXPECT_EQ(request.forecast.nPaths, 1000000);
    EXPECT_EQ(request.forecast.levels, (std::vector<double>{50.0, 99.5}));
    EXPECT_EQ(request.simulateLength, 7);
    EXPECT_EQ(request.simulatePath, "out/sim.txt");

    const CliRequest defaults = parse({"--forecast", "1"}).request;
    EXPECT_EQ(defaults.forecast.method, ForecastMethod::kBootstrap);
    EXPECT_EQ(defaults.forecast.nPaths, 10000);
    EXPECT_EQ(defaults.forecast.levels, (std::vector<double>{80.0, 95.0}));
}

TEST(ParseForecastOptions, RangesAndLevelsAreRefusedWithTheirBounds) {
    EXPECT_EQ(refusal("--forecast", "1001"),
              "--forecast expects an integer from 1 to 1000, got \"1001\"");
    EXPECT_EQ(refusal("--paths", "99"),
              "--paths expects an integer from 100 to 1000000, got \"99\"");
    EXPECT_EQ(refusal("--simulate", "0"),
              "--simulate expects an integer from 1 to 1000000, got \"0\"");
    EXPECT_EQ(refusal("--forecast-method", "normal"),
              "--forecast-method expects skeleton, bootstrap or gaussian, got \"normal\"");
    const std::string levels =
        "--levels expects one to five different percentages above 0 and below 100, separated by "
        "commas, got ";
    for (const char* text : {"0", "100", "80,80", "80,", "10,20,30,40,50,60", "-5"}) {
        EXPECT_EQ(parse({"--forecast", "3", "--levels", text}).text, levels + "\"" + text + "\"");
    }
}

TEST(ParseForecastOptions, SettingsThatWouldBeIgnoredAreRefused) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--paths", "500"}, "--paths sets the simulated forecasts of --forecast; it needs it"},
        {{"--levels", "90", "--simulate", "5", "--simulate-to", "x"},
         "--levels sets the simulated forecasts of --forecast; it needs it"},
        {{"--forecast", "5", "--forecast-method", "skeleton", "--levels", "90"},
         "--levels sets simulated forecasts; the skeleton method has no paths or intervals"},
        {{"--forecast-method", "gaussian"},
         "--forecast-method chooses the method of --forecast and the innovations of "
         "--simulate; it needs one of them"},
        {{"--simulate", "5"},
         "--simulate and --simulate-to go together: the number of values and the file to "
         "write them to"},
        {{"--simulate-to", "x"},
         "--simulate and --simulate-to go together: the number of values and the file to "
         "write them to"},
        {{"--simulate", "5", "--simulate-to", "x", "--forecast-method", "skeleton"},
         "--simulate draws random innovations; it needs --forecast-method bootstrap or "
         "gaussian, not skeleton"},
    };
    for (const auto& [arguments, text] : cases) {
        const ParseOutcome outcome = parse(arguments);
        EXPECT_EQ(outcome.action, ParseAction::kRefused) << text;
        EXPECT_EQ(outcome.text, text);
    }
    EXPECT_EQ(
        parse({"--simulate", "5", "--simulate-to", "x", "--forecast-method", "gaussian"}).action,
        ParseAction::kRun);
}

}  // namespace
}  // namespace kavri::cli
