#include "app/HelpWindow.h"

#include "app/AppResources.h"
#include "app/MainWindow.h"
#include "editor/EditorWidget.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

using kalvo::Form2;
using kalvo::frmWordProc;
using kalvo::helpText;
using kalvo::helpWindow;
using kalvo::showHelpWindow;

namespace {

void processDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void closeHelpWindow() {
    if (Form2* window = helpWindow())
        window->close();
    processDeletes();
}

int helpWindowCount() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<Form2*>(w) && w->isVisible())
            ++count;
    return count;
}

// Starts and ends every test with no help window loaded.
class HelpWindowTest : public testing::Test {
protected:
    void SetUp() override { closeHelpWindow(); }
    void TearDown() override { closeHelpWindow(); }
};

} // namespace

TEST_F(HelpWindowTest, OneWindowOnTwoOpensKeepingItsText) {
    EXPECT_EQ(helpWindow(), nullptr);
    Form2* first = showHelpWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    first->Text1()->setPlainText(QStringLiteral("my notes"));

    Form2* second = showHelpWindow();
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->Text1()->toPlainText(), QStringLiteral("my notes"));
    EXPECT_EQ(helpWindowCount(), 1);
}

TEST_F(HelpWindowTest, F1InTheMainWindowOpensOneHelpWindow) {
    frmWordProc main;
    main.endProgram = [] {};
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    QTest::keyClick(main.txtwordproc, Qt::Key_F1);
    Form2* first = helpWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), nullptr); // no owner
    first->Text1()->setPlainText(QStringLiteral("kept"));

    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(main.txtwordproc, Qt::Key_F1);
    EXPECT_EQ(helpWindow(), first);
    EXPECT_EQ(helpWindowCount(), 1);
    EXPECT_EQ(first->Text1()->toPlainText(), QStringLiteral("kept"));
}

TEST_F(HelpWindowTest, CloseButtonUnloadsAndTheInitialTextComesBack) {
    Form2* window = showHelpWindow();
    const QString initial = window->Text1()->toPlainText();
    window->Text1()->selectAll();
    QTest::keyClicks(window->Text1(), QStringLiteral("typed over"));
    EXPECT_EQ(window->Text1()->toPlainText(), QStringLiteral("typed over"));

    QPointer<Form2> closed = window;
    QTest::mouseClick(window->Command1(), Qt::LeftButton);
    EXPECT_EQ(helpWindow(), nullptr);
    EXPECT_FALSE(closed && closed->isVisible());
    processDeletes();
    EXPECT_TRUE(closed.isNull());

    Form2* again = showHelpWindow();
    EXPECT_EQ(again->Text1()->toPlainText(), initial);
}

TEST_F(HelpWindowTest, OpeningRightAfterACloseGivesAFreshWindow) {
    Form2* window = showHelpWindow();
    window->Text1()->setPlainText(QStringLiteral("edited"));
    window->close(); // the close box; Qt deletes the window later
    Form2* again = showHelpWindow();
    EXPECT_NE(again->Text1()->toPlainText(), QStringLiteral("edited"));
    processDeletes();
    EXPECT_EQ(helpWindow(), again);
    EXPECT_TRUE(again->isVisible());
}

TEST_F(HelpWindowTest, TheCloseButtonWorksFromTheKeyboard) {
    Form2* window = showHelpWindow();
    EXPECT_EQ(window->Command1()->text(), QStringLiteral("&Close"));
    QTest::keyClick(window->Command1(), Qt::Key_Space);
    EXPECT_EQ(helpWindow(), nullptr);
}

TEST_F(HelpWindowTest, InitialTextIsTheHelpText) {
    Form2* window = showHelpWindow();
    QString expected = helpText();
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(window->Text1()->toPlainText(), expected);
    EXPECT_EQ(window->Text1()->document()->blockCount(), 112);
    EXPECT_FALSE(window->Text1()->isReadOnly());
}

TEST_F(HelpWindowTest, LayoutFollowsTheTwipsTable) {
    Form2* window = showHelpWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Help"));
    EXPECT_EQ(window->size(), QSize(497, 381));
    EXPECT_EQ(window->Text1()->geometry(), QRect(16, 16, 473, 321));
    EXPECT_EQ(window->Command1()->geometry(), QRect(128, 352, 217, 25));
    EXPECT_EQ(window->layout(), nullptr);
    EXPECT_FALSE(window->windowIcon().isNull());

    // Sizable, and the controls stay where they are when it is resized.
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NE(window->minimumSize(), window->maximumSize());
    window->resize(800, 600);
    EXPECT_EQ(window->Text1()->geometry(), QRect(16, 16, 473, 321));
    EXPECT_EQ(window->Command1()->geometry(), QRect(128, 352, 217, 25));
}

TEST_F(HelpWindowTest, WrapsWithoutAHorizontalScrollBar) {
    Form2* window = showHelpWindow();
    QPlainTextEdit* text = window->Text1();
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    text->setPlainText(QString(400, u'W'));
    QCoreApplication::processEvents();
    EXPECT_FALSE(text->horizontalScrollBar()->isVisible());
    EXPECT_GT(text->document()->documentLayout()->documentSize().height(), 1);
    // One long block laid out on more than one line.
    EXPECT_GT(text->document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(HelpWindowTest, TheHelpTextsLinesFitTheBoxUnwrapped) {
    Form2* window = showHelpWindow();
    QCoreApplication::processEvents();
    const QTextDocument* document = window->Text1()->document();
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block); // lays the block out
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
}

TEST_F(HelpWindowTest, ColoursAndTabOrder) {
    Form2* window = showHelpWindow();
    const QColor info = QApplication::palette().color(QPalette::ToolTipBase);
    EXPECT_EQ(window->palette().color(QPalette::Window), info);
    EXPECT_TRUE(window->autoFillBackground());
    EXPECT_EQ(window->Text1()->palette().color(QPalette::Base), info);
    EXPECT_EQ(window->Text1()->palette().color(QPalette::Text),
              QApplication::palette().color(QPalette::Active, QPalette::Highlight));

    // Tab order: Text1, then Command1; Tab leaves the text box.
    EXPECT_EQ(window->focusWidget(), window->Text1());
    EXPECT_TRUE(window->Text1()->tabChangesFocus());
    QTest::keyClick(window->Text1(), Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), window->Command1());
    EXPECT_TRUE(window->Text1()->toPlainText().startsWith(QStringLiteral("<<<")));
}
