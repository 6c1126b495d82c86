#include "inference/diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "inference/distributions.h"
#include "model/regime_rule.h"
#include "model/setar_equation.h"

// LAPACK's general eigenvalue routine (Fortran calling convention, with the hidden lengths of
// the two character arguments).
extern "C" void dgeev_(const char* jobvl, const char* jobvr, const int* n, double* a,
                       const int* lda, double* wr, double* wi, double* vl, const int* ldvl,
                       double* vr, const int* ldvr, double* work, const int* lwork, int* info,
                       std::size_t jobvlLength, std::size_t jobvrLength);

namespace kavri {

namespace {

constexpr double kUnitRootTolerance = 1e-6;
constexpr int kSkeletonSteps = 20000;
constexpr int kSkeletonTail = 2000;
constexpr int kLongestCycle = 200;
constexpr double kDivergence = 1e6;

double largestMagnitude(const std::vector<double>& values) {
    double largest = 0.0;
    for (double v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

// Portmanteau statistic of the autocorrelations r[1 .. lags] of a series of length m.
double portmanteau(const std::vector<double>& r, int lags, int m) {
    double sum = 0.0;
    for (int k = 1; k <= lags; ++k) {
        sum += r[static_cast<std::size_t>(k)] * r[static_cast<std::size_t>(k)] / (m - k);
    }
    return m * (m + 2.0) * sum;
}

std::vector<double> autocorrelationsOf(const std::vector<double>& a, int lags) {
    const int m = static_cast<int>(a.size());
    double mean = 0.0;
    for (double v : a) mean += v;
    mean /= m;
    double c0 = 0.0;
    for (double v : a) c0 += (v - mean) * (v - mean);
    std::vector<double> r(static_cast<std::size_t>(lags) + 1, 0.0);
    r[0] = 1.0;
    if (c0 == 0.0) {
        return r;
    }
    for (int k = 1; k <= lags; ++k) {
        double ck = 0.0;
        for (int t = k; t < m; ++t) ck += (a[t] - mean) * (a[t - k] - mean);
        r[static_cast<std::size_t>(k)] = ck / c0;
    }
    return r;
}

}  // namespace

std::vector<std::complex<double>> characteristicRoots(const std::vector<double>& coefficients) {
    int p = static_cast<int>(coefficients.size()) - 1;
    while (p > 0 && coefficients[static_cast<std::size_t>(p)] == 0.0) {
        --p;
    }
    std::vector<std::complex<double>> roots;
    if (p <= 0) {
        return roots;
    }
    // The companion matrix, column-major: first row c_1 .. c_p, ones on the subdiagonal.
    std::vector<double> a(static_cast<std::size_t>(p) * p, 0.0);
    for (int j = 0; j < p; ++j) {
        a[static_cast<std::size_t>(j) * p] = coefficients[static_cast<std::size_t>(j) + 1];
    }
    for (int i = 1; i < p; ++i) {
        a[static_cast<std::size_t>(i - 1) * p + i] = 1.0;
    }
    std::vector<double> wr(static_cast<std::size_t>(p));
    std::vector<double> wi(static_cast<std::size_t>(p));
    int lwork = -1;
    int info = 0;
    double query = 0.0;
    const int one = 1;
    double unused = 0.0;
    dgeev_("N", "N", &p, a.data(), &p, wr.data(), wi.data(), &unused, &one, &unused, &one, &query,
           &lwork, &info, 1, 1);
    lwork = std::max(1, static_cast<int>(query));
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dgeev_("N", "N", &p, a.data(), &p, wr.data(), wi.data(), &unused, &one, &unused, &one,
           work.data(), &lwork, &info, 1, 1);
    if (info != 0) {
        return roots;
    }
    for (int i = 0; i < p; ++i) {
        // z = 1 / lambda; lambda = 0 cannot occur with c_p != 0.
        roots.push_back(1.0 / std::complex<double>(wr[static_cast<std::size_t>(i)],
                                                   wi[static_cast<std::size_t>(i)]));
    }
    std::sort(roots.begin(), roots.end(), [](const auto& a1, const auto& a2) {
        if (std::abs(a1) != std::abs(a2)) return std::abs(a1) < std::abs(a2);
        if (a1.real() != a2.real()) return a1.real() < a2.real();
        return a1.imag() < a2.imag();
    });
    return roots;
}

SkeletonLongRun skeletonLongRun(const ReportedModel& model) {
    SkeletonLongRun result;
    const int nRegimes = static_cast<int>(model.regimes.size());
    const int n = static_cast<int>(model.regimeOfObservation.size());
    int memory = model.delay;
    for (const RegimeReport& regime : model.regimes) {
        memory = std::max(memory, regime.order);
    }
    if (model.thresholdVariable == ThresholdVariableKind::kColumn) {
        result.behaviour = SkeletonBehaviour::kExogenous;
        return result;
    }
    // The change x[t-d] - x[t-d-1] reaches one value further back.
    const bool difference = model.thresholdVariable == ThresholdVariableKind::kDifference;
    if (difference) {
        memory = std::max(memory, model.delay + 1);
    }
    if (nRegimes == 0 || n < memory || memory == 0) {
        return result;
    }
    const double scale = std::max(largestMagnitude(model.series), 1e-300);
    std::vector<double> x(model.series.begin() + (n - memory), model.series.begin() + n);
    x.reserve(static_cast<std::size_t>(memory + kSkeletonSteps));
    for (int step = 0; step < kSkeletonSteps; ++step) {
        const std::size_t t = x.size();
        const std::size_t lagged = t - static_cast<std::size_t>(model.delay);
        const double z = difference ? x[lagged] - x[lagged - 1] : x[lagged];
        const int r = regimeOfValue(z, model.thresholds.data(), nRegimes, kWholeSeriesFitTie);
        const std::vector<double>& c = model.regimes[static_cast<std::size_t>(r)].coefficients;
        // x[t] is the observation numbered n - memory + t + 1: a trend goes on growing.
        const double value =
            withTrend(regimeEquation(c.data(), static_cast<int>(c.size()) - 1, x.data() + t),
                      model.trend, model.regimes[static_cast<std::size_t>(r)].trend,
                      static_cast<double>(n - memory) + static_cast<double>(t) + 1.0);
        if (!std::isfinite(value) || std::fabs(value) > kDivergence * scale) {
            result.behaviour = SkeletonBehaviour::kDiverges;
            return result;
        }
        x.push_back(value);
    }
    const std::size_t end = x.size();
    const std::size_t begin = end - kSkeletonTail;
    const auto repeats = [&](std::size_t k, double tolerance) {
        for (std::size_t t = begin; t < end; ++t) {
            if (std::fabs(x[t] - x[t - k]) > tolerance * scale) return false;
        }
        return true;
    };
    if (repeats(1, 1e-9)) {
        result.behaviour = SkeletonBehaviour::kPoint;
        result.values = {x.back()};
        return result;
    }
    for (std::size_t k = 2; k <= static_cast<std::size_t>(kLongestCycle); ++k) {
        if (repeats(k, 1e-7)) {
            result.behaviour = SkeletonBehaviour::kCycle;
            result.values.assign(x.end() - static_cast<std::ptrdiff_t>(k), x.end());
            return result;
        }
    }
    return result;
}

std::vector<PortmanteauTest> ljungBoxByLag(const ReportedModel& model) {
    const int lagsFitted = model.mostLagsFitted();
    const std::vector<double>& acf = model.ownAutocorrelations();
    const int lags = std::max(0, static_cast<int>(acf.size()) - 1);
    const int n = static_cast<int>(model.regimeOfObservation.size());
    std::vector<PortmanteauTest> tests;
    for (int h = 1; h <= lags; ++h) {
        PortmanteauTest test;
        test.lags = h;
        test.df = h - lagsFitted;
        test.statistic = portmanteau(acf, h, n);
        if (test.df > 0) {
            test.pValue = chiSquaredUpperTail(test.statistic, test.df);
        }
        tests.push_back(test);
    }
    return tests;
}

ModelDiagnostics modelDiagnostics(const ReportedModel& model) {
    ModelDiagnostics diagnostics;
    for (std::size_t r = 0; r < model.regimes.size(); ++r) {
        const RegimeReport& regime = model.regimes[r];
        RegimeRoots roots;
        roots.regime = static_cast<int>(r) + 1;
        roots.roots = characteristicRoots(regime.coefficients);
        if (roots.roots.empty()) {
            continue;
        }
        for (const std::complex<double>& root : roots.roots) {
            roots.moduli.push_back(std::abs(root));
            roots.possibleUnitRoot =
                roots.possibleUnitRoot || std::abs(root) <= 1.0 + kUnitRootTolerance;
        }
        diagnostics.roots.push_back(roots);
    }
    diagnostics.skeleton = skeletonLongRun(model);
    diagnostics.ljungBoxByLag = ljungBoxByLag(model);
    const int lags = static_cast<int>(diagnostics.ljungBoxByLag.size());

    const std::vector<double>& residuals = model.ownResiduals();
    std::vector<double> squares;
    for (std::size_t t = 0; t < model.regimeOfObservation.size() && t < residuals.size(); ++t) {
        if (model.regimeOfObservation[t] >= 0) {
            squares.push_back(residuals[t] * residuals[t]);
        }
    }
    const int m = static_cast<int>(squares.size());
    if (lags > 0 && m >= lags + 2) {
        PortmanteauTest test;
        test.lags = lags;
        test.df = lags;
        test.statistic = portmanteau(autocorrelationsOf(squares, lags), lags, m);
        test.pValue = chiSquaredUpperTail(test.statistic, test.df);
        diagnostics.mcLeodLi = test;
    }
    return diagnostics;
}

}  // namespace kavri
