// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiagnosticLines.h"

#include <algorithm>
#include <cstdio>

namespace kalvo::cli {

std::string diagnosticLine(std::string_view where, const calc::Diagnostic& diagnostic) {
    std::string line(where);
    if (diagnostic.line != 0)
        line.append(":")
            .append(std::to_string(diagnostic.line))
            .append(":")
            .append(std::to_string(diagnostic.column));
    switch (diagnostic.severity) {
    case calc::Diagnostic::Severity::Note:
        line += ": note: ";
        break;
    case calc::Diagnostic::Severity::Warning:
        line += ": warning: ";
        break;
    case calc::Diagnostic::Severity::Error:
        line += ": error: ";
        break;
    }
    // A place in the text says more to the user than a byte offset does.
    if (diagnostic.hasOffset && diagnostic.line == 0) {
        char offset[32];
        std::snprintf(offset, sizeof offset,
                      "offset 0x%02llX: ", static_cast<unsigned long long>(diagnostic.offset));
        line += offset;
    }
    line += diagnostic.message;
    line += '\n';
    return line;
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
