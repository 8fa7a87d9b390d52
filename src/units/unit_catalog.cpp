// SPDX-License-Identifier: GPL-3.0-or-later

#include "units/unit_catalog.h"

namespace quantrel {

const Unit* UnitCatalog::findUnit(std::string_view symbol) const {
    const auto found = unitIndex_.find(symbol);
    return found != unitIndex_.end() ? found->second : nullptr;
}

const QuantityUnits* UnitCatalog::findQuantity(std::string_view name) const {
    const auto found = quantities_.find(name);
    return found != quantities_.end() ? &found->second : nullptr;
}

const Conversion* UnitCatalog::findConversion(std::string_view left, TokenKind op,
                                              std::string_view right) const {
    for (const Conversion& rule : conversions_) {
        if (rule.op == op && rule.left == left && rule.right == right) return &rule;
    }
    return nullptr;
}

Unit& UnitCatalog::enterUnit(const std::string& quantity, const std::string& symbol,
                             long double scale, long double offset) {
    QuantityUnits& members = quantities_[quantity];
    // Make room first: nothing below may fail once the unit is entered.
    if (members.size() == members.capacity()) members.reserve(2 * members.size() + 1);
    const auto [entry, inserted] = units_.try_emplace(symbol);
    Unit& unit = entry->second;
    if (inserted) unitIndex_.emplace(entry->first, &unit);
    unit.symbol = symbol;
    unit.quantity = quantity;
    unit.scale = scale;
    unit.offset = offset;
    members.push_back(&unit);
    unit.referenceUnit = members.front();
    return unit;
}

void UnitCatalog::enterConversion(Conversion rule) {
    conversions_.push_back(std::move(rule));
}

}  // namespace quantrel
