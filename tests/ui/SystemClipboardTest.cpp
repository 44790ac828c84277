#include "editor/SystemClipboard.h"
#include "editor/ClipboardCommands.h"
#include "editor/TextBuffer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace kalvo;

namespace {

QClipboard& systemClipboard() {
    return *QGuiApplication::clipboard();
}

void putPicture() {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    systemClipboard().setImage(picture);
    ASSERT_TRUE(systemClipboard().mimeData()->hasImage());
}

TextBuffer selected(std::string_view text, Pos start, Pos length) {
    TextBuffer box(text);
    box.SetSelStart(start);
    box.SetSelLength(length);
    return box;
}

} // namespace

TEST(SystemClipboard, CopyLeavesOnlyUnicodeTextOnTheClipboard) {
    putPicture();
    SystemClipboard clipboard;
    TextBuffer box = selected("se\xF1or\r\n\x80 5", 0, 10);

    EXPECT_TRUE(copySelection(box, clipboard));
    const QMimeData* data = systemClipboard().mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->hasImage());
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(data->text(), QString::fromUtf8("se\u00F1or\r\n\u20AC 5"));
}

TEST(SystemClipboard, BytesTravelOutAndBackUnchanged) {
    SystemClipboard clipboard;
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += "\r\n";
    TextBuffer source = selected(all, 0, static_cast<Pos>(all.size()));
    EXPECT_TRUE(cutSelection(source, clipboard));
    EXPECT_EQ(source.Text(), "");

    TextBuffer target = selected("[]", 1, 0);
    EXPECT_TRUE(pasteClipboard(target, clipboard));
    EXPECT_EQ(target.Text(), "[" + all + "]");
}

TEST(SystemClipboard, PasteEncodesUnicodeToDocumentBytes) {
    systemClipboard().setText(QString::fromUtf8("\u20AC\u00F1\r\nx\ny"));
    SystemClipboard clipboard;
    TextBuffer box = selected("ab", 1, 0);
    EXPECT_TRUE(pasteClipboard(box, clipboard));
    // Line ends arrive exactly as they were on the clipboard.
    EXPECT_EQ(box.Text(), "a\x80\xF1\r\nx\nyb");
    EXPECT_EQ(box.SelStart(), 8);
}
