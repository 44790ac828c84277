// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetTestHelpers.h"

#include "widgets/EditorWidget.h"
#include "windows/MainWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace fs = std::filesystem;

namespace {

// Open and Save through the real dialogs. Which Save asks for a name is
// decided, and tested, in the file commands.
class FileMenuTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/kalvo-filemenu-XXXXXX")};
    const fs::path dir = folder.path().toStdString();
    kalvo::frmWordProc window;
};

// Answers the open dialog or the Save prompt with `file`, as a user would.
void answer(QWidget* modal, const fs::path& file) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        // Text comes first and is chosen; the calculator files follow it.
        EXPECT_EQ(dialog->nameFilters().value(0), QStringLiteral("Text File (*.txt)"));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Text File (*.txt)"));
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.c_str());
        return static_cast<QDialog*>(dialog)->accept(); // as its Open button does
    }
    if (auto* prompt = qobject_cast<QInputDialog*>(modal)) {
        EXPECT_EQ(
            prompt->windowTitle() + ": " + prompt->labelText() + " [" + prompt->textValue() + "]",
            "Kalvo: Please Intput A Filename.  (Including Path, Name, and Extension (.txt) []");
        prompt->setTextValue(file.c_str());
        prompt->accept();
    }
}

} // namespace

TEST_F(FileMenuTest, EveryByteSurvivesOpenAndSaveWhichAddsACrLf) {
    std::string all = "\n\r\r\n";
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const fs::path file = dir / "all.txt";
    std::ofstream(file, std::ios::binary) << all;
    ModalAnswerer dialogs([&](QWidget* modal) { answer(modal, file); });
    window.open->trigger();
    EXPECT_EQ(window.txtwordproc->Text(), all);
    window.Save->trigger(); // to the file opened, without a prompt
    EXPECT_EQ(contents(file), all + "\r\n");
    EXPECT_EQ(dialogs.count(), 1);
}

TEST_F(FileMenuTest, FirstSaveAsksForTheNameAndAFailedWriteIsReported) {
    window.txtwordproc->SetText("A:sin X");
    fs::path typed = dir / "typed";
    ModalAnswerer dialogs([&](QWidget* modal) { answer(modal, typed); });
    window.Save->trigger();
    EXPECT_EQ(contents(typed), "A:sin X\r\n");
    window.New->trigger(); // forgets the name: Save asks again
    typed = dir / "no-such-folder" / "x.txt";
    window.Save->trigger();
    EXPECT_EQ(dialogs.count(), 3);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(typed.c_str())) << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains("No such file or directory"));
}
