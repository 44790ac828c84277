// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/ConversionRun.h"
#include "document/TextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <new>

#include <string>
#include <utility>
#include <vector>

using namespace kalvo;

namespace {

// Records every call the run makes on the progress window and message box.
struct RecordingView final : ProgressView, MessageSink {
    std::vector<std::string> calls;
    float value = -1;

    void showProgress() override { calls.push_back("show"); }
    float progressValue() const override { return value; }
    void setProgressValue(float v) override {
        value = v;
        calls.push_back("set " + std::to_string(static_cast<int>(v)));
    }
    void hideProgress() override { calls.push_back("hide"); }
    void showMessage(std::string_view text) override { calls.emplace_back(text); }
};

const std::string arrow = "\xE5"; // the calculators' conversion arrow

} // namespace

// The step-by-step scan, the linear path and a Linear run on a box must all
// leave the same bytes.
TEST(ConversionRun, ConvertsDocuments) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Hello", "Hello"},
        {"1:SIN X", "1:SIN X"}, // case-sensitive
        {"sin X", "sin X"},     // an occurrence at the first character is never found
        {"sin", "sin("},        // a document that is exactly the find text is replaced whole
        // The last occurrence of a growing row is replaced twice.
        {"A:sin X", "A:sin(( X"},
        {":sin A:sin B", ":sin( A:sin(( B"},
        {"1:sinsin X", "1:sin(sin(( X"},
        {":Hist", ":Histogramogram"},
        {":aug", ":augment(ment("},
        // A shorter replacement and what follows can spell the find text again.
        {":DispGG", ":Disp"},
        {"If A==B", "If A=B"},
        {"A===B", "A=B"},
        // Earlier rows change what later rows see.
        {"1:DelVar(A)", "1:DelVar A)"},
        {"1:cosh X", "1:cos((h X"},
        {":cos\xF1 X", ":cos((\xF1 X"},
        {":Eq" + arrow + "St(A)", ":Equ" + arrow + "String(A)"},
        {":Eq>St(A)", ":Eq>St(A)"},
        {":ClLCD\r\n:Outpt(1,1,5)\r\n:getKy\r\n", ":ClrHome\r\n:Output(1,1,5)\r\n:getKey\r\n"},
        // Row 19 never matches the text it inserted, but a second run meets
        // its own arrow again and adds one more.
        {"xDecDec", "x" + arrow + "Dec" + arrow + "Dec"},
        {"Dec", arrow + "Dec"},
        {":ZDecm", ":Z" + arrow + "Decm"},
        {"x" + arrow + "Dec", "x" + arrow + arrow + "Dec"},
        {"A:sin(( X", "A:sin(((( X"}, // a second run converts its own result again
    };
    for (const auto& [in, expected] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(convertTextStepByStep(in), expected);
        EXPECT_EQ(convertText(in), expected);
        TextBuffer box(in);
        ConversionState state;
        RecordingView view;
        runConversion(box, state, view, view, ScanMode::Linear);
        EXPECT_EQ(box.Text(), expected);
    }
}

TEST(ConversionRun, ProgressMessagesCaretAndStateOfEveryRun) {
    std::vector<std::string> expected{"show", "set 0"};
    for (int v = 1; v <= 82; ++v)
        expected.push_back("set " + std::to_string(v));
    expected.emplace_back(kConversionCompleteMessage);
    expected.emplace_back(kAfterConversionMessage);
    expected.emplace_back("hide");

    for (ScanMode mode : {ScanMode::StepByStep, ScanMode::Linear}) {
        TextBuffer box("A:sin X\r\nB:cos Y");
        ConversionState state;
        // A second run starts again at row 1 with the bar at 0.
        for (const char* result : {"A:sin(( X\r\nB:cos(( Y", "A:sin(((( X\r\nB:cos(((( Y"}) {
            box.SetSelStart(4);
            box.SetSelLength(3);
            const int focus = box.focusCount();
            RecordingView view;
            runConversion(box, state, view, view, mode);
            EXPECT_EQ(box.Text(), result);
            EXPECT_EQ(view.calls, expected);
            EXPECT_EQ(view.value, 82.0f);
            EXPECT_EQ(box.SelStart(), 0);
            EXPECT_EQ(box.SelLength(), 0);
            EXPECT_GT(box.focusCount(), focus);
            EXPECT_EQ(state.txtFind, "==");
            EXPECT_EQ(state.txtReplace, "=");
            EXPECT_EQ(state.counter, 0);
        }
    }
}

