#pragma once

// The files of one run, put in place together at its end. Every file the run writes is
// completed beside its target first (through the file system it wraps); commit() then takes
// the lock of each folder involved, removes the temporary files that dead runs left there,
// puts this run's files in place and removes the files an earlier run left that this run
// supersedes. A run that fails, or ends without a model, calls discard() (or simply destroys
// the set): no file on disk changes.
//
// The lock keeps two runs' commits apart, so that concurrent runs in one folder leave one run's
// whole set. Before its first rename a commit writes its plan (every rename and removal) beside
// the files, durably, and removes it after the last; a run killed in between leaves the plan,
// and the next run to lock the folder (at its start, and at its commit) carries out the rest
// of it before anything else. The remaining window: the renames are atomic one by one, not as
// a set, so until that next run a reader can see the files renamed so far beside the earlier
// run's others.

#include <filesystem>
#include <memory>
#include <vector>

#include "model/notice.h"
#include "report/output_files.h"

namespace kavri {

struct CommittedFiles {
    std::vector<std::filesystem::path> written;  // put in place, in the order first started
    std::vector<std::filesystem::path> removed;  // left by an earlier run, superseded by this one
    MaybeNotice notice;                          // why the commit stopped, if it did
};

class RunFileSet final : public OutputFileSystem {
 public:
    explicit RunFileSet(OutputFileSystem& target) : target_(target) {}
    RunFileSet(const RunFileSet&) = delete;
    RunFileSet& operator=(const RunFileSet&) = delete;
    ~RunFileSet() override;

    // A file of the run: its commit() only completes it and keeps it for commit() below. A
    // later file of the same path replaces one kept earlier, so the last evaluation's text wins.
    CreatedFile create(const std::filesystem::path& path) override;

    // `path` is removed at commit unless the run writes it: a file of the kind this run could
    // have written but did not (held-out predictions with none held out, forecasts not asked
    // for, a chart that does not apply), which would otherwise pass for this run's.
    void supersede(const std::filesystem::path& path);

    // The paths kept so far, in the order first started.
    std::vector<std::filesystem::path> kept() const;

    // Puts every kept file in place, streams (FIFOs, devices) first since only their writing
    // can fail half-way, then the regular files, then removes the superseded ones.
    CommittedFiles commit();
    // Drops every kept file: the files on disk stay as they were.
    void discard();
    // Locks each folder in turn and completes what runs killed while committing there left
    // (their plans, their temporary files): called at the start of a run.
    void recover(const std::vector<std::filesystem::path>& folders);

    std::unique_ptr<FolderLock> lockFolder(const std::filesystem::path& directory) override {
        return target_.lockFolder(directory);
    }
    void removeStaleFiles(const std::filesystem::path& directory) override {
        target_.removeStaleFiles(directory);
    }
    bool holdsFile(const std::filesystem::path& path) override { return target_.holdsFile(path); }
    std::error_code remove(const std::filesystem::path& path) override {
        return target_.remove(path);
    }
    void syncFolder(const std::filesystem::path& directory) override {
        target_.syncFolder(directory);
    }

 private:
    class KeptFile;
    friend class KeptFile;
    struct Entry {
        std::filesystem::path path;
        std::shared_ptr<OutputFile> file;  // null until the run's writing of it is complete
    };
    void keep(const std::filesystem::path& path, std::shared_ptr<OutputFile> file);

    OutputFileSystem& target_;
    std::vector<Entry> entries_;
    std::vector<std::filesystem::path> superseded_;
};

}  // namespace kavri
