// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/MessageBox.h"
#include "conversion/ConversionRun.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPushButton;

namespace kalvo {

class EditorWidget;
class Form1;
class Form2;
class frmReplace;

// The document window: the editor txtwordproc, the "&Convert to 8xp" button
// and the menus. Every command of the program is one of its handlers.
class frmWordProc final : public QMainWindow {
    Q_OBJECT

public:
    explicit frmWordProc(QWidget* parent = nullptr);
    ~frmWordProc() override;

    // Controls.
    EditorWidget* txtwordproc;
    QPushButton* Command1;

    // Menus and their items, in display order.
    QMenu* file;
    QAction* New;
    QAction* open;
    QAction* Save;
    QAction* convert;
    QAction* Exit;
    QMenu* edit;
    QAction* copy;
    QAction* Paste;
    QAction* cut;
    QAction* all;
    QMenu* FR1;
    QAction* FR;
    QMenu* Help;
    QAction* Help2;

    // The conversion's row counter and the current row (txtFind, txtReplace).
    ConversionState conversion;
    // The current file: chosen by Open, given at Save's prompt, cleared by New.
    std::filesystem::path strFileName;

    // The other windows, each a single instance (see loadOnce): null until
    // first used, and again once unloaded.
    Form1* progressWindow() const;
    Form2* helpWindow() const;
    frmReplace* replaceDialog() const;

    // How Exit and the close box end the program: leave the event loop, so
    // that every other window goes too. Replaceable for tests.
    std::function<void()> endProgram;

public slots:
    void Command1_Click();
    void convert_Click();
    void New_Click();
    void open_Click();
    void Save_Click();
    void Exit_Click();
    void copy_Click();
    void Paste_Click();
    void cut_Click();
    void all_Click();
    void FR_Click();
    void Help2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::filesystem::path askFileName();
    // F10: the menu bar takes the keyboard with File highlighted.
    void activateMenuBar();

    QtMessageBox messages_;
    // A conversion is running; a close request waits for its end.
    bool converting_ = false;
    bool closeWhenConverted_ = false;
    QPointer<Form1> Form1_;
    QPointer<Form2> Form2_;
    QPointer<frmReplace> frmReplace_;
};

} // namespace kalvo
