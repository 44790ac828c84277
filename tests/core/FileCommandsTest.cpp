#include "editor/FileCommands.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

    // The new content goes to a file beside it first; a name this long leaves
    // no room for that, so the write fails, even for root.
    const std::string longName(250, 'n');
    ASSERT_FALSE(saveNeedsPrompt(name = put(longName, "precious")));
    EXPECT_EQ(save(name, "new text").outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(save(name = dir / longName, "new text", "rescued.txt").outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(contents(longName), "precious");
    EXPECT_EQ(contents("rescued.txt"), "new text\r\n");
}
