#include "data/plain_format.h"

#include "data/number_text.h"

namespace kavri {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

ValueColumn plainValues(std::string_view text) {
    ValueColumn column;
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            // "\r\n" and a lone "\r" both end a line.
            if (text[i] == '\n' ||
                (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
                ++line;
            }
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i])) {
            ++i;
        }
        column.values.push_back({std::string(text.substr(start, i - start)), line});
    }
    return column;
}

bool lineIsPlain(std::string_view line) {
    for (const ValueField& token : plainValues(line).values) {
        if (readNumber(token.text, false).problem == NumberProblem::kNotANumber &&
            !looksLikeDecimalComma(token.text)) {
            return false;
        }
    }
    return true;
}

}  // namespace kavri
