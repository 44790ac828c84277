// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/MainWindow.h"

#include "common/AppResources.h"
#include "common/SingleInstance.h"
#include "files/ClipboardCommands.h"
#include "files/FileCommands.h"
#include "widgets/EditorWidget.h"
#include "widgets/SystemClipboard.h"
#include "windows/FindingsWindow.h"
#include "windows/HelpWindow.h"
#include "windows/ProgressWindow.h"
#include "windows/ReplaceDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <utility>

namespace kalvo {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& name) {
#ifdef _WIN32
    return fs::path(name.toStdWString());
#else
    return fs::path(QFile::encodeName(name).toStdString());
#endif
}

QString fromPath(const fs::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

// The report of a conversion is extra: when it cannot be made (memory ran
// out), the conversion still runs, without it.
std::optional<calc::Diagnostics> findingsOrNothing(std::string_view ti86Text) {
    try {
        return handWorkFindings(ti86Text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

frmWordProc::frmWordProc(QWidget* parent)
    : QMainWindow(parent), endProgram([] { QCoreApplication::exit(0); }), messages_(this) {
    setObjectName(QStringLiteral("frmWordProc"));
    setWindowTitle(QStringLiteral("Kalvo"));
    setWindowIcon(appIcon());

    // Controls keep their place and size whatever the window's size: the
    // client area has no layout.
    auto* client = new QWidget(this);
    setCentralWidget(client);

    txtwordproc = new EditorWidget(client);
    txtwordproc->setObjectName(QStringLiteral("txtwordproc"));
    txtwordproc->setGeometry(twipsRect(240, 240, 11295, 6735));

    Command1 = new QPushButton(QStringLiteral("&Convert to 8xp"), client);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(360, 7200, 11175, 375));
    setTabOrder(txtwordproc, Command1);
    connect(Command1, &QPushButton::clicked, this, &frmWordProc::Command1_Click);
    // Shown once the event that failed has returned: a drop must not wait on
    // a message box.
    connect(
        txtwordproc, &EditorWidget::insertionFailed, this,
        [this](const QString& reason) {
            showKalvoMessage(this,
                             QStringLiteral("Kalvo could not insert the text: %1.").arg(reason));
        },
        Qt::QueuedConnection);

    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       void (frmWordProc::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    // "File" has no access key, so Alt+F opens "&Find\Replace".
    file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("file"));
    New = item(file, "New", QStringLiteral("&New"), &frmWordProc::New_Click);
    open = item(file, "open", QStringLiteral("&Open"), &frmWordProc::open_Click);
    Save = item(file, "Save", QStringLiteral("&Save"), &frmWordProc::Save_Click);
    file->addSeparator()->setObjectName(QStringLiteral("BL"));
    convert = item(file, "convert", QStringLiteral("&Convert"), &frmWordProc::convert_Click);
    file->addSeparator()->setObjectName(QStringLiteral("lb"));
    Exit = item(file, "Exit", QStringLiteral("&Exit"), &frmWordProc::Exit_Click);

    edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("edit"));
    copy = item(edit, "copy", QStringLiteral("&Copy"), &frmWordProc::copy_Click);
    Paste = item(edit, "Paste", QStringLiteral("&Paste"), &frmWordProc::Paste_Click);
    cut = item(edit, "cut", QStringLiteral("C&ut"), &frmWordProc::cut_Click);
    edit->addSeparator()->setObjectName(QStringLiteral("BLwt"));
    all = item(edit, "all", QStringLiteral("S&elct All"), &frmWordProc::all_Click);
    // The usual alternates reach the same commands, so that copying and
    // pasting always go through the Edit menu.
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    Paste->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});

    FR1 = menuBar()->addMenu(QStringLiteral("&Find\\Replace"));
    FR1->setObjectName(QStringLiteral("FR1"));
    FR = item(FR1, "FR", QStringLiteral("Find\\Replce Manually"), &frmWordProc::FR_Click);

    Help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    Help2 = item(Help, "Help2", QStringLiteral("Help"), &frmWordProc::Help2_Click);
    Help2->setShortcut(QKeySequence(Qt::Key_F1));

    // F10 takes the keyboard to the menu bar, from anywhere in the window,
    // the editor included: the only way to the File menu without a mouse
    // (Qt on Linux binds no key to the menu bar).
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this, &frmWordProc::activateMenuBar);

    // The client area (below the menu bar) is 11880 x 7920 twips and stands
    // at 60, 630 twips from the screen's corner.
    const int menuHeight = menuBar()->sizeHint().height();
    setGeometry(twipsToPixels(60), twipsToPixels(630) - menuHeight, twipsToPixels(11880),
                twipsToPixels(7920) + menuHeight);

    txtwordproc->setFocus();
}

