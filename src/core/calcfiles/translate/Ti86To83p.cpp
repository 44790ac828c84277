// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/translate/Ti86To83p.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/program/Arguments.h"
#include "calcfiles/program/Facts.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/translate/Ti86To83pTable.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <unordered_map>

namespace kalvo::calc {

namespace {

using Tokens = std::vector<Ti86Token>;

constexpr std::uint8_t kThetaFont = 0xC1; // θ in the TI-86 font, and in program-name text

bool is(const Ti86Token& t, std::uint16_t code) {
    return t.known && t.code == code;
}

bool endsStatement(const Ti86Token& t) {
    return endsTi86Statement(t);
}

std::string utf8(std::string_view font) {
    return ti86NameToUtf8(font);
}

// ---------------------------------------------------------------------------
// Characters: a TI-86 font byte as the TI-83 Plus token that draws it.

std::uint16_t charToken(std::uint8_t ti86Font) {
    static const std::array<std::uint16_t, 256> table = [] {
        // TI-83 Plus font byte -> token drawing just that glyph, one-byte
        // tokens first, then the BB letters and symbols (lowercase letters
        // are BB tokens, not the statistics variables a, b, n).
        std::array<std::uint16_t, 256> byFont{};
        const auto rank = [](std::uint16_t code) {
            return code <= 0xFF ? 0 : (code >> 8) == 0xBB ? 1 : 2;
        };
        for (const Ti83pTokenInfo& info : ti83pTokens()) {
            if (info.font.size() != 1)
                continue;
            std::uint16_t& slot = byFont[static_cast<std::uint8_t>(info.font[0])];
            if (slot == 0 || rank(info.code) < rank(slot))
                slot = info.code;
        }
        std::array<std::uint16_t, 256> out{};
        for (int b = 1; b < 256; ++b) {
            int f = b;
            if (b == 0x5B)
                f = 0xC1; // [ and θ trade places
            else if (b == 0xC1)
                f = 0x5B;
            else if (b >= 0x0A && b <= 0x0F)
                f = 'A' + (b - 0x0A); // the TI-86's hexadecimal digits
            else if (b == 0x06 || b == 0x07)
                f = b + 0x18; // its other pair of arrows
            else if (b == '$')
                f = 0xF2; // where the TI-83 Plus font has its $
            else if (b == '`')
                f = 0xB7; // and its grave accent
            else if (b == 0xD2)
                f = '-'; // the TI-86's second minus, ² and °
            else if (b == 0xD3)
                f = 0x12;
            else if (b == 0xD4)
                f = 0x14;
            else if (b <= 0x04 || b == 0x1C || b == '"' || b >= 0xD6)
                continue; // no glyph, or one that would end a TI-83 Plus string
            out[static_cast<std::size_t>(b)] = byFont[static_cast<std::size_t>(f)];
        }
        return out;
    }();
    return table[ti86Font];
}

// A program or label name character (text form: θ is C1) as its token.
std::uint16_t nameCharToken(char c) {
    if (static_cast<std::uint8_t>(c) == kThetaFont)
        return ti83p::Theta;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(c));
}

// Digits and a point only: a number ᴇ⁻2 can be appended to.
bool isDecimal(std::string_view number) {
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.';
    });
}

bool isLabelChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           static_cast<std::uint8_t>(c) == kThetaFont;
}

// ---------------------------------------------------------------------------
// Built-in names: what the TI-86's x, y1, Ans and statistics results are on
// the TI-83 Plus.

struct Builtin {
    std::uint16_t code = 0; // 0: no counterpart
    std::string shown;      // the TI-83 Plus name, for notes
    bool renamed = false;   // shown otherwise than on the TI-86
    std::size_t index = 0;  // in the table, for what is kept per name
};

const std::unordered_map<std::string, Builtin>& builtins() {
    static const auto table = [] {
        std::unordered_map<std::string, Builtin> t;
        const auto add = [&t](std::uint16_t ti86, const char* glyphs, std::uint16_t code,
                              std::string shown) {
            std::string font;
            ti86FontFromUtf8(glyphs, font);
            const bool renamed = shown != utf8(font);
            // A name added twice keeps its first index, so that no two share one.
            const auto [it, added] = t.try_emplace(std::string(1, static_cast<char>(ti86)) + font);
            const std::size_t index = added ? t.size() - 1 : it->second.index;
            it->second = {code, std::move(shown), renamed, index};
        };
        add(ti86::BuiltinName, "x", ti83p::LetterX, "X");
        add(ti86::BuiltinName, "y", ti83p::LetterY, "Y");
        add(ti86::BuiltinName, "t", ti83p::LetterT, "T");
        add(ti86::BuiltinName, "r", ti83p::LetterR, "R");
        add(ti86::BuiltinName, "θ", ti83p::Theta, "θ");
        for (int n = 1; n <= 9; ++n) {
            const std::string digit = std::to_string(n);
            add(ti86::EquationName, ("y" + digit).c_str(),
                static_cast<std::uint16_t>(ti83p::Y1 + n - 1), "Y" + digit);
        }
        add(ti86::EquationName, "y10", ti83p::Y0, "Y0");
        for (int n = 1; n <= 6; ++n) {
            const std::string digit = std::to_string(n);
            const auto pair = static_cast<std::uint16_t>(ti83p::X1T + 2 * (n - 1));
            add(ti86::EquationName, ("xt" + digit).c_str(), pair, "X" + digit + "T");
            add(ti86::EquationName, ("yt" + digit).c_str(), static_cast<std::uint16_t>(pair + 1),
                "Y" + digit + "T");
            add(ti86::EquationName, ("r" + digit).c_str(),
                static_cast<std::uint16_t>(ti83p::R1 + n - 1), "r" + digit);
        }
        const struct {
            const char* ti86;
            std::uint16_t code;
            const char* shown;
        } stats[] = {
            {"Ans", ti83p::Ans, "Ans"},       {"a", ti83p::StatA, "a"},
            {"b", ti83p::StatB, "b"},         {"corr", ti83p::StatR, "r"},
            {"maxX", ti83p::MaxX, "maxX"},    {"maxY", ti83p::MaxY, "maxY"},
            {"Med", ti83p::Med, "Med"},       {"minX", ti83p::MinX, "minX"},
            {"minY", ti83p::MinY, "minY"},    {"n", ti83p::StatN, "n"},
            {"Qrtl1", ti83p::Q1, "Q1"},       {"Qrtl3", ti83p::Q3, "Q3"},
            {"RegEq", ti83p::RegEQ, "RegEQ"}, {"Sx", ti83p::Sx, "Sx"},
            {"Sy", ti83p::Sy, "Sy"},          {"σx", ti83p::StatSigmaX, "σx"},
            {"σy", ti83p::StatSigmaY, "σy"},  {"Σx", ti83p::SumX, "Σx"},
            {"Σx²", ti83p::SumX2, "Σx²"},     {"Σxy", ti83p::SumXY, "Σxy"},
            {"Σy", ti83p::SumY, "Σy"},        {"Σy²", ti83p::SumY2, "Σy²"},
            {"x̄", ti83p::Xhat, "x̄"},          {"ȳ", ti83p::Yhat, "ȳ"},
        };
        for (const auto& s : stats)
            add(ti86::StatName, s.ti86, s.code, s.shown);
        return t;
    }();
    return table;
}

const Builtin* builtinOf(const Ti86Token& t) {
    if (!t.known ||
        (t.code != ti86::BuiltinName && t.code != ti86::EquationName && t.code != ti86::StatName))
        return nullptr;
    const auto hit = builtins().find(std::string(1, static_cast<char>(t.code)) + t.data);
    return hit == builtins().end() ? nullptr : &hit->second;
}

