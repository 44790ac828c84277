// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DiagnosticLines.h"

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"

#include <optional>
#include <string>
#include <string_view>

// Which program of a calculator file a command works on, and what it is
// called on the TI-83 Plus.
namespace kalvo::cli {

struct Failure {
    int status = 1; // 1 for the file, 2 for the command line
    std::string message;
};

struct PickedProgram {
    const calc::Ti86Entry* entry = nullptr; // set when picked
    Failure failure;                        // why not, otherwise
};

// The program `wanted` names (a UTF-8 name, or @N in --list order), or the
// only program of the file when nothing is named. `where` names the file in
// messages.
PickedProgram pickTi86Program(const calc::Ti86File& file, const std::optional<std::string>& wanted,
                              std::string_view where);

// Whether `wanted` names the one program of a .8xp file; the failure when
// it does not.
std::optional<Failure> checkTi83pProgram(const calc::Ti83pFile& file,
                                         const std::optional<std::string>& wanted,
                                         std::string_view where);

// The names --list prints, one a line, in UTF-8.
std::string ti86ProgramList(const calc::Ti86File& file);
std::string ti83pProgramName(const calc::Ti83pFile& file);

// What findings about a program are said to be about: the file, or for a
// program of a file that holds several entries, "FILE(NAME)".
std::string programWhere(const calc::Ti86File& file, const calc::Ti86Entry& program,
                         std::string_view where);

// A TI-86 program's name made into a TI-83 Plus one, as the window names it
// (files/ProgramNames.h), the error saying that --name gives one.
calc::Ti83pProgramName ti83pNameForTi86(const calc::Ti86Entry& program);

// The same for a file name: the part before its last extension.
calc::Ti83pProgramName ti83pNameForPath(std::string_view path);

} // namespace kalvo::cli
