// SPDX-License-Identifier: GPL-3.0-or-later
// The report against the two things it speaks for, run on every TI-86 token:
// what it calls "no counterpart" is what the translator cannot translate,
// and what it says the 81 rows write is what running the rows writes.
#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/translate/Ti86To83p.h"
#include "conversion/ConversionRun.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
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
        t.data = "ft", t.data2 = "m";
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
