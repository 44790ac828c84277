// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppResources.h"

#include <QFile>

// Q_INIT_RESOURCE must be used outside any namespace. The resources live in
// the static library kalvo_ui, so they are registered explicitly rather than
// through a static initializer the linker might drop.
static void initKalvoResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(kalvo);
        return true;
    }();
    (void)done;
}

namespace kalvo {

QIcon appIcon() {
    initKalvoResources();
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/kalvo/icons/kalvo-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString helpText() {
    initKalvoResources();
    QFile file(QStringLiteral(":/kalvo/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QPixmap logoPixmap() {
    initKalvoResources();
    return QPixmap(QStringLiteral(":/kalvo/logo.png"));
}

} // namespace kalvo
