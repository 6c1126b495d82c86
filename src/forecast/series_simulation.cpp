#include "forecast/series_simulation.h"

#include <cassert>

#include "forecast/innovations.h"
#include "forecast/path_random_stream.h"
#include "forecast/setar_recursion.h"

namespace kavri {

namespace {

// The stream's origin key: no forecast origin is negative, so a simulated series never
// shares its random numbers with the paths of a forecast made with the same seed.
constexpr std::uint64_t kSimulationStreamKey = ~0ull;

}  // namespace

std::vector<double> simulateSeries(const ReportedModel& model, int length, ForecastMethod method,
                                   std::uint64_t seed) {
    assert(model.available && length >= 0 && method != ForecastMethod::kSkeleton);
    // A simulated series has no place in the sample's time: the command line refuses a model
    // with a trend; nor does the model say how an exogenous threshold variable moves.
    assert(!model.trend);
    assert(model.thresholdVariable != ThresholdVariableKind::kColumn);
    const SetarRecursion recursion(model);
    const InnovationSource innovations(model, method);
    PathRandomStream stream(seed, kSimulationStreamKey, 0);
    const std::size_t memory = static_cast<std::size_t>(recursion.memory());
    assert(model.series.size() >= memory);

    std::vector<double> path(model.series.begin(),
                             model.series.begin() + static_cast<std::ptrdiff_t>(memory));
    const std::size_t total = memory + kSimulationBurnIn + static_cast<std::size_t>(length);
    path.reserve(total);
    while (path.size() < total) {
        path.push_back(0.0);
        double* next = &path.back();
        const int regime = recursion.fittedRegime(recursion.thresholdVariable(next, 0));
        *next = recursion.conditionalMean(regime, next) + innovations.draw(regime, stream);
    }
    return std::vector<double>(path.end() - length, path.end());
}

}  // namespace kavri
