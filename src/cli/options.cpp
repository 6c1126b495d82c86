#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "cli/batch_options.h"
#include "cli/exit_codes.h"
#include "cli/value_parsing.h"
#include "forecast/series_simulation.h"
#include "model/lag_list.h"
#include "model/version.h"

namespace kavri::cli {

namespace {

constexpr const char* kProgramName = "kavri-cli";
// Beyond any series file a run could use; it keeps skip + nObservations + nPredictions an int.
constexpr long long kMostSkipped = 100000000;
const std::string kVersionLine = std::string("kavri-cli ") + kVersion;

// Option names take the first kHelpColumn columns of a help line, their description the rest.
constexpr std::size_t kHelpColumn = 34;
constexpr std::size_t kHelpWidth = 80;

constexpr const char* kDescription =
    "kavri-cli fits a self-exciting threshold autoregressive (SETAR) model to one time series "
    "read from a text file: white-space separated numbers, or a table separated by commas, "
    "semicolons or tabs (--column). The regime of observation t "
    "is chosen by the series' own value at t - d (--delay) against up to three thresholds, each "
    "an observed value of the series; every regime has its own autoregression with a constant, "
    "its order chosen by AIC. The thresholds are either given (--thresholds) or searched by a "
    "genetic algorithm. The first --n-observations values (after --skip, or the last ones with "
    "--last) are fitted and the next --n-predictions are held out for one-step forecasts. The "
    "results are printed on standard output; Residuals.txt and Predictions.txt are written in "
    "the current directory or in --output-dir, and their names are listed on standard error; "
    "with --plots the charts of the run. With --forecast H the reported model also forecasts H "
    "steps past the last value read, with intervals from simulated paths, writes them to "
    "Forecasts.txt and checks the same forecasts on the held-out values. An option that is not "
    "given takes the default shown beside it.";

// Turns the text of one given option into a setting; returns the refusal message, if any.
using Apply = std::function<std::optional<std::string>(const std::string& text)>;

struct Binding {
    std::string name;
    std::string text;
    CLI::Option* option = nullptr;
    Apply apply;
};

std::string formatReal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Breaks `text` into lines of at most `width` characters at blanks (a longer word keeps its
// own line), so that the help reads on an 80-column terminal.
std::string wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t lineLength = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::size_t wordLength = end - start;
        if (lineLength > 0 && lineLength + 1 + wordLength > width) {
            out += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out.append(text, start, wordLength);
        lineLength += wordLength;
        start = end + 1;
    }
    return out;
}

std::string intRangeHelp(const std::string& what, IntRange range, int defaultValue) {
    return what + " (" + std::to_string(range.min) + " to " + std::to_string(range.max) +
           ", default " + std::to_string(defaultValue) + ")";
}

std::string realRangeHelp(const std::string& what, RealRange range, double defaultValue) {
    return what + " (" + formatReal(range.min) + " to " + formatReal(range.max) + ", default " +
           formatReal(defaultValue) + ")";
}

Apply intSetting(const std::string& name, IntRange range, int& target) {
    return [name, range, &target](const std::string& text) -> std::optional<std::string> {
        std::optional<long long> value = parseInteger(text);
        if (!value || *value < range.min || *value > range.max) {
            return name + " expects an integer from " + std::to_string(range.min) + " to " +
                   std::to_string(range.max) + ", got " + quoted(text);
        }
        target = static_cast<int>(*value);
        return std::nullopt;
    };
}

Apply realSetting(const std::string& name, RealRange range, double& target) {
    return [name, range, &target](const std::string& text) -> std::optional<std::string> {
        std::optional<double> value = parseReal(text);
        if (!value || *value < range.min || *value > range.max) {
            return name + " expects a number from " + formatReal(range.min) + " to " +
                   formatReal(range.max) + ", got " + quoted(text);
        }
        target = *value;
        return std::nullopt;
    };
}

// A radio group: the 0-based index of the word among `words`, compared without case.
Apply choiceSetting(const std::string& name, std::vector<std::string> words, int& target) {
    return [name, words, &target](const std::string& text) -> std::optional<std::string> {
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (lower == words[i]) {
                target = static_cast<int>(i);
                return std::nullopt;
            }
        }
        std::string expected;
        for (std::size_t i = 0; i < words.size(); ++i) {
            expected += (i == 0 ? "" : (i + 1 == words.size() ? " or " : ", ")) + words[i];
        }
        return name + " expects " + expected + ", got " + quoted(text);
    };
}

// --thresholds: one to three numbers separated by commas; their count sets nThresholds and
// selects estimation at the given thresholds.
Apply thresholdsSetting(ModelParameters& model) {
    return [&model](const std::string& text) -> std::optional<std::string> {
        std::optional<std::vector<double>> values = parseRealList(text);
        if (!values || values->empty() ||
            values->size() > static_cast<std::size_t>(limits::kThresholds.max)) {
            return "--thresholds expects one to " + std::to_string(limits::kThresholds.max) +
                   " numbers separated by commas, got " + quoted(text);
        }
        model.selectModel = kSelectModelGivenThresholds;
        model.nThresholds = static_cast<int>(values->size());
        model.thresholds = {0.0, 0.0, 0.0};
        std::copy(values->begin(), values->end(), model.thresholds.begin());
        return std::nullopt;
    };
}

// --orders: one order for every regime, or one per regime of the model, separated by commas.
// Their range and count against --max-order and the regimes are checked once every option is
// read (modelFormConflict()).
Apply ordersSetting(ModelForm& form) {
    return [&form](const std::string& text) -> std::optional<std::string> {
        std::vector<int> orders;
        std::size_t from = 0;
        while (orders.size() <= static_cast<std::size_t>(kMaxRegimeCount)) {
            const std::size_t comma = std::min(text.find(',', from), text.size());
            const std::optional<long long> order = parseInteger(text.substr(from, comma - from));
            if (!order || *order < 1 || *order > limits::kMaxOrder.max) {
                orders.clear();
                break;
            }
            orders.push_back(static_cast<int>(*order));
            if (comma == text.size()) {
                break;
            }
            from = comma + 1;
        }
        if (orders.empty() || orders.size() > static_cast<std::size_t>(kMaxRegimeCount)) {
            return "--orders expects one to " + std::to_string(kMaxRegimeCount) +
                   " whole numbers from 1 separated by commas, got " + quoted(text);
        }
        form.nFixedOrders = static_cast<int>(orders.size());
        std::copy(orders.begin(), orders.end(), form.fixedOrders.begin());
        return std::nullopt;
    };
}

// --lags: the lags every regime uses instead of 1 .. p (model/lag_list.h). Their bound
// against --max-order is checked once every option is read (modelFormConflict()).
Apply lagsSetting(ModelForm& form) {
    return [&form](const std::string& text) { return readLagList(text, form); };
}

// --levels: one to five distinct percentages strictly between 0 and 100.
constexpr std::size_t kMaxLevels = 5;

Apply levelsSetting(ForecastSettings& forecast) {
    return [&forecast](const std::string& text) -> std::optional<std::string> {
        std::optional<std::vector<double>> values = parseRealList(text);
        bool valid = values && !values->empty() && values->size() <= kMaxLevels;
        for (std::size_t i = 0; valid && i < values->size(); ++i) {
            const double level = (*values)[i];
            valid = level > 0.0 && level < 100.0 &&
                    std::find(values->begin(), values->begin() + i, level) == values->begin() + i;
        }
        if (!valid) {
            return "--levels expects one to five different percentages above 0 and below 100, "
                   "separated by commas, got " +
                   quoted(text);
        }
        forecast.levels = *values;
        return std::nullopt;
    };
}

Apply seedSetting(RunOptions& run) {
    return [&run](const std::string& text) -> std::optional<std::string> {
        std::optional<long long> value = parseInteger(text);
        if (!value || *value < 0 || *value > static_cast<long long>(UINT32_MAX)) {
            return "--seed expects an integer from 0 to " + std::to_string(UINT32_MAX) + ", got " +
                   quoted(text);
        }
        run.seed = static_cast<std::uint32_t>(*value);
        return std::nullopt;
    };
}

// The options of model choice and of the inference on the chosen thresholds, kept together.
template <typename Add>
void addModelChoiceOptions(CliRequest& request, Add& add) {
    const std::string group = "Model choice";
    add(
        "--threshold-level", "L",
        "level in percent of the likelihood-ratio confidence interval of each threshold "
        "(above 0 and below 100, default 95)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::optional<double> value = parseReal(text);
            if (!value || !(*value > 0.0 && *value < 100.0)) {
                return "--threshold-level expects a percentage above 0 and below 100, got " +
                       quoted(text);
            }
            request.thresholdLevel = *value;
            return std::nullopt;
        },
        group);
    add(
        "--test-min-obs", "N",
        "least observations per regime in the linearity tests of --tests, from the test order "
        "+ 2 (default --min-obs, whose lower bound 20 is the search's)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::optional<long long> value = parseInteger(text);
            if (!value || *value < 1 || *value > limits::kCommandLineObservations.max) {
                return "--test-min-obs expects an integer from 1 to " +
                       std::to_string(limits::kCommandLineObservations.max) + ", got " +
                       quoted(text);
            }
            request.testMinObs = static_cast<int>(*value);
            return std::nullopt;
        },
        group);
    add(
        "--select", "aic|bic",
        "choose the number of regimes and the delay by this criterion among the exact optima "
        "of every number of regimes up to --max-regimes and every delay 1 to 10, on one common "
        "sample (the table of --compare-models), and report the best row as the model",
        [&request](const std::string& text) -> std::optional<std::string> {
            int index = 0;
            if (std::optional<std::string> refusal =
                    choiceSetting("--select", {"aic", "bic"}, index)(text)) {
                return refusal;
            }
            request.select = index == 0 ? SelectCriterion::kAic : SelectCriterion::kBic;
            return std::nullopt;
        },
        group);
}

