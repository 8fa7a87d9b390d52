// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

#include "core/calculator.h"
#include "ui/browser_entries.h"

class QLineEdit;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace quantrel::ui {

/// Insert ▸ Unit…: the units grouped by quantity (symbol, shown text, name, value in the
/// reference unit), the functions with their parameters and the constants with their values,
/// each on a tab, all filtered as one types into the search field. Enter or a double click
/// chooses the current row: the dialog closes and reports its name.
class UnitBrowser : public QDialog {
    Q_OBJECT

public:
    enum Tab { Units = 0, Functions = 1, Constants = 2 };

    /// The browser over the names `calculator` knows.
    explicit UnitBrowser(const Calculator& calculator, QWidget* parent = nullptr);

    /// Opens on `tab` with an empty search field that has the focus.
    void start(Tab tab);
    /// Shows only the rows matching `query`; the first of them becomes current.
    void setQuery(const QString& query);
    /// The list of `tab`.
    QTreeWidget* list(Tab tab) const;
    /// The names shown on `tab`, in order (for the units, the symbols without the groups).
    QStringList shownNames(Tab tab) const;
    /// The name of the current row, or empty.
    QString currentName() const;

signals:
    /// `name` was chosen to be inserted.
    void nameChosen(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(QTreeWidgetItem* item);
    void makeCurrent(Tab tab);

    QLineEdit* search_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<QTreeWidget*> lists_;
    std::vector<BrowserGroup> groups_;
};

}  // namespace quantrel::ui
