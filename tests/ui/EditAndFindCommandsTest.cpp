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
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

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

    void select(Pos selStart, Pos selLength) {
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

    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<frmWordProc> window;
};

QString textOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return qobject_cast<const QPushButton*>(w)->text();
}

} // namespace

TEST_F(EditAndFindCommands, DialogLaysOutItsControlsFromTheTwipsFigures) {
    frmReplace& d = openDialog();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(d.geometry(), QRect(130, 81, 403, 106));
    EXPECT_EQ(d.minimumSize(), QSize(403, 106));
    EXPECT_EQ(d.maximumSize(), QSize(403, 106));
    EXPECT_EQ(d.windowType(), Qt::Tool);
    EXPECT_TRUE(d.windowIcon().isNull()); // the dialog has no icon of its own
    const Qt::WindowFlags flags = d.windowHandle()->flags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(d.parent(), nullptr);

    const struct {
        QWidget* widget;
        QRect geometry;
        const char* caption;
    } controls[] = {
        {d.Label1, {16, 16, 72, 16}, "Find what:"},
        {d.txtFind, {104, 16, 168, 19}, ""},
        {d.Label2, {16, 40, 72, 16}, "Replace with:"},
        {d.txtReplace, {104, 40, 168, 19}, ""},
        {d.cmdFindNext, {312, 8, 81, 25}, "Find Next"},
        {d.cmdReplace, {312, 40, 80, 24}, "Replace"},
        {d.cmdCancel, {312, 72, 81, 25}, "Cancel"},
        {d.Label3, {24, 64, 265, 41}, kReplaceDialogHint},
    };
    for (const auto& c : controls) {
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.caption;
        EXPECT_EQ(textOf(c.widget), QString::fromUtf8(c.caption));
    }
    EXPECT_EQ(d.Label3->text().size(), 147);
    EXPECT_TRUE(d.Label3->wordWrap());
    // Every caption can be read whole in its fixed place, whatever the
    // desktop's font.
    EXPECT_LE(d.Label3->heightForWidth(d.Label3->width()), d.Label3->height());
    for (QLabel* l : {d.Label1, d.Label2})
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->text().toStdString();
    for (QPushButton* b : {d.cmdFindNext, d.cmdReplace, d.cmdCancel})
        EXPECT_LT(b->fontMetrics().horizontalAdvance(b->text()), b->width());

    EXPECT_FALSE(d.cmdFindNext->isEnabled());
    EXPECT_FALSE(d.cmdReplace->isEnabled());
    EXPECT_TRUE(d.cmdCancel->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), d.txtFind);

    // Tab order; labels never take the focus.
    d.txtFind->setText(QStringLiteral("x"));
    const QWidget* order[] = {d.txtFind, d.txtReplace, d.cmdFindNext, d.cmdReplace, d.cmdCancel};
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i % std::size(order)]) << "tab " << i;
    }
}

TEST_F(EditAndFindCommands, ButtonsAreEnabledExactlyWhileThereIsAFindText) {
    frmReplace& d = openDialog();
    QTest::keyClicks(d.txtFind, "ab");
    EXPECT_TRUE(d.cmdFindNext->isEnabled() && d.cmdReplace->isEnabled());
    QTest::keyClick(d.txtFind, Qt::Key_Backspace);
    EXPECT_TRUE(d.cmdFindNext->isEnabled() && d.cmdReplace->isEnabled());
    QTest::keyClick(d.txtFind, Qt::Key_Backspace);
    EXPECT_FALSE(d.cmdFindNext->isEnabled() || d.cmdReplace->isEnabled());
    // The replacement box plays no part.
    QTest::keyClicks(d.txtReplace, "x");
    EXPECT_FALSE(d.cmdFindNext->isEnabled() || d.cmdReplace->isEnabled());
}

TEST_F(EditAndFindCommands, EnterAndEscapePressNothing) {
    box().SetText("banana");
    frmReplace& d = openDialog();
    d.txtFind->setText(QStringLiteral("an"));
    d.txtReplace->setText(QStringLiteral("AN"));
    MessageBoxAnswers answers;
    for (QWidget* w : std::initializer_list<QWidget*>{d.txtFind, d.txtReplace, d.cmdFindNext,
                                                      d.cmdReplace, d.cmdCancel}) {
        w->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(w, key);
    }
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_EQ(dialog(), &d);
    EXPECT_EQ(box().Text(), "banana");
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 6);
    EXPECT_TRUE(answers.texts.isEmpty());
}

