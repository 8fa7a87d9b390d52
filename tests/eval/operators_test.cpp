// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "core/number_format.h"
#include "eval/node.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::expectError;
using test::expectResult;
using test::makeTestCalculator;
using test::makeTestRegistry;

struct ResultRow {
    const char* input;
    const char* expected;
};

struct ErrorRow {
    const char* input;
    const char* text;
};

void expectResults(Calculator& calc, const std::vector<ResultRow>& rows) {
    for (const ResultRow& row : rows)
        expectResult(calc, row.input, row.expected);
}

void expectMathErrors(Calculator& calc, const std::vector<ErrorRow>& rows) {
    for (const ErrorRow& row : rows)
        expectError(calc, row.input, "Math", row.text);
}

TEST(Operators, Arithmetic) {
    Calculator calc = makeTestCalculator();
    expectResults(calc, {
                            {"1 + 2 * 3", "7"},
                            {"7 - 10", "-3"},
                            {"1 / 3", "0.333333"},
                            {"5 % 3", "2"},
                            {"5 % -3", "2"},
                            {"-5 % 3", "-2"},
                            {"-5 % -3", "-2"},
                            {"5.5 % 2", "1.5"},
                            {"2 ^ 10", "1024"},
                            {"2 ^ -1", "0.5"},
                            {"2 ^ 3 ^ 2", "512"},
                            {"2 nroot 9", "3"},
                            {"|-3|", "3"},
                            {"|2 - 5| * 2", "6"},
                            {"-(2 + 3)", "-5"},
                            {"--3", "3"},
                            {"+3", "3"},
                        });
}

TEST(Operators, ComparisonsGiveZeroOrOne) {
    Calculator calc = makeTestCalculator();
    expectResults(calc, {
                            {"3 > 2", "1"},
                            {"2 > 3", "0"},
                            {"2 < 3", "1"},
                            {"3 < 3", "0"},
                            {"3 <= 3", "1"},
                            {"4 <= 3", "0"},
                            {"3 >= 3", "1"},
                            {"2 >= 3", "0"},
                            {"(3 > 2) + 1", "2"},
                            // Any comparison with NaN is false.
                            {"sqrt(-1) < 1", "0"},
                            {"sqrt(-1) > 1", "0"},
                            {"sqrt(-1) <= sqrt(-1)", "0"},
                            {"sqrt(-1) >= 1", "0"},
                        });
}

TEST(Operators, OverflowGivesInfinityWithoutError) {
    Calculator calc = makeTestCalculator();
    expectResults(calc, {
                            // Beyond double: shown as infinity although long double holds it.
                            {"1e308 * 1e308", "inf"},
                            {"1e300 / 1e-300", "inf"},
                            {"10 ^ 5000", "inf"},
                            {"-(10 ^ 5000)", "-inf"},
                            {"-1e308 * 1e308", "-inf"},
                            {"0 ^ -1", "inf"},
                            {"1 / 1e-320", "inf"},
                        });
}

TEST(Operators, NotANumberFlowsOnWithoutError) {
    Calculator calc = makeTestCalculator();
    for (const char* input : {"sqrt(-1)", "2 nroot -4", "4 nroot -16", "(-8) ^ (1 / 3)",
                              "10 ^ 5000 - 10 ^ 5000", "sqrt(-1) + 1"}) {
        SCOPED_TRACE(input);
        const std::string result = calc.evaluateLine(input);
        EXPECT_TRUE(result == "nan" || result == "-nan") << result;
    }
}

TEST(Operators, Errors) {
    Calculator calc = makeTestCalculator();
    expectMathErrors(calc, {
                               {"1 / 0", "Division by zero"},
                               {"1 / -0", "Division by zero"},
                               {"1 % 0", "Division by zero"},
                               {"1 / (2 - 2)", "Division by zero"},
                               {"1 % (2 - 2)", "Division by zero"},
                               {"1 / (3 > 4)", "Division by zero"},
                               // ans is 0 here and is not folded: the error comes from evaluation.
                               {"1 / ans", "Division by zero"},
                               {"1 % ans", "Division by zero"},
                               {"0 nroot 8", "Zeroth root is not defined"},
                               {"(1 - 1) nroot 8", "Zeroth root is not defined"},
                               {"ans nroot 8", "Zeroth root is not defined"},
                           });
    // A zeroth root is refused before its radicand is evaluated (ans is 0).
    expectError(calc, "0 nroot (1 / ans)", "Math", "Zeroth root is not defined");
}

