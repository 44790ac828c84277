// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pTokens.h"

#include <gtest/gtest.h>

#include <string>

using namespace kalvo::calc;

TEST(Ti83pTokens, EveryTokenOfOs119OnceInCodeOrder) {
    std::size_t oneByte = 0, twoByte = 0;
    int previous = -1;
    for (const Ti83pTokenInfo& token : ti83pTokens()) {
        ASSERT_GT(token.code, previous) << std::hex << token.code;
        previous = token.code;
        EXPECT_FALSE(token.font.empty()) << std::hex << token.code;
        if (token.code > 0xFF) {
            ++twoByte;
            EXPECT_TRUE(isTi83pPrefix(static_cast<std::uint8_t>(token.code >> 8)))
                << std::hex << token.code;
        } else {
            ++oneByte;
            EXPECT_FALSE(isTi83pPrefix(static_cast<std::uint8_t>(token.code)))
                << std::hex << token.code;
        }
    }
    EXPECT_EQ(oneByte, 243u);
    EXPECT_EQ(twoByte, 444u);
    // Holes the sheet leaves, and tokens that came with later models.
    for (const int missing : {0x00, 0x26, 0x6200, 0x6338, 0x7E13, 0xBB5C, 0xBB6D, 0xBB7E, 0xBBAA,
                              0xBBBB, 0xBBD0, 0xBBEF, 0xBBF6, 0xEF00})
        EXPECT_EQ(ti83pTokenInfo(static_cast<std::uint16_t>(missing)), nullptr)
            << std::hex << missing;
}

TEST(Ti83pTokens, SampleAgreesWithTheSheet) {
    const struct {
        std::uint16_t code;
        std::string_view font, name;
    } sample[] = {
        // clang-format off
        {0x04, "\x1C", "->"}, {0x0C, "\x11", "^^-1"}, {0x1C, "R\x05P\x5B(", "R>Ptheta("},
        {0x29, " ", " "}, {0x3F, "\xD6", ""}, {0x5B, "\x5B", "theta"}, {0x5F, "prgm", "prgm"},
        {0xAC, "\xC4", "pi"}, {0xB0, "\x1A", "~"}, {0xBC, "\x10(", "sqrt("},
        {0xC1, "\x1D^(", "10^^("}, {0xDE, "Disp ", "Disp "}, {0xEB, "\xDC", "smallL"},
        {0xF1, "\xCD\x10", "xroot"}, {0xFF, "LinReg(ax+b) ", "LinReg(ax+b) "},
        {0x5C00, "\xC1" "A]", "[A]"}, {0x5D05, "L\x86", "L6"}, {0x5E19, "Y\x80", "{Y0}"},
        {0x5E2B, "Y\x86\x0D", "{Y6T}"}, {0x5E80, "u", "|u"}, {0x6000, "Pic1", "Pic1"},
        {0x6221, "\x01", "[recursiven]"}, {0x623C, "MS", "[errorMS]"},
        {0x6304, "u(\x01Min)", "u(nMin)"}, {0x631B, "PlotStart", "PlotStart"},
        {0x6337, "ZXres", "ZXres"}, {0x7E00, "Sequential", "Sequential"},
        {0xAA09, "Str0", "Str0"}, {0xBB00, "npv(", "npv("}, {0xBB54, "DelVar ", "DelVar "},
        {0xBB68, "Archive ", "Archive "}, {0xBB6E, "\x8A", ""}, {0xBB7F, "\x9B", ""},
        {0xBBB0, "a", "a"}, {0xBBCA, "z", "z"}, {0xBBCD, "\x9A", ""}, {0xBBD3, "\xF2", "$"},
        {0xBBDB, "\xCE", "..."}, {0xBBF5, "\x7F", "invertedequal"},
        // The sheet's font bytes are wrong here; the display names are not.
        {0x5E11, "Y\x82", "{Y2}"}, {0x5E15, "Y\x86", "{Y6}"}, {0x7E12, "uwAxes", "uwAxes"},
        // clang-format on
    };
    for (const auto& expected : sample) {
        const Ti83pTokenInfo* token = ti83pTokenInfo(expected.code);
        ASSERT_NE(token, nullptr) << std::hex << expected.code;
        EXPECT_EQ(token->font, expected.font) << std::hex << expected.code;
        EXPECT_EQ(token->name, expected.name) << std::hex << expected.code;
    }
}

