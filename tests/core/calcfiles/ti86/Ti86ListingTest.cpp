// SPDX-License-Identifier: GPL-3.0-or-later
// The listing and the tokenizer: worked examples of spacing and of every
// inline-data token, the tokenizer's positions and complaints, and the round
// trip tokenize(listing(p)) == p over random programs with fixed seeds.
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

Ti86Token code(std::uint16_t c) {
    Ti86Token t;
    t.code = c;
    return t;
}

// A token with inline data; for a conversion, its two units.
Ti86Token with(std::uint16_t c, const std::string& data, const std::string& toUnit = {}) {
    Ti86Token t = code(c);
    t.data = data + toUnit;
    t.toUnitAt = static_cast<std::uint16_t>(toUnit.empty() ? 0 : data.size());
    return t;
}

Ti86Token name(const std::string& font) {
    return with(static_cast<std::uint16_t>(0x32 + font.size()), font);
}

std::string bytesOf(const std::string& text) {
    return encodeTi86Tokens(tokenizeTi86Text(text).tokens);
}

std::string hex(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", static_cast<std::uint8_t>(c));
        out += b;
    }
    return out;
}

// Each program, listed, gives the text worked out by hand, and that text
// tokenizes back to the program's bytes.
TEST(Ti86Listing, SpacingAndSpellingOfWorkedExamples) {
    struct Case {
        std::vector<Ti86Token> tokens;
        const char* text;
    };
    const std::vector<Case> cases = {
        // A command word takes a space; a function written with "(" none.
        {{code(0xE9), name("A")}, ":Disp A\r\n"},
        {{code(0xDD), code(0x10), with(0x32, "x"), code(0x11)}, ":For(x)\r\n"},
        // Prefix functions take a space, also before "(".
        {{code(0xA2), code(0x10), name("A"), code(0x2F), name("B"), code(0x11)}, ":abs (A,B)\r\n"},
        {{code(0xC0), name("L")}, ":dimL L\r\n"},
        // and, or, xor, nPr, nCr: a space on both sides.
        {{name("A"), code(0x40), name("B"), code(0x31), name("C"), code(0x80), name("D")},
         ":A and B xor C nPr D\r\n"},
        // No spaces around operators, → and ==; ≥ is "ù", → "ü", θ "Á", π "Ä".
        {{name("A"), code(0x50), code(0x42), code(0x70), with(0x32, "\xC1"), code(0x0B), name("B"),
          code(0x6E), name("A"), code(0x54), with(0x44, "2")},
         ":A==\xC4*\xC1\xFC"
         "B:A\xF9"
         "2\r\n"},
        // Words that would run together get a space (X3 would be one name);
        // a number before a name does not unless the name reads as a base
        // ("2Bh" would be one number).
        {{name("AB"), name("CD"), with(0x44, "2"), name("X"), with(0x44, "3"), name("Bh")},
         ":AB CD 2X 3 Bh\r\n"},
        // The constant e before ^ would read as e^; sin⁻¹ is one token, sin
        // then ⁻¹ two.
        {{code(0x3D32), code(0xF0), with(0x44, "2")}, ":e ^2\r\n"},
        {{code(0xAB), name("X"), code(0x6E), code(0xAA), code(0x49)}, ":sin\xF1 X:sin \xF1\r\n"},
        // ▶ tokens after a name; 10^ is the font's ⏨^ (FD 5E in text).
        {{name("A"), code(0x09), code(0x6E), code(0xA9), with(0x44, "3")},
         ":A\xE5"
         "Dec:\xFD^3\r\n"},
        // Lines: one ":" mark each, CR LF after each, the last one too.
        {{code(0xEC), code(0x6F), code(0x6F), code(0xE2)}, ":ClLCD\r\n:\r\n:Pause\r\n"},
        // A 6E at a line's start comes after the mark.
        {{code(0x6E), code(0x83)}, "::ClDrw\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Ti86Listing listing = listTi86Tokens(c.tokens);
        EXPECT_EQ(listing.text, c.text);
        EXPECT_TRUE(listing.diagnostics.empty());
        EXPECT_EQ(hex(bytesOf(c.text)), hex(encodeTi86Tokens(c.tokens)));
    }
}

// Every token with inline data, with the bytes the calculator stores and the
// text worked out by hand.
TEST(Ti86Listing, EveryInlineDataToken) {
    Ti86Token gotoWithCache = with(0xE1, "LOOP");
    gotoWithCache.gotoCache = 0x0123;
    struct Case {
        Ti86Token token;
        std::string bytes;
        const char* text;
    };
    const std::vector<Case> cases = {
        {with(0x2D, "Hi\x1C\xC1"), std::string("\x2DHi\x1C\xC1\0", 6), ":\"Hi\xFC\xC1\"\r\n"},
        // A quote, a backslash and a byte without text form inside a string.
        {with(0x2D, std::string("a\"\\\xFF", 4)),
         std::string("\x2D"
                     "a\"\\\xFF\0",
                     6),
         ":\"a\\x22\\\\\\xFF\"\r\n"},
        {with(0x2D, ""), std::string("\x2D\0", 2), ":\"\"\r\n"},
        {with(0x32, "exp"),
         "\x32\x03"
         "exp",
         ":exp\r\n"},
        {with(0x32, "Q1"), "\x32\x02Q1", ":Q1\r\n"},
        {with(0x3B, "y12"), "\x3B\x03y12", ":y12\r\n"},
        {with(0x3B, "Q'3"), "\x3B\x03Q'3", ":Q'3\r\n"},
        {with(0x3C, "Ans"),
         "\x3C\x03"
         "Ans",
         ":Ans\r\n"},
        {with(0x3C, "\xC6x\x12"), "\x3C\x03\xC6x\x12", ":\xC6x\xF2\r\n"}, // Σx²
        {with(0x3C, "\xCB"), "\x3C\x01\xCB", ":\xCB\r\n"},                // x̄
        {name("A"),
         "\x33"
         "A",
         ":A\r\n"},
        {name("MONEY"), "\x37MONEY", ":MONEY\r\n"},
        {name("ABCDEFGH"),
         "\x3A"
         "ABCDEFGH",
         ":ABCDEFGH\r\n"},
        {name("\xBE\xC1\x96\x81"), "\x36\xBE\xC1\x96\x81", ":\xBE\xC1\x96\x81\r\n"}, // Δθé₁
        {with(0x3E, "ft", "m"),
         "\x3E\x34"
         "ft\x33m",
         ":ft\xE5m\r\n"},
        {with(0x3E,
              "\x14"
              "C",
              "\x14"
              "F"),
         "\x3E\x34\x14"
         "C\x34\x14"
         "F",
         ":\xF4"
         "C\xE5\xF4"
         "F\r\n"},
        {with(0x3E, "N/m\x12", "atm"),
         "\x3E\x36N/m\x12\x35"
         "atm",
         ":N/m\xF2\xE5"
         "atm\r\n"},
        {with(0x44, "12"),
         std::string("\x44"
                     "12\0",
                     4),
         ":12\r\n"},
        {with(0x44, ".5"), std::string("\x44.5\0", 4), ":.5\r\n"},
        {with(0x44, "1.5\x1B\x1A"
                    "3"),
         std::string("\x44"
                     "1.5\x1B\x1A"
                     "3\0",
                     8),
         ":1.5\xFB\xFA"
         "3\r\n"},
        {with(0x44, "1Fh"),
         std::string("\x44"
                     "1Fh\0",
                     5),
         ":1Fh\r\n"},
        {with(0x44, "101b"),
         std::string("\x44"
                     "101b\0",
                     6),
         ":101b\r\n"},
        {with(0x44, "17o"),
         std::string("\x44"
                     "17o\0",
                     5),
         ":17o\r\n"},
        {with(0xE0, "TOP"), std::string("\xE0TOP\0", 5), ":Lbl TOP\r\n"},
        {with(0xE0, "A B:\xFF"),
         std::string("\xE0"
                     "A B:\xFF\0",
                     7),
         ":Lbl A\\x20B\\x3A\\xFF\r\n"},
        {with(0xE1, "TOP"), std::string("\xE1\0\0TOP\0", 7), ":Goto TOP\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(hex(encodeTi86Tokens({c.token})), hex(c.bytes));
        Diagnostics decoding;
        const auto decoded = decodeTi86Tokens(c.bytes, 0, decoding);
        EXPECT_TRUE(decoding.empty());
        ASSERT_EQ(decoded.size(), 1u);
        EXPECT_EQ(decoded[0], c.token);
        EXPECT_EQ(listTi86Tokens(decoded).text, c.text);
        EXPECT_EQ(hex(bytesOf(c.text)), hex(c.bytes));
    }
    // The Goto cache is skipped when listing and written 00 00 when tokenizing.
    EXPECT_EQ(listTi86Tokens({gotoWithCache}).text, ":Goto LOOP\r\n");
    EXPECT_EQ(hex(bytesOf(":Goto LOOP\r\n")), hex(std::string("\xE1\0\0LOOP\0", 8)));
}

TEST(Ti86Listing, EscapesAreWarnedWithTheirLine) {
    Diagnostics decoding;
    // Line 2 holds an unknown code FF and a string with a byte D8.
    const std::string bytes = std::string("\x83\x6F\xFF\x2D\xD8\0", 6);
    const Ti86Listing listing = listTi86Tokens(decodeTi86Tokens(bytes, 100, decoding));
    EXPECT_EQ(listing.text, ":ClDrw\r\n:\\xFF\"\\xD8\"\r\n");
    ASSERT_EQ(listing.diagnostics.size(), 2u);
    for (const Diagnostic& d : listing.diagnostics)
        EXPECT_EQ(d.line, 2u);
    EXPECT_EQ(listing.diagnostics[0].offset, 102u);
    EXPECT_EQ(listing.diagnostics[0].column, 2u);
    EXPECT_EQ(listing.diagnostics[1].offset, 103u);
    EXPECT_EQ(listing.diagnostics[1].column, 6u);
    // The escapes read back as the same bytes.
    EXPECT_EQ(hex(bytesOf(listing.text)), hex(bytes));
}

TEST(Ti86Tokenizer, GivesEachTokenItsLineAndColumn) {
    const Ti86Tokenized t = tokenizeTi86Text(":Disp A\r\n:Goto TOP\r\n");
    EXPECT_TRUE(t.diagnostics.empty());
    ASSERT_EQ(t.tokens.size(), 4u);
    const std::vector<std::pair<std::size_t, std::size_t>> where = {{1, 2}, {1, 7}, {1, 8}, {2, 2}};
    const std::vector<std::uint64_t> offsets = {0, 1, 3, 4}; // E9, 33 41, 6F, E1 00 00 ...
    for (std::size_t i = 0; i < where.size(); ++i) {
        EXPECT_EQ(t.tokens[i].line, where[i].first) << i;
        EXPECT_EQ(t.tokens[i].column, where[i].second) << i;
        EXPECT_EQ(t.tokens[i].offset, offsets[i]) << i;
    }
    EXPECT_EQ(t.tokens[3].data, "TOP");
}

// Unit conversions after other tokens of their line, two on one line, a
// ▶ token after a name, and a line without any "å".
TEST(Ti86Tokenizer, FindsUnitConversionsAnywhereInALine) {
    const Ti86Tokenized t = tokenizeTi86Text(":Disp A,ft\xE5m,in\xE5"
                                             "cm\r\n:B\xE5"
                                             "Dec\r\n:ClLCD\r\n");
    EXPECT_TRUE(t.diagnostics.empty());
    const std::vector<Ti86Token> expected = {code(0xE9), name("A"),
                                             code(0x2F), with(0x3E, "ft", "m"),
                                             code(0x2F), with(0x3E, "in", "cm"),
                                             code(0x6F), name("B"),
                                             code(0x09), code(0x6F),
                                             code(0xEC)};
    ASSERT_EQ(t.tokens.size(), expected.size());
    const std::vector<std::pair<std::size_t, std::size_t>> where = {
        {1, 2}, {1, 7}, {1, 8}, {1, 9}, {1, 13}, {1, 14}, {1, 19}, {2, 2}, {2, 3}, {2, 7}, {3, 2}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(t.tokens[i] == expected[i]) << i;
        EXPECT_EQ(t.tokens[i].line, where[i].first) << i;
        EXPECT_EQ(t.tokens[i].column, where[i].second) << i;
    }
}

// Line ends are looked for sixteen bytes at a time, which also tells a
// line without "å": each line's conversion is found wherever its "å" and
// its line end fall in those blocks, and an "å" just past a line end (the
// next line's, in the same block) is not taken for the short line's.
TEST(Ti86Tokenizer, FindsAConversionWhereverItsLineEndFalls) {
    // Lines of 6 to 45 bytes: their ends in each of the first two blocks and past them.
    constexpr std::size_t kLines = 40;
    std::string text;
    for (std::size_t k = 0; k < kLines; ++k)
        text += ":" + std::string(k, ' ') + "ft\xE5m\nA\n";
    text += "ft\xE5m"; // the last line, shorter than a word, has no line end
    const Ti86Tokenized t = tokenizeTi86Text(text);
    EXPECT_TRUE(t.diagnostics.empty());
    ASSERT_EQ(t.tokens.size(), kLines * 4 + 1);
    for (std::size_t k = 0; k <= kLines; ++k) {
        const Ti86Token& conversion = t.tokens[4 * k];
        EXPECT_TRUE(conversion == with(0x3E, "ft", "m")) << k;
        EXPECT_EQ(conversion.line, 2 * k + 1) << k;
        EXPECT_EQ(conversion.column, k < kLines ? k + 2 : 1) << k;
        if (k < kLines) {
            EXPECT_TRUE(t.tokens[4 * k + 2] == name("A")) << k;
            EXPECT_EQ(t.tokens[4 * k + 2].line, 2 * k + 2) << k;
        }
    }
}

TEST(Ti86Tokenizer, AcceptsWhatPeopleTypeAndPointsAtWhatItCannotRead) {
    // LF line ends, no ":" marks and extra spaces read as the listing would.
    EXPECT_EQ(hex(bytesOf("Disp  A\nClDrw")), hex(bytesOf(":Disp A\r\n:ClDrw\r\n")));
    EXPECT_TRUE(tokenizeTi86Text("").tokens.empty());

    const Ti86Tokenized bad = tokenizeTi86Text(":A@B\r\n:ABCDEFGHI+1\r\n:Disp \"open\r\n");
    ASSERT_EQ(bad.diagnostics.size(), 2u);
    EXPECT_EQ(bad.diagnostics[0].severity, Diagnostic::Severity::Error);
    EXPECT_EQ(bad.diagnostics[0].line, 2u);
    EXPECT_EQ(bad.diagnostics[0].column, 2u);
    EXPECT_NE(bad.diagnostics[0].message.find("8 characters"), std::string::npos);
    // The open string ends with its line, as the TI-83 Plus would end it: a note.
    EXPECT_EQ(bad.diagnostics[1].severity, Diagnostic::Severity::Note);
    EXPECT_EQ(bad.diagnostics[1].line, 3u);
    // What could be read is kept: A, B, newline, +, 1, newline, Disp, "open";
    // the @ that begins no token too, as a byte of its own at its column,
    // for the caller to show and warn about.
    ASSERT_GE(bad.tokens.size(), 3u);
    EXPECT_FALSE(bad.tokens[1].known);
    EXPECT_EQ(bad.tokens[1].data, "@");
    EXPECT_EQ(bad.tokens[1].column, 3u);
    EXPECT_EQ(hex(encodeTi86Tokens(bad.tokens)), hex(std::string("\x33"
                                                                 "A@\x33"
                                                                 "B\x6F\x60\x44"
                                                                 "1\0\x6F\xE9\x2Dopen\0",
                                                                 18)));
}

// Inline data is copied a run at a time between the bytes that are not
// their own font byte: each kind of those at a run's start, middle and end.
TEST(Ti86Tokenizer, InlineDataMixesCopiedRunsWithEscapes) {
    // "\\" is one backslash, "\x41" an A, å (E5) font 05, a "\" before
    // anything else itself; the closing quote ends the copied run.
    const Ti86Tokenized s = tokenizeTi86Text(":Disp \"ab\\\\c\\x41d\xE5"
                                             "e\\q\\x4\"\r\n");
    EXPECT_TRUE(s.diagnostics.empty());
    ASSERT_EQ(s.tokens.size(), 2u);
    EXPECT_EQ(hex(s.tokens[1].data), hex("ab\\cAd\x05"
                                         "e\\q\\x4"));

    // A label ends at a space or ":", an escape does not end it; a name
    // ends where word text does, an escape inside it counting one byte.
    const Ti86Tokenized l = tokenizeTi86Text(":Lbl \\x41B\xE5 C:Goto Z\\x31:AB\\x43D");
    EXPECT_TRUE(l.diagnostics.empty());
    ASSERT_EQ(l.tokens.size(), 6u);
    EXPECT_EQ(hex(l.tokens[0].data), hex("AB\x05"));
    EXPECT_TRUE(l.tokens[1] == name("C"));
    EXPECT_EQ(l.tokens[3].data, "Z1");
    EXPECT_TRUE(l.tokens[5] == name("ABCD"));

    // Eight bytes with an escape are a name; nine are refused, said in text.
    const Ti86Tokenized n = tokenizeTi86Text(":ABCDEFG\\x48\r\n:ABCDEFGH\\x49+1");
    ASSERT_EQ(n.diagnostics.size(), 1u);
    EXPECT_EQ(n.diagnostics[0].line, 2u);
    EXPECT_NE(n.diagnostics[0].message.find("ABCDEFGHI"), std::string::npos);
    ASSERT_EQ(n.tokens.size(), 4u);
    EXPECT_TRUE(n.tokens[0] == name("ABCDEFGH"));
    EXPECT_EQ(n.tokens[2].code, ti86::Plus);
}

// Random fields of a string, a label and a name from pieces whose font
// bytes are known: plain text, "\\", "\xHH", a "\" before anything else,
// and (where the field allows them) bytes that stand for fonts 00-1F.
TEST(Ti86Tokenizer, RandomInlineDataReadsAsItsFontBytes) {
    struct Piece {
        std::string text, font;
    };
    const std::vector<Piece> word = {{"Q", "Q"},     {"J", "J"},     {"7", "7"},
                                     {"\\\\", "\\"}, {"\\x41", "A"}, {"\\x4a", "J"}};
    std::vector<Piece> any = word;
    any.insert(
        any.end(),
        {{"+", "+"}, {".", "."}, {"\\q", "\\q"}, {"\xE5", "\x05"}, {"\xE0", std::string(1, '\0')}});
    std::vector<Piece> quoted = any;
    quoted.push_back({"\\x22", "\""}); // a quote that does not end the string
    std::mt19937 rng(86);
    const auto field = [&rng](const std::vector<Piece>& from, std::size_t most, std::string& text,
                              std::string& font) {
        for (std::size_t n = rng() % most + 1; n > 0; --n) {
            const Piece& p = from[rng() % from.size()];
            text += p.text;
            font += p.font;
        }
    };
    for (int round = 0; round < 300; ++round) {
        std::string string, stringFont, label, labelFont, word8 = "QJ", word8Font = "QJ";
        field(quoted, 12, string, stringFont);
        field(any, 6, label, labelFont);
        field(word, 6, word8, word8Font);
        const std::string text = ":Disp \"" + string + "\":Lbl " + label + "\r\n" + word8 + "+1";
        SCOPED_TRACE(text);
        const Ti86Tokenized t = tokenizeTi86Text(text);
        EXPECT_TRUE(t.diagnostics.empty());
        ASSERT_EQ(t.tokens.size(), 8u);
        EXPECT_EQ(hex(t.tokens[1].data), hex(stringFont));
        EXPECT_EQ(hex(t.tokens[3].data), hex(labelFont));
        EXPECT_TRUE(t.tokens[5] == name(word8Font));
    }
}

// The longest spelling that does not end inside a word, up to the line's
// end: "sinh" before "(", no spelling in "sinhA", "sin" before a space.
TEST(Ti86Tokenizer, TakesTheLongestSpellingThatEndsAWord) {
    const Ti86Tokenized t = tokenizeTi86Text(":sinh(sinhA)\r\n:sin A\r\n:ClLCD");
    EXPECT_TRUE(t.diagnostics.empty());
    const std::vector<Ti86Token> expected = {
        code(ti86::Sinh),   code(ti86::LParen),  name("sinhA"),
        code(ti86::RParen), code(ti86::Newline), code(ti86::Sin),
        name("A"),          code(ti86::Newline), code(ti86::ClLCD)};
    ASSERT_EQ(t.tokens.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(t.tokens[i] == expected[i]) << i;
}

// Plain-text programs write ˣ√ as font CD 10, the listing as 09 10; both
// read as the one token, and inside a string the bytes stay as they are.
TEST(Ti86Tokenizer, ThePlainTextSpellingOfTheXthRoot) {
    const Ti86Listing plain = listTi86PlainText("3\xCD\x10"
                                                "A\x1CZ\xD6"
                                                "Disp \"N\xCD\x10\"",
                                                0);
    EXPECT_EQ(plain.text, ":3\xCD\xF0"
                          "A\xFCZ\r\n:Disp \"N\xCD\xF0\"\r\n");
    // 3: 44 "3" 00; ˣ√ F1; A and Z one-letter names 33 xx; → 0B; newline
    // 6F; Disp E9; the string 2D, its font bytes, 00.
    EXPECT_EQ(hex(bytesOf(plain.text)), hex(std::string("\x44"
                                                        "3\0\xF1\x33"
                                                        "A\x0B\x33Z\x6F\xE9\x2DN\xCD\x10\0",
                                                        16)));
    EXPECT_EQ(listTi86Tokens({code(ti86::XRoot)}).text, ":\xE9\xF0\r\n");
    EXPECT_EQ(ti86NameToUtf8("\xCD\x10"), "ˣ√");
}

TEST(Ti86Tokenizer, AnOpenStringHoldingAStoreArrowIsAWarning) {
    // ü is →: on the TI-83 Plus the → would end the string, and store.
    const Ti86Tokenized t = tokenizeTi86Text(":Disp \"A\xFC"
                                             "B");
    ASSERT_EQ(t.diagnostics.size(), 1u);
    EXPECT_EQ(t.diagnostics[0].severity, Diagnostic::Severity::Warning);
    EXPECT_EQ(t.diagnostics[0].column, 7u);
    ASSERT_EQ(t.tokens.size(), 2u);
    EXPECT_EQ(t.tokens[1].data, "A\x1C"
                                "B");
}

TEST(Ti86Tokenizer, ANumberMayBeginWithItsExponent) {
    // û is ᴇ, ú the negation, ÷ ≤: "If abs (D)≤ᴇ⁻7" holds the number ᴇ⁻7 (1ᴇ⁻7).
    const Ti86Tokenized t = tokenizeTi86Text(":If abs (D)\xF7\xFB\xFA"
                                             "7:\xFB"
                                             "3\xFC"
                                             "A");
    EXPECT_TRUE(t.diagnostics.empty());
    EXPECT_EQ(hex(encodeTi86Tokens(t.tokens)), hex(std::string("\xD8\xA2\x10\x33"
                                                               "D\x11\x53\x44\x1B\x1A"
                                                               "7\0\x6E\x44\x1B"
                                                               "3\0\x0B\x33"
                                                               "A",
                                                               20)));
    // ᴇ with no digit after it begins no number.
    const Ti86Tokenized alone = tokenizeTi86Text(":\xFB+1");
    ASSERT_FALSE(alone.tokens.empty());
    EXPECT_FALSE(alone.tokens[0].known);
}

// ---------------------------------------------------------------------------
// Random canonical programs: any token of the grids, names, numbers,
// strings, labels, conversions; no two numbers side by side; Goto caches
// 00 00.

class ProgramMaker {
public:
    explicit ProgramMaker(unsigned seed) : random_(seed) {
        for (const Ti86TokenInfo& info : ti86Tokens())
            if (info.data == Ti86Inline::None && info.code != 0x6F && info.code != 0x8E30)
                plain_.push_back(info.code);
        for (const Ti86BuiltinName& b : ti86BuiltinNames())
            builtins_.push_back(b);
    }

    std::vector<Ti86Token> program(std::size_t count) {
        std::vector<Ti86Token> tokens;
        bool lastWasNumber = false;
        while (tokens.size() < count) {
            Ti86Token t;
            switch (pick(12)) {
            case 0:
                t = code(0x6F);
                break;
            case 1:
                t = name(userName());
                break;
            case 2:
                if (lastWasNumber)
                    continue;
                t = with(0x44, number());
                break;
            case 3:
                t = with(0x2D, fontBytes(pick(12), 0x01));
                break;
            case 4:
                t = with(pick(2) == 0 ? 0xE0 : 0xE1, fontBytes(1 + pick(8), 0x01));
                break;
            case 5: {
                const Ti86BuiltinName& b = builtins_[pick(builtins_.size())];
                t = with(b.code, b.name);
                break;
            }
            case 6: {
                static const char* const units[] = {"ft",
                                                    "m",
                                                    "km",
                                                    "\x14"
                                                    "C",
                                                    "\x14"
                                                    "F",
                                                    "N/m\x12",
                                                    "lt-yr",
                                                    "gal",
                                                    "atm",
                                                    "mmHg"};
                t = with(0x3E, units[pick(10)], units[pick(10)]);
                break;
            }
            default:
                t = code(plain_[pick(plain_.size())]);
                break;
            }
            lastWasNumber = t.code == 0x44;
            tokens.push_back(std::move(t));
        }
        return tokens;
    }

private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }

    std::string fontBytes(std::size_t n, int lowest) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(static_cast<char>(lowest + static_cast<int>(pick(256 - lowest))));
        return out;
    }

    // 1-8 name characters, a letter first, that are no built-in name.
    std::string userName() {
        static const std::string letters = [] {
            std::string s;
            for (int c = 'A'; c <= 'Z'; ++c)
                s += static_cast<char>(c), s += static_cast<char>(c + 32);
            for (int c = 0x8A; c <= 0xB5; ++c)
                s += static_cast<char>(c);
            for (int c = 0xBB; c <= 0xCA; ++c)
                s += static_cast<char>(c);
            return s;
        }();
        for (;;) {
            std::string n(1, letters[pick(letters.size())]);
            const std::size_t length = 1 + pick(8);
            while (n.size() < length) {
                const std::size_t k = pick(letters.size() + 20);
                n += k < letters.size() ? letters[k]
                     : k < letters.size() + 10
                         ? static_cast<char>('0' + (k - letters.size()))
                         : static_cast<char>(0x80 + (k - letters.size() - 10)); // ₀-₉
            }
            const Ti86Tokenized alone = tokenizeTi86Text(listTi86Tokens({name(n)}).text);
            if (alone.tokens.size() == 1 && alone.tokens[0] == name(n))
                return n;
        }
    }

    std::string number() {
        std::string digits = std::to_string(pick(100000));
        switch (pick(6)) {
        case 0:
            return digits + "." + std::to_string(pick(100));
        case 1:
            return "." + digits;
        case 2:
            return digits + "\x1B" + (pick(2) != 0 ? "\x1A" : "") + std::to_string(pick(99));
        case 3:
            return "1F" + std::string(pick(2) != 0 ? "A" : "") + "h";
        case 4:
            return "101b";
        default:
            return digits;
        }
    }

    std::mt19937 random_;
    std::vector<std::uint16_t> plain_;
    std::vector<Ti86BuiltinName> builtins_;
};

TEST(Ti86RoundTrip, RandomProgramsTokenizeBackToTheirBytes) {
    for (const unsigned seed : {1u, 2u, 3u, 86u, 2024u}) {
        ProgramMaker maker(seed);
        for (int round = 0; round < 500; ++round) {
            const std::vector<Ti86Token> tokens =
                maker.program(1 + static_cast<std::size_t>(round % 60));
            const std::string bytes = encodeTi86Tokens(tokens);
            const Ti86Listing listing = listTi86Tokens(tokens);
            const Ti86Tokenized back = tokenizeTi86Text(listing.text);
            ASSERT_EQ(hex(encodeTi86Tokens(back.tokens)), hex(bytes))
                << "seed " << seed << " round " << round << "\n"
                << listing.text;
            for (const Diagnostic& d : back.diagnostics)
                EXPECT_NE(d.severity, Diagnostic::Severity::Error) << d.message;
            // Both sides agree where every token stands in the text.
            ASSERT_EQ(back.tokens.size(), listing.tokens.size());
            for (std::size_t i = 0; i < back.tokens.size(); ++i) {
                EXPECT_EQ(back.tokens[i].line, listing.tokens[i].line) << i;
                EXPECT_EQ(back.tokens[i].column, listing.tokens[i].column) << i;
                EXPECT_EQ(back.tokens[i].size, encodeTi86Tokens({back.tokens[i]}).size()) << i;
            }
        }
    }
}

TEST(Ti86RoundTrip, EveryTokenOfTheGridsAlone) {
    // 01-FE but the prefixes 3D and 8E; 3D 00-3D; 8E 00-31 but the marks
    // 8E 28 and 8E 29.
    std::size_t counts[3] = {};
    for (const Ti86TokenInfo& info : ti86Tokens())
        ++counts[info.code >> 8 == 0 ? 0 : info.code >> 8 == 0x3D ? 1 : 2];
    EXPECT_EQ(counts[0], 252u);
    EXPECT_EQ(counts[1], 62u);
    EXPECT_EQ(counts[2], 48u);
    for (const Ti86TokenInfo& info : ti86Tokens()) {
        if (info.data != Ti86Inline::None || info.code == 0x8E30)
            continue;
        const std::string bytes = encodeTi86Tokens({code(info.code)});
        const std::string text = listTi86Tokens({code(info.code)}).text;
        EXPECT_EQ(hex(bytesOf(text)), hex(bytes)) << text;
    }
    // 8E 30 repeats cSum and reads back as 8E 2F.
    EXPECT_EQ(hex(bytesOf(":cSum\r\n")), hex("\x8E\x2F"));
}

} // namespace
