// SPDX-License-Identifier: GPL-3.0-or-later

// Notation as people write it: powers of units, superscripts, number literals, the targets
// people type, reciprocal conversions and roots, with the default library and with settings
// that keep powers as plain operators.

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

struct Row {
    const char* input;
    const char* shown;  // the result, or the error's full message
    const char* note;   // the reading note; empty: none
};

void expectRows(Calculator& calc, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        try {
            const EvaluationResult result = calc.evaluate(row.input);
            EXPECT_EQ(result.text, row.shown);
            EXPECT_EQ(result.note, row.note);
        } catch (const Error& error) {
            EXPECT_EQ(error.message(std::string_view(row.input)), row.shown);
        }
    }
}

Calculator defaultLibrary() {
    return Calculator(std::filesystem::path(QUANTREL_SOURCE_DIR "/settings"), 5489);
}

TEST(Notation, WithTheDefaultLibraryReadsWhatPeopleWrite) {
    Calculator calc = defaultLibrary();
    expectRows(calc,
               {
                   // A power after a unit raises that unit alone.
                   {"5 m^2", "5 m\u00b2", ""},
                   {"72 kg * 9.81 m/s^2", "706.32 N", ""},
                   {"3 m^2 in ft^2", "32.2917 ft^2", ""},
                   {"1000 kg/m^3 * 9.81 m/s^2 * 10 m in kPa", "98.1 kPa", ""},
                   {"3 s^-1", "3 Hz", ""},
                   {"10 cm^3 in ml", "10 ml", ""},
                   {"2 km ^ 2 in m2", "2e+06 m\u00b2", ""},
                   {"(5 m)^2", "25 m\u00b2", ""},
                   {"2 * 3 ^ 2", "18", ""},
                   {"2 ^ 3 ^ 2", "512", ""},
                   {"5 degC^2", "Math error: Can't use degC in a compound unit", ""},
                   {"5 m^1.5", "Math error: Can't raise Length to this power", ""},
                   // Superscripts.
                   {"5 m\u00b2", "5 m\u00b2", ""},
                   {"9.81 m/s\u00b2 in m/s\u00b2", "9.81 m/s\u00b2", ""},
                   {"2 m\u00b3 in l", "2000 l", ""},
                   {"3 s\u207b\u00b9", "3 Hz", ""},
                   // Number literals.
                   {"2e3+1", "2001", ""},
                   {"5eV in J", "8.01088e-19 J", ""},
                   {"1.2.3", "Parse error: Expected END near '.3'", ""},
                   {"5 + .", "Parse error: Expected EXPRESSION or CONSTANT near '.'", ""},
                   // Targets.
                   {"1 mm in in", "0.0393701 in", ""},
                   {"8 l/100 km in l/100 km", "8 l/100 km", ""},
                   {"6.3 s/m/g in s/(m*g)", "6.3 s/(m*g)", ""},
                   {"1/ly in 1/cm", "1.057e-18 1/cm", ""},
                   {"1 Pa in kg/(m*s^2)", "1 kg/(m*s^2)", ""},
                   {"5 km in m 3", "Parse error: Expected END near '3'", ""},
                   {"5 km in 3", "Parse error: Expected UNIT near '3'", ""},
                   {"5 km in m/0 s", "Math error: Division by zero", ""},
                   // Reciprocal conversions.
                   {"30 mpg in lp100km", "7.84049 l/100 km", "reciprocal conversion"},
                   {"30 mpg in l/100 km", "7.84049 l/100 km", "reciprocal conversion"},
                   {"ans in mpg", "30 mpg", "reciprocal conversion"},  // ans is what was shown
                   {"0 mpg in lp100km", "Math error: Division by zero", ""},
                   // Roots follow the dimensions.
                   {"sqrt(16 m2)", "4 m", ""},
                   {"sqrt(2 * 10 m / (9.81 m/s^2))", "1.42784 s", ""},
                   {"2 nroot (16 m2)", "4 m", ""},
                   {"cbrt(27 m3)", "3 m", ""},
                   {"sqrt(2 m)", "Math error: Can't take this root of Length", ""},
                   // Where a line reads unlike its look, the result says how it was read.
                   {"1/2 cup in 1/l", "2.11338 1/l",
                    "read as 1 / (2 cup); for 1/2 of a cup write (1/2) cup"},
                   {"5 km + 2", "5002 m",
                    "read 2 as 2 m, since a plain number counts in m; write 2 km for km"},
                   {"5 m + 2", "7 m", ""},
               });
}

