// SPDX-License-Identifier: GPL-3.0-or-later
// TI-86 files built by hand (tests/golden/calcfiles/make-files.py) and their
// listings, worked out by hand from the layouts and the token grids before
// the reader existed.
#include "calcfiles/ti86/Ti86File.h"
#include "../../../CalcFileBytes.h"
#include "calcfiles/ti86/Ti86Listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;
using Severity = Diagnostic::Severity;

std::vector<std::string> programNames(const Ti86File& file) {
    std::vector<std::string> names;
    for (const Ti86Entry* program : ti86Programs(file))
        names.push_back(ti86EntryName(*program));
    return names;
}

// "offset: message" for each warning, so a failure shows them all.
std::string describe(const Diagnostics& diagnostics) {
    std::string out;
    for (const Diagnostic& d : diagnostics)
        out +=
            std::to_string(d.offset) + " line " + std::to_string(d.line) + ": " + d.message + "\n";
    return out;
}

// One warning at `offset` whose message holds `words`.
void expectWarning(const Diagnostics& diagnostics, std::uint64_t offset, const std::string& words) {
    const auto hit = std::find_if(diagnostics.begin(), diagnostics.end(), [&](const Diagnostic& d) {
        return d.hasOffset && d.offset == offset && d.severity == Severity::Warning &&
               d.message.find(words) != std::string::npos;
    });
    EXPECT_NE(hit, diagnostics.end())
        << "no warning at " << offset << " about '" << words << "' in:\n"
        << describe(diagnostics);
}

TEST(Ti86GoldenFiles, SoundFilesListAsWorkedOutWithoutWarnings) {
    struct Case {
        const char* file;
        const char* program;
        const char* listing;
    };
    for (const Case& c : {Case{"tokenized.86p", "Demo", "tokenized.ti86.txt"},
                          Case{"group.86g", "A1", "group-A1.ti86.txt"},
                          Case{"group.86g", "Δθé", "group-3.ti86.txt"}}) {
        SCOPED_TRACE(std::string(c.file) + " " + c.program);
        const Ti86File file = readTi86File(goldenCalcFile(c.file));
        EXPECT_TRUE(file.diagnostics.empty()) << describe(file.diagnostics);
        const Ti86Entry* entry = findTi86Entry(file, c.program);
        ASSERT_NE(entry, nullptr);
        const Ti86Listing listing = listTi86Program(*entry);
        EXPECT_EQ(listing.text, goldenCalcFile(c.listing));
        EXPECT_TRUE(listing.diagnostics.empty()) << describe(listing.diagnostics);
    }
}

TEST(Ti86GoldenFiles, PlainTextAndEditLockedProgramsListWithTheirEscapes) {
    const Ti86File plain = readTi86File(goldenCalcFile("plain.86p"));
    ASSERT_EQ(programNames(plain), std::vector<std::string>{"Ask"});
    const Ti86Listing ask = listTi86Program(plain.entries[0]);
    EXPECT_EQ(ask.text, goldenCalcFile("plain.ti86.txt"));
    // The FF is the program's last byte: entries start at 0x37 = 55, then
    // 6 header bytes, the name, the second length, the program's length.
    ASSERT_EQ(ask.diagnostics.size(), 1u) << describe(ask.diagnostics);
    EXPECT_EQ(ask.diagnostics[0].line, 4u);
    EXPECT_EQ(ask.diagnostics[0].offset, 55u + 6 + 3 + 2 + 2 + 40);

    const Ti86File locked = readTi86File(goldenCalcFile("locked.86p"));
    EXPECT_TRUE(locked.diagnostics.empty()) << describe(locked.diagnostics);
    ASSERT_EQ(programNames(locked), std::vector<std::string>{"Lock"});
    EXPECT_EQ(ti86ProgramBody(locked.entries[0]).form, Ti86ProgramForm::EditLocked);
    const Ti86Listing lock = listTi86Program(locked.entries[0]);
    EXPECT_EQ(lock.text, goldenCalcFile("locked.ti86.txt"));
    ASSERT_EQ(lock.diagnostics.size(), 1u) << describe(lock.diagnostics);
    EXPECT_EQ(lock.diagnostics[0].line, 4u);
    EXPECT_EQ(lock.diagnostics[0].column, 2u);
    EXPECT_EQ(lock.diagnostics[0].offset, 55u + 16 + 2 + 2 + 10); // 3D after 8E 29 and 10 bytes
}

