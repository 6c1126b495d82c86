#pragma once

// How the core writes its result files: through this small interface rather than the disk
// directly, so that the behaviour of every write and failure can be tested in memory, and so
// that a front end could send the files elsewhere. diskFileSystem() is the real one; the tests
// have an in-memory one that records every operation and fails on demand.
//
// A file is replaced, never rewritten in place: its new text goes to a file beside it, which
// takes the file's name only when it is complete. A reader sees the old file or the whole new
// one, never a part, and a write that fails leaves the old file as it was.

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

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
};

// The files of the real file system.
OutputFileSystem& diskFileSystem();

}  // namespace kavri
