// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Cases every TextBox must pass, run over the plain buffer and over the editor
// widget, so that the conversion and Find/Replace behave the same on both.

#include "conversion/ConversionRun.h"
#include "document/TextBox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

template <class Box> class TextBoxContract : public testing::Test {
protected:
    kalvo::TextBox& box(std::string_view text) {
        box_ = std::make_unique<Box>();
        box_->SetText(text);
        return *box_;
    }
    static std::string sel(const kalvo::TextBox& b) {
        return std::to_string(b.SelStart()) + "+" + std::to_string(b.SelLength());
    }
    static std::string select(kalvo::TextBox& b, kalvo::Pos start, kalvo::Pos length) {
        b.SetSelStart(start);
        b.SetSelLength(length);
        return sel(b);
    }

private:
    std::unique_ptr<Box> box_;
};

TYPED_TEST_SUITE_P(TextBoxContract);

TYPED_TEST_P(TextBoxContract, CaretSelectionAndReplacement) {
    kalvo::TextBox& b = this->box("hello");
    EXPECT_EQ(this->select(b, 99, 0), "5+0");
    EXPECT_EQ(this->select(b, -3, 0), "0+0");
    EXPECT_EQ(this->select(b, 2, 99), "2+3");
    EXPECT_EQ(b.SelText(), "llo");
    EXPECT_EQ(this->select(b, 2, -1), "2+0");
    this->select(b, 2, 2);
    b.SetSelStart(2); // moving the caret collapses the selection
    EXPECT_EQ(this->sel(b), "2+0");
    EXPECT_EQ(b.SelText(), "");

    this->select(b, 2, 2);
    b.SetText("abcdef");
    EXPECT_EQ(b.Text(), "abcdef");
    EXPECT_EQ(this->sel(b), "0+0");
    this->select(b, 1, 2);
    b.SetSelText("XYZW");
    EXPECT_EQ(b.Text(), "aXYZWdef");
    EXPECT_EQ(this->sel(b), "5+0");
    b.SetSelText("!"); // nothing selected: inserts at the caret
    EXPECT_EQ(b.Text(), "aXYZW!def");
    EXPECT_EQ(this->sel(b), "6+0");
    this->select(b, 1, 4);
    b.SetSelText(std::string_view{}); // deletes; an empty view may hold a null pointer
    EXPECT_EQ(b.Text(), "a!def");
    EXPECT_EQ(this->sel(b), "1+0");
    kalvo::selectAll(b);
    b.SetSelText("new");
    EXPECT_EQ(b.Text(), "new");
    EXPECT_EQ(this->sel(b), "3+0");
}

TYPED_TEST_P(TextBoxContract, FindAndPositions) {
    kalvo::TextBox& b = this->box("banana");
    EXPECT_EQ(b.find(1, "a"), 2);
    EXPECT_EQ(b.find(3, "a"), 4);
    EXPECT_EQ(b.find(6, "a"), 6);
    EXPECT_EQ(b.find(7, "a"), 0);
    EXPECT_EQ(b.find(1, "A"), 0);
    EXPECT_EQ(b.find(std::int64_t{kalvo::kMaxDocumentLength} + 2, "a"), 0);
    EXPECT_EQ(this->box("").find(1, "a"), 0);

    std::string all;
    for (int value = 0; value < 256; ++value)
        all.push_back(static_cast<char>(value));
    kalvo::TextBox& c = this->box("ab\r\ncd" + all);
    EXPECT_EQ(c.Length(), 6 + 256);
    EXPECT_EQ(c.Text(), "ab\r\ncd" + all);
    EXPECT_EQ(c.find(1, "c"), 5);
    EXPECT_EQ(c.find(1, std::string_view("\0", 1)), 7);
    EXPECT_EQ(c.find(1, "\xF1\xF2"), 7 + 0xF1);
    EXPECT_EQ(this->select(c, 3, 1), "3+1"); // between CR and LF: a position of its own
    EXPECT_EQ(c.SelText(), "\n");
    c.SetSelLength(0);
    c.SetSelText(all); // even there, nothing is added or lost
    EXPECT_EQ(c.Text(), "ab\r" + all + "\ncd" + all);
    EXPECT_EQ(this->sel(c), "259+0");
    this->select(c, 3, 256);
    EXPECT_EQ(c.SelText(), all);
}

TYPED_TEST_P(TextBoxContract, StepByStepConversion) {
    kalvo::HeadlessView quiet;
    // The caret-and-selection scan on this box must give what the linear
    // path gives on a plain string (whose results are checked against
    // hand-made ones elsewhere).
    for (const char* document : {"sin", "sin X", ":sin A:sin B", "xDecDec", ":DispGG",
                                 ":ClLCD\r\n:Outpt(1,1,5)\r\n:getKy\r\n"}) {
        kalvo::TextBox& b = this->box(document);
        kalvo::ConversionState state;
        kalvo::runConversion(b, state, quiet, quiet, kalvo::ScanMode::StepByStep);
        EXPECT_EQ(b.Text(), kalvo::convertText(document)) << document;
        EXPECT_EQ(this->sel(b), "0+0");
    }
}

REGISTER_TYPED_TEST_SUITE_P(TextBoxContract, CaretSelectionAndReplacement, FindAndPositions,
                            StepByStepConversion);
