// SPDX-License-Identifier: GPL-3.0-or-later
// The default unit library in settings/: what users see for everyday inputs, every unit's factor
// against published values, the rules' quantity names, and docs/units.md.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/token.h"
#include "core/calculator.h"
#include "core/display_choice.h"
#include "core/number_format.h"
#include "settings/unit_registry.h"
#include "settings/settings_source.h"
#include "settings/settings_loader.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

const char* const kSettingsDirectory = QUANTREL_SOURCE_DIR "/settings";
const char* const kUnitsDocument = QUANTREL_SOURCE_DIR "/docs/units.md";

Calculator libraryCalculator() {
    return Calculator(kSettingsDirectory, 5489u);
}

// ---------------------------------------------------------------------------------------------
// What a user sees

struct DisplayRow {
    const char* input;
    const char* expected;
};

TEST(LibraryDisplay, ShowsEverydayResultsInNaturalUnits) {
    const DisplayRow rows[] = {
        // Length
        {"1500 m", "1.5 km"},
        {"2 km + 300 m", "2.3 km"},
        {"0.25 m", "25 cm"},
        {"12 in", "1 ft"},
        {"3 in + 1 ft", "15 in"},
        {"1 mi in km", "1.60934 km"},
        {"5 cm in inch", "1.9685 inch"},
        {"2 * pi * 6371 km", "40030.2 km"},
        {"5 µm", "5 um"},
        {"1 pc in ly", "3.26156 ly"},
        {"3 μm", "3 um"},
        {"500 pm", "0.5 nm"},
        {"1 Å in nm", "0.1 nm"},
        {"10 furlong in mi", "1.25 mi"},
        {"12 point in mm", "4.23333 mm"},
        {"1 Mpc in ly", "3.26156e+06 ly"},
        // A rounded number's length is chance: these used to show as 333333 mm and 434783 uA.
        {"1 km / 3", "333.333 m"},
        {"1 m / 3", "33.3333 cm"},
        {"100 km / 7", "14.2857 km"},
        // Mass
        {"250 g", "250 g"},
        {"16 oz", "1 lb"},
        {"1 lb in g", "453.592 g"},
        {"1 st in kg", "6.35029 kg"},
        {"2 kg / 3", "666.667 g"},
        {"1 ozt in g", "31.1035 g"},
        {"1 ton in kg", "907.185 kg"},
        {"100 gr in g", "6.47989 g"},
        {"5 ug", "5 ug"},
        // Time
        {"5400 s", "90 min"},
        {"150 min", "2.5 h"},
        {"0.25 s", "250 ms"},
        {"1 yr in d", "365.25 d"},
        {"1 h / 7", "514.286 s"},
        {"3 fortnight in d", "42 d"},
        {"1 mo in d", "30.4369 d"},
        {"1 century in yr", "100 yr"},
        {"1e6 s in d + h + min + s", "11 d + 13 h + 46 min + 40 s"},
        // No exponent where a unit gives a plain number, and no large exact number where a
        // unit gives one in [1, 10000): these showed as 1e+08 ms, 1e+06 s and 123456 m.
        {"100000 s", "27.7778 h"},
        {"1e6 s", "277.778 h"},
        {"123456 m", "123.456 km"},
        // Temperature: offsets, and degC before degF when both are equally short
        {"100 degC in degF", "212 degF"},
        {"-40 degC in degF", "-40 degF"},
        {"98.6 degF in degC", "37 degC"},
        {"0 degC", "0 degC"},
        {"373.15 K", "100 degC"},
        {"0 K in degF", "-459.67 degF"},
        {"20 °C in °F", "68 °F"},
        // Area and volume, from products and powers
        {"2 km * 3 km", "6 km²"},
        {"(3 m) ^ 2", "9 m²"},
        {"(2 m) ^ 3", "8 m³"},
        {"10000 m2", "1 ha"},
        {"1 mi2 in acre", "640 acre"},
        {"1 m3 / 2 m2", "50 cm"},
        {"500 ml", "0.5 l"},
        {"3 tsp", "1 tbsp"},
        {"1 gal in l", "3.78541 l"},
        {"1 l / 3", "333.333 ml"},
        {"2 mm * 3 mm * 4 mm", "24 ul"},
        {"1 impfloz in ml", "28.4131 ml"},
        {"1 bu in l", "35.2391 l"},
        {"1 gill in floz", "4 floz"},
        {"1 acre in m2", "4046.86 m²"},
        // Motion
        {"60 mph in kmh", "96.5606 km/h"},
        {"5 km / h in mps", "1.38889 m/s"},
        {"42 km / 4 h", "10.5 km/h"},
        {"20 mps / 4 s", "5 m/s²"},
        {"c", "299792 km/s"},
        {"100 km / 2 h", "50 km/h"},
        {"9.81 m / s / s", "9.81 m/s²"},
        // Constants, each in the unit of its dimension
        {"NA", "6.02214e+23 mol⁻¹"},
        {"G * 5.97e24 kg / (6371 km)^2", "9.81668 m/s²"},
        {"k_B * 300 K", "25.852 meV"},
        {"R_gas * 273.15 K / 101325 Pa * 1 mol", "22.414 l"},
        {"F_const", "96485.3 C/mol"},
        {"hbar", "1.05457e-34 J·s"},
        {"eps0", "8.85419e-12 F/m"},
        {"1 / R_inf in nm", "91.1267 nm"},
        // Reciprocals
        {"1 / (2 s)", "0.5 Hz"},
        {"1 / (1 ms)", "1 kHz"},
        {"1 / (2 Hz)", "0.5 s"},
        {"3e8 mps / (100 MHz)", "3 m"},
        // Force, pressure, energy, power
        {"10 N * 2 m", "20 J"},
        {"101325 Pa", "1 atm"},
        {"1 bar in psi", "14.5038 psi"},
        {"1 kWh in J", "3.6e+06 J"},
        {"1 kW * 2 h", "2 kWh"},
        {"0.5 * 2 kg * (3 mps) ^ 2", "9 J"},
        {"1 kg * c ^ 2", "89.8755 PJ"},
        {"planck * 1 GHz in eV", "4.13567e-06 eV"},
        {"1 hp in W", "745.7 W"},
        {"1 kip in kN", "4.44822 kN"},
        {"30 inHg in hPa", "1015.92 hPa"},
        {"760 Torr in atm", "1 atm"},
        {"1 therm in MJ", "105.48 MJ"},
        {"1 MtTNT in PJ", "4.184 PJ"},
        {"3.6e12 J", "1 GWh"},
        {"5 mW * 3 s", "15 mJ"},
        {"1 hp in PS", "1.01387 PS"},
        {"1 TR in kW", "3.51685 kW"},
        {"1000 mAh * 3.7 V", "3.7 Wh"},
        // Electricity
        {"230 V * 10 A", "2.3 kW"},
        {"100 W / 230 V", "434.783 mA"},
        {"12 V / 1 m", "12 V/m"},
        {"1 kV / 1 cm", "100 kV/m"},
        {"5 V / 1 mohm", "5 kA"},
        {"5 V / 1 kohm", "5 mA"},
        {"1 uF * 9 V", "9 uC"},
        {"100 uF * 1 kohm", "0.1 s"},
        {"1 / (100 ohm)", "10 mS"},
        {"1 kΩ", "1 kohm"},
        // Fields, light, radiation, rotation and flow
        {"0.3 mT", "0.3 mT"},
        {"50 uT", "50 uT"},
        {"1 gauss", "0.1 mT"},  // the CGS units are read, never shown
        {"1 rem", "10 mSv"},
        {"1 P", "0.1 Pa·s"},
        {"1 St", "100 cSt"},
        {"1 fc in lx", "10.7639 lx"},
        {"1 Ci in GBq", "37 GBq"},
        {"3000 rpm", "3000 rpm"},
        {"100 lbfft", "100 lbf·ft"},
        {"1 Gy", "1 Gy"},
        {"2 mSv + 500 uSv", "2.5 mSv"},
        {"1 mCi in MBq", "37 MBq"},
        {"1 U in nkat", "16.6667 nkat"},
        {"1000 rpm in rps", "16.6667 rps"},
        {"10 lbfin in Nm", "1.12985 N·m"},
        {"1 kW / 1 m2", "1 kW/m²"},
        {"1 cdpm2 in nit", "1 nit"},
        // Quantities sharing a dimension: products land in the one declared first.
        {"5 N * 2 m in Nm", "10 N·m"},
        {"1 Gy in J/kg", "1 J/kg"},
        {"1 J / 1 kg", "1 J/kg"},
        // Matter and data
        {"1 kg / 1 l", "1 g/cm³"},
        {"18 g / (18 gpmol)", "1 mol"},
        {"1 mol / 1 l", "1 mol/l"},
        {"1024 B", "1 KiB"},
        {"8 bit", "1 B"},
        {"5 mmol / 1 l", "5 mmol/l"},
        {"100 Mbps * 1 h", "45 GB"},
        {"25 ug / 1 m3", "25 ug/m³"},
        {"1 mg / 1 l", "1 mg/l"},
        {"1 lb / 1 ft3", "16.0185 kg/m³"},
        {"100 kg / 1 h", "100 kg/h"},
        {"10 l / 1 min", "10 l/min"},
        {"5 umol / 1 l", "5 umol/l"},
        {"4186 J / 1 kg / 1 K", "4186 J/(kg·K)"},
        {"80 g / 1 m2", "80 g/m²"},
        {"1 den in tex", "0.111111 tex"},
        {"1 EiB in PiB", "1024 PiB"},
        {"1 GB / 1 s", "8 Gbit/s"},
        // Fuel: a volume over a length is an area unless "in" asks for a fuel unit.
        {"8 l / 100 km", "0.08 mm²"},
        {"8 l / 100 km in lp100km", "8 l/100 km"},
        {"100 km / 6 l", "16.6667 km/l"},
        {"30 mpg in kmpl", "12.7543 km/l"},
        // Angles and plain numbers
        {"sin(30 deg)", "0.5"},
        {"sin 90°", "1"},
        {"(asin 0.5) rad in deg", "30 deg"},
        {"1 turn in deg", "360 deg"},
        {"1 km / 1 m", "1000"},
        {"hypot 3 4", "5"},
        {"ln e", "1"},
        {"fact 5", "120"},
        // Ratios are plain numbers, shown in their units only when asked.
        {"50 percent * 80", "40"},
        {"5 percent", "0.05"},
        {"1 / 8 in percent", "12.5 percent"},
        {"400 ppm * 1 m3 in l", "0.4 l"},
        {"3 ‰ in percent", "0.3 percent"},
    };
    Calculator calculator = libraryCalculator();
    for (const DisplayRow& row : rows) {
        SCOPED_TRACE(row.input);
        test::expectResult(calculator, row.input, row.expected);
    }
}

