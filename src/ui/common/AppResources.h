// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace kalvo {

// Pixels for a length in twips: 15 twips make one logical pixel (96 dpi).
constexpr int twipsToPixels(int twips) {
    return twips / 15;
}

// A control's place and size given in twips.
inline QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The program's icon in all its sizes (16, 32, 48 and 256 pixels).
QIcon appIcon();

// The help window's initial text: the resource help.txt exactly as stored,
// lines separated by CR LF.
QString helpText();

// The splash screen's picture, 307 x 167 pixels.
QPixmap logoPixmap();

} // namespace kalvo
