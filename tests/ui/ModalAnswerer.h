#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Answers the modal dialogs that a command opens: polls for the active modal
// widget and hands each new one to `answer`, which must close it. A dialog
// that is still open two seconds after its answer fails the test and is
// rejected, so that a wrong answer cannot hang the test run.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }

    // How many modal dialogs were answered.
    int count() const { return count_; }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || busy_)
            return;
        if (modal == answered_) {
            if (since_.elapsed() > 2000) {
                ADD_FAILURE() << "a dialog stayed open after its answer";
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            }
            return;
        }
        busy_ = true;
        ++count_;
        answered_ = modal;
        since_.start();
        answer_(modal);
        busy_ = false;
    }

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    QPointer<QWidget> answered_;
    QElapsedTimer since_;
    bool busy_ = false;
    int count_ = 0;
};
