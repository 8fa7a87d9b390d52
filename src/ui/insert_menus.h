// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace quantrel::ui {

/// One unit of the Insert ▸ Unit menu.
struct UnitMenuEntry {
    std::string symbol;  ///< what is inserted
    std::string label;   ///< what the menu shows: "km/h — kilometre per hour", or the shown
                         ///< text alone
};

/// The submenu of one quantity.
struct UnitMenuGroup {
    std::string quantity;  ///< the quantity's name, the key
    std::string title;     ///< what the menu shows: the quantity's display name
    std::vector<UnitMenuEntry> units;
};

/// The Insert ▸ Unit menu: one group per quantity in name order, its units in definition order
/// labelled "shown text — name" (the shown text is the symbol unless the unit has one of its
/// own). A unit with the same scale and offset as an earlier unit of its
/// quantity only repeats it under another name and is left out.
std::vector<UnitMenuGroup> unitMenuGroups(const std::vector<QuantityEntry>& quantities);

/// The label of a unit in the menu: "shown text — name", or the shown text when the name adds
/// nothing.
std::string unitMenuLabel(const UnitEntry& unit);

/// The names of the Insert ▸ Function and Insert ▸ Constant menus.
struct FunctionMenus {
    std::vector<std::string> functions;  ///< functions that take arguments, in name order
    std::vector<std::string> constants;  ///< functions without parameters, in name order
};

/// Splits `functions` (in name order) into the two menus, each holding at most `limit` names.
FunctionMenus functionMenus(const std::vector<FunctionEntry>& functions, std::size_t limit);

}  // namespace quantrel::ui