/// The display choice as documented, candidate by candidate with nothing passed over: the
/// oracle for the calculator's faster search.
const Unit& documentedChoice(const UnitRegistry& registry, long double value, const Unit& unit) {
    const NumberFormat format;
    const QuantityUnits& candidates = *registry.findQuantity(unit.quantity);
    const auto displayed = [&](auto visit) {
        for (const Unit* candidate : candidates) {
            if (candidate->displayed) visit(*candidate, toDisplay(value, *candidate));
        }
    };
    const Unit* shortest = nullptr;
    std::size_t shortestLength = 0;
    displayed([&](const Unit& candidate, long double shown) {
        const std::size_t length = format.length(shown);
        if (shortest == nullptr || length < shortestLength) {
            shortest = &candidate;
            shortestLength = length;
        }
    });
    if (registry.displayChoice(unit.quantity) == UnitCatalog::DisplayChoice::Shortest) {
        return *shortest;
    }
    // Natural: plain texts only, where a unit gives one.
    const auto isPlain = [&](long double shown) {
        return format.format(shown).find('e') == std::string::npos;
    };
    const auto inRange = [](long double shown) {
        return std::fabs(shown) >= 1 && std::fabs(shown) < 10000;
    };
    bool anyPlain = false;
    bool anyInRange = false;
    displayed([&](const Unit&, long double shown) {
        anyPlain = anyPlain || isPlain(shown);
        anyInRange = anyInRange || (isPlain(shown) && inRange(shown));
    });
    const Unit* exact = nullptr;
    const Unit* inRangeUnit = nullptr;
    const Unit* roundedShortest = nullptr;
    std::size_t exactLength = 0, roundedLength = 0;
    displayed([&](const Unit& candidate, long double shown) {
        if (anyPlain && !isPlain(shown)) return;
        const NumberFormat::Measure measure = format.measure(shown);
        if (inRangeUnit == nullptr && inRange(shown)) inRangeUnit = &candidate;
        if (measure.exact) {
            // A large exact number loses to a unit that gives one in [1, 10000).
            if (anyInRange && !(std::fabs(shown) < 10000)) return;
            if (exact == nullptr || measure.length < exactLength) {
                exact = &candidate;
                exactLength = measure.length;
            }
            return;
        }
        if (roundedShortest == nullptr || measure.length < roundedLength) {
            roundedShortest = &candidate;
            roundedLength = measure.length;
        }
    });
    if (exact != nullptr && (roundedShortest == nullptr || exactLength <= roundedLength)) {
        return *exact;
    }
    if (inRangeUnit != nullptr) return *inRangeUnit;
    return roundedShortest != nullptr ? *roundedShortest : *shortest;
}

TEST(LibraryDisplay, TheSearchForTheDisplayUnitMissesNoCandidate) {
    // The library with its natural choice, and the same units choosing the shortest text.
    UnitRegistry natural(5489);
    loadSettings(natural, std::filesystem::path(kSettingsDirectory));
    MemorySource plain;
    const DirectorySource library(std::vector<std::filesystem::path>{kSettingsDirectory});
    for (const std::string& name : library.xmlFiles()) {
        std::string text = *library.read(name);
        for (std::size_t at; (at = text.find(" Display=\"natural\"")) != std::string::npos;)
            text.erase(at, 18);
        plain.add(name, text);
    }
    UnitRegistry shortest(5489);
    loadSettings(shortest, plain);
    ASSERT_EQ(shortest.units().size(), natural.units().size());

    // Values round and rounded, large and small, in the reference unit of every quantity.
    std::vector<long double> values = {
        0,     1,       -1,        2.5L,          1500,   0.25L,  1e-9L,   1e12L,   3600,
        86400, 0.0254L, 1609.344L, 4046.8564224L, 1e300L, -3e-7L, 1e4930L, 1e-4940L};
    std::uint64_t state = 12345;
    for (int i = 0; i < 60; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const long double mantissa = 1 + static_cast<long double>(state >> 11) / 0x1p53L * 9;
        values.push_back(mantissa * std::pow(10.0L, i % 30 - 15));
    }
    // Besides, for each unit, values it shows at the edges the choice draws: where texts turn
    // plain, where they round up to the next power of ten, and where the range [1, 10000) ends.
    const long double edges[] = {9.999995e-05L, 0.0001L,   0.001L,    0.0999999L, 0.5L,
                                 0.9999995L,    1,         9.99999L,  10,         9999.99L,
                                 10000,         99999.95L, 999999.5L, 1e300L};
    for (const UnitRegistry* registry : {&natural, &shortest}) {
        const DisplayChooser chooser(*registry);
        for (const auto& [quantity, units] : registry->quantities()) {
            const Unit& reference = *units.front();
            std::vector<long double> tried = values;
            for (const Unit* unit : units) {
                for (const long double edge : edges) {
                    const long double value = edge * unit->scale - unit->offset;
                    for (const long double nudge : {1 - 1e-12L, 1.0L, 1 + 1e-12L})
                        tried.push_back(value * nudge);
                }
            }
            for (long double value : tried) {
                SCOPED_TRACE(quantity + " " + formatNumber(value));
                ASSERT_EQ(&chooser.choose(value, reference),
                          &documentedChoice(*registry, value, reference));
            }
        }
    }
}

/// Evaluates `text`, then types its result back: the value (in reference units) and the
/// dimension must come back, whatever quantity of that dimension the second line lands in.
void expectTypedBack(Calculator& calculator, const std::string& text, long double tolerance) {
    SCOPED_TRACE(text);
    std::string shown;
    try {
        shown = calculator.evaluate(text).text;
    } catch (const Error& error) {
        ADD_FAILURE() << error.message(text);
        return;
    }
    const long double value = calculator.ansValue();
    const Unit* unit = calculator.ansUnit();
    try {
        calculator.evaluate(shown);
    } catch (const Error& error) {
        ADD_FAILURE() << "shown as " << shown << ", typed back: " << error.message(shown);
        return;
    }
    EXPECT_LE(std::fabs(calculator.ansValue() - value), tolerance * std::fabs(value))
        << "shown as " << shown << ", typed back " << static_cast<double>(calculator.ansValue())
        << " for " << static_cast<double>(value);
    const Unit* back = calculator.ansUnit();
    const Dimension* dimension = unit != nullptr ? unit->dimension : nullptr;
    const Dimension* backDimension = back != nullptr ? back->dimension : nullptr;
    ASSERT_EQ(dimension == nullptr, backDimension == nullptr) << "shown as " << shown;
    if (dimension != nullptr) {
        EXPECT_EQ(*dimension, *backDimension) << "shown as " << shown;
    }
}

TEST(LibraryDisplay, EveryShownResultTypedBackGivesTheSameValue) {
    Calculator calculator = libraryCalculator();
    for (const Unit* unit : calculator.registry().units()) {
        const std::string symbol(unit->symbol);
        SCOPED_TRACE(symbol);
        // The inch is a keyword where a target begins: its target is the other symbol, inch.
        const std::string target = symbol == "in" ? "inch" : symbol;
        const EvaluationResult result = calculator.evaluate("3 " + symbol + " in " + target);
        if (symbol != "in") {
            EXPECT_EQ(result.unitText, shownText(*unit));
        }
        expectTypedBack(calculator, "3 " + symbol + " in " + target, 1e-9L);
        // The unit a value is shown in by itself, too.
        expectTypedBack(calculator, "2.5 " + symbol, 1e-5L);
    }
    for (const auto& [name, function] : calculator.registry().functions()) {
        if (function.argumentCount != 0 || function.drawsRandom) continue;
        expectTypedBack(calculator, name, 1e-5L);
    }
    // At full precision a constant comes back to the last digits.
    calculator.setNumberFormat(NumberFormat(17));
    for (const auto& [name, function] : calculator.registry().functions()) {
        if (function.argumentCount != 0 || function.drawsRandom) continue;
        expectTypedBack(calculator, name, 1e-14L);
    }
}

TEST(LibraryDisplay, RefusesWhatPhysicsDoesNotDefine) {
    const DisplayRow rows[] = {
        {"1 m + 1 kg", "No conversion found for Length and Mass"},
        {"2 kg in m", "Can't convert from Mass to Length"},
        {"5 in kg", "Can't convert to Mass"},
        {"1 J + 1 N", "No conversion found for Energy and Force"},
        {"1 J in W", "Can't convert from Energy to Power"},
    };
    Calculator calculator = libraryCalculator();
    for (const DisplayRow& row : rows) {
        SCOPED_TRACE(row.input);
        test::expectError(calculator, row.input, "Math", row.expected);
    }
}

TEST(LibraryDisplay, DimensionsAnswerWhatNoRuleNames) {
    const DisplayRow rows[] = {
        {"2.5 h * 100 km/h", "250 km"},
        {"60 mph in km/h", "96.5606 km/h"},
        {"70 kg * 9.81 m / s / s", "686.7 N"},
        {"1 mol * NA", "6.02214e+23"},
        {"2 h * 3 Hz", "21600"},
        {"1 N m", "1 J"},
        {"3 kW h", "3 kWh"},
        {"(2 s) ^ 2", "4 s²"},
        {"3 kg * 2 m", "6 m·kg"},
        {"1 T * 1 m2", "1 Wb"},
        {"2 mH * 3 A", "6 mWb"},
        {"1 cd * 1 sr", "1 lm"},
        {"1000 lm / 4 m2", "250 lx"},
        {"1 mol / 1 s", "1 kat"},
        {"360 deg / 1 s", "60 rpm"},
        {"1 Pa s", "1 Pa·s"},
        {"1 mm2 / 1 s", "1 cSt"},
        // V / F = kg²·m⁴/(s⁷·A³): no quantity of the library has that dimension.
        {"9 V / 1 uF", "9e+06 m⁴·kg²/s⁷·A³"},
        {"1 h 20 min", "80 min"},
        {"5 ft 3 in in cm", "160.02 cm"},
        {"100000 s in d + h + min + s", "1 d + 3 h + 46 min + 40 s"},
        {"1.8 m in ft + in", "5 ft + 10.8661 in"},
    };
    Calculator calculator = libraryCalculator();
    for (const DisplayRow& row : rows)
        test::expectResult(calculator, row.input, row.expected);
}

/// Each quantity's dimension as the SI brochure gives its coherent unit in base units (with
/// the library's names for the base quantities), and that coherent unit, which must be the
/// quantity's reference unit: the dimensions only work out on values in reference units when
/// every reference unit is coherent.
struct CoherentUnit {
    const char* quantity;
    const char* dimension;
    const char* reference;
};

const CoherentUnit kCoherentUnits[] = {
    {"Length", "Length", "m"},
    {"Mass", "Mass", "kg"},
    {"Time", "Time", "s"},
    {"Temperature", "Temperature", "K"},
    {"Amount", "Amount", "mol"},
    {"Current", "Current", "A"},
    {"LuminousIntensity", "LuminousIntensity", "cd"},
    {"Angle", "Angle", "rad"},
    {"Data", "Data", "B"},
    {"Area", "Length^2", "m2"},
    {"Volume", "Length^3", "m3"},
    {"Velocity", "Length / Time", "mps"},
    {"Acceleration", "Length / Time^2", "mps2"},
    {"Frequency", "Time^-1", "Hz"},
    {"Force", "Mass * Length / Time^2", "N"},
    {"Momentum", "Mass * Length / Time", "Ns"},
    {"Pressure", "Mass / Length / Time^2", "Pa"},
    {"Energy", "Mass * Length^2 / Time^2", "J"},
    {"Power", "Mass * Length^2 / Time^3", "W"},
    {"SpecificEnergy", "Length^2 / Time^2", "Jpkg"},
    {"Action", "Mass * Length^2 / Time", "Js"},
    {"Charge", "Current * Time", "C"},
    {"Voltage", "Mass * Length^2 / Time^3 / Current", "V"},
    {"Resistance", "Mass * Length^2 / Time^3 / Current^2", "ohm"},
    {"Conductance", "Time^3 * Current^2 / Mass / Length^2", "S"},
    {"Capacitance", "Time^4 * Current^2 / Mass / Length^2", "F"},
    {"Density", "Mass / Length^3", "kgpm3"},
    {"Flow", "Length^3 / Time", "m3ps"},
    {"MolarMass", "Mass / Amount", "kgpmol"},
    {"Concentration", "Amount / Length^3", "mmolpl"},
    {"PerAmount", "Amount^-1", "permol"},
    {"DataRate", "Data / Time", "Bps"},
    {"SolidAngle", "SolidAngle", "sr"},
    {"MagneticFlux", "Mass * Length^2 / Time^2 / Current", "Wb"},
    {"MagneticFluxDensity", "Mass / Time^2 / Current", "T"},
    {"Inductance", "Mass * Length^2 / Time^2 / Current^2", "H"},
    {"LuminousFlux", "LuminousIntensity * SolidAngle", "lm"},
    {"Illuminance", "LuminousIntensity * SolidAngle / Length^2", "lx"},
    {"AbsorbedDose", "Length^2 / Time^2", "Gy"},
    {"EquivalentDose", "Length^2 / Time^2", "Sv"},
    {"Activity", "Time^-1", "Bq"},
    {"CatalyticActivity", "Amount / Time", "kat"},
    {"AngularVelocity", "Angle / Time", "radps"},
    {"Torque", "Mass * Length^2 / Time^2", "Nm"},
    {"DynamicViscosity", "Mass / Length / Time", "Pas"},
    {"KinematicViscosity", "Length^2 / Time", "m2ps"},
    {"Ratio", "1", "fraction"},
    {"HeatCapacity", "Mass * Length^2 / Time^2 / Temperature", "JpK"},
    {"SpecificHeatCapacity", "Length^2 / Time^2 / Temperature", "JpkgK"},
    {"AreaDensity", "Mass / Length^2", "kgpm2"},
    {"LinearDensity", "Mass / Length", "kgpm"},
    {"ElectricField", "Mass * Length / Time^3 / Current", "Vpm"},
    {"Luminance", "LuminousIntensity / Length^2", "cdpm2"},
    {"Irradiance", "Mass / Time^3", "Wpm2"},
    {"MassFlow", "Mass / Time", "kgps"},
    {"FuelConsumption", "Length^2", "m3perm"},
    {"FuelEconomy", "Length^-2", "mperm3"},
    {"Wavenumber", "Length^-1", "permetre"},
    {"Permittivity", "Time^4 * Current^2 / Mass / Length^3", "Fpm"},
    {"Permeability", "Mass * Length / Time^2 / Current^2", "Hpm"},
    {"MolarHeatCapacity", "Mass * Length^2 / Time^2 / Temperature / Amount", "JpmolK"},
    {"MolarCharge", "Current * Time / Amount", "Cpmol"},
    {"GravitationalConstant", "Length^3 / Mass / Time^2", "m3pkgs2"},
    {"RadiationConstant", "Mass / Time^3 / Temperature^4", "Wpm2K4"},
};

