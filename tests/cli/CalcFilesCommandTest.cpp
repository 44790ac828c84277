// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert on calculator files: every pair of formats it converts,
// how it finds formats, which program of a file it takes, what it says about
// damaged files, and the .8xp files it writes, read back by the core's own
// .8xp reader. Expected bytes come from the golden files, made by hand, or
// are worked out here from the file layouts.

#include "../CalcFileBytes.h"
#include "CommandFixture.h"

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A TI-86 file holding one entry of type `type`, with a good checksum.
std::string ti86FileWith(char type, const std::string& paddedName, std::size_t nameLength,
                         const std::string& data) {
    const std::string entry = le16(4 + paddedName.size()) + le16(data.size()) + type +
                              static_cast<char>(nameLength) + paddedName + le16(data.size()) + data;
    unsigned sum = 0;
    for (const char c : entry)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entry.size()) + entry + le16(sum & 0xFFFF);
}

class CalcFiles : public ConvertCommand {
protected:
    void copyGolden(const std::string& name, const std::string& as = "") {
        write(as.empty() ? name : as, goldenCalcFile(name));
    }
    // Lines of a command's stderr (the part after the second "|").
    static std::vector<std::string> errLines(const std::string& result) {
        std::vector<std::string> lines;
        std::istringstream err(result.substr(result.find('|', result.find('|') + 1) + 1));
        for (std::string line; std::getline(err, line);)
            lines.push_back(line);
        return lines;
    }
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

// The group's second program, "A1": If A==1 / Disp A. The 81 rows make ==
// into =; the TI-83 Plus tokens are If␠ CE, A 41, = 6A, 1 31, newline 3F,
// Disp␠ DE, A 41. Entry: 0D 00, 09 00, 05, "A1" padded to 8, version 00,
// flag 00, 09 00, 07 00, the 7 tokens: 26 bytes (1A), summing to 0x03A5.
const std::string kA1Converted = ":If A=1\r\n:Disp A\r\n";
const std::string kA18xp = std::string("**TI83F*\x1A\x0A\x00", 11) + "Kalvo" +
                           std::string(37, '\0') + std::string("\x1A\x00", 2) +
                           std::string("\x0D\x00\x09\x00\x05"
                                       "A1\x00\x00\x00\x00\x00\x00\x00\x00\x09\x00\x07\x00",
                                       19) +
                           "\xCE\x41\x6A\x31\x3F\xDE\x41" + std::string("\xA5\x03", 2);

} // namespace

TEST_F(CalcFiles, EveryPairOfTheTable) {
    copyGolden("tokenized.86p");
    copyGolden("group.86g");
    copyGolden("ti83p-hello.83p.txt");
    copyGolden("ti83p-score.8xp");
    // 86p -> ti86: the listing as it is; ti86 -> ti83p is the tests of the
    // other file.
    EXPECT_EQ(run("tokenized.86p -t ti86"), "0|" + goldenCalcFile("tokenized.ti86.txt") + "|");
    // 86p -> ti83p: the listing through the rows.
    EXPECT_EQ(run("--table group.86g --program A1"), "0|" + kA1Converted + "|");
    // 86p -> 8xp.
    EXPECT_EQ(run("--table group.86g --program A1 -o A1.8xp"), "0||");
    EXPECT_EQ(read("A1.8xp"), kA18xp);
    // ti86 -> 8xp: ClLCD becomes ClrHome, and the notes' HELLO comes out,
    // named after the output file.
    write("hello.txt", ":ClLCD\r\n:Disp \"HI\"\r\n");
    const std::string named = run("--table -f ti86 hello.txt -o hello.8xp");
    EXPECT_EQ(named, "0||hello.8xp: note: program hello is now HELLO (a TI-83 Plus program name "
                     "is 1 to 8 of A-Z, 0-9 and θ, the first not a digit)\n");
    EXPECT_EQ(read("hello.8xp"), goldenCalcFile("ti83p-hello.8xp"));
    // ti83p -> 8xp: the notes' example byte for byte, from a file and from
    // standard input.
    EXPECT_EQ(run("-f ti83p ti83p-hello.83p.txt --name HELLO -o HELLO.8xp"), "0||");
    EXPECT_EQ(read("HELLO.8xp"), goldenCalcFile("ti83p-hello.8xp"));
    EXPECT_EQ(run("-f ti83p -t 8xp --name HELLO", goldenCalcFile("ti83p-hello.83p.txt")),
              "0|" + goldenCalcFile("ti83p-hello.8xp") + "|");
    // 8xp -> ti83p, found by content.
    EXPECT_EQ(run("ti83p-score.8xp"), "0|" + goldenCalcFile("ti83p-score.83p.txt") + "|");
}

