// SPDX-License-Identifier: GPL-3.0-or-later
// The translator's expression rewrites checked by what they compute: random
// TI-86 expressions (fixed seeds) are translated, and wherever the
// translator raises no warning, the TI-86 expression and its translation
// evaluate alike (ExpressionEvaluator.h) on random values: negative, zero,
// fractions, large. The rewrites met: "(" and ")" given to functions the
// TI-86 applies without them, == as =, % after a number as ᴇ⁻2, numbers
// in other bases as decimals, a number begun with ᴇ, long names as letters,
// mod(, sign and evalF( written with what the TI-83 Plus has, conversions
// of lengths and times as products.
#include "ExpressionEvaluator.h"

#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace kalvo::calc;
using kalvo::calc::testing::evaluateTi83p;
using kalvo::calc::testing::evaluateTi86;
using kalvo::calc::testing::Variables;

// TI-86 text (Windows-1252: ú negation, ò ², û ᴇ, ÷ ≤, ù ≥, ø ≠, ð √).
class ExpressionMaker {
public:
    explicit ExpressionMaker(unsigned seed) : random_(seed) {}

    std::string top() {
        switch (pick(4)) {
        case 0: {
            static const char* comparisons[] = {"==", "<", ">", "\xF7", "\xF9", "\xF8"};
            return expr(2) + comparisons[pick(6)] + expr(2);
        }
        case 1: {
            static const char* joins[] = {" and ", " or "};
            return "(" + expr(1) + "<" + expr(1) + ")" + joins[pick(2)] + "(" + expr(1) + "\xF8" +
                   expr(1) + ")";
        }
        default:
            return expr(3);
        }
    }

    static const std::vector<std::string>& names() {
        static const std::vector<std::string> n = {"A", "B", "C", "MONEY", "Rate"};
        return n;
    }

private:
    std::size_t pick(std::size_t n) { return random_() % n; }

    std::string leaf() {
        static const char* numbers[] = {"3",
                                        "0",
                                        "2.5",
                                        ".25",
                                        "1.5\xFB\xFA"
                                        "2",
                                        "\xFB"
                                        "2",
                                        "\xFB\xFA"
                                        "1",
                                        "101b",
                                        "1Fh",
                                        "17o",
                                        "12%",
                                        "0.5%"};
        if (pick(2) == 0)
            return numbers[pick(sizeof numbers / sizeof *numbers)];
        return names()[pick(names().size())];
    }

    // Something that stands as one operand: a leaf or a group.
    std::string atom(int depth) {
        return depth <= 0 || pick(3) != 0 ? leaf() : "(" + expr(depth - 1) + ")";
    }

    std::string function() {
        static const char* f[] = {"abs ", "int ", "iPart ", "fPart ", "sin ",
                                  "cos ", "ln ",  "\xF0",   "sign "};
        return f[pick(9)];
    }

    std::string expr(int depth) {
        if (depth <= 0)
            return leaf();
        switch (pick(10)) {
        case 0:
            return "\xFA" + atom(depth - 1); // negation
        case 1:
            return atom(depth - 1) + "\xF2"; // ²
        case 2:
            // A function with the TI-86's "(" after it, as one operand of
            // what follows. (Not before ^ or ²: whether the TI-86 applies
            // sin to (A)^2 or squares sin (A) is not settled.)
            return function() + "(" + expr(depth - 1) + ")";
        case 3:
            // Without "(": its operand is what follows it.
            return function() + atom(depth - 1);
        case 4: {
            static const char* f[] = {"max(", "min(", "round(", "mod("};
            return f[pick(4)] + expr(depth - 1) + "," + (pick(2) ? expr(depth - 1) : "2") + ")";
        }
        case 5:
            return atom(depth - 1) + "^" + std::to_string(pick(4));
        case 6:
            return "evalF(" + expr(depth - 1) + "," + names()[pick(names().size())] + "," +
                   atom(depth - 1) + ")";
        default: {
            static const char* ops[] = {"+", "-", "*", "/"};
            return expr(depth - 1) + ops[pick(4)] + expr(depth - 1);
        }
        }
    }

