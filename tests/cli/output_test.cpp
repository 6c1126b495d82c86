#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/json_output.h"
#include "cli/options.h"
#include "cli/terminal_progress.h"
#include "cli/text_output.h"

namespace kavri::cli {
namespace {

// Texts as a two-regime genetic run writes them (the two-regime formats end without a line
// break, the others with one); MSE never written.
ResultTexts twoRegimeTexts() {
    ResultTexts texts;
    texts.iterationText = "100";
    texts.fitnessText = "0.284459";
    texts.estimatePanel1 = " Regime : 1\nConstant=-0.030160\nP(1)=0.018777\n";
    texts.estimatePanel2 = " Regime : 2\nConstant = 0.160112\nP(1) = 0.392213\nP(2) =-0.1\n";
    texts.varianceText = "0.24849457";
    texts.residualVarianceText = "2.45e-01";
    texts.naicText = "-1.363343\n";
    texts.aicText = "-609.414299\n";
    texts.ljungBoxText = "7.916642";
    texts.observationText = "Regime:1\n122\nRegime:2\n325";
    texts.thresholdText = "-0.230170\n";
    texts.regimeVarianceText = "Regime:1\n2.47e-01\nRegime:2\n3.17e-01";
    texts.rSquareText = "Regime:1\n0.0001\nRegime:2\n0.0014";
    return texts;
}

RunOutcome twoRegimeOutcome() {
    RunOutcome outcome;
    outcome.seed = 1733550000u;
    outcome.fitness = 0.284459;
    outcome.seriesVariance = 0.24849457;
    outcome.evaluations = 3030;
    ReportedModel& model = outcome.model;
    model.available = true;
    model.thresholds = {-0.2301702};
    model.regimes = {{1, {-0.03016, 0.018777}, 122, 0.247, 0.0001},
                     {2, {0.160112, 0.392213, -0.1}, 325, 0.317, std::nullopt}};
    model.effectiveObservations = 447;
    model.naic = -1.363343;
    model.aic = -609.414299;
    model.residualVariance = 0.245;
    model.ljungBox = 7.916642;
    return outcome;
}

TEST(TextReport, ShowsEveryTextUnderItsLabelInTheWindowOrder) {
    const std::string expected =
        "Seed: 1733550000\n"
        "Iteration: 100\n"
        "Fitness: 0.284459\n"
        "Parameter Estimate 1:\n"
        "     Regime : 1\n"
        "    Constant=-0.030160\n"
        "    P(1)=0.018777\n"
        "Parameter Estimate 2:\n"
        "     Regime : 2\n"
        "    Constant = 0.160112\n"
        "    P(1) = 0.392213\n"
        "    P(2) =-0.1\n"
        "Parameter Estimate 3:\n"
        "Parameter Estimate 4:\n"
        "Variance: 0.24849457\n"
        "Residual Variance: 2.45e-01\n"
        "NAIC: -1.363343\n"
        "AIC: -609.414299\n"
        "MSE:\n"
        "Ljung-Box: 7.916642\n"
        "Observation:\n"
        "    Regime:1\n"
        "    122\n"
        "    Regime:2\n"
        "    325\n"
        "Threshold: -0.230170\n"
        "Variance of Regime:\n"
        "    Regime:1\n"
        "    2.47e-01\n"
        "    Regime:2\n"
        "    3.17e-01\n"
        "R Square:\n"
        "    Regime:1\n"
        "    0.0001\n"
        "    Regime:2\n"
        "    0.0014\n";
    EXPECT_EQ(formatTextReport(twoRegimeTexts(), twoRegimeOutcome(), defaultCliSettings()),
              expected);
}

TEST(TextReport, SeedLineOnlyForTheGeneticSearchAndExactFitnessOnlyWhenComputed) {
    RunSettings given = defaultCliSettings();
    given.model.selectModel = kSelectModelGivenThresholds;
    given.model.nThresholds = 1;
    RunOutcome outcome = twoRegimeOutcome();
    const std::string report = formatTextReport(twoRegimeTexts(), outcome, given);
    EXPECT_EQ(report.rfind("Iteration: 100\n", 0), 0u) << report;
    EXPECT_EQ(report.find("Exact Fitness"), std::string::npos);

    outcome.exactFitness = 0.3;
    const std::string compared = formatTextReport(ResultTexts{}, outcome, defaultCliSettings());
    EXPECT_NE(compared.find("Fitness:\nExact Fitness: 0.300000\n"), std::string::npos) << compared;
}

// The Model Form line names each part that differs from the default, joined by semicolons,
// and the JSON report the same parts; the default form has neither.
TEST(TextReport, ModelFormLineAndKeysNameEveryPartOfTheForm) {
    const auto formLine = [](const ModelForm& form) {
        RunSettings settings = defaultCliSettings();
        settings.form = form;
        const std::string report = formatTextReport(ResultTexts{}, twoRegimeOutcome(), settings);
        const std::size_t at = report.find("Model Form:");
        return at == std::string::npos ? std::string()
                                       : report.substr(at, report.find('\n', at) - at);
    };
    EXPECT_EQ(formLine(ModelForm{}), "");
    ModelForm form;
    form.nFixedOrders = 2;
    form.fixedOrders = {3, 1};
    form.constant = false;
    EXPECT_EQ(formLine(form), "Model Form: orders fixed at 3, 1; no constant (reported as 0)");
    form = ModelForm{};
    form.nLags = 3;
    form.lags = {1, 2, 12};
    EXPECT_EQ(formLine(form), "Model Form: lags 1, 2, 12 in every regime");
    form.nFixedOrders = 1;
    form.fixedOrders = {2};
    form.trend = true;
    EXPECT_EQ(formLine(form),
              "Model Form: orders fixed at 2 in every regime; lags 1, 2, 12; constant and linear "
              "trend t (t = 1 at the sample's first value)");
    RunSettings settings = defaultCliSettings();
    settings.form = form;
    const nlohmann::json json =
        nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), settings));
    EXPECT_EQ(json["include"], "trend");
    EXPECT_EQ(json["lags"], nlohmann::json::array({1, 2, 12}));
    EXPECT_FALSE(nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), defaultCliSettings()))
                     .contains("lags"));

    // Each regime names the lags it fitted when a subset was given: regime 2 stores lags 1 .. 2
    // by lag, but with the subset {1, 12} it fitted lag 1 only, and its 0 at lag 2 is no estimate.
    RunOutcome subset = twoRegimeOutcome();
    subset.model.lags = {1, 12};
    subset.model.regimes[0].order = 12;
    subset.model.regimes[0].coefficients.resize(13, 0.0);
    const nlohmann::json regimes =
        nlohmann::json::parse(formatJsonReport(subset, settings))["regimes"];
    EXPECT_EQ(regimes[0]["lags"], nlohmann::json::array({1, 12}));
    EXPECT_EQ(regimes[1]["lags"], nlohmann::json::array({1}));
    EXPECT_FALSE(nlohmann::json::parse(
                     formatJsonReport(twoRegimeOutcome(), defaultCliSettings()))["regimes"][0]
                     .contains("lags"));
}

