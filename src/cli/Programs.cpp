// SPDX-License-Identifier: GPL-3.0-or-later
#include "Programs.h"

#include "calcfiles/ti86/Ti86Font.h"

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

constexpr std::string_view kNameRule =
    "a TI-83 Plus program name is 1 to 8 of A-Z, 0-9 and theta, the first a letter or theta";

// The name made of `textForm`, with the findings naming both names as the
// user knows them, in UTF-8, rather than as the text form's bytes.
calc::Ti83pProgramName madeName(std::string_view shown, std::string_view textForm) {
    calc::Ti83pProgramName made = calc::makeTi83pProgramName(textForm);
    const std::string rule(kNameRule);
    for (calc::Diagnostic& d : made.diagnostics)
        d.message = made.name.empty() ? "no program name can be made of '" + std::string(shown) +
                                            "' (" + rule + "); give one with --name"
                                      : "the program name '" + std::string(shown) + "' becomes '" +
                                            calc::ti86NameToUtf8(made.name) + "': " + rule;
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
    std::string text;
    for (const char c : program.name) {
        std::uint8_t byte = 0;
        if (calc::ti86FontToText(static_cast<std::uint8_t>(c), byte))
            text += static_cast<char>(byte);
    }
    return madeName(calc::ti86EntryName(program), text);
}

calc::Ti83pProgramName ti83pNameForPath(std::string_view path) {
    std::string_view stem = path.substr(path.rfind('/') + 1);
    if (const std::size_t dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0)
        stem = stem.substr(0, dot);
    // θ typed in a UTF-8 file name is the calculator's θ.
    std::string font;
    std::string text(stem);
    if (calc::ti86FontFromUtf8(stem, font)) {
        text.clear();
        for (const char c : font) {
            std::uint8_t byte = 0;
            if (calc::ti86FontToText(static_cast<std::uint8_t>(c), byte))
                text += static_cast<char>(byte);
        }
    }
    return madeName(stem, text);
}

} // namespace kalvo::cli
