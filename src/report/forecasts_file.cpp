#include "report/forecasts_file.h"

#include "model/notices.h"
#include "model/text_format.h"

namespace kavri {

std::vector<std::string> forecastColumnNames(const ForecastResult& forecasts) {
    std::vector<std::string> names{"Step", "Forecast"};
    if (!forecasts.simulated()) {
        return names;
    }
    names.push_back("Median");
    for (const ForecastInterval& interval : forecasts.intervals) {
        names.push_back(formatText("Lo%g", interval.level));
        names.push_back(formatText("Hi%g", interval.level));
    }
    return names;
}

std::vector<double> forecastRowValues(const ForecastResult& forecasts, int h) {
    const std::size_t i = static_cast<std::size_t>(h - 1);
    std::vector<double> values{forecasts.point[i]};
    if (!forecasts.simulated()) {
        return values;
    }
    values.push_back(forecasts.median[i]);
    for (const ForecastInterval& interval : forecasts.intervals) {
        values.push_back(interval.lower[i]);
        values.push_back(interval.upper[i]);
    }
    return values;
}

MaybeNotice writeForecastsFile(const std::filesystem::path& path, const ForecastResult& forecasts,
                               OutputFileSystem& fileSystem,
                               const std::vector<std::string>* dates) {
    CreatedFile created = fileSystem.create(path);
    if (created.file == nullptr) {
        return fileNotCreatedNotice(path, created.error);
    }
    OutputFile* file = created.file.get();
    const std::vector<std::string> names = forecastColumnNames(forecasts);
    std::string line;
    for (std::size_t c = 0; c < names.size(); ++c) {
        line += (c == 0 ? "" : "\t") + names[c];
        if (c == 0 && dates != nullptr) line += "\tDate";
    }
    file->write(line + "\n");
    for (int h = 1; h <= forecasts.horizon(); ++h) {
        line = formatText("%d", h);
        if (dates != nullptr) line += "\t" + (*dates)[static_cast<std::size_t>(h - 1)];
        for (double value : forecastRowValues(forecasts, h)) {
            line += formatText("\t%.10g", value);
        }
        file->write(line + "\n");
    }
    if (const std::error_code error = file->commit()) {
        return fileNotWrittenNotice(path, error, fileSystem.holdsFile(path));
    }
    return std::nullopt;
}

}  // namespace kavri
