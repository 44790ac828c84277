// SPDX-License-Identifier: GPL-3.0-or-later
#include "../core/FindReplaceExamples.h"
#include "WidgetTestHelpers.h"

#include "common/Cp1252Qt.h"
#include "widgets/EditorWidget.h"
#include "windows/MainWindow.h"
#include "windows/ReplaceDialog.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

using namespace kalvo;

namespace {

// "b[an]ana": a document with its selection in brackets.
std::string marked(std::string text, Pos start, Pos length) {
    return text.insert(start + length, "]").insert(start, "[");
}

class EditAndFindCommands : public ::testing::Test {
protected:
    EditAndFindCommands() { window.show(); }
    void TearDown() override { delete opened; }
    EditorWidget& box() { return *window.txtwordproc; }
    // "b[an]ana editor": the document, its selection and where the focus is.
    std::string state() {
        const QWidget* f = qApp->focusWidget();
        const char* at = box().hasFocus()             ? " editor"
                         : f && f->window() == opened ? " dialog"
                                                      : " other";
        return marked(box().Text(), box().SelStart(), box().SelLength()) + at;
    }
    static frmReplace* active() { return qobject_cast<frmReplace*>(qApp->activeWindow()); }
    // The dialog; a test that finds it unloaded ends there.
    frmReplace& d() { return opened ? *opened : throw std::runtime_error("no dialog"); }
    frmReplace& openDialog() {
        window.FR->trigger();
        opened = QTest::qWaitFor(active) ? active() : nullptr;
        return d();
    }
    void press(QPushButton* button, const std::string& expected) {
        d().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(opened));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::qWait(50);
        (void)QTest::qWaitFor([&] { return state() == expected; }, 2000);
        EXPECT_EQ(state(), expected);
    }
    frmWordProc window;
    QPointer<frmReplace> opened;
};

} // namespace

TEST_F(EditAndFindCommands, DialogLayout) {
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
    // Each control answers to its name, as in the other windows.
    EXPECT_EQ(d.objectName(), QStringLiteral("frmReplace"));
    const std::pair<const char*, QWidget*> named[] = {
        {"Label1", d.Label1},           {"txtFind", d.txtFind},
        {"Label2", d.Label2},           {"txtReplace", d.txtReplace},
        {"cmdFindNext", d.cmdFindNext}, {"cmdReplace", d.cmdReplace},
        {"cmdCancel", d.cmdCancel},     {"Label3", d.Label3}};
    for (const auto& [name, widget] : named)
        EXPECT_EQ(d.findChild<QWidget*>(QString::fromLatin1(name)), widget) << name;
}

// The presses of one worked example, checked on the plain buffer too.
TEST_F(EditAndFindCommands, PressesFocusMessagesTheMenuItemAgainThenCancelAndReopen) {
    const auto examples = kalvo::testing::findReplaceExamples();
    const auto example = std::find_if(examples.begin(), examples.end(), [](const auto& e) {
        return e.name == std::string_view("CatHatCatOverFourReplace");
    });
    ASSERT_NE(example, examples.end());
    box().SetText(example->document);
    const frmReplace* first = &openDialog();
    d().txtReplace->setText(QString::fromUtf16(u"\u2192")); // no Windows-1252 byte
    EXPECT_FALSE(d().cmdFindNext->isEnabled() || d().cmdReplace->isEnabled()); // until a find text
    d().txtFind->setText(decodeCp1252(example->find)); // enables both, or no press below works
    ModalAnswerer answers;
    for (QWidget* w : d().findChildren<QWidget*>()) // Enter and Escape press nothing
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(w, key);
    QTest::qWait(150); // longer than the animated click of a button's shortcut
    EXPECT_EQ(state(), "[cat hat cat] dialog");
    press(d().cmdFindNext, "cat hat [cat] editor");
    press(d().cmdReplace, "cat hat [cat] dialog"); // refused, never stored as other characters
    d().txtReplace->setText(decodeCp1252(example->replacement));
    EXPECT_EQ(&openDialog(), first);       // the whole document selected again, the texts kept
    for (const auto& p : example->presses) // the focus stays after a Replace that found
        press(p.button == kalvo::testing::Button::FindNext ? d().cmdFindNext : d().cmdReplace,
              marked(p.text, p.selStart, p.selLength) + (p.notFound ? " editor" : " dialog"));
    EXPECT_EQ(answers.messages, QStringList(2, QStringLiteral("Can't find 'cat'!")));
    d().txtFind->setText(QString::fromUtf16(u"\u00F1\u2192")); // quoted as typed
    press(d().cmdFindNext, "[dog hat dog] editor");
    EXPECT_EQ(answers.messages.last(), QString::fromUtf16(u"Can't find '\u00F1\u2192'!"));
    press(d().cmdCancel, "[]dog hat dog editor");
    frmReplace& again = openDialog(); // a new one, unless Cancel left this one loaded
    EXPECT_EQ(again.txtFind->text() + again.txtReplace->text(), QString());
}

TEST_F(EditAndFindCommands, CopyAndPasteKeysReachTheEditMenuThenSelectAllAndCut) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box().SetText("x\xF1\r\n\x80y");
    box().SetSelStart(1);
    box().SetSelLength(4);
    QTest::keyClick(box().textArea(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf16(u"\u00F1\r\n\u20AC"));
    box().SetSelStart(0);
    QTest::keyClick(box().textArea(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(state(), "\xF1\r\n\x80[]x\xF1\r\n\x80y editor");
    window.Command1->setFocus();
    window.all->trigger(); // takes the focus back to the editor
    window.cut->trigger();
    EXPECT_EQ(state(), "[] editor");
}

// A replacement that would pass the document's limit (lowered here) is
// refused with one message; the document and its selection stay.
TEST_F(EditAndFindCommands, ReplacePastTheLimitShowsOneMessage) {
    box().SetText("cat");
    box().setLengthLimit(4);
    openDialog();
    d().txtFind->setText(QStringLiteral("cat"));
    d().txtReplace->setText(QStringLiteral("tiger"));
    ModalAnswerer answers;
    QTest::mouseClick(d().cmdReplace, Qt::LeftButton);
    EXPECT_EQ(answers.messages, QStringList{"Kalvo could not replace the text: the result would "
                                            "be larger than 4 bytes."});
    EXPECT_EQ(marked(box().Text(), box().SelStart(), box().SelLength()), "[cat]");
}
