// SPDX-License-Identifier: GPL-3.0-or-later
// The TI-86 program tree: it prints back as exactly its tokens for generated
// programs, random token soup and every program the fuzz corpora hold, and
// it groups expressions as the TI-86's order of operations does, worked out
// by hand from the guidebook's table.
#include "calcfiles/program/Syntax.h"
#include "../ti86/Ti86ProgramGenerator.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;
using kalvo::calc::testing::Ti86ProgramGenerator;

std::vector<std::size_t> everyIndex(std::size_t n) {
    std::vector<std::size_t> out(n);
    std::iota(out.begin(), out.end(), std::size_t{0});
    return out;
}

// The tree as text: [a op b] for an operator, [f a] for a function before
// its operand, [a ·b] for implied multiplication, f(a,b) for a call (no ")"
// when it has none), ?{...} for an unparsed run with its pieces.
std::string glyph(const Ti86Token& t) {
    if (t.code == ti86::String)
        return "\"" + t.data + "\"";
    if (!t.data.empty())
        return t.data;
    const Ti86TokenInfo* info = ti86TokenInfo(t.code);
    return info != nullptr ? std::string(info->glyphs) : "?";
}

std::string shape(const Ti86Syntax& s, std::uint32_t n) {
    const SyntaxNode& node = s.node(n);
    const auto& t = s.tokens();
    const std::vector<std::uint32_t> kids = s.children(n);
    const auto joined = [&](const char* sep) {
        std::string out;
        for (std::size_t k = 0; k < kids.size(); ++k)
            out += (k ? sep : "") + shape(s, kids[k]);
        return out;
    };
    switch (node.kind) {
    case SyntaxKind::Leaf:
        return glyph(t[node.first]);
    case SyntaxKind::Empty:
        return "_";
    case SyntaxKind::Binary:
        return "[" + shape(s, kids[0]) + " " + glyph(t[s.opToken(n)]) +
               (kids.size() > 1 ? " " + shape(s, kids[1]) : "") + "]";
    case SyntaxKind::Implied:
        return "[" + shape(s, kids[0]) + " ·" + shape(s, kids[1]) + "]";
    case SyntaxKind::Prefix:
        return "[" + glyph(t[node.first]) + (kids.empty() ? "" : " " + shape(s, kids[0])) + "]";
    case SyntaxKind::Postfix:
        return "[" + shape(s, kids[0]) + " " + glyph(t[node.last - 1]) + "]";
    case SyntaxKind::Group:
        return "(" + joined(",") + (node.closed() ? ")" : "");
    case SyntaxKind::List:
        return "{" + joined(",") + (node.closed() ? "}" : "");
    case SyntaxKind::Vector:
        return "vec(" + joined(",") + (node.closed() ? ")" : "");
    case SyntaxKind::Matrix:
        return "mat(" + joined(" ") + (node.closed() ? ")" : "");
    case SyntaxKind::Call:
        return glyph(t[node.first]) + "(" + joined(",") + (node.closed() ? ")" : "");
    case SyntaxKind::Command:
        return glyph(t[node.first]) + " " + joined(",");
    case SyntaxKind::Unparsed: {
        std::string out = "?{";
        std::size_t at = node.first;
        for (const std::uint32_t c : kids) {
            for (; at < s.node(c).first; ++at)
                out += glyph(t[at]) + " ";
            out += shape(s, c) + " ";
            at = s.node(c).last;
        }
        for (; at < node.last; ++at)
            out += glyph(t[at]) + " ";
        out.pop_back();
        return out + "}";
    }
    case SyntaxKind::Statement:
        break;
    }
    return "statement";
}

// The first statement's shape, of TI-86 text (Windows-1252: ú negation,
// ò ², ü →, å ▶).
std::string read(const std::string& text) {
    const Ti86Tokenized in = tokenizeTi86Text(text);
    EXPECT_TRUE(in.diagnostics.empty()) << text;
    const Ti86Syntax s(in.tokens);
    EXPECT_EQ(s.printBack(), everyIndex(in.tokens.size())) << text;
    const std::uint32_t body = s.body(s.statements().front());
    return body == kNoNode ? "" : shape(s, body);
}

