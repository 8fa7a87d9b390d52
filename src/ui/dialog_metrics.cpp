// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialog_metrics.h"

#include "ui/dialog_units.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace quantrel::ui {

QString interfaceFontFamily() {
    const QString preferred = QStringLiteral("Tahoma");
    if (QFontDatabase::hasFamily(preferred)) return preferred;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont interfaceFont(int pointSize, int weight, bool underline) {
    QFont font(interfaceFontFamily(), pointSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setUnderline(underline);
    font.setStyleStrategy(QFont::PreferAntialias);
    // A face without the requested weight may offer only a thinner one (an extra-light face
    // for a light request); text is never drawn thinner than asked, so take the regular face.
    if (weight < QFont::Normal) {
        const QFontInfo matched(font);
        const QString style = matched.styleName().remove(QLatin1Char(' ')).toLower();
        const bool thinner =
            matched.weight() < weight || style.contains(QStringLiteral("extralight")) ||
            style.contains(QStringLiteral("ultralight")) || style.contains(QStringLiteral("thin"));
        if (thinner) font.setWeight(QFont::Normal);
    }
    return font;
}

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    // The average width of the Latin letters, rounded, as dialog templates measure it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

int DialogUnits::x(int units) const {
    return dialogUnitsToPixels(units, baseX_, 4);
}

int DialogUnits::y(int units) const {
    return dialogUnitsToPixels(units, baseY_, 8);
}

QRect DialogUnits::rect(int x, int y, int width, int height) const {
    return QRect(this->x(x), this->y(y), this->x(width), this->y(height));
}

}  // namespace quantrel::ui
