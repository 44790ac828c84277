// SPDX-License-Identifier: GPL-3.0-or-later
// A TI-86 function written without "(" gets its "(" and ")" around the
// operand the program tree gives it: random expressions with such functions
// before powers, postfix operators, negations and other such functions are
// translated without a warning, and evaluate alike in both dialects
// (ExpressionEvaluator.h); a few forms worked out by hand show where ")"
// goes.
#include "ExpressionEvaluator.h"

#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

using namespace kalvo::calc;
using kalvo::calc::testing::evaluateTi83p;
using kalvo::calc::testing::evaluateTi86;
using kalvo::calc::testing::Variables;

// TI-86 text (Windows-1252: ú negation, ò ², ð √).
class PrefixExpressions {
public:
    explicit PrefixExpressions(unsigned seed) : random_(seed) {}

    // Never a name alone, which would be a program's call.
    std::string top() { return pick(3) == 0 ? sum(2) + "<" + sum(1) : term(2) + "+" + sum(2); }

private:
    std::size_t pick(std::size_t n) { return random_() % n; }

    std::string leaf() {
        static const char* leaves[] = {"A", "B", "C", "2", "0.5", "3"};
        return leaves[pick(std::size(leaves))];
    }

    std::string function() {
        static const char* f[] = {"abs ", "int ", "iPart ", "fPart ",
                                  "sin ", "cos ", "ln ",    "\xF0"};
        return f[pick(std::size(f))];
    }

    // What a function without "(" takes: one operand with its powers and
    // postfix operators, or a negation or a function of its own.
    // (A "(" right after the function is its own: whether the TI-86 then
    // squares the function's value or its operand is not settled, so a
    // group takes no power here.)
    std::string operand(int depth) {
        const std::string atom = leaf();
        switch (pick(8)) {
        case 0:
            return atom + "\xF2";
        case 1:
            return atom + "^" + std::to_string(pick(3) + 1);
        case 2:
            return atom + "\xF2^2";
        case 3:
            return "\xFA" + operand(depth - 1 < 0 ? 0 : depth - 1);
        case 4:
            return depth > 0 ? function() + operand(depth - 1) : atom;
        case 5:
            return depth > 0 ? "(" + sum(depth - 1) + ")" : atom;
        default:
            return atom;
        }
    }

    std::string term(int depth) {
        if (depth <= 0 || pick(3) == 0)
            return function() + operand(depth);
        return function() + operand(depth - 1) + (pick(2) ? "*" : "/") + term(depth - 1);
    }

    std::string sum(int depth) {
        std::string out = pick(4) == 0 ? leaf() : term(depth);
        for (std::size_t k = 0, n = pick(3); k < n; ++k)
            out += (pick(2) ? "+" : "-") + term(depth - 1);
        return out;
    }

    std::mt19937 random_;
};

bool same(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b)
        return !a && !b;
    return std::fabs(*a - *b) <= 1e-9 * std::max({1.0, std::fabs(*a), std::fabs(*b)});
}

std::string warnings(const Ti83pTranslation& t) {
    std::string out;
    for (const Diagnostic& d : t.diagnostics)
        if (d.severity != Diagnostic::Severity::Note)
            out += d.message + "; ";
    return out;
}

TEST(OperandExtent, FunctionsWithoutParenthesesTranslateToTheSameValue) {
    static const double samples[] = {-3, -0.5, 0, 0.25, 1, 2, 7.5, -12.75};
    std::size_t valued = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        PrefixExpressions maker(seed);
        std::mt19937 values(seed * 104729);
        for (int n = 0; n < 250; ++n) {
            const std::string text = maker.top();
            const Ti86Tokenized in = tokenizeTi86Text(text);
            ASSERT_TRUE(in.diagnostics.empty()) << text;
            const Ti83pTranslation out = translateTi86Program(in.tokens, "T");
            EXPECT_EQ(warnings(out), "") << text;
            for (int round = 0; round < 5; ++round) {
                Variables v;
                for (const char* name : {"A", "B", "C"})
                    v[name] = values() % 2 == 0
                                  ? samples[values() % std::size(samples)]
                                  : std::uniform_real_distribution<double>(-9, 9)(values);
                const std::optional<double> before = evaluateTi86(in.tokens, v);
                const std::optional<double> after = evaluateTi83p(out.tokens, v);
                EXPECT_TRUE(same(before, after)) << text << ": TI-86 " << (before ? *before : NAN)
                                                 << ", TI-83 Plus " << (after ? *after : NAN);
                valued += before.has_value();
            }
        }
    }
    // ln and √ of negatives have no value; most of the rest do.
    EXPECT_GT(valued, 2500u);
}

