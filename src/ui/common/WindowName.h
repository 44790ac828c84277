// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace kalvo {

// Gives a top-level window an empty name on the window system. Qt names a
// window with an empty title after the application ("Kalvo"); a window that
// must show no name at all, such as the splash, is renamed here once its
// native window exists. Does nothing where the window system is not X11.
void clearWindowName(QWidget& window);

} // namespace kalvo
