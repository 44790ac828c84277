// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/program/Syntax.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace kalvo::calc {

namespace {

bool is(const Ti86Token& t, std::uint16_t code) {
    return t.known && t.code == code;
}

bool separates(const Ti86Token& t) {
    return is(t, ti86::Colon) || is(t, ti86::Newline);
}

// The TI-86 order of operations, as its guidebook's table gives it, from the
// loosest: a store; "=" storing an equation; or and xor; and; the
// comparisons; + and -; * and / with implied multiplication (one level, left
// to right: 1/2A is (1/2)A); nPr and nCr; then the functions written before
// their operand; then ^ and ˣ√ (left to right); then the operators written
// after it. Sure for the levels the table names; likely for where "→" and
// "=" sit (below everything, as they end what they store) and for ∠, read
// with "=" as it joins two whole values. The display conversions (▶Frac,
// ▶DMS, ▶Hex...) apply to all that comes before them, just above a store:
// likely, as the TI-83 Plus takes them only at the end of a value; the
// table's "conversions" among the operators after an operand are taken to
// be the unit conversions.
enum Level : int {
    kNone = 0,
    kStore = 1,
    kConvert = 2,
    kAssign = 3,
    kOr = 4,
    kAnd = 5,
    kCompare = 6,
    kAdd = 7,
    kMultiply = 8,
    kCombine = 9,
    kPower = 10,
};

int levelOf(const Ti86Token& t) {
    if (!t.known)
        return kNone;
    switch (t.code) {
    case ti86::Store:
        return kStore;
    case ti86::Assign:
    case ti86::AngleSign:
        return kAssign;
    case ti86::Or:
    case ti86::Xor:
        return kOr;
    case ti86::And:
        return kAnd;
    case ti86::Plus:
    case ti86::Minus:
        return kAdd;
    case ti86::Times:
    case ti86::Divide:
        return kMultiply;
    case ti86::NPr:
    case ti86::NCr:
        return kCombine;
    case ti86::Power:
    case ti86::XRoot:
        return kPower;
    default:
        return ti86Has(t.code, ti86flag::Comparison) ? kCompare : kNone;
    }
}

bool displayConversion(const Ti86Token& t) {
    return t.known && t.code >= ti86::ToRec && t.code <= ti86::ToFrac;
}

// Written after the operand, the guidebook's first level.
bool postfixOperator(const Ti86Token& t) {
    if (!t.known)
        return false;
    switch (t.code) {
    case ti86::Conversion:
    case ti86::Percent:
    case ti86::Factorial:
    case ti86::RadianMark:
    case ti86::DegreeMark:
    case ti86::Inverse:
    case ti86::Square:
    case ti86::Transpose:
        return true;
    default:
        return false;
    }
}

bool isName(const Ti86Token& t) {
    return t.known && t.code >= ti86::BuiltinName && t.code <= ti86::StatName;
}

bool closes(const Ti86Token& t) {
    return is(t, ti86::RParen) || is(t, ti86::RBrace) || is(t, ti86::RBracket);
}

// A statement's command: Disp, If, Input, Lbl...
bool command(const Ti86Token& t) {
    const Ti86TokenInfo* info = t.known ? ti86TokenInfo(t.code) : nullptr;
    return info != nullptr && info->spacing == Ti86Spacing::Command;
}

bool prefixFunction(const Ti86Token& t) {
    if (!t.known)
        return false;
    if (t.code == ti86::Sqrt || t.code == ti86::Negate || t.code == ti86::EPower ||
        t.code == ti86::TenPower)
        return true;
    const Ti86TokenInfo* info = ti86TokenInfo(t.code);
    return info != nullptr && info->spacing == Ti86Spacing::Prefix;
}

// What the reader asks of every token, worked out once for each code: the
// questions above are asked of each token several times.
struct TokenClass {
    std::uint8_t level = kNone;
    bool operand = false; // starts an operand
    bool prefix = false;
    bool postfix = false;
    bool conversion = false;
    bool command = false;
};

const TokenClass& classOf(const Ti86Token& t) {
    static const std::vector<TokenClass> table = [] {
        std::vector<TokenClass> out(3 * 256 + 1);
        for (const Ti86TokenInfo& info : ti86Tokens()) {
            Ti86Token k;
            k.code = info.code;
            const unsigned high = info.code >> 8;
            TokenClass& c = out[(high == 0 ? 0 : high == 0x3D ? 1 : 2) * 256 + (info.code & 0xFF)];
            c.level = static_cast<std::uint8_t>(levelOf(k));
            c.prefix = prefixFunction(k);
            c.postfix = postfixOperator(k);
            c.conversion = displayConversion(k);
            c.command = command(k);
            c.operand = !separates(k) && !closes(k) && !is(k, ti86::Comma) && c.level == kNone &&
                        !c.postfix && !c.conversion && !c.command;
        }
        return out;
    }();
    const unsigned high = t.code >> 8;
    const int page = high == 0 ? 0 : high == 0x3D ? 1 : high == 0x8E ? 2 : -1;
    if (!t.known || page < 0)
        return table.back(); // nothing
    return table[static_cast<std::size_t>(page) * 256 + (t.code & 0xFF)];
}

int binaryLevel(const Ti86Token& t) {
    return classOf(t).level;
}
bool isPostfix(const Ti86Token& t) {
    return classOf(t).postfix;
}
bool isDisplayConversion(const Ti86Token& t) {
    return classOf(t).conversion;
}
bool isCommand(const Ti86Token& t) {
    return classOf(t).command;
}
bool startsOperand(const Ti86Token& t) {
    return classOf(t).operand;
}

// Before "(", a call's name: a function's, a command's, or a name's (a list
// element, an equation's value). A constant before "(" multiplies.
bool callsWithParen(const Ti86Token& t) {
    return isName(t) ||
           (!ti86Has(t.code, ti86flag::Value) && !is(t, ti86::Negate) && !is(t, ti86::String) &&
            !is(t, ti86::LParen) && !is(t, ti86::LBrace) && !is(t, ti86::LBracket));
}

// Brackets nested deeper than this read as one unparsed run to the
// statement's end: the reader recurses once per level.
constexpr int kMaxDepth = 200;

} // namespace

