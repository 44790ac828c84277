// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

using namespace kalvo::calc;

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values)
        out += static_cast<char>(v);
    return out;
}

// The notes' worked example, byte for byte: program HELLO is
// ClrHome, newline, Disp "HI".
const std::string kHello =
    "**TI83F*" + bytes({0x1A, 0x0A, 0x00}) + "Kalvo" + std::string(37, '\0') + bytes({0x1A, 0x00}) +
    bytes(
        {0x0D, 0x00, 0x09, 0x00, 0x05, 'H', 'E', 'L', 'L', 'O', 0, 0, 0, 0x00, 0x00, 0x09, 0x00}) +
    bytes({0x07, 0x00, 0xE1, 0x3F, 0xDE, 0x2A, 0x48, 0x49, 0x2A}) + bytes({0x82, 0x04});

std::vector<Ti83pToken> tokensOf(std::initializer_list<std::uint16_t> codes) {
    std::vector<Ti83pToken> tokens;
    for (const std::uint16_t code : codes)
        tokens.push_back({code});
    return tokens;
}

std::vector<std::uint16_t> codesOf(const std::vector<Ti83pToken>& tokens) {
    std::vector<std::uint16_t> codes;
    for (const Ti83pToken& token : tokens)
        codes.push_back(token.code);
    return codes;
}

// A file's checksum made right again after its entry was edited.
std::string resummed(std::string file) {
    unsigned sum = 0;
    for (std::size_t i = 0x37; i + 2 < file.size(); ++i)
        sum += static_cast<unsigned char>(file[i]);
    file[file.size() - 2] = static_cast<char>(sum & 0xFF);
    file[file.size() - 1] = static_cast<char>((sum >> 8) & 0xFF);
    return file;
}

std::string edited(std::size_t offset, int value) {
    std::string file = kHello;
    file[offset] = static_cast<char>(value);
    return resummed(file);
}

// "offset severity message" of every diagnostic.
std::vector<std::string> faults(const Ti83pFile& file) {
    std::vector<std::string> out;
    for (const Diagnostic& d : file.diagnostics) {
        char head[32];
        std::snprintf(head, sizeof head, "%02llX %c ", static_cast<unsigned long long>(d.offset),
                      "NWE"[static_cast<int>(d.severity)]);
        out.push_back(head + d.message);
    }
    return out;
}

const std::vector<std::uint16_t> kHelloCodes = {0xE1, 0x3F, 0xDE, 0x2A, 0x48, 0x49, 0x2A};

} // namespace

TEST(Ti83pProgramName, MadeValidFromAnyName) {
    const struct {
        const char *wanted, *name;
    } names[] = {
        {"HELLO", "HELLO"},
        {"hello", "HELLO"},
        {"Game-1.txt", "GAME1TXT"},
        {"2048game", "GAME"},
        {"verylongname", "VERYLONG"},
        {"\xC1"
         "1",
         "\xC1"
         "1"},
        {"a b", "AB"},
        {"\xE9t\xE9", "T"},
    };
    for (const auto& n : names) {
        const Ti83pProgramName made = makeTi83pProgramName(n.wanted);
        EXPECT_EQ(made.name, n.name) << n.wanted;
        const bool changed = std::string_view(n.wanted) != n.name;
        ASSERT_EQ(made.diagnostics.size(), changed ? 1u : 0u) << n.wanted;
        if (changed) {
            EXPECT_EQ(made.diagnostics[0].severity, Diagnostic::Severity::Warning);
            EXPECT_NE(made.diagnostics[0].message.find("becomes"), std::string::npos);
        }
    }
    for (const char* hopeless : {"", "123", "--", "\xE9"}) {
        const Ti83pProgramName made = makeTi83pProgramName(hopeless);
        EXPECT_EQ(made.name, "") << hopeless;
        ASSERT_EQ(made.diagnostics.size(), 1u) << hopeless;
        EXPECT_EQ(made.diagnostics[0].severity, Diagnostic::Severity::Error);
        EXPECT_NE(made.diagnostics[0].message.find("--name"), std::string::npos);
    }
}

TEST(Ti83pProgramName, AGivenNameIsCheckedNotCorrected) {
    for (const char* good : {"A", "HELLO",
                             "\xC1"
                             "ABC",
                             "ABCDEFGH", "A1"})
        EXPECT_TRUE(checkTi83pProgramName(good).empty()) << good;
    for (const char* bad : {"", "hello", "ABCDEFGHI", "1ABC", "AB C", "A-B"}) {
        const Diagnostics found = checkTi83pProgramName(bad);
        ASSERT_EQ(found.size(), 1u) << bad;
        EXPECT_EQ(found[0].severity, Diagnostic::Severity::Error) << bad;
    }
    EXPECT_NE(checkTi83pProgramName("hello")[0].message.find("HELLO would do"), std::string::npos);
}

