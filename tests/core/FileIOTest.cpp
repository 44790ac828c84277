#include "editor/FileIO.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
