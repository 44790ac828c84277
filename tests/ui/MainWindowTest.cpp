// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetTestHelpers.h"

#include "common/Cp1252Qt.h"
#include "widgets/EditorWidget.h"
#include "windows/MainWindow.h"
#include "windows/ProgressWindow.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

using kalvo::frmWordProc;

namespace {

// xclip, standing for another program, on the X11 primary selection (what a
// middle click pastes); this process keeps answering the X server meanwhile.
QByteArray primary(QStringList args, const QByteArray& input = {}) {
    QProcess process;
    if (!input.isNull()) // xclip -i stays behind, serving the text
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("xclip"), args << QStringLiteral("-selection") << "primary");
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }));
    EXPECT_EQ(process.exitCode(), 0);
    return process.readAllStandardOutput();
}

// Asks the window system to close `window` the first time the progress
// window paints, as a click on the close box then would.
class CloseWhileProgressPaints : public QObject {
public:
    explicit CloseWhileProgressPaints(QWidget& window) : window_(window) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!sent && event->type() == QEvent::Paint && qobject_cast<kalvo::Form1*>(watched)) {
            sent = true;
            window_.windowHandle()->close();
        }
        return false;
    }
    bool sent = false;

private:
    QWidget& window_;
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.endProgram = [this] { ++ended; };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Alt and a letter as an X11 keyboard gives it, with its text.
    void altKey(Qt::Key key, const char* text) {
        QTest::sendKeyEvent(QTest::Click, window.txtwordproc->textArea(), key,
                            QString::fromLatin1(text), Qt::AltModifier);
    }

    frmWordProc window;
    int ended = 0;
};

} // namespace

TEST_F(MainWindowTest, MenuTreeWithAccessKeysShortcutsAndSeparators) {
    QStringList tree;
    for (QAction* menu : window.menuBar()->actions()) {
        tree << menu->text();
        for (QAction* item : menu->menu()->actions())
            tree << (item->isSeparator() ? QStringLiteral("  ---")
                                         : "  " + item->text() + " " +
                                               QKeySequence::listToString(item->shortcuts()));
    }
    EXPECT_EQ(tree,
              (QStringList{"File", "  &New ", "  &Open ", "  &Save ", "  ---", "  &Convert ",
                           "  ---", "  &Exit ", "&Edit", "  &Copy Ctrl+C; Ctrl+Ins",
                           "  &Paste Ctrl+V; Shift+Ins", "  C&ut ", "  ---", "  S&elct All ",
                           "&Find\\Replace", "  Find\\Replce Manually ", "&Help", "  Help F1"}));
}

TEST_F(MainWindowTest, AltFOpensFindReplaceAndAltCConvertsFromTheEditor) {
    altKey(Qt::Key_F, "f");
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    EXPECT_EQ(QApplication::activePopupWidget(), window.FR1);
    window.FR1->close();

    window.txtwordproc->SetText("sin");
    ModalAnswerer answer;
    altKey(Qt::Key_C, "c");
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.count() == 2; }));
    EXPECT_EQ(window.txtwordproc->Text(), "sin(");
}

TEST_F(MainWindowTest, ConversionThroughTheButtonWithProgressAndBothMessages) {
    window.txtwordproc->SetText("A:sin X\r\n:DispGG");
    std::vector<std::pair<int, bool>> steps, atMessages; // the bar's value, the window shown
    const auto progress = [&] { return window.progressWindow(); };
    const auto now = [&] { return std::pair(progress()->pb1->value(), progress()->isVisible()); };
    ModalAnswerer answer([&](QWidget*) { atMessages.push_back(now()); });
    for (int run = 0; run < 2; ++run) {
        QTest::mouseClick(window.Command1, Qt::LeftButton);
        ASSERT_NE(progress(), nullptr);
        EXPECT_FALSE(progress()->isVisible());
        if (run == 0) // the second run reuses the window, starting from 0 again
            QObject::connect(progress()->pb1, &QProgressBar::valueChanged, progress(),
                             [&] { steps.push_back(now()); });
    }
    EXPECT_EQ(progress()->windowTitle(), QStringLiteral("Converting..."));
    ASSERT_EQ(steps.size(), 83u);
    for (int i = 0; i <= 82; ++i)
        EXPECT_EQ(steps[static_cast<std::size_t>(i)], std::pair(i, true));
    EXPECT_EQ(atMessages, (std::vector<std::pair<int, bool>>(4, {82, true})));
    const QString complete = kalvo::decodeCp1252(kalvo::kConversionCompleteMessage),
                  after = kalvo::decodeCp1252(kalvo::kAfterConversionMessage);
    EXPECT_EQ(answer.messages, (QStringList{complete, after, complete, after}));

    EXPECT_EQ(window.txtwordproc->Text(), "A:sin(((( X\r\n:Disp");
    EXPECT_EQ(window.txtwordproc->SelStart() + window.txtwordproc->SelLength(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.txtwordproc->hasFocus(); }));
    window.txtwordproc->undo(); // one step per run
    EXPECT_EQ(window.txtwordproc->Text(), "A:sin(( X\r\n:Disp");
}

