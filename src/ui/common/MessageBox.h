// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/MessageSink.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <exception>

namespace kalvo {

// The program's message box: the text, one OK button, no icon, the title
// "Kalvo"; modal to the whole application. Returns when it is closed.
void showKalvoMessage(QWidget* parent, const QString& text);

// The message box for a command that could not be done: "<what failed>:
// <why>." in one sentence, for example "Kalvo could not convert the document:
// there is not enough memory."
void showFailure(QWidget* parent, const QString& whatFailed, const std::exception_ptr& error);

// Runs a command handler so that no exception leaves it: a failure is shown
// with showFailure(). Returns whether the command ran to its end.
template <class Command>
bool runCommand(QWidget* parent, const QString& whatFailed, Command&& command) {
    std::exception_ptr error;
    try {
        command();
        return true;
    } catch (...) {
        error = std::current_exception();
    }
    // Shown outside the handler, so that the memory the failed command held
    // is already given back.
    showFailure(parent, whatFailed, error);
    return false;
}

// The message box behind the conversion's and the Find/Replace dialog's
// messages, whose texts are Windows-1252.
class QtMessageBox final : public MessageSink {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(std::string_view text) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace kalvo
