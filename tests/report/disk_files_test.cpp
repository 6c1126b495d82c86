// The disk implementation of the result files, on a real directory: a file is replaced by
// renaming a complete file written beside it, so a reader never sees part of one.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

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

}  // namespace
}  // namespace kavri
