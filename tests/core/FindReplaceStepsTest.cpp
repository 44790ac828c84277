#include "FindReplaceExamples.h"

#include "editor/TextBuffer.h"
#include "findreplace/FindReplaceSteps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kalvo;
using kalvo::testing::Button;
using kalvo::testing::findReplaceExamples;

namespace {

// Records what the steps ask of the dialog, in order, into a shared log.
class LogView : public FindReplaceView {
public:
    explicit LogView(std::vector<std::string>& log) : log_(log) {}
    void setFindNextEnabled(bool on) override {
        log_.push_back(on ? "FindNext on" : "FindNext off");
    }
    void setReplaceEnabled(bool on) override { log_.push_back(on ? "Replace on" : "Replace off"); }
    void showNotFound() override {
        log_.push_back("message");
        ++messages;
    }
    void unload() override { log_.push_back("unload"); }
    int messages = 0;

private:
    std::vector<std::string>& log_;
};

// A plain buffer that logs every change, focus move and search start.
class LogBox : public TextBox {
public:
    LogBox(std::string_view text, std::vector<std::string>& log) : buffer_(text), log_(log) {}
    std::string Text() const override { return buffer_.Text(); }
    void SetText(std::string_view text) override { buffer_.SetText(text); }
    Pos Length() const override { return buffer_.Length(); }
    Pos SelStart() const override { return buffer_.SelStart(); }
    void SetSelStart(Pos caret) override {
        log_.push_back("SelStart " + std::to_string(caret));
        buffer_.SetSelStart(caret);
    }
    Pos SelLength() const override { return buffer_.SelLength(); }
    void SetSelLength(Pos count) override {
        log_.push_back("SelLength " + std::to_string(count));
        buffer_.SetSelLength(count);
    }
    std::string SelText() const override { return buffer_.SelText(); }
    void SetSelText(std::string_view text) override {
        log_.push_back("SelText " + std::string(text));
        buffer_.SetSelText(text);
    }
    void SetFocus() override { log_.push_back("focus"); }
    Pos find(std::int64_t start, std::string_view needle) const override {
        log_.push_back("find " + std::to_string(start));
        return buffer_.find(start, needle);
    }

private:
    TextBuffer buffer_;
    std::vector<std::string>& log_;
};

using Log = std::vector<std::string>;

} // namespace

TEST(FindReplaceSteps, WorkedExamplesOnThePlainBuffer) {
    for (const auto& example : findReplaceExamples()) {
        SCOPED_TRACE(example.name);
        TextBuffer box(example.document);
        if (example.justOpened) {
            selectDocumentForDialog(box);
        } else {
            box.SetSelStart(example.selStart);
            box.SetSelLength(example.selLength);
        }
        Log log;
        LogView view(log);
        int pressNo = 0;
        for (const auto& press : example.presses) {
            SCOPED_TRACE("press " + std::to_string(++pressNo));
            const int before = view.messages;
            if (press.button == Button::FindNext)
                findNextSteps(box, example.find, view);
            else
                replaceSteps(box, example.find, example.replacement, view);
            EXPECT_EQ(box.Text(), press.text);
            EXPECT_EQ(box.SelStart(), press.selStart);
            EXPECT_EQ(box.SelLength(), press.selLength);
            EXPECT_EQ(view.messages - before, press.notFound ? 1 : 0);
        }
    }
}

TEST(FindReplaceSteps, SearchStarts) {
    // Find Next: one past the caret, 1 only at offset 0 with nothing selected.
    EXPECT_EQ(findNextSearchStart(0, 0), 1);
    EXPECT_EQ(findNextSearchStart(0, 6), 2);
    EXPECT_EQ(findNextSearchStart(3, 0), 5);
    EXPECT_EQ(findNextSearchStart(3, 2), 5);
    // Replace: the caret itself, never below 1.
    EXPECT_EQ(replaceSearchStart(0, 0), 1);
    EXPECT_EQ(replaceSearchStart(0, 6), 1);
    EXPECT_EQ(replaceSearchStart(3, 0), 3);
    EXPECT_EQ(replaceSearchStart(3, 2), 3);
    // The last caret offset must not wrap to a negative start.
    EXPECT_EQ(findNextSearchStart(kMaxDocumentLength, 0), std::int64_t{kMaxDocumentLength} + 2);
    EXPECT_EQ(replaceSearchStart(kMaxDocumentLength, 1), kMaxDocumentLength);
}

