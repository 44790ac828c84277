// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The tokens of the TI-83 Plus (OS 1.19): 243 of one byte and 444 of two,
// as the public token sheet of TI-Toolkit/tokens (8X.xml) describes them,
// listed once in Ti83pTokens.def.
namespace kalvo::calc {

namespace ti83p {
// Every token by name (ti83p::ClrHome); None is no token.
enum Code : std::uint16_t {
    None = 0,
#define TI83P_TOKEN(code, name, font, ascii) name = code,
#include "calcfiles/ti83p/Ti83pTokens.def"
#undef TI83P_TOKEN
};
} // namespace ti83p

struct Ti83pTokenInfo {
    std::uint16_t code;    // one-byte tokens 00XX; two-byte ones prefix << 8 | second byte
    std::string_view font; // how the calculator draws it, in TI-83 Plus font bytes
    std::string_view name; // its usual ASCII name; empty for the newline and accented letters
};

// A token of a program and where it stands.
struct Ti83pToken {
    std::uint16_t code = 0;   // as above; a prefix byte cut off by the end stands alone (00BB)
    std::uint64_t offset = 0; // first byte in the .8xp file
    std::size_t line = 0;     // 1-based position in the text, in bytes
    std::size_t column = 0;

    // Two tokens are equal when they are the same token, wherever they stand.
    bool operator==(const Ti83pToken& other) const { return code == other.code; }
};

// Every token, sorted by code.
std::span<const Ti83pTokenInfo> ti83pTokens();

// The token with this code, or null.
const Ti83pTokenInfo* ti83pTokenInfo(std::uint16_t code);

// Bytes that begin a two-byte token: 5C-5E, 60-63, 7E, AA, BB and the
// TI-84 Plus's EF.
bool isTi83pPrefix(std::uint8_t byte);

// Bytes the token takes in a program: 2 for two-byte codes, else 1.
inline std::size_t ti83pTokenSize(std::uint16_t code) {
    return code > 0xFF ? 2 : 1;
}

// The version byte a program file needs for this token: 01 from BB68
// (Archive ) on, 02 for BBCF-BBDA, 03 above (and for the TI-84 Plus's EF
// tokens), else 00.
std::uint8_t ti83pVersionFor(std::uint16_t code);

// TI-83 Plus font bytes in Kalvo's Windows-1252 text form, where a byte
// means the same symbol as in TI-86 text: 05-09 and 10-1F become E5-E9 and
// F0-FF ("å" for ▶, "ñ" for ⁻¹, "ü" for →), 20-7E and 81-D5 stay, except
// that θ (5B) is written "Á" (C1) and [ (C1) is written "[". Nothing when a
// byte has no such form: 00-04 and 0A-0F (glyphs the TI-86 draws
// differently), 7F, 80 (the euro sign in Windows-1252), D6 and above.
std::optional<std::string> ti83pFontToText(std::string_view font);

// Program bytes as tokens. `offset` is the file offset of bytes[0]. A code
// the table does not know and a prefix cut off by the end are warnings with
// their offsets; decoding goes on.
std::vector<Ti83pToken> decodeTi83pTokens(std::string_view bytes, std::uint64_t offset,
                                          Diagnostics& diagnostics);

// The bytes of tokens, as the calculator stores them.
std::string encodeTi83pTokens(const std::vector<Ti83pToken>& tokens);

} // namespace kalvo::calc
