#pragma once

#include "editor/MessageSink.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace kalvo {

// The program's message box: the text, one OK button, no icon, the title
// "Kalvo"; modal to the whole application. Returns when it is closed.
void showKalvoMessage(QWidget* parent, const QString& text);

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