TEST(FindReplaceSteps, FindNextSelectsThenFocusesTheMainBox) {
    Log log;
    LogBox box("abcabc", log);
    LogView view(log);
    box.SetSelStart(0);
    box.SetSelLength(3);
    log.clear();
    findNextSteps(box, "abc", view);
    EXPECT_EQ(log, (Log{"find 2", "SelStart 3", "SelLength 3", "focus"}));
}

TEST(FindReplaceSteps, FailureShowsTheMessageBeforeSelectingTheDocument) {
    Log log;
    LogBox box("abcabc", log);
    LogView view(log);
    box.SetSelStart(3);
    log.clear();
    findNextSteps(box, "abc", view);
    EXPECT_EQ(log, (Log{"find 5", "message", "focus", "SelStart 0", "SelLength 6", "focus"}));

    box.SetSelStart(5);
    box.SetSelLength(1);
    log.clear();
    replaceSteps(box, "abc", "x", view);
    EXPECT_EQ(log, (Log{"find 5", "message", "focus", "SelStart 0", "SelLength 6"}));
}

TEST(FindReplaceSteps, SuccessfulReplaceLeavesTheFocusAlone) {
    Log log;
    LogBox box("cat cat", log);
    LogView view(log);
    box.SetSelStart(0);
    box.SetSelLength(3);
    log.clear();
    replaceSteps(box, "cat", "dog", view);
    EXPECT_EQ(log, (Log{"SelText dog", "find 3", "SelStart 4", "SelLength 3"}));
    EXPECT_EQ(box.Text(), "dog cat");
}

TEST(FindReplaceSteps, FindTextNoDocumentCanHoldIsNeverFound) {
    TextBuffer box("a?b");
    box.SetSelStart(0);
    box.SetSelLength(3);
    Log log;
    LogView view(log);
    findNextSteps(box, std::nullopt, view);
    EXPECT_EQ(view.messages, 1);
    EXPECT_EQ(box.SelLength(), 3);

    // Replace does not touch the selection either, whatever it holds.
    box.SetSelStart(1);
    box.SetSelLength(1);
    replaceSteps(box, std::nullopt, "x", view);
    EXPECT_EQ(view.messages, 2);
    EXPECT_EQ(box.Text(), "a?b");
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 3);
}

TEST(FindReplaceSteps, OpeningFocusesThenSelectsTheWholeDocument) {
    Log log;
    LogBox box("one\r\ntwo", log);
    box.SetSelStart(4);
    log.clear();
    selectDocumentForDialog(box);
    EXPECT_EQ(log, (Log{"focus", "SelStart 0", "SelLength 8"}));
}

TEST(FindReplaceSteps, ButtonsFollowTheFindText) {
    Log log;
    LogView view(log);
    findTextChanged(false, view);
    findTextChanged(true, view);
    EXPECT_EQ(log, (Log{"FindNext on", "Replace on", "FindNext off", "Replace off"}));
}

TEST(FindReplaceSteps, CancelPutsTheCaretAtTheStartThenUnloads) {
    Log log;
    LogBox box("hello", log);
    LogView view(log);
    box.SetSelStart(2);
    box.SetSelLength(2);
    log.clear();
    cancelSteps(box, view);
    EXPECT_EQ(log, (Log{"focus", "SelStart 0", "SelLength 0", "unload"}));
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST(FindReplaceSteps, MessageQuotesTheFindTextAsIs) {
    EXPECT_EQ(notFoundMessage("cat"), "Can't find 'cat'!");
    EXPECT_EQ(notFoundMessage("x\xF1'"), "Can't find 'x\xF1''!");
    EXPECT_EQ(notFoundMessage(""), "Can't find ''!");
}
