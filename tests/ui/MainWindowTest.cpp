#include "ModalAnswerer.h"

#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "editor/EditorWidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using kalvo::frmWordProc;

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.endProgram = [this] { ++ended; };
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    frmWordProc window;
    int ended = 0;
};

struct MenuEntry {
    QString caption; // empty for a separator
    QKeySequence shortcut;
};

std::vector<MenuEntry> entries(QMenu* menu) {
    std::vector<MenuEntry> result;
    for (QAction* action : menu->actions())
        result.push_back({action->isSeparator() ? QString() : action->text(), action->shortcut()});
    return result;
}

// A message box as the conversion shows it, read and closed by the test.
struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    int buttons;
    bool progressVisible;
    int progressValue;
};

} // namespace

TEST_F(MainWindowTest, MenuTreeHasItsCaptionsSeparatorsAndShortcuts) {
    QList<QString> titles;
    for (QAction* top : window.menuBar()->actions())
        titles << top->text();
    EXPECT_EQ(titles, (QList<QString>{"File", "&Edit", "&Find\\Replace", "&Help"}));

    const auto file = entries(window.file);
    ASSERT_EQ(file.size(), 7u);
    const char* fileCaptions[] = {"&New", "&Open", "&Save", "", "&Convert", "", "&Exit"};
    for (std::size_t i = 0; i < file.size(); ++i) {
        EXPECT_EQ(file[i].caption, QString::fromLatin1(fileCaptions[i])) << i;
        EXPECT_TRUE(file[i].shortcut.isEmpty()) << i;
    }

    const auto edit = entries(window.edit);
    ASSERT_EQ(edit.size(), 5u);
    EXPECT_EQ(edit[0].caption, "&Copy");
    EXPECT_EQ(edit[0].shortcut, QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(edit[1].caption, "&Paste");
    EXPECT_EQ(edit[1].shortcut, QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(edit[2].caption, "C&ut");
    EXPECT_TRUE(edit[2].shortcut.isEmpty());
    EXPECT_EQ(edit[3].caption, "");
    EXPECT_EQ(edit[4].caption, "S&elct All");
    EXPECT_TRUE(edit[4].shortcut.isEmpty());

    const auto fr = entries(window.FR1);
    ASSERT_EQ(fr.size(), 1u);
    EXPECT_EQ(fr[0].caption, "Find\\Replce Manually");

    const auto help = entries(window.Help);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].caption, "Help");
    EXPECT_EQ(help[0].shortcut, QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindowTest, MenuItemsRunTheirHandlers) {
    // Each item is wired to the handler of its name: New clears, Convert
    // converts (checked through what they do to the document).
    window.txtwordproc->SetText("sin");
    window.strFileName = "somewhere.txt";
    window.New->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), "");
    EXPECT_TRUE(window.strFileName.empty());

    window.txtwordproc->SetText("sin");
    ModalAnswerer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    window.convert->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), "sin(");
    EXPECT_EQ(answer.count(), 2);

    window.Exit->trigger();
    EXPECT_EQ(ended, 1);
}

TEST_F(MainWindowTest, LayoutFollowsTheTwipsTableAndIgnoresResizing) {
    EXPECT_EQ(window.windowTitle(), "Kalvo");
    EXPECT_EQ(window.centralWidget()->size(), QSize(792, 528));
    EXPECT_EQ(window.txtwordproc->geometry(), QRect(16, 16, 753, 449));
    EXPECT_EQ(window.Command1->geometry(), QRect(24, 480, 745, 25));
    EXPECT_EQ(window.Command1->text(), "&Convert to 8xp");
    EXPECT_EQ(window.centralWidget()->mapToGlobal(QPoint(0, 0)), QPoint(4, 42));

    window.resize(1200, 900);
    EXPECT_EQ(window.txtwordproc->geometry(), QRect(16, 16, 753, 449));
    EXPECT_EQ(window.Command1->geometry(), QRect(24, 480, 745, 25));

    // Tab order: the editor, then the button; the editor has the focus.
    EXPECT_TRUE(window.txtwordproc->hasFocus());
    QWidget* next = window.txtwordproc->nextInFocusChain();
    while (next != window.txtwordproc && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, window.Command1);
}

