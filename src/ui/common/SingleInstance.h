// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

namespace kalvo {

// Every window other than the main one is a single instance, held by the
// main window in one QPointer: made on first use, kept while loaded, and made
// afresh once it has been unloaded. A window that deletes itself on close
// counts as unloaded as soon as it is closed, although Qt deletes it a moment
// later; one that is only hidden (the progress window) is kept for reuse.
template <class Window, class Make> Window& loadOnce(QPointer<Window>& slot, Make make) {
    // Qt clears WA_DeleteOnClose when it closes such a window, so whether it
    // unloads on close is noted when it is made.
    static constexpr const char* kUnloadsOnClose = "kalvoUnloadsOnClose";
    if (!slot || (slot->property(kUnloadsOnClose).toBool() && slot->isHidden() &&
                  slot->testAttribute(Qt::WA_WState_ExplicitShowHide))) {
        slot = make();
        slot->setProperty(kUnloadsOnClose, slot->testAttribute(Qt::WA_DeleteOnClose));
    }
    return *slot;
}

} // namespace kalvo
