// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/token.h"

namespace quantrel {

/// A unit of measure. Entered once, never moved or removed while its catalogue lives.
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

/// The units of one quantity in definition order; the first is the reference unit.
using QuantityUnits = std::vector<const Unit*>;

/// Units, quantities and the rules between quantities, as plain data. Keys compare byte by
/// byte, case-sensitively. Filled at start-up, read-only afterwards.
class UnitCatalog {
public:
    using UnitTable = std::map<std::string, Unit, std::less<>>;
    using QuantityTable = std::map<std::string, QuantityUnits, std::less<>>;

    UnitCatalog() = default;
    UnitCatalog(const UnitCatalog&) = delete;
    UnitCatalog& operator=(const UnitCatalog&) = delete;

    /// The unit with exactly this symbol, or nullptr.
    const Unit* findUnit(std::string_view symbol) const;
    /// All units in symbol order.
    const UnitTable& units() const { return units_; }
    /// The units of a quantity, or nullptr when no unit names it.
    const QuantityUnits* findQuantity(std::string_view name) const;
    /// All quantities in name order.
    const QuantityTable& quantities() const { return quantities_; }
    /// The conversion rules in definition order.
    const std::vector<Conversion>& conversions() const { return conversions_; }
    /// The first rule for (left op right), or nullptr.
    const Conversion* findConversion(std::string_view left, TokenKind op,
                                     std::string_view right) const;

    /// Enters a unit with a given scale and offset as the last unit of `quantity`; the first
    /// unit of a quantity is its reference unit. The symbol must be new.
    Unit& enterUnit(const std::string& quantity, const std::string& symbol, long double scale,
                    long double offset);
    /// Appends a rule; `rule.resultReference` must be set.
    void enterConversion(Conversion rule);

private:
    UnitTable units_;
    QuantityTable quantities_;
    std::vector<Conversion> conversions_;
    // A hash index over the unit table's keys for the lookup every input word makes.
    std::unordered_map<std::string_view, const Unit*> unitIndex_;
};

}  // namespace quantrel
