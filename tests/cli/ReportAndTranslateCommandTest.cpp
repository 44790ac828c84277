// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert's hand-work report after the 81 rows, the translator as the
// engine of every pair that reaches the calculator's tokens, and --all. The
// expected lines come from the hand-built golden files (handwork.*,
// translate-*) or are counted out by hand in the comments.

#include "../CalcFileBytes.h"
#include "CommandFixture.h"

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "calcfiles/ti86/Ti86Font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A TI-86 group of programs stored as plain text (first byte 00), each made
// from its `ti86` text: the ":" that starts each line is the listing's, the
// lines are joined by the font's D6, and each byte is the font byte it
// stands for.
std::string ti86GroupOfText(const std::vector<std::pair<std::string, std::string>>& programs) {
    std::string entries;
    for (const auto& [name, text] : programs) {
        std::string font(1, '\0');
        std::istringstream lines(text);
        bool first = true;
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!first)
                font += '\xD6';
            first = false;
            for (std::size_t i = line.starts_with(':') ? 1 : 0; i < line.size(); ++i)
                font += static_cast<char>(
                    kalvo::calc::ti86TextToFont(static_cast<std::uint8_t>(line[i])));
        }
        const std::string data = le16(font.size()) + font;
        std::string padded = name;
        padded.resize(8, '\0');
        entries += le16(12) + le16(data.size()) + '\x12' + static_cast<char>(name.size()) + padded +
                   le16(data.size()) + data;
    }
    unsigned sum = 0;
    for (const char c : entries)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entries.size()) + entries + le16(sum & 0xFFFF);
}

// The golden group: GAME, which calls ROLL.
std::string goldenGroup() {
    return ti86GroupOfText({{"GAME", goldenCalcFile("translate-GAME.ti86.txt")},
                            {"ROLL", goldenCalcFile("translate-ROLL.ti86.txt")}});
}

// translate.report.txt names each program alone ("GAME:1:2: ..."); a program
// of a group file is named FILE(NAME).
std::string reportFor(const std::string& file) {
    std::istringstream golden(goldenCalcFile("translate.report.txt"));
    std::string out;
    for (std::string line; std::getline(golden, line);)
        out +=
            file + "(" + line.substr(0, line.find(':')) + ")" + line.substr(line.find(':')) + "\n";
    return out;
}

std::vector<std::uint16_t> codes(const std::vector<kalvo::calc::Ti83pToken>& tokens) {
    std::vector<std::uint16_t> out;
    for (const kalvo::calc::Ti83pToken& token : tokens)
        out.push_back(token.code);
    return out;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

const std::string kLabelStart =
    "warning: label START is longer than two characters; the TI-83 Plus takes one or two of "
    "A-Z, 0-9, \u03B8: rename it at its Lbl and every Goto and Menu( that names it\n";

} // namespace

class ReportAndTranslate : public ConvertCommand {
protected:
    void copyGoldenGroup() { write("game.86g", goldenGroup()); }
};

TEST_F(ReportAndTranslate, TheReportFollowsTheDefaultTextRun) {
    // The golden program's exact report; the converted text is the rows'
    // (the same as with -q, which silences findings and summary).
    write("handwork.ti86.txt", goldenCalcFile("handwork.ti86.txt"));
    const std::string quiet = run("-q handwork.ti86.txt");
    ASSERT_TRUE(quiet.starts_with("0|:ClrHome\r\n")) << quiet;
    ASSERT_TRUE(quiet.ends_with("|"));
    EXPECT_EQ(run("handwork.ti86.txt"), quiet + goldenCalcFile("handwork.report.txt"));
    // Standard input is "-"; Lbl and Goto both start at column 2.
    EXPECT_EQ(run("", ":Lbl START\r\n:Goto START\r\n"),
              "0|:Lbl START\r\n:Goto START\r\n|-:1:2: " + kLabelStart + "-:2:2: " + kLabelStart +
                  "kalvo-convert: 2 uses of labels to shorten\n");
    // The same, written to a file: the findings still come, the status is 0.
    EXPECT_EQ(run("- -o out.txt", ":Lbl START\r\n:Goto START\r\n"),
              "0||-:1:2: " + kLabelStart + "-:2:2: " + kLabelStart +
                  "kalvo-convert: 2 uses of labels to shorten\n");
    // A two-letter label, a one-letter name, DelVar without "(": clean.
    EXPECT_EQ(run("", ":Lbl ST\r\n:DelVar A\r\n:0\xFC"
                      "A\r\n:Goto ST\r\n"),
              "0|:Lbl ST\r\n:DelVar A\r\n:0\xFC"
              "A\r\n:Goto ST\r\n|");
}

