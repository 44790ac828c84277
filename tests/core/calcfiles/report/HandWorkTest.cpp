// SPDX-License-Identifier: GPL-3.0-or-later
// What is left to do by hand: for each kind of finding a program that has it
// and one that looks like it but does not, with the lines expected worked out
// by hand (columns count bytes of the text, its ":" included); the summary,
// the merge and the printed form; a hand-built golden program.
#include "calcfiles/report/HandWork.h"
#include "../../../CalcFileBytes.h"
#include "calcfiles/diagnostics/DiagnosticPrinter.h"
#include "calcfiles/ti86/Ti86Listing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;
using Lines = std::vector<std::string>;

// The printed line of a finding, without its line break.
std::string formatFinding(std::string_view where, const Diagnostic& d) {
    std::string line = diagnosticLine(where, d);
    line.pop_back();
    return line;
}

Lines report(const std::string& text) {
    Lines out;
    for (const Diagnostic& d : findHandWork(text).findings)
        out.push_back(formatFinding("P", d));
    return out;
}

std::string at(int line, int column, const std::string& message) {
    return "P:" + std::to_string(line) + ":" + std::to_string(column) + ": warning: " + message;
}

const std::string kLabelTail =
    "; the TI-83 Plus takes one or two of A-Z, 0-9, θ: rename it at its Lbl and every Goto and "
    "Menu( that names it";

std::string longLabel(const std::string& name) {
    return "label " + name + " is longer than two characters" + kLabelTail;
}

std::string oddLabel(const std::string& name) {
    return "label " + name + " has characters the TI-83 Plus does not take" + kLabelTail;
}

std::string longName(const std::string& name, const std::string& read) {
    return "name " + name + " has more than one character: the TI-83 Plus reads it as " + read +
           "; rename it to one of A-Z, θ everywhere";
}

std::string none(const std::string& name) {
    return name + " has no TI-83 Plus counterpart";
}

const std::string kMenu = "Menu( in the TI-86 form: the TI-83 Plus writes "
                          "Menu(\"TITLE\",\"text\",label,...); put a title first and delete the "
                          "number before each choice";

std::string keyCode(const std::string& code) {
    return "key code " + code +
           " is a TI-86 key; the TI-83 Plus numbers its keys differently: use its code for the "
           "same key";
}

TEST(HandWorkLabels, LongLabelAtItsLblAndEveryLineThatUsesIt) {
    EXPECT_EQ(report(":Lbl START\n:Disp 1\n:Goto START\n:Goto START\n"),
              (Lines{at(1, 2, longLabel("START")), at(3, 2, longLabel("START")),
                     at(4, 2, longLabel("START"))}));
    // A Goto to a label that is not in the program still names the label.
    EXPECT_EQ(report(":Goto LOOP\n"), Lines{at(1, 2, longLabel("LOOP"))});
    // A Menu( choice goes to its label too.
    EXPECT_EQ(
        report(":Menu(1,\"GO\",START)\n:Lbl START\n"),
        (Lines{at(1, 2, kMenu), at(1, 14, longLabel("START")), at(2, 2, longLabel("START"))}));
}

TEST(HandWorkLabels, CharactersTheTi83PlusDoesNotTake) {
    EXPECT_EQ(report(":Lbl a\n:Goto a\n"),
              (Lines{at(1, 2, oddLabel("a")), at(2, 2, oddLabel("a"))}));
    EXPECT_EQ(report(":Lbl st\n"),
              Lines{at(1, 2, "label st has characters the TI-83 Plus does not take" + kLabelTail)});
    EXPECT_EQ(report(":Lbl start\n"),
              Lines{at(1, 2,
                       "label start is longer than two characters and has characters the TI-83 "
                       "Plus does not take" +
                           kLabelTail)});
    // A Lbl or Goto without a name: the TI-83 Plus takes none either.
    EXPECT_EQ(report(":Lbl \n:Goto \n"), (Lines{at(1, 2, "label \"\" is empty" + kLabelTail),
                                                at(2, 2, "label \"\" is empty" + kLabelTail)}));
}

TEST(HandWorkLabels, TwoCharactersOfTheRightKindAreFine) {
    // θ is "\xC1" in the text.
    EXPECT_EQ(report(":Lbl AB\n:Goto AB\n:Lbl \xC1"
                     "9\n:Goto \xC1"
                     "9\n:Lbl 1\n:Goto 1\n:Menu(\"T\",\"GO\",AB)\n"),
              Lines{});
}

TEST(HandWorkNames, LongNamesAtEveryUse) {
    EXPECT_EQ(report(":5\xFCMONEY\n:Disp MONEY\n"),
              (Lines{at(1, 4, longName("MONEY", "M·O·N·E·Y")),
                     at(2, 7, longName("MONEY", "M·O·N·E·Y"))}));
    EXPECT_EQ(report(":For(I2,1,3)\n"), Lines{at(1, 6, longName("I2", "I·2"))});
}

