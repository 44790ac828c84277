// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/EditorWidget.h"

#include "common/Cp1252Font.h"
#include "common/Cp1252Qt.h"
#include "common/FailureReason.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <new>
#include <utility>

namespace kalvo {

namespace {

// Replacements of more bytes than this skip Scintilla's change notices.
constexpr std::size_t kLargeReplacement = std::size_t{1} << 20;

// Scintilla in 8-bit mode reads and writes characters as Latin-1. That is
// right for ASCII and for 0xA0-0xFF, where Windows-1252 agrees with Latin-1;
// anything else (the euro sign, curly quotes, characters with no byte at all)
// must be encoded here.
bool latin1AgreesWithCp1252(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
    });
}

bool allPrintable(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

// The text as Scintilla drops it: every CR, LF and CR LF made a CR LF.
std::string withWindowsLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            result += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

// The Scintilla widget inside: every event that brings text in or takes it
// out, and every byte operation, is handled here.
class EditorWidget::Scintilla final : public QsciScintilla {
public:
    explicit Scintilla(EditorWidget& owner);

    std::string Text() const;
    void SetText(std::string_view text);
    Pos Length() const;
    Pos SelStart() const;
    void SetSelStart(Pos caret);
    Pos SelLength() const;
    void SetSelLength(Pos count);
    std::string SelText() const;
    void SetSelText(std::string_view text);
    std::string_view bytes() const;

    // Scintilla's own paste (its context menu) would turn the pasted line
    // ends into CR LF; this one keeps them.
    void paste() override;

    // What a paste or a drop brings in, and what a copy or a drag takes out.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
    QMimeData* toMimeData(const QByteArray& text, bool rectangular) const override;

    Pos lengthLimit_ = kMaxDocumentLength;
    int internalSelections_ = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

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
    // Hands a key back to the window: Scintilla no longer claims it.
    void unbind(int key);

    EditorWidget& owner_;
    // Scintilla was made to insert nothing since the last key, paste or
    // drop: the document was full.
    bool insertionEmptied_ = false;
};

EditorWidget::Scintilla::Scintilla(EditorWidget& owner) : QsciScintilla(&owner), owner_(owner) {
    setUtf8(false);
    setEolMode(EolWindows);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 0UL);

    // A plain text box: no margins, no folding, no wrapping, both scroll
    // bars, the desktop's interface font.
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    setFolding(NoFoldStyle);
    setWrapMode(WrapNone);
    // Scintilla hands bytes 0x80-0x9F to Qt as Latin-1 control codes, which
    // no font draws. The editor's font is the small one that draws them as
    // their Windows-1252 characters; every other character falls back to
    // the interface font, its substitute (Scintilla takes a single family).
    QFont font = QApplication::font();
    if (const QString family = cp1252FontFamily(); !family.isEmpty())
        font.setFamily(family);
    QsciScintilla::setFont(font);
    // The five bytes Windows-1252 leaves undefined show as their codes in a
    // box, each unlike the others and unlike any character.
    const std::pair<const char*, const char*> undefined[] = {
        {"\x81", "x81"}, {"\x8D", "x8D"}, {"\x8F", "x8F"}, {"\x90", "x90"}, {"\x9D", "x9D"}};
    for (const auto& [byte, shown] : undefined)
        SendScintilla(SCI_SETREPRESENTATION, byte, shown);
    SendScintilla(SCI_SETHSCROLLBAR, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Copy and paste belong to the window's Edit menu, whose shortcuts must
    // reach it while the editor has the focus; Scintilla would claim these
    // keys first. Cut (Ctrl+X, Shift+Delete) stays with the editor.
    const int released[] = {
        (Qt::CTRL | Qt::Key_C).toCombined(),
        (Qt::CTRL | Qt::Key_V).toCombined(),
        (Qt::CTRL | Qt::Key_Insert).toCombined(),
        (Qt::SHIFT | Qt::Key_Insert).toCombined(),
    };
    for (int key : released)
        unbind(key);

    // Tab and Shift+Tab move the focus on, as in a multi-line text box:
    // the button below is reached by the keyboard, and no tab character is
    // typed (one that is pasted or opened is kept).
    const int focusKeys[] = {Qt::Key_Tab, (Qt::SHIFT | Qt::Key_Tab).toCombined(), Qt::Key_Backtab,
                             (Qt::SHIFT | Qt::Key_Backtab).toCombined()};
    for (int key : focusKeys)
        unbind(key);

    // Whatever else Scintilla inserts by itself (a duplicated line)
    // meets the document's limit too: an insertion that would pass it is
    // made empty and reported, once for each key, paste or drop.
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int type, const char*, int length, int, int, int, int, int, int) {
                if ((type & SC_MOD_INSERTCHECK) &&
                    static_cast<std::size_t>(Length()) + static_cast<std::size_t>(length) >
                        static_cast<std::size_t>(lengthLimit_)) {
                    SendScintilla(SCI_CHANGEINSERTION, 0UL, "");
                    if (!std::exchange(insertionEmptied_, true))
                        reportFailure(std::make_exception_ptr(DocumentTooLarge(lengthLimit_)));
                }
            });
}

