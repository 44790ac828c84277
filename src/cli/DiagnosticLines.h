// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <string>
#include <string_view>
#include <vector>

// Findings about files and programs as one line each on standard error, in
// the form compilers use, so that editors and scripts can jump to them.
namespace kalvo::cli {

// A finding and what it is about: a file ("GAME.86p", "-" for standard
// input) or a program of a group ("GROUP.86g(GAME)").
struct LocatedDiagnostic {
    std::string where;
    calc::Diagnostic diagnostic;
};

using LocatedDiagnostics = std::vector<LocatedDiagnostic>;

// The line calc::diagnosticLine prints (calcfiles/diagnostics/DiagnosticPrinter.h):
// "WHERE:LINE:COLUMN: warning: message" and the like, with its line break.
std::string diagnosticLine(std::string_view where, const calc::Diagnostic& diagnostic);

// Appends each of `found` with `where` to `out`.
void addDiagnostics(LocatedDiagnostics& out, std::string_view where,
                    const calc::Diagnostics& found);
void addDiagnostics(LocatedDiagnostics& out, std::string_view where, calc::Diagnostics&& found);

bool hasError(const LocatedDiagnostics& diagnostics);

} // namespace kalvo::cli
