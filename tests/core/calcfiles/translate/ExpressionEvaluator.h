// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small evaluator of real expressions in both dialects, so that a rewrite
// of an expression is checked by what it computes rather than by the tokens
// it writes. The subset: numbers (decimal, ᴇ, the TI-86's base suffixes and
// %), one-letter and long variable names, + - * / ^, negation, ² and ⁻¹,
// comparisons, and/or between truth values, parentheses, and the functions
// abs, int, iPart, fPart, sin, cos, √, ln, e^, round(, max(, min(, the
// TI-86's mod(, sign and evalF(, and the TI-83 Plus's sum(seq( of one step.
//
// Precedence as the two guidebooks give it, from the tightest: postfix
// operators (², ⁻¹, %); ^ (left to right); negation and the functions that
// precede their argument (on the TI-86 without their own "(", so that
// sin A^2 is sin(A^2)); * and /; + and -; comparisons; and; or. On the
// TI-83 Plus every function carries its "(", closed by ")" or the end.
// Anything outside the subset, and any domain error, gives no value.

#include "calcfiles/ti83p/Ti83pTokens.h"
#include "calcfiles/ti86/Ti86Tokens.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kalvo::calc::testing {

using Variables = std::map<std::string, double>; // TI-86 font name or TI-83 Plus letter

namespace evaluator {

enum class K {
    Num,
    Var,
    Open,
    Close,
    Comma,
    Plus,
    Minus,
    Times,
    Divide,
    Power,
    Negate,
    Square,
    Inverse,
    Percent,
    Function,
    Compare,
    And,
    Or,
    Bad
};
enum class F {
    Abs,
    Int,
    IPart,
    FPart,
    Sin,
    Cos,
    Sqrt,
    Ln,
    Exp,
    Round,
    Max,
    Min,
    Mod,
    Sign,
    EvalF,
    Seq,
    Sum
};
enum class C { Eq, Ne, Lt, Gt, Le, Ge };

struct Sym {
    K kind = K::Bad;
    double number = 0;
    std::string name;
    F function = F::Abs;
    C compare = C::Eq;
    bool ownParen = false; // a TI-83 Plus function: its "(" is its own
};

class Parser {
public:
    Parser(std::vector<Sym> syms, Variables vars) : s_(std::move(syms)), vars_(std::move(vars)) {}

    std::optional<double> run() {
        std::optional<double> v = orLevel();
        if (!ok_ || at_ != s_.size() || !v || !std::isfinite(*v))
            return std::nullopt;
        return v;
    }

private:
    const Sym* peek() const { return at_ < s_.size() ? &s_[at_] : nullptr; }
    bool next(K k) {
        if (peek() != nullptr && peek()->kind == k) {
            ++at_;
            return true;
        }
        return false;
    }
    std::optional<double> fail() {
        ok_ = false;
        return std::nullopt;
    }
    static bool truth(double v) { return v == 0 || v == 1; }

