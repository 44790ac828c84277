// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/HelpWindow.h"

#include "common/AppResources.h"
#include "common/SingleInstance.h"

#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocumentFragment>

namespace kalvo {

namespace {

// The help text's box. The text keeps its lines apart by CR LF, as stored;
// the box shows each pair as one line break, and what is copied out of it
// has the pairs back.
class HelpTextBox final : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override {
        auto* mime = new QMimeData;
        QString text = textCursor().selection().toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        mime->setText(text);
        return mime;
    }
};

} // namespace

Form2::Form2(QWidget* parent)
    : QWidget(parent, Qt::Window), Text1(new HelpTextBox(this)),
      Command1(new QPushButton(QStringLiteral("&Close"), this)) {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Help"));
    setWindowIcon(appIcon());

    // Background: the system's tooltip background colour (system colour 24).
    QPalette windowPalette = palette();
    const QColor infoBackground = windowPalette.color(QPalette::ToolTipBase);
    windowPalette.setColor(QPalette::Window, infoBackground);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    // No layout: the controls keep their stored place when the window is
    // resized, as the form has no resize handler.
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(240, 240, 7095, 4815));
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The font of a plain form (Arial 8.25 pt, or its metric-compatible
    // substitute), in which the text's 79-column lines fit the box.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    Text1->setFont(font);
    // Tab moves the focus on to the button, as in a multi-line text box.
    Text1->setTabChangesFocus(true);
    // Tab stops every 8 average characters, as in a plain text box.
    Text1->setTabStopDistance(8.0 * Text1->fontMetrics().averageCharWidth());
    QPalette textPalette = Text1->palette();
    textPalette.setColor(QPalette::Base, infoBackground);
    // Text colour: the active title bar's colour (system colour 2). Qt has no
    // title-bar role; Highlight, the colour of the active selection, is the
    // closest one (the blue of an active caption in the usual themes).
    const QColor activeTitleBar = textPalette.color(QPalette::Active, QPalette::Highlight);
    for (auto group : {QPalette::Active, QPalette::Inactive})
        textPalette.setColor(group, QPalette::Text, activeTitleBar);
    Text1->setPalette(textPalette);
    // The stored text separates lines by CR LF; the box shows each pair as
    // one line break.
    Text1->setPlainText(helpText());

    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(1920, 5280, 3255, 375));
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    setTabOrder(Text1, Command1);
    Text1->setFocus();

    // Client area 7455 x 5715 twips.
    resize(twipsToPixels(7455), twipsToPixels(5715));
}

void Form2::Command1_Click() {
    close();
}

Form2& showHelpWindow(QPointer<Form2>& window) {
    Form2& help = loadOnce(window, [] { return new Form2; });
    if (help.isMinimized())
        help.setWindowState(help.windowState() & ~Qt::WindowMinimized);
    help.show();
    help.raise();
    help.activateWindow();
    return help;
}

} // namespace kalvo
