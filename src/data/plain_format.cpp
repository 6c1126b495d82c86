#include "data/plain_format.h"

#include "data/delimited_format.h"
#include "data/number_text.h"

namespace kavri {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

PlainReader::PlainReader(std::string_view text, int firstLine) : text_(text), line_(firstLine) {}

bool PlainReader::next(ValueField& token) {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (isBlank(c)) {
            // "\r\n" and a lone "\r" both end a line.
            if (c == '\n' || (c == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] != '\n'))) {
                ++line_;
                lineStart_ = true;
            }
            ++pos_;
            continue;
        }
        if (lineStart_ && isCommentLine(text_.substr(pos_))) {
            while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
            continue;
        }
        lineStart_ = false;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
        token.text.assign(text_.substr(start, pos_ - start));
        token.line = line_;
        return true;
    }
    return false;
}

ValueColumn plainValues(std::string_view text, int firstLine) {
    ValueColumn column;
    PlainReader reader(text, firstLine);
    ValueField token;
    while (reader.next(token)) {
        column.values.push_back(token);
    }
    return column;
}

bool lineIsPlain(std::string_view line) {
    PlainReader reader(line);
    ValueField token;
    while (reader.next(token)) {
        if (readNumber(token.text, false).problem == NumberProblem::kNotANumber &&
            !looksLikeDecimalComma(token.text)) {
            return false;
        }
    }
    return true;
}

}  // namespace kavri
