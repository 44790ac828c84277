// SPDX-License-Identifier: GPL-3.0-or-later
// What kalvo-convert says to someone trying it for the first time: a
// calculator file named as text, an output that is read-only, an error
// among many notes, a pair it does not convert, a program renamed.

#include "../CalcFileBytes.h"
#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

class FirstContact : public ConvertCommand {
protected:
    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    static std::size_t lineCount(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(FirstContact, ACalculatorFileGivenAsTextIsRefusedInOneLine) {
    write("quad.86p", goldenCalcFile("tokenized.86p"));
    write("DICE.8xp", goldenCalcFile("ti83p-hello.8xp"));
    EXPECT_EQ(run("-f ti83p quad.86p -o Q.8xp"),
              "2||kalvo-convert: quad.86p is a TI-86 file (86p), not ti83p text; leave out -f "
              "ti83p and kalvo-convert reads it as a file\n");
    EXPECT_EQ(run("-f ti86 quad.86p"),
              "2||kalvo-convert: quad.86p is a TI-86 file (86p), not ti86 text; leave out -f ti86 "
              "and kalvo-convert reads it as a file\n");
    EXPECT_EQ(run("-f ti86", goldenCalcFile("ti83p-hello.8xp")),
              "2||kalvo-convert: standard input is a TI-83 Plus file (8xp), not ti86 text; leave "
              "out -f ti86 and kalvo-convert reads it as a file\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "Q.8xp"));
    // Without -f the same files convert.
    EXPECT_TRUE(run("-q quad.86p -o Q.8xp").starts_with("0||"));
    EXPECT_TRUE(run("DICE.8xp").starts_with("0|:ClrHome"));
}

TEST_F(FirstContact, AReadOnlyOutputNamesForceAndAFolderThatIsNotWritableDoesNot) {
    write("in.txt", ":ClLCD\r\n");
    write("out.txt", "keep");
    ::chmod((dir / "out.txt").c_str(), 0444);
    const std::string refused = run("-q in.txt -o out.txt");
    EXPECT_TRUE(refused.starts_with("1||kalvo-convert: out.txt: ")) << refused;
    EXPECT_TRUE(contains(refused, "read-only; --force replaces it")) << refused;
    EXPECT_EQ(lineCount(refused), 1u);
    EXPECT_EQ(read("out.txt"), "keep");
    if (::geteuid() != 0) { // the superuser writes into any folder
        std::filesystem::create_directory(dir / "shut");
        ::chmod((dir / "shut").c_str(), 0555);
        const std::string shut = run("-q in.txt -o shut/new.txt");
        ::chmod((dir / "shut").c_str(), 0755);
        EXPECT_TRUE(shut.starts_with("1||kalvo-convert: shut/new.txt: ")) << shut;
        EXPECT_FALSE(contains(shut, "--force")) << shut;
    }
}

// An error (a program too long for a .8xp) comes after every note and
// warning, and the last line says it again where it is seen.
TEST_F(FirstContact, ErrorsComeLastAndAreSaidAgainAfterTheNotes) {
    write("over.txt", ":MONEY\r\n" + std::string(65517, '1'));
    const std::string result = run("-f ti83p over.txt -o over.8xp");
    ASSERT_TRUE(result.starts_with("1||")) << result;
    const std::string err = result.substr(3);
    const std::size_t firstError = err.find(": error: ");
    ASSERT_NE(firstError, std::string::npos) << err;
    EXPECT_NE(err.find(": note: program over is now OVER"), std::string::npos) << err;
    EXPECT_LT(err.find("over.txt:1:2: warning: "), firstError) << err; // MONEY, letter by letter
    EXPECT_EQ(err.find(": note: ", firstError), std::string::npos) << err;
    EXPECT_EQ(err.find(": warning: ", firstError), std::string::npos) << err;
    const std::size_t errorLine = err.rfind('\n', firstError) + 1;
    const std::string error = err.substr(errorLine, err.find('\n', firstError) + 1 - errorLine);
    EXPECT_TRUE(err.ends_with(error + "kalvo-convert: " + error)) << err;
    EXPECT_FALSE(std::filesystem::exists(dir / "over.8xp"));
    // With nothing before it, an error is not said twice.
    const std::string alone = run("-f ti83p over.txt --name OVER -q -o over.8xp");
    EXPECT_EQ(lineCount(alone), 1u) << alone;
}

TEST_F(FirstContact, APairItDoesNotConvertNamesThoseItDoes) {
    write("DICE.8xp", goldenCalcFile("ti83p-hello.8xp"));
    const std::string result = run("DICE.8xp -o DICE3.8xp");
    EXPECT_TRUE(result.starts_with("2||kalvo-convert: there is no conversion from 8xp to 8xp; 8xp "
                                   "converts to ti83p (-t FORMAT; --help lists every pair)\n"))
        << result;
    EXPECT_FALSE(contains(result, "kalvo-convert: kalvo-convert"));
    write("t.txt", ":Disp 1\r\n");
    EXPECT_TRUE(contains(run("-f ti83p t.txt -t ti86"), "ti83p converts to 8xp ("));
}

// The same renaming says the same thing whether one program or all are
// converted.
TEST_F(FirstContact, AProgramRenamedIsTheSameNoteEverywhere) {
    write("group.86g", goldenCalcFile("group.86g"));
    const std::string one = run("group.86g --program @2 -o g.8xp");
    const std::string all = run("--all group.86g -o out");
    const std::string note = "note: program Δθé is now θ (a TI-83 Plus program name is 1 to 8 of "
                             "A-Z, 0-9 and θ, the first not a digit)\n";
    EXPECT_TRUE(contains(one, "group.86g(Δθé): " + note)) << one;
    EXPECT_TRUE(contains(all, "group.86g(Δθé): " + note)) << all;
}

} // namespace
