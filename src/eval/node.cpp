// SPDX-License-Identifier: GPL-3.0-or-later

#include "eval/node.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/error.h"
#include "eval/function.h"
#include "eval/random.h"
#include "units/quantity_algebra.h"
#include "units/unit_catalog.h"

namespace quantrel {
namespace {

const Scope kEmptyScope{};

std::string parenthesised(const std::string& text) {
    return "( " + text + " )";
}

}  // namespace

const Token& emptyToken() {
    static const Token token{};
    return token;
}

Node::Node(Token token, int precedence, bool isConstant)
    : token_(std::move(token)), precedence_(precedence), isConstant_(isConstant) {}

const Unit* Node::resultUnit(const UnitCatalog&, const Scope&) const {
    return unit_;
}

void Node::fail(std::string text) const {
    throw MathError(std::move(text), token_, token_);
}

void EvaluationCost::add(const EvaluationCost& other, double weight) {
    base += weight * other.base;
    for (std::size_t i = 0; i < uses.size() && i < other.uses.size(); ++i) {
        uses[i] += weight * other.uses[i];
    }
}

EvaluationCost Node::cost(std::size_t parameterCount) const {
    return EvaluationCost(1, parameterCount);
}

void checkEvaluationCost(const Node& node) {
    if (!(node.cost(0).base <= kMaxEvaluationCost)) {
        throw MathError("Expression too complex", node.token(), node.token());
    }
}

void foldToFixedPoint(NodePtr& root, const UnitCatalog& units, const Scope& scope,
                      bool keepRandomCalls) {
    for (;;) {
        FoldContext context{units, scope, 0, keepRandomCalls};
        foldInPlace(root, context);
        if (context.foldCount <= 0) return;
    }
}

// --- Leaves -------------------------------------------------------------------------------------

NumberNode::NumberNode(long double value, Token token)
    : Node(std::move(token), kLeafPrecedence, true), value_(value) {}

NumberNode::NumberNode(long double value, Token token, const Unit* unit, int height)
    : NumberNode(value, std::move(token)) {
    setUnit(unit);
    setHeight(height);
}

std::string NumberNode::toString() const {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value_, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

long double NumberNode::evaluate(const Scope&) const {
    return value_;
}

NodePtr NumberNode::fold(FoldContext&) {
    return nullptr;
}

VariableNode::VariableNode(int index, std::string name, Token token)
    : Node(std::move(token), kLeafPrecedence), index_(index), name_(std::move(name)) {}

const Node& VariableNode::variable(const Scope& scope) const {
    if (index_ < 0 || static_cast<std::size_t>(index_) >= scope.variables.size()) {
        fail("Variable does not exist");
    }
    return *scope.variables[static_cast<std::size_t>(index_)];
}

long double VariableNode::evaluate(const Scope& scope) const {
    return variable(scope).evaluate(scope);
}

const Unit* VariableNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return variable(scope).resultUnit(units, scope);
}

NodePtr VariableNode::fold(FoldContext&) {
    return nullptr;
}

ParameterNode::ParameterNode(std::string name, int index, Token token)
    : Node(std::move(token), kLeafPrecedence), index_(index), name_(std::move(name)) {}

long double ParameterNode::evaluate(const Scope& scope) const {
    if (index_ < 0 || static_cast<std::size_t>(index_) >= scope.arguments.size()) {
        fail("Variable does not exist");
    }
    // An argument is evaluated where it was written: in the caller's scope.
    const Scope& caller = scope.caller != nullptr ? *scope.caller : kEmptyScope;
    return scope.arguments[static_cast<std::size_t>(index_)]->evaluate(caller);
}

const Node* ParameterNode::argument(const Scope& scope) const {
    if (index_ < 0 || static_cast<std::size_t>(index_) >= scope.arguments.size()) return nullptr;
    return scope.arguments[static_cast<std::size_t>(index_)].get();
}

const Unit* ParameterNode::argumentUnit(const UnitCatalog& units, const Scope& scope) const {
    const Node* given = argument(scope);
    if (given == nullptr) return nullptr;
    const Scope& caller = scope.caller != nullptr ? *scope.caller : kEmptyScope;
    return given->resultUnit(units, caller);
}

NodePtr ParameterNode::fold(FoldContext&) {
    return nullptr;
}

EvaluationCost ParameterNode::cost(std::size_t parameterCount) const {
    EvaluationCost total(1, parameterCount);
    if (index_ >= 0 && static_cast<std::size_t>(index_) < parameterCount) {
        total.uses[static_cast<std::size_t>(index_)] = 1;
    }
    return total;
}

RandomNode::RandomNode(RandomGenerator& generator, Token token)
    : Node(std::move(token), kLeafPrecedence), generator_(&generator) {}

long double RandomNode::evaluate(const Scope&) const {
    return generator_->nextUnit();
}

NodePtr RandomNode::fold(FoldContext&) {
    return nullptr;
}

// --- Calls --------------------------------------------------------------------------------------

CallNode::CallNode(Token token, const Function& function, std::vector<NodePtr> arguments)
    : Node(std::move(token), kLeafPrecedence),
      function_(&function),
      name_(function.name),
      arguments_(std::move(arguments)) {
    // A parameter inside the body evaluates its argument from there, so both stack up.
    int argumentHeight = 0;
    for (const NodePtr& argument : arguments_) {
        argumentHeight = std::max(argumentHeight, argument->height());
    }
    const int bodyHeight = function.body ? function.body->height() : 0;
    setHeight(1 + bodyHeight + argumentHeight);
}

std::string CallNode::toString() const {
    std::string text = "( " + name_;
    for (const NodePtr& argument : arguments_)
        text += " " + argument->toString();
    return text + " )";
}

Scope CallNode::bodyScope(const Scope& scope) const {
    return Scope{arguments_, &scope, scope.variables};
}

long double CallNode::evaluate(const Scope& scope) const {
    return function_->body->evaluate(bodyScope(scope));
}

const Unit* CallNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return function_->body->resultUnit(units, bodyScope(scope));
}

