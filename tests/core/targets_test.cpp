// SPDX-License-Identifier: GPL-3.0-or-later

// Units written side by side, mixed units in input and output, compound targets after "in",
// and what ans keeps after each.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/calculator.h"
#include "settings/settings_loader.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::expectError;
using test::expectResult;

/// Base and derived quantities with dimensions; torque is its own quantity beside energy.
constexpr const char* kUnits = R"(<Units>
  <Quantity Name="Length" Dimension="Length"><Unit Symbol="m">1</Unit><Unit Symbol="km">1000 m</Unit>
    <Unit Symbol="cm">0.01 m</Unit><Unit Symbol="mi">1609.344 m</Unit><Unit Symbol="ft">0.3048 m</Unit>
    <Unit Symbol="in">0.0254 m</Unit></Quantity>
  <Quantity Name="Mass" Dimension="Mass"><Unit Symbol="kg">1</Unit><Unit Symbol="g">0.001 kg</Unit></Quantity>
  <Quantity Name="Time" Dimension="Time"><Unit Symbol="s">1</Unit><Unit Symbol="min">60 s</Unit>
    <Unit Symbol="h">3600 s</Unit><Unit Symbol="d">86400 s</Unit></Quantity>
  <Quantity Name="Temperature" Dimension="Temperature"><Unit Symbol="K">1</Unit>
    <Unit Symbol="degC">0 degC = 273.15 K</Unit>
    <Unit Symbol="degF">32 degF = 273.15 K, 212 degF = 373.15 K</Unit></Quantity>
  <Quantity Name="Velocity" Dimension="Length / Time"><Unit Symbol="mps">1</Unit></Quantity>
  <Quantity Name="Acceleration" Dimension="Velocity / Time"><Unit Symbol="mps2">1</Unit></Quantity>
  <Quantity Name="Force" Dimension="Mass * Acceleration"><Unit Symbol="N">1</Unit></Quantity>
  <Quantity Name="Energy" Dimension="Force * Length"><Unit Symbol="J">1</Unit></Quantity>
  <Quantity Name="Torque" Dimension="Force * Length"><Unit Symbol="Nm">1</Unit></Quantity>
  <Quantity Name="Power" Dimension="Energy / Time"><Unit Symbol="W">1</Unit><Unit Symbol="kW">1000 W</Unit></Quantity>
  <Quantity Name="Dose" Dimension="Energy / Mass"><Unit Symbol="Gy">1</Unit></Quantity>
</Units>)";

Calculator calculator() {
    return test::calculatorFromXml(kUnits);
}

struct Row {
    const char* input;
    const char* shown;
    const char* ans;  // the next line "ans" shows; empty: not checked
};

void expectRows(Calculator& calc, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        expectResult(calc, row.input, row.shown);
        if (*row.ans != '\0') expectResult(calc, "ans", row.ans);
    }
}

TEST(CompoundTargets, ConvertToProductsAndQuotientsOfUnits) {
    Calculator calc = calculator();
    expectRows(
        calc,
        {
            {"60 mi / h in km/h", "96.5606 km/h", "26.8224 mps"},
            {"60 mi/h in km / h", "96.5606 km/h", ""},  // blanks around "/" are dropped
            {"9.81 m/s/s in km/h^2", "127138 km/h^2", "9.81 mps2"},
            {"9.81 mps2 in m/s ^ 2", "9.81 m/s^2", ""},
            {"3 kW * 2 h in kW h", "6 kW h", "2.16e+07 J"},  // a blank between units stays one
            {"1 J in kg*m^2/s^2", "1 kg*m^2/s^2", ""},
            {"1 Gy in J/kg", "1 J/kg", ""},  // another quantity of the same dimension
            {"2 m * 3 m in cm cm", "60000 cm cm", ""},
            {"1 mps in m s^-1", "1 m s^-1", ""},
            {"5 km in mi", "3.10686 mi", "5 km"},  // one symbol: the plain conversion
        });
}

TEST(CompoundTargets, WithoutDimensionsFollowTheRulesLeftToRight) {
    Calculator calc = test::makeTestCalculator();  // rules only, no dimensions
    expectRows(calc,
               {
                   {"60 mi / h in km/h", "96.5606 km/h", "26.8224 mps"},  // Length / Time: Velocity
                   {"2 ha in m*m", "20000 m*m", ""},                      // Length * Length: Area
                   {"1 m3 in m2 m", "1 m2 m", ""},                        // Area * Length: Volume
               });
    expectError(calc, "1 m3 in m m", "Math", "Can't convert from Volume to Area");
    expectResult(calc, "1 m3 in m m m", "1 m m m");
    expectError(calc, "1 kg in kg/s", "Math", "No conversion found for Mass and Time");
}