/// A small library with dimensions; `units` opens its Units section.
std::string library(const std::string& units) {
    return units + R"(
  <Quantity Name="Length" Dimension="Length"><Unit Symbol="m">1</Unit><Unit Symbol="km">1000 m</Unit></Quantity>
  <Quantity Name="Time" Dimension="Time"><Unit Symbol="s">1</Unit></Quantity>
  <Quantity Name="Area" Dimension="Length^2"><Unit Symbol="m2">1</Unit><Unit Symbol="km2">1e6 m2</Unit></Quantity>
  <Quantity Name="Acceleration" Dimension="Length/Time^2"><Unit Symbol="mps2">1</Unit></Quantity>
</Units>)";
}

TEST(Notation, PowersBindToUnitsOnlyWhereTheSettingsSaySo) {
    struct Case {
        const char* units;
        std::initializer_list<Row> rows;
    };
    const Case cases[] = {
        {"<Units>",
         {{"5 m^2", "25 m2", ""},
          {"9.81 m/s^2", "96.2361 m\u00b2/s\u00b2", ""},
          {"2 km^2", "4 km2", ""},
          {"5 m\u00b2", "5 m2", ""},  // superscripts always raise the unit alone
          {"9.81 m/s\u00b2", "9.81 mps2", ""}}},
        {"<Units PowersBindToUnits=\"no\">", {{"5 m^2", "25 m2", ""}}},
        {"<Units PowersBindToUnits=\"yes\">",
         {{"5 m^2", "5 m2", ""},
          {"9.81 m/s^2", "9.81 mps2", ""},
          {"2 km^2", "2 km2", ""},
          {"2 km ^ -1 * 3 km2", "6 km", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        Calculator calc = test::calculatorFromXml(library(c.units));
        expectRows(calc, c.rows);
    }
}

TEST(Notation, TheSwitchTakesYesOrNoOnce) {
    test::expectSettingsFailure(library("<Units PowersBindToUnits=\"on\">"),
                                "Configuration error (mem/units.xml): Invalid PowersBindToUnits "
                                "value 'on'",
                                "at mem/units.xml:1");
    UnitRegistry registry(5489);
    MemorySource source;
    source.add("mem/a.xml", library("<Units PowersBindToUnits=\"yes\">"));
    source.add("mem/b.xml", "<Units PowersBindToUnits=\"no\"></Units>");
    try {
        loadSettings(registry, source);
        ADD_FAILURE() << "loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(),
                  "Configuration error (mem/b.xml): PowersBindToUnits declared with two values");
        EXPECT_EQ(error.locationText(), "at mem/b.xml:1");
    }
}

TEST(Notation, UnitsJoinedByMiddleDotsMultiply) {
    // Without dimensions a product of units needs its rule; the dots read in any settings.
    Calculator calc = test::calculatorFromXml(library("<Units>") + R"(<Units>
  <Quantity Name="Length"><Unit Symbol="in">0.0254 m</Unit></Quantity>
  <Quantity Name="Torque" Dimension="Length^2"><Unit Symbol="m·m">1</Unit></Quantity>
</Units>)");
    expectRows(calc, {
                         {"3 km·m", "3000 m2", ""},
                         {"2 m·s²", "2 m·s²", ""},
                         {"6 m2 / (2 m·s)", "3 m/s", ""},
                         {"1 m·in in m2", "0.0254 m2", ""},
                         // A name known as written keeps its meaning.
                         {"4 m·m", "4 m·m", ""},
                         // Anything but units between the dots stays one unknown name.
                         {"1 m·x", "Parse error: Expected END near 'm·x'", ""},
                         {"1 x·m", "Parse error: Expected END near 'x·m'", ""},
                         {"1 m·", "Parse error: Expected END near 'm·'", ""},
                     });
}

TEST(Notation, SettingsTextsKeepPowersAsOperators) {
    // A unit defined as "1 m^2" means (1 m)^2 whatever the switch says for input lines.
    Calculator calc = test::calculatorFromXml(library("<Units PowersBindToUnits=\"yes\">") +
                                              R"(<Units><Quantity Name="Area">
  <Unit Symbol="sq">2 m^2</Unit></Quantity></Units>)");
    expectResult(calc, "1 sq in m2", "4 m2");
    expectError(calc, "1 m^x", "Parser", "Expected EXPRESSION or CONSTANT");
}

}  // namespace
}  // namespace quantrel