TEST(HandWorkNames, LowercaseNames) {
    EXPECT_EQ(report(":For(x,1,5)\n:y+1\xFCy\n"),
              (Lines{at(1, 6, "x is the TI-86's lowercase x: the TI-83 Plus writes X"),
                     at(2, 2, "y is the TI-86's lowercase y: the TI-83 Plus writes Y"),
                     at(2, 6, "y is the TI-86's lowercase y: the TI-83 Plus writes Y")}));
    EXPECT_EQ(report(":3\xFCm\n"),
              Lines{at(1, 4,
                       "name m is no TI-83 Plus variable: rename it to one of A-Z, θ "
                       "everywhere")});
}

TEST(HandWorkNames, OneCapitalLetterOrThetaIsFine) {
    EXPECT_EQ(report(":5\xFCM\n:Disp M,X,\xC1\n:A\n"), Lines{});
}

// Names the TI-83 Plus has as built-in variables of its own: lists, strings,
// pictures and graph databases keep working under the same name.
TEST(HandWorkNames, Ti83PlusBuiltInNamesAreFine) {
    EXPECT_EQ(report(":{1,2}\xFCL1\n:\"HI\"\xFCStr0\n:StPic Pic9\n:StGDB GDB1\n:Disp L6,Str9\n"),
              Lines{});
    EXPECT_EQ(report(":{1,2}\xFCL7\n:\"HI\"\xFCStr10\n"),
              (Lines{at(1, 8, longName("L7", "L·7")), at(2, 7, longName("Str10", "S·t·r·1·0"))}));
}

TEST(HandWorkNames, NameAloneInAStatementCallsAProgram) {
    EXPECT_EQ(report(":If A\n:SUB\n:If B:DRAW:End\n"),
              (Lines{at(2, 2,
                        "SUB alone in a statement calls a program: the TI-83 Plus writes "
                        "prgmSUB"),
                     at(3, 7,
                        "DRAW alone in a statement calls a program: the TI-83 Plus "
                        "writes prgmDRAW")}));
    EXPECT_EQ(report(":game\n"),
              Lines{at(1, 2,
                       "game alone in a statement calls a program: the TI-83 Plus writes "
                       "prgm before a name of A-Z, 0-9, θ")});
    // In an expression it is a variable.
    EXPECT_EQ(report(":SUB+1\xFCSUB\n"),
              (Lines{at(1, 2, longName("SUB", "S·U·B")), at(1, 8, longName("SUB", "S·U·B"))}));
}

// Choices that are more than a token between commas, a trailing comma, no
// ")": each target is still found where it is.
TEST(HandWorkMenus, TargetsAmongOtherArgumentShapes) {
    EXPECT_EQ(
        report(":Menu(1,\"A\"+\"B\",LONG,2,\"Q\",C)\n:Menu(1,\"A\",LONGER,\n"
               ":Menu(1,\"A\",LONGEST\n"),
        (Lines{at(1, 2, kMenu), at(1, 17, longLabel("LONG")), at(2, 2, kMenu),
               at(2, 13, longLabel("LONGER")), at(3, 2, kMenu), at(3, 13, longLabel("LONGEST"))}));
}

TEST(HandWorkMenus, Ti86FormAndTooManyChoices) {
    EXPECT_EQ(report(":Menu(1,\"PLAY\",PL,2,\"QUIT\",QU)\n"), Lines{at(1, 2, kMenu)});
    const std::string eight = ":Menu(1,\"A\",A,2,\"B\",B,3,\"C\",C,4,\"D\",D,5,\"E\",E,6,\"F\",F,7,"
                              "\"G\",G,8,\"H\",H)\n";
    EXPECT_EQ(report(eight),
              Lines{at(1, 2, kMenu + "; it has 8 choices and the TI-83 Plus shows at most 7")});
    EXPECT_EQ(
        report(":Menu(\"T\",\"A\",A,\"B\",B,\"C\",C,\"D\",D,\"E\",E,\"F\",F,\"G\",G,\"H\",H)\n"),
        Lines{at(1, 2, "Menu( has 8 choices; the TI-83 Plus shows at most 7")});
}

TEST(HandWorkMenus, Ti83PlusFormWithSevenChoicesIsFine) {
    EXPECT_EQ(report(":Menu(\"GAME\",\"PLAY\",PL,\"QUIT\",QU)\n"), Lines{});
    EXPECT_EQ(report(":Menu(\"T\",\"A\",A,\"B\",B,\"C\",C,\"D\",D,\"E\",E,\"F\",F,\"G\",G)\n"),
              Lines{});
}

TEST(HandWorkDelVar, ParenthesisLeftAfterTheName) {
    const std::string message =
        "DelVar( becomes \"DelVar \" and leaves the \")\" after the name: delete it";
    EXPECT_EQ(report(":DelVar(A)\n:If 1:DelVar(B)\n"),
              (Lines{at(1, 2, message), at(2, 7, message)}));
    EXPECT_EQ(report(":DelVar A\n"), Lines{});
}

