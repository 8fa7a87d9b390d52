// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "eval/function.h"
#include "eval/random.h"
#include "syntax/name_lookup.h"
#include "units/unit_catalog.h"

namespace quantrel {

/// The calculator's dictionary: the unit catalogue (units, quantities, conversion rules), the
/// functions and the random generator that rnd draws from. Enters definitions written in the
/// settings' expression language. Filled at start-up, read-only afterwards.
class UnitRegistry final : public UnitCatalog, public NameLookup {
public:
    using FunctionTable = std::map<std::string, Function, std::less<>>;

    /// An empty registry with the built-in functions, its random generator seeded from the clock.
    UnitRegistry();
    /// The same, with the random generator seeded with `seed`.
    explicit UnitRegistry(std::uint32_t seed);
    ~UnitRegistry();
    UnitRegistry(const UnitRegistry&) = delete;
    UnitRegistry& operator=(const UnitRegistry&) = delete;

    /// The unit with exactly this symbol, or nullptr.
    const Unit* findUnit(std::string_view symbol) const override;
    /// The function with exactly this name, or nullptr.
    const Function* findFunction(std::string_view name) const override;
    /// All functions in name order.
    const FunctionTable& functions() const { return functions_; }

    /// Enters a unit from its definition text. Throws ConfigError (without file) for a repeated
    /// symbol, a missing definition, a definition that does not parse and a first unit of its
    /// quantity that is not `displayed`; tokenizer and math errors pass unchanged. A failure
    /// changes nothing. `shown` is the text results are written with (empty: the symbol).
    const Unit& defineUnit(std::string_view quantity, std::string_view symbol,
                           std::optional<std::string_view> name, std::string_view description,
                           std::optional<std::string_view> definition, bool displayed = true,
                           std::string_view shown = {});
    /// Enters a conversion rule such as "Length * Length" with the result "Area". Throws
    /// ConfigError for an unknown result quantity or a formula that is not three tokens.
    void addConversion(std::string_view formula, const std::string& result);
    /// Enters a user function; the body is parsed and folded now. Throws ConfigError for a
    /// repeated name, a bad parameter list or a body that does not parse; tokenizer errors and
    /// errors raised while folding pass unchanged.
    const Function& defineFunction(const std::string& name, const std::string& description,
                                   const std::string& parameters, const std::string& body);
    /// Declares the dimension of `quantity` from its Dimension attribute: its own name makes it a
    /// base quantity, anything else is an expression over other quantities' names (see
    /// readDimension). It is resolved now, or, when it names a quantity whose dimension is not
    /// declared yet, once that one is. Throws ConfigError for a malformed expression, a
    /// dimension out of range, too many base quantities and a second, different dimension.
    void declareDimension(const std::string& quantity, const std::string& expression,
                          const SettingsLocation& where);
    /// Resolves what still waits; throws ConfigError (located where the quantity was declared)
    /// for a name that no quantity declares a dimension for, and for a dimension that depends
    /// on itself.
    void finishDimensions();

    /// Whether "^" right after a unit raises that unit alone in input lines ("9.81 m/s^2"), as
    /// the settings' switch says; off unless a file turns it on. Settings texts never use it.
    bool powersBindToUnits() const { return powersBindToUnits_.value_or(false); }
    /// Sets that switch; false (and nothing changed) when a different value was set before.
    bool setPowersBindToUnits(bool bind);

    /// Enters a function record as it is (the built-ins use this).
    const Function& enterFunction(Function function);

    /// The generator that rnd draws from.
    RandomGenerator& random() { return random_; }

private:
    struct PendingDimension {
        std::string quantity;
        std::string expression;
        SettingsLocation where;
    };
    /// Resolves one declaration; false when it must wait for a name.
    bool resolveDimension(const std::string& quantity, const std::string& expression,
                          const SettingsLocation& where, std::string* unknownName);
    void resolvePending();

    std::vector<PendingDimension> pendingDimensions_;
    std::optional<bool> powersBindToUnits_;
    std::size_t dimensionDeclarations_ = 0;

    // The generator comes first: the built-in rnd refers to it.
    RandomGenerator random_;
    FunctionTable functions_;
    // A hash index over the function table's keys for the lookup every input word makes.
    std::unordered_map<std::string_view, const Function*> functionIndex_;
};

}  // namespace quantrel
