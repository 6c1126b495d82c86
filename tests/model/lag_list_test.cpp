// The lag list every regime uses: what is read, what is refused and with which words, and the
// bounds against the maximum order and fixed orders that both front ends rely on.

#include "model/lag_list.h"

#include <gtest/gtest.h>

using namespace kavri;

namespace {

void expectRefused(const std::string& text, const std::string& start) {
    ModelForm form;
    form.nLags = 2;
    form.lags[0] = 1;
    form.lags[1] = 4;
    const ModelForm before = form;
    const std::optional<std::string> refusal = readLagList(text, form);
    ASSERT_TRUE(refusal.has_value()) << text;
    EXPECT_EQ(refusal->rfind(start, 0), 0u) << *refusal;
    EXPECT_NE(refusal->find("got \"" + text + "\""), std::string::npos) << *refusal;
    EXPECT_TRUE(form == before) << "a refused list changes nothing: " << text;
}

}  // namespace

TEST(LagList, ReadsDistinctAscendingLags) {
    ModelForm form;
    form.nLags = 3;
    form.lags = {};
    form.lags[0] = 1;
    form.lags[1] = 5;
    form.lags[2] = 9;
    EXPECT_FALSE(readLagList("2,12", form).has_value());
    EXPECT_EQ(form.nLags, 2);
    EXPECT_EQ(form.lags[0], 2);
    EXPECT_EQ(form.lags[1], 12);
    EXPECT_EQ(form.lags[2], 0) << "an earlier, longer list leaves nothing behind";

    EXPECT_FALSE(readLagList("19", form).has_value());
    EXPECT_EQ(form.nLags, 1);
    std::string every;
    for (int lag = 1; lag <= 19; ++lag) {
        every += (lag == 1 ? "" : ",") + std::to_string(lag);
    }
    EXPECT_FALSE(readLagList(every, form).has_value());
    EXPECT_EQ(form.nLags, kMaxLagListSize);
}

TEST(LagList, RefusesAnythingElseNamingTheText) {
    for (const char* text : {"", "0", "20", "-1", "1,,2", "1,", ",1", " 1", "1 ,2", "1;2", "x",
                             "2.0", "99999999999999999999"}) {
        expectRefused(text, "--lags expects whole numbers from 1 to 19 separated by commas");
    }
    expectRefused("2,1", "--lags expects distinct lags in ascending order");
    expectRefused("3,3", "--lags expects distinct lags in ascending order");
}

TEST(LagList, BoundsAgainstTheMaximumOrderAndFixedOrders) {
    ModelForm form;
    EXPECT_FALSE(lagListConflict(form, 2).has_value()) << "no list, nothing to check";
    ASSERT_FALSE(readLagList("1,2,12", form).has_value());
    EXPECT_EQ(lagListConflict(form, 12).value(),
              "--lags expects lags below --max-order 12, got 12; raise --max-order to 13 or "
              "more");
    EXPECT_FALSE(lagListConflict(form, 13).has_value());
    form.nFixedOrders = 1;
    form.fixedOrders[0] = 3;
    EXPECT_FALSE(lagListConflict(form, 13).has_value());
    form.nFixedOrders = 2;
    form.fixedOrders[1] = 4;
    EXPECT_EQ(lagListConflict(form, 13).value(),
              "--orders counts the lags of --lags, so each order runs from 1 to 3, got 4");
}
