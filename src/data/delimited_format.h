#pragma once

// Delimited text: a table whose fields are separated by commas, semicolons or tabs (or, when
// a column is named on a file with none of them, by blanks), one record per line, fields
// optionally in double quotes ("a ""quoted"" field", "1,5"), lines ended by LF or CRLF.

#include <string>
#include <string_view>
#include <vector>

namespace kavri {

enum class Separator { kNone, kComma, kSemicolon, kTab, kBlanks };

struct TableRecord {
    int line = 0;  // 1-based line on which the record starts
    std::vector<std::string> fields;
    // On the last record only: the line of a quote that the file never closes (0: none). Such
    // a record swallowed the rest of the file into one field, so the table is refused.
    int unclosedQuoteLine = 0;
};

// The first line of `text` that holds anything but blanks, without its line end.
std::string_view firstContentLine(std::string_view text);

// The separator of a table whose first content line is `line`: a semicolon when it holds one
// outside quotes (such files write decimal commas), else a comma, else a tab; kNone when the
// line holds none of them.
Separator separatorOf(std::string_view line);

// The records of `text`, blank lines left out. Fields are trimmed of surrounding blanks unless
// quoted; a quoted field may hold separators, doubled quotes and line ends.
std::vector<TableRecord> tableRecords(std::string_view text, Separator separator);

}  // namespace kavri
