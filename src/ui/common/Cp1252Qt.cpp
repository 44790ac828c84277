// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Cp1252Qt.h"

#include "document/Cp1252.h"

namespace kalvo {

QString decodeCp1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes)
        text.append(
            QChar(static_cast<char16_t>(cp1252ToUnicode(static_cast<unsigned char>(byte)))));
    return text;
}

std::optional<std::string> encodeCp1252(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    // Surrogates (characters outside the BMP) have no byte either, so code
    // units can be mapped one by one.
    for (QChar unit : text) {
        const std::optional<unsigned char> byte = unicodeToCp1252(unit.unicode());
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

} // namespace kalvo
