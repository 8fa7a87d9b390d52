// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation and unit rules of the nodes with two operands.

#include <cmath>
#include <vector>

#include "base/error.h"
#include "eval/node.h"
#include "units/unit_catalog.h"

namespace quantrel {
namespace {

bool isWhole(long double x) {
    return std::isfinite(x) && x == std::trunc(x);
}

bool isOddWhole(long double x) {
    return isWhole(x) && std::fmod(x, 2.0L) != 0;
}

}  // namespace

// --- Evaluation ---------------------------------------------------------------------------------
// Operands are evaluated in a fixed order: rnd makes the order observable.

long double AddNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left + right;
}

long double SubtractNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left - right;
}

long double MultiplyNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left * right;
}

long double DivideNode::evaluate(const Scope& scope) const {
    // The divisor is tested, then evaluated again for the quotient.
    if (right_->evaluate(scope) == 0) fail("Division by zero");
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left / right;
}

long double ModuloNode::evaluate(const Scope& scope) const {
    if (right_->evaluate(scope) == 0) fail("Division by zero");
    const long double right = right_->evaluate(scope);
    const long double left = left_->evaluate(scope);
    return std::fmod(left, right);
}

long double PowerNode::evaluate(const Scope& scope) const {
    const long double exponent = right_->evaluate(scope);
    const long double base = left_->evaluate(scope);
    return std::pow(base, exponent);
}

long double LessNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left < right ? 1 : 0;
}

long double GreaterNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left > right ? 1 : 0;
}

long double LessEqualNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left <= right ? 1 : 0;
}

long double GreaterEqualNode::evaluate(const Scope& scope) const {
    const long double left = left_->evaluate(scope);
    const long double right = right_->evaluate(scope);
    return left >= right ? 1 : 0;
}

long double RootNode::evaluate(const Scope& scope) const {
    const long double degree = left_->evaluate(scope);
    if (degree == 0) throw MathError("Zeroth root is not defined", left_->token(), token());
    const long double radicand = right_->evaluate(scope);
    if (radicand < 0 && isOddWhole(degree)) return -std::pow(-radicand, 1.0L / degree);
    return std::pow(radicand, 1.0L / degree);
}

// --- Unit inference -----------------------------------------------------------------------------

void BinaryNode::failNoConversion(const std::string& left, const std::string& right) const {
    fail("No conversion found for " + left + " and " + right);
}

const Unit* BinaryNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    if (unit() == nullptr) return operandUnit(units, scope);
    if (!hasTargetUnit()) return unit();
    const Unit* value = left_->resultUnit(units, scope);
    if (value == nullptr || value->referenceUnit != unit()->referenceUnit) {
        std::string text = "Can't convert";
        if (value != nullptr) text += " from " + value->quantity;
        fail(text + " to " + unit()->quantity);
    }
    return unit();
}

const Unit* BinaryNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    const TokenKind op = token().kind;
    if (op == TokenKind::Star || op == TokenKind::Slash) {
        // Right operand's unit first: when both sides fail, the right side's error is reported.
        const Unit* right = right_->resultUnit(units, scope);
        const Unit* left = left_->resultUnit(units, scope);
        if (left != nullptr && right != nullptr) {
            const Conversion* rule = units.findConversion(left->quantity, op, right->quantity);
            if (rule == nullptr && op == TokenKind::Star) {
                rule = units.findConversion(right->quantity, op, left->quantity);
            }
            if (rule != nullptr) return rule->resultReference;
            if (op == TokenKind::Slash && left == right) return nullptr;
            // Without a rule, the dimensions decide when both quantities declare one.
            const Dimension* leftDimension = units.dimensionOf(left->quantity);
            const Dimension* rightDimension = units.dimensionOf(right->quantity);
            if (leftDimension != nullptr && rightDimension != nullptr) {
                return unitOfDimension(units, op == TokenKind::Star
                                                  ? leftDimension->times(*rightDimension)
                                                  : leftDimension->over(*rightDimension));
            }
            failNoConversion(left->quantity, right->quantity);
        }
        if (op == TokenKind::Slash && left == nullptr && right != nullptr) {
            // A plain number divided by a quantity: a reciprocal rule such as "1 / Time".
            if (const Conversion* rule = units.findConversion("1", op, right->quantity)) {
                return rule->resultReference;
            }
            if (const Dimension* dimension = units.dimensionOf(right->quantity)) {
                return unitOfDimension(units, Dimension().over(*dimension));
            }
            failNoConversion("1", right->quantity);
        }
        return left != nullptr ? left : right;
    }
    const Unit* left = left_->resultUnit(units, scope);
    const Unit* right = right_->resultUnit(units, scope);
    if (left != nullptr && right != nullptr && left->referenceUnit != right->referenceUnit &&
        op != TokenKind::Caret) {
        failNoConversion(left->quantity, right->quantity);
    }
    return left != nullptr ? left : right;
}

