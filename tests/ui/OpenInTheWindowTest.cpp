// SPDX-License-Identifier: GPL-3.0-or-later
// File > Open with a name that is not a regular file: nothing is read, no
// message shows (as for every Open failure), and the window never waits.

#include "WidgetTestHelpers.h"

#include "widgets/EditorWidget.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Opens `path` through the real dialog; true when Open returned without a
// writer having to come along to release it.
bool openWithoutWaiting(kalvo::frmWordProc& window, const std::string& path, int& dialogsShown) {
    // Should Open wait for a writer of a FIFO, one comes after five seconds,
    // so that the test fails instead of hanging.
    std::atomic<bool> returned{false};
    std::atomic<bool> released{false};
    std::thread writer([&] {
        for (int waited = 0; waited < 500 && !returned; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!returned) {
            released = true;
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        }
    });
    ModalAnswerer dialogs([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(path));
            static_cast<QDialog*>(dialog)->accept(); // as its Open button does
        }
    });
    window.open->trigger();
    returned = true;
    writer.join();
    dialogsShown = dialogs.count();
    return !released;
}

} // namespace

TEST(OpenInTheWindow, AFifoOrADeviceIsNotADocument) {
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/kalvo-open-XXXXXX")};
    ASSERT_TRUE(folder.isValid());
    const std::string dir = folder.path().toStdString();
    std::vector<std::string> names = {dir + "/fifo.txt"};
    ASSERT_EQ(::mkfifo(names[0].c_str(), 0644), 0);
    if (::geteuid() == 0) { // a copy of /dev/null: empty, readable, not a document
        names.push_back(dir + "/null.txt");
        ASSERT_EQ(::mknod(names[1].c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    kalvo::frmWordProc window;
    for (const std::string& name : names) {
        window.txtwordproc->SetText("kept");
        int dialogsShown = 0;
        EXPECT_TRUE(openWithoutWaiting(window, name, dialogsShown)) << name;
        EXPECT_EQ(window.txtwordproc->Text(), "kept") << name;
        EXPECT_EQ(dialogsShown, 1) << name; // the file dialog, no message
    }
}
