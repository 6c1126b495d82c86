#include "model/run_settings.h"

namespace kavri {

ModelParameters modelPrefill() {
    ModelParameters model;
    model.nObservations = 450;
    model.maxRegimes = 4;
    model.maxOrder = 4;
    model.delay = 1;
    model.minObs = 30;
    model.seriesPath = "ExchangeRate.txt";
    model.selectModel = kSelectModelSearch;
    model.nThresholds = 0;
    model.thresholds = {0.0, 0.0, 0.0};
    model.nPredictions = 50;
    model.nAutocorrelations = 10;
    return model;
}

GaParameters gaPrefill() {
    GaParameters ga;
    ga.pCrossover = 0.9;
    ga.pMutation = 0.001;
    ga.pSelection = 0.9;
    ga.nChromosomes = 30;
    ga.nIterations = 300;
    ga.adjustingConstant = 1.0;
    ga.printResiduals = kPrintResidualsYes;
    ga.criterion = kCriterionAbsolute;
    ga.fitnessKind = kFitnessAic;
    ga.searchMethod = kSearchGenetic;
    return ga;
}

void applyModelRunDefaults(ModelParameters& model) {
    ModelParameters defaults = modelPrefill();
    // The user's thresholds have no run default: they stay as the record holds them.
    defaults.nThresholds = model.nThresholds;
    defaults.thresholds = model.thresholds;
    model = defaults;
}

GaParameters gaRunDefaults() {
    GaParameters ga = gaPrefill();
    ga.pMutation = 0.01;
    ga.pSelection = 0.6;
    ga.nIterations = 100;
    ga.fitnessKind = kFitnessMse;
    ga.criterion = kCriterionRelative;
    ga.printResiduals = kPrintResidualsNo;
    return ga;
}

void applyRunDefaults(RunSettings& settings) {
    if (settings.modelDialogCount == 0) {
        applyModelRunDefaults(settings.model);
    }
    if (settings.gaDialogCount == 0) {
        settings.ga = gaRunDefaults();
    }
}

}  // namespace kavri
