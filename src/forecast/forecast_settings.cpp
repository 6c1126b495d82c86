#include "forecast/forecast_settings.h"

namespace kavri {

const char* forecastMethodName(ForecastMethod method) {
    switch (method) {
        case ForecastMethod::kSkeleton:
            return "skeleton";
        case ForecastMethod::kBootstrap:
            return "bootstrap";
        case ForecastMethod::kGaussian:
            return "gaussian";
    }
    return "bootstrap";
}

}  // namespace kavri
