#pragma once

// Cases every TextBox implementation must pass, run over the plain buffer in
// the core tests and over the editor widget in the widget tests, so that the
// conversion and the Find/Replace steps behave the same on both.

#include "conversion/ConversionRun.h"
#include "editor/TextBox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

template <class Box> class TextBoxContract : public testing::Test {
protected:
    Box& box(std::string_view text) {
        box_ = std::make_unique<Box>();
        box_->SetText(text);
        return *box_;
    }

private:
    std::unique_ptr<Box> box_;
};

TYPED_TEST_SUITE_P(TextBoxContract);

TYPED_TEST_P(TextBoxContract, CaretAndSelectionAreClampedToTheText) {
    kalvo::TextBox& b = this->box("hello");
    b.SetSelStart(99);
    EXPECT_EQ(b.SelStart(), 5);
    EXPECT_EQ(b.SelLength(), 0);
    b.SetSelStart(-3);
    EXPECT_EQ(b.SelStart(), 0);
    b.SetSelStart(2);
    b.SetSelLength(99);
    EXPECT_EQ(b.SelLength(), 3);
    EXPECT_EQ(b.SelText(), "llo");
    b.SetSelLength(-1);
    EXPECT_EQ(b.SelLength(), 0);
    EXPECT_EQ(b.SelStart(), 2);
}

TYPED_TEST_P(TextBoxContract, MovingTheCaretCollapsesTheSelection) {
    kalvo::TextBox& b = this->box("hello");
    b.SetSelStart(1);
    b.SetSelLength(3);
    EXPECT_EQ(b.SelText(), "ell");
    b.SetSelStart(1);
    EXPECT_EQ(b.SelLength(), 0);
    EXPECT_EQ(b.SelText(), "");
}

TYPED_TEST_P(TextBoxContract, SetTextReplacesTheDocumentAndResetsTheCaret) {
    kalvo::TextBox& b = this->box("hello");
    b.SetSelStart(2);
    b.SetSelLength(2);
    b.SetText("xy");
    EXPECT_EQ(b.Text(), "xy");
    EXPECT_EQ(b.Length(), 2);
    EXPECT_EQ(b.SelStart(), 0);
    EXPECT_EQ(b.SelLength(), 0);
    b.SetText("");
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Text(), "");
}

TYPED_TEST_P(TextBoxContract, SetSelTextReplacesInsertsAndDeletes) {
    kalvo::TextBox& b = this->box("abcdef");
    b.SetSelStart(1);
    b.SetSelLength(2);
    b.SetSelText("XYZW");
    EXPECT_EQ(b.Text(), "aXYZWdef");
    EXPECT_EQ(b.SelStart(), 5);
    EXPECT_EQ(b.SelLength(), 0);

    b.SetSelText("!");
    EXPECT_EQ(b.Text(), "aXYZW!def");
    EXPECT_EQ(b.SelStart(), 6);

    b.SetSelStart(1);
    b.SetSelLength(4);
    b.SetSelText(std::string_view{}); // an empty view may hold a null pointer
    EXPECT_EQ(b.Text(), "a!def");
    EXPECT_EQ(b.SelStart(), 1);
    EXPECT_EQ(b.SelLength(), 0);

    // Replacing the whole document.
    kalvo::selectAll(b);
    b.SetSelText("new");
    EXPECT_EQ(b.Text(), "new");
    EXPECT_EQ(b.SelStart(), 3);
}

TYPED_TEST_P(TextBoxContract, FindCountsFromOneAndAnswersZeroWhenAbsent) {
    kalvo::TextBox& b = this->box("banana");
    EXPECT_EQ(b.find(1, "a"), 2);
    EXPECT_EQ(b.find(3, "a"), 4);
    EXPECT_EQ(b.find(6, "a"), 6);
    EXPECT_EQ(b.find(7, "a"), 0);
    EXPECT_EQ(b.find(1, "A"), 0);
    EXPECT_EQ(b.find(4, "nan"), 0);
    EXPECT_EQ(b.find(std::int64_t{kalvo::kMaxDocumentLength} + 2, "a"), 0);
    EXPECT_EQ(this->box("").find(1, "a"), 0);
}

