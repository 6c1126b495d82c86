#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/output_files.h"

namespace kavri {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

// The hidden file beside `target` that takes its new text: ".<name>.<process>.<count>.tmp".
// The process id lets a later run tell the files of a run that died from those of one that is
// still writing.
std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
}

// Writes all of `text` to `descriptor`, resuming after interruptions and partial writes.
std::error_code writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// The new text of `target` is written to a hidden file beside it, in the same directory so that
// the rename that replaces the target is atomic. The text reaches the disk (fsync) before the
// rename, so that a crash after it cannot leave the name on an empty file.
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
        if (!error_ && ::fsync(::fileno(file_)) != 0) {
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

    fs::path completedPath() const override {
        return file_ == nullptr && !error_ && !committed_ ? temporary_ : fs::path();
    }
    fs::path targetPath() const override { return target_; }

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

// A FIFO or a character device: the text is kept until commit() and then written into the
// existing node, which is opened without creating or truncating anything. Opening a FIFO waits
// for a reader, as a shell redirection does.
class StreamFile final : public OutputFile {
 public:
    explicit StreamFile(fs::path target) : target_(std::move(target)) {}

    void write(std::string_view text) override { text_.append(text); }
    std::error_code finish() override { return error_; }
    bool writesInPlace() const override { return true; }

    std::error_code commit() override {
        if (done_) {
            return error_;
        }
        done_ = true;
        int descriptor = -1;
        do {
            descriptor = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0) {
            error_ = lastError();
            return error_;
        }
        error_ = writeAll(descriptor, text_);
        if (::close(descriptor) != 0 && !error_) {
            error_ = lastError();
        }
        text_.clear();
        return error_;
    }

 private:
    fs::path target_;
    std::string text_;
    std::error_code error_;
    bool done_ = false;
};

class DiskFolderLock final : public FolderLock {
 public:
    explicit DiskFolderLock(int descriptor) : descriptor_(descriptor) {}
    DiskFolderLock(const DiskFolderLock&) = delete;
    DiskFolderLock& operator=(const DiskFolderLock&) = delete;
    // Closing the descriptor releases the lock; so does the end of the process, however it ends.
    ~DiskFolderLock() override { ::close(descriptor_); }

 private:
    int descriptor_;
};

fs::path folderOf(const fs::path& directory) {
    return directory.empty() ? fs::path(".") : directory;
}

// The process id in a temporary file's name ".<name>.<pid>.<count>.tmp"; 0 when the name is not
// one of ours.
long temporaryOwner(const std::string& name) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() < 8 || name[0] != '.' || name.compare(name.size() - 4, 4, kSuffix) != 0) {
        return 0;
    }
    const std::string stem = name.substr(0, name.size() - kSuffix.size());
    const std::size_t countDot = stem.rfind('.');
    if (countDot == std::string::npos || countDot == 0) {
        return 0;
    }
    const std::size_t pidDot = stem.rfind('.', countDot - 1);
    if (pidDot == std::string::npos || pidDot == 0) {
        return 0;
    }
    const std::string pid = stem.substr(pidDot + 1, countDot - pidDot - 1);
    const std::string count = stem.substr(countDot + 1);
    const auto digits = [](const std::string& text) {
        return !text.empty() && text.size() <= 10 &&
               text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(pid) || !digits(count)) {
        return 0;
    }
    return std::strtol(pid.c_str(), nullptr, 10);
}

// The plan of a commit: ".kavri-commit.<pid>.plan" in the folder of its first file, fields
// separated by NULs ("R" from to, "D" path), ended by "E" so that a plan cut short by a kill
// (before any rename) is known and ignored.
std::string planName() { return ".kavri-commit." + std::to_string(::getpid()) + ".plan"; }