TEST(Operators, FullPrecisionAbsoluteValueAndRoots) {
    Calculator calc = makeTestCalculator();
    // In double precision 1 + 1e-18 is 1: the difference survives only in long double.
    const long double sum = 1.0L + static_cast<long double>(1e-18);
    expectResult(calc, "|1 + 1e-18| - 1", formatNumber(sum - 1.0L));
    expectResult(calc, "|-(1 + 1e-18)| - 1", formatNumber(sum - 1.0L));
    expectResults(calc, {
                            {"3 nroot -8", "-2"},
                            {"(-3) nroot -8", "-0.5"},
                            {"5 nroot -32", "-2"},
                            {"3 nroot 8", "2"},
                            {"(-2) nroot 4", "0.5"},
                        });
}

TEST(Operators, PrefixMinusAppliesBeforeTheUnit) {
    Calculator calc = makeTestCalculator();
    expectResults(calc, {
                            {"-40 degC in degF", "-40 degF"},
                            {"-40 degF in degC", "-40 degC"},
                            {"-(40) degC in degF", "-40 degF"},
                            {"-40 degC", "-40 degC"},
                            {"-40 degC in K", "233.15 K"},
                            // A minus before a minus negates the value as written.
                            {"--40 degC in K", "-233.15 K"},
                            {"-2 km", "-2 km"},
                            {"- 2 km + 3 km", "1 km"},
                            {"40", "40"},
                            {"-ans degC in degF", "-40 degF"},
                        });
}

TEST(Operators, PowersOfValuesWithUnits) {
    Calculator calc = makeTestCalculator();
    expectResults(calc, {
                            {"(3 m) ^ 2", "9 m2"},
                            {"(2 m) ^ 3", "8 m3"},
                            {"(2 m) ^ 0", "1"},
                            {"(2 m) ^ 1", "2 m"},
                            {"(2 km) ^ 1", "2 km"},
                            {"2 km ^ 2", "4 km2"},
                            {"(2 m) ^ (1 + 1)", "4 m2"},
                            {"sqrt((3 m) ^ 2)", "3"},
                            {"2", "2"},
                            // The exponent need not be constant.
                            {"(2 m) ^ ans", "4 m2"},
                            {"2 ^ 3", "8"},
                        });
    expectMathErrors(calc, {
                               {"(2 m) ^ 1.5", "Can't raise Length to this power"},
                               {"(2 m) ^ -1", "Can't raise Length to this power"},
                               {"(2 m) ^ (1 / 0.3)", "Can't raise Length to this power"},
                               {"(2 m) ^ sqrt(-1)", "Can't raise Length to this power"},
                               {"(2 m) ^ (10 ^ 5000)", "Can't raise Length to this power"},
                               {"2 ^ (3 m)", "Can't use Length as an exponent"},
                               {"2 ^ 3 km", "Can't use Length as an exponent"},
                               {"(2 m) ^ (3 s)", "Can't use Time as an exponent"},
                               {"(2 m) ^ 4", "No conversion found for Volume and Length"},
                               {"(2 kg) ^ 2", "No conversion found for Mass and Mass"},
                           });
}

TEST(Operators, HugePowerWithPeriodicRulesAnswersAtOnce) {
    // Length, Area, Volume, Length, ...: the quantity of m^n repeats with period 3.
    auto registry = makeTestRegistry();
    registry->addConversion("Volume * Length", "Length");
    Calculator calc(std::move(registry));
    expectResults(calc, {
                            {"(2 m) ^ 4", "16 m"},
                            {"(1 m) ^ 5", "1 m2"},
                            {"(1 m) ^ 6", "1 m3"},
                            {"(1 m) ^ 7", "1 m"},
                            {"(1 m) ^ 3000001", "1 m"},
                            // 1e300 (as read, an integer) is a multiple of 3.
                            {"(1 m) ^ 1e300", "1 m3"},
                            // 2^1001 leaves 2 when divided by 3.
                            {"(1 m) ^ (2 ^ 1001)", "1 m2"},
                        });
}

