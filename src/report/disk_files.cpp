#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "report/output_files.h"

namespace kavri {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

// The new text of `target` is written to a hidden file beside it, in the same directory so that
// the rename that replaces the target is atomic.
class DiskFile final : public OutputFile {
 public:
    DiskFile(std::FILE* file, fs::path temporary, fs::path target)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    ~DiskFile() override {
        if (!committed_) {
            discard();
        }
    }

    void write(std::string_view text) override {
        // Only the first failure counts; the text after it is not wanted any more.
        if (file_ == nullptr || error_ || text.empty()) {
            return;
        }
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
            error_ = lastError();
        }
    }

    std::error_code finish() override {
        if (file_ == nullptr) {
            return error_;
        }
        // The buffer's last block is written here, so a full device often shows only now.
        if (!error_ && std::fflush(file_) != 0) {
            error_ = lastError();
        }
        if (std::fclose(file_) != 0 && !error_) {
            error_ = lastError();
        }
        file_ = nullptr;
        if (error_) {
            ::unlink(temporary_.c_str());
        }
        return error_;
    }

    std::error_code commit() override {
        if (committed_ || finish()) {
            return error_;
        }
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            error_ = lastError();
            ::unlink(temporary_.c_str());
            return error_;
        }
        committed_ = true;
        return error_;
    }

 private:
    void discard() {
        if (file_ != nullptr) {
            std::fclose(file_);
            file_ = nullptr;
        }
        if (!error_) {
            ::unlink(temporary_.c_str());
        }
    }

    std::FILE* file_;
    fs::path temporary_;
    fs::path target_;
    std::error_code error_;
    bool committed_ = false;
};

class DiskFileSystem final : public OutputFileSystem {
 public:
    CreatedFile create(const fs::path& path) override {
        fs::path target = path;
        // A link is followed, so that the file it names is replaced, as a rewrite in place would.
        std::error_code ignored;
        if (fs::is_symlink(target, ignored)) {
            const fs::path resolved = fs::weakly_canonical(target, ignored);
            if (!ignored) {
                target = resolved;
            }
        }
        struct stat existing {};
        const bool exists = ::stat(target.c_str(), &existing) == 0;
        if (exists) {
            if (S_ISDIR(existing.st_mode)) {
                return {nullptr, std::make_error_code(std::errc::is_a_directory)};
            }
            // A file the user made read-only stays protected, as it would from a rewrite.
            if (::access(target.c_str(), W_OK) != 0) {
                return {nullptr, lastError()};
            }
        }

        const std::string prefix =
            "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path temporary =
                target.parent_path() / (prefix + std::to_string(++created_) + ".tmp");
            const int descriptor =
                ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor < 0) {
                if (errno == EEXIST) {
                    continue;
                }
                return {nullptr, lastError()};
            }
            // The replacement keeps the permissions of the file it replaces.
            if (exists) {
                (void)::fchmod(descriptor, existing.st_mode & 07777);
            }
            std::FILE* file = ::fdopen(descriptor, "w");
            if (file == nullptr) {
                const std::error_code error = lastError();
                ::close(descriptor);
                ::unlink(temporary.c_str());
                return {nullptr, error};
            }
            return {std::make_unique<DiskFile>(file, temporary, target), {}};
        }
        return {nullptr, std::make_error_code(std::errc::file_exists)};
    }

 private:
    // Numbers the files beside the targets, so that runs in threads of one process never share
    // one; the process id keeps processes apart.
    std::atomic<unsigned> created_{0};
};

}  // namespace

OutputFileSystem& diskFileSystem() {
    static DiskFileSystem disk;
    return disk;
}

}  // namespace kavri
