// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/MainWindow.h"
#include "windows/SplashWindow.h"

#include <QApplication>

#include <memory>

// Start-up: the program shows the splash frmSplash and nothing
// else; after its 5000 ms the splash's Timer1_Timer unloads it and hands over
// to the start-up, which creates and shows the main window frmWordProc.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvo"));
    // Each window sets its own icon: the Replace dialog must have none, and an
    // application-wide icon would be its fallback.
    // No window of the program is open between the splash's unloading and the
    // main window's showing, and the program must not end there. It ends only
    // through the main window, whose Exit and close box end it at once,
    // whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<kalvo::frmWordProc> mainWindow;
    auto* splash = new kalvo::frmSplash; // deletes itself when unloaded
    QObject::connect(splash, &kalvo::frmSplash::handOver, [&mainWindow] {
        mainWindow = std::make_unique<kalvo::frmWordProc>();
        mainWindow->show();
    });
    splash->show();
    return QApplication::exec();
}
