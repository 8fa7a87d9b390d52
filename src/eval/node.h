// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "base/token.h"
#include "units/dimension.h"
#include "units/quantity_algebra.h"

namespace quantrel {

class Node;
class UnitCatalog;
class RandomGenerator;
struct Unit;
struct Function;
struct QuantityAnswer;

/// Nodes own their operands; folding replaces a node by moving a new one into its slot.
using NodePtr = std::unique_ptr<Node>;

/// What the names inside a tree refer to while it is evaluated.
struct Scope {
    /// The arguments of the innermost function call being evaluated.
    std::span<const NodePtr> arguments;
    /// The scope in which those arguments were written: an argument is evaluated there.
    const Scope* caller = nullptr;
    /// The calculator's variable table (only "ans" on an input line).
    std::span<const Node* const> variables;
};

/// State of one folding pass.
struct FoldContext {
    const UnitCatalog& units;
    /// Variables for unit inference of folded constants; arguments are always empty.
    const Scope& scope;
    /// Incremented once for every subtree the pass replaces.
    int foldCount = 0;
    /// Set while folding a function body: calls that draw random numbers stay calls, so that
    /// each evaluation of the body draws afresh.
    bool keepRandomCalls = false;
};

/// The work an evaluation may do: `base` node evaluations, plus `uses[i]` evaluations of the
/// argument given for parameter i, each costing that argument's own work. Saturates at infinity.
struct EvaluationCost {
    double base = 0;
    std::vector<double> uses;
    EvaluationCost(double base, std::size_t parameterCount) : base(base), uses(parameterCount) {}
    /// Adds `weight` times `other`.
    void add(const EvaluationCost& other, double weight = 1);
};

/// Printing precedences: a node's operand is parenthesised when its precedence is higher.
inline constexpr int kLeafPrecedence = -1;
inline constexpr int kPowerPrecedence = 0;
inline constexpr int kProductPrecedence = 1;
inline constexpr int kSumPrecedence = 2;

/// A node of an expression tree: a line's tree or a function body.
class Node {
public:
    Node(Token token, int precedence, bool isConstant = false);
    virtual ~Node() = default;
    /// Nodes come from a small per-thread pool of recycled blocks: a line builds and folds a
    /// few dozen of them, and the pool spares the general allocator that work.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    int precedence() const { return precedence_; }
    bool isConstant() const { return isConstant_; }
    /// The unit attached by a builder, by folding or by the calculator; none by default.
    const Unit* unit() const { return unit_; }
    void setUnit(const Unit* unit) { unit_ = unit; }
    /// The token the node was built from: its span in errors, its operator for unit rules.
    const Token& token() const { return token_; }
    /// The longest chain of nested evaluations below and including this node, counting the bodies
    /// of called functions. Bounds the stack that every walk over the tree needs.
    int height() const { return height_; }

