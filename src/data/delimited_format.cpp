#include "data/delimited_format.h"

#include <array>

namespace kavri {

namespace {

char separatorCharacter(Separator separator) {
    switch (separator) {
        case Separator::kComma:
            return ',';
        case Separator::kSemicolon:
            return ';';
        case Separator::kTab:
            return '\t';
        case Separator::kNone:
        case Separator::kBlanks:
            break;
    }
    return '\0';
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

void trim(std::string& field, Separator separator) {
    auto blank = [separator](char c) {
        return isBlank(c) && !(separator == Separator::kTab && c == '\t');
    };
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && blank(field[begin])) ++begin;
    while (end > begin && blank(field[end - 1])) --end;
    field.erase(end);
    field.erase(0, begin);
}

// Index just past the line that holds text[i] (past its LF, CRLF or CR).
std::size_t pastLine(std::string_view text, std::size_t i) {
    while (i < text.size() && !isLineEnd(text[i])) ++i;
    if (i < text.size() && text[i] == '\r') {
        ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    } else if (i < text.size()) {
        ++i;
    }
    return i;
}

}  // namespace

TextFrom textAfterLines(std::string_view text, int lines) {
    std::size_t start = 0;
    int line = 1;
    for (; line <= lines && start < text.size(); ++line) {
        start = pastLine(text, start);
    }
    return {text.substr(start), line};
}

bool isCommentLine(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size() || text[i] != '#') {
        return false;
    }
    static constexpr std::array<std::string_view, 7> kErrorValues{
        "#N/A", "#DIV/0!", "#VALUE!", "#REF!", "#NUM!", "#NAME?", "#NULL!"};
    for (std::string_view error : kErrorValues) {
        if (text.compare(i, error.size(), error) != 0) continue;
        const std::size_t after = i + error.size();
        if (after == text.size()) return false;
        const char c = text[after];
        if (isBlank(c) || isLineEnd(c) || c == ',' || c == ';' || c == '"') return false;
    }
    return true;
}

std::string_view firstContentLine(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!isCommentLine(line)) {
            for (char c : line) {
                if (!isBlank(c)) return line;
            }
        }
        start = end + 1;
    }
    return {};
}

Separator separatorOf(std::string_view line) {
    bool comma = false;
    bool tab = false;
    bool inQuotes = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == ';') {
            return Separator::kSemicolon;
        } else if (!inQuotes) {
            comma = comma || c == ',';
            tab = tab || c == '\t';
        }
    }
    return comma ? Separator::kComma : (tab ? Separator::kTab : Separator::kNone);
}

RecordReader::RecordReader(std::string_view text, Separator separator, int firstLine)
    : text_(text), separator_(separator), line_(firstLine) {}

void RecordReader::blankSeparatedFields(std::string_view line, std::size_t base, std::size_t wanted,
                                        std::vector<std::string>& fields,
                                        std::vector<std::size_t>* fieldStarts) {
    std::size_t j = 0;
    while (j < line.size() && fields.size() < wanted) {
        while (j < line.size() && (isBlank(line[j]) || isLineEnd(line[j]))) ++j;
        if (j == line.size()) break;
        if (fieldStarts != nullptr) fieldStarts->push_back(base + j);
        if (line[j] == '"') {
            // R's write.table quotes text, escaping a quote inside as \" or "".
            std::string field;
            ++j;
            while (j < line.size() && !isLineEnd(line[j])) {
                if ((line[j] == '\\' || line[j] == '"') && j + 1 < line.size() &&
                    line[j + 1] == '"') {
                    field += '"';
                    j += 2;
                } else if (line[j] == '"') {
                    ++j;
                    break;
                } else {
                    field += line[j++];
                }
            }
            fields.push_back(std::move(field));
            continue;
        }
        const std::size_t start = j;
        while (j < line.size() && !isBlank(line[j]) && !isLineEnd(line[j])) ++j;
        fields.emplace_back(line.substr(start, j - start));
    }
}

bool RecordReader::nextBlankSeparated(TableRecord& record, std::vector<std::size_t>* fieldStarts) {
    while (pos_ < text_.size()) {
        const std::size_t end = pastLine(text_, pos_);
        const std::string_view line = text_.substr(pos_, end - pos_);
        const std::size_t base = pos_;
        record.line = line_;
        ++line_;
        pos_ = end;
        if (isCommentLine(line)) continue;
        if (fieldStarts != nullptr) fieldStarts->clear();
        blankSeparatedFields(line, base, std::string::npos, record.fields, fieldStarts);
        if (!record.fields.empty()) return true;
    }
    return false;
}

bool RecordReader::next(TableRecord& record, std::vector<std::size_t>* fieldStarts) {
    record.unclosedQuoteLine = 0;
    if (fieldStarts != nullptr) fieldStarts->clear();
    if (separator_ == Separator::kBlanks || separator_ == Separator::kNone) {
        record.fields.clear();
        return nextBlankSeparated(record, fieldStarts);
    }
    return scan(record, false, std::string::npos, fieldStarts);
}

