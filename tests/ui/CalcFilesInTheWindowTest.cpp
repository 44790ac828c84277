// SPDX-License-Identifier: GPL-3.0-or-later
// Calculator files in the real window: File > Open on TI-86 and TI-83 Plus
// programs (a group asking which program), the findings window after a
// conversion and after Open, and Save writing a .8xp by its name and never
// text over a TI-86 file. The files are the hand-built ones of
// tests/golden/calcfiles and ones made here.

#include "WidgetTestHelpers.h"

#include "../CalcFileBytes.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"
#include "widgets/EditorWidget.h"
#include "windows/FindingsWindow.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#if KALVO_HAVE_TIFILES
// The library's headers use C99's restrict, which C++ spells __restrict.
#define restrict __restrict
#include <tifiles.h>
#undef restrict
#endif

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using kalvo::FindingsWindow;
using kalvo::frmWordProc;

namespace {

class CalcFilesInTheWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window.endProgram = [] {};
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    fs::path put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // File > Open through the real dialog; `more` answers what follows it
    // (the choice of a program, a message box).
    void open(const fs::path& file, const std::function<void(QWidget*)>& more = {}) {
        ModalAnswerer dialogs([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(file.c_str());
                static_cast<QDialog*>(dialog)->accept();
            } else if (more) {
                more(modal);
            }
        });
        window.open->trigger();
        messages = dialogs.messages;
    }
    // File > Save, the prompt (if it comes) answered with `answer`.
    void save(const fs::path& answer, const std::function<void(QWidget*)>& more = {}) {
        prompts = 0;
        ModalAnswerer dialogs([&](QWidget* modal) {
            if (auto* prompt = qobject_cast<QInputDialog*>(modal)) {
                ++prompts;
                prompt->setTextValue(answer.c_str());
                prompt->accept();
            } else if (more) {
                more(modal);
            }
        });
        window.Save->trigger();
        messages = dialogs.messages;
    }
    void convert() {
        ModalAnswerer boxes;
        window.Command1->click();
        ASSERT_EQ(boxes.count(), 2);
    }
    FindingsWindow* findings() const { return window.findingsWindow(); }
    // Qt's offscreen platform makes every window it shows the active one;
    // only a real X server shows what the user gets.
    bool editorHasFocus() const {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            return true;
        return QApplication::activeWindow() == &window &&
               QApplication::focusWidget() == window.txtwordproc->textArea();
    }

    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/kalvo-calcwindow-XXXXXX")};
    const fs::path dir = folder.path().toStdString();
    frmWordProc window;
    QStringList messages;
    int prompts = 0;
};

// What kalvo-convert prints on standard error for `file`, one line each,
// with the file's name left off as the window leaves it off.
QStringList commandFindings(const fs::path& file, QStringList more = {}) {
    QProcess command;
    command.start(QStringLiteral(KALVO_CONVERT_BINARY),
                  QStringList{QString::fromStdString(file.string())} + more);
    EXPECT_TRUE(command.waitForFinished(20000));
    QStringList lines;
    const QString prefix = QString::fromStdString(file.string()) + QLatin1Char(':');
    for (const QString& line :
         QString::fromUtf8(command.readAllStandardError()).split('\n', Qt::SkipEmptyParts))
        if (line.startsWith(prefix)) // not the summary line
            lines << line.mid(prefix.size());
    return lines;
}

} // namespace

