#include "app/MessageBox.h"

#include "editor/Cp1252Qt.h"

#include <QMessageBox>

namespace kalvo {

void showKalvoMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kalvo"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtMessageBox::showMessage(std::string_view text) {
    showKalvoMessage(parent_, decodeCp1252(text));
}

} // namespace kalvo