// Registers every option on `app`; `bindings` receives one entry per value option, in the
// order in which given values are checked.
void addOptions(CLI::App& app, std::deque<Binding>& bindings, CliRequest& request) {
    const RunSettings defaults = defaultCliSettings();
    const ModelParameters& dm = defaults.model;
    const GaParameters& dg = defaults.ga;
    ModelParameters& model = request.settings.model;
    GaParameters& ga = request.settings.ga;

    auto add = [&](const std::string& name, const std::string& typeName, const std::string& help,
                   Apply apply, const std::string& group) {
        Binding& binding = bindings.emplace_back();
        binding.name = name;
        binding.apply = std::move(apply);
        binding.option = app.add_option(name, binding.text, wrapped(help, kHelpWidth - kHelpColumn))
                             ->type_name(typeName)
                             ->group(group);
    };

    const std::string modelGroup = "Model";
    app.add_option("--series", request.batch.seriesPaths,
                   wrapped("series file, a relative path from the current directory (default " +
                               dm.seriesPath + "); several files fit each of them",
                           kHelpWidth - kHelpColumn))
        ->option_text("FILE...")
        ->group(modelGroup);
    add(
        "--column", "NAME|N",
        "the column of a comma, semicolon or tab separated file holding the series, by header "
        "name or number from 1 (default: the only numeric column, else the last)",
        [&request](const std::string& text) -> std::optional<std::string> {
            if (text.empty()) {
                return std::string("--column expects a column name or number, got \"\"");
            }
            request.settings.series.column = text;
            return std::nullopt;
        },
        modelGroup);
    add(
        "--skip", "K", "start the sample after the first K values of the file (default 0)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::optional<long long> value = parseInteger(text);
            if (!value || *value < 0 || *value > kMostSkipped) {
                return "--skip expects an integer from 0 to " + std::to_string(kMostSkipped) +
                       ", got " + quoted(text);
            }
            request.settings.series.skip = static_cast<int>(*value);
            return std::nullopt;
        },
        modelGroup);
    add(
        "--skip-lines", "K",
        "pass over the first K lines of the file (titles, sources above the table); a header "
        "is recognised after them. Lines starting with # are comments wherever they stand "
        "(default 0)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::optional<long long> value = parseInteger(text);
            if (!value || *value < 0 || *value > kMostSkipped) {
                return "--skip-lines expects an integer from 0 to " + std::to_string(kMostSkipped) +
                       ", got " + quoted(text);
            }
            request.settings.series.skipLines = static_cast<int>(*value);
            return std::nullopt;
        },
        modelGroup);
    app.add_flag("--inspect", request.inspect,
                 wrapped("print what the series file holds, column by column (name, type, "
                         "count, missing values, first and last value with their dates, "
                         "number format), then end without fitting",
                         kHelpWidth - kHelpColumn))
        ->group(modelGroup);
    app.add_flag("--last", request.settings.series.last,
                 wrapped("fit the most recent values: the last N + H values of the file "
                         "(N = --n-observations, H = --n-predictions)",
                         kHelpWidth - kHelpColumn))
        ->group(modelGroup);
    add("--n-observations", "N",
        intRangeHelp("observations fitted, from the start of the sample",
                     limits::kCommandLineObservations, dm.nObservations),
        intSetting("--n-observations", limits::kCommandLineObservations, model.nObservations),
        modelGroup);
    add("--n-predictions", "N",
        intRangeHelp("values after them held out for one-step forecasts",
                     limits::kCommandLinePredictions, dm.nPredictions),
        intSetting("--n-predictions", limits::kCommandLinePredictions, model.nPredictions),
        modelGroup);
    add("--max-regimes", "N",
        intRangeHelp("largest number of regimes", limits::kMaxRegimes, dm.maxRegimes),
        intSetting("--max-regimes", limits::kMaxRegimes, model.maxRegimes), modelGroup);
    // The dialog's range starts at 1, which leaves no order to fit: refused here with the
    // reason rather than run into a notice.
    const IntRange maxOrders{2, limits::kMaxOrder.max};
    add(
        "--max-order", "P",
        intRangeHelp("autoregressive order bound; orders 1 to P-1 are tried", maxOrders,
                     dm.maxOrder),
        [setting = intSetting("--max-order", maxOrders, model.maxOrder)](
            const std::string& text) -> std::optional<std::string> {
            std::optional<std::string> refused = setting(text);
            if (refused && text == "1") {
                *refused += ": orders 1 to P-1 are fitted, so 1 leaves no order to try";
            }
            return refused;
        },
        modelGroup);
    add("--delay", "D", intRangeHelp("delay d of the threshold variable", limits::kDelay, dm.delay),
        intSetting("--delay", limits::kDelay, model.delay), modelGroup);
    add("--min-obs", "N",
        intRangeHelp("least observations per regime in the search", limits::kMinObs, dm.minObs),
        intSetting("--min-obs", limits::kMinObs, model.minObs), modelGroup);
    add("--n-autocorrelations", "K",
        intRangeHelp("residual autocorrelation lags of the Ljung-Box statistic",
                     limits::kAutocorrelations, dm.nAutocorrelations),
        intSetting("--n-autocorrelations", limits::kAutocorrelations, model.nAutocorrelations),
        modelGroup);
    add("--thresholds", "T1[,T2[,T3]]",
        "estimate once at these thresholds instead of searching them; each must be one of the "
        "N fitted values, written in full or as the Threshold result shows it (taken as the "
        "only fitted value that shows so)",
        thresholdsSetting(model), modelGroup);

    // The model's form beyond its thresholds; the defaults are the model above.
    const std::string formGroup = "Model form";
    add("--orders", "P1[,P2[,P3[,P4]]]",
        "fix the autoregressive orders instead of choosing each by AIC: one order for every "
        "regime, or one per regime with --thresholds (one more than thresholds); each from 1 to "
        "--max-order minus 1",
        ordersSetting(request.settings.form), formGroup);
    add("--lags", "L1[,L2...]",
        "the lags every regime uses instead of 1 .. p, ascending, each below --max-order (for "
        "example 1,2,12 for a monthly series); orders then count these lags: the AIC chooses "
        "among the first 1, 2, ... of them, and --orders k fits the first k",
        lagsSetting(request.settings.form), formGroup);
    add(
        "--include", "const|none|trend",
        "deterministic terms of every regime: a constant (default); none, for a series whose "
        "mean is zero by construction (the constant is then reported as 0); or trend, a "
        "constant and a linear trend t, with t = 1 at the sample's first value, continued past "
        "it by forecasts",
        [&request](const std::string& text) -> std::optional<std::string> {
            int index = 0;
            if (std::optional<std::string> refusal =
                    choiceSetting("--include", {"const", "none", "trend"}, index)(text)) {
                return "--include expects const, none or trend, got " + quoted(text);
            }
            request.settings.form.constant = index != 1;
            request.settings.form.trend = index == 2;
            return std::nullopt;
        },
        formGroup);

    add(
        "--threshold-variable", "own|difference|COLUMN",
        "the variable z whose value z[t-d] chooses the regime of observation t: the series "
        "itself (own, default), its change x[t-d] - x[t-d-1] (difference), or another column of "
        "the same table, by header name or number from 1",
        [&request](const std::string& text) -> std::optional<std::string> {
            ThresholdVariable& variable = request.settings.thresholdVariable;
            variable = ThresholdVariable{};
            if (text.empty()) {
                return std::string(
                    "--threshold-variable expects own, difference or a column name or number, "
                    "got \"\"");
            }
            if (text == "own") {
                return std::nullopt;
            }
            if (text == "difference") {
                variable.kind = ThresholdVariableKind::kDifference;
                return std::nullopt;
            }
            variable.kind = ThresholdVariableKind::kColumn;
            variable.column = text;
            return std::nullopt;
        },
        formGroup);

    const std::string gaGroup = "Genetic search";
    // A population of no chromosomes would search nothing and report the linear
    // autoregression with fitness 0 as if it had been chosen: the command line asks for one.
    const IntRange chromosomes{1, limits::kChromosomes.max};
    add("--n-chromosomes", "M", intRangeHelp("population size", chromosomes, dg.nChromosomes),
        intSetting("--n-chromosomes", chromosomes, ga.nChromosomes), gaGroup);
    add("--n-iterations", "G",
        intRangeHelp("last generation; generations 0 to G are run", limits::kIterations,
                     dg.nIterations),
        intSetting("--n-iterations", limits::kIterations, ga.nIterations), gaGroup);
    add("--p-crossover", "P",
        realRangeHelp("crossover probability", limits::kProbability, dg.pCrossover),
        realSetting("--p-crossover", limits::kProbability, ga.pCrossover), gaGroup);
    add("--p-mutation", "P",
        realRangeHelp("mutation probability", limits::kProbability, dg.pMutation),
        realSetting("--p-mutation", limits::kProbability, ga.pMutation), gaGroup);
    add("--p-selection", "P",
        realRangeHelp("selection probability", limits::kProbability, dg.pSelection),
        realSetting("--p-selection", limits::kProbability, ga.pSelection), gaGroup);
    add("--adjusting-constant", "C",
        realRangeHelp("AIC fitness exp(-NAIC / C)", limits::kAdjustingConstant,
                      dg.adjustingConstant),
        realSetting("--adjusting-constant", limits::kAdjustingConstant, ga.adjustingConstant),
        gaGroup);
    add("--fitness", "aic|mse",
        "fitness from the normalised AIC or from the forecast MSE of the held-out values "
        "(default mse)",
        choiceSetting("--fitness", {"aic", "mse"}, ga.fitnessKind), gaGroup);
    add("--criterion", "absolute|relative",
        "order search in each regime: try every order, or stop at the first order that does "
        "not lower the AIC (default relative)",
        choiceSetting("--criterion", {"absolute", "relative"}, ga.criterion), gaGroup);
    add("--print-residuals", "yes|no",
        "write the table of series, fitted values and residuals to Residuals.txt (default no)",
        choiceSetting("--print-residuals", {"yes", "no"}, ga.printResiduals), gaGroup);
    add("--search,--search-method", "genetic|exact",
        "search the thresholds by the genetic algorithm, or exactly: the valid thresholds of "
        "highest fitness, found by dynamic programming over the ranked values (default genetic)",
        choiceSetting("--search", {"genetic", "exact"}, ga.searchMethod), gaGroup);
    add("--candidates", "M",
        "exact search: try the values at M evenly spaced ranks as thresholds, exact over "
        "those (default: every value, or with two or three thresholds on long series as many "
        "as take about a second; the output says how many were tried)",
        intSetting("--candidates", limits::kThresholdCandidates, request.run.exactCandidates),
        gaGroup);
    add("--seed", "S",
        "first seed of the genetic search, of the bootstrap of --tests and of the simulated "
        "forecasts, to repeat a run "
        "(default: the clock; the seed used is printed)",
        seedSetting(request.run), gaGroup);
    app.add_flag("--compare-exact", request.run.compareExact,
                 wrapped("after a genetic search, also find the exact optimum and print its "
                         "fitness",
                         kHelpWidth - kHelpColumn))
        ->group(gaGroup);
    app.add_flag("--delay-scan", request.delayScan,
                 wrapped("search the thresholds exactly at every delay from 1 to 10, print the "
                         "best fitness of each and report the model at the best delay",
                         kHelpWidth - kHelpColumn))
        ->group(gaGroup);

    const std::string statisticsGroup = "Statistics";
    app.add_flag("--robust", request.robust,
                 wrapped("White's heteroskedasticity-consistent (HC1) standard errors in the "
                         "coefficient table instead of the classical ones",
                         kHelpWidth - kHelpColumn))
        ->group(statisticsGroup);
    app.add_flag("--tests", request.tests,
                 wrapped("test linearity at the reported delay: Hansen's sup-F tests of 1 "
                         "against 2, 1 against 3 and 2 against 3 regimes with bootstrap p "
                         "values, and Tsay's F test",
                         kHelpWidth - kHelpColumn))
        ->group(statisticsGroup);
    add(
        "--test-order", "P",
        "autoregressive order of every regime in the tests (1 to maxOrder-1, default "
        "maxOrder-1; with --lags, the number of the list's lags used, default all)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::optional<long long> value = parseInteger(text);
            if (!value || *value < 1 || *value > limits::kMaxOrder.max - 1) {
                return "--test-order expects an integer from 1 to " +
                       std::to_string(limits::kMaxOrder.max - 1) + ", got " + quoted(text);
            }
            request.testOrder = static_cast<int>(*value);
            return std::nullopt;
        },
        statisticsGroup);
    add("--bootstrap", "B",
        intRangeHelp("bootstrap replicates of the sup-F tests under each null model",
                     kBootstrapReplicates, kDefaultBootstrapReplicates),
        intSetting("--bootstrap", kBootstrapReplicates, request.bootstrapReplicates),
        statisticsGroup);
    app.add_flag("--compare-models", request.compareModels,
                 wrapped("compare the AIC-optimal models of every number of regimes up to "
                         "--max-regimes and every delay 1 to 10 on one common sample",
                         kHelpWidth - kHelpColumn))
        ->group(statisticsGroup);
    addModelChoiceOptions(request, add);

    const std::string forecastGroup = "Forecasts";
    ForecastSettings& forecast = request.forecast;
    const IntRange horizons{kMinForecastHorizon, kMaxForecastHorizon};
    add("--forecast", "H",
        "forecast steps 1 to H past the last value read with the reported model, print them "
        "and write them to Forecasts.txt (" +
            std::to_string(horizons.min) + " to " + std::to_string(horizons.max) + ")",
        intSetting("--forecast", horizons, forecast.horizon), forecastGroup);
    add(
        "--forecast-method", "skeleton|bootstrap|gaussian",
        "the model iterated without noise, or simulated paths with innovations resampled from "
        "each regime's residuals or drawn from a normal law of its residual variance (default "
        "bootstrap); also the innovations of --simulate",
        [&forecast](const std::string& text) -> std::optional<std::string> {
            // The words in the order of the ForecastMethod enumerators.
            int index = 0;
            std::optional<std::string> refusal = choiceSetting(
                "--forecast-method", {"skeleton", "bootstrap", "gaussian"}, index)(text);
            if (!refusal) {
                forecast.method = static_cast<ForecastMethod>(index);
            }
            return refusal;
        },
        forecastGroup);
    add("--paths", "N",
        intRangeHelp("simulated paths", IntRange{kMinForecastPaths, kMaxForecastPaths},
                     kDefaultForecastPaths),
        intSetting("--paths", IntRange{kMinForecastPaths, kMaxForecastPaths}, forecast.nPaths),
        forecastGroup);
    add("--levels", "L1[,L2...]", "central interval levels in percent, up to five (default 80,95)",
        levelsSetting(forecast), forecastGroup);
    add("--simulate", "N",
        "write N values simulated from the reported model to the file of --simulate-to, in "
        "the plain format of a series file (1 to " +
            std::to_string(kMaxSimulatedLength) + ")",
        intSetting("--simulate", IntRange{1, kMaxSimulatedLength}, request.simulateLength),
        forecastGroup);
    add(
        "--simulate-to", "FILE", "the file that --simulate writes, replaced if it exists",
        [&request](const std::string& text) -> std::optional<std::string> {
            if (text.empty()) {
                return std::string("--simulate-to expects a file name, got an empty one");
            }
            request.simulatePath = text;
            return std::nullopt;
        },
        forecastGroup);

    const std::string outputGroup = "Output";
    add(
        "--plots", "DIR",
        "write the charts of the run into DIR (created if missing): series, lag, fit, acf, "
        "forecasts and search, each where the run has what it shows",
        [&request](const std::string& text) -> std::optional<std::string> {
            if (text.empty()) {
                return std::string("--plots expects a directory, got \"\"");
            }
            request.plotsDirectory = text;
            return std::nullopt;
        },
        outputGroup);
    add(
        "--plot-format", "svg|png", "picture format of --plots (default svg)",
        [&request](const std::string& text) -> std::optional<std::string> {
            int index = 0;
            if (std::optional<std::string> refusal =
                    choiceSetting("--plot-format", {"svg", "png"}, index)(text)) {
                return refusal;
            }
            request.plotFormat = index == 0 ? PlotFormat::kSvg : PlotFormat::kPng;
            return std::nullopt;
        },
        outputGroup);
    add(
        "--report", "FILE",
        "write the whole result (texts, statistics, tests, forecasts) into FILE: Markdown "
        "when it ends in .md, plain text otherwise",
        [&request](const std::string& text) -> std::optional<std::string> {
            if (text.empty()) {
                return std::string("--report expects a file name, got \"\"");
            }
            request.reportPath = text;
            return std::nullopt;
        },
        outputGroup);
    add(
        "--output-dir", "DIR",
        "existing directory for Residuals.txt and Predictions.txt (default: the current one)",
        [&request](const std::string& text) -> std::optional<std::string> {
            std::error_code error;
            if (text.empty() || !std::filesystem::is_directory(text, error)) {
                return "--output-dir expects an existing directory, got " + quoted(text);
            }
            request.run.files.directory = text;
            return std::nullopt;
        },
        outputGroup);
    app.add_flag("--json", request.json, "print the results as JSON numbers")->group(outputGroup);
    app.add_flag("-q,--quiet", request.quiet,
                 wrapped("no progress display (shown only on a terminal) and no lines on the "
                         "values read and the files written, on standard error",
                         kHelpWidth - kHelpColumn))
        ->group(outputGroup);
    addBatchOptions(app, request, [](const std::string& text) {
        return wrapped(text, kHelpWidth - kHelpColumn);
    });
}

