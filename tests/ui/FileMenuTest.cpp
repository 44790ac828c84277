#include "ModalAnswerer.h"

#include "app/MainWindow.h"
#include "editor/EditorWidget.h"
#include "editor/FileIO.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using kalvo::frmWordProc;

namespace {

class FileMenuTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalvo-filemenu-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        window.endProgram = [] {};
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const fs::path& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string contents(const fs::path& path) {
        std::error_code error;
        return kalvo::readFile(path, error).value_or("<unreadable>");
    }

    fs::path dir;
    frmWordProc window;
};

// Chooses `path` in the open dialog, or cancels it when the path is empty.
void chooseInOpenDialog(QWidget* modal, const fs::path& path, QStringList* filters = nullptr) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (filters)
        *filters = dialog->nameFilters() << dialog->selectedNameFilter();
    if (path.empty()) {
        dialog->reject();
        return;
    }
    // Typed into the name field, as a user may do; the dialog's folder view
    // fills in the background and is not waited for.
    const QString chosen = QString::fromStdString(path.string());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(chosen);
    EXPECT_EQ(dialog->selectedFiles(), QStringList{chosen});
    static_cast<QDialog*>(dialog)->accept(); // as the Open button does
}

// What the Save prompt showed, and the answer given to it.
struct Prompt {
    QString title;
    QString label;
    QString initial;
};

void answerPrompt(QWidget* modal, const QString& answer, Prompt* seen) {
    auto* prompt = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(prompt, nullptr);
    *seen = {prompt->windowTitle(), prompt->labelText(), prompt->textValue()};
    if (answer.isNull()) {
        prompt->reject();
        return;
    }
    prompt->setTextValue(answer);
    prompt->accept();
}

} // namespace

TEST_F(FileMenuTest, EveryByteValueSurvivesOpenAndSave) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += "\n\r\r\n";
    const fs::path file = dir / "all.txt";
    put(file, all);

    QStringList filters;
    {
        ModalAnswerer answer([&](QWidget* modal) { chooseInOpenDialog(modal, file, &filters); });
        window.open->trigger();
        EXPECT_EQ(answer.count(), 1);
    }
    EXPECT_EQ(filters, (QStringList{"Text File (*.txt)", "Text File (*.txt)"}));
    EXPECT_EQ(window.strFileName, file);
    EXPECT_EQ(window.txtwordproc->Text(), all);
    EXPECT_EQ(window.txtwordproc->SelStart(), 0);

    {
        ModalAnswerer answer([](QWidget*) { FAIL() << "Save asked for a name"; });
        window.Save->trigger();
    }
    EXPECT_EQ(contents(file), all + "\r\n");
}

TEST_F(FileMenuTest, CancelledOpenChangesNothing) {
    put(dir / "first.txt", "first");
    put(dir / "empty.txt", "");
    {
        ModalAnswerer first([&](QWidget* modal) { chooseInOpenDialog(modal, dir / "first.txt"); });
        window.open->trigger();
        ASSERT_EQ(window.txtwordproc->Text(), "first");
    }

    ModalAnswerer cancel([](QWidget* modal) { chooseInOpenDialog(modal, {}); });
    window.open->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), "first");
    EXPECT_EQ(window.strFileName, dir / "first.txt");
}

TEST_F(FileMenuTest, AnEmptyFileOpensAsAnEmptyDocument) {
    put(dir / "empty.txt", "");
    window.txtwordproc->SetText("old");
    ModalAnswerer choose([&](QWidget* modal) { chooseInOpenDialog(modal, dir / "empty.txt"); });
    window.open->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), "");
    EXPECT_EQ(window.strFileName, dir / "empty.txt");
}

TEST_F(FileMenuTest, FirstSaveAsksWithTheExactPromptThenWritesWithoutAsking) {
    window.txtwordproc->SetText("A:sin X");
    const fs::path answer = dir / "typed-name";
    Prompt seen;
    {
        ModalAnswerer prompt([&](QWidget* modal) {
            answerPrompt(modal, QString::fromStdString(answer.string()), &seen);
        });
        window.Save->trigger();
        EXPECT_EQ(prompt.count(), 1);
    }
    EXPECT_EQ(seen.title, "Kalvo");
    EXPECT_EQ(seen.label, "Please Intput A Filename.  (Including Path, Name, and Extension (.txt)");
    EXPECT_EQ(seen.initial, "");
    EXPECT_EQ(window.strFileName, answer);
    EXPECT_EQ(contents(answer), "A:sin X\r\n");

    {
        ModalAnswerer none([](QWidget*) { FAIL() << "the second Save asked again"; });
        window.Save->trigger();
    }
    EXPECT_EQ(contents(answer), "A:sin X\r\n");

    // After New the name is gone and Save asks again; Cancel ends quietly.
    window.New->trigger();
    {
        ModalAnswerer cancel([&](QWidget* modal) { answerPrompt(modal, QString(), &seen); });
        window.Save->trigger();
        EXPECT_EQ(cancel.count(), 1);
    }
    EXPECT_TRUE(window.strFileName.empty());
    EXPECT_EQ(contents(answer), "A:sin X\r\n");
}

TEST_F(FileMenuTest, ReadOnlyFileIsUntouchedAndTheDocumentGoesWhereTheUserSays) {
    const fs::path locked = dir / "locked.txt";
    put(locked, "original");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    window.strFileName = locked;
    window.txtwordproc->SetText("edited");

    const fs::path answer = dir / "elsewhere.txt";
    Prompt seen;
    ModalAnswerer prompt([&](QWidget* modal) {
        answerPrompt(modal, QString::fromStdString(answer.string()), &seen);
    });
    window.Save->trigger();
    EXPECT_EQ(prompt.count(), 1);
    EXPECT_EQ(contents(locked), "original");
    EXPECT_EQ(contents(answer), "edited\r\n");
    EXPECT_EQ(window.strFileName, answer);
}

TEST_F(FileMenuTest, AWriteFailingAfterThePromptIsReported) {
    window.txtwordproc->SetText("text");
    const fs::path answer = dir / "missing-folder" / "x.txt";
    Prompt seen;
    QString message;
    ModalAnswerer answerAll([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            message = box->text();
            EXPECT_EQ(box->windowTitle(), "Kalvo");
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->buttons().size(), 1);
            box->button(QMessageBox::Ok)->click();
            return;
        }
        answerPrompt(modal, QString::fromStdString(answer.string()), &seen);
    });
    window.Save->trigger();
    EXPECT_EQ(answerAll.count(), 2);
    EXPECT_TRUE(message.contains(QString::fromStdString(answer.string()))) << message.toStdString();
    EXPECT_TRUE(message.contains("No such file or directory")) << message.toStdString();
    EXPECT_EQ(window.txtwordproc->Text(), "text");
}
