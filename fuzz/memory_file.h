#pragma once

// A file that lives in memory, for the fuzz targets that hand the reader a path: it is
// rewritten for every input, and its /proc name opens it afresh at offset 0, as a path on disk
// would, without touching the disk.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kavri::fuzz {

class MemoryFile {
 public:
    explicit MemoryFile(const char* name) : descriptor_(::memfd_create(name, 0)) {
        if (descriptor_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(descriptor_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { ::close(descriptor_); }

    // Replaces the contents by `size` bytes from `data`; returns the path that reads them.
    const std::string& write(const void* data, std::size_t size) {
        if (::ftruncate(descriptor_, 0) != 0 ||
            (size > 0 && ::pwrite(descriptor_, data, size, 0) != static_cast<ssize_t>(size))) {
            std::perror("memfd write");
            std::abort();
        }
        return path_;
    }

 private:
    int descriptor_;
    std::string path_;
};

}  // namespace kavri::fuzz