TEST(LibraryDimensions, EveryQuantityIsCoherent) {
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    std::size_t checked = 0;
    for (const auto& [quantity, units] : registry.quantities()) {
        SCOPED_TRACE(quantity);
        const auto row =
            std::find_if(std::begin(kCoherentUnits), std::end(kCoherentUnits),
                         [&](const CoherentUnit& u) { return u.quantity == quantity; });
        ASSERT_NE(row, std::end(kCoherentUnits)) << "not in the table of coherent units";
        const Dimension* declared = registry.dimensionOf(quantity);
        ASSERT_NE(declared, nullptr) << "declares no dimension";
        const DimensionReading expected = readDimension(
            row->dimension, [&](std::string_view name) { return registry.dimensionOf(name); });
        ASSERT_TRUE(expected.dimension.has_value()) << row->dimension;
        EXPECT_EQ(*declared, *expected.dimension) << row->dimension;
        EXPECT_EQ(units.front()->symbol, row->reference);
        EXPECT_EQ(units.front()->scale, 1);
        ++checked;
    }
    EXPECT_EQ(checked, std::size(kCoherentUnits));
}

// ---------------------------------------------------------------------------------------------
// Accuracy: every unit against a value from the published definitions

constexpr long double kPi = 3.141592653589793238462643383279502884L;

struct Reference {
    const char* symbol;
    const char* quantity;
    long double factor;  // one unit in the reference unit of its quantity
    long double zero;    // the unit's zero in the reference unit (offsets); 0 for most
};

