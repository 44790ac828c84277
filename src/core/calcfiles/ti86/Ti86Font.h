// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The TI-86 font in two text forms: UTF-8 with the calculator's glyphs (for
// names shown to the user), and the Windows-1252 bytes of the `ti86` program
// text that TI's link software copied out of programs (what Kalvo edits).
namespace kalvo::calc {

// UTF-8 glyph of a font byte; empty when the font byte has none we know
// (00, D1, D6 the newline, D7 and D8-FF).
std::string_view ti86Glyph(std::uint8_t fontByte);

// A name in UTF-8, a font byte without a glyph written as \xHH.
std::string ti86NameToUtf8(std::string_view fontBytes);

// The Windows-1252 byte that stands for a font byte in program text: 01-1F
// move up to E1-FF (so the arrow 05 is "å" and ⁻¹ 11 is "ñ", as the link
// software wrote them), 20-D7 stay. Returns false for 00 and D8-FF, which
// have no text form.
bool ti86FontToText(std::uint8_t fontByte, std::uint8_t& textByte);

// The font byte a Windows-1252 byte of program text stands for (the inverse
// of ti86FontToText; E0 maps to 00, which that never writes).
inline std::uint8_t ti86TextToFont(std::uint8_t textByte) {
    return textByte >= 0xE0 ? static_cast<std::uint8_t>(textByte - 0xE0) : textByte;
}

// Font bytes from UTF-8 glyphs (the first font byte wins where two share a
// glyph). Returns false if a character has no font byte.
bool ti86FontFromUtf8(std::string_view utf8, std::string& fontBytes);

// Whether a byte of program text can be part of a name: letters, digits,
// subscripts, accented letters and Greek letters.
constexpr bool isTi86NameText(std::uint8_t textByte) {
    return (textByte >= '0' && textByte <= '9') || (textByte >= 'A' && textByte <= 'Z') ||
           (textByte >= 'a' && textByte <= 'z') || (textByte >= 0x80 && textByte <= 0xB5) ||
           (textByte >= 0xBB && textByte <= 0xCC);
}

} // namespace kalvo::calc