// y11-y99: TI-86 functions the TI-83 Plus has no name for, placed as the
// program's own equations are (graphed, as the TI-86 graphs them).
bool isSpareFunction(const Ti86Token& t) {
    if (!t.known || t.code != ti86::EquationName || t.data.size() < 3 || t.data[0] != 'y' ||
        builtinOf(t) != nullptr)
        return false;
    return std::all_of(t.data.begin() + 1, t.data.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Q1-Q9 and QI1-QI9: the TI-86's initial values of differential equations,
// real variables a program may keep its own numbers in.
bool isInitialValue(const Ti86Token& t) {
    const std::string& d = t.data;
    const std::size_t digit = d.size() == 3 && d[1] == 'I' ? 2 : 1;
    return t.known && t.code == ti86::BuiltinName && d.size() == digit + 1 && d[0] == 'Q' &&
           d[digit] >= '1' && d[digit] <= '9';
}

// A name in a code that carries the calculator's names too (32, 3B) that
// the program chose.
bool isChosenAmongOwn(const Ti86Token& t) {
    if (t.code == ti86::EquationName)
        return isSpareFunction(t);
    if (isInitialValue(t))
        return true; // a real like the program's own, unless it graphs DifEq
    return isTi86UserName(t);
}

// A name the program chose (not one of the calculator's own).
inline bool isUserName(const Ti86Token& t) {
    // Asked about nearly every token several times: the tokens that cannot
    // be names, and the program's fixed names, are settled in line.
    if (!t.known || t.code < ti86::BuiltinName || t.code > ti86::EquationName)
        return false;
    return (t.code >= ti86::Name1 && t.code <= ti86::Name8) || isChosenAmongOwn(t);
}

// ---------------------------------------------------------------------------
// Token ranges.

// The index of the ")" closing the "(" at `open`, or `end` when there is none
// before the statement ends.
std::size_t matchingClose(const Tokens& tokens, std::size_t open, std::size_t end) {
    int depth = 0;
    for (std::size_t i = open; i < end; ++i) {
        if (is(tokens[i], ti86::LParen))
            ++depth;
        else if (is(tokens[i], ti86::RParen) && --depth == 0)
            return i;
    }
    return end;
}

// Whether the "(" at `open` holds two arguments or more before its ")" or
// the statement's end.
bool pairFollows(const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size() && !endsStatement(tokens[i]); ++i) {
        if (is(tokens[i], ti86::LParen))
            ++depth;
        else if (is(tokens[i], ti86::RParen) && --depth == 0)
            return false;
        else if (depth == 1 && is(tokens[i], ti86::Comma))
            return true;
    }
    return false;
}

// A unit of the TI-86's conversions (CONV), in its font, with its size in
// metres or seconds. Lengths and times are all linear; those defined
// exactly need no source beyond their definition. The year and light-year
// are TI's (365.242198781 days, and c times that) as its other calculators
// give them: taken, and said in a note.
struct Unit {
    std::string_view name;
    char dimension; // 'L' length, 'T' time
    double size;
    bool assumed = false;
};

constexpr double kYear = 365.242198781 * 86400;

std::optional<Unit> unitNamed(std::string_view name) {
    static constexpr std::array<Unit, 21> units{{
        {"mm", 'L', 1e-3},
        {"cm", 'L', 1e-2},
        {"m", 'L', 1},
        {"km", 'L', 1e3},
        {"in", 'L', 0.0254},
        {"ft", 'L', 0.3048},
        {"yd", 'L', 0.9144},
        {"mile", 'L', 1609.344},
        {"nmile", 'L', 1852},
        {"mil", 'L', 2.54e-5},
        {"Ang", 'L', 1e-10},
        {"fermi", 'L', 1e-15},
        {"lt\xD2yr", 'L', 299792458 * kYear, true},
        {"ns", 'T', 1e-9},
        {"ms", 'T', 1e-3},
        {"sec", 'T', 1},
        {"mn", 'T', 60},
        {"hr", 'T', 3600},
        {"day", 'T', 86400},
        {"week", 'T', 604800},
        {"yr", 'T', kYear, true},
    }};
    for (const Unit& u : units)
        if (u.name == name)
            return u;
    return std::nullopt;
}

// What a TI-86 token becomes when it carries its own "(" on the TI-83 Plus.
bool opensParen(const Ti86Token& t) {
    if (!t.known)
        return false;
    const Ti86To83pRule* rule = ti86To83pRule(t.code);
    return rule != nullptr &&
           (rule->kind == Ti86To83pKind::Same || rule->kind == Ti86To83pKind::Renamed ||
            rule->kind == Ti86To83pKind::Differs) &&
           ti83pTokenOpensParen(rule->ti83p);
}

bool isValueToken(const Ti86Token& t) {
    return t.known && ti86Has(t.code, ti86flag::Value);
}

// The end of the one operand at `i` of a function the TI-86 applied without
// "(": a number, a name, a parenthesised group or a function call. Nothing
// when the operand is anything else.
// Functions applied without "(" to functions applied without "(", deeper
// than any program writes, are left to the user: the translation recurses
// once per level.
constexpr int kMaxNesting = 16;

std::optional<std::size_t> operandEnd(const Tokens& tokens, std::size_t i, std::size_t end,
                                      int depth = 0) {
    if (i >= end || depth > kMaxNesting)
        return std::nullopt;
    const Ti86Token& t = tokens[i];
    if (isValueToken(t))
        return i + 1;
    if (is(t, ti86::LParen)) {
        const std::size_t close = matchingClose(tokens, i, end);
        return close < end ? std::optional<std::size_t>(close + 1) : std::nullopt;
    }
    if (opensParen(t)) {
        if (i + 1 < end && is(tokens[i + 1], ti86::LParen)) {
            const std::size_t close = matchingClose(tokens, i + 1, end);
            return close < end ? std::optional<std::size_t>(close + 1) : std::nullopt;
        }
        return operandEnd(tokens, i + 1, end, depth + 1);
    }
    return std::nullopt;
}

// Whether what follows an operand ends it for certain: the TI-86 applies a
// prefix function before these, and after powers and postfix operators.
bool endsOperand(const Tokens& tokens, std::size_t i, std::size_t end) {
    return i >= end || (tokens[i].known && ti86Has(tokens[i].code, ti86flag::EndsOperand));
}

// ---------------------------------------------------------------------------
// What kind of variable each name is, from how the programs use it.

enum Kind : unsigned {
    Real = 1,
    String = 2,
    List = 4,
    Matrix = 8,
    Vector = 16,
    Picture = 32,
    Database = 64,
    Equation = 128,
};

struct NameUse {
    std::size_t order = 0; // first seen, across the group
    unsigned kinds = 0;
    std::set<std::string> copiesFrom;   // stored from these names: their kind is its kind
    std::set<std::string> comparedFrom; // stored from a test of these: a list's is a list
    std::set<std::string> sizeOf;       // dim X→name: a list for a matrix, else a number
    bool bareCall = false;              // a statement of its own
    bool otherUse = false;              // used anywhere but as such a statement
    bool beforeParen = false;           // written before "(": f(3) is no Y1(3)
    bool beforePair = false;            // before "(" with two arguments: M(1,2)
    bool needsLetter = false;           // where the TI-83 Plus takes a variable, not an element
    bool asksLetter = false;            // Input, Prompt, DelVar: a letter, or else a rewrite
    bool graphed = false;               // y11-y99: an equation the TI-86 graphs
    unsigned programs = 0;              // graphed: how many programs of the group name it
    bool sizedByName = false;           // N→dim X: a matrix's size or a vector's
    unsigned stores = 0;                // →name
    unsigned literalStores = 0;         // "text"→name, a statement of its own
    std::string literal;                // that text (font bytes)
    bool literalsDiffer = false;
    bool otherWrite = false; // given a value otherwise (InpSt, Eq▶St()
};

struct Placement {
    enum class As { Variable, Program, Unplaced } as = As::Unplaced;
    std::vector<std::uint16_t> codes; // the TI-83 Plus tokens for the name
    std::string shown;                // the TI-83 Plus name, for notes
    std::string why;                  // Unplaced: the warning
    bool outside = false;             // Program: one not translated with this one
    bool equation = false;            // Variable: an equation held by Y1-Y0
    bool graphed = false;             // equation: graphed on both, so left on
    bool vector = false;              // a list for a TI-86 vector
    bool constant = false;            // Variable: a string with one text ever, written
                                      // where it is read
    bool element = false;             // Variable: an element of the list for the other reals
    Builtin text;                     // equation: the string holding it, past Y1-Y0
    bool renamed = false;             // Variable: shown otherwise than on the TI-86
    std::size_t index = 0;            // among the placements, for what is kept per name
};

// Functions whose argument is known to be of one kind.
unsigned argumentKind(std::uint16_t code) {
    return ti86Has(code, ti86flag::ListArgument)     ? List
           : ti86Has(code, ti86flag::StringArgument) ? String
           : ti86Has(code, ti86flag::MatrixArgument) ? Matrix
                                                     : 0u;
}

// Statistics commands: every name among their arguments is a list.
bool takesLists(std::uint16_t code) {
    // Plot1(type,xlist,ylist,mark): the names are lists, the rest numbers.
    return ti86Has(code, ti86flag::ListArguments) || code == ti86::Plot1 || code == ti86::Plot2 ||
           code == ti86::Plot3;
}

class Names {
public:
    explicit Names(const Ti83pProgramNames& calls) : calls_(calls) {}

    void analyse(const Ti86Facts& facts) {
        const Tokens& tokens = facts.syntax().tokens();
        for (const std::uint32_t st : facts.syntax().statements()) {
            const SyntaxNode& statement = facts.syntax().node(st);
            analyseStatement(tokens, statement.first, statement.last, facts);
        }
        std::set<std::string> spareHere;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            // Names have codes 32-3C: the other tokens skip the name look-ups.
            const bool nameCode = tokens[i].known && tokens[i].code >= ti86::BuiltinName &&
                                  tokens[i].code <= ti86::StatName;
            if (const Builtin* b = nameCode ? builtinOf(tokens[i]) : nullptr;
                b != nullptr && tokens[i].code == ti86::BuiltinName)
                reservedLetters_.insert(b->code); // x is X: a user's X must move
            else if (b != nullptr && ((b->code >= ti83p::Y1 && b->code <= ti83p::Y0) ||
                                      (b->code >= ti83p::X1T && b->code <= ti83p::Y6T) ||
                                      (b->code >= ti83p::R1 && b->code <= ti83p::R6)))
                reservedFunctions_.insert(b->code); // y1 is Y1: an equation of a name must move
            if (is(tokens[i], ti86::CylV) || is(tokens[i], ti86::SphereV))
                vectorsApart_ = true; // vectors shown in polar form
            if (is(tokens[i], ti86::DifEq))
                difEq_ = true;
            if (tokens[i].known && ti86Has(tokens[i].code, ti86flag::ListArguments))
                statsCalc_ = true;
            // →xStat, →xStat(i), →dimL xStat: the program fills it itself.
            if (is(tokens[i], ti86::Store)) {
                for (std::size_t k = i + 1; k <= i + 2 && k < tokens.size(); ++k) {
                    if (is(tokens[k], ti86::XStat) || is(tokens[k], ti86::YStat) ||
                        is(tokens[k], ti86::FStat))
                        statStored_.insert(tokens[k].code);
                    else if (!is(tokens[k], ti86::DimL) && !is(tokens[k], ti86::Dim))
                        break;
                }
            }
            if (nameCode && isInitialValue(tokens[i]))
                initialValues_.insert(tokens[i].data);
            if (is(tokens[i], ti86::Param))
                parametricMode_ = true;
            else if (is(tokens[i], ti86::Pol))
                polarMode_ = true;
            if (nameCode && isUserName(tokens[i]) && i + 1 < tokens.size() &&
                is(tokens[i + 1], ti86::LParen)) {
                NameUse& u = use(tokens[i].data);
                u.beforeParen = true;
                u.beforePair = u.beforePair || pairFollows(tokens, i + 1);
            }
            if (nameCode && isSpareFunction(tokens[i])) {
                NameUse& u = use(tokens[i].data);
                u.kinds |= Equation;
                u.graphed = true;
                if (spareHere.insert(tokens[i].data).second)
                    ++u.programs;
            }
        }
    }

    // Places every name, then numbers the placements.
    void allocate() {
        place();
        std::size_t index = 0;
        for (auto& [name, p] : placements_) {
            p.index = index++;
            p.renamed = p.as == Placement::As::Variable && p.shown != utf8(name);
        }
    }
    std::size_t placementCount() const { return placements_.size(); }

    // Reals past the 27 letters are elements of one list; its name (text
    // form) and the number of elements, 0 when the letters were enough.
    const std::string& elementList() const { return elementList_; }
    std::size_t elements() const { return elements_; }

    // The kinds (Kind bits) the uses of a name tell across the programs
    // read, after allocate().
    unsigned kinds(const std::string& name) const {
        const auto hit = uses_.find(name);
        return hit == uses_.end() ? 0u : hit->second.kinds;
    }

    // Vectors are lists: the set shows no vector in polar form (a matrix
    // and a vector in one statement are left to the user).
    bool vectorsAsLists() const { return vectorsAsLists_; }

    // A string no name of the set took, where Input or Prompt reads a real
    // that is an element (0 when none is free or needed).
    std::uint16_t scratchString() const { return scratch_; }

    // xStat, yStat, fStat as lists of the programs' own: they store to it
    // and run no statistics command, the one thing that reads or fills it
    // unasked.
    bool ownStatList(std::uint16_t code) const {
        return !statsCalc_ && statStored_.count(code) != 0;
    }

    const Placement* placement(const std::string& name) const {
        const auto hit = placements_.find(name);
        return hit == placements_.end() ? nullptr : &hit->second;
    }

private:
    void place();

    NameUse& use(const std::string& name) {
        auto [it, added] = uses_.try_emplace(name);
        if (added)
            it->second.order = uses_.size();
        return it->second;
    }

    void mark(const Ti86Token& t, unsigned kind) {
        if (isUserName(t)) {
            NameUse& u = use(t.data);
            u.kinds |= kind;
            u.otherUse = true;
        }
    }

    // The kind of what an expression gives, from its first tokens and the
    // functions in it; names it reads hand their kind on.
    void storeKind(const Tokens& tokens, std::size_t from, std::size_t to,
                   const Ti86Token& target) {
        // dim M→S: a matrix's size is the list {rows,columns}, anything
        // else's a number; which, M's kind tells once it is known.
        if (to - from >= 2 && is(tokens[from], ti86::Dim)) {
            std::size_t a = from + 1;
            const bool paren = is(tokens[a], ti86::LParen);
            a += paren ? 1 : 0;
            if (a < to && isUserName(tokens[a]) &&
                (a + 1 == to || (paren && a + 2 == to && is(tokens[a + 1], ti86::RParen)))) {
                use(target.data).sizeOf.insert(tokens[a].data);
                return;
            }
        }
        unsigned kind = 0;
        std::set<std::string> sources;
        bool sawValue = false;
        int depth = 0;
        bool compared = false; // at the top: strings compared give a number
        std::set<std::string> operands;
        for (std::size_t i = from; i < to; ++i) {
            const Ti86Token& t = tokens[i];
            if (!t.known)
                continue;
            if (t.code == ti86::LParen || t.code == ti86::LBrace || t.code == ti86::LBracket)
                ++depth;
            else if (t.code == ti86::RParen || t.code == ti86::RBrace || t.code == ti86::RBracket)
                --depth;
            else if (depth == 0 && (ti86Has(t.code, ti86flag::Comparison) || t.code == ti86::And ||
                                    t.code == ti86::Or || t.code == ti86::Xor))
                compared = true;
            if (t.code == ti86::String || t.code == ti86::Sub || t.code == ti86::EqToSt)
                kind |= String;
            else if (t.code == ti86::LBrace || t.code == ti86::Seq || t.code == ti86::SortA ||
                     t.code == ti86::SortD || t.code == ti86::CSum || t.code == ti86::CSumRepeat ||
                     t.code == ti86::DeltaLst)
                kind |= List;
            else if (t.code == ti86::LBracket)
                // [[1,2][3,4]] is a matrix, row by row; [1,2] alone a vector.
                kind |= (i + 1 < to && is(tokens[i + 1], ti86::LBracket)) ||
                                (i > from && (is(tokens[i - 1], ti86::LBracket) ||
                                              is(tokens[i - 1], ti86::RBracket)))
                            ? Matrix
                            : Vector;
            else if (t.code == ti86::RandM || t.code == ti86::Ident || t.code == ti86::Aug ||
                     t.code == ti86::Ref || t.code == ti86::Rref)
                kind |= Matrix;
            if (isUserName(t)) {
                const bool argument =
                    i > from && (argumentKind(tokens[i - 1].code) != 0 ||
                                 (i > from + 1 && is(tokens[i - 1], ti86::LParen) &&
                                  argumentKind(tokens[i - 2].code) != 0));
                // V(2) is an element: a number, whatever V is.
                const bool element = i + 1 < to && is(tokens[i + 1], ti86::LParen);
                if (!argument && !element)
                    sources.insert(t.data);
                if (depth == 0 && !(i + 1 < to && is(tokens[i + 1], ti86::LParen)))
                    operands.insert(t.data); // not inside a call, nor an element
                sawValue = true;
            } else if (isValueToken(t)) {
                sawValue = true;
            }
        }
        if (compared) {
            // S1==sub(S,1,2)→R: a test's 1 or 0, or lists of them for lists.
            kind &= ~String;
            if (kind != 0)
                mark(target, kind);
            else if (!operands.empty())
                use(target.data).comparedFrom.insert(operands.begin(), operands.end());
            else if (sawValue)
                mark(target, Real);
            return;
        }
        if (kind != 0)
            mark(target, kind);
        else if (!sources.empty())
            use(target.data).copiesFrom.insert(sources.begin(), sources.end());
        else if (sawValue)
            mark(target, Real);
    }

    void analyseStatement(const Tokens& tokens, std::size_t start, std::size_t end,
                          const Ti86Facts& facts) {
        if (start >= end)
            return;
        // A name alone: a program call, or a variable shown as Ans.
        const Ti86Syntax& syntax = facts.syntax();
        if (syntax.node(syntax.statementOf(start)).statement() == StatementForm::ProgramCall) {
            use(tokens[start].data).bareCall = true;
            return;
        }
        if (isUserName(tokens[start]) && start + 1 < end && is(tokens[start + 1], ti86::Assign))
            mark(tokens[start], Equation);
        const bool statsCommand = tokens[start].known && takesLists(tokens[start].code);
        std::size_t valueStart = start;
        for (std::size_t i = start; i < end; ++i) {
            const Ti86Token& t = tokens[i];
            if (facts.isMenuLabel(i))
                continue;
            if (isUserName(t)) {
                use(t.data).otherUse = true;
                if (statsCommand)
                    mark(t, List);
            }
            if (!t.known)
                continue;
            if (const unsigned k = argumentKind(t.code); k != 0) {
                std::size_t a = i + 1;
                if (a < end && is(tokens[a], ti86::LParen))
                    ++a;
                if (a < end)
                    mark(tokens[a], k);
            }
            if (t.code == ti86::EqToSt) { // Eq▶St(equation, string)
                for (std::size_t a = i + 1; a < end; ++a)
                    if (is(tokens[a], ti86::Comma)) {
                        if (a + 1 < end) {
                            mark(tokens[a + 1], String);
                            if (isUserName(tokens[a + 1]))
                                use(tokens[a + 1].data).otherWrite = true;
                        }
                        break;
                    }
            }
            if ((t.code == ti86::StPic || t.code == ti86::RcPic) && i + 1 < end)
                mark(tokens[i + 1], Picture);
            if ((t.code == ti86::StGDB || t.code == ti86::RcGDB) && i + 1 < end)
                mark(tokens[i + 1], Database);
            if (t.code == ti86::For && i + 2 < end && is(tokens[i + 1], ti86::LParen)) {
                mark(tokens[i + 2], Real); // For(
                needsLetter(tokens[i + 2]);
            }
            // The TI-83 Plus takes only a variable here, not a list element.
            if (t.code == ti86::IsGreater || t.code == ti86::DsLess || t.code == ti86::DelVar ||
                t.code == ti86::Get || t.code == ti86::Send) {
                const std::size_t a =
                    i + 1 < end && is(tokens[i + 1], ti86::LParen) ? i + 2 : i + 1;
                if (a < end && t.code == ti86::DelVar && isUserName(tokens[a]))
                    use(tokens[a].data).asksLetter = true;
                else if (a < end)
                    needsLetter(tokens[a]);
            }
            if (t.code == ti86::Input || t.code == ti86::Prompt)
                for (std::size_t a = i + 1; a < end; ++a)
                    if (isUserName(tokens[a]))
                        use(tokens[a].data).asksLetter = true;
            if (t.code == ti86::Seq || t.code == ti86::FnInt || t.code == ti86::FMin ||
                t.code == ti86::FMax || t.code == ti86::NDer || t.code == ti86::EvalF) {
                // The variable is the argument after the first comma.
                int depth = 0;
                for (std::size_t a = i + 1; a < end; ++a) {
                    if (is(tokens[a], ti86::LParen) || is(tokens[a], ti86::LBrace) ||
                        is(tokens[a], ti86::LBracket))
                        ++depth;
                    else if (is(tokens[a], ti86::RParen) || is(tokens[a], ti86::RBrace) ||
                             is(tokens[a], ti86::RBracket))
                        --depth;
                    if (depth <= 0 && a > i + 1)
                        break;
                    if (depth == 1 && is(tokens[a], ti86::Comma)) {
                        if (a + 1 < end)
                            needsLetter(tokens[a + 1]);
                        break;
                    }
                }
            }
            if (t.code == ti86::Store && i + 1 < end) {
                const Ti86Token& target = tokens[i + 1];
                if (isUserName(target)) {
                    NameUse& u = use(target.data);
                    ++u.stores;
                    if (i == start + 1 && is(tokens[start], ti86::String) && i + 2 == end) {
                        if (u.literalStores++ > 0 && u.literal != tokens[start].data)
                            u.literalsDiffer = true;
                        u.literal = tokens[start].data;
                    }
                }
                if (is(target, ti86::DimL) && i + 2 < end)
                    mark(tokens[i + 2], List); // →dimL L
                else if (is(target, ti86::Dim) && i + 2 < end && i == valueStart + 1 &&
                         isUserName(tokens[valueStart]) && isUserName(tokens[i + 2])) {
                    // N→dim X: the size may be a matrix's or a vector's;
                    // the rest of the set tells which (see sizedByName).
                    mark(tokens[i + 2], 0);
                    use(tokens[i + 2].data).sizedByName = true;
                } else if (is(target, ti86::Dim) && i + 2 < end)
                    // {2,3}→dim M sizes a matrix, D+1→dim V a vector.
                    mark(tokens[i + 2],
                         i > valueStart && !is(tokens[valueStart], ti86::LBrace) &&
                                 (i - valueStart > 1 || !isUserName(tokens[valueStart]))
                             ? Vector
                             : Matrix);
                else if (isUserName(target) && i + 2 < end && is(tokens[i + 2], ti86::LParen)) {
                    // An element: one index for a list, two for a matrix.
                    const std::size_t close = matchingClose(tokens, i + 2, end);
                    bool two = false;
                    for (std::size_t a = i + 3; a < close; ++a)
                        two = two || is(tokens[a], ti86::Comma);
                    mark(target, two ? Matrix : List);
                } else if (isUserName(target)) {
                    storeKind(tokens, valueStart, i, target);
                }
                valueStart = i + 1;
            }
        }
        if (is(tokens[start], ti86::InpSt))
            for (std::size_t i = end; i-- > start;)
                if (isUserName(tokens[i])) {
                    mark(tokens[i], String);
                    use(tokens[i].data).otherWrite = true;
                    break;
                }
    }

    void needsLetter(const Ti86Token& t) {
        if (isUserName(t))
            use(t.data).needsLetter = true;
    }

    const Ti83pProgramNames& calls_;
    std::string elementList_;
    std::size_t elements_ = 0;
    std::unordered_map<std::string, NameUse> uses_;
    std::set<std::uint16_t> reservedLetters_;
    std::set<std::uint16_t> reservedFunctions_;
    bool parametricMode_ = false;        // X1T-Y6T are graphed in this mode only
    bool polarMode_ = false;             // r1-r6 likewise
    bool vectorsApart_ = false;          // vectors cannot be lists: see allocate
    bool difEq_ = false;                 // DifEq mode: Q1-Q9 are its initial values
    std::uint16_t scratch_ = 0;          // a string for Input of an element; 0: none
    bool statsCalc_ = false;             // a statistics command, which reads or fills xStat...
    std::set<std::uint16_t> statStored_; // xStat, yStat, fStat the programs store to
    std::set<std::string> initialValues_;
    bool vectorsAsLists_ = false;
    std::unordered_map<std::string, Placement> placements_;
};

