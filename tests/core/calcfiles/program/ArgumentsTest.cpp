// SPDX-License-Identifier: GPL-3.0-or-later
// A call's arguments as both the report and the translator read them.
#include "calcfiles/program/Arguments.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

// The arguments of the call of the first "(" of `text`, each as its token
// count.
std::vector<std::size_t> sizes(const std::string& text) {
    const std::vector<Ti86Token> tokens = tokenizeTi86Text(text).tokens;
    std::size_t open = 0;
    while (open < tokens.size() && tokens[open].code != ti86::LParen)
        ++open;
    std::vector<std::size_t> out;
    if (open == 0 || open >= tokens.size())
        return out;
    const Ti86Syntax syntax(tokens);
    for (const TokenRange& r : callArguments(syntax, open - 1))
        out.push_back(r.last - r.first);
    return out;
}

TEST(CallArguments, CommasOutsideBracketsSplit) {
    EXPECT_EQ(sizes(":Outpt(1,2,\"A,B\")"), (std::vector<std::size_t>{1, 1, 1}));
    EXPECT_EQ(sizes(":max(A+1,{1,2},[[1,2][3,4]],B(2,3))"),
              (std::vector<std::size_t>{3, 5, 12, 6}));
}

TEST(CallArguments, TheStatementEndsAnUnclosedCall) {
    EXPECT_EQ(sizes(":Outpt(1,2:Disp 3"), (std::vector<std::size_t>{1, 1}));
    EXPECT_EQ(sizes(":PxOn(5\n:6)"), (std::vector<std::size_t>{1}));
    EXPECT_TRUE(sizes(":rand()").empty());
    EXPECT_TRUE(sizes(":Disp (").empty());
    // An empty argument between commas is kept.
    EXPECT_EQ(sizes(":f(,2)"), (std::vector<std::size_t>{0, 1}));
}

TEST(WholeNumbers, DigitsAloneUpToSixOfThem) {
    const auto value = [](const std::string& text) {
        return ti86WholeNumber(tokenizeTi86Text(text).tokens.at(0));
    };
    EXPECT_EQ(value("0"), 0);
    EXPECT_EQ(value("999999"), 999999);
    EXPECT_EQ(value("1000000"), -1);
    EXPECT_EQ(value("1.5"), -1);
    EXPECT_EQ(value("1Fh"), -1);
    EXPECT_EQ(value("A"), -1);
}

} // namespace
