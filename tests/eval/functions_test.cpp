// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "core/number_format.h"
#include "eval/node.h"
#include "eval/random.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"

namespace quantrel {
namespace {

using test::expectResult;
using test::makeTestCalculator;
using test::makeTestRegistry;

TEST(BuiltinFunctions, TableInOrder) {
    struct Row {
        const char* name;
        const char* description;
    };
    const Row rows[] = {
        {"sqrt", "Square root of x"},
        {"cbrt", "Cube root of x"},
        {"erf", "Error function"},
        {"erfc", "Complementary error function"},
        {"sin", "Sine of x"},
        {"cos", "Cosine of x"},
        {"tan", "Tangent of x"},
        {"sinh", "Hyperbolic sine of x"},
        {"cosh", "Hyperbolic cosine of x"},
        {"tanh", "Hyperbolic tangent of x"},
        {"acos", "Arc cosine of x"},
        {"asin", "Arc sine of x"},
        {"atan", "Arc tangent of x"},
        {"acosh", "Inverse hyperbolic cosine of x"},
        {"asinh", "Inverse hyperbolic sine of x"},
        {"atanh", "Inverse hyperbolic tangent of x"},
        {"log", "Natural logarithm of x"},
        {"log10", "Base-10 logarithm of x"},
        {"lgamma", "Logarithmic gamma of x"},
        {"tgamma", "Gamma function of x"},
        {"ceil", "Round x up to nearest integer"},
        {"round", "Round x to nearest integer"},
        {"trunc", "Truncate x to the integer part"},
        {"floor", "Round x down to nearest integer"},
    };
    const UnitRegistry registry(5489);
    EXPECT_EQ(registry.functions().size(), std::size(rows) + 1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Function* function = registry.findFunction(row.name);
        ASSERT_NE(function, nullptr);
        EXPECT_EQ(function->name, row.name);
        EXPECT_EQ(function->argumentCount, 1);
        EXPECT_EQ(function->parameters, "x");
        EXPECT_EQ(function->description, row.description);
        EXPECT_FALSE(function->drawsRandom);
    }
    const Function* rnd = registry.findFunction("rnd");
    ASSERT_NE(rnd, nullptr);
    EXPECT_EQ(rnd->argumentCount, 0);
    EXPECT_EQ(rnd->parameters, "");
    EXPECT_EQ(rnd->description, "Generates a pseudo-random number between [0..1]");
    EXPECT_TRUE(rnd->drawsRandom);
}

TEST(BuiltinFunctions, Values) {
    Calculator calc = makeTestCalculator();
    const std::pair<const char*, const char*> rows[] = {
        {"round(2.5)", "3"},
        {"round(-2.5)", "-3"},
        {"round(2.4)", "2"},
        {"trunc(-2.7)", "-2"},
        {"trunc(2.7)", "2"},
        {"floor(-2.5)", "-3"},
        {"ceil(-2.5)", "-2"},
        {"ceil(2.1)", "3"},
        {"cbrt(-8)", "-2"},
        {"sqrt 16", "4"},
        {"sqrt 2", "1.41421"},
        {"erf 0", "0"},
        {"erfc 0", "1"},
        {"sin 0", "0"},
        {"cos 0", "1"},
        {"tan 0", "0"},
        {"atan 1 * 4", "3.14159"},
        {"acos 1", "0"},
        {"asin 1", "1.5708"},
        {"sinh 0", "0"},
        {"cosh 0", "1"},
        {"tanh 0", "0"},
        {"acosh 1", "0"},
        {"asinh 0", "0"},
        {"atanh 0", "0"},
        {"log 1", "0"},
        {"log10 1000", "3"},
        {"tgamma 5", "24"},
        {"lgamma 1", "0"},
        // Outside the domain: the maths library's results, no error.
        {"log 0", "-inf"},
        {"atanh 1", "inf"},
        {"tgamma 0", "inf"},
    };
    for (const auto& [input, expected] : rows)
        expectResult(calc, input, expected);
    for (const char* input : {"sqrt(-1)", "acos 2", "log(-1)"}) {
        SCOPED_TRACE(input);
        const std::string result = calc.evaluateLine(input);
        EXPECT_TRUE(result == "nan" || result == "-nan") << result;
    }
}

TEST(UserFunctions, ArgumentsAreEvaluatedWhereTheyWereWritten) {
    auto registry = makeTestRegistry();
    // Passes expressions of its own parameter on to a function that passes them on again.
    registry->defineFunction("outer", "", "a", "hyp (a + 1) (a * 2)");
    registry->defineFunction("twice", "", "x", "x + x");
    Calculator calc(std::move(registry));
    const std::pair<const char*, const char*> rows[] = {
        {"hyp 3 4", "5"},
        {"sq 3", "9"},
        {"sq (hyp 3 4)", "25"},
        {"outer 2", "5"},
        {"hyp (outer 2) 12", "13"},
        {"3", "3"},
        {"hyp ans 4", "5"},
        {"3", "3"},
        {"twice (hyp ans 4)", "10"},
    };
    for (const auto& [input, expected] : rows)
        expectResult(calc, input, expected);
}

// --- Random numbers -----------------------------------------------------------------------------

TEST(RandomGenerator, ReferenceOutputForSeed5489) {
    RandomGenerator generator;
    generator.seed(5489);
    const std::uint32_t expected[] = {3499211612u, 581869302u,  3890346734u, 3586334585u,
                                      545404204u,  4161255391u, 3922919429u, 949333985u};
    for (std::uint32_t word : expected)
        EXPECT_EQ(generator.nextWord(), word);
}

TEST(RandomGenerator, MatchesTheStandardEngineAcrossRegenerations) {
    for (std::uint32_t seed : {0u, 1u, 5489u, 0xffffffffu, 1733616000u}) {
        SCOPED_TRACE(seed);
        RandomGenerator generator;
        generator.seed(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(generator.nextWord(), reference()) << "draw " << i;
        }
    }
    // The standard's check value: the 10000th word after the default seed.
    RandomGenerator generator;
    generator.seed(5489);
    for (int i = 1; i < 10000; ++i)
        generator.nextWord();
    EXPECT_EQ(generator.nextWord(), 4123659995u);
}

TEST(RandomGenerator, SeedingRestartsTheSequence) {
    RandomGenerator generator;
    generator.seed(42);
    const std::uint32_t first = generator.nextWord();
    for (int i = 0; i < 700; ++i)
        generator.nextWord();
    generator.seed(42);
    EXPECT_EQ(generator.nextWord(), first);
}

TEST(RandomGenerator, UnitIsTheWordOverTwoToThe32MinusOne) {
    RandomGenerator words;
    RandomGenerator units;
    words.seed(5489);
    units.seed(5489);
    for (int i = 0; i < 1000; ++i) {
        const long double expected = static_cast<long double>(words.nextWord()) / 4294967295.0L;
        const long double unit = units.nextUnit();
        ASSERT_EQ(unit, expected) << "draw " << i;
        ASSERT_GE(unit, 0.0L);
        ASSERT_LE(unit, 1.0L);
    }
    // The end points of the documented divisor: the words 0 and 0xffffffff give exactly 0 and 1.
    EXPECT_EQ(static_cast<long double>(0u) / 4294967295.0L, 0.0L);
    EXPECT_EQ(static_cast<long double>(0xffffffffu) / 4294967295.0L, 1.0L);
}

TEST(RandomNumbers, EachRndInALineIsDrawnOnceWhileFolding) {
    Calculator calc = makeTestCalculator(5489);
    // 3499211612 / 4294967295 and 581869302 / 4294967295.
    expectResult(calc, "rnd", "0.814724");
    expectResult(calc, "ans", "0.814724");
    expectResult(calc, "rnd", "0.135477");
    expectResult(calc, "ans", "0.135477");
    // sq uses its argument twice; the argument is one draw, folded before the call.
    expectResult(calc, "sq rnd",
                 formatNumber(3890346734.0L / 4294967295.0L * (3890346734.0L / 4294967295.0L)));
    // Two rnd in one line are two draws.
    expectResult(calc, "rnd - rnd",
                 formatNumber(3586334585.0L / 4294967295.0L - 545404204.0L / 4294967295.0L));
}

TEST(RandomNumbers, SettingsFunctionDrawsAtEachCall) {
    Calculator calc = makeTestCalculator(5489);
    // floor(0.814724 * 6) + 1, then floor(0.135477 * 6) + 1.
    expectResult(calc, "dice", "5");
    expectResult(calc, "dice", "1");
    // The body was loaded unfolded: it still draws at each evaluation.
    const Function* dice = calc.registry().findFunction("dice");
    ASSERT_NE(dice, nullptr);
    EXPECT_TRUE(dice->drawsRandom);
}

TEST(RandomNumbers, SameSeedSameSequence) {
    Calculator first = makeTestCalculator(77);
    Calculator second = makeTestCalculator(77);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(first.evaluateLine("rnd"), second.evaluateLine("rnd"));
}

// --- Folding ------------------------------------------------------------------------------------

class Folding : public ::testing::Test {
protected:
    NodePtr fold(std::string_view text) {
        const std::array<std::string_view, 1> variables{"ans"};
        const std::vector<Token> tokens = tokenize(*registry_, text, {}, variables);
        NodePtr root = Parser(tokens).parseLine();
        before_ = root->toString();
        foldToFixedPoint(root, *registry_, scope_);
        return root;
    }

