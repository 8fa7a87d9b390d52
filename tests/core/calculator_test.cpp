// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/calculator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "core/display_choice.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::expectError;
using test::expectResult;
using test::makeTestCalculator;
using test::makeTestRegistry;

// --- ans ----------------------------------------------------------------------------------------

TEST(CalculatorAns, StartsAtPlainZero) {
    Calculator calc = makeTestCalculator();
    EXPECT_EQ(calc.ansUnit(), nullptr);
    expectResult(calc, "ans", "0");
    expectResult(calc, "ans + 1 m", "1 m");
}

TEST(CalculatorAns, CarriesTheQuantityInItsReferenceUnit) {
    Calculator calc = makeTestCalculator();
    expectResult(calc, "2 km", "2 km");
    EXPECT_EQ(calc.ansValue(), 2000);
    ASSERT_NE(calc.ansUnit(), nullptr);
    EXPECT_EQ(calc.ansUnit()->symbol, "m");
    expectResult(calc, "ans", "2 km");
    expectResult(calc, "ans in m", "2000 m");
    expectResult(calc, "ans + 1 m", "2001 m");
    expectResult(calc, "ans * 1 m", "2001 m2");
}

TEST(CalculatorAns, PlainResultDropsTheUnit) {
    Calculator calc = makeTestCalculator();
    expectResult(calc, "2 km", "2 km");
    expectResult(calc, "3", "3");
    EXPECT_EQ(calc.ansUnit(), nullptr);
    expectResult(calc, "ans", "3");
    expectResult(calc, "(4 m) / (2 m)", "2");
    EXPECT_EQ(calc.ansUnit(), nullptr);
}

TEST(CalculatorAns, TargetUnitKeepsTheSameQuantity) {
    Calculator calc = makeTestCalculator();
    expectResult(calc, "5 km in mi", "3.10686 mi");
    EXPECT_EQ(calc.ansValue(), 5000);
    ASSERT_NE(calc.ansUnit(), nullptr);
    EXPECT_EQ(calc.ansUnit()->symbol, "m");
    expectResult(calc, "ans in km", "5 km");
    expectResult(calc, "20 degC in degF", "68 degF");
    expectResult(calc, "ans in degC", "20 degC");
    expectResult(calc, "ans", "20 degC");
}

TEST(CalculatorAns, FailedLinesLeaveAnsAlone) {
    struct Row {
        const char* input;
        const char* category;
        const char* text;
    };
    const Row rows[] = {
        {"2 + #", "Tokenizer", "Syntax error"},
        {"2 +", "Parser", "Expected EXPRESSION or CONSTANT"},
        {"(2", "Parser", "Expected right parenthesis"},
        {"1 / 0", "Math", "Division by zero"},
        {"1 m + 1 kg", "Math", "No conversion found for Length and Mass"},
        // Not folded: the value is computed, then the unit check fails.
        {"ans + 1 kg", "Math", "No conversion found for Length and Mass"},
        {"ans in kg", "Math", "Can't convert from Length to Mass"},
        {"(ans / ans) in m", "Math", "Can't convert to Length"},
        {"1 / (ans - ans)", "Math", "Division by zero"},
    };
    Calculator calc = makeTestCalculator();
    expectResult(calc, "2 km", "2 km");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        expectError(calc, row.input, row.category, row.text);
        EXPECT_EQ(calc.ansValue(), 2000);
        ASSERT_NE(calc.ansUnit(), nullptr);
        EXPECT_EQ(calc.ansUnit()->symbol, "m");
    }
    expectResult(calc, "ans", "2 km");
}

TEST(CalculatorAns, NoVariableIsCreatedByALine) {
    Calculator calc = makeTestCalculator();
    expectError(calc, "x", "Parser", "Expected EXPRESSION or CONSTANT");
    expectError(calc, "Ans", "Parser", "Expected EXPRESSION or CONSTANT");
}

// --- Display unit -------------------------------------------------------------------------------