void RecordReader::fieldsAt(std::size_t start, std::size_t count,
                            std::vector<std::string>& fields) {
    fields.clear();
    if (start >= text_.size() || count == 0) {
        return;
    }
    if (separator_ == Separator::kBlanks || separator_ == Separator::kNone) {
        const std::string_view line = text_.substr(start, pastLine(text_, start) - start);
        blankSeparatedFields(line, start, count, fields, nullptr);
        return;
    }
    pos_ = start;
    TableRecord record;
    scan(record, true, count, nullptr);
    fields = std::move(record.fields);
}

bool RecordReader::scan(TableRecord& record, bool resumed, std::size_t wanted,
                        std::vector<std::size_t>* fieldStarts) {
    const char delimiter = separatorCharacter(separator_);
    bool open = resumed;    // a record has started
    bool quoted = false;    // the current field was quoted
    bool inQuotes = false;  // inside the quotes of a field
    int quoteLine = 0;      // the line of the quote that opened the current quoted field
    field_.clear();
    auto fieldIsBlank = [this] {
        for (char c : field_) {
            if (!isBlank(c)) return false;
        }
        return true;
    };
    // The fields are written over the strings the record holds from its last use, so that a
    // long table is split without an allocation per field.
    std::size_t count = 0;
    auto endField = [&] {
        if (!quoted) trim(field_, separator_);
        if (count < record.fields.size()) {
            record.fields[count].assign(field_);
        } else {
            record.fields.push_back(field_);
        }
        ++count;
        field_.clear();
        quoted = false;
    };
    auto ended = [&] {
        record.fields.resize(count);
        return true;
    };
    // Ends the record at a line end; false when it was a blank line, to be passed over.
    auto endRecord = [&] {
        const bool blankLine = !resumed && count == 0 && !quoted && fieldIsBlank();
        if (blankLine) {
            field_.clear();
            open = false;
            if (fieldStarts != nullptr) fieldStarts->clear();
            return false;
        }
        endField();
        return true;
    };
    bool lineStart = !resumed && (pos_ == 0 || isLineEnd(text_[pos_ - 1]));
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        const bool lineEnd =
            c == '\n' || (c == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] != '\n'));
        if (inQuotes) {
            if (c == '"' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                field_ += '"';
                ++pos_;
            } else if (c == '"') {
                inQuotes = false;
            } else if (isLineEnd(c)) {
                field_ += c;
                if (lineEnd) ++line_;
            } else {
                // The quoted text up to the next quote or line end, in one piece.
                std::size_t end = pos_ + 1;
                while (end < text_.size() && text_[end] != '"' && !isLineEnd(text_[end])) ++end;
                field_.append(text_.substr(pos_, end - pos_));
                pos_ = end;
                continue;
            }
            ++pos_;
            continue;
        }
        if (!open && lineStart && isCommentLine(text_.substr(pos_))) {
            pos_ = pastLine(text_, pos_);
            ++line_;
            continue;
        }
        lineStart = false;
        if (c == '\r' && !lineEnd) {
            ++pos_;  // the CR of a CRLF line end
            continue;
        }
        if (lineEnd) {
            ++pos_;
            ++line_;
            lineStart = true;
            if (open && endRecord()) return ended();
            continue;
        }
        if (!open) {
            record.line = line_;
            open = true;
            if (fieldStarts != nullptr) fieldStarts->push_back(pos_);
        }
        if (c == '"' && fieldIsBlank()) {
            quoted = true;
            field_.clear();
            inQuotes = true;
            quoteLine = line_;
        } else if (c == delimiter) {
            endField();
            if (count >= wanted) {
                return ended();
            }
            if (fieldStarts != nullptr) fieldStarts->push_back(pos_ + 1);
        } else {
            // The field's text up to the next character that means something, in one piece.
            std::size_t end = pos_ + 1;
            while (end < text_.size() && text_[end] != delimiter && text_[end] != '"' &&
                   !isLineEnd(text_[end])) {
                ++end;
            }
            field_.append(text_.substr(pos_, end - pos_));
            pos_ = end;
            continue;
        }
        ++pos_;
    }
    // A quote still open at the end of the text took the rest of the file into one field.
    record.unclosedQuoteLine = inQuotes ? quoteLine : 0;
    if (open && endRecord()) {
        return ended();
    }
    record.fields.resize(count);
    return false;
}

std::vector<TableRecord> tableRecords(std::string_view text, Separator separator, int firstLine) {
    std::vector<TableRecord> records;
    RecordReader reader(text, separator, firstLine);
    TableRecord record;
    while (reader.next(record)) {
        records.push_back(record);
    }
    return records;
}

}  // namespace kavri
