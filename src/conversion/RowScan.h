#pragma once

#include "editor/TextBox.h"

#include <string>
#include <string_view>

namespace kalvo {

// True for a row whose replace text holds its own find text after the first
// character ("Dec" -> "\xE5" "Dec"). Scanning such a row resumes right after
// each inserted text; otherwise it would match its own insertion for ever.
bool insertsOwnFindText(std::string_view find, std::string_view replace);

// One row's scan, step by step through the box's caret and selection, as the
// window's Convert button has always done it. Expects the whole document
// selected. The texts are read from `find` and `replace` at every use, so
// callers may pass the strings the run keeps them in.
void scanRow(TextBox& box, const std::string& find, const std::string& replace);

// The same row applied to a plain string in one left-to-right pass: the bytes
// scanRow() leaves behind, in time linear in the document. Returns false,
// leaving `out` alone, when the row finds nothing to change; otherwise `out`
// receives the converted document. `out` must not alias `in`. `find` must not
// be empty; `replace` may be (no table row has an empty one, but both paths
// agree on it).
bool convertRow(std::string_view in, std::string& out, std::string_view find,
                std::string_view replace);

} // namespace kalvo
