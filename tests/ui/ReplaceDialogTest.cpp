#include "MessageBoxAnswers.h"
#include "QtPrinters.h"

#include "editor/TextBuffer.h"
#include "findreplace/ReplaceDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace kalvo;

namespace {

// Stands in for the main window: a window with one focusable box whose
// document is a plain buffer. Like the editor, giving the box the focus does
// not by itself activate its window.
class Host : public TextBox {
public:
    Host() {
        window.setWindowTitle(QStringLiteral("Kalvo"));
        window.setGeometry(0, 0, 600, 400);
        box = new QWidget(&window);
        box->setFocusPolicy(Qt::StrongFocus);
        box->setGeometry(10, 10, 500, 300);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~Host() override { delete dialog.data(); }

    std::string Text() const override { return buffer.Text(); }
    void SetText(std::string_view text) override { buffer.SetText(text); }
    Pos Length() const override { return buffer.Length(); }
    Pos SelStart() const override { return buffer.SelStart(); }
    void SetSelStart(Pos caret) override { buffer.SetSelStart(caret); }
    Pos SelLength() const override { return buffer.SelLength(); }
    void SetSelLength(Pos count) override { buffer.SetSelLength(count); }
    std::string SelText() const override { return buffer.SelText(); }
    void SetSelText(std::string_view text) override { buffer.SetSelText(text); }
    void SetFocus() override {
        ++focusCount;
        box->setFocus();
    }

    frmReplace& open() {
        frmReplace& d = openReplaceDialog(dialog, *this, *box);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        return d;
    }

    // Activation goes through the window system, so give it a moment.
    bool boxHasFocus() const {
        return QTest::qWaitFor([this] {
            return QApplication::activeWindow() == &window && QApplication::focusWidget() == box;
        });
    }

    TextBuffer buffer;
    QWidget window;
    QWidget* box;
    QPointer<frmReplace> dialog;
    int focusCount = 0;
};

// A user's click: the dialog comes to the front, then the button is pressed.
void press(frmReplace& dialog, QPushButton* button) {
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(button, Qt::LeftButton);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(ReplaceDialog, LaysOutItsControlsFromTheTwipsFigures) {
    Host host;
    frmReplace& d = host.open();

    EXPECT_EQ(d.windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(d.geometry(), QRect(130, 81, 403, 106));
    EXPECT_EQ(d.minimumSize(), QSize(403, 106));
    EXPECT_EQ(d.maximumSize(), QSize(403, 106));
    EXPECT_EQ(d.windowType(), Qt::Tool);
    const Qt::WindowFlags flags = d.windowHandle()->flags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(d.parent(), nullptr);

    struct Expected {
        QWidget* widget;
        QRect geometry;
        const char* caption;
    };
    const Expected controls[] = {
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
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.widget->geometry(), c.geometry);
        QString text;
        if (auto* l = qobject_cast<QLabel*>(c.widget))
            text = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(c.widget))
            text = e->text();
        else
            text = qobject_cast<QPushButton*>(c.widget)->text();
        EXPECT_EQ(text, QString::fromUtf8(c.caption));
    }
    EXPECT_EQ(d.Label3->text().size(), 147);
    EXPECT_TRUE(d.Label3->text().startsWith(u"You may have to do \"Find Next\" a few"));
    EXPECT_TRUE(d.Label3->text().endsWith(u"becuase sometimes it misses things."));
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
    const QWidget* order[] = {d.txtFind, d.txtReplace, d.cmdFindNext, d.cmdReplace, d.cmdCancel};
    d.cmdFindNext->setEnabled(true);
    d.cmdReplace->setEnabled(true);
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i % std::size(order)]) << "tab " << i;
    }
    for (QLabel* l : {d.Label1, d.Label2, d.Label3})
        EXPECT_EQ(l->focusPolicy(), Qt::NoFocus);
}

TEST(ReplaceDialog, ButtonsAreEnabledExactlyWhileThereIsAFindText) {
    Host host;
    frmReplace& d = host.open();
    QTest::keyClicks(d.txtFind, "ab");
    EXPECT_TRUE(d.cmdFindNext->isEnabled());
    EXPECT_TRUE(d.cmdReplace->isEnabled());
    QTest::keyClick(d.txtFind, Qt::Key_Backspace);
    EXPECT_TRUE(d.cmdReplace->isEnabled());
    QTest::keyClick(d.txtFind, Qt::Key_Backspace);
    EXPECT_FALSE(d.cmdFindNext->isEnabled());
    EXPECT_FALSE(d.cmdReplace->isEnabled());
    // The replacement box plays no part.
    QTest::keyClicks(d.txtReplace, "x");
    EXPECT_FALSE(d.cmdFindNext->isEnabled());
    d.txtFind->setText(QStringLiteral("q"));
    EXPECT_TRUE(d.cmdFindNext->isEnabled());
    EXPECT_TRUE(d.cmdReplace->isEnabled());
}

TEST(ReplaceDialog, EnterAndEscapePressNothing) {
    Host host;
    host.buffer.SetText("banana");
    frmReplace& d = host.open();
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
    ASSERT_FALSE(host.dialog.isNull());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(host.buffer.Text(), "banana");
    EXPECT_EQ(host.buffer.SelStart(), 0);
    EXPECT_EQ(host.buffer.SelLength(), 6);
    EXPECT_TRUE(answers.texts.isEmpty());
}

