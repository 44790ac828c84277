// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Diagnostic.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace kalvo {

// The list of what is left to do after a conversion, and of what Open and
// Save said about a calculator file: one row per finding (line, column,
// message). Choosing a row asks the main window to select its place. A
// single instance like the help window, shown without taking the focus from
// the editor; closing it unloads it.
class FindingsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit FindingsWindow(QWidget* parent = nullptr);

    QLabel* heading;
    QTreeWidget* list;
    QPushButton* closeButton;

    // Replaces the list: `title` says what it is about ("After converting",
    // "Opening GAME.86p"), each finding is one row in the given order.
    void showFindings(const QString& title, const calc::Diagnostics& findings);

    // The rows as kalvo-convert prints them without the file's name:
    // "LINE:COLUMN: warning: message", or "warning: message" for a finding
    // with no place in the text.
    QStringList lines() const;

signals:
    // The row `index` of the last showFindings was chosen; `focus` when the
    // user asked to go there (Enter, a double click), not only to look.
    void findingChosen(int index, bool focus);
};

// What the main window does with its findings window: loads it once, fills
// it and shows it in front without moving the keyboard focus.
FindingsWindow& showFindingsWindow(QPointer<FindingsWindow>& window, const QString& title,
                                   const calc::Diagnostics& findings);

} // namespace kalvo
