#include "cli/json_output.h"

#include <nlohmann/json.hpp>

#include "cli/text_output.h"

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
    for (const RegimeReport& regime : model.regimes) {
        regimes.push_back(regimeJson(regime));
    }
    json["regimes"] = regimes;
    json["effectiveObservations"] = model.effectiveObservations;
    json["naic"] = model.naic;
    json["aic"] = model.aic;
    json["residualVariance"] = model.residualVariance;
    json["mse"] = orNull(model.forecastMse);
    json["ljungBox"] = model.ljungBox;
}

Json forecastsJson(const ForecastResult& forecasts) {
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
                             {"rmse", check.rmse[i]}});
    }
    json["steps"] = steps;
    return json;
}

}  // namespace

std::string formatJsonReport(const RunOutcome& outcome, const RunSettings& settings,
                             const DelayScanOutcome* scan, const ForecastOutcome* forecasts,
                             const CliRequest* request) {
    const bool genetic = usesGeneticSearch(settings);
    Json json;
    json["settings"] = settingsJson(settings);
    json["mode"] = modeName(settings);
    json["seed"] = genetic ? Json(outcome.seed) : Json(nullptr);
    json["fitness"] = outcome.fitness;
    json["variance"] = outcome.seriesVariance;
    addModel(json, outcome.model);
    json["generations"] = genetic ? Json(settings.ga.nIterations + 1) : Json(nullptr);
    json["evaluations"] = outcome.evaluations;
    if (outcome.exactFitness) {
        json["exactFitness"] = *outcome.exactFitness;
    }
    if (scan != nullptr) {
        Json delays = Json::array();
        for (std::size_t i = 0; i < scan->delays.size(); ++i) {
            delays.push_back(Json{{"delay", scan->delays[i]}, {"fitness", scan->fitness[i]}});
        }
        json["delayScan"] = delays;
        json["bestDelay"] = scan->bestDelay;
    }
    if (forecasts != nullptr) {
        json["forecasts"] = forecastsJson(forecasts->forecasts);
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
    return json.dump(2) + "\n";
}

}  // namespace kavri::cli