TEST(HandWorkCommands, NoCounterpartByName) {
    EXPECT_EQ(report(":Bin\n:Disp 3*k\n:cross(A,B)\xFC"
                     "C\n"),
              (Lines{at(1, 2, none("Bin")),
                     at(2, 9,
                        "the physical constant k has no TI-83 Plus counterpart: write its "
                        "value"),
                     at(3, 2, none("cross"))}));
    EXPECT_EQ(report(":Disp norm A,shftR 5\n"),
              (Lines{at(1, 7, none("norm")), at(1, 14, none("shftR"))}));
}

TEST(HandWorkCommands, CommandsTheTi83PlusHasAreFine) {
    EXPECT_EQ(report(":Fix 2\n:round(A,2)\xFC"
                     "B\n:Disp \"cross\"\n"),
              Lines{});
}

TEST(HandWorkEquations, StoredEquationsWithTheirTi83PlusForm) {
    EXPECT_EQ(report(":y1=x\xF2\n"),
              (Lines{at(1, 2, "y1=… stores an equation: the TI-83 Plus writes \"X²\"→Y1"),
                     at(1, 5, "x is the TI-86's lowercase x: the TI-83 Plus writes X")}));
    EXPECT_EQ(report(":ClLCD:y10=2*A+1:DispG\n"),
              (Lines{at(1, 8, "y10=… stores an equation: the TI-83 Plus writes \"2*A+1\"→Y0"),
                     at(1, 18,
                        "DispG becomes \"Disp\", a TI-83 Plus command only with its space: write "
                        "DispGraph")}));
    EXPECT_EQ(report(":y12=A\n"),
              Lines{at(1, 2,
                       "y12=… stores an equation to a function the TI-83 Plus does not "
                       "have: store the string to one of Y1-Y9, Y0 (\"A\"→Y1)")});
}

// Lines of arithmetic alone are passed over; the equations after them are
// still read from their own lines.
TEST(HandWorkEquations, EquationsAfterLinesWithNothingToReport) {
    EXPECT_EQ(report(":1+2\n:A\xFC"
                     "B\n:y2=A+1\n:3\n:y3=B\n"),
              (Lines{at(3, 2, "y2=… stores an equation: the TI-83 Plus writes \"A+1\"→Y2"),
                     at(5, 2, "y3=… stores an equation: the TI-83 Plus writes \"B\"→Y3")}));
}

// Each equation's text is taken from its own line, also past many windows
// of tokens, with CR LF line ends and two on one line, and on a last line
// with no line end.
TEST(HandWorkEquations, EquationsFarIntoTheTextTakeTheirOwnLine) {
    std::string text;
    for (int i = 0; i < 700; ++i)
        text += ":Disp A,B,C\r\n";
    text += ":y1=A+2:y2=B\r\n";
    for (int i = 0; i < 700; ++i)
        text += ":Disp A,B,C\r\n";
    text += ":y3=7";
    EXPECT_EQ(report(text),
              (Lines{at(701, 2, "y1=… stores an equation: the TI-83 Plus writes \"A+2\"→Y1"),
                     at(701, 9, "y2=… stores an equation: the TI-83 Plus writes \"B\"→Y2"),
                     at(1402, 2, "y3=… stores an equation: the TI-83 Plus writes \"7\"→Y3")}));
}

TEST(HandWorkEquations, UsingAFunctionIsNoEquation) {
    EXPECT_EQ(report(":If y1(2)==3:Disp 1\n"), Lines{});
}

TEST(HandWorkRows, WhatTheRowsWriteWithTheCommandMeant) {
    const std::string text = ":nDer(A,B,2)\xFC"
                             "C\n"
                             ":PxTest(5,5)\xFC"
                             "C\n"
                             ":Disp ident 3\n"
                             ":DispG\n"
                             ":DispT\n"
                             ":ExpR\n"
                             ":arc(A,B,C,D)\xFC"
                             "C\n"
                             ":dot(A,B)\xFC"
                             "C\n"
                             ":Disp real(A)\n"
                             ":SeqG\n"
                             ":Dec\n"
                             ":ZDecm\n"
                             ":lngth L\n";
    EXPECT_EQ(report(text),
              (Lines{at(1, 2,
                        "nDer( becomes \"nDeriy(\", which the TI-83 Plus does not have: "
                        "write nDeriv("),
                     at(2, 2,
                        "PxTest( becomes \"pxl-Text(\", which the TI-83 Plus does not "
                        "have: write pxl-Test("),
                     at(3, 7,
                        "ident becomes \"identify(\", which the TI-83 Plus does not have: "
                        "write identity("),
                     at(4, 2,
                        "DispG becomes \"Disp\", a TI-83 Plus command only with its "
                        "space: write DispGraph"),
                     at(5, 2,
                        "DispT becomes \"Disp\", a TI-83 Plus command only with its "
                        "space: write DispTable"),
                     at(6, 2,
                        "ExpR becomes \"expr(\", which evaluates a string on the TI-83 "
                        "Plus: write ExpReg"),
                     at(7, 2,
                        "arc( becomes \"Archive\", which archives a variable on the TI-83 "
                        "Plus: arc length has no counterpart"),
                     at(8, 2,
                        "dot( becomes \"Dot\", a graph style on the TI-83 Plus: the dot "
                        "product has no counterpart"),
                     at(9, 7, "real becomes \"Real\", a mode on the TI-83 Plus: write real("),
                     at(10, 2, "SeqG becomes \"Seq\", a mode on the TI-83 Plus: write Sequential"),
                     at(11, 2,
                        "Dec becomes \"åDec\", which the TI-83 Plus does not have: it "
                        "always works in decimal, so leave the mode out"),
                     at(12, 2,
                        "ZDecm becomes \"ZåDecm\", which the TI-83 Plus does not have: "
                        "write ZDecimal"),
                     at(13, 2,
                        "lngth becomes \"ln(gth\", which the TI-83 Plus reads as ln(: "
                        "write length(")}));
}

