#include "WidgetTestHelpers.h"

#include "app/MainWindow.h"
#include "app/ProgressWindow.h"
#include "editor/Cp1252Qt.h"
#include "editor/EditorWidget.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTest>

#include <vector>

using kalvo::frmWordProc;

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.endProgram = [this] { ++ended; };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Alt and a letter as an X11 keyboard gives it, with its text.
    void altKey(Qt::Key key, const char* text) {
        QTest::sendKeyEvent(QTest::Click, window.txtwordproc, key, QString::fromLatin1(text),
                            Qt::AltModifier);
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
