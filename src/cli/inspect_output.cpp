#include "cli/inspect_output.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/text_format.h"

namespace kavri::cli {

namespace {

std::string endValue(const std::string& value, const std::string& date, int line) {
    if (line == 0) return "-";
    std::string text = value.empty() ? "\"\"" : value;
    text += date.empty() ? formatText(" (line %d)", line)
                         : formatText(" (%s, line %d)", date.c_str(), line);
    return text;
}

}  // namespace

std::string formatFilePreview(const std::string& path, const FilePreview& preview) {
    std::string out = "File: " + path + "\n";
    out += "Layout: " + preview.layout;
    if (preview.headerLine > 0) out += formatText(", header on line %d", preview.headerLine);
    if (preview.rowNames) out += ", row names before the columns";
    out += "\n";
    std::vector<std::vector<std::string>> rows{
        {"", "Column", "Name", "Type", "Values", "Missing", "First", "Last", "Number format"}};
    for (const ColumnPreview& column : preview.columns) {
        rows.push_back({column.read ? "*" : "", std::to_string(column.number),
                        column.name.empty() ? "-" : column.name, column.type,
                        std::to_string(column.values), std::to_string(column.missing),
                        endValue(column.first, column.firstDate, column.firstLine),
                        endValue(column.last, column.lastDate, column.lastLine),
                        column.numberFormat.empty() ? "-" : column.numberFormat});
    }
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    out += "* the column a run reads (--column names another)\n";
    if (!preview.problem.empty())
        out += "It cannot be read as it stands: " + preview.problem + "\n";
    return out;
}

std::string formatFilePreviewJson(const std::string& path, const FilePreview& preview) {
    using Json = nlohmann::ordered_json;
    Json json;
    json["file"] = path;
    json["layout"] = preview.layout;
    json["headerLine"] = preview.headerLine > 0 ? Json(preview.headerLine) : Json(nullptr);
    json["rowNames"] = preview.rowNames;
    json["columns"] = Json::array();
    auto orNull = [](const std::string& text, bool present) {
        return present ? Json(text) : Json(nullptr);
    };
    for (const ColumnPreview& column : preview.columns) {
        Json entry;
        entry["number"] = column.number;
        entry["name"] = orNull(column.name, !column.name.empty());
        entry["type"] = column.type;
        entry["values"] = column.values;
        entry["missing"] = column.missing;
        entry["first"] = orNull(column.first, column.firstLine > 0);
        entry["firstDate"] = orNull(column.firstDate, !column.firstDate.empty());
        entry["firstLine"] = column.firstLine;
        entry["last"] = orNull(column.last, column.lastLine > 0);
        entry["lastDate"] = orNull(column.lastDate, !column.lastDate.empty());
        entry["lastLine"] = column.lastLine;
        entry["numberFormat"] = orNull(column.numberFormat, !column.numberFormat.empty());
        entry["read"] = column.read;
        json["columns"].push_back(entry);
    }
    json["problem"] = orNull(preview.problem, !preview.problem.empty());
    return json.dump(2) + "\n";
}

}  // namespace kavri::cli
