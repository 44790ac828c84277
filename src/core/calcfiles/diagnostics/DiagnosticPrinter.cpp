// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include <charconv>
#include <cstdio>

namespace kalvo::calc {

void printDiagnostic(std::string& out, std::string_view where, const Diagnostic& diagnostic) {
    out.append(where);
    if (diagnostic.line != 0) {
        // Written in place: a report prints a line like this per finding.
        const auto number = [&out](std::size_t n) {
            char digits[24];
            const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
            out += ':';
            out.append(digits, static_cast<std::size_t>(end - digits));
        };
        number(diagnostic.line);
        number(diagnostic.column);
    }
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