// Only an exact search that tried fewer values than the series has says how many it tried.
TEST(TextReport, CandidatesLineOnlyWhenTheExactSearchTriedSomeValues) {
    RunSettings settings = defaultCliSettings();
    settings.ga.searchMethod = kSearchExact;
    settings.model.nObservations = 20000;
    RunOutcome outcome = twoRegimeOutcome();
    EXPECT_EQ(formatTextReport(ResultTexts{}, outcome, settings).find("Candidates"),
              std::string::npos);
    outcome.exactScope = ExactSearchScope{true, 19999};
    EXPECT_EQ(formatTextReport(ResultTexts{}, outcome, settings).find("Candidates"),
              std::string::npos);
    EXPECT_EQ(
        nlohmann::json::parse(formatJsonReport(outcome, settings)).contains("thresholdCandidates"),
        false);

    outcome.exactScope = ExactSearchScope{false, 5477};
    EXPECT_EQ(
        formatTextReport(ResultTexts{}, outcome, settings)
            .rfind("Threshold Candidates: 5477 of the 19999 values, at evenly spaced ranks; the "
                   "exact search is exact over these (--candidates)\nIteration:",
                   0),
        0u);
    EXPECT_EQ(nlohmann::json::parse(formatJsonReport(outcome, settings))["thresholdCandidates"],
              5477);
}

