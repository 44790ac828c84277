// SPDX-License-Identifier: GPL-3.0-or-later
// The translator on small programs: for each rewrite a TI-86 program (as the
// text its listing shows, tokenized) and the TI-83 Plus bytes worked out by
// hand from the notes' grids, with the notes and warnings it must give.
#include "calcfiles/translate/Ti86To83p.h"
#include "../diagnostics/FromCatalogue.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83pTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

std::vector<Ti86Token> tokensOf(const std::string& text) {
    Ti86Tokenized t = tokenizeTi86Text(text);
    EXPECT_TRUE(t.diagnostics.empty()) << text;
    return t.tokens;
}

std::string hex(const std::vector<Ti83pToken>& tokens) {
    std::string out;
    for (const char c : encodeTi83pTokens(tokens)) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", static_cast<std::uint8_t>(c));
        out += b;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

// "N 1:5 message" / "W 1:5 message" for each finding, each of which must
// come from its catalogue entry.
std::vector<std::string> findings(const Ti83pTranslation& t) {
    std::vector<std::string> out;
    for (const Diagnostic& d : t.diagnostics) {
        EXPECT_TRUE(fromCatalogue(d)) << d.message;
        out.push_back(std::string(1, "NWE"[static_cast<int>(d.severity)]) + " " +
                      std::to_string(d.line) + ":" + std::to_string(d.column) + " " + d.message);
    }
    return out;
}

struct Case {
    const char* ti86;
    const char* bytes;
    std::vector<std::string> findings;
};

void check(const std::vector<Case>& cases, std::string_view name = "GAME",
           const Ti83pProgramNames& calls = {}) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ti86);
        const Ti83pTranslation t = translateTi86Program(tokensOf(c.ti86), name, calls);
        EXPECT_EQ(hex(t.tokens), c.bytes);
        EXPECT_EQ(findings(t), c.findings);
    }
}

} // namespace

// Every code of the three grids, the inline-data ones too, has a rule, and
// every TI-83 Plus token a rule names exists.
TEST(Ti86To83pTable, EveryTi86CodeHasARule) {
    std::size_t codes = 0;
    for (const Ti86TokenInfo& info : ti86Tokens()) {
        ++codes;
        const Ti86To83pRule* rule = ti86To83pRule(info.code);
        ASSERT_NE(rule, nullptr) << std::hex << info.code;
        switch (rule->kind) {
        case Ti86To83pKind::Same:
        case Ti86To83pKind::Renamed:
        case Ti86To83pKind::Differs:
        case Ti86To83pKind::Rewrite:
            EXPECT_NE(ti83pTokenInfo(rule->ti83p), nullptr) << std::hex << info.code;
            break;
        case Ti86To83pKind::Constant:
            EXPECT_FALSE(rule->detail.empty()) << std::hex << info.code;
            break;
        case Ti86To83pKind::Inline:
        case Ti86To83pKind::NoCounterpart:
            break;
        }
        if (rule->kind == Ti86To83pKind::Differs) {
            EXPECT_FALSE(rule->detail.empty()) << std::hex << info.code;
        }
    }
    // 01-FE less the two prefixes, 3D 00-3D, 8E 00-31 less 8E 28 and 8E 29
    // (they only mark a program's kind).
    EXPECT_EQ(codes, 252u + 62u + 48u);
    EXPECT_EQ(ti86To83pRule(0x00), nullptr);
    EXPECT_EQ(ti86To83pRule(0x8E28), nullptr);
    // Across all 16-bit codes a rule exists exactly for the TI-86's codes,
    // and is that code's: no grid answers for another's second byte.
    std::size_t ruled = 0;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<std::uint16_t>(code);
        const Ti86To83pRule* rule = ti86To83pRule(c);
        EXPECT_EQ(rule != nullptr, ti86TokenInfo(c) != nullptr) << std::hex << code;
        if (rule != nullptr) {
            EXPECT_EQ(rule->ti86, c);
            ++ruled;
        }
    }
    EXPECT_EQ(ruled, codes);
}

TEST(Ti86To83pTable, RulesFromTheNotes) {
    const struct {
        std::uint16_t ti86;
        Ti86To83pKind kind;
        std::uint16_t ti83p;
    } rules[] = {
        {0xEC, Ti86To83pKind::Renamed, 0xE1},     // ClLCD -> ClrHome
        {0xEA, Ti86To83pKind::Renamed, 0xDF},     // DispG -> DispGraph
        {0x8E15, Ti86To83pKind::Renamed, 0xE5},   // DispT -> DispTable
        {0xEB, Ti86To83pKind::Renamed, 0xE0},     // Outpt -> Output(
        {0x4D, Ti86To83pKind::Renamed, 0xF9},     // P2Reg -> QuadReg
        {0x4E, Ti86To83pKind::Renamed, 0x2E},     // P3Reg -> CubicReg
        {0x4F, Ti86To83pKind::Renamed, 0x2F},     // P4Reg -> QuartReg
        {0xF5, Ti86To83pKind::Renamed, 0xF5},     // ExpR -> ExpReg, not expr(
        {0x2C, Ti86To83pKind::Renamed, 0x25},     // nDer -> nDeriv(
        {0x8E2A, Ti86To83pKind::Renamed, 0x13},   // PxTest -> pxl-Test(
        {0xC9, Ti86To83pKind::Same, 0xBB26},      // real -> real(, not the mode Real
        {0xB8, Ti86To83pKind::Renamed, 0xB4},     // ident -> identity(
        {0x8E2F, Ti86To83pKind::Renamed, 0xBB29}, // cSum -> cumSum(
        {0x72, Ti86To83pKind::Renamed, 0x7E00},   // SeqG -> Sequential
        {0x8E1A, Ti86To83pKind::Renamed, 0xBB52}, // ClrLsts -> ClrAllLists
        {0x8E0F, Ti86To83pKind::Renamed, 0xBB57}, // ClrEnt -> Clear Entries
        {0x50, Ti86To83pKind::Renamed, 0x6A},     // == -> =
        {0x3D32, Ti86To83pKind::Same, 0xBB31},    // e, the number
        {0x17, Ti86To83pKind::NoCounterpart, 0},  // dot(
        {0x27, Ti86To83pKind::NoCounterpart, 0},  // arc(
        {0x68, Ti86To83pKind::NoCounterpart, 0},  // Dec, the base mode
        {0x3D30, Ti86To83pKind::Constant, 0},     // c
    };
    for (const auto& r : rules) {
        SCOPED_TRACE(r.ti86);
        const Ti86To83pRule* rule = ti86To83pRule(r.ti86);
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->kind, r.kind);
        EXPECT_EQ(rule->ti83p, r.ti83p);
    }
    EXPECT_TRUE(ti83pTokenOpensParen(0xC2));    // sin(
    EXPECT_TRUE(ti83pTokenOpensParen(0xE0));    // Output(
    EXPECT_FALSE(ti83pTokenOpensParen(0x10));   // ( itself
    EXPECT_FALSE(ti83pTokenOpensParen(0xDE));   // Disp
    EXPECT_TRUE(ti83pTokenOpensParen(0xBB0A));  // randInt(, two bytes
    EXPECT_FALSE(ti83pTokenOpensParen(0xBB31)); // e
    EXPECT_FALSE(ti83pTokenOpensParen(0x5C00)); // [A], not a function
    EXPECT_FALSE(ti83pTokenOpensParen(0xBBFF)); // no token
}

// The TI-86 "(" is merged into the TI-83 Plus function; a function without
// one gets "(" and, where its operand ends for certain, ")".
TEST(Ti86To83p, FunctionsAndTheirParentheses) {
    check({
        {":sin(A)", "C2 41 11", {}},
        {":For(I,1,5)", "D3 49 2B 31 2B 35 11", {}},
        {":e^(2)", "BF 32 11", {}},
        {":sin A", "C2 41 11", {"N 1:2 sin without ( now has its ( and )"}},
        {":ln 2+1", "BE 32 11 70 31", {"N 1:2 ln without ( now has its ( and )"}},
        // Nested: cos A is sin's one operand, a function call.
        {":sin cos A", "C2 C4 41 11 11", {"N 1:2 sin without ( now has its ( and )"}},
        {":abs (A)*2", "B2 41 11 82 32", {}},
        // A power binds tighter than sin on the TI-86: sin A² is sin(A²).
        {":sin A\xF2", "C2 41 0D 11", {"N 1:2 sin without ( now has its ( and )"}},
        {":not A and B", "B8 41 11 40 42", {"N 1:2 not without ( now has its ( and )"}},
    });
}

TEST(Ti86To83p, RenamedEquivalentsGetANoteAtTheirFirstUse) {
    check({
        {":ClLCD:ClLCD", "E1 3E E1", {"N 1:2 ClLCD is now ClrHome"}},
        {":DispG", "DF", {"N 1:2 DispG is now DispGraph"}},
        {":ExpR", "F5", {"N 1:2 ExpR is now ExpReg"}},
        {":P2Reg", "F9", {"N 1:2 P2Reg is now QuadReg"}},
        {":ident 3",
         "B4 33 11",
         {"N 1:2 ident is now identity", "N 1:2 ident without ( now has its ( and )"}},
        {":real 5", "BB 26 35 11", {"N 1:2 real without ( now has its ( and )"}},
        {":PxTest(1,2)", "13 31 2B 32 11", {"N 1:2 PxTest is now pxl-Test"}},
        {":If A==1", "CE 41 6A 31", {"N 1:6 == is now ="}},
        // x is the TI-83 Plus's X.
        {":nDer(x\xF2,x,2)",
         "25 58 0D 2B 58 2B 32 11",
         {"N 1:2 nDer is now nDeriv", "N 1:7 x is now X"}},
    });
}

