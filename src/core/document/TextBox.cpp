// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/TextBox.h"

#include <string>

namespace kalvo {

Pos TextBox::find(std::int64_t start, std::string_view needle) const {
    return findIn(Text(), start, needle);
}

void selectAll(TextBox& box) {
    box.SetSelStart(0);
    box.SetSelLength(box.Length());
}

void focusAndSelectAll(TextBox& box) {
    box.SetFocus();
    selectAll(box);
}

Pos findIn(std::string_view haystack, std::int64_t start, std::string_view needle) {
    if (haystack.empty() || start > static_cast<std::int64_t>(haystack.size()))
        return 0;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const std::size_t at = haystack.find(needle, from);
    return at == std::string_view::npos ? 0 : static_cast<Pos>(at + 1);
}

std::string documentTooLargeMessage(Pos limit) {
    return "document too large: Kalvo holds at most " + std::to_string(limit) + " bytes";
}

DocumentTooLarge::DocumentTooLarge(Pos limit)
    : std::length_error(documentTooLargeMessage(limit)), limit_(limit) {}

void checkDocumentSize(std::size_t size, Pos limit) {
    if (!fitsDocument(size, limit))
        throw DocumentTooLarge(limit);
}

} // namespace kalvo