// Forecast options that would be silently ignored: settings of forecasts not asked for, paths
// and intervals of the skeleton, half of a simulation request.
std::optional<std::string> forecastConflict(const CliRequest& request,
                                            const std::function<bool(const std::string&)>& given) {
    const bool skeleton = request.forecast.method == ForecastMethod::kSkeleton;
    if (given("--simulate") != given("--simulate-to")) {
        return std::string(
            "--simulate and --simulate-to go together: the number of values and the file "
            "to write them to");
    }
    if (given("--forecast-method") && !request.wantsForecasts() && !request.wantsSimulation()) {
        return std::string(
            "--forecast-method chooses the method of --forecast and the innovations of "
            "--simulate; it needs one of them");
    }
    for (const char* name : {"--paths", "--levels"}) {
        if (given(name) && !request.wantsForecasts()) {
            return std::string(name) + " sets the simulated forecasts of --forecast; it needs it";
        }
        if (given(name) && skeleton) {
            return std::string(name) +
                   " sets simulated forecasts; the skeleton method has no paths or intervals";
        }
    }
    if (request.wantsSimulation() && skeleton) {
        return std::string(
            "--simulate draws random innovations; it needs --forecast-method bootstrap or "
            "gaussian, not skeleton");
    }
    return std::nullopt;
}

