// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ClipboardCommands.h"

namespace kalvo {

namespace {

// Copy's steps 2 and 3, shared with Cut: false when the text did not reach
// the clipboard.
bool putSelectionOnClipboard(const TextBox& box, Clipboard& clipboard) {
    if (!clipboard.clear())
        return false;
    return clipboard.setText(box.SelText());
}

} // namespace

bool copySelection(TextBox& txtwordproc, Clipboard& clipboard) {
    return txtwordproc.SelLength() == 0 || putSelectionOnClipboard(txtwordproc, clipboard);
}

bool cutSelection(TextBox& txtwordproc, Clipboard& clipboard) {
    if (txtwordproc.SelLength() == 0)
        return true;
    if (!putSelectionOnClipboard(txtwordproc, clipboard))
        return false;
    txtwordproc.SetSelText({});
    return true;
}

bool pasteClipboard(TextBox& txtwordproc, Clipboard& clipboard) {
    const std::optional<std::string> text = clipboard.text();
    if (!text)
        return false;
    txtwordproc.SetSelText(*text);
    return true;
}

} // namespace kalvo
