// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace kalvo {

// Puts a window into the desktop's top-most band, keeping its position, size
// and visibility. What the window manager makes of the hint is not reported.
void KeepOnTop(QWidget& window);

} // namespace kalvo
