#pragma once

// Answers the modal message boxes that a test's actions open, as a user
// pressing OK would, and keeps what they said.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

class MessageBoxAnswers {
public:
    MessageBoxAnswers() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts << box->text();
            titles << box->windowTitle();
            icons << box->icon();
            buttons << box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }

    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;
    QList<qsizetype> buttons;

private:
    QTimer timer_;
};
