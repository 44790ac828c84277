// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Formats.h"

#include "calcfiles/translate/Ti83pTarget.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// kalvo-convert's command line, and what can be checked of it before the
// input is read.
namespace kalvo::cli {

inline constexpr std::string_view kStandardStream = "-";

struct Options {
    std::string input{kStandardStream};
    std::string output{kStandardStream};
    std::optional<Format> from;    // -f; found from the input's bytes when not given
    Format to = Format::Ti83pText; // -t, or found from OUTPUT's extension
    bool table = false;            // --table: the 81 rows
    bool translate = false;        // --translate: the translator
    bool all = false;              // --all: every program, into the folder -o names
    bool list = false;
    bool quiet = false;
    bool force = false;
    std::optional<std::string> program;                // --program NAME or @N, as given
    std::optional<std::string> name;                   // --name, in the program-text form, checked
    calc::Ti83pModel target = calc::Ti83pModel::Ti83p; // --target
    bool targetGiven = false;
};

struct ParsedCommandLine {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::Run;
    Options options;
    std::string problem; // for UsageError
};

ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& args);

std::string_view usageLine();
std::string_view helpText();

} // namespace kalvo::cli
