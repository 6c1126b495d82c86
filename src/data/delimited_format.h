#pragma once

// Delimited text: a table whose fields are separated by commas, semicolons or tabs (or by
// blanks: when a column is named on a file with none of them, or the header is in quotes as R's
// write.table writes it), one record per line, fields optionally in double quotes
// ("a ""quoted"" field", "1,5"), lines ended by LF, CRLF or CR.
// A line whose first character that is not blank is '#' is a comment, wherever it stands,
// unless it starts with a spreadsheet's error value (#N/A, #DIV/0!...) in place of a number.

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

// `text` after its first `lines` lines (titles and notes above a table), and the 1-based number
// of the first line left; the whole text from line 1 when `lines` is 0.
struct TextFrom {
    std::string_view text;
    int firstLine = 1;
};
TextFrom textAfterLines(std::string_view text, int lines);

// Whether the line starting at text[0] is a comment ('#' after blanks, not an error value).
bool isCommentLine(std::string_view text);

// The first line of `text` that holds anything but blanks and is no comment, without its end.
std::string_view firstContentLine(std::string_view text);

// The separator of a table whose first content line is `line`: a semicolon when it holds one
// outside quotes (such files write decimal commas), else a comma, else a tab; kNone when the
// line holds none of them.
Separator separatorOf(std::string_view line);

// The records of a text one at a time, blank lines and comments left out, so that a long file
// is never held as strings all at once. Fields are trimmed of surrounding blanks unless quoted;
// a quoted field may hold separators, doubled quotes and line ends.
class RecordReader {
 public:
    // `text` starts on line `firstLine` of its file; the reader keeps a view of it.
    RecordReader(std::string_view text, Separator separator, int firstLine = 1);

    // Puts the next record into `record`; false when there is none left. With `fieldStarts`,
    // also where each of its fields starts in the text, for fieldsAt.
    bool next(TableRecord& record, std::vector<std::size_t>* fieldStarts = nullptr);

    // Up to `count` fields of a record, read from `start`, a field start that next() reported:
    // the same texts next() gives those fields, without splitting the fields before them.
    // Fewer when the record ends first.
    void fieldsAt(std::size_t start, std::size_t count, std::vector<std::string>& fields);

 private:
    // A record from pos_; `resumed`: pos_ is a field start inside a record, and the reading
    // stops after `wanted` fields.
    bool scan(TableRecord& record, bool resumed, std::size_t wanted,
              std::vector<std::size_t>* fieldStarts);
    bool nextBlankSeparated(TableRecord& record, std::vector<std::size_t>* fieldStarts);
    // The fields of `line` (which starts at text_[base]) into `fields`, at most `wanted`.
    static void blankSeparatedFields(std::string_view line, std::size_t base, std::size_t wanted,
                                     std::vector<std::string>& fields,
                                     std::vector<std::size_t>* fieldStarts);

    std::string_view text_;
    Separator separator_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string field_;
};

// Every record of `text` (see RecordReader).
std::vector<TableRecord> tableRecords(std::string_view text, Separator separator,
                                      int firstLine = 1);

}  // namespace kavri