    std::unique_ptr<UnitRegistry> registry_ = makeTestRegistry();
    NumberNode ans_{0, emptyToken()};
    std::array<const Node*, 1> variables_{&ans_};
    Scope scope_{{}, nullptr, variables_};
    std::string before_;
};

TEST_F(Folding, ConstantTreesBecomeOneNumber) {
    const NodePtr root = fold("(1 + 2) * 3");
    EXPECT_EQ(before_, "( 1 + 2 ) * 3");
    ASSERT_TRUE(root->isConstant());
    EXPECT_EQ(root->evaluate(scope_), 9);
    EXPECT_EQ(root->token().kind, TokenKind::None);
}

TEST_F(Folding, FoldedConstantsKeepTheirUnits) {
    const NodePtr root = fold("2 km + 300 m");
    ASSERT_TRUE(root->isConstant());
    EXPECT_EQ(root->evaluate(scope_), 2300);
    EXPECT_EQ(root->unit(), registry_->findUnit("m"));

    // A conversion stays, so that the value before it is at hand (for ans); what it converts
    // is folded.
    const NodePtr target = fold("5 km in mi");
    EXPECT_NE(dynamic_cast<const TargetNode*>(target.get()), nullptr);
    EXPECT_EQ(target->unit(), registry_->findUnit("mi"));
    EXPECT_EQ(target->toString(), "5000 / 1609.34 + 0");
    EXPECT_EQ(target->resultUnit(*registry_, scope_), registry_->findUnit("mi"));
}

TEST_F(Folding, WhatStaysUnfolded) {
    struct Row {
        const char* input;
        const char* printed;
    };
    const Row rows[] = {
        // The branches of a conditional are never folded; its condition is, so that a random
        // draw in it is made once for the value and the unit alike.
        {"(1 > 0) ? (2 + 3) : 4", "1 ? 2 + 3 : 4"},
        {"ans ? (2 + 3) : 4", "ans ? 2 + 3 : 4"},
        {"sqrt ans", "( sqrt ans )"},
        {"ans + (1 + 2)", "ans + 3"},
        {"hyp ans (1 + 2)", "( hyp ans 3 )"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const NodePtr root = fold(row.input);
        EXPECT_FALSE(root->isConstant());
        EXPECT_EQ(root->toString(), row.printed);
    }
}

TEST_F(Folding, RandomCallIsDrawnWhileFolding) {
    RandomGenerator reference;
    reference.seed(5489);
    const NodePtr root = fold("rnd");
    ASSERT_TRUE(root->isConstant());
    const long double drawn = reference.nextUnit();
    EXPECT_EQ(root->evaluate(scope_), drawn);
    EXPECT_EQ(root->evaluate(scope_), drawn);
    EXPECT_EQ(registry_->random().nextUnit(), reference.nextUnit());
}

}  // namespace
}  // namespace quantrel
