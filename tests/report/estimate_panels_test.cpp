#include "report/estimate_panels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavri {
namespace {

class RecordingObserver final : public RunObserver {
 public:
    void refresh(const ResultTexts& texts) override { shown.push_back(texts); }
    std::vector<ResultTexts> shown;
};

ResultTexts earlierRun() {
    ResultTexts texts;
    texts.estimatePanel1 = "earlier 1";
    texts.estimatePanel2 = "earlier 2";
    texts.estimatePanel3 = "earlier 3";
    texts.estimatePanel4 = "earlier 4";
    return texts;
}

// Regime r: constant (r + 1) / 2, lag k coefficient -k / 4 (exact in binary).
FittedModel modelWithOrders(std::vector<int> orders) {
    FittedModel model(12);
    model.nRegimes = static_cast<int>(orders.size());
    for (int r = 0; r < model.nRegimes; ++r) {
        model.regimeOrders[r] = orders[r];
        model.regimeCoefficients[r][0] = (r + 1) / 2.0;
        for (int k = 1; k <= 12; ++k) model.regimeCoefficients[r][k] = -k / 4.0;
    }
    return model;
}

TEST(EstimatePanels, OneRegimeOfOrderOneWritesOnlyPanelOneAndRefreshesOnce) {
    ResultTexts texts = earlierRun();
    RecordingObserver observer;
    showEstimatePanels(0, modelWithOrders({1}), texts, observer);

    ResultTexts expected = earlierRun();
    expected.estimatePanel1 = " Regime : 1\nCostante=0.500000\nP(1)=-0.250000\n";
    EXPECT_EQ(texts, expected);
    ASSERT_EQ(observer.shown.size(), 1u);
    EXPECT_EQ(observer.shown[0], expected);
}

TEST(EstimatePanels, OneThresholdHasItsOwnSpacing) {
    ResultTexts texts = earlierRun();
    RecordingObserver observer;
    showEstimatePanels(1, modelWithOrders({1, 2}), texts, observer);
    EXPECT_EQ(texts.estimatePanel1, " Regime : 1\nConstant=0.500000\nP(1)=-0.250000\n");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant = 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\n");
    EXPECT_EQ(texts.estimatePanel3, "earlier 3");
    EXPECT_EQ(observer.shown.size(), 2u);
}

// The eleven-lag format filled with the coefficients of modelWithOrders' regime `regime`.
std::string elevenLags(int regime, const char* constant) {
    return " Regime : " + std::to_string(regime) + "\nConstant= " + constant +
           "\nP(1) = -0.250000\nP(2) =-0.500000\nP(3) = -0.750000\nP(4) = -1.000000\n"
           "P(5) =-1.250000\nP(6) =-1.500000\nP(7) = -1.750000\nP(8) = -2.000000\n"
           "P(9) = -2.250000\nP(10) = -2.500000\nP(11) = -2.750000\n";
}

TEST(EstimatePanels, OrdersBeyondTheTableContinueTheElevenLagPattern) {
    ResultTexts texts = earlierRun();
    RecordingObserver observer;
    showEstimatePanels(1, modelWithOrders({12, 11}), texts, observer);
    EXPECT_EQ(texts.estimatePanel1, elevenLags(1, "0.500000") + "P(12) = -3.000000\n");
    EXPECT_EQ(texts.estimatePanel2, elevenLags(2, "1.000000"));
    EXPECT_EQ(observer.shown.size(), 2u);

    // Order 11 has a format of its own only with exactly one threshold; with 0, 2 or 3 it is
    // shown in the same pattern, and so is the highest order the settings allow (19).
    for (int nThresholds : {0, 2, 3}) {
        ResultTexts shown = earlierRun();
        RecordingObserver counted;
        FittedModel model = modelWithOrders({11, 11, 11, 11});
        showEstimatePanels(nThresholds, model, shown, counted);
        EXPECT_EQ(shown.estimatePanel1, elevenLags(1, "0.500000")) << nThresholds;
        EXPECT_EQ(counted.shown.size(), static_cast<std::size_t>(nThresholds + 1));
    }
    FittedModel highest(19);
    highest.regimeOrders[0] = 19;
    highest.regimeCoefficients[0][0] = 0.5;
    for (int k = 1; k <= 19; ++k) highest.regimeCoefficients[0][k] = -k / 4.0;
    showEstimatePanels(0, highest, texts, observer);
    std::string expected = elevenLags(1, "0.500000");
    for (int k = 12; k <= 19; ++k) {
        expected += "P(" + std::to_string(k) + ") = " + std::to_string(-k / 4.0) + "\n";
    }
    EXPECT_EQ(texts.estimatePanel1, expected);
}

TEST(EstimatePanels, OrderZeroAndThresholdCountsOutsideTheModelWriteNothing) {
    // Order 0 (no autoregression fitted) has no equation to show, and a threshold count outside
    // 0..3 is no model: the panels keep their texts and nothing is refreshed.
    for (int nThresholds : {-1, 0, 2, 3, 4}) {
        ResultTexts kept = earlierRun();
        RecordingObserver none;
        showEstimatePanels(nThresholds, modelWithOrders({0, 0, 0, 0}), kept, none);
        EXPECT_EQ(kept, earlierRun()) << nThresholds;
        EXPECT_TRUE(none.shown.empty()) << nThresholds;
    }
    ResultTexts kept = earlierRun();
    RecordingObserver none;
    showEstimatePanels(4, modelWithOrders({1, 1, 1, 1}), kept, none);
    EXPECT_EQ(kept, earlierRun());
}

TEST(EstimatePanels, ASubsetOfLagsShowsOnlyTheLagsFittedAndATrendShowsItsSlope) {
    // Lags 1, 2 and 9: regime 1 fitted all three (order 9), regime 2 only the first (order 1).
    FittedModel subset = modelWithOrders({9, 1});
    subset.nLags = 3;
    subset.lags[0] = 1;
    subset.lags[1] = 2;
    subset.lags[2] = 9;
    ResultTexts texts = earlierRun();
    RecordingObserver observer;
    showEstimatePanels(1, subset, texts, observer);
    EXPECT_EQ(texts.estimatePanel1,
              " Regime : 1\nConstant= 0.500000\nP(1) = -0.250000\nP(2) =-0.500000\n"
              "P(9) = -2.250000\n");
    EXPECT_EQ(texts.estimatePanel2, " Regime : 2\nConstant=1.000000\nP(1)=-0.250000\n");
    EXPECT_EQ(observer.shown.size(), 2u);

    // A lag beyond the eleven-lag layout keeps its own line, and the slope follows the constant.
    FittedModel seasonal = modelWithOrders({12, 2});
    seasonal.nLags = 2;
    seasonal.lags[0] = 1;
    seasonal.lags[1] = 12;
    seasonal.regimeOrders[1] = 1;
    seasonal.trend = true;
    seasonal.trendCoefficients = {0.125, -0.0625, 0.0, 0.0};
    showEstimatePanels(1, seasonal, texts, observer);
    EXPECT_EQ(texts.estimatePanel1,
              " Regime : 1\nConstant= 0.500000\nTrend = 0.125000\nP(1) = -0.250000\n"
              "P(12) = -3.000000\n");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant=1.000000\nTrend = -0.062500\nP(1)=-0.250000\n");

    // A trend with the lags 1 .. p adds only its line to the default layout.
    FittedModel trend = modelWithOrders({2});
    trend.trend = true;
    trend.trendCoefficients[0] = 0.25;
    showEstimatePanels(0, trend, texts, observer);
    EXPECT_EQ(texts.estimatePanel1,
              " Regime : 1\nConstant= 0.500000\nTrend = 0.250000\nP(1) = -0.250000\n"
              "P(2) =-0.500000\n");
}

}  // namespace
}  // namespace kavri
