#include "editor/ClipboardCommands.h"
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

using namespace kalvo;

namespace {

// An in-memory clipboard that can hold a picture and can be made to refuse.
class FakeClipboard : public Clipboard {
public:
    bool clear() override {
        ++clears;
        if (refuseClear)
            return false;
        content.reset();
        picture = false;
        return true;
    }
    bool setText(std::string_view text) override {
        if (refuseSetText)
            return false;
        content = std::string(text);
        return true;
    }
    std::optional<std::string> text() override {
        if (unreadable)
            return std::nullopt;
        return content.value_or("");
    }

    std::optional<std::string> content;
    bool picture = false;
    int clears = 0;
    bool refuseClear = false;
    bool refuseSetText = false;
    bool unreadable = false;
};

TextBuffer selected(std::string_view text, Pos start, Pos length) {
    TextBuffer box(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    return box;
}

} // namespace

TEST(ClipboardCommands, EmptySelectionLeavesClipboardAndDocumentAlone) {
    FakeClipboard clipboard;
    clipboard.picture = true;
    TextBuffer box = selected("abc", 1, 0);

    EXPECT_TRUE(copySelection(box, clipboard));
    EXPECT_TRUE(cutSelection(box, clipboard));
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_TRUE(clipboard.picture);
    EXPECT_EQ(box.Text(), "abc");
    EXPECT_EQ(box.SelStart(), 1);
}

TEST(ClipboardCommands, CopyReplacesEverythingWithTheExactSelection) {
    FakeClipboard clipboard;
    clipboard.picture = true;
    TextBuffer box = selected("x\r\n\xF1y\r\nz", 1, 5);

    EXPECT_TRUE(copySelection(box, clipboard));
    EXPECT_FALSE(clipboard.picture);
    EXPECT_EQ(clipboard.content, "\r\n\xF1y\r");
    // Copy moves nothing: document, selection and focus as they were.
    EXPECT_EQ(box.Text(), "x\r\n\xF1y\r\nz");
    EXPECT_EQ(box.SelStart(), 1);
    EXPECT_EQ(box.SelLength(), 5);
    EXPECT_EQ(box.focusCount(), 0);
}

TEST(ClipboardCommands, CutThenPasteGivesTheDocumentBack) {
    FakeClipboard clipboard;
    TextBuffer box = selected("one\r\ntwo", 2, 4);

    EXPECT_TRUE(cutSelection(box, clipboard));
    EXPECT_EQ(clipboard.content, "e\r\nt");
    EXPECT_EQ(box.Text(), "onwo");
    EXPECT_EQ(box.SelStart(), 2);
    EXPECT_EQ(box.SelLength(), 0);

    EXPECT_TRUE(pasteClipboard(box, clipboard));
    EXPECT_EQ(box.Text(), "one\r\ntwo");
    EXPECT_EQ(box.SelStart(), 6);
    EXPECT_EQ(box.SelLength(), 0);
    EXPECT_EQ(box.focusCount(), 0);
}

TEST(ClipboardCommands, RefusingClipboardKeepsDocumentAndCutSelection) {
    for (const bool refuseClear : {true, false}) {
        SCOPED_TRACE(refuseClear ? "cannot clear" : "cannot set text");
        FakeClipboard clipboard;
        clipboard.content = "old";
        clipboard.refuseClear = refuseClear;
        clipboard.refuseSetText = !refuseClear;
        TextBuffer box = selected("abcd", 1, 2);

        EXPECT_FALSE(copySelection(box, clipboard));
        EXPECT_FALSE(cutSelection(box, clipboard));
        EXPECT_EQ(box.Text(), "abcd");
        EXPECT_EQ(box.SelStart(), 1);
        EXPECT_EQ(box.SelLength(), 2);
        if (refuseClear) {
            EXPECT_EQ(clipboard.content, "old");
        }
    }

    FakeClipboard clipboard;
    clipboard.content = "never used";
    clipboard.unreadable = true;
    TextBuffer box = selected("abcd", 1, 2);
    EXPECT_FALSE(pasteClipboard(box, clipboard));
    EXPECT_EQ(box.Text(), "abcd");
    EXPECT_EQ(box.SelStart(), 1);
    EXPECT_EQ(box.SelLength(), 2);
}

TEST(ClipboardCommands, SelectAllFocusesAndSelectsEverything) {
    TextBuffer box = selected("ab\r\n", 1, 1);
    selectWholeDocument(box);
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 4);
    EXPECT_EQ(box.focusCount(), 1);

    TextBuffer empty;
    selectWholeDocument(empty);
    EXPECT_EQ(empty.SelStart(), 0);
    EXPECT_EQ(empty.SelLength(), 0);
    EXPECT_EQ(empty.focusCount(), 1);
}