NodePtr CallNode::fold(FoldContext& context) {
    bool allConstant = true;
    for (NodePtr& argument : arguments_) {
        foldInPlace(argument, context);
        allConstant = allConstant && argument->isConstant();
    }
    if (!allConstant) return nullptr;
    if (context.keepRandomCalls && function_->drawsRandom) return nullptr;
    checkEvaluationCost(*this);
    ++context.foldCount;
    auto constant = std::make_unique<NumberNode>(evaluate(kEmptyScope), emptyToken());
    constant->setUnit(resultUnit(context.units, context.scope));
    return constant;
}

bool CallNode::drawsRandom() const {
    return function_->drawsRandom ||
           std::any_of(arguments_.begin(), arguments_.end(),
                       [](const NodePtr& argument) { return argument->drawsRandom(); });
}

EvaluationCost CallNode::cost(std::size_t parameterCount) const {
    // The body's own work, plus each argument's work as often as the body uses its parameter.
    EvaluationCost total(1 + function_->baseCost, parameterCount);
    for (std::size_t j = 0; j < arguments_.size() && j < function_->parameterUses.size(); ++j) {
        total.add(arguments_[j]->cost(parameterCount), function_->parameterUses[j]);
    }
    return total;
}

// --- Conditional --------------------------------------------------------------------------------

ConditionalNode::ConditionalNode(NodePtr condition, NodePtr thenBranch, NodePtr elseBranch,
                                 Token token)
    : Node(std::move(token), kProductPrecedence),
      condition_(std::move(condition)),
      then_(std::move(thenBranch)),
      else_(std::move(elseBranch)) {
    setHeight(1 + std::max({condition_->height(), then_->height(), else_->height()}));
}

std::string ConditionalNode::toString() const {
    return condition_->toString() + " ? " + then_->toString() + " : " + else_->toString();
}

const Node& ConditionalNode::chosenBranch(const Scope& scope) const {
    // A NaN condition is not 0 and chooses the first branch.
    return condition_->evaluate(scope) != 0 ? *then_ : *else_;
}

long double ConditionalNode::evaluate(const Scope& scope) const {
    return chosenBranch(scope).evaluate(scope);
}

const Unit* ConditionalNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    return chosenBranch(scope).resultUnit(units, scope);
}

NodePtr ConditionalNode::fold(FoldContext& context) {
    // The branches stay as written, but the condition is folded: a random draw in it is made
    // once, so that the value and the unit of the result come from the same branch.
    foldInPlace(condition_, context);
    return nullptr;
}

