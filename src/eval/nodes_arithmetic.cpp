// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation and unit rules of the nodes with two operands.

#include <cmath>
#include <cstdlib>
#include <optional>
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

/// The rule for (left op right); a "*" rule also serves the other order.
const Conversion* findRule(const UnitCatalog& units, std::string_view left, TokenKind op,
                           std::string_view right) {
    const Conversion* rule = units.findConversion(left, op, right);
    if (rule == nullptr && op == TokenKind::Star) rule = units.findConversion(right, op, left);
    return rule;
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
        const Unit* right = unlessRatio(right_->resultUnit(units, scope));
        const Unit* left = unlessRatio(left_->resultUnit(units, scope));
        if (left != nullptr && right != nullptr) {
            if (const Conversion* rule = findRule(units, left->quantity, op, right->quantity)) {
                return rule->resultReference;
            }
            if (op == TokenKind::Slash && left == right) return nullptr;
            // Without a rule, the dimensions decide when both quantities declare one.
            const Dimension* leftDimension = left->dimension;
            const Dimension* rightDimension = right->dimension;
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
            if (const Dimension* dimension = right->dimension) {
                return unitOfDimension(units, Dimension().over(*dimension));
            }
            failNoConversion("1", right->quantity);
        }
        return left != nullptr ? left : right;
    }
    const Unit* left = unlessRatio(left_->resultUnit(units, scope));
    const Unit* right = unlessRatio(right_->resultUnit(units, scope));
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
    const Unit* base = unlessRatio(left_->resultUnit(units, scope));
    if (const Unit* exponentUnit = unlessRatio(right_->resultUnit(units, scope))) {
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
            findRule(units, current->quantity, TokenKind::Star, quantity->quantity);
        if (rule == nullptr) {
            // No rule for the next step: with a dimension, base^n is n times its dimension.
            if (const Dimension* dimension = quantity->dimension) {
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

namespace quantrel {

// --- Target units -------------------------------------------------------------------------------

TargetNode::TargetNode(NodePtr expression, UnitTarget target, Token token)
    : Node(std::move(token), kSumPrecedence),
      expression_(std::move(expression)),
      target_(std::move(target)) {
    if (target_.kind == UnitTarget::Kind::Single) {
        const Unit& unit = *target_.first;
        scale_ = unit.scale;
        offset_ = unit.offset / unit.scale;
        setUnit(&unit);
    } else if (target_.kind == UnitTarget::Kind::Compound) {
        for (const UnitTarget::Factor& factor : target_.factors)
            scale_ *= std::pow(factor.unit->scale, static_cast<long double>(factor.exponent));
    }
    setHasTargetUnit(true);
    // As deep as the quotient and the sum a single target computes.
    setHeight(expression_->height() + 2);
}

long double TargetNode::fromReference(long double value) const {
    if (target_.kind == UnitTarget::Kind::Single) return value / scale_ + offset_;
    return value / scale_;
}

std::string TargetNode::toString() const {
    std::string text = expression_->toString();
    if (expression_->precedence() > kProductPrecedence) text = "( " + text + " )";
    text += " / " + NumberNode(scale_, emptyToken()).toString();
    if (target_.kind == UnitTarget::Kind::Single) {
        text += " + " + NumberNode(offset_, emptyToken()).toString();
    }
    return text;
}

void TargetNode::checkScale() const {
    if (target_.kind != UnitTarget::Kind::Mixed && scale_ == 0) fail("Division by zero");
}

long double TargetNode::evaluate(const Scope& scope) const {
    if (target_.kind == UnitTarget::Kind::Mixed) return expression_->evaluate(scope);
    checkScale();  // the divisor is tested first, as a division does
    return fromReference(expression_->evaluate(scope));
}

bool TargetNode::fits(const Unit* value, const Unit* target) {
    // A ratio is a plain number, and a plain number fits a ratio; otherwise a plain number fits
    // no unit and no unit fits a plain number.
    value = unlessRatio(value);
    target = unlessRatio(target);
    if (value == nullptr || target == nullptr) return value == target;
    if (value->referenceUnit == target->referenceUnit) return true;
    const Dimension* valueDimension = value->dimension;
    const Dimension* targetDimension = target->dimension;
    return valueDimension != nullptr && targetDimension != nullptr &&
           *valueDimension == *targetDimension;
}

const Unit* TargetNode::compoundUnit(const UnitCatalog& units) const {
    // With dimensions everywhere, the product of the dimensions; otherwise the rules, left to
    // right, one factor at a time.
    std::optional<Dimension> dimension = Dimension();
    for (const UnitTarget::Factor& factor : target_.factors) {
        const Dimension* own = factor.unit->dimension;
        if (own == nullptr || !dimension) {
            dimension.reset();
            break;
        }
        const std::optional<Dimension> power = own->power(factor.exponent);
        if (!power) fail("Dimension too large");
        dimension = dimension->times(*power);
        if (!dimension) fail("Dimension too large");
    }
    if (dimension) {
        if (dimension->isEmpty()) return nullptr;
        const Unit* unit = units.unitOfDimension(*dimension);
        if (unit == nullptr) fail("Too many derived units");
        return unit;
    }
    const Unit* current = nullptr;
    bool first = true;
    for (const UnitTarget::Factor& factor : target_.factors) {
        const Unit* unit = factor.unit->referenceUnit;
        const TokenKind op = factor.exponent < 0 ? TokenKind::Slash : TokenKind::Star;
        for (int i = 0; i < std::abs(factor.exponent); ++i) {
            if (first && op == TokenKind::Star) {
                current = unit;
                first = false;
                continue;
            }
            first = false;
            const std::string left = current != nullptr ? current->quantity : "1";
            if (const Conversion* rule = findRule(units, left, op, unit->quantity)) {
                current = rule->resultReference;
            } else if (op == TokenKind::Star && current == nullptr) {
                current = unit;  // a plain number times a unit
            } else if (op == TokenKind::Slash && current == unit) {
                current = nullptr;
            } else {
                fail("No conversion found for " + left + " and " + unit->quantity);
            }
        }
    }
    return current;
}

const Unit* TargetNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return checkTarget(units, expression_->resultUnit(units, scope));
}

const Unit* TargetNode::checkTarget(const UnitCatalog& units, const Unit* value) const {
    value = unlessRatio(value);
    const auto cannotConvert = [&](const std::string& to) {
        std::string text = "Can't convert";
        if (value != nullptr) text += " from " + value->quantity;
        fail(text + " to " + to);
    };
    switch (target_.kind) {
        case UnitTarget::Kind::Single: {
            const Unit* target = target_.first;
            if (!fits(value, target)) cannotConvert(target->quantity);
            return target;
        }
        case UnitTarget::Kind::Compound: {
            for (const UnitTarget::Factor& factor : target_.factors) {
                if (factor.unit->offset != 0) {
                    fail("Can't use " + factor.unit->symbol + " in a compound unit");
                }
            }
            const Unit* target = compoundUnit(units);
            if (!fits(value, target)) {
                cannotConvert(target != nullptr ? target->quantity : target_.text);
            }
            return value;
        }
        case UnitTarget::Kind::Mixed:
            for (const UnitTarget::Factor& factor : target_.factors) {
                if (factor.unit->offset != 0) {
                    fail("Can't use " + factor.unit->symbol + " in a mixed unit");
                }
                if (!fits(value, factor.unit)) {
                    cannotConvert(factor.unit->quantity);
                }
            }
            return value;
    }
    return value;
}

void TargetNode::clearUnits() {
    Node::clearUnits();
    expression_->clearUnits();
}

NodePtr TargetNode::fold(FoldContext& context) {
    foldInPlace(expression_, context);
    return nullptr;
}

EvaluationCost TargetNode::cost(std::size_t parameterCount) const {
    // What the quotient and the sum of a single target cost.
    EvaluationCost total(5, parameterCount);
    total.add(expression_->cost(parameterCount));
    return total;
}

}  // namespace quantrel
