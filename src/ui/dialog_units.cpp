// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialog_units.h"

namespace quantrel::ui {

int dialogUnitsToPixels(int units, int base, int divisor) {
    // Round half away from zero, as the platform's multiply-divide does.
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace quantrel::ui