// A name in text form (θ as C1) as the calculator shows it.
std::string shownText(std::string_view text) {
    std::string out;
    for (const char c : text)
        out += static_cast<std::uint8_t>(c) == kThetaFont ? std::string("θ") : std::string(1, c);
    return out;
}

// A numbered TI-83 Plus variable as it is written: its code's second byte
// counts from the first of its kind (Str1…Str9, then Str0 in the tenth slot).
std::string numberedName(std::string_view prefix, std::uint16_t code, std::uint16_t first) {
    const int slot = code - first;
    return std::string(prefix) + std::to_string(slot == 9 ? 0 : slot + 1);
}

std::string upperName(std::string_view font) {
    std::string out;
    for (char c : font) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (isLabelChar(c))
            out += c;
    }
    return out;
}

std::string shownLetter(std::uint16_t code) {
    return code == ti83p::Theta ? "θ" : std::string(1, static_cast<char>(code));
}

void Names::place() {
    // Kinds flow along stores of one name to another until nothing changes.
    for (bool changed = true; changed;) {
        changed = false;
        for (auto& entry : uses_) {
            // Not a structured binding: the lambda captures it, which the
            // clang of the web build does not allow.
            NameUse& u = entry.second;
            const auto flow = [&](const std::set<std::string>& from, unsigned carried) {
                for (const std::string& f : from) {
                    const auto hit = uses_.find(f);
                    if (hit == uses_.end())
                        continue;
                    const unsigned k = hit->second.kinds & carried;
                    if ((u.kinds | k) != u.kinds) {
                        u.kinds |= k;
                        changed = true;
                    }
                }
            };
            flow(u.copiesFrom, ~unsigned{Real});
            for (const std::string& f : u.sizeOf) {
                const auto hit = uses_.find(f);
                const unsigned k = hit == uses_.end() ? 0u : hit->second.kinds;
                const unsigned size = ((k & Matrix) != 0 ? unsigned{List} : 0u) |
                                      ((k & (List | Vector | String)) != 0 ? unsigned{Real} : 0u);
                if ((u.kinds | size) != u.kinds) {
                    u.kinds |= size;
                    changed = true;
                }
            }
            // Lists compared give lists; matrices (and, taken, vectors) one value.
            flow(u.comparedFrom, List);
            if (!u.comparedFrom.empty() && (u.kinds & ~Real) == 0 && (u.kinds & Real) == 0) {
                u.kinds |= Real; // lists compared give lists; anything else a number
                changed = true;
            }
        }
    }
    vectorsAsLists_ = !vectorsApart_;
    std::vector<std::pair<std::size_t, std::string>> order;
    // y11-y99 first: they can have only Y1-Y0, the program's own equations
    // can go on to strings.
    for (const auto& [name, u] : uses_)
        order.emplace_back(u.graphed ? u.order : u.order + uses_.size(), name);
    std::sort(order.begin(), order.end());

    // More of them than free Y1-Y0: those left without one are the ones
    // the fewest programs name, so that the most programs keep all theirs.
    std::set<std::string> functionsLeft;
    {
        std::vector<std::pair<std::size_t, std::string>> graphed;
        for (const auto& [at, name] : order) {
            const NameUse& u = uses_[name];
            if (u.graphed && !u.beforeParen && !u.sizedByName &&
                (u.kinds & ~unsigned{Equation | Real}) == 0)
                graphed.emplace_back(at, name);
        }
        std::size_t free = 0;
        for (std::uint16_t c = ti83p::Y1; c <= ti83p::Y0; ++c)
            free += !reservedFunctions_.count(c);
        if (graphed.size() > free) {
            std::stable_sort(graphed.begin(), graphed.end(), [this](const auto& a, const auto& b) {
                return uses_[a.second].programs > uses_[b.second].programs;
            });
            for (std::size_t k = free; k < graphed.size(); ++k)
                functionsLeft.insert(graphed[k].second);
        }
    }

    // More strings than Str1-Str0: those given one text ever, alone on a
    // line, are that text where they are read ("HELLO"→S1 leaves S1 "HELLO"
    // whenever the TI-86 can read it), so the others find a string.
    std::size_t strings = 0;
    for (const auto& [name, u] : uses_) {
        const unsigned k = (u.kinds & ~Real) != 0 ? u.kinds & ~Real : u.kinds;
        strings += k == String;
    }
    const auto constantText = [&](const NameUse& u) {
        if (strings <= 10 || u.literalStores == 0 || u.stores != u.literalStores ||
            u.literalsDiffer || u.otherWrite || u.needsLetter || u.asksLetter || u.beforeParen)
            return false;
        return std::all_of(u.literal.begin(), u.literal.end(),
                           [](char c) { return charToken(static_cast<std::uint8_t>(c)) != 0; });
    };

    std::set<std::uint16_t> letters = reservedLetters_;
    std::set<std::uint16_t> taken; // strings, lists, matrices, pictures, databases
    std::set<std::string> customLists;
    std::vector<std::string> reals;
    std::vector<std::string> singles; // one-letter names whose letter is free
    std::vector<std::string> equationsLeft;

    // Plain one-letter names keep their letter unless the calculator's own x,
    // y... need it.
    const auto letterOf = [](const std::string& name) -> std::uint16_t {
        if (name.size() != 1)
            return 0;
        const auto c = static_cast<std::uint8_t>(name[0]);
        if (c >= 'A' && c <= 'Z')
            return c;
        return c == kThetaFont ? ti83p::Theta : 0;
    };
    for (const auto& entry : order) {
        const std::string& name = entry.second; // a plain name: lambdas below capture it
        NameUse& u = uses_[name];
        Placement p;
        if (difEq_ && initialValues_.count(name)) {
            p.why = "it is an initial value of the differential equations the TI-86 graphs in "
                    "DifEq mode, which the TI-83 Plus does not have; it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        const auto call = calls_.find(name);
        const std::string target = call != calls_.end() ? call->second
                                   : u.bareCall         ? makeTi83pProgramName(name).name
                                                        : std::string();
        if (u.bareCall && !target.empty() &&
            (call != calls_.end() || (!u.otherUse && u.kinds == 0))) {
            p.as = Placement::As::Program;
            p.codes.push_back(ti83p::Prgm);
            for (const char c : target)
                p.codes.push_back(nameCharToken(c));
            p.shown = "prgm" + shownText(target);
            p.outside = call == calls_.end();
            placements_[name] = std::move(p);
            continue;
        }
        // A name also stored from a number is still what the rest says (a
        // string is cleared with 0 as often as not); two kinds besides cannot
        // be told apart.
        unsigned kinds = u.kinds;
        // dim sizes only vectors and matrices (dimL sizes lists): a name
        // sized from a name is a matrix unless the rest says otherwise, as
        // X(2) does (one index: a list's or a vector's).
        if (u.sizedByName)
            kinds |= (kinds & ~Real) == 0 || (kinds & Matrix) != 0 ? Matrix : Vector;
        if ((kinds & ~Real) != 0)
            kinds &= ~Real;
        p.vector = vectorsAsLists_ && (kinds & Vector) != 0;
        if (p.vector)
            kinds = (kinds & ~Vector) | List; // V(2) and [1,2] alike
        // Nothing says what it is, yet it is read as M(1,2): a matrix's
        // element as often as a number times a complex pair.
        if (kinds == 0 && u.beforePair) {
            p.why = "its kind cannot be told (nothing in the program says what it holds, "
                    "and it is written before a pair in parentheses, as a matrix's element "
                    "is); "
                    "it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        // The size of a name nothing tells the kind of: a list, if that
        // is a matrix, a number otherwise.
        if (kinds == 0 && !u.sizeOf.empty()) {
            p.why = "its kind cannot be told (it holds the size of " +
                    shownText(*u.sizeOf.begin()) +
                    ", a list if that is a matrix and a number otherwise, and nothing in the "
                    "program says which); it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        if (kinds == 0)
            kinds = Real;
        if ((kinds & (kinds - 1)) != 0) {
            p.why = "its kind cannot be told (it is used as more than one of number, string, "
                    "list, matrix); it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        if (kinds == Real) {
            if (const std::uint16_t l = letterOf(name); l != 0 && !letters.count(l))
                singles.push_back(name);
            else
                reals.push_back(name);
            continue;
        }
        const auto pick = [&](std::uint16_t first, int count, std::uint16_t preferred) {
            if (preferred != 0 && !taken.count(preferred))
                return preferred;
            for (int k = 0; k < count; ++k)
                if (!taken.count(static_cast<std::uint16_t>(first + k)))
                    return static_cast<std::uint16_t>(first + k);
            return std::uint16_t{0};
        };
        // "Pic3", "Str2": a name ending in a digit keeps the digit where free
        // (slot 0 holds the digit 1, slot 9 the digit 0).
        const auto digitSlot = [&name](std::uint16_t first) -> std::uint16_t {
            const char last = name.empty() ? ' ' : name.back();
            if (last < '0' || last > '9')
                return 0;
            return static_cast<std::uint16_t>(first + (last == '0' ? 9 : last - '1'));
        };
        std::uint16_t code = 0;
        std::string what;
        switch (kinds) {
        case String:
            if (constantText(u)) {
                p.as = Placement::As::Variable;
                p.constant = true;
                p.codes.push_back(ti83p::Quote);
                for (const char c : u.literal)
                    p.codes.push_back(charToken(static_cast<std::uint8_t>(c)));
                p.codes.push_back(ti83p::Quote);
                p.shown = "\"" + utf8(u.literal) + "\"";
                placements_[name] = std::move(p);
                continue;
            }
            code = pick(ti83p::Str1, 10, digitSlot(ti83p::Str1));
            what = "string";
            if (code != 0)
                p.shown = numberedName("Str", code, ti83p::Str1);
            break;
        case Picture:
            code = pick(ti83p::Pic1, 10, digitSlot(ti83p::Pic1));
            what = "picture";
            if (code != 0)
                p.shown = numberedName("Pic", code, ti83p::Pic1);
            break;
        case Database:
            code = pick(ti83p::GDB1, 10, digitSlot(ti83p::GDB1));
            what = "graph database";
            if (code != 0)
                p.shown = numberedName("GDB", code, ti83p::GDB1);
            break;
        case Matrix: {
            const std::string up = upperName(name);
            const std::uint16_t preferred =
                !up.empty() && up[0] >= 'A' && up[0] <= 'J'
                    ? static_cast<std::uint16_t>(ti83p::MatrixA + (up[0] - 'A'))
                    : 0;
            code = pick(ti83p::MatrixA, 10, preferred);
            what = "matrix";
            if (code != 0)
                p.shown = std::string("[") + static_cast<char>('A' + (code - ti83p::MatrixA)) + "]";
            break;
        }
        case List: {
            what = "list";
            // L1-L6 stay themselves; other names become custom lists of up to
            // five characters, or else take a free L1-L6.
            if (name.size() == 2 && name[0] == 'L' && name[1] >= '1' && name[1] <= '6') {
                code = pick(ti83p::L1, 6, static_cast<std::uint16_t>(ti83p::L1 + (name[1] - '1')));
                if (code != 0)
                    p.shown = numberedName("L", code, ti83p::L1);
                break;
            }
            std::string custom = upperName(name).substr(0, 5);
            while (!custom.empty() && custom[0] >= '0' && custom[0] <= '9')
                custom.erase(0, 1);
            if (!custom.empty() && !customLists.count(custom)) {
                customLists.insert(custom);
                p.as = Placement::As::Variable;
                p.codes.push_back(ti83p::SmallL);
                for (const char c : custom)
                    p.codes.push_back(nameCharToken(c));
                p.shown = "ʟ" + shownText(custom);
                placements_[name] = std::move(p);
                continue;
            }
            code = pick(ti83p::L1, 6, 0);
            if (code != 0)
                p.shown = "L" + std::to_string((code & 0xFF) + 1);
            break;
        }
        case Equation: {
            // A free Y1-Y0: the TI-83 Plus keeps an equation there as its text
            // and works it out where it is used, as the TI-86 does its own.
            what = "equation variable (Y1-Y0)";
            if (u.beforeParen) {
                p.why = "it is written before \"(\", which on the TI-83 Plus would make Y1( "
                        "a value at that X; it is left as it is";
                placements_[name] = std::move(p);
                continue;
            }
            for (std::uint16_t c = ti83p::Y1;
                 c <= ti83p::Y0 && code == 0 && !functionsLeft.count(name); ++c)
                if (!reservedFunctions_.count(c) && !taken.count(c))
                    code = c;
            if (code != 0) {
                p.shown = "Y" + std::to_string(code == ti83p::Y0 ? 0 : code - ti83p::Y1 + 1);
                p.equation = true;
                p.graphed = u.graphed;
            } else if (u.graphed) {
                // Past Y1-Y0 nothing the TI-83 Plus graphs in Func mode.
                p.why = "every TI-83 Plus function (Y1-Y0) is taken; it is left as it is";
                placements_[name] = std::move(p);
                continue;
            } else {
                equationsLeft.push_back(name); // a string left over, once strings have theirs
                continue;
            }
            break;
        }
        default:
            p.why = "the TI-83 Plus has no vectors; it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        if (code == 0) {
            p.why = "every TI-83 Plus " + what + " is taken; it is left as it is";
        } else {
            taken.insert(code);
            p.as = Placement::As::Variable;
            p.codes = {code};
        }
        placements_[name] = std::move(p);
    }

    // Equations past Y1-Y0: their text in a string no string name took,
    // worked out with expr( where they are used.
    for (const std::string& name : equationsLeft) {
        Placement p;
        std::uint16_t code = 0;
        for (std::uint16_t c = ti83p::Str1; c <= ti83p::Str0 && code == 0; ++c)
            if (!taken.count(c))
                code = c;
        if (code == 0) {
            // Then X1T-Y6T and r1-r6: equation variables too, graphed only in
            // Par and Pol mode, which no program here sets.
            const auto freeSlot = [&](std::uint16_t first, std::uint16_t last) -> std::uint16_t {
                for (std::uint16_t c = first; c <= last; ++c)
                    if (!reservedFunctions_.count(c) && !taken.count(c))
                        return c;
                return 0;
            };
            code = parametricMode_ ? 0 : freeSlot(ti83p::X1T, ti83p::Y6T);
            if (code == 0 && !polarMode_)
                code = freeSlot(ti83p::R1, ti83p::R6);
            if (code == 0) {
                p.why = "every TI-83 Plus equation variable (Y1-Y0, X1T-Y6T, r1-r6) and string "
                        "is taken; it is left as it is";
                placements_[name] = std::move(p);
                continue;
            }
            taken.insert(code);
            p.as = Placement::As::Variable;
            p.equation = true;
            p.codes = {code};
            p.shown = code >= ti83p::R1 ? "r" + std::to_string(code - ti83p::R1 + 1)
                                        : std::string(1, (code - ti83p::X1T) % 2 ? 'Y' : 'X') +
                                              std::to_string((code - ti83p::X1T) / 2 + 1) + "T";
            placements_[name] = std::move(p);
            continue;
        }
        taken.insert(code);
        const std::string str = numberedName("Str", code, ti83p::Str1);
        p.as = Placement::As::Variable;
        p.equation = true;
        p.text = Builtin{code, str};
        p.codes = {ti83p::Expr, code, ti83p::RParen};
        p.shown = "expr(" + str + ")";
        placements_[name] = std::move(p);
    }

    const auto mustBeLetter = [this](const std::string& name) {
        const NameUse& u = uses_[name];
        return u.needsLetter || u.beforeParen || u.asksLetter;
    };
    const auto keepLetter = [&](const std::string& name) {
        const std::uint16_t l = letterOf(name);
        if (letters.count(l))
            return false;
        letters.insert(l);
        Placement p;
        p.as = Placement::As::Variable;
        p.codes = {l};
        p.shown = shownLetter(l);
        placements_[name] = std::move(p);
        return true;
    };
    // Plain one-letter names keep their letter, the others take one. When
    // the letters run out, those the TI-83 Plus must have as a variable come
    // first, then the other one-letter names keep theirs where still free.
    std::vector<std::string> rest; // past the letters: elements of one list
    // A letter of its own, its first where free; else an element, or a
    // warning where it must be a variable.
    const auto placeReal = [&](const std::string& name) {
        Placement p;
        std::vector<std::uint16_t> wanted;
        for (const char c : upperName(name))
            if (c < '0' || c > '9')
                wanted.push_back(nameCharToken(c));
        for (std::uint16_t l = 'A'; l <= 'Z'; ++l)
            wanted.push_back(l);
        wanted.push_back(ti83p::Theta);
        for (const std::uint16_t l : wanted)
            if (!letters.count(l)) {
                letters.insert(l);
                p.as = Placement::As::Variable;
                p.codes = {l};
                p.shown = shownLetter(l);
                placements_[name] = std::move(p);
                return;
            }
        if (const NameUse& u = uses_[name]; u.needsLetter || u.beforeParen) {
            p.why = "all 27 TI-83 Plus real variables (A-Z, θ) are taken, and it is used where "
                    "the TI-83 Plus takes a variable, not a list element; it is left as it is";
            placements_[name] = std::move(p);
        } else {
            rest.push_back(name);
        }
    };
    const bool overflow = singles.size() + reals.size() + letters.size() > 27;
    if (!overflow) {
        for (const std::string& name : singles)
            keepLetter(name);
        for (const std::string& name : reals)
            placeReal(name);
    } else {
        for (const std::string& name : singles)
            if (mustBeLetter(name))
                keepLetter(name);
        for (const std::string& name : reals)
            if (mustBeLetter(name))
                placeReal(name);
        std::vector<std::string> displaced; // after every other one has kept its own
        for (const std::string& name : singles)
            if (!mustBeLetter(name) && !keepLetter(name))
                displaced.push_back(name);
        for (const std::string& name : displaced)
            placeReal(name);
        for (const std::string& name : reals)
            if (!mustBeLetter(name))
                placeReal(name);
    }
    if (rest.empty())
        return;
    // One list of the program's own, named apart from the lists it uses;
    // 999 elements at most.
    for (const std::string candidate : {"V", "VR", "VARS", "REALS", "RVARS"})
        if (!customLists.count(candidate)) {
            elementList_ = candidate;
            break;
        }
    for (int n = 1; elementList_.empty(); ++n)
        if (!customLists.count("V" + std::to_string(n)))
            elementList_ = "V" + std::to_string(n);
    bool asksElement = false;
    for (const std::string& name : rest) {
        Placement p;
        if (elements_ == 999) {
            p.why = "all 27 TI-83 Plus real variables (A-Z, θ) and the 999 elements of list ʟ" +
                    elementList_ + " are taken; it is left as it is";
            placements_[name] = std::move(p);
            continue;
        }
        const std::string index = std::to_string(++elements_);
        p.as = Placement::As::Variable;
        p.element = true;
        p.codes.push_back(ti83p::SmallL);
        for (const char c : elementList_)
            p.codes.push_back(nameCharToken(c));
        p.codes.push_back(ti83p::LParen);
        for (const char c : index)
            p.codes.push_back(nameCharToken(c));
        p.codes.push_back(ti83p::RParen);
        p.shown = "ʟ" + elementList_ + "(" + index + ")";
        placements_[name] = std::move(p);
        asksElement = asksElement || uses_[name].asksLetter;
    }
    // Input and Prompt of an element read into a string no name took.
    for (std::uint16_t c = ti83p::Str1; asksElement && c <= ti83p::Str0 && scratch_ == 0; ++c)
        if (!taken.count(c))
            scratch_ = c;
}

// ---------------------------------------------------------------------------
// Labels: one or two of A-Z, 0-9, θ on the TI-83 Plus.

std::map<std::string, std::string> placeLabels(const Ti86Facts& facts) {
    std::vector<std::string> labels;
    std::set<std::string> seen;
    for (const Ti86LabelPlace& p : facts.labels())
        if (seen.insert(std::string(facts.labelName(p))).second)
            labels.emplace_back(facts.labelName(p));
    std::map<std::string, std::string> placed;
    std::set<std::string> used;
    for (const std::string& l : labels)
        if (isTi83pLabel(l)) {
            placed[l] = l;
            used.insert(l);
        }
    static const std::string kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\xC1";
    for (const std::string& l : labels) {
        if (placed.count(l))
            continue;
        const std::string up = upperName(l);
        const auto take = [&](const std::string& w) {
            if (!used.insert(w).second)
                return false;
            placed[l] = w;
            return true;
        };
        // Its first two letters, its first with a later one, its first alone
        // or with anything; then whatever is free.
        bool done = up.size() >= 2 && take(up.substr(0, 2));
        for (std::size_t k = 2; !done && k < up.size(); ++k)
            done = take(std::string{up[0], up[k]});
        if (!done && !up.empty()) {
            done = take(up.substr(0, 1));
            for (std::size_t k = 0; !done && k < kChars.size(); ++k)
                done = take(std::string{up[0], kChars[k]});
        }
        for (std::size_t a = 0; !done && a < kChars.size(); ++a) {
            done = take(std::string(1, kChars[a]));
            for (std::size_t b = 0; !done && b < kChars.size(); ++b)
                done = take(std::string{kChars[a], kChars[b]});
        }
        if (!done)
            break; // all 1,406 are taken: the rest stay as they are
    }
    return placed;
}

// ---------------------------------------------------------------------------
// One program's translation.

// ---------------------------------------------------------------------------
// Key codes: getKy's TI-86 code of a key as the TI-83 Plus getKey code of
// the same key. The TI-86 codes follow TI's row-and-column rule; F1-F5
// keep 11-15, the keys in their place on the TI-83 Plus (Y= ... GRAPH).

struct KeyCode {
    int ti83p = 0;    // 0: the TI-83 Plus has no such key
    const char* name; // the TI-86 key
};

const KeyCode* ti86Key(long code) {
    static const std::map<long, KeyCode> keys = [] {
        std::map<long, KeyCode> k;
        const char* same[][2] = {
            {"11", "F1"},    {"12", "F2"},   {"13", "F3"},     {"14", "F4"},    {"15", "F5"},
            {"21", "2nd"},   {"24", "left"}, {"25", "up"},     {"26", "right"}, {"31", "ALPHA"},
            {"32", "x-VAR"}, {"34", "down"}, {"43", "PRGM"},   {"45", "CLEAR"}, {"52", "SIN"},
            {"53", "COS"},   {"54", "TAN"},  {"55", "^"},      {"63", "("},     {"64", ")"},
            {"65", "÷"},     {"72", "7"},    {"73", "8"},      {"74", "9"},     {"75", "×"},
            {"82", "4"},     {"83", "5"},    {"84", "6"},      {"85", "−"},     {"91", "STO▶"},
            {"92", "1"},     {"93", "2"},    {"94", "3"},      {"95", "+"},     {"102", "0"},
            {"103", "."},    {"104", "(−)"}, {"105", "ENTER"},
        };
        for (const auto& [number, name] : same)
            k[std::atol(number)] = {static_cast<int>(std::atol(number)), name};
        k[33] = {23, "DEL"};
        k[41] = {15, "GRAPH"};
        k[51] = {71, "LOG"};
        k[61] = {81, "LN"};
        k[71] = {61, "x²"};
        k[81] = {62, ","};
        for (const auto& [number, name] : {std::pair<long, const char*>{22, "EXIT"},
                                           {23, "MORE"},
                                           {42, "TABLE"},
                                           {44, "CUSTOM"},
                                           {62, "EE"}})
            k[number] = {0, name};
        return k;
    }();
    const auto hit = keys.find(code);
    return hit == keys.end() ? nullptr : &hit->second;
}

class Translator {
public:
    Translator(const Ti86Facts& facts, std::string_view title, const Names& names,
               const Ti83pTarget& target)
        : tokens_(facts.syntax().tokens()), syntax_(facts.syntax()), facts_(facts), title_(title),
          names_(names), target_(target), labels_(placeLabels(facts)),
          variableRenameSaid_(names.placementCount()), builtinRenameSaid_(builtins().size()) {
        out_.tokens.reserve(tokens_.size() + tokens_.size() / 4); // most tokens are one token
        findKeyComparisons();
        for (const Ti86Token& t : tokens_)
            usesAns_ = usesAns_ || (is(t, ti86::StatName) && t.data == "Ans");
        if (names_.vectorsAsLists())
            findVectorBrackets();
        // Both calculators look for a label from the program's top, and stop
        // with a label error at a Goto or a menu choice whose label is not
        // there: the translation does what the TI-86 did, so these are notes.
        std::map<std::string, int> lbls;
        for (const Ti86LabelPlace& p : facts.labels())
            if (p.use == LabelUse::Definition && ++lbls[std::string(facts.labelName(p))] == 2)
                report(tokens_[p.token], DiagnosticId::TrLabelTwice, {utf8(facts.labelName(p))});
        for (const Ti86LabelPlace& p : facts.labels()) {
            const std::string label(facts.labelName(p));
            if (p.use == LabelUse::Definition || lbls.count(label) ||
                !first(DiagnosticId::TrGotoNoLbl, label))
                continue;
            report(tokens_[p.token],
                   p.use == LabelUse::Goto ? DiagnosticId::TrGotoNoLbl
                                           : DiagnosticId::TrChoiceNoLbl,
                   {utf8(label)});
        }
    }

    Ti83pTranslation run() {
        if (names_.elements() > 0 && !tokens_.empty()) {
            // N→dim(ʟV): the list for the reals past the letters is made, or
            // grown keeping its elements, so values kept between runs stay.
            // Every program of the set sizes it alike, so none shrinks it.
            const Ti86Token& at = tokens_.front();
            for (const char c : std::to_string(names_.elements()))
                put(nameCharToken(c), at);
            put(ti83p::Store, at);
            put(ti83p::Dim, at);
            put(ti83p::SmallL, at);
            for (const char c : names_.elementList())
                put(nameCharToken(c), at);
            put(ti83p::Newline, at);
        }
        translate(0, tokens_.size());
        // In the order of the program, as a compiler reports.
        std::stable_sort(out_.diagnostics.begin(), out_.diagnostics.end(),
                         [](const Diagnostic& a, const Diagnostic& b) {
                             return a.line != b.line ? a.line < b.line : a.column < b.column;
                         });
        out_.name = std::string(title_);
        return std::move(out_);
    }

private:
    void put(std::uint16_t code, const Ti86Token& from) {
        Ti83pToken t;
        t.code = code;
        t.line = from.line;
        t.column = from.column;
        out_.tokens.push_back(t);
    }

    // Every finding is of a kind in the catalogue, which gives its words
    // and severity.
    void report(const Ti86Token& at, DiagnosticId id,
                std::initializer_list<std::string_view> args = {}) {
        out_.diagnostics.push_back(makeDiagnostic(id, at.line, at.column, args));
    }
    void warn(const Ti86Token& at, DiagnosticId id,
              std::initializer_list<std::string_view> args = {}) {
        report(at, id, args);
    }
    // Whether this is the first finding of kind `id` about `what` (a name,
    // a code; empty for a kind said once per program).
    bool first(DiagnosticId id, std::string_view what = {}) {
        return reported_.emplace(id, std::string(what)).second;
    }
    // A note for the first change of its kind only.
    void noteOnce(const Ti86Token& at, DiagnosticId id,
                  std::initializer_list<std::string_view> args = {}) {
        if (first(id))
            report(at, id, args);
    }
    // A note for the first change of its kind to `what`.
    void noteOncePer(const Ti86Token& at, DiagnosticId id, std::string_view what,
                     std::initializer_list<std::string_view> args = {}) {
        if (first(id, what))
            report(at, id, args);
    }

    // Characters in TI-83 Plus tokens; returns those without one.
    std::string spell(std::string_view font, const Ti86Token& from) {
        std::string missing;
        for (const char c : font) {
            const std::uint16_t code = charToken(static_cast<std::uint8_t>(c));
            if (code == 0) {
                missing += c;
                put(ti83p::Question, from);
            } else {
                put(code, from);
            }
        }
        return missing;
    }

    static std::string nameText(const Ti86Token& t) {
        if (const Ti86TokenInfo* info = ti86TokenInfo(t.code))
            return std::string(info->glyphs);
        return {};
    }

    // A token with no counterpart, in letters the user sees on the calculator.
    void spellOut(const Ti86Token& t, std::string_view font) {
        spell(font, t);
        warn(t, DiagnosticId::TrSpelledOut, {utf8(font)});
    }

    static std::string fontName(const Ti86Token& t) {
        std::string font;
        if (const Ti86TokenInfo* info = ti86TokenInfo(t.code))
            for (const char c : info->text)
                font += static_cast<char>(ti86TextToFont(static_cast<std::uint8_t>(c)));
        return font;
    }

    void putText(std::string_view text, const Ti86Token& from) {
        for (const char c : text)
            put(nameCharToken(c), from);
    }

    void putString(const Ti86Token& t) {
        put(ti83p::Quote, t);
        const std::string missing = spell(t.data, t);
        put(ti83p::Quote, t);
        if (!missing.empty())
            warn(t, DiagnosticId::TrStringCharacters, {utf8(missing)});
    }

    void putNumber(const Ti86Token& t) {
        const std::string& d = t.data;
        const char last = d.empty() ? ' ' : d.back();
        if (last == 'b' || last == 'h' || last == 'o' || last == 'd') {
            const int base = last == 'b' ? 2 : last == 'h' ? 16 : last == 'o' ? 8 : 10;
            unsigned long long value = 0;
            bool ok = d.size() > 1 && d.size() <= 17;
            for (std::size_t k = 0; ok && k + 1 < d.size(); ++k) {
                const char c = d[k];
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : 99;
                ok = digit < base;
                value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            }
            if (ok) {
                const std::string decimal = std::to_string(value);
                for (const char c : decimal)
                    put(static_cast<std::uint16_t>(c), t);
                if (base != 10)
                    noteOncePer(t, DiagnosticId::TrNumberBase, d, {d, decimal});
                return;
            }
        }
        bool plain = true;
        for (const char c : d) {
            if (c >= '0' && c <= '9')
                put(static_cast<std::uint16_t>(c), t);
            else if (c == '.')
                put(ti83p::DecimalPoint, t);
            else if (c == '\x1B')
                put(ti83p::ExponentMark, t);
            else if (c == '\x1A')
                put(ti83p::Negate, t);
            else {
                plain = false;
                put(charToken(static_cast<std::uint8_t>(c)) != 0
                        ? charToken(static_cast<std::uint8_t>(c))
                        : std::uint16_t{ti83p::Question},
                    t);
            }
        }
        if (!plain)
            warn(t, DiagnosticId::TrNumberUnread, {utf8(d)});
    }

    void putLabel(const Ti86Token& t, const std::string& label) {
        const auto hit = labels_.find(label);
        if (hit == labels_.end()) {
            spell(label, t);
            if (first(DiagnosticId::TrLabelsTaken, label))
                warn(t, DiagnosticId::TrLabelsTaken, {utf8(label)});
            return;
        }
        putText(hit->second, t);
        if (hit->second != label)
            noteOncePer(t, DiagnosticId::TrLabelRenamed, label,
                        {utf8(label), shownText(hit->second)});
    }

    void putName(const Ti86Token& t) {
        if (isUserName(t)) {
            const Placement* p = names_.placement(t.data);
            if (p != nullptr && p->as == Placement::As::Variable) {
                for (const std::uint16_t c : p->codes)
                    put(c, t);
                if (p->renamed && !variableRenameSaid_[p->index]) {
                    variableRenameSaid_[p->index] = true;
                    report(t, DiagnosticId::TrVariableRenamed, {utf8(t.data), p->shown});
                }
                if (p->element)
                    noteOnce(t, DiagnosticId::TrElements,
                             {names_.elementList(), std::to_string(names_.elements())});
                return;
            }
            spell(t.data, t);
            if (first(DiagnosticId::TrVariableLeft, t.data)) {
                if (p != nullptr && p->as == Placement::As::Program)
                    warn(t, DiagnosticId::TrProgramAsVariable, {utf8(t.data)});
                else
                    warn(t, DiagnosticId::TrVariableLeft,
                         {utf8(t.data), p != nullptr ? p->why : "it is left as it is"});
            }
            return;
        }
        const Builtin* b = builtinOf(t);
        if (b != nullptr && b->code != 0) {
            put(b->code, t);
            if (b->renamed && !builtinRenameSaid_[b->index]) {
                builtinRenameSaid_[b->index] = true;
                report(t, DiagnosticId::TrBuiltinRenamed, {utf8(t.data), b->shown});
            }
            return;
        }
        spellOut(t, t.data);
    }

    // sin A, ln 2: the TI-83 Plus function gets its "(", and its ")" where
    // the operand's end is certain.
    std::size_t putFunctionArgument(std::size_t i, std::size_t end) {
        const Ti86Token& f = tokens_[i];
        if (i + 1 < end && is(tokens_[i + 1], ti86::LParen)) {
            // abs (A,B) is the size of the complex number A+Bi; Fill((0,0),M)
            // takes two arguments.
            if (const std::uint32_t pair =
                    isTi86PrefixFunction(f) ? complexPair(syntax_.callAt(i), end) : kNoNode;
                pair != kNoNode)
                return putComplex(pair, false);
            return i + 2; // the TI-86 "(" is the TI-83 Plus token's own
        }
        std::optional<std::size_t> operand = treeOperandEnd(i, end);
        if (!operand) {
            operand = operandEnd(tokens_, i + 1, end);
            if (operand && !endsOperand(tokens_, *operand, end))
                operand.reset();
        }
        if (operand) {
            noteOnce(f, DiagnosticId::TrParenAdded, {nameText(f)});
            translate(i + 1, *operand);
            put(ti83p::RParen, f); // added for the function, so placed with it
            return *operand;
        }
        if (i + 1 < end)
            warn(f, DiagnosticId::TrParenUnsure, {nameText(f)});
        return i + 1;
    }

    // GrStl(n,style): n names yn, whose TI-83 Plus function may have
    // another number (y10 is Y0, y11-y99 take a free Y1-Y0). Only a number
    // written out can be followed; 1-9 stay as they are.
    std::size_t putGraphStyleFunction(std::size_t i, std::size_t end) {
        if (i + 1 >= end || !is(tokens_[i], ti86::Number) || !is(tokens_[i + 1], ti86::Comma))
            return i;
        const std::string& n = tokens_[i].data;
        if (n.size() < 2 || n.size() > 3 || n[0] == '0' ||
            !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return i;
        const Ti86Token& t = tokens_[i];
        std::uint16_t code = 0;
        std::string shown;
        if (n == "10") {
            code = ti83p::Y0;
            shown = "Y0";
        } else if (const Placement* p = names_.placement("y" + n);
                   p != nullptr && p->as == Placement::As::Variable && p->equation &&
                   p->codes.size() == 1 && p->codes[0] >= ti83p::Y1 && p->codes[0] <= ti83p::Y0) {
            code = p->codes[0];
            shown = p->shown;
        }
        if (code == 0) {
            warn(t, DiagnosticId::TrGraphStyleNone, {n});
            return i;
        }
        const char digit = code == ti83p::Y0 ? '0' : static_cast<char>('1' + (code - ti83p::Y1));
        put(static_cast<std::uint16_t>(digit), t);
        noteOncePer(t, DiagnosticId::TrGraphStyleNumber, n, {n, std::string(1, digit), shown});
        return i + 1;
    }

    // (A,B) is the TI-86's complex number A+Bi: `group` (a "(" and what it
    // holds, or a function without "(" and its "(...)") when it holds two
    // values, else kNoNode.
    std::uint32_t complexPair(std::uint32_t group, std::size_t end) const {
        if (group == kNoNode || syntax_.node(group).last > end)
            return kNoNode;
        const std::uint32_t re = syntax_.node(group).child;
        const std::uint32_t im = re == kNoNode ? kNoNode : syntax_.node(re).next;
        if (im == kNoNode || syntax_.node(im).next != kNoNode ||
            syntax_.node(re).kind == SyntaxKind::Empty ||
            syntax_.node(im).kind == SyntaxKind::Empty)
            return kNoNode;
        // Numbers only: Input ("N?",N) is a prompt in parentheses. A store
        // may end the second part of a group left open, (A,B→Z, and stores
        // the pair.
        const std::size_t store = storeIn(im);
        for (std::size_t k = syntax_.node(re).first; k < syntax_.node(im).last; ++k)
            if (is(tokens_[k], ti86::String) || (is(tokens_[k], ti86::Store) && k != store))
                return kNoNode;
        return group;
    }

    // The token of the store at the top of node n, or npos.
    std::size_t storeIn(std::uint32_t n) const {
        const SyntaxNode& node = syntax_.node(n);
        if (node.kind != SyntaxKind::Binary)
            return std::string::npos;
        const std::size_t op = syntax_.opToken(n);
        return is(tokens_[op], ti86::Store) ? op : std::string::npos;
    }

    // The pair as a+bi, each part in parentheses where its operators would
    // bind otherwise; "(" only when `open` (after abs it is abs( own), ")"
    // where the TI-86 wrote one. The token after the group.
    std::size_t putComplex(std::uint32_t group, bool open) {
        const SyntaxNode& pair = syntax_.node(group);
        const std::uint32_t reNode = pair.child, imNode = syntax_.node(reNode).next;
        const SyntaxNode& re = syntax_.node(reNode);
        const SyntaxNode& im = syntax_.node(imNode);
        const Ti86Token& at = tokens_[re.first - 1]; // the "("
        const Ti86Token& comma = tokens_[re.last];
        // Whether node n needs no parentheses before "+" (sum) or "i".
        const auto tight = [&](std::uint32_t n, bool sum) {
            const SyntaxNode& node = syntax_.node(n);
            switch (node.kind) {
            case SyntaxKind::Leaf:
            case SyntaxKind::Group:
            case SyntaxKind::Call:
                return true;
            case SyntaxKind::Implied:
            case SyntaxKind::Prefix:
            case SyntaxKind::Postfix:
                return sum;
            case SyntaxKind::Binary: {
                const Ti86Token& op = tokens_[syntax_.opToken(n)];
                return sum && (is(op, ti86::Plus) || is(op, ti86::Minus) || is(op, ti86::Times) ||
                               is(op, ti86::Divide) || is(op, ti86::Power));
            }
            default:
                return false;
            }
        };
        if (open)
            put(ti83p::LParen, at);
        const bool wrapRe = !tight(reNode, true);
        if (wrapRe)
            put(ti83p::LParen, at);
        translate(re.first, re.last);
        if (wrapRe)
            put(ti83p::RParen, comma);
        put(ti83p::Plus, comma);
        // (A,B→Z: the pair is closed before the store, which stays after it.
        const std::size_t store = storeIn(imNode);
        const bool stored = store != std::string::npos;
        const std::uint32_t value = stored ? im.child : imNode;
        const bool wrapIm = !tight(value, false);
        if (wrapIm)
            put(ti83p::LParen, comma);
        translate(im.first, stored ? store : im.last);
        if (wrapIm)
            put(ti83p::RParen, comma);
        put(ti83p::ImaginaryI, comma);
        if (stored) {
            put(ti83p::RParen, tokens_[store]);
            translate(store, im.last);
        } else if (pair.closed()) {
            put(ti83p::RParen, tokens_[pair.last - 1]);
        }
        noteOnce(at, DiagnosticId::TrComplex);
        return pair.last;
    }

    // The end of the operand the tree gives the function at i written
    // without "(", when it lies inside what is being translated. Not where
    // the operand is a name before "(" (A(2)) that the program uses as no
    // list, matrix, vector or equation: an element binds tighter than the
    // function, a real times (2) does not. A(1) alone is the exception:
    // sin(A)*1 and sin(A*1) are one value, so sin(A(1)) is right whether A
    // is a list or a number.
    std::optional<std::size_t> treeOperandEnd(std::size_t i, std::size_t end) const {
        const std::uint32_t prefix = syntax_.prefixAt(i);
        if (prefix == kNoNode || syntax_.node(prefix).child == kNoNode)
            return std::nullopt;
        const std::uint32_t operand = syntax_.node(prefix).child;
        if (syntax_.node(operand).last > end)
            return std::nullopt;
        for (std::uint32_t n = operand; n != kNoNode;) {
            const SyntaxNode& node = syntax_.node(n);
            if (node.kind == SyntaxKind::Call && isNameToken(tokens_[node.first]) &&
                !indexable(tokens_[node.first]) && !(n == operand && firstElement(node)))
                return std::nullopt;
            // Down the left of powers and postfix operators, where such a
            // name would be.
            n = node.kind == SyntaxKind::Postfix ||
                        (node.kind == SyntaxKind::Binary &&
                         (is(tokens_[syntax_.opToken(n)], ti86::Power) ||
                          is(tokens_[syntax_.opToken(n)], ti86::XRoot)))
                    ? node.child
                    : kNoNode;
        }
        return syntax_.node(operand).last;
    }

    // NAME(1), its ")" written or not.
    bool firstElement(const SyntaxNode& call) const {
        const std::size_t at = call.first;
        const std::size_t size = call.last - call.first;
        return (size == 3 || (size == 4 && is(tokens_[at + 3], ti86::RParen))) &&
               is(tokens_[at + 1], ti86::LParen) && is(tokens_[at + 2], ti86::Number) &&
               tokens_[at + 2].data == "1";
    }

    // A name the program (or the programs translated with it) uses only as
    // a list, matrix, vector or equation.
    bool indexable(const Ti86Token& name) const {
        if (!isUserName(name))
            return false;
        const unsigned here = facts_.kindsOf(name.data);
        const unsigned all = names_.kinds(std::string(name.data));
        const bool told = here != 0 || all != 0;
        return told &&
               (here & ~(ti86kind::List | ti86kind::Matrix | ti86kind::Vector |
                         ti86kind::Equation)) == 0 &&
               (all & ~unsigned{List | Matrix | Vector | Equation}) == 0;
    }

    static bool isNameToken(const Ti86Token& t) {
        return t.known && t.code >= ti86::BuiltinName && t.code <= ti86::StatName;
    }

    // Whether the statement at i follows an If without Then.
    bool afterBareIf(std::size_t i) const {
        const std::size_t statement = syntax_.statementIndex(i);
        if (statement == 0 || syntax_.node(syntax_.statements()[statement]).first != i)
            return false;
        const SyntaxNode& before = syntax_.node(syntax_.statements()[statement - 1]);
        return before.first < before.last && is(tokens_[before.first], ti86::If);
    }

    // A label of one or two characters that no label of the program has and
    // no other made one took.
    std::string freeLabel() {
        std::set<std::string> used;
        for (const auto& [from, to] : labels_)
            used.insert(to);
        static const std::string kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\xC1";
        for (const char a : std::string("M") + kChars)
            for (const char b : kChars) {
                const std::string l{a, b};
                if (!used.count(l) && madeLabels_.insert(l).second)
                    return l;
            }
        return {};
    }

    std::size_t putMenu(std::size_t i) {
        const Ti86Menu* menu = facts_.menu(i);
        const Ti86Token& t = tokens_[i];
        if (!menu) {
            warn(t, DiagnosticId::TrMenuForm);
            put(ti83p::Menu, t);
            return i + 1 < tokens_.size() && is(tokens_[i + 1], ti86::LParen) ? i + 2 : i + 1;
        }
        // A longer menu is chained: all but the last choice of each menu,
        // then "MORE" to a label of the next. Not after an If without Then,
        // which would skip the first menu only.
        const std::size_t most = target_.menuChoices;
        std::vector<std::string> more;
        if (most >= 2 && menu->choices.size() > most && !afterBareIf(i))
            for (std::size_t left = menu->choices.size(); left > most; left -= most - 1) {
                const std::string label = freeLabel();
                if (label.empty()) {
                    more.clear();
                    break;
                }
                more.push_back(label);
            }
        std::size_t next = 0;
        for (std::size_t page = 0; page <= more.size(); ++page) {
            if (page > 0) {
                put(ti83p::Colon, t);
                put(ti83p::Lbl, t);
                putText(more[page - 1], t);
                put(ti83p::Colon, t);
            }
            put(ti83p::Menu, t);
            put(ti83p::Quote, t);
            putText(title_, t);
            put(ti83p::Quote, t);
            const std::size_t last = page < more.size() ? next + most - 1 : menu->choices.size();
            for (; next < last; ++next) {
                const Ti86MenuChoice& c = menu->choices[next];
                put(ti83p::Comma, tokens_[c.text]);
                putString(tokens_[c.text]);
                put(ti83p::Comma, tokens_[c.label]);
                putLabel(tokens_[c.label], tokens_[c.label].data);
            }
            if (page < more.size()) {
                put(ti83p::Comma, t);
                put(ti83p::Quote, t);
                putText("MORE", t);
                put(ti83p::Quote, t);
                put(ti83p::Comma, t);
                putText(more[page], t);
                put(ti83p::RParen, t);
            }
        }
        if (menu->closed)
            put(ti83p::RParen, tokens_[menu->close]);
        noteOnce(t, DiagnosticId::TrMenuTitle);
        if (!more.empty()) {
            std::string labels;
            for (const std::string& l : more)
                labels += (labels.empty() ? "" : ", ") + shownText(l);
            report(t, DiagnosticId::TrMenuChained,
                   {std::to_string(menu->choices.size()), target_.name, std::to_string(most),
                    std::to_string(more.size() + 1), labels});
        } else if (menu->choices.size() > target_.menuChoices)
            warn(t, DiagnosticId::TrMenuTooLong,
                 {std::to_string(menu->choices.size()), target_.name,
                  std::to_string(target_.menuChoices)});
        for (const Ti86MenuChoice& c : menu->choices)
            if (tokens_[c.text].data.size() > target_.menuChoice)
                warn(tokens_[c.text], DiagnosticId::TrChoiceTooLong,
                     {utf8(tokens_[c.text].data), std::to_string(tokens_[c.text].data.size()),
                      target_.name, std::to_string(target_.menuChoice)});
        return menu->closed ? menu->close + 1 : menu->close;
    }

    // Where getKy's value is only stored (getKy→K, 0→K) and compared with
    // written-out codes (K==25, getKy≠0) or tested (Repeat K), those codes
    // are rewritten and nothing is left to check; any other use leaves it
    // all to the user, with the warning.
    void findKeyComparisons() {
        const Tokens& t = tokens_;
        const auto at = [&t](std::size_t k, std::uint16_t code) {
            return k < t.size() && is(t[k], code);
        };
        const auto startsStatement = [&t](std::size_t k) {
            return k == 0 || endsStatement(t[k - 1]);
        };
        const auto endsAt = [&t](std::size_t k) { return k >= t.size() || endsStatement(t[k]); };
        const bool any = std::any_of(syntax_.marked().begin(), syntax_.marked().end(),
                                     [&t](std::uint32_t k) { return is(t[k], ti86::GetKy); });
        if (!any)
            return;
        // getKy→K, statements of their own.
        const auto& names = facts_.keyVariables();
        // A menu choice's label spelled like K is a label, not a use of K.
        const auto isKey = [&](std::size_t k) {
            return is(t[k], ti86::GetKy) ||
                   (isUserName(t[k]) && names.count(t[k].data) && !facts_.isMenuLabel(k));
        };
        // Before a comparison's key value, and after its number.
        const auto opens = [&](std::size_t k) {
            return startsStatement(k) || at(k - 1, ti86::LParen) || at(k - 1, ti86::And) ||
                   at(k - 1, ti86::Or) || at(k - 1, ti86::Xor) || at(k - 1, ti86::If) ||
                   at(k - 1, ti86::While) || at(k - 1, ti86::Repeat);
        };
        const auto closes = [&](std::size_t k) {
            return endsAt(k) || at(k, ti86::RParen) || at(k, ti86::And) || at(k, ti86::Or) ||
                   at(k, ti86::Xor);
        };
        std::map<std::size_t, long> literals;
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (!isKey(k))
                continue;
            if (is(t[k], ti86::GetKy) && at(k + 1, ti86::Store))
                continue; // getKy→K, checked above
            if (k > 0 && at(k - 1, ti86::Store)) {
                // K stored: from getKy, or cleared with 0.
                const bool fromKey = k >= 2 && is(t[k - 2], ti86::GetKy) && startsStatement(k - 2);
                const bool cleared = k >= 2 && is(t[k - 2], ti86::Number) && t[k - 2].data == "0" &&
                                     startsStatement(k - 2);
                if (!(fromKey || cleared) || !endsAt(k + 1))
                    return;
                continue;
            }
            if (opens(k) && (at(k + 1, ti86::Equal) || at(k + 1, ti86::NotEqual)) &&
                at(k + 2, ti86::Number) && closes(k + 3)) {
                char* stop = nullptr;
                const long code = std::strtol(t[k + 2].data.c_str(), &stop, 10);
                if (stop == nullptr || *stop != '\0')
                    return;
                literals[k + 2] = code;
                continue;
            }
            // 25==K: the number first.
            if (k >= 2 && (at(k - 1, ti86::Equal) || at(k - 1, ti86::NotEqual)) &&
                at(k - 2, ti86::Number) && opens(k - 2) && closes(k + 1)) {
                char* stop = nullptr;
                const long code = std::strtol(t[k - 2].data.c_str(), &stop, 10);
                if (stop == nullptr || *stop != '\0')
                    return;
                literals[k - 2] = code;
                continue;
            }
            // K>0, 0<K: a key or none, as every code is above 0 on both.
            const auto zero = [&](std::size_t n) {
                return at(n, ti86::Number) && t[n].data == "0";
            };
            if ((opens(k) && at(k + 1, ti86::Greater) && zero(k + 2) && closes(k + 3)) ||
                (k >= 2 && at(k - 1, ti86::Less) && zero(k - 2) && opens(k - 2) && closes(k + 1)))
                continue;
            // DelVar K, DelVar(K): the value is thrown away.
            if (!is(t[k], ti86::GetKy) &&
                ((at(k - 1, ti86::DelVar) && startsStatement(k - 1)) ||
                 (k >= 2 && at(k - 1, ti86::LParen) && at(k - 2, ti86::DelVar) &&
                  startsStatement(k - 2))) &&
                (endsAt(k + 1) || (at(k + 1, ti86::RParen) && endsAt(k + 2))))
                continue;
            // Repeat K, If getKy: a key or none, alike on both.
            if (k > 0 &&
                (at(k - 1, ti86::If) || at(k - 1, ti86::While) || at(k - 1, ti86::Repeat)) &&
                startsStatement(k - 1) && endsAt(k + 1))
                continue;
            return;
        }
        keysFollowed_ = true;
        keyLiterals_ = std::move(literals);
    }

    // [a,b,c] as {a,b,c}; a matrix written out, [[1,2][3,4]], keeps its
    // brackets. A statement with a vector compared, or a vector beside a
    // matrix (a matrix times a list is no product), keeps a warning.
    void findVectorBrackets() {
        enum class Bracket { Vector, Matrix, Row };
        std::vector<Bracket> open;
        bool vector = false, matrix = false;  // in this statement
        std::size_t compare = tokens_.size(); // likewise: none
        for (std::size_t k = 0; k <= tokens_.size(); ++k) {
            if (k == tokens_.size() || endsStatement(tokens_[k])) {
                // A vector compared gives one truth value on the TI-86 (taken),
                // a list of them on the TI-83 Plus.
                if (vector && compare < tokens_.size())
                    warn(tokens_[compare], DiagnosticId::TrVectorCompared);
                if (vector && matrix && k > 0)
                    warn(tokens_[k - 1], DiagnosticId::TrVectorAndMatrix);
                vector = matrix = false;
                compare = tokens_.size();
                open.clear();
                continue;
            }
            const Ti86Token& t = tokens_[k];
            if (t.known && ti86Has(t.code, ti86flag::Comparison))
                compare = k;
            const bool element = k + 1 < tokens_.size() && is(tokens_[k + 1], ti86::LParen);
            if (isUserName(t) && !element) // V(1) is a number
                if (const Placement* p = names_.placement(t.data); p != nullptr) {
                    vector = vector || p->vector;
                    matrix = matrix ||
                             (p->as == Placement::As::Variable && p->codes.size() == 1 &&
                              p->codes[0] >= ti83p::MatrixA && p->codes[0] <= ti83p::MatrixA + 9);
                }
            if (is(t, ti86::LBracket)) {
                if (!open.empty() && open.back() == Bracket::Matrix) {
                    open.push_back(Bracket::Row);
                } else if (k + 1 < tokens_.size() && is(tokens_[k + 1], ti86::LBracket)) {
                    open.push_back(Bracket::Matrix);
                    matrix = true;
                } else {
                    open.push_back(Bracket::Vector);
                    vector = true;
                    vectorBraces_[k] = ti83p::LBrace;
                }
            } else if (is(t, ti86::RBracket) && !open.empty()) {
                if (open.back() == Bracket::Vector)
                    vectorBraces_[k] = ti83p::RBrace;
                open.pop_back();
            }
        }
    }

    // sortA L→M, a statement of its own, as L→M:SortA(M) (SortA(M) when L is
    // M): the TI-83 Plus sorts a list in place. Ans is left otherwise than
    // the TI-86 leaves it, so not in a program that reads Ans.
    std::optional<std::size_t> putSort(std::size_t i, std::size_t end) {
        if (usesAns_)
            return std::nullopt;
        std::size_t k = i + 1;
        const bool paren = k < end && is(tokens_[k], ti86::LParen);
        if (paren)
            ++k;
        const std::size_t from = k++;
        if (paren && !(k < end && is(tokens_[k++], ti86::RParen)))
            return std::nullopt;
        const std::size_t to = k + 1;
        if (from >= end || to + 1 != end || !is(tokens_[k], ti86::Store))
            return std::nullopt;
        for (const std::size_t n : {from, to}) {
            const Placement* p =
                isUserName(tokens_[n]) ? names_.placement(tokens_[n].data) : nullptr;
            const auto list = [](std::uint16_t c) {
                return c == ti83p::SmallL || (c >= ti83p::L1 && c <= ti83p::L1 + 5);
            };
            if (p == nullptr || p->as != Placement::As::Variable || p->codes.empty() ||
                !list(p->codes[0]))
                return std::nullopt;
        }
        const Ti86Token& t = tokens_[i];
        if (tokens_[from].data != tokens_[to].data) {
            putName(tokens_[from]);
            put(ti83p::Store, tokens_[k]);
            putName(tokens_[to]);
            put(ti83p::Colon, t);
        }
        put(t.code == ti86::SortA ? ti83p::SortA : ti83p::SortD, t);
        putName(tokens_[to]);
        put(ti83p::RParen, t);
        noteOncePer(t, DiagnosticId::TrSort, std::to_string(t.code),
                    {nameText(t), t.code == ti86::SortA ? "SortA" : "SortD"});
        return end;
    }

    // Input, Prompt and DelVar of a real that is an element of the list past
    // the letters, which the TI-83 Plus takes only as a variable: read into
    // a free string and stored with expr( (Prompt X as Input "X?",Str),
    // DelVar as 0 stored. Each leaves Ans otherwise than the TI-86, and
    // becomes more than one statement: not in a program that reads Ans nor
    // after an If without Then, where the warning stays.
    std::optional<std::size_t> putAskedElements(std::size_t i, std::size_t end) {
        const Ti86Token& t = tokens_[i];
        const auto element = [&](std::size_t k) -> const Placement* {
            const Placement* p =
                isUserName(tokens_[k]) ? names_.placement(tokens_[k].data) : nullptr;
            return p != nullptr && p->element ? p : nullptr;
        };
        bool any = false;
        for (std::size_t k = i + 1; k < end; ++k)
            any = any || element(k) != nullptr;
        if (!any)
            return std::nullopt;
        const auto refuse = [&](std::size_t k) {
            if (first(DiagnosticId::TrAskedElementLeft, tokens_[k].data))
                warn(tokens_[k], DiagnosticId::TrAskedElementLeft,
                     {utf8(tokens_[k].data), element(k)->shown, nameText(t)});
        };
        const std::uint16_t str = names_.scratchString();
        const bool free = !usesAns_ && !afterBareIf(i);
        // The element's value read into Str: Input ["text",]Str:expr(Str)→ʟV(n);
        // this is the part from Str on.
        const auto intoElement = [&](std::size_t k) {
            put(str, t);
            put(ti83p::Colon, t);
            put(ti83p::Expr, t);
            put(str, t);
            put(ti83p::RParen, t);
            put(ti83p::Store, t);
            putName(tokens_[k]);
        };
        const auto readInto = [&](std::size_t k, std::size_t text) {
            put(ti83p::Input, t);
            if (text < end) {
                putString(tokens_[text]);
                put(ti83p::Comma, t);
            }
            intoElement(k);
        };
        const std::string shown = numberedName("Str", str, ti83p::Str1);
        if (t.code == ti86::DelVar) {
            const bool paren = i + 1 < end && is(tokens_[i + 1], ti86::LParen);
            const std::size_t k = paren ? i + 2 : i + 1;
            const std::size_t after =
                k + 1 < end && paren && is(tokens_[k + 1], ti86::RParen) ? k + 2 : k + 1;
            if (!free || k >= end || element(k) == nullptr || after != end) {
                if (k < end && element(k) != nullptr)
                    refuse(k);
                return std::nullopt;
            }
            put(0x30, t); // 0
            put(ti83p::Store, t);
            putName(tokens_[k]);
            noteOnce(t, DiagnosticId::TrDelVarElement);
            return end;
        }
        if (t.code == ti86::Input) {
            // Input var, Input "text",var.
            const bool text = i + 1 < end && is(tokens_[i + 1], ti86::String);
            const std::size_t k = text ? i + 3 : i + 1;
            const bool shaped = k + 1 == end && (!text || is(tokens_[i + 2], ti86::Comma));
            if (!free || str == 0 || !shaped || element(k) == nullptr ||
                (text && tokens_[i + 1].data.find('\x1C') != std::string::npos)) {
                for (std::size_t a = i + 1; a < end; ++a)
                    if (element(a) != nullptr)
                        refuse(a);
                return std::nullopt;
            }
            readInto(k, text ? i + 1 : end);
        } else {
            // Prompt A,B,...: one statement a name, the elements read as above.
            std::vector<std::size_t> names;
            bool shaped = true;
            for (std::size_t k = i + 1; k < end; k += 2) {
                shaped = shaped && isUserName(tokens_[k]) &&
                         (k + 1 == end || is(tokens_[k + 1], ti86::Comma));
                names.push_back(k);
            }
            for (const std::size_t k : names)
                for (const char c : tokens_[k].data)
                    shaped = shaped && charToken(static_cast<std::uint8_t>(c)) != 0;
            if (!free || str == 0 || !shaped || names.empty()) {
                for (const std::size_t k : names)
                    if (element(k) != nullptr)
                        refuse(k);
                return std::nullopt;
            }
            for (std::size_t n = 0; n < names.size(); ++n) {
                const std::size_t k = names[n];
                if (n > 0)
                    put(ti83p::Colon, t);
                if (element(k) != nullptr) {
                    // The TI-86 asks with the name and "?".
                    put(ti83p::Input, t);
                    put(ti83p::Quote, t);
                    spell(tokens_[k].data + "?", t);
                    put(ti83p::Quote, t);
                    put(ti83p::Comma, t);
                    intoElement(k);
                } else {
                    put(ti83p::Prompt, t);
                    putName(tokens_[k]);
                }
            }
        }
        noteOnce(t, DiagnosticId::TrAskedElement, {nameText(t), names_.elementList(), shown});
        return end;
    }

    void putKeyCode(const Ti86Token& t, long code) {
        const KeyCode* key = ti86Key(code);
        long written = code;
        if (code == 0) {
            // no key: 0 on both
        } else if (key == nullptr) {
            warn(t, DiagnosticId::TrKeyNotTi86, {std::to_string(code)});
        } else if (key->ti83p == 0) {
            warn(t, DiagnosticId::TrKeyMissing, {std::to_string(code), key->name});
        } else if (key->ti83p != code) {
            written = key->ti83p;
            noteOncePer(t, DiagnosticId::TrKeyRenumbered, std::to_string(code),
                        {std::to_string(code), key->name, std::to_string(written)});
        }
        for (const char c : std::to_string(written))
            put(static_cast<std::uint16_t>(c), t);
    }

    // An operand the rewrites below may write twice: short, and with
    // nothing in it that does something (rand, getKy, a store, a call).
    bool repeatable(std::size_t from, std::size_t to) const {
        if (from >= to || to - from > 16)
            return false;
        for (std::size_t k = from; k < to; ++k) {
            const Ti86Token& t = tokens_[k];
            if (!t.known)
                return false;
            switch (t.code) {
            case ti86::Number:
            case ti86::Pi:
            case ti86::LParen:
            case ti86::RParen:
            case ti86::Plus:
            case ti86::Minus:
            case ti86::Times:
            case ti86::Divide:
            case ti86::Power:
            case ti86::Negate:
            case ti86::Square:
            case ti86::Abs:
            case ti86::Int:
            case ti86::IPart:
            case ti86::FPart:
                break;
            default:
                // xMin, Δx, a physical constant: a value, read and nothing else.
                if (const Ti86To83pRule* r = ti86To83pRule(t.code);
                    t.code != ti86::Rand && ti86Has(t.code, ti86flag::Value) && r != nullptr &&
                    (r->kind == Ti86To83pKind::Same || r->kind == Ti86To83pKind::Renamed ||
                     r->kind == Ti86To83pKind::Constant))
                    break;
                if (!isUserName(t) && builtinOf(t) == nullptr)
                    return false;
                // A name is a value here, never a program run.
                if (const Placement* p = names_.placement(t.data);
                    isUserName(t) && (p == nullptr || p->as != Placement::As::Variable))
                    return false;
            }
        }
        return true;
    }

    // X sec▶yr as X*3.16887646408ᴇ⁻8: a length or time times the ratio of
    // the units, where X is one value (a number, a name, a group, an
    // element) that begins its expression and the conversion ends it, so
    // that the product is all of it whatever the TI-86's precedence.
    bool putConversion(std::size_t i, std::size_t from, std::size_t end) {
        const Ti86Token& t = tokens_[i];
        const std::optional<Unit> a = unitNamed(t.fromUnit()), b = unitNamed(t.toUnit());
        if (!a || !b || a->dimension != b->dimension || i == from)
            return false;
        std::size_t s = i - 1;
        if (is(tokens_[s], ti86::RParen)) {
            int depth = 0;
            for (std::size_t k = s + 1; k-- > from;) {
                depth += is(tokens_[k], ti86::RParen) ? 1 : is(tokens_[k], ti86::LParen) ? -1 : 0;
                if (depth == 0) {
                    s = k;
                    break;
                }
            }
            if (depth != 0)
                return false;
            if (s > from && isUserName(tokens_[s - 1]))
                --s; // V(2): an element
        } else if (!isValueToken(tokens_[s]) && !isUserName(tokens_[s])) {
            return false;
        }
        const auto opens = [&](const Ti86Token& k) {
            const Ti86TokenInfo* info = ti86TokenInfo(k.code);
            return k.known &&
                   (k.code == ti86::LParen || k.code == ti86::Comma || k.code == ti86::Disp ||
                    endsStatement(k) ||
                    (info != nullptr && !info->glyphs.empty() && info->glyphs.back() == '('));
        };
        const bool begins =
            s > from ? opens(tokens_[s - 1]) : s == 0 || endsStatement(tokens_[s - 1]);
        const bool ends = i + 1 >= end || endsStatement(tokens_[i + 1]) ||
                          (tokens_[i + 1].known && (tokens_[i + 1].code == ti86::Store ||
                                                    tokens_[i + 1].code == ti86::Comma ||
                                                    tokens_[i + 1].code == ti86::RParen));
        if (!begins || !ends)
            return false;
        char text[32];
        std::snprintf(text, sizeof text, "%.14g", a->size / b->size);
        const std::string factor(text);
        put(ti83p::Times, t);
        std::string shown;
        for (std::size_t k = 0; k < factor.size(); ++k) {
            const char c = factor[k];
            if (c == 'e') {
                // 3.2e-08: the TI-83 Plus writes 3.2ᴇ⁻8.
                put(ti83p::ExponentMark, t);
                shown += "\xE1\xB4\x87";
                std::size_t e = k + 1;
                if (factor[e] == '-') {
                    put(ti83p::Negate, t);
                    shown += "\xE2\x81\xBB";
                }
                if (factor[e] == '-' || factor[e] == '+')
                    ++e;
                while (e + 1 < factor.size() && factor[e] == '0')
                    ++e;
                for (; e < factor.size(); ++e) {
                    put(static_cast<std::uint16_t>(factor[e]), t);
                    shown += factor[e];
                }
                break;
            }
            put(c == '.' ? std::uint16_t{ti83p::DecimalPoint} : static_cast<std::uint16_t>(c), t);
            shown += c;
        }
        const std::string name = utf8(t.fromUnit()) + "\xE2\x96\xB6" + utf8(t.toUnit());
        const bool lightYear =
            (a->assumed && a->name.size() > 2) || (b->assumed && b->name.size() > 2);
        const std::string taken =
            lightYear ? " (a light-year taken to be c times a year of 365.242198781 days, as on "
                        "TI's other calculators)"
            : a->assumed || b->assumed
                ? " (a year taken to be 365.242198781 days, as on TI's other calculators)"
                : "";
        noteOncePer(t, DiagnosticId::TrConversion,
                    std::string(t.fromUnit()) + "/" + std::string(t.toUnit()),
                    {name, shown, taken});
        return true;
    }

    // An operand written again: in parentheses unless it is one token.
    void putOperand(std::size_t from, std::size_t to) {
        const bool wrap = to - from > 1;
        if (wrap)
            put(ti83p::LParen, tokens_[from]);
        translate(from, to);
        if (wrap)
            put(ti83p::RParen, tokens_[to - 1]);
    }

    // mod(A,B) as A-B*int(A/B): the remainder of dividing by B, with B's
    // sign. For A, B >= 0 this is the TI-86's mod; for negative ones its
    // rule is not known for certain, and B's sign is what TI's later
    // calculators give, so a note says so.
    std::optional<std::size_t> putMod(std::size_t i, std::size_t end) {
        if (i + 1 >= end || !is(tokens_[i + 1], ti86::LParen))
            return std::nullopt;
        const std::size_t close = matchingClose(tokens_, i + 1, end);
        if (close >= end)
            return std::nullopt;
        std::size_t comma = 0;
        int depth = 0;
        for (std::size_t k = i + 2; k < close; ++k) {
            if (is(tokens_[k], ti86::LParen) || is(tokens_[k], ti86::LBrace))
                ++depth;
            else if (is(tokens_[k], ti86::RParen) || is(tokens_[k], ti86::RBrace))
                --depth;
            else if (depth == 0 && is(tokens_[k], ti86::Comma)) {
                if (comma != 0)
                    return std::nullopt;
                comma = k;
            }
        }
        if (comma == 0 || !repeatable(i + 2, comma) || !repeatable(comma + 1, close))
            return std::nullopt;
        const Ti86Token& t = tokens_[i];
        put(ti83p::LParen, t);
        putOperand(i + 2, comma);
        put(ti83p::Minus, t);
        putOperand(comma + 1, close);
        put(ti83p::Times, t);
        put(ti83p::Int, t);
        putOperand(i + 2, comma);
        put(ti83p::Divide, t);
        putOperand(comma + 1, close);
        put(ti83p::RParen, t);
        put(ti83p::RParen, tokens_[close]);
        noteOnce(t, DiagnosticId::TrMod);
        return close + 1;
    }

    // The commas at the top level of the group opened at `open`, and its ")".
    std::vector<std::size_t> topCommas(std::size_t open, std::size_t close) const {
        std::vector<std::size_t> commas;
        int depth = 0;
        for (std::size_t k = open + 1; k < close; ++k) {
            if (is(tokens_[k], ti86::LParen) || is(tokens_[k], ti86::LBrace))
                ++depth;
            else if (is(tokens_[k], ti86::RParen) || is(tokens_[k], ti86::RBrace))
                --depth;
            else if (depth == 0 && is(tokens_[k], ti86::Comma))
                commas.push_back(k);
        }
        return commas;
    }

    // evalF(expr,x,v) as sum(seq(expr,x,v,v)): expr worked out at x = v, and
    // x left as it was, as evalF leaves it.
    std::optional<std::size_t> putEvalF(std::size_t i, std::size_t end) {
        if (i + 1 >= end || !is(tokens_[i + 1], ti86::LParen))
            return std::nullopt;
        const std::size_t close = matchingClose(tokens_, i + 1, end);
        if (close >= end)
            return std::nullopt;
        const std::vector<std::size_t> commas = topCommas(i + 1, close);
        if (commas.size() != 2 || commas[0] == i + 2 || commas[1] != commas[0] + 2)
            return std::nullopt;
        const Ti86Token& name = tokens_[commas[0] + 1];
        const Placement* p = isUserName(name) ? names_.placement(name.data) : nullptr;
        const Builtin* b = builtinOf(name);
        const bool letter = (p != nullptr && p->as == Placement::As::Variable &&
                             p->codes.size() == 1 && p->codes[0] <= 0xFF) ||
                            (name.code == ti86::BuiltinName && b != nullptr && b->code != 0);
        if (!letter || !repeatable(commas[1] + 1, close))
            return std::nullopt;
        const Ti86Token& t = tokens_[i];
        put(ti83p::Sum, t);
        put(ti83p::Seq, t);
        translate(i + 2, commas[0]);
        put(ti83p::Comma, tokens_[commas[0]]);
        translate(commas[0] + 1, commas[1]);
        for (int twice = 0; twice < 2; ++twice) {
            put(ti83p::Comma, tokens_[commas[1]]);
            putOperand(commas[1] + 1, close);
        }
        put(ti83p::RParen, tokens_[close]);
        put(ti83p::RParen, tokens_[close]);
        noteOnce(t, DiagnosticId::TrEvalF);
        return close + 1;
    }

    // sign X as (X>0)-(X<0).
    std::optional<std::size_t> putSign(std::size_t i, std::size_t end) {
        std::size_t from = i + 1, to = 0, next = 0;
        if (from < end && is(tokens_[from], ti86::LParen)) {
            const std::size_t close = matchingClose(tokens_, from, end);
            if (close >= end)
                return std::nullopt;
            to = close + 1, next = close + 1; // the group with its parentheses
        } else {
            const std::optional<std::size_t> operand = operandEnd(tokens_, from, end);
            if (!operand || !endsOperand(tokens_, *operand, end))
                return std::nullopt;
            to = next = *operand;
        }
        if (!repeatable(from, to))
            return std::nullopt;
        const Ti86Token& t = tokens_[i];
        put(ti83p::LParen, t);
        for (const std::uint16_t test :
             {std::uint16_t{ti83p::Greater}, std::uint16_t{ti83p::Less}}) {
            if (test == ti83p::Less)
                put(ti83p::Minus, t);
            put(ti83p::LParen, t);
            translate(from, to);
            put(test, t);
            put(0x30, t); // 0
            put(ti83p::RParen, t);
        }
        put(ti83p::RParen, t);
        noteOnce(t, DiagnosticId::TrSign);
        return next;
    }

    // Plot1(type,xlist,ylist[,mark]) with a scatter or xyLine plot's type
    // written as a number: the TI-83 Plus names the type and the mark with
    // tokens. The TI-86's numbers (1 scatter, 2 xyLine; marks 1 box, 2 cross,
    // 3 dot) come from one source only, so a note says what was taken.
    // Nothing when the statement is in another form (the warning stays).
    std::optional<std::size_t> putPlot(std::size_t i, std::size_t end) {
        if (i + 2 >= end || !is(tokens_[i + 1], ti86::LParen))
            return std::nullopt;
        const std::size_t close = matchingClose(tokens_, i + 1, end);
        std::vector<std::pair<std::size_t, std::size_t>> args; // [from, to)
        int depth = 0;
        std::size_t from = i + 2;
        for (std::size_t k = i + 2; k < close; ++k) {
            if (is(tokens_[k], ti86::LParen) || is(tokens_[k], ti86::LBrace))
                ++depth;
            else if (is(tokens_[k], ti86::RParen) || is(tokens_[k], ti86::RBrace))
                --depth;
            else if (depth == 0 && is(tokens_[k], ti86::Comma)) {
                args.emplace_back(from, k);
                from = k + 1;
            }
        }
        args.emplace_back(from, close);
        const auto literal = [&](std::size_t a, const char* digits) -> int {
            const auto [b, e] = args[a];
            if (e != b + 1 || !is(tokens_[b], ti86::Number) || tokens_[b].data.size() != 1)
                return 0;
            const char* hit = std::strchr(digits, tokens_[b].data[0]);
            return hit != nullptr && *hit != '\0' ? static_cast<int>(hit - digits) + 1 : 0;
        };
        if (args.size() != 3 && args.size() != 4)
            return std::nullopt;
        const int type = literal(0, "12");
        const int mark = args.size() == 4 ? literal(3, "123") : -1;
        if (type == 0 || mark == 0 || args[1].first == args[1].second ||
            args[2].first == args[2].second)
            return std::nullopt;
        const Ti86Token& t = tokens_[i];
        put(ti86To83pRule(t.code)->ti83p, t);
        put(type == 1 ? ti83p::Scatter : ti83p::XyLine, tokens_[args[0].first]);
        for (const std::size_t a : {std::size_t{1}, std::size_t{2}}) {
            put(ti83p::Comma, tokens_[args[a].first - 1]);
            translate(args[a].first, args[a].second);
        }
        if (mark > 0) {
            put(ti83p::Comma, tokens_[args[3].first - 1]);
            put(mark == 1   ? ti83p::Squareplot
                : mark == 2 ? ti83p::Crossplot
                            : ti83p::Dotplot,
                tokens_[args[3].first]);
        }
        if (close < end)
            put(ti83p::RParen, tokens_[close]);
        noteOnce(t, DiagnosticId::TrPlot, {nameText(t)});
        return close < end ? close + 1 : close;
    }

    // y1=expression: the TI-83 Plus stores a function as a string.
    std::size_t putEquation(std::size_t i, std::size_t end, const Builtin& y) {
        const Ti86Token& t = tokens_[i];
        put(ti83p::Quote, t);
        for (std::size_t k = i + 2; k < end; ++k)
            if (is(tokens_[k], ti86::String)) {
                warn(tokens_[k], DiagnosticId::TrStringInEquation);
                break;
            }
        translate(i + 2, end);
        put(ti83p::Quote, t);
        put(ti83p::Store, t);
        put(y.code, t);
        if (y.code >= ti83p::Str1 && y.code <= ti83p::Str0)
            noteOncePer(t, DiagnosticId::TrEquationInString, t.data, {utf8(t.data), y.shown});
        else
            noteOnce(t, DiagnosticId::TrEquationStored, {utf8(t.data), y.shown});
        return end;
    }

    std::size_t putDelVar(std::size_t i, std::size_t end) {
        const Ti86Token& t = tokens_[i];
        put(ti83p::DelVar, t);
        if (i + 1 >= end || !is(tokens_[i + 1], ti86::LParen))
            return i + 1;
        const std::size_t close = matchingClose(tokens_, i + 1, end);
        translate(i + 2, close);
        noteOnce(t, DiagnosticId::TrDelVarParen);
        return close < end ? close + 1 : close;
    }

    // The same check as the hand-work report's, with the same words, on
    // the target's screens.
    void checkScreen(std::size_t i) {
        const ScreenSize screen{target_.homeRows, target_.homeColumns, target_.graphRows,
                                target_.graphColumns, target_.name};
        for (const OffScreen& off : offScreenCoordinates(syntax_, i, screen))
            warn(
                tokens_[off.token], DiagnosticId::OffScreen,
                {offScreenWhat(off), off.home ? "home" : "graph", offScreenRange(off), off.screen});
    }

    // Whether the statement at this token is what an If without Then runs:
    // taking it out would give the If the next one.
    bool ifBody(std::size_t i) const {
        const std::size_t n = syntax_.statementIndex(i);
        if (n == 0)
            return false;
        const SyntaxNode& before = syntax_.node(syntax_.statements()[n - 1]);
        return before.first < before.last && is(tokens_[before.first], ti86::If);
    }

    void translate(std::size_t from, std::size_t to) {
        bool statementStart = from == 0 || endsStatement(tokens_[from - 1]);
        std::size_t end = to;
        for (std::size_t i = from; i < to;) {
            const Ti86Token& t = tokens_[i];
            const bool atStart = statementStart;
            statementStart = endsStatement(t);
            if (atStart || i == from)
                end = std::min<std::size_t>(to, syntax_.node(syntax_.statementOf(i)).last);
            if (!t.known) {
                // Written as \xHH in characters: the user sees what was there,
                // and the calculator meets no command it was not given.
                std::string bytes, escapes;
                for (const char c : t.data) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, "%02X", static_cast<std::uint8_t>(c));
                    bytes += bytes.empty() ? hex : std::string(" ") + hex;
                    escapes += std::string("\\x") + hex;
                }
                for (const char c : escapes)
                    put(c == '\\' ? std::uint16_t{ti83p::CodeBBD7}
                                  : charToken(static_cast<std::uint8_t>(c)),
                        t);
                warn(t, DiagnosticId::TrNoToken, {bytes, escapes});
                ++i;
                continue;
            }
            if (is(t, ti86::LParen))
                if (const std::uint32_t pair = complexPair(syntax_.groupAt(i), end);
                    pair != kNoNode) {
                    i = putComplex(pair, true);
                    continue;
                }
            if (atStart) {
                if (const Builtin* y = builtinOf(t); y != nullptr && t.code == ti86::EquationName &&
                                                     y->code != 0 && i + 1 < end &&
                                                     is(tokens_[i + 1], ti86::Assign)) {
                    i = putEquation(i, end, *y);
                    continue;
                }
                if (const Placement* p = isUserName(t) ? names_.placement(t.data) : nullptr;
                    p != nullptr && p->equation && i + 1 < end &&
                    is(tokens_[i + 1], ti86::Assign)) {
                    if (p->text.code != 0) { // a string, used as expr(StrN)
                        i = putEquation(i, end, p->text);
                        continue;
                    }
                    i = putEquation(i, end, Builtin{p->codes.front(), p->shown});
                    // Y1-Y0 are graphed once stored to; the TI-86 graphs no
                    // equation of a name of its own.
                    const std::uint16_t slot = p->codes.front();
                    if (p->graphed) {
                        noteOncePer(t, DiagnosticId::TrGraphed, t.data, {utf8(t.data), p->shown});
                        continue;
                    }
                    if (slot < ti83p::Y1 || slot > ti83p::Y0) {
                        noteOnce(t, DiagnosticId::TrOtherMode);
                        continue;
                    }
                    put(ti83p::Colon, t);
                    put(ti83p::FnOff, t);
                    put(slot == ti83p::Y0 ? 0x30
                                          : static_cast<std::uint16_t>(0x31 + slot - ti83p::Y1),
                        t);
                    noteOncePer(t, DiagnosticId::TrFnOff, t.data,
                                {p->shown.substr(1), p->shown, utf8(t.data)});
                    continue;
                }
                if (is(t, ti86::String) && i + 3 == end && is(tokens_[i + 1], ti86::Store) &&
                    isUserName(tokens_[i + 2]))
                    if (const Placement* p = names_.placement(tokens_[i + 2].data);
                        p != nullptr && p->constant) {
                        // The text alone: Ans is it, as after the store.
                        putString(t);
                        noteOncePer(tokens_[i + 2], DiagnosticId::TrConstantText,
                                    tokens_[i + 2].data, {utf8(tokens_[i + 2].data), p->shown});
                        i = end;
                        continue;
                    }
                if (is(t, ti86::Dec) && end == i + 1 && !ifBody(i)) {
                    // The TI-83 Plus always works in decimal: the mode
                    // statement has nothing to do, and goes with its ":".
                    noteOnce(t, DiagnosticId::TrDecModeLeftOut);
                    i = i + 1 < to && endsStatement(tokens_[i + 1]) ? i + 2 : i + 1;
                    statementStart = true;
                    continue;
                }
                if (isUserName(t) && end == i + 1) {
                    const Placement* p = names_.placement(t.data);
                    if (p != nullptr && p->as == Placement::As::Program) {
                        for (const std::uint16_t c : p->codes)
                            put(c, t);
                        // Its name is the one it gets translated on its own.
                        if (first(DiagnosticId::TrCall, t.data))
                            report(t,
                                   p->outside ? DiagnosticId::TrCallOutside : DiagnosticId::TrCall,
                                   {utf8(t.data), p->shown});
                        ++i;
                        continue;
                    }
                }
            }
            const Ti86To83pRule* rule = ti86To83pRule(t.code);
            if (rule == nullptr) { // 8E 28 and 8E 29 mark a program's kind, never a token
                char code[8];
                std::snprintf(code, sizeof code, "%04X", t.code);
                warn(t, DiagnosticId::TrNoTranslation, {code});
                ++i;
                continue;
            }
            if (t.code == ti86::Mod || t.code == ti86::Sign || t.code == ti86::EvalF)
                if (const std::optional<std::size_t> next = t.code == ti86::Mod ? putMod(i, end)
                                                            : t.code == ti86::Sign
                                                                ? putSign(i, end)
                                                                : putEvalF(i, end)) {
                    i = *next;
                    continue;
                }
            if (atStart &&
                (t.code == ti86::Input || t.code == ti86::Prompt || t.code == ti86::DelVar))
                if (const std::optional<std::size_t> next = putAskedElements(i, end)) {
                    i = *next;
                    continue;
                }
            if (atStart && (t.code == ti86::SortA || t.code == ti86::SortD))
                if (const std::optional<std::size_t> next = putSort(i, end)) {
                    i = *next;
                    continue;
                }
            if (t.code == ti86::Plot1 || t.code == ti86::Plot2 || t.code == ti86::Plot3)
                if (const std::optional<std::size_t> next = putPlot(i, end)) {
                    i = *next;
                    continue;
                }
            if (const auto brace = vectorBraces_.find(i); brace != vectorBraces_.end()) {
                put(brace->second, t);
                noteOnce(t, DiagnosticId::TrVectorsAsLists);
                ++i;
                continue;
            }
            switch (rule->kind) {
            case Ti86To83pKind::Same:
            case Ti86To83pKind::Renamed:
            case Ti86To83pKind::Differs:
                put(rule->ti83p, t);
                if (rule->kind == Ti86To83pKind::Renamed) {
                    const Ti83pTokenInfo* info = ti83pTokenInfo(rule->ti83p);
                    std::string to83 = info != nullptr ? std::string(info->name) : std::string();
                    while (!to83.empty() && (to83.back() == ' ' || to83.back() == '('))
                        to83.pop_back();
                    noteOncePer(t, DiagnosticId::TrRenamed, std::to_string(t.code),
                                {nameText(t), to83});
                } else if (t.code == ti86::GetKy && keysFollowed_) {
                    noteOnce(t, DiagnosticId::TrGetKy);
                } else if (rule->kind == Ti86To83pKind::Differs &&
                           first(DiagnosticId::TrDiffers, std::to_string(t.code))) {
                    // Once: what to check is the same at every use.
                    warn(t, DiagnosticId::TrDiffers, {nameText(t), rule->detail});
                }
                checkScreen(i);
                i = ti83pTokenOpensParen(rule->ti83p) ? putFunctionArgument(i, end) : i + 1;
                if (t.code == ti86::GrStl && i > 0 && is(tokens_[i - 1], ti86::LParen))
                    i = putGraphStyleFunction(i, end);
                break;
            case Ti86To83pKind::Constant: {
                // 2c is 2 times c: its digits must not run into a number's.
                const auto numeric = [&](std::size_t k) {
                    const Ti86To83pRule* r = k < to ? ti86To83pRule(tokens_[k].code) : nullptr;
                    return tokens_[k].known && r != nullptr &&
                           (tokens_[k].code == ti86::Number || r->kind == Ti86To83pKind::Constant);
                };
                const bool wrap = (i > from && numeric(i - 1)) || (i + 1 < to && numeric(i + 1));
                if (wrap)
                    put(ti83p::LParen, t);
                for (const char c : rule->detail)
                    put(c == 'E'   ? std::uint16_t{ti83p::ExponentMark}
                        : c == '-' ? std::uint16_t{ti83p::Negate}
                        : c == '.' ? std::uint16_t{ti83p::DecimalPoint}
                                   : static_cast<std::uint16_t>(c),
                        t);
                if (wrap)
                    put(ti83p::RParen, t);
                noteOncePer(t, DiagnosticId::TrConstant, std::to_string(t.code),
                            {nameText(t), rule->detail});
                ++i;
                break;
            }
            case Ti86To83pKind::Inline:
                switch (t.code) {
                case ti86::String:
                    putString(t);
                    break;
                case ti86::Number:
                    if (const auto key = keyLiterals_.find(i); key != keyLiterals_.end())
                        putKeyCode(t, key->second);
                    else
                        putNumber(t);
                    if (i + 1 < to && is(tokens_[i + 1], ti86::Percent) && isDecimal(t.data)) {
                        // 5% is 5ᴇ⁻2: one number, so it binds as the TI-86's % did.
                        for (const std::uint16_t c :
                             {std::uint16_t{ti83p::ExponentMark}, std::uint16_t{ti83p::Negate},
                              std::uint16_t{ti83p::Digit2}})
                            put(c, tokens_[i + 1]);
                        noteOnce(tokens_[i + 1], DiagnosticId::TrPercent, {t.data});
                        ++i;
                    }
                    break;
                case ti86::Lbl:
                case ti86::Goto:
                    put(rule->ti83p, t);
                    putLabel(t, t.data);
                    break;
                default:
                    putName(t);
                    break;
                }
                ++i;
                break;
            case Ti86To83pKind::Rewrite:
                if (t.code == ti86::Menu) {
                    i = putMenu(i);
                } else if (t.code == ti86::DelVar) {
                    i = putDelVar(i, end);
                } else {
                    put(rule->ti83p, t);
                    warn(t, DiagnosticId::TrEquals);
                    ++i;
                }
                break;
            case Ti86To83pKind::NoCounterpart:
                if ((t.code == ti86::XStat || t.code == ti86::YStat || t.code == ti86::FStat) &&
                    names_.ownStatList(t.code)) {
                    const std::string list = t.code == ti86::XStat   ? "XSTAT"
                                             : t.code == ti86::YStat ? "YSTAT"
                                                                     : "FSTAT";
                    put(ti83p::SmallL, t);
                    putText(list, t);
                    noteOncePer(t, DiagnosticId::TrStatList, list, {nameText(t), list});
                    ++i;
                    break;
                }
                if (t.code == ti86::Conversion && putConversion(i, from, end)) {
                    ++i;
                    break;
                }
                spellOut(t, t.code == ti86::Conversion
                                ? std::string(t.fromUnit()) + '\x05' + std::string(t.toUnit())
                                : fontName(t));
                ++i;
                break;
            }
        }
    }

    const Tokens& tokens_;
    const Ti86Syntax& syntax_;
    const Ti86Facts& facts_;
    std::string_view title_;
    const Names& names_;
    const Ti83pTarget& target_;
    bool keysFollowed_ = false; // every use of getKy's value is understood
    bool usesAns_ = false;
    std::map<std::size_t, long> keyLiterals_;           // the codes compared with it, by token
    std::map<std::size_t, std::uint16_t> vectorBraces_; // [ and ] of vectors, as { and }
    std::map<std::string, std::string> labels_;
    std::set<std::string> madeLabels_; // for chained menus
    std::set<std::pair<DiagnosticId, std::string>> reported_;
    // Renamed names said once each, by placement and by built-in.
    std::vector<bool> variableRenameSaid_;
    std::vector<bool> builtinRenameSaid_;
    Ti83pTranslation out_;
};

} // namespace

