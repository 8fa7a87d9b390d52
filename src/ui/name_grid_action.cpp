// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/name_grid_action.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QPushButton>
#include <QWidget>

namespace quantrel::ui {

NameGridAction::NameGridAction(const std::vector<std::string>& names, QObject* parent)
    : QWidgetAction(parent) {
    auto* grid = new QWidget;
    // Flat entries that light up like menu entries under the mouse or the keyboard focus.
    grid->setStyleSheet(
        QStringLiteral("QPushButton { text-align: left; padding: 3px 12px 3px 8px; border: none; }"
                       "QPushButton:hover, QPushButton:focus { background: palette(highlight);"
                       " color: palette(highlighted-text); }"));
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    buttons_ = new QButtonGroup(grid);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        auto* button = new QPushButton(QString::fromStdString(names[i]), grid);
        button->setFlat(true);
        button->setAutoDefault(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons_->addButton(button, i);
        layout->addWidget(button, i % kRowsPerColumn, i / kRowsPerColumn);
    }
    setDefaultWidget(grid);
    connect(buttons_, &QButtonGroup::idClicked, this, &NameGridAction::choose);
}

void NameGridAction::choose(int index) {
    // Close the whole menu cascade first, as choosing a menu entry does.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    emit nameChosen(index);
}

}  // namespace quantrel::ui
