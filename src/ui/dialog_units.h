// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace quantrel::ui {

/// Converts dialog units to pixels the way dialog templates are scaled: `units` × `base` / 4
/// horizontally (base = average character width of the dialog font) and `units` × `base` / 8
/// vertically (base = font height), rounded to the nearest pixel.
int dialogUnitsToPixels(int units, int base, int divisor);

}  // namespace quantrel::ui
