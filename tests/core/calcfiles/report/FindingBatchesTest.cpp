// SPDX-License-Identifier: GPL-3.0-or-later
// The report's findings as it hands them over a window at a time: their
// words kept in chunks that do not move, the batches together the same as
// the whole report, and their printed lines the same as a Diagnostic's.
#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/diagnostics/DiagnosticPrinter.h"
#include "calcfiles/report/HandWork.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

TEST(FindingWords, ViewsStayValidAcrossChunksUntilCleared) {
    FindingWords words;
    std::vector<std::string> kept;
    std::vector<std::string_view> views;
    // Past several 16 KiB chunks, with one word larger than a chunk between.
    for (int k = 0; k < 2000; ++k) {
        std::string w =
            "finding " + std::to_string(k) + std::string(static_cast<std::size_t>(k % 37), 'x');
        if (k == 700)
            w = std::string(40000, 'L');
        views.push_back(words.keep(w));
        kept.push_back(std::move(w));
    }
    for (std::size_t k = 0; k < kept.size(); ++k)
        ASSERT_EQ(views[k], kept[k]) << k;
    EXPECT_TRUE(words.keep("").empty());
    // After clear() the room is used again, and what is kept reads back.
    words.clear();
    const std::string_view again = words.keep("again");
    const std::string_view big = words.keep(std::string(50000, 'B'));
    const std::string_view after = words.keep("after");
    EXPECT_EQ(again, "again");
    EXPECT_EQ(big, std::string(50000, 'B'));
    EXPECT_EQ(after, "after");
}

// Enough lines for many windows of tokens, with findings of several kinds.
std::string manyLines() {
    std::string text;
    for (int k = 0; k < 400; ++k) {
        text += ":Lbl LOOP" + std::to_string(k % 7) + "\r\n";
        text += ":MONEY+1\xFCMONEY:Disp x\r\n";
        text += ":A+1\xFC"
                "A\r\n";
        text += ":Outpt(9,1,\"X\"):DispG\r\n";
        text += ":y1=x\xF2+3\r\n";
    }
    return text;
}

TEST(FindingBatches, TogetherAreTheWholeReportInOrder) {
    const std::string text = manyLines();
    const HandWorkReport whole = findHandWork(text);
    std::vector<Diagnostic> seen;
    std::size_t batches = 0;
    const HandWorkCounts counts =
        findHandWorkInBatches(text, [&](std::span<const HandWorkFinding> found) {
            EXPECT_FALSE(found.empty());
            ++batches;
            for (const HandWorkFinding& f : found) {
                Diagnostic& d = seen.emplace_back();
                d.severity = diagnosticKind(f.id).severity;
                d.line = f.line;
                d.column = f.column;
                d.message = std::string(f.message);
                d.id = f.id;
            }
        });
    EXPECT_GT(batches, 1u);
    ASSERT_EQ(seen.size(), whole.findings.size());
    // 400 times: a long label, two uses of MONEY, x after Disp and in the
    // equation, Outpt's row 9, DispG, y1=.
    EXPECT_EQ(seen.size(), 400u * 8);
    for (std::size_t k = 0; k < seen.size(); ++k) {
        const Diagnostic &a = seen[k], &b = whole.findings[k];
        ASSERT_EQ(std::tie(a.line, a.column, a.message, a.id),
                  std::tie(b.line, b.column, b.message, b.id))
            << k;
    }
    EXPECT_EQ(handWorkSummary(counts), handWorkSummary(whole.counts));
    EXPECT_EQ(counts.names, 400u * 4);
}

TEST(FindingLine, IsPrintedAsTheDiagnosticIs) {
    Diagnostic d;
    d.severity = Diagnostic::Severity::Note;
    d.line = 12;
    d.column = 345;
    d.message = "said";
    std::string out = "before\n";
    printFinding(out, "GAME.86p", d.severity, d.line, d.column, d.message);
    EXPECT_EQ(out, "before\nGAME.86p:12:345: note: said\n");
    EXPECT_EQ(diagnosticLine("GAME.86p", d), "GAME.86p:12:345: note: said\n");
    // No line: no place; a byte offset is shown only without one.
    out.clear();
    printFinding(out, "-", Diagnostic::Severity::Error, 0, 7, "");
    EXPECT_EQ(out, "-: error: \n");
    d.line = 0;
    d.hasOffset = true;
    d.offset = 0x1A;
    d.severity = Diagnostic::Severity::Warning;
    EXPECT_EQ(diagnosticLine("F", d), "F: warning: offset 0x1A: said\n");
    d.line = 3;
    d.column = 1;
    EXPECT_EQ(diagnosticLine("F", d), "F:3:1: warning: said\n");
    d.line = 18446744073709551615u;
    EXPECT_EQ(diagnosticLine("F", d), "F:18446744073709551615:1: warning: said\n");
}

} // namespace

// A batch keeps the head of a line from one finding to the next and the
// severity from one kind to the next: each must still come out as its own.
TEST(FindingLine, BatchPrintsEachFindingAsItsOwn) {
    const std::string longWords(600, 'w'); // more than one line's room
    const std::vector<HandWorkFinding> batch = {
        {DiagnosticId::LongName, 9, 1, "a"},
        {DiagnosticId::LongName, 9, 10, "b"},
        {DiagnosticId::Ti86StringOpen, 9, 99, ""},
        {DiagnosticId::Ti86StringOpen, 10, 100, "c"},
        {DiagnosticId::Ti86NoEntry, 0, 0, "d"},
        {DiagnosticId::LongName, 10, 7, "e"},
        {DiagnosticId::LongName, 12345, 123456, longWords},
        {DiagnosticId::LongName, 12345, 2, "f"},
        {DiagnosticId::None, 18446744073709551615u, 18446744073709551615u, "g"},
    };
    std::string out = "x\n";
    printFindings(out, "GAME.86p", batch);
    EXPECT_EQ(out, "x\n"
                   "GAME.86p:9:1: warning: a\n"
                   "GAME.86p:9:10: warning: b\n"
                   "GAME.86p:9:99: note: \n"
                   "GAME.86p:10:100: note: c\n"
                   "GAME.86p: error: d\n"
                   "GAME.86p:10:7: warning: e\n"
                   "GAME.86p:12345:123456: warning: " +
                       longWords +
                       "\n"
                       "GAME.86p:12345:2: warning: f\n"
                       "GAME.86p:18446744073709551615:18446744073709551615: warning: g\n");
    // A name too long for the room of a line, and none.
    const std::string where(500, 'p');
    out.clear();
    printFindings(out, where, std::span(batch).subspan(0, 2));
    EXPECT_EQ(out, where + ":9:1: warning: a\n" + where + ":9:10: warning: b\n");
    out.clear();
    printFindings(out, "", std::span(batch).subspan(3, 2));
    EXPECT_EQ(out, ":10:100: note: c\n: error: d\n");
    // The longest numbers after a short line, with words near the room of
    // a line, on either side of it.
    constexpr std::size_t most = std::size_t{18446744073709551615u};
    for (const std::size_t size : {440, 452, 453, 470}) {
        const std::string words(size, 'm');
        const std::vector<HandWorkFinding> two = {{DiagnosticId::LongName, 1, 1, "a"},
                                                  {DiagnosticId::LongName, most, most, words}};
        out.clear();
        printFindings(out, "F", two);
        EXPECT_EQ(out, "F:1:1: warning: a\nF:18446744073709551615:18446744073709551615: warning: " +
                           words + "\n")
            << size;
    }
}