TYPED_TEST_P(TextBoxContract, EveryByteIsOnePositionAndLineBreaksAreTwo) {
    const std::string text("ab\r\ncd\0\xF1x\x80\x81\xFF", 12);
    kalvo::TextBox& b = this->box(text);
    EXPECT_EQ(b.Length(), 12);
    EXPECT_EQ(b.Text(), text);
    EXPECT_EQ(b.find(1, "c"), 5);
    EXPECT_EQ(b.find(1, std::string_view("\0", 1)), 7);
    EXPECT_EQ(b.find(1, "\xF1"), 8);
    EXPECT_EQ(b.find(1, "\x81\xFF"), 11);
    // A caret between CR and LF is a position of its own.
    b.SetSelStart(3);
    EXPECT_EQ(b.SelStart(), 3);
    b.SetSelLength(1);
    EXPECT_EQ(b.SelText(), "\n");
    b.SetSelStart(6);
    b.SetSelLength(3);
    EXPECT_EQ(b.SelText(), std::string("\0\xF1x", 3));
}

TYPED_TEST_P(TextBoxContract, AllByteValuesSurviveSettingAndReplacing) {
    std::string all;
    for (int value = 0; value < 256; ++value)
        all.push_back(static_cast<char>(value));
    kalvo::TextBox& b = this->box(all);
    EXPECT_EQ(b.Text(), all);

    // Inserted in the middle, NUL and line ends included; mixed line ends
    // elsewhere stay as they are.
    b.SetText("L1\nL2\rL3\r\nL4");
    b.SetSelStart(2);
    b.SetSelText(all);
    EXPECT_EQ(b.Text(), "L1" + all + "\nL2\rL3\r\nL4");
    EXPECT_EQ(b.SelStart(), 2 + 256);
    b.SetSelStart(2);
    b.SetSelLength(256);
    EXPECT_EQ(b.SelText(), all);
}

TYPED_TEST_P(TextBoxContract, StepByStepConversionOnTheBoxMatchesTheReference) {
    struct Quiet final : kalvo::ProgressView, kalvo::MessageSink {
        float value = 0;
        int messages = 0;
        void showProgress() override {}
        float progressValue() const override { return value; }
        void setProgressValue(float v) override { value = v; }
        void hideProgress() override {}
        void showMessage(std::string_view) override { ++messages; }
    };
    const std::pair<const char*, const char*> cases[] = {
        {"sin", "sin("},
        {"sin X", "sin X"},
        {":sin A:sin B", ":sin( A:sin(( B"},
        {"1:sinsin X", "1:sin(sin(( X"},
        {":DispGG", ":Disp"},
        {":ClLCD\r\n:Outpt(1,1,5)\r\n:getKy\r\n", ":ClrHome\r\n:Output(1,1,5)\r\n:getKey\r\n"},
    };
    for (const auto& [before, after] : cases) {
        kalvo::TextBox& b = this->box(before);
        kalvo::ConversionState state;
        Quiet quiet;
        kalvo::runConversion(b, state, quiet, quiet, kalvo::ScanMode::StepByStep);
        EXPECT_EQ(b.Text(), after) << before;
        EXPECT_EQ(b.SelStart(), 0);
        EXPECT_EQ(b.SelLength(), 0);
        EXPECT_EQ(quiet.value, 82.0f);
        EXPECT_EQ(quiet.messages, 2);
    }
}

REGISTER_TYPED_TEST_SUITE_P(
    TextBoxContract, CaretAndSelectionAreClampedToTheText, MovingTheCaretCollapsesTheSelection,
    SetTextReplacesTheDocumentAndResetsTheCaret, SetSelTextReplacesInsertsAndDeletes,
    FindCountsFromOneAndAnswersZeroWhenAbsent, EveryByteIsOnePositionAndLineBreaksAreTwo,
    AllByteValuesSurviveSettingAndReplacing, StepByStepConversionOnTheBoxMatchesTheReference);
