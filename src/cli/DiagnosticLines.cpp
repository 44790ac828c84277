// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiagnosticLines.h"

#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include <algorithm>

namespace kalvo::cli {

std::string diagnosticLine(std::string_view where, const calc::Diagnostic& diagnostic) {
    return calc::diagnosticLine(where, diagnostic);
}

void addDiagnostics(LocatedDiagnostics& out, std::string_view where,
                    const calc::Diagnostics& found) {
    for (const calc::Diagnostic& diagnostic : found)
        out.push_back({std::string(where), diagnostic});
}

void addDiagnostics(LocatedDiagnostics& out, std::string_view where, calc::Diagnostics&& found) {
    out.reserve(out.size() + found.size());
    for (calc::Diagnostic& diagnostic : found)
        out.push_back({std::string(where), std::move(diagnostic)});
    found.clear();
}

bool hasError(const LocatedDiagnostics& diagnostics) {
    return std::any_of(diagnostics.begin(), diagnostics.end(), [](const LocatedDiagnostic& d) {
        return d.diagnostic.severity == calc::Diagnostic::Severity::Error;
    });
}

} // namespace kalvo::cli
