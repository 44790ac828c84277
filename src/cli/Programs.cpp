// SPDX-License-Identifier: GPL-3.0-or-later
#include "Programs.h"

#include "calcfiles/ti86/Ti86Font.h"
#include "files/ProgramNames.h"

#include <charconv>

namespace kalvo::cli {

namespace {

// "@N" as an index from 0; the command line has checked its form.
std::size_t indexOf(std::string_view wanted) {
    std::size_t n = 0;
    std::from_chars(wanted.data() + 1, wanted.data() + wanted.size(), n);
    return n - 1;
}

std::string numbered(const std::vector<const calc::Ti86Entry*>& programs) {
    std::string out;
    for (std::size_t i = 0; i < programs.size(); ++i)
        out += "\n  @" + std::to_string(i + 1) + "  " + calc::ti86EntryName(*programs[i]);
    return out;
}

// The window's naming, and where the command line can help: --name.
calc::Ti83pProgramName withNameHint(calc::Ti83pProgramName made) {
    if (made.name.empty())
        for (calc::Diagnostic& d : made.diagnostics)
            d.message += "; give one with --name";
    return made;
}

std::string count(std::size_t n) {
    return n == 1 ? "1 program" : std::to_string(n) + " programs";
}

} // namespace

PickedProgram pickTi86Program(const calc::Ti86File& file, const std::optional<std::string>& wanted,
                              std::string_view where) {
    PickedProgram picked;
    const std::vector<const calc::Ti86Entry*> programs = calc::ti86Programs(file);
    const std::string place(where);
    if (!wanted) {
        if (programs.size() == 1)
            picked.entry = programs.front();
        else if (programs.empty())
            picked.failure = {1, place + ": the file holds no program"};
        else
            picked.failure = {
                2, place + " holds " + count(programs.size()) +
                       "; pick one with --program NAME or --program @N:" + numbered(programs)};
        return picked;
    }
    if (wanted->starts_with('@')) {
        const std::size_t index = indexOf(*wanted);
        if (index < programs.size())
            picked.entry = programs[index];
        else
            picked.failure = {1, place + ": there is no program " + *wanted + "; the file holds " +
                                     count(programs.size()) + numbered(programs)};
        return picked;
    }
    const calc::Ti86Entry* entry = calc::findTi86Entry(file, *wanted);
    if (entry == nullptr)
        picked.failure = {1, place + ": there is no program called '" + *wanted +
                                 "'; the file holds " + count(programs.size()) +
                                 numbered(programs)};
    else if (entry->type != calc::kTi86ProgramType)
        picked.failure = {1, place + ": '" + *wanted + "' is a " + calc::ti86TypeName(entry->type) +
                                 ", not a program"};
    else
        picked.entry = entry;
    return picked;
}

std::optional<Failure> checkTi83pProgram(const calc::Ti83pFile& file,
                                         const std::optional<std::string>& wanted,
                                         std::string_view where) {
    const std::string name = ti83pProgramName(file);
    if (!wanted || *wanted == "@1" || *wanted + "\n" == name)
        return std::nullopt;
    return Failure{1, std::string(where) + ": there is no program " +
                          (wanted->starts_with('@') ? *wanted : "called '" + *wanted + "'") +
                          "; the file holds 1 program\n  @1  " + name.substr(0, name.size() - 1)};
}

std::string ti86ProgramList(const calc::Ti86File& file) {
    std::string out;
    for (const calc::Ti86Entry* program : calc::ti86Programs(file))
        out += calc::ti86EntryName(*program) + "\n";
    return out;
}

std::string ti83pProgramName(const calc::Ti83pFile& file) {
    // The text form's bytes are the TI-86 font's for every name character.
    return calc::ti86NameToUtf8(file.name) + "\n";
}

std::string programWhere(const calc::Ti86File& file, const calc::Ti86Entry& program,
                         std::string_view where) {
    if (file.entries.size() < 2)
        return std::string(where);
    return std::string(where) + "(" + calc::ti86EntryName(program) + ")";
}

calc::Ti83pProgramName ti83pNameForTi86(const calc::Ti86Entry& program) {
    return withNameHint(kalvo::ti83pNameForTi86(program));
}

calc::Ti83pProgramName ti83pNameForPath(std::string_view path) {
    return withNameHint(kalvo::ti83pNameForPath(path));
}

} // namespace kalvo::cli
