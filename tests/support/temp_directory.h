#pragma once

// A fresh directory under the system's temporary directory, removed with everything in it when
// the test ends, so that tests never write into the source tree or into each other's files.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace kavri::testing {

class TempDirectory {
 public:
    TempDirectory() {
        static std::atomic<int> counter{0};
        std::random_device entropy;
        path_ = std::filesystem::temp_directory_path() /
                ("kavri-test-" + std::to_string(entropy()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

 private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kavri::testing