TEST_F(CalcFiles, AConvertedTi86FileReadsBackAsATi83PlusProgram) {
    copyGolden("tokenized.86p");
    copyGolden("locked.86p");
    const std::string result = run("--table tokenized.86p -o demo.8xp");
    ASSERT_TRUE(result.starts_with("0||")) << result;
    // The name changes, and FnOff (the TI-83 Plus spells FnOff with a space)
    // is spelled letter by letter; the tokenizer's finding is placed at
    // column 16 of the TI-86 line ":AxesOff:ClDrw:FnOff".
    const std::vector<std::string> lines = errLines(result);
    ASSERT_GE(lines.size(), 2u) << result;
    EXPECT_TRUE(lines[0].starts_with("tokenized.86p: note: program Demo is now DEMO ("))
        << lines[0];
    EXPECT_TRUE(contains(result, "\ntokenized.86p:1:16: warning: ")) << result;
    const kalvo::calc::Ti83pFile back = kalvo::calc::readTi83pFile(read("demo.8xp"));
    EXPECT_TRUE(back.readable());
    EXPECT_TRUE(back.diagnostics.empty());
    EXPECT_EQ(back.name, "DEMO");
    EXPECT_EQ(back.type, 0x05);
    // AxesOff and ClrDraw are TI-83 Plus commands, the colons 3E.
    EXPECT_TRUE(kalvo::calc::listTi83pTokens(back.tokens).text.starts_with(":AxesOff:ClrDraw:"));

    // An edit-locked TI-86 program becomes a program anyone may edit: ClLCD
    // (ClrHome E1), Disp "OK" (DE 2A 4F 4B 2A), ...
    ASSERT_TRUE(run("--table locked.86p -q -o lock.8xp").starts_with("0||"));
    const kalvo::calc::Ti83pFile lock = kalvo::calc::readTi83pFile(read("lock.8xp"));
    EXPECT_TRUE(lock.readable());
    EXPECT_EQ(lock.name, "LOCK");
    EXPECT_EQ(lock.type, 0x05);
    const std::vector<std::uint16_t> start = {0xE1, 0x3F, 0xDE, 0x2A, 0x4F, 0x4B, 0x2A, 0x3F};
    ASSERT_GE(lock.tokens.size(), start.size());
    for (std::size_t i = 0; i < start.size(); ++i)
        EXPECT_EQ(lock.tokens[i].code, start[i]) << i;
    // ... and its unknown TI-86 code 3D 50, listed \x3D\x50, stays those
    // characters (\ BBD7, x BBC8, 3 33, D 44, 5 35, 0 30) rather than
    // becoming the TI-83 Plus bytes 3D (xor) and 50 (P).
    const std::vector<std::uint16_t> end = {0xBBD7, 0xBBC8, 0x33, 0x44, 0xBBD7, 0xBBC8, 0x35, 0x30};
    ASSERT_GE(lock.tokens.size(), end.size());
    for (std::size_t i = 0; i < end.size(); ++i)
        EXPECT_EQ(lock.tokens[lock.tokens.size() - end.size() + i].code, end[i]) << i;
    // The same for TI-86 text; a backslash written \\ stays one backslash.
    write("esc.txt", ":\\x3D\\\\\r\n");
    ASSERT_TRUE(run("--table -f ti86 esc.txt -q --name E -o esc.8xp").starts_with("0||"));
    const kalvo::calc::Ti83pFile esc = kalvo::calc::readTi83pFile(read("esc.8xp"));
    const std::vector<std::uint16_t> escaped = {0xBBD7, 0xBBC8, 0x33, 0x44, 0xBBD7};
    ASSERT_EQ(esc.tokens.size(), escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i)
        EXPECT_EQ(esc.tokens[i].code, escaped[i]) << i;
}

