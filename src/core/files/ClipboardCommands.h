// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/TextBox.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvo {

// The system clipboard in its plain-text format. Text is Windows-1252 bytes;
// the implementation converts to and from the clipboard's own encoding.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Empties the clipboard of every format. False when it could not be
    // opened or changed.
    virtual bool clear() = 0;
    // Puts exactly these characters on the clipboard as plain text. False
    // when they did not get there.
    virtual bool setText(std::string_view text) = 0;
    // The clipboard's plain text; empty when it holds none. Nothing when the
    // clipboard cannot be read or its text holds a character that no
    // document can hold.
    virtual std::optional<std::string> text() = 0;
};

// The Edit menu's commands on the main box. Each returns false when the
// clipboard refused; the document is then as it was, and a Cut whose text
// did not reach the clipboard keeps its selection.

// copy_Click: the selection onto the clipboard; an empty selection leaves the
// clipboard as it was.
bool copySelection(TextBox& txtwordproc, Clipboard& clipboard);
// cut_Click: as Copy, then the selection leaves the document.
bool cutSelection(TextBox& txtwordproc, Clipboard& clipboard);
// Paste_Click: the clipboard's text replaces the selection (no text on the
// clipboard deletes it).
bool pasteClipboard(TextBox& txtwordproc, Clipboard& clipboard);

} // namespace kalvo