TEST(Ti86To83p, DelVarEquationsAndConstants) {
    check({
        {":DelVar(A)", "BB 54 41", {"N 1:2 DelVar(name) is now DelVar name"}},
        // y1=x² stores the function as a string.
        {":y1=x\xF2",
         "2A 58 0D 2A 04 5E 10",
         {"N 1:2 y1= is now a string stored to Y1 (\"expression\"\xE2\x86\x92Y1)",
          "N 1:5 x is now X"}},
        {":c\xFC"
         "A",
         "32 39 39 37 39 32 34 35 38 04 41",
         {"N 1:2 constant c is now its value 299792458"}},
        {":g", "39 3A 38 30 36 36 35", {"N 1:2 constant g is now its value 9.80665"}},
        // Beside a number the value is bracketed, or the digits would run on.
        {":2c",
         "32 10 32 39 39 37 39 32 34 35 38 11",
         {"N 1:3 constant c is now its value 299792458"}},
        {":g*c",
         "39 3A 38 30 36 36 35 82 32 39 39 37 39 32 34 35 38",
         {"N 1:2 constant g is now its value 9.80665",
          "N 1:4 constant c is now its value 299792458"}},
        {":1\xFB\xFA"
         "5",
         "31 3B B0 35",
         {}},
        {":1Fh", "33 31", {"N 1:2 number 1Fh is now 31"}},
        // A percentage of a number is that number ᴇ⁻2; of anything else it has no form.
        {":12.5%\xFC"
         "A",
         "31 32 3A 35 3B B0 32 04 41",
         {"N 1:6 % after a number is now ᴇ⁻2 (12.5% is 12.5ᴇ⁻2)"}},
        {":A%",
         "41 BB DA",
         {"W 1:3 % has no TI-83 Plus counterpart; written as its name for you to replace"}},
        {":1Fh+11b", "33 31 70 33", {"N 1:2 number 1Fh is now 31", "N 1:6 number 11b is now 3"}},
    });
}

TEST(Ti86To83p, LabelsGetOneOrTwoCharacters) {
    check({
        {":Lbl START:Goto START", "D6 53 54 3E D7 53 54", {"N 1:2 label START is now ST"}},
        // ST is taken by a label of that name: START takes S and its next
        // letter after T, A.
        {":Lbl ST:Lbl START:Goto START",
         "D6 53 54 3E D6 53 41 3E D7 53 41",
         {"N 1:9 label START is now SA"}},
        {":Lbl a:Goto a", "D6 41 3E D7 41", {"N 1:2 label a is now A"}},
        {":Lbl 1:Goto 1", "D6 31 3E D7 31", {}},
        // Both look for a label from the top: the second LOOP is the same
        // LO, reached only by running into it.
        {":Lbl LOOP:Disp 1:Lbl LOOP:Goto LOOP",
         "D6 4C 4F 3E DE 31 3E D6 4C 4F 3E D7 4C 4F",
         {"N 1:2 label LOOP is now LO",
          "N 1:18 label LOOP is defined more than once; Goto jumps to the first, taken to be "
          "what the TI-86 does too"}},
        {":Goto NOWHERE",
         "D7 4E 4F",
         {"N 1:2 Goto NOWHERE has no Lbl in this program: taking it stops with a label error, "
          "taken to be what the TI-86 does too",
          "N 1:2 label NOWHERE is now NO"}},
    });
}

TEST(Ti86To83p, VariablesGetTheNamesTheTi83PlusHas) {
    check({
        {":5\xFCMONEY:Disp MONEY", "35 04 4D 3E DE 4D", {"N 1:4 variable MONEY is now M"}},
        // M is the program's own: MONEY takes its next letter, O.
        {":1\xFCM:2\xFCMONEY", "31 04 4D 3E 32 04 4F", {"N 1:8 variable MONEY is now O"}},
        // x is X, so the program's own X moves to the first free letter.
        {":1\xFCX:2\xFCx",
         "31 04 41 3E 32 04 58",
         {"N 1:4 variable X is now A", "N 1:8 x is now X"}},
        {":\"HI\"\xFCS:InpSt \"NAME\",N",
         "2A 48 49 2A 04 AA 00 3E DC 2A 4E 41 4D 45 2A 2B AA 01",
         {"N 1:7 variable S is now Str1", "N 1:9 InpSt is now Input",
          "N 1:22 variable N is now Str2"}},
        {":{1,2}\xFCL", "08 31 2B 32 09 04 EB 4C", {"N 1:8 variable L is now ʟL"}},
        {":{1,2}\xFCSCORES",
         "08 31 2B 32 09 04 EB 53 43 4F 52 45",
         {"N 1:8 variable SCORES is now ʟSCORE"}},
        {":{1}\xFCL1", "08 31 09 04 5D 00", {}},
        {":[[1,2][3,4]]\xFCM",
         "06 06 31 2B 32 07 06 33 2B 34 07 07 04 5C 00",
         {"N 1:15 variable M is now [A]"}},
        {":StPic PIC",
         "98 60 00",
         {"N 1:2 StPic is now StorePic", "N 1:8 variable PIC is now Pic1"}},
        // Each renamed name, the program's or the calculator's, is said at
        // its first use only; B and Ans keep their names and are not said.
        {":1\xFCMONEY:2\xFC"
         "CASH:MONEY+CASH+MONEY\xFC"
         "B:x+y+x\xFC"
         "B:Ans+y",
         "31 04 4D 3E 32 04 43 3E 4D 70 43 70 4D 04 42 3E 58 70 59 70 58 04 42 3E 72 70 59",
         {"N 1:4 variable MONEY is now M", "N 1:12 variable CASH is now C", "N 1:36 x is now X",
          "N 1:38 y is now Y"}},
    });
}

TEST(Ti86To83p, StringsCharacterByCharacter) {
    check({
        {":Disp \"Hi\"", "DE 2A 48 BB B8 2A", {}},
        // θ and [ trade places between the two fonts.
        {":Disp \"\xC1[\"", "DE 2A 5B 06 2A", {}},
        // A TI-83 Plus string cannot hold →.
        {":Disp \"A\xFC"
         "B\"",
         "DE 2A 41 AF 42 2A",
         {"W 1:7 the string holds →, which a TI-83 Plus string cannot; written as ?"}},
    });
}

TEST(Ti86To83p, MenusGetTheProgramsNameAsTitle) {
    check({
        {":Menu(1,\"PLAY\",A,2,\"QUIT\",B):Lbl A:Lbl B",
         "E6 2A 47 41 4D 45 2A 2B 2A 50 4C 41 59 2A 2B 41 2B 2A 51 55 49 54 2A 2B 42 11 3E D6 41 "
         "3E D6 42",
         {"N 1:2 Menu( takes the program's name as its title and drops the key numbers"}},
        {":Menu(1,\"GO\",START):Lbl START",
         "E6 2A 47 41 4D 45 2A 2B 2A 47 4F 2A 2B 53 54 11 3E D6 53 54",
         {"N 1:2 Menu( takes the program's name as its title and drops the key numbers",
          "N 1:14 label START is now ST"}},
    });
    check({{":Menu(1,\"GO\",GONE)",
            "E6 2A 47 41 4D 45 2A 2B 2A 47 4F 2A 2B 47 4F 11",
            {"N 1:2 Menu( takes the program's name as its title and drops the key numbers",
             "N 1:14 Menu( choice GONE has no Lbl in this program: taking it stops with a label "
             "error, taken to be what the TI-86 does too",
             "N 1:14 label GONE is now GO"}}});
    // Eight choices are one too many for the TI-83 Plus: six and MORE, then
    // a menu of the last two under a label made for it (MA is the
    // program's, so MB).
    const std::string eight =
        ":Menu(1,\"A\",A,2,\"B\",B,3,\"C\",C,4,\"D\",D,5,\"E\",E,6,\"F\",F,7,\"G\",G,8,\"H\",MA)";
    const Ti83pTranslation t = translateTi86Program(tokensOf(eight), "P");
    EXPECT_EQ(hex(t.tokens),
              "E6 2A 50 2A 2B 2A 41 2A 2B 41 2B 2A 42 2A 2B 42 2B 2A 43 2A 2B 43 2B 2A "
              "44 2A 2B 44 2B 2A 45 2A 2B 45 2B 2A 46 2A 2B 46 2B 2A 4D 4F 52 45 2A "
              "2B 4D 42 11 3E D6 4D 42 3E E6 2A 50 2A 2B 2A 47 2A 2B 47 2B 2A 48 2A "
              "2B 4D 41 11");
    const std::vector<std::string> all = findings(t);
    EXPECT_NE(
        std::find(all.begin(), all.end(),
                  "N 1:2 Menu( has 8 choices; the TI-83 Plus shows 7: it is now 2 menus, each "
                  "but the last ending in a MORE choice that goes to the next (labels MB)"),
        all.end());
    // After an If without Then the second menu would run when the If fails.
    const Ti83pTranslation guarded = translateTi86Program(tokensOf(":If K" + eight), "P");
    const std::vector<std::string> left = findings(guarded);
    EXPECT_NE(std::find(left.begin(), left.end(),
                        "W 1:7 Menu( has 8 choices; the TI-83 Plus shows at most 7"),
              left.end());
}

TEST(Ti86To83p, CallsAndTokensWithoutCounterpart) {
    check({{":SUB", "5F 53 55 42", {"N 1:2 the call of program SUB is now prgmSUB"}},
           // On the TI-86 a program and a variable cannot share a name.
           {":SUB:Disp SUB",
            "5F 53 55 42 3E DE 53 55 42",
            {"N 1:2 the call of program SUB is now prgmSUB",
             "W 1:11 SUB is the name of a program; used as a variable here, it is left as it "
             "is"}}},
          "MAIN", {{"SUB", "SUB"}});
    check({
        {":cross(A,B)",
         "BB B2 BB C2 BB BF BB C3 BB C3 10 41 2B 42 11",
         {"W 1:2 cross has no TI-83 Plus counterpart; written as its name for you to replace"}},
        // Said once: a key loop holds many. Here the key's value is also
        // shown, which no code can be rewritten for.
        {":getKy\xFCK:If getKy==21:Disp K",
         "AD 04 4B 3E CE AD 6A 32 31 3E DE 4B",
         {"W 1:2 getKy: getKey codes differ between the two keyboards; check the numbers it is "
          "compared with",
          "N 1:18 == is now ="}},
        {":Outpt(9,1,\"X\")",
         "E0 39 2B 31 2B 2A 58 2A 11",
         {"N 1:2 Outpt is now Output", "W 1:8 row 9 is off the TI-83 Plus home screen (rows 1-8)"}},
    });
}