// Exact values: the SI defining constants (2019), the international yard and pound (1959), and
// the exact factors published for the customary units that are defined through them.
const Reference kReferences[] = {
    {"m", "Length", 1, 0},
    {"km", "Length", 1e3L, 0},
    {"cm", "Length", 1e-2L, 0},
    {"mm", "Length", 1e-3L, 0},
    {"um", "Length", 1e-6L, 0},
    {"µm", "Length", 1e-6L, 0},
    {"nm", "Length", 1e-9L, 0},
    {"in", "Length", 0.0254L, 0},
    {"inch", "Length", 0.0254L, 0},
    {"ft", "Length", 0.3048L, 0},
    {"yd", "Length", 0.9144L, 0},
    {"mi", "Length", 1609.344L, 0},
    {"nmi", "Length", 1852, 0},
    {"au", "Length", 149597870700.0L, 0},
    {"ly", "Length", 9460730472580800.0L, 0},
    {"pc", "Length", 3.0856775814913673e16L, 0},

    {"kg", "Mass", 1, 0},
    {"g", "Mass", 1e-3L, 0},
    {"mg", "Mass", 1e-6L, 0},
    {"t", "Mass", 1e3L, 0},
    {"lb", "Mass", 0.45359237L, 0},
    {"oz", "Mass", 0.028349523125L, 0},
    {"st", "Mass", 6.35029318L, 0},

    {"s", "Time", 1, 0},
    {"h", "Time", 3600, 0},
    {"min", "Time", 60, 0},
    {"d", "Time", 86400, 0},
    {"wk", "Time", 604800, 0},
    {"yr", "Time", 31557600, 0},
    {"ms", "Time", 1e-3L, 0},
    {"us", "Time", 1e-6L, 0},
    {"µs", "Time", 1e-6L, 0},
    {"ns", "Time", 1e-9L, 0},

    {"K", "Temperature", 1, 0},
    {"degC", "Temperature", 1, 273.15L},
    {"°C", "Temperature", 1, 273.15L},
    {"degF", "Temperature", 5.0L / 9, 459.67L * 5 / 9},
    {"°F", "Temperature", 5.0L / 9, 459.67L * 5 / 9},
    {"R", "Temperature", 5.0L / 9, 0},

    {"mol", "Amount", 1, 0},
    {"mmol", "Amount", 1e-3L, 0},
    {"kmol", "Amount", 1e3L, 0},

    {"A", "Current", 1, 0},
    {"mA", "Current", 1e-3L, 0},
    {"kA", "Current", 1e3L, 0},

    {"cd", "LuminousIntensity", 1, 0},

    {"rad", "Angle", 1, 0},
    {"deg", "Angle", kPi / 180, 0},
    {"°", "Angle", kPi / 180, 0},
    {"turn", "Angle", 2 * kPi, 0},
    {"grad", "Angle", kPi / 200, 0},
    {"arcmin", "Angle", kPi / 10800, 0},
    {"arcsec", "Angle", kPi / 648000, 0},
    {"mrad", "Angle", 1e-3L, 0},

    {"m2", "Area", 1, 0},
    {"m²", "Area", 1, 0},
    {"km2", "Area", 1e6L, 0},
    {"km²", "Area", 1e6L, 0},
    {"ha", "Area", 1e4L, 0},
    {"cm2", "Area", 1e-4L, 0},
    {"cm²", "Area", 1e-4L, 0},
    {"mm2", "Area", 1e-6L, 0},
    {"mm²", "Area", 1e-6L, 0},
    {"in2", "Area", 6.4516e-4L, 0},
    {"ft2", "Area", 0.09290304L, 0},
    {"yd2", "Area", 0.83612736L, 0},
    {"acre", "Area", 4046.8564224L, 0},
    {"mi2", "Area", 2589988.110336L, 0},

    {"m3", "Volume", 1, 0},
    {"m³", "Volume", 1, 0},
    {"l", "Volume", 1e-3L, 0},
    {"L", "Volume", 1e-3L, 0},
    {"ml", "Volume", 1e-6L, 0},
    {"mL", "Volume", 1e-6L, 0},
    {"cm3", "Volume", 1e-6L, 0},
    {"cm³", "Volume", 1e-6L, 0},
    {"gal", "Volume", 3.785411784e-3L, 0},
    {"qt", "Volume", 9.46352946e-4L, 0},
    {"pt", "Volume", 4.73176473e-4L, 0},
    {"cup", "Volume", 2.365882365e-4L, 0},
    {"floz", "Volume", 2.95735295625e-5L, 0},
    {"tbsp", "Volume", 1.478676478125e-5L, 0},
    {"tsp", "Volume", 4.92892159375e-6L, 0},
    {"impgal", "Volume", 4.54609e-3L, 0},
    {"imppt", "Volume", 5.6826125e-4L, 0},
    {"bbl", "Volume", 0.158987294928L, 0},
    {"ft3", "Volume", 0.028316846592L, 0},
    {"in3", "Volume", 1.6387064e-5L, 0},

    {"mps", "Velocity", 1, 0},
    {"kmh", "Velocity", 1 / 3.6L, 0},
    {"mph", "Velocity", 0.44704L, 0},
    {"kn", "Velocity", 1852 / 3600.0L, 0},
    {"kmps", "Velocity", 1e3L, 0},
    {"fps", "Velocity", 0.3048L, 0},

    {"mps2", "Acceleration", 1, 0},

    {"Hz", "Frequency", 1, 0},
    {"kHz", "Frequency", 1e3L, 0},
    {"MHz", "Frequency", 1e6L, 0},
    {"GHz", "Frequency", 1e9L, 0},

    {"N", "Force", 1, 0},
    {"kN", "Force", 1e3L, 0},
    {"MN", "Force", 1e6L, 0},
    {"lbf", "Force", 4.4482216152605L, 0},
    {"kgf", "Force", 9.80665L, 0},

    {"Ns", "Momentum", 1, 0},

    {"Pa", "Pressure", 1, 0},
    {"kPa", "Pressure", 1e3L, 0},
    {"hPa", "Pressure", 100, 0},
    {"MPa", "Pressure", 1e6L, 0},
    {"GPa", "Pressure", 1e9L, 0},
    {"bar", "Pressure", 1e5L, 0},
    {"mbar", "Pressure", 100, 0},
    {"atm", "Pressure", 101325, 0},
    {"psi", "Pressure", 6894.757293168361336722L, 0},
    {"mmHg", "Pressure", 133.322387415L, 0},
    {"torr", "Pressure", 133.3223684210526315789L, 0},

    {"J", "Energy", 1, 0},
    {"kJ", "Energy", 1e3L, 0},
    {"MJ", "Energy", 1e6L, 0},
    {"GJ", "Energy", 1e9L, 0},
    {"Wh", "Energy", 3600, 0},
    {"kWh", "Energy", 3.6e6L, 0},
    {"MWh", "Energy", 3.6e9L, 0},
    {"cal", "Energy", 4.184L, 0},
    {"kcal", "Energy", 4184, 0},
    {"eV", "Energy", 1.602176634e-19L, 0},
    {"keV", "Energy", 1.602176634e-16L, 0},
    {"MeV", "Energy", 1.602176634e-13L, 0},
    {"GeV", "Energy", 1.602176634e-10L, 0},
    {"BTU", "Energy", 1055.05585262L, 0},

    {"W", "Power", 1, 0},
    {"kW", "Power", 1e3L, 0},
    {"MW", "Power", 1e6L, 0},
    {"GW", "Power", 1e9L, 0},
    {"hp", "Power", 745.69987158227022L, 0},

    {"Jpkg", "SpecificEnergy", 1, 0},
    {"kJpkg", "SpecificEnergy", 1e3L, 0},

    {"Js", "Action", 1, 0},

    {"C", "Charge", 1, 0},
    {"mAh", "Charge", 3.6L, 0},
    {"Ah", "Charge", 3600, 0},
    {"mC", "Charge", 1e-3L, 0},
    {"uC", "Charge", 1e-6L, 0},
    {"µC", "Charge", 1e-6L, 0},
    {"nC", "Charge", 1e-9L, 0},

    {"V", "Voltage", 1, 0},
    {"kV", "Voltage", 1e3L, 0},
    {"MV", "Voltage", 1e6L, 0},

    {"ohm", "Resistance", 1, 0},
    {"Ω", "Resistance", 1, 0},
    {"kohm", "Resistance", 1e3L, 0},
    {"kΩ", "Resistance", 1e3L, 0},
    {"Mohm", "Resistance", 1e6L, 0},
    {"MΩ", "Resistance", 1e6L, 0},

    {"S", "Conductance", 1, 0},
    {"mS", "Conductance", 1e-3L, 0},

    {"F", "Capacitance", 1, 0},
    {"mF", "Capacitance", 1e-3L, 0},
    {"uF", "Capacitance", 1e-6L, 0},
    {"µF", "Capacitance", 1e-6L, 0},
    {"nF", "Capacitance", 1e-9L, 0},
    {"pF", "Capacitance", 1e-12L, 0},

    {"kgpm3", "Density", 1, 0},
    {"gpcm3", "Density", 1e3L, 0},
    {"gpl", "Density", 1, 0},

    {"m3ps", "Flow", 1, 0},
    {"lps", "Flow", 1e-3L, 0},
    {"lpm", "Flow", 1e-3L / 60, 0},
    {"m3ph", "Flow", 1 / 3600.0L, 0},
    {"gpm", "Flow", 3.785411784e-3L / 60, 0},

    {"kgpmol", "MolarMass", 1, 0},
    {"gpmol", "MolarMass", 1e-3L, 0},

    {"mmolpl", "Concentration", 1, 0},
    {"molpl", "Concentration", 1e3L, 0},
    {"molpm3", "Concentration", 1, 0},

    {"permol", "PerAmount", 1, 0},

    {"B", "Data", 1, 0},
    {"byte", "Data", 1, 0},
    {"bit", "Data", 0.125L, 0},
    {"kB", "Data", 1e3L, 0},
    {"MB", "Data", 1e6L, 0},
    {"GB", "Data", 1e9L, 0},
    {"TB", "Data", 1e12L, 0},
    {"KiB", "Data", 1024, 0},
    {"MiB", "Data", 1048576, 0},
    {"GiB", "Data", 1073741824.0L, 0},
    {"TiB", "Data", 1099511627776.0L, 0},
    {"kbit", "Data", 125, 0},
    {"Mbit", "Data", 125e3L, 0},
    {"Gbit", "Data", 125e6L, 0},

    {"Bps", "DataRate", 1, 0},
    {"bps", "DataRate", 0.125L, 0},
    {"kbps", "DataRate", 125, 0},
    {"Mbps", "DataRate", 125e3L, 0},
    {"Gbps", "DataRate", 125e6L, 0},

    {"Wb", "MagneticFlux", 1, 0},
    {"mWb", "MagneticFlux", 1e-3L, 0},
    {"Mx", "MagneticFlux", 1e-8L, 0},

    {"T", "MagneticFluxDensity", 1, 0},
    {"mT", "MagneticFluxDensity", 1e-3L, 0},
    {"uT", "MagneticFluxDensity", 1e-6L, 0},
    {"µT", "MagneticFluxDensity", 1e-6L, 0},
    {"nT", "MagneticFluxDensity", 1e-9L, 0},
    {"gauss", "MagneticFluxDensity", 1e-4L, 0},

    {"H", "Inductance", 1, 0},
    {"mH", "Inductance", 1e-3L, 0},
    {"uH", "Inductance", 1e-6L, 0},
    {"µH", "Inductance", 1e-6L, 0},
    {"nH", "Inductance", 1e-9L, 0},

    {"sr", "SolidAngle", 1, 0},
    {"deg2", "SolidAngle", (kPi / 180) * (kPi / 180), 0},

    {"lm", "LuminousFlux", 1, 0},

    {"lx", "Illuminance", 1, 0},
    {"fc", "Illuminance", 1 / 0.09290304L, 0},

    {"Gy", "AbsorbedDose", 1, 0},
    {"mGy", "AbsorbedDose", 1e-3L, 0},

    {"Sv", "EquivalentDose", 1, 0},
    {"mSv", "EquivalentDose", 1e-3L, 0},
    {"uSv", "EquivalentDose", 1e-6L, 0},
    {"µSv", "EquivalentDose", 1e-6L, 0},
    {"rem", "EquivalentDose", 1e-2L, 0},

    {"Bq", "Activity", 1, 0},
    {"kBq", "Activity", 1e3L, 0},
    {"MBq", "Activity", 1e6L, 0},
    {"GBq", "Activity", 1e9L, 0},
    {"Ci", "Activity", 3.7e10L, 0},

    {"kat", "CatalyticActivity", 1, 0},

    {"radps", "AngularVelocity", 1, 0},
    {"rpm", "AngularVelocity", 2 * kPi / 60, 0},
    {"degps", "AngularVelocity", kPi / 180, 0},

    {"Nm", "Torque", 1, 0},
    {"kNm", "Torque", 1e3L, 0},
    {"lbfft", "Torque", 1.3558179483314004L, 0},

    {"Pas", "DynamicViscosity", 1, 0},
    {"cP", "DynamicViscosity", 1e-3L, 0},
    {"P", "DynamicViscosity", 0.1L, 0},

    {"m2ps", "KinematicViscosity", 1, 0},
    {"cSt", "KinematicViscosity", 1e-6L, 0},
    {"St", "KinematicViscosity", 1e-4L, 0},
    // Aliases: another name for a unit above, the same factor.
    {"metre", "Length", 1, 0},
    {"metres", "Length", 1, 0},
    {"meter", "Length", 1, 0},
    {"meters", "Length", 1, 0},
    {"kilometre", "Length", 1e3L, 0},
    {"kilometres", "Length", 1e3L, 0},
    {"kilometer", "Length", 1e3L, 0},
    {"kilometers", "Length", 1e3L, 0},
    {"centimetre", "Length", 1e-2L, 0},
    {"centimetres", "Length", 1e-2L, 0},
    {"centimeter", "Length", 1e-2L, 0},
    {"centimeters", "Length", 1e-2L, 0},
    {"millimetre", "Length", 1e-3L, 0},
    {"millimetres", "Length", 1e-3L, 0},
    {"millimeter", "Length", 1e-3L, 0},
    {"millimeters", "Length", 1e-3L, 0},
    {"μm", "Length", 1e-6L, 0},
    {"inches", "Length", 0.0254L, 0},
    {"foot", "Length", 0.3048L, 0},
    {"feet", "Length", 0.3048L, 0},
    {"yard", "Length", 0.9144L, 0},
    {"yards", "Length", 0.9144L, 0},
    {"mile", "Length", 1609.344L, 0},
    {"miles", "Length", 1609.344L, 0},
    {"gram", "Mass", 1e-3L, 0},
    {"grams", "Mass", 1e-3L, 0},
    {"kilogram", "Mass", 1, 0},
    {"kilograms", "Mass", 1, 0},
    {"pound", "Mass", 0.45359237L, 0},
    {"pounds", "Mass", 0.45359237L, 0},
    {"lbs", "Mass", 0.45359237L, 0},
    {"ounce", "Mass", 0.028349523125L, 0},
    {"ounces", "Mass", 0.028349523125L, 0},
    {"second", "Time", 1, 0},
    {"seconds", "Time", 1, 0},
    {"sec", "Time", 1, 0},
    {"minute", "Time", 60, 0},
    {"minutes", "Time", 60, 0},
    {"hour", "Time", 3600, 0},
    {"hours", "Time", 3600, 0},
    {"hr", "Time", 3600, 0},
    {"day", "Time", 86400, 0},
    {"days", "Time", 86400, 0},
    {"week", "Time", 604800, 0},
    {"weeks", "Time", 604800, 0},
    {"μs", "Time", 1e-6L, 0},
    {"kelvin", "Temperature", 1, 0},
    {"ampere", "Current", 1, 0},
    {"amp", "Current", 1, 0},
    {"hectare", "Area", 1e4L, 0},
    {"hectares", "Area", 1e4L, 0},
    {"litre", "Volume", 1e-3L, 0},
    {"litres", "Volume", 1e-3L, 0},
    {"liter", "Volume", 1e-3L, 0},
    {"liters", "Volume", 1e-3L, 0},
    {"knot", "Velocity", 1852 / 3600.0L, 0},
    {"knots", "Velocity", 1852 / 3600.0L, 0},
    {"newton", "Force", 1, 0},
    {"pascal", "Pressure", 1, 0},
    {"joule", "Energy", 1, 0},
    {"calorie", "Energy", 4.184L, 0},
    {"calories", "Energy", 4.184L, 0},
    {"watt", "Power", 1, 0},
    {"μC", "Charge", 1e-6L, 0},
    {"volt", "Voltage", 1, 0},
    {"μF", "Capacitance", 1e-6L, 0},
    {"μT", "MagneticFluxDensity", 1e-6L, 0},
    {"μH", "Inductance", 1e-6L, 0},
    {"μSv", "EquivalentDose", 1e-6L, 0},
    {"pm", "Length", 1e-12L, 0},
    {"fm", "Length", 1e-15L, 0},
    {"dm", "Length", 0.1L, 0},
    {"Mm", "Length", 1e6L, 0},
    {"Å", "Length", 1e-10L, 0},
    {"angstrom", "Length", 1e-10L, 0},
    {"micron", "Length", 1e-6L, 0},
    {"mil", "Length", 2.54e-5L, 0},
    {"thou", "Length", 2.54e-5L, 0},
    {"hand", "Length", 0.1016L, 0},
    {"ftm", "Length", 1.8288L, 0},
    {"ch", "Length", 20.1168L, 0},
    {"rd", "Length", 5.0292L, 0},
    {"fur", "Length", 201.168L, 0},
    {"lea", "Length", 4828.032L, 0},
    {"point", "Length", 0.0254L / 72, 0},
    {"pica", "Length", 0.0254L / 6, 0},
    {"px", "Length", 0.0254L / 96, 0},
    {"ls", "Length", 299792458.0L, 0},
    {"kpc", "Length", 3.0856775814913673e19L, 0},
    {"Mpc", "Length", 3.0856775814913673e22L, 0},
    {"Gpc", "Length", 3.0856775814913673e25L, 0},

    {"ug", "Mass", 1e-9L, 0},
    {"µg", "Mass", 1e-9L, 0},
    {"ng", "Mass", 1e-12L, 0},
    {"gr", "Mass", 6.479891e-5L, 0},
    {"dr", "Mass", 1.7718451953125e-3L, 0},
    {"ozt", "Mass", 0.0311034768L, 0},
    {"dwt", "Mass", 1.55517384e-3L, 0},
    {"lbt", "Mass", 0.3732417216L, 0},
    {"cwt", "Mass", 45.359237L, 0},
    {"lcwt", "Mass", 50.80234544L, 0},
    {"ton", "Mass", 907.18474L, 0},
    {"lton", "Mass", 1016.0469088L, 0},
    {"slug", "Mass", 4.4482216152605L / 0.3048L, 0},
    {"ct", "Mass", 2e-4L, 0},
    {"Da", "Mass", 1.66053906660e-27L, 0},
    {"u", "Mass", 1.66053906660e-27L, 0},

    {"ps", "Time", 1e-12L, 0},
    {"ks", "Time", 1e3L, 0},
    {"Ms", "Time", 1e6L, 0},
    {"Gs", "Time", 1e9L, 0},
    {"fortnight", "Time", 1209600.0L, 0},
    {"mo", "Time", 2629746.0L, 0},
    {"julianyear", "Time", 31557600.0L, 0},
    {"gregorianyear", "Time", 31556952.0L, 0},
    {"tropicalyear", "Time", 31556925.216L, 0},
    {"decade", "Time", 315576000.0L, 0},
    {"century", "Time", 3155760000.0L, 0},
    {"millennium", "Time", 31557600000.0L, 0},

    {"mK", "Temperature", 1e-3L, 0},
    {"degR", "Temperature", 5.0L / 9, 0},
    {"°R", "Temperature", 5.0L / 9, 0},

    {"umol", "Amount", 1e-6L, 0},
    {"µmol", "Amount", 1e-6L, 0},
    {"nmol", "Amount", 1e-9L, 0},

    {"uA", "Current", 1e-6L, 0},
    {"µA", "Current", 1e-6L, 0},
    {"nA", "Current", 1e-9L, 0},

    {"mcd", "LuminousIntensity", 1e-3L, 0},

    {"urad", "Angle", 1e-6L, 0},
    {"µrad", "Angle", 1e-6L, 0},
    {"mas", "Angle", kPi / 648000000, 0},
    {"gon", "Angle", kPi / 200, 0},
    {"rev", "Angle", 2 * kPi, 0},

    {"fraction", "Ratio", 1, 0},
    {"percent", "Ratio", 1e-2L, 0},
    {"pct", "Ratio", 1e-2L, 0},
    {"permille", "Ratio", 1e-3L, 0},
    {"‰", "Ratio", 1e-3L, 0},
    {"bp", "Ratio", 1e-4L, 0},
    {"ppm", "Ratio", 1e-6L, 0},
    {"ppb", "Ratio", 1e-9L, 0},
    {"ppt", "Ratio", 1e-12L, 0},

    {"dm2", "Area", 1e-2L, 0},
    {"are", "Area", 100.0L, 0},
    {"barn", "Area", 1e-28L, 0},

    {"ul", "Volume", 1e-9L, 0},
    {"µl", "Volume", 1e-9L, 0},
    {"mm3", "Volume", 1e-9L, 0},
    {"mm³", "Volume", 1e-9L, 0},
    {"km3", "Volume", 1e9L, 0},
    {"km³", "Volume", 1e9L, 0},
    {"cl", "Volume", 1e-5L, 0},
    {"dl", "Volume", 1e-4L, 0},
    {"hl", "Volume", 0.1L, 0},
    {"dm3", "Volume", 1e-3L, 0},
    {"dm³", "Volume", 1e-3L, 0},
    {"cc", "Volume", 1e-6L, 0},
    {"yd3", "Volume", 0.764554857984L, 0},
    {"acft", "Volume", 1233.48183754752L, 0},
    {"cord", "Volume", 3.624556363776L, 0},
    {"gill", "Volume", 1.1829411825e-4L, 0},
    {"fldr", "Volume", 3.6966911953125e-6L, 0},
    {"hhd", "Volume", 0.238480942392L, 0},
    {"impqt", "Volume", 1.1365225e-3L, 0},
    {"impgill", "Volume", 1.420653125e-4L, 0},
    {"impfloz", "Volume", 2.84130625e-5L, 0},
    {"bu", "Volume", 0.03523907016688L, 0},
    {"pk", "Volume", 8.80976754172e-3L, 0},
    {"dryqt", "Volume", 1.101220942715e-3L, 0},
    {"drypt", "Volume", 5.506104713575e-4L, 0},
    {"impbu", "Volume", 0.03636872L, 0},

    {"cmps", "Velocity", 1e-2L, 0},
    {"fpm", "Velocity", 5.08e-3L, 0},
    {"ips", "Velocity", 0.0254L, 0},

    {"gn", "Acceleration", 9.80665L, 0},
    {"Gal", "Acceleration", 1e-2L, 0},
    {"fps2", "Acceleration", 0.3048L, 0},

    {"THz", "Frequency", 1e12L, 0},
    {"mHz", "Frequency", 1e-3L, 0},

    {"mN", "Force", 1e-3L, 0},
    {"dyn", "Force", 1e-5L, 0},
    {"kp", "Force", 9.80665L, 0},
    {"ozf", "Force", 0.27801385095378125L, 0},
    {"pdl", "Force", 0.138254954376L, 0},
    {"kip", "Force", 4448.2216152605L, 0},
    {"tonf", "Force", 8896.443230521L, 0},

    {"kgmps", "Momentum", 1, 0},

    {"mPa", "Pressure", 1e-3L, 0},
    {"Torr", "Pressure", 101325.0L / 760, 0},
    {"ksi", "Pressure", 6894757.293168361L, 0},
    {"psf", "Pressure", 47.88025898033584L, 0},
    {"inHg", "Pressure", 3386.388640341L, 0},
    {"mmH2O", "Pressure", 9.80665L, 0},
    {"cmH2O", "Pressure", 98.0665L, 0},
    {"inH2O", "Pressure", 249.08891L, 0},

    {"mJ", "Energy", 1e-3L, 0},
    {"TJ", "Energy", 1e12L, 0},
    {"PJ", "Energy", 1e15L, 0},
    {"GWh", "Energy", 3.6e12L, 0},
    {"TWh", "Energy", 3.6e15L, 0},
    {"meV", "Energy", 1.602176634e-22L, 0},
    {"TeV", "Energy", 1.602176634e-7L, 0},
    {"erg", "Energy", 1e-7L, 0},
    {"calIT", "Energy", 4.1868L, 0},
    {"Cal", "Energy", 4184.0L, 0},
    {"ftlbf", "Energy", 1.3558179483314004L, 0},
    {"therm", "Energy", 105480400.0L, 0},
    {"quad", "Energy", 1.05505585262e18L, 0},
    {"toe", "Energy", 4.1868e10L, 0},
    {"tTNT", "Energy", 4.184e9L, 0},
    {"ktTNT", "Energy", 4.184e12L, 0},
    {"MtTNT", "Energy", 4.184e15L, 0},

    {"mW", "Power", 1e-3L, 0},
    {"uW", "Power", 1e-6L, 0},
    {"µW", "Power", 1e-6L, 0},
    {"TW", "Power", 1e12L, 0},
    {"PS", "Power", 735.49875L, 0},
    {"hpe", "Power", 746.0L, 0},
    {"BTUph", "Power", 1055.05585262L / 3600, 0},
    {"TR", "Power", 3516.8528420666667L, 0},

    {"MJpkg", "SpecificEnergy", 1e6L, 0},
    {"Whpkg", "SpecificEnergy", 3600.0L, 0},
    {"BTUplb", "SpecificEnergy", 2326.0L, 0},

    {"JpK", "HeatCapacity", 1, 0},
    {"kJpK", "HeatCapacity", 1e3L, 0},

    {"JpkgK", "SpecificHeatCapacity", 1, 0},
    {"kJpkgK", "SpecificHeatCapacity", 1e3L, 0},
    {"calpgK", "SpecificHeatCapacity", 4184.0L, 0},
    {"BTUplbF", "SpecificHeatCapacity", 4186.8L, 0},

    {"kgpm2", "AreaDensity", 1, 0},
    {"gpm2", "AreaDensity", 1e-3L, 0},
    {"gsm", "AreaDensity", 1e-3L, 0},

    {"kgpm", "LinearDensity", 1, 0},
    {"tex", "LinearDensity", 1e-6L, 0},
    {"dtex", "LinearDensity", 1e-7L, 0},
    {"den", "LinearDensity", 1e-6L / 9, 0},

    {"pC", "Charge", 1e-12L, 0},
    {"statC", "Charge", 1.0L / 2997924580, 0},
    {"abC", "Charge", 10.0L, 0},

    {"mV", "Voltage", 1e-3L, 0},
    {"uV", "Voltage", 1e-6L, 0},
    {"µV", "Voltage", 1e-6L, 0},

    {"mohm", "Resistance", 1e-3L, 0},
    {"mΩ", "Resistance", 1e-3L, 0},
    {"Gohm", "Resistance", 1e9L, 0},
    {"GΩ", "Resistance", 1e9L, 0},

    {"uS", "Conductance", 1e-6L, 0},
    {"µS", "Conductance", 1e-6L, 0},
    {"mho", "Conductance", 1, 0},

    {"Vpm", "ElectricField", 1, 0},
    {"kVpm", "ElectricField", 1e3L, 0},
    {"Vpcm", "ElectricField", 100.0L, 0},
    {"Vpmm", "ElectricField", 1e3L, 0},
    {"kVpcm", "ElectricField", 1e5L, 0},

    {"uWb", "MagneticFlux", 1e-6L, 0},
    {"µWb", "MagneticFlux", 1e-6L, 0},

    {"mG", "MagneticFluxDensity", 1e-7L, 0},
    {"kG", "MagneticFluxDensity", 0.1L, 0},

    {"spat", "SolidAngle", 4 * kPi, 0},

    {"klm", "LuminousFlux", 1e3L, 0},

    {"klx", "Illuminance", 1e3L, 0},
    {"mlx", "Illuminance", 1e-3L, 0},
    {"ph", "Illuminance", 1e4L, 0},

    {"cdpm2", "Luminance", 1, 0},
    {"nit", "Luminance", 1, 0},
    {"kcdpm2", "Luminance", 1e3L, 0},
    {"sb", "Luminance", 1e4L, 0},
    {"fL", "Luminance", 1 / (kPi * 0.09290304L), 0},

    {"Wpm2", "Irradiance", 1, 0},
    {"kWpm2", "Irradiance", 1e3L, 0},
    {"mWpcm2", "Irradiance", 10.0L, 0},
    {"Wpcm2", "Irradiance", 1e4L, 0},

    {"cGy", "AbsorbedDose", 1e-2L, 0},
    {"uGy", "AbsorbedDose", 1e-6L, 0},
    {"µGy", "AbsorbedDose", 1e-6L, 0},

    {"mrem", "EquivalentDose", 1e-5L, 0},

    {"TBq", "Activity", 1e12L, 0},
    {"mCi", "Activity", 3.7e7L, 0},
    {"uCi", "Activity", 3.7e4L, 0},
    {"µCi", "Activity", 3.7e4L, 0},
    {"dpm", "Activity", 1.0L / 60, 0},

    {"ukat", "CatalyticActivity", 1e-6L, 0},
    {"µkat", "CatalyticActivity", 1e-6L, 0},
    {"nkat", "CatalyticActivity", 1e-9L, 0},
    {"U", "CatalyticActivity", 1e-6L / 60, 0},

    {"rps", "AngularVelocity", 2 * kPi, 0},

    {"mNm", "Torque", 1e-3L, 0},
    {"Ncm", "Torque", 1e-2L, 0},
    {"kgfm", "Torque", 9.80665L, 0},
    {"lbfin", "Torque", 0.1129848290276167L, 0},
    {"ozfin", "Torque", 7.061551814226044e-3L, 0},

    {"mPas", "DynamicViscosity", 1e-3L, 0},

    {"mm2ps", "KinematicViscosity", 1e-6L, 0},

    {"mgpl", "Density", 1e-3L, 0},
    {"mgpm3", "Density", 1e-6L, 0},
    {"ugpm3", "Density", 1e-9L, 0},
    {"µgpm3", "Density", 1e-9L, 0},
    {"kgpl", "Density", 1e3L, 0},
    {"gpml", "Density", 1e3L, 0},
    {"lbpft3", "Density", 16.018463373960138L, 0},
    {"lbpgal", "Density", 119.82642731689663L, 0},

    {"lph", "Flow", 1e-3L / 3600, 0},
    {"mlpm", "Flow", 1e-6L / 60, 0},
    {"cfm", "Flow", 4.719474432e-4L, 0},
    {"cfs", "Flow", 0.028316846592L, 0},
    {"gph", "Flow", 3.785411784e-3L / 3600, 0},

    {"umolpl", "Concentration", 1e-3L, 0},
    {"µmolpl", "Concentration", 1e-3L, 0},
    {"nmolpl", "Concentration", 1e-6L, 0},
    {"M", "Concentration", 1e3L, 0},
    {"mM", "Concentration", 1, 0},
    {"uM", "Concentration", 1e-3L, 0},
    {"µM", "Concentration", 1e-3L, 0},
    {"nM", "Concentration", 1e-6L, 0},

    {"kgps", "MassFlow", 1, 0},
    {"gps", "MassFlow", 1e-3L, 0},
    {"kgpmin", "MassFlow", 1.0L / 60, 0},
    {"kgph", "MassFlow", 1.0L / 3600, 0},
    {"tph", "MassFlow", 1000.0L / 3600, 0},
    {"lbph", "MassFlow", 0.45359237L / 3600, 0},

    {"m3perm", "FuelConsumption", 1, 0},
    {"lp100km", "FuelConsumption", 1e-8L, 0},
    {"Lp100km", "FuelConsumption", 1e-8L, 0},
    {"lpkm", "FuelConsumption", 1e-6L, 0},
    {"galp100mi", "FuelConsumption", 3.785411784e-3L / 160934.4L, 0},

    {"mperm3", "FuelEconomy", 1, 0},
    {"kmpl", "FuelEconomy", 1e6L, 0},
    {"mpg", "FuelEconomy", 1609.344L / 3.785411784e-3L, 0},
    {"mpgus", "FuelEconomy", 1609.344L / 3.785411784e-3L, 0},
    {"mpgimp", "FuelEconomy", 1609.344L / 4.54609e-3L, 0},

    {"PB", "Data", 1e15L, 0},
    {"EB", "Data", 1e18L, 0},
    {"PiB", "Data", 1125899906842624.0L, 0},
    {"EiB", "Data", 1152921504606846976.0L, 0},
    {"Tbit", "Data", 1.25e11L, 0},
    {"Kibit", "Data", 128.0L, 0},
    {"Mibit", "Data", 131072.0L, 0},
    {"Gibit", "Data", 134217728.0L, 0},
    {"nibble", "Data", 0.5L, 0},

    {"Tbps", "DataRate", 1.25e11L, 0},
    {"kBps", "DataRate", 1e3L, 0},
    {"MBps", "DataRate", 1e6L, 0},
    {"GBps", "DataRate", 1e9L, 0},
    {"MiBps", "DataRate", 1048576.0L, 0},

    {"lightyear", "Length", 9460730472580800.0L, 0},
    {"lightyears", "Length", 9460730472580800.0L, 0},
    {"parsec", "Length", 3.0856775814913673e16L, 0},
    {"parsecs", "Length", 3.0856775814913673e16L, 0},
    {"furlong", "Length", 201.168L, 0},
    {"furlongs", "Length", 201.168L, 0},
    {"fathom", "Length", 1.8288L, 0},
    {"fathoms", "Length", 1.8288L, 0},
    {"microns", "Length", 1e-6L, 0},
    {"nauticalmile", "Length", 1852, 0},
    {"tonne", "Mass", 1e3L, 0},
    {"tonnes", "Mass", 1e3L, 0},
    {"μg", "Mass", 1e-9L, 0},
    {"carat", "Mass", 2e-4L, 0},
    {"carats", "Mass", 2e-4L, 0},
    {"grain", "Mass", 6.479891e-5L, 0},
    {"grains", "Mass", 6.479891e-5L, 0},
    {"year", "Time", 31557600, 0},
    {"years", "Time", 31557600, 0},
    {"month", "Time", 2629746.0L, 0},
    {"months", "Time", 2629746.0L, 0},
    {"millisecond", "Time", 1e-3L, 0},
    {"milliseconds", "Time", 1e-3L, 0},
    {"msec", "Time", 1e-3L, 0},
    {"fortnights", "Time", 1209600.0L, 0},
    {"mole", "Amount", 1, 0},
    {"moles", "Amount", 1, 0},
    {"μmol", "Amount", 1e-6L, 0},
    {"amps", "Current", 1, 0},
    {"amperes", "Current", 1, 0},
    {"μA", "Current", 1e-6L, 0},
    {"degree", "Angle", kPi / 180, 0},
    {"degrees", "Angle", kPi / 180, 0},
    {"radian", "Angle", 1, 0},
    {"radians", "Angle", 1, 0},
    {"μrad", "Angle", 1e-6L, 0},
    {"acres", "Area", 4046.8564224L, 0},
    {"sqm", "Area", 1, 0},
    {"sqkm", "Area", 1e6L, 0},
    {"sqin", "Area", 6.4516e-4L, 0},
    {"in²", "Area", 6.4516e-4L, 0},
    {"sqft", "Area", 0.09290304L, 0},
    {"ft²", "Area", 0.09290304L, 0},
    {"sqyd", "Area", 0.83612736L, 0},
    {"yd²", "Area", 0.83612736L, 0},
    {"sqmi", "Area", 2589988.110336L, 0},
    {"mi²", "Area", 2589988.110336L, 0},
    {"μl", "Volume", 1e-9L, 0},
    {"gallon", "Volume", 3.785411784e-3L, 0},
    {"gallons", "Volume", 3.785411784e-3L, 0},
    {"quart", "Volume", 9.46352946e-4L, 0},
    {"quarts", "Volume", 9.46352946e-4L, 0},
    {"pint", "Volume", 4.73176473e-4L, 0},
    {"pints", "Volume", 4.73176473e-4L, 0},
    {"cups", "Volume", 2.365882365e-4L, 0},
    {"teaspoon", "Volume", 4.92892159375e-6L, 0},
    {"teaspoons", "Volume", 4.92892159375e-6L, 0},
    {"tablespoon", "Volume", 1.478676478125e-5L, 0},
    {"tablespoons", "Volume", 1.478676478125e-5L, 0},
    {"in³", "Volume", 1.6387064e-5L, 0},
    {"ft³", "Volume", 0.028316846592L, 0},
    {"yd³", "Volume", 0.764554857984L, 0},
    {"kph", "Velocity", 1 / 3.6L, 0},
    {"kmph", "Velocity", 1 / 3.6L, 0},
    {"hertz", "Frequency", 1, 0},
    {"newtons", "Force", 1, 0},
    {"pascals", "Pressure", 1, 0},
    {"joules", "Energy", 1, 0},
    {"Btu", "Energy", 1055.05585262L, 0},
    {"kilowatthour", "Energy", 3.6e6L, 0},
    {"watts", "Power", 1, 0},
    {"kilowatt", "Power", 1e3L, 0},
    {"kilowatts", "Power", 1e3L, 0},
    {"horsepower", "Power", 745.69987158227022L, 0},
    {"μW", "Power", 1e-6L, 0},
    {"volts", "Voltage", 1, 0},
    {"μV", "Voltage", 1e-6L, 0},
    {"ohms", "Resistance", 1, 0},
    {"μS", "Conductance", 1e-6L, 0},
    {"μWb", "MagneticFlux", 1e-6L, 0},
    {"sqdeg", "SolidAngle", (kPi / 180) * (kPi / 180), 0},
    {"μGy", "AbsorbedDose", 1e-6L, 0},
    {"μCi", "Activity", 3.7e4L, 0},
    {"μkat", "CatalyticActivity", 1e-6L, 0},
    {"μgpm3", "Density", 1e-9L, 0},
    {"μmolpl", "Concentration", 1e-3L, 0},
    {"μM", "Concentration", 1e-3L, 0},
    {"bytes", "Data", 1, 0},
    {"bits", "Data", 0.125L, 0},
    // Added with the constants and the units a comparison with NIST SP 811 found missing.
    {"dam", "Length", 10, 0},
    {"hm", "Length", 100, 0},
    {"ftUS", "Length", 1200.0L / 3937, 0},
    {"miUS", "Length", 5280 * 1200.0L / 3937, 0},
    {"hm2", "Area", 1e4L, 0},
    {"hm²", "Area", 1e4L, 0},
    {"fm2", "Area", 1e-30L, 0},
    {"fm²", "Area", 1e-30L, 0},
    {"impfldr", "Volume", 3.5516328125e-6L, 0},
    {"impcup", "Volume", 2.84130625e-4L, 0},
    {"imptbsp", "Volume", 2.84130625e-5L * 5 / 8, 0},
    {"imptsp", "Volume", 2.84130625e-5L * 5 / 24, 0},
    {"metriccup", "Volume", 2.5e-4L, 0},
    {"metrictbsp", "Volume", 1.5e-5L, 0},
    {"metrictsp", "Volume", 5e-6L, 0},
    {"cmHg", "Pressure", 1333.22387415L, 0},
    {"ftH2O", "Pressure", 2989.06692L, 0},
    {"at", "Pressure", 98066.5L, 0},
    {"thermEC", "Energy", 1.05506e8L, 0},
    {"thermie", "Energy", 4.1868e6L, 0},
    {"ppq", "Ratio", 1e-15L, 0},
    {"kcd", "LuminousIntensity", 1e3L, 0},
    {"kcalIT", "Energy", 4186.8L, 0},
    {"commonyear", "Time", 3.1536e7L, 0},
    {"permetre", "Wavenumber", 1, 0},
    {"percm", "Wavenumber", 100, 0},
    {"Fpm", "Permittivity", 1, 0},
    {"Hpm", "Permeability", 1, 0},
    {"JpmolK", "MolarHeatCapacity", 1, 0},
    {"Cpmol", "MolarCharge", 1, 0},
    {"m3pkgs2", "GravitationalConstant", 1, 0},
    {"Wpm2K4", "RadiationConstant", 1, 0},
};

