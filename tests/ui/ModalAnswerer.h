#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal dialogs that a command opens: polls for the active modal
// widget and hands each new one to `answer`, which must close it.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != busy_) {
                busy_ = modal;
                ++count_;
                answer_(modal);
                busy_ = nullptr;
            }
        });
        timer_.start(10);
    }

    // How many modal dialogs were answered.
    int count() const { return count_; }

private:
    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    QWidget* busy_ = nullptr;
    int count_ = 0;
};
