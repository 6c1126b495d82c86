#include "cli/value_parsing.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kavri::cli {

namespace {

// strtol and strtod skip leading white space; a value typed with blanks around it is
// refused instead, like any other text with more than the number in it.
bool startsWithNumberCharacter(const std::string& text) {
    return !text.empty() && !std::isspace(static_cast<unsigned char>(text.front()));
}

}  // namespace

std::optional<long long> parseInteger(const std::string& text) {
    if (!startsWithNumberCharacter(text)) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || end != text.c_str() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseReal(const std::string& text) {
    if (!startsWithNumberCharacter(text)) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<double>> parseRealList(const std::string& text) {
    std::vector<double> values;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type comma = text.find(',', start);
        const std::string element =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::optional<double> value = parseReal(element);
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
        if (comma == std::string::npos) {
            return values;
        }
        start = comma + 1;
    }
}

}  // namespace kavri::cli
