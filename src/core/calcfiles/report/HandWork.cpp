// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/report/HandWork.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/program/Arguments.h"
#include "calcfiles/program/Facts.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83pTable.h"
#include "conversion/ConversionRun.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kalvo::calc {

namespace {

bool isName(const Ti86Token& t) {
    return t.known && t.code >= ti86::Name1 && t.code <= ti86::Name8;
}

bool is(const Ti86Token& t, std::uint16_t code) {
    return t.known && t.code == code;
}

bool endsStatement(const Ti86Token& t) {
    return endsTi86Statement(t);
}

// Where the rows can only see a token together with what follows it
// ("nDer(", "DelVar("): the next token's text starts right after its own.
bool followedByOpen(const std::vector<Ti86Token>& tokens, std::size_t i) {
    if (i + 1 >= tokens.size() || !is(tokens[i + 1], ti86::LParen))
        return false;
    const Ti86TokenInfo* info = ti86TokenInfo(tokens[i].code);
    return info != nullptr && tokens[i + 1].line == tokens[i].line &&
           tokens[i + 1].column == tokens[i].column + info->text.size();
}

// The tokens the 81 rows turn into no TI-83 Plus command or another one,
// in the order the rows run, with what to do instead. What a row writes is
// found by running the rows (rowWritten). `open`: only when "(" follows at
// once, as the row's find text holds it.
struct RowWrite {
    std::uint16_t code;
    bool open;
    const char* tail;
};

constexpr RowWrite kRowWrites[] = {
    {ti86::NDer, true, ", which the TI-83 Plus does not have: write nDeriv("},
    {ti86::PxTest, true, ", which the TI-83 Plus does not have: write pxl-Test("},
    {ti86::Ident, false, ", which the TI-83 Plus does not have: write identity("},
    {ti86::DispG, false, ", a TI-83 Plus command only with its space: write DispGraph"},
    {ti86::DispT, false, ", a TI-83 Plus command only with its space: write DispTable"},
    {ti86::ExpR, false, ", which evaluates a string on the TI-83 Plus: write ExpReg"},
    {ti86::Arc, true,
     ", which archives a variable on the TI-83 Plus: arc length has no counterpart"},
    {ti86::Dot, true, ", a graph style on the TI-83 Plus: the dot product has no counterpart"},
    {ti86::Real, false, ", a mode on the TI-83 Plus: write real("},
    {ti86::SeqG, false, ", a mode on the TI-83 Plus: write Sequential"},
    // Row 19 (Dec) also runs before row 73 (ZDecm) can match.
    {ti86::Dec, false,
     ", which the TI-83 Plus does not have: it always works in decimal, so leave the mode out"},
    {ti86::ZDecm, false, ", which the TI-83 Plus does not have: write ZDecimal"},
    // Rows for short names reach into longer ones first: ln (33) into
    // lngth, cos, sin and tan (14, 57, 67) into the inverse and hyperbolic
    // forms, whose own rows then find nothing; int (31) into inter, dim
    // (22) into dimL.
    {ti86::Lngth, false, ", which the TI-83 Plus reads as ln(: write length("},
    {ti86::SinInv, false, ", which the TI-83 Plus reads as sin(: write sin⁻¹("},
    {ti86::CosInv, false, ", which the TI-83 Plus reads as cos(: write cos⁻¹("},
    {ti86::TanInv, false, ", which the TI-83 Plus reads as tan(: write tan⁻¹("},
    {ti86::Sinh, false, ", which the TI-83 Plus reads as sin(: write sinh("},
    {ti86::SinhInv, false, ", which the TI-83 Plus reads as sin(: write sinh⁻¹("},
    {ti86::Cosh, false, ", which the TI-83 Plus reads as cos(: write cosh("},
    {ti86::CoshInv, false, ", which the TI-83 Plus reads as cos(: write cosh⁻¹("},
    {ti86::Tanh, false, ", which the TI-83 Plus reads as tan(: write tanh("},
    {ti86::TanhInv, false, ", which the TI-83 Plus reads as tan(: write tanh⁻¹("},
    {ti86::DimL, false, ": delete the L after dim("},
    {ti86::Inter, false, ", which the TI-83 Plus reads as int(: interpolation has no counterpart"},
};

// What look() does with a code, in one table rather than a search of the
// lists for every token. What has no counterpart is what the translator
// cannot translate; a physical constant is what it writes as a value.
struct Rule {
    std::uint8_t rowWrite = 0; // kRowWrites index + 1
    bool noCounterpart = false;
    bool constant = false;
    bool comparison = false;
    bool screen = false; // takes screen coordinates
    bool looked = false; // any of the above, or a code look() reads itself
};

// Windows-1252 text as UTF-8, for a message (å, ñ).
std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// What the rows write for the token's text: the rows run on a line holding
// it, followed by "(1)" or " 1" (kept by every row). The line comes twice,
// so that the rows' closing pass, which doubles the last "(" a function
// gains, does not reach the first.
std::string rowWritten(const RowWrite& row) {
    const std::string find = ti86TokenInfo(row.code)->text + (row.open ? "(" : "");
    const std::string after = row.open ? "1)" : " 1";
    const std::string line = ":" + find + after;
    const std::string converted = kalvo::convertText(line + "\n" + line + "\n");
    const std::string first = converted.substr(0, converted.find('\n'));
    if (first.size() < 1 + after.size() || !first.ends_with(after))
        return find; // no row reaches it
    return latin1ToUtf8(first.substr(1, first.size() - 1 - after.size()));
}

class Rules {
public:
    Rules() {
        for (std::size_t k = 0; k < std::size(kRowWrites); ++k) {
            const RowWrite& row = kRowWrites[k];
            slot(row.code).rowWrite = static_cast<std::uint8_t>(k + 1);
            const std::string shown =
                std::string(ti86TokenInfo(row.code)->glyphs) + (row.open ? "(" : "");
            rowMessages_.push_back(
                formatDiagnostic(DiagnosticId::RowWrite, {shown, rowWritten(row), row.tail}));
        }
        for (const Ti86TokenInfo& info : ti86Tokens()) {
            Rule& rule = slot(info.code);
            const Ti86To83pRule* translation = ti86To83pRule(info.code);
            rule.noCounterpart =
                translation != nullptr && translation->kind == Ti86To83pKind::NoCounterpart;
            rule.constant = translation != nullptr && translation->kind == Ti86To83pKind::Constant;
            rule.comparison = info.has(ti86flag::Comparison);
            rule.screen = info.has(ti86flag::HomeCoordinates | ti86flag::GraphCoordinates);
        }
        // Most tokens are none of these: look() passes them over on one test.
        for (const Ti86TokenInfo& info : ti86Tokens()) {
            Rule& rule = slot(info.code);
            const std::uint16_t c = info.code;
            rule.looked = rule.rowWrite != 0 || rule.noCounterpart || rule.constant ||
                          rule.comparison || rule.screen || c == ti86::Lbl || c == ti86::Goto ||
                          c == ti86::Menu || c == ti86::DelVar || c == ti86::EquationName ||
                          c == ti86::BuiltinName || (c >= ti86::Name1 && c <= ti86::Name8);
        }
    }

    // The message of kRowWrites[k].
    const std::string& rowMessage(std::size_t k) const { return rowMessages_[k]; }

