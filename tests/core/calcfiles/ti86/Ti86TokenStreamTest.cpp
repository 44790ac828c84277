// SPDX-License-Identifier: GPL-3.0-or-later
// The tokenizer read a few tokens at a time against reading the text whole:
// the same tokens, places and complaints however the text is cut, the cut
// falling inside lines, strings' lines and conversions' lines.
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include "Ti86ProgramGenerator.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace kalvo::calc;

// `text` read `step` tokens at a time.
Ti86Tokenized inSteps(std::string_view text, std::size_t step) {
    Ti86TokenStream stream(text);
    Ti86Tokenized out;
    while (stream.read(out, out.tokens.size() + step)) {
    }
    return out;
}

void expectSame(const Ti86Tokenized& a, const Ti86Tokenized& b, const std::string& what) {
    ASSERT_EQ(a.tokens.size(), b.tokens.size()) << what;
    for (std::size_t i = 0; i < a.tokens.size(); ++i) {
        const Ti86Token &x = a.tokens[i], &y = b.tokens[i];
        ASSERT_TRUE(x == y) << what << " token " << i;
        ASSERT_EQ(std::tie(x.line, x.column, x.offset, x.size),
                  std::tie(y.line, y.column, y.offset, y.size))
            << what << " token " << i;
    }
    ASSERT_EQ(a.diagnostics.size(), b.diagnostics.size()) << what;
    for (std::size_t i = 0; i < a.diagnostics.size(); ++i)
        EXPECT_EQ(
            std::tie(a.diagnostics[i].line, a.diagnostics[i].column, a.diagnostics[i].message),
            std::tie(b.diagnostics[i].line, b.diagnostics[i].column, b.diagnostics[i].message))
            << what;
}

TEST(Ti86TokenStream, ReadingInStepsGivesTheWholeTextsTokens) {
    // Escapes, a doubled backslash, CR LF and LF, marks and none, a name too
    // long, an open string, conversions, a byte that begins no token, a
    // text without a last line end.
    const std::string edges = ":Disp \"A\\\\B\\x1C\"\r\n"
                              "If x==\\x05:Then\n"
                              ":ABCDEFGHIJ+1\r\n"
                              ":Disp ft\xE5m,in\xE5"
                              "cm,1-2\xE5"
                              "Dec\n"
                              "\n"
                              ":\r\n"
                              ":Disp \"open\n"
                              ":A@B:Lbl  TOP\n"
                              ":Goto TOP";
    for (const std::size_t step : {1u, 2u, 3u, 7u, 64u})
        expectSame(inSteps(edges, step), tokenizeTi86Text(edges),
                   "edges, step " + std::to_string(step));

    kalvo::calc::testing::Ti86ProgramGenerator generator(86);
    for (int round = 0; round < 40; ++round) {
        const std::string text = listTi86Tokens(generator.program(5 + round * 3)).text;
        expectSame(inSteps(text, 1 + round % 9), tokenizeTi86Text(text),
                   "generated round " + std::to_string(round));
    }

    // A text of 700 KB, one of its lines as long as the rest.
    std::string large;
    while (large.size() < 350 * 1024)
        large += ":Outpt(1,2,\"HI\")\r\n:MONEY+1\xFCMONEY\n";
    large += ":";
    while (large.size() < 700 * 1024)
        large += "1-2*AB+";
    large += "1\xE5"
             "Dec\n";
    expectSame(inSteps(large, 2048), tokenizeTi86Text(large), "700 KB");
}

} // namespace