// The other windows have no parent: whatever is still loaded (the progress
// window between runs, a help window or Replace dialog left open at Exit)
// goes with the main window.
frmWordProc::~frmWordProc() {
    delete Form1_;
    delete Form2_;
    delete frmReplace_;
    delete findings_;
}

Form1* frmWordProc::progressWindow() const {
    return Form1_;
}
Form2* frmWordProc::helpWindow() const {
    return Form2_;
}
frmReplace* frmWordProc::replaceDialog() const {
    return frmReplace_;
}
FindingsWindow* frmWordProc::findingsWindow() const {
    return findings_;
}

void frmWordProc::Command1_Click() {
    if (converting_)
        return;
    converting_ = true;
    // What is left to do by hand is found on the TI-86 text, as
    // kalvo-convert finds it, and shown once the run has ended.
    std::optional<calc::Diagnostics> findings;
    std::string ti86Text;
    const bool ran = runCommand(this, QStringLiteral("Kalvo could not convert the document"), [&] {
        Form1& progress = loadOnce(Form1_, [] { return new Form1; });
        findings = findingsOrNothing(txtwordproc->bytes());
        if (findings && !findings->empty())
            ti86Text = txtwordproc->bytes();
        // The run selects the whole document 82 times to work on it; none of
        // that is a selection for other programs to paste.
        const EditorWidget::InternalSelections internal(*txtwordproc);
        runConversion(*txtwordproc, conversion, progress, messages_, ScanMode::Linear);
    });
    converting_ = false;
    // A close request that came while the progress window was painting: the
    // run and its messages are done, so the program ends now.
    if (std::exchange(closeWhenConverted_, false)) {
        close();
        return;
    }
    if (!ran)
        return;
    spellings_ = Spellings::Ti83p;
    // An open list of an earlier run is brought up to date, even to say
    // that nothing is left; a clean program opens none.
    if (findings && (!findings->empty() || findings_)) {
        runCommand(this, QStringLiteral("Kalvo could not list what is left to do"), [&] {
            ti86Text_ = std::move(ti86Text);
            convertedText_ = findings->empty() ? std::string() : txtwordproc->Text();
            showFindings(QStringLiteral("After converting"), std::move(*findings), true,
                         LineEnds::CrLfOrLf);
        });
    }
}

void frmWordProc::convert_Click() {
    Command1_Click();
}

void frmWordProc::New_Click() {
    runCommand(this, QStringLiteral("Kalvo could not start a new document"), [this] {
        strFileName.clear();
        txtwordproc->SetText({});
        spellings_ = Spellings::Unknown;
        // Its list was about the document that is gone.
        if (findings_)
            findings_->close();
    });
}

