// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

namespace kalvo {

// frmSplash, the start-up window: the raised edge of a fixed dialog frame
// and no title bar, no name and no task-bar entry, showing the name, an author credit, a picture,
// the version and a disclaimer. Its one-shot Timer1 starts when the window is created; when it
// fires, Timer1_Timer unloads the splash and then emits handOver, on which
// the start-up shows the main window. Neither mouse nor keyboard does
// anything here.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    // Timer1's interval, the program's only timer.
    static constexpr int kTimerIntervalMs = 5000;

    // The raised edge drawn around the client area, in pixels.
    static constexpr int kEdge = 2;

    // intervalMs is for tests only; the program uses kTimerIntervalMs.
    explicit frmSplash(int intervalMs = kTimerIntervalMs);

    QFrame* Frame1;
    QLabel* lblProductName;
    QLabel* lblCompanyProduct;
    QLabel* imgLogo;
    QLabel* lblVersion;
    QLabel* lblWarning;
    QTimer* Timer1;

signals:
    // Emitted once, by Timer1_Timer, after the splash has been unloaded.
    void handOver();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Only Timer1_Timer closes the splash: a close asked for by the window
    // manager (Alt+F4) is refused, as it would end the splash without ever
    // showing the main window.
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Timer1_Timer();

    bool unloading_ = false;
};

} // namespace kalvo
