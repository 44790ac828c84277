// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileCommands.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kalvo;

class FileCommands : public TempFolderTest {
protected:
    fs::path put(const std::string& name, std::string_view bytes, bool readOnly = false) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        if (readOnly)
            fs::permissions(dir / name, fs::perms::owner_read | fs::perms::group_read);
        return dir / name;
    }
    std::string contents(const std::string& name) {
        return readDocument(dir / name).value_or("<unreadable>");
    }
    // Save with a prompt that answers `answer` (nothing when empty), counted.
    SaveResult save(fs::path& name, std::string_view text, const std::string& answer = "") {
        return saveDocument(name, text, [&] {
            ++asked;
            return answer.empty() ? fs::path() : dir / answer;
        });
    }
    int asked = 0;
};

TEST_F(FileCommands, OpenReadsTheWholeFileOrNothing) {
    const std::string bytes("\0\xF1\r\n\r", 5);
    EXPECT_EQ(readDocument(put("prog.txt", bytes)), bytes);
    EXPECT_EQ(readDocument(put("empty.txt", "")), "");
    EXPECT_EQ(readDocument(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(readDocument(dir), std::nullopt);
}

// Open never waits for a writer: a FIFO or a device is not a document.
TEST_F(FileCommands, OpenRefusesFifosAndDevicesWithoutWaiting) {
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto opened = std::async(std::launch::async, [&] { return readDocument(fifo); });
    if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets the blocked Open go
        FAIL() << "Open waited for a writer";
    }
    EXPECT_EQ(opened.get(), std::nullopt);
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device needs root";
    // A copy of /dev/null: readable, empty, and still not a document.
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(readDocument(dir / "null"), std::nullopt);
}

TEST_F(FileCommands, SaveAddsOneCrLfAndAsksOnlyWhenItCannotReplaceTheFile) {
    fs::path name; // at start and after New: ask, then keep the answer as typed
    EXPECT_EQ(save(name, "", "noext").outcome, SaveOutcome::Written);
    EXPECT_EQ(name, dir / "noext");
    EXPECT_EQ(contents("noext"), "\r\n");
    for (int round = 0; round < 2; ++round) // Open, Save: one more CR LF each time
        EXPECT_EQ(save(name, *readDocument(name), "other").outcome, SaveOutcome::Written);
    EXPECT_EQ(contents("noext"), "\r\n\r\n\r\n");
    EXPECT_EQ(asked, 1);

    // Wildcards are plain characters: "a*.txt" names no file, so Save asks.
    put("ab.txt", "keep");
    EXPECT_FALSE(saveNeedsPrompt(put("a?.txt", "")));
    for (const fs::path& other : {dir / "a*.txt", dir / "gone.txt", dir, dir / "no" / "x"})
        EXPECT_TRUE(saveNeedsPrompt(other)) << other;
    name = dir / "a*.txt";
    EXPECT_EQ(save(name, "new").outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(contents("ab.txt"), "keep");
}

TEST_F(FileCommands, NoFailureCostsTheOldFile) {
    fs::path name = put("locked.txt", "original", true);
    EXPECT_EQ(save(name, "edited", "copy.txt").outcome, SaveOutcome::Written);
    EXPECT_EQ(contents("copy.txt"), "edited\r\n");
    name.clear(); // naming it at the prompt fails, with the path and the reason
    const SaveResult result = save(name, "edited", "locked.txt");
    EXPECT_EQ(result.outcome, SaveOutcome::Failed);
    EXPECT_EQ(result.path, dir / "locked.txt");
    EXPECT_EQ(result.error, std::errc::permission_denied);
    EXPECT_EQ(name, dir / "locked.txt");
    EXPECT_EQ(contents("locked.txt"), "original");

    // The temporary's name does not grow with the file's: the longest name works.
    const std::string longName(255, 'n');
    ASSERT_FALSE(saveNeedsPrompt(name = put(longName, "old")));
    EXPECT_EQ(save(name, "new text").outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(contents(longName), "new text\r\n");
}

// Save writes only regular files: a current name that is something else
// leads to the prompt, and an answer naming one is not written.
TEST_F(FileCommands, SaveWritesOnlyRegularFiles) {
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::string> names = {"folder", "fifo", "socket"};
    if (::geteuid() == 0) {
        ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        names.push_back("null");
    }
    fs::create_symlink("fifo", dir / "link-to-fifo");
    names.push_back("link-to-fifo");
    for (const std::string& node : names) {
        fs::path name = dir / node;
        EXPECT_TRUE(saveNeedsPrompt(name)) << node;
        const SaveResult result = save(name, "text", node);
        EXPECT_EQ(result.outcome, SaveOutcome::Failed) << node;
        EXPECT_EQ(result.path, dir / node);
        EXPECT_TRUE(result.error) << node;
    }
    EXPECT_EQ(asked, static_cast<int>(names.size())); // each current name led to the prompt
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_TRUE(fs::is_socket(dir / "socket"));
    EXPECT_TRUE(fs::is_symlink(dir / "link-to-fifo"));
    if (::geteuid() == 0) {
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), static_cast<long>(names.size()));
    ::close(sock);
}

// Save as root keeps the file's owner and group.
TEST_F(FileCommands, SaveKeepsTheOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    fs::path name = put("theirs.txt", "old");
    ASSERT_EQ(::chown(name.c_str(), 65534, 65534), 0);
    EXPECT_EQ(save(name, "new").outcome, SaveOutcome::Written);
    struct stat after {};
    ASSERT_EQ(::stat(name.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(contents("theirs.txt"), "new\r\n");
}