    std::mt19937 random_;
};

// What the translation calls each TI-86 name: its notes say where it changed.
Variables ti83pValues(const Ti83pTranslation& t, const Variables& ti86) {
    Variables out = ti86;
    for (const Diagnostic& d : t.diagnostics) {
        const std::string prefix = "variable ";
        const std::size_t is = d.message.find(" is now ");
        if (d.message.starts_with(prefix) && is != std::string::npos) {
            const std::string from = d.message.substr(prefix.size(), is - prefix.size());
            const std::string to = d.message.substr(is + 8);
            out.erase(from);
            out[to == "θ" ? std::string("\xC1") : to] = ti86.at(from);
        }
    }
    return out;
}

bool same(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b)
        return !a && !b;
    return std::fabs(*a - *b) <= 1e-9 * std::max({1.0, std::fabs(*a), std::fabs(*b)});
}

std::string shown(const std::optional<double>& v) {
    return v ? std::to_string(*v) : std::string("no value");
}

} // namespace

TEST(ExpressionRewrites, EvaluateAlikeWhereverNoWarningIsGiven) {
    static const double samples[] = {-3, -0.5, 0, 0.25, 1, 2, 7.5, 1e6, -123456.789};
    std::size_t checked = 0, warned = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        ExpressionMaker maker(seed);
        std::mt19937 values(seed * 7919);
        for (int n = 0; n < 300; ++n) {
            const std::string text = maker.top();
            const Ti86Tokenized in = tokenizeTi86Text(text);
            ASSERT_TRUE(in.diagnostics.empty()) << text;
            const Ti83pTranslation out = translateTi86Program(in.tokens, "T");
            if (std::any_of(
                    out.diagnostics.begin(), out.diagnostics.end(),
                    [](const Diagnostic& d) { return d.severity != Diagnostic::Severity::Note; })) {
                ++warned;
                continue;
            }
            for (int round = 0; round < 6; ++round) {
                Variables ti86;
                for (const std::string& name : ExpressionMaker::names())
                    ti86[name] = values() % 3 == 0
                                     ? samples[values() % (sizeof samples / sizeof *samples)]
                                     : std::uniform_real_distribution<double>(-50, 50)(values);
                const std::optional<double> before = evaluateTi86(in.tokens, ti86);
                const std::optional<double> after =
                    evaluateTi83p(out.tokens, ti83pValues(out, ti86));
                EXPECT_TRUE(same(before, after))
                    << text << ": TI-86 " << shown(before) << ", TI-83 Plus " << shown(after);
                checked += before.has_value();
            }
        }
    }
    // Most expressions take no warning, and most of those have a value.
    EXPECT_GT(checked, 4000u);
    EXPECT_LT(warned, 1200u);
}

