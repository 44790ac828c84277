#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

#include <stdexcept>

using kalvo::TextBuffer;

TEST(TextBuffer, CaretAndSelectionAreClampedToTheText) {
    TextBuffer box("hello");
    box.SetSelStart(99);
    EXPECT_EQ(box.SelStart(), 5);
    EXPECT_EQ(box.SelLength(), 0);

    box.SetSelStart(-3);
    EXPECT_EQ(box.SelStart(), 0);

    box.SetSelStart(2);
    box.SetSelLength(99);
    EXPECT_EQ(box.SelLength(), 3);
    EXPECT_EQ(box.SelText(), "llo");

    box.SetSelLength(-1);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST(TextBuffer, MovingTheCaretCollapsesTheSelection) {
    TextBuffer box("hello");
    box.SetSelStart(1);
    box.SetSelLength(3);
    box.SetSelStart(1);
    EXPECT_EQ(box.SelLength(), 0);
    EXPECT_EQ(box.SelText(), "");
}

TEST(TextBuffer, SetTextResetsCaretAndSelection) {
    TextBuffer box("hello");
    box.SetSelStart(2);
    box.SetSelLength(2);
    box.SetText("xy");
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST(TextBuffer, SetSelTextReplacesAndLeavesCaretAfterInsertion) {
    TextBuffer box("abcdef");
    box.SetSelStart(1);
    box.SetSelLength(2);
    box.SetSelText("XYZW");
    EXPECT_EQ(box.Text(), "aXYZWdef");
    EXPECT_EQ(box.SelStart(), 5);
    EXPECT_EQ(box.SelLength(), 0);

    // Nothing selected: inserts at the caret.
    box.SetSelText("!");
    EXPECT_EQ(box.Text(), "aXYZW!def");
    EXPECT_EQ(box.SelStart(), 6);

    // Empty text deletes the selection; the caret stays where it began.
    box.SetSelStart(1);
    box.SetSelLength(4);
    box.SetSelText("");
    EXPECT_EQ(box.Text(), "a!def");
    EXPECT_EQ(box.SelStart(), 1);
}

TEST(TextBuffer, FindCountsFromOneAndAnswersZeroWhenAbsent) {
    TextBuffer box("banana");
    EXPECT_EQ(box.find(1, "a"), 2);
    EXPECT_EQ(box.find(3, "a"), 4);
    EXPECT_EQ(box.find(6, "a"), 6);
    EXPECT_EQ(box.find(7, "a"), 0);
    EXPECT_EQ(box.find(1, "A"), 0);
    EXPECT_EQ(box.find(1, "nan"), 3);
    EXPECT_EQ(box.find(4, "nan"), 0);
    EXPECT_EQ(TextBuffer().find(1, "a"), 0);
}

TEST(TextBuffer, BytesAreSinglePositionsIncludingLineBreaksAndNul) {
    TextBuffer box(std::string("ab\r\ncd\0\xF1x", 9));
    EXPECT_EQ(box.Length(), 9);
    EXPECT_EQ(box.find(1, "c"), 5);
    EXPECT_EQ(box.find(1, "\xF1"), 8);
    EXPECT_EQ(box.find(1, std::string_view("\0", 1)), 7);
    // A caret between CR and LF is a position of its own.
    box.SetSelStart(3);
    box.SetSelLength(1);
    EXPECT_EQ(box.SelText(), "\n");
}

TEST(TextBuffer, FindStartsFarPastTheEndAreNotFound) {
    TextBuffer box("abc");
    EXPECT_EQ(box.find(std::int64_t{kalvo::kMaxDocumentLength} + 2, "a"), 0);
}

TEST(TextBuffer, RefusesDocumentsBeyond32BitPositions) {
    EXPECT_THROW(kalvo::checkDocumentSize(std::size_t{1} << 31), std::length_error);
    EXPECT_NO_THROW(kalvo::checkDocumentSize((std::size_t{1} << 31) - 1));
}