// Rows 14, 57 and 67 (cos, sin, tan) and 31, 33, 22 (int, ln, dim) reach
// into longer names before the rows meant for them can.
TEST(HandWorkRows, RowsThatCutIntoLongerNames) {
    const std::string text = ":sin\xF1 A\xFC"
                             "B\n"
                             ":cosh A\xFC"
                             "B\n"
                             ":tanh\xF1 A\xFC"
                             "B\n"
                             ":dimL L\xFC"
                             "B\n"
                             ":inter(A,B,C)\xFC"
                             "B\n";
    EXPECT_EQ(report(text),
              (Lines{at(1, 2,
                        "sin⁻¹ becomes \"sin(ñ\", which the TI-83 Plus reads as sin(: write "
                        "sin⁻¹("),
                     at(2, 2,
                        "cosh becomes \"cos(h\", which the TI-83 Plus reads as cos(: write "
                        "cosh("),
                     at(3, 2,
                        "tanh⁻¹ becomes \"tan(hñ\", which the TI-83 Plus reads as tan(: "
                        "write tanh⁻¹("),
                     at(4, 2, "dimL becomes \"dim(L\": delete the L after dim("),
                     at(5, 2,
                        "inter becomes \"int(er\", which the TI-83 Plus reads as int(: "
                        "interpolation has no counterpart")}));
    // The forms the rows get right.
    EXPECT_EQ(report(":sin A+cos B+tan C+ln D+int E\xFC"
                     "F\n"),
              Lines{});
}

TEST(HandWorkRows, LookAlikesTheRowsDoNotTurnIntoSomethingElse) {
    // Inside a string they are no command; without "(" arc and dot are left
    // as they are, which the TI-83 Plus lacks.
    EXPECT_EQ(report(":Disp \"DispG\",\"ExpR\"\n:Disp arc A\n:dot \n"),
              (Lines{at(2, 7, none("arc")), at(3, 2, none("dot"))}));
}

TEST(HandWorkScreen, LiteralCoordinatesOffTheTi83PlusScreen) {
    EXPECT_EQ(report(":Outpt(8,16,\"A\")\n:Outpt(8,17,\"A\")\n:Outpt(9,1,\"A\")\n"),
              (Lines{at(2, 10, "column 17 is off the TI-83 Plus home screen (columns 1-16)"),
                     at(3, 8, "row 9 is off the TI-83 Plus home screen (rows 1-8)")}));
    EXPECT_EQ(
        report(":PxOn(62,94)\n:PxOn(63,95)\n:Text(57,100,\"HI\")\n:PxChg(0,126)\n"),
        (Lines{at(2, 7, "pixel row 63 is off the TI-83 Plus graph screen (rows 0-62)"),
               at(2, 10, "pixel column 95 is off the TI-83 Plus graph screen (columns 0-94)"),
               at(3, 10, "pixel column 100 is off the TI-83 Plus graph screen (columns 0-94)"),
               at(4, 10, "pixel column 126 is off the TI-83 Plus graph screen (columns 0-94)")}));
}

// Arguments that are not two numbers in a row: a sum, one argument, a call
// holding a number, a statement that ends before its ")".
TEST(HandWorkScreen, CoordinatesAmongOtherArguments) {
    EXPECT_EQ(
        report(":Outpt(2+7,20,\"A\")\n:PxOn(70)\n:PxOn(5,99\n:PxOn(int 70,5):PxOn(3,A)\n"),
        (Lines{at(1, 12, "column 20 is off the TI-83 Plus home screen (columns 1-16)"),
               at(2, 7, "pixel row 70 is off the TI-83 Plus graph screen (rows 0-62)"),
               at(3, 9, "pixel column 99 is off the TI-83 Plus graph screen (columns 0-94)")}));
}

