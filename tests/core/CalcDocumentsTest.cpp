// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CalcDocuments.h"

#include "../CalcFileBytes.h"
#include "TempFolderTest.h"
#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "conversion/ConversionRun.h"
#include "files/FileIO.h"
#include "files/ProgramNames.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace kalvo;
using namespace std::string_literals;

namespace {

bool anyMentions(const calc::Diagnostics& found, std::string_view words) {
    for (const calc::Diagnostic& d : found)
        if (d.message.find(words) != std::string::npos)
            return true;
    return false;
}

OpenedProgram openBytes(std::string_view bytes, std::size_t index = 0) {
    return openCalcProgram(readCalcFile(bytes, "FILE"), index);
}

} // namespace

TEST(CalcDocuments, AFileIsKnownByItsSignatureAndOpensAsTheCommandListsIt) {
    EXPECT_EQ(documentFileKind(goldenCalcFile("tokenized.86p")), DocumentFileKind::Ti86File);
    EXPECT_EQ(documentFileKind(goldenCalcFile("ti83p-hello.8xp")), DocumentFileKind::Ti83pFile);
    EXPECT_EQ(documentFileKind("**TI86*"), DocumentFileKind::Text); // one byte short
    EXPECT_EQ(documentFileKind(":**TI86**"), DocumentFileKind::Text);

    for (const char* name : {"tokenized", "plain", "locked"}) {
        const OpenedProgram opened = openBytes(goldenCalcFile(name + ".86p"s));
        EXPECT_EQ(opened.text, goldenCalcFile(name + ".ti86.txt"s)) << name;
        EXPECT_FALSE(opened.ti83pSpellings);
    }
    const OpenedProgram hello = openBytes(goldenCalcFile("ti83p-hello.8xp"));
    EXPECT_EQ(hello.text, goldenCalcFile("ti83p-hello.83p.txt"));
    EXPECT_TRUE(hello.ti83pSpellings);
    EXPECT_TRUE(hello.refusal.empty());
}

TEST(CalcDocuments, AGroupOffersItsProgramsAndOpensTheOneChosen) {
    const CalcFileContents group = readCalcFile(goldenCalcFile("group.86g"), "group.86g");
    EXPECT_EQ(group.programs, (std::vector<std::string>{"A1", "Δθé"})); // the picture is left out
    EXPECT_EQ(openCalcProgram(group, 0).text, goldenCalcFile("group-A1.ti86.txt"));
    EXPECT_EQ(openCalcProgram(group, 1).text, goldenCalcFile("group-3.ti86.txt"));
    EXPECT_FALSE(openCalcProgram(group, 2).text);
}

TEST(CalcDocuments, ADamagedFileOpensAsFarAsItReadsWithItsWarnings) {
    const OpenedProgram ok = openBytes(goldenCalcFile("damaged.86p"));
    EXPECT_EQ(ok.text, goldenCalcFile("damaged-Ok.ti86.txt"));
    ASSERT_FALSE(ok.diagnostics.empty());
    EXPECT_TRUE(anyMentions(ok.diagnostics, "checksum"));
    for (const calc::Diagnostic& d : ok.diagnostics)
        EXPECT_NE(d.severity, calc::Diagnostic::Severity::Error) << d.message;
    const OpenedProgram cut = openBytes(goldenCalcFile("truncated.86p"), 1);
    EXPECT_EQ(cut.text, goldenCalcFile("truncated-Cut.ti86.txt"));
    EXPECT_FALSE(cut.diagnostics.empty());
}

// Each refusal says what the file is, in words a message box can show.
TEST(CalcDocuments, AssemblyNoProgramAndUnreadableFilesAreRefusedWithTheReason) {
    const std::string assembly = ti86TestFile(
        {{"Asm", ti86ProgramData("\x8E\x28\xC9")}, {"Basic", ti86ProgramData("\xE9")}});
    const CalcFileContents mixed = readCalcFile(assembly, "mixed.86g");
    ASSERT_EQ(mixed.programs.size(), 2u);
    const OpenedProgram refused = openCalcProgram(mixed, 0);
    EXPECT_FALSE(refused.text);
    EXPECT_NE(refused.refusal.find("Asm"), std::string::npos) << refused.refusal;
    EXPECT_NE(refused.refusal.find("assembly"), std::string::npos) << refused.refusal;
    EXPECT_EQ(openCalcProgram(mixed, 1).text, ":Disp\r\n");

    const CalcFileContents picture =
        readCalcFile(ti86TestFile({{"Pic1", "\x02\x00\xAA\x55"s, '\x11'}}), "pic.86p");
    EXPECT_TRUE(picture.programs.empty());
    EXPECT_EQ(picture.refusal,
              "\"pic.86p\" is a TI-86 file with no program in it; it holds picture Pic1");
    EXPECT_FALSE(openCalcProgram(picture, 0).text);

    const CalcFileContents header = readCalcFile("**TI86**\x1A\x0A", "short.86p");
    EXPECT_NE(header.refusal.find("\"short.86p\" is a TI-86 file, but no program can be read"),
              std::string::npos)
        << header.refusal;
    const CalcFileContents ti83p = readCalcFile("**TI83F*\x1A\x0A\x00", "short.8xp");
    EXPECT_NE(ti83p.refusal.find("TI-83 Plus file"), std::string::npos) << ti83p.refusal;
    EXPECT_FALSE(openCalcProgram(ti83p, 0).text);
}

