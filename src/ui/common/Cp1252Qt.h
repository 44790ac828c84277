// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace kalvo {

// Windows-1252 document bytes to the Unicode that widgets and the clipboard use.
QString decodeCp1252(std::string_view bytes);

// Unicode to document bytes; nothing when any character has no Windows-1252
// byte, so that a caller never stores a character other than the one given.
std::optional<std::string> encodeCp1252(QStringView text);

} // namespace kalvo
