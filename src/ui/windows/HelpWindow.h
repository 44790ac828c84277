// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace kalvo {

// Form2, the help window: a sizable window with the help text in an
// editable box and a "&Close" button. Closing it destroys it, so the next
// opening starts again from the initial text.
class Form2 final : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QPlainTextEdit* Text1;
    QPushButton* Command1;

    // "&Close": unloads the window (it is deleted once the event loop runs).
    void Command1_Click();
};

// What the main window's Help2_Click does: shows the one help window held
// in `window`, creating it with the initial text when none is loaded,
// otherwise bringing the open one to the front with its text as it is.
Form2& showHelpWindow(QPointer<Form2>& window);

} // namespace kalvo
