// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion rules and user functions entered from their settings texts.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/caught_error.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::caughtError;

/// Length (m, km), Area (m2, km2) and Time (s): no rules, no user functions.
std::unique_ptr<UnitRegistry> baseRegistry() {
    auto registry = std::make_unique<UnitRegistry>(5489);
    registry->defineUnit("Length", "m", std::nullopt, "", std::string("1"));
    registry->defineUnit("Length", "km", std::nullopt, "", std::string("1000 m"));
    registry->defineUnit("Area", "m2", std::nullopt, "", std::string("1"));
    registry->defineUnit("Area", "km2", std::nullopt, "", std::string("1000000 m2"));
    registry->defineUnit("Time", "s", std::nullopt, "", std::string("1"));
    return registry;
}

TEST(Conversion, FormulaGivesLeftOperatorAndRight) {
    struct Row {
        const char* formula;
        const char* left;
        TokenKind op;
        const char* right;
    };
    const Row rows[] = {
        {"Length * Length", "Length", TokenKind::Star, "Length"},
        {"Length*Length", "Length", TokenKind::Star, "Length"},
        {"  Length /Time ", "Length", TokenKind::Slash, "Time"},
        {"1 / Time", "1", TokenKind::Slash, "Time"},
        // The kinds of the three tokens are not checked.
        {"m * m", "m", TokenKind::Star, "m"},
        {"Area + Area", "Area", TokenKind::Plus, "Area"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.formula);
        const auto registry = baseRegistry();
        registry->addConversion(row.formula, "Area");
        ASSERT_EQ(registry->conversions().size(), 1U);
        const Conversion& rule = registry->conversions().front();
        EXPECT_EQ(rule.left, row.left);
        EXPECT_EQ(rule.op, row.op);
        EXPECT_EQ(rule.right, row.right);
        EXPECT_EQ(rule.result, "Area");
        EXPECT_EQ(rule.resultReference, registry->findUnit("m2"));
    }
}

TEST(Conversion, FailuresEnterNothing) {
    struct Row {
        const char* formula;
        const char* result;
        const char* text;
    };
    const Row rows[] = {
        {"Length * Length", "Volume", "Unknown result type 'Volume'"},
        {"Length * Length", "", "Unknown result type ''"},
        {"Length * Length", "area", "Unknown result type 'area'"},
        {"Length * Length * Length", "Area", "Invalid formula format"},
        {"Square Length * Length", "Area", "Invalid formula format"},
        {"Length *", "Area", "Invalid formula format"},
        {"", "Area", "Invalid formula format"},
        {"   ", "Area", "Invalid formula format"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " -> " + row.result);
        const auto registry = baseRegistry();
        const auto error =
            caughtError<ConfigError>([&] { registry->addConversion(row.formula, row.result); });
        if (error) {
            EXPECT_EQ(error->text(), row.text);
            EXPECT_EQ(error->file(), "");
            EXPECT_EQ(error->line(), 0);
        }
        EXPECT_TRUE(registry->conversions().empty());
    }
}

TEST(Conversion, TokenizerErrorPassesUnchanged) {
    const auto registry = baseRegistry();
    const auto error =
        caughtError<TokenizerError>([&] { registry->addConversion("Length # Length", "Area"); });
    if (error) {
        EXPECT_EQ(error->position(), 7);
    }
    EXPECT_TRUE(registry->conversions().empty());
}

TEST(Conversion, FirstOfARepeatedRuleWins) {
    auto registry = baseRegistry();
    registry->defineUnit("Velocity", "mps", std::nullopt, "", std::string("1"));
    registry->addConversion("Length * Length", "Area");
    registry->addConversion("Length*Length", "Velocity");
    EXPECT_EQ(registry->conversions().size(), 2U);
    const Conversion* rule = registry->findConversion("Length", TokenKind::Star, "Length");
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->result, "Area");

    Calculator calculator(std::move(registry));
    test::expectResult(calculator, "2 km * 3 km", "6 km2");
}

