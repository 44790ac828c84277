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
        if (example.selStart < 0) {
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

namespace {

// What a handler does to the main box and the dialog, in order, starting from
// the given document, caret and selection.
template <typename Handler>
Log effects(std::string_view text, Pos selStart, Pos selLength, Handler handler) {
    Log log;
    LogBox box(text, log);
    LogView view(log);
    box.SetSelStart(selStart);
    box.SetSelLength(selLength);
    log.clear();
    handler(box, view);
    return log;
}

} // namespace

TEST(FindReplaceSteps, EachHandlerActsInItsOrder) {
    // Opening: focus first, then the whole document selected.
    EXPECT_EQ(effects("one\r\ntwo", 4, 0,
                      [](TextBox& b, FindReplaceView&) { selectDocumentForDialog(b); }),
              (Log{"focus", "SelStart 0", "SelLength 8"}));
    // Find Next found: select, then focus the main box.
    EXPECT_EQ(
        effects("abcabc", 0, 3, [](TextBox& b, FindReplaceView& v) { findNextSteps(b, "abc", v); }),
        (Log{"find 2", "SelStart 3", "SelLength 3", "focus"}));
    // Failures: the message while the selection is untouched, then the
    // document selected in the focused main box.
    EXPECT_EQ(
        effects("abcabc", 3, 0, [](TextBox& b, FindReplaceView& v) { findNextSteps(b, "abc", v); }),
        (Log{"find 5", "message", "focus", "SelStart 0", "SelLength 6", "focus"}));
    EXPECT_EQ(effects("abcabc", 5, 1,
                      [](TextBox& b, FindReplaceView& v) { replaceSteps(b, "abc", "x", v); }),
              (Log{"find 5", "message", "focus", "SelStart 0", "SelLength 6"}));
    // A successful Replace leaves the focus where it is (in the dialog).
    EXPECT_EQ(effects("cat cat", 0, 3,
                      [](TextBox& b, FindReplaceView& v) { replaceSteps(b, "cat", "dog", v); }),
              (Log{"SelText dog", "find 3", "SelStart 4", "SelLength 3"}));
    // Cancel: caret to the start of the focused main box, then unload.
    EXPECT_EQ(effects("hello", 2, 2, [](TextBox& b, FindReplaceView& v) { cancelSteps(b, v); }),
              (Log{"focus", "SelStart 0", "SelLength 0", "unload"}));
    // The buttons follow the find text, Find Next first.
    EXPECT_EQ(effects("", 0, 0,
                      [](TextBox&, FindReplaceView& v) {
                          findTextChanged(false, v);
                          findTextChanged(true, v);
                      }),
              (Log{"FindNext on", "Replace on", "FindNext off", "Replace off"}));
}

TEST(FindReplaceSteps, FindTextNoDocumentCanHoldIsNeverFound) {
    TextBuffer box("a?b");
    box.SetSelStart(1);
    box.SetSelLength(1);
    Log log;
    LogView view(log);
    // Replace does not touch the selection, whatever it holds.
    replaceSteps(box, std::nullopt, "x", view);
    findNextSteps(box, std::nullopt, view);
    EXPECT_EQ(view.messages, 2);
    EXPECT_EQ(box.Text(), "a?b");
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 3);
}

TEST(FindReplaceSteps, MessageQuotesTheFindTextAsIs) {
    EXPECT_EQ(notFoundMessage("cat"), "Can't find 'cat'!");
    EXPECT_EQ(notFoundMessage("x\xF1'"), "Can't find 'x\xF1''!");
    EXPECT_EQ(notFoundMessage(""), "Can't find ''!");
}