    const Rule& of(std::uint16_t code) const {
        const int page = code >> 8 == 0 ? 0 : code >> 8 == 0x3D ? 1 : code >> 8 == 0x8E ? 2 : 3;
        return page == 3 ? none_ : pages_[static_cast<std::size_t>(page)][code & 0xFF];
    }

private:
    Rule& slot(std::uint16_t code) {
        return pages_[code >> 8 == 0 ? 0 : code >> 8 == 0x3D ? 1 : 2][code & 0xFF];
    }
    std::array<std::array<Rule, 256>, 3> pages_{};
    Rule none_{};
    std::vector<std::string> rowMessages_;
};

const Rules& rules() {
    static const Rules r;
    return r;
}

bool isLabelCharacter(std::uint8_t font) {
    return (font >= 'A' && font <= 'Z') || (font >= '0' && font <= '9') || font == 0xC1; // θ
}

bool isTi83PlusReal(const std::string& font) {
    return font.size() == 1 &&
           ((font[0] >= 'A' && font[0] <= 'Z') || static_cast<std::uint8_t>(font[0]) == 0xC1);
}

// Lists L1-L6, strings Str0-Str9, pictures Pic0-Pic9 and graph databases
// GDB0-GDB9: names the TI-83 Plus reads as its own variables of that kind.
bool isTi83PlusBuiltIn(const std::string& font) {
    if (font.size() < 2 || font.back() < '0' || font.back() > '9')
        return false;
    const std::string_view stem(font.data(), font.size() - 1);
    return (stem == "L" && font.back() >= '1' && font.back() <= '6') || stem == "Str" ||
           stem == "Pic" || stem == "GDB";
}

// M·O·N·E·Y: how the TI-83 Plus reads a name, one variable per character.
std::string spelledApart(const std::string& font) {
    std::string out;
    for (std::size_t k = 0; k < font.size(); ++k) {
        if (k > 0)
            out += "·";
        out += ti86NameToUtf8(font.substr(k, 1));
    }
    return out;
}

// The TI-83 Plus function a TI-86 equation name stands for: y1-y9 and y10
// as Y1-Y9 and Y0, xt1-xt6 / yt1-yt6 as X1T / Y1T, r1-r6 as r1; empty when
// it has none.
std::string ti83PlusFunction(const std::string& font) {
    const auto numberAfter = [&font](std::size_t prefix) {
        if (font.size() <= prefix || font.size() > prefix + 2)
            return 0;
        int n = 0;
        for (std::size_t k = prefix; k < font.size(); ++k) {
            if (font[k] < '0' || font[k] > '9')
                return 0;
            n = n * 10 + (font[k] - '0');
        }
        return n;
    };
    if (font.starts_with("xt") || font.starts_with("yt")) {
        const int n = numberAfter(2);
        return n >= 1 && n <= 6
                   ? std::string(1, font[0] == 'x' ? 'X' : 'Y') + std::to_string(n) + "T"
                   : "";
    }
    if (font.starts_with("r")) {
        const int n = numberAfter(1);
        return n >= 1 && n <= 6 ? "r" + std::to_string(n) : "";
    }
    if (font.starts_with("y")) {
        const int n = numberAfter(1);
        return n >= 1 && n <= 9 ? "Y" + std::to_string(n) : n == 10 ? "Y0" : "";
    }
    return "";
}

// Messages by a number: an open table of keys side by side, each with its
// message's place, so that a look-up touches one or two slots where a map of
// nodes follows three pointers, each a cache miss while the report streams
// through a long text. The messages never move, so the findings may hold
// views of them.
class PackedMessages {
public:
    std::string& operator[](std::uint64_t key) {
        if ((messages_.size() + 1) * 2 > slots_.size())
            grow();
        Slot& slot = find(key);
        if (slot.message == kEmpty) {
            slot = {key, static_cast<std::uint32_t>(messages_.size())};
            messages_.emplace_back();
        }
        return messages_[slot.message];
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t message = kEmpty;
    };

    Slot& find(std::uint64_t key) {
        const std::size_t mask = slots_.size() - 1;
        // Fibonacci hashing: the keys' low bytes alone say little.
        std::size_t i = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
        while (slots_[i].message != kEmpty && slots_[i].key != key)
            i = (i + 1) & mask;
        return slots_[i];
    }

    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.message != kEmpty)
                find(slot.key) = slot;
    }

    std::vector<Slot> slots_;
    std::deque<std::string> messages_;
};

// Messages by a few bytes (a name, a label, a kind and a key code): a key
// of up to seven bytes is packed into a number, with its length, which is
// cheaper to hash and compare than a string; a longer one is kept as it
// is. Neither moves its messages, so the findings may hold views of them.
class MessagesByBytes {
public:
    // The message kept for the bytes of `head` then `tail`, empty when new.
    std::string& at(std::string_view head, std::string_view tail = {}) {
        if (head.size() + tail.size() <= 7) {
            std::uint64_t packed = head.size() + tail.size();
            unsigned shift = 8;
            for (const std::string_view part : {head, tail})
                for (const char c : part) {
                    packed |= std::uint64_t{static_cast<std::uint8_t>(c)} << shift;
                    shift += 8;
                }
            return short_[packed];
        }
        longKey_.assign(head);
        longKey_.append(tail);
        return long_[longKey_];
    }

private:
    PackedMessages short_;
    std::unordered_map<std::string, std::string> long_;
    std::string longKey_; // its room kept
};

// What the report knows of the whole program while it reads it a piece at
// a time: its findings so far and the facts that reach across pieces.
struct ProgramFacts {
    HandWorkReport report;
    // The start of the line an equation's text was last taken from: lines
    // are asked for in order, so each is passed over once, and a text of a
    // million lines needs no table of them.
    struct LineCursor {
        std::size_t line = 1;
        std::size_t start = 0;
    } lineCursor;
    Ti86KeyVariables keyVariables; // names getKy is stored to (getKy→K), read first
    // Labels and names to change, with their message.
    MessagesByBytes badLabels;
    MessagesByBytes badNames;
    // Off-screen coordinates' messages, by value, row or column, and screen:
    // a program draws at the same places again and again.
    PackedMessages offScreenMessages;
    // Messages that follow from their kind and a few bytes (a name, a key
    // code), by both: the same program call or key code comes again and again.
    MessagesByBytes keyedMessages;
    std::string keyScratch;                // a key being put together
    std::vector<TokenRange> menuArguments; // a menu's, its room kept
    std::string expression;                // an equation's, being put together
    std::string value;                     // what an equation's finding says to store

    // The findings of the pieces not yet handed over, their words in `words`
    // or in the messages made once above.
    std::vector<HandWorkFinding> found;
    FindingWords words;
    std::string scratch; // a message being formatted

    // A finding at the end of the list whose words stay where they are
    // (a message made once, kept above).
    void addMade(DiagnosticId id, std::size_t line, std::size_t column, std::string_view message) {
        found.push_back({id, line, column, message});
    }

    // A finding whose message is formatted now.
    void add(DiagnosticId id, std::size_t line, std::size_t column,
             std::initializer_list<std::string_view> args) {
        formatDiagnosticInto(scratch, id, args);
        found.push_back({id, line, column, words.keep(scratch)});
    }

    // The findings of pieces read in line order, and their counts.
    HandWorkReport finish() {
        report.findings.reserve(found.size());
        for (const HandWorkFinding& f : found) {
            Diagnostic& d = report.findings.emplace_back();
            d.severity = diagnosticKind(f.id).severity;
            d.line = f.line;
            d.column = f.column;
            d.message.assign(f.message);
            d.id = f.id;
        }
        report.counts = countHandWork(report.findings);
        return std::move(report);
    }

    static bool before(const Diagnostic& a, const Diagnostic& b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    }
    static bool foundBefore(const HandWorkFinding& a, const HandWorkFinding& b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    }
};

class Finder {
public:
    // One piece of the program: whole statements, in order after the pieces
    // read before.
    // `startsStatement`: whether the first token begins a statement.
    // `lineBase`: the lines of the text before the tokens' line 1.
    Finder(std::string_view text, const std::vector<Ti86Token>& tokens, ProgramFacts& facts,
           bool startsStatement = true, std::size_t lineBase = 0)
        : text_(text), tokens_(tokens), startsStatement_(startsStatement), lineBase_(lineBase),
          facts_(facts), keyVariables_(facts.keyVariables), badLabels_(facts.badLabels),
          badNames_(facts.badNames) {}