StatementForm formOf(const std::string& text) {
    const Ti86Tokenized in = tokenizeTi86Text(text);
    const Ti86Syntax s(in.tokens);
    return s.node(s.statements().front()).statement();
}

TEST(Ti86Syntax, FunctionsWithoutParenthesesTakeOneOperandUpToTheLooserOperators) {
    EXPECT_EQ(read("2sin A+1"), "[[2 ·[sin A]] + 1]");
    EXPECT_EQ(read("sin A^2"), "[sin [A ^ 2]]");
    EXPECT_EQ(read("sin A\xF2+B"), "[[sin [A ²]] + B]");
    EXPECT_EQ(read("sin 2A"), "[[sin 2] ·A]"); // implied multiplication is looser
    EXPECT_EQ(read("sin fPart ln 8"), "[sin [fPart [ln 8]]]");
    EXPECT_EQ(read("\xFA"
                   "A\xF2"),
              "[⁻ [A ²]]");
    EXPECT_EQ(read("\xFA"
                   "2^2"),
              "[⁻ [2 ^ 2]]");
    EXPECT_EQ(read("2^\xFA"
                   "3"),
              "[2 ^ [⁻ 3]]");
    EXPECT_EQ(read("not A and B"), "[[not A] and B]");
    EXPECT_EQ(read("abs X*Y"), "[[abs X] * Y]");
    // With its "(" the function is a call: the parenthesis is its own.
    EXPECT_EQ(read("sin(A)\xF2"), "[sin(A) ²]");
    EXPECT_EQ(read("\xFA(A+B)"), "[⁻ ([A + B])]");
    // Nothing after it: a function with no operand.
    EXPECT_EQ(read("A+sin"), "[A + [sin]]");
}

TEST(Ti86Syntax, OperatorsGroupByTheTi86Levels) {
    EXPECT_EQ(read("A+B*C"), "[A + [B * C]]");
    EXPECT_EQ(read("1/2A"), "[[1 / 2] ·A]"); // the TI-86, unlike the TI-85
    EXPECT_EQ(read("2^3^2"), "[[2 ^ 3] ^ 2]");
    EXPECT_EQ(read("3!\xF2"), "[[3 !] ²]");
    EXPECT_EQ(read("A nPr 2*3"), "[[A nPr 2] * 3]");
    EXPECT_EQ(read("A<B and C or D==1"), "[[[A < B] and C] or [D == 1]]");
    EXPECT_EQ(read("2(A)B"), "[[2 ·(A)] ·B]");
    EXPECT_EQ(read("{1,2}+3"), "[{1,2} + 3]");
    EXPECT_EQ(read("[[1,2][3,4]]\xFCM"), "[mat(vec(1,2) vec(3,4)) → M]");
    EXPECT_EQ(read("5\xFC"
                   "A\xFC"
                   "B"),
              "[[5 → A] → B]");
    EXPECT_EQ(read("A\xFC"
                   "B+1"),
              "[[A → B] + 1]");
    EXPECT_EQ(read("3\xFCL(2)"), "[3 → L(2)]");
    // A display conversion takes all before it, short of a store.
    EXPECT_EQ(read("4abs A\xE5"
                   "Frac"),
              "[[4 ·[abs A]] ▶Frac]");
    EXPECT_EQ(read("A+B\xE5"
                   "Frac\xFC"
                   "C"),
              "[[[A + B] ▶Frac] → C]");
}

