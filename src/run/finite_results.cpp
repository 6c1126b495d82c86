#include "run/finite_results.h"

#include <cctype>
#include <cfloat>
#include <cmath>

#include "model/notices.h"
#include "model/text_format.h"

namespace kavri {

namespace {

const char* describeValue(double value) {
    if (std::isnan(value)) {
        return "not a number";
    }
    return value > 0 ? "infinite" : "minus infinite";
}

}  // namespace

MaybeNotice FiniteResults::check(const ReportedModel& model) const {
    const int nThresholds = static_cast<int>(model.thresholds.size());
    if (MaybeNotice notice = check(model.thresholds.data(), nThresholds, "threshold %d")) {
        return notice;
    }
    for (std::size_t r = 0; r < model.regimes.size(); ++r) {
        const RegimeReport& regime = model.regimes[r];
        const int number = static_cast<int>(r) + 1;
        for (std::size_t q = 0; q < regime.coefficients.size(); ++q) {
            const std::string what = q == 0 ? formatText("the constant of regime %d", number)
                                            : formatText("the lag %d coefficient of regime %d",
                                                         static_cast<int>(q), number);
            if (MaybeNotice notice = check(what, regime.coefficients[q])) {
                return notice;
            }
        }
        if (MaybeNotice notice =
                check(formatText("the trend coefficient of regime %d", number), regime.trend)) {
            return notice;
        }
        if (MaybeNotice notice = check(formatText("the residual variance of regime %d", number),
                                       regime.residualVariance)) {
            return notice;
        }
        if (regime.rSquare) {
            if (MaybeNotice notice =
                    check(formatText("the R square of regime %d", number), *regime.rSquare)) {
                return notice;
            }
        }
    }
    const std::pair<const char*, double> numbers[] = {
        {"NAIC", model.naic},
        {"AIC", model.aic},
        {"the residual variance", model.residualVariance},
        {"the forecast MSE", model.forecastMse.value_or(0.0)},
        {"the Ljung-Box statistic", model.ljungBox},
        {"the fitness", model.fitness},
    };
    for (const auto& [what, value] : numbers) {
        if (MaybeNotice notice = check(what, value)) {
            return notice;
        }
    }
    return std::nullopt;
}

MaybeNotice FiniteResults::check(const double* values, int n, const char* nameFormat) const {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) {
            return notice(formatText(nameFormat, i + 1), values[i]);
        }
    }
    return std::nullopt;
}

MaybeNotice FiniteResults::check(const std::string& what, double value) const {
    if (!std::isfinite(value)) {
        return notice(what, value);
    }
    return std::nullopt;
}

Notice FiniteResults::notice(const std::string& what, double value) const {
    if (MaybeNotice series = checkSeries()) {
        return *series;
    }
    const char* reason =
        std::isinf(value)
            ? "it exceeds the largest double (about 1.8e+308); rescale the series by a power "
              "of ten"
            : "the arithmetic lost every digit, as in a regression whose columns are collinear "
              "to rounding";
    std::string detail = formatText("%s is %s: %s.", what.c_str(), describeValue(value), reason);
    detail[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(detail[0])));
    return notFiniteNotice(std::move(detail));
}

MaybeNotice FiniteResults::checkFitness(double fitness, double naic,
                                        double adjustingConstant) const {
    if (std::isfinite(fitness)) {
        return std::nullopt;
    }
    if (!std::isfinite(naic)) {
        return notice("NAIC", naic);
    }
    // Every regime's m ln(SSE / m) moves by m ln(10^2) per power of ten, NAIC by ln(10^2).
    return notFiniteNotice(formatText(
        "The fitness exp(-NAIC / %g) is %s at NAIC = %g: the NAIC falls by about 4.6 for every "
        "power of ten by which the series is scaled down. Multiply the series by a power of "
        "ten, or raise the adjusting constant.",
        adjustingConstant, describeValue(fitness), naic));
}

MaybeNotice FiniteResults::checkSeries() const {
    // Values that did not come through the reader (which refuses them) may be anything.
    for (int t = 0; t < count_; ++t) {
        if (!std::isfinite(x_[t])) {
            return notFiniteNotice(
                formatText("Element %d of the series is %s.", t + 1, describeValue(x_[t])));
        }
    }
    if (count_ <= 0) {
        return std::nullopt;
    }
    // Every sum of squares or cross products of the estimation is at most this one (Cauchy-
    // Schwarz), so when it is finite they all are.
    double sumOfSquares = 0.0;
    int largest = 0;
    double lowest = x_[0];
    double highest = x_[0];
    for (int t = 0; t < count_; ++t) {
        sumOfSquares += x_[t] * x_[t];
        if (std::fabs(x_[t]) > std::fabs(x_[largest])) {
            largest = t;
        }
        lowest = std::fmin(lowest, x_[t]);
        highest = std::fmax(highest, x_[t]);
    }
    if (!std::isfinite(sumOfSquares)) {
        return seriesTooLargeNotice(formatText(
            "Element %d (%g) is too large: the sums of squares and cross products of the "
            "estimation would exceed the largest double (about 1.8e+308). Divide the series by "
            "a power of ten so that its values stay below about 1e+150.",
            largest + 1, x_[largest]));
    }
    // The range bounds every deviation from a mean. Equal values have no spread to lose; their
    // regressions are singular anyway.
    const double range = highest - lowest;
    if (range == 0.0 || !(range * range < DBL_MIN)) {
        return std::nullopt;
    }
    return seriesTooSmallNotice(formatText(
        "Its values differ by at most %g, whose square is below the smallest normal double "
        "(about 2.2e-308): the sums of squares would lose their digits. Multiply the series by "
        "a power of ten so that its values differ by about 1e-150 or more.",
        range));
}

}  // namespace kavri
