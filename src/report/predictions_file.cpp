#include "report/predictions_file.h"

#include "model/text_format.h"
#include "report/file_notices.h"

namespace kavri {

void writePredictionRows(OutputFile& file, const HoldoutForecasts& forecasts,
                         const std::vector<std::string>* dates) {
    const std::size_t count = forecasts.forecast.size();
    const bool dated = dates != nullptr && dates->size() >= count;
    file.write(std::string(dated ? "Date\t" : "") +
               formatText("%-8s\t%-8s\t%-8s\n", " Series", " Predictions", "Error"));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string date = dated ? (*dates)[dates->size() - count + i] + "\t" : std::string();
        file.write(date + formatText("%8.5f\t%8.5f\t%8.5f\n", forecasts.observed[i],
                                     forecasts.forecast[i], forecasts.error[i]));
    }
}

MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts, OutputFileSystem& fileSystem) {
    CreatedFile created = fileSystem.create(path);
    if (created.file == nullptr) {
        return fileOpenNotice(ResultFileKind::kPredictions, path, created.error);
    }
    writePredictionRows(*created.file, forecasts);
    // A full disk or a lost device must not leave a truncated file reported as written.
    if (const std::error_code error = created.file->commit()) {
        return fileWriteNotice(ResultFileKind::kPredictions, path, error,
                               fileSystem.holdsFile(path));
    }
    return std::nullopt;
}

Result<double> predictHoldout(const double* x, int origin, const FittedModel& model,
                              int nPredictions, int delay, const std::filesystem::path& path,
                              OutputFileSystem& fileSystem) {
    const HoldoutForecasts forecasts = forecastHoldout(x, origin, model, nPredictions, delay);
    if (MaybeNotice notice = writePredictionsFile(path, forecasts, fileSystem)) {
        return *notice;
    }
    return forecasts.mse;
}

}  // namespace kavri
