// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>
#include <vector>

// The four kinds of file kalvo-convert reads and writes, which pairs of them
// it converts between, and with which engine.
namespace kalvo::cli {

enum class Format {
    Ti86Text,  // "ti86": TI-86 program text, Windows-1252, what the window edits
    Ti83pText, // "ti83p": TI-83 Plus program text, same conventions
    Ti86File,  // "86p": TI-86 variable file (.86p, and .86g groups)
    Ti83pFile, // "8xp": TI-83 Plus program file
};

std::string_view formatName(Format format);

// The format a -f/-t argument names, or nothing.
std::optional<Format> parseFormat(std::string_view name);

// What an input is when -f does not say: a TI-86 or TI-83 Plus file by its
// signature, text otherwise.
Format detectInputFormat(std::string_view bytes);

// What an output is when -t does not say, by OUTPUT's extension (any case):
// .8xp a TI-83 Plus file, .86p and .86g TI-86 files (which Kalvo does not
// write; the caller refuses them), anything else ti83p text.
Format outputFormatFor(std::string_view outputPath);

// How the program text is changed on the way.
enum class Engine {
    None,       // only read and written in another form: listing, tokenizing
    TableRows,  // the 81-row table of the window's Convert button
    Translator, // TI-86 tokens translated into TI-83 Plus tokens (Ti86To83p)
};

struct Route {
    Format from;
    Format to;
    Engine engine; // the engine used unless the command line picks one
};

// The route between two formats, or null when kalvo-convert has none.
const Route* findRoute(Format from, Format to);

// Every format a route leads to from `from`, in the table's order.
std::vector<Format> formatsMadeFrom(Format from);

// What the command line asks of the engine: the route's own, --table or
// --translate.
enum class EngineChoice { Default, Table, Translate };

// The engine for a route: its own, or the one the command line picked. Only
// routes that convert accept a choice; the caller checks that first.
Engine chooseEngine(const Route& route, EngineChoice choice);

} // namespace kalvo::cli