bool isTi86PrefixFunction(const Ti86Token& t) {
    return classOf(t).prefix;
}

bool isTi86UserName(const Ti86Token& t) {
    if (!t.known)
        return false;
    if (t.code >= ti86::Name1 && t.code <= ti86::Name8)
        return true;
    if (t.code != ti86::BuiltinName)
        return false;
    // The calculator's own names carried by this code (x, y, Q1...), sorted,
    // and the characters they begin with: most names the program chose
    // begin with another.
    struct Own {
        std::vector<std::string> names;
        bool first[256] = {};
    };
    static const Own own = [] {
        Own out;
        for (const Ti86BuiltinName& b : ti86BuiltinNames())
            if (b.code == ti86::BuiltinName && !b.name.empty()) {
                out.names.push_back(b.name);
                out.first[static_cast<std::uint8_t>(b.name[0])] = true;
            }
        std::sort(out.names.begin(), out.names.end());
        return out;
    }();
    if (!t.data.empty() && !own.first[static_cast<std::uint8_t>(t.data[0])])
        return true;
    return !std::binary_search(own.names.begin(), own.names.end(), t.data);
}

class SyntaxReader {
public:
    SyntaxReader(Ti86Syntax& s) : s_(s), t_(*s.tokens_) {}

    void read(std::size_t from, std::size_t to) {
        const std::size_t n = t_.size();
        const std::size_t base = s_.base_ = from;
        const std::size_t whole = to >= n ? n - from : to - from + 1; // with a last separator
        s_.statementOfToken_.assign(whole, 0);
        s_.headOf_.assign(whole, kNoNode);
        s_.nodes_.reserve(whole + whole / 2 + 1);
        for (std::size_t first = from;;) {
            const auto index = static_cast<std::uint32_t>(s_.statements_.size());
            std::size_t end = first;
            for (; end < n && !separates(t_[end]); ++end) {
                if (end - base >= s_.statementOfToken_.size()) { // a statement past `to`
                    s_.statementOfToken_.resize(end - base + 1);
                    s_.headOf_.resize(end - base + 1, kNoNode);
                }
                s_.statementOfToken_[end - base] = index;
                const Ti86Token& t = t_[end];
                if (is(t, ti86::Lbl) || is(t, ti86::Goto) || is(t, ti86::Menu) ||
                    is(t, ti86::GetKy))
                    s_.marked_.push_back(static_cast<std::uint32_t>(end));
            }
            if (end < n) {
                if (end - base >= s_.statementOfToken_.size()) {
                    s_.statementOfToken_.resize(end - base + 1);
                    s_.headOf_.resize(end - base + 1, kNoNode);
                }
                s_.statementOfToken_[end - base] = index;
            }
            s_.statements_.push_back(statement(first, end));
            if (end >= n || end + 1 >= to)
                break;
            first = end + 1;
        }
    }

private:
    std::uint32_t add(SyntaxKind kind, std::size_t first, std::size_t last, std::uint8_t form = 0) {
        SyntaxNode node;
        node.first = static_cast<std::uint32_t>(first);
        node.last = static_cast<std::uint32_t>(last);
        node.kind = kind;
        node.form = form;
        s_.nodes_.push_back(node);
        return static_cast<std::uint32_t>(s_.nodes_.size() - 1);
    }