void frmWordProc::open_Click() {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Text first and chosen, as it always was; the calculator files after it.
    dialog.setNameFilters(
        {QStringLiteral("Text File (*.txt)"), QStringLiteral("TI-86 programs (*.86p *.86g)"),
         QStringLiteral("TI-83 Plus programs (*.8xp)"), QStringLiteral("All files (*)")});
    dialog.selectNameFilter(QStringLiteral("Text File (*.txt)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    openFile(dialog.selectedFiles().constFirst());
}

void frmWordProc::openFile(const QString& name) {
    runCommand(this, QStringLiteral("Kalvo could not open the file \"%1\"").arg(name), [&] {
        const fs::path path = toPath(name);
        std::optional<std::string> bytes = readDocument(path);
        const DocumentFileKind kind = bytes ? documentFileKind(*bytes) : DocumentFileKind::Text;
        if (kind == DocumentFileKind::Text) {
            // The name is kept even when the file then cannot be read.
            strFileName = path;
            if (bytes) {
                txtwordproc->SetText(*bytes);
                spellings_ = Spellings::Unknown;
                if (findings_)
                    findings_->close();
            }
            return;
        }
        const QString shown = QFileInfo(name).fileName();
        const CalcFileContents contents = readCalcFile(*bytes, shown.toStdString());
        bytes.reset();
        int index = 0;
        if (contents.refusal.empty() && contents.programs.size() > 1) {
            index = chooseProgram(shown, contents.programs);
            if (index < 0)
                return; // Cancel: nothing changes, as for the file dialog's Cancel
        }
        OpenedProgram opened = openCalcProgram(contents, static_cast<std::size_t>(index));
        const QString title = QStringLiteral("Opening ") + shown;
        if (!opened.text) {
            showKalvoMessage(this, QString::fromStdString(opened.refusal));
            if (!opened.diagnostics.empty())
                showFindings(title, std::move(opened.diagnostics), false, LineEnds::CrLfOrLf);
            return;
        }
        txtwordproc->SetText(*opened.text);
        // No name that Save could write text over: a .8xp's own name is
        // written as a .8xp again, anything else asks first.
        strFileName = opened.ti83pSpellings && namesTi83pProgramFile(path) ? path : fs::path();
        spellings_ = opened.ti83pSpellings ? Spellings::Ti83p : Spellings::Ti86Program;
        if (!opened.diagnostics.empty() || findings_)
            showFindings(title, std::move(opened.diagnostics), false,
                         opened.ti83pSpellings ? LineEnds::AnyOfCrLfLfCr : LineEnds::CrLfOrLf);
    });
}

int frmWordProc::chooseProgram(const QString& fileName, const std::vector<std::string>& programs) {
    QStringList names;
    for (const std::string& program : programs)
        names << QString::fromStdString(program);
    QInputDialog chooser(this);
    chooser.setWindowTitle(QStringLiteral("Kalvo"));
    chooser.setLabelText(QStringLiteral("%1 holds %2 programs. Which one do you want to open?")
                             .arg(fileName)
                             .arg(names.size()));
    chooser.setOption(QInputDialog::UseListViewForComboBoxItems);
    chooser.setComboBoxItems(names);
    chooser.setComboBoxEditable(false);
    chooser.setTextValue(names.value(0)); // the first program is chosen to begin with
    if (chooser.exec() != QDialog::Accepted)
        return -1;
    // The row, not the name: a damaged group can hold two of one name.
    if (const auto* view = chooser.findChild<QListView*>(); view && view->currentIndex().isValid())
        return view->currentIndex().row();
    return std::max(0, static_cast<int>(names.indexOf(chooser.textValue())));
}

bool frmWordProc::saveTi86SpellingsAnyway() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kalvo"),
                    QStringLiteral("This program is still in TI-86 spellings: it was opened from "
                                   "a TI-86 file and has not been converted, so a .8xp made of it "
                                   "now would not run on a TI-83 Plus.  Press Cancel, then "
                                   "Convert to 8xp, and save again; or press OK to save it as it "
                                   "is."),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Ok;
}

void frmWordProc::showFindings(const QString& title, calc::Diagnostics findings,
                               bool inConvertedText, LineEnds ends) {
    shownFindings_ = std::move(findings);
    findingsInConvertedText_ = inConvertedText;
    findingsLineEnds_ = ends;
    if (!inConvertedText) {
        std::string().swap(ti86Text_);
        std::string().swap(convertedText_);
    }
    FindingsWindow* before = findings_;
    FindingsWindow& shown = showFindingsWindow(findings_, title, shownFindings_);
    if (&shown == before)
        return;
    connect(&shown, &FindingsWindow::findingChosen, this, &frmWordProc::chooseFinding);
    // Below the main window where the screen has room, so that it hides
    // neither the text nor the button.
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        const QRect main = frameGeometry();
        const int top = std::min(main.bottom() + 1, room.bottom() - shown.frameGeometry().height());
        shown.move(main.left(), std::max(room.top(), top));
    }
}

void frmWordProc::chooseFinding(int index, bool focus) {
    if (index < 0 || static_cast<std::size_t>(index) >= shownFindings_.size())
        return;
    runCommand(this, QStringLiteral("Kalvo could not show the place"), [&] {
        const calc::Diagnostic& finding = shownFindings_[static_cast<std::size_t>(index)];
        std::size_t column = finding.column;
        if (findingsInConvertedText_)
            column = convertedColumn(ti86Text_, convertedText_, finding.line, finding.column);
        const std::optional<TextPlace> place =
            placeInDocument(txtwordproc->bytes(), finding.line, column, findingsLineEnds_);
        if (!place)
            return;
        txtwordproc->SetSelStart(place->start);
        txtwordproc->SetSelLength(place->length);
        if (focus)
            txtwordproc->SetFocus();
    });
}