TEST(HandWorkScreen, LastPixelAndComputedCoordinatesAreFine) {
    EXPECT_EQ(report(":PxOff(62,94)\n:Text(0,0,\"HI\")\n:Outpt(1,1,\"A\")\n:PxOn(R,C+100)\n"),
              Lines{});
}

TEST(HandWorkKeys, GetKeyComparedWithLiteralCodes) {
    const std::string text = ":0\xFCK\n"
                             ":While K==0\n"
                             ":getKy\xFCK\n"
                             ":End\n"
                             ":If K==105:Disp \"ENTER\"\n"
                             ":If getKy==21:Stop\n"
                             ":If 24\xF8K:Goto A\n";
    EXPECT_EQ(report(text),
              (Lines{at(5, 8, keyCode("105")), at(6, 12, keyCode("21")), at(7, 5, keyCode("24"))}));
}

// Every line that holds getKy is read for its stores, whatever comes before
// getKy in it and however often the same line comes again.
TEST(HandWorkKeys, StoresFoundOnEveryLineHoldingGetKy) {
    const std::string text = ":If K==25:Stop\n"
                             ":If M==30:Stop\n"
                             ":Disp \"getKy\xFCK\n"
                             ":getKy\xFCK\n"
                             ":1\xFC"
                             "A:getKy\xFCM\n"
                             ":\"getKy\":getKy\xFCN\n"
                             ":If N==40:Stop\n"
                             ":getKy\xFCK\n"
                             ":If A==50:Stop\n";
    EXPECT_EQ(report(text),
              (Lines{at(1, 8, keyCode("25")), at(2, 8, keyCode("30")), at(7, 8, keyCode("40"))}));
}

TEST(HandWorkKeys, OtherComparisonsAndNoKeyAreFine) {
    EXPECT_EQ(report(":getKy\xFCK\n:If K==0:Stop\n:If A==105:Stop\n"), Lines{});
}

// A message that follows from a few bytes (the units, the choices, the
// name, the key code) is made once and given to each finding of the same
// bytes; bytes that differ, or split differently between two units, do not
// share it.
TEST(HandWork, RepeatedFindingsKeepTheirOwnWords) {
    const std::string menu8 = ":Menu(1,\"A\",A,2,\"B\",B,3,\"C\",C,4,\"D\",D,5,\"E\",E,6,\"F\",F,7,"
                              "\"G\",G,8,\"H\",H)\n";
    const std::string menu9 = menu8.substr(0, menu8.size() - 2) + ",9,\"I\",I)\n";
    const std::string text = ":Disp 1ft\xE5m\n:Disp 2f\xE5tm\n:Disp 3ft\xE5m\n" + menu8 +
                             ":Menu(1,\"A\",A)\n" + menu9 + ":SUB\n:SUBS\n:SUB\n" +
                             ":getKy\xFCK\n:If K==10:Stop\n:If K==105:Stop\n:If K==10:Stop\n";
    const auto call = [](const std::string& name) {
        return name + " alone in a statement calls a program: the TI-83 Plus writes prgm" + name;
    };
    const auto tooMany = [](int n) {
        return kMenu + "; it has " + std::to_string(n) +
               " choices and the TI-83 Plus shows at most 7";
    };
    EXPECT_EQ(
        report(text),
        (Lines{at(1, 8, none("ft▶m")), at(2, 8, none("f▶tm")), at(3, 8, none("ft▶m")),
               at(4, 2, tooMany(8)), at(5, 2, kMenu), at(6, 2, tooMany(9)), at(7, 2, call("SUB")),
               at(8, 2, call("SUBS")), at(9, 2, call("SUB")), at(11, 8, keyCode("10")),
               at(12, 8, keyCode("105")), at(13, 8, keyCode("10"))}));
}

// Labels and names of up to seven characters and longer ones are told
// apart, each use given its own label's or name's words.
TEST(HandWork, LabelsAndNamesAroundSevenCharacters) {
    const std::string text = ":Goto ABCDEFG\n:Goto ABCDEFGH\n:Goto ABCDEF\n:Goto ABCDEFGH\n"
                             ":Goto ABCDEFG\n:Disp ABCDEFGH,ABCDEFG,ABCDEFGH\n";
    EXPECT_EQ(report(text), (Lines{at(1, 2, longLabel("ABCDEFG")), at(2, 2, longLabel("ABCDEFGH")),
                                   at(3, 2, longLabel("ABCDEF")), at(4, 2, longLabel("ABCDEFGH")),
                                   at(5, 2, longLabel("ABCDEFG")),
                                   at(6, 7, longName("ABCDEFGH", "A·B·C·D·E·F·G·H")),
                                   at(6, 16, longName("ABCDEFG", "A·B·C·D·E·F·G")),
                                   at(6, 24, longName("ABCDEFGH", "A·B·C·D·E·F·G·H"))}));
}

