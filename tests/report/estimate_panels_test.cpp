#include "report/estimate_panels.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kavri {
namespace {

// Keeps a copy of the texts at every refresh, so a test sees what was on screen each time.
class RecordingObserver final : public RunObserver {
 public:
    void refresh(const ResultTexts& texts) override { shown.push_back(texts); }
    std::vector<ResultTexts> shown;
};

ResultTexts textsOfAnEarlierRun() {
    ResultTexts texts;
    texts.estimatePanel1 = "earlier 1";
    texts.estimatePanel2 = "earlier 2";
    texts.estimatePanel3 = "earlier 3";
    texts.estimatePanel4 = "earlier 4";
    texts.aicText = "aic";
    return texts;
}

// Regime r gets constant (r + 1) / 2 and lag coefficient k of -k / 4, all exact in binary.
FittedModel modelWithOrders(std::vector<int> orders, int maxOrder = 12) {
    FittedModel model(maxOrder);
    model.nRegimes = static_cast<int>(orders.size());
    for (int r = 0; r < model.nRegimes; ++r) {
        model.regimeOrders[r] = orders[r];
        model.regimeCoefficients[r][0] = (r + 1) / 2.0;
        for (int k = 1; k <= maxOrder; ++k) {
            model.regimeCoefficients[r][k] = -k / 4.0;
        }
    }
    return model;
}

TEST(EstimatePanels, OneRegimeOfOrderOneUsesTheItalianConstantLabel) {
    FittedModel model(4);
    model.regimeOrders[0] = 1;
    model.regimeCoefficients[0][0] = 0.5;
    model.regimeCoefficients[0][1] = -0.25;
    ResultTexts texts = textsOfAnEarlierRun();
    RecordingObserver observer;

    showEstimatePanels(0, model, texts, observer);

    EXPECT_EQ(texts.estimatePanel1, " Regime : 1\nCostante=0.500000\nP(1)=-0.250000\n");
    EXPECT_EQ(texts.estimatePanel2, "earlier 2");
    EXPECT_EQ(texts.estimatePanel3, "earlier 3");
    EXPECT_EQ(texts.estimatePanel4, "earlier 4");
    EXPECT_EQ(texts.aicText, "aic");
    ASSERT_EQ(observer.shown.size(), 1u);
    EXPECT_EQ(observer.shown[0], texts);
}

TEST(EstimatePanels, OneThresholdUsesItsOwnSpacingInBothPanels) {
    ResultTexts texts = textsOfAnEarlierRun();
    RecordingObserver observer;

    showEstimatePanels(1, modelWithOrders({1, 2}), texts, observer);

    EXPECT_EQ(texts.estimatePanel1, " Regime : 1\nConstant=0.500000\nP(1)=-0.250000\n");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant = 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\n");
    EXPECT_EQ(texts.estimatePanel3, "earlier 3");
    EXPECT_EQ(texts.estimatePanel4, "earlier 4");
}

TEST(EstimatePanels, OneThresholdOrderFourDiffersBetweenTheTwoPanels) {
    ResultTexts texts;
    RecordingObserver observer;

    showEstimatePanels(1, modelWithOrders({4, 5}), texts, observer);

    EXPECT_EQ(texts.estimatePanel1,
              " Regime : 1\nConstant= 0.500000\nP(1) = -0.250000\nP(2) =-0.500000\n"
              "P(3) = -0.750000\nP(4) = -1.000000\n");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant = 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\n"
              "P(3) = -0.750000\nP(4) = -1.000000\nP(5) =-1.250000\n");
}

TEST(EstimatePanels, OrderElevenIsShownOnlyWithOneThreshold) {
    const std::string a11 =
        " Regime : 2\nConstant= 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\nP(3) = -0.750000\n"
        "P(4) = -1.000000\nP(5) =-1.250000\nP(6) =-1.500000\nP(7) = -1.750000\n"
        "P(8) = -2.000000\nP(9) = -2.250000\nP(10) = -2.500000\nP(11) = -2.750000\n";
    {
        ResultTexts texts = textsOfAnEarlierRun();
        RecordingObserver observer;
        showEstimatePanels(1, modelWithOrders({11, 11}, 11), texts, observer);
        EXPECT_EQ(texts.estimatePanel2, a11);
        EXPECT_EQ(observer.shown.size(), 2u);
    }
    for (int nThresholds : {0, 2, 3}) {
        SCOPED_TRACE(nThresholds);
        ResultTexts texts = textsOfAnEarlierRun();
        RecordingObserver observer;
        showEstimatePanels(nThresholds, modelWithOrders({11, 11, 11, 11}), texts, observer);
        EXPECT_EQ(texts, textsOfAnEarlierRun());
        EXPECT_TRUE(observer.shown.empty());
    }
}