    /// The node as text, for example "( 1 + 2 ) * 3".
    virtual std::string toString() const = 0;
    /// The value, in the reference unit of the node's quantity. Throws MathError.
    virtual long double evaluate(const Scope& scope) const = 0;
    /// The unit the value carries, or none. Checks that operands fit together; throws MathError.
    virtual const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const;
    /// Folds constant subtrees; returns the replacement of this node, or nullptr to keep it.
    virtual NodePtr fold(FoldContext& context) = 0;
    /// Whether evaluating the node may draw random numbers.
    virtual bool drawsRandom() const { return false; }
    /// An upper bound of the work one evaluation of this node performs, as node evaluations,
    /// for a tree with `parameterCount` parameters (a function body; 0 for a line).
    virtual EvaluationCost cost(std::size_t parameterCount) const;

protected:
    void setHeight(int height) { height_ = height; }
    /// Raises a MathError that spans this node's token.
    [[noreturn]] void fail(std::string text) const;
    /// The unit of a quantity the algebra answered; fails with its reason when it refused.
    const Unit* answered(const QuantityAnswer& answer) const;

private:
    Token token_;
    const Unit* unit_ = nullptr;
    int precedence_;
    int height_ = 1;
    bool isConstant_;
};

/// Folds the node in `slot`; the old node dies when its replacement arrives.
inline void foldInPlace(NodePtr& slot, FoldContext& context) {
    if (NodePtr replacement = slot->fold(context)) slot = std::move(replacement);
}

/// Folds `root` until a pass changes nothing.
void foldToFixedPoint(NodePtr& root, const UnitCatalog& units, const Scope& scope,
                      bool keepRandomCalls = false);

/// The largest cost() an expression may have: more work than this is refused, so that no input
/// or settings file can keep the calculator busy for long.
inline constexpr double kMaxEvaluationCost = 1e7;

/// Throws MathError "Expression too complex" when evaluating `node` could exceed
/// kMaxEvaluationCost node evaluations.
void checkEvaluationCost(const Node& node);

/// `node` as a `T` when it is one, else nullptr. For the node classes nothing derives from, the
/// type is compared directly: a line asks this several times, and dynamic_cast searches the
/// class hierarchy each time.
template <typename T>
const T* nodeAs(const Node* node) {
    static_assert(std::is_final_v<T>);
    return node != nullptr && typeid(*node) == typeid(T) ? static_cast<const T*>(node) : nullptr;
}

/// The empty token of nodes that have no source token.
const Token& emptyToken();

/// A numeric constant.
class NumberNode final : public Node {
public:
    NumberNode(long double value, Token token);
    /// A number of `unit` that stands for a subtree `height` levels high, already worked out.
    NumberNode(long double value, Token token, const Unit* unit, int height);
    long double value() const { return value_; }
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;

private:
    long double value_;
};

/// A calculator variable (only "ans"), found by its index in the variable table.
class VariableNode : public Node {
public:
    VariableNode(int index, std::string name, Token token);
    std::string toString() const override { return name_; }
    long double evaluate(const Scope& scope) const override;
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;

private:
    const Node& variable(const Scope& scope) const;
    int index_;
    std::string name_;
};

/// A parameter of a function body, found by its index in the call's argument list.
class ParameterNode : public Node {
public:
    ParameterNode(std::string name, int index, Token token);
    std::string toString() const override { return name_; }
    long double evaluate(const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    EvaluationCost cost(std::size_t parameterCount) const override;
    /// The argument given for the parameter in `scope`, or none.
    const Node* argument(const Scope& scope) const;
    /// The unit of that argument, worked out where it was written (the parameter itself
    /// carries none).
    const Unit* argumentUnit(const UnitCatalog& units, const Scope& scope) const;

private:
    int index_;
    std::string name_;
};

/// Draws the next pseudo-random number in [0, 1] at every evaluation.
class RandomNode : public Node {
public:
    RandomNode(RandomGenerator& generator, Token token);
    std::string toString() const override { return "rnd"; }
    long double evaluate(const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override { return true; }

private:
    RandomGenerator* generator_;
};

/// A call of a built-in or user function; the body belongs to the function table.
class CallNode : public Node {
public:
    CallNode(Token token, const Function& function, std::vector<NodePtr> arguments = {});
    const Function& function() const { return *function_; }
    const std::vector<NodePtr>& arguments() const { return arguments_; }
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override;
    EvaluationCost cost(std::size_t parameterCount) const override;

private:
    Scope bodyScope(const Scope& scope) const;
    const Function* function_;
    std::string name_;
    std::vector<NodePtr> arguments_;
};

/// condition ? then : else; only the chosen branch is evaluated.
class ConditionalNode : public Node {
public:
    ConditionalNode(NodePtr condition, NodePtr thenBranch, NodePtr elseBranch, Token token);
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override;
    EvaluationCost cost(std::size_t parameterCount) const override;

private:
    const Node& chosenBranch(const Scope& scope) const;
    NodePtr condition_;
    NodePtr then_;
    NodePtr else_;
};

/// A node with one operand.
class UnaryNode : public Node {
public:
    UnaryNode(NodePtr operand, int precedence, Token token);
    const Node& operand() const { return *operand_; }
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override { return operand_->drawsRandom(); }
    EvaluationCost cost(std::size_t parameterCount) const override;

protected:
    NodePtr operand_;
};

/// -x
class NegateNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
};

/// |x|
class AbsNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
};

/// The one-argument mathematical functions of the built-in table.
enum class MathFunction {
    Sqrt,
    Cbrt,
    Erf,
    Erfc,
    Sin,
    Cos,
    Tan,
    Sinh,
    Cosh,
    Tanh,
    Acos,
    Asin,
    Atan,
    Acosh,
    Asinh,
    Atanh,
    Log,
    Log10,
    Lgamma,
    Tgamma,
    Ceil,
    Round,
    Trunc,
    Floor,
};

/// Applies `function` in long double, with the maths library's results for special values.
long double applyMathFunction(MathFunction function, long double x);

/// A mathematical function applied to its operand; prints as "(" operand ")".
class MathFunctionNode : public UnaryNode {
public:
    MathFunctionNode(MathFunction function, NodePtr operand, Token token);
    MathFunction function() const { return function_; }
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    /// Square and cube roots of an argument with a dimension take its root; otherwise none.
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;

private:
    MathFunction function_;
};

/// A node with two operands.
class BinaryNode : public Node {
public:
    BinaryNode(NodePtr left, NodePtr right, int precedence, Token token);
    const Node& left() const { return *left_; }
    const Node& right() const { return *right_; }
    std::string toString() const override;
    /// With an own unit (a unit written after a number): that unit; otherwise the operand
    /// rules of operandUnit.
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override;
    EvaluationCost cost(std::size_t parameterCount) const override;

protected:
    /// The operator's text in the printed form.
    virtual const char* symbol() const = 0;
    /// The unit of the result from the operands' units; the rules depend on the operator token.
    virtual const Unit* operandUnit(const UnitCatalog& units, const Scope& scope) const;
    [[noreturn]] void failNoConversion(std::string_view left, std::string_view right) const;

