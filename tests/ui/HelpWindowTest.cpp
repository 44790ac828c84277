#include "windows/HelpWindow.h"
#include "common/AppResources.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace kalvo;

TEST(HelpText, LinesFitSeventyNineColumnsApartByCrLfInSectionsInOrder) {
    const QString text = helpText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 112);
    EXPECT_EQ(text.count(u'\r'), lines.size() - 1);
    EXPECT_EQ(text.count(u'\n'), lines.size() - 1);
    for (const QString& line : lines) {
        int column = 0; // as a plain text editor shows it, tabs every 8 columns
        for (QChar c : line)
            column = c == u'\t' ? (column / 8 + 1) * 8 : column + 1;
        EXPECT_LE(column, 79) << line.toStdString();
    }
    qsizetype at = -1;
    for (const char* heading :
         {"Installing:", "To convert an 86 Program:", "ONCE YOUR PROGRAM HAS BEEN CONVERTED:",
          "MENUS Change", "LABELS Change", "GOTOS Change:", "Delvars Change:", "Variables Change:",
          "YOU HAVE BEEN WARNED:", "Any Questions or Comments?", "Send them to:"}) {
        const qsizetype next = lines.indexOf(QString::fromLatin1(heading), at + 1);
        EXPECT_GT(next, at) << heading;
        at = std::max(at, next);
    }
}

namespace {

// Starts and ends every test with no help window loaded.
class HelpWindowTest : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        if (Form2* window = helpWindow())
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(HelpWindowTest, OneWindowKeepsItsTextUntilClosedThenStartsAfresh) {
    const QString initial = helpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Form2* first = showHelpWindow();
    EXPECT_EQ(first->Text1()->toPlainText(), initial);
    first->Text1()->setPlainText(QStringLiteral("my notes"));
    EXPECT_EQ(showHelpWindow(), first);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<Form2*>(w) && w->isVisible();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(first->Text1()->toPlainText(), QStringLiteral("my notes"));

    QTest::mouseClick(first->Command1(), Qt::LeftButton);
    EXPECT_EQ(helpWindow(), nullptr);
    Form2* again = showHelpWindow(); // before Qt has deleted the old one
    EXPECT_EQ(again->Text1()->toPlainText(), initial);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(helpWindow() == again && again->isVisible());
}

TEST_F(HelpWindowTest, LongLinesWrapWithoutAHorizontalScrollBar) {
    QPlainTextEdit* text = showHelpWindow()->Text1();
    text->setPlainText(QString(400, u'W'));
    QCoreApplication::processEvents();
    EXPECT_FALSE(text->horizontalScrollBar()->isVisible());
    EXPECT_GT(text->document()->firstBlock().layout()->lineCount(), 1);
}
