// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"
#include "common/MessageBox.h"
#include "conversion/ConversionRun.h"
#include "files/CalcDocuments.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QPushButton;

namespace kalvo {

class EditorWidget;
class Form1;
class Form2;
class FindingsWindow;
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
    FindingsWindow* findingsWindow() const;

    // Opens `name` as File > Open does once its dialog has chosen it: a
    // text file as its bytes, a calculator file's program as its text.
    // `kalvo FILE` starts with it.
    void openFile(const QString& name);

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
    // Which program of a calculator file to open; -1 for Cancel.
    int chooseProgram(const QString& fileName, const std::vector<std::string>& programs);
    // Whether to tokenize a document still in TI-86 spellings anyway.
    bool saveTi86SpellingsAnyway();
    // Fills the findings window (loading it when there is something to say).
    void showFindings(const QString& title, calc::Diagnostics findings, bool inConvertedText,
                      LineEnds ends);
    void chooseFinding(int index, bool focus);
    // F10: the menu bar takes the keyboard with File highlighted.
    void activateMenuBar();

    QtMessageBox messages_;
    // A conversion is running; a close request waits for its end.
    bool converting_ = false;
    bool closeWhenConverted_ = false;
    QPointer<Form1> Form1_;
    QPointer<Form2> Form2_;
    QPointer<frmReplace> frmReplace_;
    QPointer<FindingsWindow> findings_;

    // What the document's spellings are known to be: a TI-86 program opened
    // and not converted yet is not tokenized for a .8xp without a question.
    enum class Spellings { Unknown, Ti86Program, Ti83p };
    Spellings spellings_ = Spellings::Unknown;

    // The findings on show, and how to find their places: in the document
    // as it is, or in the TI-86 text a conversion turned into convertedText.
    calc::Diagnostics shownFindings_;
    bool findingsInConvertedText_ = false;
    LineEnds findingsLineEnds_ = LineEnds::CrLfOrLf;
    std::string ti86Text_;
    std::string convertedText_;
};

} // namespace kalvo
