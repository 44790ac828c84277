// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/KeepOnTop.h"

#include <QRect>
#include <QWidget>

namespace kalvo {

void KeepOnTop(QWidget& window) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    // Changing the flags of a window hides it and may re-create its native
    // window; put it back where, as large and as visible as it was.
    const bool wasVisible = window.isVisible();
    const bool hadGeometry =
        wasVisible || (window.testAttribute(Qt::WA_Moved) && window.testAttribute(Qt::WA_Resized));
    const QRect geometry = window.geometry();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (hadGeometry)
        window.setGeometry(geometry);
    if (wasVisible)
        window.show();
}

} // namespace kalvo
