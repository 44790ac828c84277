// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti83p/Ti83pTokens.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The `ti83p` text of a program: Windows-1252 bytes, one program line per
// text line. A byte means the same symbol as in `ti86` text (see
// ti83pFontToText): "ü" is →, "ñ" is ⁻¹, "Á" is θ, "Ä" is π, "[" is [.
//
// Reading text: one ":" at the start of a line is the line's mark, not a
// token; lines end in CR LF, LF or CR, and a line end at the very end adds
// no empty line. Outside strings the longest spelling wins, either a token's
// text form or its ASCII name (->, >Dec, ^-1, !=, <=, >=, sqrt(, [A], L1,
// Str1...); names made only of letters (pi, theta, alpha) count only as
// whole words, so Spin stays S p i n. Inside a string, from " to the next ",
// → or the line's end, each character is one token and lowercase letters are
// the calculator's lowercase letters. After prgm come the name characters
// A-Z, 0-9, θ. \xHH gives the program byte HH (two escapes in a row for a
// two-byte token); \\ and a lone \ are the backslash.
//
// Nothing is changed silently: a character with no token becomes ? and
// letters that spell no command become one-letter tokens, each with a
// warning at its line and column.
namespace kalvo::calc {

// The file offset of the first token in a file buildTi83pFile writes.
inline constexpr std::uint64_t kTi83pFirstTokenOffset = 0x4A;

struct Ti83pTokenized {
    std::vector<Ti83pToken> tokens; // with line and column, and the offset each gets in the file
    Diagnostics diagnostics;        // each with its line and column
};

Ti83pTokenized tokenizeTi83pText(std::string_view text);

struct Ti83pListing {
    std::string text;
    std::vector<Ti83pToken> tokens; // each with the line and column where its text starts
};

// Tokens as text: every program line begins with ":" and ends in CR LF.
// Tokens are written as their text form, else their ASCII name, and as
// \xHH wherever that would read back as something else (a code the table
// does not know, "sin(" made of lowercase letters), so that tokenizing the
// listing gives the same tokens again.
Ti83pListing listTi83pTokens(std::vector<Ti83pToken> tokens);

// How a token is written outside strings when nothing around it gets in the
// way: its text form, else its ASCII name, else \xHH.
std::string ti83pTokenText(std::uint16_t code);

} // namespace kalvo::calc