TEST_F(CalcFilesInTheWindow, ATi86ProgramOpensAsItsTextWithNoFileNameForSave) {
    window.strFileName = dir / "before.txt";
    const fs::path file = put("DEMO.86p", goldenCalcFile("tokenized.86p"));
    open(file);
    EXPECT_EQ(window.txtwordproc->Text(), goldenCalcFile("tokenized.ti86.txt"));
    EXPECT_TRUE(window.strFileName.empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(findings(), nullptr); // a sound file says nothing
    // By its signature, whatever its name.
    open(put("demo.txt", goldenCalcFile("plain.86p")));
    EXPECT_EQ(window.txtwordproc->Text(), goldenCalcFile("plain.ti86.txt"));
}

TEST_F(CalcFilesInTheWindow, AGroupAsksWhichProgramAndCancelChangesNothing) {
    const fs::path file = put("GROUP.86g", goldenCalcFile("group.86g"));
    QStringList offered;
    auto pick = [&](int row) {
        return [&, row](QWidget* modal) {
            auto* chooser = qobject_cast<QInputDialog*>(modal);
            ASSERT_TRUE(chooser);
            EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Kalvo"));
            offered = chooser->comboBoxItems();
            if (row < 0)
                return chooser->reject();
            auto* view = chooser->findChild<QListView*>();
            ASSERT_TRUE(view);
            view->setCurrentIndex(view->model()->index(row, 0));
            chooser->accept();
        };
    };
    window.txtwordproc->SetText("kept");
    window.strFileName = dir / "kept.txt";
    open(file, pick(-1));
    EXPECT_EQ(window.txtwordproc->Text(), "kept");
    EXPECT_EQ(window.strFileName, dir / "kept.txt");
    EXPECT_EQ(offered, (QStringList{QStringLiteral("A1"), QStringLiteral("Δθé")}));
    open(file, pick(1));
    EXPECT_EQ(window.txtwordproc->Text(), goldenCalcFile("group-3.ti86.txt"));
    EXPECT_TRUE(window.strFileName.empty());
}

TEST_F(CalcFilesInTheWindow, A8xpOpensAsTi83PlusTextAndSavesBackAsA8xp) {
    const fs::path file = put("HELLO.8xp", goldenCalcFile("ti83p-hello.8xp"));
    open(file);
    EXPECT_EQ(window.txtwordproc->Text(), goldenCalcFile("ti83p-hello.83p.txt"));
    EXPECT_EQ(window.strFileName, file); // written as a .8xp again
    save({});
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(contents(file), goldenCalcFile("ti83p-hello.8xp"));
}

TEST_F(CalcFilesInTheWindow, ADamagedFileOpensWithItsWarningsListedInAWindowThatTakesNoFocus) {
    // Its two programs are offered; the first is taken.
    open(put("damaged.86p", goldenCalcFile("damaged.86p")),
         [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    EXPECT_EQ(window.txtwordproc->Text(), goldenCalcFile("damaged-Ok.ti86.txt"));
    ASSERT_NE(findings(), nullptr);
    EXPECT_TRUE(findings()->isVisible());
    const QStringList lines = findings()->lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("warning: offset 0x")))
        << lines.join('\n').toStdString();
    // The list does not take the focus (on X without a window manager, the
    // closed dialogs leave no window active at all).
    QTest::qWait(200);
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        EXPECT_NE(QApplication::activeWindow(), findings());
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(CalcFilesInTheWindow, AssemblyAndFilesWithoutAProgramAreRefusedInAMessage) {
    window.txtwordproc->SetText("kept");
    open(put("asm.86p", ti86TestFile({{"Asm", ti86ProgramData("\x8E\x28\xC9")}})));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("assembly"))) << messages[0].toStdString();
    open(put("pic.86p", ti86TestFile({{"Pic1", std::string("\x02\x00\xAA\x55", 4), '\x11'}})));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("\"pic.86p\" is a TI-86 file with no program in it; it "
                                          "holds picture Pic1"));
    EXPECT_EQ(window.txtwordproc->Text(), "kept");
}

// The list after Convert is kalvo-convert's, line for line, and a row
// chosen selects its place in the converted text.
TEST_F(CalcFilesInTheWindow, AfterAConversionTheFindingsAreTheCommandsAndLeadToTheirPlaces) {
    const std::string ti86 = ":ClLCD:Outpt(1,1,MONEY)\r\n:Lbl START\r\n:Goto START\r\n";
    const fs::path file = put("GAME.txt", ti86);
    open(file);
    convert();
    ASSERT_NE(findings(), nullptr);
    EXPECT_TRUE(findings()->isVisible());
    EXPECT_TRUE(editorHasFocus());
    EXPECT_EQ(window.txtwordproc->SelStart(), 0);
    const QStringList lines = findings()->lines();
    EXPECT_EQ(lines, commandFindings(file));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("1:18: warning: name MONEY")))
        << lines[0].toStdString();

    // MONEY stands further right once ClLCD and Outpt( are renamed.
    QTreeWidget* list = findings()->list;
    list->setCurrentItem(list->topLevelItem(0));
    const std::string converted = window.txtwordproc->Text();
    EXPECT_EQ(converted.substr(static_cast<std::size_t>(window.txtwordproc->SelStart()),
                               static_cast<std::size_t>(window.txtwordproc->SelLength())),
              "MONEY");
    EXPECT_EQ(window.txtwordproc->SelStart(), static_cast<kalvo::Pos>(converted.find("MONEY")));
    list->setCurrentItem(list->topLevelItem(2)); // the Goto
    EXPECT_EQ(window.txtwordproc->SelStart(), static_cast<kalvo::Pos>(converted.find("Goto")));

    // A clean program updates the open list rather than leaving the old one.
    window.New->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return findings() == nullptr; }));
    window.txtwordproc->SetText(":Disp 1");
    convert();
    EXPECT_EQ(findings(), nullptr);
}