// One line and one JSON key name a threshold variable other than the own lag; none otherwise.
TEST(TextReport, ThresholdVariableLineAndKeyOnlyWhenItIsNotTheOwnLag) {
    RunSettings settings = defaultCliSettings();
    settings.ga.searchMethod = kSearchExact;  // no seed line before it
    RunOutcome outcome = twoRegimeOutcome();
    outcome.model.delay = 2;
    EXPECT_EQ(formatTextReport(ResultTexts{}, outcome, settings).find("Threshold Variable"),
              std::string::npos);
    EXPECT_FALSE(
        nlohmann::json::parse(formatJsonReport(outcome, settings)).contains("thresholdVariable"));
    settings.thresholdVariable = {ThresholdVariableKind::kColumn, "inflation"};
    EXPECT_EQ(formatTextReport(ResultTexts{}, outcome, settings)
                  .rfind("Threshold Variable: column inflation[t-2]\nIteration:", 0),
              0u);
    EXPECT_EQ(nlohmann::json::parse(formatJsonReport(outcome, settings))["thresholdVariable"],
              (nlohmann::json{{"kind", "column"}, {"name", "inflation"}}));
    settings.thresholdVariable = {ThresholdVariableKind::kDifference, ""};
    EXPECT_EQ(formatTextReport(ResultTexts{}, outcome, settings)
                  .rfind("Threshold Variable: change of the series, x[t-2] - x[t-3]\n", 0),
              0u);
}

TEST(JsonReport, CarriesTheModelAsNumbersWithNullWhereUndefined) {
    RunSettings settings = defaultCliSettings();
    settings.ga.nIterations = 100;
    const nlohmann::json json =
        nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), settings));
    EXPECT_EQ(json["mode"], "genetic");
    EXPECT_EQ(json["seed"], 1733550000u);
    EXPECT_EQ(json["generations"], 101);
    EXPECT_EQ(json["evaluations"], 3030);
    EXPECT_EQ(json["fitness"].get<double>(), 0.284459);
    EXPECT_EQ(json["variance"].get<double>(), 0.24849457);
    EXPECT_TRUE(json["modelReported"].get<bool>());
    EXPECT_EQ(json["thresholds"], nlohmann::json::array({-0.2301702}));
    ASSERT_EQ(json["regimes"].size(), 2u);
    EXPECT_EQ(json["regimes"][1]["order"], 2);
    EXPECT_EQ(json["regimes"][1]["coefficients"],
              nlohmann::json::array({0.160112, 0.392213, -0.1}));
    EXPECT_EQ(json["regimes"][1]["observations"], 325);
    EXPECT_TRUE(json["regimes"][1]["rSquare"].is_null());
    EXPECT_EQ(json["regimes"][0]["rSquare"].get<double>(), 0.0001);
    EXPECT_EQ(json["effectiveObservations"], 447);
    EXPECT_EQ(json["naic"].get<double>(), -1.363343);
    EXPECT_EQ(json["aic"].get<double>(), -609.414299);
    EXPECT_TRUE(json["mse"].is_null());
    EXPECT_EQ(json["ljungBox"].get<double>(), 7.916642);
    EXPECT_FALSE(json.contains("exactFitness"));
    const nlohmann::json& used = json["settings"];
    EXPECT_EQ(used["series"], "ExchangeRate.txt");
    EXPECT_EQ(used["nObservations"], 450);
    EXPECT_EQ(used["pMutation"].get<double>(), 0.01);
    EXPECT_EQ(used["fitness"], "mse");
    EXPECT_EQ(used["criterion"], "relative");
    EXPECT_EQ(used["printResiduals"], false);
    EXPECT_TRUE(used["thresholds"].is_null());
    EXPECT_TRUE(used["column"].is_null());
    EXPECT_EQ(used["skip"], 0);
    EXPECT_EQ(used["last"], false);
}