// The decimal mode statement goes with its separator; as what an If runs it
// stays (taking it out would hand the If the next statement), and the other
// base modes have no counterpart.
TEST(Ti86To83p, DecimalModeIsLeftOut) {
    const std::string note = "N 1:2 Dec is left out: the TI-83 Plus always works in decimal";
    check({
        {":Dec:Normal:Degree", "66 3E 65", {note}},
        {":Dec\n:Dec\n:Disp 1", "DE 31", {note}},
        {":Disp 1\n:Dec",
         "DE 31 3F",
         {"N 2:2 Dec is left out: the TI-83 Plus always works in "
          "decimal"}},
        {":If A:Dec:Disp 1",
         "CE 41 3E 44 BB B4 BB B2 3E DE 31",
         {"W 1:7 Dec has no TI-83 Plus counterpart; written as its name for you to replace"}},
        {":If A:Then:Dec:End",
         "CE 41 3E CF 3E D4",
         {"N 1:12 Dec is left out: the TI-83 Plus always works in decimal"}},
        {":Hex",
         "48 BB B4 BB C8",
         {"W 1:2 Hex has no TI-83 Plus counterpart; written as its name for you to replace"}},
    });
}

// A main program and its subprogram share their variables and call each
// other by the TI-83 Plus names.
TEST(Ti86To83p, GroupSharesNamesAndCalls) {
    const std::vector<Ti86SourceProgram> group = {
        {"MAIN", tokensOf(":5\xFCMONEY:SUB:Disp MONEY")},
        {"SUB", tokensOf(":MONEY+1\xFCMONEY")},
    };
    const std::vector<Ti83pTranslation> out = translateTi86Group(group);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].name, "MAIN");
    EXPECT_EQ(hex(out[0].tokens), "35 04 4D 3E 5F 53 55 42 3E DE 4D");
    EXPECT_EQ(out[1].name, "SUB");
    EXPECT_EQ(hex(out[1].tokens), "4D 70 31 04 4D");
    EXPECT_EQ(findings(out[1]), std::vector<std::string>{"N 1:2 variable MONEY is now M"});

    // Program names the TI-83 Plus cannot take are made valid and distinct.
    Diagnostics d;
    const Ti83pProgramNames names =
        ti83pNamesForGroup({{"game", {}}, {"GAME", {}}, {"2x", {}}}, &d);
    EXPECT_EQ(names.at("game"), "GAME1");
    EXPECT_EQ(names.at("GAME"), "GAME");
    EXPECT_EQ(names.at("2x"), "X");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].severity, Diagnostic::Severity::Note);
    EXPECT_EQ(d[0].message, "program game is now GAME1 (a TI-83 Plus program name is 1 to 8 of "
                            "A-Z, 0-9 and θ, the first not a digit)");

    // In a group, that note heads the renamed program's report.
    const std::vector<Ti83pTranslation> renamed =
        translateTi86Group({{"main", tokensOf(":ClLCD")}, {"SUB", tokensOf(":ClLCD")}});
    EXPECT_EQ(renamed[0].name, "MAIN");
    EXPECT_EQ(findings(renamed[0]),
              (std::vector<std::string>{"N 0:0 program main is now MAIN (a TI-83 Plus program "
                                        "name is 1 to 8 of A-Z, 0-9 and θ, the first not a "
                                        "digit)",
                                        "N 1:2 ClLCD is now ClrHome"}));
    EXPECT_EQ(findings(renamed[1]), std::vector<std::string>{"N 1:2 ClLCD is now ClrHome"});
}

// Numbers the TI-86 lets begin with ᴇ mean 1ᴇ...: the TI-83 Plus reads
// them the same way; a stray byte stays in sight.
TEST(Ti86To83p, ANumberBegunWithItsExponentAndAStrayByte) {
    check({
        {":If abs (D)\xF7\xFB\xFA"
         "7",
         "CE B2 44 11 6D 3B B0 37",
         {}},
        {":Stop\r\n:??",
         "D9 3F BB D7 BB C8 33 46 BB D7 BB C8 33 46",
         {"W 2:2 bytes 3F are no TI-86 token; written as \\x3F for you to see",
          "W 2:3 bytes 3F are no TI-86 token; written as \\x3F for you to see"}},
    });
}

// Plot1(type,xlist,ylist[,mark]) with the type and mark as numbers: worked
// out by hand from the two token sets (EC Plot1(, FE Scatter, FD xyLine,
// 80 + mark, 5D 00 L1, 5D 01 L2).
TEST(Ti86To83p, PlotTypesAndMarksBecomeTokens) {
    const std::string note = "N 1:2 Plot1( type and mark numbers are now the TI-83 Plus tokens, "
                             "taking the TI-86's type 1 as Scatter, 2 as xyLine and marks 1, 2, 3 "
                             "as \xE2\x96\xA1, +, \xC2\xB7: check them";
    check({
        {":Plot1(1,L1,L2,2)", "EC FE 2B 5D 00 2B 5D 01 2B 80 11", {note}},
        {":Plot1(2,L1,L2", "EC FD 2B 5D 00 2B 5D 01", {note}},
    });
    // Plot2 as well; the type of a box plot or a type in a variable stay
    // for the user, with the warning.
    const Ti83pTranslation two = translateTi86Program(tokensOf(":Plot2(1,L1,L2,3)"), "GAME");
    EXPECT_EQ(hex(two.tokens), "ED FE 2B 5D 00 2B 5D 01 2B 81 11");
    for (const char* other : {":Plot1(4,L1,L2)", ":Plot1(T,L1,L2)", ":Plot1(1,L1,L2,4)"}) {
        const std::vector<std::string> f = findings(translateTi86Program(tokensOf(other), "G"));
        EXPECT_TRUE(std::any_of(f.begin(), f.end(), [](const std::string& x) {
            return x.starts_with("W 1:2 Plot1:");
        })) << other;
    }
}

// mod(, sign and evalF(, worked out by hand: an operand written twice is put in
// parentheses unless it is one token; one that does something stays a
// warning (mod in letters: m BBBD, o BBBF, d BBB3, there being no BBBB).
TEST(Ti86To83p, ModAndSignWithWhatTheTi83PlusHas) {
    const std::string mod = "N 1:2 mod(A,B) is now A-B*int(A/B), the TI-86's mod for A and B "
                            "not negative; for a negative one the result is taken to have B's "
                            "sign, as on TI's later calculators";
    const std::string sign = "N 1:2 sign X is now (X>0)-(X<0)";
    check({
        {":mod(A,3)", "10 41 71 33 82 B1 41 83 33 11 11", {mod}},
        {":mod(A+1,B)", "10 10 41 70 31 11 71 42 82 B1 10 41 70 31 11 83 42 11 11", {mod}},
        {":sign A", "10 10 41 6C 30 11 71 10 41 6B 30 11 11", {sign}},
        {":sign (A-1)", "10 10 10 41 71 31 11 6C 30 11 71 10 10 41 71 31 11 6B 30 11 11", {sign}},
        {":evalF(x\xF2,x,3)",
         "B6 23 58 0D 2B 58 2B 33 2B 33 11 11",
         {"N 1:2 evalF(expression,x,v) is now sum(seq(expression,x,v,v)), which works the "
          "expression out at x=v and leaves x as it was",
          "N 1:8 x is now X"}},
        {":evalF(A,B,rand)",
         "BB B4 BB C6 BB B0 BB BC 46 10 41 2B 42 2B AB 11",
         {"W 1:2 evalF has no TI-83 Plus counterpart; written as its name for you to replace"}},
        // Longer operands, and window variables, are values too.
        {":sign (C-B\xF2/(4A))",
         "10 10 10 43 71 42 0D 83 10 34 41 11 11 6C 30 11 71 10 10 43 71 42 0D 83 10 34 41 11 11 "
         "6B 30 11 11",
         {"N 1:2 sign X is now (X>0)-(X<0)"}},
        {":evalF(x\xF2,x,xMin+\xBEx)",
         "B6 23 58 0D 2B 58 2B 10 63 0A 70 63 26 11 2B 10 63 0A 70 63 26 11 11 11",
         {"N 1:2 evalF(expression,x,v) is now sum(seq(expression,x,v,v)), which works the "
          "expression out at x=v and leaves x as it was",
          "N 1:8 x is now X", "N 1:13 xMin is now Xmin", "N 1:18 \xCE\x94x is now DeltaX"}},
        {":mod(rand,2)",
         "BB BD BB BF BB B3 10 AB 2B 32 11",
         {"W 1:2 mod has no TI-83 Plus counterpart; written as its name for you to replace"}},
    });
}

// getKy compared with written-out codes: each is the TI-83 Plus code of
// the same key (DEL 33 is 23 there, GRAPH 41 is 15), F1-F5 and the keys
// in the same place keep theirs, and a key the TI-83 Plus lacks is named.
TEST(Ti86To83p, KeyCodesCompared) {
    const std::string note =
        "N 1:2 getKy is now getKey, and the key codes it is compared with the TI-83 Plus codes "
        "of the same keys (the TI-86's taken from TI's row-and-column rule); F1-F5 (11-15) "
        "stay, the keys in their place (Y=, WINDOW, ZOOM, TRACE, GRAPH)";
    check({
        {":getKy\xFCK:If K==33",
         "AD 04 4B 3E CE 4B 6A 32 33",
         {note, "N 1:14 == is now =", "N 1:16 key code 33 (DEL) is now 23"}},
        {":If getKy==41 or getKy==11",
         "CE AD 6A 31 35 3C AD 6A 31 31",
         {"N 1:5 getKy is now getKey, and the key codes it is compared with the TI-83 Plus "
          "codes of the same keys (the TI-86's taken from TI's row-and-column rule); F1-F5 "
          "(11-15) stay, the keys in their place (Y=, WINDOW, ZOOM, TRACE, GRAPH)",
          "N 1:10 == is now =", "N 1:12 key code 41 (GRAPH) is now 15"}},
        {":0\xFCK:Repeat K:getKy\xFCK:End:If K\xF8"
         "22",
         "30 04 4B 3E D2 4B 3E AD 04 4B 3E D4 3E CE 4B 6F 32 32",
         {"N 1:15 getKy is now getKey, and the key codes it is compared with the TI-83 Plus "
          "codes of the same keys (the TI-86's taken from TI's row-and-column rule); F1-F5 "
          "(11-15) stay, the keys in their place (Y=, WINDOW, ZOOM, TRACE, GRAPH)",
          "W 1:32 key code 22 is the TI-86's EXIT key, which the TI-83 Plus does not have; left "
          "as it is (CLEAR, 45, or MODE, 22, are the usual stand-ins for EXIT)"}},
    });
    // The number first, a test for any key (>0) and DelVar of the key's
    // variable are followed too; a comparison with another number is not.
    check({
        {":0\xFCK:While 0==K:getKy\xFCK:End:If 41==K or K>0:DelVar(K",
         "30 04 4B 3E D1 30 6A 4B 3E AD 04 4B 3E D4 3E CE 31 35 6A 4B 3C 4B 6C 30 3E BB 54 4B",
         {"N 1:13 == is now =",
          "N 1:17 getKy is now getKey, and the key codes it is compared with the TI-83 Plus "
          "codes of the same keys (the TI-86's taken from TI's row-and-column rule); F1-F5 "
          "(11-15) stay, the keys in their place (Y=, WINDOW, ZOOM, TRACE, GRAPH)",
          "N 1:32 key code 41 (GRAPH) is now 15", "N 1:45 DelVar(name) is now DelVar name"}},
    });
    // A menu choice's label spelled like the key's variable is no use of it.
    check({
        {":getKy\xFCK:If K==33:Menu(1,\"GO\",K):Lbl K",
         "AD 04 4B 3E CE 4B 6A 32 33 3E E6 2A 47 41 4D 45 2A 2B 2A 47 4F 2A 2B 4B 11 3E D6 4B",
         {note, "N 1:14 == is now =", "N 1:16 key code 33 (DEL) is now 23",
          "N 1:19 Menu( takes the program's name as its title and drops the key numbers"}},
    });
    for (const char* held :
         {":getKy\xFCK:If K>5", ":getKy\xFCK:If 5<K", ":getKy\xFCK:DelVar(K+1"}) {
        const std::vector<std::string> f = findings(translateTi86Program(tokensOf(held), "G"));
        ASSERT_FALSE(f.empty()) << held;
        EXPECT_TRUE(f[0].starts_with("W 1:2 getKy: getKey codes differ")) << held << f[0];
    }
    // A code in arithmetic is not followed: the warning stays.
    const std::vector<std::string> f =
        findings(translateTi86Program(tokensOf(":getKy\xFCK:If K-20==5"), "G"));
    ASSERT_FALSE(f.empty());
    EXPECT_TRUE(f[0].starts_with("W 1:2 getKy: getKey codes differ")) << f[0];
}

