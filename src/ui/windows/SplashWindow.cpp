// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/SplashWindow.h"

#include "common/AppResources.h"
#include "common/WindowName.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <qdrawutil.h>

namespace kalvo {

namespace {

QPoint twipsPoint(int left, int top) {
    return {twipsToPixels(left), twipsToPixels(top)};
}

// Arial; where it is missing, fontconfig's metric-compatible substitute.
QFont arial(qreal points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QFont& font,
                  const QRect& stored) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setGeometry(stored);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

} // namespace

frmSplash::frmSplash(int intervalMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), Frame1(new QFrame(this)),
      Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The splash never counts as the program's last window: closing it must
    // not end the program before the main window is shown.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(appIcon());
    setFocusPolicy(Qt::NoFocus);

    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Frame1->setGeometry(twipsRect(150, 60, 7080, 4050).translated(kEdge, kEdge));

    // Positions inside Frame1 are relative to its top-left corner.
    lblProductName = makeLabel(Frame1, "lblProductName", QStringLiteral("Kalvo"),
                               arial(27.75, true), twipsRect(120, 360, 6855, 660));
    lblProductName->adjustSize(); // sizes itself to its caption
    lblCompanyProduct = makeLabel(Frame1, "lblCompanyProduct", QStringLiteral("by the Kalvo team"),
                                  arial(18, true), twipsRect(3720, 1560, 2940, 435));
    lblCompanyProduct->adjustSize();

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twipsRect(240, 1200, 3255, 2145));
    imgLogo->setScaledContents(true); // stretched to fill the box
    imgLogo->setPixmap(logoPixmap());

    lblVersion = makeLabel(Frame1, "lblVersion", QStringLiteral("Version 1.0.0"), arial(12, true),
                           twipsRect(4680, 2760, 1470, 285));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVersion->adjustSize();

    lblWarning = makeLabel(Frame1, "lblWarning",
                           QStringLiteral("Warning:  I am not responsible for anthing this "
                                          "program does to your calc or computer."),
                           arial(8.25, false), twipsRect(150, 3660, 6855, 195));

    // Client area 7380 x 4245 twips at 2625, 2940 on the screen: the stored
    // position, not centred. The dialog frame lies around it.
    setFixedSize(twipsToPixels(7380) + 2 * kEdge, twipsToPixels(4245) + 2 * kEdge);
    move(twipsPoint(2625, 2940) - QPoint(kEdge, kEdge));
    clearWindowName(*this);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    // A coarse timer may fire up to 5% early; the splash shows for 5000 ms.
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(intervalMs);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

// A frameless window gets no frame from the window manager: the raised edge
// of a fixed dialog frame is drawn here, around the client area.
void frmSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void frmSplash::Timer1_Timer() {
    // 1. Unload the splash: gone from the screen now, the object and its
    //    timer deleted when control returns to the event loop.
    Timer1->stop();
    unloading_ = true;
    close();
    // 2. Let the start-up show the main window.
    emit handOver();
}

// The splash takes no input: clicks and keys are swallowed, so they reach
// no other widget and change nothing.
void frmSplash::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void frmSplash::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void frmSplash::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
void frmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
}
void frmSplash::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

void frmSplash::closeEvent(QCloseEvent* event) {
    if (unloading_)
        event->accept();
    else
        event->ignore();
}

} // namespace kalvo
