// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace kalvo {

// Documents are Windows-1252 bytes; windows and the clipboard speak Unicode.
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control code points of the same value, so every byte
// round-trips.
char32_t cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or nothing when Windows-1252 cannot hold it.
std::optional<unsigned char> unicodeToCp1252(char32_t codePoint);

} // namespace kalvo
