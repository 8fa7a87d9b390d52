// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/about_dialog.h"

#include "ui/dialog_metrics.h"

#include <algorithm>
#include <utility>

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

namespace quantrel::ui {
namespace {

// Banner size in pixels, as drawn.
constexpr int kBannerWidth = 383;
constexpr int kBannerHeight = 70;

// The banner centred in `size`; where the area is larger, the picture's edge rows and columns
// are stretched to fill it, so the banner reaches the box's edges without scaling.
QPixmap bannerPicture(const QSize& size) {
    QPixmap banner(QStringLiteral(":/banner.png"));
    if (banner.isNull()) {
        banner = QPixmap(kBannerWidth, kBannerHeight);
        banner.fill(QColor(38, 70, 120));
    }
    const QSize area = size.expandedTo(banner.size());
    QPixmap filled(area);
    filled.fill(Qt::white);
    QPainter painter(&filled);
    const int left = (area.width() - banner.width()) / 2;
    const int top = (area.height() - banner.height()) / 2;
    const int right = left + banner.width();
    const int bottom = top + banner.height();
    painter.drawPixmap(left, top, banner);
    painter.drawPixmap(QRect(0, top, left, banner.height()), banner,
                       QRect(0, 0, 1, banner.height()));
    painter.drawPixmap(QRect(right, top, area.width() - right, banner.height()), banner,
                       QRect(banner.width() - 1, 0, 1, banner.height()));
    painter.end();
    const QPixmap middle = filled.copy();
    painter.begin(&filled);
    painter.drawPixmap(QRect(0, 0, area.width(), top), middle, QRect(0, top, area.width(), 1));
    painter.drawPixmap(QRect(0, bottom, area.width(), area.height() - bottom), middle,
                       QRect(0, bottom - 1, area.width(), 1));
    return filled;
}

}  // namespace

AboutDialog::AboutDialog(std::filesystem::path userGuide, QWidget* parent)
    : QDialog(parent), userGuide_(std::move(userGuide)) {
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    const QFont dialogFont = interfaceFont(8, QFont::Normal);
    setFont(dialogFont);
    const DialogUnits units(dialogFont);
    // The notice is shown whole: the box grows below the banner to the height the text takes.
    auto* notice = new QLabel(noticeText(), this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notice->setForegroundRole(QPalette::Text);
    const QRect noticeArea = units.rect(7, 48, 241, 49);
    const int noticeHeight =
        std::max(noticeArea.height(), notice->heightForWidth(noticeArea.width()));
    notice->setGeometry(noticeArea.x(), noticeArea.y(), noticeArea.width(), noticeHeight);
    const int grown = noticeHeight - noticeArea.height();
    setFixedSize(units.x(255), units.y(131) + grown);

    auto* band = new QWidget(this);
    band->setGeometry(units.rect(0, 40, 255, 64).adjusted(0, 0, 0, grown));
    // The band behind the text takes the base colour of the palette, dark in a dark theme.
    band->setAutoFillBackground(true);
    band->setBackgroundRole(QPalette::Base);
    band->lower();

    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setGeometry(units.rect(0, 0, 255, 43));
    banner->setAlignment(Qt::AlignCenter);
    banner->setPixmap(bannerPicture(banner->size()));

    auto* version = new QLabel(QString::fromLatin1(kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    version->setGeometry(units.rect(189, 25, 56, 10));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette versionColours = version->palette();
    versionColours.setColor(QPalette::WindowText, Qt::white);
    version->setPalette(versionColours);

    auto* separator = new QFrame(this);
    separator->setGeometry(units.rect(0, 103, 262, 1).adjusted(0, grown, 0, grown + 1));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* guide = new QPushButton(QStringLiteral("Quantrel user guide"), this);
    guide->setObjectName(QStringLiteral("userGuideLink"));
    guide->setGeometry(units.rect(6, 108, 150, 14).translated(0, grown));
    guide->setFlat(true);
    guide->setAutoDefault(false);
    guide->setCursor(Qt::PointingHandCursor);
    guide->setFont(interfaceFont(8, QFont::Normal, true));
    guide->setStyleSheet(
        QStringLiteral("QPushButton { text-align: left; border: none; color: %1; }")
            .arg(palette().color(QPalette::Link).name()));
    connect(guide, &QPushButton::clicked, this, &AboutDialog::openUserGuide);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(units.rect(199, 109, 50, 14).translated(0, grown));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    ok->setFocus();
}

QString AboutDialog::noticeText() {
    return QStringLiteral(
        "Quantrel is a calculator for expressions with units of measure. Its units, quantities, "
        "conversion rules and functions are read from the settings files at start-up, so that "
        "it can be extended without changing the program. Copyright \u00a9 2026 the Quantrel "
        "developers. Quantrel is free software: you can redistribute it and/or modify it under "
        "the terms of the GNU General Public License, version 3 or (at your option) any later "
        "version. This program comes with no warranty.\n"
        "\n"
        "The random numbers of rnd come from MT19937, the Mersenne Twister pseudo-random number "
        "generator by Makoto Matsumoto and Takuji Nishimura.");
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();  // the about box closes only through OK and the close box
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutDialog::openUserGuide() {
    if (opener_) {
        opener_();
        return;
    }
    if (userGuide_.empty()) return;
    // A failure to open the guide is not reported; the box stays open either way.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(userGuide_.string())));
}

}  // namespace quantrel::ui