TEST_F(CalcFiles, FormatsFoundByContentAndByExtension) {
    copyGolden("group.86g", "group.txt"); // the content counts, not the name
    EXPECT_EQ(run("--table group.txt --program @1"), "0|" + kA1Converted + "|");
    EXPECT_EQ(run("--table --program A1", goldenCalcFile("group.86g")), "0|" + kA1Converted + "|");
    EXPECT_EQ(run("--table group.txt --program A1 -o OUT.8XP"), "0||"); // any case
    EXPECT_EQ(read("OUT.8XP"), kA18xp);
    EXPECT_EQ(run("--table group.txt --program A1 -o out.8xp.txt"), "0||"); // the last extension
    EXPECT_EQ(read("out.8xp.txt"), kA1Converted);
    // -f overrides the content: the file's bytes read as TI-86 text.
    write("odd.txt", "**TI86**:ClLCD");
    EXPECT_EQ(run("-q -f ti86 odd.txt"), "0|**TI86**:ClrHome|");
    // No TI-86 file is written, by extension or by -t.
    for (const char* args : {"group.txt -o x.86p", "group.txt -o X.86G", "group.txt -t 86p"}) {
        const std::string result = run(args);
        EXPECT_TRUE(result.starts_with("2||kalvo-convert: Kalvo writes no TI-86 files"))
            << args << ": " << result;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.86p"));
}

TEST_F(CalcFiles, TextIntoAn8xpFileNeedsToSayWhichText) {
    write("game.txt", ":ClLCD\r\n");
    const std::string result = run("game.txt -o game.8xp");
    EXPECT_TRUE(result.starts_with("2||kalvo-convert: text into an 8xp file needs -f")) << result;
    EXPECT_TRUE(contains(result, "-f ti86 ")) << result;
    EXPECT_TRUE(contains(result, "-f ti83p ")) << result;
    EXPECT_FALSE(std::filesystem::exists(dir / "game.8xp"));
    // Pairs outside the table, and --table or --translate where nothing is
    // converted.
    copyGolden("ti83p-hello.8xp");
    copyGolden("tokenized.86p");
    for (const char* args :
         {"ti83p-hello.8xp -o again.8xp", "-f ti83p game.txt", "game.txt -t ti86",
          "ti83p-hello.8xp -t ti86", "--table tokenized.86p -t ti86",
          "--table -f ti83p --name A game.txt -o a.8xp", "--table ti83p-hello.8xp",
          "--translate tokenized.86p -t ti86", "--translate ti83p-hello.8xp",
          "--translate -f ti83p --name A game.txt -o a.8xp"}) {
        const std::string refused = run(args);
        EXPECT_TRUE(refused.starts_with("2||kalvo-convert: ")) << args << ": " << refused;
        EXPECT_TRUE(contains(refused, "\nUsage: kalvo-convert")) << args;
    }
    // Text into text keeps the rows whether asked or not.
    EXPECT_EQ(run("--table game.txt"), "0|:ClrHome\r\n|");
    EXPECT_EQ(run("game.txt"), "0|:ClrHome\r\n|");
}

TEST_F(CalcFiles, ListingAndPickingPrograms) {
    copyGolden("group.86g");
    copyGolden("ti83p-score.8xp");
    // In the file's order, in UTF-8; the picture is no program.
    EXPECT_EQ(run("--list group.86g"), "0|A1\nΔθé\n|");
    EXPECT_EQ(run("--list ti83p-score.8xp"), "0|SCORE\n|");
    EXPECT_EQ(run("--list -", goldenCalcFile("group.86g")), "0|A1\nΔθé\n|");
    // By name, with the calculator's glyphs, or by number.
    for (const char* pick : {"Δθé", "@2"})
        EXPECT_EQ(run(std::string("group.86g -t ti86 --program ") + pick),
                  "0|" + goldenCalcFile("group-3.ti86.txt") + "|")
            << pick;
    EXPECT_EQ(run("ti83p-score.8xp --program SCORE"), run("ti83p-score.8xp"));
    EXPECT_EQ(run("ti83p-score.8xp --program @1"), run("ti83p-score.8xp"));

    // Several programs and none picked: the names, and a usage status.
    const std::string several = run("group.86g");
    EXPECT_TRUE(several.starts_with("2||kalvo-convert: group.86g holds 2 programs; pick one"))
        << several;
    EXPECT_TRUE(contains(several, "@1  A1\n") && contains(several, "@2  Δθé\n")) << several;
    // A name that is no program says what it is; a missing one, what there is.
    EXPECT_EQ(run("group.86g --program Pic1"),
              "1||kalvo-convert: group.86g: 'Pic1' is a picture, not a program\n");
    const std::string missing = run("group.86g --program @3");
    EXPECT_TRUE(missing.starts_with("1||kalvo-convert: group.86g: there is no program @3"))
        << missing;
    EXPECT_TRUE(run("ti83p-score.8xp --program GAME").starts_with("1||")) << "one program only";
    // Options that make no sense with a listing or with text.
    write("t.txt", ":ClLCD");
    for (const char* args : {"--list t.txt", "--list -f ti86 group.86g", "--program A1 t.txt",
                             "--list group.86g -o l.txt", "--list --program A1 group.86g",
                             "--program @0 group.86g", "--program @x group.86g"}) {
        const std::string refused = run(args);
        EXPECT_TRUE(refused.starts_with("2||kalvo-convert: ")) << args << ": " << refused;
    }
}

TEST_F(CalcFiles, AssemblyAndFilesWithNothingToConvert) {
    // 8E 27: an assembly program, C9 its "ret".
    write("asm.86p",
          ti86FileWith('\x12', std::string("Asm\0\0\0\0\0", 8), 3, le16(3) + "\x8E\x27\xC9"));
    const std::string result = run("asm.86p -o asm.8xp");
    EXPECT_TRUE(result.starts_with("1||asm.86p: error: offset 0x4B: program Asm is an assembly "
                                   "program"))
        << result;
    EXPECT_EQ(errLines(result).size(), 1u) << result;
    EXPECT_FALSE(std::filesystem::exists(dir / "asm.8xp"));
    // A picture alone, and a file that is no TI-86 file at all.
    write("pic.86p", ti86FileWith('\x11', "Pic1", 4, std::string("\x02\x00\xAA\x55", 4)));
    EXPECT_EQ(run("pic.86p"), "1||kalvo-convert: pic.86p: the file holds no program\n");
    write("junk.86p", "not a calculator file");
    EXPECT_EQ(run("-f 86p junk.86p -t ti86"),
              "1||junk.86p: error: offset 0x00: not a TI-86 file: it does not begin with "
              "**TI86**\n");
}

TEST_F(CalcFiles, DamagedFilesWarnWithOffsetsAndStillConvert) {
    copyGolden("damaged.86p");
    // The file's faults: header bytes at 08, the length at 35, the checksum
    // at 57 (after 32 bytes of entries).
    const std::string containerFaults =
        "damaged.86p: warning: offset 0x08: the header holds 1A 0D 00 where 1A 0A 00 belongs "
        "(damage from a text-mode transfer); read as 1A 0A 00\n"
        "damaged.86p: warning: offset 0x35: ";
    const std::string ok = run("damaged.86p --program Ok -t ti86");
    EXPECT_TRUE(
        ok.starts_with("0|" + goldenCalcFile("damaged-Ok.ti86.txt") + "|" + containerFaults))
        << ok;
    const std::vector<std::string> lines = errLines(ok);
    ASSERT_EQ(lines.size(), 3u) << ok;
    EXPECT_TRUE(lines[2].starts_with("damaged.86p: warning: offset 0x57: bad checksum")) << ok;
    // A fault inside a program of a group names the program and its line.
    const std::string two = run("damaged.86p --program Two -t ti86");
    EXPECT_TRUE(two.starts_with("0|" + goldenCalcFile("damaged-Two.ti86.txt") + "|")) << two;
    EXPECT_TRUE(contains(two, "\ndamaged.86p(Two):1:")) << two;
    // -q keeps the results and drops the warnings; from standard input the
    // file is "-".
    EXPECT_EQ(run("-q damaged.86p --program Ok -t ti86"),
              "0|" + goldenCalcFile("damaged-Ok.ti86.txt") + "|");
    EXPECT_TRUE(run("--program Ok -t ti86", goldenCalcFile("damaged.86p"))
                    .starts_with("0|" + goldenCalcFile("damaged-Ok.ti86.txt") +
                                 "|-: warning: offset 0x08: "));
    // A .8xp with a bad checksum (the last two bytes, at 0x51) lists all the same.
    std::string hello = goldenCalcFile("ti83p-hello.8xp");
    hello.replace(0x51, 2, std::string(2, '\0'));
    write("hello.8xp", hello);
    EXPECT_EQ(run("hello.8xp"), "0|" + goldenCalcFile("ti83p-hello.83p.txt") +
                                    "|hello.8xp: warning: offset 0x51: the checksum is 0000, but "
                                    "the data adds up to 0482\n");
    // Text that is no TI-83 Plus command warns at its line and column: the
    // euro sign (80) of line 2 has no token and becomes ?.
    write("euro.txt", ":Disp 1\r\n:1\x80\r\n");
    EXPECT_EQ(run("-f ti83p euro.txt --name EURO -o euro.8xp").substr(0, 18), "0||euro.txt:2:3: w");
    EXPECT_TRUE(std::filesystem::exists(dir / "euro.8xp"));
}

TEST_F(CalcFiles, ProgramNames) {
    write("p.txt", ":Disp 1\r\n");
    // Valid names pass, θ typed as the calculator shows it (stored as 5B).
    EXPECT_EQ(run("-f ti83p p.txt --name θ1 -o a.8xp"), "0||");
    EXPECT_EQ(read("a.8xp").substr(0x3C, 8), std::string("\x5B\x31\0\0\0\0\0\0", 8));
    EXPECT_EQ(run("-f ti83p p.txt --name ABCDEFGH -o b.8xp"), "0||");
    // The rules, each refused with the reason.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"game", "'g' cannot be in it"}, // and GAME would do
        {"ABCDEFGHI", "more than 8 characters"}, {"1A", "does not begin with a letter or theta"},
        {"A-B", "'-' cannot be in it"},          {"''", "it is empty"},
    };
    for (const auto& [name, why] : refused) {
        const std::string result = run("-f ti83p p.txt -o c.8xp --name " + name);
        EXPECT_TRUE(result.starts_with("2||kalvo-convert: --name: ")) << name << ": " << result;
        EXPECT_TRUE(contains(result, why)) << name << ": " << result;
    }
    EXPECT_TRUE(contains(run("-f ti83p p.txt -o c.8xp --name game"), "(GAME would do)"));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.8xp"));
    // Only an 8xp output has a program name.
    EXPECT_TRUE(run("p.txt --name GAME").starts_with("2||kalvo-convert: --name names"));
    // From the output's name: made valid with a warning, or refused when
    // nothing is left of it; standard output has no name at all.
    EXPECT_EQ(run("-f ti83p p.txt -o my-game_2.8xp"),
              "0||my-game_2.8xp: note: program my-game_2 is now MYGAME2 (a TI-83 Plus program "
              "name is 1 to 8 of A-Z, 0-9 and θ, the first not a digit)\n");
    EXPECT_EQ(read("my-game_2.8xp").substr(0x3C, 8), std::string("MYGAME2\0", 8));
    EXPECT_TRUE(run("-f ti83p p.txt -o é.8xp")
                    .starts_with("2||kalvo-convert: no program name can be made of 'é' (a TI-83 "
                                 "Plus program name is 1 to 8 of A-Z, 0-9 and θ, the first not a "
                                 "digit); give one with --name\nUsage: "));
    for (const char* args : {"-f ti83p p.txt -o 123.8xp", "-f ti83p p.txt -t 8xp"}) {
        const std::string result = run(args);
        EXPECT_TRUE(result.starts_with("2||kalvo-convert: no program name can be made"))
            << args << ": " << result;
        EXPECT_TRUE(contains(result, "give one with --name")) << args;
    }
    // A TI-86 name the TI-83 Plus cannot spell: Δθé keeps only θ.
    copyGolden("group.86g");
    EXPECT_EQ(run("group.86g --program @2 -o g.8xp"),
              "0||group.86g(Δθé): note: program Δθé is now θ (a TI-83 Plus program name is 1 to "
              "8 of A-Z, 0-9 and θ, the first not a digit)\n");
    EXPECT_EQ(read("g.8xp").substr(0x3C, 8), std::string("\x5B\0\0\0\0\0\0\0", 8));
}

