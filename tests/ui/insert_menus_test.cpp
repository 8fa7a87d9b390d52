// SPDX-License-Identifier: GPL-3.0-or-later
// What the Insert menus list.

#include "ui/insert_menus.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace quantrel::ui {
namespace {

std::vector<std::string> labels(const UnitMenuGroup& group) {
    std::vector<std::string> out;
    for (const UnitMenuEntry& unit : group.units)
        out.push_back(unit.label);
    return out;
}

TEST(InsertMenus, OneUnitGroupPerQuantityWithoutRepeatedUnits) {
    Calculator calc = test::calculatorFromXml(R"(<Units>
  <Quantity Name="Length">
    <Unit Symbol="m" Name="metre">1</Unit>
    <Unit Symbol="km" Name="kilometre">1000 m</Unit>
    <Unit Symbol="metre" Name="metre" Display="no">1 m</Unit>
    <Unit Symbol="kilometres" Name="kilometre" Display="no">1 km</Unit>
    <Unit Symbol="x">1001 m</Unit>
    <Unit Symbol="mps2" Name="metre per second squared" Shown="m/s²">1002 m</Unit>
  </Quantity>
  <Quantity Name="PerAmount" DisplayName="Per mole"><Unit Symbol="permol" Shown="mol⁻¹">1</Unit>
  </Quantity>
  <Quantity Name="Temperature">
    <Unit Symbol="K" Name="kelvin">1</Unit>
    <Unit Symbol="degC" Name="degree Celsius">0 degC = 273.15 K</Unit>
    <Unit Symbol="mK" Name="mK">0.001 K</Unit>
  </Quantity>
  <Quantity Name="Angle"><Unit Symbol="rad" Name="radian">1</Unit></Quantity>
</Units>)");
    const std::vector<UnitMenuGroup> groups = unitMenuGroups(calc.quantityList());
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0].quantity, "Angle");
    EXPECT_EQ(labels(groups[0]), (std::vector<std::string>{"rad \u2014 radian"}));
    EXPECT_EQ(groups[1].quantity, "Length");
    // Aliases with the same scale go; a unit with another scale stays, also without a name.
    // A unit with a shown text is labelled with it and inserts its symbol.
    EXPECT_EQ(labels(groups[1]),
              (std::vector<std::string>{"m \u2014 metre", "km \u2014 kilometre", "x",
                                        "m/s² \u2014 metre per second squared"}));
    EXPECT_EQ(groups[1].units[1].symbol, "km");
    EXPECT_EQ(groups[1].units[3].symbol, "mps2");
    // Groups keep the key's order and show the display name, by default the name in words.
    EXPECT_EQ(groups[2].quantity, "PerAmount");
    EXPECT_EQ(groups[2].title, "Per mole");
    EXPECT_EQ(labels(groups[2]), (std::vector<std::string>{"mol⁻¹"}));
    EXPECT_EQ(groups[0].title, "Angle");
    // Same scale, other offset: a unit of its own. A name equal to the symbol is not repeated.
    EXPECT_EQ(labels(groups[3]),
              (std::vector<std::string>{"K \u2014 kelvin", "degC \u2014 degree Celsius", "mK"}));
}

TEST(InsertMenus, ConstantsApartFromFunctions) {
    const Calculator calc = test::makeTestCalculator();
    const FunctionMenus menus = functionMenus(calc.functionList(), 1000);
    EXPECT_EQ(menus.constants, (std::vector<std::string>{"dice", "rnd"}));
    EXPECT_FALSE(menus.functions.empty());
    for (const std::string name : {"dice", "rnd"})
        EXPECT_EQ(std::count(menus.functions.begin(), menus.functions.end(), name), 0) << name;
    EXPECT_TRUE(std::is_sorted(menus.functions.begin(), menus.functions.end()));
    EXPECT_EQ(menus.functions.size() + 2, calc.functionList().size());

    const FunctionMenus limited = functionMenus(calc.functionList(), 1);
    EXPECT_EQ(limited.functions.size(), 1u);
    EXPECT_EQ(limited.constants, (std::vector<std::string>{"dice"}));
}

}  // namespace
}  // namespace quantrel::ui