    NodePtr left_;
    NodePtr right_;
};

class AddNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "+"; }
};

class SubtractNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "-"; }
};

class MultiplyNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "*"; }
};

/// left / right; the divisor is tested for zero, then evaluated again for the quotient.
class DivideNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;
    EvaluationCost cost(std::size_t parameterCount) const override;

protected:
    const char* symbol() const override { return "/"; }
};

/// Remainder with the quotient truncated toward zero (the sign of the left operand).
class ModuloNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;
    EvaluationCost cost(std::size_t parameterCount) const override;

protected:
    const char* symbol() const override { return "%"; }
};

/// left ^ right. A base with a unit takes a whole exponent n >= 0 and becomes the quantity of
/// n - 1 products with itself.
class PowerNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "^"; }
    const Unit* operandUnit(const UnitCatalog& units, const Scope& scope) const override;
};

/// The comparisons give 1 or 0, a plain number; operands of two quantities are refused.
class ComparisonNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;

protected:
    const Unit* operandUnit(const UnitCatalog& units, const Scope& scope) const override;
};

class LessNode : public ComparisonNode {
public:
    using ComparisonNode::ComparisonNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "<"; }
};

class GreaterNode : public ComparisonNode {
public:
    using ComparisonNode::ComparisonNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return ">"; }
};

class LessEqualNode : public ComparisonNode {
public:
    using ComparisonNode::ComparisonNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return "<="; }
};

class GreaterEqualNode : public ComparisonNode {
public:
    using ComparisonNode::ComparisonNode;
    long double evaluate(const Scope& scope) const override;

protected:
    const char* symbol() const override { return ">="; }
};

/// degree nroot radicand. A negative radicand with an odd whole degree has a negative real root.
class RootNode : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    /// The radicand's unit; the degree and the node's own unit play no part.
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;

protected:
    const char* symbol() const override { return "nroot"; }
};

/// A unit raised alone to a whole power ("m^2", "s⁻¹"): the unit's size in its reference unit
/// raised to the exponent, of the unit's quantity raised to it. Any whole exponent, negative
/// ones too; a unit with an offset can't be raised.
class UnitPowerNode : public Node {
public:
    UnitPowerNode(const Unit& unit, NodePtr exponent, Token token);
    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override { return exponent_->drawsRandom(); }
    EvaluationCost cost(std::size_t parameterCount) const override;

private:
    const Unit* unit_;
    NodePtr exponent_;
};