TEST_F(MainWindowTest, CopyPasteAndHelpKeysReachTheMenuWhileTheEditorHasTheFocus) {
    QSignalSpy copied(window.copy, &QAction::triggered);
    QSignalSpy pasted(window.Paste, &QAction::triggered);
    QSignalSpy helped(window.Help2, &QAction::triggered);
    QSignalSpy cut(window.cut, &QAction::triggered);
    window.txtwordproc->SetText("abc");
    window.txtwordproc->SetSelLength(1);
    ASSERT_TRUE(window.txtwordproc->hasFocus());

    QTest::keyClick(window.txtwordproc, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(window.txtwordproc, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(copied.count(), 2);
    QTest::keyClick(window.txtwordproc, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(window.txtwordproc, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(pasted.count(), 2);
    QTest::keyClick(window.txtwordproc, Qt::Key_F1);
    EXPECT_EQ(helped.count(), 1);
    // Each key pasted once: "a" over the selected "a", then "a" at the caret.
    EXPECT_EQ(window.txtwordproc->Text(), "aabc");

    // Ctrl+X is the editor's own cut, not the menu's.
    window.txtwordproc->SetSelStart(0);
    window.txtwordproc->SetSelLength(1);
    QTest::keyClick(window.txtwordproc, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(cut.count(), 0);
    EXPECT_EQ(window.txtwordproc->Text(), "abc");
}

TEST_F(MainWindowTest, AltFOpensTheFindReplaceMenu) {
    QTest::sendKeyEvent(QTest::Click, window.txtwordproc, Qt::Key_F, QStringLiteral("f"),
                        Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    EXPECT_EQ(QApplication::activePopupWidget(), window.FR1);
    window.FR1->close();
    QTest::sendKeyEvent(QTest::Click, window.txtwordproc, Qt::Key_E, QStringLiteral("e"),
                        Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    EXPECT_EQ(QApplication::activePopupWidget(), window.edit);
    window.edit->close();
}

TEST_F(MainWindowTest, ConversionThroughTheButtonShowsProgressAndBothMessages) {
    window.txtwordproc->SetText("A:sin X\r\n:DispGG");
    std::vector<SeenMessage> seen;
    std::vector<std::pair<int, bool>> steps;
    ModalAnswerer answer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        kalvo::Form1* progress = window.progressWindow();
        seen.push_back({box->windowTitle(), box->text(), box->icon(),
                        static_cast<int>(box->buttons().size()), progress && progress->isVisible(),
                        progress ? progress->pb1->value() : -1});
        box->button(QMessageBox::Ok)->click();
    });

    for (int run = 0; run < 2; ++run) {
        QTest::mouseClick(window.Command1, Qt::LeftButton);
        kalvo::Form1* progress = window.progressWindow();
        ASSERT_NE(progress, nullptr);
        if (run == 0)
            QObject::connect(progress->pb1, &QProgressBar::valueChanged, progress,
                             [&steps, progress](int value) {
                                 steps.push_back({value, progress->isVisible()});
                             });
        EXPECT_FALSE(progress->isVisible());
    }

    ASSERT_EQ(seen.size(), 4u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].title, "Kalvo");
        EXPECT_EQ(seen[i].icon, QMessageBox::NoIcon);
        EXPECT_EQ(seen[i].buttons, 1);
        EXPECT_TRUE(seen[i].progressVisible);
        EXPECT_EQ(seen[i].progressValue, 82);
        const std::string_view expected =
            i % 2 == 0 ? kalvo::kConversionCompleteMessage : kalvo::kAfterConversionMessage;
        EXPECT_EQ(seen[i].text.toStdString(), expected);
    }

    // The second run reused the window, starting the bar again from 0.
    ASSERT_EQ(steps.size(), 83u);
    for (int i = 0; i <= 82; ++i) {
        EXPECT_EQ(steps[static_cast<std::size_t>(i)].first, i);
        EXPECT_TRUE(steps[static_cast<std::size_t>(i)].second);
    }

    EXPECT_EQ(window.txtwordproc->Text(), "A:sin(((( X\r\n:Disp");
    EXPECT_EQ(window.txtwordproc->SelStart(), 0);
    EXPECT_EQ(window.txtwordproc->SelLength(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.txtwordproc->hasFocus(); }));
    EXPECT_EQ(window.conversion.txtFind, "==");
    EXPECT_EQ(window.conversion.txtReplace, "=");
    EXPECT_EQ(window.conversion.counter, 0);

    // One undo per run takes the document back to what it was before it.
    window.txtwordproc->undo();
    EXPECT_EQ(window.txtwordproc->Text(), "A:sin(( X\r\n:Disp");
    window.txtwordproc->undo();
    EXPECT_EQ(window.txtwordproc->Text(), "A:sin X\r\n:DispGG");
}

TEST_F(MainWindowTest, ProgressWindowMatchesItsLayout) {
    ModalAnswerer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    window.Command1_Click();
    kalvo::Form1* progress = window.progressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->windowTitle(), "Converting...");
    EXPECT_EQ(progress->parentWidget(), nullptr);
    EXPECT_EQ(progress->size(), QSize(314, 92));
    EXPECT_EQ(progress->Label1->text(), "Converting...");
    EXPECT_EQ(progress->Label1->geometry(), QRect(16, 24, 137, 17));
    EXPECT_EQ(progress->pb1->geometry(), QRect(16, 48, 281, 25));
    EXPECT_EQ(progress->pb1->minimum(), 0);
    EXPECT_EQ(progress->pb1->maximum(), 82);
    EXPECT_EQ(progress->pb1->value(), 82);
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgram) {
    window.close();
    EXPECT_EQ(ended, 1);
}

TEST_F(MainWindowTest, AltCPressesTheConvertButtonFromTheEditor) {
    window.txtwordproc->SetText("sin");
    ModalAnswerer answer([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    // With the text an X11 keyboard gives it, which the editor must not type.
    QTest::sendKeyEvent(QTest::Click, window.txtwordproc, Qt::Key_C, QStringLiteral("c"),
                        Qt::AltModifier);
    // The access key clicks the button as a user would, after its pressed look.
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.count() == 2; }));
    EXPECT_EQ(window.txtwordproc->Text(), "sin(");
}

TEST_F(MainWindowTest, AWindowShownTakesTheKeyboardWithTheCaretInTheEditor) {
    // Shown after another window (the splash, at start-up), with no click.
    frmWordProc shown;
    shown.endProgram = [] {};
    shown.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&shown));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.txtwordproc->hasFocus(); }));
}
