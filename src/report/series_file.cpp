#include "report/series_file.h"

#include "model/notices.h"
#include "model/text_format.h"

namespace kavri {

MaybeNotice writeSeriesFile(const std::filesystem::path& path, const std::vector<double>& values,
                            OutputFileSystem& fileSystem) {
    std::unique_ptr<OutputFile> file = fileSystem.create(path);
    if (file == nullptr) {
        return fileNotCreatedNotice(path);
    }
    for (double value : values) {
        file->write(formatText("%.17g\n", value));
    }
    if (!file->close()) {
        return fileNotWrittenNotice(path);
    }
    return std::nullopt;
}

}  // namespace kavri
