// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalvo {

// Caret offsets and lengths of a document. Caret offsets count from 0, search
// positions from 1 (0 meaning "not found").
using Pos = std::int32_t;
inline constexpr Pos kMaxDocumentLength = std::numeric_limits<Pos>::max();

// The caret-and-selection operations through which every command reads and
// changes a document. A plain byte buffer implements them for tests and the
// command line; the editor widget implements them for the window, so each
// algorithm is written once against this interface.
//
// Text is bytes in Windows-1252: one position per byte, CR LF is two.
class TextBox {
public:
    virtual ~TextBox() = default;

    virtual std::string Text() const = 0;
    // Replaces the document; caret to 0, nothing selected.
    virtual void SetText(std::string_view text) = 0;
    // Length of Text() without copying it.
    virtual Pos Length() const = 0;

    virtual Pos SelStart() const = 0;
    // Clamped to [0, Length()]; collapses the selection.
    virtual void SetSelStart(Pos caret) = 0;
    virtual Pos SelLength() const = 0;
    // Selects from SelStart(), clamped to the end of the text.
    virtual void SetSelLength(Pos count) = 0;

    virtual std::string SelText() const = 0;
    // Replaces the selection (or inserts at the caret); the caret ends right
    // after the inserted text with nothing selected.
    virtual void SetSelText(std::string_view text) = 0;

    virtual void SetFocus() = 0;

    // The document's bytes where the box keeps them, valid until its next
    // change, for callers that only read a large document; nothing when the
    // box keeps no such copy (Text() then gives one).
    virtual std::optional<std::string_view> bytesInPlace() const { return std::nullopt; }

    // Smallest 1-based position >= start where needle occurs, 0 when there is
    // none, when the document is empty or when start lies beyond its end.
    // The start is 64-bit because callers compute it as caret + 2.
    virtual Pos find(std::int64_t start, std::string_view needle) const;
};

// The select-all sequence: caret to 0, then select Length() characters.
void selectAll(TextBox& box);
// The same after giving the box the keyboard focus: Select All, opening the
// Find/Replace dialog, each conversion row and a failed search all start so.
void focusAndSelectAll(TextBox& box);

// find() over a plain string, shared by every implementation.
Pos findIn(std::string_view haystack, std::int64_t start, std::string_view needle);

// Whether a document of `size` bytes stays within `limit` (by default what
// 32-bit positions can hold).
constexpr bool fitsDocument(std::size_t size, Pos limit = kMaxDocumentLength) {
    return size <= static_cast<std::size_t>(limit);
}

// "document too large: Kalvo holds at most N bytes": the words the window and
// the command line use for that limit.
std::string documentTooLargeMessage(Pos limit = kMaxDocumentLength);

// A change refused because the document would pass its limit; nothing was
// changed.
class DocumentTooLarge : public std::length_error {
public:
    explicit DocumentTooLarge(Pos limit);
    Pos limit() const { return limit_; }

private:
    Pos limit_;
};

// Throws DocumentTooLarge when a document of `size` bytes would pass `limit`
// (by default what 32-bit positions can hold).
void checkDocumentSize(std::size_t size, Pos limit = kMaxDocumentLength);

} // namespace kalvo
