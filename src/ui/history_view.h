// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <deque>

#include <QColor>
#include <QListWidget>

#include "ui/history.h"

namespace quantrel::ui {

/// The list of calculations below the panel, newest last: each row shows the input on the left
/// and the result on the right, a failed line's error in the error colour. Clicking or
/// activating a row chooses it; its context menu copies the input or the result.
class HistoryView : public QListWidget {
    Q_OBJECT

public:
    /// The item data holding the result text (the display role holds the input).
    static constexpr int kResultRole = Qt::UserRole;
    /// The item data telling whether the line failed.
    static constexpr int kFailedRole = Qt::UserRole + 1;

    /// An empty list.
    explicit HistoryView(QWidget* parent = nullptr);

    /// Shows exactly `entries`, oldest first, scrolled to the newest.
    void showEntries(const std::deque<HistoryEntry>& entries);
    /// Appends one entry, dropping rows from the top beyond `limit`, and scrolls to it.
    void append(const HistoryEntry& entry, int limit);
    /// The colour of failed lines' errors.
    void setErrorColour(const QColor& colour);

signals:
    /// The row at `row` was clicked or activated.
    void entryChosen(int row);
    /// The user asked for `text` (a row's input or result) on the clipboard.
    void copyRequested(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QListWidgetItem* makeItem(const HistoryEntry& entry) const;

    QColor errorColour_{255, 0, 0};
};

}  // namespace quantrel::ui
