#pragma once

#include "document/TextBox.h"
#include "findreplace/FindReplaceSteps.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvo {

// The Find/Replace dialog: a small, fixed, top-most tool window without an
// owner that steps through the main box's occurrences of a text and replaces
// them one at a time. It keeps no search state: every press starts from the
// main box's caret and selection as they are. Closing it destroys it, so the
// next load starts with empty boxes.
class frmReplace final : public QWidget, private FindReplaceView {
    Q_OBJECT

public:
    // Loads the dialog over the main box (runs Form_Load); not shown yet.
    // `widget` is the main box's widget: its window is activated whenever
    // the main box takes the focus, and when it is destroyed the dialog
    // stops touching the box and unloads itself.
    frmReplace(TextBox& txtwordproc, QWidget& widget);

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

    // The main box seen from this window: giving it the focus also brings
    // its window to the front and activates it.
    class MainBox final : public TextBox {
    public:
        MainBox(TextBox& box, QWidget& widget) : box_(box), widget_(&widget) {}
        std::string Text() const override { return box_.Text(); }
        void SetText(std::string_view text) override { box_.SetText(text); }
        Pos Length() const override { return box_.Length(); }
        Pos SelStart() const override { return box_.SelStart(); }
        void SetSelStart(Pos caret) override { box_.SetSelStart(caret); }
        Pos SelLength() const override { return box_.SelLength(); }
        void SetSelLength(Pos count) override { box_.SetSelLength(count); }
        std::string SelText() const override { return box_.SelText(); }
        void SetSelText(std::string_view text) override { box_.SetSelText(text); }
        void SetFocus() override;
        std::optional<std::string_view> bytesInPlace() const override {
            return box_.bytesInPlace();
        }
        Pos find(std::int64_t start, std::string_view needle) const override {
            return box_.find(start, needle);
        }
        bool alive() const { return !widget_.isNull(); }

    private:
        TextBox& box_;
        QPointer<QWidget> widget_;
    };

    MainBox txtwordproc_;
    std::optional<std::string> findBytes_;
};

// Label3's caption, character for character.
inline constexpr const char* kReplaceDialogHint =
    "You may have to do \"Find Next\" a few extra times after it says that it cannot find what it "
    "is your looking for, becuase sometimes it misses things.";

// FR_Click: focus the main box and select the whole document, then show the
// single dialog, loading it first when it is not loaded; a loaded one keeps
// its texts and is only brought to the front and activated.
frmReplace& openReplaceDialog(QPointer<frmReplace>& dialog, TextBox& txtwordproc, QWidget& widget);

} // namespace kalvo