TEST(LibraryAccuracy, EveryUnitMatchesItsPublishedValue) {
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    std::set<std::string> listed;
    for (const Reference& reference : kReferences) {
        SCOPED_TRACE(reference.symbol);
        EXPECT_TRUE(listed.insert(reference.symbol).second) << "listed twice";
        const Unit* unit = registry.findUnit(reference.symbol);
        if (unit == nullptr) {
            ADD_FAILURE() << "not in the library";
            continue;
        }
        EXPECT_EQ(unit->quantity, reference.quantity);
        const long double factor = unit->scale / unit->referenceUnit->scale;
        EXPECT_LE(std::fabs(factor - reference.factor), 1e-12L * reference.factor)
            << "factor " << static_cast<double>(factor);
        // A value v of the unit is v * scale - offset in the reference unit: its zero is -offset.
        EXPECT_LE(std::fabs(-unit->offset - reference.zero), 1e-12L)
            << "offset " << static_cast<double>(unit->offset);
    }
    for (const Unit* unit : registry.units()) {
        EXPECT_TRUE(listed.count(std::string(unit->symbol)) == 1)
            << unit->symbol << " needs a reference value";
    }
}

/// A constant's published value in the reference unit of its quantity (none: a plain number).
struct ConstantReference {
    const char* name;
    long double value;
    const char* referenceUnit;
};