// The one rule for settings of a part of the run that the request does not make: such an
// option is refused with what it sets and why the run does not use it, rather than silently
// ignored. The genetic algorithm's settings need the genetic search; the fitness settings
// need a search (at given thresholds the fitness is always exp(-NAIC)); the adjusting
// constant needs the AIC fitness; the seed needs something random: the genetic search, the
// bootstrap of --tests, simulated forecasts or --simulate.
std::optional<std::string> unusedOption(const CliRequest& request,
                                        const std::function<bool(const std::string&)>& given) {
    const bool selecting = request.select != SelectCriterion::kNone;
    if (selecting) {
        const std::pair<bool, const char*> replaced[] = {
            {given("--thresholds"), "--thresholds"},
            {given("--delay"), "--delay"},
            {given("--search,--search-method"), "--search"},
            {request.delayScan, "--delay-scan"},
            {request.run.compareExact, "--compare-exact"}};
        for (const auto& [isGiven, name] : replaced) {
            if (isGiven) {
                return std::string(
                           "--select chooses the delay and the thresholds from the model "
                           "comparison; it cannot be combined with ") +
                       name;
            }
        }
    }
    // --select reports the comparison's best row, estimated at its thresholds.
    const bool givenThresholds = given("--thresholds") || selecting;
    const bool exact = request.settings.ga.searchMethod == kSearchExact;
    const char* nonGenetic = selecting           ? "--select (the comparison's exact optima)"
                             : givenThresholds   ? "--thresholds (nothing is searched)"
                             : request.delayScan ? "--delay-scan (an exact search)"
                             : exact             ? "--search exact"
                                                 : nullptr;
    for (const char* name :
         {"--n-chromosomes", "--n-iterations", "--p-crossover", "--p-mutation", "--p-selection"}) {
        if (given(name) && nonGenetic != nullptr) {
            return std::string(name) + " sets up the genetic search; it is not used with " +
                   nonGenetic;
        }
    }
    for (const char* name : {"--fitness", "--criterion", "--adjusting-constant"}) {
        if (given(name) && givenThresholds) {
            return std::string(name) + " sets how a search ranks thresholds; " +
                   (selecting ? "--select ranks the comparison's rows by its own criterion, "
                                "every order tried in each regime"
                              : "at the thresholds given (--thresholds) every regime tries all "
                                "orders and the fitness is exp(-NAIC)");
        }
    }
    if (given("--adjusting-constant") && request.settings.ga.fitnessKind == kFitnessMse) {
        return std::string(
            "--adjusting-constant scales the AIC fitness exp(-NAIC / C); it is not used with "
            "--fitness mse");
    }
    const bool bootstrap = request.tests && request.bootstrapReplicates > 0;
    const bool simulatedForecasts =
        request.wantsForecasts() && request.forecast.method != ForecastMethod::kSkeleton;
    if (given("--seed") && nonGenetic != nullptr && !bootstrap && !simulatedForecasts &&
        !request.wantsSimulation()) {
        return std::string("--seed repeats what is random in a run; with ") + nonGenetic +
               " it needs the bootstrap of --tests, simulated forecasts (--forecast) or "
               "--simulate";
    }
    return std::nullopt;
}

