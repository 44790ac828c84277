// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ProgressWindow.h"

#include "common/AppResources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QWindow>

#include <cmath>

namespace kalvo {

// The window takes no input, and taking the focus would pull it from the
// editor that the run works on.
Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Converting..."));
    setWindowIcon(appIcon());
    resize(twipsToPixels(4710), twipsToPixels(1380));

    Label1 = new QLabel(QStringLiteral("Converting..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(240, 360, 2055, 255));

    pb1 = new QProgressBar(this);
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->setGeometry(twipsRect(240, 720, 4215, 375));
    pb1->setRange(0, 82);
    pb1->setValue(0);
    pb1->setTextVisible(false);
}

void Form1::showProgress() {
    show();
    raise();
    // The run keeps the event loop waiting until its first message, so let
    // the window system map and expose the window now; input stays queued.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 500) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
}

float Form1::progressValue() const {
    return static_cast<float>(pb1->value());
}

void Form1::setProgressValue(float value) {
    // The bar holds whole values within its range and ignores any other.
    pb1->setValue(static_cast<int>(std::lround(value)));
    // Painted now: the run does not return to the event loop between rows.
    pb1->repaint();
}

void Form1::hideProgress() {
    hide();
}

} // namespace kalvo
