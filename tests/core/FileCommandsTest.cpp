#include "editor/FileCommands.h"

#include "editor/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using kalvo::readDocument;
using kalvo::saveDocument;
using kalvo::saveNeedsPrompt;
using kalvo::SaveOutcome;

namespace {

class FileCommands : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalvo-filecommands-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const fs::path& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string contents(const fs::path& path) {
        std::error_code error;
        return kalvo::readFile(path, error).value_or("<unreadable>");
    }
    void makeReadOnly(const fs::path& path) {
        fs::permissions(path,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    // A prompt that answers `answer` and counts how often it was asked.
    std::function<fs::path()> prompt(fs::path answer) {
        return [this, answer] {
            ++asked;
            return answer;
        };
    }

    fs::path dir;
    int asked = 0;
};

} // namespace

TEST_F(FileCommands, OpenReadsTheWholeFileOrNothing) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    put(dir / "all.txt", all);
    put(dir / "empty.txt", "");
    EXPECT_EQ(readDocument(dir / "all.txt"), all);
    EXPECT_EQ(readDocument(dir / "empty.txt"), std::string());
    EXPECT_EQ(readDocument(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(readDocument(dir), std::nullopt);
}

TEST_F(FileCommands, PromptIsNeededExactlyWhenTheFileCouldNotBeDeleted) {
    put(dir / "ok.txt", "x");
    put(dir / "locked.txt", "x");
    makeReadOnly(dir / "locked.txt");
    EXPECT_FALSE(saveNeedsPrompt(dir / "ok.txt"));
    EXPECT_TRUE(saveNeedsPrompt(""));
    EXPECT_TRUE(saveNeedsPrompt(dir / "missing.txt"));
    EXPECT_TRUE(saveNeedsPrompt(dir / "locked.txt"));
    EXPECT_TRUE(saveNeedsPrompt(dir)); // a folder is no file to replace
    EXPECT_TRUE(saveNeedsPrompt(dir / "nowhere" / "ok.txt"));
}

TEST_F(FileCommands, WildcardNamesAreTakenLiterally) {
    put(dir / "ab.txt", "keep");
    put(dir / "a?.txt", "literal");
    EXPECT_TRUE(saveNeedsPrompt(dir / "a*.txt"));
    EXPECT_FALSE(saveNeedsPrompt(dir / "a?.txt"));

    fs::path name = dir / "a?.txt";
    EXPECT_EQ(saveDocument(name, "new", prompt({})).outcome, SaveOutcome::Written);
    EXPECT_EQ(contents(dir / "a?.txt"), "new\r\n");
    EXPECT_EQ(contents(dir / "ab.txt"), "keep");

    // "a*.txt" names no file, so Save asks rather than touching ab.txt.
    name = dir / "a*.txt";
    EXPECT_EQ(saveDocument(name, "new", prompt({})).outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(contents(dir / "ab.txt"), "keep");
}

TEST_F(FileCommands, SaveUnderAUsableNameAddsOneCrLfWithoutAsking) {
    fs::path name = dir / "prog.txt";
    put(name, "A:sin X");
    const std::string text = "A:sin(( X";
    auto result = saveDocument(name, text, prompt({}));
    EXPECT_EQ(result.outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(contents(name), "A:sin(( X\r\n");

    // Open, Save, Open, Save: one more CR LF each time.
    for (int round = 0; round < 2; ++round) {
        const std::optional<std::string> reopened = readDocument(name);
        ASSERT_TRUE(reopened);
        saveDocument(name, *reopened, prompt({}));
    }
    EXPECT_EQ(contents(name), "A:sin(( X\r\n\r\n\r\n");
    EXPECT_EQ(name, dir / "prog.txt");
}

TEST_F(FileCommands, WithoutANameSaveAsksOnceAndKeepsTheAnswer) {
    fs::path name;
    const fs::path answer = dir / "noext";
    EXPECT_EQ(saveDocument(name, "", prompt(answer)).outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(name, answer); // used as typed, no extension added
    EXPECT_EQ(contents(answer), "\r\n");

    EXPECT_EQ(saveDocument(name, "again", prompt(dir / "other")).outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(contents(answer), "again\r\n");
}

TEST_F(FileCommands, AFileDeletedOutsideIsNotRecreatedUnderItsOldName) {
    fs::path name = dir / "gone.txt";
    EXPECT_EQ(saveDocument(name, "text", prompt({})).outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(name.empty());
    EXPECT_FALSE(fs::exists(dir / "gone.txt"));
}

TEST_F(FileCommands, AReadOnlyFileIsLeftAsItWas) {
    fs::path name = dir / "locked.txt";
    put(name, "original");
    makeReadOnly(name);
    const fs::path answer = dir / "copy.txt";
    EXPECT_EQ(saveDocument(name, "edited", prompt(answer)).outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(contents(dir / "locked.txt"), "original");
    EXPECT_EQ(contents(answer), "edited\r\n");

    // Naming the read-only file at the prompt does not replace it either.
    name.clear();
    const auto result = saveDocument(name, "edited", prompt(dir / "locked.txt"));
    EXPECT_EQ(result.outcome, SaveOutcome::Failed);
    EXPECT_EQ(result.path, dir / "locked.txt");
    EXPECT_EQ(result.error, std::errc::permission_denied);
    EXPECT_EQ(contents(dir / "locked.txt"), "original");
}

TEST_F(FileCommands, AFailedWriteNeverCostsTheOldFile) {
    // The replacement is written beside the file first; a name this long
    // leaves no room for that, so the write fails with the old file intact.
    const fs::path name = dir / std::string(250, 'n');
    put(name, "precious");
    ASSERT_FALSE(saveNeedsPrompt(name));

    fs::path current = name;
    const auto cancelled = saveDocument(current, "new text", prompt({}));
    EXPECT_EQ(cancelled.outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(contents(name), "precious");

    current = name;
    const fs::path answer = dir / "rescued.txt";
    EXPECT_EQ(saveDocument(current, "new text", prompt(answer)).outcome, SaveOutcome::Written);
    EXPECT_EQ(current, answer);
    EXPECT_EQ(contents(name), "precious");
    EXPECT_EQ(contents(answer), "new text\r\n");
}

TEST_F(FileCommands, AFailureAfterThePromptIsReportedWithPathAndReason) {
    fs::path name;
    const fs::path answer = dir / "no-such-folder" / "x.txt";
    const auto result = saveDocument(name, "text", prompt(answer));
    EXPECT_EQ(result.outcome, SaveOutcome::Failed);
    EXPECT_EQ(result.path, answer);
    EXPECT_EQ(result.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(name, answer); // the answer is kept, as typed
}