    // Children in order; kNoNode among them is skipped.
    void adopt(std::uint32_t parent, std::initializer_list<std::uint32_t> children) {
        adopt(parent, children.begin(), children.end());
    }
    void adopt(std::uint32_t parent, const std::uint32_t* from, const std::uint32_t* to) {
        std::uint32_t* link = &s_.nodes_[parent].child;
        for (; from != to; ++from)
            if (*from != kNoNode) {
                *link = *from;
                link = &s_.nodes_[*from].next;
            }
    }
    // The children pushed on scratch_ since `mark`, taken off it.
    void adoptFrom(std::uint32_t parent, std::size_t mark) {
        adopt(parent, scratch_.data() + mark, scratch_.data() + scratch_.size());
        scratch_.resize(mark);
    }

    SyntaxNode& at(std::uint32_t n) { return s_.nodes_[n]; }
    bool ended() const { return pos_ >= end_; }
    const Ti86Token& here() const { return t_[pos_]; }

    std::uint32_t statement(std::size_t first, std::size_t end) {
        pos_ = first;
        end_ = end;
        open_[0] = open_[1] = open_[2] = 0;
        depth_ = 0;
        StatementForm form = StatementForm::Empty;
        std::uint32_t body = kNoNode;
        if (first < end) {
            const Ti86Token& head = t_[first];
            if (is(head, ti86::Lbl) || is(head, ti86::Goto)) {
                form = is(head, ti86::Lbl) ? StatementForm::Label : StatementForm::Goto;
                ++pos_;
                body = items(nullptr, false);
            } else if (isCommand(head)) {
                form = StatementForm::Command;
                ++pos_;
                const std::size_t args = list(nullptr);
                body = add(SyntaxKind::Command, first, end);
                adoptFrom(body, args);
            } else {
                body = items(nullptr, false);
                form = formOf(body);
            }
        }
        const std::uint32_t st =
            add(SyntaxKind::Statement, first, end, static_cast<std::uint8_t>(form));
        adopt(st, {body});
        return st;
    }

    StatementForm formOf(std::uint32_t body) {
        const SyntaxNode& b = at(body);
        const Ti86Token& head = t_[b.first];
        switch (b.kind) {
        case SyntaxKind::Leaf:
            return isTi86UserName(head) ? StatementForm::ProgramCall : StatementForm::Expression;
        case SyntaxKind::Call:
            if (is(head, ti86::Menu))
                return StatementForm::Menu;
            return ti86Has(head.code, ti86flag::HomeCoordinates | ti86flag::GraphCoordinates)
                       ? StatementForm::Coordinates
                       : StatementForm::Expression;
        case SyntaxKind::Binary: {
            const Ti86Token& op = t_[at(b.child).last];
            if (is(op, ti86::Store))
                return StatementForm::Store;
            if (is(op, ti86::Assign) && at(b.child).kind == SyntaxKind::Leaf && isName(head))
                return StatementForm::Equation;
            return StatementForm::Expression;
        }
        default:
            return StatementForm::Expression;
        }
    }