bool ConditionalNode::drawsRandom() const {
    return condition_->drawsRandom() || then_->drawsRandom() || else_->drawsRandom();
}

EvaluationCost ConditionalNode::cost(std::size_t parameterCount) const {
    EvaluationCost total(1, parameterCount);
    total.add(condition_->cost(parameterCount));
    const EvaluationCost thenCost = then_->cost(parameterCount);
    const EvaluationCost elseCost = else_->cost(parameterCount);
    total.base += std::max(thenCost.base, elseCost.base);
    for (std::size_t i = 0; i < parameterCount; ++i) {
        total.uses[i] += std::max(thenCost.uses[i], elseCost.uses[i]);
    }
    return total;
}

// --- One operand --------------------------------------------------------------------------------

UnaryNode::UnaryNode(NodePtr operand, int precedence, Token token)
    : Node(std::move(token), precedence), operand_(std::move(operand)) {
    setHeight(1 + operand_->height());
}

const Unit* UnaryNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    if (unit() != nullptr) return unit();
    return operand_->resultUnit(units, scope);
}

EvaluationCost UnaryNode::cost(std::size_t parameterCount) const {
    EvaluationCost total = operand_->cost(parameterCount);
    total.base += 1;
    return total;
}

NodePtr UnaryNode::fold(FoldContext& context) {
    foldInPlace(operand_, context);
    if (!operand_->isConstant()) return nullptr;
    ++context.foldCount;
    auto constant = std::make_unique<NumberNode>(evaluate(kEmptyScope), emptyToken());
    constant->setUnit(operand_->resultUnit(context.units, context.scope));
    return constant;
}

std::string NegateNode::toString() const {
    return "-" + parenthesised(operand_->toString());
}

long double NegateNode::evaluate(const Scope& scope) const {
    return -operand_->evaluate(scope);
}

std::string AbsNode::toString() const {
    return "|" + operand_->toString() + "|";
}

long double AbsNode::evaluate(const Scope& scope) const {
    return std::fabs(operand_->evaluate(scope));
}

long double applyMathFunction(MathFunction function, long double x) {
    switch (function) {
        case MathFunction::Sqrt:
            return std::sqrt(x);
        case MathFunction::Cbrt:
            return std::cbrt(x);
        case MathFunction::Erf:
            return std::erf(x);
        case MathFunction::Erfc:
            return std::erfc(x);
        case MathFunction::Sin:
            return std::sin(x);
        case MathFunction::Cos:
            return std::cos(x);
        case MathFunction::Tan:
            return std::tan(x);
        case MathFunction::Sinh:
            return std::sinh(x);
        case MathFunction::Cosh:
            return std::cosh(x);
        case MathFunction::Tanh:
            return std::tanh(x);
        case MathFunction::Acos:
            return std::acos(x);
        case MathFunction::Asin:
            return std::asin(x);
        case MathFunction::Atan:
            return std::atan(x);
        case MathFunction::Acosh:
            return std::acosh(x);
        case MathFunction::Asinh:
            return std::asinh(x);
        case MathFunction::Atanh:
            return std::atanh(x);
        case MathFunction::Log:
            return std::log(x);
        case MathFunction::Log10:
            return std::log10(x);
        case MathFunction::Lgamma:
            return std::lgamma(x);
        case MathFunction::Tgamma:
            return std::tgamma(x);
        case MathFunction::Ceil:
            return std::ceil(x);
        case MathFunction::Round:
            return std::round(x);
        case MathFunction::Trunc:
            return std::trunc(x);
        case MathFunction::Floor:
            return std::floor(x);
    }
    return x;
}

MathFunctionNode::MathFunctionNode(MathFunction function, NodePtr operand, Token token)
    : UnaryNode(std::move(operand), kLeafPrecedence, std::move(token)), function_(function) {}

std::string MathFunctionNode::toString() const {
    return "(" + operand_->toString() + ")";
}