TEST_F(ReportAndTranslate, TheReportAfterTheRowsIntoCalculatorForms) {
    copyGoldenGroup();
    // A program of a group is FILE(NAME). ROLL's DIE: ":randInt(1,6)→" is
    // 14 bytes; line 2 ":Disp "You rolled"," is 19.
    const std::string roll = run("--table game.86g --program ROLL");
    EXPECT_TRUE(roll.starts_with("0|:randInt(1,6)")) << roll;
    EXPECT_NE(roll.find("|game.86g(ROLL):1:15: warning: name DIE has more than one character"),
              std::string::npos)
        << roll;
    EXPECT_NE(roll.find("\ngame.86g(ROLL):2:20: warning: name DIE "), std::string::npos) << roll;
    EXPECT_EQ(run("-q --table game.86g --program ROLL"), roll.substr(0, roll.find('|', 2) + 1));

    // Into a .8xp, the tokenizer's findings join the report: FnOff (no
    // space) is the tokenizer's, at column 16 of ":AxesOff:ClDrw:FnOff:DispG"
    // in the TI-86 text; DispG at 22 is found by both and said once.
    write("tokenized.86p", goldenCalcFile("tokenized.86p"));
    const std::string demo = run("--table tokenized.86p -o demo.8xp");
    ASSERT_TRUE(demo.starts_with("0||")) << demo;
    EXPECT_EQ(count(demo, "tokenized.86p:1:16: warning: 'FnOff' is no TI-83 Plus command"), 1u)
        << demo;
    EXPECT_EQ(count(demo, "tokenized.86p:1:22: "), 1u) << demo;
    EXPECT_TRUE(demo.ends_with(" other warnings\n")) << demo;
    EXPECT_EQ(count(demo, "\nkalvo-convert: "), 1u) << demo;
    // TI-86 text into a .8xp with the rows: the same place for the same
    // finding as the text run gives.
    write("start.txt", ":Lbl START\r\n");
    const std::string start = run("--table -f ti86 start.txt --name S -o s.8xp");
    EXPECT_TRUE(start.starts_with("0||start.txt:1:2: " + kLabelStart)) << start;
    EXPECT_EQ(run("-q --table -f ti86 start.txt --name S -o s.8xp"), "0||");
}