// Hundreds of labels, each used twice far apart: the second use still gets
// its own label's words once the messages made in between are many.
TEST(HandWork, ManyLabelsEachKeepTheirWords) {
    std::string text;
    Lines expected;
    for (int round = 0; round < 2; ++round)
        for (int k = 0; k < 300; ++k) {
            const std::string name = "LB" + std::to_string(k);
            text += ":Goto " + name + "\n";
            expected.push_back(at(round * 300 + k + 1, 2, longLabel(name)));
        }
    EXPECT_EQ(report(text), expected);
}

TEST(HandWork, CleanProgramHasNoFinding) {
    const std::string text = ":ClLCD\n"
                             ":Disp \"HELLO\"\n"
                             ":Input \"N?\",N\n"
                             ":For(I,1,N)\n"
                             ":Outpt(1,1,I)\n"
                             ":End\n"
                             ":If N==3:Then\n"
                             ":Lbl A1\n"
                             ":End\n";
    const HandWorkReport r = findHandWork(text);
    EXPECT_TRUE(r.findings.empty());
    EXPECT_EQ(r.counts.total(), 0u);
    EXPECT_EQ(handWorkSummary(r.counts), "");
}

TEST(HandWork, CrLfTextAndTheListingsTokensGiveTheSamePlaces) {
    const std::string text = ":Lbl START\r\n:5\xFCMONEY\r\n";
    const Lines expected{at(1, 2, longLabel("START")), at(2, 4, longName("MONEY", "M·O·N·E·Y"))};
    EXPECT_EQ(report(text), expected);
    const Ti86Tokenized tokens = tokenizeTi86Text(text);
    Lines fromTokens;
    for (const Diagnostic& d : findHandWork(text, tokens.tokens).findings)
        fromTokens.push_back(formatFinding("P", d));
    EXPECT_EQ(fromTokens, expected);
}

// A calculator file's program: its listing's tokens carry the places in the
// listing's text (":Lbl START", CR LF, ":Goto START", CR LF, ":DispG").
TEST(HandWork, ListedProgramTokensGiveThePlacesInTheListing) {
    Ti86Token lbl, newline, go, dispG;
    lbl.code = 0xE0;
    lbl.data = "START";
    newline.code = 0x6F;
    go.code = 0xE1;
    go.data = "START";
    dispG.code = 0xEA;
    const Ti86Listing listing = listTi86Tokens({lbl, newline, go, newline, dispG});
    ASSERT_EQ(listing.text, ":Lbl START\r\n:Goto START\r\n:DispG\r\n");
    Lines got;
    for (const Diagnostic& d : findHandWork(listing.text, listing.tokens).findings)
        got.push_back(formatFinding("P", d));
    EXPECT_EQ(got, (Lines{at(1, 2, longLabel("START")), at(2, 2, longLabel("START")),
                          at(3, 2,
                             "DispG becomes \"Disp\", a TI-83 Plus command only with its space: "
                             "write DispGraph")}));
}

TEST(HandWork, CountsForTheSummary) {
    const std::string text = ":Lbl START\n"
                             ":Goto START\n"
                             ":Lbl END\n"
                             ":Lbl a\n"
                             ":5\xFCMONEY\n"
                             ":MONEY+LIVES\xFCLIVES\n"
                             ":Menu(1,\"A\",A1)\n"
                             ":DelVar(A)\n";
    const HandWorkCounts c = findHandWork(text).counts;
    // Every place counts: START twice, END, a; MONEY twice, LIVES twice.
    EXPECT_EQ(c.labels, 4u);
    EXPECT_EQ(c.names, 4u);
    EXPECT_EQ(c.menus, 1u);
    EXPECT_EQ(c.delVars, 1u);
    EXPECT_EQ(c.total(), 10u);
    EXPECT_EQ(handWorkSummary(c), "4 uses of labels to shorten, 4 uses of names to rename, 1 "
                                  "menu to rewrite, 1 DelVar to fix");
}

TEST(HandWork, TokenizerFaultsAreKeptApart) {
    const HandWorkReport r = findHandWork(":ABCDEFGHIJ\xFC"
                                          "A\n");
    EXPECT_TRUE(r.findings.empty());
    ASSERT_EQ(r.textDiagnostics.size(), 1u);
    EXPECT_EQ(r.textDiagnostics[0].line, 1u);
    EXPECT_EQ(r.textDiagnostics[0].column, 2u);
}