void frmWordProc::Save_Click() {
    SaveResult result;
    calc::Diagnostics said;
    fs::path saidAbout;
    std::optional<bool> anyway;
    // Each name gets its own bytes: a .8xp for a name ending in .8xp, the
    // text and CR LF for others, nothing over a TI-86 file.
    const DocumentEncoder encode = [&](const fs::path& name, std::string_view text) {
        if (namesTi83pProgramFile(name) && spellings_ == Spellings::Ti86Program) {
            if (!anyway)
                anyway = saveTi86SpellingsAnyway();
            if (!*anyway)
                return EncodedFile{}; // Cancel
        }
        SaveEncoding encoded = encodeForSave(name, text);
        said = std::move(encoded.diagnostics);
        saidAbout = name;
        return std::move(encoded.file);
    };
    const bool ran = runCommand(this, QStringLiteral("Kalvo could not save the file"), [&] {
        const std::string text = txtwordproc->Text();
        result = saveDocument(
            strFileName, text, [this] { return askFileName(); }, encode);
    });
    if (ran && result.outcome == SaveOutcome::Failed)
        showKalvoMessage(
            this, QStringLiteral("Kalvo could not save the file \"%1\": %2.")
                      .arg(fromPath(result.path), QString::fromLocal8Bit(result.error.message())));
    if (ran && !said.empty())
        runCommand(this, QStringLiteral("Kalvo could not list what the save found"), [&] {
            showFindings(QStringLiteral("Saving ") + fromPath(saidAbout.filename()),
                         std::move(said), false, LineEnds::AnyOfCrLfLfCr);
        });
}

fs::path frmWordProc::askFileName() {
    QInputDialog prompt(this);
    prompt.setWindowTitle(QStringLiteral("Kalvo"));
    prompt.setInputMode(QInputDialog::TextInput);
    prompt.setLabelText(
        QStringLiteral("Please Intput A Filename.  (Including Path, Name, and Extension (.txt)"));
    prompt.setTextValue(QString());
    if (prompt.exec() != QDialog::Accepted)
        return {};
    return toPath(prompt.textValue());
}

// Qt offers no call that puts a menu bar into keyboard mode without opening
// a menu: the bar enters it when Alt is pressed and released alone. F10 makes
// that gesture on the window, which then shows File highlighted; the arrows
// move along the bar, Down or Enter opens the menu and Escape leaves.
void frmWordProc::activateMenuBar() {
    QWindow* native = windowHandle();
    if (!native)
        return;
    QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(native, &altDown);
    QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &altUp);
}

void frmWordProc::Exit_Click() {
    close();
}

// Shown, the window takes the keyboard with the caret in the editor, so that
// typing, the access keys and the shortcuts reach it without a click even
// where no window manager hands out the focus.
void frmWordProc::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        activateWindow();
}

void frmWordProc::closeEvent(QCloseEvent* event) {
    if (converting_) {
        closeWhenConverted_ = true;
        event->ignore();
        return;
    }
    event->accept();
    if (endProgram)
        endProgram();
}

// The clipboard commands show no message; a beep says the clipboard refused
// (another program holds it, or Paste met a character no document can hold).
void frmWordProc::copy_Click() {
    runCommand(this, QStringLiteral("Kalvo could not copy the text"), [this] {
        SystemClipboard clipboard;
        if (!copySelection(*txtwordproc, clipboard))
            QApplication::beep();
    });
}

void frmWordProc::Paste_Click() {
    runCommand(this, QStringLiteral("Kalvo could not paste the text"), [this] {
        SystemClipboard clipboard;
        if (!pasteClipboard(*txtwordproc, clipboard))
            QApplication::beep();
    });
}

void frmWordProc::cut_Click() {
    runCommand(this, QStringLiteral("Kalvo could not cut the text"), [this] {
        SystemClipboard clipboard;
        if (!cutSelection(*txtwordproc, clipboard))
            QApplication::beep();
    });
}

void frmWordProc::all_Click() {
    runCommand(this, QStringLiteral("Kalvo could not select the text"),
               [this] { focusAndSelectAll(*txtwordproc); });
}

// Opens the Find/Replace dialog frmReplace over the document.
void frmWordProc::FR_Click() {
    runCommand(this, QStringLiteral("Kalvo could not open Find/Replace"),
               [this] { openReplaceDialog(frmReplace_, *txtwordproc); });
}

// Opens the help window Form2, or brings it to the front.
void frmWordProc::Help2_Click() {
    runCommand(this, QStringLiteral("Kalvo could not show the help"),
               [this] { showHelpWindow(Form2_); });
}

} // namespace kalvo
