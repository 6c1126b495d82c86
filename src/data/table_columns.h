#pragma once

// Which column of a table holds the series, and whether its first line is a header.

#include <string>
#include <vector>

#include "data/delimited_format.h"
#include "data/value_column.h"
#include "model/notice.h"

namespace kavri {

// The values of the series column of `records` (read from the file `path`), with the first
// column as labels when another column holds the values (a date or time column).
// - The first record is a header when some field of it is text where the column's next value
//   present is a number (for a file of one record: when none of its fields is a number).
// - `requested` names the column by its header text (exact, else the only match ignoring
//   case) or by its 1-based number; empty: the only column whose first value is a number,
//   else the last such column, else the last column.
// A column that does not exist gives the notice "Column %s was not found in %s" with the
// columns there are as its detail.
Result<ValueColumn> tableColumn(const std::vector<TableRecord>& records, bool decimalComma,
                                const std::string& requested, const std::string& path);

// What tableColumn works out about the whole table before it takes a column: worked out once
// for a table whose columns are read one after another.
struct TableShape {
    bool headerLine = false;
    std::size_t nColumns = 1;
    std::vector<std::string> names;  // the header's fields; empty without a header line
    // The columns (0-based, in order) whose first value present is a number.
    std::vector<std::size_t> numericColumns;
};

TableShape tableShape(const std::vector<TableRecord>& records, bool decimalComma);

// tableColumn with the shape of `records` already worked out.
Result<ValueColumn> tableColumn(const std::vector<TableRecord>& records, const TableShape& shape,
                                bool decimalComma, const std::string& requested,
                                const std::string& path);

}  // namespace kavri
