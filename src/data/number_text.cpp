#include "data/number_text.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kavri {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Index just past the digits that start at `i`.
std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    return i;
}

// The grammar of a decimal number, with `point` as the decimal separator.
bool isDecimalNumber(std::string_view text, char point) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t integerEnd = skipDigits(text, i);
    std::size_t digits = integerEnd - i;
    i = integerEnd;
    if (i < text.size() && text[i] == point) {
        const std::size_t fractionEnd = skipDigits(text, i + 1);
        digits += fractionEnd - (i + 1);
        i = fractionEnd;
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t exponentEnd = skipDigits(text, i);
        if (exponentEnd == i) {
            return false;
        }
        i = exponentEnd;
    }
    return i == text.size();
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool isMissingMarker(std::string_view text) {
    static constexpr std::array<std::string_view, 7> kMarkers{"",    "NA",   "N/A", "#N/A",
                                                              "NaN", "NULL", "."};
    for (std::string_view marker : kMarkers) {
        if (equalsIgnoringCase(text, marker)) {
            return true;
        }
    }
    return false;
}

bool looksLikeDecimalComma(std::string_view text) {
    const std::size_t comma = text.find(',');
    return comma != std::string_view::npos && comma > 0 && comma + 1 < text.size() &&
           isDecimalNumber(text, ',') && text.find('e') == std::string_view::npos &&
           text.find('E') == std::string_view::npos;
}

NumberReading readNumber(std::string_view text, bool decimalComma) {
    NumberReading reading;
    if (isMissingMarker(text)) {
        reading.problem = NumberProblem::kMissing;
        return reading;
    }
    std::string number(text);
    if (decimalComma && number.find('.') == std::string::npos) {
        const std::size_t comma = number.find(',');
        if (comma != std::string::npos) {
            number[comma] = '.';
        }
    }
    if (!isDecimalNumber(number, '.')) {
        reading.problem = NumberProblem::kNotANumber;
        return reading;
    }
    // strtod reads the decimal point of the thread's locale; the reader runs in the C locale.
    reading.value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(reading.value) || std::fabs(reading.value) > kLargestMagnitude) {
        reading.problem = NumberProblem::kTooLarge;
    }
    return reading;
}

}  // namespace kavri