    // Looks at tokens [start, upto); the others are there to be looked
    // across.
    void run(std::size_t start = 0, std::size_t upto = static_cast<std::size_t>(-1)) {
        std::vector<HandWorkFinding>& found = facts_.found;
        const std::size_t first = found.size();
        upto = std::min(upto, tokens_.size());
        for (std::size_t i = start; i < upto; ++i)
            look(i);
        // Most come in order already; a menu's labels and a coordinate come
        // before what precedes them.
        const auto from = found.begin() + static_cast<std::ptrdiff_t>(first);
        if (!std::is_sorted(from, found.end(), ProgramFacts::foundBefore))
            std::stable_sort(from, found.end(), ProgramFacts::foundBefore);
    }

private:
    using Argument = TokenRange;

    void add(const Ti86Token& at, DiagnosticId id,
             std::initializer_list<std::string_view> args = {}) {
        facts_.add(id, at.line + lineBase_, at.column, args);
    }

    // A finding whose message was made before (a label's, a name's: the
    // same at every use), kept where it is, which outlives the findings.
    void addMade(const Ti86Token& at, DiagnosticId id, const std::string& message) {
        facts_.addMade(id, at.line + lineBase_, at.column, message);
    }

    // A finding whose message follows from its kind and `key`: made by
    // `format` the first time only.
    template <typename Format>
    void addKeyed(const Ti86Token& at, DiagnosticId id, std::string_view key, Format format) {
        const auto n = static_cast<std::uint16_t>(id);
        const char kind[] = {static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)};
        std::string& message = facts_.keyedMessages.at({kind, 2}, key);
        if (message.empty())
            message = format();
        addMade(at, id, message);
    }

    // Statements are what lies between separators (the program tree's
    // reading of them), so these need no tree.
    bool statementStart(std::size_t i) const { return i == 0 || endsStatement(tokens_[i - 1]); }
    bool statementEnd(std::size_t i) const {
        return i + 1 >= tokens_.size() || endsStatement(tokens_[i + 1]);
    }

    // The program tree of the statement holding token i, as the translator
    // reads it: only the statements whose calls the report reads are read,
    // the last one kept for the next command in it.
    const Ti86Syntax& statementTree(std::size_t i) {
        if (!tree_ || i < treeFirst_ || i >= treeLast_) {
            treeFirst_ = i;
            while (treeFirst_ > 0 && !endsStatement(tokens_[treeFirst_ - 1]))
                --treeFirst_;
            treeLast_ = i;
            while (treeLast_ < tokens_.size() && !endsStatement(tokens_[treeLast_]))
                ++treeLast_;
            tree_.emplace(tokens_, treeFirst_, treeLast_);
        }
        return *tree_;
    }

    void look(std::size_t i) {
        const Ti86Token& t = tokens_[i];
        if (!t.known)
            return;
        const Rule& rule = rules_.of(t.code);
        if (!rule.looked || (!isLabel_.empty() && isLabel_[i]))
            return;
        switch (t.code) {
        case ti86::Lbl:
        case ti86::Goto:
            label(t, t.data);
            return;
        case ti86::Menu:
            menu(i);
            return;
        case ti86::DelVar:
            if (followedByOpen(tokens_, i))
                addKeyed(t, DiagnosticId::DelVarParen, {},
                         [] { return formatDiagnostic(DiagnosticId::DelVarParen, {}); });
            return;
        case ti86::EquationName:
            if (statementStart(i) && i + 1 < tokens_.size() && is(tokens_[i + 1], ti86::Assign))
                equation(i);
            return;
        case ti86::BuiltinName:
            if (t.data == "x" || t.data == "y" || t.data == "t") {
                addKeyed(t, DiagnosticId::LowercaseName, t.data, [&t] {
                    const char upper[] = {static_cast<char>(t.data[0] - 'a' + 'A'), '\0'};
                    return formatDiagnostic(DiagnosticId::LowercaseName, {t.data, upper});
                });
            }
            return;
        default:
            break;
        }
        if (rule.comparison) {
            keyComparison(i);
            return;
        }
        if (isName(t)) {
            name(i);
            return;
        }
        bool rowWrite = false;
        if (rule.rowWrite != 0) {
            const RowWrite& row = kRowWrites[rule.rowWrite - 1];
            if (!row.open || followedByOpen(tokens_, i)) {
                addMade(t, DiagnosticId::RowWrite, rules_.rowMessage(rule.rowWrite - 1u));
                rowWrite = true;
            }
        }
        if (!rowWrite && (rule.noCounterpart || rule.constant)) {
            const DiagnosticId id =
                rule.constant ? DiagnosticId::PhysicalConstant : DiagnosticId::NoCounterpart;
            // The code, and a conversion's two units (the first one's length ahead of it).
            std::string& key = facts_.keyScratch;
            key.assign({static_cast<char>(t.code >> 8), static_cast<char>(t.code & 0xFF)});
            if (t.code == ti86::Conversion) {
                key.push_back(static_cast<char>(t.toUnitAt));
                key += t.data;
            }
            addKeyed(t, id, key, [&t, id] {
                const std::string shown =
                    t.code == ti86::Conversion
                        ? ti86NameToUtf8(t.fromUnit()) + "▶" + ti86NameToUtf8(t.toUnit())
                        : std::string(ti86TokenInfo(t.code)->glyphs);
                return formatDiagnostic(id, {shown});
            });
        }
        if (rule.screen)
            screen(i);
    }

    // The labels the translator renames, as its facts tell.
    void label(const Ti86Token& at, const std::string& font) {
        if (isTi83pLabel(font))
            return;
        const bool tooLong = font.size() > 2;
        const bool odd = std::any_of(font.begin(), font.end(), [](char c) {
            return !isLabelCharacter(static_cast<std::uint8_t>(c));
        });
        // A label is used again and again: its message is made once.
        std::string& message = badLabels_.at(font);
        if (message.empty()) {
            const std::string_view reason =
                tooLong && odd ? "is longer than two characters and has characters the TI-83 "
                                 "Plus does not take"
                : tooLong      ? "is longer than two characters"
                : odd          ? "has characters the TI-83 Plus does not take"
                               : "is empty";
            // An empty name is shown as "", so the message does not read "label  is".
            formatDiagnosticInto(message, DiagnosticId::LabelToRename,
                                 {font.empty() ? "\"\"" : ti86NameToUtf8(font), reason});
        }
        addMade(at, DiagnosticId::LabelToRename, message);
    }

    void name(std::size_t i) {
        const Ti86Token& t = tokens_[i];
        if (isTi83PlusBuiltIn(t.data))
            return;
        if (statementStart(i) && statementEnd(i) && !isTi83PlusReal(t.data)) {
            addKeyed(t, DiagnosticId::ProgramCall, t.data, [&t] {
                const std::string shown = ti86NameToUtf8(t.data);
                // The TI-86 calls a program by its bare name.
                const bool programName =
                    t.data.size() <= 8 && std::all_of(t.data.begin(), t.data.end(), [](char c) {
                        return isLabelCharacter(static_cast<std::uint8_t>(c));
                    });
                return formatDiagnostic(
                    DiagnosticId::ProgramCall,
                    {shown, programName ? "prgm" + shown : "prgm before a name of A-Z, 0-9, θ"});
            });
            return;
        }
        if (isTi83PlusReal(t.data))
            return;
        const DiagnosticId id =
            t.data.size() > 1 ? DiagnosticId::LongName : DiagnosticId::NoTi83pVariable;
        std::string& message = badNames_.at(t.data);
        if (message.empty())
            message = formatDiagnostic(id, {ti86NameToUtf8(t.data), spelledApart(t.data)});
        addMade(t, id, message);
    }

    // The arguments of the "(" at `open`, up to its ")" or the end of the
    // statement.
    const Ti86Token* single(const Argument& a) const {
        return a.single() ? &tokens_[a.first] : nullptr;
    }

    // A menu choice's target, as the label it names, when it is one token.
    bool targetLabel(const Argument& a, std::string& font) const {
        const Ti86Token* t = single(a);
        if (t == nullptr || !t->known)
            return false;
        const Ti86TokenInfo* info = ti86TokenInfo(t->code);
        if (info == nullptr)
            return false;
        if (info->data == Ti86Inline::FixedName || info->data == Ti86Inline::LengthName ||
            info->data == Ti86Inline::Number) {
            font = t->data;
            return true;
        }
        if (info->data != Ti86Inline::None || info->text.empty())
            return false;
        // A label spelled like a built-in name ("e", "k").
        font.clear();
        for (const char c : info->text) {
            if (!isTi86NameText(static_cast<std::uint8_t>(c)))
                return false;
            font.push_back(static_cast<char>(ti86TextToFont(static_cast<std::uint8_t>(c))));
        }
        return true;
    }

    // The arguments of the call at `head` when they are numbers, strings
    // and names between commas, none left out, which is how the program's
    // tree reads them too; false for any other call, for the tree to read.
    bool flatArguments(std::size_t head, std::vector<Argument>& args) const {
        const std::size_t n = tokens_.size();
        std::size_t from = head + 2;
        for (std::size_t k = from;; ++k) {
            const bool end = k >= n || endsStatement(tokens_[k]) || is(tokens_[k], ti86::RParen);
            if (end || is(tokens_[k], ti86::Comma)) {
                if (k == from)
                    return false;
                args.push_back({from, k});
                if (end)
                    return true;
                from = k + 1;
                continue;
            }
            const Ti86Token& t = tokens_[k];
            if (!is(t, ti86::Number) && !is(t, ti86::String) && !isName(t))
                return false;
        }
    }

    void menu(std::size_t i) {
        if (i + 1 >= tokens_.size() || !is(tokens_[i + 1], ti86::LParen))
            return;
        std::vector<Argument>& args = facts_.menuArguments;
        args.clear();
        if (!flatArguments(i, args))
            args = callArguments(statementTree(i), i);
        if (args.empty())
            return;
        const Ti86Token* first = single(args[0]);
        const bool ti86Form = first != nullptr && is(*first, ti86::Number);
        const bool ti83Form = first != nullptr && is(*first, ti86::String);
        const std::size_t step = ti86Form ? 3 : 2;
        // TI-86: slot, text, label per choice; TI-83 Plus: a title, then
        // text and label.
        const std::size_t choices = ti86Form ? (args.size() + 2) / 3 : args.size() / 2;
        // Mark the targets first: the findings about them come in text order.
        for (std::size_t k = 2; k < args.size(); k += step) {
            std::string font;
            if (targetLabel(args[k], font)) {
                if (isLabel_.empty())
                    isLabel_.resize(tokens_.size(), 0);
                isLabel_[args[k].first] = 1;
                label(tokens_[args[k].first], font);
            }
        }
        // The message tells the number of choices only past 7.
        const std::string count = std::to_string(choices > 7 ? choices : 0);
        if (ti86Form)
            addKeyed(tokens_[i], DiagnosticId::Ti86Menu, count, [choices] {
                const std::string tooMany = "it has " + std::to_string(choices) +
                                            " choices and the TI-83 Plus shows at most 7";
                return formatDiagnostic(DiagnosticId::Ti86Menu,
                                        {choices > 7 ? "; " + tooMany : ""});
            });
        else if (ti83Form && choices > 7)
            addKeyed(tokens_[i], DiagnosticId::MenuTooLong, count,
                     [&count] { return formatDiagnostic(DiagnosticId::MenuTooLong, {count}); });
    }

    void equation(std::size_t i) {
        const Ti86Token& t = tokens_[i];
        std::size_t end = i + 2;
        while (end < tokens_.size() && !endsStatement(tokens_[end]))
            ++end;
        // The expression's text as the user wrote it, with the TI-86's
        // lowercase variables in capitals.
        const std::string_view line = lineText(t.line + lineBase_);
        // Where token k starts in the line; the ":" or line end after the
        // statement (a line-end token sits just past its line's text).
        const auto offsetOf = [&](std::size_t k) {
            return k < tokens_.size() && tokens_[k].line == t.line
                       ? std::min<std::size_t>(tokens_[k].column - 1, line.size())
                       : line.size();
        };
        // Put together in room kept from one equation to the next.
        std::string& expression = facts_.expression;
        expression.clear();
        for (std::size_t k = i + 2; k < end; ++k) {
            const std::size_t from = offsetOf(k), to = std::max(from, offsetOf(k + 1));
            const std::size_t at = expression.size();
            expression.append(line.substr(from, to - from));
            const Ti86Token& e = tokens_[k];
            if (is(e, ti86::BuiltinName) && (e.data == "x" || e.data == "y" || e.data == "t") &&
                expression.size() > at)
                expression[at] = static_cast<char>(e.data[0] - 'a' + 'A');
        }
        while (!expression.empty() && expression.back() == ' ')
            expression.pop_back();
        // The program text as font bytes, then as UTF-8 glyphs.
        for (char& c : expression)
            c = static_cast<char>(ti86TextToFont(static_cast<std::uint8_t>(c)));
        std::string& value = facts_.value;
        value.assign("\"");
        value += ti86NameToUtf8(expression);
        value += "\"→";
        const std::string function = ti83PlusFunction(t.data);
        value += function;
        add(t, function.empty() ? DiagnosticId::EquationNoFunction : DiagnosticId::Equation,
            {ti86NameToUtf8(t.data), value});
    }

    void screen(std::size_t i) {
        const std::size_t n = tokens_.size();
        if (i + 1 >= n || !is(tokens_[i + 1], ti86::LParen))
            return;
        // Most such commands begin with two numbers: "(5,3," or "(5,3)"
        // is read as the program's tree reads it, without one.
        if (i + 4 < n && is(tokens_[i + 2], ti86::Number) && is(tokens_[i + 3], ti86::Comma) &&
            is(tokens_[i + 4], ti86::Number) &&
            (i + 5 >= n || is(tokens_[i + 5], ti86::Comma) || is(tokens_[i + 5], ti86::RParen) ||
             endsStatement(tokens_[i + 5]))) {
            const bool home = ti86Has(tokens_[i].code, ti86flag::HomeCoordinates);
            for (std::size_t k = 0; k < 2; ++k) {
                OffScreen off;
                if (offScreen(i + 2 + 2 * k, k == 0, home, off))
                    addOffScreen(off);
            }
            return;
        }
        // Only a number off every screen's range in the statement can be a
        // finding: without one, no tree is needed.
        const bool home = ti86Has(tokens_[i].code, ti86flag::HomeCoordinates);
        bool candidate = false;
        for (std::size_t k = i + 2; k < n && !endsStatement(tokens_[k]) && !candidate; ++k) {
            OffScreen off;
            candidate = offScreen(k, true, home, off) || offScreen(k, false, home, off);
        }
        if (!candidate)
            return;
        for (const OffScreen& off : offScreenCoordinates(statementTree(i), i))
            addOffScreen(off);
    }

    // tokens_[k] as the row (or column) of a command's coordinates, when it
    // is a whole number off the screen: what offScreenCoordinates() finds.
    bool offScreen(std::size_t k, bool row, bool home, OffScreen& off) const {
        const long value = ti86WholeNumber(tokens_[k]);
        if (value < 0)
            return false;
        static const ScreenSize screen;
        off.token = k;
        off.value = value;
        off.row = row;
        off.home = home;
        off.low = home ? 1 : 0;
        off.high = home ? (row ? screen.homeRows : screen.homeColumns)
                        : (row ? screen.graphRows : screen.graphColumns);
        off.screen = screen.name;
        return value < off.low || value > off.high;
    }

    void addOffScreen(const OffScreen& off) {
        // Up to six digits: the value fits below the two flags.
        const std::uint64_t key =
            static_cast<std::uint64_t>(off.value) << 2 | (off.row ? 2u : 0u) | (off.home ? 1u : 0u);
        std::string& message = facts_.offScreenMessages[key];
        if (message.empty())
            message = formatDiagnostic(
                DiagnosticId::OffScreen,
                {offScreenWhat(off), off.home ? "home" : "graph", offScreenRange(off), off.screen});
        addMade(tokens_[off.token], DiagnosticId::OffScreen, message);
    }

    bool isKey(const Ti86Token& t) const {
        return is(t, ti86::GetKy) || (isName(t) && keyVariables_.count(t.data) != 0);
    }

    // A key code compared, as the facts tell: the comparison's operands,
    // alone, getKy or a key variable and a number. An operand alone is a
    // neighbour of the operator, so only those comparisons are read as a
    // tree.
    void keyComparison(std::size_t i) {
        if (i == 0 || i + 1 >= tokens_.size())
            return;
        const Ti86Token& left = tokens_[i - 1];
        const Ti86Token& right = tokens_[i + 1];
        const Ti86Token* code = isKey(left) ? &right : isKey(right) ? &left : nullptr;
        // 0 is "no key" on both calculators.
        if (code == nullptr || ti86WholeNumber(*code) <= 0)
            return;
        // Between what binds looser than a comparison (If K==25, a==b and
        // c≠d) both are alone, as the tree would tell.
        const auto loose = [this](std::size_t k) {
            const Ti86Token& b = tokens_[k];
            return endsStatement(b) || is(b, ti86::And) || is(b, ti86::Or) || is(b, ti86::Xor) ||
                   is(b, ti86::Comma);
        };
        const bool opens = i == 1 ? startsStatement_
                                  : loose(i - 2) || is(tokens_[i - 2], ti86::If) ||
                                        is(tokens_[i - 2], ti86::While) ||
                                        is(tokens_[i - 2], ti86::Repeat) ||
                                        is(tokens_[i - 2], ti86::LParen);
        const bool closes =
            i + 2 >= tokens_.size() || loose(i + 2) || is(tokens_[i + 2], ti86::RParen);
        std::size_t first = i;
        while (first > 0 && !endsStatement(tokens_[first - 1]))
            --first;
        // A statement longer than a window may begin before it: its
        // neighbours alone tell.
        if (!(opens && closes) && (first > 0 || startsStatement_)) {
            const Ti86Syntax& tree = statementTree(i);
            std::uint32_t op = 0;
            while (op < tree.size() &&
                   !(tree.node(op).kind == SyntaxKind::Binary && tree.opToken(op) == i))
                ++op;
            const std::optional<Ti86KeyComparison> c =
                op < tree.size() ? ti86KeyComparison(tree, op, keyVariables_) : std::nullopt;
            if (!c || &tokens_[c->literal] != code)
                return;
        }
        addKeyed(*code, DiagnosticId::KeyCode, code->data,
                 [code] { return formatDiagnostic(DiagnosticId::KeyCode, {code->data}); });
    }

    // Line `n` (1-based) of the text, without its line end.
    std::string_view lineText(std::size_t n) {
        ProgramFacts::LineCursor& at = facts_.lineCursor;
        if (n == 0)
            return {};
        if (n < at.line)
            at = {};
        while (at.line < n) {
            const std::size_t newline = text_.find('\n', at.start);
            if (newline == std::string_view::npos)
                return {};
            at.start = newline + 1;
            ++at.line;
        }
        std::size_t stop = std::min(text_.find('\n', at.start), text_.size());
        if (stop > at.start && text_[stop - 1] == '\r')
            --stop;
        return text_.substr(at.start, stop - at.start);
    }

    std::string_view text_;
    const std::vector<Ti86Token>& tokens_;
    bool startsStatement_;
    std::size_t lineBase_;
    std::optional<Ti86Syntax> tree_; // of tokens [treeFirst_, treeLast_)
    std::size_t treeFirst_ = 0;
    std::size_t treeLast_ = 0;
    const Rules& rules_ = rules();
    // Menu targets, empty until one is marked; bytes, as asked for every token.
    std::vector<std::uint8_t> isLabel_;
    ProgramFacts& facts_;
    const Ti86KeyVariables& keyVariables_;
    MessagesByBytes& badLabels_;
    MessagesByBytes& badNames_;
};

