#pragma once

// Which layout a series file has, recognised from its first line that holds anything (after
// the lines --skip-lines passes over and the comments):
// - the plain format: white-space separated numbers, read row by row (a first line of
//   numbers separated by blanks or tabs is this format);
// - a table: fields separated by semicolons, commas or tabs; or by blanks when a column is
//   named, or when the first line is in double quotes (R's write.table).

#include <string_view>

#include "data/delimited_format.h"
#include "model/run_settings.h"

namespace kavri {

struct SeriesLayout {
    TextFrom from;  // the text after the lines passed over
    bool plain = false;
    Separator separator = Separator::kNone;  // of a table
};

SeriesLayout seriesLayout(std::string_view text, const SeriesChoice& choice);

}  // namespace kavri