TEST(ReplaceDialog, MessageQuotesTheFindTextInAPlainKalvoBox) {
    Host host;
    host.buffer.SetText("se\xF1or");
    frmReplace& d = host.open();
    MessageBoxAnswers answers;
    for (const char* find : {"cat",
                             "\xC3\xB1"
                             "a",
                             "\xE2\x86\x92", "\xC3\xB1"}) {
        d.txtFind->setText(QString::fromUtf8(find));
        press(d, d.cmdFindNext);
    }
    // "ñ" is found (offset 2), so only three messages.
    EXPECT_EQ(answers.texts, (QStringList{QStringLiteral("Can't find 'cat'!"),
                                          QString::fromUtf8("Can't find '\u00F1a'!"),
                                          QString::fromUtf8("Can't find '\u2192'!")}));
    EXPECT_EQ(host.buffer.SelStart(), 2);
    EXPECT_EQ(host.buffer.SelLength(), 1);
    for (qsizetype i = 0; i < answers.texts.size(); ++i) {
        EXPECT_EQ(answers.titles[i], QStringLiteral("Kalvo"));
        EXPECT_EQ(answers.icons[i], QMessageBox::NoIcon);
        EXPECT_EQ(answers.buttons[i], 1);
    }
}

TEST(ReplaceDialog, ReplacementADocumentCannotHoldChangesNothing) {
    Host host;
    host.buffer.SetText("xax");
    host.buffer.SetSelStart(1);
    host.buffer.SetSelLength(1);
    QPointer<frmReplace>& dialog = host.dialog;
    dialog = new frmReplace(host, *host.box);
    dialog->show();
    dialog->txtFind->setText(QStringLiteral("a"));
    dialog->txtReplace->setText(QString::fromUtf8("\u2192"));
    MessageBoxAnswers answers;
    press(*dialog, dialog->cmdReplace);
    EXPECT_EQ(host.buffer.Text(), "xax");
    EXPECT_EQ(host.buffer.SelStart(), 1);
    EXPECT_EQ(host.buffer.SelLength(), 1);
    EXPECT_TRUE(answers.texts.isEmpty());
}

TEST(ReplaceDialog, CancelAndReopenStartAfresh) {
    Host host;
    host.buffer.SetText("hello");
    frmReplace& d = host.open();
    d.move(300, 200);
    d.txtFind->setText(QStringLiteral("l"));
    d.txtReplace->setText(QStringLiteral("L"));
    host.buffer.SetSelStart(2);
    host.buffer.SetSelLength(2);

    press(d, d.cmdCancel);
    EXPECT_EQ(host.buffer.SelStart(), 0);
    EXPECT_EQ(host.buffer.SelLength(), 0);
    EXPECT_TRUE(host.boxHasFocus());
    flushDeletes();
    EXPECT_TRUE(host.dialog.isNull());

    frmReplace& again = host.open();
    EXPECT_EQ(again.txtFind->text(), QString());
    EXPECT_EQ(again.txtReplace->text(), QString());
    EXPECT_FALSE(again.cmdFindNext->isEnabled());
    EXPECT_FALSE(again.cmdReplace->isEnabled());
    EXPECT_EQ(again.geometry(), QRect(130, 81, 403, 106));
    EXPECT_EQ(QApplication::focusWidget(), again.txtFind);
}

TEST(ReplaceDialog, ReopeningWhileOpenReselectsAndKeepsTheTexts) {
    Host host;
    host.buffer.SetText("banana");
    frmReplace& d = host.open();
    d.txtFind->setText(QStringLiteral("an"));
    d.txtReplace->setText(QStringLiteral("AN"));
    press(d, d.cmdFindNext);
    EXPECT_EQ(host.buffer.SelLength(), 2);

    frmReplace& same = host.open();
    EXPECT_EQ(&same, &d);
    EXPECT_EQ(host.buffer.SelStart(), 0);
    EXPECT_EQ(host.buffer.SelLength(), 6);
    EXPECT_EQ(same.txtFind->text(), QStringLiteral("an"));
    EXPECT_EQ(same.txtReplace->text(), QStringLiteral("AN"));
    EXPECT_TRUE(same.cmdFindNext->isEnabled());
    EXPECT_TRUE(same.cmdReplace->isEnabled());
}

TEST(ReplaceDialog, CloseBoxUnloadsWithoutTouchingTheMainBox) {
    Host host;
    host.buffer.SetText("hello");
    frmReplace& d = host.open();
    host.buffer.SetSelStart(1);
    host.buffer.SetSelLength(3);
    const int focusMoves = host.focusCount;
    d.close();
    flushDeletes();
    EXPECT_TRUE(host.dialog.isNull());
    EXPECT_EQ(host.buffer.SelStart(), 1);
    EXPECT_EQ(host.buffer.SelLength(), 3);
    EXPECT_EQ(host.focusCount, focusMoves);
}

TEST(ReplaceDialog, UnloadsWhenTheDocumentGoesAway) {
    auto host = std::make_unique<Host>();
    host->open();
    QPointer<frmReplace> dialog = host->dialog;
    host->dialog.clear(); // the window's end, not the host's cleanup, must do it
    host.reset();
    flushDeletes();
    EXPECT_TRUE(dialog.isNull());
}