// The lines of a text, without their CR LF or LF.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::size_t stop = end;
        if (stop > at && text[stop - 1] == '\r')
            --stop;
        lines.push_back(text.substr(at, stop - at));
        if (last)
            break;
        at = end + 1;
    }
    return lines;
}

// Lines longer than this are placed by their common start and end only:
// the alignment below takes time and room for every pair of bytes.
constexpr std::size_t kMostAlignedPairs = std::size_t{1} << 20;

std::string plural(std::size_t n, const char* one, const char* many, const char* rest) {
    return std::to_string(n) + " " + (n == 1 ? one : many) + rest;
}

} // namespace

namespace {

// Text is tokenized and read a window of tokens at a time, so that the
// tokens of a large program, or of a long line, are never all held at once.
constexpr std::size_t kWindowTokens = 512;

// Whether looking at the token needs the rest of its statement: a menu's
// choices, an equation's expression, a command's coordinates, a
// comparison's operands.
bool readsToStatementEnd(const Ti86Token& t) {
    return t.known && (t.code == ti86::Menu || t.code == ti86::EquationName ||
                       ti86Has(t.code, ti86flag::HomeCoordinates | ti86flag::GraphCoordinates |
                                           ti86flag::Comparison));
}

// How many of a window's tokens can be looked at with what it holds: all
// when the text has ended; else those up to the window's last statement
// end, and after it those up to the last but one (a token is looked at with
// its neighbours), short of one that reads to its statement's end.
std::size_t lookable(const std::vector<Ti86Token>& tokens, std::size_t from, bool ended) {
    if (ended)
        return tokens.size();
    std::size_t complete = from;
    for (std::size_t k = tokens.size(); k-- > from;)
        if (endsTi86Statement(tokens[k])) {
            complete = k + 1;
            break;
        }
    std::size_t upto = complete;
    while (upto + 1 < tokens.size() && !readsToStatementEnd(tokens[upto]))
        ++upto;
    return upto;
}

// The names getKy is stored to in the tokens, by the facts' rule: the tree
// of each statement holding getKy.
void addKeyVariables(const std::vector<Ti86Token>& tokens, Ti86KeyVariables& names) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!is(tokens[i], ti86::GetKy))
            continue;
        std::size_t first = i, last = i;
        while (first > 0 && !endsStatement(tokens[first - 1]))
            --first;
        while (last < tokens.size() && !endsStatement(tokens[last]))
            ++last;
        // Most are getKy→K alone, which the tree reads as storing to K.
        if (first == i && last == i + 3 && is(tokens[i + 1], ti86::Store) &&
            isTi86UserName(tokens[i + 2])) {
            names.insert(tokens[i + 2].data);
            i = last;
            continue;
        }
        const Ti86Syntax tree(tokens, first, last);
        if (const std::optional<std::size_t> name = ti86KeyStore(tree, tree.statementOf(i)))
            names.insert(tokens[*name].data);
        i = last;
    }
}

