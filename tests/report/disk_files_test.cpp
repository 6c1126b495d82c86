// The disk implementation of the result files, on a real directory: a file is replaced by
// renaming a complete file written beside it, so a reader never sees part of one.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "report/output_files.h"
#include "support/temp_directory.h"

namespace kavri {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDirectory;

std::set<std::string> namesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(DiskFiles, TheOldFileStaysWholeUntilTheNewOneIsCommitted) {
    TempDirectory dir;
    const fs::path path = dir.write("Residuals.txt", "old table\n");
    ::chmod(path.c_str(), 0640);
    CreatedFile created = diskFileSystem().create(path);
    ASSERT_NE(created.file, nullptr) << created.error.message();
    created.file->write("new ");
    created.file->write("table\n");
    EXPECT_FALSE(created.file->finish());
    EXPECT_EQ(readFile(path), "old table\n");
    EXPECT_EQ(namesIn(dir.path()).size(), 2u);  // the new file waits beside the old one

    EXPECT_FALSE(created.file->commit());
    EXPECT_FALSE(created.file->commit());
    EXPECT_EQ(readFile(path), "new table\n");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"Residuals.txt"});
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);  // the replacement keeps the permissions
}

TEST(DiskFiles, AFileNotCommittedLeavesNothingBehind) {
    TempDirectory dir;
    const fs::path path = dir.write("Predictions.txt", "old forecasts\n");
    {
        CreatedFile created = diskFileSystem().create(path);
        ASSERT_NE(created.file, nullptr);
        created.file->write("half a line");
    }
    EXPECT_EQ(readFile(path), "old forecasts\n");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"Predictions.txt"});

    CreatedFile fresh = diskFileSystem().create(dir.path() / "new.txt");
    ASSERT_NE(fresh.file, nullptr);
    EXPECT_FALSE(fresh.file->commit());
    EXPECT_EQ(readFile(dir.path() / "new.txt"), "");
}

TEST(DiskFiles, CreateFailuresCarryTheSystemsReason) {
    TempDirectory dir;
    fs::create_directory(dir.path() / "Residuals.txt");
    CreatedFile directory = diskFileSystem().create(dir.path() / "Residuals.txt");
    EXPECT_EQ(directory.file, nullptr);
    EXPECT_EQ(directory.error, std::errc::is_a_directory);

    CreatedFile missing = diskFileSystem().create(dir.path() / "missing" / "Residuals.txt");
    EXPECT_EQ(missing.file, nullptr);
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
}

TEST(DiskFiles, ALinkIsFollowedToTheFileItNames) {
    TempDirectory dir;
    const fs::path target = dir.write("kept.txt", "old\n");
    fs::create_symlink(target, dir.path() / "Residuals.txt");
    CreatedFile created = diskFileSystem().create(dir.path() / "Residuals.txt");
    ASSERT_NE(created.file, nullptr);
    created.file->write("new\n");
    ASSERT_FALSE(created.file->commit());
    EXPECT_TRUE(fs::is_symlink(dir.path() / "Residuals.txt"));
    EXPECT_EQ(readFile(target), "new\n");
}

// Reads everything written into the FIFO at `path` by one writer, on a thread of its own.
class FifoReader {
 public:
    explicit FifoReader(fs::path path)
        : thread_([this, path = std::move(path)] { text_ = readFile(path); }) {}
    std::string text() {
        thread_.join();
        return text_;
    }

 private:
    std::string text_;
    std::thread thread_;
};

// A FIFO is a stream: the result is written into it, never put in its place, directly or
// through a link, and nothing is written before the commit.
TEST(DiskFiles, AFifoIsWrittenInPlaceAndStaysAFifo) {
    TempDirectory dir;
    const fs::path fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.path() / "Residuals.txt");
    for (const fs::path& path : {fifo, dir.path() / "Residuals.txt"}) {
        CreatedFile created = diskFileSystem().create(path);
        ASSERT_NE(created.file, nullptr) << created.error.message();
        EXPECT_TRUE(created.file->writesInPlace());
        created.file->write("one\n");
        created.file->write("two\n");
        EXPECT_FALSE(created.file->finish());
        FifoReader reader(fifo);
        EXPECT_FALSE(created.file->commit());
        EXPECT_EQ(reader.text(), "one\ntwo\n");
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_TRUE(fs::is_symlink(dir.path() / "Residuals.txt"));
    }
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Residuals.txt", "pipe"}));
}

// A socket, or a link to a directory, is refused with its kind, and stays what it was.
TEST(DiskFiles, WhatIsNeitherAFileNorAStreamIsRefusedByKind) {
    TempDirectory dir;
    const fs::path socketPath = dir.path() / "Forecasts.txt";
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(descriptor, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.string().size(), sizeof(address.sun_path));
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", socketPath.c_str());
    ASSERT_EQ(::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    const CreatedFile socketFile = diskFileSystem().create(socketPath);
    ::close(descriptor);
    EXPECT_EQ(socketFile.file, nullptr);
    EXPECT_EQ(socketFile.error.message(), "it is a socket, not a regular file");
    EXPECT_TRUE(namesSomethingElse(socketFile.error));
    EXPECT_TRUE(fs::is_socket(socketPath));

    fs::create_directory(dir.path() / "plots");
    fs::create_directory_symlink(dir.path() / "plots", dir.path() / "fit.svg");
    const CreatedFile linked = diskFileSystem().create(dir.path() / "fit.svg");
    EXPECT_EQ(linked.file, nullptr);
    EXPECT_EQ(linked.error, std::errc::is_a_directory);
    EXPECT_TRUE(fs::is_directory(dir.path() / "plots"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "fit.svg"));
}

// The data reaches the disk before the name does, and a full or failing stream reports the
// system's reason rather than success.
TEST(DiskFiles, AStreamThatCannotTakeTheTextReportsWhy) {
    TempDirectory dir;
    const fs::path fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0400), 0);
    const CreatedFile readOnly = diskFileSystem().create(fifo);
    if (::geteuid() != 0) {
        EXPECT_EQ(readOnly.file, nullptr);
        EXPECT_EQ(readOnly.error, std::errc::permission_denied);
    }
}

}  // namespace
}  // namespace kavri