TEST(CalculatorDisplay, ShortestTextWins) {
    Calculator calc = makeTestCalculator();
    const std::pair<const char*, const char*> rows[] = {
        {"1000 m", "1 km"},
        {"2 km + 300 m", "2.3 km"},
        {"0.01 m", "1 cm"},
        {"1609.344 m", "1 mi"},
        {"12 in", "1 ft"},
        {"1 l", "1 l"},
        {"3600 s", "1 h"},
        {"9000 s", "150 min"},
        // Zero is "0" in every unit without an offset: the first unit.
        {"0 km", "0 m"},
        {"0 h", "0 s"},
        {"0 K", "0 K"},
        // Offsets: the shown number is the value converted into the unit.
        {"0 degC", "0 degC"},
        {"310.15 K", "37 degC"},
        {"300 K", "300 K"},
        {"212 degF", "100 degC"},
        // Scientific texts compare by length: "1e+10" and "1e+07" tie, the earlier unit wins.
        {"1e10 m", "1e+10 m"},
        {"1e-9 m", "1e-09 m"},
        // A quantity with one unit always shows it.
        {"1 / (3 s)", "0.333333 Hz"},
        {"1 / (1e-9 s)", "1e+09 Hz"},
        // Units of a rule's result quantity take part as well.
        {"(2 km) * (3 km)", "6 km2"},
        {"36 km / 1 h", "10 mps"},
        {"3.6 km / 1 h", "1 mps"},
        {"7.2 km / 1 h", "2 mps"},
        {"1 km / 1 h", "1 kmh"},
    };
    for (const auto& [input, expected] : rows)
        expectResult(calc, input, expected);
}

TEST(CalculatorDisplay, ChooseDisplayUnitTiesAndScientificTexts) {
    UnitRegistry registry(1);
    const Unit& a = registry.enterUnit("Q", "a", 1, 0);
    const Unit& b = registry.enterUnit("Q", "b", 2, 0);
    registry.enterUnit("Q", "c", 2, 0);
    registry.enterUnit("Q", "d", 7, 0);
    struct Row {
        long double value;
        const char* expected;
    };
    const Row rows[] = {
        {14, "b"},       // a "14", b "7", c "7" and d "2" tie with b
        {0, "a"},        // "0" everywhere
        {21, "d"},       // a "21", b "10.5", d "3"
        {7.7e10L, "a"},  // a "7.7e+10", b "3.85e+10", d "1.1e+10": the tie keeps a
        {1, "a"},
    };
    const DisplayChooser chooser(registry);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(chooser.choose(row.value, b).symbol, row.expected);
    }
    EXPECT_EQ(toDisplay(14, b), 7);
    EXPECT_EQ(&chooser.choose(14, a), &b);
}

TEST(CalculatorDisplay, TheNaturalChoiceBySizeKeepsTheDefinitionOrderForTies) {
    UnitRegistry registry(1);
    registry.enterUnit("Q", "a", 1, 0);
    registry.enterUnit("Q", "k", 1000, 0);
    registry.enterUnit("Q", "f", 5000, 0);
    registry.enterUnit("Q", "g", 1000, 0);  // the size of k, listed after it
    registry.enterUnit("Q", "h", 1e-6L, 0).displayed = false;
    registry.setDisplayChoice("Q", UnitCatalog::DisplayChoice::Natural);
    registry.enterUnit("T", "K", 1, 0);
    registry.enterUnit("T", "C", 1, -273.15L);  // an offset: looked at in definition order
    registry.setDisplayChoice("T", UnitCatalog::DisplayChoice::Natural);
    const Unit& a = *registry.findUnit("a");
    const Unit& kelvin = *registry.findUnit("K");
    const struct {
        const Unit& unit;
        long double value;
        const char* expected;
    } rows[] = {
        {a, 5000, "k"},     // k "5" and f "1" are as short: k is listed first
        {a, 2000, "k"},     // k and g both "2"
        {a, 25000, "f"},    // f "5", k "25"
        {a, 1e-5L, "a"},    // h would be "10" but is not displayed; a "1e-05" is the only text
        {a, 0, "a"},        // "0" everywhere
        {a, -3000, "k"},    // the sign changes nothing
        {a, 1234.5L, "a"},  // exact "1234.5" against k's "1.2345"
        {kelvin, 310.15L, "C"},
        {kelvin, 300, "K"},
    };
    const DisplayChooser chooser(registry);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(chooser.choose(row.value, row.unit).symbol, row.expected);
    }
}

