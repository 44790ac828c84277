#pragma once

#include "document/TextBox.h"

#include <Qsci/qsciscintilla.h>

#include <exception>
#include <string_view>

namespace kalvo {

// The main window's document box: a Scintilla editor holding the document as
// Windows-1252 bytes (one position per byte, CR LF two), driven through the
// same caret-and-selection operations as TextBuffer. Everything that enters
// from the keyboard, an input method, the clipboard or a drop is stored as
// the Windows-1252 byte of each character; a character without such a byte
// is refused rather than replaced.
class EditorWidget : public QsciScintilla, public TextBox {
    Q_OBJECT

public:
    explicit EditorWidget(QWidget* parent = nullptr);

    std::string Text() const override;
    void SetText(std::string_view text) override;
    Pos Length() const override;

    Pos SelStart() const override;
    void SetSelStart(Pos caret) override;
    Pos SelLength() const override;
    void SetSelLength(Pos count) override;

    std::string SelText() const override;
    void SetSelText(std::string_view text) override;

    void SetFocus() override;
    std::optional<std::string_view> bytesInPlace() const override { return bytes(); }
    Pos find(std::int64_t start, std::string_view needle) const override;

    // Scintilla's own paste (its context menu) would turn the pasted line
    // ends into CR LF; this one keeps them.
    void paste() override;

    // What a paste or a drop brings in, and what a copy or a drag takes out.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
    QMimeData* toMimeData(const QByteArray& text, bool rectangular) const override;

    // The document's bytes in place, valid until the next change.
    std::string_view bytes() const;

    // The most bytes the document may hold. Tests lower it, so that passing
    // it needs no 2 GiB.
    Pos lengthLimit() const { return lengthLimit_; }
    void setLengthLimit(Pos limit) { lengthLimit_ = limit; }

    // While one lives, the selections made through SetSelStart and
    // SetSelLength stay inside the editor: the X11 primary selection, which
    // other programs paste with the middle button, does not get them. For
    // runs that select only to work on the text; the user's own selections
    // still reach it.
    class InternalSelections {
    public:
        explicit InternalSelections(EditorWidget& editor) : editor_(editor) {
            ++editor_.internalSelections_;
        }
        ~InternalSelections() { --editor_.internalSelections_; }
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refuse() const;
    void reportFailure(const std::exception_ptr& error);
    void inputMethodEventChecked(QInputMethodEvent* event);
    // Throws DocumentTooLarge when replacing `replaced` bytes by `inserted`
    // would pass the limit.
    void checkRoomFor(std::size_t inserted, Pos replaced) const;
    // Replaces [from, from + length) by the bytes, NUL included.
    void replaceRange(Pos from, Pos length, std::string_view text);
    // Replaces the selection as typing does; typing in overtype mode also
    // replaces the character under the caret.
    void insertTyped(std::string_view bytes, bool overtype);

    Pos lengthLimit_ = kMaxDocumentLength;
    // Scintilla was made to insert nothing since the last key, paste or
    // drop: the document was full.
    bool insertionEmptied_ = false;
    int internalSelections_ = 0;
};

} // namespace kalvo
