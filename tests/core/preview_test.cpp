// SPDX-License-Identifier: GPL-3.0-or-later
// The side-effect-free evaluation behind the live result, and the listing of quantities.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::makeTestCalculator;

TEST(CalculatorPreview, ShowsWhatEvaluateWouldAndLeavesAnsAlone) {
    struct Row {
        const char* input;
        const char* shown;  // nullptr: no preview
    };
    const Row rows[] = {
        {"2 km + 300 m", "2.3 km"},
        {"ans * 2", "4 km"},  // ans is 2 km throughout
        {"ans in m", "2000 m"},
        {"100000 s in h + min + s", "27 h + 46 min + 40 s"},
        {"hyp 3 4", "5"},
        {"2 km +", nullptr},  // not finished yet
        {"1 / 0", nullptr},
        {"1 m + 1 kg", nullptr},
        {"2 + #", nullptr},
        {"", nullptr},
        // Lines that draw random numbers are only evaluated for real.
        {"rnd", nullptr},
        {"1 + rnd * 0", nullptr},
        {"dice", nullptr},
        {"sq dice", nullptr},
    };
    Calculator calc = makeTestCalculator();
    ASSERT_EQ(calc.evaluateLine("2 km"), "2 km");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const std::optional<EvaluationResult> preview = calc.preview(row.input);
        if (row.shown == nullptr) {
            EXPECT_FALSE(preview.has_value());
        } else {
            ASSERT_TRUE(preview.has_value());
            EXPECT_EQ(preview->text, row.shown);
        }
        EXPECT_EQ(calc.ansValue(), 2000);
        ASSERT_NE(calc.ansUnit(), nullptr);
        EXPECT_EQ(calc.ansUnit()->symbol, "m");
    }
    // The previewed text is what evaluating gives, and the evaluation does move ans.
    EXPECT_EQ(calc.evaluateLine("ans * 2"), "4 km");
    EXPECT_EQ(calc.ansValue(), 4000);
}

TEST(CalculatorPreview, DrawsNoRandomNumbers) {
    Calculator previewed = makeTestCalculator(7);
    Calculator untouched = makeTestCalculator(7);
    for (const char* line : {"rnd", "dice", "rnd + rnd"})
        EXPECT_FALSE(previewed.preview(line).has_value());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(previewed.evaluateLine("rnd"), untouched.evaluateLine("rnd"));
}

TEST(CalculatorPreview, FollowsTheNumberFormat) {
    Calculator calc = makeTestCalculator();
    calc.setNumberFormat(NumberFormat(10));
    ASSERT_TRUE(calc.preview("1 / 3").has_value());
    EXPECT_EQ(calc.preview("1 / 3")->text, "0.3333333333");
}

TEST(CalculatorNames, QuantityListHasUnitsInDefinitionOrder) {
    const Calculator calc = makeTestCalculator();
    const std::vector<QuantityEntry> quantities = calc.quantityList();
    std::vector<std::string> names;
    for (const QuantityEntry& quantity : quantities)
        names.push_back(quantity.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Area", "Frequency", "Length", "Mass", "Temperature",
                                               "Time", "Velocity", "Volume"}));
    const QuantityEntry& temperature = quantities[4];
    ASSERT_EQ(temperature.units.size(), 3u);
    EXPECT_EQ(temperature.units[0].symbol, "K");
    EXPECT_EQ(temperature.units[1].symbol, "degC");
    EXPECT_EQ(temperature.units[1].name, "degree Celsius");
    EXPECT_EQ(temperature.units[1].scale, 1);
    EXPECT_NEAR(static_cast<double>(temperature.units[1].offset), -273.15, 1e-9);
    const QuantityEntry& length = quantities[2];
    EXPECT_EQ(length.units[0].symbol, "m");
    EXPECT_EQ(length.units[1].symbol, "km");
    EXPECT_EQ(length.units[1].scale, 1000);
}

}  // namespace
}  // namespace quantrel
