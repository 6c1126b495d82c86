#include "report/series_file.h"

#include "model/notices.h"
#include "model/text_format.h"

namespace kavri {

MaybeNotice writeSeriesFile(const std::filesystem::path& path, const std::vector<double>& values,
                            OutputFileSystem& fileSystem) {
    CreatedFile created = fileSystem.create(path);
    if (created.file == nullptr) {
        return fileNotCreatedNotice(path, created.error);
    }
    OutputFile* file = created.file.get();
    for (double value : values) {
        file->write(formatText("%.17g\n", value));
    }
    if (const std::error_code error = file->commit()) {
        return fileNotWrittenNotice(path, error, fileSystem.holdsFile(path));
    }
    return std::nullopt;
}

}  // namespace kavri