TEST(Operators, HugePowerWithAbsorbingQuantity) {
    // Mass, Area, Area, ...: the cycle starts after the first step.
    auto registry = makeTestRegistry();
    registry->addConversion("Mass * Mass", "Area");
    registry->addConversion("Area * Mass", "Area");
    Calculator calc(std::move(registry));
    expectResult(calc, "(1 kg) ^ 2", "1 m2");
    expectResult(calc, "(1 kg) ^ 3", "1 m2");
    expectResult(calc, "(1 kg) ^ 1e300", "1 m2");
}

// --- Order of evaluation, observed through a node that records its evaluations ----------------

using Log = std::vector<std::string>;

class ProbeNode : public Node {
public:
    ProbeNode(std::string name, long double value, Log& log, const Unit* unit = nullptr)
        : Node(emptyToken(), kLeafPrecedence), name_(std::move(name)), value_(value), log_(&log) {
        setUnit(unit);
    }
    std::string toString() const override { return name_; }
    long double evaluate(const Scope&) const override {
        log_->push_back(name_);
        return value_;
    }
    const Unit* resultUnit(const UnitCatalog&, const Scope&) const override {
        log_->push_back("unit " + name_);
        return unit();
    }
    NodePtr fold(FoldContext&) override { return nullptr; }

private:
    std::string name_;
    long double value_;
    Log* log_;
};

NodePtr probe(const char* name, long double value, Log& log, const Unit* unit = nullptr) {
    return std::make_unique<ProbeNode>(name, value, log, unit);
}

Token operatorToken(TokenKind kind) {
    Token token;
    token.kind = kind;
    return token;
}

template <typename NodeType>
NodePtr binary(NodePtr left, NodePtr right, TokenKind kind = TokenKind::None) {
    return std::make_unique<NodeType>(std::move(left), std::move(right), kProductPrecedence,
                                      operatorToken(kind));
}

struct OrderRow {
    const char* name;
    std::function<NodePtr(Log&)> build;
    Log expected;
    std::optional<long double> value;  // none: the evaluation fails
};

TEST(Operators, EvaluationOrder) {
    const std::vector<OrderRow> rows = {
        {"add",
         [](Log& l) { return binary<AddNode>(probe("L", 6, l), probe("R", 2, l)); },
         {"L", "R"},
         8},
        {"subtract",
         [](Log& l) { return binary<SubtractNode>(probe("L", 6, l), probe("R", 2, l)); },
         {"L", "R"},
         4},
        {"multiply",
         [](Log& l) { return binary<MultiplyNode>(probe("L", 6, l), probe("R", 2, l)); },
         {"L", "R"},
         12},
        {"divide: divisor tested, then left, then divisor again",
         [](Log& l) { return binary<DivideNode>(probe("L", 6, l), probe("R", 2, l)); },
         {"R", "L", "R"},
         3},
        {"modulo: divisor tested, divisor again, then left",
         [](Log& l) { return binary<ModuloNode>(probe("L", 7, l), probe("R", 4, l)); },
         {"R", "R", "L"},
         3},
        {"power: exponent first",
         [](Log& l) { return binary<PowerNode>(probe("L", 2, l), probe("R", 3, l)); },
         {"R", "L"},
         8},
        {"less",
         [](Log& l) { return binary<LessNode>(probe("L", 1, l), probe("R", 2, l)); },
         {"L", "R"},
         1},
        {"greater",
         [](Log& l) { return binary<GreaterNode>(probe("L", 1, l), probe("R", 2, l)); },
         {"L", "R"},
         0},
        {"less or equal",
         [](Log& l) { return binary<LessEqualNode>(probe("L", 2, l), probe("R", 2, l)); },
         {"L", "R"},
         1},
        {"greater or equal",
         [](Log& l) { return binary<GreaterEqualNode>(probe("L", 1, l), probe("R", 2, l)); },
         {"L", "R"},
         0},
        {"root: degree first",
         [](Log& l) { return binary<RootNode>(probe("L", 2, l), probe("R", 9, l)); },
         {"L", "R"},
         3},
        {"negate",
         [](Log& l) {
             return std::make_unique<NegateNode>(probe("X", 2, l), kProductPrecedence,
                                                 emptyToken());
         },
         {"X"},
         -2},
        {"conditional, true: condition then the first branch",
         [](Log& l) {
             return std::make_unique<ConditionalNode>(probe("C", 1, l), probe("T", 5, l),
                                                      probe("E", 6, l), emptyToken());
         },
         {"C", "T"},
         5},
        {"conditional, false: condition then the second branch",
         [](Log& l) {
             return std::make_unique<ConditionalNode>(probe("C", 0, l), probe("T", 5, l),
                                                      probe("E", 6, l), emptyToken());
         },
         {"C", "E"},
         6},
        {"conditional, NaN counts as true",
         [](Log& l) {
             return std::make_unique<ConditionalNode>(probe("C", NAN, l), probe("T", 5, l),
                                                      probe("E", 6, l), emptyToken());
         },
         {"C", "T"},
         5},
        {"division by zero stops after the test",
         [](Log& l) { return binary<DivideNode>(probe("L", 6, l), probe("R", 0, l)); },
         {"R"},
         std::nullopt},
        {"modulo by zero stops after the test",
         [](Log& l) { return binary<ModuloNode>(probe("L", 6, l), probe("R", 0, l)); },
         {"R"},
         std::nullopt},
        {"zeroth root stops before the radicand",
         [](Log& l) { return binary<RootNode>(probe("L", 0, l), probe("R", 9, l)); },
         {"L"},
         std::nullopt},
    };
    for (const OrderRow& row : rows) {
        SCOPED_TRACE(row.name);
        Log log;
        const NodePtr node = row.build(log);
        if (row.value) {
            EXPECT_EQ(node->evaluate(Scope{}), *row.value);
        } else {
            EXPECT_THROW(node->evaluate(Scope{}), MathError);
        }
        EXPECT_EQ(log, row.expected);
    }
}

