#include "data/delimited_format.h"

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

std::string trimmed(const std::string& field, Separator separator) {
    auto blank = [separator](char c) {
        return isBlank(c) && !(separator == Separator::kTab && c == '\t');
    };
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && blank(field[begin])) ++begin;
    while (end > begin && blank(field[end - 1])) --end;
    return field.substr(begin, end - begin);
}

// Builds records field by field as the characters come.
class RecordBuilder {
 public:
    explicit RecordBuilder(Separator separator) : separator_(separator) {}

    void startRecord(int line) {
        if (!open_) {
            record_.line = line;
            open_ = true;
        }
    }
    void append(char c) { field_ += c; }
    void quoteOpened() {
        quoted_ = true;
        field_.clear();
    }
    bool fieldIsBlank() const {
        for (char c : field_) {
            if (!isBlank(c)) return false;
        }
        return true;
    }
    void endField() {
        record_.fields.push_back(quoted_ ? field_ : trimmed(field_, separator_));
        field_.clear();
        quoted_ = false;
    }
    void endRecord(std::vector<TableRecord>& records) {
        if (!open_) return;
        const bool blankLine = record_.fields.empty() && !quoted_ && fieldIsBlank();
        if (!blankLine) {
            endField();
            records.push_back(std::move(record_));
        }
        record_ = TableRecord{};
        field_.clear();
        quoted_ = false;
        open_ = false;
    }

 private:
    Separator separator_;
    TableRecord record_;
    std::string field_;
    bool quoted_ = false;
    bool open_ = false;
};

std::vector<TableRecord> blankSeparatedRecords(std::string_view text) {
    std::vector<TableRecord> records;
    int line = 1;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t end = text.find('\n', i);
        if (end == std::string_view::npos) end = text.size();
        TableRecord record{line, {}};
        std::size_t j = i;
        while (j < end) {
            while (j < end && (isBlank(text[j]) || text[j] == '\r')) ++j;
            const std::size_t start = j;
            while (j < end && !isBlank(text[j]) && text[j] != '\r') ++j;
            if (j > start) record.fields.emplace_back(text.substr(start, j - start));
        }
        if (!record.fields.empty()) records.push_back(std::move(record));
        ++line;
        i = end + 1;
    }
    return records;
}

}  // namespace

std::string_view firstContentLine(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        for (char c : line) {
            if (!isBlank(c)) return line;
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

std::vector<TableRecord> tableRecords(std::string_view text, Separator separator) {
    if (separator == Separator::kBlanks || separator == Separator::kNone) {
        return blankSeparatedRecords(text);
    }
    const char delimiter = separatorCharacter(separator);
    std::vector<TableRecord> records;
    RecordBuilder builder(separator);
    int line = 1;
    bool inQuotes = false;
    int quoteLine = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool lineEnd =
            c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                builder.append('"');
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                builder.append(c);
                if (lineEnd) ++line;
            }
            continue;
        }
        if (c == '\r' && !lineEnd) {
            continue;  // the CR of a CRLF line end
        }
        if (lineEnd) {
            builder.endRecord(records);
            ++line;
            continue;
        }
        builder.startRecord(line);
        if (c == '"' && builder.fieldIsBlank()) {
            builder.quoteOpened();
            inQuotes = true;
            quoteLine = line;
        } else if (c == delimiter) {
            builder.endField();
        } else {
            builder.append(c);
        }
    }
    builder.endRecord(records);
    if (inQuotes && !records.empty()) {
        records.back().unclosedQuoteLine = quoteLine;
    }
    return records;
}

}  // namespace kavri
