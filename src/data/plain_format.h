#pragma once

// The plain format: white-space separated numbers (blanks, tabs, line ends) with no header,
// separator or comment, read row by row.

#include <string_view>

#include "data/value_column.h"

namespace kavri {

// Every white-space separated token of `text`, with its line. Each token is one value of the
// series: "1-2-3" is one (malformed) value, not three.
ValueColumn plainValues(std::string_view text);

// Whether every token of `line` is a number, a missing-value marker or a number written with
// a decimal comma: the first line of a plain file rather than of a table.
bool lineIsPlain(std::string_view line);

}  // namespace kavri
