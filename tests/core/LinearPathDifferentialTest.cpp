// SPDX-License-Identifier: GPL-3.0-or-later
// The linear path must leave exactly the bytes the step-by-step scan leaves, on
// documents generated with fixed seeds from the pieces where the two can part
// ways: occurrences at either end, overlapping or touching a replacement.

#include "conversion/ConversionRun.h"
#include "conversion/RowScan.h"
#include "conversion/TokenTable.h"
#include "document/TextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace kalvo;
using testing::PrintToString;

namespace {

struct Picker { // plain modulo: mt19937 is the same everywhere, distributions are not
    std::mt19937 rng;
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(rng() % n); }
    std::string from(const std::vector<std::string>& items) { return items[below(items.size())]; }
    // The text itself half the time, else with its first or last bytes cut off, or its middle.
    std::string piece(const std::string& text) {
        if (below(2) == 0)
            return text;
        const std::size_t from = below(text.size() + 1);
        return text.substr(from, 1 + below(text.size() - from + 1));
    }
    // Over a tiny alphabet, so that everything meets.
    std::string word(std::size_t n) { return n ? word(n - 1) + "abc"[below(3)] : ""; }
};

std::string documentOf(Picker& pick, const std::vector<std::string>& texts, std::size_t pieces) {
    static const std::vector<std::string> separators{":",    "\r\n", "\r",   "\n", " ",
                                                     "\xF1", "\xE5", {'\0'}, "(",  "A"};
    std::string doc = pick.below(4) == 0 ? pick.from(texts) : ""; // at the first byte
    for (std::size_t i = pick.below(pieces + 1); i > 0; --i)
        doc += pick.below(4) == 0 ? pick.from(separators) : pick.piece(pick.from(texts));
    return pick.below(4) == 0 ? doc + pick.from(texts) : doc; // at the last byte
}

// One row step by step, linearly, and fed in pieces of 0 to 3 bytes as a
// stage of the pipeline sees it, the end coming with the last bytes or alone.
void expectSameRow(const std::string& doc, const std::string& find, const std::string& replace,
                   Picker& pick) {
    TextBuffer box(doc);
    selectAll(box);
    scanRow(box, find, replace);
    std::string linear, streamed, waiting;
    if (!convertRow(doc, linear, find, replace))
        linear = doc;
    RowStream row(find, replace);
    for (std::size_t fed = 0;;) {
        const std::size_t piece = std::min(doc.size() - fed, pick.below(4));
        waiting.append(doc, fed, piece);
        const bool end = (fed += piece) == doc.size() && (piece == 0 || pick.below(2) == 0);
        waiting.erase(0, row.run(waiting, end, streamed));
        if (end)
            break;
    }
    ASSERT_EQ(linear, box.Text()) << PrintToString(doc);
    ASSERT_EQ(streamed, box.Text()) << PrintToString(doc);
}

} // namespace

TEST(LinearPathDifferential, GeneratedDocumentsGiveTheSameBytes) {
    std::vector<std::string> texts; // find and replace texts, row after row
    for (int n = 1; n <= kTokenRowCount; ++n)
        texts.insert(texts.end(),
                     {std::string(tokenRow(n)->find), std::string(tokenRow(n)->replace)});
    Picker pick{std::mt19937(20240611)};
    for (std::size_t i = 0; i < 4000 && !HasFatalFailure(); ++i) { // through the whole table
        const std::string doc = documentOf(pick, texts, 14);
        const std::string stepByStep = convertTextStepByStep(doc);
        ASSERT_EQ(convertText(doc), stepByStep) << PrintToString(doc);
        // Pieces of 1 to 9 bytes end everywhere a find text can be.
        ASSERT_EQ(convertTextInPieces(doc, 1 + i % 9), stepByStep) << PrintToString(doc);
    }
    // Each table row alone, then rows it lacks: replacements empty, longer, shorter, holding the
    // find text after a byte, ending with its first; documents mostly of the row's own texts.
    for (std::size_t r = 0; r < texts.size() / 2 + 400 && !HasFatalFailure(); ++r) {
        const std::string find = r < texts.size() / 2 ? texts[2 * r] : pick.word(1 + r % 3);
        const std::string kinds[] = {pick.word(r % 4), find + pick.word(1 + r % 2),
                                     find.substr(1),   pick.word(1) + find + pick.word(r % 2),
                                     find + find,      pick.word(r % 3) + find[0]};
        const std::string replace = r < texts.size() / 2 ? texts[2 * r + 1] : kinds[r % 6];
        SCOPED_TRACE(PrintToString(find) + " -> " + PrintToString(replace));
        const std::vector<std::string> own{
            find, find, replace, pick.piece(find), pick.piece(replace), pick.from(texts)};
        for (int i = 0; i < 30; ++i)
            expectSameRow(documentOf(pick, own, 8), find, replace, pick);
        for (const std::string& doc : {std::string(), find, "x" + find, "x" + find + find})
            expectSameRow(doc, find, replace, pick);
    }
    std::string out; // a deletion's next search starts past the "ab" it moved there
    EXPECT_TRUE(convertRow("xababab", out, "ab", "") && out == "xab") << out;
}