// Exact where the SI fixes them (the defining constants and what follows from them alone),
// CODATA 2018 recommended values otherwise.
const ConstantReference kConstants[] = {
    {"c", 299792458.0L, "mps"},
    {"g0", 9.80665L, "mps2"},
    {"NA", 6.02214076e23L, "permol"},
    {"planck", 6.62607015e-34L, "Js"},
    {"qe", 1.602176634e-19L, "C"},
    {"k_B", 1.380649e-23L, "JpK"},
    {"hbar", 1.054571817646156391262e-34L, "Js"},
    {"G", 6.67430e-11L, "m3pkgs2"},
    {"m_e", 9.1093837015e-31L, "kg"},
    {"m_p", 1.67262192369e-27L, "kg"},
    {"m_n", 1.67492749804e-27L, "kg"},
    {"m_u", 1.66053906660e-27L, "kg"},
    {"eps0", 8.8541878128e-12L, "Fpm"},
    {"mu0", 1.25663706212e-6L, "Hpm"},
    {"R_gas", 8.31446261815324L, "JpmolK"},
    {"F_const", 96485.3321233100184L, "Cpmol"},
    {"sigma_SB", 5.670374419184429453971e-8L, "Wpm2K4"},
    {"alpha", 7.2973525693e-3L, nullptr},
    {"a0", 5.29177210903e-11L, "m"},
    {"R_inf", 10973731.568160L, "permetre"},
    {"atm0", 101325.0L, "Pa"},
    {"pi", kPi, nullptr},
    {"e", 2.718281828459045235360L, nullptr},
    {"boltzmann", 1.380649e-23L, "JpK"},
    {"gravitation", 6.67430e-11L, "m3pkgs2"},
    {"electronmass", 9.1093837015e-31L, "kg"},
    {"protonmass", 1.67262192369e-27L, "kg"},
    {"neutronmass", 1.67492749804e-27L, "kg"},
    {"gasconstant", 8.31446261815324L, "JpmolK"},
    {"faraday", 96485.3321233100184L, "Cpmol"},
    {"finestructure", 7.2973525693e-3L, nullptr},
    {"bohrradius", 5.29177210903e-11L, "m"},
    {"rydberg", 10973731.568160L, "permetre"},
};