// The names getKy is stored to anywhere in the text, found before the
// pieces are read: the lines that hold "getKy", tokenized alone. The
// tokenizer reads a line on its own, so a line like one read before (a
// program reads the keys the same way again and again) adds no names.
Ti86KeyVariables keyVariablesOf(std::string_view text) {
    Ti86KeyVariables names;
    Ti86Tokenized tokenized; // its room kept from line to line
    std::unordered_set<std::string_view> read;
    for (std::size_t at = text.find("getKy"); at != std::string_view::npos;) {
        const std::size_t newline = text.rfind('\n', at);
        const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        if (read.insert(text.substr(start, end - start)).second) {
            tokenizeTi86Text(text.substr(start, end - start), tokenized);
            addKeyVariables(tokenized.tokens, names);
        }
        at = end == text.size() ? std::string_view::npos : text.find("getKy", end);
    }
    return names;
}

// Lines that can hold nothing to report: numbers, one-letter names (A-Z:
// TI-83 Plus variables), the four operations, parentheses, commas, → and
// colons, no comparison. Most lines of arithmetic are such lines, and
// finding them costs a look at each byte and its neighbour where tokens
// cost far more: each byte has a class, and a pair of classes is loud or
// not, so that the bytes of a block are looked at independently.
enum QuietClass : std::uint8_t { kSign, kDigit, kLetter, kReturn, kLineEnd, kOther };

