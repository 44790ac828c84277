// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/FindingsWindow.h"

#include "common/AppResources.h"
#include "common/SingleInstance.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kalvo {

namespace {

QString severityWord(calc::Diagnostic::Severity severity) {
    switch (severity) {
    case calc::Diagnostic::Severity::Note:
        return QStringLiteral("note");
    case calc::Diagnostic::Severity::Warning:
        break;
    case calc::Diagnostic::Severity::Error:
        return QStringLiteral("error");
    }
    return QStringLiteral("warning");
}

// The message as kalvo-convert words it: a fault in the file's bytes names
// its offset when it has no place in the text.
QString messageOf(const calc::Diagnostic& d) {
    QString text = severityWord(d.severity) + QStringLiteral(": ");
    if (d.hasOffset && d.line == 0)
        text += QStringLiteral("offset 0x%1: ")
                    .arg(QString::number(static_cast<qulonglong>(d.offset), 16)
                             .toUpper()
                             .rightJustified(2, QLatin1Char('0')));
    return text + QString::fromStdString(d.message);
}

} // namespace

FindingsWindow::FindingsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), heading(new QLabel(this)), list(new QTreeWidget(this)),
      closeButton(new QPushButton(QStringLiteral("&Close"), this)) {
    setObjectName(QStringLiteral("FindingsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Shown after a conversion or an Open, it must leave the caret where
    // the user types.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Findings"));
    setWindowIcon(appIcon());

    heading->setObjectName(QStringLiteral("heading"));
    heading->setWordWrap(true);
    list->setObjectName(QStringLiteral("list"));
    list->setColumnCount(3);
    list->setHeaderLabels(
        {QStringLiteral("Line"), QStringLiteral("Column"), QStringLiteral("Message")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setWordWrap(false);
    list->header()->setStretchLastSection(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit findingChosen(list->indexOfTopLevelItem(item), false);
    });
    connect(list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        emit findingChosen(list->indexOfTopLevelItem(item), true);
    });

    resize(640, 260);
}

void FindingsWindow::showFindings(const QString& title, const calc::Diagnostics& findings) {
    // Filling the list must not choose a row on the user's behalf.
    const QSignalBlocker quiet(list);
    list->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(findings.size()));
    for (const calc::Diagnostic& d : findings) {
        auto* row = new QTreeWidgetItem;
        if (d.line != 0) {
            row->setText(0, QString::number(d.line));
            row->setText(1, QString::number(d.column));
        }
        row->setText(2, messageOf(d));
        row->setToolTip(2, row->text(2));
        rows.push_back(row);
    }
    list->addTopLevelItems(rows);
    // Wide enough for the largest numbers and the titles, worked out once
    // rather than measured row by row (a long program has thousands).
    std::size_t lines = 0;
    std::size_t columns = 0;
    for (const calc::Diagnostic& d : findings) {
        lines = std::max(lines, d.line);
        columns = std::max(columns, d.column);
    }
    const QFontMetrics metrics(list->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    for (const auto& [column, largest] : {std::pair{0, lines}, std::pair{1, columns}})
        list->setColumnWidth(
            column,
            padding + std::max(metrics.horizontalAdvance(QString::number(largest)),
                               metrics.horizontalAdvance(list->headerItem()->text(column))));
    const QString count = findings.size() == 1 ? QStringLiteral("1 finding")
                                               : QStringLiteral("%1 findings").arg(findings.size());
    heading->setText(findings.empty() ? title + QStringLiteral(": nothing to point out.")
                                      : title + QStringLiteral(": ") + count +
                                            QStringLiteral(". Choose one to see its place."));
}

QStringList FindingsWindow::lines() const {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        out << (row->text(0).isEmpty() ? row->text(2)
                                       : row->text(0) + QLatin1Char(':') + row->text(1) +
                                             QStringLiteral(": ") + row->text(2));
    }
    return out;
}

FindingsWindow& showFindingsWindow(QPointer<FindingsWindow>& window, const QString& title,
                                   const calc::Diagnostics& findings) {
    FindingsWindow& shown = loadOnce(window, [] { return new FindingsWindow; });
    shown.showFindings(title, findings);
    if (shown.isMinimized())
        shown.setWindowState(shown.windowState() & ~Qt::WindowMinimized);
    shown.show();
    shown.raise();
    return shown;
}

} // namespace kalvo