TEST(Ti83pFileWrite, HelloOfTheNotesByteForByte) {
    const auto tokens = tokenizeTi83pText(":ClrHome\r\n:Disp \"HI\"\r\n").tokens;
    const Ti83pFileBytes file = buildTi83pFile(tokens, "HELLO");
    EXPECT_TRUE(file.diagnostics.empty());
    EXPECT_EQ(file.bytes, kHello);
}

TEST(Ti83pFileWrite, VersionByteNameAndComment) {
    const struct {
        std::uint16_t code;
        int version;
    } versions[] = {{0x41, 0}, {0xBB0A, 0}, {0xBB68, 1}, {0xBBB0, 1}, {0xBBD3, 2}, {0xBBF0, 3}};
    for (const auto& v : versions)
        EXPECT_EQ(buildTi83pFile(tokensOf({0x41, v.code, 0x41}), "V").bytes[0x44], v.version)
            << std::hex << v.code;

    const std::string theta = buildTi83pFile(tokensOf({0x41}), "A\xC1").bytes;
    EXPECT_EQ(theta.substr(0x3C, 8), bytes({'A', 0x5B, 0, 0, 0, 0, 0, 0}));
    const std::string long_comment(50, 'c');
    const std::string commented = buildTi83pFile(tokensOf({0x41}), "A", long_comment).bytes;
    EXPECT_EQ(commented.substr(0x0B, 42), std::string(42, 'c'));
    EXPECT_EQ(commented[0x35], 0x14); // the 42-byte comment field did not grow
}

TEST(Ti83pFileWrite, RefusesWhatAFileCannotHold) {
    const auto of = [](std::size_t count) {
        return buildTi83pFile(std::vector<Ti83pToken>(count, Ti83pToken{0x41}), "BIG");
    };
    for (const std::size_t tooMany : {65534u, 65517u}) {
        const Ti83pFileBytes file = of(tooMany);
        EXPECT_FALSE(file.written()) << tooMany;
        ASSERT_EQ(file.diagnostics.size(), 1u) << tooMany;
        EXPECT_EQ(file.diagnostics[0].severity, Diagnostic::Severity::Error);
    }
    const Ti83pFileBytes largest = of(65516);
    ASSERT_TRUE(largest.written());
    EXPECT_EQ(largest.bytes.size(), 65516u + 76u);
    EXPECT_EQ(largest.bytes.substr(0x35, 2), bytes({0xFF, 0xFF}));
    EXPECT_EQ(largest.diagnostics.size(), 1u); // more than the calculator's free memory
    EXPECT_EQ(of(24001).diagnostics.size(), 1u);
    EXPECT_TRUE(of(24000).diagnostics.empty());

    // A prefix alone is kept only at the end, where a cut-off program has it.
    EXPECT_FALSE(buildTi83pFile(tokensOf({0xBB, 0x41}), "CUT").written());
    EXPECT_EQ(buildTi83pFile(tokensOf({0x41, 0xBB}), "CUT").bytes.substr(0x4A, 2), "A\xBB");

    const Ti83pFileBytes badName = buildTi83pFile(tokensOf({0x41}), "hello");
    EXPECT_FALSE(badName.written());
    ASSERT_EQ(badName.diagnostics.size(), 1u);
    EXPECT_EQ(badName.diagnostics[0].severity, Diagnostic::Severity::Error);
}

TEST(Ti83pFileRead, HelloReadsBackWithPositions) {
    const Ti83pFile file = readTi83pFile(kHello);
    EXPECT_TRUE(file.diagnostics.empty());
    EXPECT_EQ(file.name, "HELLO");
    EXPECT_EQ(file.type, 0x05);
    EXPECT_EQ(file.version, 0);
    EXPECT_FALSE(file.archived);
    ASSERT_EQ(codesOf(file.tokens), kHelloCodes);
    EXPECT_EQ(file.tokens[0].offset, 0x4Au);
    EXPECT_EQ(file.tokens[6].offset, 0x50u);
    EXPECT_EQ(file.tokens[4].line, 2u);   // the H of "HI"
    EXPECT_EQ(file.tokens[4].column, 8u); // :Disp "H
}

