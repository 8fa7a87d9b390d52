// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/history_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

namespace quantrel::ui {
namespace {

// Draws a row as the input, left, and the result, right; the result wins the room it needs up
// to two thirds of the row, and either text is elided where it does not fit.
class HistoryDelegate : public QStyledItemDelegate {
public:
    HistoryDelegate(const QColor* errorColour, QObject* parent)
        : QStyledItemDelegate(parent), errorColour_(errorColour) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        const QString input = background.text;
        background.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style != nullptr) {
            style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
        }

        const QString result = index.data(HistoryView::kResultRole).toString();
        const bool failed = index.data(HistoryView::kFailedRole).toBool();
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        const QColor text =
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

        const int margin = option.fontMetrics.averageCharWidth();
        const QRect area = option.rect.adjusted(margin, 0, -margin, 0);
        const QString shownResult = failed ? result : QStringLiteral("= ") + result;
        // A pixel to spare: the advance is rounded, and eliding measures more finely.
        const int resultWidth =
            std::min(option.fontMetrics.horizontalAdvance(shownResult) + 2, area.width() * 2 / 3);
        const QRect resultArea(area.right() - resultWidth + 1, area.top(), resultWidth,
                               area.height());
        const QRect inputArea(area.left(), area.top(),
                              std::max(0, area.width() - resultWidth - 2 * margin), area.height());

        painter->save();
        painter->setFont(option.font);
        painter->setPen(text);
        painter->drawText(inputArea, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(input, Qt::ElideRight, inputArea.width()));
        painter->setPen(failed && !selected ? *errorColour_ : text);
        painter->drawText(
            resultArea, Qt::AlignRight | Qt::AlignVCenter,
            option.fontMetrics.elidedText(shownResult, failed ? Qt::ElideRight : Qt::ElideLeft,
                                          resultArea.width()));
        painter->restore();
    }

private:
    const QColor* errorColour_;
};

}  // namespace

HistoryView::HistoryView(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new HistoryDelegate(&errorColour_, this));
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit entryChosen(row(item)); });
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit entryChosen(row(item)); });
}

QListWidgetItem* HistoryView::makeItem(const HistoryEntry& entry) const {
    auto* item = new QListWidgetItem(QString::fromStdString(entry.input));
    const QString result = QString::fromStdString(entry.result);
    item->setData(kResultRole, result);
    item->setData(kFailedRole, entry.failed);
    item->setToolTip(item->text() + (entry.failed ? QStringLiteral("\n") : QStringLiteral(" = ")) +
                     result);
    return item;
}

void HistoryView::showEntries(const std::deque<HistoryEntry>& entries) {
    setUpdatesEnabled(false);
    clear();
    for (const HistoryEntry& entry : entries)
        addItem(makeItem(entry));
    setUpdatesEnabled(true);
    scrollToBottom();
}

void HistoryView::append(const HistoryEntry& entry, int limit) {
    addItem(makeItem(entry));
    while (count() > limit)
        delete takeItem(0);
    scrollToBottom();
}

void HistoryView::setErrorColour(const QColor& colour) {
    errorColour_ = colour;
    viewport()->update();
}

void HistoryView::keyPressEvent(QKeyEvent* event) {
    QListWidget::keyPressEvent(event);
    // Activating a row only recalls it; the window's default button must not evaluate as well.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}

void HistoryView::contextMenuEvent(QContextMenuEvent* event) {
    const QListWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (item == nullptr) return;
    const QString input = item->text();
    const QString result = item->data(kResultRole).toString();
    const bool failed = item->data(kFailedRole).toBool();
    QMenu menu(this);
    QAction* copyResult = menu.addAction(QStringLiteral("Copy &result"));
    copyResult->setEnabled(!failed);
    QAction* copyInput = menu.addAction(QStringLiteral("Copy &input"));
    connect(copyResult, &QAction::triggered, this, [this, result] { emit copyRequested(result); });
    connect(copyInput, &QAction::triggered, this, [this, input] { emit copyRequested(input); });
    menu.exec(event->globalPos());
}

}  // namespace quantrel::ui