TEST_F(MainWindowTest, LayoutIgnoresResizingAndExitEndsTheProgram) {
    window.resize(1200, 900);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kalvo"));
    EXPECT_EQ(window.centralWidget()->mapToGlobal(QPoint(0, 0)), QPoint(4, 42));
    EXPECT_EQ(window.txtwordproc->geometry(), QRect(16, 16, 753, 449));
    EXPECT_EQ(window.Command1->geometry(), QRect(24, 480, 745, 25));
    EXPECT_EQ(window.Command1->text(), QStringLiteral("&Convert to 8xp"));
    EXPECT_TRUE(window.txtwordproc->hasFocus());
    window.Exit->trigger(); // as the close box: through closeEvent
    EXPECT_EQ(ended, 1);
}

// A document limit lowered so that passing it needs no 2 GiB: a conversion
// whose result would pass it says so in one message box and changes nothing;
// a run within the limit then converts as always.
TEST_F(MainWindowTest, ConversionPastTheLimitShowsOneMessageAndKeepsTheDocument) {
    kalvo::EditorWidget& box = *window.txtwordproc;
    box.SetText(":sin A:sin B"); // 12 bytes; converted ":sin( A:sin(( B", 15
    box.SetSelStart(1);
    box.SetSelLength(3);
    box.setLengthLimit(14);
    ModalAnswerer answer;
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    EXPECT_EQ(answer.messages, QStringList{"Kalvo could not convert the document: the result would "
                                           "be larger than 14 bytes."});
    EXPECT_EQ(box.Text(), ":sin A:sin B");
    EXPECT_EQ(box.SelText(), "sin");
    EXPECT_FALSE(window.progressWindow()->isVisible());
    EXPECT_EQ(window.conversion.counter, 0);

    box.setLengthLimit(15);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    EXPECT_EQ(answer.messages.size(), 3);
    EXPECT_EQ(box.Text(), ":sin( A:sin(( B");
    EXPECT_EQ(ended, 0);
}

// Paste and typing meet the same limit, each with one message; replacing a
// selection counts only what the document gains.
TEST_F(MainWindowTest, PasteAndTypingPastTheLimitShowOneMessageEach) {
    kalvo::EditorWidget& box = *window.txtwordproc;
    box.setLengthLimit(7);
    box.SetText("12345");
    box.SetSelStart(5);
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    ModalAnswerer answer;
    window.Paste->trigger();
    box.SetText("1234567");
    box.SetSelStart(7);
    QTest::keyClick(box.textArea(), Qt::Key_X);
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.messages.size() == 2; }));
    EXPECT_EQ(answer.messages,
              (QStringList{"Kalvo could not paste the text: the result would be larger than 7 "
                           "bytes.",
                           "Kalvo could not insert the text: the result would be larger than 7 "
                           "bytes."}));
    EXPECT_EQ(box.Text(), "1234567");
    box.SetSelStart(5);
    box.SetSelLength(2);
    QTest::keyClick(box.textArea(), Qt::Key_X);
    EXPECT_EQ(box.Text(), "12345x");
    QTest::qWait(50);
    EXPECT_EQ(answer.count(), 2);
}

// A close request while the progress window paints does not cut the run
// short: the document is converted, both messages come, then the program
// ends.
TEST_F(MainWindowTest, CloseDuringTheRunEndsTheProgramAfterBothMessages) {
    window.txtwordproc->SetText(":sin A:sin B");
    ModalAnswerer answer;
    qsizetype messagesAtEnd = -1;
    window.endProgram = [&] {
        ++ended;
        messagesAtEnd = answer.messages.size();
    };
    CloseWhileProgressPaints closer(window);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    EXPECT_TRUE(closer.sent);
    EXPECT_EQ(window.txtwordproc->Text(), ":sin( A:sin(( B");
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(messagesAtEnd, 2);
    EXPECT_FALSE(window.progressWindow()->isVisible());
}