    // The index in open_ of a closing bracket, or -1.
    static int bracketOf(const Ti86Token& t) {
        return is(t, ti86::RParen) ? 0 : is(t, ti86::RBrace) ? 1 : is(t, ti86::RBracket) ? 2 : -1;
    }

    // Where a run of items stops: the statement's end, the bracket being
    // read, a comma between arguments, or a bracket that closes an outer
    // one (which leaves this one unclosed).
    bool stops(const Ti86Token* closer, bool atComma) const {
        if (ended())
            return true;
        const Ti86Token& t = here();
        if (closer != nullptr && is(t, closer->code))
            return true;
        if (atComma && is(t, ti86::Comma))
            return true;
        const int b = bracketOf(t);
        return b >= 0 && open_[b] > 0;
    }

    // One expression, or the pieces of what is not one as an Unparsed node;
    // kNoNode when nothing comes before the stop.
    std::uint32_t items(const Ti86Token* closer, bool atComma) {
        const std::size_t first = pos_;
        const std::size_t mark = scratch_.size();
        bool stray = false;
        while (!stops(closer, atComma)) {
            if (startsOperand(here())) {
                const std::uint32_t piece = expression();
                scratch_.push_back(piece);
            } else {
                stray = true;
                ++pos_;
            }
        }
        if (!stray && scratch_.size() - mark <= 1) {
            const std::uint32_t only = scratch_.size() > mark ? scratch_.back() : kNoNode;
            scratch_.resize(mark);
            return only;
        }
        const std::uint32_t run = add(SyntaxKind::Unparsed, first, pos_);
        adoptFrom(run, mark);
        return run;
    }

    // Items split at commas; an argument left out next to a comma is an
    // Empty node, so that arguments keep their places.
    // They are pushed on scratch_ from the mark returned.
    std::size_t list(const Ti86Token* closer) {
        const std::size_t mark = scratch_.size();
        bool afterComma = false;
        for (;;) {
            const std::uint32_t item = items(closer, true);
            const bool comma = !ended() && is(here(), ti86::Comma);
            if (item != kNoNode)
                scratch_.push_back(item);
            else if (comma || afterComma)
                scratch_.push_back(add(SyntaxKind::Empty, pos_, pos_));
            if (!comma)
                return mark;
            ++pos_;
            afterComma = true;
        }
    }

    std::uint32_t expression() { return binary(kStore); }

    // Precedence climbing over binaryLevel(); two operands side by side
    // multiply, at the level of *.
    std::uint32_t binary(int lowest) {
        std::uint32_t left = postfix();
        while (!ended()) {
            if (isDisplayConversion(here())) {
                if (lowest > kConvert)
                    break;
                const std::uint32_t p = add(SyntaxKind::Postfix, at(left).first, ++pos_);
                adopt(p, {left});
                left = p;
                continue;
            }
            int level = binaryLevel(here());
            const bool implied = level == kNone && startsOperand(here());
            if (implied)
                level = kMultiply;
            if (level == kNone || level < lowest)
                break;
            const std::size_t first = at(left).first;
            if (implied) {
                const std::uint32_t right = binary(kMultiply + 1);
                left = join(SyntaxKind::Implied, first, at(right).last, left, right);
                continue;
            }
            const std::size_t op = pos_++;
            std::uint32_t right = kNoNode;
            if (!ended() && startsOperand(here()))
                // A store's target and a power's exponent are one operand
                // each: A→B+1 adds to what was stored (unsure what the TI-86
                // does there), 2^3^2 is (2^3)^2.
                right = level == kStore || level == kPower ? postfix() : binary(level + 1);
            left = join(SyntaxKind::Binary, first, right == kNoNode ? op + 1 : at(right).last, left,
                        right);
        }
        return left;
    }