TEST(Ti83pFileRead, DamagedFilesAreReadAsFarAsTheyGo) {
    const struct {
        const char* what;
        std::string file;
        std::vector<std::string> faults;
        std::vector<std::uint16_t> codes;
    } cases[] = {
        {"any byte at 0A",
         [] {
             auto f = kHello;
             f[0x0A] = 0x13;
             return f;
         }(),
         {},
         kHelloCodes},
        {"wrong checksum",
         [] {
             auto f = kHello;
             f[0x52] = 0x05;
             return f;
         }(),
         {"51 W the checksum is 0582, but the data adds up to 0482"},
         kHelloCodes},
        {"wrong signature tail",
         [] {
             auto f = kHello;
             f[0x09] = 0x0D;
             return f;
         }(),
         {"08 W bytes 08-09 are 1A 0D, not 1A 0A"},
         kHelloCodes},
        {"wrong data length, checksum at the end",
         [] {
             auto f = kHello;
             f[0x35] = 0x30;
             return f;
         }(),
         {"35 W the data length is 48 bytes, but the file holds 28 with the checksum"},
         kHelloCodes},
        {"cut off inside the tokens",
         kHello.substr(0, 80),
         {"35 W the data length is 26 bytes, but the file holds 25 with the checksum",
          "50 W the file is cut off before its checksum",
          "50 W the program's data is cut off: 9 bytes announced, 8 present"},
         {0xE1, 0x3F, 0xDE, 0x2A, 0x48, 0x49}},
        {"edit-locked", edited(0x3B, 0x06), {}, kHelloCodes},
        {"lengths that disagree",
         edited(0x39, 0x0A),
         {"46 W the entry gives its data length twice, 10 and 9 bytes; the second is used"},
         kHelloCodes},
        {"unknown token",
         edited(0x4E, 0x26),
         {"4E W 26 is no TI-83 Plus token"},
         {0xE1, 0x3F, 0xDE, 0x2A, 0x26, 0x49, 0x2A}},
        {"lowercase name",
         edited(0x3C, 'h'),
         {"3C W the program name 'hELLO' is not one the calculator accepts; a TI-83 Plus "
          "program name is 1 to 8 of A-Z, 0-9 and theta, the first a letter or theta"},
         kHelloCodes},
        {"not a program",
         edited(0x3B, 0x04),
         {"3B E the variable is of type 04, not a program (05 or 06)"},
         {}},
        {"another calculator",
         "**TI86**" + kHello.substr(8),
         {"00 E this is no TI-83 Plus file: it does not begin with **TI83F*"},
         {}},
        {"only a header", kHello.substr(0, 20), {"14 E the file ends inside its header"}, {}},
    };
    for (const auto& c : cases) {
        const Ti83pFile file = readTi83pFile(c.file);
        EXPECT_EQ(faults(file), c.faults) << c.what;
        EXPECT_EQ(codesOf(file.tokens), c.codes) << c.what;
        EXPECT_EQ(file.readable(), !c.codes.empty()) << c.what;
    }
    EXPECT_EQ(readTi83pFile(edited(0x3B, 0x06)).type, 0x06);
    EXPECT_TRUE(readTi83pFile(edited(0x45, 0x80)).archived);
    // A token's fault also says where the token stands in the listing.
    const Diagnostic unknown = readTi83pFile(edited(0x4E, 0x26)).diagnostics.at(0);
    EXPECT_EQ(unknown.line, 2u);
    EXPECT_EQ(unknown.column, 8u);
}

TEST(Ti83pFileRead, OlderEntryWithoutVersionAndFlag) {
    // The same program with an 0B entry: no version and flag bytes, so the
    // entry is two bytes shorter and the tokens begin at 48.
    std::string file = kHello.substr(0, 0x44) + kHello.substr(0x46);
    file[0x35] = 0x18;
    file[0x37] = 0x0B;
    file = resummed(file);
    const Ti83pFile read = readTi83pFile(file);
    EXPECT_TRUE(read.diagnostics.empty());
    EXPECT_EQ(read.name, "HELLO");
    EXPECT_EQ(codesOf(read.tokens), kHelloCodes);
    EXPECT_EQ(read.tokens[0].offset, 0x48u);
}

TEST(Ti83pFileRead, MoreVariablesAfterTheProgramAreLeftWithANote) {
    std::string file = kHello.substr(0, 0x51) + "more!" + kHello.substr(0x51);
    file[0x35] = 0x1A + 5;
    const Ti83pFile read = readTi83pFile(resummed(file));
    EXPECT_EQ(faults(read),
              std::vector<std::string>{"51 N more variables follow the program; only the program "
                                       "is read"});
    EXPECT_EQ(codesOf(read.tokens), kHelloCodes);
}