// Fixed orders must be orders the run fits, one for every regime or one per regime; what
// compares numbers of regimes cannot take the latter, nor can the linearity tests, whose linear
// null is nested only in a model of one order in every regime: both are refused rather than
// reporting another model.
template <typename Given>
std::optional<std::string> modelFormConflict(const CliRequest& request, const Given& given) {
    const ModelForm& form = request.settings.form;
    if (form.isDefault()) {
        return std::nullopt;
    }
    const ModelParameters& model = request.settings.model;
    if (std::optional<std::string> conflict = lagListConflict(form, model.maxOrder)) {
        return conflict;
    }
    for (int i = 0; i < form.nFixedOrders; ++i) {
        if (form.fixedOrders[i] > model.maxOrder - 1) {
            return "--orders expects orders from 1 to " + std::to_string(model.maxOrder - 1) +
                   " (below --max-order " + std::to_string(model.maxOrder) + "), got " +
                   std::to_string(form.fixedOrders[i]);
        }
    }
    const bool exactSearch = request.settings.ga.searchMethod == kSearchExact;
    if (form.ordersPerRegime()) {
        // One order per regime fixes the number of regimes: the thresholds given, or a search
        // that fits exactly that many. The genetic search may lower it, and what compares
        // numbers of regimes has nothing to compare.
        const int regimes = form.nFixedOrders;
        if (given("--thresholds") && regimes != model.nThresholds + 1) {
            return "--orders expects one order for every regime, or one per regime: " +
                   std::to_string(model.nThresholds + 1) + " with --thresholds " +
                   std::to_string(model.nThresholds) +
                   (model.nThresholds == 1 ? " value" : " values") + ", got " +
                   std::to_string(regimes);
        }
        const char* comparing = request.compareModels                      ? "--compare-models"
                                : request.select != SelectCriterion::kNone ? "--select"
                                                                           : nullptr;
        if (comparing != nullptr) {
            return std::string(comparing) +
                   " compares models of 1 to --max-regimes regimes; with one order per "
                   "regime (--orders P1,P2,..) the number of regimes is fixed: give one order "
                   "for every regime, or leave --orders out";
        }
        if (!given("--thresholds") && !exactSearch && !request.delayScan) {
            return std::string(
                "--orders with one order per regime fixes the number of regimes, which the "
                "genetic search may lower: use --search exact (or --delay-scan), or give "
                "--thresholds; give one order for every regime to search genetically");
        }
        if (!given("--thresholds") && given("--max-regimes") && model.maxRegimes != regimes) {
            return "--orders gives " + std::to_string(regimes) +
                   " orders, one per regime, which sets the number of regimes to " +
                   std::to_string(regimes) + "; --max-regimes " + std::to_string(model.maxRegimes) +
                   " contradicts it (leave it out)";
        }
    }
    // The tests' linear null is nested in a threshold model only when every regime has the
    // same lags; with an order for each regime there is no common order to test at.
    if (request.tests && form.nFixedOrders > 1) {
        return std::string(
            "--tests is not available with one order per regime (--orders P1,P2,..): the "
            "linear autoregression of the tests' null is nested in the threshold model only "
            "when every regime has the same order; give one order for every regime "
            "(--orders k) to test at that order");
    }
    if (form.trend && given("--simulate")) {
        return std::string(
            "--simulate is not available with --include trend: a simulated series has no "
            "place in the sample's time for the trend to start from; forecasts (--forecast) "
            "continue it past the sample");
    }
    return std::nullopt;
}

