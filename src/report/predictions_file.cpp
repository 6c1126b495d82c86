#include "report/predictions_file.h"

#include "model/text_format.h"

namespace kavri {
namespace {

constexpr const char* kOpenFailureText =
    "Kavri Directory do not exist or Predictions.txt File could not be opened\n";
constexpr const char* kWriteFailureText = "Predictions.txt could not be written completely\n";

}  // namespace

MaybeNotice writePredictionsFile(const std::filesystem::path& path,
                                 const HoldoutForecasts& forecasts,
                                 OutputFileSystem& fileSystem) {
    std::unique_ptr<OutputFile> file = fileSystem.create(path);
    if (file == nullptr) {
        return errorNotice(kOpenFailureText);
    }
    // A full disk or a lost device must not leave a truncated file reported as written.
    file->write(formatText("%-8s\t%-8s\t%-8s\n", " Series", " Predictions", "Error"));
    for (std::size_t i = 0; i < forecasts.forecast.size(); ++i) {
        file->write(formatText("%8.5f\t%8.5f\t%8.5f\n", forecasts.observed[i],
                               forecasts.forecast[i], forecasts.error[i]));
    }
    if (!file->close()) {
        return errorNotice(kWriteFailureText);
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
