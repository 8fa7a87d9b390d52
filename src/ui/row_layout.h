// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

namespace quantrel::ui {

/// A width and height in pixels.
struct Size {
    int width = 0;
    int height = 0;
};

/// A position in pixels, in the window's client coordinates.
struct Point {
    int x = 0;
    int y = 0;
};

/// One row of the window as the layout sees it: a control and an optional icon beside it.
struct RowSizes {
    bool visible = false;
    Size control;  ///< outer size of the control, borders included
    bool hasIcon = false;
    Size icon;  ///< outer size of the icon
};

/// Where one row goes.
struct RowPlacement {
    bool visible = false;
    Point control;
    Point icon;  ///< meaningful only for a visible row with an icon
};

/// The rows of the main window stacked from top to bottom: the input row, then the hint lines
/// with their icons indented by the spacing. Rows keep their sizes; only positions are computed.
class RowLayout {
public:
    /// Rows start at `origin` (the input line's top left corner) with `spacing` pixels between.
    RowLayout(Point origin, int spacing) : origin_(origin), spacing_(spacing) {}

    /// Places the rows, given in top-to-bottom order.
    std::vector<RowPlacement> arrange(const std::vector<RowSizes>& rows) const;
    /// Height of the visible rows from `first` on, with the spacing between consecutive ones.
    int stackHeight(const std::vector<RowSizes>& rows, std::size_t first = 0) const;
    /// The client height that shows exactly the visible rows.
    int clientHeight(const std::vector<RowSizes>& rows) const;
    /// Whether any row after the input row is visible (the white panel is shown then).
    static bool showsPanel(const std::vector<RowSizes>& rows);
    /// Height of the white panel behind the visible rows after the input row.
    int panelHeight(const std::vector<RowSizes>& rows) const;

private:
    Point origin_;
    int spacing_;
};

/// Converts dialog units to pixels the way dialog templates are scaled: `units` × `base` / 4
/// horizontally (base = average character width of the dialog font) and `units` × `base` / 8
/// vertically (base = font height), rounded to the nearest pixel.
int dialogUnitsToPixels(int units, int base, int divisor);

}  // namespace quantrel::ui