// A .8xp holds 65535 bytes of data, 19 of them around the tokens; the
// calculator has about 24000 bytes free. Digits are one token byte each.
TEST_F(CalcFiles, ProgramsTooLargeForA8xpFile) {
    write("most.txt", std::string(65516, '1'));
    EXPECT_EQ(run("-f ti83p most.txt -o most.8xp"),
              "0||most.8xp: note: program most is now MOST (a TI-83 Plus program name is 1 to 8 "
              "of A-Z, 0-9 and θ, the first not a digit)\n"
              "most.txt: warning: the program has 65516 token bytes, more than the about 24000 "
              "bytes a TI-83 Plus has free\n");
    EXPECT_EQ(read("most.8xp").size(), 57u + 65535u);
    write("over.txt", std::string(65517, '1'));
    EXPECT_EQ(run("-f ti83p over.txt --name OVER -o over.8xp"),
              "1||over.txt: error: the program has 65517 token bytes; a .8xp file holds at most "
              "65516\n");
    // Far too much text is refused before it is tokenized.
    write("huge.txt", std::string(std::size_t{2} << 20 | 1, '1'));
    EXPECT_EQ(run("-f ti83p huge.txt --name HUGE -o huge.8xp"),
              "1||kalvo-convert: huge.txt: 2097153 bytes of text are far more than a TI-83 Plus "
              "program holds (65533 token bytes)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "over.8xp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "huge.8xp"));
}

TEST_F(CalcFiles, WritingAn8xpFollowsTheFileRules) {
    copyGolden("ti83p-hello.83p.txt", "h.txt");
    write("old.8xp", "old");
    std::filesystem::permissions(dir / "old.8xp", std::filesystem::perms::owner_read);
    EXPECT_TRUE(run("-f ti83p h.txt --name HELLO -o old.8xp").starts_with("1||")) << "read-only";
    EXPECT_EQ(read("old.8xp"), "old");
    EXPECT_EQ(run("-f ti83p h.txt --name HELLO -o old.8xp --force"), "0||");
    EXPECT_EQ(read("old.8xp"), goldenCalcFile("ti83p-hello.8xp"));
    EXPECT_EQ(std::filesystem::status(dir / "old.8xp").permissions(),
              std::filesystem::perms::owner_read);
    // A descriptor is written through as it stands.
    EXPECT_EQ(run("-f ti83p h.txt --name HELLO -t 8xp -o /dev/stdout"),
              "0|" + goldenCalcFile("ti83p-hello.8xp") + "|");
    EXPECT_EQ(entries(), 2); // no temporary left
}
