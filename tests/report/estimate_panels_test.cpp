#include "report/estimate_panels.h"

#include <gtest/gtest.h>

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

TEST(EstimatePanels, OrderElevenOnlyWithOneThresholdAndTwelveNever) {
    ResultTexts texts = earlierRun();
    RecordingObserver observer;
    showEstimatePanels(1, modelWithOrders({12, 11}), texts, observer);
    EXPECT_EQ(texts.estimatePanel1, "earlier 1");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant= 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\n"
              "P(3) = -0.750000\nP(4) = -1.000000\nP(5) =-1.250000\nP(6) =-1.500000\n"
              "P(7) = -1.750000\nP(8) = -2.000000\nP(9) = -2.250000\nP(10) = -2.500000\n"
              "P(11) = -2.750000\n");
    EXPECT_EQ(observer.shown.size(), 1u);

    // Orders 11 and 0 have no format without exactly one threshold, nor does a threshold count
    // outside 0..3: the panels keep the earlier texts and nothing is refreshed.
    for (int nThresholds : {-1, 0, 2, 3, 4}) {
        ResultTexts kept = earlierRun();
        RecordingObserver none;
        showEstimatePanels(nThresholds, modelWithOrders({11, 0, 11, 11}), kept, none);
        EXPECT_EQ(kept, earlierRun()) << nThresholds;
        EXPECT_TRUE(none.shown.empty()) << nThresholds;
    }
}

}  // namespace
}  // namespace kavri
