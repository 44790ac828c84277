// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/MessageBox.h"

#include "common/Cp1252Qt.h"
#include "common/FailureReason.h"

#include <QApplication>
#include <QMessageBox>

namespace kalvo {

void showKalvoMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kalvo"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showFailure(QWidget* parent, const QString& whatFailed, const std::exception_ptr& error) {
    try {
        showKalvoMessage(parent, whatFailed + QStringLiteral(": ") + failureReason(error) +
                                     QLatin1Char('.'));
    } catch (...) {
        // Too little memory even for the message: the beep is all that is
        // left, and the document is as it was.
        QApplication::beep();
    }
}

void QtMessageBox::showMessage(std::string_view text) {
    showKalvoMessage(parent_, decodeCp1252(text));
}

} // namespace kalvo
