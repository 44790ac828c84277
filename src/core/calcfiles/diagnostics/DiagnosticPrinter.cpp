// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kalvo::calc {

namespace {

// A report prints a line like this per finding: its parts are written in
// place, into room made once for all of them.
void appendNumber(char*& at, std::size_t n) {
    *at++ = ':';
    at = std::to_chars(at, at + 20, n).ptr;
}

std::string_view severityText(Diagnostic::Severity severity) {
    switch (severity) {
    case Diagnostic::Severity::Note:
        return ": note: ";
    case Diagnostic::Severity::Warning:
        return ": warning: ";
    case Diagnostic::Severity::Error:
        break;
    }
    return ": error: ";
}

// WHERE[:LINE:COLUMN]: SEVERITY: then `offset`, the message and a line break.
void printLine(std::string& out, std::string_view where, Diagnostic::Severity severity,
               std::size_t line, std::size_t column, std::string_view offset,
               std::string_view message) {
    const std::string_view said = severityText(severity);
    const std::size_t start = out.size();
    const std::size_t most = where.size() + 42 + said.size() + offset.size() + message.size() + 1;
    out.resize(start + most);
    char* const first = out.data() + start;
    char* at = first;
    const auto put = [&at](std::string_view text) {
        if (!text.empty())
            at = std::copy(text.begin(), text.end(), at);
    };
    put(where);
    if (line != 0) {
        appendNumber(at, line);
        appendNumber(at, column);
    }
    put(said);
    put(offset);
    put(message);
    *at++ = '\n';
    out.resize(start + static_cast<std::size_t>(at - first));
}

} // namespace

void printFinding(std::string& out, std::string_view where, Diagnostic::Severity severity,
                  std::size_t line, std::size_t column, std::string_view message) {
    printLine(out, where, severity, line, column, {}, message);
}

void printDiagnostic(std::string& out, std::string_view where, const Diagnostic& diagnostic) {
    // A place in the text says more to the user than a byte offset does.
    char offset[32];
    std::string_view shown;
    if (diagnostic.hasOffset && diagnostic.line == 0) {
        const int n =
            std::snprintf(offset, sizeof offset,
                          "offset 0x%02llX: ", static_cast<unsigned long long>(diagnostic.offset));
        shown = std::string_view(offset, static_cast<std::size_t>(n));
    }
    printLine(out, where, diagnostic.severity, diagnostic.line, diagnostic.column, shown,
              diagnostic.message);
}

std::string diagnosticLine(std::string_view where, const Diagnostic& diagnostic) {
    std::string line;
    printDiagnostic(line, where, diagnostic);
    return line;
}

} // namespace kalvo::calc
