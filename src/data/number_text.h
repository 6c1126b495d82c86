#pragma once

// The numbers of a series file, read strictly: a value is one whole decimal number, so that a
// malformed or truncated entry ("1e+", "0.1.2", "100ergs") is refused instead of being read in
// part and shifting every value after it.

#include <string_view>

namespace kavri {

// The largest magnitude a value may have. The regressions sum squares and cross products of
// the values: with |x| <= 1e150 each product is at most 1e300, and the sums over the at most
// 1100 values of a run (1000 fitted + 100 held out) stay below 1.1e303, a margin of more than
// 1e5 below the largest double (1.8e308) for the constant and coefficient terms that the
// fitted values add. Larger values would make those sums infinite.
inline constexpr double kLargestMagnitude = 1e150;

enum class NumberProblem {
    kNone,
    kMissing,     // a missing-value marker: empty, NA, NaN, "." and their usual variants
    kNotANumber,  // anything else that is not one whole decimal number
    kTooLarge,    // a number beyond kLargestMagnitude, or beyond the doubles altogether
    kPercent,     // a number followed by a percent sign: its scale is not known
};

struct NumberReading {
    double value = 0.0;
    NumberProblem problem = NumberProblem::kNone;
};

// Reads `text` as an optional sign, digits with an optional decimal point (at least one digit)
// and an optional exponent with digits: 1.25, -3, .5, 4.1e-02. With `decimalComma`, a single
// comma stands for the decimal point (2,43) and a text holding both a comma and a point is not
// a number. Reads in the C numeric locale whatever the process's locale is.
NumberReading readNumber(std::string_view text, bool decimalComma);

// How the numbers of one column are written: the decimal mark and the thousands separator
// between groups of three digits ('\0' for none). A space stands for every kind of space a
// spreadsheet writes between digit groups (the no-break spaces too).
struct NumberStyle {
    char decimal = '.';
    char group = '\0';

    bool operator==(const NumberStyle&) const = default;
};

// The styles a column may be written in, each one bit of a style mask.
inline constexpr NumberStyle kNumberStyles[] = {
    {'.', '\0'}, {'.', ','}, {'.', '\''}, {'.', ' '},
    {',', '\0'}, {',', '.'}, {',', ' '},  {',', '\''},
};
inline constexpr unsigned kAllStyles = 0xFFu;
inline constexpr unsigned kPointStyles = 0x0Fu;  // the decimal mark is a point
inline constexpr unsigned kCommaStyles = 0xF0u;  // the decimal mark is a comma

// The styles in which `text` is one whole number (0 when it is none in any of them). Digit
// groups are three digits after a separator, after a first group of one to three digits:
// "1,508", "1.475.000", "12 345,5"; a number with separators has no exponent.
unsigned numberStyles(std::string_view text);

// Reads `text` written in `style`: the thousands separators are dropped, the decimal mark read
// as a point. "12%" is kPercent; missing markers are kMissing.
NumberReading readNumber(std::string_view text, NumberStyle style);

// Whether `text` is a number followed by a percent sign ("12%", "4,5 %").
bool isPercentage(std::string_view text);

// Whether `text` marks a missing value rather than a number or other text: empty, NA, N/A,
// NaN, NULL, ".", and the error values a spreadsheet writes in place of a number (#N/A,
// #DIV/0!, #VALUE!, #REF!, #NUM!, #NAME?, #NULL!).
bool isMissingMarker(std::string_view text);

// Whether `text` is written as a number with a decimal comma (digits, one comma, digits, with
// an optional sign): how a series written in a decimal-comma locale looks.
bool looksLikeDecimalComma(std::string_view text);

}  // namespace kavri
