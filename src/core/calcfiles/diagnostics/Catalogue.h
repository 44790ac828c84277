// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// The catalogue of diagnostics (Catalogue.def): what each kind says, how
// severe it is and where the summary counts it. A finding made from the
// catalogue carries its id; one without (a finding merged from another
// tool) counts as "other", as the readers' faults do.
namespace kalvo::calc {

enum class DiagnosticGroup : std::uint8_t {
    Labels,
    Names,
    ProgramCalls,
    Menus,
    DelVars,
    NoCounterpart,
    Equations,
    RowWrites,
    OffScreen,
    KeyCodes,
    Other,
};
inline constexpr std::size_t kDiagnosticGroups = 11;

struct DiagnosticKind {
    DiagnosticId id;
    Diagnostic::Severity severity;
    DiagnosticGroup group;
    std::string_view format;
};

// The entry of `id`; for DiagnosticId::None, a warning counted as other.
const DiagnosticKind& diagnosticKind(DiagnosticId id);

// The message of `id` with `args` in place of {0}, {1}... (a {n} without an
// argument stays as written).
std::string formatDiagnostic(DiagnosticId id, std::initializer_list<std::string_view> args);

// The same into `out`, replacing what it held but keeping its room.
void formatDiagnosticInto(std::string& out, DiagnosticId id,
                          std::initializer_list<std::string_view> args);

// A finding of kind `id` at a line and column.
Diagnostic makeDiagnostic(DiagnosticId id, std::size_t line, std::size_t column,
                          std::initializer_list<std::string_view> args = {});

// A fault of kind `id` at a byte offset of a file.
Diagnostic makeDiagnosticAt(DiagnosticId id, std::uint64_t offset,
                            std::initializer_list<std::string_view> args = {});

// A fault of kind `id` about a whole file or name, with no place.
Diagnostic makeDiagnostic(DiagnosticId id, std::initializer_list<std::string_view> args = {});

// A number in hexadecimal, at least `digits` digits, as the messages show
// bytes, codes and sums ("0D", "8E28").
std::string diagnosticHex(std::uint64_t value, int digits = 2);

// The group a finding counts in: its kind's, or Other for one without a kind.
DiagnosticGroup diagnosticGroupOf(const Diagnostic& d);

} // namespace kalvo::calc