class CalcSave : public TempFolderTest {
protected:
    fs::path put(const std::string& name, std::string_view bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    }
    std::string contents(const fs::path& path) {
        return readDocument(path).value_or("<unreadable>");
    }
};

TEST_F(CalcSave, ANameEndingIn8xpGetsAProgramNamedAfterTheFile) {
    const std::string text = goldenCalcFile("ti83p-hello.83p.txt");
    const SaveEncoding named = encodeForSave(dir / "HELLO.8xp", text);
    ASSERT_TRUE(named.file.bytes);
    // The hand-checked file, byte for byte.
    EXPECT_EQ(*named.file.bytes, goldenCalcFile("ti83p-hello.8xp"));
    EXPECT_TRUE(named.diagnostics.empty());

    const SaveEncoding lower = encodeForSave(dir / "my-game.8XP", ":Disp \"hi\"\r\n:MONEY\r\n");
    ASSERT_TRUE(lower.file.bytes);
    const calc::Ti83pFile back = calc::readTi83pFile(*lower.file.bytes);
    EXPECT_EQ(back.name, "MYGAME");
    EXPECT_EQ(calc::listTi83pTokens(back.tokens).text, ":Disp \"hi\"\r\n:MONEY\r\n");
    ASSERT_FALSE(lower.diagnostics.empty());
    EXPECT_EQ(lower.diagnostics.front().severity, calc::Diagnostic::Severity::Note);
    EXPECT_EQ(lower.diagnostics.front().message,
              "program my-game is now MYGAME (a TI-83 Plus program name is 1 to 8 of A-Z, 0-9 "
              "and θ, the first not a digit)");
    // MONEY is read letter by letter: the tokenizer's warning is at its place.
    bool placed = false;
    for (const calc::Diagnostic& d : lower.diagnostics)
        placed = placed || (d.line == 2 && d.column == 2);
    EXPECT_TRUE(placed);

    const SaveEncoding digits = encodeForSave(dir / "123.8xp", ":Disp 1\r\n");
    EXPECT_FALSE(digits.file.bytes);
    EXPECT_EQ(digits.file.error, FileError::NoTi83pProgram);
    EXPECT_TRUE(anyMentions(digits.diagnostics, "no program name can be made of '123'"));

    const SaveEncoding plain = encodeForSave(dir / "GAME.txt", ":Disp 1");
    EXPECT_EQ(plain.file.bytes, ":Disp 1\r\n");
}

TEST_F(CalcSave, TextIsNeverWrittenOverATi86File) {
    const std::string program = goldenCalcFile("tokenized.86p");
    const fs::path ti86 = put("GAME.86p", program);
    const fs::path disguised = put("game.bin", program);
    for (const fs::path& name : {ti86, disguised, dir / "NEW.86G"}) {
        EXPECT_TRUE(keepsTi86File(name)) << name;
        EXPECT_EQ(encodeForSave(name, "text").file.error, FileError::Ti86FileKept) << name;
    }
    EXPECT_FALSE(keepsTi86File(put("notes.txt", "**TI83F*")));

    // Save under the .86p's name asks for another; the same name again fails.
    fs::path fileName = ti86;
    int asked = 0;
    const DocumentEncoder encoder = [](const fs::path& name, std::string_view text) {
        return encodeForSave(name, text).file;
    };
    SaveResult result = saveDocument(
        fileName, ":Disp 1", [&] { return ++asked, ti86; }, encoder);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(result.outcome, SaveOutcome::Failed);
    EXPECT_EQ(result.error, FileError::Ti86FileKept);
    EXPECT_EQ(contents(ti86), program);
    result = saveDocument(
        fileName, ":Disp 1", [&] { return ++asked, dir / "GAME.txt"; }, encoder);
    EXPECT_EQ(result.outcome, SaveOutcome::Written);
    EXPECT_EQ(contents(dir / "GAME.txt"), ":Disp 1\r\n");
    EXPECT_EQ(contents(ti86), program);
}

