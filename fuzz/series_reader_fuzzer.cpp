// libFuzzer target: the series reader on arbitrary file contents. The first byte chooses how
// many values are asked for; the rest is the file. The reader must never crash, and a series
// it accepts must hold finite numbers only.

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/series_input.h"
#include "numeric/storage.h"

namespace {

// The file lives in memory and is rewritten for every input; its /proc name opens it afresh
// at offset 0, as a path on disk would.
class MemoryFile {
public:
    MemoryFile() : descriptor_(::memfd_create("kavri-series", 0)) {
        if (descriptor_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(descriptor_);
    }
    const std::string& write(const std::uint8_t* data, std::size_t size) {
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

void fail(const char* what, int index, double value) {
    std::fprintf(stderr, "series reader: %s (value %d: %g)\n", what, index, value);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    if (size == 0) {
        return 0;
    }
    const int count = 1 + data[0] % 64;
    kavri::DVector series = kavri::dvector(0, count);
    const std::string& path = file.write(data + 1, size - 1);
    const kavri::MaybeNotice notice = kavri::readSeries(path, count, series);
    if (notice) {
        if (notice->text.empty()) {
            fail("a notice without text", 0, 0.0);
        }
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(series[i])) {
            fail("accepted a value that is not finite", i + 1, series[i]);
        }
    }
    return 0;
}