TEST_F(ReportAndTranslate, TheTranslatorIsTheEngineOfCalculatorForms) {
    write("tokenized.86p", goldenCalcFile("tokenized.86p"));
    // 86p -> 8xp: translated unless --table says otherwise.
    const std::string translated = run("tokenized.86p -o A.8xp");
    ASSERT_TRUE(translated.starts_with("0||")) << translated;
    // ":AxesOff:ClDrw:FnOff:DispG": ClDrw at 10, DispG at 22.
    EXPECT_NE(translated.find("\ntokenized.86p:1:10: note: ClDrw is now ClrDraw\n"),
              std::string::npos)
        << translated;
    EXPECT_NE(translated.find("\ntokenized.86p:1:22: note: DispG is now DispGraph\n"),
              std::string::npos)
        << translated;
    EXPECT_EQ(run("--translate tokenized.86p -o B.8xp"), translated);
    EXPECT_EQ(read("A.8xp"), read("B.8xp"));
    ASSERT_TRUE(run("-q --table tokenized.86p -o C.8xp").starts_with("0||"));
    EXPECT_NE(read("A.8xp"), read("C.8xp"));
    // -q silences notes and warnings; the bytes stay.
    EXPECT_EQ(run("-q tokenized.86p -o D.8xp"), "0||");
    EXPECT_EQ(read("D.8xp"), read("A.8xp"));
    // 86p -> ti83p: the translated tokens' text.
    const std::string text = run("-q tokenized.86p -t ti83p");
    EXPECT_EQ(text, run("-q --translate tokenized.86p"));
    EXPECT_NE(text, run("-q --table tokenized.86p"));
    EXPECT_NE(text.find("DispGraph"), std::string::npos) << text;

    // ti86 -> 8xp: the notes' HELLO (ClrHome, Disp "HI") byte for byte.
    write("hello.txt", ":ClLCD\r\n:Disp \"HI\"\r\n");
    EXPECT_EQ(run("-f ti86 hello.txt --name HELLO -o hello.8xp"),
              "0||hello.txt:1:2: note: ClLCD is now ClrHome\n");
    EXPECT_EQ(read("hello.8xp"), goldenCalcFile("ti83p-hello.8xp"));
    // ti86 -> ti83p stays the window's rows unless --translate asks.
    EXPECT_EQ(run("hello.txt"), "0|:ClrHome\r\n:Disp \"HI\"\r\n|");
    EXPECT_EQ(run("--translate hello.txt"),
              "0|:ClrHome\r\n:Disp \"HI\"\r\n|hello.txt:1:2: note: ClLCD is now ClrHome\n");
    // A menu translated as text is titled after the input file's name.
    write("menu.txt", ":Menu(1,\"GO\",A)\r\n:Lbl A\r\n");
    EXPECT_EQ(run("-q --translate menu.txt"), "0|:Menu(\"MENU\",\"GO\",A)\r\n:Lbl A\r\n|");

    // Both engines at once, or one where nothing converts: usage errors.
    for (const char* args : {"--table --translate tokenized.86p -o x.8xp",
                             "--translate tokenized.86p -t ti86", "--translate hello.8xp"}) {
        const std::string refused = run(args);
        EXPECT_TRUE(refused.starts_with("2||kalvo-convert: ")) << args << ": " << refused;
    }
    EXPECT_FALSE(fs::exists(dir / "x.8xp"));
}