    std::optional<double> orLevel() {
        std::optional<double> a = andLevel();
        while (ok_ && next(K::Or)) {
            const std::optional<double> b = andLevel();
            if (!a || !b || !truth(*a) || !truth(*b))
                return fail();
            a = (*a != 0 || *b != 0) ? 1.0 : 0.0;
        }
        return a;
    }
    std::optional<double> andLevel() {
        std::optional<double> a = compareLevel();
        while (ok_ && next(K::And)) {
            const std::optional<double> b = compareLevel();
            if (!a || !b || !truth(*a) || !truth(*b))
                return fail();
            a = (*a != 0 && *b != 0) ? 1.0 : 0.0;
        }
        return a;
    }
    std::optional<double> compareLevel() {
        std::optional<double> a = sumLevel();
        while (ok_ && peek() != nullptr && peek()->kind == K::Compare) {
            const C c = s_[at_++].compare;
            const std::optional<double> b = sumLevel();
            if (!a || !b)
                return fail();
            const bool r = c == C::Eq   ? *a == *b
                           : c == C::Ne ? *a != *b
                           : c == C::Lt ? *a < *b
                           : c == C::Gt ? *a > *b
                           : c == C::Le ? *a <= *b
                                        : *a >= *b;
            a = r ? 1.0 : 0.0;
        }
        return a;
    }
    std::optional<double> sumLevel() {
        std::optional<double> a = productLevel();
        for (;;) {
            const bool plus = next(K::Plus);
            if (!plus && !next(K::Minus))
                return a;
            const std::optional<double> b = productLevel();
            if (!a || !b)
                return fail();
            a = plus ? *a + *b : *a - *b;
        }
    }
    std::optional<double> productLevel() {
        std::optional<double> a = prefixLevel();
        for (;;) {
            const bool times = next(K::Times);
            if (!times && !next(K::Divide))
                return a;
            const std::optional<double> b = prefixLevel();
            if (!a || !b || (!times && *b == 0))
                return fail();
            a = times ? *a * *b : *a / *b;
        }
    }
    static bool call(const Sym& f) {
        return f.ownParen || f.function == F::Round || f.function == F::Max ||
               f.function == F::Min || f.function == F::Mod || f.function == F::EvalF;
    }
    std::optional<double> prefixLevel() {
        if (next(K::Negate)) {
            const std::optional<double> v = prefixLevel();
            return v ? std::optional<double>(-*v) : fail();
        }
        const Sym* f = peek();
        if (f != nullptr && f->kind == K::Function && !call(*f)) {
            // A TI-86 function without its own "(": what follows at the level
            // of powers is its argument, or another such function or a
            // negation with its own.
            ++at_;
            const Sym* after = peek();
            const bool nested = after != nullptr && (after->kind == K::Negate ||
                                                     (after->kind == K::Function && !call(*after)));
            const std::optional<double> v = nested ? prefixLevel() : powerLevel();
            if (!v)
                return fail();
            return apply(f->function, {*v});
        }
        return powerLevel();
    }
    std::optional<double> powerLevel() {
        std::optional<double> a = postfix(primary());
        while (ok_ && next(K::Power)) {
            const std::optional<double> b = postfix(primary());
            if (!a || !b)
                return fail();
            if (*a < 0 && *b != std::floor(*b))
                return fail();
            a = std::pow(*a, *b);
        }
        return a;
    }
    std::optional<double> postfix(std::optional<double> v) {
        for (;;) {
            if (!v)
                return fail();
            if (next(K::Square))
                v = *v * *v;
            else if (next(K::Inverse)) {
                if (*v == 0)
                    return fail();
                v = 1 / *v;
            } else if (next(K::Percent))
                v = *v / 100;
            else
                return v;
        }
    }
    std::optional<double> primary() {
        const Sym* t = peek();
        if (t == nullptr)
            return fail();
        ++at_;
        switch (t->kind) {
        case K::Num:
            return t->number;
        case K::Var: {
            const auto hit = vars_.find(t->name);
            return hit == vars_.end() ? fail() : std::optional<double>(hit->second);
        }
        case K::Open: {
            const std::optional<double> v = orLevel();
            if (!v)
                return fail();
            // The TI-83 Plus closes what the line leaves open.
            if (!next(K::Close) && peek() != nullptr)
                return fail();
            return v;
        }
        case K::Function: {
            if (!call(*t)) { // a TI-86 "sin" as an operand of ^: the rest of it is its argument
                --at_;
                return prefixLevel();
            }
            if (!t->ownParen && !next(K::Open))
                return fail();
            if (t->function == F::EvalF || t->function == F::Seq)
                return expressionAt(t->function == F::Seq);
            std::vector<double> args;
            for (;;) {
                const std::optional<double> v = orLevel();
                if (!v)
                    return fail();
                args.push_back(*v);
                if (!next(K::Comma))
                    break;
            }
            // The TI-83 Plus closes what the line leaves open.
            if (!next(K::Close) && !(t->ownParen && peek() == nullptr))
                return fail();
            return apply(t->function, args);
        }
        default:
            return fail();
        }
    }
    std::optional<double> apply(F f, const std::vector<double>& a) {
        const std::size_t arity = f == F::Round                                 ? 0
                                  : (f == F::Max || f == F::Min || f == F::Mod) ? 2
                                                                                : 1;
        if (f == F::Round ? (a.size() < 1 || a.size() > 2) : a.size() != arity)
            return fail();
        const double x = a[0];
        switch (f) {
        case F::Abs:
            return std::fabs(x);
        case F::Int:
            return std::floor(x);
        case F::IPart:
            return std::trunc(x);
        case F::FPart:
            return x - std::trunc(x);
        case F::Sin:
            return std::sin(x);
        case F::Cos:
            return std::cos(x);
        case F::Sqrt:
            return x < 0 ? fail() : std::optional<double>(std::sqrt(x));
        case F::Ln:
            return x <= 0 ? fail() : std::optional<double>(std::log(x));
        case F::Exp:
            return std::exp(x);
        case F::Round: {
            const double digits = a.size() == 2 ? a[1] : 9;
            if (digits != std::floor(digits) || digits < 0 || digits > 9)
                return fail();
            const double scale = std::pow(10.0, digits);
            return std::round(x * scale) / scale;
        }
        case F::Max:
            return std::max(a[0], a[1]);
        case F::Min:
            return std::min(a[0], a[1]);
        case F::Mod: // the TI-86's mod( as taken: the remainder with the divisor's sign
            return a[1] == 0 ? fail() : std::optional<double>(x - a[1] * std::floor(x / a[1]));
        case F::Sign:
            return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
        case F::Sum: // of a list of one, as seq( with one step makes
        case F::EvalF:
        case F::Seq:
            return x;
        }
        return fail();
    }

