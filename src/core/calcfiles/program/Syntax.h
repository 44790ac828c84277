// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/ti86/Ti86Tokens.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A TI-86 program read once into statements, and each statement into an
// expression tree with the TI-86's order of operations. Every node covers a
// range of token indexes; its children lie inside it, in order, and the
// tokens between them are the node's own (an operator, a bracket, a
// function's name), so the tree prints back as exactly the tokens it was
// read from. Any token sequence reads: what fits no form is an Unparsed
// node holding the pieces that did.
namespace kalvo::calc {

enum class SyntaxKind : std::uint8_t {
    Statement, // a program's statement, without its ":" or line end
    Leaf,      // one token: a number, a name, a string, a constant, a word (ClLCD, Then)
    Empty,     // no tokens: an argument left out between commas
    Group,     // ( ... )
    List,      // { ... }
    Vector,    // [ ... ], one row
    Matrix,    // [ [...] [...] ], rows
    Call,      // its first token, "(", the arguments, ")" when there is one
    Prefix,    // a function before its operand, written without "(" (sin A, not B, -A)
    Postfix,   // an operand and the operator after it (A², 5!, 3%, A+B▶Frac)
    Binary,    // left, the operator, right (right is missing when the statement ends first)
    Implied,   // two operands side by side: implied multiplication (2A, 3sin B)
    Command,   // a statement's command (Disp, If, Input) and its arguments
    Unparsed,  // tokens that fit no form; its children are the pieces that did
};

// What a statement is, as far as its form tells.
enum class StatementForm : std::uint8_t {
    Empty,
    Expression,  // anything else: a value shown as Ans, a call of a command with "("
    Store,       // ... → target, at its top
    Equation,    // name=expression: stores the equation
    ProgramCall, // a name the program chose, alone
    Label,       // Lbl name
    Goto,        // Goto name
    Menu,        // Menu(...)
    Command,     // Disp, If, While, Input...: a command and its arguments
    Coordinates, // Outpt(, PxOn(, Text(...): a command taking screen coordinates
};

inline constexpr std::uint32_t kNoNode = 0xFFFFFFFF;

struct SyntaxNode {
    std::uint32_t first = 0; // token range [first, last)
    std::uint32_t last = 0;
    std::uint32_t child = kNoNode; // first child
    std::uint32_t next = kNoNode;  // next sibling
    SyntaxKind kind = SyntaxKind::Leaf;
    std::uint8_t form = 0; // Statement: a StatementForm; brackets and calls: closed or not

    bool closed() const { return form != 0; } // Group, List, Vector, Matrix, Call
    StatementForm statement() const { return static_cast<StatementForm>(form); }
};

class Ti86Syntax {
public:
    // Linear in the tokens; `tokens` must outlive the tree.
    explicit Ti86Syntax(const std::vector<Ti86Token>& tokens);
    // Only the statements that begin in [first, last), `first` a statement's
    // start: for a reader that needs a few statements of a long program.
    // Token indexes stay those of `tokens`; ask only of tokens of these
    // statements and their separators.
    Ti86Syntax(const std::vector<Ti86Token>& tokens, std::size_t first, std::size_t last);

    const std::vector<Ti86Token>& tokens() const { return *tokens_; }
    const SyntaxNode& node(std::uint32_t n) const { return nodes_[n]; }
    std::size_t size() const { return nodes_.size(); }

    // The statements in program order; each ends before its ":" or line end.
    const std::vector<std::uint32_t>& statements() const { return statements_; }
    // The statement holding a token (the one a separator ends, for ":" and
    // line ends).
    std::uint32_t statementOf(std::size_t token) const {
        return statements_[statementOfToken_[token - base_]];
    }
    // Its index in statements().
    std::size_t statementIndex(std::size_t token) const { return statementOfToken_[token - base_]; }

    // The statement's one expression, command or form (its only child), or
    // kNoNode when it is empty.
    std::uint32_t body(std::uint32_t statement) const { return nodes_[statement].child; }

    // The children of a node, in order.
    std::vector<std::uint32_t> children(std::uint32_t n) const;
    // Binary: the operator's token. Prefix, Call, Command: the head token.
    // Postfix: the operator's token.
    std::size_t opToken(std::uint32_t n) const;

    // The Prefix node of a function written without "(" at this token, or
    // kNoNode.
    std::uint32_t prefixAt(std::size_t token) const;
    // The Call node whose name (the token before its "(") is this token, or
    // kNoNode.
    std::uint32_t callAt(std::size_t token) const;
    // The Group node this "(" opens, or kNoNode.
    std::uint32_t groupAt(std::size_t token) const;

    // The Lbl, Goto, Menu and getKy tokens, in order: what the facts look
    // for, found while the statements are split.
    const std::vector<std::uint32_t>& marked() const { return marked_; }

    // The indexes of the tree's tokens in order, read from the nodes alone:
    // every index of the tokens read, in order, whatever they are.
    std::vector<std::size_t> printBack() const;

private:
    friend class SyntaxReader;
    // The node of that kind the token heads, or kNoNode.
    std::uint32_t headAt(std::size_t token, SyntaxKind kind) const;
    const std::vector<Ti86Token>* tokens_;
    std::size_t base_ = 0; // the first token read; the per-token tables start there
    std::vector<SyntaxNode> nodes_;
    std::vector<std::uint32_t> statements_;
    std::vector<std::uint32_t> statementOfToken_; // an index in statements_
    std::vector<std::uint32_t> headOf_;           // the Prefix, Call or Group node a token heads
    std::vector<std::uint32_t> marked_;
};

// Tokens the tree gives a form to, shared with the readers of the tree.
bool isTi86PrefixFunction(const Ti86Token& t); // sin, not, √, ⁻: applies to what follows
bool isTi86UserName(const Ti86Token& t);       // a name the program chose

} // namespace kalvo::calc
