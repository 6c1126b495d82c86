#pragma once

// Strict conversions of command-line texts to numbers: the whole text must be the number, with
// no blanks and nothing after it, so that "3x", "1,5" or "" are refused rather than read in part.

#include <optional>
#include <string>
#include <vector>

namespace kavri::cli {

// A decimal integer with an optional sign; empty when the text is not one or does not fit.
std::optional<long long> parseInteger(const std::string& text);

// A finite real as strtod reads it in the C locale (1.25, -3, 4.1e-02); empty for any other
// text, and for infinities and not-a-number, which no setting can hold.
std::optional<double> parseReal(const std::string& text);

// Reals separated by single commas ("0.1,-0.25"); empty when any element is not a finite real
// or is missing.
std::optional<std::vector<double>> parseRealList(const std::string& text);

}  // namespace kavri::cli
