#include "report/run_file_set.h"

#include <algorithm>
#include <set>

#include "model/text_format.h"

namespace kavri {

namespace fs = std::filesystem;

// Writes go straight to the file underneath; commit() completes it and hands it to the set.
class RunFileSet::KeptFile final : public OutputFile {
 public:
    KeptFile(RunFileSet& owner, fs::path path, std::shared_ptr<OutputFile> file)
        : owner_(owner), path_(std::move(path)), file_(std::move(file)) {}

    void write(std::string_view text) override { file_->write(text); }
    std::error_code finish() override { return file_->finish(); }
    bool writesInPlace() const override { return file_->writesInPlace(); }
    std::error_code commit() override {
        if (const std::error_code error = file_->finish()) {
            return error;
        }
        if (!kept_) {
            kept_ = true;
            owner_.keep(path_, file_);
        }
        return {};
    }

 private:
    RunFileSet& owner_;
    fs::path path_;
    std::shared_ptr<OutputFile> file_;
    bool kept_ = false;
};

RunFileSet::~RunFileSet() = default;

CreatedFile RunFileSet::create(const fs::path& path) {
    CreatedFile created = target_.create(path);
    if (created.file == nullptr) {
        return created;
    }
    std::shared_ptr<OutputFile> file(std::move(created.file));
    return {std::make_unique<KeptFile>(*this, path, std::move(file)), {}};
}

void RunFileSet::keep(const fs::path& path, std::shared_ptr<OutputFile> file) {
    for (Entry& entry : entries_) {
        if (entry.path == path) {
            // The earlier text is dropped (its temporary file removed) in favour of this one.
            entry.file = std::move(file);
            return;
        }
    }
    entries_.push_back(Entry{path, std::move(file)});
}

void RunFileSet::supersede(const fs::path& path) {
    if (std::find(superseded_.begin(), superseded_.end(), path) == superseded_.end()) {
        superseded_.push_back(path);
    }
}

std::vector<fs::path> RunFileSet::kept() const {
    std::vector<fs::path> paths;
    for (const Entry& entry : entries_) {
        paths.push_back(entry.path);
    }
    return paths;
}

void RunFileSet::discard() {
    entries_.clear();
    superseded_.clear();
}

namespace {

fs::path folderOf(const fs::path& path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

std::string pathList(const std::vector<fs::path>& paths) {
    std::string list;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        list += (i == 0 ? "" : ", ") + paths[i].string();
    }
    return list;
}

}  // namespace

CommittedFiles RunFileSet::commit() {
    CommittedFiles committed;
    std::vector<Entry> entries = std::move(entries_);
    std::vector<fs::path> superseded = std::move(superseded_);
    discard();
    if (entries.empty() && superseded.empty()) {
        return committed;
    }

    // One lock per folder, taken in one order by every run so that two runs never wait on
    // each other.
    std::set<fs::path> folders;
    for (const Entry& entry : entries) {
        folders.insert(folderOf(entry.path));
    }
    for (const fs::path& path : superseded) {
        folders.insert(folderOf(path));
    }
    std::vector<std::unique_ptr<FolderLock>> locks;
    for (const fs::path& folder : folders) {
        locks.push_back(target_.lockFolder(folder));
        target_.removeStaleFiles(folder);
    }

    std::stable_partition(entries.begin(), entries.end(),
                          [](const Entry& entry) { return entry.file->writesInPlace(); });
    std::vector<fs::path> removals;
    for (const fs::path& path : superseded) {
        const bool written =
            std::any_of(entries.begin(), entries.end(),
                        [&path](const Entry& entry) { return entry.path == path; });
        if (!written && target_.holdsFile(path)) {
            removals.push_back(path);
        }
    }
    // Streams first: only their writing can fail half-way. Then the plan of the renames and
    // removals, so that a kill among them is completed by the next run.
    std::size_t firstRename = 0;
    while (firstRename < entries.size() && entries[firstRename].file->writesInPlace()) {
        ++firstRename;
    }
    CommitPlan plan;
    for (std::size_t i = firstRename; i < entries.size(); ++i) {
        const fs::path from = entries[i].file->completedPath();
        if (!from.empty()) {
            plan.renames.emplace_back(from, entries[i].file->targetPath());
        }
    }
    plan.removals = removals;
    // Beside the first file renamed: the result folder, which the next run locks first.
    const fs::path planFolder =
        firstRename < entries.size() ? folderOf(entries[firstRename].path) : fs::path(".");
    bool planKept = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (i == firstRename && !plan.renames.empty()) {
            planKept = target_.keepPlan(planFolder, plan);
        }
        if (const std::error_code error = entry.file->commit()) {
            std::string detail = formatText("%s could not be written: %s. ", entry.path.c_str(),
                                            error.message().c_str());
            if (committed.written.empty()) {
                detail +=
                    "No file of this run was put in place: the files there are as the "
                    "earlier run left them.";
            } else {
                detail += "Already put in place by this run: " + pathList(committed.written) +
                          "; the others are as the earlier run left them.";
            }
            committed.notice = Notice{entry.path.string() + " could not be written\n",
                                      kErrorCaption, NoticeIcon::kStop, detail};
            // A failed rename is not to be repeated by a later run: the plan goes.
            if (planKept) {
                target_.dropPlan(planFolder);
            }
            return committed;
        }
        committed.written.push_back(entry.path);
    }
    for (const fs::path& path : removals) {
        if (!target_.remove(path)) {
            committed.removed.push_back(path);
        }
    }
    for (const fs::path& folder : folders) {
        target_.syncFolder(folder);
    }
    if (planKept) {
        target_.dropPlan(planFolder);
    }
    return committed;
}

void RunFileSet::recover(const std::vector<fs::path>& folders) {
    std::set<fs::path> unique;
    for (const fs::path& folder : folders) {
        unique.insert(folder.empty() ? fs::path(".") : folder);
    }
    for (const fs::path& folder : unique) {
        const std::unique_ptr<FolderLock> lock = target_.lockFolder(folder);
        target_.removeStaleFiles(folder);
    }
}

}  // namespace kavri