// A threshold variable other than the series' own lag is followed by every search, the
// statistics, the tests, the comparison and the forecasts; what cannot follow it is refused
// with the reason: fitting every column of a table as a series, and simulating a series whose
// regime follows a variable the model does not describe.
template <typename Given>
std::optional<std::string> thresholdVariableConflict(const CliRequest& request,
                                                     const Given& /*given*/) {
    const ThresholdVariable& variable = request.settings.thresholdVariable;
    if (variable.isOwn()) {
        return std::nullopt;
    }
    const std::string option = "--threshold-variable " +
                               (variable.isColumn() ? variable.column : std::string("difference"));
    if (request.batch.allColumns || !request.batch.columns.empty()) {
        return option +
               " thresholds one series on a variable beside it; it cannot be combined with "
               "--all-columns or --columns, which fit every column as a series of its own";
    }
    if (request.wantsSimulation() && variable.isColumn()) {
        return option +
               ": --simulate cannot simulate a series whose regime follows an exogenous "
               "variable, since the model does not say how that variable moves";
    }
    return std::nullopt;
}

// Options that would be silently ignored together: given thresholds are not searched, the
// settings of the linearity tests mean nothing without them (and the order must be one the
// run can regress), and the comparison with the exact optimum only makes sense after a
// genetic search.
std::optional<std::string> conflictingChoice(const CliRequest& request,
                                             const std::deque<Binding>& bindings) {
    const auto given = [&](const std::string& name) {
        for (const Binding& binding : bindings) {
            if (binding.name == name && binding.option->count() != 0) return true;
        }
        return false;
    };
    const bool exact = request.settings.ga.searchMethod == kSearchExact;
    if (std::optional<std::string> unused = unusedOption(request, given)) {
        return unused;
    }
    if (given("--thresholds") && exact) {
        return std::string(
            "--thresholds estimates at the thresholds given; it cannot be combined "
            "with --search exact");
    }
    if (given("--plot-format") && !given("--plots")) {
        return std::string(
            "--plot-format chooses the picture format of --plots; give --plots DIR too");
    }
    if (request.settings.series.last && given("--skip")) {
        return std::string(
            "--last takes the last values of the file; it cannot be combined with --skip");
    }
    // With one order fixed for every regime the tests are at that order: the null is the
    // linear autoregression of the model's own order.
    const ModelForm& form = request.settings.form;
    if (request.testOrder && form.nFixedOrders == 1 && *request.testOrder != form.fixedOrders[0]) {
        return "--test-order " + std::to_string(*request.testOrder) + " differs from --orders " +
               std::to_string(form.fixedOrders[0]) +
               ": the linearity tests of a model of fixed order are at that order";
    }
    if (request.testMinObs) {
        const int order = request.testOrder
                              ? *request.testOrder
                              : defaultTestOrder(request.settings.model.maxOrder, form);
        const int least = leastTestRows(order, form);
        if (*request.testMinObs < least) {
            return "--test-min-obs expects at least " +
                   std::string(form.constant && !form.trend ? "the test order + 2"
                               : form.trend ? "the test order + 3 (a constant, a trend and the "
                                              "lags)"
                                            : "the test order + 1 (no constant)") +
                   " = " + std::to_string(least) +
                   ", so that every regime keeps a residual degree of freedom; got " +
                   std::to_string(*request.testMinObs);
        }
    }
    for (const char* option : {"--test-order", "--bootstrap", "--test-min-obs"}) {
        if (given(option) && !request.tests) {
            return std::string(option) + " sets up the linearity tests; it needs --tests";
        }
    }
    const int maxOrder = request.settings.model.maxOrder;
    if (request.testOrder && *request.testOrder > maxOrder - 1) {
        return "--test-order expects an order below --max-order (" + std::to_string(maxOrder) +
               "), got " + std::to_string(*request.testOrder);
    }
    // Orders count the lags of a list: order k tests the list's first k lags.
    if (request.testOrder && form.lagsGiven() && *request.testOrder > form.nLags) {
        return "--test-order counts the lags of --lags, which has " + std::to_string(form.nLags) +
               (form.nLags == 1 ? " lag" : " lags") + "; got " + std::to_string(*request.testOrder);
    }
    if (given("--candidates") && !(exact || request.delayScan || request.run.compareExact)) {
        return std::string(
            "--candidates sets the thresholds that the exact search tries; it needs --search "
            "exact, --delay-scan or --compare-exact");
    }
    if (request.run.compareExact && (given("--thresholds") || exact || request.delayScan)) {
        return std::string(
            "--compare-exact compares a genetic search with the exact optimum; it "
            "needs the genetic search (no --thresholds, --search exact or "
            "--delay-scan)");
    }
    if (std::optional<std::string> conflict = modelFormConflict(request, given)) {
        return conflict;
    }
    if (std::optional<std::string> conflict = thresholdVariableConflict(request, given)) {
        return conflict;
    }
    if (std::optional<std::string> conflict = forecastConflict(request, given)) {
        return conflict;
    }
    return batchConflict(request, given);
}

}  // namespace