Ti83pTranslation translateTi86Program(const std::vector<Ti86Token>& tokens, std::string_view name,
                                      const Ti83pProgramNames& calls, const Ti83pTarget& target) {
    const Ti86Syntax syntax(tokens);
    const Ti86Facts facts(syntax);
    Names names(calls);
    names.analyse(facts);
    names.allocate();
    return Translator(facts, name, names, target).run();
}

namespace {

// The group's program names, and the note for each TI-86 name that changed.
Ti83pProgramNames groupNames(const std::vector<Ti86SourceProgram>& programs,
                             std::map<std::string, Diagnostic>& renamed) {
    Ti83pProgramNames names;
    std::set<std::string> used;
    // Names the TI-83 Plus takes as they are keep them; the others are made
    // valid, a digit telling apart two that come out alike.
    for (const Ti86SourceProgram& program : programs)
        if (checkTi83pProgramName(program.name).empty() && used.insert(program.name).second)
            names[program.name] = program.name;
    for (const Ti86SourceProgram& program : programs) {
        if (names.count(program.name))
            continue;
        const Ti83pProgramName made = makeTi83pProgramName(program.name);
        std::string name = made.name.empty() ? std::string("PRGM") : made.name;
        for (int n = 1; used.count(name); ++n) {
            const std::string suffix = std::to_string(n);
            name = name.substr(0, std::min(name.size(), 8 - suffix.size())) + suffix;
        }
        renamed[program.name] =
            makeDiagnostic(DiagnosticId::TrProgramRenamed, {utf8(program.name), shownText(name)});
        used.insert(name);
        names[program.name] = name;
    }
    return names;
}

} // namespace

