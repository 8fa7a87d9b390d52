// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/unit_registry.h"

#include <ctime>

#include "eval/builtin_functions.h"

namespace quantrel {

UnitRegistry::UnitRegistry() : UnitRegistry(static_cast<std::uint32_t>(std::time(nullptr))) {}

UnitRegistry::UnitRegistry(std::uint32_t seed) {
    random_.seed(seed);
    for (Function& function : builtinFunctions(random_))
        enterFunction(std::move(function));
}

UnitRegistry::~UnitRegistry() = default;

const Unit* UnitRegistry::findUnit(std::string_view symbol) const {
    return UnitCatalog::findUnit(symbol);
}

const Function* UnitRegistry::findFunction(std::string_view name) const {
    const auto found = functionIndex_.find(name);
    return found != functionIndex_.end() ? found->second : nullptr;
}

const Function& UnitRegistry::enterFunction(Function function) {
    const std::string name = function.name;
    const auto entry = functions_.insert_or_assign(name, std::move(function)).first;
    functionIndex_[entry->first] = &entry->second;
    return entry->second;
}

bool UnitRegistry::setPowersBindToUnits(bool bind) {
    if (powersBindToUnits_ && *powersBindToUnits_ != bind) return false;
    powersBindToUnits_ = bind;
    return true;
}

}  // namespace quantrel