// --- Name queries -------------------------------------------------------------------------------

TEST(CalculatorNames, CompletionsListAnsThenFunctionsThenUnits) {
    auto registry = makeTestRegistry();
    registry->defineUnit("Area", "sq", std::string("square"), "Both a unit and a function",
                         std::string("1 m2"));
    Calculator calc(std::move(registry));
    using Names = std::vector<std::string>;
    struct Row {
        const char* prefix;
        Names expected;
    };
    const Row rows[] = {
        {"a", {"ans", "acos", "acosh", "asin", "asinh", "atan", "atanh"}},
        {"an", {"ans"}},
        {"ans", {"ans"}},
        {"ansx", {}},
        {"m", {"m", "m2", "m3", "mi", "min", "mm", "mps"}},
        {"k", {"kg", "km", "km2", "kmh"}},
        {"K", {"K"}},
        {"log", {"log", "log10"}},
        {"sq", {"sq", "sqrt", "sq"}},
        {"s", {"sin", "sinh", "sq", "sqrt", "s", "sq"}},
        {"zz", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.prefix);
        EXPECT_EQ(calc.completions(row.prefix), row.expected);
    }
    const Names all = calc.completions("");
    const std::size_t total =
        1 + calc.registry().functions().size() + calc.registry().units().size();
    ASSERT_EQ(all.size(), total);
    EXPECT_EQ(all.front(), "ans");
    EXPECT_EQ(all[1], "acos");
    EXPECT_EQ(all[calc.registry().functions().size() + 1], "Hz");
}

TEST(CalculatorNames, Describe) {
    auto registry = makeTestRegistry();
    registry->defineUnit("Area", "sq", std::string("square"), "Both a unit and a function",
                         std::string("1 m2"));
    registry->defineUnit("Length", "xu", std::nullopt, "A unit without a name", std::string("2 m"));
    Calculator calc(std::move(registry));
    struct Row {
        const char* name;
        HintKind kind;
        const char* title;
        const char* detail;
        const char* description;
    };
    const Row rows[] = {
        {"ans", HintKind::Variable, "ans", "", "Result of the previous calculation"},
        {"Ans", HintKind::None, "", "", ""},
        {"m", HintKind::Unit, "metre (m)", "", "The metre"},
        {"degC", HintKind::Unit, "degree Celsius (degC)", "", "The degree Celsius"},
        {"xu", HintKind::Unit, " (xu)", "", "A unit without a name"},
        {"sq", HintKind::Unit, "square (sq)", "", "Both a unit and a function"},
        {"sqrt", HintKind::Function, "sqrt", "x", "Square root of x"},
        {"tgamma", HintKind::Function, "tgamma", "x", "Gamma function of x"},
        {"hyp", HintKind::Function, "hyp", "a b", "Hypotenuse"},
        {"rnd", HintKind::Function, "rnd", "", "Generates a pseudo-random number between [0..1]"},
        {"nothing", HintKind::None, "", "", ""},
        {"", HintKind::None, "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const HintInfo info = calc.describe(row.name);
        EXPECT_EQ(info.kind, row.kind);
        EXPECT_EQ(info.title, row.title);
        EXPECT_EQ(info.detail, row.detail);
        EXPECT_EQ(info.description, row.description);
    }
}

TEST(CalculatorSettings, MissingDirectoryGivesBuiltinsOnly) {
    test::TemporaryDirectory directory;
    Calculator calc(directory.path() / "absent", 5489);
    EXPECT_EQ(calc.registry().functions().size(), 25u);
    EXPECT_TRUE(calc.registry().units().empty());
    expectResult(calc, "rnd", "0.814724");
    expectResult(calc, "sqrt 16 + ans", "4.81472");
}

}  // namespace
}  // namespace quantrel