TEST(CompoundTargets, RefuseWhatDoesNotFit) {
    Calculator calc = calculator();
    expectResult(calc, "7 m", "7 m");
    expectError(calc, "3 m in km/h", "Math", "Can't convert from Length to Velocity");
    expectError(calc, "3 K / 1 s in degC/s", "Math", "Can't use degC in a compound unit");
    expectError(calc, "3 m / 1 s in m * zz", "Parser", "Expected UNIT");
    expectError(calc, "3 m / 1 s in m /", "Parser", "Expected UNIT");
    expectError(calc, "3 m in m ^ 1.5", "Parser", "Expected whole number");
    expectError(calc, "3 m in m ^ x", "Parser", "Expected whole number");
    expectError(calc, "3 m in m 3", "Parser", "Expected END");
    expectResult(calc, "ans", "7 m");  // every failure leaves ans alone
}

TEST(SideBySideUnits, Multiply) {
    Calculator calc = calculator();
    expectRows(calc, {
                         {"1 N m", "1 J", ""},  // energy, declared first for its dimension
                         {"1 N m in Nm", "1 Nm", "1 J"},
                         {"3 kW h", "1.08e+07 J", ""},
                         {"2 kg m / s", "2 m·kg/s", ""},
                         {"10 N * 2 m in Nm", "20 Nm",
                          "20 J"},  // one symbol, another quantity, one dimension
                     });
    expectError(calc, "1 J + 1 Nm", "Math", "No conversion found for Energy and Torque");
    expectError(calc, "|3| km", "Parser", "Expected END");
}

TEST(MixedUnits, InInputFormOneOperand) {
    Calculator calc = calculator();
    expectRows(calc, {
                         {"1 h 20 min", "80 min", ""},
                         {"1 h 20 min * 2", "160 min", ""},
                         {"2 * 1 h 20 min", "160 min", ""},
                         {"5 ft 3 in in cm", "160.02 cm", ""},
                         {"-1 h 30 min", "-90 min", ""},  // the sign belongs to every part
                         {"1 d 2 h 3 min 4 s in s", "93784 s", ""},
                     });
    expectError(calc, "1 h 20 m", "Math", "No conversion found for Time and Length");
    expectError(calc, "5 km 3", "Parser", "Expected END");
}

TEST(MixedUnits, InOutputSplitIntoWholeParts) {
    Calculator calc = calculator();
    expectRows(
        calc,
        {
            {"100000 s in d + h + min + s", "1 d + 3 h + 46 min + 40 s", "100000 s"},
            {"1.8 m in ft + in", "5 ft + 10.8661 in", "1.8 m"},
            {"2 h in h + min", "2 h", ""},                 // zero parts are left out
            {"0 s in h + min", "0 min", ""},               // at least one part is shown
            {"3599.9999999 s in h + min + s", "1 h", ""},  // a remainder that rounds up carries
            // The sign stands before all the parts: "-1 h + 30 min" would read as -30 min.
            {"-100000 s in d + h + min + s", "-(1 d + 3 h + 46 min + 40 s)", "-100000 s"},
            {"-1.5 h in h + min", "-(1 h + 30 min)", ""},
            {"-30 min in h + min", "-30 min", ""},
            {"12 in in ft + in", "1 ft", ""},
        });
    expectError(calc, "3 m in ft + s", "Math", "Can't convert from Length to Time");
    expectError(calc, "300 K in degC + K", "Math", "Can't use degC in a mixed unit");
    expectError(calc, "3 m in ft + 2", "Parser", "Expected UNIT");
}

TEST(AnsAfterConversion, KeepsTheValueBeforeTheConversion) {
    Calculator calc = test::makeTestCalculator();
    expectRows(calc, {
                         {"2e-12 K in degF", "-459.67 degF", "2e-12 K"},
                         {"5 km in mi", "3.10686 mi", "5 km"},
                         {"100 degC in degF", "212 degF", "100 degC"},
                     });
}

TEST(Digits, ChangeTheNumberNotTheUnit) {
    Calculator calc = test::makeTestCalculator();
    const std::pair<int, const char*> rows[] = {
        // The unit is the one chosen with six digits, whatever the precision.
        {1, "3e+05 mm"},
        {6, "333333 mm"},
        {12, "333333.333333 mm"},
        {18, "333333.333333333314 mm"},
    };
    for (const auto& [digits, shown] : rows) {
        SCOPED_TRACE(digits);
        calc.setNumberFormat(NumberFormat(digits));
        expectResult(calc, "1 km / 3", shown);
    }
    calc.setNumberFormat(NumberFormat(12));
    expectResult(calc, "5 km in mi", "3.10685596119 mi");
    expectResult(calc, "1.8 m in ft + in", "5 ft + 10.8661417323 in");
}

}  // namespace
}  // namespace quantrel