// An equation stored under a name of the program's own takes a free Y1-Y0,
// as the TI-86's y1 does its own, and is taken off the graph: worked out by
// hand (5E 10 Y1, 5E 11 Y2, 97 FnOff).
TEST(Ti86To83p, EquationsOfNamesTakeAFreeFunction) {
    check({
        {":f=x\xF2",
         "2A 58 0D 2A 04 5E 10 3E 97 31",
         {"N 1:2 f= is now a string stored to Y1 (\"expression\"\xE2\x86\x92Y1)",
          "N 1:2 FnOff 1 after it: the TI-83 Plus would graph Y1, the TI-86 graphs no f",
          "N 1:4 x is now X"}},
        // y1 is the program's: f takes Y2, and is Y2 where it is used.
        {":y1=x:f=x\xF2:Disp f",
         "2A 58 2A 04 5E 10 3E 2A 58 0D 2A 04 5E 11 3E 97 32 3E DE 5E 11",
         {"N 1:2 y1= is now a string stored to Y1 (\"expression\"\xE2\x86\x92Y1)",
          "N 1:5 x is now X",
          "N 1:7 FnOff 2 after it: the TI-83 Plus would graph Y2, the TI-86 graphs no f",
          "N 1:17 variable f is now Y2"}},
    });
}

// Past Y1-Y0 an equation's text goes to a string no string name took, and
// is worked out with expr( where it is used.
TEST(Ti86To83p, EquationsPastTheFunctionsTakeAString) {
    std::string text;
    for (const char* y : {"y1", "y2", "y3", "y4", "y5", "y6", "y7", "y8", "y9", "y0"})
        text += std::string(":") + y + "=x\r\n";
    // S1 is a string: it keeps Str1, and f takes Str2.
    const Ti83pTranslation t =
        translateTi86Program(tokensOf(text + ":\"A\"\xFCS1\r\n:f=x\xF2\r\n:Disp f+1"), "P");
    const std::string bytes = hex(t.tokens);
    // "A"→Str1:"X²"→Str2:Disp expr(Str2)+1
    EXPECT_TRUE(bytes.ends_with("3F 2A 41 2A 04 AA 00 3F 2A 58 0D 2A 04 AA 01 3F DE BB 2A AA 01 11 "
                                "70 31"))
        << bytes;
    const std::vector<std::string> all = findings(t);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
        return f.ends_with(":2 f= is now a string stored to Str2 (\"expression\"\xE2\x86\x92Str2), "
                           "worked out with expr(Str2) where it is used: Y1-Y0 are taken");
    }));
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
        return f.ends_with(":7 variable f is now expr(Str2)");
    }));
    EXPECT_TRUE(std::none_of(t.diagnostics.begin(), t.diagnostics.end(), [](const auto& d) {
        return d.severity == Diagnostic::Severity::Warning;
    }));
}

// Past Y1-Y0 and the strings an equation takes X1T-Y6T, then r1-r6: they
// too hold an expression and work it out where used, and are graphed in Par
// and Pol mode only. A program that sets one of those modes keeps the
// warning; xt1 of the program's own keeps X1T.
TEST(Ti86To83p, EquationsPastTheStringsTakeOtherEquationVariables) {
    std::string full;
    for (const char* y : {"y1", "y2", "y3", "y4", "y5", "y6", "y7", "y8", "y9", "y0"})
        full += std::string(":") + y + "=x\r\n";
    for (char c = '0'; c <= '9'; ++c)
        full += std::string(":\"A\"\xFCS") + c + "\r\n";
    const auto warnings = [](const Ti83pTranslation& t) {
        std::vector<std::string> w;
        for (const std::string& f : findings(t))
            if (f[0] == 'W')
                w.push_back(f);
        return w;
    };
    // "X²"→X1T:Disp X1T+1, no FnOff after it.
    const Ti83pTranslation t = translateTi86Program(tokensOf(full + ":f=x\xF2\r\n:Disp f+1"), "P");
    EXPECT_TRUE(hex(t.tokens).ends_with("3F 2A 58 0D 2A 04 5E 20 3F DE 5E 20 70 31"))
        << hex(t.tokens);
    EXPECT_TRUE(warnings(t).empty());
    const std::vector<std::string> all = findings(t);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
        return f.find("no program here sets those modes") != std::string::npos;
    }));

    // xt1 and yt1 are the program's own: f takes X2T (5E 22).
    const std::string own =
        hex(translateTi86Program(tokensOf(full + ":xt1=t:yt1=t:f=x"), "P").tokens);
    EXPECT_TRUE(own.ends_with("3E 2A 58 2A 04 5E 22")) << own;

    // Thirteen past the strings: X1T-Y6T, then r1 (5E 40).
    std::string many = full;
    for (char n = 'A'; n < 'A' + 13; ++n)
        many += std::string(":F") + n + "=x\r\n";
    const Ti83pTranslation m = translateTi86Program(tokensOf(many), "P");
    EXPECT_TRUE(hex(m.tokens).ends_with("3F 2A 58 2A 04 5E 40")) << hex(m.tokens);
    EXPECT_TRUE(warnings(m).empty());

    // Param in the program: parametric slots are no hiding place, and past
    // r1-r6 (Pol too) nothing is left.
    for (const char* mode : {":Param\r\n", ":Pol\r\n:Param\r\n"}) {
        SCOPED_TRACE(mode);
        std::string text = full + mode;
        for (char n = 'A'; n < 'A' + 7; ++n)
            text += std::string(":F") + n + "=x\r\n";
        std::vector<std::string> left = warnings(translateTi86Program(tokensOf(text), "P"));
        // The = of an equation left as it is warns too.
        std::erase_if(left, [](const std::string& f) { return f.find(" = stores") != f.npos; });
        const std::size_t expected = std::string(mode).find("Pol") != std::string::npos ? 7 : 1;
        EXPECT_EQ(left.size(), expected);
        for (const std::string& f : left)
            EXPECT_TRUE(f.ends_with("every TI-83 Plus equation variable (Y1-Y0, X1T-Y6T, r1-r6) "
                                    "and string is taken; it is left as it is"))
                << f;
    }
}

// Vectors as lists where the programs use no matrix: [a,b] is {a,b}, a
// vector's name a list's (worked out by hand: 08 {, 09 }, EB ʟ). With a
// matrix written out, or a vector compared, the warning stays.
TEST(Ti86To83p, VectorsBecomeLists) {
    const std::string note =
        "N 1:2 vectors are lists on the TI-83 Plus: [a,b] is now {a,b} and a vector's name a "
        "list's; +, -, and \xC3\x97 or \xC3\xB7 by a number act element by element alike, and "
        "Disp shows { } where the TI-86 shows [ ]";
    check({
        {":[1,2]\xFCV:V+[3,4]\xFCW:Disp W(2)",
         "08 31 2B 32 09 04 EB 56 3E EB 56 70 08 33 2B 34 09 04 EB 57 3E DE EB 57 10 32 11",
         {note, "N 1:8 variable V is now \xCA\x9FV", "N 1:18 variable W is now \xCA\x9FW"}},
        {":2*[1,2]\xFCV",
         "32 82 08 31 2B 32 09 04 EB 56",
         {"N 1:4 vectors are lists on the TI-83 Plus: [a,b] is now {a,b} and a vector's name a "
          "list's; +, -, and \xC3\x97 or \xC3\xB7 by a number act element by element alike, and "
          "Disp shows { } where the TI-86 shows [ ]",
          "N 1:10 variable V is now \xCA\x9FV"}},
        // dim sizes vectors and matrices only: sized from a name, V is a
        // vector by its one index, M a matrix by its two.
        {":3\xFCN:N\xFC"
         "dim V:1\xFCV(1)",
         "33 04 4E 3E 4E 04 B5 EB 56 11 3E 31 04 EB 56 10 31 11",
         {"N 1:8 dim without ( now has its ( and )", "N 1:12 variable V is now \xCA\x9FV"}},
        {":N\xFC"
         "dim M:1\xFCM(1,2)",
         "4E 04 B5 5C 00 11 3E 31 04 5C 00 10 31 2B 32 11",
         {"N 1:4 dim without ( now has its ( and )", "N 1:8 variable M is now [A]"}},
        // An element stored makes no second kind: 5→V(2) is a list's too.
        {":[1,2]\xFCV:5\xFCV(2)",
         "08 31 2B 32 09 04 EB 56 3E 35 04 EB 56 10 32 11",
         {note, "N 1:8 variable V is now \xCA\x9FV"}},
    });
    const auto warnings = [](const char* text) {
        std::vector<std::string> w;
        for (const std::string& f : findings(translateTi86Program(tokensOf(text), "G")))
            if (f[0] == 'W')
                w.push_back(f);
        return w;
    };
    // A matrix written out keeps its brackets; D+1→dim sizes a vector.
    const Ti83pTranslation both =
        translateTi86Program(tokensOf(":[[1,2][3,4]]\xFCM:[1,2]\xFCV:3\xFC"
                                      "dim W"),
                             "G");
    EXPECT_EQ(hex(both.tokens), "06 06 31 2B 32 07 06 33 2B 34 07 07 04 5C 00 3E 08 31 2B 32 09 04 "
                                "EB 56 3E 33 04 B5 EB 57 11");
    for (const std::string& f : findings(both))
        EXPECT_NE(f[0], 'W') << f;
    EXPECT_EQ(warnings(":[[1,2][3,4]]\xFCM:M*[1,2]\xFCV"),
              std::vector<std::string>{"W 1:25 a vector and a matrix meet in this statement; the "
                                       "vector is a list on the TI-83 Plus, check it"});
    EXPECT_EQ(warnings(":[1,2]\xFCV:If V(1)==1:Disp 1"), std::vector<std::string>{});
    EXPECT_EQ(warnings(":[1,2]\xFCV:If V==[1,2]:Disp 1"),
              std::vector<std::string>{"W 1:14 a vector is compared here; the TI-83 Plus "
                                       "compares lists element by element, check it"});
}

