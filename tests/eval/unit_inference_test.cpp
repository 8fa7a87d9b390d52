// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::expectError;
using test::expectResult;
using test::makeTestCalculator;
using test::makeTestRegistry;

struct Row {
    const char* input;
    const char* expected;  // the result, or the Math error's text when `fails`
    bool fails = false;
};

void expectRows(Calculator& calc, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        if (row.fails) {
            expectError(calc, row.input, "Math", row.expected);
        } else {
            expectResult(calc, row.input, row.expected);
        }
    }
}

TEST(UnitInference, OperandRules) {
    Calculator calc = makeTestCalculator();
    expectRows(calc, {
                         // Same quantity in any units, and plain numbers read in reference units.
                         {"2 km + 300 m", "2.3 km"},
                         {"1 m + 1", "2 m"},
                         {"1 + 1 m", "2 m"},
                         {"5 m - 2", "3 m"},
                         {"5 m % 2", "1 m"},
                         {"7 m % 2 m", "1 m"},
                         {"2 * 3 m", "6 m"},
                         {"(6 m) / 2", "3 m"},
                         {"|-3 m|", "3 m"},
                         {"-(3 m)", "-3 m"},
                         // Functions give plain numbers whatever their argument.
                         {"sqrt(4 m2)", "2"},
                         {"floor(2.5 m)", "2"},
                         {"sq(3 m)", "9"},
                         {"2 nroot (9 m)", "3 m"},
                         {"(2 m) nroot 9", "3"},
                         // Different quantities.
                         {"1 m + 1 kg", "No conversion found for Length and Mass", true},
                         {"1 kg - 1 m", "No conversion found for Mass and Length", true},
                         {"5 m % 2 kg", "No conversion found for Length and Mass", true},
                         {"5 m > 3 kg", "No conversion found for Length and Mass", true},
                     });
}

TEST(UnitInference, ComparisonsArePlainNumbers) {
    Calculator calc = makeTestCalculator();
    expectRows(calc, {
                         {"5 m > 3 m", "1"},
                         {"1 km < 999 m", "0"},
                         {"1 km >= 1000 m", "1"},
                         {"1 m < 2", "1"},
                         {"(5 m > 3 m) + 1", "2"},
                         {"(5 m > 3 m) * 2 m", "2 m"},
                     });
}

TEST(UnitInference, ConversionRules) {
    Calculator calc = makeTestCalculator();
    expectRows(calc, {
                         {"(2 m) * (3 m)", "6 m2"},
                         // A product rule serves both orders; a quotient rule does not.
                         {"(3 m2) * (2 m)", "6 m3"},
                         {"(2 m) * (3 m2)", "6 m3"},
                         {"(10 m) / (2 s)", "5 mps"},
                         {"36 km / 1 h", "10 mps"},
                         {"1 km / 1 h", "1 kmh"},
                         {"(10 s) / (2 m)", "No conversion found for Time and Length", true},
                         {"(6 m3) / (2 m)", "No conversion found for Volume and Length", true},
                         {"(2 kg) * (3 m)", "No conversion found for Mass and Length", true},
                         {"(2 m) * (3 kg)", "No conversion found for Length and Mass", true},
                         // A quotient of one unit is a plain number.
                         {"(6 m) / (2 m)", "3"},
                         {"(6 km) / (2 m)", "3000"},
                         {"(2 min) / (30 s)", "4"},
                         // A plain number divided by a quantity takes the "1 / Q" rule.
                         {"1 / (2 s)", "0.5 Hz"},
                         {"2 / (5 s)", "0.4 Hz"},
                         {"2 / (5 kg)", "No conversion found for 1 and Mass", true},
                         {"2 / (5 m)", "No conversion found for 1 and Length", true},
                     });
}

TEST(UnitInference, QuotientRuleOfOneQuantityComesFirst) {
    auto registry = makeTestRegistry();
    registry->addConversion("Length / Length", "Frequency");
    Calculator calc(std::move(registry));
    expectResult(calc, "(6 m) / (2 m)", "3 Hz");
}

TEST(UnitInference, TargetUnit) {
    Calculator calc = makeTestCalculator();
    expectRows(calc, {
                         {"5 km in m", "5000 m"},
                         {"1 mi in km", "1.60934 km"},
                         {"0 degC in K", "273.15 K"},
                         {"100 degC in degF", "212 degF"},
                         {"300 m in km", "0.3 km"},
                         {"36 km / 1 h in mps", "10 mps"},
                         {"5 in in cm", "12.7 cm"},
                         {"5 kg in m", "Can't convert from Mass to Length", true},
                         {"(2 m) * (3 m) in m", "Can't convert from Area to Length", true},
                         {"5 in m", "Can't convert to Length", true},
                         {"(6 m) / (2 m) in m", "Can't convert to Length", true},
                         {"(5 m > 3 m) in m", "Can't convert to Length", true},
                     });
}

TEST(UnitInference, ConditionsSeeTheirContext) {
    Calculator calc = makeTestCalculator();
    expectRows(calc, {
                         {"(ans > 0) ? 1 : 2", "2"},
                         {"0", "0"},
                         {"(ans > 0) ? 1 m : 2 kg", "2 kg"},
                         {"(ans > 0) ? 1 : 2", "1"},
                         {"(ans > 0) ? 1 m : 2 kg", "1 m"},
                         // The branch not chosen is not checked.
                         {"(ans > 0) ? 1 m : (2 kg + 1 m)", "1 m"},
                         // Without brackets the condition is only the operand before "?":
                         // ans > (0 ? 1 : 2).
                         {"ans > 0 ? 1 : 2", "0"},
                     });
}

TEST(UnitInference, RandomConditionChoosesOneBranchForValueAndUnit) {
    // Seed 5489 draws 0.814724, then 0.135477: whatever the condition draws, the value and the
    // unit must come from the same branch.
    Calculator calc = makeTestCalculator(5489);
    const std::string result = calc.evaluateLine("(rnd < 0.5) ? 1 m : 2");
    EXPECT_TRUE(result == "1 m" || result == "2") << result;
}

TEST(UnitInference, UserFunctionBranchesOnItsParameter) {
    auto registry = makeTestRegistry();
    registry->defineFunction("sign", "Sign of x", "x", "(x < 0) ? -1 : 1");
    registry->defineFunction("len", "A length or a mass", "x", "(x > 0) ? x m : x kg");
    Calculator calc(std::move(registry));
    expectRows(calc, {
                         {"sign (-5)", "-1"},
                         {"sign 3", "1"},
                         {"7", "7"},
                         {"sign (0 - ans)", "-1"},
                         {"len 2", "2 m"},
                         {"len (-2)", "-2 kg"},
                     });
}

}  // namespace
}  // namespace quantrel
