// SPDX-License-Identifier: GPL-3.0-or-later
// Entering a unit from its definition text.

#include "base/error.h"
#include "settings/unit_registry.h"
#include "syntax/tokenizer.h"
#include "syntax/unit_definition.h"

namespace quantrel {

const Unit& UnitRegistry::defineUnit(const std::string& quantity, const std::string& symbol,
                                     const std::optional<std::string>& name,
                                     const std::string& description,
                                     const std::optional<std::string>& definition, bool displayed,
                                     const std::string& shown) {
    if (findUnit(symbol) != nullptr) throw ConfigError("Unit '" + symbol + "' already defined");
    if (!definition) throw ConfigError("Missing unit definition");
    if (!displayed) {
        const QuantityUnits* units = findQuantity(quantity);
        if (units == nullptr || units->empty()) {
            throw ConfigError("Unit '" + symbol +
                              "' is the reference unit of its quantity and is always shown");
        }
    }

    // The unit is not entered yet: its own symbol in the text is an unknown name.
    const std::vector<Token> tokens = tokenize(*this, *definition);
    UnitScale scale;
    try {
        scale = readUnitDefinition(tokens);
    } catch (const ParseError& error) {
        throw ConfigError("Error while parsing unit '" + symbol +
                          "': " + error.message(*definition));
    }

    Unit& unit = enterUnit(quantity, symbol, scale.scale, scale.offset);
    unit.description = description;
    unit.displayed = displayed;
    unit.shown = shown;
    if (name) unit.name = *name;
    return unit;
}

}  // namespace quantrel
