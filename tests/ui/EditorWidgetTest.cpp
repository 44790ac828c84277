#include "../TextBoxContract.h"

#include "editor/EditorWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using kalvo::EditorWidget;

INSTANTIATE_TYPED_TEST_SUITE_P(EditorWidget, TextBoxContract, kalvo::EditorWidget);

namespace {

// A key press carrying its text, as a keyboard layout delivers it; QTest's
// key clicks go through Latin-1 and cannot type the euro sign.
void type(QWidget& widget, const QString& text, Qt::Key key = Qt::Key_unknown) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

class EditorWidgetTest : public testing::Test {
protected:
    void SetUp() override {
        editor.resize(400, 200);
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        editor.setFocus();
    }
    EditorWidget editor;
};

} // namespace

TEST_F(EditorWidgetTest, TypingStoresTheWindows1252ByteOfEachCharacter) {
    type(editor, QStringLiteral("a"), Qt::Key_A);
    type(editor, QString(QChar(0x20AC)));               // euro sign
    type(editor, QString(QChar(0x00F1)));               // n with tilde
    type(editor, QString(QChar(0x201C)));               // left double quote
    type(editor, QStringLiteral("\r"), Qt::Key_Return); // Enter
    type(editor, QString(QChar(0x00E5)));
    EXPECT_EQ(editor.Text(), "a\x80\xF1\x93\r\n\xE5");
    EXPECT_EQ(editor.SelStart(), editor.Length());
}

TEST_F(EditorWidgetTest, RefusesACharacterWithoutAWindows1252Byte) {
    QSignalSpy refused(&editor, &EditorWidget::characterRefused);
    editor.SetText("ab");
    editor.SetSelStart(1);
    type(editor, QString(QChar(0x2192))); // rightwards arrow
    type(editor, QString(QChar(0x20AC)) + QChar(0x2192));
    EXPECT_EQ(editor.Text(), "ab");
    EXPECT_EQ(editor.SelStart(), 1);
    EXPECT_EQ(refused.count(), 2);
}

TEST_F(EditorWidgetTest, TypingOverASelectionReplacesItAsOneUndoStep) {
    editor.SetText("xyz");
    editor.SetSelStart(1);
    editor.SetSelLength(1);
    type(editor, QString(QChar(0x20AC)));
    EXPECT_EQ(editor.Text(), "x\x80z");
    editor.undo();
    EXPECT_EQ(editor.Text(), "xyz");
}

TEST_F(EditorWidgetTest, InputMethodCommitsAreEncodedToo) {
    QInputMethodEvent composing(QStringLiteral("e"), {});
    QApplication::sendEvent(&editor, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(QString(QChar(0x20AC)));
    QApplication::sendEvent(&editor, &commit);
    QInputMethodEvent plain;
    plain.setCommitString(QStringLiteral("\u00E9"));
    QApplication::sendEvent(&editor, &plain);
    QInputMethodEvent refused;
    refused.setCommitString(QString(QChar(0x2192)));
    QApplication::sendEvent(&editor, &refused);
    EXPECT_EQ(editor.Text(), "\x80\xE9");
}

TEST_F(EditorWidgetTest, PasteKeepsLineEndsAndEncodesCharacters) {
    QApplication::clipboard()->setText(QStringLiteral("p\nq\rr\u20AC\r\n"));
    editor.SetText("<>");
    editor.SetSelStart(1);
    editor.paste(); // Scintilla's own paste, as its context menu runs it
    EXPECT_EQ(editor.Text(), "<p\nq\rr\x80\r\n>");

    QApplication::clipboard()->setText(QStringLiteral("no \u2192 here"));
    editor.SetSelStart(0);
    editor.SetSelLength(1);
    editor.paste();
    EXPECT_EQ(editor.Text(), "<p\nq\rr\x80\r\n>");
}

TEST_F(EditorWidgetTest, CopyAndCutGiveUnicodeToTheClipboard) {
    editor.SetText("a\x80\x93\xF1z");
    editor.SetSelStart(1);
    editor.SetSelLength(3);
    editor.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("\u20AC\u201C\u00F1"));

    // Ctrl+X stays the editor's own cut.
    QApplication::clipboard()->clear();
    editor.SetSelStart(0);
    editor.SetSelLength(2);
    QTest::keyClick(&editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor.Text(), "\x93\xF1z");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a\u20AC"));
}

TEST_F(EditorWidgetTest, DroppedTextIsEncodedAndRefusedWhenItCannotBe) {
    QMimeData good;
    good.setText(QStringLiteral("\u20AC5"));
    QMimeData bad;
    bad.setText(QStringLiteral("\u2192"));
    EXPECT_TRUE(editor.canInsertFromMimeData(&good));
    EXPECT_FALSE(editor.canInsertFromMimeData(&bad));
    bool rectangular = true;
    const QByteArray bytes = editor.fromMimeData(&good, rectangular);
    EXPECT_EQ(bytes, QByteArray("\x80"
                                "5"));
    EXPECT_FALSE(rectangular);
}

TEST_F(EditorWidgetTest, EnterInsertsCrLf) {
    editor.SetText("ab");
    editor.SetSelStart(1);
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClick(&editor, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(editor.Text(), "a\r\n\r\nb");
}

TEST_F(EditorWidgetTest, ReplacingTheSelectionIsOneUndoStepAndSetTextStartsAfresh) {
    editor.SetText("before");
    kalvo::selectAll(editor);
    editor.SetSelText(std::string("aft\0er", 6));
    EXPECT_EQ(editor.Text(), std::string("aft\0er", 6));
    editor.undo();
    EXPECT_EQ(editor.Text(), "before");
    // A new document cannot be undone back into the old one.
    editor.SetText("other");
    EXPECT_FALSE(editor.isUndoAvailable());
}

TEST_F(EditorWidgetTest, DroppedTextKeepsItsLineEnds) {
    editor.SetText("<>");
    QMimeData mime;
    mime.setText(QStringLiteral("a\nb\rc\u20AC"));
    const QPoint at = editor.viewport()->rect().bottomRight() - QPoint(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &drop);
    EXPECT_EQ(editor.Text(), "<>a\nb\rc\x80");
    editor.undo();
    EXPECT_EQ(editor.Text(), "<>");
}

TEST_F(EditorWidgetTest, MiddleButtonPastesTheSelectionAsItIs) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "no selection clipboard on this platform";
    clipboard->setText(QStringLiteral("x\ny\u20AC"), QClipboard::Selection);
    QTRY_COMPARE_WITH_TIMEOUT(clipboard->text(QClipboard::Selection), QStringLiteral("x\ny\u20AC"),
                              2000);
    editor.SetText("ab");
    QTest::mouseClick(editor.viewport(), Qt::MiddleButton, Qt::NoModifier,
                      editor.viewport()->rect().bottomRight() - QPoint(5, 5));
    EXPECT_EQ(editor.Text(), "abx\ny\x80");
}
