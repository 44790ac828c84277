// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DiagnosticLines.h"
#include "Formats.h"
#include "Programs.h"

#include "calcfiles/report/HandWork.h"
#include "calcfiles/translate/Ti83pTarget.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The work of kalvo-convert between reading the input and writing the
// output, in memory: what comes out of which bytes, and what to say about
// them.
namespace kalvo::cli {

struct Job {
    Format from = Format::Ti86Text;
    Format to = Format::Ti83pText;
    Engine engine = Engine::TableRows;
    std::string where{"-"};              // the input, as findings name it
    std::string label{"standard input"}; // the input, as failure lines name it
    std::optional<std::string> program;  // --program
    std::optional<std::string> name;     // the .8xp program's name when already known (valid)
    bool handWork = true; // report what is left to do by hand after the rows (-q: not made)
    calc::Ti83pModel target = calc::Ti83pModel::Ti83p; // what the program is for
    // When set, the hand-work report of TI-86 text converted into TI-83 Plus
    // text hands its findings here as they are made, a window's worth at a
    // time and in order, instead of keeping them in the outcome: what a
    // large text finds is never all held.
    std::function<void(std::string_view where, std::span<const calc::HandWorkFinding>)> findings;
};

// One file of a run that writes several (--all).
struct ProgramFile {
    std::string fileName; // NAME.8xp, the TI-83 Plus name in UTF-8
    std::string bytes;
};

struct Outcome {
    std::string output;             // the bytes to write, when failure is empty
    std::vector<ProgramFile> files; // --all's files instead of `output`
    LocatedDiagnostics diagnostics; // findings, whatever happened
    std::string summary;            // the hand-work report's count line, or empty
    std::optional<Failure> failure; // why there is no output
};

// Converts `input` as `job` says. Takes the input over so that it can be
// let go of before the result grows.
Outcome runJob(std::string input, const Job& job);

// Every program of a TI-86 file translated together (their variables are
// shared), each as a .8xp file in `files`.
Outcome translateAll(std::string input, const Job& job);

// What --list prints for a calculator file.
Outcome listPrograms(std::string_view input, Format from, std::string_view where,
                     std::string_view label);

// The 81 rows' work on program text: `text` in TI-86 spellings, the result
// in TI-83 Plus ones. Other engines leave the text as it is.
std::string convertProgramText(std::string_view text, Engine engine);

} // namespace kalvo::cli
