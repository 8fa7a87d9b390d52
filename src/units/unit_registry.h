#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "eval/node.h"
#include "eval/random.h"
#include "syntax/token.h"

namespace quantrel {

/// A unit of measure. Entered once, never moved or removed while its registry lives.
struct Unit {
    std::string symbol;       ///< what the user types; the key of the unit table
    std::string name;         ///< long name; empty when the settings give none
    std::string quantity;     ///< name of the quantity the unit belongs to
    std::string description;  ///< one line for the hint pane
    long double scale = 1;    ///< b = scale * a - offset through the definition's pairs
    long double offset = 0;
    const Unit* referenceUnit = nullptr;  ///< the first unit of the same quantity
};

/// A rule saying which quantity the product or quotient of two quantities is.
struct Conversion {
    std::string left;
    std::string right;
    std::string result;
    TokenKind op = TokenKind::None;         ///< Star or Slash in a useful rule
    const Unit* resultReference = nullptr;  ///< the reference unit of the result quantity
};

/// A callable: built-in or from the settings.
struct Function {
    NodePtr body;
    std::string name;
    int argumentCount = 0;
    std::string parameters;  ///< parameter text shown in hints
    std::string description;
    bool drawsRandom = false;  ///< the body draws random numbers, directly or through calls
    /// Work per evaluation of the body: its own node evaluations, and how often it evaluates
    /// each parameter's argument.
    double baseCost = 1;
    std::vector<double> parameterUses;
};

/// The units of one quantity in definition order; the first is the reference unit.
using QuantityUnits = std::vector<const Unit*>;

/// The calculator's dictionary: functions, units, quantities and conversion rules. Keys compare
/// byte by byte, case-sensitively. Filled at start-up, read-only afterwards.
class UnitRegistry {
public:
    using UnitTable = std::map<std::string, Unit, std::less<>>;
    using QuantityTable = std::map<std::string, QuantityUnits, std::less<>>;
    using FunctionTable = std::map<std::string, Function, std::less<>>;

    /// An empty registry with the built-in functions, its random generator seeded from the clock.
    UnitRegistry();
    /// The same, with the random generator seeded with `seed`.
    explicit UnitRegistry(std::uint32_t seed);
    ~UnitRegistry();
    UnitRegistry(const UnitRegistry&) = delete;
    UnitRegistry& operator=(const UnitRegistry&) = delete;

    /// The unit with exactly this symbol, or nullptr.
    const Unit* findUnit(std::string_view symbol) const;
    /// All units in symbol order.
    const UnitTable& units() const { return units_; }
    /// The units of a quantity, or nullptr when no unit names it.
    const QuantityUnits* findQuantity(std::string_view name) const;
    /// All quantities in name order.
    const QuantityTable& quantities() const { return quantities_; }
    /// The function with exactly this name, or nullptr.
    const Function* findFunction(std::string_view name) const;
    /// All functions in name order.
    const FunctionTable& functions() const { return functions_; }
    /// The conversion rules in definition order.
    const std::vector<Conversion>& conversions() const { return conversions_; }
    /// The first rule for (left op right), or nullptr.
    const Conversion* findConversion(std::string_view left, TokenKind op,
                                     std::string_view right) const;

    /// Enters a unit from its definition text. Throws ConfigError (without file) for a repeated
    /// symbol, a missing definition and a definition that does not parse; tokenizer and math
    /// errors pass unchanged. A failure changes nothing.
    const Unit& defineUnit(const std::string& quantity, const std::string& symbol,
                           const std::optional<std::string>& name, const std::string& description,
                           const std::optional<std::string>& definition);
    /// Enters a unit with a given scale and offset (the last steps of defineUnit).
    const Unit& enterUnit(const std::string& quantity, const std::string& symbol, long double scale,
                          long double offset);
    /// Enters a conversion rule such as "Length * Length" with the result "Area". Throws
    /// ConfigError for an unknown result quantity or a formula that is not three tokens.
    void addConversion(std::string_view formula, const std::string& result);
    /// Enters a user function; the body is parsed and folded now. Throws ConfigError for a
    /// repeated name, a bad parameter list or a body that does not parse; tokenizer errors and
    /// errors raised while folding pass unchanged.
    const Function& defineFunction(const std::string& name, const std::string& description,
                                   const std::string& parameters, const std::string& body);
    /// Enters a function record as it is (the built-ins use this).
    const Function& enterFunction(Function function);

    /// The generator that rnd draws from.
    RandomGenerator& random() { return random_; }

private:
    Unit& insertUnit(const std::string& quantity, const std::string& symbol, long double scale,
                     long double offset);

    // The generator comes first: the built-in rnd refers to it.
    RandomGenerator random_;
    FunctionTable functions_;
    UnitTable units_;
    QuantityTable quantities_;
    std::vector<Conversion> conversions_;
    // Hash indexes over the tables' keys for the lookups every input word makes.
    std::unordered_map<std::string_view, const Unit*> unitIndex_;
    std::unordered_map<std::string_view, const Function*> functionIndex_;
};

}  // namespace quantrel
