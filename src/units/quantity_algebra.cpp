// SPDX-License-Identifier: GPL-3.0-or-later

#include "units/quantity_algebra.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "units/unit_catalog.h"

namespace quantrel {
namespace {

QuantityAnswer refused(std::string text) {
    return QuantityAnswer{nullptr, std::move(text)};
}

QuantityAnswer noConversion(std::string_view left, std::string_view right) {
    std::string text = "No conversion found for ";
    text += left;
    text += " and ";
    text += right;
    return refused(std::move(text));
}

/// The unit of a result of `dimension` (none for a plain number).
QuantityAnswer ofDimension(const UnitCatalog& units, const std::optional<Dimension>& dimension) {
    if (!dimension) return refused("Dimension too large");
    if (dimension->isEmpty()) return {};
    const Unit* unit = units.unitOfDimension(*dimension);
    if (unit == nullptr) return refused("Too many derived units");
    return QuantityAnswer{unit, {}};
}

/// The rule for (left op right); a "*" rule also serves the other order.
const Conversion* findRule(const UnitCatalog& units, std::string_view left, TokenKind op,
                           std::string_view right) {
    const Conversion* rule = units.findConversion(left, op, right);
    if (rule == nullptr && op == TokenKind::Star) rule = units.findConversion(right, op, left);
    return rule;
}

QuantityAnswer reciprocal(const UnitCatalog& units, const Unit* quantity) {
    if (quantity == nullptr) return {};
    if (const Conversion* rule = units.findConversion("1", TokenKind::Slash, quantity->quantity)) {
        return QuantityAnswer{rule->resultReference, {}};
    }
    if (const Dimension* dimension = quantity->dimension) {
        return ofDimension(units, Dimension().over(*dimension));
    }
    return noConversion("1", quantity->quantity);
}

QuantityAnswer combined(const UnitCatalog& units, const Unit* left, TokenKind op,
                        const Unit* right) {
    left = unlessRatio(left);
    right = unlessRatio(right);
    if (left != nullptr && right != nullptr) {
        if (const Conversion* rule = findRule(units, left->quantity, op, right->quantity)) {
            return QuantityAnswer{rule->resultReference, {}};
        }
        if (op == TokenKind::Slash && left == right) return {};
        // Without a rule, the dimensions decide when both quantities declare one.
        if (left->dimension != nullptr && right->dimension != nullptr) {
            return ofDimension(units, op == TokenKind::Star
                                          ? left->dimension->times(*right->dimension)
                                          : left->dimension->over(*right->dimension));
        }
        return noConversion(left->quantity, right->quantity);
    }
    if (op == TokenKind::Slash && left == nullptr && right != nullptr) {
        return reciprocal(units, right);
    }
    return QuantityAnswer{left != nullptr ? left : right, {}};
}

bool isWhole(long double x) {
    return std::isfinite(x) && x == std::trunc(x);
}

/// base ^ n for a whole n > 0 and a base with a unit.
QuantityAnswer positivePower(const UnitCatalog& units, const Unit* base, long double n) {
    // powers[k] is the quantity of base^(k+1). Each step multiplies by the base quantity; once
    // a quantity repeats, the sequence is periodic and the rest follows without lookups.
    const Unit* quantity = base->referenceUnit;
    std::vector<const Unit*> powers{quantity};
    for (long double k = 1; k < n; ++k) {
        const Unit* current = powers.back();
        const Conversion* rule =
            findRule(units, current->quantity, TokenKind::Star, quantity->quantity);
        if (rule == nullptr) {
            // No rule for the next step: with a dimension, base^n is n times its dimension.
            if (const Dimension* dimension = quantity->dimension) {
                return ofDimension(units, dimension->power(n));
            }
            return noConversion(current->quantity, quantity->quantity);
        }
        const Unit* next = rule->resultReference;
        // A rule whose result is a plain number: base^(k+1) has no unit and base^(k+2) is the
        // base again, so the sequence repeats with period k + 1.
        if (next == nullptr) {
            const long double offset = std::fmod(n - 1, k + 1);
            return QuantityAnswer{offset == k ? nullptr : powers[static_cast<std::size_t>(offset)],
                                  {}};
        }
        for (std::size_t j = 0; j < powers.size(); ++j) {
            if (powers[j] == next) {
                // base^(k+1) is base^(j+1): the period is k - j.
                // n may be far beyond the precision of n - 1 - j: reduce n first.
                const long double period = k - static_cast<long double>(j);
                long double offset =
                    std::fmod(std::fmod(n, period) - 1 - static_cast<long double>(j), period);
                if (offset < 0) offset += period;
                return QuantityAnswer{powers[j + static_cast<std::size_t>(offset)], {}};
            }
        }
        powers.push_back(next);
    }
    return QuantityAnswer{powers.back(), {}};
}

}  // namespace

QuantityAnswer productQuantity(const UnitCatalog& units, const Unit* left, const Unit* right) {
    return combined(units, left, TokenKind::Star, right);
}

QuantityAnswer quotientQuantity(const UnitCatalog& units, const Unit* left, const Unit* right) {
    return combined(units, left, TokenKind::Slash, right);
}

QuantityAnswer powerQuantity(const UnitCatalog& units, const Unit* base, long double n) {
    base = unlessRatio(base);
    if (base == nullptr) return {};
    if (!isWhole(n))
        return refused("Can't raise " + std::string(base->quantity) + " to this power");
    if (n == 0) return {};
    if (n > 0) return positivePower(units, base, n);
    const QuantityAnswer positive = positivePower(units, base, -n);
    if (!positive.ok()) return positive;
    return reciprocal(units, positive.unit);
}

QuantityAnswer rootQuantity(const UnitCatalog& units, const Unit* base, long double degree) {
    base = unlessRatio(base);
    if (base == nullptr) return {};
    const std::string cannot = "Can't take this root of " + std::string(base->quantity);
    if (base->dimension == nullptr) return refused(cannot);
    const std::optional<Dimension> root = base->dimension->root(degree);
    if (!root) return refused(cannot);
    return ofDimension(units, root);
}

QuantityAnswer compoundQuantity(const UnitCatalog& units, std::span<const UnitPower> factors) {
    // One unit at a time, as the product or quotient written out would be: "m/s^2" is
    // m / s / s, so a rule for each step serves as it would in an expression.
    const Unit* current = nullptr;
    for (const UnitPower& factor : factors) {
        const Unit* unit = factor.unit->referenceUnit;
        for (int i = 0; i < std::abs(factor.exponent); ++i) {
            const QuantityAnswer step = factor.exponent < 0 ? quotientQuantity(units, current, unit)
                                                            : productQuantity(units, current, unit);
            if (!step.ok()) return step;
            current = step.unit;
        }
    }
    return QuantityAnswer{current, {}};
}

bool convertible(const Unit* value, const Unit* target) {
    value = unlessRatio(value);
    target = unlessRatio(target);
    if (value == nullptr || target == nullptr) return value == target;
    if (value->referenceUnit == target->referenceUnit) return true;
    return value->dimension != nullptr && target->dimension != nullptr &&
           *value->dimension == *target->dimension;
}

bool convertibleByReciprocal(const Unit* value, const Unit* target) {
    value = unlessRatio(value);
    target = unlessRatio(target);
    if (value == nullptr || target == nullptr || target->offset != 0) return false;
    if (value->dimension == nullptr || target->dimension == nullptr) return false;
    const std::optional<Dimension> product = value->dimension->times(*target->dimension);
    return product && product->isEmpty();
}

}  // namespace quantrel