// The run's 82 select-alls stay inside the editor: after a conversion the X11
// primary selection still holds what another program put there. The user's
// own selections, by the keyboard or Select All, still reach it.
TEST_F(MainWindowTest, ConversionLeavesThePrimarySelectionToOtherPrograms) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "needs an X server and xclip";
    primary({"-i"}, "another program's words");
    window.txtwordproc->SetText(":sin A\r\n:sin B");
    ModalAnswerer answer;
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    ASSERT_EQ(answer.messages.size(), 2);
    EXPECT_EQ(primary({"-o"}), "another program's words");

    window.txtwordproc->setFocus();
    QTest::keyClick(window.txtwordproc->textArea(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(primary({"-o"}), ":sin( A");
    window.all->trigger();
    EXPECT_EQ(primary({"-o"}), ":sin( A\r\n:sin(( B");
}

// Whatever a command handler meets, one message says what could not be done
// and why, and the handler returns.
TEST_F(MainWindowTest, CommandFailuresBecomeOneSentenceEach) {
    ModalAnswerer answer;
    const auto fails = [&](const std::exception_ptr& error) {
        return kalvo::runCommand(&window, QStringLiteral("Kalvo could not open the file \"a.txt\""),
                                 [&] { std::rethrow_exception(error); });
    };
    EXPECT_FALSE(fails(std::make_exception_ptr(std::bad_alloc())));
    EXPECT_FALSE(fails(std::make_exception_ptr(kalvo::DocumentTooLarge(2147483647))));
    EXPECT_FALSE(fails(std::make_exception_ptr(std::runtime_error("disk on fire"))));
    EXPECT_FALSE(fails(std::make_exception_ptr(42)));
    EXPECT_TRUE(kalvo::runCommand(&window, QStringLiteral("unused"), [] {}));
    EXPECT_EQ(answer.messages,
              (QStringList{
                  "Kalvo could not open the file \"a.txt\": there is not enough memory.",
                  "Kalvo could not open the file \"a.txt\": the result would be larger than "
                  "2147483647 bytes.",
                  "Kalvo could not open the file \"a.txt\": an unexpected error occurred (disk on "
                  "fire).",
                  "Kalvo could not open the file \"a.txt\": an unexpected error occurred."}));
}

// Tab and Shift+Tab move the focus between the editor and the button, as in
// a multi-line text box, and type nothing; a tab that comes in by Paste is
// kept.
TEST_F(MainWindowTest, TabMovesTheFocusBetweenTheEditorAndTheButton) {
    window.txtwordproc->SetText("ab");
    window.txtwordproc->SetSelStart(1);
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    ASSERT_TRUE(window.txtwordproc->hasFocus());
    key(Qt::Key_Tab);
    EXPECT_TRUE(window.Command1->hasFocus());
    key(Qt::Key_Tab); // only the two are reached
    EXPECT_TRUE(window.txtwordproc->hasFocus());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(window.Command1->hasFocus());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(window.txtwordproc->hasFocus());
    EXPECT_EQ(window.txtwordproc->Text(), "ab");

    QApplication::clipboard()->setText(QStringLiteral("\t"));
    window.Paste->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), "a\tb");
}

// F10 makes the menu bar take the keyboard with File highlighted and no menu
// open (Qt on Linux binds no key to the menu bar); the arrows move along it,
// Down opens the highlighted menu, Escape closes it and a second Escape gives
// the keyboard back to the editor, with nothing typed.
TEST_F(MainWindowTest, F10ActivatesTheMenuBarFromTheEditor) {
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    ASSERT_TRUE(window.txtwordproc->hasFocus());
    key(Qt::Key_F10);
    EXPECT_EQ(window.menuBar()->activeAction(), window.file->menuAction());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    key(Qt::Key_Right);
    EXPECT_EQ(window.menuBar()->activeAction(), window.edit->menuAction());
    key(Qt::Key_Left);
    key(Qt::Key_Down);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == window.file; }));
    QTest::keyClick(window.file, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    EXPECT_EQ(window.menuBar()->activeAction(), window.file->menuAction());
    key(Qt::Key_Escape);
    EXPECT_EQ(window.menuBar()->activeAction(), nullptr);
    EXPECT_TRUE(window.txtwordproc->hasFocus());
    EXPECT_EQ(window.txtwordproc->Text(), "");
}