TEST(JsonReport, SampleSaysWhereTheValuesCameFromWithTheirLabels) {
    RunSettings settings = defaultCliSettings();
    settings.series = SeriesChoice{"log10", 0, true};
    RunOutcome outcome;
    outcome.sample.firstElement = 5;
    outcome.sample.fileValues = 114;
    outcome.sample.columnName = "column 3 \"log10\"";
    outcome.sample.labels = {"1825", "1826"};
    const nlohmann::json json = nlohmann::json::parse(formatJsonReport(outcome, settings));
    EXPECT_EQ(json["sample"]["firstElement"], 5);
    EXPECT_EQ(json["sample"]["fileValues"], 114);
    EXPECT_EQ(json["sample"]["column"], "column 3 \"log10\"");
    EXPECT_EQ(json["sample"]["labels"], nlohmann::json::array({"1825", "1826"}));
    EXPECT_EQ(json["settings"]["column"], "log10");
    EXPECT_EQ(json["settings"]["last"], true);
}

TEST(JsonReport, GivenThresholdsHaveNoSeedAndAnUnreportedModelIsAllNull) {
    RunSettings settings = defaultCliSettings();
    settings.model.selectModel = kSelectModelGivenThresholds;
    settings.model.nThresholds = 2;
    settings.model.thresholds = {0.5, -0.25, 9.0};
    RunOutcome outcome;
    outcome.seriesVariance = 0.5;
    const nlohmann::json json = nlohmann::json::parse(formatJsonReport(outcome, settings));
    EXPECT_EQ(json["mode"], "given-thresholds");
    EXPECT_TRUE(json["seed"].is_null());
    EXPECT_TRUE(json["generations"].is_null());
    EXPECT_EQ(json["settings"]["thresholds"], nlohmann::json::array({0.5, -0.25}));
    EXPECT_FALSE(json["modelReported"].get<bool>());
    for (const char* key : {"thresholds", "regimes", "effectiveObservations", "naic", "aic",
                            "residualVariance", "mse", "ljungBox"}) {
        EXPECT_TRUE(json[key].is_null()) << key;
    }
}

TEST(DelayScanReport, TableOfEveryDelayThenTheBestInTextAndJson) {
    DelayScanOutcome scan;
    scan.delays = {1, 2, 3};
    scan.fitness = {0.25, 1.5, 0.125};
    scan.bestDelay = 2;
    EXPECT_EQ(formatDelayScan(scan),
              "Delay Scan:\n"
              "    Delay 1: 0.250000\n"
              "    Delay 2: 1.500000\n"
              "    Delay 3: 0.125000\n"
              "Best Delay: 2\n");
    scan.aic = {-10.5, std::nullopt, 2.0};
    scan.bic = {-4.25, std::nullopt, 8.0};
    EXPECT_EQ(formatDelayScan(scan),
              "Delay Scan:\n"
              "    Delay 1: 0.250000  (AIC -10.5000, BIC -4.2500)\n"
              "    Delay 2: 1.500000\n"
              "    Delay 3: 0.125000  (AIC 2.0000, BIC 8.0000)\n"
              "Best Delay: 2\n");

    RunSettings settings = defaultCliSettings();
    settings.ga.searchMethod = kSearchExact;
    const nlohmann::json json =
        nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), settings, &scan));
    EXPECT_EQ(json["mode"], "exact");
    EXPECT_TRUE(json["seed"].is_null());
    EXPECT_EQ(json["bestDelay"], 2);
    ASSERT_EQ(json["delayScan"].size(), 3u);
    EXPECT_EQ(json["delayScan"][1]["delay"], 2);
    EXPECT_EQ(json["delayScan"][1]["fitness"].get<double>(), 1.5);
    EXPECT_TRUE(json["delayScan"][1]["aic"].is_null());
    EXPECT_EQ(json["delayScan"][2]["bic"].get<double>(), 8.0);
    EXPECT_FALSE(nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), settings))
                     .contains("delayScan"));
}

// Everything written to `stream` since it was opened.
std::string contents(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) {
        text += static_cast<char>(c);
    }
    return text;
}

