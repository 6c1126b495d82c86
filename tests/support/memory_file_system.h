#pragma once

// An in-memory OutputFileSystem for the core's file behaviour: it keeps the committed text of
// every file, records every operation in order, and fails any operation on demand with the
// reason the system would give (permission denied, no space left, is a directory...), so that
// failures are tested without special devices, full disks or directories named like files.

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "report/output_files.h"

namespace kavri::testing {

class MemoryFileSystem final : public OutputFileSystem {
 public:
    enum class Operation { kCreate, kWrite, kCommit };

    // The `skip`+1-th `operation` on `path` (counted from now) and every later one fail with
    // `error`. A failed write is remembered and reported by finish() and commit().
    void fail(Operation operation, const std::filesystem::path& path, std::errc error,
              int skip = 0) {
        faults_.push_back(Fault{operation, path.string(), std::make_error_code(error), skip});
    }

    // A file as an earlier run left it.
    void put(const std::filesystem::path& path, std::string text) {
        files_[path.string()] = std::move(text);
    }

    // The committed text of a file; empty when there is no such file.
    std::optional<std::string> read(const std::filesystem::path& path) const {
        const auto found = files_.find(path.string());
        if (found == files_.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    // Every operation in order: "create P", "refuse create P", "write P", "fail write P",
    // "finish P", "fail finish P", "commit P", "fail commit P", "discard P", "remove P".
    const std::vector<std::string>& log() const { return log_; }
    std::size_t count(const std::string& entry) const {
        std::size_t n = 0;
        for (const std::string& line : log_) n += line == entry ? 1 : 0;
        return n;
    }

    bool holdsFile(const std::filesystem::path& path) override {
        return files_.count(path.string()) != 0;
    }

    std::error_code remove(const std::filesystem::path& path) override {
        log_.push_back("remove " + path.string());
        files_.erase(path.string());
        return {};
    }

    CreatedFile create(const std::filesystem::path& path) override {
        const std::string name = path.string();
        if (const std::error_code error = faultFor(Operation::kCreate, name)) {
            log_.push_back("refuse create " + name);
            return {nullptr, error};
        }
        log_.push_back("create " + name);
        return {std::make_unique<File>(*this, name), {}};
    }

 private:
    struct Fault {
        Operation operation;
        std::string path;
        std::error_code error;
        int skip;
    };

    class File final : public OutputFile {
     public:
        File(MemoryFileSystem& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
        ~File() override {
            if (!committed_ && !discarded_) owner_.log_.push_back("discard " + path_);
        }

        void write(std::string_view text) override {
            if (finished_ || error_) return;
            if (const std::error_code error = owner_.faultFor(Operation::kWrite, path_)) {
                owner_.log_.push_back("fail write " + path_);
                error_ = error;
                return;
            }
            owner_.log_.push_back("write " + path_);
            text_.append(text);
        }

        std::error_code finish() override {
            if (finished_) return error_;
            finished_ = true;
            if (error_) {
                owner_.log_.push_back("fail finish " + path_);
                owner_.log_.push_back("discard " + path_);
                discarded_ = true;
                return error_;
            }
            owner_.log_.push_back("finish " + path_);
            return error_;
        }

        std::error_code commit() override {
            if (committed_ || finish()) return error_;
            if (const std::error_code error = owner_.faultFor(Operation::kCommit, path_)) {
                owner_.log_.push_back("fail commit " + path_);
                owner_.log_.push_back("discard " + path_);
                discarded_ = true;
                error_ = error;
                return error_;
            }
            owner_.log_.push_back("commit " + path_);
            owner_.files_[path_] = text_;
            committed_ = true;
            return error_;
        }

     private:
        MemoryFileSystem& owner_;
        std::string path_;
        std::string text_;
        std::error_code error_;
        bool finished_ = false;
        bool committed_ = false;
        bool discarded_ = false;
    };

    std::error_code faultFor(Operation operation, const std::string& path) {
        for (Fault& fault : faults_) {
            if (fault.operation != operation || fault.path != path) continue;
            if (fault.skip > 0) {
                --fault.skip;
                continue;
            }
            return fault.error;
        }
        return {};
    }

    std::map<std::string, std::string> files_;
    std::vector<std::string> log_;
    std::vector<Fault> faults_;
};

}  // namespace kavri::testing
