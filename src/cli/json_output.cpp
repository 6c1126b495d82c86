#include "cli/json_output.h"

#include <complex>
#include <nlohmann/json.hpp>

#include "cli/text_output.h"
#include "data/dates.h"
#include "report/statistics_text.h"

namespace kavri::cli {

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

const char* modeName(const RunSettings& settings) {
    if (settings.model.selectModel == kSelectModelGivenThresholds) {
        return "given-thresholds";
    }
    return settings.ga.searchMethod == kSearchExact ? "exact" : "genetic";
}

Json settingsJson(const RunSettings& settings) {
    const ModelParameters& model = settings.model;
    const GaParameters& ga = settings.ga;
    Json json;
    json["series"] = model.seriesPath;
    json["nObservations"] = model.nObservations;
    json["nPredictions"] = model.nPredictions;
    json["maxRegimes"] = model.maxRegimes;
    json["maxOrder"] = model.maxOrder;
    json["delay"] = model.delay;
    json["minObs"] = model.minObs;
    json["nAutocorrelations"] = model.nAutocorrelations;
    json["column"] = settings.series.column.empty() ? Json(nullptr) : Json(settings.series.column);
    json["skip"] = settings.series.skip;
    json["last"] = settings.series.last;
    if (model.selectModel == kSelectModelGivenThresholds) {
        Json thresholds = Json::array();
        for (int i = 0; i < model.nThresholds && i < static_cast<int>(model.thresholds.size());
             ++i) {
            thresholds.push_back(model.thresholds[static_cast<std::size_t>(i)]);
        }
        json["thresholds"] = thresholds;
    } else {
        json["thresholds"] = nullptr;
    }
    json["nChromosomes"] = ga.nChromosomes;
    json["nIterations"] = ga.nIterations;
    json["pCrossover"] = ga.pCrossover;
    json["pMutation"] = ga.pMutation;
    json["pSelection"] = ga.pSelection;
    json["adjustingConstant"] = ga.adjustingConstant;
    json["fitness"] = ga.fitnessKind == kFitnessAic ? "aic" : "mse";
    json["criterion"] = ga.criterion == kCriterionAbsolute ? "absolute" : "relative";
    json["printResiduals"] = ga.printResiduals == kPrintResidualsYes;
    json["searchMethod"] = ga.searchMethod == kSearchExact ? "exact" : "genetic";
    return json;
}

// Where the values came from: their place in the file, the column of a table and the label
// (date or time) of each value, null where the file has none.
Json sampleJson(const SeriesSample& sample) {
    Json json;
    json["firstElement"] = sample.firstElement;
    json["fileValues"] = sample.fileValues;
    json["column"] = sample.columnName.empty() ? Json(nullptr) : Json(sample.columnName);
    json["labels"] = sample.labels.empty() ? Json(nullptr) : Json(sample.labels);
    if (allDates(sample.labels)) {
        json["dates"] = sample.labels;  // only when the labels are dates, so that files
                                        // without dates keep their output
    }
    return json;
}

Json regimeJson(const RegimeReport& regime) {
    Json json;
    json["order"] = regime.order;
    json["coefficients"] = regime.coefficients;
    json["observations"] = regime.observations;
    json["residualVariance"] = regime.residualVariance;
    json["rSquare"] = orNull(regime.rSquare);
    return json;
}

void addModel(Json& json, const ReportedModel& model) {
    json["modelReported"] = model.available;
    if (!model.available) {
        for (const char* key : {"thresholds", "regimes", "effectiveObservations", "naic", "aic",
                                "residualVariance", "mse", "ljungBox"}) {
            json[key] = nullptr;
        }
        return;
    }
    json["thresholds"] = model.thresholds;
    Json regimes = Json::array();
    for (std::size_t r = 0; r < model.regimes.size(); ++r) {
        regimes.push_back(regimeJson(model.regimes[r]));
        if (model.trend) {
            // only then, so other reports keep their keys
            regimes.back()["trend"] = model.regimes[r].trend;
        }
        if (!model.lags.empty()) {
            // The lags this regime fitted: "coefficients" is by lag up to "order", with 0 at the
            // lags of the subset left out, which were not estimated.
            regimes.back()["lags"] = model.lagsOf(r);
        }
    }
    json["regimes"] = regimes;
    json["effectiveObservations"] = model.effectiveObservations;
    json["naic"] = model.naic;
    json["aic"] = model.aic;
    json["residualVariance"] = model.residualVariance;
    json["mse"] = orNull(model.forecastMse);
    json["ljungBox"] = model.ljungBox;
}

Json coefficientTableJson(const CoefficientTable& table) {
    Json regimes = Json::array();
    for (const RegimeCoefficients& regime : table.regimes) {
        Json coefficients = Json::array();
        for (const CoefficientEstimate& c : regime.coefficients) {
            coefficients.push_back(Json{{"estimate", c.estimate},
                                        {"standardError", orNull(c.standardError)},
                                        {"tValue", orNull(c.tValue)},
                                        {"pValue", orNull(c.pValue)}});
        }
        Json entry{{"observations", regime.observations},
                   {"residualDf", regime.residualDf},
                   {"coefficients", coefficients}};
        // The terms after the constant, named only when they are not the lags 1 .. p (a trend
        // second, or a subset of lags), so that the default model's report keeps its keys.
        bool named = regime.trend;
        for (std::size_t k = 0; k < regime.lags.size(); ++k) {
            named = named || regime.lags[k] != static_cast<int>(k) + 1;
        }
        if (named) {
            entry["trend"] = regime.trend;
            entry["lags"] = regime.lags;
        }
        regimes.push_back(entry);
    }
    return regimes;
}

Json fitStatisticsJson(const FitStatistics& fit) {
    return Json{{"logLikelihood", orNull(fit.logLikelihood)},
                {"aic", fit.aic},
                {"bic", fit.bic},
                {"observations", fit.observations},
                {"coefficients", fit.coefficients},
                {"thresholds", fit.thresholds},
                {"ljungBox", fit.ljungBox},
                {"ljungBoxLags", fit.ljungBoxLags},
                {"ljungBoxDf", fit.ljungBoxDf},
                {"ljungBoxPValue", orNull(fit.ljungBoxP)}};
}

Json linearityTestsJson(const LinearityTests& tests) {
    Json supF = Json::array();
    for (const SupFTest* test : {&tests.oneVsTwo, &tests.oneVsThree, &tests.twoVsThree}) {
        Json json{{"nullRegimes", test->nullRegimes},
                  {"alternativeRegimes", test->alternativeRegimes}};
        if (test->available && test->exactFit) {
            json["statistic"] = nullptr;
            json["pValue"] = nullptr;
            json["exactFit"] = true;
            json["thresholds"] = test->thresholds;
        } else if (test->available) {
            json["statistic"] = test->statistic;
            json["pValue"] = orNull(test->pValue);
            json["thresholds"] = test->thresholds;
            json["ssrNull"] = test->ssrNull;
            json["ssrAlternative"] = test->ssrAlternative;
            json["replicates"] = test->replicates;
        } else {
            json["statistic"] = nullptr;
            json["pValue"] = nullptr;
        }
        supF.push_back(json);
    }
    const TsayTest& tsay = tests.tsay;
    const LinearityTestSettings& settings = tests.settings;
    Json json{{"order", settings.order},
              {"delay", settings.delay},
              {"firstTime", tests.firstTime},
              {"observations", tests.observations},
              {"minObservationsPerRegime", tests.minRows},
              {"bootstrapReplicates", settings.replicates},
              {"seed", settings.seed},
              {"supF", supF},
              {"tsay", tsay.available && !tsay.exactFit ? Json{{"statistic", tsay.statistic},
                                                               {"df1", tsay.df1},
                                                               {"df2", tsay.df2},
                                                               {"pValue", orNull(tsay.pValue)},
                                                               {"startRows", tsay.startRows}}
                                                        : Json(nullptr)}};
    // The form only when it is not the default, so default reports keep their keys.
    if (!settings.lags.empty()) {
        json["lags"] = testRegressors(settings).lags;
    }
    if (!settings.constant) {
        json["include"] = "none";
    } else if (settings.trend) {
        json["include"] = "trend";
    }
    return json;
}

Json modelComparisonJson(const ModelComparison& comparison) {
    Json rows = Json::array();
    for (int i = 0; i < static_cast<int>(comparison.rows.size()); ++i) {
        const ComparisonRow& row = comparison.rows[i];
        Json json{{"regimes", row.regimes},
                  {"delay", row.delay == 0 ? Json(nullptr) : Json(row.delay)},
                  {"available", row.available}};
        if (row.available) {
            json["thresholds"] = row.thresholds;
            json["orders"] = row.orders;
            json["aic"] = row.aic;
            json["bic"] = row.bic;
            json["sse"] = row.sse;
            json["mse"] = orNull(row.mse);
        }
        Json best = Json::array();
        for (auto [index, name] :
             {std::pair{comparison.bestAic, "aic"}, std::pair{comparison.bestBic, "bic"},
              std::pair{comparison.bestSse, "sse"}, std::pair{comparison.bestMse, "mse"}}) {
            if (index == i) {
                best.push_back(name);
            }
        }
        json["best"] = best;
        rows.push_back(json);
    }
    Json json{{"firstTime", comparison.firstTime}, {"observations", comparison.observations}};
    if (!comparison.everyValue) {
        json["thresholdCandidates"] = comparison.candidates;
    }
    json["rows"] = rows;
    return json;
}

Json portmanteauJson(const PortmanteauTest& test) {
    return Json{{"lags", test.lags},
                {"df", test.df},
                {"statistic", test.statistic},
                {"pValue", orNull(test.pValue)}};
}

Json diagnosticsJson(const ModelDiagnostics& diagnostics) {
    Json roots = Json::array();
    for (const RegimeRoots& regime : diagnostics.roots) {
        Json list = Json::array();
        for (const std::complex<double>& root : regime.roots) {
            list.push_back(Json{{"re", root.real()}, {"im", root.imag()}});
        }
        roots.push_back(Json{{"regime", regime.regime},
                             {"roots", list},
                             {"moduli", regime.moduli},
                             {"possibleUnitRoot", regime.possibleUnitRoot}});
    }
    const char* behaviour = "irregular";
    switch (diagnostics.skeleton.behaviour) {
        case SkeletonBehaviour::kPoint:
            behaviour = "point";
            break;
        case SkeletonBehaviour::kCycle:
            behaviour = "cycle";
            break;
        case SkeletonBehaviour::kDiverges:
            behaviour = "diverges";
            break;
        case SkeletonBehaviour::kIrregular:
            break;
        case SkeletonBehaviour::kExogenous:
            behaviour = "exogenous";
            break;
    }
    Json byLag = Json::array();
    for (const PortmanteauTest& test : diagnostics.ljungBoxByLag) {
        byLag.push_back(portmanteauJson(test));
    }
    return Json{
        {"characteristicRoots", roots},
        {"skeleton", Json{{"behaviour", behaviour}, {"values", diagnostics.skeleton.values}}},
        {"mcLeodLi", diagnostics.mcLeodLi ? portmanteauJson(*diagnostics.mcLeodLi) : Json(nullptr)},
        {"ljungBoxByLag", byLag}};
}

void addStatistics(Json& json, const RunStatistics& statistics) {
    if (statistics.coefficients) {
        json["standardErrors"] =
            statistics.coefficients->kind == StandardErrorKind::kHc1 ? "hc1" : "classical";
        json["coefficientTable"] = coefficientTableJson(*statistics.coefficients);
    }
    if (statistics.fit) {
        json["fitStatistics"] = fitStatisticsJson(*statistics.fit);
        Json warnings = Json::array();
        for (const SparseRegime& regime : statistics.fit->sparseRegimes) {
            warnings.push_back(sparseRegimeText(regime));
        }
        json["warnings"] = warnings;
    }
    if (statistics.diagnostics) {
        json["diagnostics"] = diagnosticsJson(*statistics.diagnostics);
    }
    if (!statistics.thresholdIntervals.empty()) {
        Json intervals = Json::array();
        for (const ThresholdConfidence& interval : statistics.thresholdIntervals) {
            intervals.push_back(Json{{"threshold", interval.estimate},
                                     {"level", interval.level},
                                     {"lower", interval.lower},
                                     {"upper", interval.upper}});
        }
        json["thresholdConfidence"] = intervals;
    }
    if (statistics.regimeSupport) {
        const ModelComparison& support = *statistics.regimeSupport;
        json["regimesSupport"] =
            Json{{"chosen", statistics.chosenRegimes},
                 {"bicPrefers",
                  support.bestBic < 0
                      ? Json(nullptr)
                      : Json(support.rows[static_cast<std::size_t>(support.bestBic)].regimes)},
                 {"text", regimeSupportText(statistics.chosenRegimes, support,
                                            statistics.tests ? &*statistics.tests : nullptr)}};
    }
    if (statistics.tests) {
        json["linearityTests"] = linearityTestsJson(*statistics.tests);
    }
    if (statistics.comparison) {
        json["modelComparison"] = modelComparisonJson(*statistics.comparison);
    }
}

Json forecastsJson(const ForecastResult& forecasts, const std::vector<std::string>& dates) {
    const bool simulated = forecasts.simulated();
    Json json;
    json["method"] = forecastMethodName(forecasts.method);
    json["origin"] = forecasts.origin;
    json["paths"] = simulated ? Json(forecasts.nPaths) : Json(nullptr);
    json["seed"] = simulated ? Json(forecasts.seed) : Json(nullptr);
    Json levels = Json::array();
    for (const ForecastInterval& interval : forecasts.intervals) {
        levels.push_back(interval.level);
    }
    json["levels"] = levels;
    Json steps = Json::array();
    for (int h = 1; h <= forecasts.horizon(); ++h) {
        const std::size_t i = static_cast<std::size_t>(h - 1);
        Json intervals = Json::array();
        for (const ForecastInterval& interval : forecasts.intervals) {
            intervals.push_back(Json{{"level", interval.level},
                                     {"lower", interval.lower[i]},
                                     {"upper", interval.upper[i]}});
        }
        Json step;
        step["step"] = h;
        if (!dates.empty()) {
            step["date"] = dates[i] == "NA" ? Json(nullptr) : Json(dates[i]);
        }
        step["forecast"] = forecasts.point[i];
        step["median"] = simulated ? Json(forecasts.median[i]) : Json(nullptr);
        step["intervals"] = intervals;
        steps.push_back(step);
    }
    json["steps"] = steps;
    return json;
}

Json dynamicCheckJson(const HoldoutCheck& check) {
    Json json;
    json["origin"] = check.forecasts.origin;
    Json steps = Json::array();
    for (int h = 1; h <= check.forecasts.horizon(); ++h) {
        const std::size_t i = static_cast<std::size_t>(h - 1);
        steps.push_back(Json{{"step", h},
                             {"observed", check.observed[i]},
                             {"forecast", check.forecasts.point[i]},
                             {"error", check.error[i]},
                             {"rmse", check.rmse[i]},
                             {"mae", check.mae[i]},
                             {"mape", check.mape[i]}});
    }
    json["steps"] = steps;
    return json;
}

// The whole report as one JSON value.
Json jsonReport(const RunOutcome& outcome, const RunSettings& settings,
                const DelayScanOutcome* scan, const RunStatistics* statistics,
                const ForecastOutcome* forecasts, const CliRequest* request) {
    const bool genetic = usesGeneticSearch(settings);
    Json json;
    json["settings"] = settingsJson(settings);
    json["mode"] = modeName(settings);
    if (request != nullptr && request->select != SelectCriterion::kNone) {
        // The model is the comparison's best row by this criterion, estimated at its thresholds.
        json["select"] = request->select == SelectCriterion::kBic ? "bic" : "aic";
    }
    json["seed"] = genetic ? Json(outcome.seed) : Json(nullptr);
    json["sample"] = sampleJson(outcome.sample);
    json["fitness"] = outcome.fitness;
    json["variance"] = outcome.seriesVariance;
    addModel(json, outcome.model);
    json["generations"] = genetic ? Json(settings.ga.nIterations + 1) : Json(nullptr);
    json["evaluations"] = outcome.evaluations;
    if (settings.form.ordersFixed()) {
        // Only for a model whose form is not the default, so default reports keep their keys.
        Json orders = Json::array();
        for (int i = 0; i < settings.form.nFixedOrders; ++i) {
            orders.push_back(settings.form.fixedOrders[i]);
        }
        json["fixedOrders"] = orders;
    }
    if (!settings.form.constant) {
        json["include"] = "none";
    }
    if (settings.form.trend) {
        json["include"] = "trend";
    }
    if (settings.form.lagsGiven()) {
        json["lags"] = std::vector<int>(settings.form.lags.begin(),
                                        settings.form.lags.begin() + settings.form.nLags);
    }
    // Only for a threshold variable other than the own lag, so default reports keep their keys.
    if (!settings.thresholdVariable.isOwn()) {
        Json variable = Json::object();
        variable["kind"] = settings.thresholdVariable.isColumn() ? "column" : "difference";
        if (settings.thresholdVariable.isColumn()) {
            variable["name"] = settings.thresholdVariable.column;
        }
        json["thresholdVariable"] = variable;
    }
    if (outcome.exactFitness) {
        json["exactFitness"] = *outcome.exactFitness;
    }
    if (outcome.exactScope && !outcome.exactScope->everyValue) {
        json["thresholdCandidates"] = outcome.exactScope->candidates;
    }
    if (scan != nullptr) {
        Json delays = Json::array();
        for (std::size_t i = 0; i < scan->delays.size(); ++i) {
            Json entry{{"delay", scan->delays[i]}, {"fitness", scan->fitness[i]}};
            if (i < scan->aic.size() && i < scan->bic.size()) {
                entry["aic"] = orNull(scan->aic[i]);
                entry["bic"] = orNull(scan->bic[i]);
            }
            delays.push_back(entry);
        }
        json["delayScan"] = delays;
        json["bestDelay"] = scan->bestDelay;
    }
    if (statistics != nullptr) {
        addStatistics(json, *statistics);
    }
    if (forecasts != nullptr) {
        json["forecasts"] = forecastsJson(forecasts->forecasts, forecasts->dates);
        json["dynamicCheck"] =
            forecasts->holdout ? dynamicCheckJson(*forecasts->holdout) : Json(nullptr);
    }
    if (request != nullptr && request->wantsSimulation()) {
        json["simulation"] = Json{{"file", request->simulatePath},
                                  {"values", request->simulateLength},
                                  {"method", forecastMethodName(request->forecast.method)},
                                  {"seed", request->forecast.seed}};
    }
    // The library writes a non-finite double as null.
    return json;
}

}  // namespace

std::string formatJsonReport(const RunOutcome& outcome, const RunSettings& settings,
                             const DelayScanOutcome* scan, const RunStatistics* statistics,
                             const ForecastOutcome* forecasts, const CliRequest* request) {
    return jsonReport(outcome, settings, scan, statistics, forecasts, request).dump(2) + "\n";
}

std::string formatJsonLine(const RunOutcome& outcome, const RunSettings& settings,
                           const DelayScanOutcome* scan, const RunStatistics* statistics,
                           const ForecastOutcome* forecasts, const CliRequest* request) {
    return jsonReport(outcome, settings, scan, statistics, forecasts, request).dump() + "\n";
}

}  // namespace kavri::cli
