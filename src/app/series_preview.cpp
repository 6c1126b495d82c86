#include "app/series_preview.h"

#include <algorithm>

#include "data/table_preview.h"
#include "model/run_settings.h"

namespace kavri {

namespace {

// "1821: 269" with a date, "269" without; empty when the column holds no value.
std::string describedValue(const std::string& value, const std::string& date) {
    if (value.empty()) return {};
    return date.empty() ? value : date + ": " + value;
}

PreviewColumn describe(const ColumnPreview& column) {
    PreviewColumn described;
    described.values = column.values;
    described.missing = column.missing;
    described.first = describedValue(column.first, column.firstDate);
    described.last = describedValue(column.last, column.lastDate);
    described.automatic = column.read;
    described.numeric = column.type == "number";
    return described;
}

}  // namespace

SeriesPreview previewSeriesFile(const std::string& path) {
    SeriesPreview preview;
    // The data layer's preview, which recognises the file as a run without a column choice
    // does: the same layout, header, row names and columns.
    const Result<FilePreview> read = previewSeriesFile(path, SeriesChoice{});
    if (!read.ok()) {
        const Notice& notice = read.notice();
        preview.problem = notice.text + (notice.detail.empty() ? "" : ": " + notice.detail);
        return preview;
    }
    const FilePreview& file = read.value();
    preview.table = file.layout != "plain numbers";
    if (!preview.table) {
        preview.layout = file.layout;
        for (const ColumnPreview& column : file.columns) {
            PreviewColumn values = describe(column);
            values.title = "values";
            values.automatic = true;
            preview.columns.push_back(values);
        }
        return preview;
    }
    preview.layout =
        file.layout + (file.headerLine > 0 ? " with a header line" : " without a header line");
    const std::size_t shown = std::min<std::size_t>(file.columns.size(), kPreviewColumns);
    for (std::size_t c = 0; c < shown; ++c) {
        const ColumnPreview& column = file.columns[c];
        PreviewColumn described = describe(column);
        const std::string number = std::to_string(column.number);
        described.choice = column.name.empty() ? number : column.name;
        described.title = column.name.empty() ? number : number + " \"" + column.name + "\"";
        preview.columns.push_back(described);
    }
    return preview;
}

}  // namespace kavri