TEST(HandWorkSummary, EveryKindSingularAndPlural) {
    HandWorkCounts one;
    one.labels = one.names = one.programCalls = one.menus = one.delVars = one.noCounterpart =
        one.equations = one.rowWrites = one.offScreen = one.keyCodes = one.other = 1;
    EXPECT_EQ(handWorkSummary(one),
              "1 use of a label to shorten, 1 use of a name to rename, 1 program call to write "
              "with prgm, 1 menu "
              "to rewrite, 1 DelVar to fix, 1 command with no TI-83 Plus counterpart, 1 "
              "equation to rewrite, 1 converted command to correct, 1 coordinate off the "
              "screen, 1 key code to renumber, 1 other warning");
    HandWorkCounts two;
    two.labels = two.names = two.programCalls = two.menus = two.delVars = two.noCounterpart =
        two.equations = two.rowWrites = two.offScreen = two.keyCodes = two.other = 2;
    EXPECT_EQ(handWorkSummary(two),
              "2 uses of labels to shorten, 2 uses of names to rename, 2 program calls to write "
              "with prgm, 2 "
              "menus to rewrite, 2 DelVars to fix, 2 commands with no TI-83 Plus counterpart, "
              "2 equations to rewrite, 2 converted commands to correct, 2 coordinates off the "
              "screen, 2 key codes to renumber, 2 other warnings");
    HandWorkCounts some;
    some.menus = 1;
    some.keyCodes = 12;
    EXPECT_EQ(handWorkSummary(some), "1 menu to rewrite, 12 key codes to renumber");
}

Diagnostic finding(std::size_t line, std::size_t column, const std::string& message) {
    Diagnostic d;
    d.line = line;
    d.column = column;
    d.message = message;
    return d;
}

TEST(HandWorkMerge, OnePerPlaceInOrder) {
    const Diagnostics first{finding(1, 5, "a"), finding(3, 2, "b")};
    const Diagnostics second{finding(3, 2, "dup"), finding(2, 9, "c"), finding(1, 1, "d"),
                             finding(3, 2, "dup again")};
    const Diagnostics merged = mergeFindings(first, second);
    Lines got;
    for (const Diagnostic& d : merged)
        got.push_back(formatFinding("P", d));
    EXPECT_EQ(got, (Lines{at(1, 1, "d"), at(1, 5, "a"), at(2, 9, "c"), at(3, 2, "b")}));
}

TEST(HandWorkMerge, EqualPlacesKeepTheFirstListsFindingWhateverTheOrder) {
    // The first list out of order too; findings without a line stay, the
    // first list's ahead.
    const Diagnostics first{finding(2, 1, "x"), finding(1, 3, "a"), finding(1, 3, "b"),
                            finding(0, 0, "n1")};
    const Diagnostics second{finding(0, 0, "n2"), finding(1, 3, "c"), finding(2, 1, "y")};
    Lines got;
    for (const Diagnostic& d : mergeFindings(first, second))
        got.push_back(formatFinding("P", d));
    EXPECT_EQ(got, (Lines{"P: warning: n1", "P: warning: n2", at(1, 3, "a"), at(2, 1, "x")}));
}

TEST(HandWorkMerge, IntoAReportCountsWhatIsNew) {
    HandWorkReport r = findHandWork(":Lbl START\n");
    mergeFindings(r, {finding(1, 2, "same place"), finding(1, 6, "new")});
    ASSERT_EQ(r.findings.size(), 2u);
    EXPECT_EQ(r.findings[0].message, longLabel("START"));
    EXPECT_EQ(r.findings[1].message, "new");
    EXPECT_EQ(r.counts.other, 1u);
    EXPECT_EQ(handWorkSummary(r.counts), "1 use of a label to shorten, 1 other warning");
}

TEST(HandWorkPlaces, ConvertedColumnsBackInTheTi86Line) {
    // ":DispG:A" became ":Disp:A": the kept bytes keep their counterparts.
    EXPECT_EQ(ti86ColumnOf(":DispG:A", ":Disp:A", 2), 2u);
    EXPECT_EQ(ti86ColumnOf(":DispG:A", ":Disp:A", 6), 7u);
    EXPECT_EQ(ti86ColumnOf(":DispG:A", ":Disp:A", 7), 8u);
    // A written byte goes where the text it replaced begins: "e" of expr(
    // to the "E" of ExpR, the "(" to its "R".
    EXPECT_EQ(ti86ColumnOf(":ExpR", ":expr(", 2), 2u);
    EXPECT_EQ(ti86ColumnOf(":ExpR", ":expr(", 6), 5u);
    // An inserted "(" sits where the space after sin is.
    EXPECT_EQ(ti86ColumnOf(":sin A", ":sin( A", 5), 5u);
    EXPECT_EQ(ti86ColumnOf(":sin A", ":sin( A", 7), 6u);
    // Past the end of the line, past the end of the TI-86 line.
    EXPECT_EQ(ti86ColumnOf(":sin A", ":sin( A", 8), 7u);
}

