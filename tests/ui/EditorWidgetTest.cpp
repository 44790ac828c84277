// SPDX-License-Identifier: GPL-3.0-or-later
#include "../TextBoxContract.h"

#include "common/Cp1252Font.h"
#include "widgets/EditorWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <Qsci/qsciscintilla.h>

#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <limits>
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
        QApplication::sendEvent(editor.textArea(), &key);
    }
    QTest::keyClick(editor.textArea(), Qt::Key_Return);
    QTest::keyClick(editor.textArea(), Qt::Key_Enter, Qt::KeypadModifier);
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u20AC"));
    QApplication::sendEvent(editor.textArea(), &composed);
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
        QTest::keyClick(editor.textArea(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("old"));
    EXPECT_EQ(editor.Text(), "a\x80z");
    QTest::keyClick(editor.textArea(), Qt::Key_X, Qt::ControlModifier);
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
        {"a letter", [&] { QTest::keyClick(editor.textArea(), Qt::Key_A); }},
        {"the euro sign",
         [&] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "\u20AC");
             QApplication::sendEvent(editor.textArea(), &key);
         }},
        {"Enter", [&] { QTest::keyClick(editor.textArea(), Qt::Key_Return); }},
        {"Ctrl+D, which duplicates",
         [&] { QTest::keyClick(editor.textArea(), Qt::Key_D, Qt::ControlModifier); }},
        {"an input method",
         [&] {
             QInputMethodEvent composed;
             composed.setCommitString(QStringLiteral("e"));
             QApplication::sendEvent(editor.textArea(), &composed);
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
    QSignalSpy changed(&editor, &kalvo::EditorWidget::textChanged);
    QSignalSpy lines(&editor, &kalvo::EditorWidget::linesChanged);
    editor.SetSelLength(editor.Length());
    editor.SetSelText(after);
    EXPECT_EQ(editor.Text(), after);
    EXPECT_EQ(editor.SelStart(), static_cast<kalvo::Pos>(after.size()));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(lines.count(), 1);
    editor.undo();
    EXPECT_EQ(editor.Text(), before);
}

namespace {

// The columns of an image that differ from its background (the colour of
// its bottom-right pixel), cut out whole from top to bottom, so that what is
// drawn keeps its height on the line; a null image when nothing differs.
QImage ink(const QImage& image) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right < 0 ? QImage() : image.copy(left, 0, right - left + 1, image.height());
}

// How the editor draws a document of these bytes, as its ink.
QImage drawn(kalvo::EditorWidget& editor, std::string_view bytes) {
    editor.SetText(bytes);
    editor.SetSelStart(0);
    editor.textArea()->clearFocus(); // no caret in the picture
    return ink(editor.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// How Scintilla draws Unicode text in the editor's font: the characters
// themselves, as a Unicode document shows them. Those the editor's first
// family lacks come from the interface font.
QImage reference(const QString& text, const kalvo::EditorWidget& editor) {
    QFont font = QApplication::font();
    font.setFamily(kalvo::cp1252FontFamily());
    QsciScintilla unicode;
    unicode.setUtf8(true);
    unicode.setCaretWidth(0);
    for (int margin = 0; margin < 5; ++margin)
        unicode.setMarginWidth(margin, 0);
    unicode.setFont(font);
    unicode.resize(editor.textArea()->size());
    unicode.setText(text);
    unicode.show();
    (void)QTest::qWaitForWindowExposed(&unicode);
    return ink(unicode.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// How far apart two drawings are: the sum of their differences in grey,
// white beyond each one, with `b` moved by up to a pixel each way to where
// it lies closest (the same text may sit a fraction of a pixel lower).
long distance(const QImage& a, const QImage& b) {
    long best = std::numeric_limits<long>::max();
    const auto grey = [](const QImage& image, int x, int y) {
        return image.rect().contains(x, y) ? qGray(image.pixel(x, y)) : 255;
    };
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            long sum = 0;
            for (int y = -1; y <= std::max(a.height(), b.height()); ++y)
                for (int x = -1; x <= std::max(a.width(), b.width()); ++x)
                    sum += std::abs(grey(a, x, y) - grey(b, x - dx, y - dy));
            best = std::min(best, sum);
        }
    return best;
}

} // namespace

// Bytes 0x80-0x9F are drawn as their Windows-1252 characters, not as the
// boxes of Latin-1's control codes. Each byte is drawn between two H's, which
// keep its height on the line in the picture; the drawing must be nearer to
// Qt's drawing of its own character than to that of any other, and the
// five undefined bytes must look unlike each other and every defined one.
TEST_F(EditorWidgetTest, HighBytesAreDrawnAsTheirWindows1252Characters) {
    editor.resize(300, 120);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    std::vector<QImage> images;
    for (int byte = 0x80; byte <= 0x9F; ++byte) {
        images.push_back(drawn(editor, std::string(1, static_cast<char>(byte))));
        ASSERT_FALSE(images.back().isNull()) << std::hex << byte;
    }
    for (std::size_t i = 0; i < images.size(); ++i)
        for (std::size_t j = i + 1; j < images.size(); ++j)
            EXPECT_TRUE(images[i] != images[j]) << std::hex << 0x80 + i << " and " << 0x80 + j;

    const std::u16string defined = u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030"
                                   u"\u0160\u2039\u0152\u017D\u2018\u2019\u201C\u201D\u2022"
                                   u"\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178";
    const std::string bytes = "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93"
                              "\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F";
    ASSERT_EQ(defined.size(), bytes.size());
    std::vector<QImage> expected;
    for (char16_t c : defined)
        expected.push_back(reference(QString(QChar(c)), editor));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const QImage& image = images[static_cast<unsigned char>(bytes[i]) - 0x80u];
        std::size_t nearest = 0;
        for (std::size_t j = 1; j < expected.size(); ++j)
            if (distance(image, expected[j]) < distance(image, expected[nearest]))
                nearest = j;
        EXPECT_EQ(nearest, i) << "byte " << std::hex << int(static_cast<unsigned char>(bytes[i]));
    }
}
