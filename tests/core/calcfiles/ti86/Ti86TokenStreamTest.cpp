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

// Bytes that are tokens on their own, read without a look at the spellings,
// between names and numbers; "=" begins "==" too, so it is not one of them.
// Codes, columns and file offsets worked out from the token table: a
// one-letter name is 2 bytes (33, the letter), a number its characters and
// a 00 after the 44.
TEST(Ti86Tokenizer, BytesThatAreTokensOnTheirOwn) {
    const Ti86Tokenized t = tokenizeTi86Text(":(A+B)*2\xFC"
                                             "C,D!\n:A==B:C=D");
    using Row = std::tuple<std::uint16_t, std::size_t, std::size_t, std::uint64_t>;
    const std::vector<Row> expected = {
        {ti86::LParen, 1, 2, 0},    {ti86::Name1, 1, 3, 1},   {ti86::Plus, 1, 4, 3},
        {ti86::Name1, 1, 5, 4},     {ti86::RParen, 1, 6, 6},  {ti86::Times, 1, 7, 7},
        {ti86::Number, 1, 8, 8},    {ti86::Store, 1, 9, 11},  {ti86::Name1, 1, 10, 12},
        {ti86::Comma, 1, 11, 14},   {ti86::Name1, 1, 12, 15}, {ti86::Factorial, 1, 13, 17},
        {ti86::Newline, 1, 14, 18}, {ti86::Name1, 2, 2, 19},  {ti86::Equal, 2, 3, 21},
        {ti86::Name1, 2, 5, 22},    {ti86::Colon, 2, 6, 24},  {ti86::Name1, 2, 7, 25},
        {ti86::Assign, 2, 8, 27},   {ti86::Name1, 2, 9, 28},
    };
    ASSERT_TRUE(t.diagnostics.empty());
    ASSERT_EQ(t.tokens.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Ti86Token& k = t.tokens[i];
        EXPECT_EQ(Row(k.code, k.line, k.column, k.offset), expected[i]) << "token " << i;
    }
    EXPECT_EQ(t.tokens[6].data, "2");
    EXPECT_EQ(t.tokens[11].size, 1u);
}

// A token's first byte sends it its way; "\" and ᴇ (û) go there only when
// an escape or a number follows, else they are bytes of their own, at the
// end of a line or of the text too. Codes, columns and offsets worked out
// by hand: a number is 44, its characters, 00; a byte of its own is one
// byte, its font (ᴇ is font 1B).
TEST(Ti86Tokenizer, ABackslashOrExponentBeginningNoEscapeOrNumberIsAByteOfItsOwn) {
    const Ti86Tokenized t = tokenizeTi86Text(":(\\)\r\n"
                                             ":(\\x41\r\n"
                                             ":2+\xFB\n"
                                             ":1+\\");
    using Row = std::tuple<bool, std::uint16_t, std::size_t, std::size_t, std::uint64_t>;
    const std::vector<Row> expected = {
        {true, ti86::LParen, 1, 2, 0},   {false, '\\', 1, 3, 1},
        {true, ti86::RParen, 1, 4, 2},   {true, ti86::Newline, 1, 5, 3},
        {true, ti86::LParen, 2, 2, 4},   {false, 0x41, 2, 3, 5},
        {true, ti86::Newline, 2, 7, 6},  {true, ti86::Number, 3, 2, 7},
        {true, ti86::Plus, 3, 3, 10},    {false, 0x1B, 3, 4, 11},
        {true, ti86::Newline, 3, 5, 12}, {true, ti86::Number, 4, 2, 13},
        {true, ti86::Plus, 4, 3, 16},    {false, '\\', 4, 4, 17},
    };
    ASSERT_TRUE(t.diagnostics.empty());
    ASSERT_EQ(t.tokens.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Ti86Token& k = t.tokens[i];
        EXPECT_EQ(Row(k.known, k.code, k.line, k.column, k.offset), expected[i]) << "token " << i;
    }
    EXPECT_EQ(t.tokens[1].data, "\\");
    EXPECT_EQ(t.tokens[5].data, "A");
    EXPECT_EQ(t.tokens[9].data, "\x1B");
    EXPECT_EQ(t.tokens.back().size, 1u);
    // The same read a token at a time.
    expectSame(inSteps(":(\\)\r\n:(\\x41\r\n:2+\xFB\n:1+\\", 1), t, "a token at a time");
}
