// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/ClipboardCommands.h"

class QClipboard;

namespace kalvo {

// The desktop's clipboard through Qt. Documents are Windows-1252 bytes; the
// clipboard holds proper Unicode, so bytes are converted on the way out and
// back. Text that Windows-1252 cannot hold is refused whole rather than
// stored as other characters.
class SystemClipboard final : public Clipboard {
public:
    // The application's clipboard (QGuiApplication::clipboard()).
    SystemClipboard();
    explicit SystemClipboard(QClipboard& clipboard) : clipboard_(clipboard) {}

    bool clear() override;
    // Replaces every format with this one plain text.
    bool setText(std::string_view text) override;
    std::optional<std::string> text() override;

private:
    QClipboard& clipboard_;
};

} // namespace kalvo
