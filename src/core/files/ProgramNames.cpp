// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProgramNames.h"

#include "calcfiles/ti86/Ti86Font.h"

#include <string>

namespace kalvo {

namespace {

// The translator's words for the same change, so that a program renamed by
// one conversion reads as one renamed by --all.
constexpr std::string_view kNameRule =
    "a TI-83 Plus program name is 1 to 8 of A-Z, 0-9 and θ, the first not a digit";

// The name made of `textForm`, with the findings naming both names as the
// user knows them, in UTF-8, rather than as the text form's bytes.
calc::Ti83pProgramName madeName(std::string_view shown, std::string_view textForm) {
    calc::Ti83pProgramName made = calc::makeTi83pProgramName(textForm);
    const std::string rule(kNameRule);
    for (calc::Diagnostic& d : made.diagnostics) {
        if (made.name.empty()) {
            d.message =
                "no program name can be made of '" + std::string(shown) + "' (" + rule + ")";
        } else {
            d.severity = calc::Diagnostic::Severity::Note;
            d.message = "program " + std::string(shown) + " is now " +
                        calc::ti86NameToUtf8(made.name) + " (" + rule + ")";
        }
    }
    return made;
}

std::string textFormOf(std::string_view fontBytes) {
    std::string text;
    for (const char c : fontBytes) {
        std::uint8_t byte = 0;
        if (calc::ti86FontToText(static_cast<std::uint8_t>(c), byte))
            text += static_cast<char>(byte);
    }
    return text;
}

} // namespace

calc::Ti83pProgramName ti83pNameForTi86(const calc::Ti86Entry& program) {
    return madeName(calc::ti86EntryName(program), textFormOf(program.name));
}

calc::Ti83pProgramName ti83pNameForPath(std::string_view path) {
    std::string_view stem = path.substr(path.rfind('/') + 1);
    if (const std::size_t dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0)
        stem = stem.substr(0, dot);
    std::string font;
    if (calc::ti86FontFromUtf8(stem, font))
        return madeName(stem, textFormOf(font));
    return madeName(stem, stem);
}

} // namespace kalvo
