// SPDX-License-Identifier: GPL-3.0-or-later

// Products, quotients and powers whose quantity no rule names: the dimensions decide.

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

/// Units with dimensions: three base quantities and derived ones, a rule that keeps torque
/// apart from energy, and a plain-number rule.
constexpr const char* kUnits = R"(<Settings>
<Units>
  <Quantity Name="Length" Dimension="Length">
    <Unit Symbol="m">1</Unit><Unit Symbol="km">1000 m</Unit><Unit Symbol="mi">1609.344 m</Unit>
  </Quantity>
  <Quantity Name="Mass" Dimension="Mass"><Unit Symbol="kg">1</Unit><Unit Symbol="g">0.001 kg</Unit></Quantity>
  <Quantity Name="Time" Dimension="Time">
    <Unit Symbol="s">1</Unit><Unit Symbol="min">60 s</Unit><Unit Symbol="h">3600 s</Unit>
  </Quantity>
  <Quantity Name="Velocity" Dimension="Length / Time">
    <Unit Symbol="mps">1</Unit><Unit Symbol="kmh">1 km / 3600</Unit>
  </Quantity>
  <Quantity Name="Acceleration" Dimension="Velocity / Time"><Unit Symbol="mps2">1</Unit></Quantity>
  <Quantity Name="Force" Dimension="Mass * Acceleration"><Unit Symbol="N">1</Unit></Quantity>
  <Quantity Name="Energy" Dimension="Force * Length"><Unit Symbol="J">1</Unit><Unit Symbol="kJ">1000 J</Unit></Quantity>
  <Quantity Name="Torque" Dimension="Force * Length"><Unit Symbol="Nm">1</Unit></Quantity>
  <Quantity Name="Area" Dimension="Length^2"><Unit Symbol="m2">1</Unit></Quantity>
  <Quantity Name="Frequency" Dimension="1 / Time"><Unit Symbol="Hz">1</Unit></Quantity>
  <Quantity Name="Amount" Dimension="Amount"><Unit Symbol="mol">1</Unit></Quantity>
  <Quantity Name="Per amount" Dimension="1 / Amount"><Unit Symbol="permol">1</Unit></Quantity>
  <Quantity Name="Plain"><Unit Symbol="pl">1</Unit></Quantity>
  <Quantity Name="Plainer"><Unit Symbol="pr">1</Unit></Quantity>
</Units>
<Conversions>
  <Conversion Formula="Length * Length" Result="Area"/>
  <Conversion Formula="Plain * Plainer" Result="1"/>
</Conversions>
<Functions><Function Name="NA">6.02214076e23 permol</Function></Functions>
</Settings>)";

TEST(Dimensions, DecideWhereNoRuleDoes) {
    Calculator calc = test::calculatorFromXml(kUnits);
    const std::pair<const char*, const char*> rows[] = {
        {"2.5 h * 100 kmh", "250 km"},          // the quantity of that dimension
        {"70 kg * 9.81 m / s / s", "686.7 N"},  // step by step: m·kg, then m·kg/s, then N
        {"2 h * 3 Hz", "21600"},                // an empty dimension is a plain number
        {"1 mol * NA", "6.02214e+23"},
        {"2 / (4 s)", "0.5 Hz"},   // 1 / Q without a rule
        {"3 m * 2 m", "6 m2"},     // the rule still comes first
        {"2 pl * 3 pr", "6"},      // a rule whose result is a plain number
        {"(2 m) ^ 3", "8 m³"},     // a power past the rules: a derived unit
        {"3 kg * 2 m", "6 m·kg"},  // factors in the order the bases were declared
        {"1 m / (2 s) / 2 kg", "0.25 m/kg·s"},
        {"4 m / 2 kg / 2 kg", "1 m/kg²"},
        {"ans * 1 kg", "1 m/kg"},  // derived units carry on into ans
        {"2 / (2 s) / 2 s", "0.5 1/s²"},
        {"10 N * 2 m", "20 J"},  // energy was declared before torque
        {"(2 Hz) ^ 0", "1"},
    };
    for (const auto& [input, expected] : rows)
        expectResult(calc, input, expected);
}

TEST(Dimensions, RatiosArePlainNumbers) {
    // A quantity whose dimension is 1: its units are read, and "in" shows them, but a value read
    // in one is a plain number in every other respect.
    Calculator calc = test::calculatorFromXml(R"(<Settings><Units>
  <Quantity Name="Length" Dimension="Length"><Unit Symbol="m">1</Unit><Unit Symbol="km">1000 m</Unit></Quantity>
  <Quantity Name="Ratio" Dimension="1">
    <Unit Symbol="fraction">1</Unit><Unit Symbol="percent">0.01 fraction</Unit>
    <Unit Symbol="ppm">1e-6 fraction</Unit>
  </Quantity>
</Units></Settings>)");
    const std::pair<const char*, const char*> rows[] = {
        {"5 percent", "0.05"},
        {"-5 percent", "-0.05"},
        {"20 percent * 150", "30"},
        {"150 / (50 percent)", "300"},
        {"1 + 5 percent", "1.05"},
        {"50 percent + 25 percent", "0.75"},
        {"(10 percent) ^ 2", "0.01"},
        {"2 ^ (100 percent)", "2"},
        {"5 percent * 2 km", "100 m"},
        {"2 km * 5 percent", "100 m"},
        {"1 km / (2 percent)", "50 km"},
        {"3 ppm * 1 km in m", "0.003 m"},
        {"0.05 in percent", "5 percent"},
        {"1 / 8 in percent", "12.5 percent"},
        {"25 ppm in percent", "0.0025 percent"},
        {"12 percent in ppm", "120000 ppm"},
        {"ans", "0.12"},  // what "in" showed is still a plain number
        {"ans * 1 m", "0.12 m"},
        {"5 percent > 4 percent", "1"},
    };
    for (const auto& [input, expected] : rows)
        expectResult(calc, input, expected);
    expectError(calc, "1 m in percent", "Math", "Can't convert from Length to Ratio");
    expectError(calc, "5 percent in m", "Math", "Can't convert to Length");
}