TEST(HandWorkPlaces, OnlyWhatChangedInALongLineIsAligned) {
    // Two rows' changes side by side amid 1,500 bytes on either side: too
    // many pairs to align the whole line, but the part between the shared
    // ends is small. TI-86: ":DispG:ExpR:B" from column 1502 (G 1507, ":"
    // 1508, E 1509, R 1512); converted: ":Disp:expr(:B" (":" 1507, e 1508,
    // "(" 1512).
    const std::string pad(1500, 'A');
    const std::string ti86 = ":" + pad + ":DispG:ExpR:B" + pad;
    const std::string converted = ":" + pad + ":Disp:expr(:B" + pad;
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 1503), 1503u); // in the shared start
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 1507), 1508u); // the ":" between them
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 1508), 1509u); // e of expr( to E of ExpR
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 1512), 1512u); // its "(" to the R
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 1514), 1514u); // B, in the shared end
    EXPECT_EQ(ti86ColumnOf(ti86, converted, 3014), 3014u);
    // One "(" added: nothing of the TI-86 line between the shared ends, so
    // it goes to the space after sin.
    const std::string sinTi86 = ":" + pad + ":sin B:" + pad;
    const std::string sinConverted = ":" + pad + ":sin( B:" + pad;
    EXPECT_EQ(ti86ColumnOf(sinTi86, sinConverted, 1506), 1506u);
    EXPECT_EQ(ti86ColumnOf(sinTi86, sinConverted, 1508), 1507u);
}

TEST(HandWorkPlaces, FindingsOfTheConvertedTextMergeWithTheReport) {
    const std::string ti86 = ":DispG\r\n:ExpR\r\n";
    const std::string converted = ":Disp\r\n:expr(\r\n";
    const Diagnostics placed = placeInTi86Text(
        {finding(2, 6, "unclosed"), finding(1, 2, "Disp without space"), finding(9, 3, "far")},
        ti86, converted);
    Lines got;
    for (const Diagnostic& d : placed)
        got.push_back(formatFinding("P", d));
    EXPECT_EQ(got, (Lines{at(2, 5, "unclosed"), at(1, 2, "Disp without space"), at(9, 3, "far")}));

    HandWorkReport r = findHandWork(ti86);
    mergeFindings(r, placed);
    got.clear();
    for (const Diagnostic& d : r.findings)
        got.push_back(formatFinding("P", d));
    EXPECT_EQ(got, (Lines{at(1, 2,
                             "DispG becomes \"Disp\", a TI-83 Plus command only with its space: "
                             "write DispGraph"),
                          at(2, 2,
                             "ExpR becomes \"expr(\", which evaluates a string on the TI-83 Plus: "
                             "write ExpReg"),
                          at(2, 5, "unclosed"), at(9, 3, "far")}));
    EXPECT_EQ(r.counts.other, 2u);
}

TEST(HandWorkPlaces, SeveralFindingsOnALineAndLinesInAnyOrder) {
    // Line 1 as in the tests above (":DispG:ExpR" became ":Disp:expr("),
    // line 2 ":sin A" became ":sin( A"; line 1 is asked for again after
    // line 2.
    const std::string ti86 = ":DispG:ExpR\r\n:sin A\r\n";
    const std::string converted = ":Disp:expr(\r\n:sin( A\r\n";
    const Diagnostics placed =
        placeInTi86Text({finding(1, 2, "D"), finding(1, 6, ":"), finding(1, 7, "e"),
                         finding(2, 5, "("), finding(2, 7, "A"), finding(1, 11, "(")},
                        ti86, converted);
    std::vector<std::pair<std::size_t, std::size_t>> got;
    for (const Diagnostic& d : placed)
        got.emplace_back(d.line, d.column);
    EXPECT_EQ(got, (std::vector<std::pair<std::size_t, std::size_t>>{
                       {1, 2}, {1, 7}, {1, 8}, {2, 5}, {2, 6}, {1, 11}}));
}

TEST(HandWorkFormat, FileProgramAndSeverity) {
    Diagnostic d = finding(3, 7, "label START is long");
    EXPECT_EQ(diagnosticLine("-", d), "-:3:7: warning: label START is long\n");
    EXPECT_EQ(diagnosticLine("GAMES.86g(PONG)", d),
              "GAMES.86g(PONG):3:7: warning: label START is long\n");
    d.severity = Diagnostic::Severity::Error;
    EXPECT_EQ(diagnosticLine("a.txt", d), "a.txt:3:7: error: label START is long\n");
    d.severity = Diagnostic::Severity::Note;
    d.line = d.column = 0;
    EXPECT_EQ(diagnosticLine("a.txt", d), "a.txt: note: label START is long\n");
    // A fault in a file's bytes is placed by its offset.
    d.hasOffset = true;
    d.offset = 0x3A;
    EXPECT_EQ(diagnosticLine("a.86p", d), "a.86p: note: offset 0x3A: label START is long\n");
}

// A game written the TI-86 way, with many findings; its report was written
// by hand, line by line, before the program was run on it.
TEST(HandWorkGolden, GameReport) {
    const std::string text = goldenCalcFile("handwork.ti86.txt");
    ASSERT_FALSE(text.empty());
    const HandWorkReport r = findHandWork(text);
    std::string got;
    for (const Diagnostic& d : r.findings)
        got += formatFinding("handwork.ti86.txt", d) + "\n";
    got += "kalvo-convert: " + handWorkSummary(r.counts) + "\n";
    EXPECT_EQ(got, goldenCalcFile("handwork.report.txt"));
    EXPECT_TRUE(r.textDiagnostics.empty());
}

} // namespace