    std::uint32_t join(SyntaxKind kind, std::size_t first, std::size_t last, std::uint32_t left,
                       std::uint32_t right) {
        const std::uint32_t n = add(kind, first, last);
        adopt(n, {left, right});
        return n;
    }

    std::uint32_t postfix() {
        std::uint32_t n = unary();
        while (!ended() && isPostfix(here())) {
            const std::size_t first = at(n).first;
            const std::uint32_t p = add(SyntaxKind::Postfix, first, ++pos_);
            adopt(p, {n});
            n = p;
        }
        return n;
    }

    // A function written before its operand without "(" takes the operand
    // up to the next operator looser than ^: sin A²+1 is sin(A²)+1, 2sin A
    // is 2(sin A), sin 2A is (sin 2)A, and sin fPart ln 8 nests (sure for
    // the guidebook's levels; likely for negation, which it does not
    // place, taken with the functions). With "(" right after it, the
    // parenthesis is the function's own: sin(A)² squares the sine (unsure
    // on the TI-86, where "(" is a token of its own; the TI-83 Plus reads
    // it so).
    std::uint32_t unary() {
        if (depth_ > kMaxDepth) {
            const std::uint32_t run = add(SyntaxKind::Unparsed, pos_, end_);
            pos_ = end_;
            return run;
        }
        const Ti86Token& t = here();
        const bool ownParen = pos_ + 1 < end_ && is(t_[pos_ + 1], ti86::LParen);
        if (isTi86PrefixFunction(t) && !(ownParen && !is(t, ti86::Negate))) {
            const std::size_t head = pos_++;
            ++depth_;
            const std::uint32_t operand =
                !ended() && startsOperand(here()) ? binary(kPower) : kNoNode;
            --depth_;
            const std::uint32_t n =
                add(SyntaxKind::Prefix, head, operand == kNoNode ? head + 1 : at(operand).last);
            adopt(n, {operand});
            s_.headOf_[head - s_.base_] = n;
            return n;
        }
        return primary();
    }

    std::uint32_t primary() {
        const Ti86Token& t = here();
        if (is(t, ti86::LParen))
            return bracket(SyntaxKind::Group, pos_, 0);
        if (is(t, ti86::LBrace))
            return bracket(SyntaxKind::List, pos_, 1);
        if (is(t, ti86::LBracket))
            return pos_ + 1 < end_ && is(t_[pos_ + 1], ti86::LBracket)
                       ? matrix()
                       : bracket(SyntaxKind::Vector, pos_, 2);
        if (pos_ + 1 < end_ && is(t_[pos_ + 1], ti86::LParen) && callsWithParen(t)) {
            ++pos_;
            return bracket(SyntaxKind::Call, pos_ - 1, 0);
        }
        const std::uint32_t leaf = add(SyntaxKind::Leaf, pos_, pos_ + 1);
        ++pos_;
        return leaf;
    }

    static const Ti86Token& closer(int b) {
        static const Ti86Token kClosers[3] = {[] {
                                                  Ti86Token t;
                                                  t.code = ti86::RParen;
                                                  return t;
                                              }(),
                                              [] {
                                                  Ti86Token t;
                                                  t.code = ti86::RBrace;
                                                  return t;
                                              }(),
                                              [] {
                                                  Ti86Token t;
                                                  t.code = ti86::RBracket;
                                                  return t;
                                              }()};
        return kClosers[b];
    }

    // pos_ at the opening bracket; `first` the node's first token (a call's
    // name, or the bracket).
    std::uint32_t bracket(SyntaxKind kind, std::size_t first, int b) {
        ++pos_;
        ++open_[b];
        ++depth_;
        const std::size_t args = list(&closer(b));
        --depth_;
        --open_[b];
        const bool closed = !ended() && is(here(), closer(b).code);
        if (closed)
            ++pos_;
        const std::uint32_t n = add(kind, first, pos_, closed ? 1 : 0);
        adoptFrom(n, args);
        if (kind == SyntaxKind::Call || kind == SyntaxKind::Group)
            s_.headOf_[first - s_.base_] = n;
        return n;
    }