TEST(Ti86Syntax, MissingAndStrayTokensStillReadAndPrintBack) {
    EXPECT_EQ(read("(A+B"), "([A + B]");
    EXPECT_EQ(read("max(A,2"), "max(A,2");
    EXPECT_EQ(read("f(,2,)"), "f(_,2,_)");
    EXPECT_EQ(read("f()"), "f()");
    EXPECT_EQ(read("A+"), "[A +]");
    EXPECT_EQ(read("A+)"), "?{[A +] )}");
    EXPECT_EQ(read(")*A("), "?{) * A(}");
    // A brace closes its list even inside an unclosed "(".
    EXPECT_EQ(read("{1,(2}+3"), "[{1,(2} + 3]");
    EXPECT_EQ(read("A,B"), "?{A , B}");
}

TEST(Ti86Syntax, StatementsHaveTheirForms) {
    EXPECT_EQ(formOf("y1=x^2"), StatementForm::Equation);
    EXPECT_EQ(formOf("A\xFC"
                     "B"),
              StatementForm::Store);
    EXPECT_EQ(formOf("PROG"), StatementForm::ProgramCall);
    EXPECT_EQ(formOf("x"), StatementForm::Expression); // the calculator's own name
    EXPECT_EQ(formOf("Lbl X"), StatementForm::Label);
    EXPECT_EQ(formOf("Goto X"), StatementForm::Goto);
    EXPECT_EQ(formOf("Menu(1,\"A\",X)"), StatementForm::Menu);
    EXPECT_EQ(formOf("Outpt(1,1,\"H\")"), StatementForm::Coordinates);
    EXPECT_EQ(formOf("If A==1"), StatementForm::Command);
    EXPECT_EQ(formOf(""), StatementForm::Empty);
    EXPECT_EQ(read("Disp A,\"B\""), "Disp A,\"B\"");
    EXPECT_EQ(read("Disp ,"), "Disp _,_");

    const Ti86Tokenized in = tokenizeTi86Text(":A\n:\n:Disp B:B+1");
    const Ti86Syntax s(in.tokens);
    ASSERT_EQ(s.statements().size(), 4u);
    EXPECT_EQ(s.node(s.statements()[1]).statement(), StatementForm::Empty);
    // A separator belongs to the statement it ends.
    EXPECT_EQ(s.statementIndex(1), 0u);
    EXPECT_EQ(s.statementIndex(in.tokens.size() - 1), 3u);
}

// Every node inside its parent, after its elder sibling: what printBack()
// relies on, checked on its own so that a fault is named.
void expectNested(const Ti86Syntax& s, std::uint32_t n, int depth = 0) {
    ASSERT_LT(depth, 1000);
    std::size_t at = s.node(n).first;
    for (const std::uint32_t c : s.children(n)) {
        ASSERT_GE(s.node(c).first, at);
        ASSERT_LE(s.node(c).first, s.node(c).last);
        at = s.node(c).last;
        expectNested(s, c, depth + 1);
    }
    ASSERT_LE(at, s.node(n).last);
}

void expectExact(const std::vector<Ti86Token>& tokens, const std::string& what) {
    const Ti86Syntax s(tokens);
    for (const std::uint32_t st : s.statements())
        expectNested(s, st);
    EXPECT_EQ(s.printBack(), everyIndex(tokens.size())) << what;
}

TEST(Ti86Syntax, GeneratedProgramsPrintBackExactly) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Ti86ProgramGenerator generator(seed);
        expectExact(generator.program(40, {"SUB"}), "seed " + std::to_string(seed));
    }
}