// sortA L→M, a statement of its own, as L→M:SortA(M), or SortA(L) when M
// is L (E3 SortA(, E4 SortD(); in a program reading Ans, which the two
// leave differently, the warning stays.
TEST(Ti86To83p, SortsStoredToAListSortInPlace) {
    check({
        {":{3,1}\xFCL:sortA L\xFCL",
         "08 33 2B 31 09 04 EB 4C 3E E3 EB 4C 11",
         {"N 1:8 variable L is now \xCA\x9FL",
          "N 1:10 sortA L\xE2\x86\x92M is now L\xE2\x86\x92M:SortA(M), which sorts M in place "
          "(SortA(L) where M is L)"}},
        {":{3,1}\xFCL:sortD(L)\xFCM",
         "08 33 2B 31 09 04 EB 4C 3E EB 4C 04 EB 4D 3E E4 EB 4D 11",
         {"N 1:8 variable L is now \xCA\x9FL",
          "N 1:10 sortD L\xE2\x86\x92M is now L\xE2\x86\x92M:SortD(M), which sorts M in place "
          "(SortD(L) where M is L)",
          "N 1:19 variable M is now \xCA\x9FM"}},
    });
    for (const char* held : {":{3,1}\xFCL:sortA L\xFCM:Disp Ans", ":{3,1}\xFCL:Disp sortA L"}) {
        const std::vector<std::string> f = findings(translateTi86Program(tokensOf(held), "G"));
        EXPECT_TRUE(std::any_of(f.begin(), f.end(), [](const std::string& w) {
            return w.starts_with("W") && w.find("sortA: SortA( and SortD(") != w.npos;
        })) << held;
    }
}

// What a test gives is a number, or a list for lists: strings compared
// make no string (6A =, AA 00 Str1, EB ʟ); an element read is a number.
TEST(Ti86To83p, ATestStoredIsANumberOrAList) {
    check({
        {":\"AB\"\xFCS:S==\"AB\"\xFCR:Disp R",
         "2A 41 42 2A 04 AA 00 3E AA 00 6A 2A 41 42 2A 04 52 3E DE 52",
         {"N 1:7 variable S is now Str1", "N 1:10 == is now ="}},
        {":{1,2}\xFCL:L=={1,3}\xFCM",
         "08 31 2B 32 09 04 EB 4C 3E EB 4C 6A 08 31 2B 33 09 04 EB 4D",
         {"N 1:8 variable L is now \xCA\x9FL",
          "N 1:11 == is now =", "N 1:19 variable M is now \xCA\x9FM"}},
        // An element read is a number: X is a letter, whatever L is.
        {":{1,2}\xFCL:L(2)\xFCX:Disp X",
         "08 31 2B 32 09 04 EB 4C 3E EB 4C 10 32 11 04 58 3E DE 58",
         {"N 1:8 variable L is now \xCA\x9FL"}},
        // Matrices compared give one value: R is a letter.
        {":[[1,2][3,4]]\xFCM:M==M\xFCR:Disp R",
         "06 06 31 2B 32 07 06 33 2B 34 07 07 04 5C 00 3E 5C 00 6A 5C 00 04 52 3E DE 52",
         {"N 1:15 variable M is now [A]", "N 1:18 == is now ="}},
    });
}

// A matrix's size is the list {rows,columns}; a list's, a number. Which
// one a name holds follows the kind of what it is the size of, wherever
// that is told; when nothing tells it, the name warns.
TEST(Ti86To83p, ASizeStoredIsAListForAMatrix) {
    check({
        {":[[1,2][3,4]]\xFCM:dim M\xFCSZ:Disp SZ(1)",
         "06 06 31 2B 32 07 06 33 2B 34 07 07 04 5C 00 3E B5 5C 00 11 04 EB 53 5A 3E DE EB 53 "
         "5A 10 31 11",
         {"N 1:15 variable M is now [A]", "N 1:17 dim without ( now has its ( and )",
          "N 1:23 variable SZ is now \xCA\x9FSZ"}},
        // The size first, the matrix told later: the same.
        {":dim(M)\xFCSZ:[[1]]\xFCM",
         "B5 5C 00 11 04 EB 53 5A 3E 06 06 31 07 07 04 5C 00",
         {"N 1:6 variable M is now [A]", "N 1:9 variable SZ is now \xCA\x9FSZ"}},
        {":{1,2}\xFCL:dim L\xFCSZ:Disp SZ",
         "08 31 2B 32 09 04 EB 4C 3E B5 EB 4C 11 04 53 3E DE 53",
         {"N 1:8 variable L is now \xCA\x9FL", "N 1:10 dim without ( now has its ( and )",
          "N 1:16 variable SZ is now S"}},
        {":Input AB:dim AB\xFCSZ:Disp SZ(1)",
         "DC 41 3E B5 41 11 04 53 5A 3E DE 53 5A 10 31 11",
         {"N 1:8 variable AB is now A", "N 1:11 dim without ( now has its ( and )",
          "W 1:18 variable SZ: its kind cannot be told (it holds the size of AB, a list if that "
          "is a matrix and a number otherwise, and nothing in the program says which); it is "
          "left as it is"}},
    });
}

// (a,b) is the TI-86's complex number a+bi; a part whose operators would
// bind otherwise is grouped. ( 10, ) 11, + 70, i 2C, → 04, ⁻ B0, > 6C,
// abs( B2, Disp DE.
TEST(Ti86To83p, ComplexPairsAreWrittenWithI) {
    const std::string note = "N 1:1 (a,b), a complex number on the TI-86, is now a+bi: the "
                             "TI-83 Plus computes with it alike and shows it as a+bi";
    check({
        {"(3,4)\xFCZ", "10 33 70 34 2C 11 04 5A", {note}},
        // After a function without "(", its "(" is the function's.
        {"abs (A,B+1)+1",
         "B2 41 70 10 42 70 31 11 2C 11 70 31",
         {"N 1:5 (a,b), a complex number on the TI-86, is now a+bi: the TI-83 Plus computes "
          "with it alike and shows it as a+bi"}},
        {"2(A>B,\xFA"
         "2)",
         "32 10 10 41 6C 42 11 70 10 B0 32 11 2C 11",
         {"N 1:2 (a,b), a complex number on the TI-86, is now a+bi: the TI-83 Plus computes "
          "with it alike and shows it as a+bi"}},
        {"Disp (H,K-1)",
         "DE 10 48 70 10 4B 71 31 11 2C 11",
         {"N 1:6 (a,b), a complex number on the TI-86, is now a+bi: the TI-83 Plus computes "
          "with it alike and shows it as a+bi"}},
        // Left open at the statement's end, it is closed there on both.
        {"abs (3,4",
         "B2 33 70 34 2C",
         {"N 1:5 (a,b), a complex number on the TI-86, is now a+bi: the TI-83 Plus computes "
          "with it alike and shows it as a+bi"}},
        // A store ends a pair left open: the pair is stored.
        {"(A,B-1\xFCZ", "10 41 70 10 42 71 31 11 2C 11 04 5A", {note}},
        // One value in parentheses is no pair, nor is a prompt and a name.
        {"(3)\xFCZ", "10 33 11 04 5A", {}},
        {"Input (\"N\",N", "DC 10 2A 4E 2A 2B 4E", {}},
    });
}

// Past Str1-Str0, a string given one text ever, on a line of its own, is
// that text where it is read; the store leaves the text alone, for Ans.
// Given two texts, or read in, it stays a warning.
TEST(Ti86To83p, StringsOfOneTextAreWrittenOutPastTheStrings) {
    std::string ten;
    for (char c = '0'; c <= '9'; ++c)
        ten += std::string(":InpSt S") + c + "\r\n";
    const Ti83pTranslation t =
        translateTi86Program(tokensOf(ten + ":\"HI\"\xFCM\r\n:Disp M+\"!\""), "P");
    // "HI":Disp "HI"+"!" (! is the factorial token, 2D)
    EXPECT_TRUE(hex(t.tokens).ends_with("3F 2A 48 49 2A 3F DE 2A 48 49 2A 70 2A 2D 2A"))
        << hex(t.tokens);
    const std::vector<std::string> all = findings(t);
    for (const std::string& f : all)
        EXPECT_NE(f[0], 'W') << f;
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
        return f.ends_with(
            "N 11:7 variable M is given no other value than \"HI\": every TI-83 Plus "
            "string is taken, so the text is written where it is read, and here "
            "alone");
    }));
    // The empty text too: "":Disp ""
    EXPECT_TRUE(hex(translateTi86Program(tokensOf(ten + ":\"\"\xFCM\r\n:Disp M"), "P").tokens)
                    .ends_with("3F 2A 2A 3F DE 2A 2A"));
    for (const char* other :
         {":\"HI\"\xFCM\r\n:\"HO\"\xFCM\r\n:Disp M", ":\"HI\"\xFCM\r\n:InpSt M\r\n:Disp M"}) {
        const std::vector<std::string> left =
            findings(translateTi86Program(tokensOf(ten + other), "P"));
        EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](const std::string& f) {
            return f.ends_with("variable M: every TI-83 Plus string is taken; it is left as it is");
        })) << other;
    }
}

