// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats.h"

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace kalvo::cli {

namespace {

// Every conversion kalvo-convert makes. TI-86 text into TI-83 Plus text is
// what the window's button does, so it keeps the rows; everything that
// reaches the calculator's tokens is translated.
constexpr std::array<Route, 7> kRoutes = {{
    {Format::Ti86Text, Format::Ti83pText, Engine::TableRows},
    {Format::Ti86File, Format::Ti86Text, Engine::None},
    {Format::Ti86File, Format::Ti83pText, Engine::Translator},
    {Format::Ti86File, Format::Ti83pFile, Engine::Translator},
    {Format::Ti86Text, Format::Ti83pFile, Engine::Translator},
    {Format::Ti83pText, Format::Ti83pFile, Engine::None},
    {Format::Ti83pFile, Format::Ti83pText, Engine::None},
}};

constexpr std::array<std::pair<Format, std::string_view>, 4> kNames = {{
    {Format::Ti86Text, "ti86"},
    {Format::Ti83pText, "ti83p"},
    {Format::Ti86File, "86p"},
    {Format::Ti83pFile, "8xp"},
}};

} // namespace

std::string_view formatName(Format format) {
    for (const auto& [known, name] : kNames)
        if (known == format)
            return name;
    return "?";
}

std::optional<Format> parseFormat(std::string_view name) {
    for (const auto& [format, known] : kNames)
        if (known == name)
            return format;
    return std::nullopt;
}

Format detectInputFormat(std::string_view bytes) {
    if (calc::looksLikeTi86File(bytes))
        return Format::Ti86File;
    if (calc::looksLikeTi83pFile(bytes))
        return Format::Ti83pFile;
    return Format::Ti86Text;
}

Format outputFormatFor(std::string_view outputPath) {
    const std::size_t dot = outputPath.rfind('.');
    const std::size_t slash = outputPath.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return Format::Ti83pText;
    std::string extension(outputPath.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "8xp")
        return Format::Ti83pFile;
    if (extension == "86p" || extension == "86g")
        return Format::Ti86File;
    return Format::Ti83pText;
}

const Route* findRoute(Format from, Format to) {
    const auto hit = std::find_if(kRoutes.begin(), kRoutes.end(), [&](const Route& route) {
        return route.from == from && route.to == to;
    });
    return hit == kRoutes.end() ? nullptr : &*hit;
}

std::vector<Format> formatsMadeFrom(Format from) {
    std::vector<Format> out;
    for (const Route& route : kRoutes)
        if (route.from == from)
            out.push_back(route.to);
    return out;
}

Engine chooseEngine(const Route& route, EngineChoice choice) {
    if (route.engine == Engine::None)
        return Engine::None;
    switch (choice) {
    case EngineChoice::Default:
        break;
    case EngineChoice::Table:
        return Engine::TableRows;
    case EngineChoice::Translate:
        return Engine::Translator;
    }
    return route.engine;
}

} // namespace kalvo::cli