TEST(Dimensions, AdditionStillNeedsOneQuantity) {
    Calculator calc = test::calculatorFromXml(kUnits);
    expectError(calc, "1 J + 1 Nm", "Math", "No conversion found for Energy and Torque");
    expectError(calc, "3 kg * 2 m + 1 m", "Math", "No conversion found for m·kg and Length");
    expectError(calc, "2 pl * 3 m", "Math", "No conversion found for Plain and Length");
    expectError(calc, "1 m < 1 s", "Math", "No conversion found for Length and Time");
}

TEST(Dimensions, HugeAndManyDimensionsFailCleanly) {
    Calculator calc = test::calculatorFromXml(kUnits);
    // Answered at once, whatever the exponent.
    expectError(calc, "(2 m) ^ 1e18", "Math", "Dimension too large");
    expectError(calc, "(2 m) ^ 121", "Math", "Dimension too large");
    expectResult(calc, "(1 m) ^ 120 / (1 m) ^ 119", "1 m");
    // Every new dimension makes one derived unit; the table has a bound.
    std::string line;
    for (std::size_t i = 1; i <= UnitCatalog::kMaxDerivedUnits + 10; ++i) {
        try {
            calc.evaluate("(1 kg) ^ " + std::to_string(i % 100 + 2) + " * (1 s) ^ " +
                          std::to_string(i / 100 + 2));
        } catch (const MathError& error) {
            line = error.what();
            break;
        }
    }
    EXPECT_EQ(line, "Too many derived units");
}

TEST(Dimensions, WithoutThemTheRulesAlone) {
    // The same settings without a Dimension attribute give the old errors.
    std::string plain = kUnits;
    for (std::size_t at; (at = plain.find(" Dimension=\"")) != std::string::npos;)
        plain.erase(at, plain.find('"', at + 12) + 1 - at);
    Calculator calc = test::calculatorFromXml(plain);
    expectError(calc, "2.5 h * 100 kmh", "Math", "No conversion found for Time and Velocity");
    expectError(calc, "2 / (4 s)", "Math", "No conversion found for 1 and Time");
    expectError(calc, "(2 m) ^ 3", "Math", "No conversion found for Area and Length");
    expectResult(calc, "3 m * 2 m", "6 m2");
    expectResult(calc, "2 pl * 3 pr", "6");
}

TEST(Dimensions, DeclarationErrorsNameTheQuantity) {
    struct Row {
        const char* quantities;
        const char* message;
        const char* location;
    };
    const Row rows[] = {
        {R"(<Quantity Name="V" Dimension="Length / Time"><Unit Symbol="v">1</Unit></Quantity>)",
         "Unknown quantity 'Length' in the dimension of 'V'", "at mem/units.xml:2, quantity 'V'"},
        {R"(<Quantity Name="A" Dimension="B"/><Quantity Name="B" Dimension="A * A"/>)",
         "Dimension of quantity 'A' depends on itself", "at mem/units.xml:2, quantity 'A'"},
        {R"(<Quantity Name="L" Dimension="L"/><Quantity Name="V" Dimension="L / * L"/>)",
         "Invalid dimension 'L / * L' for quantity 'V'", "at mem/units.xml:2, quantity 'V'"},
        {R"(<Quantity Name="L" Dimension="L"/><Quantity Name="V" Dimension="L ^ 2.5"/>)",
         "Invalid dimension 'L ^ 2.5' for quantity 'V'", "at mem/units.xml:2, quantity 'V'"},
        {R"(<Quantity Name="L" Dimension="L"/><Quantity Name="V" Dimension="L ^ 500"/>)",
         "Dimension of quantity 'V' out of range", "at mem/units.xml:2, quantity 'V'"},
        {R"(<Quantity Name="L" Dimension="L"/><Quantity Name="T" Dimension="T"/>
<Quantity Name="L" Dimension="T"/>)",
         "Quantity 'L' declared with two dimensions", "at mem/units.xml:3, quantity 'L'"},
    };
    for (const Row& row : rows) {
        test::expectSettingsFailure(
            std::string("<Units>\n") + row.quantities + "</Units>",
            std::string("Configuration error (mem/units.xml): ") + row.message, row.location);
    }
    // A dimension may name a quantity declared further on, also in a later file.
    UnitRegistry registry(5489);
    MemorySource source;
    source.add("mem/a.xml", R"(<Units><Quantity Name="V" Dimension="L / T"/></Units>)");
    source.add("mem/b.xml", R"(<Units><Quantity Name="L" Dimension="L"/>
<Quantity Name="T" Dimension="T"/></Units>)");
    loadSettings(registry, source);
    EXPECT_EQ(*registry.dimensionOf("V"), *Dimension::base(0).over(Dimension::base(1)));
}

}  // namespace
}  // namespace quantrel