inline constexpr std::array<std::uint8_t, 256> kQuietClass = [] {
    std::array<std::uint8_t, 256> classes{};
    classes.fill(kOther);
    for (const char c : std::string_view("+-*/(),: \xFC")) // \xFC: →
        classes[static_cast<std::uint8_t>(c)] = kSign;
    for (std::size_t c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    classes['.'] = kDigit;
    for (std::size_t c = 'A'; c <= 'Z'; ++c)
        classes[c] = kLetter;
    classes['\r'] = kReturn;
    classes['\n'] = kLineEnd;
    return classes;
}();

// Whether a byte of class `now` after one of class `before` makes the line
// loud: a byte of no quiet class, a letter next to a letter or digit (a
// longer name), a CR not ending the line.
inline constexpr std::array<std::uint8_t, 64> kLoudPair = [] {
    std::array<std::uint8_t, 64> loud{};
    for (std::size_t before = 0; before < 8; ++before)
        for (std::size_t now = 0; now < 8; ++now)
            loud[before * 8 + now] =
                now >= kOther || (now == kLetter && (before == kLetter || before == kDigit)) ||
                (now == kDigit && before == kLetter) || (before == kReturn && now != kLineEnd);
    return loud;
}();

#if defined(__GNUC__)
// Sixteen bytes at a time, as the processor's vector instructions take them
// (GCC and Clang; other compilers take the bytes one at a time).
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

Bytes16 load16(const std::uint8_t* at) {
    Bytes16 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

Bytes16 splat(std::uint8_t b) {
    return Bytes16{} + b;
}

// Bytes in [low, high] as FF, the others 00.
Bytes16 within(Bytes16 v, std::uint8_t low, std::uint8_t high) {
    return reinterpret_cast<Bytes16>(v - splat(low) <=
                                     splat(static_cast<std::uint8_t>(high - low)));
}

Bytes16 equal(Bytes16 v, std::uint8_t b) {
    return reinterpret_cast<Bytes16>(v == splat(b));
}

// Whether any of the 16 bytes at `at` makes its line loud, with the byte
// before each (at[-1] must be there): the pairs of kLoudPair.
bool loud16(const std::uint8_t* at) {
    const Bytes16 now = load16(at), before = load16(at - 1);
    // "(" to ":" holds ( ) * + , - . / 0-9 and ":".
    const Bytes16 digit = within(now, '0', '9') | equal(now, '.');
    const Bytes16 letter = within(now, 'A', 'Z');
    const Bytes16 quiet = within(now, '(', ':') | letter | equal(now, ' ') | equal(now, 0xFC) |
                          equal(now, '\r') | equal(now, '\n');
    const Bytes16 letterBefore = within(before, 'A', 'Z');
    const Bytes16 digitBefore = within(before, '0', '9') | equal(before, '.');
    const Bytes16 loud = ~quiet | (letter & (letterBefore | digitBefore)) | (digit & letterBefore) |
                         (equal(before, '\r') & ~equal(now, '\n'));
    std::uint64_t halves[2];
    std::memcpy(halves, &loud, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// The same test 32 bytes at a time, for processors with AVX2: each byte's
// class from two 16-entry lookups (its low and its high four bits), each
// class a bit that both lookups must give. Text with nothing to report is
// passed over at more than twice the pace.
namespace quietbits {
constexpr std::uint8_t kBitLetter4 = 0x01; // A-O
constexpr std::uint8_t kBitLetter5 = 0x02; // P-Z
constexpr std::uint8_t kBitDigit = 0x04;   // 0-9
constexpr std::uint8_t kBitDot = 0x08;
constexpr std::uint8_t kBitSign = 0x10;    // space ( ) * + , - /
constexpr std::uint8_t kBitLineEnd = 0x20; // LF, CR
constexpr std::uint8_t kBitColon = 0x40;
constexpr std::uint8_t kBitArrow = 0x80; // FC, →
constexpr std::uint8_t kBitLetters = kBitLetter4 | kBitLetter5;
constexpr std::uint8_t kBitNumberText = kBitDigit | kBitDot;
} // namespace quietbits

__attribute__((target("avx2"))) std::size_t quietBlocks32(const std::uint8_t* bytes, std::size_t i,
                                                          std::size_t n) {
    using namespace quietbits;
    // By low four bits, then by high four bits.
    alignas(16) static constexpr std::uint8_t low[16] = {
        kBitLetter5 | kBitDigit | kBitSign, // 0: P 0 space
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit,
        kBitLetter4 | kBitLetter5 | kBitDigit | kBitSign,               // 8: H X 8 (
        kBitLetter4 | kBitLetter5 | kBitDigit | kBitSign,               // 9: I Y 9 )
        kBitLetter4 | kBitLetter5 | kBitSign | kBitLineEnd | kBitColon, // A: J Z * LF :
        kBitLetter4 | kBitSign,                                         // B: K +
        kBitLetter4 | kBitSign | kBitArrow,                             // C: L , FC
        kBitLetter4 | kBitSign | kBitLineEnd,                           // D: M - CR
        kBitLetter4 | kBitDot,                                          // E: N .
        kBitLetter4 | kBitSign,                                         // F: O /
    };
    alignas(16) static constexpr std::uint8_t high[16] = {
        kBitLineEnd,
        0,
        kBitDot | kBitSign,
        kBitDigit | kBitColon,
        kBitLetter4,
        kBitLetter5,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        kBitArrow,
    };
    const __m256i lowTable =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(low)));
    const __m256i highTable =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(high)));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const auto classes = [&](__m256i v) __attribute__((target("avx2"))) {
        const __m256i lo = _mm256_shuffle_epi8(lowTable, _mm256_and_si256(v, nibble));
        const __m256i hi =
            _mm256_shuffle_epi8(highTable, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
        return _mm256_and_si256(lo, hi);
    };
    const __m256i letters = _mm256_set1_epi8(kBitLetters);
    const __m256i numberText = _mm256_set1_epi8(kBitNumberText);
    const __m256i wordText = _mm256_set1_epi8(kBitLetters | kBitNumberText);
    const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
    for (; i + 32 <= n; i += 32) {
        const __m256i now = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i - 1));
        const __m256i classNow = classes(now), classBefore = classes(before);
        // Of no quiet class; a letter after a letter or number; a digit or
        // dot after a letter (either side nonzero: their minimum is); a CR
        // not ending the line.
        const __m256i other = _mm256_cmpeq_epi8(classNow, _mm256_setzero_si256());
        const __m256i longName = _mm256_min_epu8(_mm256_and_si256(classNow, letters),
                                                 _mm256_and_si256(classBefore, wordText));
        const __m256i nameDigit = _mm256_min_epu8(_mm256_and_si256(classNow, numberText),
                                                  _mm256_and_si256(classBefore, letters));
        const __m256i strayCr =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(now, lf), _mm256_cmpeq_epi8(before, cr));
        const __m256i loud =
            _mm256_or_si256(_mm256_or_si256(other, longName), _mm256_or_si256(nameDigit, strayCr));
        if (!_mm256_testz_si256(loud, loud))
            break;
    }
    return i;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// The start of the first line at or after `at` (a line's start) that is not
// quiet, or the text's end.
std::size_t quietLinesEnd(std::string_view text, std::size_t at) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    const auto loudAt = [bytes, at](std::size_t i) {
        const std::uint8_t before = i > at ? kQuietClass[bytes[i - 1]] : std::uint8_t{kLineEnd};
        return kLoudPair[before * 8u + kQuietClass[bytes[i]]] != 0;
    };
    // Most lines that are not quiet say so within a few bytes: each byte's
    // class is looked up once, and the start of the line it is on kept.
    std::size_t i = at;
    const std::size_t head = std::min(n, at + 16);
    std::uint8_t before = kLineEnd;
    std::size_t lineStart = at;
    for (; i < head; ++i) {
        const std::uint8_t now = kQuietClass[bytes[i]];
        if (kLoudPair[before * 8u + now] != 0)
            return lineStart;
        if (now == kLineEnd)
            lineStart = i + 1;
        before = now;
    }
