// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileIO.h"
#include "TempFolderTest.h"
#include "document/TextBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace kalvo;

class FileIO : public TempFolderTest {
protected:
    long entries() const { return std::distance(fs::directory_iterator(dir), {}); } // temporaries
    std::error_code error;
};

TEST_F(FileIO, EveryByteRoundTripsAndAnExistingFileKeepsItsPermissions) {
    std::string all = "\r\n\n\r";
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::ofstream(dir / "prog.txt") << "old content that is longer than the new";
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "prog.txt", mode);
    fs::create_symlink(dir / "prog.txt", dir / "link.txt");

    ASSERT_TRUE(writeFileReplacing(dir / "link.txt", all, error)) << error.message();
    EXPECT_EQ(readFile(dir / "prog.txt", error), all); // the link's target is replaced
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(fs::status(dir / "prog.txt").permissions(), mode);
    EXPECT_EQ(entries(), 2);
}

TEST_F(FileIO, FailuresGiveTheSystemsReasonAndLeaveNothingBehind) {
    EXPECT_FALSE(readFile(dir / "missing.txt", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(writeFileReplacing(dir / "no" / "x.txt", "x", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);

    // The rename over a folder fails after the temporary was written.
    fs::create_directory(dir / "folder");
    std::ofstream(dir / "folder" / "inside.txt") << "kept";
    EXPECT_FALSE(writeFileReplacing(dir / "folder", "x", error));
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(readFile(dir / "folder" / "inside.txt", error), "kept");
}

TEST_F(FileIO, ANewFileGetsTheUsualModeForTheUmask) {
    for (const mode_t mask : {022, 077, 002}) {
        const mode_t old = ::umask(mask);
        ASSERT_TRUE(writeFileReplacing(dir / "new.txt", "x", error)) << error.message();
        ::umask(old);
        struct stat info {};
        ASSERT_EQ(::stat((dir / "new.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask) << std::oct << mask;
        fs::remove(dir / "new.txt");
    }
}

// A file that claims more than a document can hold is refused before any of
// it is read, whether Open or kalvo-convert asks.
TEST_F(FileIO, AFileOverTheDocumentLimitIsRefusedAtOnce) {
    std::ofstream(dir / "huge.txt") << "x";
    fs::resize_file(dir / "huge.txt", std::uintmax_t{3} << 30); // sparse: no disk used
    for (const bool regularOnly : {false, true}) {
        EXPECT_EQ(readFile(dir / "huge.txt", error, regularOnly), std::nullopt);
        EXPECT_EQ(error, std::errc::file_too_large);
    }
    fs::resize_file(dir / "huge.txt", std::uintmax_t{kMaxDocumentLength} + 1);
    EXPECT_EQ(readFile(dir / "huge.txt", error), std::nullopt);
    EXPECT_EQ(error, std::errc::file_too_large);
}

// Save's rule: a descriptor's name is not a file to save into.
TEST_F(FileIO, RegularFilesOnlyRefusesDescriptorNames) {
    WriteRules rules;
    rules.regularFilesOnly = true;
    for (const char* name : {"/dev/stdout", "/dev/fd/2", "/proc/self/fd/1"}) {
        EXPECT_FALSE(writeFileReplacing(name, "x", error, rules)) << name;
        EXPECT_EQ(error, FileError::NotRegularFile) << name;
    }
}
