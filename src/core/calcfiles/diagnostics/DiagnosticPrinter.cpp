// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include <cstdio>

namespace kalvo::calc {

void printDiagnostic(std::string& out, std::string_view where, const Diagnostic& diagnostic) {
    out.append(where);
    if (diagnostic.line != 0)
        out.append(":")
            .append(std::to_string(diagnostic.line))
            .append(":")
            .append(std::to_string(diagnostic.column));
    switch (diagnostic.severity) {
    case Diagnostic::Severity::Note:
        out += ": note: ";
        break;
    case Diagnostic::Severity::Warning:
        out += ": warning: ";
        break;
    case Diagnostic::Severity::Error:
        out += ": error: ";
        break;
    }
    // A place in the text says more to the user than a byte offset does.
    if (diagnostic.hasOffset && diagnostic.line == 0) {
        char offset[32];
        std::snprintf(offset, sizeof offset,
                      "offset 0x%02llX: ", static_cast<unsigned long long>(diagnostic.offset));
        out += offset;
    }
    out += diagnostic.message;
    out += '\n';
}

std::string diagnosticLine(std::string_view where, const Diagnostic& diagnostic) {
    std::string line;
    printDiagnostic(line, where, diagnostic);
    return line;
}

} // namespace kalvo::calc