/// A registry with the rules of Length and Area and two user functions.
std::unique_ptr<UnitRegistry> functionRegistry() {
    auto registry = baseRegistry();
    registry->addConversion("Length * Length", "Area");
    registry->defineFunction("sq", "Square of x", "x", "x * x");
    registry->defineFunction("two", "", "", "2");
    return registry;
}

TEST(UserFunction, ParameterTextGivesArgumentCount) {
    struct Row {
        const char* parameters;
        int count;
    };
    const Row rows[] = {
        {"", 0}, {"   ", 0}, {"x", 1}, {"x y", 2}, {" a\tb  c ", 3}, {"x x", 2},
    };
    int number = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("parameters '") + row.parameters + "'");
        const auto registry = functionRegistry();
        const std::string name = "f" + std::to_string(number++);
        const Function& function = registry->defineFunction(name, "Described", row.parameters, "1");
        EXPECT_EQ(function.argumentCount, row.count);
        EXPECT_EQ(function.parameters, row.parameters);  // kept exactly as written
        EXPECT_EQ(function.description, "Described");
        EXPECT_EQ(registry->findFunction(name), &function);
    }
}

TEST(UserFunction, FailuresEnterNothing) {
    struct Row {
        const char* name;
        const char* parameters;
        const char* body;
        const char* text;
    };
    const Row rows[] = {
        {"sqrt", "x", "x", "Function 'sqrt' already defined"},
        {"sq", "y", "y", "Function 'sq' already defined"},
        {"f", "x, y", "x", "Syntax error while parsing parameter list for function 'f'"},
        {"f", "m", "m", "Syntax error while parsing parameter list for function 'f'"},
        {"f", "x sin", "x", "Syntax error while parsing parameter list for function 'f'"},
        {"f", "in", "1", "Syntax error while parsing parameter list for function 'f'"},
        {"f", "x 2", "x", "Syntax error while parsing parameter list for function 'f'"},
        {"f", "x", "",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION near ''"},
        {"f", "x", "x +",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION or CONSTANT near ''"},
        {"f", "x", "x y", "Error while parsing function 'f': Parse error: Expected END near 'y'"},
        {"f", "x", "x in s2",
         "Error while parsing function 'f': Parse error: Expected UNIT near 's2'"},
        {"f", "", "sqrt",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION or CONSTANT (hint: "
         "sqrt takes 1 argument) near ''"},
        // No function can call itself or one entered after it.
        {"f", "x", "f x",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION or CONSTANT near "
         "'f x'"},
        {"f", "x", "x + later x",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION or CONSTANT near "
         "'later x'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " [" + row.parameters + "] " + row.body);
        const auto registry = functionRegistry();
        const std::size_t before = registry->functions().size();
        const Function* existing = registry->findFunction(row.name);
        const auto error = caughtError<ConfigError>(
            [&] { registry->defineFunction(row.name, "", row.parameters, row.body); });
        if (error) {
            EXPECT_EQ(error->text(), row.text);
            EXPECT_EQ(error->file(), "");
            EXPECT_EQ(error->line(), 0);
        }
        EXPECT_EQ(registry->functions().size(), before);
        EXPECT_EQ(registry->findFunction(row.name), existing);
    }
}

TEST(UserFunction, TokenizerAndFoldingErrorsPassUnchanged) {
    const auto registry = functionRegistry();
    const std::size_t before = registry->functions().size();
    const auto inBody =
        caughtError<TokenizerError>([&] { registry->defineFunction("f", "", "x", "x # 1"); });
    if (inBody) {
        EXPECT_EQ(inBody->position(), 2);
    }
    const auto inParameters =
        caughtError<TokenizerError>([&] { registry->defineFunction("f", "", "x @", "x"); });
    if (inParameters) {
        EXPECT_EQ(inParameters->position(), 2);
    }
    // The constant part is folded when the function is entered.
    for (const char* body : {"x + 1/0", "1 / (2 - 2)", "sq x * (1 / 0)"}) {
        SCOPED_TRACE(body);
        const auto math =
            caughtError<MathError>([&] { registry->defineFunction("f", "", "x", body); });
        if (math) {
            EXPECT_EQ(math->text(), "Division by zero");
        }
    }
    EXPECT_EQ(registry->functions().size(), before);
    EXPECT_EQ(registry->findFunction("f"), nullptr);
}

TEST(UserFunction, ConstantPartsAreFoldedOnce) {
    const auto registry = functionRegistry();
    const Function& constant = registry->defineFunction("c", "", "", "2 * (3 + 4)");
    EXPECT_TRUE(constant.body->isConstant());
    EXPECT_EQ(constant.body->toString(), "14");
    const Function& mixed = registry->defineFunction("g", "", "x", "x + 2 * 3");
    EXPECT_FALSE(mixed.body->isConstant());
    EXPECT_EQ(mixed.body->toString(), "x + 6");
    // A call that draws random numbers stays a call; the constants beside it are still folded.
    registry->defineFunction("roll", "", "", "rnd");
    const Function& random = registry->defineFunction("r", "", "", "roll * 1000 + 2 * 3");
    EXPECT_EQ(random.body->toString(), "( roll ) * 1000 + 6");
}

TEST(UserFunction, CallsSeeBuiltinsEarlierFunctionsAndUnits) {
    auto registry = functionRegistry();
    registry->defineFunction("hyp", "", "a b", "sqrt(sq a + sq b)");
    registry->defineFunction("twice", "", "x", "two * x");
    registry->defineFunction("dist", "", "x", "x km");
    Calculator calculator(std::move(registry));
    struct Row {
        const char* input;
        const char* result;
    };
    const Row rows[] = {
        {"sq 3", "9"},
        {"hyp 3 4", "5"},
        {"two", "2"},
        {"two + 1", "3"},
        {"twice two", "4"},
        {"dist 3", "3 km"},
        {"dist 3 + 500 m", "3.5 km"},
        // A parameter carries no unit: the argument enters as its value in the reference unit.
        {"sq (2 km)", "4e+06"},
    };
    for (const Row& row : rows)
        test::expectResult(calculator, row.input, row.result);
}

TEST(UserFunction, NamedLikeAUnitIsEnteredButNeverCalled) {
    auto registry = functionRegistry();
    const Function& function = registry->defineFunction("km", "", "", "42");
    EXPECT_EQ(registry->findFunction("km"), &function);
    Calculator calculator(std::move(registry));
    test::expectResult(calculator, "km", "1 km");
    test::expectResult(calculator, "3 km", "3 km");
}

TEST(UserFunction, EmptyNameIsAccepted) {
    const auto registry = functionRegistry();
    const Function& function = registry->defineFunction("", "", "", "1");
    EXPECT_EQ(registry->findFunction(""), &function);
    EXPECT_THROW(registry->defineFunction("", "", "", "2"), ConfigError);
}

/// Evaluates `input` `times` times and counts the different values of ans.
std::size_t distinctValues(Calculator& calculator, const char* input, int times) {
    std::set<long double> values;
    for (int i = 0; i < times; ++i) {
        calculator.evaluateLine(input);
        values.insert(calculator.ansValue());
    }
    return values.size();
}

TEST(UserFunction, RandomDrawsInABodyAreFreshOnEveryCall) {
    auto registry = functionRegistry();
    registry->defineFunction("roll", "", "", "rnd");
    registry->defineFunction("scaled", "", "", "roll * 1000 + 2 * 3");
    registry->defineFunction("noise", "", "x", "x + rnd");
    registry->defineFunction("squared", "", "", "sq rnd");
    Calculator calculator(std::move(registry));
    for (const char* input : {"roll", "scaled", "noise 5", "squared", "roll + roll"}) {
        SCOPED_TRACE(input);
        EXPECT_GT(distinctValues(calculator, input, 5), 1U);
    }
}

TEST(UserFunction, InputLineDrawsEachRndOnce) {
    // The argument of sq is folded before the call, so both uses of x see the same draw.
    Calculator first(functionRegistry());
    first.evaluateLine("rnd");
    const long double drawn = first.ansValue();
    Calculator second(functionRegistry());
    second.evaluateLine("sq rnd");
    EXPECT_EQ(second.ansValue(), drawn * drawn);
}

}  // namespace
}  // namespace quantrel
