// SPDX-License-Identifier: GPL-3.0-or-later
#include "../../../CalcFileBytes.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace kalvo::calc;

namespace {

std::vector<std::uint16_t> codesOf(const std::vector<Ti83pToken>& tokens) {
    std::vector<std::uint16_t> codes;
    for (const Ti83pToken& token : tokens)
        codes.push_back(token.code);
    return codes;
}

// A program drawn from every token, with line ends, quotes, arrows, prgm
// and letters often enough that strings and names come up on most lines.
std::vector<Ti83pToken> randomProgram(std::mt19937& random, std::size_t length) {
    const auto table = ti83pTokens();
    std::vector<Ti83pToken> tokens;
    for (std::size_t i = 0; i < length; ++i) {
        const auto pick = random() % 100;
        std::uint16_t code = table[random() % table.size()].code;
        if (pick < 8)
            code = 0x3F;
        else if (pick < 14)
            code = 0x2A;
        else if (pick < 17)
            code = 0x5F;
        else if (pick < 19)
            code = 0x04;
        else if (pick < 30)
            code = static_cast<std::uint16_t>(0x41 + random() % 27); // A-Z, θ
        else if (pick < 40)
            code = static_cast<std::uint16_t>(0xBBB0 + random() % 27); // a-z and a hole
        if (code == 0xBBBB)
            code = 0xBBBA;
        tokens.push_back({code});
    }
    return tokens;
}

// Text as a person types it: spellings and names of random tokens, one
// after the other, sometimes a line end.
std::string randomText(std::mt19937& random, std::size_t length) {
    const auto table = ti83pTokens();
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        const Ti83pTokenInfo& token = table[random() % table.size()];
        if (token.code == 0x3F || random() % 10 == 0) {
            text += "\r\n";
        } else if (random() % 2 && !token.name.empty()) {
            text += token.name;
        } else {
            const auto form = ti83pFontToText(token.font);
            text += form ? *form : std::string(token.name);
        }
    }
    return text;
}

} // namespace

TEST(Ti83pRoundTrip, AnyProgramReadsBackFromItsListingAndItsFile) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const auto program = randomProgram(random, seed % 150);
        const Ti83pListing listing = listTi83pTokens(program);
        const Ti83pTokenized back = tokenizeTi83pText(listing.text);
        ASSERT_EQ(codesOf(back.tokens), codesOf(program)) << "seed " << seed << "\n"
                                                          << listing.text;
        // The listing of what was read is the same listing.
        EXPECT_EQ(listTi83pTokens(back.tokens).text, listing.text) << "seed " << seed;

        const Ti83pFileBytes file = buildTi83pFile(program, "RT");
        ASSERT_TRUE(file.written()) << "seed " << seed;
        const Ti83pFile read = readTi83pFile(file.bytes);
        EXPECT_EQ(codesOf(read.tokens), codesOf(program)) << "seed " << seed;
        for (const Diagnostic& d : read.diagnostics)
            EXPECT_NE(d.severity, Diagnostic::Severity::Error) << "seed " << seed;
    }
}

TEST(Ti83pRoundTrip, TypedProgramsReadBackFromTheirListing) {
    // Canonical programs: what tokenizing typed text gives. Their listings
    // use escapes only where two spellings would run together ("m" before
    // "u" reads as mu); most lines need none.
    std::size_t escaped = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        std::string text = randomText(random, seed % 60);
        std::erase(text, '\\');
        const auto program = tokenizeTi83pText(text).tokens;
        const Ti83pListing listing = listTi83pTokens(program);
        EXPECT_EQ(codesOf(tokenizeTi83pText(listing.text).tokens), codesOf(program))
            << "seed " << seed << "\n"
            << listing.text;
        escaped += listing.text.find('\\') != std::string::npos;
    }
    EXPECT_LT(escaped, 15u);
}

TEST(Ti83pRoundTrip, GoldenProgramsBothWays) {
    const struct {
        const char *stem, *name;
    } programs[] = {{"ti83p-hello", "HELLO"}, {"ti83p-score", "SCORE"}};
    for (const auto& p : programs) {
        const std::string text = goldenCalcFile(std::string(p.stem) + ".83p.txt");
        const std::string bytes = goldenCalcFile(std::string(p.stem) + ".8xp");
        ASSERT_FALSE(text.empty() || bytes.empty()) << p.stem;

        const Ti83pTokenized tokenized = tokenizeTi83pText(text);
        EXPECT_TRUE(tokenized.diagnostics.empty()) << p.stem;
        const Ti83pFileBytes written = buildTi83pFile(tokenized.tokens, p.name);
        EXPECT_EQ(written.bytes, bytes) << p.stem;

        const Ti83pFile read = readTi83pFile(bytes);
        EXPECT_TRUE(read.diagnostics.empty()) << p.stem;
        EXPECT_EQ(read.name, p.name);
        EXPECT_EQ(listTi83pTokens(read.tokens).text, text) << p.stem;
    }
}