    // evalF(expr,name,value) on the TI-86, seq(expr,name,from,to) with
    // from = to on the TI-83 Plus: expr worked out with the name at the value.
    std::optional<double> expressionAt(bool seq) {
        const std::size_t from = at_;
        int depth = 0;
        while (at_ < s_.size() && !(depth == 0 && s_[at_].kind == K::Comma)) {
            const Sym& k = s_[at_++];
            if (k.kind == K::Open || (k.kind == K::Function && k.ownParen))
                ++depth;
            else if (k.kind == K::Close && --depth < 0)
                return fail();
        }
        const std::vector<Sym> expression(s_.begin() + static_cast<long>(from),
                                          s_.begin() + static_cast<long>(at_));
        if (!next(K::Comma) || peek() == nullptr || peek()->kind != K::Var)
            return fail();
        const std::string name = s_[at_++].name;
        if (!next(K::Comma))
            return fail();
        const std::optional<double> value = orLevel();
        if (seq) {
            if (!next(K::Comma))
                return fail();
            const std::optional<double> to = orLevel();
            if (!value || !to || *to != *value)
                return fail();
        }
        if (!value || (!next(K::Close) && !(seq && peek() == nullptr)))
            return fail();
        Variables at = vars_;
        at[name] = *value;
        const std::optional<double> v = Parser(expression, at).run();
        return v ? v : fail();
    }