// Q1-Q9, QI1-QI9 hold DifEq's initial values; a program that does not
// graph in DifEq mode keeps its own numbers there, a real like any other.
TEST(Ti86To83p, InitialValuesAreRealsOutsideDifEq) {
    check({
        {":Prompt Q1:Disp Q1*2", "DD 51 3E DE 51 82 32", {"N 1:9 variable Q1 is now Q"}},
        {":Prompt QI3", "DD 51", {"N 1:9 variable QI3 is now Q"}},
    });
    const std::vector<std::string> f =
        findings(translateTi86Program(tokensOf(":DifEq:Prompt Q1"), "G"));
    EXPECT_TRUE(std::any_of(f.begin(), f.end(), [](const std::string& w) {
        return w == "W 1:15 variable Q1: it is an initial value of the differential equations the "
                    "TI-86 graphs in DifEq mode, which the TI-83 Plus does not have; it is left "
                    "as it is";
    }));
}

// xStat and yStat that the program fills itself, with no statistics
// command to read or fill them unasked, are lists of its own (EB ʟ, then
// X S T A T); with LinR in the program, or only read, they stay warnings.
TEST(Ti86To83p, StatListsOfTheProgramsOwn) {
    check({
        {":{1,2}\xFCxStat:{3,4}\xFCyStat:Plot1(1,xStat,yStat)",
         "08 31 2B 32 09 04 EB 58 53 54 41 54 3E 08 33 2B 34 09 04 EB 59 53 54 41 54 3E EC FE 2B "
         "EB 58 53 54 41 54 2B EB 59 53 54 41 54 11",
         {"N 1:8 xStat is now \xCA\x9FXSTAT, a list of the program's own: it stores to it and "
          "runs no statistics command, which would read or fill it",
          "N 1:20 yStat is now \xCA\x9FYSTAT, a list of the program's own: it stores to it and "
          "runs no statistics command, which would read or fill it",
          "N 1:26 Plot1( type and mark numbers are now the TI-83 Plus tokens, taking the TI-86's "
          "type 1 as Scatter, 2 as xyLine and marks 1, 2, 3 as \xE2\x96\xA1, +, \xC2\xB7: check "
          "them"}},
    });
    for (const char* held : {":{1,2}\xFCxStat:LinR", ":Disp xStat"}) {
        const std::vector<std::string> f = findings(translateTi86Program(tokensOf(held), "G"));
        EXPECT_TRUE(std::any_of(f.begin(), f.end(), [](const std::string& w) {
            return w.ends_with("xStat has no TI-83 Plus counterpart; written as its name for you "
                               "to replace");
        })) << held;
    }
}

// y11-y99 have no TI-83 Plus name: each takes a free Y1-Y0 as an equation
// of the program's own does, but stays graphed (no FnOff), as the TI-86
// graphs it; they come before the program's own equations, which can go
// on to strings, and past Y1-Y0 they stay a warning.
TEST(Ti86To83p, FunctionsPastY10TakeAFreeFunction) {
    check({
        {":y90=x\xF2:Disp y90",
         "2A 58 0D 2A 04 5E 10 3E DE 5E 10",
         {"N 1:2 y90= is now a string stored to Y1 (\"expression\"\xE2\x86\x92Y1)",
          "N 1:2 y90 has no TI-83 Plus name: Y1 holds it and is left on, taken to be graphed as "
          "the TI-86 graphs a function a program stores",
          "N 1:6 x is now X", "N 1:14 variable y90 is now Y1"}},
    });
    std::string nine;
    for (const char* y : {"y1", "y2", "y3", "y4", "y5", "y6", "y7", "y8", "y9"})
        nine += std::string(":") + y + "=x\r\n";
    // f first in the program, y90 first to Y0: "X"→Str1, "X²"→Y0.
    const Ti83pTranslation t = translateTi86Program(tokensOf(nine + ":f=x\r\n:y90=x\xF2"), "P");
    EXPECT_TRUE(hex(t.tokens).ends_with("3F 2A 58 2A 04 AA 00 3F 2A 58 0D 2A 04 5E 19"))
        << hex(t.tokens);
    for (const std::string& f : findings(t))
        EXPECT_NE(f[0], 'W') << f;
    const std::vector<std::string> left =
        findings(translateTi86Program(tokensOf(nine + ":y10=x\r\n:y90=x"), "P"));
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](const std::string& f) {
        return f.ends_with(":2 variable y90: every TI-83 Plus function (Y1-Y0) is taken; it is "
                           "left as it is");
    }));
}

// More of them than Y1-Y0 in one group: the one left out is one the fewest
// programs name (y20, named in ALL alone), not the last seen (y21, in ONE
// too), and GrStl( follows its function's new number.
TEST(Ti86To83p, FunctionsLeftOutAreTheLeastShared) {
    std::string eleven;
    for (int n = 11; n <= 21; ++n)
        eleven += ":y" + std::to_string(n) + "=x\r\n";
    const std::vector<Ti86SourceProgram> group = {
        {"ALL", tokensOf(eleven + ":ONE")},
        {"ONE", tokensOf(":y21=x:GrStl(21,2)")},
    };
    const std::vector<Ti83pTranslation> out = translateTi86Group(group);
    ASSERT_EQ(out.size(), 2u);
    const std::vector<std::string> all = findings(out[0]);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
        return f == "W 10:2 variable y20: every TI-83 Plus function (Y1-Y0) is taken; it is "
                    "left as it is";
    }));
    // "X"→Y0, then GraphStyle(0,2).
    EXPECT_EQ(hex(out[1].tokens), "2A 58 2A 04 5E 19 3E BB 45 30 2B 32 11");
    EXPECT_EQ(findings(out[1]),
              (std::vector<std::string>{
                  "N 1:2 y21= is now a string stored to Y0 (\"expression\"\xE2\x86\x92Y0)",
                  "N 1:2 y21 has no TI-83 Plus name: Y0 holds it and is left on, taken to be "
                  "graphed as the TI-86 graphs a function a program stores",
                  "N 1:6 x is now X", "N 1:8 GrStl is now GraphStyle",
                  "N 1:14 GrStl(21 is now GraphStyle(0: Y0 holds y21"}));
    check({
        {":GrStl(3,1)", "BB 45 33 2B 31 11", {"N 1:2 GrStl is now GraphStyle"}},
        {":GrStl(10,1)",
         "BB 45 30 2B 31 11",
         {"N 1:2 GrStl is now GraphStyle", "N 1:8 GrStl(10 is now GraphStyle(0: Y0 holds y10"}},
        {":GrStl(50,1)",
         "BB 45 35 30 2B 31 11",
         {"N 1:2 GrStl is now GraphStyle",
          "W 1:8 GrStl(50: y50 has no TI-83 Plus function, so GraphStyle( has no number for it; "
          "check it"}},
    });
}

// A backup of unrelated programs: each set of programs that call one
// another has the TI-83 Plus names to itself.
TEST(Ti86To83p, GroupsAreScopedByCalls) {
    // Ten strings in each program: twenty in one namespace would not fit.
    std::string strings;
    for (char n = 'A'; n < 'A' + 10; ++n)
        strings += std::string(":\"A\"\xFCS") + n + "X\r\n";
    const std::vector<Ti86SourceProgram> group = {
        {"APRG", tokensOf(strings)},
        {"BPRG", tokensOf(strings)},
        {"CPRG", tokensOf(":Disp SJX:BPRG")}, // calls BPRG: shares its SJX
        {"DPRG", tokensOf(":Disp SJX")},      // calls nothing: SJX is its own
    };
    const std::vector<Ti83pTranslation> out = translateTi86Group(group);
    ASSERT_EQ(out.size(), 4u);
    for (const Ti83pTranslation& t : out)
        for (const Diagnostic& d : t.diagnostics)
            EXPECT_EQ(d.severity, Diagnostic::Severity::Note) << t.name << ": " << d.message;
    // "A"→SAX is "A"→Str1 in both, "A"→SJX the tenth, Str0.
    EXPECT_TRUE(hex(out[0].tokens).starts_with("2A 41 2A 04 AA 00 3F")) << hex(out[0].tokens);
    EXPECT_TRUE(hex(out[1].tokens).starts_with("2A 41 2A 04 AA 00 3F")) << hex(out[1].tokens);
    EXPECT_TRUE(hex(out[1].tokens).ends_with("2A 41 2A 04 AA 09")) << hex(out[1].tokens);
    EXPECT_EQ(hex(out[2].tokens), "DE AA 09 3E 5F 42 50 52 47");
    // Alone, SJX is a real variable of its program's own, and the first letter free.
    EXPECT_EQ(hex(out[3].tokens), "DE 53");
}

