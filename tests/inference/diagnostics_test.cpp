#include "inference/diagnostics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kavri {
namespace {

// 1 - 1.5 z + 0.56 z^2 = (1 - 0.8 z)(1 - 0.7 z): roots 1.25 and 1/0.7. 1 + 0.25 z^2: +-2i.
TEST(Diagnostics, CharacteristicRootsOfHandFactoredPolynomials) {
    const std::vector<std::complex<double>> real = characteristicRoots({0.3, 1.5, -0.56});
    ASSERT_EQ(real.size(), 2u);
    EXPECT_NEAR(real[0].real(), 1.25, 1e-12);
    EXPECT_NEAR(real[1].real(), 1.0 / 0.7, 1e-12);
    EXPECT_NEAR(real[0].imag(), 0.0, 1e-12);

    const std::vector<std::complex<double>> complex = characteristicRoots({0.0, 0.0, -0.25});
    ASSERT_EQ(complex.size(), 2u);
    EXPECT_NEAR(std::abs(complex[0]), 2.0, 1e-12);
    EXPECT_NEAR(complex[0].real(), 0.0, 1e-12);
    EXPECT_NEAR(std::fabs(complex[0].imag()), 2.0, 1e-12);

    EXPECT_TRUE(characteristicRoots({1.0}).empty());
    EXPECT_EQ(characteristicRoots({1.0, 0.5, 0.0}).size(), 1u);  // a vanishing last lag
}

ReportedModel model(std::vector<std::vector<double>> coefficients, std::vector<double> thresholds,
                    std::vector<double> series) {
    ReportedModel m;
    m.available = true;
    m.delay = 1;
    m.thresholds = std::move(thresholds);
    for (std::vector<double>& c : coefficients) {
        RegimeReport regime;
        regime.order = static_cast<int>(c.size()) - 1;
        regime.coefficients = std::move(c);
        m.regimes.push_back(regime);
    }
    m.series = series;
    m.regimeOfObservation.assign(series.size(), 0);
    m.regimeOfObservation[0] = -1;
    m.residuals.assign(series.size(), 0.0);
    return m;
}

TEST(Diagnostics, UnitRootsAreFlaggedAndTheSkeletonsLongRunNamed) {
    // x = 1 + 0.5 x: the point 2, and a root 2 outside the unit circle.
    ModelDiagnostics point = modelDiagnostics(model({{1.0, 0.5}}, {}, {0.0, 5.0, 3.0}));
    ASSERT_EQ(point.roots.size(), 1u);
    EXPECT_FALSE(point.roots[0].possibleUnitRoot);
    EXPECT_EQ(point.skeleton.behaviour, SkeletonBehaviour::kPoint);
    EXPECT_NEAR(point.skeleton.values[0], 2.0, 1e-9);

    // A random walk with drift in the upper regime: a root on the unit circle.
    ModelDiagnostics walk =
        modelDiagnostics(model({{0.0, 0.5}, {0.1, 1.0}}, {10.0}, {0.0, 1.0, 2.0}));
    ASSERT_EQ(walk.roots.size(), 2u);
    EXPECT_FALSE(walk.roots[0].possibleUnitRoot);
    EXPECT_TRUE(walk.roots[1].possibleUnitRoot);
    EXPECT_EQ(walk.roots[1].regime, 2);

    // Below 0.5 jump to 1, from 0.5 on fall to 0: the cycle 1, 0 (or 0, 1).
    ModelDiagnostics cycle =
        modelDiagnostics(model({{1.0, 0.0}, {0.0, 0.0}}, {0.5}, {0.0, 0.3, 0.7}));
    EXPECT_EQ(cycle.skeleton.behaviour, SkeletonBehaviour::kCycle);
    ASSERT_EQ(cycle.skeleton.values.size(), 2u);
    EXPECT_EQ(cycle.skeleton.values[0] + cycle.skeleton.values[1], 1.0);

    ModelDiagnostics explosive = modelDiagnostics(model({{1.0, 2.0}}, {}, {0.0, 1.0, 2.0}));
    EXPECT_EQ(explosive.skeleton.behaviour, SkeletonBehaviour::kDiverges);
    EXPECT_TRUE(explosive.roots[0].possibleUnitRoot);  // the root 0.5
}

// Residuals 1, -2, 1, -2, 1, -2: squares 1, 4, 1, ... with deviations -+1.5 from their mean,
// so r_1 = 5 (-2.25) / (6 * 2.25) = -5/6 and Q(1) = 6 * 8 * (25/36) / 5 = 20/3; the
// chi-square(1) tail of 20/3 is erfc(sqrt(10/3)).
TEST(Diagnostics, McLeodLiOfHandWorkedSquares) {
    ReportedModel m = model({{0.0, 0.0}}, {}, std::vector<double>(7, 0.0));
    m.residuals = {0.0, 1.0, -2.0, 1.0, -2.0, 1.0, -2.0};
    m.autocorrelations = {1.0, 0.0};  // one lag
    const ModelDiagnostics d = modelDiagnostics(m);
    ASSERT_TRUE(d.mcLeodLi.has_value());
    EXPECT_EQ(d.mcLeodLi->lags, 1);
    EXPECT_EQ(d.mcLeodLi->df, 1);
    EXPECT_NEAR(d.mcLeodLi->statistic, 20.0 / 3.0, 1e-12);
    EXPECT_NEAR(*d.mcLeodLi->pValue, std::erfc(std::sqrt(10.0 / 3.0)), 1e-12);
}

}  // namespace
}  // namespace kavri
