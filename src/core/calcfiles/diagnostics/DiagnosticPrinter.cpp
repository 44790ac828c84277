// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/DiagnosticPrinter.h"

#include "calcfiles/diagnostics/Catalogue.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace kalvo::calc {

namespace {

// A report prints a line like this per finding: its parts are written in
// place, into room made once for all of them.
void appendNumber(char*& at, std::size_t n) {
    *at++ = ':';
    at = std::to_chars(at, at + 20, n).ptr;
}

// `n` in decimal at `at` (room for 20 digits), two digits a step; the end.
char* putNumber(char* at, std::size_t n) {
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    if (n < 10) {
        *at = static_cast<char>('0' + n);
        return at + 1;
    }
    // Its digits from its bits (log10(2) is about 1233 / 4096): that
    // power of ten's, one more when it is not below it.
    static constexpr std::uint64_t kTens[] = {1u,
                                              10u,
                                              100u,
                                              1000u,
                                              10000u,
                                              100000u,
                                              1000000u,
                                              10000000u,
                                              100000000u,
                                              1000000000u,
                                              10000000000u,
                                              100000000000u,
                                              1000000000000u,
                                              10000000000000u,
                                              100000000000000u,
                                              1000000000000000u,
                                              10000000000000000u,
                                              100000000000000000u,
                                              1000000000000000000u,
                                              10000000000000000000u};
    const auto bits = static_cast<std::size_t>(std::bit_width(std::uint64_t{n}));
    const std::size_t power = bits * 1233 >> 12; // at most 19
    const std::size_t digits = power + (n >= kTens[power] ? 1 : 0);
    char* const end = at + digits;
    char* p = end;
    for (; n >= 100; n /= 100) {
        const std::size_t pair = n % 100 * 2;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (n >= 10) {
        *--p = kPairs[n * 2 + 1];
        *--p = kPairs[n * 2];
    } else {
        *--p = static_cast<char>('0' + n);
    }
    return end;
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
    // "WHERE:LINE:" is written once for the findings of one line, the
    // severity looked up once for a run of one kind.
    const bool shortWhere = mostBesideWords < sizeof line;
    if (shortWhere && !where.empty())
        std::memcpy(line, where.data(), where.size());
    std::size_t head = where.size(); // the bytes of `line` kept from one finding to the next
    std::size_t headLine = 0;
    DiagnosticId lastId = DiagnosticId::None;
    const Said* said = &saidOf(lastId);
    for (const HandWorkFinding& f : findings) {
        if (f.id != lastId) {
            lastId = f.id;
            said = &saidOf(f.id);
        }
        if (!shortWhere || mostBesideWords + f.message.size() > sizeof line) {
            printFinding(out, where, diagnosticKind(f.id).severity, f.line, f.column, f.message);
            continue;
        }
        if (f.line != headLine) {
            char* at = line + where.size();
            if (f.line != 0) {
                *at++ = ':';
                at = putNumber(at, f.line);
            }
            head = static_cast<std::size_t>(at - line);
            headLine = f.line;
        }
        char* at = line + head;
        if (f.line != 0) {
            *at++ = ':';
            at = putNumber(at, f.column);
        }
        std::memcpy(at, said->text, sizeof said->text);
        at += said->size;
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
