#pragma once

// Every parameter of a run. The model group is edited by the model-parameter dialog, the
// genetic-algorithm group by the genetic-algorithm dialog. Each group has two sets of starting
// values: the pre-fill that its dialog shows until it has been accepted once, and the run
// defaults that a run writes into a group whose dialog was never accepted. They differ on
// purpose for several genetic parameters, and both front ends take them from here.

#include <array>
#include <string>

#include "model/model_form.h"
#include "model/threshold_variable.h"

namespace kavri {

// Radio groups are stored as the 0-based index of the selected button.
inline constexpr int kSelectModelGivenThresholds = 0;  // "Yes"
inline constexpr int kSelectModelSearch = 1;           // "No"
inline constexpr int kCriterionAbsolute = 0;
inline constexpr int kCriterionRelative = 1;
inline constexpr int kFitnessAic = 0;
inline constexpr int kFitnessMse = 1;
inline constexpr int kPrintResidualsYes = 0;
inline constexpr int kPrintResidualsNo = 1;

// How the thresholds are searched when they are not given by the user.
inline constexpr int kSearchGenetic = 0;
inline constexpr int kSearchExact = 1;

struct ModelParameters {
    int delay = 0;
    int maxOrder = 0;
    int nObservations = 0;
    int maxRegimes = 0;
    int minObs = 0;
    std::string seriesPath;
    int selectModel = kSelectModelSearch;
    int nThresholds = 0;
    std::array<double, 3> thresholds{};  // Threshold 1, Threshold 2, Threshold 3
    int nPredictions = 0;
    int nAutocorrelations = 0;

    bool operator==(const ModelParameters&) const = default;
};

struct GaParameters {
    int nChromosomes = 0;
    int nIterations = 0;
    double pCrossover = 0.0;
    double pMutation = 0.0;
    double pSelection = 0.0;
    int printResiduals = kPrintResidualsYes;
    int criterion = kCriterionAbsolute;
    int fitnessKind = kFitnessAic;
    double adjustingConstant = 0.0;
    int searchMethod = kSearchGenetic;

    bool operator==(const GaParameters&) const = default;
};

// Which values of the series file a run takes. Not part of either dialog group, so no run
// default overwrites it.
struct SeriesChoice {
    // The column of a table (comma, semicolon or tab separated) holding the series: a header
    // name or a 1-based number; empty for the only numeric column, else the last one.
    std::string column;
    // The sample starts after the first `skip` values of the file...
    int skip = 0;
    // ...or, when set, is the last nObservations + nPredictions values of the file.
    bool last = false;
    // Lines at the top of the file that are not part of it (titles, sources), passed over
    // before the layout is recognised.
    int skipLines = 0;

    bool operator==(const SeriesChoice&) const = default;
};

struct RunSettings {
    ModelParameters model;
    GaParameters ga;
    SeriesChoice series;
    // Fixed orders; not part of either dialog group, so no run default overwrites it.
    ModelForm form;
    // The variable whose lagged value chooses the regime; the series itself by default. Not
    // part of either dialog group either.
    ThresholdVariable thresholdVariable;
    int modelDialogCount = 0;  // times the model dialog was accepted; only 0 matters
    int gaDialogCount = 0;

    bool operator==(const RunSettings&) const = default;
};

// What each dialog shows while it has never been accepted; afterwards it shows the settings.
ModelParameters modelPrefill();
GaParameters gaPrefill();

// What a run assumes for a group whose dialog was never accepted. The model run defaults leave
// nThresholds and thresholds as they are; the genetic ones use 101 generations, mutation 0.01,
// selection 0.6, MSE fitness, the Relative criterion and no residual table.
void applyModelRunDefaults(ModelParameters& model);
GaParameters gaRunDefaults();

// Writes the run defaults into every group whose dialog count is 0.
void applyRunDefaults(RunSettings& settings);

// Inclusive ranges that the dialogs and the command line enforce. The command line takes
// longer series than the dialogs (kCommandLine...), everything else alike.
struct IntRange {
    int min;
    int max;
};
struct RealRange {
    double min;
    double max;
};

namespace limits {
inline constexpr IntRange kDelay{1, 10};
inline constexpr IntRange kMaxOrder{1, 20};
inline constexpr IntRange kObservations{50, 1000};
inline constexpr IntRange kMaxRegimes{1, 4};
inline constexpr IntRange kMinObs{20, 100};
inline constexpr IntRange kThresholds{0, 3};
inline constexpr IntRange kPredictions{0, 100};
inline constexpr IntRange kAutocorrelations{0, 24};
inline constexpr IntRange kChromosomes{0, 200};
inline constexpr IntRange kIterations{0, 1000};
inline constexpr RealRange kProbability{0.0, 1.0};
inline constexpr RealRange kAdjustingConstant{1.0, 100000.0};
inline constexpr IntRange kCommandLineObservations{50, 1000000};
inline constexpr IntRange kCommandLinePredictions{0, 100000};
// Threshold candidates of the exact search (kavri-cli --candidates).
inline constexpr IntRange kThresholdCandidates{1, 1000000};
}  // namespace limits

}  // namespace kavri
