// SPDX-License-Identifier: GPL-3.0-or-later
// The queries about units the front ends share: what a target can take, what a value converts
// to, and quantities found by the names people write. Run against the default library, whose
// quantities declare dimensions.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/calculator.h"

namespace quantrel {
namespace {

const Calculator& library() {
    static const Calculator calculator(std::filesystem::path(QUANTREL_SOURCE_DIR) / "settings", 1);
    return calculator;
}

using Names = std::vector<std::string>;

TEST(TargetCompletions, OfferTheUnitsThatFitFirst) {
    const struct {
        const char* before;
        const char* prefix;
        Names fitting;
        bool others;  // whether units that do not fit follow
    } rows[] = {
        {"60 mph in ", "k", {"kmh", "kmph", "kmps", "kn", "knot", "knots", "kph"}, true},
        // The factor a compound target lacks: Length / ? = Velocity, so a time.
        {"60 mph in km/", "h", {"h", "hour", "hours", "hr"}, true},
        {"1 kWh in kW*", "h", {"h", "hour", "hours", "hr"}, true},
        // The target as the parser reads it, numbers too.
        {"60 mph in 1000 m/", "h", {"h", "hour", "hours", "hr"}, true},
        {"1 l in l/100 km*",
         "k",
         {"kilometer", "kilometers", "kilometre", "kilometres", "km", "kpc"},
         true},
        {"1 J in kg*m\u00b2/s/", "h", {"h", "hour", "hours", "hr"}, true},
        {"1 J in kg*m^2/s^2*", "h", {}, true},  // complete already: only a plain number fits
        {"1 W in J/", "mil", {"millennium", "millisecond", "milliseconds"}, true},
        {"100000 s in d + h + ",
         "mi",
         {"millennium", "millisecond", "milliseconds", "min", "minute", "minutes"},
         true},
        {"5 in ", "percen", {"percent"}, false},
        // What does not evaluate fits nothing; the units come as they are.
        {"sqrt( in ", "kn", {}, true},
        {"2 kg in m^", "kn", {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.before) + "|" + row.prefix);
        const Calculator::TargetCompletions completions =
            library().targetCompletions(row.before, row.prefix);
        const Names fitting(
            completions.names.begin(),
            completions.names.begin() + static_cast<std::ptrdiff_t>(completions.fitting));
        EXPECT_EQ(fitting, row.fitting);
        EXPECT_EQ(completions.names.size() > completions.fitting, row.others);
        for (const std::string& name : completions.names)
            EXPECT_TRUE(name.starts_with(row.prefix)) << name;
    }
}

TEST(TargetCompletions, AnEmptyNameGetsOnlyTheFittingUnits) {
    const Calculator::TargetCompletions times = library().targetCompletions("60 mph in km/", "");
    EXPECT_EQ(times.names.size(), times.fitting);
    EXPECT_NE(std::find(times.names.begin(), times.names.end(), "min"), times.names.end());
    EXPECT_EQ(std::find(times.names.begin(), times.names.end(), "km"), times.names.end());
    EXPECT_TRUE(library().targetCompletions("sqrt( in ", "").names.empty());
}

TEST(ConformableUnits, ListTheOwnQuantityFirstAndShownUnitsBeforeTheOthers) {
    const std::optional<std::vector<UnitEntry>> velocity = library().conformableUnits("60 mph");
    ASSERT_TRUE(velocity.has_value());
    EXPECT_EQ(velocity->front().symbol, "mps");
    EXPECT_TRUE(std::is_partitioned(velocity->begin(), velocity->end(),
                                    [](const UnitEntry& unit) { return unit.displayed; }));
    EXPECT_FALSE(velocity->back().displayed);
    for (const UnitEntry& unit : *velocity)
        EXPECT_EQ(unit.quantity, "Velocity") << unit.symbol;

    // Another quantity of the same dimension converts too, after the value's own.
    const std::optional<std::vector<UnitEntry>> dose = library().conformableUnits("1 Gy");
    ASSERT_TRUE(dose.has_value());
    EXPECT_EQ(dose->front().quantity, "AbsorbedDose");
    EXPECT_TRUE(std::any_of(dose->begin(), dose->end(), [](const UnitEntry& unit) {
        return unit.quantity == "SpecificEnergy";
    }));

    for (const char* none : {"2", "1 +", "rnd * 1 m"}) {
        SCOPED_TRACE(none);
        EXPECT_FALSE(library().conformableUnits(none).has_value());
    }
}

TEST(FindQuantity, TakesTheNamesPeopleWrite) {
    const std::pair<const char*, const char*> rows[] = {
        {"Length", "Length"},
        {"length", "Length"},
        {"angular velocity", "AngularVelocity"},
        {"Angular_Velocity", "AngularVelocity"},
        {"lengths", ""},
        {"", ""},
        {" ", ""},
    };
    for (const auto& [name, found] : rows) {
        SCOPED_TRACE(name);
        const std::optional<QuantityEntry> quantity = library().findQuantity(name);
        EXPECT_EQ(quantity ? quantity->name : "", found);
    }
    const std::optional<QuantityEntry> length = library().findQuantity("length");
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(length->units.front().symbol, "m");
    EXPECT_EQ(length->units[1].reference, "m");
}

TEST(UnitEntry, CarriesItsReferenceUnitAndWhetherItIsShown) {
    const std::optional<UnitEntry> mile = library().unitEntry("mi");
    ASSERT_TRUE(mile.has_value());
    EXPECT_EQ(mile->reference, "m");
    EXPECT_DOUBLE_EQ(static_cast<double>(mile->scale), 1609.344);
    EXPECT_TRUE(mile->displayed);
    EXPECT_FALSE(library().unitEntry("metres")->displayed);
    EXPECT_FALSE(library().unitEntry("nonesuch").has_value());
}

}  // namespace
}  // namespace quantrel
