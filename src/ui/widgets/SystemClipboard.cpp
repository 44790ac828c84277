// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SystemClipboard.h"

#include "common/Cp1252Qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace kalvo {

SystemClipboard::SystemClipboard() : clipboard_(*QGuiApplication::clipboard()) {}

bool SystemClipboard::clear() {
    // Qt reports no failure here; setText() checks what arrived.
    clipboard_.clear();
    return true;
}

bool SystemClipboard::setText(std::string_view text) {
    const QString unicode = decodeCp1252(text);
    // A fresh QMimeData holding only text: no image or other format of an
    // earlier owner survives.
    auto* data = new QMimeData;
    data->setText(unicode);
    clipboard_.setMimeData(data);
    // When another program keeps the clipboard, what we read back is not ours.
    const QMimeData* now = clipboard_.mimeData();
    return now && now->hasText() && now->text() == unicode;
}

std::optional<std::string> SystemClipboard::text() {
    const QMimeData* data = clipboard_.mimeData();
    if (!data)
        return std::nullopt;
    if (!data->hasText())
        return std::string();
    return encodeCp1252(data->text());
}

} // namespace kalvo
