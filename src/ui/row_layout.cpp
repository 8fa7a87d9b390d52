// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/row_layout.h"

#include <algorithm>

namespace quantrel::ui {
namespace {

// Extra client height below the rows, and extra panel height around the hint rows.
constexpr int kClientMargin = 28;
constexpr int kPanelMargin = 14;

int rowHeight(const RowSizes& row) {
    return std::max(row.control.height, row.hasIcon ? row.icon.height : 0);
}

}  // namespace

std::vector<RowPlacement> RowLayout::arrange(const std::vector<RowSizes>& rows) const {
    std::vector<RowPlacement> placements(rows.size());
    int y = origin_.y;
    int shown = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowSizes& row = rows[i];
        if (!row.visible) continue;
        if (shown > 0) y += spacing_;
        const int dx = i == 0 ? 0 : spacing_;
        const int dy = i == 0 ? 0 : spacing_ / 2;
        int shift = 0;
        RowPlacement& placement = placements[i];
        placement.visible = true;
        if (row.hasIcon) {
            placement.icon = {origin_.x + dx, y + dy};
            shift = spacing_ + row.icon.width;
        }
        placement.control = {origin_.x + dx + shift, y + dy};
        y += rowHeight(row);
        ++shown;
    }
    return placements;
}

int RowLayout::stackHeight(const std::vector<RowSizes>& rows, std::size_t first) const {
    int total = 0;
    int shown = 0;
    for (std::size_t i = first; i < rows.size(); ++i) {
        if (!rows[i].visible) continue;
        if (shown > 0) total += spacing_;
        total += rowHeight(rows[i]);
        ++shown;
    }
    return total;
}

int RowLayout::clientHeight(const std::vector<RowSizes>& rows) const {
    return stackHeight(rows) + kClientMargin;
}

bool RowLayout::showsPanel(const std::vector<RowSizes>& rows) {
    return std::any_of(rows.begin() + std::min<std::size_t>(1, rows.size()), rows.end(),
                       [](const RowSizes& row) { return row.visible; });
}

int RowLayout::panelHeight(const std::vector<RowSizes>& rows) const {
    return stackHeight(rows, 1) + kPanelMargin;
}

int dialogUnitsToPixels(int units, int base, int divisor) {
    // Round half away from zero, as the platform's multiply-divide does.
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace quantrel::ui