// The target decides only what the screen positions and menus are checked
// against: the tokens are the same for all three.
TEST(Ti86To83p, TargetsCheckTheirOwnScreensAndMenus) {
    const Ti83pTarget& ti83p = ti83pTarget(Ti83pModel::Ti83p);
    const Ti83pTarget& ti84p = ti83pTarget(Ti83pModel::Ti84p);
    const Ti83pTarget& ce = ti83pTarget(Ti83pModel::Ti84pce);
    const auto warnings = [](const std::string& text, const Ti83pTarget& target) {
        std::vector<std::string> out;
        for (const std::string& f :
             findings(translateTi86Program(tokensOf(text), "GAME", {}, target)))
            if (f.starts_with("W"))
                out.push_back(f);
        return out;
    };
    // Row 8, column 21: the TI-86's last place. 10 x 26 on the CE.
    const std::string corner = ":Outpt(8,21,\"X\")";
    EXPECT_EQ(warnings(corner, ti83p),
              std::vector<std::string>{
                  "W 1:10 column 21 is off the TI-83 Plus home screen (columns 1-16)"});
    EXPECT_EQ(warnings(corner, ti84p),
              std::vector<std::string>{
                  "W 1:10 column 21 is off the TI-84 Plus home screen (columns 1-16)"});
    EXPECT_TRUE(warnings(corner, ce).empty());
    EXPECT_EQ(warnings(":Outpt(11,26,\"X\")", ce).size(), 1u);
    EXPECT_EQ(warnings(":Outpt(10,27,\"X\")", ce).size(), 1u);
    EXPECT_TRUE(warnings(":Outpt(10,26,\"X\")", ce).empty());
    // The graph screen: rows 0-62 and columns 0-94; 0-164 and 0-264 on the CE.
    EXPECT_EQ(warnings(":Text(50,120,\"X\")", ti83p).size(), 1u);
    EXPECT_TRUE(warnings(":Text(50,120,\"X\")", ce).empty());
    EXPECT_TRUE(warnings(":PxOn(62,94)", ti83p).empty());
    EXPECT_EQ(warnings(":PxOn(165,10)", ce).size(), 1u);

    // Eight choices: one too many for one TI-83 Plus menu, not for the CE;
    // ten are too many for it too. Both are chained instead, at the
    // target's length.
    const auto menu = [](int choices, const std::string& text) {
        std::string out = ":Menu(";
        for (int n = 1; n <= choices; ++n)
            out += (n > 1 ? "," : "") + std::to_string(n) + ",\"" + text + "\",A";
        return out + "):Lbl A";
    };
    EXPECT_TRUE(warnings(menu(8, "GO"), ti83p).empty());
    EXPECT_TRUE(warnings(menu(8, "GO"), ce).empty());
    EXPECT_TRUE(warnings(menu(10, "GO"), ce).empty());
    // Ten on the CE: eight and MORE, then two; "GO",A is 2B 2A 47 4F 2A 2B 41.
    const std::string go = "2B 2A 47 4F 2A 2B 41 ";
    std::string eightGo;
    for (int n = 0; n < 8; ++n)
        eightGo += go;
    EXPECT_EQ(hex(translateTi86Program(tokensOf(menu(10, "GO")), "GAME", {}, ce).tokens),
              "E6 2A 47 41 4D 45 2A " + eightGo + "2B 2A 4D 4F 52 45 2A 2B 4D 41 11 3E D6 4D 41 " +
                  "3E E6 2A 47 41 4D 45 2A " + go + go + "11 3E D6 41");
    // Seventeen on the TI-83 Plus: 6, 6 and 5, under two made labels.
    const std::vector<std::string> seventeen =
        findings(translateTi86Program(tokensOf(menu(17, "GO")), "GAME", {}, ti83p));
    EXPECT_NE(std::find(seventeen.begin(), seventeen.end(),
                        "N 1:2 Menu( has 17 choices; the TI-83 Plus shows 7: it is now 3 menus, "
                        "each but the last ending in a MORE choice that goes to the next (labels "
                        "MA, MB)"),
              seventeen.end());
    // A choice of 15 characters is one too long for 14, fits 24.
    EXPECT_EQ(warnings(menu(1, "FIFTEEN LETTERS"), ti83p),
              std::vector<std::string>{"W 1:9 Menu( choice \"FIFTEEN LETTERS\" has 15 "
                                       "characters; the TI-83 Plus shows 14"});
    EXPECT_TRUE(warnings(menu(1, "FIFTEEN LETTERS"), ce).empty());

    // The same tokens whatever the target, for a menu that fits both.
    const std::string program = corner + menu(7, "GO");
    EXPECT_EQ(hex(translateTi86Program(tokensOf(program), "GAME", {}, ti83p).tokens),
              hex(translateTi86Program(tokensOf(program), "GAME", {}, ce).tokens));
    EXPECT_EQ(ti83pModelNamed("ti84pce"), Ti83pModel::Ti84pce);
    EXPECT_EQ(ti83pModelNamed("ti83"), std::nullopt);
}

// What the translator cannot do it says, once per name, and leaves the name
// as the TI-86 spelled it.
TEST(Ti86To83p, NamesItCannotPlace) {
    check({
        // A string and a list at once.
        {":\"A\"\xFCW:{1}\xFCW:Disp W",
         "2A 41 2A 04 57 3E 08 31 09 04 57 3E DE 57",
         {"W 1:6 variable W: its kind cannot be told (it is used as more than one of number, "
          "string, list, matrix); it is left as it is"}},
        // An equation of a name the program also writes before "(": f(3)
        // would be Y1 at X=3 on the TI-83 Plus.
        {":f=x\xF2:Disp f(3)",
         "BB B5 6A 58 0D 3E DE BB B5 10 33 11",
         {"W 1:2 variable f: it is written before \"(\", which on the TI-83 Plus would make "
          "Y1( a value at that X; it is left as it is",
          "W 1:3 = stores an equation on the TI-86; the TI-83 Plus reads it as a test, check it",
          "N 1:4 x is now X"}},
        // Input says nothing of its kind, and it is read with two indices: a matrix's element
        // as likely as AB times the pair (1,2), so it stays as it is.
        {":Input AB:Disp AB(1,2)",
         "DC 41 42 3E DE 41 42 10 31 2B 32 11",
         {"W 1:8 variable AB: its kind cannot be told (nothing in the program says what it "
          "holds, and it is written before a pair in parentheses, as a matrix's element is); "
          "it is left as it is"}},
        // One index, or a pair inside a group, is a number times a group;
        // the pair is the complex number 1+2i.
        {":Input AB:Disp AB(2),AB((1,2)+1)",
         "DC 41 3E DE 41 10 32 11 2B 41 10 10 31 70 32 2C 11 70 31 11",
         {"N 1:8 variable AB is now A",
          "N 1:25 (a,b), a complex number on the TI-86, is now a+bi: the TI-83 Plus computes "
          "with it alike and shows it as a+bi"}},
        // A bare name never used otherwise is a call, of a program not given.
        {":SUB",
         "5F 53 55 42",
         {"N 1:2 the call of program SUB is now prgmSUB (not translated with this program: "
          "translate it and send it too)"}},
        {":Menu(A)",
         "E6 41 11",
         {"W 1:2 Menu( is not in the form Menu(n,\"text\",label,...); translated as it stands, "
          "check it"}},
        // Kept in sight as the characters \xFF: backslash, x, F, F.
        {":\\xFF",
         "BB D7 BB C8 46 46",
         {"W 1:2 bytes FF are no TI-86 token; written as \\xFF for you to see"}},
        {"", "", {}},
    });
}

namespace {

// ":1→AA" ... ":1→AZ", ":1→BA": 27 long names for the 27 letters.
std::string twentySevenNames() {
    std::string text;
    for (char second = 'A'; second <= 'Z'; ++second)
        text += std::string(":1\xFC") + "A" + second + "\r\n";
    return text + ":1\xFC" + "BA\r\n";
}

const char* const kElementsNote =
    "the 27 TI-83 Plus real variables (A-Z, θ) are taken: the real names past them are "
    "elements of list ʟV, which the program's start makes 1 long (grown keeping its elements, "
    "so values kept between runs stay; check that no other program uses a list of that name)";

} // namespace

TEST(Ti86To83p, RealsPastTheLettersAreListElements) {
    // 28 names for 27 letters: AA-AZ take A-Z, BA takes θ, BB is ʟV(1), and
    // the program starts with 1→dim(ʟV).
    {
        const Ti83pTranslation t =
            translateTi86Program(tokensOf(twentySevenNames() + ":1\xFC" + "BB"), "P");
        const std::string bytes = hex(t.tokens);
        EXPECT_TRUE(bytes.starts_with("31 04 B5 EB 56 3F 31 04 41")) << bytes;
        EXPECT_TRUE(bytes.ends_with("31 04 5B 3F 31 04 EB 56 10 31 11")) << bytes;
        ASSERT_EQ(t.diagnostics.size(), 29u);
        EXPECT_EQ(findings({"", {}, {t.diagnostics.end() - 2, t.diagnostics.end()}}),
                  (std::vector<std::string>{"N 28:4 variable BB is now ʟV(1)",
                                            std::string("N 28:4 ") + kElementsNote}));
    }
    // A loop variable must be a variable on the TI-83 Plus: BB, seen last,
    // takes a letter (B, its own) and BA, the last of the others, the element.
    {
        const Ti83pTranslation t =
            translateTi86Program(tokensOf(twentySevenNames() + ":For(BB,1,2)\r\n:BA+BB\xFC"
                                                               "AA\r\n:End"),
                                 "P");
        const std::string bytes = hex(t.tokens);
        // For(B,1,2):ʟV(1)+B→A:End
        EXPECT_TRUE(bytes.ends_with("D3 42 2B 31 2B 32 11 3F EB 56 10 31 11 70 42 04 41 3F D4"))
            << bytes;
        // AB, the second, has A and B taken: it is C.
        EXPECT_NE(bytes.find("3F 31 04 43 3F"), std::string::npos);
        EXPECT_TRUE(std::none_of(t.diagnostics.begin(), t.diagnostics.end(), [](const auto& d) {
            return d.severity == Diagnostic::Severity::Warning;
        }));
    }
    // With every letter held by a one-letter name that must have it, names
    // the TI-83 Plus must have as variables stay warnings and the others
    // become elements; Prompt reads an element through a free string (as
    // Input "XX?",Str1:expr(Str1)→ʟV(1)), DelVar stores 0 to it.
    {
        std::string text = ":Prompt ";
        for (char c = 'A'; c <= 'Z'; ++c)
            text += std::string(1, c) + ",";
        text += "\xC1\r\n:Prompt XX\r\n:DelVar(ZZ)\r\n:IS>(WW,3)\r\n"
                ":seq(VV,VV,1,3)\xFCL1\r\n:Get(UU)\r\n:XX+ZZ+WW\xFCYY";
        const Ti83pTranslation t = translateTi86Program(tokensOf(text), "P");
        const std::vector<std::string> all = findings(t);
        for (const char* name : {"WW", "VV", "UU"}) {
            const std::string want = std::string("variable ") + name +
                                     ": all 27 TI-83 Plus real variables (A-Z, θ) are taken, "
                                     "and it is used where the TI-83 Plus takes a variable, "
                                     "not a list element; it is left as it is";
            EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const std::string& f) {
                return f.find(want) != std::string::npos;
            })) << name;
        }
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const std::string& f) {
            return f.ends_with(" variable YY is now ʟV(3)");
        }));
        const std::string bytes = hex(t.tokens);
        EXPECT_NE(bytes.find("3F DC 2A 58 58 AF 2A 2B AA 00 3E BB 2A AA 00 11 04 EB 56 10 31 11 3F "
                             "30 04 EB 56 10 32 11 3F"),
                  std::string::npos)
            << bytes;
        // ...+WW→ʟV(3)
        EXPECT_TRUE(bytes.ends_with("57 57 04 EB 56 10 33 11")) << bytes;

        // Input "N",XX alike: Input "N",Str1:expr(Str1)→ʟV(1).
        EXPECT_TRUE(hex(translateTi86Program(tokensOf(text + "\r\n:Input \"N\",XX"), "P").tokens)
                        .ends_with("3F DC 2A 4E 2A 2B AA 00 3E BB 2A AA 00 11 04 EB 56 10 31 11"));
        // Where Ans is read, or after an If without Then (one statement
        // would become two), they stay warnings.
        for (const char* tail : {"\r\n:Disp Ans", "\r\n:If A:Prompt XX"}) {
            const std::vector<std::string> held =
                findings(translateTi86Program(tokensOf(text + tail), "P"));
            EXPECT_TRUE(std::any_of(held.begin(), held.end(), [](const std::string& f) {
                return f.ends_with("variable XX is \xCA\x9FV(1), which Prompt cannot take on the "
                                   "TI-83 Plus; it is left as it is");
            })) << tail;
        }
    }
    // A one-letter name that need not be a variable gives its letter up to
    // a long one that must: XX (Prompt) takes X, and X becomes the element.
    {
        std::string text;
        for (char c = 'A'; c <= 'Z'; ++c)
            text += std::string(":1\xFC") + c + "\r\n";
        const Ti83pTranslation t =
            translateTi86Program(tokensOf(text + ":1\xFC\xC1\r\n:Prompt XX"), "P");
        const std::string bytes = hex(t.tokens);
        // 1→dim(ʟV) ... :1→W:1→ʟV(1):1→Y ... :Prompt X
        EXPECT_TRUE(bytes.starts_with("31 04 B5 EB 56 3F 31 04 41")) << bytes;
        EXPECT_NE(bytes.find("04 57 3F 31 04 EB 56 10 31 11 3F 31 04 59"), std::string::npos)
            << bytes;
        EXPECT_TRUE(bytes.ends_with("3F DD 58")) << bytes;
    }
    // The program's own list V: the elements take another name.
    {
        const Ti83pTranslation t =
            translateTi86Program(tokensOf(twentySevenNames() + ":{1}\xFCV\r\n:2\xFC"
                                                               "BB"),
                                 "P");
        const std::string bytes = hex(t.tokens);
        EXPECT_TRUE(bytes.starts_with("31 04 B5 EB 56 52 3F 31 04 41")) << bytes;
        EXPECT_TRUE(bytes.ends_with("04 EB 56 52 10 31 11")) << bytes;
    }
}

