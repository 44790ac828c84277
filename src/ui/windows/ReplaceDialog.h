// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "findreplace/FindReplaceSteps.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvo {

class EditorWidget;

// The Find/Replace dialog: a small, fixed, top-most tool window without an
// owner that steps through the main box's occurrences of a text and replaces
// them one at a time. It keeps no search state: every press starts from the
// main box's caret and selection as they are. Closing it destroys it, so the
// next load starts with empty boxes.
class frmReplace final : public QWidget, private FindReplaceView {
    Q_OBJECT

public:
    // Loads the dialog over the main window's editor (runs Form_Load); not
    // shown yet.
    explicit frmReplace(EditorWidget& txtwordproc);

    QLabel* Label1;
    QLineEdit* txtFind;
    QLabel* Label2;
    QLineEdit* txtReplace;
    QPushButton* cmdFindNext;
    QPushButton* cmdReplace;
    QPushButton* cmdCancel;
    QLabel* Label3;

    void cmdFindNext_Click();
    void cmdReplace_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
    void txtFind_Change();
    // The layout is fixed in twips, made for a small dialog font; a larger
    // desktop font is scaled down until every caption fits its control.
    void fitFontToLayout();

    void setFindNextEnabled(bool enabled) override;
    void setReplaceEnabled(bool enabled) override;
    void showNotFound() override;
    void unload() override;

    // The find text as document bytes, fixed for the press under way.
    SearchText searchText();

    // The main window's editor; null once it is gone, when the dialog
    // stops touching it and unloads itself.
    QPointer<EditorWidget> txtwordproc_;
    std::optional<std::string> findBytes_;
};

// Label3's caption, character for character.
inline constexpr const char* kReplaceDialogHint =
    "You may have to do \"Find Next\" a few extra times after it says that it cannot find what it "
    "is your looking for, becuase sometimes it misses things.";

// FR_Click: focus the main box and select the whole document, then show the
// single dialog, loading it first when it is not loaded; a loaded one keeps
// its texts and is only brought to the front and activated.
frmReplace& openReplaceDialog(QPointer<frmReplace>& dialog, EditorWidget& txtwordproc);

} // namespace kalvo
