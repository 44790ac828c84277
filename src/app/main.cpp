// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/MainWindow.h"
#include "windows/SplashWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifndef KALVO_VERSION
#error "KALVO_VERSION must be defined by the build"
#endif

namespace {

constexpr const char* kUsage = "Usage: kalvo [FILE]\n";

constexpr const char* kHelp =
    "Kalvo: a text editor that converts TI-86 BASIC programs into TI-83 Plus BASIC.\n"
    "\n"
    "FILE, when given, is opened once the main window shows, as File > Open\n"
    "would open it: a text file as it is, a TI-86 program file (.86p, .86g)\n"
    "or a TI-83 Plus program file (.8xp) as its program's text.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "kalvo-convert does the same conversion for scripts; see kalvo-convert --help.\n";

// --help and --version, answered before anything needs a display; -1 when
// neither is asked for.
int answerQuestions(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("kalvo " KALVO_VERSION "\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return -1;
}

struct StartUp {
    int exitStatus = -1; // set when the program ends here
    QString file;
};

// What is left of the command line once Qt has taken its own options.
StartUp readCommandLine(int argc, char** argv) {
    StartUp startUp;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "kalvo: unknown option '%s'\n%sTry 'kalvo --help'.\n", arg,
                         kUsage);
            startUp.exitStatus = 2;
            return startUp;
        }
        if (!startUp.file.isEmpty()) {
            std::fprintf(stderr, "kalvo: one file at a time ('%s' is a second)\n%s", arg, kUsage);
            startUp.exitStatus = 2;
            return startUp;
        }
        startUp.file = QString::fromLocal8Bit(arg);
    }
    return startUp;
}

} // namespace

// Start-up: the program shows the splash frmSplash and nothing
// else; after its 5000 ms the splash's Timer1_Timer unloads it and hands over
// to the start-up, which creates and shows the main window frmWordProc.
int main(int argc, char** argv) {
    if (const int answered = answerQuestions(argc, argv); answered >= 0)
        return answered;
    QApplication app(argc, argv); // takes its own options (-platform...) out of argv
    const StartUp startUp = readCommandLine(argc, argv);
    if (startUp.exitStatus >= 0)
        return startUp.exitStatus;
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
    QObject::connect(splash, &kalvo::frmSplash::handOver, [&mainWindow, &startUp] {
        mainWindow = std::make_unique<kalvo::frmWordProc>();
        mainWindow->show();
        // Once the window shows, as the user would open it.
        if (!startUp.file.isEmpty())
            QTimer::singleShot(
                0, mainWindow.get(),
                [window = mainWindow.get(), file = startUp.file] { window->openFile(file); });
    });
    splash->show();
    return QApplication::exec();
}