#if defined(__GNUC__) && defined(__x86_64__)
    if (hasAvx2())
        i = quietBlocks32(bytes, i, n);
#endif
#if defined(__GNUC__)
    while (i + 16 <= n && !loud16(bytes + i))
        i += 16;
#endif
    while (i < n && !loudAt(i))
        ++i;
    if (i >= n)
        return n;
    while (i > at && text[i - 1] != '\n')
        --i;
    return i;
}

// Reads the lines [start, end) of `ti86Text`, the first of them line
// `lineBase` + 1, a window of tokens at a time; `done` hears after each
// window, with its findings in order in facts.report.findings.
template <typename AfterPiece>
void readLines(std::string_view ti86Text, std::size_t start, std::size_t end, std::size_t lineBase,
               ProgramFacts& facts, Ti86Tokenized& window, AfterPiece&& done) {
    Ti86TokenStream stream(ti86Text.substr(start, end - start));
    facts.lineCursor = {lineBase + 1, start};
    window.tokens.clear();
    window.diagnostics.clear();
    std::size_t from = 0; // the first token not yet looked at
    std::size_t limit = kWindowTokens;
    bool startsStatement = true; // the window's first token begins a statement
    for (;;) {
        const bool ended = !stream.read(window, limit);
        const std::size_t upto = lookable(window.tokens, from, ended);
        if (upto == from && !ended) {
            // One statement that reads to its end fills the window: the
            // window grows to hold it.
            limit += kWindowTokens;
            continue;
        }
        // The tokens' lines count from the run's first line.
        Finder(ti86Text, window.tokens, facts, startsStatement, lineBase).run(from, upto);
        for (Diagnostic& d : window.diagnostics)
            d.line += lineBase;
        facts.report.textDiagnostics.insert(facts.report.textDiagnostics.end(),
                                            window.diagnostics.begin(), window.diagnostics.end());
        window.diagnostics.clear();
        done();
        if (ended)
            break;
        // The last token looked at stays, as the next one's neighbour, and
        // with it the start of its statement when that is short, for the
        // statement's tree.
        std::size_t keep = upto - 1;
        std::size_t begin = keep;
        while (begin > 0 && !endsTi86Statement(window.tokens[begin - 1]))
            --begin;
        startsStatement = (begin > 0 || startsStatement) && keep - begin < kWindowTokens;
        if (startsStatement)
            keep = begin;
        window.tokens.erase(window.tokens.begin(),
                            window.tokens.begin() + static_cast<std::ptrdiff_t>(keep));
        from = upto - keep;
        limit = std::max<std::size_t>(kWindowTokens, window.tokens.size() + kWindowTokens / 2);
    }
}

// Reads `ti86Text`: its quiet lines are passed over, the others read as
// tokens, each run of them on its own (a line end ends every statement).
template <typename AfterPiece>
void readInPieces(std::string_view ti86Text, ProgramFacts& facts, AfterPiece&& done) {
    facts.keyVariables = keyVariablesOf(ti86Text);
    Ti86Tokenized window;
    window.tokens.reserve(kWindowTokens + 1);
    std::size_t lines = 0;    // line ends before `at`
    std::size_t runStart = 0; // the lines not yet read, from line runLine + 1
    std::size_t runLine = 0;
    for (std::size_t at = 0; at < ti86Text.size();) {
        const std::size_t loud = quietLinesEnd(ti86Text, at);
        if (loud >= ti86Text.size()) {
            // Quiet to the end: its lines need no counting.
            if (loud > at && runStart < at)
                readLines(ti86Text, runStart, at, runLine, facts, window, done);
            if (loud > at)
                runStart = loud;
            break;
        }
        if (loud > at) {
            if (runStart < at)
                readLines(ti86Text, runStart, at, runLine, facts, window, done);
            lines += static_cast<std::size_t>(
                std::count(ti86Text.begin() + static_cast<std::ptrdiff_t>(at),
                           ti86Text.begin() + static_cast<std::ptrdiff_t>(loud), '\n'));
            runStart = loud;
            runLine = lines;
        }
        const std::size_t newline = ti86Text.find('\n', loud);
        at = newline == std::string_view::npos ? ti86Text.size() : newline + 1;
        lines += newline == std::string_view::npos ? 0 : 1;
    }
    if (runStart < ti86Text.size() || ti86Text.empty())
        readLines(ti86Text, runStart, ti86Text.size(), runLine, facts, window, done);
}

} // namespace

HandWorkReport findHandWork(std::string_view ti86Text) {
    ProgramFacts facts;
    readInPieces(ti86Text, facts, [] {});
    return facts.finish();
}

HandWorkCounts
findHandWorkInBatches(std::string_view ti86Text,
                      const std::function<void(std::span<const HandWorkFinding>)>& found) {
    ProgramFacts facts;
    HandWorkCounts counts;
    readInPieces(ti86Text, facts, [&] {
        facts.report.textDiagnostics.clear(); // not said here
        if (facts.found.empty())
            return;
        counts += countHandWork(facts.found);
        found(facts.found);
        facts.found.clear();
        facts.words.clear();
    });
    return counts;
}

HandWorkCounts findHandWork(std::string_view ti86Text,
                            const std::function<void(const Diagnostic&)>& finding) {
    Diagnostic d; // its message's room kept from one finding to the next
    return findHandWorkInBatches(ti86Text, [&](std::span<const HandWorkFinding> found) {
        for (const HandWorkFinding& f : found) {
            d.severity = diagnosticKind(f.id).severity;
            d.line = f.line;
            d.column = f.column;
            d.message.assign(f.message);
            d.id = f.id;
            finding(d);
        }
    });
}

HandWorkReport findHandWork(std::string_view ti86Text, const std::vector<Ti86Token>& tokens) {
    ProgramFacts facts;
    addKeyVariables(tokens, facts.keyVariables);
    Finder(ti86Text, tokens, facts).run();
    return facts.finish();
}

namespace {

// Room for aligning lines, kept from one line to the next.
struct AlignmentRoom {
    std::vector<std::uint32_t> common;
    std::vector<std::size_t> columns;
};

// The 1-based columns in `ti86Line` of every byte of `convertedLine`, into
// room.columns.
void alignColumns(std::string_view ti86Line, std::string_view convertedLine, AlignmentRoom& room) {
    const std::size_t n = ti86Line.size(), m = convertedLine.size();
    // Longest common subsequence of the two lines' ends, then one walk
    // from the front: a byte of the converted line that is not matched
    // stays with the TI-86 byte the walk is at, the start of what the rows
    // replaced there.
    std::vector<std::uint32_t>& common = room.common;
    if (common.size() < (n + 1) * (m + 1))
        common.resize((n + 1) * (m + 1));
    const auto at = [&](std::size_t a, std::size_t b) -> std::uint32_t& {
        return common[a * (m + 1) + b];
    };
    // Only the last row and column are read before they are written.
    for (std::size_t b = 0; b <= m; ++b)
        at(n, b) = 0;
    for (std::size_t a = 0; a < n; ++a)
        at(a, m) = 0;
    for (std::size_t a = n; a-- > 0;)
        for (std::size_t b = m; b-- > 0;)
            at(a, b) = ti86Line[a] == convertedLine[b] ? at(a + 1, b + 1) + 1
                                                       : std::max(at(a + 1, b), at(a, b + 1));
    room.columns.assign(m, 0);
    std::size_t a = 0, b = 0;
    while (b < m) {
        if (a < n && ti86Line[a] == convertedLine[b] && at(a, b) == at(a + 1, b + 1) + 1) {
            room.columns[b] = a + 1;
            ++a, ++b;
        } else if (a >= n || at(a, b + 1) >= at(a + 1, b)) {
            room.columns[b] = a + 1;
            ++b;
        } else {
            ++a;
        }
    }
}

// Where the bytes of one converted line stand in its TI-86 line. The
// alignment of the middle is made once, on the first column asked, and
// serves every finding of the line.
class LineAlignment {
public:
    LineAlignment(std::string_view ti86Line, std::string_view convertedLine, AlignmentRoom& room)
        : ti86_(ti86Line), converted_(convertedLine), room_(room) {
        const std::size_t n = ti86_.size(), m = converted_.size();
        // The rows change a few spots of a line; what the two lines share
        // at either end stays where it is, and only the part between is
        // aligned.
        while (prefix_ < n && prefix_ < m && ti86_[prefix_] == converted_[prefix_])
            ++prefix_;
        while (suffix_ < n - prefix_ && suffix_ < m - prefix_ &&
               ti86_[n - 1 - suffix_] == converted_[m - 1 - suffix_])
            ++suffix_;
    }

