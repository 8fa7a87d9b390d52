// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/insert_menus.h"

#include <algorithm>

namespace quantrel::ui {

std::string unitMenuLabel(const UnitEntry& unit) {
    // The text results are written with; the symbol is what the entry inserts.
    const std::string& shown = unit.shown.empty() ? unit.symbol : unit.shown;
    if (unit.name.empty() || unit.name == unit.symbol || unit.name == shown) return shown;
    return shown + " \u2014 " + unit.name;
}

std::vector<UnitMenuGroup> unitMenuGroups(const std::vector<QuantityEntry>& quantities) {
    std::vector<UnitMenuGroup> groups;
    groups.reserve(quantities.size());
    for (const QuantityEntry& quantity : quantities) {
        UnitMenuGroup group{quantity.name, quantity.displayName, {}};
        std::vector<const UnitEntry*> kept;
        for (const UnitEntry& unit : quantity.units) {
            const bool repeats =
                std::any_of(kept.begin(), kept.end(), [&](const UnitEntry* earlier) {
                    return earlier->scale == unit.scale && earlier->offset == unit.offset;
                });
            if (repeats) continue;
            kept.push_back(&unit);
            group.units.push_back({unit.symbol, unitMenuLabel(unit)});
        }
        if (!group.units.empty()) groups.push_back(std::move(group));
    }
    return groups;
}

FunctionMenus functionMenus(const std::vector<FunctionEntry>& functions, std::size_t limit) {
    FunctionMenus menus;
    for (const FunctionEntry& function : functions) {
        std::vector<std::string>& list =
            function.argumentCount == 0 ? menus.constants : menus.functions;
        if (list.size() < limit) list.push_back(function.name);
    }
    return menus;
}

}  // namespace quantrel::ui
