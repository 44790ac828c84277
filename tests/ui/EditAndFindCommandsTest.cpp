#include "../core/FindReplaceExamples.h"
#include "MessageBoxAnswers.h"
#include "QtPrinters.h"

#include "app/MainWindow.h"
#include "editor/Cp1252Qt.h"
#include "editor/EditorWidget.h"
#include "findreplace/FindReplaceSteps.h"
#include "findreplace/ReplaceDialog.h"

#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kalvo;

namespace {

// The Edit and Find\Replace menus of the real main window.
class EditAndFindCommands : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<frmWordProc>();
        window->endProgram = [] {};
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        delete dialog();
        window.reset();
    }

    EditorWidget& box() { return *window->txtwordproc; }

    void setDocument(std::string_view text, Pos selStart, Pos selLength) {
        box().SetText(text);
        box().SetSelStart(selStart);
        box().SetSelLength(selLength);
    }

    static frmReplace* dialog() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<frmReplace*>(w);
            if (d && d->isVisible())
                return d;
        }
        return nullptr;
    }

    frmReplace& openDialog() {
        window->FR->trigger();
        frmReplace* d = dialog();
        EXPECT_NE(d, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowActive(d));
        return *d;
    }

    // A user's click: the dialog comes to the front, then the button.
    static void press(frmReplace& d, QPushButton* button) {
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    bool editorHasFocus() {
        return QTest::qWaitFor([this] {
            return QApplication::activeWindow() == window.get() &&
                   QApplication::focusWidget() == window->txtwordproc;
        });
    }

    std::unique_ptr<frmWordProc> window;
};

} // namespace

TEST_F(EditAndFindCommands, WorkedExamplesInTheRealWindow) {
    using kalvo::testing::Button;
    for (const auto& example : kalvo::testing::findReplaceExamples()) {
        SCOPED_TRACE(example.name);
        box().SetText(example.document);
        frmReplace& d = openDialog();
        if (!example.justOpened) {
            box().SetSelStart(example.selStart);
            box().SetSelLength(example.selLength);
        }
        d.txtFind->setText(decodeCp1252(example.find));
        d.txtReplace->setText(decodeCp1252(example.replacement));
        MessageBoxAnswers answers;
        int pressNo = 0;
        for (const auto& p : example.presses) {
            SCOPED_TRACE("press " + std::to_string(++pressNo));
            const qsizetype before = answers.texts.size();
            press(d, p.button == Button::FindNext ? d.cmdFindNext : d.cmdReplace);
            EXPECT_EQ(box().Text(), p.text);
            EXPECT_EQ(box().SelStart(), p.selStart);
            EXPECT_EQ(box().SelLength(), p.selLength);
            const QStringList expected =
                p.notFound ? QStringList{decodeCp1252(notFoundMessage(example.find))}
                           : QStringList{};
            EXPECT_EQ(answers.texts.mid(before), expected);
        }
    }
}

TEST_F(EditAndFindCommands, FocusAfterEachKindOfPress) {
    box().SetText("cat cat");
    frmReplace& d = openDialog();
    d.txtFind->setText(QStringLiteral("cat"));
    d.txtReplace->setText(QStringLiteral("dog"));
    MessageBoxAnswers answers;

    press(d, d.cmdFindNext); // finds offset 4
    EXPECT_EQ(box().SelStart(), 4);
    EXPECT_TRUE(editorHasFocus());

    press(d, d.cmdReplace); // replaces it, then fails
    EXPECT_EQ(box().Text(), "cat dog");
    EXPECT_EQ(answers.texts.size(), 1);
    EXPECT_TRUE(editorHasFocus());

    press(d, d.cmdReplace); // whole document selected: selects offset 0
    QTest::qWait(50);
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 3);
    EXPECT_EQ(QApplication::activeWindow(), &d);
    EXPECT_EQ(QApplication::focusWidget(), d.cmdReplace);

    press(d, d.cmdFindNext); // fails from position 2
    EXPECT_EQ(answers.texts.size(), 2);
    EXPECT_EQ(box().SelLength(), 7);
    EXPECT_TRUE(editorHasFocus());

    press(d, d.cmdCancel);
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 0);
    EXPECT_TRUE(editorHasFocus());
    EXPECT_TRUE(QTest::qWaitFor([] { return dialog() == nullptr; }));
}

TEST_F(EditAndFindCommands, MenuItemReselectsTheDocumentAndKeepsTheDialogsTexts) {
    box().SetText("banana");
    frmReplace& d = openDialog();
    EXPECT_EQ(box().SelLength(), 6);
    d.txtFind->setText(QStringLiteral("an"));
    d.txtReplace->setText(QStringLiteral("AN"));
    press(d, d.cmdFindNext);
    EXPECT_EQ(box().SelStart(), 1);
    EXPECT_EQ(box().SelLength(), 2);

    frmReplace& again = openDialog();
    EXPECT_EQ(&again, &d);
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 6);
    EXPECT_EQ(again.txtFind->text(), QStringLiteral("an"));
    EXPECT_EQ(again.txtReplace->text(), QStringLiteral("AN"));
    EXPECT_EQ(again.windowHandle()->flags() & Qt::WindowStaysOnTopHint, Qt::WindowStaysOnTopHint);
}

TEST_F(EditAndFindCommands, DialogGoesWithTheMainWindow) {
    openDialog();
    QPointer<frmReplace> d = dialog();
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(d.isNull());
}

TEST_F(EditAndFindCommands, CopyAndPasteKeysRunTheMenuCommandsWithUnicodeOnTheClipboard) {
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    clipboard.setImage(picture);
    QSignalSpy copied(window->copy, &QAction::triggered);
    QSignalSpy pasted(window->Paste, &QAction::triggered);
    setDocument("x\xF1\r\n\x80y", 1, 4);
    ASSERT_TRUE(box().hasFocus());

    QTest::keyClick(&box(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copied.count(), 1);
    EXPECT_FALSE(clipboard.mimeData()->hasImage());
    EXPECT_EQ(clipboard.text(), QString::fromUtf8("\u00F1\r\n\u20AC"));

    clipboard.setText(QString::fromUtf8("\u20AC\r\n\u00E5"));
    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pasted.count(), 1);
    EXPECT_EQ(box().Text(), "x\x80\r\n\xE5y");
    EXPECT_EQ(box().SelStart(), 5);

    // Text the document cannot hold is refused whole.
    clipboard.setText(QString::fromUtf8("a\u2192"));
    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box().Text(), "x\x80\r\n\xE5y");

    // No text on the clipboard: Paste deletes the selection.
    clipboard.setImage(picture);
    box().SetSelStart(0);
    box().SetSelLength(2);
    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box().Text(), "\r\n\xE5y");
}

TEST_F(EditAndFindCommands, OnlySelectAllMovesTheFocus) {
    QClipboard& clipboard = *QGuiApplication::clipboard();
    setDocument("one two", 4, 3);
    window->Command1->setFocus();
    ASSERT_TRUE(window->Command1->hasFocus());

    window->cut->trigger();
    EXPECT_EQ(box().Text(), "one ");
    EXPECT_EQ(clipboard.text(), QStringLiteral("two"));
    window->copy->trigger();
    window->Paste->trigger();
    EXPECT_EQ(box().Text(), "one two");
    EXPECT_TRUE(window->Command1->hasFocus());

    window->all->trigger();
    EXPECT_TRUE(box().hasFocus());
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 7);
}