TEST(Ti86GoldenFiles, AGroupListsOnlyItsProgramsAndNamesEveryEntry) {
    const Ti86File group = readTi86File(goldenCalcFile("group.86g"));
    ASSERT_EQ(group.entries.size(), 3u);
    EXPECT_EQ(programNames(group), (std::vector<std::string>{"A1", "Δθé"}));
    const Ti86Entry* picture = findTi86Entry(group, "Pic1");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ti86TypeName(picture->type), "picture");
    EXPECT_EQ(picture->data, std::string("\x02\x00\xAA\x55", 4));
    EXPECT_EQ(picture->dataOffset, 55u + 12);
    EXPECT_EQ(group.entries[2].offset, 55u + 16 + 29);
    EXPECT_EQ(ti86ProgramBody(group.entries[2]).form, Ti86ProgramForm::EditLockedPlainText);
    EXPECT_EQ(findTi86Entry(group, "Δθe"), nullptr); // names match exactly
    EXPECT_EQ(findTi86Entry(group, "a1"), nullptr);
}

TEST(Ti86GoldenFiles, ADamagedFileWarnsOfEachFaultAndStillLists) {
    const Ti86File file = readTi86File(goldenCalcFile("damaged.86p"));
    EXPECT_TRUE(file.readable());
    EXPECT_EQ(programNames(file), (std::vector<std::string>{"Ok", "Two"}));
    EXPECT_EQ(file.diagnostics.size(), 3u) << describe(file.diagnostics);
    expectWarning(file.diagnostics, 8, "1A 0D 00");
    expectWarning(file.diagnostics, 0x35, "256");
    expectWarning(file.diagnostics, 87, "checksum");

    EXPECT_EQ(listTi86Program(file.entries[0]).text, goldenCalcFile("damaged-Ok.ti86.txt"));
    const Ti86Listing two = listTi86Program(file.entries[1]);
    EXPECT_EQ(two.text, goldenCalcFile("damaged-Two.ti86.txt"));
    ASSERT_EQ(two.diagnostics.size(), 1u) << describe(two.diagnostics);
    expectWarning(two.diagnostics, 85, "cut off");
    EXPECT_EQ(two.diagnostics[0].line, 1u);
}

TEST(Ti86GoldenFiles, TextModeDamageIsRepairedWithAWarningNamingTheRepair) {
    // Both faults: 1A 0D 00 in the header, 0D for the entry header's 0C.
    const Ti86File file = readTi86File(goldenCalcFile("textmode.86p"));
    ASSERT_EQ(programNames(file), std::vector<std::string>{"Mode"});
    EXPECT_EQ(file.diagnostics.size(), 2u) << describe(file.diagnostics);
    expectWarning(file.diagnostics, 8, "read as 1A 0A 00");
    expectWarning(file.diagnostics, 0x37, "read as 12");
    const Ti86Listing mode = listTi86Program(file.entries[0]);
    EXPECT_EQ(mode.text, goldenCalcFile("textmode-Mode.ti86.txt"));
    EXPECT_TRUE(mode.diagnostics.empty()) << describe(mode.diagnostics);

    // The entry fault alone, in the second entry of a group (the first takes
    // 6 header bytes, its 3-byte name, the second length and 6 data bytes):
    // both programs, nothing after them lost.
    const Ti86File group = readTi86File(goldenCalcFile("textmode-group.86g"));
    EXPECT_EQ(programNames(group), (std::vector<std::string>{"One", "Two"}));
    ASSERT_EQ(group.diagnostics.size(), 1u) << describe(group.diagnostics);
    expectWarning(group.diagnostics, 0x37 + 6 + 3 + 2 + 6, "entry header length 13");
    EXPECT_EQ(listTi86Program(group.entries[1]).text, ":Disp 2\r\n");
}

