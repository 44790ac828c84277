#include "WidgetTestHelpers.h"

#include "app/MainWindow.h"
#include "editor/EditorWidget.h"
#include "findreplace/ReplaceDialog.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

using namespace kalvo;

namespace {

// The Edit and Find\Replace menus of the real main window.
class EditAndFindCommands : public ::testing::Test {
protected:
    EditAndFindCommands() { window.show(); }
    void TearDown() override { delete opened; }
    EditorWidget& box() { return *window.txtwordproc; }
    // "b[an]ana editor": the document, its selection and where the focus is.
    std::string state() {
        std::string text = box().Text();
        text.insert(box().SelStart() + box().SelLength(), "]").insert(box().SelStart(), "[");
        const QWidget* f = QApplication::focusWidget();
        return text + (f == &box() ? " editor" : f && f->window() == opened ? " dialog" : " other");
    }
    static frmReplace* active() { return qobject_cast<frmReplace*>(qApp->activeWindow()); }
    // The dialog; a test that finds it unloaded ends there.
    frmReplace& d() { return opened ? *opened : throw std::runtime_error("no dialog"); }
    frmReplace& openDialog() {
        window.FR->trigger();
        opened = QTest::qWaitFor(active) ? active() : nullptr;
        return d();
    }
    // A user's click on the dialog's button; then the focus settles.
    void press(QPushButton* button, const std::string& expected) {
        d().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(opened));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::qWait(50);
        (void)QTest::qWaitFor([&] { return state() == expected; });
        EXPECT_EQ(state(), expected);
    }

    frmWordProc window;
    QPointer<frmReplace> opened;
};

} // namespace

TEST_F(EditAndFindCommands, DialogLayoutAndEnabling) {
    frmReplace& d = openDialog();
    EXPECT_EQ(d.geometry(), QRect(130, 81, 403, 106));
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // clang-format off
    const std::tuple<QWidget*, QRect, const char*> controls[] = {
        {d.Label1, {16, 16, 72, 16}, "Find what:"}, {d.txtFind, {104, 16, 168, 19}, ""},
        {d.Label2, {16, 40, 72, 16}, "Replace with:"}, {d.txtReplace, {104, 40, 168, 19}, ""},
        {d.cmdFindNext, {312, 8, 81, 25}, "Find Next"}, {d.cmdCancel, {312, 72, 81, 25}, "Cancel"},
        {d.cmdReplace, {312, 40, 80, 24}, "Replace"},
        {d.Label3, {24, 64, 265, 41}, "You may have to do \"Find Next\" a few extra times after it "
            "says that it cannot find what it is your looking for, becuase sometimes "
            "it misses things."}};
    // clang-format on
    for (const auto& [widget, geometry, caption] : controls) {
        EXPECT_EQ(widget->geometry(), geometry) << caption;
        EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(caption));
    }
    EXPECT_LE(d.Label3->heightForWidth(d.Label3->width()), d.Label3->height()); // read whole
    // Both buttons are enabled exactly while there is a find text.
    QTest::keyClick(d.txtFind, Qt::Key_A);
    QTest::keyClick(d.txtReplace, Qt::Key_B);
    EXPECT_TRUE(d.cmdFindNext->isEnabled() && d.cmdReplace->isEnabled());
    QTest::keyClick(d.txtFind, Qt::Key_Backspace);
    EXPECT_FALSE(d.cmdFindNext->isEnabled() || d.cmdReplace->isEnabled());
}

TEST_F(EditAndFindCommands, PressesMessagesAndFocusTheMenuItemAgainThenCancelAndReopen) {
    box().SetText("cat cat");
    const frmReplace* first = &openDialog();
    d().txtFind->setText(QStringLiteral("cat"));
    d().txtReplace->setText(QString::fromUtf16(u"\u2192")); // no Windows-1252 byte
    ModalAnswerer answers;
    for (QWidget* w : d().findChildren<QWidget*>()) // Enter and Escape press nothing
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(w, key);
    QTest::qWait(150); // longer than the animated click of a button's shortcut
    EXPECT_EQ(state(), "[cat cat] dialog");
    press(d().cmdFindNext, "cat [cat] editor");
    press(d().cmdReplace, "cat [cat] dialog"); // refused, never stored as other characters
    d().txtReplace->setText(QStringLiteral("dog"));
    EXPECT_EQ(&openDialog(), first); // the whole document selected again, the texts kept
    EXPECT_EQ(state(), "[cat cat] dialog");
    EXPECT_EQ(d().txtFind->text() + d().txtReplace->text(), QStringLiteral("catdog"));
    press(d().cmdReplace, "[cat] cat dialog"); // nothing to replace; found
    press(d().cmdReplace, "dog [cat] dialog"); // replaced, found
    press(d().cmdReplace, "[dog dog] editor"); // replaced, not found
    d().txtFind->setText(QString::fromUtf16(u"\u00F1\u2192"));
    press(d().cmdFindNext, "[dog dog] editor"); // quoted as typed
    EXPECT_EQ(answers.messages, (QStringList{QStringLiteral("Can't find 'cat'!"),
                                             QString::fromUtf16(u"Can't find '\u00F1\u2192'!")}));
    press(d().cmdCancel, "[]dog dog editor");
    ASSERT_TRUE(QTest::qWaitFor([this] { return opened.isNull(); })); // unloaded
    frmReplace& again = openDialog();
    EXPECT_EQ(again.txtFind->text() + again.txtReplace->text(), QString());
    EXPECT_FALSE(again.cmdFindNext->isEnabled() || again.cmdReplace->isEnabled());
}

TEST_F(EditAndFindCommands, CopyAndPasteKeysReachTheEditMenuThenCutAndSelectAll) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box().SetText("x\xF1\r\n\x80y");
    box().SetSelStart(1);
    box().SetSelLength(4);
    QTest::keyClick(&box(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf16(u"\u00F1\r\n\u20AC"));
    box().SetSelStart(0);
    QTest::keyClick(&box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(state(), "\xF1\r\n\x80[]x\xF1\r\n\x80y editor");
    box().SetSelLength(5);
    window.Command1->setFocus();
    window.cut->trigger();
    EXPECT_EQ(state(), "\xF1\r\n\x80[]y other"); // only Select All moves the focus
    window.all->trigger();
    EXPECT_EQ(state(), "[\xF1\r\n\x80y] editor");
}
