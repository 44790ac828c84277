// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/TextBuffer.h"

#include <algorithm>

namespace kalvo {

void TextBuffer::SetText(std::string_view text) {
    checkDocumentSize(text.size());
    text_.assign(text);
    selStart_ = 0;
    selLength_ = 0;
}

void TextBuffer::SetSelStart(Pos caret) {
    selStart_ = std::clamp<Pos>(caret, 0, Length());
    selLength_ = 0;
}

void TextBuffer::SetSelLength(Pos count) {
    selLength_ = std::clamp<Pos>(count, 0, Length() - selStart_);
}

std::string TextBuffer::SelText() const {
    return text_.substr(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
}

void TextBuffer::SetSelText(std::string_view text) {
    checkDocumentSize(text_.size() - static_cast<std::size_t>(selLength_) + text.size());
    text_.replace(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_), text);
    selStart_ += static_cast<Pos>(text.size());
    selLength_ = 0;
}

} // namespace kalvo