TEST(EstimatePanels, OrderTenIsShownWithThreeThresholds) {
    ResultTexts texts;
    RecordingObserver observer;
    showEstimatePanels(3, modelWithOrders({1, 1, 1, 10}), texts, observer);
    EXPECT_EQ(texts.estimatePanel4,
              " Regime : 4\nConstant= 2.000000\nP(1) = -0.250000\nP(2) =-0.500000\n"
              "P(3) = -0.750000\nP(4) = -1.000000\nP(5) =-1.250000\nP(6) =-1.500000\n"
              "P(7) = -1.750000\nP(8) = -2.000000\nP(9) = -2.250000\nP(10) = -2.500000\n");
    EXPECT_EQ(texts.estimatePanel3, " Regime : 3\nCostante=1.500000\nP(1)=-0.250000\n");
}

TEST(EstimatePanels, OrdersWithoutAFormatKeepTheirPanelAndAreNotRefreshed) {
    ResultTexts texts = textsOfAnEarlierRun();
    RecordingObserver observer;

    showEstimatePanels(2, modelWithOrders({12, 2, 0}, 12), texts, observer);

    EXPECT_EQ(texts.estimatePanel1, "earlier 1");
    EXPECT_EQ(texts.estimatePanel2,
              " Regime : 2\nConstant= 1.000000\nP(1) = -0.250000\nP(2) =-0.500000\n");
    EXPECT_EQ(texts.estimatePanel3, "earlier 3");
    EXPECT_EQ(texts.estimatePanel4, "earlier 4");
    EXPECT_EQ(observer.shown.size(), 1u);
}

TEST(EstimatePanels, RefreshFollowsEachPanelInRegimeOrder) {
    ResultTexts texts = textsOfAnEarlierRun();
    RecordingObserver observer;

    showEstimatePanels(3, modelWithOrders({1, 2, 3, 4}), texts, observer);

    ASSERT_EQ(observer.shown.size(), 4u);
    EXPECT_NE(observer.shown[0].estimatePanel1, "earlier 1");
    EXPECT_EQ(observer.shown[0].estimatePanel2, "earlier 2");
    EXPECT_NE(observer.shown[1].estimatePanel2, "earlier 2");
    EXPECT_EQ(observer.shown[1].estimatePanel3, "earlier 3");
    EXPECT_EQ(observer.shown[2].estimatePanel4, "earlier 4");
    EXPECT_EQ(observer.shown[3], texts);
    EXPECT_EQ(texts.estimatePanel4.rfind(" Regime : 4\n", 0), 0u);
}

TEST(EstimatePanels, ThresholdCountOutsideTheModelRangeWritesNothing) {
    for (int nThresholds : {-1, 4}) {
        ResultTexts texts = textsOfAnEarlierRun();
        RecordingObserver observer;
        showEstimatePanels(nThresholds, modelWithOrders({1, 1, 1, 1}), texts, observer);
        EXPECT_EQ(texts, textsOfAnEarlierRun());
        EXPECT_TRUE(observer.shown.empty());
    }
}

TEST(EstimatePanels, LargeAndNonFiniteCoefficientsAreWrittenWhole) {
    FittedModel model(1);
    model.regimeOrders[0] = 1;
    model.regimeCoefficients[0][0] = 123456789012.5;
    model.regimeCoefficients[0][1] = -std::numeric_limits<double>::infinity();
    ResultTexts texts;
    RecordingObserver observer;
    showEstimatePanels(0, model, texts, observer);
    EXPECT_EQ(texts.estimatePanel1, " Regime : 1\nCostante=123456789012.500000\nP(1)=-inf\n");
}

}  // namespace
}  // namespace kavri
