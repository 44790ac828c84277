// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/TextBox.h"

#include <QWidget>

#include <exception>
#include <string_view>

namespace kalvo {

// The main window's document box: a Scintilla editor holding the document as
// Windows-1252 bytes (one position per byte, CR LF two), driven through the
// same caret-and-selection operations as TextBuffer. Everything that enters
// from the keyboard, an input method, the clipboard or a drop is stored as
// the Windows-1252 byte of each character; a character without such a byte
// is refused rather than replaced.
//
// The Scintilla widget lives inside, out of reach: its own text(),
// setText() and length() read and write Latin-1 (turning the euro sign into
// '?') and skip the size check, and differ from Text(), SetText() and
// Length() only by case. What the windows need of it is passed on here.
class EditorWidget final : public QWidget, public TextBox {
    Q_OBJECT

public:
    explicit EditorWidget(QWidget* parent = nullptr);
    ~EditorWidget() override;

    std::string Text() const override;
    void SetText(std::string_view text) override;
    Pos Length() const override;

    Pos SelStart() const override;
    void SetSelStart(Pos caret) override;
    Pos SelLength() const override;
    void SetSelLength(Pos count) override;

    std::string SelText() const override;
    void SetSelText(std::string_view text) override;

    // Gives the editor the keyboard focus and makes its window the active
    // one, as a click into it would: after a message box, or with the focus
    // in the Find/Replace dialog, the caret shows where the user looks.
    void SetFocus() override;
    std::optional<std::string_view> bytesInPlace() const override { return bytes(); }
    Pos find(std::int64_t start, std::string_view needle) const override;

    // The document's bytes in place, valid until the next change.
    std::string_view bytes() const;

    // The most bytes the document may hold. Tests lower it, so that passing
    // it needs no 2 GiB.
    Pos lengthLimit() const;
    void setLengthLimit(Pos limit);

    // The paste of the editor's context menu, which keeps the pasted line
    // ends, and the undo of Ctrl+Z.
    void paste();
    void undo();

    // The widget that takes the focus and the keys, and the one that shows
    // the text (drops and mouse clicks land there).
    QWidget* textArea() const;
    QWidget* viewport() const;

    // While one lives, the selections made through SetSelStart and
    // SetSelLength stay inside the editor: the X11 primary selection, which
    // other programs paste with the middle button, does not get them. For
    // runs that select only to work on the text; the user's own selections
    // still reach it.
    class InternalSelections {
    public:
        explicit InternalSelections(EditorWidget& editor);
        ~InternalSelections();
        InternalSelections(const InternalSelections&) = delete;
        InternalSelections& operator=(const InternalSelections&) = delete;

    private:
        EditorWidget& editor_;
    };

signals:
    // A typed, composed, pasted or dropped character had no Windows-1252
    // byte and was not stored.
    void characterRefused();
    // Typing, a paste or a drop could not be stored (the document would
    // pass its limit, or memory ran out); the document is as it was.
    void insertionFailed(const QString& reason);
    // The text changed, however; and the number of lines with it.
    void textChanged();
    void linesChanged();

private:
    class Scintilla;
    Scintilla* sci_;
};

} // namespace kalvo
