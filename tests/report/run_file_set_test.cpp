// A run's files are put in place together at its end: nothing changes on disk before, nothing
// at all when the run fails, and files of an earlier run that this one does not produce are
// removed, so that a folder holds one run's set.

#include "report/run_file_set.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "support/memory_file_system.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

namespace fs = std::filesystem;
using testing::MemoryFileSystem;
using testing::readFile;
using testing::TempDirectory;

std::set<std::string> namesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

void writeKept(OutputFileSystem& files, const fs::path& path, const std::string& text) {
    CreatedFile created = files.create(path);
    ASSERT_NE(created.file, nullptr) << created.error.message();
    created.file->write(text);
    ASSERT_FALSE(created.file->commit());
}

TEST(RunFileSet, NothingChangesUntilTheSetIsCommittedThenAllAtOnce) {
    MemoryFileSystem memory;
    memory.put("Residuals.txt", "old residuals\n");
    memory.put("Predictions.txt", "old predictions\n");
    memory.put("Forecasts.txt", "old forecasts\n");
    RunFileSet set(memory);
    writeKept(set, "Residuals.txt", "first evaluation\n");
    writeKept(set, "Residuals.txt", "new residuals\n");  // a later evaluation's text wins
    writeKept(set, "Predictions.txt", "new predictions\n");
    set.supersede("Forecasts.txt");
    set.supersede("Predictions.txt");  // written by this run: kept, not removed
    EXPECT_EQ(memory.read("Residuals.txt"), "old residuals\n");
    EXPECT_EQ(memory.count("commit Residuals.txt"), 0u);
    EXPECT_EQ(set.kept(), (std::vector<fs::path>{"Residuals.txt", "Predictions.txt"}));

    const CommittedFiles committed = set.commit();
    EXPECT_FALSE(committed.notice.has_value());
    EXPECT_EQ(committed.written, (std::vector<fs::path>{"Residuals.txt", "Predictions.txt"}));
    EXPECT_EQ(committed.removed, std::vector<fs::path>{"Forecasts.txt"});
    EXPECT_EQ(memory.read("Residuals.txt"), "new residuals\n");
    EXPECT_EQ(memory.read("Predictions.txt"), "new predictions\n");
    EXPECT_FALSE(memory.read("Forecasts.txt").has_value());
    EXPECT_EQ(memory.count("discard Residuals.txt"), 1u);  // the first evaluation's text
    EXPECT_TRUE(set.kept().empty());
}

TEST(RunFileSet, AFailedOrDiscardedRunLeavesEveryFileAsItWas) {
    MemoryFileSystem memory;
    memory.put("Residuals.txt", "old residuals\n");
    memory.put("Forecasts.txt", "old forecasts\n");
    {
        RunFileSet set(memory);
        writeKept(set, "Residuals.txt", "new\n");
        set.supersede("Forecasts.txt");
        set.discard();
        EXPECT_FALSE(set.commit().notice.has_value());
    }
    {
        RunFileSet destroyed(memory);
        writeKept(destroyed, "Residuals.txt", "new\n");
    }
    EXPECT_EQ(memory.read("Residuals.txt"), "old residuals\n");
    EXPECT_EQ(memory.read("Forecasts.txt"), "old forecasts\n");

    // A file whose text cannot be completed is never kept, and the caller learns why.
    memory.fail(MemoryFileSystem::Operation::kWrite, "Predictions.txt",
                std::errc::no_space_on_device);
    RunFileSet full(memory);
    CreatedFile created = full.create("Predictions.txt");
    ASSERT_NE(created.file, nullptr);
    created.file->write("rows\n");
    EXPECT_EQ(created.file->commit(), std::errc::no_space_on_device);
    EXPECT_TRUE(full.kept().empty());
}

TEST(RunFileSet, AFailedCommitSaysWhichFilesAreInPlace) {
    MemoryFileSystem memory;
    memory.fail(MemoryFileSystem::Operation::kCommit, "Predictions.txt",
                std::errc::no_space_on_device);
    RunFileSet set(memory);
    writeKept(set, "Residuals.txt", "r\n");
    writeKept(set, "Predictions.txt", "p\n");
    const CommittedFiles committed = set.commit();
    ASSERT_TRUE(committed.notice.has_value());
    EXPECT_EQ(committed.notice->text, "Predictions.txt could not be written\n");
    EXPECT_EQ(committed.notice->detail,
              "Predictions.txt could not be written: No space left on device. Already put in "
              "place by this run: Residuals.txt; the others are as the earlier run left them.");

    MemoryFileSystem first;
    first.fail(MemoryFileSystem::Operation::kCommit, "Residuals.txt", std::errc::io_error);
    RunFileSet none(first);
    writeKept(none, "Residuals.txt", "r\n");
    EXPECT_NE(none.commit().notice->detail.find("No file of this run was put in place"),
              std::string::npos);
}