    // [[1,2][3,4]]: rows side by side, read as rows rather than multiplied.
    std::uint32_t matrix() {
        const std::size_t first = pos_++;
        ++open_[2];
        ++depth_;
        const std::size_t rows = scratch_.size();
        while (!ended() && !is(here(), ti86::RBracket)) {
            if (is(here(), ti86::LBracket)) {
                const std::uint32_t row = bracket(SyntaxKind::Vector, pos_, 2);
                scratch_.push_back(row);
                continue;
            }
            const std::size_t before = pos_;
            if (const std::uint32_t piece = items(&closer(2), false); piece != kNoNode)
                scratch_.push_back(piece);
            if (pos_ == before)
                break; // a bracket closing an outer one
        }
        --depth_;
        --open_[2];
        const bool closed = !ended() && is(here(), ti86::RBracket);
        if (closed)
            ++pos_;
        const std::uint32_t n = add(SyntaxKind::Matrix, first, pos_, closed ? 1 : 0);
        adoptFrom(n, rows);
        return n;
    }

    Ti86Syntax& s_;
    const std::vector<Ti86Token>& t_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int open_[3] = {0, 0, 0};            // brackets being read: ( { [
    std::vector<std::uint32_t> scratch_; // children read, not yet adopted
    int depth_ = 0;
};

Ti86Syntax::Ti86Syntax(const std::vector<Ti86Token>& tokens) : tokens_(&tokens) {
    SyntaxReader(*this).read(0, tokens.size() + 1); // with the empty statement after a last ":"
}

Ti86Syntax::Ti86Syntax(const std::vector<Ti86Token>& tokens, std::size_t first, std::size_t last)
    : tokens_(&tokens) {
    SyntaxReader(*this).read(std::min(first, tokens.size()), std::max(first, last));
}

std::vector<std::uint32_t> Ti86Syntax::children(std::uint32_t n) const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t c = nodes_[n].child; c != kNoNode; c = nodes_[c].next)
        out.push_back(c);
    return out;
}

std::size_t Ti86Syntax::opToken(std::uint32_t n) const {
    const SyntaxNode& node = nodes_[n];
    if (node.kind == SyntaxKind::Binary)
        return nodes_[node.child].last;
    if (node.kind == SyntaxKind::Postfix)
        return node.last - 1;
    return node.first;
}

std::uint32_t Ti86Syntax::headAt(std::size_t token, SyntaxKind kind) const {
    const std::uint32_t n =
        token >= base_ && token - base_ < headOf_.size() ? headOf_[token - base_] : kNoNode;
    return n != kNoNode && nodes_[n].kind == kind ? n : kNoNode;
}

std::uint32_t Ti86Syntax::prefixAt(std::size_t token) const {
    return headAt(token, SyntaxKind::Prefix);
}

std::uint32_t Ti86Syntax::callAt(std::size_t token) const {
    return headAt(token, SyntaxKind::Call);
}

std::uint32_t Ti86Syntax::groupAt(std::size_t token) const {
    return headAt(token, SyntaxKind::Group);
}

namespace {

void printNode(const Ti86Syntax& s, std::uint32_t n, std::vector<std::size_t>& out) {
    const SyntaxNode& node = s.node(n);
    std::size_t at = node.first;
    for (std::uint32_t c = node.child; c != kNoNode; c = s.node(c).next) {
        for (; at < s.node(c).first; ++at)
            out.push_back(at);
        printNode(s, c, out);
        at = s.node(c).last;
    }
    for (; at < node.last; ++at)
        out.push_back(at);
}

} // namespace

std::vector<std::size_t> Ti86Syntax::printBack() const {
    std::vector<std::size_t> out;
    out.reserve(tokens_->size());
    for (const std::uint32_t st : statements_) {
        printNode(*this, st, out);
        if (nodes_[st].last < tokens_->size())
            out.push_back(nodes_[st].last);
    }
    return out;
}

} // namespace kalvo::calc
