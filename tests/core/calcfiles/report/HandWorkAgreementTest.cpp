// SPDX-License-Identifier: GPL-3.0-or-later
// The report against the two things it speaks for, run on every TI-86 token:
// what it calls "no counterpart" is what the translator cannot translate,
// and what it says the 81 rows write is what running the rows writes.
#include "calcfiles/program/Facts.h"
#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83p.h"
#include "conversion/ConversionRun.h"

#include "../ti86/Ti86ProgramGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using namespace kalvo::calc;

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// One token standing alone on a line, with data where it needs some; none
// for the tokens whose data is what they are (strings, names, numbers).
bool aloneOnALine(const Ti86TokenInfo& info, std::vector<Ti86Token>& tokens) {
    if (info.code == ti86::Newline || info.code == ti86::Colon)
        return false;
    Ti86Token t;
    t.code = info.code;
    switch (info.data) {
    case Ti86Inline::None:
        break;
    case Ti86Inline::Conversion:
        t.data = "ftm", t.toUnitAt = 2;
        break;
    default:
        return false;
    }
    tokens = {t};
    return true;
}

struct Verdicts {
    std::set<std::string> noCounterpart;
    std::set<std::string> constants;
};

TEST(HandWorkAgreement, NoCounterpartIsWhatTheTranslatorCannotTranslate) {
    Verdicts report, translator;
    std::size_t tried = 0;
    for (const Ti86TokenInfo& info : ti86Tokens()) {
        std::vector<Ti86Token> tokens;
        if (!aloneOnALine(info, tokens))
            continue;
        ++tried;
        const Ti86Listing listing = listTi86Tokens(tokens);
        const std::string shown = listing.text;
        for (const Diagnostic& d : findHandWork(listing.text, listing.tokens).findings) {
            if (contains(d.message, "physical constant"))
                report.constants.insert(shown);
            else if (contains(d.message, "no TI-83 Plus counterpart") ||
                     contains(d.message, "no counterpart")) // a row write's end
                report.noCounterpart.insert(shown);
        }
        for (const Diagnostic& d : translateTi86Program(listing.tokens, "P").diagnostics) {
            if (d.severity == Diagnostic::Severity::Note && d.message.starts_with("constant "))
                translator.constants.insert(shown);
            else if (contains(d.message, "has no TI-83 Plus counterpart"))
                translator.noCounterpart.insert(shown);
        }
    }
    EXPECT_GT(tried, 300u);
    EXPECT_GT(translator.noCounterpart.size(), 50u);
    EXPECT_EQ(translator.constants.size(), 15u); // Na to u; e is the TI-83 Plus e
    EXPECT_EQ(report.noCounterpart, translator.noCounterpart);
    EXPECT_EQ(report.constants, translator.constants);
}

TEST(HandWorkAgreement, TheTi83PlusEIsNoConstantToWriteOut) {
    for (const Diagnostic& d : findHandWork(":Disp e\n:Disp 2e^(3)\n").findings)
        ADD_FAILURE() << d.line << ":" << d.column << ": " << d.message;
    const HandWorkReport constant = findHandWork(":Disp c\n");
    ASSERT_EQ(constant.findings.size(), 1u);
    EXPECT_EQ(constant.findings[0].message,
              "the physical constant c has no TI-83 Plus counterpart: write its value");
}

