#pragma once

// How the core writes its result files: through this small interface rather than the disk
// directly, so that the behaviour of every write and failure can be tested in memory, and so
// that a front end could send the files elsewhere. diskFileSystem() is the real one; the tests
// have an in-memory one that records every operation and fails on demand.
//
// A regular file is replaced, never rewritten in place: its new text goes to a file beside it,
// which takes the file's name only when it is complete. A reader sees the old file or the whole
// new one, never a part, and a write that fails leaves the old file as it was. A path that names
// a stream (a FIFO or a character device such as /dev/null, directly or through a link) is
// written in place when the file is committed, as a shell redirection would; one that names
// anything else that is not a regular file (a directory, a socket, a block device) is refused
// with its kind. Nothing but a regular file is ever replaced.

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "model/output_path_error.h"

namespace kavri {

// One file being written. A failed write is remembered, not reported at once: the caller
// learns of it from finish() or commit(), as it would from a buffered stream.
class OutputFile {
 public:
    // A file destroyed without a successful commit() is discarded: the old one stays.
    virtual ~OutputFile() = default;
    virtual void write(std::string_view text) = 0;
    // Ends the writing: an empty error code when every write reached the new file, otherwise
    // the reason (no space left on the device...). A file that is not complete is discarded,
    // so that several files can be completed first and then committed together.
    virtual std::error_code finish() = 0;
    // Finishes the file if that is not done, then puts it in place of the old one at once. An
    // empty error code when it did; otherwise the reason, and the old file stays. Repeating
    // finish() or commit() repeats the first outcome.
    virtual std::error_code commit() = 0;
    // True when commit() writes the text into an existing stream rather than renaming a
    // completed file: a commit that can fail half-way, so a set of files commits these first.
    virtual bool writesInPlace() const { return false; }
    // The completed file and the name commit() gives it, once finish() succeeded; empty paths
    // when the file is not put in place by a rename (a stream, a file kept in memory).
    virtual std::filesystem::path completedPath() const { return {}; }
    virtual std::filesystem::path targetPath() const { return {}; }
};

// The renames and removals of one commit, written down before the first of them so that a run
// killed part-way can be completed by the next one (RunFileSet).
struct CommitPlan {
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> renames;  // from, to
    std::vector<std::filesystem::path> removals;
};

// Held while a run puts its files in place; released when destroyed.
class FolderLock {
 public:
    virtual ~FolderLock() = default;
};

// A file being created, or the reason it cannot be (no such directory, permission denied, a
// directory of that name...).
struct CreatedFile {
    std::unique_ptr<OutputFile> file;
    std::error_code error;
};

class OutputFileSystem {
 public:
    virtual ~OutputFileSystem() = default;
    // Starts the file that will replace the one at `path` (or create it) on commit.
    virtual CreatedFile create(const std::filesystem::path& path) = 0;

    // The rest serves RunFileSet (run_file_set.h), which commits a run's files together. The
    // defaults suit a file system without folders or other writers.

    // Waits until no other run holds `directory`, then holds it until the lock is destroyed.
    // Null when the folder cannot be locked (the commit then goes ahead unlocked).
    virtual std::unique_ptr<FolderLock> lockFolder(const std::filesystem::path& directory) {
        (void)directory;
        return nullptr;
    }
    // Completes the commits that runs which no longer exist began in `directory` (from their
    // plans), then removes the temporary files such runs left there.
    virtual void removeStaleFiles(const std::filesystem::path& directory) { (void)directory; }
    // Writes `plan` down in `directory`, durably, before the commit acts on it; false when it
    // could not be (the commit then goes ahead without it). dropPlan() removes it afterwards.
    virtual bool keepPlan(const std::filesystem::path& directory, const CommitPlan& plan) {
        (void)directory;
        (void)plan;
        return false;
    }
    virtual void dropPlan(const std::filesystem::path& directory) { (void)directory; }
    // True when a regular file (or a link to one) is at `path`.
    virtual bool holdsFile(const std::filesystem::path& path) {
        (void)path;
        return false;
    }
    // Removes the regular file at `path`; an empty error code when it is gone.
    virtual std::error_code remove(const std::filesystem::path& path) {
        (void)path;
        return {};
    }
    // Makes the renames in `directory` durable.
    virtual void syncFolder(const std::filesystem::path& directory) { (void)directory; }
};

// The files of the real file system.
OutputFileSystem& diskFileSystem();

}  // namespace kavri