TEST(TerminalProgress, RewritesOneLineAndClearsItAtTheEnd) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    TerminalProgress progress(stream, true, 100);
    progress.refresh(ResultTexts{});
    progress.progress(0, 0.0);
    progress.progress(1, 0.284459);
    progress.finish();
    progress.finish();
    EXPECT_EQ(contents(stream),
              "\rGeneration 0 of 100, best fitness 0.000000\033[K"
              "\rGeneration 1 of 100, best fitness 0.284459\033[K"
              "\r\033[K");
    std::fclose(stream);
}

TEST(TerminalProgress, ShowsTheShareOfTheExactSearchsTable) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    TerminalProgress progress(stream, true, 100);
    progress.exactSearchProgress(0.004);
    progress.exactSearchProgress(0.5);
    progress.finish();
    TerminalProgress quiet(stream, false, 100);
    quiet.exactSearchProgress(1.0);
    quiet.finish();
    EXPECT_EQ(contents(stream),
              "\rExact search, 0% of the table\033[K"
              "\rExact search, 50% of the table\033[K"
              "\r\033[K");
    std::fclose(stream);
}

TEST(TerminalProgress, WantedOnlyOnATerminalAndWhenNotQuiet) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(progressWanted(file, false));
    TerminalProgress disabled(file, false, 100);
    disabled.progress(3, 0.5);
    disabled.finish();
    EXPECT_EQ(contents(file), "");
    std::fclose(file);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        GTEST_SKIP() << "no pseudo-terminal available";
    }
    std::FILE* terminal = std::fopen(ptsname(master), "w");
    ASSERT_NE(terminal, nullptr);
    EXPECT_TRUE(progressWanted(terminal, false));
    EXPECT_FALSE(progressWanted(terminal, true));
    std::fclose(terminal);
    close(master);
}

// Two steps of bootstrap forecasts at one level, and a one-step check.
ForecastOutcome bootstrapForecasts() {
    ForecastOutcome outcome;
    ForecastResult& f = outcome.forecasts;
    f.method = ForecastMethod::kBootstrap;
    f.origin = 114;
    f.nPaths = 500;
    f.seed = 9;
    f.point = {3.25, -0.5};
    f.median = {3.125, -0.25};
    f.intervals = {ForecastInterval{90.0, {2.5, -2.0}, {4.0, 1.5}}};
    HoldoutCheck check;
    check.forecasts.method = ForecastMethod::kBootstrap;
    check.forecasts.origin = 100;
    check.forecasts.point = {2.0};
    check.observed = {2.5};
    check.error = {0.5};
    check.rmse = {0.5};
    check.mae = {0.5};
    check.mape = {20.0};
    outcome.holdout = check;
    return outcome;
}

TEST(ForecastReport, TablesOfTheForecastsAndOfTheDynamicCheck) {
    EXPECT_EQ(formatForecastReport(bootstrapForecasts()),
              "Forecast Method: bootstrap, 500 paths, seed 9\n"
              "Forecasts:\n"
              "      Step      Forecast        Median          Lo90          Hi90\n"
              "         1      3.250000      3.125000      2.500000      4.000000\n"
              "         2     -0.500000     -0.250000     -2.000000      1.500000\n"
              "Dynamic Check:\n"
              "      Step      Observed      Forecast         Error          RMSE           MAE"
              "          MAPE\n"
              "         1      2.500000      2.000000      0.500000      0.500000      0.500000"
              "     20.000000\n");

    ForecastOutcome skeleton;
    skeleton.forecasts.origin = 50;
    skeleton.forecasts.point = {1.0};
    EXPECT_EQ(formatForecastReport(skeleton),
              "Forecast Method: skeleton\n"
              "Forecasts:\n"
              "      Step      Forecast\n"
              "         1      1.000000\n");
}

