// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What is left to do by hand after a TI-86 program is converted: the places
// in its `ti86` text that the 81 rows cannot fix or get wrong, one finding
// each, found on the program's tokens. Every finding is a warning with the
// 1-based line and column (in bytes) of the TI-86 text, so that the user can
// find the place in the text they have; the rows never add or remove a line
// break, so the line is also the converted text's.
namespace kalvo::calc {

// How many of each kind of finding a report holds, for its summary line:
// each finding is one place to edit, counted in the group the diagnostics
// catalogue gives its kind (countHandWork).
struct HandWorkCounts {
    std::size_t labels = 0;        // uses of labels to shorten or rename
    std::size_t names = 0;         // uses of names to rename (MONEY, x, m)
    std::size_t programCalls = 0;  // programs called by their bare name
    std::size_t menus = 0;         // Menu( in the TI-86 form or too long
    std::size_t delVars = 0;       // DelVar( leaving a ")"
    std::size_t noCounterpart = 0; // TI-86 commands the TI-83 Plus lacks
    std::size_t equations = 0;     // y1=... to write as "..."->Y1
    std::size_t rowWrites = 0;     // what the rows write that is wrong there
    std::size_t offScreen = 0;     // literal coordinates off the TI-83 Plus screen
    std::size_t keyCodes = 0;      // getKy compared with a TI-86 key code
    std::size_t other = 0;         // merged in from elsewhere (mergeFindings)

    HandWorkCounts& operator+=(const HandWorkCounts& more) {
        labels += more.labels, names += more.names, programCalls += more.programCalls;
        menus += more.menus, delVars += more.delVars, noCounterpart += more.noCounterpart;
        equations += more.equations, rowWrites += more.rowWrites, offScreen += more.offScreen;
        keyCodes += more.keyCodes, other += more.other;
        return *this;
    }

    std::size_t total() const {
        return labels + names + programCalls + menus + delVars + noCounterpart + equations +
               rowWrites + offScreen + keyCodes + other;
    }
};

// The words of findings made as they are found, copied into chunks that
// never move: a view keep() gives stays valid until clear(), however many
// more are kept. clear() keeps the chunks for the next findings.
class FindingWords {
public:
    std::string_view keep(std::string_view words);
    void clear();

private:
    static constexpr std::size_t kChunk = 16 * 1024;
    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0;
    };
    std::vector<Chunk> chunks_;
    std::size_t current_ = 0; // the chunk being filled, once started_
    std::size_t used_ = 0;    // its bytes taken
    bool started_ = false;
};

struct HandWorkReport {
    Diagnostics findings; // sorted by line, then column; one per place
    HandWorkCounts counts;
    Diagnostics textDiagnostics; // what the TI-86 tokenizer said about the text
};

// The findings for a program's `ti86` text (what the user converts, or the
// listing of a calculator file).
HandWorkReport findHandWork(std::string_view ti86Text);

// The same, each finding to `finding` as it is made, in order, none kept:
// for a text too large to hold them all. Its counts for the summary come
// back. The tokenizer's faults about the text are not said.
HandWorkCounts findHandWork(std::string_view ti86Text,
                            const std::function<void(const Diagnostic&)>& finding);

// The same, a window's findings at a time (in order, valid during the
// call): one call for hundreds of findings rather than one each.
HandWorkCounts
findHandWorkInBatches(std::string_view ti86Text,
                      const std::function<void(std::span<const HandWorkFinding>)>& found);

// The same for text already tokenized by tokenizeTi86Text(ti86Text), or for
// the listing of a tokenized program (listTi86Program's text and tokens): the
// tokens must carry their line and column in `ti86Text`. A plain-text
// program's listing has no tokens; pass its text to the overload above.
HandWorkReport findHandWork(std::string_view ti86Text, const std::vector<Ti86Token>& tokens);

// Findings about the converted text (from its tokenizer, say) placed in the
// TI-86 text it was converted from, so that they can be merged with a
// report: the line stays (the rows never add or remove a line break) and
// the column moves to where the same byte, or the text it replaced, stands
// in the TI-86 line. Findings on a line the TI-86 text lacks keep their
// place.
Diagnostics placeInTi86Text(Diagnostics convertedFindings, std::string_view ti86Text,
                            std::string_view convertedText);

// The column of one converted line in the TI-86 line it came from: a byte
// both hold keeps its counterpart; a byte the rows wrote goes to the start
// of what they replaced.
std::size_t ti86ColumnOf(std::string_view ti86Line, std::string_view convertedLine,
                         std::size_t convertedColumn);

// Two lists of findings as one, sorted by line and column; where both hold
// a finding at the same place, only the first list's is kept. Findings with
// no line sort first, in their order.
Diagnostics mergeFindings(Diagnostics first, Diagnostics second);

// Adds findings from elsewhere (the tokenizer of the converted text) to a
// report; those at a place the report already names are dropped, the others
// count as `other`.
void mergeFindings(HandWorkReport& report, const Diagnostics& more);
void mergeFindings(HandWorkReport& report, Diagnostics&& more);

// "3 uses of labels to shorten, 1 menu to rewrite": the counts
// that are not zero, in the order of HandWorkCounts. Empty when all are.
std::string handWorkSummary(const HandWorkCounts& counts);

// The counts of findings by their group in the diagnostics catalogue.
HandWorkCounts countHandWork(const Diagnostics& findings);
HandWorkCounts countHandWork(std::span<const HandWorkFinding> findings);

} // namespace kalvo::calc
