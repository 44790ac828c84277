// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// TI-86 variable files (.86p, and .86g groups: one container, any number of
// entries). Damaged files are read as far as they go: every fault is one
// warning with its byte offset, and only a file with no readable entry is
// an error.
namespace kalvo::calc {

inline constexpr std::uint8_t kTi86ProgramType = 0x12;

// Bigger than any TI-86 file (its data length field has 16 bits); reads stop
// there rather than take in whatever a wrong path points at.
inline constexpr std::size_t kTi86MaxFileBytes = 1 << 20;

struct Ti86Entry {
    std::uint8_t type = 0;
    std::string name;             // font bytes, as stored (case-sensitive)
    std::string data;             // the data bytes, as many as the file holds
    std::uint64_t offset = 0;     // the entry's first byte in the file
    std::uint64_t dataOffset = 0; // data[0] in the file
    bool complete = true;         // false: the file ends inside the data
};

struct Ti86File {
    std::vector<Ti86Entry> entries;
    Diagnostics diagnostics; // warnings, and one error when no entry is readable

    bool readable() const { return !entries.empty(); }
};

Ti86File readTi86File(std::string_view bytes);

// Whether `bytes` begin like a TI-86 file ("**TI86**").
bool looksLikeTi86File(std::string_view bytes);

// What an entry's type is, in words ("program", "picture", "type 1F").
std::string ti86TypeName(std::uint8_t type);

// The entry's name in UTF-8 with the calculator's glyphs (θ, Δ, é...).
std::string ti86EntryName(const Ti86Entry& entry);

// The programs of a file, in the order it stores them.
std::vector<const Ti86Entry*> ti86Programs(const Ti86File& file);

// The entry whose UTF-8 name is `utf8Name` exactly (the first, if a damaged
// file holds two), or nullptr.
const Ti86Entry* findTi86Entry(const Ti86File& file, std::string_view utf8Name);

// How a program's data is to be read.
enum class Ti86ProgramForm {
    Tokenized,           // BASIC tokens
    EditLocked,          // 8E 29, then BASIC tokens
    PlainText,           // 00, then text in the TI-86 font, D6 ending lines
    EditLockedPlainText, // 00 00, then the same text
    Assembly,            // 8E 27: hexadecimal machine code, no BASIC
    CompiledAssembly,    // 8E 28: machine code, no BASIC
};

struct Ti86ProgramBody {
    Ti86ProgramForm form = Ti86ProgramForm::Tokenized;
    std::string_view body;    // after the length word and any mark of the form
    std::uint64_t offset = 0; // body[0] in the file
    Diagnostics diagnostics;  // a length word that disagrees with the entry
};

// Splits a program entry's data into its form and body. The view points
// into `entry.data`.
Ti86ProgramBody ti86ProgramBody(const Ti86Entry& entry);

} // namespace kalvo::calc
