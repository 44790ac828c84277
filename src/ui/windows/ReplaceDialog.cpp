// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ReplaceDialog.h"

#include "common/AppResources.h"
#include "common/Cp1252Qt.h"
#include "common/KeepOnTop.h"
#include "common/MessageBox.h"
#include "common/SingleInstance.h"
#include "widgets/EditorWidget.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kalvo {

namespace {

QLabel* label(QWidget* parent, const char* caption, const QRect& geometry) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QPushButton* button(QWidget* parent, const char* caption, const QRect& geometry, bool enabled) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    // Enter presses no button of this dialog, not even the focused one.
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setGeometry(geometry);
    b->setEnabled(enabled);
    return b;
}

} // namespace

frmReplace::frmReplace(EditorWidget& txtwordproc)
    // A fixed dialog: the dialog window type, a title and a close box only,
    // and (below) equal minimum and maximum sizes, which window managers
    // that ignore Qt's Motif hints (openbox) honour too.
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      txtwordproc_(&txtwordproc) {
    setObjectName(QStringLiteral("frmReplace"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Replace"));

    Label1 = label(this, "Find what:", twipsRect(240, 240, 1092, 252));
    txtFind = new QLineEdit(this);
    txtFind->setGeometry(twipsRect(1560, 240, 2532, 288));
    Label2 = label(this, "Replace with:", twipsRect(240, 600, 1092, 252));
    txtReplace = new QLineEdit(this);
    txtReplace->setGeometry(twipsRect(1560, 600, 2532, 288));
    cmdFindNext = button(this, "Find Next", twipsRect(4680, 120, 1215, 375), false);
    cmdReplace = button(this, "Replace", twipsRect(4680, 600, 1212, 372), false);
    cmdCancel = button(this, "Cancel", twipsRect(4680, 1080, 1215, 375), true);
    Label3 = label(this, kReplaceDialogHint, twipsRect(360, 960, 3975, 615));
    Label3->setWordWrap(true);
    // Each control answers to its name, as in the other windows.
    Label1->setObjectName(QStringLiteral("Label1"));
    txtFind->setObjectName(QStringLiteral("txtFind"));
    Label2->setObjectName(QStringLiteral("Label2"));
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    cmdFindNext->setObjectName(QStringLiteral("cmdFindNext"));
    cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Label3->setObjectName(QStringLiteral("Label3"));
    fitFontToLayout();

    setTabOrder(txtFind, txtReplace);
    setTabOrder(txtReplace, cmdFindNext);
    setTabOrder(cmdFindNext, cmdReplace);
    setTabOrder(cmdReplace, cmdCancel);
    txtFind->setFocus();

    // Client area at 1950, 1215 on the screen, at every load.
    const QRect client = twipsRect(1950, 1215, 6045, 1590);
    setFixedSize(client.size());
    setGeometry(client);

    connect(txtFind, &QLineEdit::textChanged, this, &frmReplace::txtFind_Change);
    connect(cmdFindNext, &QPushButton::clicked, this, &frmReplace::cmdFindNext_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &frmReplace::cmdReplace_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmReplace::cmdCancel_Click);
    connect(&txtwordproc, &QObject::destroyed, this, &QWidget::close);

    Form_Load();
}

void frmReplace::fitFontToLayout() {
    const auto fits = [this](const QFont& f) {
        const QFontMetrics m(f);
        for (const QLabel* l : {Label1, Label2})
            if (m.horizontalAdvance(l->text()) > l->width())
                return false;
        // A button's caption needs room for its frame too.
        for (const QPushButton* b : {cmdFindNext, cmdReplace, cmdCancel})
            if (m.horizontalAdvance(b->text()) + 8 > b->width())
                return false;
        const QRect wrapped =
            m.boundingRect(QRect(0, 0, Label3->width(), 10000), Qt::TextWordWrap, Label3->text());
        return wrapped.height() <= Label3->height() && m.height() + 4 <= txtFind->height();
    };
    QFont f = font();
    const bool inPoints = f.pointSizeF() > 0;
    while (!fits(f)) {
        if (inPoints && f.pointSizeF() > 6)
            f.setPointSizeF(f.pointSizeF() - 0.5);
        else if (!inPoints && f.pixelSize() > 8)
            f.setPixelSize(f.pixelSize() - 1);
        else
            break;
    }
    setFont(f);
}

void frmReplace::Form_Load() {
    KeepOnTop(*this);
}

void frmReplace::txtFind_Change() {
    findTextChanged(txtFind->text().isEmpty(), *this);
}

SearchText frmReplace::searchText() {
    findBytes_ = encodeCp1252(txtFind->text());
    if (!findBytes_)
        return std::nullopt;
    return std::string_view(*findBytes_);
}

void frmReplace::cmdFindNext_Click() {
    if (!txtwordproc_)
        return;
    runCommand(this, QStringLiteral("Kalvo could not find the text"),
               [this] { findNextSteps(*txtwordproc_, searchText(), *this); });
}

void frmReplace::cmdReplace_Click() {
    if (!txtwordproc_)
        return;
    runCommand(this, QStringLiteral("Kalvo could not replace the text"), [this] {
        const SearchText find = searchText();
        // A replacement Windows-1252 cannot hold is never stored as other
        // characters; only a find text that can occur would use it anyway.
        const std::optional<std::string> replacement = encodeCp1252(txtReplace->text());
        if (find && !replacement) {
            QApplication::beep();
            return;
        }
        replaceSteps(*txtwordproc_, find, replacement ? *replacement : std::string(), *this);
    });
}

void frmReplace::cmdCancel_Click() {
    if (!txtwordproc_)
        return;
    runCommand(this, QStringLiteral("Kalvo could not close Find/Replace"),
               [this] { cancelSteps(*txtwordproc_, *this); });
}

void frmReplace::setFindNextEnabled(bool enabled) {
    cmdFindNext->setEnabled(enabled);
}

void frmReplace::setReplaceEnabled(bool enabled) {
    cmdReplace->setEnabled(enabled);
}

void frmReplace::showNotFound() {
    // Owned by this window, so that the box comes up over it; the find text
    // is quoted as typed, also when it has characters no document can hold.
    showKalvoMessage(this, decodeCp1252(kNotFoundPrefix) + txtFind->text() +
                               decodeCp1252(kNotFoundSuffix));
}

void frmReplace::unload() {
    close();
}

frmReplace& openReplaceDialog(QPointer<frmReplace>& dialog, EditorWidget& txtwordproc) {
    focusAndSelectAll(txtwordproc);
    frmReplace& loaded = loadOnce(dialog, [&] { return new frmReplace(txtwordproc); });
    loaded.show();
    loaded.raise();
    loaded.activateWindow();
    return loaded;
}

} // namespace kalvo
