#include "app/series_preview.h"

#include <algorithm>

#include "data/table_preview.h"

namespace kavri {

namespace {

// "1821: 269" with the value's date, "269" without.
std::string dated(const std::string& date, const std::string& value) {
    return date.empty() ? value : date + ": " + value;
}

}  // namespace

SeriesPreview previewSeriesFile(const std::string& path) {
    SeriesPreview preview;
    // The data layer's preview, read as a run without a column choice reads the file, so that
    // the dialog finds the same layout, header, columns and values as the run will.
    const Result<FilePreview> read = kavri::previewSeriesFile(path, SeriesChoice{});
    if (!read.ok()) {
        const Notice& notice = read.notice();
        preview.problem = notice.text + (notice.detail.empty() ? "" : ": " + notice.detail);
        return preview;
    }
    const FilePreview& file = read.value();
    preview.table = file.layout != "plain numbers";
    preview.layout = file.layout;
    if (preview.table) {
        preview.layout += file.headerLine > 0 ? " with a header line" : " without a header line";
    }
    for (const ColumnPreview& column : file.columns) {
        if (static_cast<int>(preview.columns.size()) == kPreviewColumns) {
            break;
        }
        // Only columns that can be fitted are offered: numbers (years and other numeric dates
        // among them).
        if (preview.table && column.type != "number" && column.type != "date") {
            continue;
        }
        PreviewColumn described;
        const std::string number = std::to_string(column.number);
        described.choice = !preview.table ? "" : column.name.empty() ? number : column.name;
        described.title = !preview.table        ? "values"
                          : column.name.empty() ? number
                                                : number + " \"" + column.name + "\"";
        described.values = column.values;
        described.missing = column.missing;
        described.first = dated(column.firstDate, column.first);
        described.last = dated(column.lastDate, column.last);
        described.automatic = column.read;
        preview.columns.push_back(described);
    }
    return preview;
}

}  // namespace kavri
