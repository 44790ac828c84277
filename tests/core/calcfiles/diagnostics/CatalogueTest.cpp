// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostics catalogue: arguments into their places, and the groups
// the summary counts from.
#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/report/HandWork.h"

#include <gtest/gtest.h>

#include <string>

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
        EXPECT_NE(kind.group, DiagnosticGroup::Other) << kind.format;
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

} // namespace
