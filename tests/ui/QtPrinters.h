#pragma once

// Readable test failure messages for the Qt values the widget tests compare.

#include <QRect>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (const QString& text : texts) {
        PrintTo(text, out);
        *out << ' ';
    }
    *out << '}';
}

inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << 'x' << r.height() << ')';
}

inline void PrintTo(const QSize& s, std::ostream* out) {
    *out << "QSize(" << s.width() << 'x' << s.height() << ')';
}