RunSettings defaultCliSettings() {
    RunSettings settings;
    applyRunDefaults(settings);
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    return settings;
}

ParseOutcome parseOptions(int argc, const char* const* argv) {
    ParseOutcome outcome;
    outcome.request.settings = defaultCliSettings();

    CLI::App app{wrapped(kDescription, kHelpWidth) + "\n", kProgramName};
    app.footer(wrapped(exitStatusText(), kHelpWidth));
    app.set_version_flag("--version", kVersionLine);
    app.get_formatter()->column_width(kHelpColumn);

    std::deque<Binding> bindings;
    addOptions(app, bindings, outcome.request);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        outcome.action = ParseAction::kHelp;
        outcome.text = app.help();
        return outcome;
    } catch (const CLI::CallForVersion& version) {
        outcome.action = ParseAction::kVersion;
        outcome.text = std::string(version.what()) + "\n";
        return outcome;
    } catch (const CLI::ParseError& error) {
        outcome.action = ParseAction::kRefused;
        outcome.text = error.what();
        return outcome;
    }

    for (const Binding& binding : bindings) {
        if (binding.option->count() == 0) {
            continue;
        }
        if (std::optional<std::string> refusal = binding.apply(binding.text)) {
            outcome.action = ParseAction::kRefused;
            outcome.text = *refusal;
            return outcome;
        }
    }
    if (outcome.request.delayScan) {
        // The scan chooses both the delay and the thresholds; a given one would be overridden.
        for (const Binding& binding : bindings) {
            if (binding.option->count() != 0 &&
                (binding.name == "--delay" || binding.name == "--thresholds")) {
                outcome.action = ParseAction::kRefused;
                outcome.text =
                    "--delay-scan chooses the delay and the thresholds itself; it "
                    "cannot be combined with " +
                    binding.name;
                return outcome;
            }
        }
    }
    if (std::optional<std::string> conflict = conflictingChoice(outcome.request, bindings)) {
        outcome.action = ParseAction::kRefused;
        outcome.text = *conflict;
        return outcome;
    }
    // One order per regime sets the number of regimes that a search fits (another
    // --max-regimes is refused); the thresholds given set it themselves.
    if (outcome.request.settings.form.ordersPerRegime() &&
        outcome.request.settings.model.selectModel != kSelectModelGivenThresholds) {
        outcome.request.settings.model.maxRegimes = outcome.request.settings.form.nFixedOrders;
    }
    if (outcome.request.batch.seriesPaths.size() == 1) {
        outcome.request.settings.model.seriesPath = outcome.request.batch.seriesPaths.front();
    }
    // The search chart of an exact search shows the profile of each threshold.
    outcome.request.run.profileThresholds = !outcome.request.plotsDirectory.empty();
    outcome.action = ParseAction::kRun;
    return outcome;
}

}  // namespace kavri::cli