    std::size_t columnOf(std::size_t convertedColumn) {
        if (convertedColumn == 0)
            return 0;
        const std::size_t j = convertedColumn - 1;
        const std::size_t n = ti86_.size(), m = converted_.size();
        if (j >= m)
            return n + (j - m) + 1;
        if (j < prefix_)
            return j + 1;
        const std::size_t fromEnd = m - j; // >= 1
        if (fromEnd <= suffix_)
            return n - fromEnd + 1;
        const std::string_view ti86Middle = ti86_.substr(prefix_, n - prefix_ - suffix_);
        const std::string_view convertedMiddle = converted_.substr(prefix_, m - prefix_ - suffix_);
        if ((ti86Middle.size() + 1) * (convertedMiddle.size() + 1) > kMostAlignedPairs)
            return prefix_ + 1;
        if (!aligned_) {
            alignColumns(ti86Middle, convertedMiddle, room_);
            aligned_ = true;
        }
        return prefix_ + room_.columns[j - prefix_];
    }

private:
    std::string_view ti86_, converted_;
    AlignmentRoom& room_;
    std::size_t prefix_ = 0, suffix_ = 0;
    bool aligned_ = false;
};

} // namespace

std::size_t ti86ColumnOf(std::string_view ti86Line, std::string_view convertedLine,
                         std::size_t convertedColumn) {
    AlignmentRoom room;
    return LineAlignment(ti86Line, convertedLine, room).columnOf(convertedColumn);
}

Diagnostics placeInTi86Text(Diagnostics convertedFindings, std::string_view ti86Text,
                            std::string_view convertedText) {
    const std::vector<std::string_view> ti86Lines = linesOf(ti86Text);
    const std::vector<std::string_view> convertedLines = linesOf(convertedText);
    // A line's findings usually come together: its alignment is kept for
    // the next finding until another line's is needed.
    AlignmentRoom room;
    std::optional<LineAlignment> alignment;
    std::size_t alignedLine = 0;
    for (Diagnostic& d : convertedFindings) {
        if (d.line == 0 || d.line > ti86Lines.size() || d.line > convertedLines.size())
            continue;
        if (!alignment || alignedLine != d.line) {
            alignment.emplace(ti86Lines[d.line - 1], convertedLines[d.line - 1], room);
            alignedLine = d.line;
        }
        d.column = alignment->columnOf(d.column);
    }
    return convertedFindings;
}

Diagnostics mergeFindings(Diagnostics first, Diagnostics second) {
    // Both lists nearly always come sorted; merging them keeps the first
    // list's finding ahead of an equal one, as a stable sort of the two
    // would, without sorting what is in order already.
    for (Diagnostics* list : {&first, &second})
        if (!std::is_sorted(list->begin(), list->end(), ProgramFacts::before))
            std::stable_sort(list->begin(), list->end(), ProgramFacts::before);
    Diagnostics merged;
    merged.reserve(first.size() + second.size());
    std::merge(std::make_move_iterator(first.begin()), std::make_move_iterator(first.end()),
               std::make_move_iterator(second.begin()), std::make_move_iterator(second.end()),
               std::back_inserter(merged), ProgramFacts::before);
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [](const Diagnostic& a, const Diagnostic& b) {
                                 return a.line != 0 && a.line == b.line && a.column == b.column;
                             }),
                 merged.end());
    return merged;
}

void mergeFindings(HandWorkReport& report, Diagnostics&& more) {
    report.findings = mergeFindings(std::move(report.findings), std::move(more));
    report.counts = countHandWork(report.findings);
}

namespace {

HandWorkCounts countsOf(const std::array<std::size_t, kDiagnosticGroups>& n) {
    const auto of = [&n](DiagnosticGroup g) { return n[static_cast<std::size_t>(g)]; };
    HandWorkCounts c;
    c.labels = of(DiagnosticGroup::Labels);
    c.names = of(DiagnosticGroup::Names);
    c.programCalls = of(DiagnosticGroup::ProgramCalls);
    c.menus = of(DiagnosticGroup::Menus);
    c.delVars = of(DiagnosticGroup::DelVars);
    c.noCounterpart = of(DiagnosticGroup::NoCounterpart);
    c.equations = of(DiagnosticGroup::Equations);
    c.rowWrites = of(DiagnosticGroup::RowWrites);
    c.offScreen = of(DiagnosticGroup::OffScreen);
    c.keyCodes = of(DiagnosticGroup::KeyCodes);
    c.other = of(DiagnosticGroup::Other);
    return c;
}

} // namespace

HandWorkCounts countHandWork(const Diagnostics& findings) {
    std::array<std::size_t, kDiagnosticGroups> n{};
    for (const Diagnostic& d : findings)
        ++n[static_cast<std::size_t>(diagnosticGroupOf(d))];
    return countsOf(n);
}

HandWorkCounts countHandWork(std::span<const HandWorkFinding> findings) {
    std::array<std::size_t, kDiagnosticGroups> n{};
    for (const HandWorkFinding& f : findings)
        ++n[static_cast<std::size_t>(diagnosticKind(f.id).group)];
    return countsOf(n);
}

std::string_view FindingWords::keep(std::string_view words) {
    if (words.empty())
        return {};
    if (!started_ || used_ + words.size() > chunks_[current_].size) {
        // The next chunk, kept from before when it is large enough; a full
        // chunk stays where it is, and so do the words kept in it.
        const std::size_t next = started_ ? current_ + 1 : 0;
        if (next >= chunks_.size() || chunks_[next].size < words.size()) {
            const std::size_t size = std::max(kChunk, words.size());
            chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(next),
                           Chunk{std::make_unique<char[]>(size), size});
        }
        current_ = next;
        used_ = 0;
        started_ = true;
    }
    char* at = chunks_[current_].bytes.get() + used_;
    std::memcpy(at, words.data(), words.size());
    used_ += words.size();
    return {at, words.size()};
}

void FindingWords::clear() {
    started_ = false;
    used_ = 0;
}

void mergeFindings(HandWorkReport& report, const Diagnostics& more) {
    mergeFindings(report, Diagnostics(more));
}

std::string handWorkSummary(const HandWorkCounts& c) {
    const std::pair<std::size_t, std::array<const char*, 3>> parts[] = {
        {c.labels, {"use of a label", "uses of labels", " to shorten"}},
        {c.names, {"use of a name", "uses of names", " to rename"}},
        {c.programCalls, {"program call", "program calls", " to write with prgm"}},
        {c.menus, {"menu", "menus", " to rewrite"}},
        {c.delVars, {"DelVar", "DelVars", " to fix"}},
        {c.noCounterpart, {"command", "commands", " with no TI-83 Plus counterpart"}},
        {c.equations, {"equation", "equations", " to rewrite"}},
        {c.rowWrites, {"converted command", "converted commands", " to correct"}},
        {c.offScreen, {"coordinate", "coordinates", " off the screen"}},
        {c.keyCodes, {"key code", "key codes", " to renumber"}},
        {c.other, {"other warning", "other warnings", ""}},
    };
    std::string out;
    for (const auto& [n, words] : parts) {
        if (n == 0)
            continue;
        if (!out.empty())
            out += ", ";
        out += plural(n, words[0], words[1], words[2]);
    }
    return out;
}

} // namespace kalvo::calc