TEST_F(CalcFilesInTheWindow, SaveToANameEndingIn8xpWritesAProgramThatReadsBack) {
    window.txtwordproc->SetText(":ClrHome\r\n:Disp \"HI\"");
    save(dir / "Hello.8xp");
    EXPECT_EQ(prompts, 1);
    const std::string bytes = contents(dir / "Hello.8xp");
    const kalvo::calc::Ti83pFile back = kalvo::calc::readTi83pFile(bytes);
    ASSERT_TRUE(back.readable());
    EXPECT_EQ(back.name, "HELLO");
    EXPECT_EQ(kalvo::calc::listTi83pTokens(back.tokens).text, ":ClrHome\r\n:Disp \"HI\"\r\n");
    // The program's name changed: the findings window says so.
    ASSERT_NE(findings(), nullptr);
    EXPECT_TRUE(
        findings()->lines().join('\n').contains(QStringLiteral("program Hello is now HELLO")));
#if KALVO_HAVE_TIFILES
    FileContent* content = tifiles_content_create_regular(CALC_NONE);
    ASSERT_EQ(tifiles_file_read_regular((dir / "Hello.8xp").c_str(), content), 0);
    EXPECT_EQ(content->num_entries, 1);
    EXPECT_EQ(content->checksum, content->stored_checksum);
    EXPECT_STREQ(content->entries[0]->name, "HELLO");
    // The tokens after their 2-byte count, as Kalvo wrote them.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(content->entries[0]->data),
                          content->entries[0]->size),
              bytes.substr(0x48, bytes.size() - 0x48 - 2));
    tifiles_content_delete_regular(content);
#endif
}

TEST_F(CalcFilesInTheWindow, SaveNeverWritesTextOverATi86File) {
    const std::string program = goldenCalcFile("tokenized.86p");
    const fs::path file = put("DEMO.86p", program);
    open(file);
    window.txtwordproc->SetText(":edited");
    save(file); // the prompt's answer is the .86p: refused, said so
    EXPECT_EQ(prompts, 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("a TI-86 file is not replaced with text")))
        << messages[0].toStdString();
    EXPECT_EQ(contents(file), program);
    // Named as the current file, the .86p is a failed write: Save asks.
    window.strFileName = file;
    save(dir / "DEMO.txt");
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(contents(dir / "DEMO.txt"), ":edited\r\n");
    EXPECT_EQ(contents(file), program);
}

TEST_F(CalcFilesInTheWindow, AProgramStillInTi86SpellingsIsNotTokenizedWithoutAQuestion) {
    open(put("DEMO.86p", goldenCalcFile("tokenized.86p")));
    QString asked;
    auto answer = [&](QMessageBox::StandardButton button) {
        return [&, button](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                asked = box->text();
                box->button(button)->click();
            }
        };
    };
    save(dir / "DEMO.8xp", answer(QMessageBox::Cancel));
    EXPECT_TRUE(asked.contains(QStringLiteral("still in TI-86 spellings"))) << asked.toStdString();
    EXPECT_FALSE(fs::exists(dir / "DEMO.8xp"));
    asked.clear();
    save(dir / "DEMO.8xp", answer(QMessageBox::Ok));
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(kalvo::calc::readTi83pFile(contents(dir / "DEMO.8xp")).readable());
    // Converted, it is saved without a question; what is left to do is
    // what kalvo-convert says after the rows on the same file.
    convert();
    ASSERT_NE(findings(), nullptr);
    EXPECT_EQ(findings()->lines(), commandFindings(dir / "DEMO.86p", {QStringLiteral("--table")}));
    EXPECT_FALSE(findings()->lines().isEmpty());
    asked.clear();
    window.strFileName.clear();
    save(dir / "DEMO2.8xp", answer(QMessageBox::Cancel));
    EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();
    EXPECT_TRUE(fs::exists(dir / "DEMO2.8xp"));
}

// The real programs of the development corpus, when it is there: each opens
// in the window as the text kalvo-convert lists for it (the first program
// of a group), or is refused by both. Nothing of them is kept.
TEST_F(CalcFilesInTheWindow, RealProgramsOpenAsTheCommandListsThem) {
    const char* given = std::getenv("KALVO_CORPUS_DIR"); // else beside the clone
    const fs::path corpus = given ? fs::path(given) : fs::path(KALVO_CORPUS_DIR);
    std::error_code error;
    if (!fs::is_directory(corpus, error))
        GTEST_SKIP() << "no corpus at " << corpus;
    int opened = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        window.txtwordproc->SetText("<before>");
        // The first program of a group; a refusal's message is closed.
        open(entry.path(), [](QWidget* modal) {
            if (qobject_cast<QInputDialog*>(modal))
                static_cast<QDialog*>(modal)->accept();
        });
        QProcess command;
        command.start(QStringLiteral(KALVO_CONVERT_BINARY),
                      {QString::fromStdString(entry.path().string()), QStringLiteral("--program"),
                       QStringLiteral("@1"), QStringLiteral("-t"), QStringLiteral("ti86"),
                       QStringLiteral("-q")});
        ASSERT_TRUE(command.waitForFinished(20000));
        const std::string listed = command.readAllStandardOutput().toStdString();
        if (command.exitCode() == 0) {
            EXPECT_EQ(window.txtwordproc->Text(), listed) << entry.path();
            ++opened;
        } else {
            EXPECT_EQ(window.txtwordproc->Text(), "<before>") << entry.path();
            EXPECT_EQ(messages.size(), 1) << entry.path();
        }
    }
    EXPECT_GT(opened, 0);
}
