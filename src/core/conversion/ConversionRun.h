// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/MessageSink.h"
#include "document/TextBox.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kalvo {

// What the main window keeps between runs: the row counter and the current
// row's texts (the window's hidden txtFind and txtReplace).
struct ConversionState {
    std::int16_t counter = 0;
    std::string txtFind;
    std::string txtReplace;
};

// The progress window Form1 and its bar pb1 (range 0 to 82).
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void showProgress() = 0; // modeless; created on first use
    virtual float progressValue() const = 0;
    virtual void setProgressValue(float value) = 0;
    virtual void hideProgress() = 0; // stays created for the next run
};

// A row's scan exists twice, on purpose. The step-by-step scan (scanRow)
// moves the box's caret and selection exactly as the Convert button always
// has: it is what the rows mean, and it is quadratic on a long document. The
// linear scan (RowStream) gives the same bytes in one pass and is the only
// one the window and kalvo-convert run; the differential tests, the fuzz
// target and the contract tests hold it to the step-by-step one.
enum class ScanMode {
    // Every row scanned through the box's caret and selection: the reference.
    StepByStep,
    // The document streamed through all rows in linear time; the result goes
    // back into the box as one replacement of the whole text (one undo step).
    Linear,
};

inline constexpr std::string_view kConversionCompleteMessage =
    "Conversion Complete!  Although this works for most programs, it may not have worked for "
    "this one.  You may now go through and edit the program, but don't forget to save it "
    "before you exit!  I am not responsible for any damage this does to your calculator or "
    "computer.  Any programs that were converted may not work properly, therefore crashing "
    "your calculator.  PLEASE BACK-UP YOUR CALC BEFORE TESING ANY CONVERTED PROGRAMS.";

inline constexpr std::string_view kAfterConversionMessage =
    "After you edit and save, it will replace the text file that was the 86p program.  Please "
    "copy and save it into an 8xp program using your graph-link.  Thanks!  Please note that in "
    "TI-86 Basic, Labels are allowed to be letters and so after converting, change anything "
    "after Lbl that is not just to letters or numbers into 2 letters and numbers, and make sure "
    "you do the same with the goto's.  If you are confused, you may send the program to me and "
    "if I am in a good mood I might convert it for you.  Also, there are a lot of funtions in "
    "the 86 that the 83+ doesn't have, so this may be the reason why your program isn't "
    "working.  ALSO NOTE THAT TI-86 MENUS ARE A LITLE WEIRD. JUST DELETE THE NUMBER BEFORE THE "
    "CHOICE.  SOMETIMES IT DOESN'T HAVE A TITLE EITHER.";

// A run with no windows: the bar's value is kept, messages are dropped.
struct HeadlessView final : ProgressView, MessageSink {
    float value = 0;
    void showProgress() override {}
    float progressValue() const override { return value; }
    void setProgressValue(float v) override { value = v; }
    void hideProgress() override {}
    void showMessage(std::string_view) override {}
};

// One conversion run (the Convert button): all 81 rows over the box, the
// progress bar stepped 82 times, the two closing messages, then the caret at
// the start of the document and the counter back at 0.
void runConversion(TextBox& box, ConversionState& state, ProgressView& progress,
                   MessageSink& messages, ScanMode mode);

// The 81 rows applied to a plain document, without windows or messages.
// `done`, when given, hears after each piece how many bytes of the document
// have gone into the rows.
std::string convertText(std::string_view document,
                        const std::function<void(std::size_t)>& done = {});
// The same, with the document passed through the rows in pieces of
// `pieceSize` bytes; every size gives the same bytes.
std::string convertTextInPieces(std::string_view document, std::size_t pieceSize,
                                const std::function<void(std::size_t)>& done = {});
// The same through the step-by-step scan on a TextBuffer; the reference the
// linear path is checked against.
std::string convertTextStepByStep(std::string_view document);

} // namespace kalvo
