#include "report/file_notices.h"

#include "model/output_path_error.h"
#include "model/text_format.h"

namespace kavri {

namespace {

const char* fileName(ResultFileKind kind) {
    return kind == ResultFileKind::kResiduals ? "Residuals.txt" : "Predictions.txt";
}

}  // namespace

Notice fileOpenNotice(ResultFileKind kind, const std::filesystem::path& path,
                      std::error_code error) {
    // Something other than a file under the result file's name is never replaced: the remedy
    // is to move it, not to look for a writable directory.
    const bool notAFile = namesSomethingElse(error);
    return Notice{
        formatText("Kavri Directory do not exist or %s File could not be opened\n", fileName(kind)),
        kErrorCaption, NoticeIcon::kStop,
        formatText(notAFile ? "%s cannot be created: %s. Move it away or run in another "
                              "directory: only a regular file, a FIFO or a character device is "
                              "written under a result file's name."
                            : "%s cannot be created: %s. Run where the result files can be "
                              "written (an existing directory you may write to).",
                   path.c_str(), error.message().c_str())};
}

Notice fileWriteNotice(ResultFileKind kind, const std::filesystem::path& path,
                       std::error_code error, bool earlierFile) {
    return Notice{formatText("%s could not be written completely\n", fileName(kind)), kErrorCaption,
                  NoticeIcon::kStop,
                  formatText("%s could not be %s: %s. %s", path.c_str(),
                             earlierFile ? "replaced" : "written", error.message().c_str(),
                             earlierFile ? "The earlier file was left as it was."
                                         : "Nothing was written under that name.")};
}

}  // namespace kavri
