#pragma once

// The values of a series file as the file writes them, before any is read as a number: the
// tokens of a plain file, or the fields of the chosen column of a table.

#include <string>
#include <vector>

#include "data/number_text.h"

namespace kavri {

struct ValueField {
    std::string text;  // as written, without quotes or surrounding blanks
    int line = 0;      // 1-based line of the file where it stands
};

struct ValueColumn {
    std::vector<ValueField> values;   // the values kept, in file order
    std::vector<std::string> labels;  // the label column's text for each value, or empty
    int firstIndex = 0;               // 0-based place of values[0] among the file's values
    NumberStyle style;                // how the column writes its numbers
    bool headerLine = false;          // the table's first line names its columns
    // The column read, for messages: "column 2 \"lynx\"" or "column 2"; empty for a plain file.
    std::string columnName;
};

}  // namespace kavri
