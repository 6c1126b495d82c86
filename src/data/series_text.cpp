#include "data/series_text.h"

#include <sys/stat.h>

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

// UTF-16 text: a byte order mark FF FE or FE FF, or, without one, a NUL beside nearly every
// other byte of its start (digits and line ends of UTF-16 are one byte and a NUL each). Read
// as bytes it would give numbers with NULs between their digits.
bool looksLikeUtf16(std::string_view text) {
    const std::string_view start = text.substr(0, 64);
    if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF") {
        return true;
    }
    if (start.size() < 8) {
        return false;
    }
    int evenNuls = 0;
    int oddNuls = 0;
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (start[i] == '\0') {
            (i % 2 == 0 ? evenNuls : oddNuls) += 1;
        }
    }
    const int half = static_cast<int>(start.size() / 2);
    return evenNuls >= half - 1 || oddNuls >= half - 1;
}

Notice refusal(const std::string& path, const std::string& detail) {
    return Notice(formatText("File %s could not be opened", path.c_str()), kErrorCaption,
                  NoticeIcon::kStop, detail);
}

Notice tooLarge(const std::string& path, std::size_t largest) {
    const std::string size = largest >= (std::size_t{1} << 20)
                                 ? formatText("%zu MiB", largest >> 20)
                                 : formatText("%zu bytes", largest);
    return refusal(path, formatText("It holds more than %s, the most a series file may hold "
                                    "(keep the values the run needs in a smaller file)",
                                    size.c_str()));
}

}  // namespace

Result<std::string> loadSeriesText(const std::string& path, std::size_t largest) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return openFailure(path, errno != 0 ? errno : ENOENT);
    }
    struct stat status {};
    std::size_t expected = 0;
    if (::fstat(::fileno(file), &status) == 0) {
        const char* kind = S_ISCHR(status.st_mode)    ? "a character device"
                           : S_ISBLK(status.st_mode)  ? "a block device"
                           : S_ISSOCK(status.st_mode) ? "a socket"
                                                      : nullptr;
        if (kind != nullptr) {
            std::fclose(file);
            return refusal(path, formatText("It is %s, not a file of values", kind));
        }
        if (S_ISREG(status.st_mode) && static_cast<std::size_t>(status.st_size) > largest) {
            std::fclose(file);
            return tooLarge(path, largest);
        }
        if (S_ISREG(status.st_mode)) {
            expected = static_cast<std::size_t>(status.st_size);
        }
    }
    std::string text;
    // A regular file's size is known: one allocation, rather than a string that doubles as it
    // grows and holds up to three times a large file at its last doubling.
    text.reserve(expected);
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (text.size() + got > largest) {
            std::fclose(file);
            return tooLarge(path, largest);
        }
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
    if (looksLikeUtf16(text)) {
        return Notice(formatText("File %s could not be read", path.c_str()), kErrorCaption,
                      NoticeIcon::kStop,
                      "It is UTF-16 text (\"Unicode text\" in a spreadsheet's Save As); save "
                      "it as UTF-8 or plain text (CSV)");
    }
    return text;
}

}  // namespace kavri
