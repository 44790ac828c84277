// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostics catalogue: arguments into their places, and the groups
// the summary counts from.
#include "calcfiles/diagnostics/Catalogue.h"
#include "../../../CalcFileBytes.h"
#include "FromCatalogue.h"
#include "calcfiles/report/HandWork.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kalvo::calc;

TEST(DiagnosticCatalogue, ArgumentsGoWhereTheFormatSays) {
    EXPECT_EQ(formatDiagnostic(DiagnosticId::LowercaseName, {"x", "X"}),
              "x is the TI-86's lowercase x: the TI-83 Plus writes X");
    EXPECT_EQ(formatDiagnostic(DiagnosticId::OffScreen,
                               {"pixel row 63", "graph", "rows 0-62", "TI-83 Plus"}),
              "pixel row 63 is off the TI-83 Plus graph screen (rows 0-62)");
    // An argument holding braces is not read as a place.
    EXPECT_EQ(formatDiagnostic(DiagnosticId::NoCounterpart, {"{1}"}),
              "{1} has no TI-83 Plus counterpart");
    // A place without its argument stays as written.
    EXPECT_EQ(formatDiagnostic(DiagnosticId::ProgramCall, {"SUB"}),
              "SUB alone in a statement calls a program: the TI-83 Plus writes {1}");
}

TEST(DiagnosticCatalogue, EveryKindHasItsPlacesInOrder) {
    for (auto k = static_cast<std::uint16_t>(DiagnosticId::None) + 1;; ++k) {
        const auto id = static_cast<DiagnosticId>(k);
        const DiagnosticKind& kind = diagnosticKind(id);
        if (kind.id != id)
            break; // past the last
        // {0}, {1}, ... each used, none skipped.
        int highest = -1;
        for (std::size_t i = 0; i + 2 < kind.format.size(); ++i)
            if (kind.format[i] == '{' && kind.format[i + 2] == '}')
                highest = std::max(highest, kind.format[i + 1] - '0');
        for (int n = 0; n <= highest; ++n)
            EXPECT_NE(kind.format.find("{" + std::to_string(n) + "}"), std::string_view::npos)
                << kind.format;
    }
    EXPECT_EQ(diagnosticKind(DiagnosticId::None).group, DiagnosticGroup::Other);
}

TEST(DiagnosticCatalogue, TheSummaryCountsEachPlaceInItsKindsGroup) {
    Diagnostics findings = {makeDiagnostic(DiagnosticId::LongName, 1, 2, {"AB", "A·B"}),
                            makeDiagnostic(DiagnosticId::LongName, 2, 2, {"AB", "A·B"}),
                            makeDiagnostic(DiagnosticId::MenuTooLong, 3, 2, {"8"}),
                            makeDiagnostic(DiagnosticId::PhysicalConstant, 4, 2, {"c"})};
    Diagnostic merged;
    merged.line = 5;
    merged.message = "from the TI-83 Plus tokenizer";
    findings.push_back(merged);
    const HandWorkCounts c = countHandWork(findings);
    EXPECT_EQ(c.names, 2u);
    EXPECT_EQ(c.menus, 1u);
    EXPECT_EQ(c.noCounterpart, 1u);
    EXPECT_EQ(c.other, 1u);
    EXPECT_EQ(c.total(), findings.size());
    EXPECT_EQ(findings[2].severity, Diagnostic::Severity::Warning);
    EXPECT_EQ(findings[2].message, "Menu( has 8 choices; the TI-83 Plus shows at most 7");
}

// The check the readers' and the translator's tests make of every finding.
TEST(DiagnosticCatalogue, AFindingFromItsEntryIsToldFromAFreeString) {
    EXPECT_TRUE(fromCatalogue(makeDiagnostic(DiagnosticId::TrSign, 1, 1)));
    EXPECT_TRUE(fromCatalogue(
        makeDiagnostic(DiagnosticId::TrMenuChained, 2, 3, {"9", "TI-83 Plus", "7", "2", "A, B"})));
    // Empty arguments, and one that holds the text after its place.
    EXPECT_TRUE(fromCatalogue(makeDiagnostic(DiagnosticId::TrConversion, {"", "", ""})));
    EXPECT_TRUE(fromCatalogue(makeDiagnostic(DiagnosticId::TrDiffers, {"a: b", ": c"})));
    Diagnostic free;
    free.severity = Diagnostic::Severity::Note;
    free.message = "sign X is now (X>0)-(X<0)";
    EXPECT_FALSE(fromCatalogue(free)); // the right words, but no kind
    free.id = DiagnosticId::TrSign;
    EXPECT_TRUE(fromCatalogue(free));
    free.severity = Diagnostic::Severity::Warning;
    EXPECT_FALSE(fromCatalogue(free)); // not the kind's severity
    // Words of another kind, or the kind's with a piece changed or cut.
    Diagnostic d = makeDiagnostic(DiagnosticId::TrSort, {"sortA", "SortA"});
    d.id = DiagnosticId::TrConstant;
    EXPECT_FALSE(fromCatalogue(d));
    d = makeDiagnostic(DiagnosticId::TrSort, {"sortA", "SortA"});
    d.message.replace(d.message.find("in place"), 8, "in order");
    EXPECT_FALSE(fromCatalogue(d));
    d = makeDiagnostic(DiagnosticId::TrLabelsTaken, {"LONGNAME"});
    d.message.pop_back();
    EXPECT_FALSE(fromCatalogue(d));
    d = makeDiagnostic(DiagnosticId::TrNumberBase, {"1Fh", "31"});
    d.message.erase(0, 1);
    EXPECT_FALSE(fromCatalogue(d));
}

