#include "report/evaluation_files.h"

#include <cassert>

#include "report/file_notices.h"
#include "report/predictions_file.h"
#include "report/residuals_file.h"

namespace kavri {

MaybeNotice EvaluationFiles::openResiduals() {
    assert(residuals_ == nullptr);
    CreatedFile created = files_.files().create(files_.residualsPath());
    if (created.file == nullptr) {
        return fileOpenNotice(ResultFileKind::kResiduals, files_.residualsPath(), created.error);
    }
    residuals_ = std::move(created.file);
    return std::nullopt;
}

void EvaluationFiles::writeResidualTable(const double* x, const double* fitted,
                                         const double* residual, int n) {
    assert(residuals_ != nullptr);
    if (residuals_ != nullptr) {
        kavri::writeResidualTable(*residuals_, x, fitted, residual, n, files_.dates.get());
    }
}

MaybeNotice EvaluationFiles::writePredictions(const HoldoutForecasts& forecasts) {
    assert(predictions_ == nullptr);
    CreatedFile created = files_.files().create(files_.predictionsPath());
    if (created.file == nullptr) {
        return fileOpenNotice(ResultFileKind::kPredictions, files_.predictionsPath(),
                              created.error);
    }
    predictions_ = std::move(created.file);
    writePredictionRows(*predictions_, forecasts, files_.dates.get());
    return std::nullopt;
}

Notice EvaluationFiles::writeNotice(ResultFileKind kind, const std::filesystem::path& path,
                                    std::error_code error) const {
    return fileWriteNotice(kind, path, error, files_.files().holdsFile(path));
}

MaybeNotice EvaluationFiles::commit() {
    // Completed first, both of them, so that a full disk replaces neither.
    if (residuals_ != nullptr) {
        if (const std::error_code error = residuals_->finish()) {
            return writeNotice(ResultFileKind::kResiduals, files_.residualsPath(), error);
        }
    }
    if (predictions_ != nullptr) {
        if (const std::error_code error = predictions_->finish()) {
            return writeNotice(ResultFileKind::kPredictions, files_.predictionsPath(), error);
        }
    }
    if (residuals_ != nullptr) {
        if (const std::error_code error = residuals_->commit()) {
            return writeNotice(ResultFileKind::kResiduals, files_.residualsPath(), error);
        }
    }
    if (predictions_ != nullptr) {
        if (const std::error_code error = predictions_->commit()) {
            return writeNotice(ResultFileKind::kPredictions, files_.predictionsPath(), error);
        }
    }
    return std::nullopt;
}

}  // namespace kavri
