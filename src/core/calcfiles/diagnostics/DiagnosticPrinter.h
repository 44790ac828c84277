// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <span>
#include <string>
#include <string_view>

// Diagnostics as one line each, in the form compilers use, so that editors
// and scripts can jump to them. The one printer of the command and the
// tests.
namespace kalvo::calc {

// "WHERE:LINE:COLUMN: warning: message" for a finding in a program's text,
// "WHERE: warning: offset 0xNN: message" for one in a file's bytes,
// "WHERE: warning: message" otherwise; "note" and "error" likewise. WHERE is
// a file ("GAME.86p", "-" for standard input) or a program of a group
// ("GROUP.86g(GAME)"). Appended to `out`, with its line break.
void printDiagnostic(std::string& out, std::string_view where, const Diagnostic& diagnostic);

// The line of a finding in a program's text (a line of 0: none), from its
// parts, as printDiagnostic prints it: for a report that keeps its findings
// in a form of its own.
void printFinding(std::string& out, std::string_view where, Diagnostic::Severity severity,
                  std::size_t line, std::size_t column, std::string_view message);

// The lines of a batch of the hand-work report's findings, in their order,
// each as printFinding prints it.
void printFindings(std::string& out, std::string_view where,
                   std::span<const HandWorkFinding> findings);

// The same line as a string of its own.
std::string diagnosticLine(std::string_view where, const Diagnostic& diagnostic);

} // namespace kalvo::calc