Ti83pProgramNames ti83pNamesForGroup(const std::vector<Ti86SourceProgram>& programs,
                                     Diagnostics* diagnostics) {
    std::map<std::string, Diagnostic> renamed;
    Ti83pProgramNames names = groupNames(programs, renamed);
    if (diagnostics != nullptr)
        for (const Ti86SourceProgram& program : programs)
            if (const auto hit = renamed.find(program.name); hit != renamed.end()) {
                diagnostics->push_back(hit->second);
                renamed.erase(hit);
            }
    return names;
}

namespace {

// For each program, the first program of its set of programs calling one
// another (by index into `programs`).
std::vector<std::size_t> callSets(const std::vector<Ti86SourceProgram>& programs,
                                  const std::vector<Ti86Syntax>& trees) {
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < programs.size(); ++i)
        index.emplace(programs[i].name, i);
    std::vector<std::size_t> set(programs.size());
    for (std::size_t i = 0; i < set.size(); ++i)
        set[i] = i;
    const auto root = [&set](std::size_t i) {
        while (set[i] != i)
            i = set[i] = set[set[i]];
        return i;
    };
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const Tokens& tokens = programs[i].tokens;
        for (const std::uint32_t st : trees[i].statements()) {
            // A name alone on a line is a call, as the translation reads it.
            const SyntaxNode& statement = trees[i].node(st);
            if (statement.statement() == StatementForm::ProgramCall)
                if (const auto hit = index.find(tokens[statement.first].data); hit != index.end()) {
                    // The smaller index leads, so a set is known by its first program.
                    const std::size_t a = root(i), b = root(hit->second);
                    set[std::max(a, b)] = std::min(a, b);
                }
        }
    }
    for (std::size_t i = 0; i < set.size(); ++i)
        set[i] = root(i);
    return set;
}

} // namespace

