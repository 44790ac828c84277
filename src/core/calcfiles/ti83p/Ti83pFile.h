// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti83p/Ti83pTokens.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// TI-83 Plus program files (.8xp): "**TI83F*", 1A 0A 00, a 42-byte comment,
// the data length, one variable entry and a checksum (the low 16 bits of the
// sum of the entry's bytes). The entry: 0D 00, the data length, type 05
// (06 edit-locked), the name in 8 bytes, a version byte, a flag byte (80
// archived), the data length again, then the data: the token count in two
// bytes and the tokens.
namespace kalvo::calc {

// A program's size field counts its token bytes in 16 bits, with itself.
inline constexpr std::size_t kTi83pMaxTokenBytes = 65533;
// The file's own data length, also 16 bits, holds the entry's 19 bytes
// around the tokens too.
inline constexpr std::size_t kTi83pMaxFileTokenBytes = 0xFFFF - 19;
// A cleared TI-83 Plus has a little over 24,000 bytes of memory free.
inline constexpr std::size_t kTi83pFreeMemory = 24000;
// The largest file with one program; reading stops there.
inline constexpr std::size_t kTi83pMaxFileBytes = 0x37 + 0xFFFF + 2;

// Program names in Kalvo's text form: A-Z, 0-9 and θ (written "Á"), one to
// eight of them, the first a letter or θ.
struct Ti83pProgramName {
    std::string name;        // empty when nothing usable is left
    Diagnostics diagnostics; // a warning when the name changed, an error when it is empty
};

// A valid program name made from any name (a TI-86 program's, a file's
// stem): lowercase letters become capitals, characters the TI-83 Plus does
// not allow are dropped, and so are digits before the first letter; at most
// eight are kept.
Ti83pProgramName makeTi83pProgramName(std::string_view wanted);

// Errors saying why `name` (given by the user, in text form) is no valid
// program name; empty when it is one.
Diagnostics checkTi83pProgramName(std::string_view name);

struct Ti83pFileBytes {
    std::string bytes;       // the whole file; empty when it cannot be written
    Diagnostics diagnostics; // an error when it cannot be written, warnings on size

    bool written() const { return !bytes.empty(); }
};

// The .8xp file of a program (type 05) called `name`, which must be valid.
// Its version byte is the highest any token needs. More token bytes than a
// file holds is an error, and so is a prefix byte standing alone before
// other tokens (it would join them); more than the calculator's free
// memory, a warning.
Ti83pFileBytes buildTi83pFile(const std::vector<Ti83pToken>& tokens, std::string_view name,
                              std::string_view comment = "Kalvo");

struct Ti83pFile {
    std::string name;      // text form, as stored (checked, not corrected)
    std::uint8_t type = 0; // 05 program, 06 edit-locked program
    std::uint8_t version = 0;
    bool archived = false;
    std::vector<Ti83pToken> tokens; // with offsets, and the line and column of their listing
    Diagnostics diagnostics;        // faults with their offsets; an error when nothing was read

    bool readable() const {
        for (const Diagnostic& d : diagnostics)
            if (d.severity == Diagnostic::Severity::Error)
                return false;
        return true;
    }
};

// True when the bytes begin like a TI-83 Plus variable file.
bool looksLikeTi83pFile(std::string_view bytes);

// The first program of a .8xp file. Any byte is accepted at offset 0A, and
// the older 0B entry (without version and flag bytes) as well as the 0D one.
// A wrong length or checksum, a cut-off file, unknown tokens and a name the
// calculator would refuse are warnings with their offsets, and reading goes
// on as far as it can; a file of another kind or a variable that is no
// program is an error.
Ti83pFile readTi83pFile(std::string_view bytes);

} // namespace kalvo::calc