const Unit* ComparisonNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    BinaryNode::operandUnit(units, scope);  // refuses two different quantities
    return nullptr;
}

const Unit* PowerNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    const Unit* base = left_->resultUnit(units, scope);
    if (const Unit* exponentUnit = right_->resultUnit(units, scope)) {
        fail("Can't use " + exponentUnit->quantity + " as an exponent");
    }
    if (base == nullptr) return nullptr;
    const long double n = right_->evaluate(scope);
    if (!isWhole(n) || n < 0) fail("Can't raise " + base->quantity + " to this power");
    if (n == 0) return nullptr;

    // powers[k] is the quantity of base^(k+1). Each step multiplies by the base quantity; once
    // a quantity repeats, the sequence is periodic and the rest follows without lookups.
    const Unit* quantity = base->referenceUnit;
    std::vector<const Unit*> powers{quantity};
    for (long double k = 1; k < n; ++k) {
        const Unit* current = powers.back();
        const Conversion* rule =
            units.findConversion(current->quantity, TokenKind::Star, quantity->quantity);
        if (rule == nullptr) {
            rule = units.findConversion(quantity->quantity, TokenKind::Star, current->quantity);
        }
        if (rule == nullptr) {
            // No rule for the next step: with a dimension, base^n is n times its dimension.
            if (const Dimension* dimension = units.dimensionOf(quantity->quantity)) {
                return unitOfDimension(units, dimension->power(n));
            }
            failNoConversion(current->quantity, quantity->quantity);
        }
        const Unit* next = rule->resultReference;
        // A rule whose result is a plain number: base^(k+1) has no unit and base^(k+2) is the
        // base again, so the sequence repeats with period k + 1.
        if (next == nullptr) {
            const long double offset = std::fmod(n - 1, k + 1);
            return offset == k ? nullptr : powers[static_cast<std::size_t>(offset)];
        }
        for (std::size_t j = 0; j < powers.size(); ++j) {
            if (powers[j] == next) {
                // base^(k+1) is base^(j+1): the period is k - j.
                // n may be far beyond the precision of n - 1 - j: reduce n first.
                const long double period = k - static_cast<long double>(j);
                long double offset =
                    std::fmod(std::fmod(n, period) - 1 - static_cast<long double>(j), period);
                if (offset < 0) offset += period;
                return powers[j + static_cast<std::size_t>(offset)];
            }
        }
        powers.push_back(next);
    }
    return powers.back();
}

const Unit* BinaryNode::unitOfDimension(const UnitCatalog& units,
                                        const std::optional<Dimension>& dimension) const {
    if (!dimension) fail("Dimension too large");
    if (dimension->isEmpty()) return nullptr;
    const Unit* unit = units.unitOfDimension(*dimension);
    if (unit == nullptr) fail("Too many derived units");
    return unit;
}

const Unit* RootNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return right_->resultUnit(units, scope);
}

}  // namespace quantrel
