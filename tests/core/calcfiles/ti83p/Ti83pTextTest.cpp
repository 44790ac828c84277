// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kalvo::calc;

namespace {

using Codes = std::vector<std::uint16_t>;

Codes codesOf(const std::vector<Ti83pToken>& tokens) {
    Codes codes;
    for (const Ti83pToken& token : tokens)
        codes.push_back(token.code);
    return codes;
}

Codes codesOf(std::string_view text) {
    return codesOf(tokenizeTi83pText(text).tokens);
}

std::vector<Ti83pToken> tokensOf(const Codes& codes) {
    std::vector<Ti83pToken> tokens;
    for (const std::uint16_t code : codes)
        tokens.push_back({code});
    return tokens;
}

std::string listingOf(const Codes& codes) {
    return listTi83pTokens(tokensOf(codes)).text;
}

// "line:column message" of every diagnostic.
std::vector<std::string> findings(std::string_view text) {
    std::vector<std::string> out;
    for (const Diagnostic& d : tokenizeTi83pText(text).diagnostics)
        out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) + " " + d.message);
    return out;
}

bool mentions(const std::vector<std::string>& found, std::string_view start,
              std::string_view part) {
    for (const std::string& f : found)
        if (f.starts_with(start) && f.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(Ti83pTokenize, HelloOfTheNotes) {
    const Ti83pTokenized hello = tokenizeTi83pText(":ClrHome\r\n:Disp \"HI\"");
    EXPECT_EQ(codesOf(hello.tokens), (Codes{0xE1, 0x3F, 0xDE, 0x2A, 0x48, 0x49, 0x2A}));
    EXPECT_TRUE(hello.diagnostics.empty());
}

TEST(Ti83pTokenize, WindowsSpellingAndAsciiNameGiveTheSameToken) {
    const struct {
        const char *text, *ascii;
        Codes codes;
    } pairs[] = {
        {"A\xFC"
         "B",
         "A->B",
         {0x41, 0x04, 0x42}},
        {"A\xE5"
         "Dec",
         "A>Dec",
         {0x41, 0x02}},
        {"A\xF1", "A^-1", {0x41, 0x0C}},
        {"A\xF8"
         "B",
         "A!=B",
         {0x41, 0x6F, 0x42}},
        {"A\xF7"
         "B",
         "A<=B",
         {0x41, 0x6D, 0x42}},
        {"A\xF9"
         "B",
         "A>=B",
         {0x41, 0x6E, 0x42}},
        {"\xF0(2)", "sqrt(2)", {0xBC, 0x32, 0x11}},
        {"A\xF2", "A^^2", {0x41, 0x0D}},
        {"2\xC4", "2pi", {0x32, 0xAC}},
        {"\xC1", "theta", {0x5B}},
        {"sin\xF1(", "sin^-1(", {0xC3}},
        {"\xFA"
         "5",
         "-5",
         {0xB0, 0x35}}, // not the same: "-" is minus
        {"L\x81", "L1", {0x5D00}},
        {"[J]", "[J]", {0x5C09}},
        {"e^(", "e^^(", {0xBF}},
        {"\xC1min", "thetaMin", {0x6310}},
    };
    for (const auto& pair : pairs) {
        EXPECT_EQ(codesOf(pair.text), pair.codes) << pair.text;
        if (std::string_view(pair.ascii) != "-5") {
            EXPECT_EQ(codesOf(pair.ascii), pair.codes) << pair.ascii;
        }
    }
    EXPECT_EQ(codesOf("-5"), (Codes{0x71, 0x35}));
}

TEST(Ti83pTokenize, LongestSpellingWinsAndLetterNamesOnlyAsWholeWords) {
    EXPECT_EQ(codesOf("randInt(1,6"), (Codes{0xBB0A, 0x31, 0x2B, 0x36}));
    EXPECT_EQ(codesOf("rand"), (Codes{0xAB}));
    EXPECT_EQ(codesOf("DispGraph"), (Codes{0xDF}));
    EXPECT_EQ(codesOf("Zoom In"), (Codes{0x89}));
    EXPECT_EQ(codesOf("AnsX"), (Codes{0x72, 0x58}));
    EXPECT_EQ(codesOf("Spin"), (Codes{0x53, 0xBBC0, 0xBBB8, 0xBBBE}));
    EXPECT_EQ(codesOf("(pi)pi2"), (Codes{0x10, 0xAC, 0x11, 0xAC, 0x32}));
    EXPECT_EQ(codesOf("thetaX"), (Codes{0xBBC4, 0xBBB7, 0xBBB4, 0xBBC4, 0xBBB0, 0x58}));
    // Lowercase letters are the letters; statistics variables go by name.
    EXPECT_EQ(codesOf("r"), (Codes{0xBBC2}));
    EXPECT_EQ(codesOf("[r]"), (Codes{0x6212}));
    // "~" is the tilde character, as in TI-86 text; negation is written "ú".
    EXPECT_EQ(codesOf("~"), (Codes{0xBBCF}));
}

TEST(Ti83pTokenize, StringsAreOneCharacterATokenUntilQuoteArrowOrLineEnd) {
    EXPECT_EQ(codesOf("\"sin(x)\"X"),
              (Codes{0x2A, 0xBBC3, 0xBBB8, 0xBBBE, 0x10, 0xBBC8, 0x11, 0x2A, 0x58}));
    EXPECT_EQ(codesOf("\"AB\xFCsin("), (Codes{0x2A, 0x41, 0x42, 0x04, 0xC2}));
    EXPECT_EQ(codesOf("\"AB\r\nsin("), (Codes{0x2A, 0x41, 0x42, 0x3F, 0xC2}));
    EXPECT_EQ(codesOf("\"A->pi"), (Codes{0x2A, 0x41, 0x71, 0x6C, 0xBBC0, 0xBBB8}));
    EXPECT_EQ(codesOf("\"Disp \xC1"), (Codes{0x2A, 0x44, 0xBBB8, 0xBBC3, 0xBBC0, 0x29, 0x5B}));
}

TEST(Ti83pTokenize, ProgramNamesColonsAndLineEnds) {
    EXPECT_EQ(codesOf("prgmGAME\xC1"
                      "2"),
              (Codes{0x5F, 0x47, 0x41, 0x4D, 0x45, 0x5B, 0x32}));
    EXPECT_EQ(codesOf("prgmAsin(X"), (Codes{0x5F, 0x41, 0xC2, 0x58}));
    EXPECT_EQ(codesOf(":A:B"), (Codes{0x41, 0x3E, 0x42}));
    EXPECT_EQ(codesOf("::A"), (Codes{0x3E, 0x41}));
    EXPECT_EQ(codesOf("A\nB\rC\r\n:D\r\n"), (Codes{0x41, 0x3F, 0x42, 0x3F, 0x43, 0x3F, 0x44}));
    EXPECT_EQ(codesOf("\r\nA\r\n\r\n"), (Codes{0x3F, 0x41, 0x3F}));
    for (const char* empty : {"", ":", "\r\n", ":\r\n"})
        EXPECT_EQ(codesOf(empty), Codes{}) << empty;
}

TEST(Ti83pTokenize, EscapesGiveTheBytesTheyName) {
    EXPECT_EQ(codesOf("\\xBB\\x68A"), (Codes{0xBB68, 0x41}));
    EXPECT_EQ(codesOf("\\x41\\x3f"), (Codes{0x41, 0x3F}));
    EXPECT_EQ(codesOf("\"\\xC2\""), (Codes{0x2A, 0xC2, 0x2A}));
    EXPECT_EQ(codesOf("\\\\x41"), (Codes{0xBBD7, 0xBBC8, 0x34, 0x31}));
    EXPECT_EQ(codesOf("\\q"), (Codes{0xBBD7, 0xBBC1}));
    EXPECT_EQ(codesOf("\\xBBA"), (Codes{0xBB, 0x41}));
    EXPECT_TRUE(mentions(findings("\\xBBA"), "1:1 ", "two-byte"));
    EXPECT_EQ(codesOf("\\xEF\\x00"), (Codes{0xEF00}));
    EXPECT_TRUE(mentions(findings("\\xEF\\x00"), "1:1 ", "EF00 is no TI-83 Plus token"));
}

TEST(Ti83pTokenize, NothingChangesWithoutAWarningAtItsLineAndColumn) {
    // A character with no token becomes "?".
    EXPECT_EQ(codesOf("A\x80\tB"), (Codes{0x41, 0xAF, 0xAF, 0x42}));
    const auto noToken = findings("A\x80\tB");
    EXPECT_EQ(noToken.size(), 2u);
    EXPECT_TRUE(mentions(noToken, "1:2 ", "byte 80"));
    EXPECT_TRUE(mentions(noToken, "1:3 ", "byte 09"));
    EXPECT_TRUE(mentions(findings("\"\x01\""), "1:2 ", "byte 01"));

    // Words that are no command become letters.
    const auto money = findings("A\r\n:MONEY\xFC"
                                "B");
    ASSERT_EQ(money.size(), 1u);
    EXPECT_TRUE(mentions(money, "2:2 ", "'MONEY'"));
    EXPECT_TRUE(mentions(money, "2:2 ", "M O N E Y"));
    EXPECT_TRUE(mentions(findings("Disp"), "1:1 ", "spelled 'Disp '"));
    EXPECT_TRUE(mentions(findings("1+sin X"), "1:3 ", "spelled 'sin('"));
    EXPECT_TRUE(mentions(findings("2x+1"), "1:2 ", "'x'"));
    EXPECT_TRUE(mentions(findings("\xC1"
                                  "A"),
                         "1:1 ", "'thetaA'"));
    EXPECT_TRUE(mentions(findings("beta"), "1:1 ", "only inside a string"));

    // Labels have one or two characters; program names up to eight.
    EXPECT_TRUE(mentions(findings("Lbl START"), "1:5 ", "label 'START'"));
    EXPECT_TRUE(mentions(findings("Goto loop"), "1:6 ", "label 'loop'"));
    EXPECT_TRUE(mentions(findings("prgm"), "1:1 ", "no program name"));
    EXPECT_TRUE(mentions(findings("prgmABCDEFGHI"), "1:1 ", "ABCDEFGHI"));

    // None of that in good TI-83 Plus text.
    for (const char* fine : {"Lbl AB:Goto 1\xC1",
                             "\"MONEY?\xFC"
                             "Str1",
                             "prgmABCDEFGH",
                             "If A\xF8"
                             "B:Then",
                             "\"beta x\"", "A", "2A+B", "randInt(1,6)"})
        EXPECT_EQ(findings(fine), std::vector<std::string>{}) << fine;
}

TEST(Ti83pTokenize, TokensKnowTheirLineColumnAndFileOffset) {
    const auto tokens = tokenizeTi83pText(":If A\r\n:Disp \"a\"").tokens;
    const struct {
        std::uint16_t code;
        std::size_t line, column;
        std::uint64_t offset;
    } expected[] = {{0xCE, 1, 2, 0x4A}, {0x41, 1, 5, 0x4B}, {0x3F, 1, 6, 0x4C},
                    {0xDE, 2, 2, 0x4D}, {0x2A, 2, 7, 0x4E}, {0xBBB0, 2, 8, 0x4F},
                    {0x2A, 2, 9, 0x51}};
    ASSERT_EQ(tokens.size(), std::size(expected));
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        EXPECT_EQ(tokens[i].code, expected[i].code) << i;
        EXPECT_EQ(tokens[i].line, expected[i].line) << i;
        EXPECT_EQ(tokens[i].column, expected[i].column) << i;
        EXPECT_EQ(tokens[i].offset, expected[i].offset) << i;
    }
}

TEST(Ti83pListing, OneColonLinePerProgramLineEndingInCrLf) {
    const Ti83pListing hello =
        listTi83pTokens(tokensOf({0xE1, 0x3F, 0xDE, 0x2A, 0x48, 0x49, 0x2A}));
    EXPECT_EQ(hello.text, ":ClrHome\r\n:Disp \"HI\"\r\n");
    const std::size_t lines[] = {1, 1, 2, 2, 2, 2, 2}, columns[] = {2, 9, 2, 7, 8, 9, 10};
    for (std::size_t i = 0; i < hello.tokens.size(); ++i) {
        EXPECT_EQ(hello.tokens[i].line, lines[i]) << i;
        EXPECT_EQ(hello.tokens[i].column, columns[i]) << i;
    }
    EXPECT_EQ(listingOf({}), ":\r\n");
    EXPECT_EQ(listingOf({0x41, 0x3F}), ":A\r\n:\r\n");
    EXPECT_EQ(listingOf({0x3E, 0x41}), "::A\r\n");
}

TEST(Ti83pListing, WritesEachTokenSoThatItReadsBack) {
    const struct {
        Codes codes;
        const char* text;
    } listings[] = {
        // Text forms first, then names, then escapes.
        {{0x41, 0x04, 0x5B, 0x0C, 0xAC, 0x6F}, ":A\xFC\xC1\xF1\xC4\xF8\r\n"},
        {{0x6212, 0xB0, 0x35, 0xBBB4, 0x5E80},
         ":[r]\xFA"
         "5e|u\r\n"},
        {{0xBF, 0xEB, 0x2C, 0xBB31}, ":e^(|L[i][e]\r\n"},
        // Lowercase s, i, n and ( would read as sin(.
        {{0xBBC3, 0xBBB8, 0xBBBE, 0x10}, ":\\xBB\\xC3in(\r\n"},
        // In a string only single characters can be written.
        {{0x2A, 0xC2, 0xBBC3, 0x2A}, ":\"\\xC2s\"\r\n"},
        // After prgm, X is a name character, not the start of Xmin.
        {{0x5F, 0x41, 0x630A}, ":prgmA\\x63\\x0A\r\n"},
        // A name of letters must stand alone to be read.
        {{0x58, 0x7F, 0x29, 0x7F}, ":X\\x7F squareplot\r\n"},
        {{0x26, 0xBBD7, 0xEF00}, ":\\x26\\\\\\xEF\\x00\r\n"},
    };
    for (const auto& l : listings) {
        EXPECT_EQ(listingOf(l.codes), l.text);
        EXPECT_EQ(codesOf(l.text), l.codes) << l.text;
    }
    EXPECT_EQ(ti83pTokenText(0xDE), "Disp ");
    EXPECT_EQ(ti83pTokenText(0x6237), "[factordf]");
    EXPECT_EQ(ti83pTokenText(0x26), "\\x26");
}
