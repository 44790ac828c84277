// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the widget tests share: an answerer for the modal dialogs that a
// command opens, and readable failure messages for Qt values.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << r.width() << 'x' << r.height() << '+' << r.x() << '+' << r.y();
}

// Hands each modal dialog that opens to `answer`; a message box still open
// then is read and closed with OK, as a user would, and must be the plain
// "Kalvo" box. A dialog left open two seconds fails the test and is closed,
// so that a wrong answer cannot hang the run.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer = {}) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    int count() const { return count_; } // dialogs answered
    QStringList messages;                // the message boxes' texts

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal == answered_) {
            if (since_.elapsed() > 2000) {
                ADD_FAILURE() << "a dialog stayed open after its answer";
                modal->close();
            }
            return;
        }
        ++count_;
        answered_ = modal;
        since_.start();
        if (answer_)
            answer_(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
            messages << box->text();
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Kalvo"));
            EXPECT_TRUE(box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1);
            box->button(QMessageBox::Ok)->click();
        }
    }

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    QPointer<QWidget> answered_;
    QElapsedTimer since_;
    int count_ = 0;
};
