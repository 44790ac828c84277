#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace kalvo {

// Form2, the help window: a sizable window with the help text in
// an editable box and a "&Close" button. Closing it destroys it, so the next
// opening starts again from the initial text.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QPlainTextEdit* Text1() const { return text1_; }
    QPushButton* Command1() const { return command1_; }

    // "&Close": unloads the window (it is deleted once the event loop runs).
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* text1_;
    QPushButton* command1_;
};

// What the main window's Help2_Click does: shows the one help window,
// creating it with the initial text when none is loaded, otherwise bringing
// the open one to the front with its text as it is.
Form2* showHelpWindow();

// The loaded help window, or nullptr when none is.
Form2* helpWindow();

} // namespace kalvo
