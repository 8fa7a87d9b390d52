#include "units/unit_registry.h"

#include <ctime>

#include "eval/builtin_functions.h"

namespace quantrel {

UnitRegistry::UnitRegistry() : UnitRegistry(static_cast<std::uint32_t>(std::time(nullptr))) {}

UnitRegistry::UnitRegistry(std::uint32_t seed) {
    random_.seed(seed);
    addBuiltinFunctions(*this);
}

UnitRegistry::~UnitRegistry() = default;

const Unit* UnitRegistry::findUnit(std::string_view symbol) const {
    const auto found = unitIndex_.find(symbol);
    return found != unitIndex_.end() ? found->second : nullptr;
}

const QuantityUnits* UnitRegistry::findQuantity(std::string_view name) const {
    const auto found = quantities_.find(name);
    return found != quantities_.end() ? &found->second : nullptr;
}

const Function* UnitRegistry::findFunction(std::string_view name) const {
    const auto found = functionIndex_.find(name);
    return found != functionIndex_.end() ? found->second : nullptr;
}

const Conversion* UnitRegistry::findConversion(std::string_view left, TokenKind op,
                                               std::string_view right) const {
    for (const Conversion& rule : conversions_) {
        if (rule.op == op && rule.left == left && rule.right == right) return &rule;
    }
    return nullptr;
}

const Unit& UnitRegistry::enterUnit(const std::string& quantity, const std::string& symbol,
                                    long double scale, long double offset) {
    return insertUnit(quantity, symbol, scale, offset);
}

Unit& UnitRegistry::insertUnit(const std::string& quantity, const std::string& symbol,
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

const Function& UnitRegistry::enterFunction(Function function) {
    const std::string name = function.name;
    const auto entry = functions_.insert_or_assign(name, std::move(function)).first;
    functionIndex_[entry->first] = &entry->second;
    return entry->second;
}

}  // namespace quantrel