TEST_F(CalcSave, AnEncoderThatCancelsEndsSaveAndOneThatFailsLeadsToThePrompt) {
    fs::path fileName = put("old.txt", "old");
    int asked = 0;
    const auto prompt = [&] { return ++asked, dir / "new.txt"; };
    SaveResult result = saveDocument(
        fileName, "doc", prompt, [](const fs::path&, std::string_view) { return EncodedFile{}; });
    EXPECT_EQ(result.outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(contents(dir / "old.txt"), "old");

    // Refused under the current name: the prompt's answer is written.
    result = saveDocument(fileName, "doc", prompt, [&](const fs::path& name, std::string_view) {
        if (name.filename() == "old.txt")
            return EncodedFile{std::nullopt, make_error_code(FileError::NoTi83pProgram)};
        return EncodedFile{"bytes"s, {}};
    });
    EXPECT_EQ(result.outcome, SaveOutcome::Written);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fileName, dir / "new.txt");
    EXPECT_EQ(contents(dir / "new.txt"), "bytes");
    EXPECT_EQ(contents(dir / "old.txt"), "old");
}

TEST(CalcDocuments, AFindingSelectsTheWordAtItsLineAndColumn) {
    const std::string text = ":Lbl START\r\n:Goto AB\r\n\r\n:x+1";
    auto place = [&](std::size_t line, std::size_t column) {
        const std::optional<TextPlace> p = placeInDocument(text, line, column);
        return p ? text.substr(static_cast<std::size_t>(p->start),
                               static_cast<std::size_t>(p->length))
                 : "<none>";
    };
    EXPECT_EQ(place(1, 6), "START");
    EXPECT_EQ(place(2, 2), "Goto");
    EXPECT_EQ(place(2, 6), " "); // a byte that is no word is selected alone
    EXPECT_EQ(place(2, 40), ""); // past the line's end: the end of the line
    EXPECT_EQ(placeInDocument(text, 2, 40)->start, 20);
    EXPECT_EQ(place(3, 1), "");
    EXPECT_EQ(place(4, 2), "x");
    EXPECT_EQ(place(0, 1), "<none>");
    EXPECT_EQ(place(5, 1), "<none>");
    // TI-83 Plus text also ends a line with a lone CR; TI-86 text does not.
    EXPECT_EQ(placeInDocument("A\rBC", 2, 1, LineEnds::AnyOfCrLfLfCr)->start, 2);
    EXPECT_FALSE(placeInDocument("A\rBC", 2, 1));
}

TEST(CalcDocuments, AReportFindingPointsIntoTheConvertedText) {
    const std::string ti86 = ":ClLCD:Outpt(1,1,MONEY)\r\n:Lbl START\r\n:Goto START";
    const std::string converted = convertText(ti86);
    const std::optional<calc::Diagnostics> findings = handWorkFindings(ti86);
    ASSERT_TRUE(findings);
    EXPECT_EQ(findings->size(), calc::findHandWork(ti86).findings.size());
    std::vector<std::string> placed;
    for (const calc::Diagnostic& d : *findings) {
        const std::size_t column = convertedColumn(ti86, converted, d.line, d.column);
        const std::optional<TextPlace> p = placeInDocument(converted, d.line, column);
        ASSERT_TRUE(p) << d.message;
        placed.push_back(converted.substr(static_cast<std::size_t>(p->start),
                                          static_cast<std::size_t>(p->length)));
    }
    // MONEY moved right by ClrHome and Output(; the label's findings stand
    // at the Lbl and the Goto, which stay where they were.
    EXPECT_EQ(placed, (std::vector<std::string>{"MONEY", "Lbl", "Goto"}));
    EXPECT_FALSE(handWorkFindings(std::string(calc::kTi86MaxFileBytes + 1, 'A')));
}

TEST(ProgramNames, AFileNameGivesTheProgramsName) {
    EXPECT_EQ(ti83pNameForPath("games/Pong.8xp").name, "PONG");
    EXPECT_EQ(ti83pNameForPath("DICE.8xp").diagnostics.size(), 0u);
    EXPECT_EQ(ti83pNameForPath("θ2.8xp").name, "\xC1"
                                               "2"); // the calculator's θ
    EXPECT_EQ(ti83pNameForPath(".8xp").name, "XP");  // all extension: the digit cannot lead
    const calc::Ti83pProgramName none = ti83pNameForPath("dir.v2/__.8xp");
    EXPECT_TRUE(none.name.empty());
    ASSERT_EQ(none.diagnostics.size(), 1u);
    EXPECT_EQ(none.diagnostics[0].severity, calc::Diagnostic::Severity::Error);
}
