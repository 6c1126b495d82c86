#include <cstdio>

#include "report/output_files.h"

namespace kavri {
namespace {

class DiskFile final : public OutputFile {
public:
    explicit DiskFile(std::FILE* file) : file_(file) {}
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    ~DiskFile() override { close(); }

    void write(std::string_view text) override {
        // After the first failure the stream's error flag is set; later writes change nothing.
        if (file_ != nullptr && !text.empty()) {
            std::fwrite(text.data(), 1, text.size(), file_);
        }
    }

    bool close() override {
        if (file_ == nullptr) {
            return true;
        }
        const bool written = std::ferror(file_) == 0;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return written && closed;
    }

private:
    std::FILE* file_;
};

class DiskFileSystem final : public OutputFileSystem {
public:
    std::unique_ptr<OutputFile> create(const std::filesystem::path& path) override {
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (file == nullptr) {
            return nullptr;
        }
        return std::make_unique<DiskFile>(file);
    }
};

}  // namespace

OutputFileSystem& diskFileSystem() {
    static DiskFileSystem disk;
    return disk;
}

}  // namespace kavri