// Each fault a reader reports is a catalogue kind, with the catalogue's
// severity: damaged files of every shape, made by cutting and spoiling
// sound ones, must not find a message written on the side.
void expectFromTheCatalogue(const Diagnostics& diagnostics, const std::string& what) {
    for (const Diagnostic& d : diagnostics) {
        EXPECT_NE(d.id, DiagnosticId::None) << what << ": " << d.message;
        EXPECT_TRUE(fromCatalogue(d)) << what << ": " << d.message;
    }
}

std::vector<std::string> damagedForms(const std::string& sound) {
    std::vector<std::string> forms;
    for (std::size_t n = 0; n <= sound.size(); ++n)
        forms.push_back(sound.substr(0, n));
    for (std::size_t at = 0; at < std::min<std::size_t>(sound.size(), 96); ++at)
        for (const char spoil : {'\x00', '\x0D', '\xFF'}) {
            std::string bad = sound;
            bad[at] = spoil;
            forms.push_back(bad);
        }
    std::string extra = sound;
    forms.push_back(extra += std::string(5, '\x01'));
    return forms;
}

TEST(DiagnosticCatalogue, TheReadersSpeakOnlyFromTheCatalogue) {
    std::size_t seen = 0;
    for (const char* name : {"tokenized.86p", "group.86g", "plain.86p", "textmode.86p"}) {
        for (const std::string& bytes : damagedForms(goldenCalcFile(name))) {
            const Ti86File file = readTi86File(bytes);
            expectFromTheCatalogue(file.diagnostics, name);
            seen += file.diagnostics.size();
            for (const Ti86Entry* program : ti86Programs(file)) {
                const Ti86ProgramBody body = ti86ProgramBody(*program);
                expectFromTheCatalogue(body.diagnostics, name);
                seen += body.diagnostics.size();
                const Ti86Listing listing = listTi86Program(*program);
                expectFromTheCatalogue(listing.diagnostics, name);
                seen += listing.diagnostics.size();
            }
        }
    }
    for (const char* name : {"ti83p-hello.8xp", "ti83p-score.8xp"}) {
        for (const std::string& bytes : damagedForms(goldenCalcFile(name))) {
            const Ti83pFile file = readTi83pFile(bytes);
            expectFromTheCatalogue(file.diagnostics, name);
            seen += file.diagnostics.size();
        }
    }
    for (const char* text :
         {":Lbl ABC:prgmTOOLONGNAME:prgm\r\n", ":Disp abc+XYZ\r\n:Goto \r\n", ":Disp \xE9\r\n"}) {
        const Ti83pTokenized tokenized = tokenizeTi83pText(text);
        expectFromTheCatalogue(tokenized.diagnostics, text);
        seen += tokenized.diagnostics.size();
    }
    for (const char* text : {":Disp \"OPEN\r\n:\"A\xFC"
                             "B\r\n",
                             ":ABCDEFGHIJ+1\r\n"}) {
        const Ti86Tokenized tokenized = tokenizeTi86Text(text);
        expectFromTheCatalogue(tokenized.diagnostics, text);
        seen += tokenized.diagnostics.size();
    }
    for (const char* name : {"", "9LIVES", "TOOLONGNAME", "A-B", "GAME"}) {
        const Ti83pFileBytes built = buildTi83pFile({}, name, "");
        expectFromTheCatalogue(built.diagnostics, name);
        seen += built.diagnostics.size();
        expectFromTheCatalogue(checkTi83pProgramName(name), name);
    }
    // The damage did reach the readers' checks.
    EXPECT_GT(seen, 500u);
}

} // namespace