TEST(Ti86GoldenFiles, ATruncatedFileListsWhatItHolds) {
    const Ti86File file = readTi86File(goldenCalcFile("truncated.86p"));
    EXPECT_EQ(programNames(file), (std::vector<std::string>{"Ok", "Cut"}));
    EXPECT_FALSE(file.entries[1].complete);
    EXPECT_EQ(file.entries[1].data.size(), 5u);
    expectWarning(file.diagnostics, 82, "5 of 10");
    expectWarning(file.diagnostics, 0x35, "37");
    expectWarning(file.diagnostics, 87, "checksum");
    EXPECT_EQ(file.diagnostics.size(), 3u) << describe(file.diagnostics);

    const Ti86Listing cut = listTi86Program(file.entries[1]);
    EXPECT_EQ(cut.text, goldenCalcFile("truncated-Cut.ti86.txt"));
    expectWarning(cut.diagnostics, 82, "length says 8");
    expectWarning(cut.diagnostics, 85, "cut off");
}

// Containers built here: the name-field forms and the faults one at a time.

std::string entryBytes(std::uint8_t type, const std::string& nameField, std::uint8_t nameLength,
                       const std::string& data) {
    return le16(4 + nameField.size()) + le16(data.size()) + static_cast<char>(type) +
           static_cast<char>(nameLength) + nameField + le16(data.size()) + data;
}

std::string fileBytes(const std::string& entries) {
    unsigned sum = 0;
    for (const char c : entries)
        sum += static_cast<std::uint8_t>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entries.size()) + entries + le16(sum & 0xFFFF);
}

TEST(Ti86Container, ReadsEveryFormOfTheNameField) {
    const std::string data = le16(1) + "\x83";                          // ClDrw
    const std::string entries = entryBytes(0x12, "AB", 2, data) +       // unpadded
                                entryBytes(0x12, "CD      ", 2, data) + // spaces
                                entryBytes(0x12, std::string("EF\0\0\0\0\0\0", 8), 2, data) +
                                entryBytes(0x12, "GHjunk!!", 2, data); // leftovers
    const Ti86File file = readTi86File(fileBytes(entries));
    EXPECT_TRUE(file.diagnostics.empty()) << describe(file.diagnostics);
    EXPECT_EQ(programNames(file), (std::vector<std::string>{"AB", "CD", "EF", "GH"}));
    for (const Ti86Entry& e : file.entries)
        EXPECT_EQ(listTi86Program(e).text, ":ClDrw\r\n");
}

TEST(Ti86Container, FaultsThatLeaveNothingToReadAreErrors) {
    const auto onlyError = [](const std::string& bytes) {
        const Ti86File file = readTi86File(bytes);
        EXPECT_FALSE(file.readable());
        return !file.diagnostics.empty() && file.diagnostics.back().severity == Severity::Error;
    };
    EXPECT_TRUE(onlyError(""));
    EXPECT_TRUE(onlyError("**TI83F*" + std::string(60, '\0')));
    EXPECT_TRUE(onlyError("**TI86**\x1A\x0A")); // ends in the header
    EXPECT_TRUE(onlyError(fileBytes("")));      // no entries at all
    // A header that cannot be an entry's: name length 0.
    EXPECT_TRUE(onlyError(
        fileBytes(le16(8) + le16(1) + "\x12" + std::string(1, '\0') + "ABCD" + le16(1) + "x")));
}