// A conversion of lengths or times, and its reverse, on random values: the
// product the translation writes against the relations between the units
// as their definitions state them (a mile is 5280 feet, a day 24 hours),
// not as the translator's table holds them (every unit in metres or
// seconds).
TEST(ExpressionRewrites, ConversionsMultiplyByTheRatioOfTheUnits) {
    struct Relation {
        const char* big;
        const char* small;
        double times;
    };
    static const Relation relations[] = {
        {"mile", "ft", 5280},
        {"ft", "in", 12},
        {"yd", "ft", 3},
        {"in", "cm", 2.54},
        {"km", "m", 1000},
        {"nmile", "m", 1852},
        {"m", "mm", 1000},
        {"cm", "mm", 10},
        {"in", "mil", 1000},
        {"Ang", "fermi", 1e5},
        {"week", "day", 7},
        {"day", "hr", 24},
        {"hr", "mn", 60},
        {"mn", "sec", 60},
        {"sec", "ms", 1000},
        {"ms", "ns", 1e6},
        {"yr", "day", 365.242198781},
    };
    std::mt19937 random(86);
    for (const Relation& r : relations) {
        for (const bool reverse : {false, true}) {
            const std::string text = std::string(":A ") + (reverse ? r.small : r.big) + "\xE5" +
                                     (reverse ? r.big : r.small);
            SCOPED_TRACE(text);
            const Ti83pTranslation out = translateTi86Program(tokenizeTi86Text(text).tokens, "T");
            for (const Diagnostic& d : out.diagnostics)
                EXPECT_EQ(d.severity, Diagnostic::Severity::Note) << d.message;
            for (int round = 0; round < 5; ++round) {
                const double a = std::uniform_real_distribution<double>(-1e4, 1e4)(random);
                const std::optional<double> got = evaluateTi83p(out.tokens, {{"A", a}});
                ASSERT_TRUE(got.has_value());
                const double want = reverse ? a / r.times : a * r.times;
                EXPECT_NEAR(*got, want, std::abs(want) * 1e-12);
            }
        }
    }
}

// The evaluator itself, on forms worked out by hand: what each dialect's
// precedence makes of them.
TEST(ExpressionRewrites, TheEvaluatorKnowsBothDialects) {
    const Variables v = {{"A", 2}, {"B", -3}};
    const auto ti86 = [&v](const std::string& text) {
        return evaluateTi86(tokenizeTi86Text(text).tokens, v);
    };
    EXPECT_EQ(ti86("\xFA"
                   "A^2"),
              -4);                 // negation after the power
    EXPECT_EQ(ti86("abs B^2"), 9); // abs (B^2)
    EXPECT_EQ(ti86("int \xFA"
                   "2.5+1"),
              -2); // int(-2.5)+1: floor
    EXPECT_EQ(ti86("iPart \xFA"
                   "2.5"),
              -2);                // toward 0
    EXPECT_EQ(ti86("2^3^2"), 64); // left to right
    EXPECT_EQ(ti86("1Fh+101b"), 36);
    EXPECT_EQ(ti86("12%"), 0.12);
    EXPECT_EQ(ti86("\xFB\xFA"
                   "1"),
              0.1); // ᴇ⁻1
    EXPECT_EQ(ti86("A<B or B<A"), 1);
    EXPECT_EQ(ti86("1/0"), std::nullopt);
    EXPECT_EQ(ti86("ln B"), std::nullopt);
    EXPECT_EQ(ti86("mod(7,A)"), 1);
    EXPECT_EQ(ti86("mod(\xFA"
                   "7,A)"),
              1); // as taken: the divisor's sign
    EXPECT_EQ(ti86("sign B+1"), 0);
    EXPECT_EQ(ti86("evalF(A^2+B,A,5)+A"), 24); // A is 2 again after it

    const auto ti83p = [&v](const std::vector<Ti83pToken>& tokens) {
        return evaluateTi83p(tokens, v);
    };
    // sin(A)^2 on the TI-83 Plus squares the sine; -A² is -(A²); an open
    // "(" closes at the end.
    EXPECT_DOUBLE_EQ(*ti83p({{0xC2}, {0x41}, {0x11}, {0xF0}, {0x32}}),
                     std::sin(2.0) * std::sin(2.0));
    EXPECT_EQ(ti83p({{0xB0}, {0x41}, {0x0D}}), -4);
    EXPECT_EQ(ti83p({{0xB2}, {0x42}, {0x70}, {0x31}}), 2); // abs(B+1
    EXPECT_EQ(ti83p({{0x31}, {0x3B}, {0xB0}, {0x32}}), 0.01);
    EXPECT_EQ(ti83p({{0x41}, {0x6A}, {0x32}}), 1);    // A=2
    EXPECT_EQ(ti83p({{0x41}, {0x41}}), std::nullopt); // implied products are outside the subset
}