// On disk: the set waits beside the old files, the folder is locked while the set goes in,
// and temporary files that dead runs left are removed while a living run's are kept.
TEST(RunFileSet, OnDiskStaleTemporariesOfDeadRunsAreCleanedOnCommit) {
    TempDirectory dir;
    dir.write("Residuals.txt", "old\n");
    dir.write("Forecasts.txt", "old forecasts\n");
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string deadName = ".Residuals.txt." + std::to_string(dead) + ".7.tmp";
    const std::string livingName = ".Residuals.txt." + std::to_string(::getppid()) + ".7.tmp";
    dir.write(deadName, "half a table");
    dir.write(livingName, "a living run's table");
    dir.write(".notes.tmp", "the user's own");

    RunFileSet set(diskFileSystem());
    writeKept(set, dir.path() / "Residuals.txt", "new\n");
    writeKept(set, dir.path() / "Predictions.txt", "predictions\n");
    set.supersede(dir.path() / "Forecasts.txt");
    EXPECT_EQ(readFile(dir.path() / "Residuals.txt"), "old\n");
    EXPECT_FALSE(fs::exists(dir.path() / "Predictions.txt"));

    const CommittedFiles committed = set.commit();
    ASSERT_FALSE(committed.notice.has_value()) << committed.notice->detail;
    EXPECT_EQ(readFile(dir.path() / "Residuals.txt"), "new\n");
    EXPECT_EQ(readFile(dir.path() / "Predictions.txt"), "predictions\n");
    EXPECT_EQ(committed.removed, std::vector<fs::path>{dir.path() / "Forecasts.txt"});
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Residuals.txt", "Predictions.txt",
                                                          livingName, ".notes.tmp"}));
}

// A run killed between two renames of its commit leaves its plan; the next run to lock the
// folder carries out the rest of it (the files were complete before the plan was written), and
// ignores a plan that a kill cut short before any rename.
TEST(RunFileSet, TheNextRunCompletesACommitThatAKillInterrupted) {
    TempDirectory dir;
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string pid = std::to_string(dead);
    dir.write("Residuals.txt", "old residuals\n");
    dir.write("Predictions.txt", "old predictions\n");
    dir.write("Forecasts.txt", "old forecasts\n");
    const fs::path residuals = dir.write(".Residuals.txt." + pid + ".1.tmp", "new residuals\n");
    const fs::path predictions =
        dir.write(".Predictions.txt." + pid + ".2.tmp", "new predictions\n");
    CommitPlan plan;
    plan.renames = {{residuals, dir.path() / "Residuals.txt"},
                    {predictions, dir.path() / "Predictions.txt"}};
    plan.removals = {dir.path() / "Forecasts.txt"};
    ASSERT_TRUE(diskFileSystem().keepPlan(dir.path(), plan));
    const fs::path kept = dir.path() / (".kavri-commit." + std::to_string(::getpid()) + ".plan");
    ASSERT_TRUE(fs::exists(kept));
    fs::rename(kept, dir.path() / (".kavri-commit." + pid + ".plan"));
    fs::rename(residuals, dir.path() / "Residuals.txt");  // the kill came after the first rename

    RunFileSet next(diskFileSystem());
    next.recover({dir.path()});
    EXPECT_EQ(readFile(dir.path() / "Residuals.txt"), "new residuals\n");
    EXPECT_EQ(readFile(dir.path() / "Predictions.txt"), "new predictions\n");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Residuals.txt", "Predictions.txt"}));

    // A plan without its end mark was cut short before the first rename: nothing is renamed,
    // and the dead run's files go.
    const fs::path half = dir.write(".Residuals.txt." + pid + ".3.tmp", "half\n");
    dir.write(".kavri-commit." + pid + ".plan", "R" + std::string(1, '\0') + half.string());
    next.recover({dir.path()});
    EXPECT_EQ(readFile(dir.path() / "Residuals.txt"), "new residuals\n");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Residuals.txt", "Predictions.txt"}));
}

// A FIFO among the files is written before any regular file is renamed, so that a reader that
// goes away cannot leave half a set behind.
TEST(RunFileSet, AStreamThatFailsLeavesTheRegularFilesAsTheyWere) {
    TempDirectory dir;
    const fs::path residuals = dir.write("Residuals.txt", "old\n");
    const fs::path fifo = dir.path() / "simulated";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);  // the write then fails with EPIPE

    RunFileSet set(diskFileSystem());
    writeKept(set, residuals, "new\n");
    writeKept(set, fifo, std::string(1 << 20, '1'));  // far more than a pipe holds
    std::thread reader([&fifo] {
        const int descriptor = ::open(fifo.c_str(), O_RDONLY);
        ::close(descriptor);  // a reader that leaves at once
    });
    const CommittedFiles committed = set.commit();
    reader.join();
    std::signal(SIGPIPE, previous);

    ASSERT_TRUE(committed.notice.has_value());
    EXPECT_NE(committed.notice->detail.find("Broken pipe"), std::string::npos);
    EXPECT_NE(committed.notice->detail.find("No file of this run was put in place"),
              std::string::npos);
    EXPECT_EQ(readFile(residuals), "old\n");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Residuals.txt", "simulated"}));
}

}  // namespace
}  // namespace kavri
