// SPDX-License-Identifier: GPL-3.0-or-later
// What the unit browser lists and how its search field filters.

#include "ui/browser_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace quantrel::ui {
namespace {

const char* const kLibrary = R"(<Settings><Units>
  <Quantity Name="Length">
    <Unit Symbol="m" Name="metre" Description="SI base unit">1</Unit>
    <Unit Symbol="km" Name="kilometre">1000 m</Unit>
    <Unit Symbol="metre" Name="metre" Display="no">1 m</Unit>
    <Unit Symbol="kilometres" Name="kilometre" Display="no">1 km</Unit>
    <Unit Symbol="x">1001 m</Unit>
  </Quantity>
  <Quantity Name="AbsorbedDose" DisplayName="Absorbed dose"><Unit Symbol="Gy" Name="gray">1</Unit>
  </Quantity>
  <Quantity Name="Temperature">
    <Unit Symbol="K" Name="kelvin">1</Unit>
    <Unit Symbol="degC" Name="degree Celsius" Shown="°C">0 degC = 273.15 K</Unit>
  </Quantity>
</Units>
<Functions>
  <Function Name="twopi" Description="Two pi">6.28318530717959</Function>
  <Function Name="half" Parameters="n" Description="Half of n">n / 2</Function>
  <Function Name="hyp2" Parameters="a b" Description="Hypotenuse">sqrt(a^2 + b^2)</Function>
</Functions></Settings>)";

TEST(BrowserGroups, OneGroupPerQuantityWithAliasesFolded) {
    const Calculator calc = test::calculatorFromXml(kLibrary);
    const std::vector<BrowserGroup> groups = browserGroups(calc);
    std::vector<std::string> titles;
    for (const BrowserGroup& group : groups)
        titles.push_back(group.title);
    // By the names the quantities are shown with.
    EXPECT_EQ(titles, (std::vector<std::string>{"Absorbed dose", "Length", "Temperature"}));
    const struct {
        std::size_t group, unit;
        const char *symbol, *shown, *name, *value;
        std::vector<std::string> aliases;
    } rows[] = {
        {1, 0, "m", "m", "metre", "", {"metre"}},
        {1, 1, "km", "km", "kilometre", "1 km = 1000 m", {"kilometres"}},
        {1, 2, "x", "x", "", "1 x = 1001 m", {}},
        {2, 1, "degC", "°C", "degree Celsius", "0 °C = 273.15 K", {}},
    };
    ASSERT_EQ(groups[1].units.size(), 3u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.symbol);
        const BrowserUnit& unit = groups[row.group].units[row.unit];
        EXPECT_EQ(unit.symbol, row.symbol);
        EXPECT_EQ(unit.shown, row.shown);
        EXPECT_EQ(unit.name, row.name);
        EXPECT_EQ(unit.value, row.value);
        EXPECT_EQ(unit.aliases, row.aliases);
    }
}

TEST(BrowserGroups, SearchBySymbolNameAliasQuantityOrDescription) {
    const Calculator calc = test::calculatorFromXml(kLibrary);
    const std::vector<BrowserGroup> groups = browserGroups(calc);
    const auto found = [&](const char* query) {
        std::vector<std::string> symbols;
        for (const BrowserGroup& group : groups) {
            for (const BrowserUnit& unit : group.units) {
                if (matchesQuery(query, group, unit)) symbols.push_back(unit.symbol);
            }
        }
        return symbols;
    };
    const struct {
        const char* query;
        std::vector<std::string> symbols;
    } rows[] = {
        {"", {"Gy", "m", "km", "x", "K", "degC"}},
        {"KM", {"km"}},                      // a symbol, case ignored
        {"celsius", {"degC"}},               // a name
        {"°C", {"degC"}},                    // the shown text
        {"kilometres", {"km"}},              // an alias
        {"absorbed", {"Gy"}},                // the quantity's display name
        {"si base", {"m"}},                  // the description, word by word
        {"length kilo", {"km"}},             // every word somewhere
        {"  temperature   kelvin ", {"K"}},  // blanks around the words
        {"mass", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.query);
        EXPECT_EQ(found(row.query), row.symbols);
    }
}

TEST(BrowserFunctions, FunctionsWithParametersAndConstantsWithValues) {
    const Calculator calc = test::calculatorFromXml(kLibrary);
    const BrowserFunctions lists = browserFunctions(calc);
    std::vector<std::string> signatures;
    for (const BrowserFunction& function : lists.functions)
        signatures.push_back(function.signature);
    EXPECT_NE(std::find(signatures.begin(), signatures.end(), "hyp2 a b"), signatures.end());
    EXPECT_NE(std::find(signatures.begin(), signatures.end(), "half n"), signatures.end());
    EXPECT_TRUE(std::is_sorted(
        lists.functions.begin(), lists.functions.end(),
        [](const BrowserFunction& a, const BrowserFunction& b) { return a.name < b.name; }));
    // rnd takes no arguments but is no constant: it draws a new number each time.
    ASSERT_EQ(lists.constants.size(), 1u);
    EXPECT_EQ(lists.constants[0].name, "twopi");
    EXPECT_EQ(lists.constants[0].value, "6.28319");
    EXPECT_EQ(lists.constants[0].description, "Two pi");
    for (const BrowserFunction& function : lists.functions)
        EXPECT_NE(function.name, "rnd");
}

}  // namespace
}  // namespace quantrel::ui
