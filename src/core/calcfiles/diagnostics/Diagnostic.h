// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo::calc {

// The kinds of diagnostic in the catalogue (Catalogue.def); None for one
// made elsewhere, with its own message.
enum class DiagnosticId : std::uint16_t {
    None,
#define DIAGNOSTIC(id, severity, group, format) id,
#include "calcfiles/diagnostics/Catalogue.def"
#undef DIAGNOSTIC
};

// One finding about a calculator file or a program text, in the form a
// compiler reports it. A fault in a file's container has a byte offset; a
// finding in a program has a 1-based line and column counting bytes of the
// text it was found in. Zero means "does not apply".
struct Diagnostic {
    enum class Severity { Note, Warning, Error };

    Severity severity = Severity::Warning;
    std::uint64_t offset = 0;
    bool hasOffset = false;
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
    DiagnosticId id = DiagnosticId::None; // its kind in the catalogue, when it has one
};

using Diagnostics = std::vector<Diagnostic>;

// A finding of the hand-work report as it is made: its kind in the
// diagnostics catalogue (which gives its severity and group), its place in
// the TI-86 text and its words, held by the report.
struct HandWorkFinding {
    DiagnosticId id = DiagnosticId::None;
    std::size_t line = 0; // 1-based, in bytes, as Diagnostic's
    std::size_t column = 0;
    std::string_view message;
};

} // namespace kalvo::calc
