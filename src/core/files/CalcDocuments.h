// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"
#include "document/TextBox.h"
#include "files/FileCommands.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Calculator files as documents: what Open makes of a TI-86 or TI-83 Plus
// file, what Save writes under a name ending in .8xp, and where a finding
// about a program's text stands in the editor. Messages are UTF-8.
namespace kalvo {

enum class DocumentFileKind {
    Text,      // anything without a calculator file's signature
    Ti86File,  // "**TI86**": .86p, .86g
    Ti83pFile, // "**TI83F*": .8xp
};

// What a file is, by its first bytes, whatever its name.
DocumentFileKind documentFileKind(std::string_view bytes);

// A calculator file read for Open: its programs, for the choice when there
// are several, and its faults.
struct CalcFileContents {
    DocumentFileKind kind = DocumentFileKind::Text;
    calc::Ti86File ti86;               // for a TI-86 file
    calc::Ti83pFile ti83p;             // for a .8xp
    std::vector<std::string> programs; // the programs' names in UTF-8, in file order
    std::string refusal;               // why nothing can be opened; empty when something can
    calc::Diagnostics diagnostics;     // the container's faults
};

// Reads a calculator file's bytes (not text: see documentFileKind).
// `shownName` names the file in the refusal.
CalcFileContents readCalcFile(std::string_view bytes, std::string_view shownName);

// One program of a calculator file as a document.
struct OpenedProgram {
    std::optional<std::string> text; // the document; nothing when refused
    std::string refusal;             // why not, when refused
    bool ti83pSpellings = false;     // a .8xp's text; a TI-86 program's is in TI-86 spellings
    calc::Diagnostics diagnostics;   // the file's and the program's faults, as warnings
};

// The `index`-th of contents.programs as the text `kalvo-convert -t ti86`
// (or, for a .8xp, `-t ti83p`) gives. An assembly program is refused; a
// damaged one opens as far as it reads.
OpenedProgram openCalcProgram(const CalcFileContents& contents, std::size_t index);

// Whether Save writes a .8xp under this name: it ends in .8xp, any case.
bool namesTi83pProgramFile(const std::filesystem::path& name);

// Whether text must not be written under this name: it ends in .86p or
// .86g, any case, or names a file that begins like a TI-86 file.
bool keepsTi86File(const std::filesystem::path& name);

struct SaveEncoding {
    EncodedFile file;
    calc::Diagnostics
        diagnostics; // the name's change and the tokenizer's warnings, at their places
};

// What Save writes under `name`: a .8xp of `text` read as TI-83 Plus text
// for a .8xp name, the program named after the file (Ti86FileKept refuses
// a TI-86 file's name, NoTi83pProgram text that makes no program), the
// document and CR LF otherwise.
SaveEncoding encodeForSave(const std::filesystem::path& name, std::string_view text);

// The findings of the hand-work report for TI-86 text, the same list that
// kalvo-convert prints for it; nothing for a text far longer than any
// calculator's program.
std::optional<calc::Diagnostics> handWorkFindings(std::string_view ti86Text);

struct TextPlace {
    Pos start = 0;
    Pos length = 0;
};

// How the text that a finding was made on ends its lines: TI-86 text in
// CR LF or LF, TI-83 Plus text in a lone CR too.
enum class LineEnds { CrLfOrLf, AnyOfCrLfLfCr };

// Where a finding at `line` and `column` (from 1, in bytes) of `document`
// stands: the word that begins there (letters and digits; at least one
// byte when the line has one there), clamped to the line. Nothing for a
// finding without a line, or a line the document does not have.
std::optional<TextPlace> placeInDocument(std::string_view document, std::size_t line,
                                         std::size_t column, LineEnds ends = LineEnds::CrLfOrLf);

// The column in `converted` that a finding at `column` of TI-86 text's line
// `line` points to once the rows have turned `ti86Text` into `converted`:
// the first converted byte that came from that TI-86 byte or after it.
std::size_t convertedColumn(std::string_view ti86Text, std::string_view converted, std::size_t line,
                            std::size_t column);

} // namespace kalvo
