// SPDX-License-Identifier: GPL-3.0-or-later
// A hand-built TI-86 group (tests/golden/calcfiles/translate-*): a main
// program with labels, long names, strings, a menu, an equation and a call
// of its subprogram, which applies functions without parentheses. The
// TI-83 Plus programs and the report expected of them were written by hand
// (see translate-README.md).
#include "../../../CalcFileBytes.h"
#include "../diagnostics/FromCatalogue.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace kalvo::calc;

std::vector<std::uint16_t> codes(const std::vector<Ti83pToken>& tokens) {
    std::vector<std::uint16_t> out;
    for (const Ti83pToken& t : tokens)
        out.push_back(t.code);
    return out;
}

} // namespace

TEST(Ti86To83pGolden, GameAndItsSubprogram) {
    std::vector<Ti86SourceProgram> group;
    for (const char* name : {"GAME", "ROLL"}) {
        const Ti86Tokenized in =
            tokenizeTi86Text(goldenCalcFile("translate-" + std::string(name) + ".ti86.txt"));
        ASSERT_TRUE(in.diagnostics.empty()) << name;
        group.push_back({name, in.tokens});
    }
    const std::vector<Ti83pTranslation> out = translateTi86Group(group);
    ASSERT_EQ(out.size(), 2u);

    std::string report;
    for (const Ti83pTranslation& t : out) {
        SCOPED_TRACE(t.name);
        const Ti83pTokenized expected =
            tokenizeTi83pText(goldenCalcFile("translate-" + t.name + ".83p.txt"));
        // The text reader does not know menu targets are labels: it says RO
        // is two letters, which is what a label is made of.
        for (const Diagnostic& d : expected.diagnostics)
            EXPECT_NE(d.message.find("the calculator reads the letters"), std::string::npos)
                << d.message;
        EXPECT_EQ(codes(t.tokens), codes(expected.tokens));
        EXPECT_TRUE(buildTi83pFile(t.tokens, t.name).written());
        for (const Diagnostic& d : t.diagnostics)
            report += (fromCatalogue(d) ? "" : "not from the catalogue: ") + t.name + ":" +
                      std::to_string(d.line) + ":" + std::to_string(d.column) +
                      (d.severity == Diagnostic::Severity::Note ? ": note: " : ": warning: ") +
                      d.message + "\n";
    }
    EXPECT_EQ(report, goldenCalcFile("translate.report.txt"));
}

// A hand-built program of the rewrites that read more than one token
// (translate-SURVEY.*, see translate-README.md): sortA stored to its own
// list, vectors as lists, y11 as a free Y1, getKy compared number first, a
// string test stored to a number.
TEST(Ti86To83pGolden, SurveyOfRewrites) {
    const Ti86Tokenized in = tokenizeTi86Text(goldenCalcFile("translate-SURVEY.ti86.txt"));
    ASSERT_TRUE(in.diagnostics.empty());
    const Ti83pTranslation t = translateTi86Program(in.tokens, "SURVEY");
    const Ti83pTokenized expected = tokenizeTi83pText(goldenCalcFile("translate-SURVEY.83p.txt"));
    EXPECT_TRUE(expected.diagnostics.empty());
    EXPECT_EQ(codes(t.tokens), codes(expected.tokens));
    EXPECT_TRUE(buildTi83pFile(t.tokens, t.name).written());
    std::string report;
    for (const Diagnostic& d : t.diagnostics)
        report += (fromCatalogue(d) ? "" : "not from the catalogue: ") + t.name + ":" +
                  std::to_string(d.line) + ":" + std::to_string(d.column) +
                  (d.severity == Diagnostic::Severity::Note ? ": note: " : ": warning: ") +
                  d.message + "\n";
    EXPECT_EQ(report, goldenCalcFile("translate-SURVEY.report.txt"));
}
