#pragma once

// The plain format: white-space separated numbers (blanks, tabs, line ends) with no header or
// separator, read row by row. Lines starting with '#' are comments.

#include <string_view>

#include "data/value_column.h"

namespace kavri {

// The white-space separated tokens of a text one at a time, with their lines: each token is
// one value of the series ("1-2-3" is one malformed value, not three).
class PlainReader {
 public:
    // `text` starts on line `firstLine` of its file; the reader keeps a view of it.
    explicit PlainReader(std::string_view text, int firstLine = 1);

    // Puts the next token into `token`; false when there is none left.
    bool next(ValueField& token);

 private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool lineStart_ = true;
};

// Every token of `text` (see PlainReader).
ValueColumn plainValues(std::string_view text, int firstLine = 1);

// Whether every token of `line` is a number, a missing-value marker or a number written with
// a decimal comma: the first line of a plain file rather than of a table.
bool lineIsPlain(std::string_view line);

}  // namespace kavri
