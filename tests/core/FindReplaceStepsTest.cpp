// SPDX-License-Identifier: GPL-3.0-or-later
#include "findreplace/FindReplaceSteps.h"
#include "FindReplaceExamples.h"
#include "document/TextBuffer.h"

#include <gtest/gtest.h>

using namespace kalvo;
using kalvo::testing::Button;

namespace {

// Logs the dialog's calls; a message with the box's "caret+length focus-count".
struct LogView final : FindReplaceView {
    explicit LogView(const TextBuffer& b) : box(b) {}
    std::string state() const {
        return std::to_string(box.SelStart()) + "+" + std::to_string(box.SelLength()) + " " +
               std::to_string(box.focusCount());
    }
    void setFindNextEnabled(bool) override {}
    void setReplaceEnabled(bool) override {}
    void showNotFound() override { log += "message " + state() + ","; }
    void unload() override { log += "unload,"; }
    const TextBuffer& box;
    std::string log;
};

} // namespace

TEST(FindReplaceSteps, WorkedExamples) {
    for (const auto& example : kalvo::testing::findReplaceExamples()) {
        SCOPED_TRACE(example.name);
        TextBuffer box(example.document);
        box.SetSelStart(example.selStart); // opening selects the whole document
        box.SetSelLength(example.selStart < 0 ? box.Length() : example.selLength);
        for (const auto& press : example.presses) {
            LogView view(box);
            const int focus = box.focusCount();
            press.button == Button::FindNext
                ? findNextSteps(box, example.find, view)
                : replaceSteps(box, example.find, example.replacement, view);
            EXPECT_EQ(box.Text(), press.text);
            EXPECT_EQ(box.SelStart(), press.selStart);
            EXPECT_EQ(box.SelLength(), press.selLength);
            // The main box takes the focus unless a Replace found its text.
            EXPECT_EQ(view.log.starts_with("message"), press.notFound);
            EXPECT_EQ(box.focusCount() > focus, press.button == Button::FindNext || press.notFound);
        }
    }
}

TEST(FindReplaceSteps, MessagesComeBeforeTheMainBoxChangesAndCancelUnloads) {
    TextBuffer box("abcabc");
    LogView view(box);
    focusAndSelectAll(box);
    box.SetSelStart(3);
    replaceSteps(box, std::nullopt, "x", view); // a text no document can hold
    findNextSteps(box, "abd", view);
    cancelSteps(box, view);
    EXPECT_EQ(view.log + view.state(), "message 3+0 1,message 0+6 2,unload,0+0 5");
    // The last caret offset must not wrap to a negative start.
    EXPECT_EQ(findNextSearchStart(kMaxDocumentLength, 0), std::int64_t{kMaxDocumentLength} + 2);
    EXPECT_EQ(replaceSearchStart(kMaxDocumentLength, 1), kMaxDocumentLength);
}
