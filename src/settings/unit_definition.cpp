// SPDX-License-Identifier: GPL-3.0-or-later
// Entering a unit from its definition text.

#include "base/error.h"
#include "settings/unit_registry.h"
#include "syntax/tokenizer.h"
#include "syntax/unit_definition.h"

namespace quantrel {

const Unit& UnitRegistry::defineUnit(std::string_view quantity, std::string_view symbol,
                                     std::optional<std::string_view> name,
                                     std::string_view description,
                                     std::optional<std::string_view> definition, bool displayed,
                                     std::string_view shown) {
    if (findUnit(symbol) != nullptr) {
        throw ConfigError("Unit '" + std::string(symbol) + "' already defined");
    }
    if (!definition) throw ConfigError("Missing unit definition");
    if (!displayed) {
        const QuantityUnits* units = findQuantity(quantity);
        if (units == nullptr || units->empty()) {
            throw ConfigError("Unit '" + std::string(symbol) +
                              "' is the reference unit of its quantity and is always shown");
        }
    }

    // The unit is not entered yet: its own symbol in the text is an unknown name.
    UnitScale scale;
    if (const std::optional<long double> plain = readPlainDefinition(*this, *definition)) {
        scale.scale = *plain;
    } else {
        const std::vector<Token> tokens = tokenize(*this, *definition);
        try {
            scale = readUnitDefinition(tokens);
        } catch (const ParseError& error) {
            throw ConfigError("Error while parsing unit '" + std::string(symbol) +
                              "': " + error.message(*definition));
        }
    }

    Unit& unit = enterUnit(quantity, symbol, scale.scale, scale.offset);
    unit.description = keep(description);
    unit.displayed = displayed;
    unit.shown = keep(shown);
    if (name) unit.name = keep(*name);
    return unit;
}

}  // namespace quantrel
