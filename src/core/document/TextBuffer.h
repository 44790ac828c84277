// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/TextBox.h"

namespace kalvo {

// A document held in memory with no window: the model behind the tests and
// the command line.
class TextBuffer final : public TextBox {
public:
    TextBuffer() = default;
    explicit TextBuffer(std::string_view text) { SetText(text); }

    std::string Text() const override { return text_; }
    void SetText(std::string_view text) override;
    Pos Length() const override { return static_cast<Pos>(text_.size()); }

    Pos SelStart() const override { return selStart_; }
    void SetSelStart(Pos caret) override;
    Pos SelLength() const override { return selLength_; }
    void SetSelLength(Pos count) override;

    std::string SelText() const override;
    void SetSelText(std::string_view text) override;

    void SetFocus() override { ++focusCount_; }
    std::optional<std::string_view> bytesInPlace() const override { return text_; }
    Pos find(std::int64_t start, std::string_view needle) const override {
        return findIn(text_, start, needle);
    }

    // How often SetFocus() was called, for callers that must check focus moves.
    int focusCount() const { return focusCount_; }

private:
    std::string text_;
    Pos selStart_ = 0;
    Pos selLength_ = 0;
    int focusCount_ = 0;
};

} // namespace kalvo
