// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetTestHelpers.h"

#include "widgets/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using kalvo::SystemClipboard;

namespace {

QClipboard& shared() {
    return *QGuiApplication::clipboard();
}

void putPicture() {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    shared().setImage(picture);
}

// xclip, standing for another program, on the clipboard selection; this
// process keeps answering the X server meanwhile, as xclip -o needs.
QByteArray xclip(QStringList args, const QByteArray& input = {}) {
    QProcess process;
    if (!input.isNull()) // xclip -i stays behind, serving the text
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("xclip"), args << QStringLiteral("-selection") << "clipboard");
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }));
    EXPECT_EQ(process.exitCode(), 0);
    return process.readAllStandardOutput();
}

} // namespace

TEST(SystemClipboard, CopiesOnlyUnicodeTextAndPastesItBackAsDocumentBytes) {
    putPicture();
    SystemClipboard clipboard;
    EXPECT_TRUE(clipboard.setText("se\xF1or\r\n\x80!"));
    EXPECT_EQ(shared().mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(shared().text(), QString::fromUtf16(u"se\u00F1or\r\n\u20AC!"));
    shared().setText(QString::fromUtf16(u"\u00F1\u20AC\r\nx\ny"));
    EXPECT_EQ(clipboard.text(), "\xF1\x80\r\nx\ny");
    shared().setText(QString::fromUtf16(u"x\u2192y")); // refused whole, not stored as '?'
    EXPECT_EQ(clipboard.text(), std::nullopt);
}

TEST(X11Clipboard, AnotherProgramSeesTheCopiedTextAndGivesTextToPaste) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "needs an X server and xclip";
    putPicture();
    ASSERT_TRUE(xclip({"-o", "-t", "TARGETS"}).contains("image/png"));
    SystemClipboard clipboard;
    EXPECT_TRUE(clipboard.setText("se\xF1or\r\n\x80!"));
    EXPECT_EQ(xclip({"-o"}), QByteArray("se\xC3\xB1or\r\n\xE2\x82\xAC!"));
    EXPECT_FALSE(xclip({"-o", "-t", "TARGETS"}).contains("image/"));
    xclip({"-i"}, QByteArray("\xC3\xB1\xE2\x82\xAC\r\nz"));
    EXPECT_EQ(clipboard.text(), "\xF1\x80\r\nz");
    shared().setText(QStringLiteral("end")); // so that no xclip keeps running
}
