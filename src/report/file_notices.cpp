#include "report/file_notices.h"

#include "model/text_format.h"

namespace kavri {

namespace {

const char* fileName(ResultFileKind kind) {
    return kind == ResultFileKind::kResiduals ? "Residuals.txt" : "Predictions.txt";
}

}  // namespace

Notice fileOpenNotice(ResultFileKind kind, const std::filesystem::path& path,
                      std::error_code error) {
    return Notice{
        formatText("Kavri Directory do not exist or %s File could not be opened\n", fileName(kind)),
        kErrorCaption, NoticeIcon::kStop,
        formatText("%s cannot be created: %s. Run where the result files can be "
                   "written (an existing directory you may write to).",
                   path.c_str(), error.message().c_str())};
}

Notice fileWriteNotice(ResultFileKind kind, const std::filesystem::path& path,
                       std::error_code error) {
    return Notice{formatText("%s could not be written completely\n", fileName(kind)), kErrorCaption,
                  NoticeIcon::kStop,
                  formatText("%s could not be replaced: %s. The earlier file was left as it was.",
                             path.c_str(), error.message().c_str())};
}

}  // namespace kavri
