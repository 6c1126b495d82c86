#include "run/run_outcome.h"

namespace kavri {

void attachSample(RunOutcome& outcome, SeriesSample sample) {
    if (outcome.model.available) {
        outcome.model.labels = sample.labels;
    }
    outcome.sample = std::move(sample);
}

}  // namespace kavri
