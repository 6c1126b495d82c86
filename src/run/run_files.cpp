#include "run/run_files.h"

namespace kavri {

void supersedeEarlierFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                           bool forecasts) {
    if (settings.model.nPredictions == 0) {
        set.supersede(files.predictionsPath());
    }
    if (!forecasts) {
        set.supersede(files.forecastsPath());
    }
}

void commitRunFiles(RunFileSet& set, const ResultFiles& files, const RunSettings& settings,
                    RunOutcome& outcome) {
    if (outcome.notice || !outcome.model.available) {
        set.discard();
        return;
    }
    supersedeEarlierFiles(set, files, settings, false);
    outcome.files = set.commit();
    if (outcome.files.notice) {
        outcome.notice = outcome.files.notice;
    }
}

}  // namespace kavri
