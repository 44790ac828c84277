// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include "calcfiles/diagnostics/Catalogue.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace kalvo::calc {

namespace {

// ":N" at `at` (room for 21 bytes): a report's lines are written in
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

void printFindings(std::string& out, std::string_view where,
                   std::span<const HandWorkFinding> findings) {
    // Each severity's words padded to one size, copied whole.
    struct Said {
        char text[16];
        std::size_t size;
    };
    static constexpr Said kSaid[] = {{": note: ", 8}, {": warning: ", 11}, {": error: ", 9}};
    const auto saidOf = [](DiagnosticId id) -> const Said& {
        switch (diagnosticKind(id).severity) {
        case Diagnostic::Severity::Note:
            return kSaid[0];
        case Diagnostic::Severity::Warning:
            return kSaid[1];
        case Diagnostic::Severity::Error:
            break;
        }
        return kSaid[2];
    };
    // The most a line takes besides its message: WHERE, two numbers of 20
    // digits with their colons, the padded severity and the line break.
    const std::size_t mostBesideWords = where.size() + 42 + sizeof Said::text + 1;
    // Each line is put together in `line` and appended whole, into room
    // reserved once; the room is not filled first, as resizing would.
    std::size_t most = 0;
    for (const HandWorkFinding& f : findings)
        most += f.message.size() + mostBesideWords;
    out.reserve(out.size() + most);
    char line[512];
    // "WHERE:LINE:" is written once for the findings of one line.
    const bool shortWhere = mostBesideWords < sizeof line;
    if (shortWhere && !where.empty())
        std::memcpy(line, where.data(), where.size());
    std::size_t head = where.size(); // the bytes of `line` kept from one finding to the next
    std::size_t headLine = 0;
    for (const HandWorkFinding& f : findings) {
        const Said& said = saidOf(f.id);
        if (!shortWhere || mostBesideWords + f.message.size() > sizeof line) {
            printFinding(out, where, diagnosticKind(f.id).severity, f.line, f.column, f.message);
            continue;
        }
        if (f.line != headLine) {
            char* at = line + where.size();
            if (f.line != 0)
                appendNumber(at, f.line);
            head = static_cast<std::size_t>(at - line);
            headLine = f.line;
        }
        char* at = line + head;
        if (f.line != 0)
            appendNumber(at, f.column);
        std::memcpy(at, said.text, sizeof said.text);
        at += said.size;
        if (!f.message.empty())
            std::memcpy(at, f.message.data(), f.message.size());
        at += f.message.size();
        *at++ = '\n';
        out.append(line, static_cast<std::size_t>(at - line));
    }
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
