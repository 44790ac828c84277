#include "conversion/ConversionRun.h"
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kalvo;

namespace {

// Records every call the run makes on the progress window and message box.
struct RecordingView final : ProgressView, MessageSink {
    std::vector<std::string> calls;
    float value = -1;
    bool shown = false;

    void showProgress() override {
        shown = true;
        calls.push_back("show");
    }
    float progressValue() const override { return value; }
    void setProgressValue(float v) override {
        value = v;
        calls.push_back("set " + std::to_string(static_cast<int>(v)));
    }
    void hideProgress() override {
        shown = false;
        calls.push_back("hide");
    }
    void showMessage(std::string_view text) override {
        calls.push_back("message " + std::string(text));
    }
};

std::string runOn(std::string_view document, ScanMode mode) {
    TextBuffer box(document);
    ConversionState state;
    RecordingView view;
    runConversion(box, state, view, view, mode);
    return box.Text();
}

// Every path must give the same bytes.
void expectConverts(std::string_view in, std::string_view expected) {
    SCOPED_TRACE(std::string(in));
    EXPECT_EQ(convertTextStepByStep(in), expected);
    EXPECT_EQ(convertText(in), expected);
    EXPECT_EQ(runOn(in, ScanMode::Linear), expected);
}

} // namespace

TEST(ConversionRun, TextWithoutTokensIsUnchanged) {
    expectConverts("", "");
    expectConverts("Hello", "Hello");
    expectConverts("1:SIN X", "1:SIN X"); // case-sensitive
}

TEST(ConversionRun, AnOccurrenceAtTheFirstCharacterIsNeverFound) {
    expectConverts("sin X", "sin X");
}

TEST(ConversionRun, ADocumentThatIsExactlyTheFindTextIsReplacedWhole) {
    expectConverts("sin", "sin(");
}

TEST(ConversionRun, TheLastOccurrenceOfAGrowingRowIsReplacedTwice) {
    expectConverts("A:sin X", "A:sin(( X");
    expectConverts(":sin A:sin B", ":sin( A:sin(( B");
    expectConverts("1:sinsin X", "1:sin(sin(( X");
    expectConverts(":Hist", ":Histogramogram");
    expectConverts(":aug", ":augment(ment(");
}

TEST(ConversionRun, AShorterReplacementCanSpellTheFindTextAgain) {
    expectConverts(":DispGG", ":Disp");
    expectConverts("If A==B", "If A=B");
    expectConverts("A===B", "A=B");
}

TEST(ConversionRun, EarlierRowsChangeWhatLaterRowsSee) {
    expectConverts("1:DelVar(A)", "1:DelVar A)");
    expectConverts("1:cosh X", "1:cos((h X");
}

TEST(ConversionRun, LineBreaksAreKept) {
    expectConverts(":ClLCD\r\n:Outpt(1,1,5)\r\n:getKy\r\n",
                   ":ClrHome\r\n:Output(1,1,5)\r\n:getKey\r\n");
}

TEST(ConversionRun, Row19NeverMatchesTheTextItInserted) {
    expectConverts("xDecDec", "x\xE5"
                              "Dec\xE5"
                              "Dec");
    expectConverts("Dec", "\xE5"
                          "Dec");
    expectConverts(":ZDecm", ":Z\xE5"
                             "Decm");
    // A second run meets its own arrow again and adds one more.
    expectConverts("x\xE5"
                   "Dec",
                   "x\xE5\xE5"
                   "Dec");
}

TEST(ConversionRun, TokensWithNonAsciiBytesMatchOnlyThoseBytes) {
    // Row 14 has already turned "cos" into "cos(" before row 15 looks.
    expectConverts(":cos\xF1 X", ":cos((\xF1 X");
    expectConverts(":Eq\xE5St(A)", ":Equ\xE5String(A)");
    expectConverts(":Eq>St(A)", ":Eq>St(A)");
}

TEST(ConversionRun, ASecondRunConvertsItsOwnResultAgain) {
    expectConverts("A:sin(( X", "A:sin(((( X");
}

TEST(ConversionRun, ProgressSequenceAndClosingMessages) {
    for (ScanMode mode : {ScanMode::StepByStep, ScanMode::Linear}) {
        TextBuffer box("");
        ConversionState state;
        RecordingView view;
        runConversion(box, state, view, view, mode);

        std::vector<std::string> expected{"show", "set 0"};
        for (int v = 1; v <= 82; ++v)
            expected.push_back("set " + std::to_string(v));
        expected.push_back("message " + std::string(kConversionCompleteMessage));
        expected.push_back("message " + std::string(kAfterConversionMessage));
        expected.push_back("hide");
        EXPECT_EQ(view.calls, expected);
        EXPECT_EQ(view.value, 82.0f);
        EXPECT_FALSE(view.shown);
    }
}

TEST(ConversionRun, ClosingMessagesReadExactly) {
    EXPECT_NE(kConversionCompleteMessage.find(
                  "program, but don't forget to save it before you exit!  I am"),
              std::string_view::npos);
    EXPECT_TRUE(kConversionCompleteMessage.starts_with("Conversion Complete!  Although"));
    EXPECT_TRUE(kConversionCompleteMessage.ends_with("BEFORE TESING ANY CONVERTED PROGRAMS."));
    EXPECT_NE(kAfterConversionMessage.find("there are a lot of funtions in the 86"),
              std::string_view::npos);
    EXPECT_NE(kAfterConversionMessage.find("ARE A LITLE WEIRD. JUST DELETE"),
              std::string_view::npos);
    EXPECT_TRUE(kAfterConversionMessage.ends_with("IT DOESN'T HAVE A TITLE EITHER."));
}

TEST(ConversionRun, LeavesCaretAtStartAndLastRowInTheHolders) {
    for (ScanMode mode : {ScanMode::StepByStep, ScanMode::Linear}) {
        TextBuffer box("A:sin X\r\nB:cos Y");
        box.SetSelStart(4);
        box.SetSelLength(3);
        ConversionState state;
        RecordingView view;
        runConversion(box, state, view, view, mode);
        EXPECT_EQ(box.SelStart(), 0);
        EXPECT_EQ(box.SelLength(), 0);
        EXPECT_GE(box.focusCount(), 1);
        EXPECT_EQ(state.txtFind, "==");
        EXPECT_EQ(state.txtReplace, "=");
        EXPECT_EQ(state.counter, 0);

        // A following run starts again at row 1 with the bar at 0.
        view.calls.clear();
        runConversion(box, state, view, view, mode);
        ASSERT_GE(view.calls.size(), 2u);
        EXPECT_EQ(view.calls[1], "set 0");
        EXPECT_EQ(box.Text(), "A:sin(((( X\r\nB:cos(((( Y");
    }
}
