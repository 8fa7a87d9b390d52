// SPDX-License-Identifier: GPL-3.0-or-later
// Closest known names for a name the calculator does not know.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

TEST(ClosestNames, OfferUnitsFunctionsAndAns) {
    const Calculator calc = test::makeTestCalculator();
    struct Row {
        const char* typed;
        std::vector<std::string> offered;
    };
    const Row rows[] = {
        {"kilometre", {"km"}},         // a unit's long name gives its symbol
        {"Kilometres", {"km"}},        // in any case, and in the plural
        {"kilometer", {"km"}},         // one transposition away
        {"hetrz", {"Hz"}},             // "hertz" with two letters swapped
        {"sqr", {"sq", "sqrt"}},       // one letter off: every name that close
        {"an", {"in", "ans", "tan"}},  // a unit, the variable and a function, shorter first
        {"mtr", {"m"}},                // nothing a letter off: the symbol it begins with
        {"kmhh", {"kmh"}},             // the longest name it begins with
        {"Kmhh", {"kmh"}},             // a first capital counts for nothing
        {"hzz", {"Hz"}},               // the same
        {"MMM", {"mm"}},               // close only in another case: better than nothing
        {"zzzz", {}},                  // nothing like it
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(calc.closestNames(row.typed), row.offered);
    }
    EXPECT_EQ(calc.closestNames("an", 2), (std::vector<std::string>{"in", "ans"}));
}

TEST(ClosestNames, OnlyForANameThatIsNotKnown) {
    Calculator calc = test::makeTestCalculator();
    const auto unknownIn = [&](const char* line) -> std::optional<std::string> {
        try {
            calc.evaluate(line);
        } catch (const Error& error) {
            return Calculator::unknownName(error);
        }
        return std::nullopt;
    };
    EXPECT_EQ(unknownIn("2 kilometre"), "kilometre");
    EXPECT_EQ(unknownIn("5 km in furlong"), "furlong");
    EXPECT_EQ(unknownIn("foo + 1"), "foo");
    EXPECT_EQ(unknownIn("2 km m"), std::nullopt);  // known names in the wrong place
    EXPECT_EQ(unknownIn("1 +"), std::nullopt);
    EXPECT_EQ(unknownIn("1 / 0"), std::nullopt);
}

}  // namespace
}  // namespace quantrel

namespace quantrel {
namespace {

TEST(Completions, InATargetOfferOnlyUnits) {
    const Calculator calc = test::makeTestCalculator();
    EXPECT_EQ(calc.completions("s"), (std::vector<std::string>{"sin", "sinh", "sq", "sqrt", "s"}));
    EXPECT_EQ(calc.completions("s", true), std::vector<std::string>{"s"});
    const std::pair<const char*, bool> rows[] = {
        {"5 km in ", true},        {"60 mi / h in km/", true}, {"1 m in ft + ", true},
        {"9 mps in m/s^2 ", true}, {"5 km + ", false},         {"sqrt ", false},
        {"5 in ", true},           {"(1 in m) + ", false},     {"5 # in ", false},
    };
    for (const auto& [before, inTarget] : rows) {
        SCOPED_TRACE(before);
        EXPECT_EQ(calc.isInTarget(before), inTarget);
    }
}

}  // namespace
}  // namespace quantrel
