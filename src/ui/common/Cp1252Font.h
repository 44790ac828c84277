// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kalvo {

// The family of the small font that draws U+0080-U+009F as the Windows-1252
// characters of bytes 0x80-0x9F (the euro sign, curly quotes, ...), made at
// build time from DejaVu Sans. It holds no other character: a font of this
// family falls back to the interface font for everything else. Registered
// with Qt on the first call; empty when that failed.
QString cp1252FontFamily();

} // namespace kalvo
