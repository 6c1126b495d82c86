#include "data/number_text.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iterator>
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

// `text` with every no-break space (U+00A0, U+202F) written as a plain space.
std::string plainSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC2\xA0") == 0) {
            out += ' ';
            ++i;
        } else if (text.compare(i, 3, "\xE2\x80\xAF") == 0) {
            out += ' ';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The grammar of a number with digit groups: sign, 1-3 digits, then groups of a separator and
// three digits, then an optional decimal mark and digits. Without any separator it is the
// plain grammar, exponent included.
bool isGroupedNumber(std::string_view text, NumberStyle style) {
    if (style.group == '\0' || text.find(style.group) == std::string_view::npos) {
        return isDecimalNumber(text, style.decimal);
    }
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t lead = skipDigits(text, i);
    if (lead == i || lead - i > 3) {
        return false;
    }
    i = lead;
    while (i < text.size() && text[i] == style.group) {
        const std::size_t end = skipDigits(text, i + 1);
        if (end - (i + 1) != 3) {
            return false;
        }
        i = end;
    }
    if (i < text.size() && text[i] == style.decimal) {
        i = skipDigits(text, i + 1);
    }
    return i == text.size();
}

// `text` in the grammar strtod reads: separators dropped, the decimal mark a point.
std::string canonicalNumber(std::string_view text, NumberStyle style) {
    std::string number;
    number.reserve(text.size());
    for (char c : text) {
        if (style.group != '\0' && c == style.group) continue;
        number += c == style.decimal ? '.' : c;
    }
    return number;
}

NumberReading finiteReading(const std::string& number) {
    NumberReading reading;
    // strtod reads the decimal point of the thread's locale; the reader runs in the C locale.
    reading.value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(reading.value) || std::fabs(reading.value) > kLargestMagnitude) {
        reading.problem = NumberProblem::kTooLarge;
    }
    return reading;
}

}  // namespace

unsigned numberStyles(std::string_view text) {
    // Most values hold no mark or separator at all: every style reads them alike.
    if (text.find_first_of(".,' \xC2\xE2") == std::string_view::npos) {
        return isDecimalNumber(text, '.') ? kAllStyles : 0u;
    }
    const std::string spaced = plainSpaces(text);
    unsigned mask = 0;
    for (std::size_t s = 0; s < std::size(kNumberStyles); ++s) {
        if (isGroupedNumber(spaced, kNumberStyles[s])) {
            mask |= 1u << s;
        }
    }
    return mask;
}

bool isPercentage(std::string_view text) {
    if (text.empty() || text.back() != '%') {
        return false;
    }
    std::string_view number = text.substr(0, text.size() - 1);
    while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
    return numberStyles(number) != 0;
}

NumberReading readNumber(std::string_view text, NumberStyle style) {
    NumberReading reading;
    if (isMissingMarker(text)) {
        reading.problem = NumberProblem::kMissing;
        return reading;
    }
    if (isPercentage(text)) {
        reading.problem = NumberProblem::kPercent;
        return reading;
    }
    const std::string spaced = plainSpaces(text);
    if (!isGroupedNumber(spaced, style)) {
        reading.problem = NumberProblem::kNotANumber;
        return reading;
    }
    return finiteReading(canonicalNumber(spaced, style));
}

bool isMissingMarker(std::string_view text) {
    static constexpr std::array<std::string_view, 13> kMarkers{
        "",        "NA",      "N/A",   "#N/A",  "NaN",    "NULL",  ".",
        "#DIV/0!", "#VALUE!", "#REF!", "#NUM!", "#NAME?", "#NULL!"};
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
    return finiteReading(number);
}

}  // namespace kavri