TEST(Ti86Container, BytesAfterAGoodChecksumAreLeftOver) {
    const std::string data = le16(1) + "\x83";
    const Ti86File file = readTi86File(fileBytes(entryBytes(0x12, "AB", 2, data)) + "xyz");
    EXPECT_EQ(programNames(file), std::vector<std::string>{"AB"});
    ASSERT_EQ(file.diagnostics.size(), 1u) << describe(file.diagnostics);
    expectWarning(file.diagnostics, 55 + 13 + 2, "3 bytes after the checksum");
}

TEST(Ti86Container, TheTwoDataLengthsDisagreeing) {
    // The first copy says 5, the second 3: the second is the one read, as
    // the name field's leftovers can hide the first.
    std::string entry = le16(6) + le16(5) +
                        "\x12\x02"
                        "AB" +
                        le16(3) + le16(1) + "\x83";
    const Ti86File file = readTi86File(fileBytes(entry));
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_EQ(file.entries[0].data.size(), 3u);
    expectWarning(file.diagnostics, 55 + 8, "5 and 3");
    EXPECT_EQ(file.diagnostics.size(), 1u) << describe(file.diagnostics);
}

TEST(Ti86Programs, AssemblyIsRefusedAndProgramFormsAreTold) {
    const auto program = [](const std::string& body) {
        Ti86Entry e;
        e.type = kTi86ProgramType;
        e.name = "Game";
        e.data = le16(body.size()) + body;
        return e;
    };
    for (const char* mark : {"\x8E\x27", "\x8E\x28"}) {
        const Ti86Listing listing = listTi86Program(program(std::string(mark, 2) + "C9"));
        EXPECT_FALSE(listing.listed());
        EXPECT_TRUE(listing.text.empty());
        ASSERT_FALSE(listing.diagnostics.empty());
        EXPECT_NE(listing.diagnostics.back().message.find("assembly"), std::string::npos);
        EXPECT_NE(listing.diagnostics.back().message.find("Game"), std::string::npos);
    }
    EXPECT_EQ(ti86ProgramBody(program(std::string("\0\0A", 3))).form,
              Ti86ProgramForm::EditLockedPlainText);
    EXPECT_EQ(ti86ProgramBody(program(std::string("\0A", 2))).form, Ti86ProgramForm::PlainText);
    EXPECT_EQ(ti86ProgramBody(program("\x8E\x29\x83")).form, Ti86ProgramForm::EditLocked);
    EXPECT_EQ(ti86ProgramBody(program("\x83")).form, Ti86ProgramForm::Tokenized);
    // An empty program is one empty line.
    EXPECT_EQ(listTi86Program(program("")).text, ":\r\n");
    // Data shorter than its own length word.
    Ti86Entry stub = program("");
    stub.data = "\x05";
    EXPECT_EQ(listTi86Program(stub).text, ":\r\n");
    EXPECT_FALSE(listTi86Program(stub).diagnostics.empty());
}

TEST(Ti86Names, UseTheCalculatorsGlyphs) {
    Ti86Entry e;
    e.name = std::string("\xC1\x8A\xBE\x85x\x96\x00", 7);
    EXPECT_EQ(ti86EntryName(e), "θÁΔ₅xé\\x00");
    e.name = "\xB4\xB5\xB3\xFF";
    EXPECT_EQ(ti86EntryName(e), "Ññç\\xFF");
}

TEST(Ti86Container, AHeaderLengthOf13IsRepairedOnlyWhereTheSecondLengthSaysSo) {
    // 0D with the second data length not where 0C puts it: no repair, and
    // the entry stays unreadable.
    std::string entry =
        le16(0x0D) + le16(1) + "\x12\x02" + "AB" + std::string(6, ' ') + "x" + le16(1) + "\x83";
    const Ti86File file = readTi86File(fileBytes(entry));
    EXPECT_FALSE(file.readable());
    expectWarning(file.diagnostics, 0x37, "unreadable entry header");
}

} // namespace
