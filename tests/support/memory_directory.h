#pragma once

// A fresh directory for tests that rewrite the result files thousands of times, removed with
// everything in it when the test ends. On a disk file system the truncation of a written file
// can cost milliseconds, so it lies in memory-backed storage (/dev/shm) where the system has it,
// and under the temporary directory otherwise.

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace kavri::testing {

class MemoryDirectory {
 public:
    MemoryDirectory() {
        static std::atomic<int> counter{0};
        const std::filesystem::path memory = "/dev/shm";
        std::error_code error;
        const std::filesystem::path root = std::filesystem::is_directory(memory, error)
                                               ? memory
                                               : std::filesystem::temp_directory_path();
        path_ =
            root / ("kavri-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    MemoryDirectory(const MemoryDirectory&) = delete;
    MemoryDirectory& operator=(const MemoryDirectory&) = delete;
    ~MemoryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }

 private:
    std::filesystem::path path_;
};

}  // namespace kavri::testing
