#include "report/residuals_file.h"

#include <cassert>

namespace kavri {
namespace {

constexpr const char* kOpenFailureText =
    "Kavri Directory do not exist or Residuals.txt File could not be opened\n";
constexpr const char* kWriteFailureText = "Residuals.txt could not be written completely\n";
constexpr const char* kHeader = " Series\t         Fit\t         Residuals\n";

}  // namespace

ResidualsFile::~ResidualsFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

MaybeNotice ResidualsFile::open(const std::filesystem::path& path) {
    assert(file_ == nullptr);
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    // Mode "w": an earlier table is discarded even when this evaluation writes none.
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        return errorNotice(kOpenFailureText);
    }
    return std::nullopt;
}

void ResidualsFile::writeTable(const double* x, const double* fitted, const double* residual,
                               int n) {
    assert(file_ != nullptr);
    if (file_ == nullptr) {
        return;
    }
    // A failed write sets the stream's error flag, which close() reports; stop at the first.
    if (std::fputs(kHeader, file_) < 0) {
        return;
    }
    for (int t = 0; t < n; ++t) {
        if (std::fprintf(file_, "%8.5f\t%8.5f\t%8.5f\n", x[t], fitted[t], residual[t]) < 0) {
            return;
        }
    }
}

MaybeNotice ResidualsFile::close() {
    if (file_ == nullptr) {
        return std::nullopt;
    }
    const bool written = std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        return errorNotice(kWriteFailureText);
    }
    return std::nullopt;
}

}  // namespace kavri
