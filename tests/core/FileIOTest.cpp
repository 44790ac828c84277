#include "editor/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using kalvo::readFile;
using kalvo::writeFileReplacing;

namespace {

class FileIO : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalvo-fileio-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    fs::path dir;
};

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes + "\r\n\n\r";
}

} // namespace

TEST_F(FileIO, EveryByteRoundTrips) {
    std::error_code error;
    ASSERT_TRUE(writeFileReplacing(dir / "all.txt", allBytes(), error)) << error.message();
    EXPECT_FALSE(error);
    EXPECT_EQ(readFile(dir / "all.txt", error), allBytes());
    EXPECT_EQ(entries(), 1u); // no temporary left behind
}

TEST_F(FileIO, ReplacesAnExistingFileAndKeepsItsPermissions) {
    const fs::path file = dir / "prog.txt";
    std::ofstream(file) << "old content that is longer";
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::error_code error;
    ASSERT_TRUE(writeFileReplacing(file, "new", error));
    EXPECT_EQ(readFile(file, error), "new");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileIO, AFailedWriteLeavesTheOldFileIntact) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only folders";
    const fs::path file = dir / "prog.txt";
    std::ofstream(file) << "precious";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    std::error_code error;
    EXPECT_FALSE(writeFileReplacing(file, "new", error));
    EXPECT_TRUE(error);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(readFile(file, error), "precious");
}

TEST_F(FileIO, WritingIntoAMissingFolderFailsWithTheSystemsReason) {
    std::error_code error;
    EXPECT_FALSE(writeFileReplacing(dir / "no" / "such" / "x.txt", "x", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST_F(FileIO, ReadingAMissingFileFails) {
    std::error_code error;
    EXPECT_FALSE(readFile(dir / "missing.txt", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST_F(FileIO, WritingThroughASymbolicLinkReplacesItsTarget) {
    const fs::path target = dir / "real.txt";
    std::ofstream(target) << "old";
    fs::create_symlink(target, dir / "link.txt");
    std::error_code error;
    ASSERT_TRUE(writeFileReplacing(dir / "link.txt", "new", error));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(readFile(target, error), "new");
}

TEST_F(FileIO, AnEmptyDocumentMakesAnEmptyFile) {
    std::error_code error;
    ASSERT_TRUE(writeFileReplacing(dir / "empty.txt", "", error));
    EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
    EXPECT_EQ(readFile(dir / "empty.txt", error), "");
}

TEST_F(FileIO, AFailedRenameRemovesTheTemporaryFile) {
    fs::create_directory(dir / "folder");
    std::ofstream(dir / "folder" / "inside.txt") << "kept";
    std::error_code error;
    EXPECT_FALSE(writeFileReplacing(dir / "folder", "x", error));
    EXPECT_TRUE(error);
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(readFile(dir / "folder" / "inside.txt", error), "kept");
}
