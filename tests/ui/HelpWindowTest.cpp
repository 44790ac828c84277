// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HelpWindow.h"
#include "common/AppResources.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>
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
    // About 4,200 characters, line ends included.
    EXPECT_GE(text.size(), 4050);
    EXPECT_LE(text.size(), 4350);
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
    void TearDown() override {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QPointer<Form2> window; // as the main window holds it
};

} // namespace

TEST_F(HelpWindowTest, OneWindowKeepsItsTextUntilClosedThenStartsAfresh) {
    const QString initial = helpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Form2* first = &showHelpWindow(window);
    EXPECT_EQ(first->Text1->toPlainText(), initial);
    first->Text1->setPlainText(QStringLiteral("my notes"));
    EXPECT_EQ(&showHelpWindow(window), first);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<Form2*>(w) && w->isVisible();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(first->Text1->toPlainText(), QStringLiteral("my notes"));

    QTest::mouseClick(first->Command1, Qt::LeftButton);
    Form2* again = &showHelpWindow(window); // before Qt has deleted the old one
    EXPECT_NE(again, first);
    EXPECT_EQ(again->Text1->toPlainText(), initial);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window == again && again->isVisible());
}

TEST_F(HelpWindowTest, LongLinesWrapWithoutAHorizontalScrollBar) {
    QPlainTextEdit* text = showHelpWindow(window).Text1;
    text->setPlainText(QString(400, u'W'));
    QCoreApplication::processEvents();
    EXPECT_FALSE(text->horizontalScrollBar()->isVisible());
    EXPECT_GT(text->document()->firstBlock().layout()->lineCount(), 1);
}

// What is copied out of the help text has its lines apart by CR LF, as the
// text is stored: all of it, and a part that spans a line end.
TEST_F(HelpWindowTest, CopiedTextKeepsCrLf) {
    QPlainTextEdit* text = showHelpWindow(window).Text1;
    text->selectAll();
    text->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), helpText());

    text->setPlainText(QStringLiteral("one\ntwo\n\nthree"));
    QTextCursor cursor = text->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(10, QTextCursor::KeepAnchor); // "ne", LF, "two", LF, LF, "t"
    text->setTextCursor(cursor);
    text->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ne\r\ntwo\r\n\r\nt"));
}
