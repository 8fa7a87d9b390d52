// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation and unit rules of the nodes with two operands.

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/error.h"
#include "eval/node.h"
#include "units/quantity_algebra.h"
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

void BinaryNode::failNoConversion(std::string_view left, std::string_view right) const {
    fail("No conversion found for " + std::string(left) + " and " + std::string(right));
}

const Unit* BinaryNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    if (unit() != nullptr) return unit();
    return operandUnit(units, scope);
}

const Unit* BinaryNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    const TokenKind op = token().kind;
    if (op == TokenKind::Star || op == TokenKind::Slash) {
        // Right operand's unit first: when both sides fail, the right side's error is reported.
        const Unit* right = right_->resultUnit(units, scope);
        const Unit* left = left_->resultUnit(units, scope);
        return answered(op == TokenKind::Star ? productQuantity(units, left, right)
                                              : quotientQuantity(units, left, right));
    }
    const Unit* left = unlessRatio(left_->resultUnit(units, scope));
    const Unit* right = unlessRatio(right_->resultUnit(units, scope));
    if (left != nullptr && right != nullptr && left->referenceUnit != right->referenceUnit &&
        op != TokenKind::Caret) {
        failNoConversion(left->quantity, right->quantity);
    }
    return left != nullptr ? left : right;
}

const Unit* Node::answered(const QuantityAnswer& answer) const {
    if (!answer.ok()) fail(answer.error);
    return answer.unit;
}

const Unit* ComparisonNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    BinaryNode::operandUnit(units, scope);  // refuses two different quantities
    return nullptr;
}

const Unit* PowerNode::operandUnit(const UnitCatalog& units, const Scope& scope) const {
    const Unit* base = unlessRatio(left_->resultUnit(units, scope));
    if (const Unit* exponentUnit = unlessRatio(right_->resultUnit(units, scope))) {
        fail("Can't use " + std::string(exponentUnit->quantity) + " as an exponent");
    }
    if (base == nullptr) return nullptr;
    const long double n = right_->evaluate(scope);
    if (n < 0) fail("Can't raise " + std::string(base->quantity) + " to this power");
    return answered(powerQuantity(units, base, n));
}

const Unit* RootNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    // With a dimension, the root of the radicand's dimension; without, the radicand's unit.
    const Unit* radicand = right_->resultUnit(units, scope);
    if (unlessRatio(radicand) == nullptr || radicand->dimension == nullptr) return radicand;
    return answered(rootQuantity(units, radicand, left_->evaluate(scope)));
}

// --- A unit raised alone ------------------------------------------------------------------------

UnitPowerNode::UnitPowerNode(const Unit& unit, NodePtr exponent, Token token)
    : Node(std::move(token), kLeafPrecedence), unit_(&unit), exponent_(std::move(exponent)) {
    setHeight(1 + exponent_->height());
}

std::string UnitPowerNode::toString() const {
    return std::string(unit_->symbol) + " ^ " + exponent_->toString();
}

long double UnitPowerNode::evaluate(const Scope& scope) const {
    const long double exponent = exponent_->evaluate(scope);
    return std::pow(unit_->scale / unit_->referenceUnit->scale, exponent);
}

const Unit* UnitPowerNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    if (const Unit* exponentUnit = unlessRatio(exponent_->resultUnit(units, scope))) {
        throw MathError("Can't use " + std::string(exponentUnit->quantity) + " as an exponent",
                        exponent_->token(), exponent_->token());
    }
    if (unit_->offset != 0) fail("Can't use " + std::string(unit_->symbol) + " in a compound unit");
    return answered(powerQuantity(units, unit_->referenceUnit, exponent_->evaluate(scope)));
}

NodePtr UnitPowerNode::fold(FoldContext& context) {
    foldInPlace(exponent_, context);
    if (!exponent_->isConstant()) return nullptr;
    ++context.foldCount;
    auto constant = std::make_unique<NumberNode>(evaluate(Scope{}), token());
    constant->setUnit(resultUnit(context.units, context.scope));
    return constant;
}

EvaluationCost UnitPowerNode::cost(std::size_t parameterCount) const {
    EvaluationCost total = exponent_->cost(parameterCount);
    total.base += 1;
    return total;
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
        scale_ = target_.number;
        for (const UnitTarget::Factor& factor : target_.factors)
            scale_ *= std::pow(factor.unit->scale, static_cast<long double>(factor.exponent));
    }
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
    if (target_.kind != UnitTarget::Kind::Mixed && (scale_ == 0 || target_.dividesByZero)) {
        fail("Division by zero");
    }
}

long double TargetNode::evaluate(const Scope& scope) const {
    if (target_.kind == UnitTarget::Kind::Mixed) return expression_->evaluate(scope);
    checkScale();  // the divisor is tested first, as a division does
    return fromReference(expression_->evaluate(scope));
}

TargetValue TargetNode::convert(const UnitCatalog& units, const Scope& scope) const {
    checkScale();  // the divisor is tested first, as a division does
    TargetValue result;
    result.value = expression_->evaluate(scope);
    const Unit* valueUnit = expression_->resultUnit(units, scope);
    const Check check = checkTarget(units, valueUnit);
    result.reciprocal = check.reciprocal;
    if (check.reciprocal) {
        if (result.value == 0) fail("Division by zero");
        result.value = 1 / result.value;
        valueUnit = check.unit;
    }
    result.valueUnit = unlessRatio(valueUnit);
    if (target_.kind != UnitTarget::Kind::Mixed) result.shown = fromReference(result.value);
    if (target_.kind == UnitTarget::Kind::Single) result.shownUnit = check.unit;
    return result;
}

const Unit* TargetNode::compoundUnit(const UnitCatalog& units) const {
    return answered(compoundQuantity(units, target_.factors));
}

const Unit* TargetNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return checkTarget(units, expression_->resultUnit(units, scope)).unit;
}

TargetNode::Check TargetNode::checkTarget(const UnitCatalog& units, const Unit* value) const {
    value = unlessRatio(value);
    const auto cannotConvert = [&](std::string_view to) {
        std::string text = "Can't convert";
        if (value != nullptr) text += " from " + std::string(value->quantity);
        return MathError(text + " to " + std::string(to), token(), token());
    };
    switch (target_.kind) {
        case UnitTarget::Kind::Single: {
            const Unit* target = target_.first;
            if (convertible(value, target)) return {target, false};
            if (convertibleByReciprocal(value, target)) return {target, true};
            throw cannotConvert(target->quantity);
        }
        case UnitTarget::Kind::Compound: {
            for (const UnitTarget::Factor& factor : target_.factors) {
                if (factor.unit->offset != 0) {
                    fail("Can't use " + std::string(factor.unit->symbol) + " in a compound unit");
                }
            }
            const Unit* target = compoundUnit(units);
            if (convertible(value, target)) return {value, false};
            if (convertibleByReciprocal(value, target)) return {target, true};
            throw cannotConvert(target != nullptr ? target->quantity : target_.text);
        }
        case UnitTarget::Kind::Mixed:
            for (const UnitTarget::Factor& factor : target_.factors) {
                if (factor.unit->offset != 0) {
                    fail("Can't use " + std::string(factor.unit->symbol) + " in a mixed unit");
                }
                if (!convertible(value, factor.unit)) {
                    throw cannotConvert(factor.unit->quantity);
                }
            }
            return {value, false};
    }
    return {value, false};
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
