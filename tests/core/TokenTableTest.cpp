// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/TokenTable.h"
#include "conversion/ConversionRun.h"
#include "conversion/RowScan.h"

#include <gtest/gtest.h>

using kalvo::tokenRow;

TEST(TokenTable, HasExactly81RowsNumberedFromOne) {
    EXPECT_FALSE(tokenRow(0) || tokenRow(82) || tokenRow(-1));
    for (int n = 1; n <= 81; ++n) {
        ASSERT_TRUE(tokenRow(n)) << n;
        EXPECT_FALSE(tokenRow(n)->find.empty() || tokenRow(n)->replace.empty()) << n;
        // Row 19 alone holds its own find text after its first character.
        EXPECT_EQ(kalvo::insertsOwnFindText(tokenRow(n)->find, tokenRow(n)->replace), n == 19);
    }
}

TEST(TokenTable, RowsThatAreEasyToGetWrong) {
    const struct {
        int n;
        const char* find;
        const char* replace;
    } rows[] = {
        // clang-format off
        {1, "DelVar(", "DelVar "}, {20, "DelVar(", "DelVar"}, {46, "PxOff(", "Pxl-Off("},
        {48, "PxOff(", "Pxl-Off("}, {50, "RcPic", "RecallPic"}, {53, "RcPic", "RecallPic"},
        {12, "ClrEnt", "Clear Entries"}, {75, "ZIn", "Zoom In"}, {76, "ZOut", "Zoom Out"},
        {36, "nDer(", "nDeriy("}, {49, "PxTest(", "pxl-Text("}, {81, "==", "="},
        // Single Windows-1252 bytes: 0xF1 for the -1 sign, 0xE5 for the arrow.
        {15, "cos\xF1", "cos\xF1("}, {17, "cosh\xF1", "cosh\xF1("}, {58, "sin\xF1", "sin\xF1("},
        {59, "sinh\xF1", "sinh\xF1("}, {68, "tan\xF1", "tan\xF1("}, {70, "tanh\xF1", "tanh\xF1("},
        {19, "Dec", "\xE5" "Dec"}, {24, "Eq\xE5St(", "Equ\xE5String("},
        {65, "St\xE5" "Eq(", "String\xE5" "Equ("},
        // clang-format on
    };
    for (const auto& row : rows) {
        EXPECT_EQ(tokenRow(row.n)->find, row.find) << row.n;
        EXPECT_EQ(tokenRow(row.n)->replace, row.replace) << row.n;
    }
}

// Every row once, on a document that holds its find text: alone, the row
// gives its replacement, and the scan's closing comparison replaces it again
// where the replacement begins with the find text ("sin" -> "sin((").
// Through the whole table, no find text comes out unchanged.
TEST(TokenTable, EveryRowConvertsADocumentHoldingItsFindText) {
    for (int n = 1; n <= 81; ++n) {
        const std::string find(tokenRow(n)->find), replace(tokenRow(n)->replace);
        const std::string document = ":" + find + " 1";
        std::string once = replace;
        if (replace.compare(0, find.size(), find) == 0)
            once += replace.substr(find.size());
        std::string out;
        ASSERT_TRUE(kalvo::convertRow(document, out, find, replace)) << n;
        EXPECT_EQ(out, ":" + once + " 1") << "row " << n;
        EXPECT_NE(kalvo::convertText(document), document) << "row " << n;
    }
}