/// The subtree for a unit written after an operand: x * (U.scale / R.scale) - U.offset, in R,
/// the reference unit of U. Every added node carries the unit's token. After a number written
/// without a unit, the common "5 km", the subtree is worked out at once: a number in R, with the
/// unit's token and the subtree's height.
NodePtr enterUnit(NodePtr operand, const Unit& unit, const Token& unitToken);

/// What follows "in": one unit, a product of units with whole powers ("km/h", "kW h",
/// "m/s^2"), or a sum of units for a result split into parts ("ft + in").
struct UnitTarget {
    enum class Kind { Single, Compound, Mixed };
    using Factor = UnitPower;
    Kind kind = Kind::Single;
    /// The unit written first; for a single target the only one.
    const Unit* first = nullptr;
    /// Compound: the factors as written; Mixed: the parts, largest first (both from `first`
    /// on); empty for a single target.
    std::vector<Factor> factors;
    /// Compound: the product of the numbers written in the target ("l/100 km": 1/100).
    long double number = 1;
    /// Compound: a number written after "/" is zero.
    bool dividesByZero = false;
    /// The target as shown after the number: blanks around "*", "/" and "^" removed, one blank
    /// between two units or a number and its unit ("km/h", "kW h", "l/100 km"); empty for a
    /// single unit (its symbol is shown).
    std::string text;
};

/// What converting a line's value to its target gives.
struct TargetValue {
    /// The value, in the reference unit of `valueUnit`'s quantity: the expression's value, or
    /// its reciprocal for a reciprocal conversion.
    long double value = 0;
    /// The unit of `value`; none for a plain number.
    const Unit* valueUnit = nullptr;
    /// The number shown in a single or compound target.
    long double shown = 0;
    /// A single target's unit; none for the other kinds.
    const Unit* shownUnit = nullptr;
    /// The target measures the reciprocal of the expression's dimension ("30 mpg in lp100km").
    bool reciprocal = false;
};

/// The root of a line that ends with "in" and a target: the expression's value, in the
/// reference unit of its quantity, shown in the target. A single unit U gives
/// e / U.scale + U.offset / U.scale and carries U; a compound target gives e divided by the
/// product of its units' scales and numbers. A target of exactly the inverse dimension shows
/// the reciprocal. Folding keeps the node, so that the value before the conversion stays at
/// hand.
class TargetNode final : public Node {
public:
    TargetNode(NodePtr expression, UnitTarget target, Token token);
    const Node& expression() const { return *expression_; }
    const UnitTarget& target() const { return target_; }
    /// The number shown for `value`, a value of the target's quantity; unused for a mixed
    /// target.
    long double fromReference(long double value) const;
    /// Fails with "Division by zero" for a target whose scale is zero, as the division of a
    /// value by it would.
    void checkScale() const;
    /// Evaluates the expression and converts it (see TargetValue). Throws MathError.
    TargetValue convert(const UnitCatalog& units, const Scope& scope) const;

    std::string toString() const override;
    long double evaluate(const Scope& scope) const override;
    /// Checks that the target fits the expression's quantity (or, with dimensions, its
    /// dimension or its inverse; units with an offset only as a single target). A single
    /// target gives its unit; the others give the expression's (its reciprocal's).
    const Unit* resultUnit(const UnitCatalog& units, const Scope& scope) const override;
    NodePtr fold(FoldContext& context) override;
    bool drawsRandom() const override { return expression_->drawsRandom(); }
    EvaluationCost cost(std::size_t parameterCount) const override;

private:
    struct Check {
        const Unit* unit = nullptr;
        bool reciprocal = false;
    };
    /// The check of resultUnit for an expression whose unit is `value` (none: a plain number).
    Check checkTarget(const UnitCatalog& units, const Unit* value) const;
    /// The unit of the quantity a compound target measures, none for a plain number.
    const Unit* compoundUnit(const UnitCatalog& units) const;

    NodePtr expression_;
    UnitTarget target_;
    long double scale_ = 1;
    long double offset_ = 0;  // of a single target, divided by its scale
};

}  // namespace quantrel