// A statement read alone (as the report reads the few it needs) is the
// same tree as in the whole program.
TEST(Ti86Syntax, AStatementReadAloneReadsAsInTheWholeProgram) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Ti86ProgramGenerator generator(seed);
        const std::vector<Ti86Token> tokens = generator.program(30, {"SUB"});
        const Ti86Syntax whole(tokens);
        for (const std::uint32_t st : whole.statements()) {
            const SyntaxNode& statement = whole.node(st);
            const Ti86Syntax alone(tokens, statement.first, statement.last);
            ASSERT_EQ(alone.statements().size(), 1u);
            const std::uint32_t a = alone.body(alone.statements().front());
            const std::uint32_t w = whole.body(st);
            ASSERT_EQ(a == kNoNode, w == kNoNode);
            if (w == kNoNode)
                continue;
            EXPECT_EQ(shape(alone, a), shape(whole, w)) << "seed " << seed;
            EXPECT_EQ(alone.node(alone.statements().front()).statement(), statement.statement());
            for (std::size_t k = statement.first; k < statement.last; ++k)
                EXPECT_EQ(alone.callAt(k) == kNoNode, whole.callAt(k) == kNoNode);
        }
    }
}

// Random tokens, brackets and separators among them, unbalanced and out of
// place.
TEST(Ti86Syntax, TokenSoupPrintsBackExactly) {
    static const std::uint16_t pool[] = {
        ti86::LParen, ti86::RParen,  ti86::LBrace, ti86::RBrace, ti86::LBracket, ti86::RBracket,
        ti86::Comma,  ti86::Plus,    ti86::Minus,  ti86::Times,  ti86::Power,    ti86::Store,
        ti86::Assign, ti86::Equal,   ti86::And,    ti86::Not,    ti86::Sin,      ti86::Negate,
        ti86::Square, ti86::Number,  ti86::Name1,  ti86::Colon,  ti86::Newline,  ti86::Disp,
        ti86::If,     ti86::Lbl,     ti86::Menu,   ti86::Outpt,  ti86::Pi,       ti86::String,
        ti86::Max,    ti86::Percent, ti86::NPr,    ti86::Sqrt,   ti86::GetKy};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::vector<Ti86Token> tokens(random() % 120);
        for (Ti86Token& t : tokens) {
            t.code = pool[random() % std::size(pool)];
            if (t.code == ti86::Number || t.code == ti86::Name1 || t.code == ti86::Lbl)
                t.data = "1";
            if (random() % 40 == 0) {
                t.known = false;
                t.data = "\xFF";
            }
        }
        expectExact(tokens, "round " + std::to_string(round));
    }
    // Nesting deeper than the reader follows is one run, not a crash.
    std::vector<Ti86Token> deep(100000);
    for (std::size_t k = 0; k < deep.size(); ++k)
        deep[k].code = k % 3 == 0 ? ti86::Sin : k % 3 == 1 ? ti86::LParen : ti86::Negate;
    expectExact(deep, "deep");
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The fuzz corpora's inputs as the TI-86 readers take them: token bytes, text,
// and programs of files.
TEST(Ti86Syntax, FuzzCorporaPrintBackExactly) {
    const std::filesystem::path root =
        std::filesystem::path(KALVO_GOLDEN_DIR).parent_path() / "fuzz";
    std::size_t programs = 0;
    for (const char* corpus : {"corpus-ti86", "corpus-convert"}) {
        ASSERT_TRUE(std::filesystem::is_directory(root / corpus)) << corpus;
        for (const auto& entry : std::filesystem::directory_iterator(root / corpus)) {
            const std::string bytes = slurp(entry.path());
            const std::string name = entry.path().filename().string();
            Diagnostics faults;
            if (const std::vector<Ti86Token> t = decodeTi86Tokens(bytes, 0, faults);
                faults.empty()) {
                expectExact(t, name + " as tokens");
                ++programs;
            }
            if (const Ti86Tokenized t = tokenizeTi86Text(bytes); t.diagnostics.empty()) {
                expectExact(t.tokens, name + " as text");
                ++programs;
            }
            const Ti86File file = readTi86File(bytes);
            for (const Ti86Entry* p : ti86Programs(file))
                if (const Ti86Listing listing = listTi86Program(*p); listing.listed()) {
                    expectExact(listing.tokens, name + " program " + p->name);
                    ++programs;
                }
        }
    }
    EXPECT_GT(programs, 50u);
}

} // namespace
