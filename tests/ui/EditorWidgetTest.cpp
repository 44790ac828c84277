#include "../TextBoxContract.h"

#include "widgets/EditorWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

INSTANTIATE_TYPED_TEST_SUITE_P(EditorWidget, TextBoxContract, kalvo::EditorWidget);

namespace {

class EditorWidgetTest : public testing::Test {
protected:
    EditorWidgetTest() { editor.show(); }
    kalvo::EditorWidget editor;
};

} // namespace

TEST_F(EditorWidgetTest, TypesWindows1252BytesRefusesTheRestAndEnterMakesCrLf) {
    QSignalSpy refused(&editor, &kalvo::EditorWidget::characterRefused);
    // Keys carrying their text, as a keyboard layout delivers them; QTest's
    // own key clicks go through Latin-1 and cannot type the euro sign.
    for (char16_t c : {u'a', u'\u20AC', u'\u00F1', u'\u201C', u'\u2192'}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(&editor, &key);
    }
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClick(&editor, Qt::Key_Enter, Qt::KeypadModifier);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u20AC"));
    QApplication::sendEvent(&editor, &composed);
    EXPECT_EQ(editor.Text(), "a\x80\xF1\x93\r\n\r\n\x80");
    EXPECT_EQ(refused.count(), 1);
}

TEST_F(EditorWidgetTest, PasteAndDropKeepLineEndsAndRefuseWhatTheDocumentCannotHold) {
    editor.SetText("<>");
    editor.SetSelStart(1);
    QApplication::clipboard()->setText(QStringLiteral("p\nq\rr\u20AC\r\n"));
    editor.paste(); // Scintilla's own paste, as its context menu runs it
    QApplication::clipboard()->setText(QStringLiteral("no \u2192 here"));
    editor.paste();
    QMimeData mime;
    mime.setText(QStringLiteral("a\nb\rc\u20AC"));
    const QPoint end = editor.viewport()->rect().bottomRight() - QPoint(5, 5);
    QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &enter);
    QDropEvent drop(QPointF(end), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &drop);
    EXPECT_EQ(editor.Text(), "<p\nq\rr\x80\r\n>a\nb\rc\x80");
}

TEST_F(EditorWidgetTest, CopyAndPasteKeysAreLeftToTheEditMenuCutIsKept) {
    editor.SetText("a\x80z");
    editor.SetSelLength(2);
    QApplication::clipboard()->setText(QStringLiteral("old"));
    for (QKeyCombination key : {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_V,
                                Qt::CTRL | Qt::Key_Insert, Qt::SHIFT | Qt::Key_Insert})
        QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("old"));
    EXPECT_EQ(editor.Text(), "a\x80z");
    QTest::keyClick(&editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a\u20AC"));
}

// Every way text enters from outside meets the document's limit (lowered
// here): at a full document each is refused whole, with the reason.
TEST_F(EditorWidgetTest, TypingComposingPastingAndDroppingStopAtTheLimit) {
    QSignalSpy failed(&editor, &kalvo::EditorWidget::insertionFailed);
    editor.setLengthLimit(5);
    editor.SetText("12345");
    editor.SetSelStart(5);
    QApplication::clipboard()->setText(QStringLiteral("p"));
    QMimeData mime;
    mime.setText(QStringLiteral("d"));
    const QPoint end = editor.viewport()->rect().bottomRight() - QPoint(5, 5);
    std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"a letter", [&] { QTest::keyClick(&editor, Qt::Key_A); }},
        {"the euro sign",
         [&] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "\u20AC");
             QApplication::sendEvent(&editor, &key);
         }},
        {"Enter", [&] { QTest::keyClick(&editor, Qt::Key_Return); }},
        {"Tab", [&] { QTest::keyClick(&editor, Qt::Key_Tab); }},
        {"Ctrl+D, which duplicates",
         [&] { QTest::keyClick(&editor, Qt::Key_D, Qt::ControlModifier); }},
        {"an input method",
         [&] {
             QInputMethodEvent composed;
             composed.setCommitString(QStringLiteral("e"));
             QApplication::sendEvent(&editor, &composed);
         }},
        {"the context menu's paste", [&] { editor.paste(); }},
        {"a drop",
         [&] {
             QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(editor.viewport(), &enter);
             QDropEvent drop(QPointF(end), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(editor.viewport(), &drop);
         }},
    };
    if (QApplication::clipboard()->supportsSelection()) // X11 only
        ways.emplace_back("the middle button", [&] {
            QApplication::clipboard()->setText(QStringLiteral("m"), QClipboard::Selection);
            QTest::mouseClick(editor.viewport(), Qt::MiddleButton, Qt::NoModifier, end);
        });
    int count = 0;
    for (const auto& [name, insert] : ways) {
        insert();
        EXPECT_EQ(editor.Text(), "12345") << name;
        EXPECT_EQ(failed.count(), ++count) << name;
    }
    EXPECT_EQ(failed.first().first().toString(),
              QStringLiteral("the result would be larger than 5 bytes"));
}

// A replacement of more than 1 MiB, as a conversion makes, skips Scintilla's
// own change notices: the editor still says once that its text changed, and
// the replacement is still one undo step.
TEST_F(EditorWidgetTest, LargeReplacementIsOneUndoStepWithOneChangeSignal) {
    std::string before;
    while (before.size() < (std::size_t{3} << 19)) // 1.5 MiB of short lines
        before += ":Disp A\r\n";
    const std::string after = ":ClrHome\r\n" + before; // one line more
    editor.SetText(before);
    QSignalSpy changed(&editor, &QsciScintilla::textChanged);
    QSignalSpy lines(&editor, &QsciScintilla::linesChanged);
    editor.SetSelLength(editor.Length());
    editor.SetSelText(after);
    EXPECT_EQ(editor.Text(), after);
    EXPECT_EQ(editor.SelStart(), static_cast<kalvo::Pos>(after.size()));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(lines.count(), 1);
    editor.undo();
    EXPECT_EQ(editor.Text(), before);
}
