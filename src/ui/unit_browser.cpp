// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/unit_browser.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace quantrel::ui {
namespace {

constexpr int kNameRole = Qt::UserRole;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QTreeWidget* makeList(const QStringList& headers, const QString& objectName, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(objectName);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    return list;
}

QTreeWidgetItem* nameItem(const QStringList& columns, const std::string& name,
                          const QString& toolTip) {
    auto* item = new QTreeWidgetItem(columns);
    item->setData(0, kNameRole, text(name));
    for (int column = 0; column < columns.size(); ++column)
        item->setToolTip(column, toolTip);
    return item;
}

}  // namespace

UnitBrowser::UnitBrowser(const Calculator& calculator, QWidget* parent)
    : QDialog(parent), groups_(browserGroups(calculator)) {
    setWindowTitle(QStringLiteral("Insert"));
    setObjectName(QStringLiteral("unitBrowser"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(
        QStringLiteral("Search by symbol, name, quantity or description, e.g. \u201cspeed\u201d"));
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setFocusPolicy(Qt::NoFocus);

    QTreeWidget* units = makeList({QStringLiteral("Symbol"), QStringLiteral("Shown"),
                                   QStringLiteral("Name"), QStringLiteral("Value")},
                                  QStringLiteral("unitList"), this);
    units->setRootIsDecorated(true);
    for (const BrowserGroup& group : groups_) {
        auto* heading = new QTreeWidgetItem(units, {text(group.title)});
        heading->setFlags(Qt::ItemIsEnabled);
        heading->setFirstColumnSpanned(true);
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        for (const BrowserUnit& unit : group.units) {
            QString toolTip = text(unit.description);
            if (!unit.aliases.empty()) {
                QStringList aliases;
                for (const std::string& alias : unit.aliases)
                    aliases << text(alias);
                toolTip += QStringLiteral("\nAlso written: ") + aliases.join(QStringLiteral(", "));
            }
            heading->addChild(
                nameItem({text(unit.symbol), text(unit.shown), text(unit.name), text(unit.value)},
                         unit.symbol, toolTip));
        }
    }
    units->expandAll();

    const BrowserFunctions functions = browserFunctions(calculator);
    QTreeWidget* functionList =
        makeList({QStringLiteral("Function"), QStringLiteral("Description")},
                 QStringLiteral("functionList"), this);
    for (const BrowserFunction& function : functions.functions) {
        functionList->addTopLevelItem(
            nameItem({text(function.signature), text(function.description)}, function.name, {}));
    }
    QTreeWidget* constantList = makeList(
        {QStringLiteral("Constant"), QStringLiteral("Value"), QStringLiteral("Description")},
        QStringLiteral("constantList"), this);
    for (const BrowserFunction& constant : functions.constants) {
        constantList->addTopLevelItem(
            nameItem({text(constant.name), text(constant.value), text(constant.description)},
                     constant.name, text(constant.description)));
    }
    lists_ = {units, functionList, constantList};
    tabs_->addTab(units, QStringLiteral("&Units"));
    tabs_->addTab(functionList, QStringLiteral("&Functions"));
    tabs_->addTab(constantList, QStringLiteral("&Constants"));
    for (QTreeWidget* list : lists_) {
        list->resizeColumnToContents(0);
        list->resizeColumnToContents(1);
        if (list == units) list->resizeColumnToContents(2);
        // Enter activates a row; a double click too, whatever the style says about activation.
        connect(list, &QTreeWidget::itemActivated, this,
                [this](QTreeWidgetItem* item) { choose(item); });
        connect(list, &QTreeWidget::itemDoubleClicked, this,
                [this](QTreeWidgetItem* item) { choose(item); });
    }
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int tab) { makeCurrent(static_cast<Tab>(tab)); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* insert =
        buttons->addButton(QStringLiteral("&Insert"), QDialogButtonBox::AcceptRole);
    insert->setObjectName(QStringLiteral("insertButton"));
    insert->setDefault(true);
    buttons->addButton(QDialogButtonBox::Close);
    connect(insert, &QPushButton::clicked, this,
            [this] { choose(list(static_cast<Tab>(tabs_->currentIndex()))->currentItem()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons);
    connect(search_, &QLineEdit::textChanged, this, &UnitBrowser::setQuery);
    resize(720, 520);
}

void UnitBrowser::start(Tab tab) {
    search_->clear();
    setQuery({});
    tabs_->setCurrentIndex(tab);
    makeCurrent(tab);
    search_->setFocus();
}

QTreeWidget* UnitBrowser::list(Tab tab) const {
    return lists_[static_cast<std::size_t>(tab)];
}

void UnitBrowser::setQuery(const QString& query) {
    if (search_->text() != query) {
        search_->setText(query);  // comes back here
        return;
    }
    const std::string wanted = query.toStdString();
    QTreeWidget* units = list(Units);
    for (int g = 0; g < units->topLevelItemCount(); ++g) {
        QTreeWidgetItem* heading = units->topLevelItem(g);
        const BrowserGroup& group = groups_[static_cast<std::size_t>(g)];
        bool any = false;
        for (int u = 0; u < heading->childCount(); ++u) {
            const bool shown =
                matchesQuery(wanted, group, group.units[static_cast<std::size_t>(u)]);
            heading->child(u)->setHidden(!shown);
            any = any || shown;
        }
        heading->setHidden(!any);
    }
    for (const Tab tab : {Functions, Constants}) {
        QTreeWidget* names = list(tab);
        for (int i = 0; i < names->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = names->topLevelItem(i);
            std::vector<std::string> columns;
            for (int c = 0; c < item->columnCount(); ++c)
                columns.push_back(item->text(c).toStdString());
            const std::vector<std::string_view> texts(columns.begin(), columns.end());
            item->setHidden(!matchesQuery(wanted, texts));
        }
    }
    for (const Tab tab : {Units, Functions, Constants})
        makeCurrent(tab);
}

void UnitBrowser::makeCurrent(Tab tab) {
    QTreeWidget* names = list(tab);
    QTreeWidgetItem* current = names->currentItem();
    if (current != nullptr && !current->isHidden() &&
        (current->parent() == nullptr || !current->parent()->isHidden()) &&
        !current->data(0, kNameRole).toString().isEmpty()) {
        return;
    }
    for (QTreeWidgetItemIterator it(names, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
        if (!(*it)->data(0, kNameRole).toString().isEmpty()) {
            names->setCurrentItem(*it);
            return;
        }
    }
    names->setCurrentItem(nullptr);
}

QStringList UnitBrowser::shownNames(Tab tab) const {
    QStringList names;
    for (QTreeWidgetItemIterator it(list(tab), QTreeWidgetItemIterator::NotHidden); *it; ++it) {
        const QString name = (*it)->data(0, kNameRole).toString();
        if (!name.isEmpty()) names << name;
    }
    return names;
}

QString UnitBrowser::currentName() const {
    const QTreeWidgetItem* item = list(static_cast<Tab>(tabs_->currentIndex()))->currentItem();
    return item != nullptr ? item->data(0, kNameRole).toString() : QString();
}

void UnitBrowser::choose(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const QString name = item->data(0, kNameRole).toString();
    // A quantity's heading inserts nothing; a row activated twice by one double click, once.
    if (name.isEmpty() || !isVisible()) return;
    accept();
    emit nameChosen(name);
}

bool UnitBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched != search_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QTreeWidget* names = list(static_cast<Tab>(tabs_->currentIndex()));
    // Enter in the search field chooses the current row.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        key->modifiers() == Qt::NoModifier) {
        choose(names->currentItem());
        return true;
    }
    // Up and Down walk the list, so the hands stay on the keys.
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
        return QDialog::eventFilter(watched, event);
    QTreeWidgetItem* next = nullptr;
    QTreeWidgetItem* previous = nullptr;
    for (QTreeWidgetItemIterator it(names, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
        if ((*it)->data(0, kNameRole).toString().isEmpty()) continue;  // a heading
        if (key->key() == Qt::Key_Up && *it == names->currentItem()) {
            next = previous;
            break;
        }
        if (key->key() == Qt::Key_Down && previous != nullptr && previous == names->currentItem()) {
            next = *it;
            break;
        }
        previous = *it;
    }
    if (next != nullptr) {
        names->setCurrentItem(next);
        names->scrollToItem(next);
    }
    return true;
}

}  // namespace quantrel::ui
