// SPDX-License-Identifier: GPL-3.0-or-later
// What one pass over a program's tree tells: labels where they are defined
// and jumped to, menus in the TI-86 form only, each name's kinds, and key
// codes compared with getKy's value.
#include "calcfiles/program/Facts.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kalvo::calc;

// TI-86 text (Windows-1252: ü →, ø ≠).
struct Read {
    explicit Read(const std::string& text)
        : tokens(tokenizeTi86Text(text).tokens), syntax(tokens), facts(syntax) {}
    std::vector<Ti86Token> tokens;
    Ti86Syntax syntax;
    Ti86Facts facts;

    std::size_t find(std::uint16_t code, std::size_t from = 0) const {
        while (from < tokens.size() && tokens[from].code != code)
            ++from;
        return from;
    }
};

TEST(Ti86Facts, LabelsInProgramOrderWithTheirUse) {
    const Read r(":Lbl A:Goto B\n:Menu(1,\"X\",A,2,\"Y\",C)\n:Goto A");
    std::vector<std::pair<std::string, LabelUse>> got;
    for (const Ti86LabelPlace& p : r.facts.labels())
        got.emplace_back(std::string(r.facts.labelName(p)), p.use);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, LabelUse>>{{"A", LabelUse::Definition},
                                                                  {"B", LabelUse::Goto},
                                                                  {"A", LabelUse::MenuChoice},
                                                                  {"C", LabelUse::MenuChoice},
                                                                  {"A", LabelUse::Goto}}));
    const Ti86Menu* menu = r.facts.menu(r.find(ti86::Menu));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->choices.size(), 2u);
    EXPECT_TRUE(r.facts.isMenuLabel(menu->choices[1].label));
    EXPECT_FALSE(r.facts.isMenuLabel(menu->choices[1].text));
    EXPECT_TRUE(menu->closed);
    EXPECT_EQ(r.tokens[menu->close].code, ti86::RParen);
}

TEST(Ti86Facts, OnlyMenusOfTheTi86FormAreMenus) {
    const auto isMenu = [](const std::string& text) {
        const Read r(text);
        return r.facts.menu(r.find(ti86::Menu)) != nullptr;
    };
    EXPECT_TRUE(isMenu(":Menu(1,\"X\",A"));       // closed by the line's end
    EXPECT_TRUE(isMenu(":Disp Menu(1,\"X\",A)")); // the statement ends with it
    EXPECT_FALSE(isMenu(":Menu(1,\"X\",A)B"));
    EXPECT_FALSE(isMenu(":Menu(1,\"X\")"));
    EXPECT_FALSE(isMenu(":Menu(1,\"X\",A,"));
    EXPECT_FALSE(isMenu(":Menu(\"T\",\"X\",A)")); // the TI-83 Plus form
    EXPECT_FALSE(isMenu(":Menu(1,\"X\",L(2))"));
    EXPECT_FALSE(isMenu(":Menu(1,\"X\",x)")); // the calculator's own name
    EXPECT_FALSE(isMenu(":max(Menu(1,\"X\",A),2)"));
}

TEST(Ti86Facts, NamesTakeTheKindsTheirUsesTell) {
    const Read r(":\"HI\"\xFCS:{1,2}\xFCL:5\xFCR:[[1,2][3,4]]\xFCM:[1,2]\xFCV\n"
                 ":EQ=x^2\n:PROG\n:3\xFCLB(1):1\xFCMB(1,2)\n:sum LC:lngth SB\n"
                 ":{2,3}\xFC"
                 "dim MC:5\xFC"
                 "dimL LD\n:For(I,1,5)\n:InpSt \"?\",SC\n:2+3\xFCRB:R+1\xFCRC:R\xFCRD");
    const std::vector<std::pair<std::string, unsigned>> expected = {
        {"S", ti86kind::String},
        {"L", ti86kind::List},
        {"R", ti86kind::Real},
        {"M", ti86kind::Matrix},
        {"V", ti86kind::Vector},
        {"EQ", ti86kind::Equation},
        {"PROG", ti86kind::Program},
        {"LB", ti86kind::List},
        {"MB", ti86kind::Matrix},
        {"LC", ti86kind::List},
        {"SB", ti86kind::String},
        {"MC", ti86kind::Matrix},
        {"LD", ti86kind::List},
        {"I", ti86kind::Real},
        {"SC", ti86kind::String},
        {"RB", ti86kind::Real},
        // A name's value, and a sum with one: not told.
        {"RC", 0u},
        {"RD", 0u}};
    for (const auto& [name, kind] : expected)
        EXPECT_EQ(r.facts.kindsOf(name), kind) << name;
    // Where: the name's token.
    const std::vector<Ti86KindPlace>& s = r.facts.kinds().at("S");
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(r.tokens[s[0].token].data, "S");
}

TEST(Ti86Facts, KeyCodesComparedWithGetKy) {
    const Read r(":getKy\xFCK\n:If K==25\n:If getKy\xF8"
                 "0\n:If K+1==3\n:If 34==K\n:A\xFCK2:If K2==4");
    EXPECT_EQ(r.facts.keyVariables(), (std::set<std::string, std::less<>>{"K"}));
    std::vector<long> values;
    for (const Ti86KeyComparison& c : r.facts.keyComparisons()) {
        values.push_back(c.value);
        EXPECT_EQ(r.tokens[c.literal].code, ti86::Number);
    }
    EXPECT_EQ(values, (std::vector<long>{25, 0, 34}));
}

} // namespace