const Unit* MathFunctionNode::resultUnit(const UnitCatalog& units, const Scope& scope) const {
    // A square or cube root of an argument whose quantity declares a dimension has the root of
    // that dimension: sqrt(16 m2) is 4 m. Otherwise the root is a plain number.
    const auto* parameter = dynamic_cast<const ParameterNode*>(operand_.get());
    if ((function_ != MathFunction::Sqrt && function_ != MathFunction::Cbrt) ||
        parameter == nullptr) {
        return UnaryNode::resultUnit(units, scope);
    }
    const Unit* radicand = unlessRatio(parameter->argumentUnit(units, scope));
    if (radicand == nullptr || radicand->dimension == nullptr) return nullptr;
    const QuantityAnswer root =
        rootQuantity(units, radicand, function_ == MathFunction::Sqrt ? 2 : 3);
    if (!root.ok()) {
        const Token& span = parameter->argument(scope)->token();
        throw MathError(root.error, span, span);
    }
    return root.unit;
}

long double MathFunctionNode::evaluate(const Scope& scope) const {
    return applyMathFunction(function_, operand_->evaluate(scope));
}

// --- Two operands: shape, printing and folding --------------------------------------------------

BinaryNode::BinaryNode(NodePtr left, NodePtr right, int precedence, Token token)
    : Node(std::move(token), precedence), left_(std::move(left)), right_(std::move(right)) {
    setHeight(1 + std::max(left_->height(), right_->height()));
}

std::string BinaryNode::toString() const {
    std::string leftText = left_->toString();
    if (left_->precedence() > precedence()) leftText = parenthesised(leftText);
    std::string rightText = right_->toString();
    // A power whose exponent is a power keeps its parentheses: 2 ^ ( 3 ^ 2 ).
    if (right_->precedence() > precedence() ||
        (right_->precedence() == kPowerPrecedence && precedence() == kPowerPrecedence)) {
        rightText = parenthesised(rightText);
    }
    return leftText + " " + symbol() + " " + rightText;
}

EvaluationCost BinaryNode::cost(std::size_t parameterCount) const {
    EvaluationCost total(1, parameterCount);
    total.add(left_->cost(parameterCount));
    total.add(right_->cost(parameterCount));
    return total;
}

EvaluationCost DivideNode::cost(std::size_t parameterCount) const {
    EvaluationCost total(1, parameterCount);
    total.add(left_->cost(parameterCount));
    total.add(right_->cost(parameterCount), 2);  // the divisor is evaluated twice
    return total;
}

EvaluationCost ModuloNode::cost(std::size_t parameterCount) const {
    EvaluationCost total(1, parameterCount);
    total.add(left_->cost(parameterCount));
    total.add(right_->cost(parameterCount), 2);
    return total;
}

NodePtr BinaryNode::fold(FoldContext& context) {
    foldInPlace(left_, context);
    foldInPlace(right_, context);
    if (!left_->isConstant() || !right_->isConstant()) return nullptr;
    ++context.foldCount;
    auto constant = std::make_unique<NumberNode>(evaluate(kEmptyScope), emptyToken());
    constant->setUnit(resultUnit(context.units, context.scope));
    return constant;
}

bool BinaryNode::drawsRandom() const {
    return left_->drawsRandom() || right_->drawsRandom();
}

std::string RootNode::toString() const {
    return left_->toString() + " nroot " + right_->toString();
}

// --- Unit subtrees ------------------------------------------------------------------------------

NodePtr enterUnit(NodePtr operand, const Unit& unit, const Token& unitToken) {
    const Unit& reference = *unit.referenceUnit;
    const long double scale = unit.scale / reference.scale;
    if (const auto* number = nodeAs<NumberNode>(operand.get());
        number != nullptr && number->unit() == nullptr) {
        // What folding the product and the difference below would give, with their height.
        return std::make_unique<NumberNode>(number->value() * scale - unit.offset, unitToken,
                                            &reference, number->height() + 2);
    }
    auto factor = std::make_unique<NumberNode>(scale, unitToken);
    auto product = std::make_unique<MultiplyNode>(std::move(operand), std::move(factor),
                                                  kProductPrecedence, unitToken);
    auto offset = std::make_unique<NumberNode>(unit.offset, unitToken);
    auto node = std::make_unique<SubtractNode>(std::move(product), std::move(offset),
                                               kSumPrecedence, unitToken);
    node->setUnit(&reference);
    return node;
}

}  // namespace quantrel