std::string_view EditorWidget::Scintilla::bytes() const {
    const auto* chars = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return {chars, static_cast<std::size_t>(Length())};
}

std::string EditorWidget::Scintilla::Text() const {
    return std::string(bytes());
}

void EditorWidget::Scintilla::SetText(std::string_view text) {
    checkDocumentSize(text.size(), lengthLimit_);
    // A new document starts a new undo history; not recording the old text
    // also keeps loading a large file quick.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
    SendScintilla(SCI_SCROLLCARET);
}

Pos EditorWidget::Scintilla::Length() const {
    return static_cast<Pos>(SendScintilla(SCI_GETLENGTH));
}

Pos EditorWidget::Scintilla::SelStart() const {
    return static_cast<Pos>(SendScintilla(SCI_GETSELECTIONSTART));
}

void EditorWidget::Scintilla::SetSelStart(Pos caret) {
    const Pos at = std::clamp<Pos>(caret, 0, Length());
    SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(at));
}

Pos EditorWidget::Scintilla::SelLength() const {
    return static_cast<Pos>(SendScintilla(SCI_GETSELECTIONEND) -
                            SendScintilla(SCI_GETSELECTIONSTART));
}

void EditorWidget::Scintilla::SetSelLength(Pos count) {
    const Pos start = SelStart();
    const Pos length = std::clamp<Pos>(count, 0, Length() - start);
    if (internalSelections_ == 0) {
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start),
                      static_cast<long>(start + length));
        return;
    }
    // SCI_SETSEL hands every non-empty selection to the X11 primary
    // selection, copying the selected text out of the editor; setting the
    // selection directly does not. The view scrolls to the caret as with
    // SCI_SETSEL.
    SendScintilla(SCI_SETSELECTION, static_cast<unsigned long>(start + length),
                  static_cast<long>(start));
    SendScintilla(SCI_SCROLLCARET);
}

std::string EditorWidget::Scintilla::SelText() const {
    return std::string(bytes().substr(static_cast<std::size_t>(SelStart()),
                                      static_cast<std::size_t>(SelLength())));
}

void EditorWidget::Scintilla::SetSelText(std::string_view text) {
    const Pos start = SelStart();
    const Pos length = SelLength();
    checkRoomFor(text.size(), length);
    replaceRange(start, length, text);
    SendScintilla(SCI_SETEMPTYSELECTION,
                  static_cast<unsigned long>(start) + static_cast<unsigned long>(text.size()));
}

void EditorWidget::Scintilla::replaceRange(Pos from, Pos length, std::string_view text) {
    // Scintilla deletes before it inserts, and grows its buffer for the
    // insertion by the whole inserted text plus a sixth of the old buffer
    // (all of it zeroed), so replacing a whole document would take about
    // three times its size. Room made first is just the new length, with a
    // little to spare for typing; when the buffer is large enough already
    // this does nothing.
    const std::size_t newLength = static_cast<std::size_t>(Length() - length) + text.size();
    if (text.size() > static_cast<std::size_t>(length)) {
        SendScintilla(SCI_SETSTATUS, static_cast<unsigned long>(SC_STATUS_OK));
        SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(newLength + newLength / 256 + 1));
        // Scintilla keeps its own failures to itself; this one comes before
        // any change, so the document is still as it was.
        if (SendScintilla(SCI_GETSTATUS) == SC_STATUS_BADALLOC) {
            SendScintilla(SCI_SETSTATUS, static_cast<unsigned long>(SC_STATUS_OK));
            throw std::bad_alloc();
        }
    }
    // Each change notice carries two copies of the changed text (one as
    // UTF-16, for assistive tools), three times the size of a converted
    // document. A large replacement goes without them; the editor's own
    // change signals are given afterwards.
    const bool large = text.size() + static_cast<std::size_t>(length) > kLargeReplacement;
    const long mask = SendScintilla(SCI_GETMODEVENTMASK);
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    if (large)
        SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    // One undo step, whatever the size of the replacement.
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(from),
                  static_cast<long>(from + length));
    // An empty view may carry a null pointer, which Scintilla asserts on.
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(text.size()),
                  text.empty() ? "" : text.data());
    SendScintilla(SCI_ENDUNDOACTION);
    if (large) {
        SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
        emit textChanged();
        if (SendScintilla(SCI_GETLINECOUNT) != lines)
            emit linesChanged();
        if (QAccessible::isActive()) {
            QAccessibleEvent changed(this, QAccessible::TextUpdated);
            QAccessible::updateAccessibility(&changed);
        }
    }
}