TEST_F(EditAndFindCommands, WorkedExamplesInTheRealWindow) {
    using kalvo::testing::Button;
    for (const auto& example : kalvo::testing::findReplaceExamples()) {
        SCOPED_TRACE(example.name);
        box().SetText(example.document);
        frmReplace& d = openDialog();
        if (example.selStart >= 0)
            select(example.selStart, example.selLength);
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

TEST_F(EditAndFindCommands, FocusAfterEachPressThenCancelAndReopenAfresh) {
    box().SetText("cat cat");
    frmReplace& d = openDialog();
    d.move(300, 200);
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
    flushDeletes();
    EXPECT_EQ(dialog(), nullptr);

    frmReplace& again = openDialog();
    EXPECT_EQ(again.txtFind->text(), QString());
    EXPECT_EQ(again.txtReplace->text(), QString());
    EXPECT_FALSE(again.cmdFindNext->isEnabled() || again.cmdReplace->isEnabled());
    EXPECT_EQ(again.geometry(), QRect(130, 81, 403, 106));
    EXPECT_EQ(QApplication::focusWidget(), again.txtFind);
}

TEST_F(EditAndFindCommands, MenuItemReselectsTheDocumentAndKeepsTheDialogsTexts) {
    box().SetText("banana");
    frmReplace& d = openDialog();
    d.txtFind->setText(QStringLiteral("an"));
    d.txtReplace->setText(QStringLiteral("AN"));
    press(d, d.cmdFindNext);
    EXPECT_EQ(box().SelLength(), 2);

    frmReplace& again = openDialog();
    EXPECT_EQ(&again, &d);
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 6);
    EXPECT_EQ(again.txtFind->text(), QStringLiteral("an"));
    EXPECT_EQ(again.txtReplace->text(), QStringLiteral("AN"));
    EXPECT_TRUE(again.cmdReplace->isEnabled());
}

TEST_F(EditAndFindCommands, MessageQuotesTheFindTextInAPlainKalvoBox) {
    box().SetText("se\xF1or");
    frmReplace& d = openDialog();
    MessageBoxAnswers answers;
    for (const char* find : {"cat", "\xC3\xB1z", "\xE2\x86\x92", "\xC3\xB1"}) {
        d.txtFind->setText(QString::fromUtf8(find));
        press(d, d.cmdFindNext);
    }
    // "ñ" is found (offset 2), so only three messages.
    EXPECT_EQ(answers.texts, (QStringList{QStringLiteral("Can't find 'cat'!"),
                                          QString::fromUtf8("Can't find '\u00F1z'!"),
                                          QString::fromUtf8("Can't find '\u2192'!")}));
    EXPECT_EQ(box().SelStart(), 2);
    EXPECT_EQ(box().SelLength(), 1);
    for (qsizetype i = 0; i < answers.texts.size(); ++i) {
        EXPECT_EQ(answers.titles[i], QStringLiteral("Kalvo"));
        EXPECT_EQ(answers.icons[i], QMessageBox::NoIcon);
        EXPECT_EQ(answers.buttons[i], 1);
    }
}

TEST_F(EditAndFindCommands, ReplacementADocumentCannotHoldChangesNothing) {
    box().SetText("xax");
    frmReplace& d = openDialog();
    select(1, 1);
    d.txtFind->setText(QStringLiteral("a"));
    d.txtReplace->setText(QString::fromUtf8("\u2192"));
    MessageBoxAnswers answers;
    press(d, d.cmdReplace);
    EXPECT_EQ(box().Text(), "xax");
    EXPECT_EQ(box().SelStart(), 1);
    EXPECT_EQ(box().SelLength(), 1);
    EXPECT_TRUE(answers.texts.isEmpty());
}

TEST_F(EditAndFindCommands, CloseBoxLeavesTheMainBoxAlone) {
    box().SetText("hello");
    frmReplace& d = openDialog();
    select(1, 3);
    window->Command1->setFocus();
    d.close();
    flushDeletes();
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(box().SelStart(), 1);
    EXPECT_EQ(box().SelLength(), 3);
    EXPECT_EQ(window->focusWidget(), window->Command1);
}

TEST_F(EditAndFindCommands, DialogGoesWithTheMainWindow) {
    openDialog();
    QPointer<frmReplace> d = dialog();
    window.reset();
    flushDeletes();
    EXPECT_TRUE(d.isNull());
}

TEST_F(EditAndFindCommands, CopyAndPasteKeysRunTheMenuCommandsWithUnicodeOnTheClipboard) {
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    clipboard.setImage(picture);
    QSignalSpy copied(window->copy, &QAction::triggered);
    QSignalSpy pasted(window->Paste, &QAction::triggered);
    box().SetText("x\xF1\r\n\x80y");
    select(1, 4);
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
    select(0, 2);
    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box().Text(), "\r\n\xE5y");
}

TEST_F(EditAndFindCommands, OnlySelectAllMovesTheFocus) {
    box().SetText("one two");
    select(4, 3);
    window->Command1->setFocus();

    window->cut->trigger();
    EXPECT_EQ(box().Text(), "one ");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("two"));
    window->copy->trigger();
    window->Paste->trigger();
    EXPECT_EQ(box().Text(), "one two");
    EXPECT_TRUE(window->Command1->hasFocus());

    window->all->trigger();
    EXPECT_TRUE(box().hasFocus());
    EXPECT_EQ(box().SelStart(), 0);
    EXPECT_EQ(box().SelLength(), 7);
}
