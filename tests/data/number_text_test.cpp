#include "data/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kavri {
namespace {

NumberProblem problemOf(const std::string& text, bool decimalComma = false) {
    return readNumber(text, decimalComma).problem;
}

TEST(NumberText, EveryFormOfADecimalNumberIsRead) {
    EXPECT_EQ(readNumber("1.25", false).value, 1.25);
    EXPECT_EQ(readNumber("-3", false).value, -3.0);
    EXPECT_EQ(readNumber("+.5", false).value, 0.5);
    EXPECT_EQ(readNumber("5.", false).value, 5.0);
    EXPECT_EQ(readNumber("4.1e-02", false).value, 4.1e-02);
    EXPECT_EQ(readNumber("1E3", false).value, 1000.0);
    EXPECT_EQ(readNumber("2,43", true).value, 2.43);
    EXPECT_EQ(readNumber("-0,5", true).value, -0.5);
}

// Each of these was once read in part ("1e" as 1, "1-2-3" as three values): a token that is
// not one whole number is refused.
TEST(NumberText, TruncatedOrRunTogetherNumbersAreRefused) {
    for (const char* text : {"1e", "1e+", "1.5e-", "1-2-3", "0.1.2.3", "0,5", "0.5x", "100ergs",
                             "+", "-", "e5", "0x10", "1..2", "--1", "1 2", "inf", "Infinity"}) {
        EXPECT_EQ(problemOf(text), NumberProblem::kNotANumber) << text;
    }
    // A decimal comma is a number only where decimal commas are read, and never with a point.
    EXPECT_EQ(problemOf("1.234,5", true), NumberProblem::kNotANumber);
    EXPECT_EQ(problemOf("1,2,3", true), NumberProblem::kNotANumber);
}

TEST(NumberText, MissingValueMarkersAreRecognisedWhateverTheirCase) {
    for (const char* text : {"", "NA", "na", "N/A", "#N/A", "NaN", "nan", "NULL", "."}) {
        EXPECT_EQ(problemOf(text), NumberProblem::kMissing) << text;
        EXPECT_TRUE(isMissingMarker(text)) << text;
    }
    EXPECT_FALSE(isMissingMarker("0"));
    EXPECT_FALSE(isMissingMarker("NAME"));
}

TEST(NumberText, MagnitudesWhoseSquaresWouldOverflowTheSumsAreRefused) {
    EXPECT_EQ(problemOf("1e150"), NumberProblem::kNone);
    EXPECT_EQ(problemOf("-1e150"), NumberProblem::kNone);
    EXPECT_EQ(problemOf("1.0000001e150"), NumberProblem::kTooLarge);
    EXPECT_EQ(problemOf("-1e300"), NumberProblem::kTooLarge);
    EXPECT_EQ(problemOf("1e999"), NumberProblem::kTooLarge);
    // Tiny values are harmless: they underflow to zero or a subnormal number.
    EXPECT_EQ(problemOf("1e-400"), NumberProblem::kNone);
}

TEST(NumberText, DecimalCommaLookIsOneCommaBetweenDigits) {
    EXPECT_TRUE(looksLikeDecimalComma("0,5"));
    EXPECT_TRUE(looksLikeDecimalComma("-12,25"));
    EXPECT_FALSE(looksLikeDecimalComma("1821,2.43"));
    EXPECT_FALSE(looksLikeDecimalComma("1,2,3"));
    EXPECT_FALSE(looksLikeDecimalComma("1,"));
    EXPECT_FALSE(looksLikeDecimalComma("0.5"));
}

TEST(NumberText, ThousandsSeparatorsReadOnlyInWholeGroupsOfThree) {
    const NumberStyle usual{'.', ','};
    const NumberStyle german{',', '.'};
    EXPECT_EQ(readNumber("1,508", usual).value, 1508.0);
    EXPECT_EQ(readNumber("-12,345,678.25", usual).value, -12345678.25);
    EXPECT_EQ(readNumber("1.116,91", german).value, 1116.91);
    EXPECT_EQ(readNumber("+1.475", german).value, 1475.0);
    EXPECT_EQ(readNumber("12 345,5", NumberStyle{',', ' '}).value, 12345.5);
    EXPECT_EQ(readNumber("12\xC2\xA0"
                         "345,5",
                         NumberStyle{',', ' '})
                  .value,
              12345.5);
    EXPECT_EQ(readNumber("1'234.5", NumberStyle{'.', '\''}).value, 1234.5);
    for (const char* text : {"1,50", "1,5080", "1234,567", ",508", "1,508e3", "1,,508"}) {
        EXPECT_EQ(readNumber(text, usual).problem, NumberProblem::kNotANumber) << text;
    }
    // Which styles a text reads in: the column's values narrow them down together.
    EXPECT_EQ(numberStyles("1.475"), 0x2Fu);  // a decimal point, or a German thousands point
    EXPECT_EQ(numberStyles("2,5") & kPointStyles, 0u);
    EXPECT_EQ(numberStyles("1821"), kAllStyles);
    EXPECT_EQ(numberStyles("text"), 0u);
}

TEST(NumberText, PercentagesAndSpreadsheetErrorsAreNotNumbers) {
    EXPECT_EQ(readNumber("5,3 %", NumberStyle{',', '\0'}).problem, NumberProblem::kPercent);
    EXPECT_EQ(readNumber("12%", NumberStyle{}).problem, NumberProblem::kPercent);
    EXPECT_FALSE(isPercentage("%"));
    for (const char* text : {"#DIV/0!", "#VALUE!", "#REF!", "#NUM!", "#NAME?", "#NULL!"}) {
        EXPECT_EQ(readNumber(text, NumberStyle{}).problem, NumberProblem::kMissing) << text;
    }
}

}  // namespace
}  // namespace kavri
