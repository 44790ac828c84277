// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

// What each TI-86 token becomes on the TI-83 Plus, one entry per code of the
// three grids (inline-data tokens included). The translator reads it; the
// rewrites that need the tokens around a token (menus, equations, names,
// labels) are marked here and done there.
namespace kalvo::calc {

enum class Ti86To83pKind : std::uint8_t {
    Same,          // the TI-83 Plus token means the same and is spelled alike
    Renamed,       // the same command under another name (ClLCD -> ClrHome)
    Differs,       // the nearest TI-83 Plus token, but it works differently: a warning
    Constant,      // a physical constant: written as its value
    Inline,        // the token's data decides: strings, names, numbers, labels
    Rewrite,       // rewritten with the tokens around it: Menu(, DelVar(, =
    NoCounterpart, // nothing on the TI-83 Plus does this
};

struct Ti86To83pRule {
    std::uint16_t ti86 = 0;
    Ti86To83pKind kind = Ti86To83pKind::NoCounterpart;
    std::uint16_t ti83p = 0; // the token written, for Same, Renamed, Differs and Rewrite
    std::string_view detail; // Constant: the value in TI-86 number form; Differs: why
};

// The rule for a TI-86 code, or nullptr for a code the TI-86 does not use.
const Ti86To83pRule* ti86To83pRule(std::uint16_t ti86Code);

// Whether the TI-83 Plus token carries its own "(" (sin(, Output(, round():
// the TI-86 "(" after it merges into it, and one is added where the TI-86
// applied the function without one.
bool ti83pTokenOpensParen(std::uint16_t ti83pCode);

} // namespace kalvo::calc