std::vector<Ti83pTranslation> translateTi86Group(const std::vector<Ti86SourceProgram>& programs,
                                                 const Ti83pTarget& target) {
    std::map<std::string, Diagnostic> renamed;
    const Ti83pProgramNames calls = groupNames(programs, renamed);
    // Each program read once; the facts point into the trees, so neither
    // vector grows after.
    std::vector<Ti86Syntax> trees;
    std::vector<Ti86Facts> facts;
    trees.reserve(programs.size());
    facts.reserve(programs.size());
    for (const Ti86SourceProgram& p : programs)
        trees.emplace_back(p.tokens);
    for (const Ti86Syntax& tree : trees)
        facts.emplace_back(tree);
    const std::vector<std::size_t> sets = callSets(programs, trees);
    std::vector<Ti83pTranslation> out(programs.size());
    for (std::size_t first = 0; first < programs.size(); ++first) {
        if (sets[first] != first)
            continue;
        // One set: its own letters, strings, lists and equations.
        Names names(calls);
        for (std::size_t p = first; p < programs.size(); ++p)
            if (sets[p] == first)
                names.analyse(facts[p]);
        names.allocate();
        for (std::size_t p = first; p < programs.size(); ++p) {
            if (sets[p] != first)
                continue;
            out[p] = Translator(facts[p], calls.at(programs[p].name), names, target).run();
            // A program's own new name heads its report.
            if (const auto hit = renamed.find(programs[p].name); hit != renamed.end())
                out[p].diagnostics.insert(out[p].diagnostics.begin(), hit->second);
        }
    }
    return out;
}

} // namespace kalvo::calc
