#pragma once

// How the core writes its result files: through this small interface rather than the disk
// directly, so that the behaviour of every write and failure can be tested in memory, and so
// that a front end could send the files elsewhere. diskFileSystem() is the real one; the tests
// have an in-memory one that records every operation and fails on demand.

#include <filesystem>
#include <memory>
#include <string_view>

namespace kavri {

// One file being written. A failed write is remembered, not reported at once: the caller
// learns of it from close(), as it would from a buffered stream.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void write(std::string_view text) = 0;
    // Ends the file: true when every write and the close itself succeeded. Closing twice is
    // harmless and reports true the second time.
    virtual bool close() = 0;
};

class OutputFileSystem {
public:
    virtual ~OutputFileSystem() = default;
    // Creates the file, emptying one that exists; null when it cannot be created (a missing
    // directory, no permission, a directory of that name).
    virtual std::unique_ptr<OutputFile> create(const std::filesystem::path& path) = 0;
};

// The files of the real file system.
OutputFileSystem& diskFileSystem();

}  // namespace kavri