// With the series' dates, the table has the Date column of Forecasts.txt after the step; a
// number wider than its column (an explosive path) still stands apart from its neighbours.
TEST(ForecastReport, DatesOfTheStepsAndWideNumbersKeepTheirColumns) {
    ForecastOutcome dated = bootstrapForecasts();
    dated.dates = {"1935", "NA"};
    dated.holdout->observed = {662.0};
    dated.holdout->forecasts.point = {-157077.04794};
    dated.holdout->error = {157739.04794};
    dated.holdout->rmse = {54702.878887};
    dated.holdout->mae = {27083.233263};
    dated.holdout->mape = {4324.832312};
    EXPECT_EQ(formatForecastReport(dated),
              "Forecast Method: bootstrap, 500 paths, seed 9\n"
              "Forecasts:\n"
              "      Step  Date      Forecast        Median          Lo90          Hi90\n"
              "         1  1935      3.250000      3.125000      2.500000      4.000000\n"
              "         2    NA     -0.500000     -0.250000     -2.000000      1.500000\n"
              "Dynamic Check:\n"
              "      Step      Observed      Forecast         Error          RMSE           MAE"
              "          MAPE\n"
              "         1    662.000000 -157077.047940 157739.047940  54702.878887  27083.233263"
              "   4324.832312\n");

    // The dynamic check gives the date of each held-out value in its own Date column.
    ForecastOutcome monthly = bootstrapForecasts();
    monthly.dates = {"2024-02", "2024-03"};
    monthly.holdoutDates = {"2023-12-01"};
    const std::string report = formatForecastReport(monthly);
    EXPECT_NE(report.find("Dynamic Check:\n"
                          "      Step        Date      Observed      Forecast         Error"
                          "          RMSE           MAE          MAPE\n"
                          "         1  2023-12-01      2.500000      2.000000      0.500000"),
              std::string::npos)
        << report;
    // Dates that do not match the held-out values one for one are left out.
    monthly.holdoutDates = {"2023-12-01", "2024-01-01"};
    EXPECT_NE(formatForecastReport(monthly).find("Dynamic Check:\n      Step      Observed"),
              std::string::npos);
}

TEST(ForecastReport, JsonHasEveryStepWithNullWhereTheMethodHasNoValue) {
    const ForecastOutcome forecasts = bootstrapForecasts();
    CliRequest request;
    request.simulateLength = 40;
    request.simulatePath = "sim.txt";
    request.forecast.method = ForecastMethod::kGaussian;
    request.forecast.seed = 9;
    const nlohmann::json json = nlohmann::json::parse(formatJsonReport(
        twoRegimeOutcome(), defaultCliSettings(), nullptr, nullptr, &forecasts, &request));
    const nlohmann::json& f = json["forecasts"];
    EXPECT_EQ(f["method"], "bootstrap");
    EXPECT_EQ(f["origin"], 114);
    EXPECT_EQ(f["paths"], 500);
    EXPECT_EQ(f["seed"], 9);
    EXPECT_EQ(f["levels"], nlohmann::json::array({90.0}));
    ASSERT_EQ(f["steps"].size(), 2u);
    EXPECT_EQ(f["steps"][1], nlohmann::json::parse(R"({"step": 2, "forecast": -0.5,
        "median": -0.25, "intervals": [{"level": 90.0, "lower": -2.0, "upper": 1.5}]})"));
    EXPECT_EQ(json["dynamicCheck"], nlohmann::json::parse(R"({"origin": 100, "steps": [{"step": 1,
        "observed": 2.5, "forecast": 2.0, "error": 0.5, "rmse": 0.5, "mae": 0.5,
        "mape": 20.0}]})"));
    EXPECT_EQ(json["simulation"], nlohmann::json::parse(R"({"file": "sim.txt", "values": 40,
        "method": "gaussian", "seed": 9})"));

    ForecastOutcome skeleton;
    skeleton.forecasts.point = {1.0};
    const nlohmann::json plain = nlohmann::json::parse(
        formatJsonReport(twoRegimeOutcome(), defaultCliSettings(), nullptr, nullptr, &skeleton));
    EXPECT_TRUE(plain["forecasts"]["paths"].is_null());
    EXPECT_TRUE(plain["forecasts"]["seed"].is_null());
    EXPECT_TRUE(plain["forecasts"]["steps"][0]["median"].is_null());
    EXPECT_EQ(plain["forecasts"]["steps"][0]["intervals"], nlohmann::json::array());
    EXPECT_TRUE(plain["dynamicCheck"].is_null());
    EXPECT_FALSE(plain.contains("simulation"));
    EXPECT_FALSE(nlohmann::json::parse(formatJsonReport(twoRegimeOutcome(), defaultCliSettings()))
                     .contains("forecasts"));
}

}  // namespace
}  // namespace kavri::cli
