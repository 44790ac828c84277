// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti83p/Ti83pTokens.h"
#include "calcfiles/ti86/Ti86Tokens.h"
#include "calcfiles/translate/Ti83pTarget.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// TI-86 BASIC programs translated token by token into TI-83 Plus programs:
// the token table (Ti86To83pTable.h) for what maps one to one, and the
// rewrites a table cannot do: functions given their "(", labels and
// variables renamed to what the TI-83 Plus allows, menus, equations stored
// as strings, bare program calls made prgm calls, strings character by
// character. Tokens with no counterpart are spelled out in letters.
//
// Every finding is a Diagnostic at the TI-86 token's line and column (as
// its listing shows it): a warning for what could not be done, a note for
// each kind of rename or rewrite where it is first used.
namespace kalvo::calc {

// A TI-86 program name (font bytes, as in Ti86Entry::name) mapped to the
// TI-83 Plus program name (text form) its calls are to use.
using Ti83pProgramNames = std::map<std::string, std::string>;

// A program's tokens come with the line and column of its listing: from
// listTi86Program's `tokens` for a tokenized program, from
// tokenizeTi86Text(listing.text) for one stored as plain text.
struct Ti86SourceProgram {
    std::string name;              // font bytes, as stored
    std::vector<Ti86Token> tokens; // with the line and column of their listing
};

struct Ti83pTranslation {
    std::string name;               // the TI-83 Plus program name (text form)
    std::vector<Ti83pToken> tokens; // ready for buildTi83pFile; line and column of the TI-86 token
    Diagnostics diagnostics;        // warnings and notes at TI-86 lines and columns
};

// One program. `name` is its TI-83 Plus name (text form, a valid program
// name, e.g. from makeTi83pProgramName), the title its menus get; `calls`
// names the programs it may call: a name alone on a line that is one of
// them becomes prgm and its TI-83 Plus name (a name alone that the program
// uses nowhere else is taken for a call too, of a program to be translated
// and sent on its own, with a note). Variables are renamed for this program
// alone.
// `target` is the calculator the program is meant for: its screens and
// menus are what the program's numbers are checked against.
Ti83pTranslation translateTi86Program(const std::vector<Ti86Token>& tokens, std::string_view name,
                                      const Ti83pProgramNames& calls = {},
                                      const Ti83pTarget& target = ti83pTargets().front());

// Several programs of one file. Those that call one another, directly or
// through others, run together and share their variables (TI-86 variables
// are global): a name gets the same TI-83 Plus name in each of them. Each
// such set is given names of its own, so that a backup of unrelated
// programs translates as if each stood alone. Bare calls to a program of
// the file become prgm calls. Each program's TI-83 Plus name is made from
// its TI-86 name alone (made distinct only where two come out alike), the
// name it gets when translated on its own. The results are in the order of
// `programs`.
std::vector<Ti83pTranslation>
translateTi86Group(const std::vector<Ti86SourceProgram>& programs,
                   const Ti83pTarget& target = ti83pTargets().front());

// The TI-83 Plus names translateTi86Group gives the programs, by TI-86 name:
// a name the TI-83 Plus takes stays; the others are made valid and distinct,
// each with a note (translateTi86Group puts it first in that program's
// report, with no line).
Ti83pProgramNames ti83pNamesForGroup(const std::vector<Ti86SourceProgram>& programs,
                                     Diagnostics* diagnostics = nullptr);

} // namespace kalvo::calc