// Programs that call one another share the list and size it alike, so that
// a subprogram does not shrink what its caller made.
TEST(Ti86To83p, ElementsAreSharedByASet) {
    const std::vector<Ti86SourceProgram> programs = {
        {"MAIN", tokensOf(twentySevenNames() + ":SUB\r\n:Disp BB")},
        {"SUB", tokensOf(":5\xFC"
                         "BB\r\n:6\xFC"
                         "CC")},
        {"ALONE", tokensOf(":7\xFC"
                           "BB")},
    };
    const std::vector<Ti83pTranslation> t = translateTi86Group(programs);
    ASSERT_EQ(t.size(), 3u);
    // 2→dim(ʟV) at each start of the set; BB is ʟV(1) in both.
    EXPECT_TRUE(hex(t[0].tokens).starts_with("32 04 B5 EB 56 3F")) << hex(t[0].tokens);
    EXPECT_TRUE(hex(t[0].tokens).ends_with("DE EB 56 10 31 11")) << hex(t[0].tokens);
    EXPECT_EQ(hex(t[1].tokens), "32 04 B5 EB 56 3F 35 04 EB 56 10 31 11 3F 36 04 EB 56 10 32 11");
    // The program apart has letters enough.
    EXPECT_EQ(hex(t[2].tokens), "37 04 42");
}

TEST(Ti86To83p, BuiltInNamesAndUnits) {
    check({
        {":y1\xFC"
         "A",
         "5E 10 04 41",
         {"N 1:2 y1 is now Y1"}},
        {":corr+Ans", "62 12 70 72", {"N 1:2 corr is now r"}},
        // A length to a time is no conversion.
        {":5m\xE5"
         "sec",
         "35 BB BD BB EC BB C3 BB B4 BB B2",
         {"W 1:3 m▶sec has no TI-83 Plus counterpart; written as its name for you to replace"}},
    });
}

// A length or time converted is a product by the ratio of the units, to
// 14 digits as the calculators keep them, where the value converted is
// all of its expression.
TEST(Ti86To83p, ConversionsOfLengthAndTimeAreProducts) {
    check({
        // 1/0.3048
        {":5m\xE5"
         "ft",
         "35 82 33 3A 32 38 30 38 33 39 38 39 35 30 31 33 31",
         {"N 1:3 m▶ft is now *3.2808398950131"}},
        // 365.242198781 * 86400 = 31556925.9746784
        {":3 yr\xE5sec\xFC"
         "A",
         "33 82 33 31 35 35 36 39 32 35 3A 39 37 34 36 37 38 04 41",
         {"N 1:4 yr▶sec is now *31556925.974678 (a year taken to be 365.242198781 days, as on "
          "TI's other calculators)"}},
        {":Disp T sec\xE5mn",
         "DE 54 82 30 3A 30 31 36 36 36 36 36 36 36 36 36 36 36 36 37",
         {"N 1:9 sec▶mn is now *0.016666666666667"}},
        // A group, and a factor with an exponent: 1E-9/3600.
        {":Outpt(1,1,(X+1) ns\xE5hr)",
         "E0 31 2B 31 2B 10 58 70 31 11 82 32 3A 37 37 37 37 37 37 37 37 37 37 37 37 38 3B B0 31 "
         "33 11",
         {"N 1:2 Outpt is now Output", "N 1:18 ns▶hr is now *2.7777777777778ᴇ⁻13"}},
    });
    // Part of a larger expression, or negated, the TI-86's precedence would
    // decide what is converted: left to the user.
    for (const std::string text : {":1+3 yr\xE5sec\xFC"
                                   "A",
                                   ":3 yr\xE5sec*2\xFC"
                                   "A",
                                   ":\xFA"
                                   "3 yr\xE5sec\xFC"
                                   "A"}) {
        SCOPED_TRACE(text);
        const std::vector<std::string> all = findings(translateTi86Program(tokensOf(text), "GAME"));
        EXPECT_NE(std::find_if(all.begin(), all.end(),
                               [](const std::string& f) {
                                   return f.rfind("W ", 0) == 0 &&
                                          f.find("yr▶sec has no TI-83 Plus counterpart") !=
                                              std::string::npos;
                               }),
                  all.end());
    }
}

// Functions applied without "(" to each other far deeper than any program
// does, as deep as a 64 KiB program can hold: the translation must not
// recurse once per level (it ran out of stack doing so).
TEST(Ti86To83p, DeepNestingStaysOnTheStack) {
    std::string text = ":";
    for (int n = 0; n < 60000; ++n)
        text += "sin ";
    text += "A";
    const Ti83pTranslation t = translateTi86Program(tokensOf(text), "P");
    std::size_t sines = 0;
    for (const Ti83pToken& token : t.tokens)
        sines += token.code == 0xC2;
    EXPECT_EQ(sines, 60000u);
    EXPECT_EQ(t.tokens.back().code, 0x11);
}

// Every printable ASCII character of a TI-86 string is the TI-83 Plus token
// that draws that same character (lowercase letters the BB ones, not the
// statistics variables a, b, n...).
TEST(Ti86To83p, EveryAsciiCharacterOfAString) {
    for (int c = 0x20; c <= 0x7E; ++c) {
        if (c == '"')
            continue; // closes the TI-83 Plus string
        SCOPED_TRACE(c);
        Ti86Token string;
        string.code = 0x2D;
        string.data = std::string(1, static_cast<char>(c));
        const Ti83pTranslation t = translateTi86Program({string}, "P");
        ASSERT_EQ(t.tokens.size(), 3u);
        const Ti83pTokenInfo* info = ti83pTokenInfo(t.tokens[1].code);
        ASSERT_NE(info, nullptr);
        // The TI-83 Plus font has three of them elsewhere: [ at C1 (5B is θ),
        // $ at F2, the grave accent at B7.
        const char drawn = c == '[' ? '\xC1' : c == '$' ? '\xF2' : c == '`' ? '\xB7' : char(c);
        EXPECT_EQ(info->font, std::string(1, drawn));
        if (c >= 'a' && c <= 'z') {
            EXPECT_EQ(t.tokens[1].code >> 8, 0xBB);
        }
        EXPECT_TRUE(t.diagnostics.empty());
    }
}

// The TI-86 font beyond ASCII: the symbols and letters both fonts have in
// the same place, and those the TI-83 Plus has elsewhere or not at all.
TEST(Ti86To83p, SymbolsOfAString) {
    const struct {
        std::uint8_t ti86;
        std::uint16_t ti83p; // 0: none, written ? with a warning
    } cases[] = {
        {0x10, 0xBBF4},                          // √
        {0x11, 0x0C},                            // ⁻¹
        {0x1A, 0xB0},                            // negation
        {0x80, 0xBBE0},                          // subscript 0
        {0x8A, 0xBB6E},                          // Á
        {0xC4, 0xAC},                            // π
        {0xC1, 0x5B},                            // θ
        {0x06, 0xBBED},                          // ↑, which the TI-83 Plus has at 1E only
        {0x0A, 0x41},                            // the TI-86's hexadecimal A
        {0x0F, 0x46},                            // and F
        {0xD2, 0x71},                            // its other minus, ², °
        {0xD3, 0x0D},   {0xD4, 0x0B}, {0x01, 0}, // small base marks
        {0x04, 0},      {0x1C, 0},               // → would end the TI-83 Plus string
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ti86);
        Ti86Token string;
        string.code = 0x2D;
        string.data = std::string(1, static_cast<char>(c.ti86));
        const Ti83pTranslation t = translateTi86Program({string}, "P");
        ASSERT_EQ(t.tokens.size(), 3u);
        EXPECT_EQ(t.tokens[1].code, c.ti83p != 0 ? c.ti83p : 0xAF);
        EXPECT_EQ(t.diagnostics.size(), c.ti83p != 0 ? 0u : 1u);
    }
}
