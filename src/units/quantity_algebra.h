// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The one place that answers which quantity a product, a quotient, a power or a root of
// quantities is. The conversion rules decide first (a "*" rule in either order), then the
// dimensions when both sides declare one. Quantities are given by their units (any unit of
// the quantity; none for a plain number) and answered by the reference unit of the result's
// quantity (none for a plain number).

#include <span>
#include <string>

namespace quantrel {

class UnitCatalog;
struct Unit;

/// A quantity worked out, or why there is none.
struct QuantityAnswer {
    const Unit* unit = nullptr;  ///< the result's unit; none for a plain number
    std::string error;           ///< the reason for refusing; empty on success

    bool ok() const { return error.empty(); }
};

/// The quantity of left * right (either may be a plain number).
QuantityAnswer productQuantity(const UnitCatalog& units, const Unit* left, const Unit* right);
/// The quantity of left / right: a plain number over a quantity asks for a "1 / Q" rule.
QuantityAnswer quotientQuantity(const UnitCatalog& units, const Unit* left, const Unit* right);
/// The quantity of base ^ n for a whole n: 0 gives a plain number, n > 0 the "*" rules n - 1
/// times (then the dimension), n < 0 the reciprocal of base ^ -n. A base that is a plain number
/// stays one. Refuses exponents that are not whole.
QuantityAnswer powerQuantity(const UnitCatalog& units, const Unit* base, long double n);
/// The quantity of the degree-th root of base, from its dimension: every exponent must divide
/// by the degree. A plain number stays one; a base without dimension is refused (the caller
/// decides what such a root means).
QuantityAnswer rootQuantity(const UnitCatalog& units, const Unit* base, long double degree);

/// A unit raised to a whole power, as one factor of a compound unit ("s^-2" in "m/s^2").
struct UnitPower {
    const Unit* unit = nullptr;
    int exponent = 1;
};

/// The quantity of a compound unit, its factors multiplied and divided from left to right one
/// unit at a time: "kg*m^2/s^2" is kg * m * m / s / s, each step a product or a quotient.
QuantityAnswer compoundQuantity(const UnitCatalog& units, std::span<const UnitPower> factors);

/// Whether a value of `value`'s quantity converts into `target`: the same quantity or the same
/// dimension. A ratio counts as a plain number, and a plain number only fits a plain number.
bool convertible(const Unit* value, const Unit* target);
/// Whether a value converts into `target` by its reciprocal: the two dimensions multiply to a
/// plain number, and the target has no offset.
bool convertibleByReciprocal(const Unit* value, const Unit* target);

}  // namespace quantrel
