#include "report/residuals_file.h"

#include <cassert>

#include "model/text_format.h"

namespace kavri {
namespace {

constexpr const char* kOpenFailureText =
    "Kavri Directory do not exist or Residuals.txt File could not be opened\n";
constexpr const char* kWriteFailureText = "Residuals.txt could not be written completely\n";
constexpr const char* kHeader = " Series\t         Fit\t         Residuals\n";

}  // namespace

MaybeNotice ResidualsFile::open(const std::filesystem::path& path, OutputFileSystem& fileSystem) {
    assert(file_ == nullptr);
    close();
    // Created anew: an earlier table is discarded even when this evaluation writes none.
    file_ = fileSystem.create(path);
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
    file_->write(kHeader);
    for (int t = 0; t < n; ++t) {
        file_->write(formatText("%8.5f\t%8.5f\t%8.5f\n", x[t], fitted[t], residual[t]));
    }
}

MaybeNotice ResidualsFile::close() {
    if (file_ == nullptr) {
        return std::nullopt;
    }
    const bool complete = file_->close();
    file_.reset();
    if (!complete) {
        return errorNotice(kWriteFailureText);
    }
    return std::nullopt;
}

}  // namespace kavri
