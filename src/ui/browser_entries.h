// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/calculator.h"

namespace quantrel::ui {

/// One row of the unit browser.
struct BrowserUnit {
    std::string symbol;  ///< what is inserted
    std::string shown;   ///< what results are written with
    std::string name;
    std::string value;  ///< "1 km = 1000 m"; empty for the reference unit
    std::string description;
    std::vector<std::string> aliases;  ///< other symbols of the same unit ("kilometres")
};

/// The units of one quantity.
struct BrowserGroup {
    std::string title;  ///< the quantity's display name
    std::vector<BrowserUnit> units;
};

/// Every quantity in display-name order, its units in definition order (the reference unit
/// first). A unit with the same scale and offset as an earlier one of its quantity is an alias
/// of it, listed with it rather than as a row of its own.
std::vector<BrowserGroup> browserGroups(const Calculator& calculator);

/// One row of the functions' or the constants' list.
struct BrowserFunction {
    std::string name;       ///< what is inserted
    std::string signature;  ///< "hypot x y"; the name alone for a constant
    std::string value;      ///< a constant's value, "299792458 m/s"; empty for functions
    std::string description;
};

/// The functions that take arguments and, apart, the constants (functions without arguments
/// that do not draw random numbers), each in name order.
struct BrowserFunctions {
    std::vector<BrowserFunction> functions;
    std::vector<BrowserFunction> constants;
};
BrowserFunctions browserFunctions(const Calculator& calculator);

/// Whether every word of `query` occurs, ASCII case ignored, in one of `texts`.
bool matchesQuery(std::string_view query, const std::vector<std::string_view>& texts);

/// Whether `unit` of `group` matches `query`: by symbol, shown text, name, alias, quantity or
/// description.
bool matchesQuery(std::string_view query, const BrowserGroup& group, const BrowserUnit& unit);

}  // namespace quantrel::ui
