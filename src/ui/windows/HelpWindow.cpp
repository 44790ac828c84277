#include "windows/HelpWindow.h"

#include "common/AppResources.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace kalvo {

namespace {

QPointer<Form2>& instance() {
    static QPointer<Form2> window;
    return window;
}

} // namespace

Form2::Form2(QWidget* parent)
    : QWidget(parent, Qt::Window), text1_(new QPlainTextEdit(this)),
      command1_(new QPushButton(QStringLiteral("&Close"), this)) {
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
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twipsRect(240, 240, 7095, 4815));
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text1_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The font of a plain form (Arial 8.25 pt, or its metric-compatible
    // substitute), in which the text's 79-column lines fit the box.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    text1_->setFont(font);
    // Tab moves the focus on to the button, as in a multi-line text box.
    text1_->setTabChangesFocus(true);
    // Tab stops every 8 average characters, as in a plain text box.
    text1_->setTabStopDistance(8.0 * text1_->fontMetrics().averageCharWidth());
    QPalette textPalette = text1_->palette();
    textPalette.setColor(QPalette::Base, infoBackground);
    // Text colour: the active title bar's colour (system colour 2). Qt has no
    // title-bar role; Highlight, the colour of the active selection, is the
    // closest one (the blue of an active caption in the usual themes).
    const QColor activeTitleBar = textPalette.color(QPalette::Active, QPalette::Highlight);
    for (auto group : {QPalette::Active, QPalette::Inactive})
        textPalette.setColor(group, QPalette::Text, activeTitleBar);
    text1_->setPalette(textPalette);
    // The stored text separates lines by CR LF; the box shows each pair as
    // one line break.
    text1_->setPlainText(helpText());

    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(1920, 5280, 3255, 375));
    connect(command1_, &QPushButton::clicked, this, &Form2::Command1_Click);

    setTabOrder(text1_, command1_);
    text1_->setFocus();

    // Client area 7455 x 5715 twips.
    resize(twipsToPixels(7455), twipsToPixels(5715));
}

void Form2::Command1_Click() {
    close();
}

void Form2::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Unloaded from now on, although Qt deletes the object a little later: a
    // Help2_Click in between must create a fresh window.
    if (event->isAccepted() && instance() == this)
        instance() = nullptr;
}

Form2* showHelpWindow() {
    QPointer<Form2>& window = instance();
    if (!window)
        window = new Form2;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

Form2* helpWindow() {
    return instance();
}

} // namespace kalvo
