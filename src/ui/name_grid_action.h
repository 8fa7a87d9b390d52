// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include <QWidgetAction>

class QButtonGroup;

namespace quantrel::ui {

/// The entries of an Insert submenu as a grid of flat buttons, filled column by column with
/// kRowsPerColumn entries each, so that a long list opens as several columns side by side.
class NameGridAction : public QWidgetAction {
    Q_OBJECT

public:
    /// Entries per column.
    static constexpr int kRowsPerColumn = 15;

    /// One button per name, in the order given.
    NameGridAction(const std::vector<std::string>& names, QObject* parent);

signals:
    /// The entry at `index` (in the order given) was chosen; the menus are closed by then.
    void nameChosen(int index);

private:
    void choose(int index);

    QButtonGroup* buttons_;
};

}  // namespace quantrel::ui