TEST(LibraryAccuracy, EveryConstantMatchesItsPublishedValue) {
    Calculator calculator = libraryCalculator();
    std::set<std::string> listed;
    for (const ConstantReference& constant : kConstants) {
        SCOPED_TRACE(constant.name);
        listed.insert(constant.name);
        calculator.evaluate(constant.name);
        // ans keeps the value in the reference unit of its quantity.
        const long double value = calculator.ansValue();
        EXPECT_LE(std::fabs(value - constant.value), 1e-12L * constant.value)
            << static_cast<double>(value);
        const Unit* unit = calculator.ansUnit();
        if (constant.referenceUnit == nullptr) {
            EXPECT_EQ(unit, nullptr);
        } else if (unit == nullptr) {
            ADD_FAILURE() << "a plain number";
        } else {
            EXPECT_EQ(unit->symbol, constant.referenceUnit);
        }
    }
    for (const auto& [name, function] : calculator.registry().functions()) {
        if (function.argumentCount != 0 || function.drawsRandom) continue;
        EXPECT_EQ(listed.count(name), 1u) << name << " needs a reference value";
    }
}

TEST(LibraryAccuracy, TheGravitationalConstantGivesTheEarthsGravity) {
    Calculator calculator = libraryCalculator();
    calculator.evaluate("G * 5.97e24 kg / (6371 km)^2");
    ASSERT_NE(calculator.ansUnit(), nullptr);
    EXPECT_EQ(calculator.ansUnit()->quantity, "Acceleration");
    EXPECT_NEAR(static_cast<double>(calculator.ansValue()), 9.8167, 1e-4);
}

/// A unit of NIST SP 811 (appendix B.8), with its exact factor to the reference unit.
struct PublishedUnit {
    const char* name;
    const char* quantity;
    long double factor;
};

// Every unit of that table of the everyday kind whose factor is exact and whose quantity the
// library has (the water columns differ between the conventional and the 4 °C values, and the
// US survey chain, rod and acre are left out; the library's are international).
const PublishedUnit kNistUnits[] = {
    {"angstrom", "Length", 1e-10L},
    {"fermi", "Length", 1e-15L},
    {"foot", "Length", 0.3048L},
    {"foot (US survey)", "Length", 1200.0L / 3937},
    {"inch", "Length", 0.0254L},
    {"micron", "Length", 1e-6L},
    {"mil", "Length", 2.54e-5L},
    {"mile", "Length", 1609.344L},
    {"mile (US survey)", "Length", 5280 * 1200.0L / 3937},
    {"nautical mile", "Length", 1852},
    {"pica (computer)", "Length", 0.0254L / 6},
    {"point (computer)", "Length", 0.0254L / 72},
    {"yard", "Length", 0.9144L},
    {"are", "Area", 100},
    {"barn", "Area", 1e-28L},
    {"hectare", "Area", 1e4L},
    {"square foot", "Area", 0.09290304L},
    {"square inch", "Area", 6.4516e-4L},
    {"square mile", "Area", 2589988.110336L},
    {"square yard", "Area", 0.83612736L},
    {"barrel (oil)", "Volume", 0.158987294928L},
    {"bushel (US)", "Volume", 0.03523907016688L},
    {"cord", "Volume", 3.624556363776L},
    {"cubic foot", "Volume", 0.028316846592L},
    {"cubic inch", "Volume", 1.6387064e-5L},
    {"cubic yard", "Volume", 0.764554857984L},
    {"cup (US)", "Volume", 2.365882365e-4L},
    {"fluid ounce (US)", "Volume", 2.95735295625e-5L},
    {"gallon (UK)", "Volume", 4.54609e-3L},
    {"gallon (US)", "Volume", 3.785411784e-3L},
    {"gill (UK)", "Volume", 1.420653125e-4L},
    {"gill (US)", "Volume", 1.1829411825e-4L},
    {"liter", "Volume", 1e-3L},
    {"ounce (UK fluid)", "Volume", 2.84130625e-5L},
    {"peck (US)", "Volume", 8.80976754172e-3L},
    {"pint (US dry)", "Volume", 5.506104713575e-4L},
    {"pint (US liquid)", "Volume", 4.73176473e-4L},
    {"quart (US dry)", "Volume", 1.101220942715e-3L},
    {"quart (US liquid)", "Volume", 9.46352946e-4L},
    {"tablespoon", "Volume", 1.478676478125e-5L},
    {"teaspoon", "Volume", 4.92892159375e-6L},
    {"atmosphere, standard", "Pressure", 101325},
    {"atmosphere, technical", "Pressure", 98066.5L},
    {"bar", "Pressure", 1e5L},
    {"centimeter of mercury (conventional)", "Pressure", 1333.22387415L},
    {"kilogram-force per square centimeter", "Pressure", 98066.5L},
    {"millibar", "Pressure", 100},
    {"millimeter of mercury (conventional)", "Pressure", 133.322387415L},
    {"pound-force per square inch", "Pressure", 4.4482216152605L / 6.4516e-4L},
    {"pound-force per square foot", "Pressure", 4.4482216152605L / 0.09290304L},
    {"kip per square inch", "Pressure", 4448.2216152605L / 6.4516e-4L},
    {"torr", "Pressure", 101325.0L / 760},
    {"British thermal unit (IT)", "Energy", 1055.05585262L},
    {"calorie (IT)", "Energy", 4.1868L},
    {"calorie (thermochemical)", "Energy", 4.184L},
    {"kilocalorie (IT)", "Energy", 4186.8L},
    {"kilocalorie (thermochemical)", "Energy", 4184},
    {"electronvolt", "Energy", 1.602176634e-19L},
    {"erg", "Energy", 1e-7L},
    {"foot pound-force", "Energy", 0.3048L * 4.4482216152605L},
    {"kilowatt hour", "Energy", 3.6e6L},
    {"therm (EC)", "Energy", 1.05506e8L},
    {"therm (US)", "Energy", 1.054804e8L},
    {"ton of TNT", "Energy", 4.184e9L},
    {"horsepower (electric)", "Power", 746},
    {"horsepower (metric)", "Power", 735.49875L},
    {"horsepower (550 ft lbf/s)", "Power", 550 * 0.3048L * 4.4482216152605L},
    {"ton of refrigeration (12 000 Btu/h)", "Power", 12000 * 1055.05585262L / 3600},
    {"dyne", "Force", 1e-5L},
    {"kilogram-force", "Force", 9.80665L},
    {"kip", "Force", 4448.2216152605L},
    {"ounce (avoirdupois)-force", "Force", 4.4482216152605L / 16},
    {"pound-force", "Force", 4.4482216152605L},
    {"poundal", "Force", 0.138254954376L},
    {"ton-force (2000 lb)", "Force", 8896.443230521L},
    {"carat, metric", "Mass", 2e-4L},
    {"dram (avoirdupois)", "Mass", 0.45359237L / 256},
    {"grain", "Mass", 6.479891e-5L},
    {"hundredweight (long)", "Mass", 112 * 0.45359237L},
    {"hundredweight (short)", "Mass", 45.359237L},
    {"ounce (avoirdupois)", "Mass", 0.45359237L / 16},
    {"ounce (troy)", "Mass", 0.0311034768L},
    {"pennyweight", "Mass", 1.55517384e-3L},
    {"pound (avoirdupois)", "Mass", 0.45359237L},
    {"pound (troy)", "Mass", 0.3732417216L},
    {"ton, long", "Mass", 2240 * 0.45359237L},
    {"ton, metric", "Mass", 1000},
    {"ton, short", "Mass", 907.18474L},
    {"day", "Time", 86400},
    {"hour", "Time", 3600},
    {"minute", "Time", 60},
    {"year (365 days)", "Time", 3.1536e7L},
    {"foot per second", "Velocity", 0.3048L},
    {"inch per second", "Velocity", 0.0254L},
    {"foot per minute", "Velocity", 5.08e-3L},
    {"kilometer per hour", "Velocity", 1 / 3.6L},
    {"knot", "Velocity", 1852 / 3600.0L},
    {"mile per hour", "Velocity", 0.44704L},
    {"gal", "Acceleration", 0.01L},
    {"foot per second squared", "Acceleration", 0.3048L},
    {"standard acceleration of gravity", "Acceleration", 9.80665L},
    {"pound per cubic foot", "Density", 0.45359237L / 0.028316846592L},
    {"pound per gallon (US)", "Density", 0.45359237L / 3.785411784e-3L},
    {"gram per cubic centimeter", "Density", 1000},
    {"poise", "DynamicViscosity", 0.1L},
    {"centipoise", "DynamicViscosity", 1e-3L},
    {"stokes", "KinematicViscosity", 1e-4L},
    {"centistokes", "KinematicViscosity", 1e-6L},
    {"gauss", "MagneticFluxDensity", 1e-4L},
    {"maxwell", "MagneticFlux", 1e-8L},
    {"footcandle", "Illuminance", 1 / 0.09290304L},
    {"phot", "Illuminance", 1e4L},
    {"stilb", "Luminance", 1e4L},
    {"footlambert", "Luminance", 1 / (kPi * 0.09290304L)},
    {"curie", "Activity", 3.7e10L},
    {"rem", "EquivalentDose", 0.01L},
    {"gon", "Angle", kPi / 200},
    {"degree", "Angle", kPi / 180},
    {"minute (angle)", "Angle", kPi / 10800},
    {"second (angle)", "Angle", kPi / 648000},
    {"revolution", "Angle", 2 * kPi},
    {"cubic foot per minute", "Flow", 0.028316846592L / 60},
    {"gallon (US) per minute", "Flow", 3.785411784e-3L / 60},
    {"mile per gallon (US)", "FuelEconomy", 1609.344L / 3.785411784e-3L},
    {"ampere hour", "Charge", 3600},
    {"pound-force foot", "Torque", 0.3048L * 4.4482216152605L},
    {"pound-force inch", "Torque", 0.0254L * 4.4482216152605L},
    {"kilogram-force meter", "Torque", 9.80665L},
    {"watt per square centimeter", "Irradiance", 1e4L},
};

TEST(LibraryAccuracy, EveryEverydayUnitOfThePublishedTableIsThere) {
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    for (const PublishedUnit& published : kNistUnits) {
        SCOPED_TRACE(published.name);
        const QuantityUnits* units = registry.findQuantity(published.quantity);
        ASSERT_NE(units, nullptr) << published.quantity;
        const bool found = std::any_of(units->begin(), units->end(), [&](const Unit* unit) {
            return unit->offset == 0 &&
                   std::fabs(unit->scale - published.factor) <= 1e-12L * published.factor;
        });
        EXPECT_TRUE(found) << "no unit of " << published.quantity << " is "
                           << static_cast<double>(published.factor);
    }
}

TEST(LibraryAccuracy, EveryQuantityStartsWithAPlainReferenceUnit) {
    const Calculator calculator = libraryCalculator();
    for (const auto& [quantity, units] : calculator.registry().quantities()) {
        SCOPED_TRACE(quantity);
        ASSERT_FALSE(units.empty());
        EXPECT_EQ(units.front()->scale, 1.0L);
        EXPECT_EQ(units.front()->offset, 0.0L);
    }
}

// ---------------------------------------------------------------------------------------------
// Names, rules and functions

bool isNameCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' ||
           c == '_' || c == '"' || c == '\'' || byte >= 0x80;
}

/// True when `text` reads as one name token that is not a keyword.
bool isSingleName(std::string_view text) {
    if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
    if (text == "in" || text == "nroot") return false;
    for (char c : text) {
        if (!isNameCharacter(c)) return false;
    }
    return true;
}