TEST_F(ReportAndTranslate, TheTargetChangesTheChecksNotTheFile) {
    // Column 20 fits the TI-84 Plus CE's 26, not the TI-83 Plus's 16.
    write("wide.txt", ":Outpt(1,20,\"HI\")\r\n");
    const std::string off = "wide.txt:1:10: warning: column 20 is off the ";
    const std::string noteLine = "wide.txt:1:2: note: Outpt is now Output\n";
    EXPECT_EQ(run("-f ti86 wide.txt --name WIDE -o A.8xp"),
              "0||" + noteLine + off + "TI-83 Plus home screen (columns 1-16)\n");
    EXPECT_EQ(run("-f ti86 wide.txt --name WIDE -o B.8xp --target ti83p"),
              run("-f ti86 wide.txt --name WIDE -o A.8xp"));
    EXPECT_EQ(run("-f ti86 wide.txt --name WIDE -o C.8xp --target ti84p"),
              "0||" + noteLine + off + "TI-84 Plus home screen (columns 1-16)\n");
    EXPECT_EQ(run("-f ti86 wide.txt --name WIDE -o D.8xp --target ti84pce"), "0||" + noteLine);
    EXPECT_EQ(read("A.8xp"), read("D.8xp"));
    // --all takes it too.
    copyGoldenGroup();
    EXPECT_TRUE(run("-q --all game.86g -o out --target ti84pce").starts_with("0||"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 2);
    // A model it does not know, twice, or where nothing is translated.
    for (const char* args : {"-f ti86 wide.txt -o E.8xp --target ti83",
                             "-f ti86 wide.txt -o E.8xp --target ti83p --target ti84pce",
                             "--list game.86g --target ti84p",
                             "game.86g --program GAME -t ti86 "
                             "--target ti84p"}) {
        const std::string refused = run(args);
        EXPECT_TRUE(refused.starts_with("2||kalvo-convert: ")) << args << ": " << refused;
    }
    EXPECT_FALSE(fs::exists(dir / "E.8xp"));
}

TEST_F(ReportAndTranslate, AllTranslatesTheGoldenGroupIntoOneFilePerProgram) {
    copyGoldenGroup();
    // The group file lists as the golden text, so it holds what it should.
    EXPECT_EQ(run("game.86g --program GAME -t ti86"),
              "0|" + goldenCalcFile("translate-GAME.ti86.txt") + "|");
    EXPECT_EQ(run("game.86g --program ROLL -t ti86"),
              "0|" + goldenCalcFile("translate-ROLL.ti86.txt") + "|");

    // The folder is made; the notes are the golden report's.
    EXPECT_EQ(run("--all game.86g -o out"), "0||" + reportFor("game.86g"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 2);
    for (const char* program : {"GAME", "ROLL"}) {
        const std::string name = program;
        SCOPED_TRACE(name);
        const std::string expected = goldenCalcFile("translate-" + name + ".83p.txt");
        const kalvo::calc::Ti83pFile file =
            kalvo::calc::readTi83pFile(read("out/" + name + ".8xp"));
        EXPECT_TRUE(file.readable());
        EXPECT_TRUE(file.diagnostics.empty());
        EXPECT_EQ(file.name, name);
        EXPECT_EQ(codes(file.tokens), codes(kalvo::calc::tokenizeTi83pText(expected).tokens));
        // Read back by kalvo-convert itself: the listing is the golden text.
        EXPECT_EQ(run("-f 8xp -t ti83p out/" + name + ".8xp"), "0|" + expected + "|");
    }
    // Again, quietly: the files are replaced, nothing left beside them.
    const std::string game = read("out/GAME.8xp");
    EXPECT_EQ(run("-q --all game.86g -o out/"), "0||");
    EXPECT_EQ(read("out/GAME.8xp"), game);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 2);
}

TEST_F(ReportAndTranslate, AllWritesEachFileAsCarefullyAsOutput) {
    copyGoldenGroup();
    write("plain.txt", "a file");
    EXPECT_EQ(run("-q --all game.86g -o plain.txt"),
              "1||kalvo-convert: plain.txt: " + std::generic_category().message(ENOTDIR) + "\n");
    EXPECT_EQ(run("-q --all game.86g -o no/such"),
              "1||kalvo-convert: no/such: " + std::generic_category().message(ENOENT) + "\n");
    EXPECT_FALSE(fs::exists(dir / "no"));
    // A read-only file in the folder is refused, as -o refuses it, and the
    // run stops there; --force replaces it and keeps its mode.
    fs::create_directory(dir / "out");
    write("out/GAME.8xp", "keep");
    ::chmod((dir / "out/GAME.8xp").c_str(), 0444);
    EXPECT_EQ(run("-q --all game.86g -o out"),
              "1||kalvo-convert: out/GAME.8xp: " + std::generic_category().message(EACCES) +
                  ": the file is read-only; --force replaces it\n");
    EXPECT_EQ(read("out/GAME.8xp"), "keep");
    EXPECT_EQ(run("-q --force --all game.86g -o out"), "0||");
    EXPECT_NE(read("out/GAME.8xp"), "keep");
    EXPECT_EQ(fs::status(dir / "out/GAME.8xp").permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // What --all does not go with.
    write("hello.txt", ":ClLCD\r\n");
    for (const char* args :
         {"--all game.86g", "--all game.86g -o -", "--all --program GAME game.86g -o o",
          "--all --name A game.86g -o o", "--all --table game.86g -o o", "--all --list game.86g",
          "--all -t ti83p game.86g -o o", "--all hello.txt -o o", "--all -f ti86 game.86g -o o"}) {
        const std::string refused = run(args);
        EXPECT_TRUE(refused.starts_with("2||kalvo-convert: ")) << args << ": " << refused;
    }
    EXPECT_FALSE(fs::exists(dir / "o"));
}