void EditorWidget::Scintilla::refuse() const {
    QApplication::beep();
    emit owner_.characterRefused();
}

void EditorWidget::Scintilla::reportFailure(const std::exception_ptr& error) {
    emit owner_.insertionFailed(failureReason(error));
}

void EditorWidget::Scintilla::checkRoomFor(std::size_t inserted, Pos replaced) const {
    checkDocumentSize(static_cast<std::size_t>(Length() - replaced) + inserted, lengthLimit_);
}

void EditorWidget::Scintilla::insertTyped(std::string_view typed, bool overtype) {
    Pos from = SelStart();
    Pos length = SelLength();
    // Overtype replaces the character under the caret, never a line end.
    if (overtype && length == 0 && overwriteMode() && from < Length()) {
        const char next = bytes()[static_cast<std::size_t>(from)];
        if (next != '\r' && next != '\n')
            length = 1;
    }
    checkRoomFor(typed.size(), length);
    replaceRange(from, length, typed);
    SendScintilla(SCI_SETEMPTYSELECTION,
                  static_cast<unsigned long>(from) + static_cast<unsigned long>(typed.size()));
    SendScintilla(SCI_SCROLLCARET);
}

void EditorWidget::Scintilla::keyPressEvent(QKeyEvent* event) {
    insertionEmptied_ = false;
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    try {
        if (command || text.isEmpty() || !allPrintable(text) || latin1AgreesWithCp1252(text)) {
            // What Scintilla is about to type: the characters, or CR LF for
            // Enter. It replaces the selection, if any.
            const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
            if (!command && ((!text.isEmpty() && allPrintable(text)) || enter))
                checkRoomFor(enter ? 2 : static_cast<std::size_t>(text.size()), SelLength());
            QsciScintilla::keyPressEvent(event);
            return;
        }
        if (const std::optional<std::string> typed = encodeCp1252(text))
            insertTyped(*typed, true);
        else
            refuse();
    } catch (...) {
        reportFailure(std::current_exception());
    }
    event->accept();
}

void EditorWidget::Scintilla::inputMethodEvent(QInputMethodEvent* event) {
    insertionEmptied_ = false;
    try {
        inputMethodEventChecked(event);
    } catch (...) {
        reportFailure(std::current_exception());
        event->accept();
    }
}

void EditorWidget::Scintilla::inputMethodEventChecked(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    checkRoomFor(static_cast<std::size_t>(commit.size()), SelLength());
    if (commit.isEmpty() || latin1AgreesWithCp1252(commit)) {
        QsciScintilla::inputMethodEvent(event);
        return;
    }
    // Take down the old composition first, then store the committed text,
    // then let the editor show the new composition, if any.
    QInputMethodEvent clear;
    QsciScintilla::inputMethodEvent(&clear);
    if (const std::optional<std::string> typed = encodeCp1252(commit))
        insertTyped(*typed, true);
    else
        refuse();
    if (!event->preeditString().isEmpty()) {
        QInputMethodEvent composing(event->preeditString(), event->attributes());
        QsciScintilla::inputMethodEvent(&composing);
    }
    event->accept();
}

void EditorWidget::Scintilla::paste() {
    insertionEmptied_ = false;
    try {
        const QMimeData* source = QApplication::clipboard()->mimeData();
        if (!source || !source->hasText())
            return;
        bool rectangular = false;
        const QByteArray text = fromMimeData(source, rectangular);
        if (text.isEmpty())
            return;
        insertTyped(view(text), false);
    } catch (...) {
        reportFailure(std::current_exception());
    }
}

void EditorWidget::Scintilla::dropEvent(QDropEvent* event) {
    insertionEmptied_ = false;
    // Scintilla drops the text with its line ends made CR LF and leaves it
    // selected; the text is put back as it came, in the same undo step.
    bool rectangular = false;
    QByteArray dropped;
    std::string converted;
    try {
        dropped = fromMimeData(event->mimeData(), rectangular);
        converted = withWindowsLineEnds(view(dropped));
        // Text moved within the document leaves its length as it is; the
        // check counts the dropped text as Scintilla first inserts it.
        if (event->source() != this || event->dropAction() != Qt::MoveAction)
            checkRoomFor(converted.size(), 0);
    } catch (...) {
        event->ignore();
        reportFailure(std::current_exception());
        return;
    }
    SendScintilla(SCI_BEGINUNDOACTION);
    try {
        QsciScintilla::dropEvent(event);
        if (event->isAccepted() && !rectangular && !dropped.isEmpty() &&
            converted != view(dropped) && SelText() == converted) {
            const Pos start = SelStart();
            SetSelText(view(dropped));
            SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start),
                          static_cast<long>(start + dropped.size()));
        }
    } catch (...) {
        reportFailure(std::current_exception());
    }
    SendScintilla(SCI_ENDUNDOACTION);
}