TEST(LibraryNames, EveryUnitHasANameAndADescription) {
    const Calculator calculator = libraryCalculator();
    for (const Unit* unit : calculator.registry().units()) {
        SCOPED_TRACE(unit->symbol);
        EXPECT_FALSE(unit->name.empty());
        EXPECT_FALSE(unit->description.empty());
    }
}

TEST(LibraryNames, EveryMicroUnitIsAlsoReadWithTheGreekMu) {
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    const std::string microSign = "\u00B5";
    const std::string greekMu = "\u03BC";
    std::size_t micro = 0;
    for (const Unit* unit : registry.units()) {
        const std::string_view symbol = unit->symbol;
        const std::size_t at = symbol.find(microSign);
        if (at == std::string::npos) continue;
        SCOPED_TRACE(symbol);
        ++micro;
        std::string twinSymbol(symbol);
        twinSymbol.replace(at, microSign.size(), greekMu);
        const Unit* twin = registry.findUnit(twinSymbol);
        ASSERT_NE(twin, nullptr) << "no " << twinSymbol;
        EXPECT_EQ(twin->quantity, unit->quantity);
        EXPECT_EQ(twin->scale, unit->scale);
        EXPECT_FALSE(twin->displayed);  // the twin never changes what is shown
    }
    EXPECT_GE(micro, 20u);
}

TEST(LibraryNames, QuantityNamesCanBeUsedInRules) {
    const Calculator calculator = libraryCalculator();
    for (const auto& [quantity, units] : calculator.registry().quantities()) {
        SCOPED_TRACE(quantity);
        EXPECT_TRUE(isSingleName(quantity));
    }
}

TEST(LibraryNames, EveryRuleNamesKnownQuantitiesAndNoRuleIsShadowed) {
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    std::set<std::tuple<std::string, TokenKind, std::string>> seen;
    for (const Conversion& rule : registry.conversions()) {
        const std::string text = rule.left + (rule.op == TokenKind::Star ? " * " : " / ") +
                                 rule.right + " = " + rule.result;
        SCOPED_TRACE(text);
        EXPECT_TRUE(rule.op == TokenKind::Star || rule.op == TokenKind::Slash);
        // The loader checks only the result; a misspelt operand would silently never match.
        EXPECT_TRUE(rule.left == "1" || registry.findQuantity(rule.left) != nullptr);
        EXPECT_NE(registry.findQuantity(rule.right), nullptr);
        // The first matching rule wins, and a "*" rule also serves the other order.
        EXPECT_TRUE(seen.emplace(rule.left, rule.op, rule.right).second) << "shadowed";
        if (rule.op == TokenKind::Star) {
            EXPECT_TRUE(rule.left == rule.right ||
                        seen.emplace(rule.right, rule.op, rule.left).second)
                << "shadowed";
        }
    }
}

TEST(LibraryNames, EveryUserFunctionCanBeCalled) {
    const Calculator calculator = libraryCalculator();
    for (const auto& [name, function] : calculator.registry().functions()) {
        SCOPED_TRACE(name);
        // A unit of the same name would always win over the function.
        EXPECT_EQ(calculator.registry().findUnit(name), nullptr);
        EXPECT_FALSE(function.description.empty());
    }
}

// ---------------------------------------------------------------------------------------------
// docs/units.md

std::string numberText(long double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string unitValue(const Unit& unit) {
    const Unit& reference = *unit.referenceUnit;
    const std::string factor =
        numberText(unit.scale / reference.scale) + " " + std::string(shownText(reference));
    if (unit.offset == 0) return factor;
    return factor + " per step; 0 " + std::string(shownText(unit)) + " = " +
           numberText(-unit.offset) + " " + std::string(shownText(reference));
}

/// A dimension as text over the base quantities' names: "Length / Time^2", "1 / Time".
std::string dimensionText(const UnitRegistry& registry, const Dimension& dimension) {
    std::string numerator;
    std::string denominator;
    const std::vector<std::string>& bases = registry.baseQuantities();
    for (std::size_t i = 0; i < bases.size(); ++i) {
        const int exponent = dimension.exponent(static_cast<int>(i));
        if (exponent == 0) continue;
        std::string& side = exponent > 0 ? numerator : denominator;
        if (!side.empty()) side += " * ";
        side += bases[i];
        if (std::abs(exponent) > 1) side += "^" + std::to_string(std::abs(exponent));
    }
    if (numerator.empty()) numerator = "1";
    return denominator.empty() ? numerator : numerator + " / " + denominator;
}

/// Whether `alias` is another name for `unit`: never shown, with the same scale and offset.
bool isAliasOf(const Unit& alias, const Unit& unit) {
    return !alias.displayed && unit.displayed && alias.scale == unit.scale &&
           alias.offset == unit.offset;
}

std::string renderUnitsDocument(Calculator& calculator) {
    const UnitRegistry& registry = calculator.registry();
    std::ostringstream out;
    out << "# Units of the default library\n\n"
        << "This page is generated from the files in `settings/` by the library test; do not edit "
           "it by hand.\n"
        << "After changing a settings file, regenerate it from the repository root with\n\n"
        << "    QUANTREL_UPDATE_DOCS=1 build/quantrel_tests --gtest_filter='LibraryDocs.*'\n\n"
        << "(or the same with the test program of another build directory).\n\n"
        << "Values are held in the first unit of each quantity, its reference unit. A result is "
           "shown in the unit of its quantity that gives the shortest number; when two units "
           "give equally short numbers, the one listed first here wins. Units marked *(not "
           "shown)* are read in input and after `in` but never chosen for a result; other names "
           "for a unit are listed beside it. A result in a unit is written with the text in the "
           "column *Shown as* (its textbook form; the symbol where it has none), which reads back "
           "as the same value. Each quantity is headed by the name menus and hints show for it, "
           "followed by its name in the settings.\n";
    for (const auto& [quantity, units] : registry.quantities()) {
        out << "\n## " << registry.displayName(quantity) << "\n\n"
            << "Settings name: `" << quantity << "`";
        if (const Dimension* dimension = registry.dimensionOf(quantity)) {
            out << ", dimension: " << dimensionText(registry, *dimension);
        }
        out << "\n\n"
            << "| Symbol | Shown as | Name | Description | Value | Also |\n"
            << "|---|---|---|---|---|---|\n";
        for (const Unit* unit : units) {
            const bool alias = std::any_of(units.begin(), units.end(), [&](const Unit* other) {
                return isAliasOf(*unit, *other);
            });
            if (alias) continue;
            std::string also;
            for (const Unit* other : units) {
                if (!isAliasOf(*other, *unit)) continue;
                if (!also.empty()) also += ", ";
                also += "`" + std::string(other->symbol) + "`";
            }
            out << "| `" << unit->symbol << "`" << (unit->displayed ? "" : " *(not shown)*")
                << " | `" << shownText(*unit) << "` | " << unit->name << " | " << unit->description
                << " | " << unitValue(*unit) << " | " << also << " |\n";
        }
    }
    out << "\n## Constants\n\n"
        << "Functions without parameters: type the name (`G * 5.97e24 kg / (6371 km)^2`). The "
           "value is shown with ten significant digits.\n\n"
        << "| Name | Value | Description |\n"
        << "|---|---|---|\n";
    const NumberFormat format = calculator.numberFormat();
    calculator.setNumberFormat(NumberFormat(10));
    for (const auto& [name, function] : registry.functions()) {
        if (function.argumentCount != 0 || function.drawsRandom) continue;
        out << "| `" << name << "` | " << calculator.evaluate(name).text << " | "
            << function.description << " |\n";
    }
    calculator.setNumberFormat(format);
    out << "\n## Products and quotients\n\n"
        << "A product or quotient takes the quantity declared first with its dimension (a plain "
           "number when the dimensions cancel), unless a rule names another.";
    if (registry.conversions().empty()) {
        out << " The library needs no rule.\n";
        return out.str();
    }
    out << " A rule written with `*` serves both orders of its operands; one written with `/` "
           "only the order written. The first matching rule wins.\n\n"
        << "| Formula | Result |\n"
        << "|---|---|\n";
    for (const Conversion& rule : registry.conversions()) {
        out << "| `" << rule.left << (rule.op == TokenKind::Star ? " * " : " / ") << rule.right
            << "` | " << rule.result << " |\n";
    }
    return out.str();
}

TEST(LibraryDocs, UnitsDocumentMatchesTheLibrary) {
    Calculator calculator = libraryCalculator();
    const std::string rendered = renderUnitsDocument(calculator);
    const char* update = std::getenv("QUANTREL_UPDATE_DOCS");
    if (update != nullptr && std::string_view(update) == "1") {
        std::ofstream file(kUnitsDocument, std::ios::binary | std::ios::trunc);
        file << rendered;
        ASSERT_TRUE(file.good()) << "cannot write " << kUnitsDocument;
        return;
    }
    std::ifstream file(kUnitsDocument, std::ios::binary);
    ASSERT_TRUE(file.is_open()) << kUnitsDocument << " is missing; run with QUANTREL_UPDATE_DOCS=1";
    const std::string stored{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
    EXPECT_TRUE(stored == rendered)
        << "docs/units.md is out of date; run the test with QUANTREL_UPDATE_DOCS=1";
}

}  // namespace
}  // namespace quantrel

namespace quantrel {
namespace {

TEST(LibrarySuggestions, OfferTheSymbolsPeopleMeant) {
    const Calculator calculator = libraryCalculator();
    // Shown units come before aliases that are as close.
    EXPECT_EQ(calculator.closestNames("kilometr"), std::vector<std::string>{"km"});
    EXPECT_EQ(calculator.closestNames("Kilometres"), std::vector<std::string>{"kilometres"});
    EXPECT_EQ(calculator.closestNames("mtr"), std::vector<std::string>{"m"});
    // Case counts inside a symbol: "mtr" above is not mT, "kiph" is not kPa.
    EXPECT_EQ(calculator.closestNames("kiph"), std::vector<std::string>{"kgph"});
    EXPECT_EQ(calculator.closestNames("Mph"), std::vector<std::string>{"mph"});
    EXPECT_EQ(calculator.closestNames("kilogramme"), std::vector<std::string>{"kg"});
    // As close, the shorter (more common) name first: the obvious fix of "kmm" leads.
    const std::vector<std::string> kmm = calculator.closestNames("kmm");
    ASSERT_FALSE(kmm.empty());
    EXPECT_EQ(kmm.front(), "km");
}

}  // namespace
}  // namespace quantrel

namespace quantrel {
namespace {

TEST(LibraryRules, OnlyWhereTheDimensionsWouldDecideOtherwise) {
    // A rule is kept only where two quantities share a dimension and the product or quotient
    // must land in one that is not declared first for it; everywhere else the dimensions decide.
    const Calculator calculator = libraryCalculator();
    const UnitRegistry& registry = calculator.registry();
    std::vector<std::string> redundant;
    for (const Conversion& rule : registry.conversions()) {
        const Dimension* right = registry.dimensionOf(rule.right);
        const Dimension* left = rule.left == "1" ? nullptr : registry.dimensionOf(rule.left);
        if (right == nullptr || (rule.left != "1" && left == nullptr)) continue;
        const Dimension base = left != nullptr ? *left : Dimension();
        const std::optional<Dimension> result =
            rule.op == TokenKind::Star ? base.times(*right) : base.over(*right);
        ASSERT_TRUE(result.has_value());
        const Unit* decided = result->isEmpty() ? nullptr : registry.unitOfDimension(*result);
        if (decided == rule.resultReference) {
            redundant.push_back(rule.left + (rule.op == TokenKind::Star ? " * " : " / ") +
                                rule.right);
        }
    }
    EXPECT_TRUE(redundant.empty()) << ::testing::PrintToString(redundant);
}

}  // namespace
}  // namespace quantrel