long planOwner(const std::string& name) {
    constexpr std::string_view kPrefix = ".kavri-commit.";
    constexpr std::string_view kSuffix = ".plan";
    if (name.size() <= kPrefix.size() + kSuffix.size() || name.rfind(kPrefix, 0) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
        return 0;
    }
    const std::string pid =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (pid.empty() || pid.size() > 10 ||
        pid.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::strtol(pid.c_str(), nullptr, 10);
}

bool processGone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

bool isRegular(const fs::path& path) {
    struct stat found {};
    return ::lstat(path.c_str(), &found) == 0 && S_ISREG(found.st_mode);
}

// Carries out the rest of a dead run's complete plan: its files were complete and on disk
// before the plan was written, so the renames not yet made are made now.
void completePlan(const fs::path& plan) {
    std::FILE* file = std::fopen(plan.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(file);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (fields.empty() || fields.back() != "E") {
        return;  // cut short before the commit began: nothing was renamed
    }
    for (std::size_t i = 0; i + 1 < fields.size();) {
        if (fields[i] == "R" && i + 2 < fields.size()) {
            if (isRegular(fields[i + 1])) {
                (void)std::rename(fields[i + 1].c_str(), fields[i + 2].c_str());
            }
            i += 3;
        } else if (fields[i] == "D" && i + 1 < fields.size()) {
            if (isRegular(fields[i + 1])) {
                ::unlink(fields[i + 1].c_str());
            }
            i += 2;
        } else {
            break;
        }
    }
}

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
        if (exists && !S_ISREG(existing.st_mode)) {
            if (S_ISFIFO(existing.st_mode) || S_ISCHR(existing.st_mode)) {
                if (::access(target.c_str(), W_OK) != 0) {
                    return {nullptr, lastError()};
                }
                return {std::make_unique<StreamFile>(target), {}};
            }
            if (S_ISDIR(existing.st_mode)) {
                return {nullptr, std::make_error_code(std::errc::is_a_directory)};
            }
            if (S_ISSOCK(existing.st_mode)) {
                return {nullptr, makeError(OutputPathRefusal::kSocket)};
            }
            if (S_ISBLK(existing.st_mode)) {
                return {nullptr, makeError(OutputPathRefusal::kBlockDevice)};
            }
            return {nullptr, makeError(OutputPathRefusal::kOtherKind)};
        }
        // A file the user made read-only stays protected, as it would from a rewrite.
        if (exists && ::access(target.c_str(), W_OK) != 0) {
            return {nullptr, lastError()};
        }

        const std::string prefix = temporaryPrefix(target);
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

    std::unique_ptr<FolderLock> lockFolder(const fs::path& directory) override {
        // The folder itself is locked, so that no lock file is left behind; flock() on a
        // directory descriptor works on every local Linux file system.
        const int descriptor =
            ::open(folderOf(directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0) {
            return nullptr;
        }
        int locked = -1;
        do {
            locked = ::flock(descriptor, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            ::close(descriptor);
            return nullptr;
        }
        return std::make_unique<DiskFolderLock>(descriptor);
    }

    bool keepPlan(const fs::path& directory, const CommitPlan& plan) override {
        std::string text;
        for (const auto& [from, to] : plan.renames) {
            text += "R";
            text += '\0' + fs::absolute(from).string() + '\0' + fs::absolute(to).string() + '\0';
        }
        for (const fs::path& path : plan.removals) {
            text += "D";
            text += '\0' + fs::absolute(path).string() + '\0';
        }
        text += "E";
        text += '\0';
        const fs::path path = folderOf(directory) / planName();
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (descriptor < 0) {
            return false;
        }
        const bool written = !writeAll(descriptor, text) && ::fsync(descriptor) == 0;
        ::close(descriptor);
        if (!written) {
            ::unlink(path.c_str());
            return false;
        }
        syncFolder(directory);
        return true;
    }

    void dropPlan(const fs::path& directory) override {
        ::unlink((folderOf(directory) / planName()).c_str());
    }

    void removeStaleFiles(const fs::path& directory) override {
        const fs::path folder = folderOf(directory);
        DIR* listing = ::opendir(folder.c_str());
        if (listing == nullptr) {
            return;
        }
        const long self = static_cast<long>(::getpid());
        // First the plans of runs killed while committing, so that their set is completed
        // before their temporary files would be taken for stale ones.
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(listing)) {
            names.emplace_back(entry->d_name);
        }
        ::closedir(listing);
        for (const std::string& name : names) {
            const long owner = planOwner(name);
            if (owner > 0 && owner != self && processGone(owner)) {
                completePlan(folder / name);
                ::unlink((folder / name).c_str());
            }
        }
        for (const std::string& name : names) {
            const long owner = temporaryOwner(name);
            // Only files of processes that no longer exist: a run still writing keeps its own.
            if (owner <= 0 || owner == self || !processGone(owner)) {
                continue;
            }
            const fs::path path = folder / name;
            if (isRegular(path)) {
                ::unlink(path.c_str());
            }
        }
    }

    bool holdsFile(const fs::path& path) override {
        struct stat found {};
        return ::stat(path.c_str(), &found) == 0 && S_ISREG(found.st_mode);
    }

    std::error_code remove(const fs::path& path) override {
        struct stat found {};
        if (::lstat(path.c_str(), &found) != 0) {
            return errno == ENOENT ? std::error_code() : lastError();
        }
        // Only a regular file is removed; a link is left for its owner to judge.
        if (!S_ISREG(found.st_mode)) {
            return {};
        }
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            return lastError();
        }
        return {};
    }

    void syncFolder(const fs::path& directory) override {
        const int descriptor =
            ::open(folderOf(directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor >= 0) {
            (void)::fsync(descriptor);
            ::close(descriptor);
        }
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