// Windows-1252 text as UTF-8, for comparing with the messages.
std::string utf8(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (b >= 0xA0) {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

// For every token, with and without "(" after it: each "X becomes \"Y\""
// the report makes names what the rows write. A line holds the token twice
// so that the rows' closing pass, which doubles the last "(" a function
// gains, does not reach the first.
TEST(HandWorkAgreement, RowWritesAreWhatTheRowsWrite) {
    std::size_t checked = 0;
    for (const Ti86TokenInfo& info : ti86Tokens()) {
        if (info.data != Ti86Inline::None || info.text.empty() || info.code == ti86::Colon)
            continue;
        for (const std::string_view after : {" 1", "(1)"}) {
            const std::string line = ":" + info.text + std::string(after);
            const std::string text = line + "\n" + line + "\n";
            for (const Diagnostic& d : findHandWork(text).findings) {
                const std::size_t becomes = d.message.find(" becomes \"");
                if (becomes == std::string::npos || d.line != 1)
                    continue;
                const std::size_t from = becomes + 10;
                const std::string written =
                    d.message.substr(from, d.message.find('"', from) - from);
                const std::string converted = kalvo::convertText(text);
                const std::string firstLine = converted.substr(0, converted.find('\n'));
                // The rows' text where the token was, then what followed it.
                EXPECT_TRUE(utf8(firstLine).starts_with(":" + written))
                    << d.message << "\n  the rows wrote: " << utf8(firstLine);
                ++checked;
            }
        }
    }
    // nDer(, PxTest(, ident, DispG, DispT, ExpR, arc(, dot(, real, SeqG, Dec,
    // ZDecm, lngth, the inverse and hyperbolic functions, dimL, inter.
    EXPECT_GE(checked, 23u);
}

} // namespace

namespace {

// Screen coordinates: the report and the translator make one check, so they
// name the same numbers with the same words. Row 0 is off the home screen,
// and a computed coordinate does not hide a written one.
TEST(HandWorkAgreement, OffScreenCoordinatesAreTheSameFindings) {
    for (const char* text :
         {":Outpt(0,1,\"X\")\r\n", ":Outpt(A,20,\"X\")\r\n", ":PxOn(63,10)\r\n",
          ":Text(70,95,\"HI\")\r\n", ":PxTest(62,94)\r\n", ":Outpt(8,16,\"X\")\r\n"}) {
        std::vector<std::string> report, translator;
        for (const Diagnostic& d : findHandWork(text).findings)
            if (contains(d.message, "is off the TI-83 Plus"))
                report.push_back(std::to_string(d.column) + " " + d.message);
        const Ti86Tokenized tokens = tokenizeTi86Text(text);
        for (const Diagnostic& d : translateTi86Program(tokens.tokens, "P").diagnostics)
            if (contains(d.message, "is off the TI-83 Plus"))
                translator.push_back(std::to_string(d.column) + " " + d.message);
        EXPECT_EQ(report, translator) << text;
        const bool onScreen = contains(text, "(62,94)") || contains(text, "(8,16");
        EXPECT_EQ(report.empty(), onScreen) << text;
    }
    const HandWorkReport both = findHandWork(":Text(70,95,\"HI\")\n");
    ASSERT_EQ(both.findings.size(), 2u);
    EXPECT_EQ(both.findings[0].message,
              "pixel row 70 is off the TI-83 Plus graph screen (rows 0-62)");
    EXPECT_EQ(both.findings[1].column, 10u);
}

} // namespace

namespace {

// A large text is read a piece at a time; what it finds is what reading its
// tokens all at once finds, facts that reach across pieces included (a key
// code compared long before getKy is stored to its name).
TEST(HandWorkPieces, ALargeTextGivesWhatItsWholeTokenListGives) {
    std::string text = ":If K==105:Disp \"A\"\n";
    const char* lines[] = {":Lbl START\r\n",       ":Outpt(9,1,\"X\")\n", ":MONEY+1\xFCMONEY\n",
                           ":Menu(1,\"A\",AB)\n",  ":Disp cross(A,B)\n",  ":y1=x\xF2\n",
                           ":If K==4:Goto START\n"};
    for (std::size_t n = 0; text.size() < 700 * 1024; ++n)
        text += lines[n % std::size(lines)];
    text += ":getKy\xFCK\n:Disp \"open\n:A@B\n";
    const HandWorkReport pieces = findHandWork(text);
    const Ti86Tokenized tokens = tokenizeTi86Text(text);
    const HandWorkReport whole = findHandWork(text, tokens.tokens);
    ASSERT_EQ(pieces.findings.size(), whole.findings.size());
    for (std::size_t k = 0; k < whole.findings.size(); ++k) {
        const Diagnostic &a = pieces.findings[k], &b = whole.findings[k];
        ASSERT_EQ(std::tie(a.line, a.column, a.message), std::tie(b.line, b.column, b.message))
            << k;
    }
    EXPECT_EQ(handWorkSummary(pieces.counts), handWorkSummary(whole.counts));
    EXPECT_GT(pieces.counts.keyCodes, 1000u);
    EXPECT_EQ(pieces.findings.front().message.substr(0, 12), "key code 105");
    ASSERT_EQ(pieces.textDiagnostics.size(), tokens.diagnostics.size());
    for (std::size_t k = 0; k < tokens.diagnostics.size(); ++k)
        EXPECT_EQ(pieces.textDiagnostics[k].line, tokens.diagnostics[k].line);
    // Said one at a time as they are made: the same findings, in order.
    std::size_t said = 0;
    bool same = true;
    const HandWorkCounts streamed = findHandWork(text, [&](const Diagnostic& d) {
        same = same && said < whole.findings.size() && d.line == whole.findings[said].line &&
               d.column == whole.findings[said].column && d.message == whole.findings[said].message;
        ++said;
    });
    EXPECT_TRUE(same);
    EXPECT_EQ(said, whole.findings.size());
    EXPECT_EQ(handWorkSummary(streamed), handWorkSummary(whole.counts));
    // The open string on the next to last line, in the last piece.
    ASSERT_FALSE(pieces.textDiagnostics.empty());
    EXPECT_EQ(pieces.textDiagnostics.front().line,
              static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1);
}

} // namespace

namespace {

// One line longer than the report holds as tokens at once: what it finds is
// what its whole token list gives, statements that read to their end (a
// menu, coordinates, an equation) cut by no window, a key code compared
// across a window's edge, and comparisons whose key or number is not alone
// (1-1-K==33, K==33+1) however a window's edge cuts them.
TEST(HandWorkPieces, ALongLineGivesWhatItsWholeTokenListGives) {
    std::string text = ":getKy\xFCK\n:";
    const char* statements[] = {"Outpt(9,1,\"X\"):",
                                "MONEY+1\xFCMONEY:",
                                "K==105:",
                                "DelVar(A):",
                                "y1=x\xF2+3:",
                                "Lbl START:",
                                "If 1-1-1-1-1-1-K==33:",
                                "If K==33+1-1-1-1-1:"};
    for (std::size_t n = 0; text.size() < 60 * 1024; ++n) {
        text += statements[n % std::size(statements)];
        for (std::size_t k = 0; k < n % 700; ++k)
            text += "1-";
        text += "1:";
    }
    // A menu whose statement alone is more tokens than a window.
    text += "Menu(1,\"A\",AB";
    for (int k = 0; k < 3000; ++k)
        text += "+1";
    text += ",2,\"B\",LONGLBL):PxOn(99,1\n:If K==4:Goto START\n";
    const HandWorkReport pieces = findHandWork(text);
    const HandWorkReport whole = findHandWork(text, tokenizeTi86Text(text).tokens);
    ASSERT_EQ(pieces.findings.size(), whole.findings.size());
    for (std::size_t k = 0; k < whole.findings.size(); ++k) {
        const Diagnostic &a = pieces.findings[k], &b = whole.findings[k];
        ASSERT_EQ(std::tie(a.line, a.column, a.message), std::tie(b.line, b.column, b.message))
            << k;
    }
    EXPECT_GT(whole.counts.keyCodes, 10u);
    EXPECT_GT(whole.counts.offScreen, 10u);
    EXPECT_GT(whole.counts.equations, 10u);
    EXPECT_EQ(whole.counts.menus, 1u);
    EXPECT_TRUE(std::any_of(whole.findings.begin(), whole.findings.end(),
                            [](const Diagnostic& d) { return contains(d.message, "LONGLBL"); }));
}

} // namespace

namespace {

// Lines of arithmetic on one-letter names are passed over unread; random
// lines of that alphabet, and of it with a byte that makes a line say
// something (a lowercase letter, a comparison, a quote, a letter next to a
// letter or digit), find what the whole token list finds.
TEST(HandWorkPieces, LinesPassedOverHoldNothingTheTokensWouldFind) {
    const std::string quiet[] = {"A", "K", "Z", "0", "7", "12", ".5",   "+", "-",
                                 "*", "/", "(", ")", ",", " ",  "\xFC", ":", "\r"};
    const std::string loud[] = {"x", "==", "<", "\"", "AB", "A1", "1A", "e", "\xF8", "\\x41", "@"};
    std::mt19937 random(86);
    for (int round = 0; round < 200; ++round) {
        std::string text = round % 3 == 0 ? ":getKy\xFCK\n" : "";
        for (int line = 0; line < 30; ++line) {
            text += random() % 2 == 0 ? ":" : "";
            const std::size_t length = random() % 12;
            const bool sayAnything = random() % 3 == 0;
            for (std::size_t k = 0; k < length; ++k)
                text += sayAnything && random() % 4 == 0 ? loud[random() % std::size(loud)]
                                                         : quiet[random() % std::size(quiet)];
            text += random() % 2 == 0 ? "\r\n" : "\n";
        }
        const HandWorkReport read = findHandWork(text);
        const Ti86Tokenized tokens = tokenizeTi86Text(text);
        const HandWorkReport whole = findHandWork(text, tokens.tokens);
        ASSERT_EQ(read.findings.size(), whole.findings.size()) << text;
        for (std::size_t k = 0; k < whole.findings.size(); ++k) {
            const Diagnostic &a = read.findings[k], &b = whole.findings[k];
            ASSERT_EQ(std::tie(a.line, a.column, a.message), std::tie(b.line, b.column, b.message))
                << text;
        }
        ASSERT_EQ(read.textDiagnostics.size(), tokens.diagnostics.size()) << text;
        for (std::size_t k = 0; k < tokens.diagnostics.size(); ++k)
            EXPECT_EQ(std::tie(read.textDiagnostics[k].line, read.textDiagnostics[k].column),
                      std::tie(tokens.diagnostics[k].line, tokens.diagnostics[k].column));
    }
}

// Long runs of such lines are passed over a block of bytes at a time: a
// name that makes a line say something is found wherever it falls in a
// block, its first byte the last of one block and its second the first of
// the next included.
TEST(HandWorkPieces, ANameInALongQuietRunIsFoundAtEveryPlace) {
    const std::string quietLine = ":A+1\xFC"
                                  "B:(C-2)*D/3\xFC"
                                  "E,F\r\n";
    for (const std::string name : {"x", "AB", "Q7"}) {
        for (std::size_t at = 0; at < 100; ++at) {
            std::string line(120, '+');
            for (std::size_t k = 0; k < line.size(); k += 2)
                line[k] = static_cast<char>('A' + k % 26);
            line.replace(at, name.size(), name);
            std::string text;
            for (int k = 0; k < 6; ++k)
                text += quietLine;
            text += ":" + line + "\r\n";
            for (int k = 0; k < 6; ++k)
                text += quietLine;
            const HandWorkReport read = findHandWork(text);
            const HandWorkReport whole = findHandWork(text, tokenizeTi86Text(text).tokens);
            ASSERT_FALSE(whole.findings.empty()) << name << " at " << at;
            ASSERT_EQ(read.findings.size(), whole.findings.size()) << name << " at " << at;
            for (std::size_t k = 0; k < whole.findings.size(); ++k)
                EXPECT_EQ(std::tie(read.findings[k].line, read.findings[k].column),
                          std::tie(whole.findings[k].line, whole.findings[k].column));
        }
    }
}

} // namespace

namespace {

using Place = std::pair<std::size_t, std::size_t>; // line, column

// Where the report says a key code is to renumber, the program's tokens
// read at once and in pieces alike.
std::set<Place> reportedKeyCodes(const Ti86Listing& listing) {
    std::set<Place> out, pieces;
    for (const Diagnostic& d : findHandWork(listing.text, listing.tokens).findings)
        if (d.id == DiagnosticId::KeyCode)
            out.insert({d.line, d.column});
    for (const Diagnostic& d : findHandWork(listing.text).findings)
        if (d.id == DiagnosticId::KeyCode)
            pieces.insert({d.line, d.column});
    EXPECT_EQ(out, pieces) << listing.text;
    return out;
}

// The numbers the translator took for key codes: those it wrote otherwise,
// or warned about as codes.
std::set<Place> translatedKeyCodes(const Ti86Listing& listing, const Ti83pTranslation& out) {
    std::map<Place, std::string> written;
    for (const Ti83pToken& t : out.tokens)
        if (t.code >= '0' && t.code <= '9')
            written[{t.line, t.column}] += static_cast<char>(t.code);
    std::set<Place> codes;
    for (const Ti86Token& t : listing.tokens)
        if (t.code == ti86::Number && written[{t.line, t.column}] != t.data)
            codes.insert({t.line, t.column});
    for (const Diagnostic& d : out.diagnostics)
        if (d.message.starts_with("key code "))
            codes.insert({d.line, d.column});
    return codes;
}

bool followsGetKy(const Ti83pTranslation& out) {
    return std::any_of(out.diagnostics.begin(), out.diagnostics.end(), [](const Diagnostic& d) {
        return d.message.starts_with("getKy is now getKey");
    });
}

// The key codes the report names are the numbers the translator renumbers
// or warns about, where it follows every use of getKy's value; a use it
// cannot follow after them (which leaves the codes to the user) changes
// none of the report's, and comparisons of no number alone are none.
TEST(HandWorkAgreement, KeyCodesAreTheNumbersTheTranslatorRenumbers) {
    std::size_t codes = 0;
    for (unsigned seed = 0; seed < 60; ++seed) {
        kalvo::calc::testing::Ti86ProgramGenerator generate(seed);
        std::vector<Ti86Token> tokens = generate.keyProgram(12 + seed % 20);
        const Ti86Listing followed = listTi86Tokens(tokens);
        const Ti83pTranslation translated = translateTi86Program(followed.tokens, "P");
        ASSERT_TRUE(followsGetKy(translated)) << followed.text;
        const std::set<Place> reported = reportedKeyCodes(followed);
        EXPECT_EQ(reported, translatedKeyCodes(followed, translated)) << followed.text;
        codes += reported.size();

        Ti86Token newline;
        newline.code = ti86::Newline;
        tokens.push_back(newline);
        for (Ti86Token& t : generate.keyMisuse())
            tokens.push_back(std::move(t));
        const Ti86Listing misused = listTi86Tokens(tokens);
        const Ti83pTranslation left = translateTi86Program(misused.tokens, "P");
        EXPECT_FALSE(followsGetKy(left)) << misused.text;
        EXPECT_EQ(reportedKeyCodes(misused), reported) << misused.text;
    }
    EXPECT_GT(codes, 300u);
}

// The labels the report calls unusable on the TI-83 Plus are the ones the
// translator renames, over generated programs with labels too long,
// lowercase, and fit.
TEST(HandWorkAgreement, LabelsToRenameAreTheOnesTheTranslatorRenames) {
    std::size_t renamed = 0;
    for (unsigned seed = 0; seed < 60; ++seed) {
        const Ti86Listing listing =
            listTi86Tokens(kalvo::calc::testing::Ti86ProgramGenerator(seed).program(30));
        std::map<Place, std::string> at;
        for (const Ti86Token& t : listing.tokens)
            at[{t.line, t.column}] = t.data;
        std::set<std::string> report, translator;
        for (const Diagnostic& d : findHandWork(listing.text, listing.tokens).findings)
            if (d.id == DiagnosticId::LabelToRename)
                report.insert(at[{d.line, d.column}]);
        for (const Diagnostic& d : translateTi86Program(listing.tokens, "P").diagnostics)
            if (d.message.starts_with("label ") && contains(d.message, " is now "))
                translator.insert(d.message.substr(6, d.message.find(" is now ") - 6));
        EXPECT_EQ(report, translator) << listing.text;
        renamed += translator.size();
    }
    EXPECT_GT(renamed, 60u);
}

// Random statements of keys, numbers, comparisons and what binds tighter
// or looser than one: the report names as key codes the numbers the facts
// of the whole program's tree name, above 0.
TEST(HandWorkAgreement, KeyCodesAreTheFactsKeyComparisons) {
    const std::string pieces[] = {"K", "33",    "0",    "7",   "==",   "\xF8", ">",
                                  "(", ")",     "+",    "-",   "2",    ",",    "\xFC",
                                  "A", " and ", " or ", "If ", "max(", ":"};
    const std::string keys[] = {"K", "getKy", "A"}, numbers[] = {"33", "0", "7", "A", "2.5"};
    const std::string comparisons[] = {"==", "\xF8", "<", "\xF9"}; // ≥
    std::mt19937 random(83);
    const auto some = [&] {
        std::string out;
        for (std::size_t k = random() % 4; k > 0; --k)
            out += pieces[random() % std::size(pieces)];
        return out;
    };
    std::size_t named = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text = ":getKy\xFCK\n";
        for (int line = 0; line < 8; ++line) {
            const std::string key = keys[random() % std::size(keys)];
            const std::string number = numbers[random() % std::size(numbers)];
            const std::string op = comparisons[random() % std::size(comparisons)];
            text += ":" + some() + (random() % 2 == 0 ? key + op + number : number + op + key) +
                    some() + "\n";
        }
        const Ti86Tokenized tokens = tokenizeTi86Text(text);
        const Ti86Syntax tree(tokens.tokens);
        const Ti86Facts facts(tree);
        std::set<Place> expected, got;
        for (const Ti86KeyComparison& c : facts.keyComparisons())
            if (c.value > 0)
                expected.insert({tokens.tokens[c.literal].line, tokens.tokens[c.literal].column});
        for (const Diagnostic& d : findHandWork(text).findings)
            if (d.id == DiagnosticId::KeyCode)
                got.insert({d.line, d.column});
        EXPECT_EQ(got, expected) << text;
        named += got.size();
    }
    EXPECT_GT(named, 100u);
}

} // namespace
