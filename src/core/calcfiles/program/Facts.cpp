// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/program/Facts.h"

#include <algorithm>
#include <cstdlib>

namespace kalvo::calc {

namespace {

bool is(const Ti86Token& t, std::uint16_t code) {
    return t.known && t.code == code;
}

// Functions whose operand is known to be of one kind.
unsigned operandKind(const Ti86Token& t) {
    if (!t.known)
        return 0;
    return ti86Has(t.code, ti86flag::ListArgument)     ? ti86kind::List
           : ti86Has(t.code, ti86flag::StringArgument) ? ti86kind::String
           : ti86Has(t.code, ti86flag::MatrixArgument) ? ti86kind::Matrix
                                                       : 0u;
}

// What a function gives, when its kind does not follow its operands'.
unsigned resultKind(const Ti86Token& t) {
    if (!t.known)
        return 0;
    switch (t.code) {
    case ti86::Sub:
    case ti86::EqToSt:
        return ti86kind::String;
    case ti86::Seq:
    case ti86::SortA:
    case ti86::SortD:
    case ti86::CSum:
    case ti86::CSumRepeat:
    case ti86::DeltaLst:
        return ti86kind::List;
    case ti86::RandM:
    case ti86::Ident:
    case ti86::Aug:
    case ti86::Ref:
    case ti86::Rref:
        return ti86kind::Matrix;
    default:
        return 0;
    }
}

} // namespace

Ti86Facts::Ti86Facts(const Ti86Syntax& syntax) : syntax_(&syntax) {
    const Ti86Syntax& s = syntax;
    const std::vector<Ti86Token>& t = s.tokens();
    // Menus, labels and getKy from the tokens the tree marked, in order.
    bool anyKey = false;
    for (const std::uint32_t i : s.marked()) {
        if (is(t[i], ti86::Lbl))
            labels_.push_back({i, LabelUse::Definition});
        else if (is(t[i], ti86::Goto))
            labels_.push_back({i, LabelUse::Goto});
        else if (is(t[i], ti86::GetKy))
            anyKey = true;
        else if (const std::uint32_t call = s.callAt(i); call != kNoNode && readMenu(call))
            for (const Ti86MenuChoice& c : menus_.back().choices) {
                labels_.push_back({c.label, LabelUse::MenuChoice});
                if (menuLabels_.empty())
                    menuLabels_.assign(t.size(), false);
                menuLabels_[c.label] = true;
            }
    }
    if (!anyKey)
        return;
    for (const std::uint32_t i : s.marked()) {
        // getKy→K, a statement of its own.
        const std::uint32_t st = s.statementOf(i);
        if (!is(t[i], ti86::GetKy) || s.node(st).statement() != StatementForm::Store)
            continue;
        const std::uint32_t from = s.node(s.body(st)).child;
        const std::uint32_t to = s.node(from).next;
        if (s.node(from).kind == SyntaxKind::Leaf && s.node(from).first == i && to != kNoNode &&
            s.node(to).kind == SyntaxKind::Leaf && isTi86UserName(t[s.node(to).first]))
            keyVariables_.insert(std::string(t[s.node(to).first].data));
    }
    for (std::uint32_t n = 0; n < s.size(); ++n) {
        const SyntaxNode& node = s.node(n);
        if (node.kind != SyntaxKind::Binary || node.child == kNoNode)
            continue;
        const Ti86Token& op = t[s.opToken(n)];
        const std::uint32_t left = node.child, right = s.node(left).next;
        if (!(is(op, ti86::Equal) || is(op, ti86::NotEqual)) || right == kNoNode)
            continue;
        for (const auto& [key, number] : {std::pair{left, right}, std::pair{right, left}}) {
            const SyntaxNode& lit = s.node(number);
            if (!isKey(key) || lit.kind != SyntaxKind::Leaf || !is(t[lit.first], ti86::Number))
                continue;
            char* stop = nullptr;
            const std::string digits(t[lit.first].data);
            const long value = std::strtol(digits.c_str(), &stop, 10);
            if (stop != nullptr && *stop == '\0' && !digits.empty())
                keyComparisons_.push_back({s.node(key).first, lit.first, value});
        }
    }
    std::sort(keyComparisons_.begin(), keyComparisons_.end(),
              [](const Ti86KeyComparison& a, const Ti86KeyComparison& b) {
                  return a.literal < b.literal;
              });
}

std::string_view Ti86Facts::labelName(const Ti86LabelPlace& p) const {
    return syntax_->tokens()[p.token].data;
}

const Ti86Menu* Ti86Facts::menu(std::size_t token) const {
    const auto hit = std::lower_bound(menus_.begin(), menus_.end(), token,
                                      [](const Ti86Menu& m, std::size_t k) { return m.menu < k; });
    return hit != menus_.end() && hit->menu == token ? &*hit : nullptr;
}

bool Ti86Facts::isMenuLabel(std::size_t token) const {
    // Asked of every token: most programs have no menu.
    return token < menuLabels_.size() && menuLabels_[token];
}

const std::map<std::string, std::vector<Ti86KindPlace>, std::less<>>& Ti86Facts::kinds() const {
    if (!kindsRead_) {
        // Read when first asked: most programs' translation never asks.
        auto& self = const_cast<Ti86Facts&>(*this);
        for (const std::uint32_t st : syntax_->statements())
            self.readKinds(st);
        self.kindsRead_ = true;
    }
    return kinds_;
}

unsigned Ti86Facts::kindsOf(std::string_view name) const {
    unsigned out = 0;
    if (const auto hit = kinds().find(name); hit != kinds_.end())
        for (const Ti86KindPlace& p : hit->second)
            out |= p.kind;
    return out;
}

// Menu(n,"text",label,...) up to the statement's end: each choice three
// arguments of one token each.
bool Ti86Facts::readMenu(std::uint32_t call) {
    const Ti86Syntax& s = *syntax_;
    const std::vector<Ti86Token>& t = s.tokens();
    const SyntaxNode& node = s.node(call);
    if (node.last != s.node(s.statementOf(node.first)).last)
        return false;
    const std::vector<std::uint32_t> args = s.children(call);
    if (args.empty() || args.size() % 3 != 0)
        return false;
    const auto one = [&](std::uint32_t a, bool (*ok)(const Ti86Token&)) {
        return s.node(a).kind == SyntaxKind::Leaf && ok(t[s.node(a).first]);
    };
    Ti86Menu m;
    m.menu = node.first;
    for (std::size_t k = 0; k < args.size(); k += 3) {
        if (!one(args[k], [](const Ti86Token& x) { return is(x, ti86::Number); }) ||
            !one(args[k + 1], [](const Ti86Token& x) { return is(x, ti86::String); }) ||
            !one(args[k + 2], isTi86UserName))
            return false;
        m.choices.push_back(
            {s.node(args[k]).first, s.node(args[k + 1]).first, s.node(args[k + 2]).first});
    }
    m.closed = node.closed();
    m.close = m.closed ? node.last - 1 : node.last;
    menus_.push_back(std::move(m));
    return true;
}

bool Ti86Facts::isKey(std::uint32_t node) const {
    const SyntaxNode& n = syntax_->node(node);
    if (n.kind != SyntaxKind::Leaf)
        return false;
    const Ti86Token& t = syntax_->tokens()[n.first];
    return is(t, ti86::GetKy) || (isTi86UserName(t) && keyVariables_.count(t.data) != 0);
}

void Ti86Facts::tell(std::uint32_t node, unsigned kind) {
    if (node == kNoNode || kind == 0)
        return;
    const SyntaxNode& n = syntax_->node(node);
    const Ti86Token& t = syntax_->tokens()[n.first];
    if (n.kind == SyntaxKind::Leaf && isTi86UserName(t))
        kinds_[std::string(t.data)].push_back({n.first, kind});
}

// The kind of what an expression gives, as far as its form tells; 0 when
// it does not (a name's value, a function of unknown kind).
unsigned Ti86Facts::valueKind(std::uint32_t node) const {
    const Ti86Syntax& s = *syntax_;
    const SyntaxNode& n = s.node(node);
    const Ti86Token& head = s.tokens()[n.first];
    switch (n.kind) {
    case SyntaxKind::Leaf:
        if (is(head, ti86::String))
            return ti86kind::String;
        // A number or a constant; a name's kind is its own.
        return head.known && ti86Has(head.code, ti86flag::Value) &&
                       !(head.code >= ti86::BuiltinName && head.code <= ti86::StatName)
                   ? ti86kind::Real
                   : 0u;
    case SyntaxKind::List:
        return ti86kind::List;
    case SyntaxKind::Vector:
        return ti86kind::Vector;
    case SyntaxKind::Matrix:
        return ti86kind::Matrix;
    case SyntaxKind::Group:
        return n.child != kNoNode && s.node(n.child).next == kNoNode ? valueKind(n.child) : 0u;
    case SyntaxKind::Call:
    case SyntaxKind::Prefix:
        return resultKind(head);
    case SyntaxKind::Postfix:
        return valueKind(n.child);
    case SyntaxKind::Binary:
    case SyntaxKind::Implied: {
        const std::uint32_t right = s.node(n.child).next;
        if (right == kNoNode)
            return 0;
        const unsigned a = valueKind(n.child), b = valueKind(right);
        if (n.kind == SyntaxKind::Binary) {
            const Ti86Token& op = s.tokens()[s.opToken(node)];
            if (is(op, ti86::Store))
                return b;
            if (!(is(op, ti86::Plus) || is(op, ti86::Minus) || is(op, ti86::Times) ||
                  is(op, ti86::Divide) || is(op, ti86::Power)))
                return 0;
        }
        // A list or a matrix with a number stays one; two reals make one.
        const unsigned whole = ti86kind::List | ti86kind::Matrix | ti86kind::Vector;
        if ((a | b) & whole)
            return (a | b) & whole;
        if (a == ti86kind::String && b == ti86kind::String)
            return ti86kind::String;
        return a == ti86kind::Real && b == ti86kind::Real ? ti86kind::Real : 0u;
    }
    default:
        return 0;
    }
}

void Ti86Facts::readKinds(std::uint32_t statement) {
    const Ti86Syntax& s = *syntax_;
    const std::vector<Ti86Token>& t = s.tokens();
    const std::uint32_t body = s.body(statement);
    if (body == kNoNode)
        return;
    const StatementForm form = s.node(statement).statement();
    if (form == StatementForm::ProgramCall)
        tell(body, ti86kind::Program);
    if (form == StatementForm::Equation)
        tell(s.node(body).child, ti86kind::Equation);
    if (s.node(body).kind == SyntaxKind::Command && is(t[s.node(body).first], ti86::InpSt)) {
        std::uint32_t last = kNoNode;
        for (std::uint32_t c = s.node(body).child; c != kNoNode; c = s.node(c).next)
            last = c;
        tell(last, ti86kind::String);
    }
    // Every node of the statement.
    std::vector<std::uint32_t>& todo = todo_;
    todo.assign(1, body);
    while (!todo.empty()) {
        const std::uint32_t n = todo.back();
        todo.pop_back();
        const SyntaxNode& node = s.node(n);
        for (std::uint32_t c = node.child; c != kNoNode; c = s.node(c).next)
            todo.push_back(c);
        const Ti86Token& head = t[node.first];
        if (node.kind == SyntaxKind::Prefix || node.kind == SyntaxKind::Call) {
            tell(node.child, operandKind(head));
            if (node.kind == SyntaxKind::Call && is(head, ti86::For))
                tell(node.child, ti86kind::Real);
        }
        if (node.kind != SyntaxKind::Binary || !is(t[s.opToken(n)], ti86::Store))
            continue;
        const std::uint32_t target = s.node(node.child).next;
        if (target == kNoNode)
            continue;
        const SyntaxNode& to = s.node(target);
        const Ti86Token& name = t[to.first];
        if (to.kind == SyntaxKind::Leaf) {
            tell(target, valueKind(node.child));
        } else if (to.kind == SyntaxKind::Call && isTi86UserName(name)) {
            // An element: one index for a list, two for a matrix.
            const std::size_t indexes = s.children(target).size();
            if (indexes == 1 || indexes == 2)
                kinds_[std::string(name.data)].push_back(
                    {to.first, indexes == 1 ? ti86kind::List : ti86kind::Matrix});
        } else if (to.kind == SyntaxKind::Prefix && (is(name, ti86::DimL) || is(name, ti86::Dim))) {
            tell(to.child, is(name, ti86::DimL) ? ti86kind::List : ti86kind::Matrix);
        }
    }
}

} // namespace kalvo::calc
