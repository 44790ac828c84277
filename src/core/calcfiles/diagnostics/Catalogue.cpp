// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/diagnostics/Catalogue.h"

#include <array>
#include <cstdio>

namespace kalvo::calc {

namespace {

constexpr DiagnosticKind kNone{DiagnosticId::None, Diagnostic::Severity::Warning,
                               DiagnosticGroup::Other, "{0}"};

constexpr DiagnosticKind kKinds[] = {
#define DIAGNOSTIC(id, severity, group, format)                                                    \
    {DiagnosticId::id, Diagnostic::Severity::severity, DiagnosticGroup::group, format},
#include "calcfiles/diagnostics/Catalogue.def"
#undef DIAGNOSTIC
};

// The enumerators are in the order of the list, after None.
constexpr bool inOrder() {
    for (std::size_t k = 0; k < std::size(kKinds); ++k)
        if (static_cast<std::size_t>(kKinds[k].id) != k + 1)
            return false;
    return true;
}
static_assert(inOrder());

} // namespace

const DiagnosticKind& diagnosticKind(DiagnosticId id) {
    const auto k = static_cast<std::size_t>(id);
    return k == 0 || k > std::size(kKinds) ? kNone : kKinds[k - 1];
}

void formatDiagnosticInto(std::string& out, DiagnosticId id,
                          std::initializer_list<std::string_view> args) {
    const std::string_view format = diagnosticKind(id).format;
    out.clear();
    // Copied a run at a time between the {n}: most of a message is its format.
    std::size_t from = 0;
    for (std::size_t i = format.find('{'); i != std::string_view::npos;
         i = format.find('{', i + 1)) {
        if (i + 2 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9' &&
            format[i + 2] == '}') {
            const auto n = static_cast<std::size_t>(format[i + 1] - '0');
            if (n < args.size()) {
                out.append(format.substr(from, i - from));
                out.append(*(args.begin() + n));
                from = i + 3;
                i += 2;
            }
        }
    }
    out.append(format.substr(from));
}

std::string formatDiagnostic(DiagnosticId id, std::initializer_list<std::string_view> args) {
    std::string out;
    formatDiagnosticInto(out, id, args);
    return out;
}

Diagnostic makeDiagnostic(DiagnosticId id, std::size_t line, std::size_t column,
                          std::initializer_list<std::string_view> args) {
    Diagnostic d;
    d.severity = diagnosticKind(id).severity;
    d.line = line;
    d.column = column;
    d.message = formatDiagnostic(id, args);
    d.id = id;
    return d;
}

Diagnostic makeDiagnosticAt(DiagnosticId id, std::uint64_t offset,
                            std::initializer_list<std::string_view> args) {
    Diagnostic d = makeDiagnostic(id, args);
    d.offset = offset;
    d.hasOffset = true;
    return d;
}

Diagnostic makeDiagnostic(DiagnosticId id, std::initializer_list<std::string_view> args) {
    return makeDiagnostic(id, 0, 0, args);
}

std::string diagnosticHex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

DiagnosticGroup diagnosticGroupOf(const Diagnostic& d) {
    return diagnosticKind(d.id).group;
}

} // namespace kalvo::calc