std::string hex(const std::vector<Ti83pToken>& tokens) {
    std::string out;
    for (const Ti83pToken& t : tokens) {
        char b[8];
        std::snprintf(b, sizeof b, t.code > 0xFF ? "%04X" : "%02X", t.code);
        out += (out.empty() ? "" : " ") + std::string(b);
    }
    return out;
}

TEST(OperandExtent, TheClosingParenthesisGoesAfterTheOperand) {
    struct Case {
        const char* ti86;
        const char* ti83p; // sin( C2, cos( C4, ² 0D, ^ F0, + 70, ⁻ B0, ) 11
    };
    const Case cases[] = {
        {":2sin A\xF2+1", "32 C2 41 0D 11 70 31"},        // 2sin(A²)+1
        {":sin 2A", "C2 32 11 41"},                       // sin(2)A: implied * is looser
        {":\xFAsin A^2", "B0 C2 41 F0 32 11"},            // ⁻sin(A^2)
        {":sin A^2+cos B", "C2 41 F0 32 11 70 C4 42 11"}, // sin(A^2)+cos(B)
        {":sin \xFA"
         "A\xF2",
         "C2 B0 41 0D 11"},                      // sin(⁻A²)
        {":cos sin A\xF2", "C4 C2 41 0D 11 11"}, // cos(sin(A²))
        {":4abs A\xE5"
         "Frac",
         "34 B2 41 11 03"}, // ▶Frac (03) after the whole value
        // L is a list: its element is the operand. ({ 08, } 09, → 04, ʟL EB 4C)
        {":{1,2}\xFCL:sin L(2)", "08 31 2B 32 09 04 EB 4C 3E C2 EB 4C 10 32 11 11"},
        // X(1) is an element or X times 1, and sin gives the same value of
        // either: Ans (72) of unknown kind, A a real.
        {":sin Ans(1)", "C2 72 10 31 11 11"},
        {":sin Ans(1", "C2 72 10 31 11"}, // sin(Ans(1), closed at the end
        {":2\xFC"
         "A:sin A(1)+1",
         "32 04 41 3E C2 41 10 31 11 11 70 31"},
    };
    for (const Case& c : cases) {
        const Ti83pTranslation out = translateTi86Program(tokenizeTi86Text(c.ti86).tokens, "T");
        EXPECT_EQ(hex(out.tokens), c.ti83p) << c.ti86;
        EXPECT_EQ(warnings(out), "") << c.ti86;
    }
    // A name before "(" that the program uses as no list may be a real
    // times a group: where ")" goes stays for the user.
    // So may A(1) under a power: sin(A)*1² and sin(A²) are not one value.
    for (const char* unsure : {":sin A(2)", ":sin Ans(1)\xF2"}) {
        const Ti83pTranslation element = translateTi86Program(tokenizeTi86Text(unsure).tokens, "T");
        EXPECT_NE(warnings(element).find("where its ) goes is for you to check"), std::string::npos)
            << unsure;
    }
    // A list made by a program that this one calls is a list here too.
    const std::vector<Ti83pTranslation> group =
        translateTi86Group({{"MAIN", tokenizeTi86Text(":SUB\n:sin V(2)").tokens},
                            {"SUB", tokenizeTi86Text(":{1,2}\xFCV").tokens}});
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(warnings(group[0]), "");
    ASSERT_GE(group[0].tokens.size(), 2u);
    EXPECT_EQ(group[0].tokens.back().code, ti83p::RParen);
}

} // namespace