TEST(Operators, UnitInferenceOrder) {
    const auto registry = makeTestRegistry();
    const Unit* metre = registry->findUnit("m");
    const Unit* second = registry->findUnit("s");
    struct Row {
        const char* name;
        std::function<NodePtr(Log&)> build;
        Log expected;
    };
    const std::vector<Row> rows = {
        {"product: right operand first",
         [&](Log& l) {
             return binary<MultiplyNode>(probe("L", 1, l, metre), probe("R", 1, l, metre),
                                         TokenKind::Star);
         },
         {"unit R", "unit L"}},
        {"quotient: right operand first",
         [&](Log& l) {
             return binary<DivideNode>(probe("L", 1, l, metre), probe("R", 1, l, second),
                                       TokenKind::Slash);
         },
         {"unit R", "unit L"}},
        {"sum: left operand first",
         [&](Log& l) {
             return binary<AddNode>(probe("L", 1, l, metre), probe("R", 1, l), TokenKind::Plus);
         },
         {"unit L", "unit R"}},
        {"comparison: left operand first",
         [&](Log& l) {
             return binary<LessNode>(probe("L", 1, l, metre), probe("R", 1, l, metre),
                                     TokenKind::Less);
         },
         {"unit L", "unit R"}},
        {"power with a unit: base, exponent, then the exponent's value",
         [&](Log& l) {
             return binary<PowerNode>(probe("L", 3, l, metre), probe("R", 2, l), TokenKind::Caret);
         },
         {"unit L", "unit R", "R"}},
        {"plain power: the exponent is not evaluated",
         [&](Log& l) {
             return binary<PowerNode>(probe("L", 3, l), probe("R", 2, l), TokenKind::Caret);
         },
         {"unit L", "unit R"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Log log;
        const NodePtr node = row.build(log);
        node->resultUnit(*registry, Scope{});
        EXPECT_EQ(log, row.expected);
    }
}

TEST(Operators, FirstInferredOperandReportsItsError) {
    // ans keeps the operands from being folded (folding takes the left operand first).
    Calculator calc = makeTestCalculator();
    expectMathErrors(
        calc, {
                  {"(ans m + 1 kg) * (ans s + 1 kg)", "No conversion found for Time and Mass"},
                  {"(ans m + 1 kg) / (ans s + 1 kg)", "No conversion found for Time and Mass"},
                  {"(ans m + 1 kg) + (ans s + 1 kg)", "No conversion found for Length and Mass"},
                  {"(ans m + 1 kg) < (ans s + 1 kg)", "No conversion found for Length and Mass"},
              });
}

}  // namespace
}  // namespace quantrel
