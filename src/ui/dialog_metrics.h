// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>
#include <QRect>

namespace quantrel::ui {

/// The face of every text in the program: Tahoma when installed, otherwise the system's
/// sans-serif face.
QString interfaceFontFamily();

/// The interface face at `pointSize` points and `weight` (100 … 900, 400 normal).
QFont interfaceFont(int pointSize, int weight, bool underline = false);

/// Converts the dialog units of a window layout into pixels from the metrics of the dialog's
/// font: horizontally a quarter of the font's average character width, vertically an eighth of
/// its height.
class DialogUnits {
public:
    /// Takes the base units from `dialogFont`.
    explicit DialogUnits(const QFont& dialogFont);

    /// A horizontal distance in pixels.
    int x(int units) const;
    /// A vertical distance in pixels.
    int y(int units) const;
    /// A rectangle given in dialog units, in pixels.
    QRect rect(int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

}  // namespace quantrel::ui
