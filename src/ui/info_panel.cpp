// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/info_panel.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace quantrel::ui {
namespace {

constexpr int kSpacing = 4;

QFont styledFont(QFont font, HintPiece::Style style) {
    if (style == HintPiece::Style::Bold || style == HintPiece::Style::ChosenLink)
        font.setBold(true);
    if (style == HintPiece::Style::Italic) font.setItalic(true);
    return font;
}

// `row` cut so that it fits `width` pixels of `font`: the pieces that fit, then the next one
// ended with "…". `cut` tells whether anything was left out.
HintRow fitted(const HintRow& row, const QFont& font, int width, bool& cut) {
    HintRow shown;
    int used = 0;
    cut = false;
    for (const HintPiece& piece : row) {
        const QFontMetrics metrics(styledFont(font, piece.style));
        const QString text = QString::fromStdString(piece.text);
        const int advance = metrics.horizontalAdvance(text);
        if (used + advance <= width) {
            shown.push_back(piece);
            used += advance;
            continue;
        }
        cut = true;
        const QString elided = metrics.elidedText(text, Qt::ElideRight, width - used);
        if (!elided.isEmpty()) shown.push_back({piece.style, elided.toStdString(), piece.link});
        break;
    }
    return shown;
}

}  // namespace

InfoPanel::InfoPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    layout->setSpacing(kSpacing);
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("infoIcon"));
    layout->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kRows; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("infoRow%1").arg(i));
        label->setTextFormat(Qt::RichText);
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setWordWrap(false);
        connect(label, &QLabel::linkActivated, this, [this](const QString& link) {
            bool number = false;
            const int index = link.toInt(&number);
            if (number) emit linkChosen(index);
        });
        labels_.push_back(label);
        column->addWidget(label);
    }
    layout->addLayout(column, 1);
    changeEvent(nullptr);
}

void InfoPanel::setRows(std::vector<HintRow> rows, int errorRows) {
    rows_ = std::move(rows);
    errorRows_ = std::clamp(errorRows, 0, static_cast<int>(rows_.size()));
    render();
}

void InfoPanel::setErrorColour(const QColor& colour) {
    errorColour_ = colour;
    render();
}

QString InfoPanel::plainText() const {
    QStringList lines;
    for (const HintRow& row : rows_)
        lines << QString::fromStdString(rowText(row));
    return lines.join(QLatin1Char('\n'));
}

QStringList InfoPanel::shownRows() const {
    QStringList rows;
    for (const QLabel* label : labels_)
        rows << (label->property("plain").toString());
    return rows;
}

void InfoPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    render();
}

void InfoPanel::changeEvent(QEvent* event) {
    if (event != nullptr) QFrame::changeEvent(event);
    if (event != nullptr && event->type() != QEvent::FontChange &&
        event->type() != QEvent::StyleChange)
        return;
    // The height of two rows of the font, whatever they hold.
    const int rowHeight = fontMetrics().height() + 2;
    for (QLabel* label : labels_)
        label->setFixedHeight(rowHeight);
    const int iconSize = std::min(32, kRows * rowHeight);
    icon_->setFixedSize(iconSize, iconSize);
    icon_->setProperty("size", iconSize);
    setFixedHeight(kRows * rowHeight + 2 * kSpacing + 2 * frameWidth());
    render();
}

void InfoPanel::render() {
    if (labels_.empty()) return;
    const int width = std::max(0, labels_.front()->contentsRect().width() - 2);
    bool anyCut = rows_.size() > labels_.size();
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        QLabel* label = labels_[i];
        if (i >= rows_.size()) {
            label->clear();
            label->setProperty("plain", QString());
            continue;
        }
        bool cut = false;
        const HintRow shown = fitted(rows_[i], label->font(), width, cut);
        anyCut = anyCut || cut;
        QString html = QString::fromStdString(rowHtml(shown));
        if (static_cast<int>(i) < errorRows_) {
            html =
                QStringLiteral("<span style=\"color:%1\">%2</span>").arg(errorColour_.name(), html);
        }
        label->setText(html);
        label->setProperty("plain", QString::fromStdString(rowText(shown)));
    }
    setToolTip(anyCut ? plainText() : QString());
    const int iconSize = icon_->property("size").toInt();
    if (rows_.empty()) {
        icon_->clear();
    } else {
        const QStyle::StandardPixmap which =
            errorRows_ > 0 ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation;
        const QPixmap picture = style()->standardIcon(which).pixmap(iconSize, iconSize);
        icon_->setPixmap(picture);
        // A style without these icons leaves no empty square beside the text.
        icon_->setVisible(!picture.isNull());
    }
}

}  // namespace quantrel::ui