void EditorWidget::Scintilla::mousePressEvent(QMouseEvent* event) {
    insertionEmptied_ = false;
    // The middle button pastes the X11 selection; Scintilla's own way would
    // change its line ends and turn other characters into '?'.
    QClipboard* clipboard = QApplication::clipboard();
    if (event->button() != Qt::MiddleButton || !clipboard->supportsSelection()) {
        QsciScintilla::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    SetSelStart(static_cast<Pos>(SendScintilla(
        SCI_POSITIONFROMPOINT, static_cast<unsigned long>(at.x()), static_cast<long>(at.y()))));
    const QMimeData* source = clipboard->mimeData(QClipboard::Selection);
    try {
        if (source && source->hasText()) {
            bool rectangular = false;
            const QByteArray text = fromMimeData(source, rectangular);
            if (!text.isEmpty())
                insertTyped(view(text), false);
        }
    } catch (...) {
        reportFailure(std::current_exception());
    }
    event->accept();
}

bool EditorWidget::Scintilla::canInsertFromMimeData(const QMimeData* source) const {
    return QsciScintilla::canInsertFromMimeData(source) && encodeCp1252(source->text()).has_value();
}

QByteArray EditorWidget::Scintilla::fromMimeData(const QMimeData* source, bool& rectangular) const {
    // The base call only tells whether the data is a rectangular block; its
    // bytes are Latin-1, with '?' for everything else.
    QsciScintilla::fromMimeData(source, rectangular);
    const std::optional<std::string> bytes = encodeCp1252(source->text());
    if (!bytes) {
        refuse();
        return {};
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QMimeData* EditorWidget::Scintilla::toMimeData(const QByteArray& text, bool rectangular) const {
    QMimeData* mime = QsciScintilla::toMimeData(text, rectangular);
    mime->setText(decodeCp1252(view(text)));
    return mime;
}

void EditorWidget::Scintilla::unbind(int key) {
    while (QsciCommand* command = standardCommands()->boundTo(key)) {
        if (command->key() == key)
            command->setKey(0);
        if (command->alternateKey() == key)
            command->setAlternateKey(0);
    }
}

// Scintilla would keep Tab for itself; unbound, Tab and Shift+Tab move the
// focus as in any other widget.
bool EditorWidget::Scintilla::focusNextPrevChild(bool next) {
    return QWidget::focusNextPrevChild(next);
}

EditorWidget::EditorWidget(QWidget* parent) : QWidget(parent), sci_(new Scintilla(*this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sci_);
    setFocusProxy(sci_);
    setFocusPolicy(sci_->focusPolicy());
    connect(sci_, &QsciScintilla::textChanged, this, &EditorWidget::textChanged);
    connect(sci_, &QsciScintilla::linesChanged, this, &EditorWidget::linesChanged);
}

EditorWidget::~EditorWidget() = default;

std::string EditorWidget::Text() const {
    return sci_->Text();
}
void EditorWidget::SetText(std::string_view text) {
    sci_->SetText(text);
}
Pos EditorWidget::Length() const {
    return sci_->Length();
}
Pos EditorWidget::SelStart() const {
    return sci_->SelStart();
}
void EditorWidget::SetSelStart(Pos caret) {
    sci_->SetSelStart(caret);
}
Pos EditorWidget::SelLength() const {
    return sci_->SelLength();
}
void EditorWidget::SetSelLength(Pos count) {
    sci_->SetSelLength(count);
}
std::string EditorWidget::SelText() const {
    return sci_->SelText();
}
void EditorWidget::SetSelText(std::string_view text) {
    sci_->SetSelText(text);
}
std::string_view EditorWidget::bytes() const {
    return sci_->bytes();
}

void EditorWidget::SetFocus() {
    if (isVisible())
        window()->activateWindow();
    sci_->setFocus(Qt::OtherFocusReason);
}

Pos EditorWidget::find(std::int64_t start, std::string_view needle) const {
    return findIn(bytes(), start, needle);
}

Pos EditorWidget::lengthLimit() const {
    return sci_->lengthLimit_;
}
void EditorWidget::setLengthLimit(Pos limit) {
    sci_->lengthLimit_ = limit;
}

void EditorWidget::paste() {
    sci_->paste();
}
void EditorWidget::undo() {
    sci_->undo();
}

QWidget* EditorWidget::textArea() const {
    return sci_;
}
QWidget* EditorWidget::viewport() const {
    return sci_->viewport();
}

EditorWidget::InternalSelections::InternalSelections(EditorWidget& editor) : editor_(editor) {
    ++editor_.sci_->internalSelections_;
}
EditorWidget::InternalSelections::~InternalSelections() {
    --editor_.sci_->internalSelections_;
}

} // namespace kalvo
