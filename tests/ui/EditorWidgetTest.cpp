#include "../TextBoxContract.h"

#include "editor/EditorWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

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