TEST(Ti83pTokens, TextFormWritesFontBytesAsTheTi86TextDoes) {
    const struct {
        std::string_view font, text;
    } forms[] = {
        // clang-format off
        {"\x05", "\xE5"}, {"\x11", "\xF1"}, {"\x1C", "\xFC"}, {"\x18", "\xF8"}, {"\x17", "\xF7"},
        {"\x19", "\xF9"}, {"\x10", "\xF0"}, {"\x12", "\xF2"}, {"\x1F", "\xFF"},
        {"\x5B", "\xC1"}, {"\xC1", "["}, {"\xC4", "\xC4"}, {"\x81", "\x81"}, {"\xD5", "\xD5"},
        {"sin\x11(", "sin\xF1("}, {" ~}", " ~}"},
        // clang-format on
    };
    for (const auto& form : forms)
        EXPECT_EQ(ti83pFontToText(form.font), std::string(form.text)) << form.text;
    // Glyphs the two calculators draw differently, the euro sign, and bytes
    // the TI-86 text has no character for.
    for (const char* none :
         {"\x01", "\x04", "\x0A", "\x0F", "\x7F", "\x80", "\xD6", "\xD7", "\xD8", "\xF2", "A\xDB"})
        EXPECT_FALSE(ti83pFontToText(none)) << std::hex << int(static_cast<unsigned char>(none[0]));
    EXPECT_FALSE(ti83pFontToText(std::string_view("\0", 1)));
}

TEST(Ti83pTokens, VersionByteComesFromTheOsThatBroughtTheToken) {
    const struct {
        std::uint16_t code;
        std::uint8_t version;
    } versions[] = {
        {0x41, 0},   {0xFF, 0},   {0x5C00, 0}, {0xAA00, 0}, {0xBB00, 0},
        {0xBB67, 0}, {0xBB68, 1}, {0xBB6C, 1}, {0xBBB0, 1}, {0xBBCE, 1},
        {0xBBCF, 2}, {0xBBDA, 2}, {0xBBDB, 3}, {0xBBF5, 3}, {0xEF00, 3},
    };
    for (const auto& v : versions)
        EXPECT_EQ(ti83pVersionFor(v.code), v.version) << std::hex << v.code;
}

TEST(Ti83pTokens, DecodingKeepsEveryByteAndReportsWhatItDoesNotKnow) {
    const std::string bytes("\x41\xBB\x68\x26\xEF\x00\x5C", 7);
    Diagnostics diagnostics;
    const auto tokens = decodeTi83pTokens(bytes, 0x4A, diagnostics);
    const std::uint16_t codes[] = {0x41, 0xBB68, 0x26, 0xEF00, 0x5C};
    const std::uint64_t offsets[] = {0x4A, 0x4B, 0x4D, 0x4E, 0x50};
    ASSERT_EQ(tokens.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(tokens[i].code, codes[i]);
        EXPECT_EQ(tokens[i].offset, offsets[i]);
    }
    ASSERT_EQ(diagnostics.size(), 3u);
    EXPECT_EQ(diagnostics[0].offset, 0x4Du); // 26
    EXPECT_EQ(diagnostics[1].offset, 0x4Eu); // EF00, a TI-84 Plus token
    EXPECT_EQ(diagnostics[2].offset, 0x50u); // 5C with nothing after it
    EXPECT_NE(diagnostics[2].message.find("cut off"), std::string::npos);
    EXPECT_EQ(encodeTi83pTokens(tokens), bytes);
}
