#include "data/series_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/text_format.h"

namespace kavri {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

Notice openFailure(const std::string& path, int error) {
    std::string detail = std::strerror(error);
    if (!std::filesystem::path(path).is_absolute()) {
        std::error_code ignored;
        const std::filesystem::path here = std::filesystem::current_path(ignored);
        detail += formatText(
            " (looked for in %s, the current folder; give the full path or "
            "choose the file)",
            here.string().c_str());
    }
    return Notice(formatText("File %s could not be opened", path.c_str()), kErrorCaption,
                  NoticeIcon::kStop, detail);
}

}  // namespace

Result<std::string> loadSeriesText(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return openFailure(path, errno != 0 ? errno : ENOENT);
    }
    std::string text;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    // A folder opens on some systems and then fails to read: it is a file that cannot be read.
    const int readError = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    if (readError != 0) {
        return openFailure(path, readError);
    }
    if (std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.erase(0, kByteOrderMark.size());
    }
    return text;
}

}  // namespace kavri