namespace {

// A box whose replacements fail as a full memory or a document past its
// limit would make them fail.
class FailingBox final : public TextBox {
public:
    explicit FailingBox(std::exception_ptr error) : error_(std::move(error)) {}
    TextBuffer b;
    std::string Text() const override { return b.Text(); }
    void SetText(std::string_view text) override { b.SetText(text); }
    Pos Length() const override { return b.Length(); }
    Pos SelStart() const override { return b.SelStart(); }
    void SetSelStart(Pos caret) override { b.SetSelStart(caret); }
    Pos SelLength() const override { return b.SelLength(); }
    void SetSelLength(Pos count) override { b.SetSelLength(count); }
    std::string SelText() const override { return b.SelText(); }
    void SetSelText(std::string_view) override { std::rethrow_exception(error_); }
    void SetFocus() override {}

private:
    std::exception_ptr error_;
};

} // namespace

// A run that cannot store its result leaves the document, its selection and
// the counter as they were, hides the progress window, shows no message and
// lets the caller say why.
TEST(ConversionRun, FailedReplacementLeavesEverythingAsItWas) {
    for (const std::exception_ptr& error : {std::make_exception_ptr(std::bad_alloc()),
                                            std::make_exception_ptr(DocumentTooLarge(9))}) {
        FailingBox box(error);
        box.SetText(":sin A:sin B");
        box.SetSelStart(1);
        box.SetSelLength(3);
        ConversionState state;
        RecordingView view;
        EXPECT_ANY_THROW(runConversion(box, state, view, view, ScanMode::Linear));
        EXPECT_EQ(box.Text(), ":sin A:sin B");
        EXPECT_EQ(box.SelText(), "sin");
        EXPECT_EQ(view.calls.back(), "hide");
        EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "hide"), 1);
        EXPECT_EQ(view.calls.size(), 85u); // show, 83 steps, hide: no message
        EXPECT_EQ(state.counter, 0);
    }
}

// The window's bar follows the share of the document done: pieces of a
// sixteenth of the document (from 4 KiB to 32 KiB) each report how far the
// conversion has got.
TEST(ConversionRun, PiecesReportHowFarTheConversionHasGot) {
    std::string document;
    for (int line = 0; line < 25000; ++line) // 200000 bytes
        document += ":sin A\r\n";
    std::vector<std::size_t> done;
    const std::string converted = convertText(document, [&](std::size_t n) { done.push_back(n); });
    std::vector<std::size_t> expected;
    for (std::size_t n = 12500; n <= 200000; n += 12500)
        expected.push_back(n);
    EXPECT_EQ(done, expected);
    // Every sin gains "(", the last one "((".
    EXPECT_EQ(converted.size(), 200000u + 25000u + 1u);
    EXPECT_TRUE(converted.ends_with(":sin( A\r\n:sin(( A\r\n"));
}

TEST(ConversionRun, ClosingMessagesKeepTheirWording) {
    EXPECT_TRUE(kConversionCompleteMessage.starts_with("Conversion Complete!  Although"));
    EXPECT_NE(kConversionCompleteMessage.find("before you exit!  I am"), std::string_view::npos);
    EXPECT_TRUE(kConversionCompleteMessage.ends_with("BEFORE TESING ANY CONVERTED PROGRAMS."));
    EXPECT_NE(kAfterConversionMessage.find("a lot of funtions in the 86"), std::string_view::npos);
    EXPECT_NE(kAfterConversionMessage.find("A LITLE WEIRD. JUST DELETE"), std::string_view::npos);
    EXPECT_TRUE(kAfterConversionMessage.ends_with("IT DOESN'T HAVE A TITLE EITHER."));
}
