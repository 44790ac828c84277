#include "QtPrinters.h"

#include "app/MainWindow.h"
#include "editor/ClipboardCommands.h"
#include "editor/EditorWidget.h"
#include "editor/SystemClipboard.h"
#include "editor/TextBuffer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

// The clipboard as other programs see it: these run only on an X server
// (`xvfb-run -a` with QT_QPA_PLATFORM=xcb), with xclip standing for the
// other program.

using namespace kalvo;

namespace {

class X11Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server";
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            GTEST_SKIP() << "needs xclip";
    }
    void TearDown() override {
        // Take the clipboard back so that no xclip keeps running.
        if (!IsSkipped())
            QGuiApplication::clipboard()->setText(QStringLiteral("end"));
    }

    // Runs xclip on the clipboard selection while this process keeps
    // answering the X server, as it must for xclip to read what we own.
    static QByteArray xclip(QStringList args, const QByteArray& input = {}) {
        QProcess process;
        args << QStringLiteral("-selection") << QStringLiteral("clipboard");
        if (!input.isNull()) // xclip -i stays behind, serving the text
            process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("xclip"), args);
        EXPECT_TRUE(process.waitForStarted());
        if (!input.isNull()) {
            process.write(input);
            process.closeWriteChannel();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }));
        EXPECT_EQ(process.exitCode(), 0);
        return process.readAllStandardOutput();
    }

    static TextBuffer selected(std::string_view text, Pos start, Pos length) {
        TextBuffer box(text);
        box.SetSelStart(start);
        box.SetSelLength(length);
        return box;
    }
};

} // namespace

TEST_F(X11Clipboard, OtherProgramsReadCopiedTextAsUnicodeAndNothingElse) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(picture);
    ASSERT_TRUE(xclip({"-o", "-t", "TARGETS"}).contains("image/png"));

    SystemClipboard clipboard;
    TextBuffer box = selected("se\xF1or\r\n\x80!", 0, 10);
    EXPECT_TRUE(copySelection(box, clipboard));

    EXPECT_EQ(xclip({"-o"}), QByteArray("se\xC3\xB1or\r\n\xE2\x82\xAC!"));
    EXPECT_FALSE(xclip({"-o", "-t", "TARGETS"}).contains("image/"));
}

TEST_F(X11Clipboard, TextFromOtherProgramsArrivesAsDocumentBytes) {
    xclip({"-i"}, QByteArray("\xC3\xB1\xE2\x82\xAC\r\nz"));
    SystemClipboard clipboard;

    // Copy and Cut of nothing leave the other program's text in place.
    TextBuffer box = selected("ab", 1, 0);
    EXPECT_TRUE(copySelection(box, clipboard));
    EXPECT_TRUE(cutSelection(box, clipboard));

    EXPECT_TRUE(pasteClipboard(box, clipboard));
    EXPECT_EQ(box.Text(), "a\xF1\x80\r\nzb");
    EXPECT_EQ(box.SelStart(), 6);

    xclip({"-i"}, QByteArray("x\xE2\x86\x92y"));
    EXPECT_FALSE(pasteClipboard(box, clipboard));
    EXPECT_EQ(box.Text(), "a\xF1\x80\r\nzb");
}

TEST_F(X11Clipboard, CtrlCAndCtrlVInTheMainWindowUseTheSharedClipboard) {
    frmWordProc window;
    window.endProgram = [] {};
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EditorWidget& box = *window.txtwordproc;
    box.SetText("a\x80\r\n\xF1z");
    box.SetSelStart(1);
    box.SetSelLength(4);
    ASSERT_TRUE(box.hasFocus());

    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(xclip({"-o"}), QByteArray("\xE2\x82\xAC\r\n\xC3\xB1"));

    xclip({"-i"}, QByteArray("\xC3\xA5\r\n\xE2\x80\x9C"));
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.Text(), "a\xE5\r\n\x93z");
    EXPECT_EQ(box.SelStart(), 5);
}