    std::vector<Sym> s_;
    Variables vars_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

inline Sym sym(K k) {
    Sym s;
    s.kind = k;
    return s;
}
inline Sym function(F f, bool ownParen) {
    Sym s = sym(K::Function);
    s.function = f;
    s.ownParen = ownParen;
    return s;
}
inline Sym comparison(C c) {
    Sym s = sym(K::Compare);
    s.compare = c;
    return s;
}

// A TI-86 number token's characters: digits, point, ᴇ (1B), negation (1A),
// or a base suffix.
inline std::optional<double> ti86Number(const std::string& d) {
    if (d.empty())
        return std::nullopt;
    const char last = d.back();
    if (last == 'b' || last == 'h' || last == 'o' || last == 'd') {
        const int base = last == 'b' ? 2 : last == 'h' ? 16 : last == 'o' ? 8 : 10;
        char* end = nullptr;
        const std::string digits = d.substr(0, d.size() - 1);
        const long v = std::strtol(digits.c_str(), &end, base);
        return end != nullptr && *end == '\0' && !digits.empty() ? std::optional<double>(v)
                                                                 : std::nullopt;
    }
    std::string c;
    for (const char ch : d)
        c += ch == '\x1B' ? 'e' : ch == '\x1A' ? '-' : ch;
    if (c.front() == 'e')
        c = "1" + c;
    char* end = nullptr;
    const double v = std::strtod(c.c_str(), &end);
    return end != nullptr && *end == '\0' ? std::optional<double>(v) : std::nullopt;
}

} // namespace evaluator

inline std::optional<double> evaluateTi86(const std::vector<Ti86Token>& tokens,
                                          const Variables& vars) {
    using namespace evaluator;
    std::vector<Sym> syms;
    for (const Ti86Token& t : tokens) {
        if (!t.known)
            return std::nullopt;
        switch (t.code) {
        case 0x44: { // number
            const std::optional<double> v = ti86Number(t.data);
            if (!v)
                return std::nullopt;
            Sym s = sym(K::Num);
            s.number = *v;
            syms.push_back(s);
            break;
        }
        case 0x10:
            syms.push_back(sym(K::Open));
            break;
        case 0x11:
            syms.push_back(sym(K::Close));
            break;
        case 0x2F:
            syms.push_back(sym(K::Comma));
            break;
        case 0x60:
            syms.push_back(sym(K::Plus));
            break;
        case 0x61:
            syms.push_back(sym(K::Minus));
            break;
        case 0x70:
            syms.push_back(sym(K::Times));
            break;
        case 0x71:
            syms.push_back(sym(K::Divide));
            break;
        case 0xF0:
            syms.push_back(sym(K::Power));
            break;
        case 0xA1:
            syms.push_back(sym(K::Negate));
            break;
        case 0x4A:
            syms.push_back(sym(K::Square));
            break;
        case 0x49:
            syms.push_back(sym(K::Inverse));
            break;
        case 0x45:
            syms.push_back(sym(K::Percent));
            break;
        case 0x40:
            syms.push_back(sym(K::And));
            break;
        case 0x30:
            syms.push_back(sym(K::Or));
            break;
        case 0x50:
            syms.push_back(comparison(C::Eq));
            break;
        case 0x55:
            syms.push_back(comparison(C::Ne));
            break;
        case 0x51:
            syms.push_back(comparison(C::Lt));
            break;
        case 0x52:
            syms.push_back(comparison(C::Gt));
            break;
        case 0x53:
            syms.push_back(comparison(C::Le));
            break;
        case 0x54:
            syms.push_back(comparison(C::Ge));
            break;
        case 0xA2:
            syms.push_back(function(F::Abs, false));
            break;
        case 0xA5:
            syms.push_back(function(F::Int, false));
            break;
        case 0xA3:
            syms.push_back(function(F::IPart, false));
            break;
        case 0xA4:
            syms.push_back(function(F::FPart, false));
            break;
        case 0xAA:
            syms.push_back(function(F::Sin, false));
            break;
        case 0xAC:
            syms.push_back(function(F::Cos, false));
            break;
        case 0xA0:
            syms.push_back(function(F::Sqrt, false));
            break;
        case 0xA6:
            syms.push_back(function(F::Ln, false));
            break;
        case 0xA7:
            syms.push_back(function(F::Exp, false));
            break;
        case 0x12:
            syms.push_back(function(F::Round, false));
            break;
        case 0x13:
            syms.push_back(function(F::Max, false));
            break;
        case 0x14:
            syms.push_back(function(F::Min, false));
            break;
        case 0x15:
            syms.push_back(function(F::Mod, false));
            break;
        case 0xB6:
            syms.push_back(function(F::Sign, false));
            break;
        case 0x25:
            syms.push_back(function(F::EvalF, false));
            break;
        default:
            if (t.code >= 0x33 && t.code <= 0x3A) {
                Sym s = sym(K::Var);
                s.name = t.data;
                syms.push_back(s);
                break;
            }
            return std::nullopt;
        }
    }
    return Parser(std::move(syms), vars).run();
}

inline std::optional<double> evaluateTi83p(const std::vector<Ti83pToken>& tokens,
                                           const Variables& vars) {
    using namespace evaluator;
    std::vector<Sym> syms;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::uint16_t c = tokens[i].code;
        if ((c >= 0x30 && c <= 0x3A) || c == 0x3B) {
            // A number is the run of its digits, point and ᴇ (with its negation).
            std::string text;
            for (; i < tokens.size(); ++i) {
                const std::uint16_t d = tokens[i].code;
                if (d >= 0x30 && d <= 0x39)
                    text += static_cast<char>(d);
                else if (d == 0x3A)
                    text += '.';
                else if (d == 0x3B) {
                    text += 'e';
                    if (i + 1 < tokens.size() && tokens[i + 1].code == 0xB0)
                        text += '-', ++i;
                } else
                    break;
            }
            --i;
            if (text.front() == 'e')
                text = "1" + text;
            char* end = nullptr;
            Sym s = sym(K::Num);
            s.number = std::strtod(text.c_str(), &end);
            if (end == nullptr || *end != '\0')
                return std::nullopt;
            syms.push_back(s);
            continue;
        }
        if ((c >= 0x41 && c <= 0x5B)) {
            Sym s = sym(K::Var);
            s.name = c == 0x5B ? std::string("\xC1") : std::string(1, static_cast<char>(c));
            syms.push_back(s);
            continue;
        }
        switch (c) {
        case 0x10:
            syms.push_back(sym(K::Open));
            break;
        case 0x11:
            syms.push_back(sym(K::Close));
            break;
        case 0x2B:
            syms.push_back(sym(K::Comma));
            break;
        case 0x70:
            syms.push_back(sym(K::Plus));
            break;
        case 0x71:
            syms.push_back(sym(K::Minus));
            break;
        case 0x82:
            syms.push_back(sym(K::Times));
            break;
        case 0x83:
            syms.push_back(sym(K::Divide));
            break;
        case 0xF0:
            syms.push_back(sym(K::Power));
            break;
        case 0xB0:
            syms.push_back(sym(K::Negate));
            break;
        case 0x0D:
            syms.push_back(sym(K::Square));
            break;
        case 0x0C:
            syms.push_back(sym(K::Inverse));
            break;
        case 0x40:
            syms.push_back(sym(K::And));
            break;
        case 0x3C:
            syms.push_back(sym(K::Or));
            break;
        case 0x6A:
            syms.push_back(comparison(C::Eq));
            break;
        case 0x6F:
            syms.push_back(comparison(C::Ne));
            break;
        case 0x6B:
            syms.push_back(comparison(C::Lt));
            break;
        case 0x6C:
            syms.push_back(comparison(C::Gt));
            break;
        case 0x6D:
            syms.push_back(comparison(C::Le));
            break;
        case 0x6E:
            syms.push_back(comparison(C::Ge));
            break;
        case 0xB2:
            syms.push_back(function(F::Abs, true));
            break;
        case 0xB1:
            syms.push_back(function(F::Int, true));
            break;
        case 0xB9:
            syms.push_back(function(F::IPart, true));
            break;
        case 0xBA:
            syms.push_back(function(F::FPart, true));
            break;
        case 0xC2:
            syms.push_back(function(F::Sin, true));
            break;
        case 0xC4:
            syms.push_back(function(F::Cos, true));
            break;
        case 0xBC:
            syms.push_back(function(F::Sqrt, true));
            break;
        case 0xBE:
            syms.push_back(function(F::Ln, true));
            break;
        case 0xBF:
            syms.push_back(function(F::Exp, true));
            break;
        case 0x12:
            syms.push_back(function(F::Round, true));
            break;
        case 0x19:
            syms.push_back(function(F::Max, true));
            break;
        case 0x1A:
            syms.push_back(function(F::Min, true));
            break;
        case 0x23:
            syms.push_back(function(F::Seq, true));
            break;
        case 0xB6:
            syms.push_back(function(F::Sum, true));
            break;
        default:
            return std::nullopt;
        }
    }
    return Parser(std::move(syms), vars).run();
}

} // namespace kalvo::calc::testing
