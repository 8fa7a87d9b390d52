// SPDX-License-Identifier: GPL-3.0-or-later
// Entering units from their definition texts: scale and offset, errors, and the quantity lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/caught_error.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "syntax/tokenizer.h"
#include "syntax/unit_definition.h"

namespace quantrel {
namespace {

using test::caughtError;

/// A registry holding only the metre (Length) and the kelvin (Temperature).
std::unique_ptr<UnitRegistry> baseRegistry() {
    auto registry = std::make_unique<UnitRegistry>(5489);
    registry->defineUnit("Length", "m", std::string("metre"), "", std::string("1"));
    registry->defineUnit("Temperature", "K", std::string("kelvin"), "", std::string("1"));
    return registry;
}

/// Definition literals are read as doubles, then computed with in long double.
long double literal(double value) {
    return static_cast<long double>(value);
}

void expectClose(long double actual, long double expected) {
    EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),
                1e-12 * std::fabs(static_cast<double>(expected)) + 1e-15);
}

TEST(UnitDefinition, DerivesScaleAndOffset) {
    // degF's line through (0, 255.372) and (100, 310.928).
    const long double degFScale = 1 / (100 / (literal(310.928) - literal(255.372)));
    struct Row {
        const char* definition;
        long double scale;
        long double offset;
    };
    const Row rows[] = {
        {"1000 m", 1000, 0},
        {"2 * 3 + 1", 7, 0},
        {"1000 / 3600", literal(1000.0) / 3600, 0},
        {"0 u = 273.15 K", 1, -literal(273.15)},
        {"5 = 10", 1, -10},  // one pair fixes only the offset; the left value has no effect
        {"0 u = 273.15 K these words are ignored", 1, -literal(273.15)},
        {"0 u = 255.372 K, 100 u = 310.928 K", degFScale, degFScale * 0 - literal(255.372)},
        // A comma right after a digit is a decimal comma: one pair, the rest ignored.
        {"0 = 273.15, 100 = 373.15", 1, -literal(273.15)},
        {"0 = 1, 0 = 2", 1, -1},
        // A unit symbol or a space before the comma makes it a separator: two pairs.
        {"0 = 273.15 K, 100 = 473.15 K", 2, -literal(273.15)},
        {"0 = 273.15 , 100 = 473.15", 2, -literal(273.15)},
        {"(1) = (2 + 1), (3) u = (9)", 1 / (literal(2) / 6), 3 - 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.definition);
        const auto registry = baseRegistry();
        try {
            const Unit& unit =
                registry->defineUnit("Test", "u", std::nullopt, "", std::string(row.definition));
            expectClose(unit.scale, row.scale);
            expectClose(unit.offset, row.offset);
            EXPECT_EQ(registry->findUnit("u"), &unit);
        } catch (const Error& error) {
            ADD_FAILURE() << error.message(row.definition);
        }
    }
}

TEST(UnitDefinition, DegeneratePairsGiveInfiniteOrZeroScaleWithoutError) {
    const auto registry = baseRegistry();
    const Unit& sameLeft =
        registry->defineUnit("Test", "a", std::nullopt, "", std::string("0 = 1 , 0 = 2"));
    EXPECT_TRUE(std::isinf(sameLeft.scale));
    const Unit& sameRight =
        registry->defineUnit("Test", "b", std::nullopt, "", std::string("0 = 1 , 100 = 1"));
    EXPECT_EQ(sameRight.scale, 0);
    EXPECT_EQ(sameRight.offset, -1);
}

TEST(UnitDefinition, FailuresNameTheUnitAndQuoteTheDefinition) {
    struct Row {
        const char* definition;
        const char* text;
    };
    const Row rows[] = {
        // Only one unknown name is skipped after the left value.
        {"0 x y = 1",
         "Error while parsing unit 'u': Parse error: Invalid unit scale format near "
         "'y = 1'"},
        // The comma limits the first pair: the parser sees it as the end.
        {"1 , 2 = 3",
         "Error while parsing unit 'u': Parse error: Invalid unit scale format near "
         "', 2 = 3'"},
        {"0 = 1 , 100",
         "Error while parsing unit 'u': Parse error: Invalid unit scale format near "
         "''"},
        {"1000 q", "Error while parsing unit 'u': Parse error: Expected END near 'q'"},
        // The unit being defined is not known in its own definition.
        {"2 u", "Error while parsing unit 'u': Parse error: Expected END near 'u'"},
        {"", "Error while parsing unit 'u': Parse error: Expected EXPRESSION near ''"},
        {"2 *",
         "Error while parsing unit 'u': Parse error: Expected EXPRESSION or CONSTANT near "
         "''"},
        {"= 5",
         "Error while parsing unit 'u': Parse error: Expected EXPRESSION or CONSTANT near "
         "'= 5'"},
        {"0 u =",
         "Error while parsing unit 'u': Parse error: Expected EXPRESSION or CONSTANT "
         "near ''"},
        {"1e5000",
         "Error while parsing unit 'u': Parse error: Floating point overflow (1e5000) "
         "near '1e5000'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.definition);
        const auto registry = baseRegistry();
        const auto error = caughtError<ConfigError>([&] {
            registry->defineUnit("Test", "u", std::nullopt, "", std::string(row.definition));
        });
        if (!error) continue;
        EXPECT_EQ(error->text(), row.text);
        EXPECT_EQ(error->file(), "");
        EXPECT_EQ(error->line(), 0);
        EXPECT_EQ(registry->findUnit("u"), nullptr);
        EXPECT_EQ(registry->findQuantity("Test"), nullptr);
        EXPECT_EQ(registry->units().size(), 2U);
    }
}

TEST(UnitDefinition, TokenizerAndMathErrorsPassUnchanged) {
    const auto registry = baseRegistry();
    const auto tokenizer = caughtError<TokenizerError>(
        [&] { registry->defineUnit("Test", "u", std::nullopt, "", std::string("1 # 2")); });
    if (tokenizer) {
        EXPECT_EQ(tokenizer->text(), "Syntax error");
        EXPECT_EQ(tokenizer->position(), 2);
    }
    for (const char* definition : {"1 / 0", "0 = (1 / 0)", "(1 / 0) = 0", "0 = 1 , 100 = (1/0)",
                                   "(1 / 0) m", "(4 / 2 / 0) m"}) {
        SCOPED_TRACE(definition);
        const auto math = caughtError<MathError>(
            [&] { registry->defineUnit("Test", "u", std::nullopt, "", std::string(definition)); });
        if (math) {
            EXPECT_EQ(math->text(), "Division by zero");
        }
    }
    EXPECT_EQ(registry->findUnit("u"), nullptr);
    EXPECT_EQ(registry->findQuantity("Test"), nullptr);
}

TEST(UnitDefinition, RepeatedSymbolOrMissingTextFails) {
    const auto registry = baseRegistry();
    struct Row {
        const char* symbol;
        std::optional<std::string> definition;
        const char* text;
    };
    const Row rows[] = {
        {"m", std::string("1000"), "Unit 'm' already defined"},
        {"m", std::nullopt, "Unit 'm' already defined"},  // the repeat is found first
        {"K", std::string("1"), "Unit 'K' already defined"},
        {"v", std::nullopt, "Missing unit definition"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.symbol);
        const auto error = caughtError<ConfigError>(
            [&] { registry->defineUnit("Other", row.symbol, std::nullopt, "", row.definition); });
        if (error) {
            EXPECT_EQ(error->text(), row.text);
        }
    }
    EXPECT_EQ(registry->findUnit("m")->scale, 1);
    EXPECT_EQ(registry->findUnit("m")->quantity, "Length");
    EXPECT_EQ(registry->findQuantity("Other"), nullptr);
    EXPECT_EQ(registry->units().size(), 2U);
}

// The short reading of "number [unit]" must give what the grammar gives for the same text, and
// leave every other text to the grammar.
TEST(UnitDefinition, PlainDefinitionsReadAsTheGrammarReadsThem) {
    auto registry = baseRegistry();
    registry->defineUnit("Length", "ft", std::nullopt, "", std::string("0.3048 m"));
    registry->defineUnit("Temperature", "degC", std::nullopt, "", std::string("0 degC = 273.15 K"));
    registry->defineUnit("Length", "in", std::nullopt, "", std::string("0.0254 m"));
    struct Row {
        const char* definition;
        bool plain;  // read without the grammar
    };
    const Row rows[] = {
        {"1", true},
        {"1000 m", true},
        {" \t2.5\vft\f ", true},
        {"1,5 ft", true},  // a decimal comma
        {"5e3m", true},    // no blank is needed before the name
        {"1e-6 ft", true},
        {"10 degC", true},  // a unit with an offset
        {"2 mx", false},    // no such unit
        {"2 m m", false},
        {"2 in", false},  // "in" is a word of the grammar
        {"(2) m", false},
        {".5 m", false},
        {"-1 m", false},
        {"2 * m", false},
        {"0 u = 1 K", false},
        // Numbers joined by "*" and "/" in parentheses, worked out left to right.
        {"(1 / 60) m", true},
        {"(1/3)ft", true},
        {" ( 2 * 3 ) degC ", true},
        {"(1 / 3 / 7) m", true},
        {"(2 * 3 / 7)", true},
        {"(1,5 / 3) ft", true},
        {"(1e300 * 1e300) m", true},
        {"(1 / 1e-300 / 1e-300) ft", true},
        {"(0 / 5) m", true},
        {"(1 / 0) m", false},
        {"(1 / 0.0)", false},  // the grammar reports the division
        {"(0 * 1 / 0) m", false},
        {"(1 / 1e999) m", false},
        {"(1 / 60) in", false},
        {"(1 / 3 m)", false},
        {"(1 / 3) m m", false},
        {"(1 / 3) mx", false},
        {"(1 / 3) m^2", false},
        {"(1 / pi) m", false},
        {"(pi / 3) m", false},
        {"(1 - 3) m", false},
        {"(1 ** 3) m", false},
        {"(1 / -3) m", false},
        {"(1 / 3", false},
        {"(1 / 3)) m", false},
        {"((1 / 3)) m", false},
        {"(1 , 3) m", false},
        {"(1 /) m", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.definition);
        const std::optional<long double> plain = readPlainDefinition(*registry, row.definition);
        EXPECT_EQ(plain.has_value(), row.plain);
        if (!plain) continue;
        const UnitScale full = readUnitDefinition(tokenize(*registry, row.definition));
        EXPECT_EQ(*plain, full.scale);
        EXPECT_EQ(full.offset, 0);
    }
    // A number too large is left to the grammar, which reports it.
    EXPECT_EQ(readPlainDefinition(*registry, "1e999 m"), std::nullopt);
    EXPECT_THROW(registry->defineUnit("Length", "big", std::nullopt, "", std::string("1e999 m")),
                 Error);
}

TEST(UnitDefinition, FirstUnitOfAQuantityIsTheReferenceOfAll) {
    UnitRegistry registry(5489);
    // The reference is the first unit, whatever its scale.
    const Unit& km = registry.defineUnit("Length", "km", std::nullopt, "", std::string("1000"));
    const Unit& kg = registry.defineUnit("Mass", "kg", std::nullopt, "", std::string("1"));
    const Unit& m = registry.defineUnit("Length", "m", std::nullopt, "", std::string("1"));
    const Unit& ft = registry.defineUnit("length", "ft", std::nullopt, "", std::string("0.3048"));
    const Unit& mm = registry.defineUnit("Length", "mm", std::nullopt, "", std::string("0.001"));

    EXPECT_EQ(km.referenceUnit, &km);
    EXPECT_EQ(m.referenceUnit, &km);
    EXPECT_EQ(mm.referenceUnit, &km);
    EXPECT_EQ(kg.referenceUnit, &kg);
    // Quantity names are case-sensitive: "length" is a quantity of its own.
    EXPECT_EQ(ft.referenceUnit, &ft);
    ASSERT_NE(registry.findQuantity("Length"), nullptr);
    EXPECT_EQ(*registry.findQuantity("Length"), (QuantityUnits{&km, &m, &mm}));
    ASSERT_NE(registry.findQuantity("length"), nullptr);
    EXPECT_EQ(*registry.findQuantity("length"), (QuantityUnits{&ft}));
}

TEST(UnitDefinition, SymbolsAreCaseSensitive) {
    UnitRegistry registry(5489);
    registry.defineUnit("Length", "m", std::nullopt, "", std::string("1"));
    registry.defineUnit("Prefix", "M", std::nullopt, "", std::string("1"));
    ASSERT_NE(registry.findUnit("M"), nullptr);
    EXPECT_EQ(registry.findUnit("M")->quantity, "Prefix");
    EXPECT_EQ(registry.findUnit("m")->quantity, "Length");
    EXPECT_EQ(registry.findUnit("KM"), nullptr);
}

TEST(UnitDefinition, NameAndDescriptionAreKeptAsGiven) {
    UnitRegistry registry(5489);
    const Unit& m =
        registry.defineUnit("Length", "m", std::string("metre"), "The metre", std::string("1"));
    const Unit& km = registry.defineUnit("Length", "km", std::nullopt, "", std::string("1000 m"));
    const Unit& cm =
        registry.defineUnit("Length", "cm", std::string(""), "", std::string("0.01 m"));
    EXPECT_EQ(m.name, "metre");
    EXPECT_EQ(m.description, "The metre");
    EXPECT_EQ(km.name, "");
    EXPECT_EQ(cm.name, "");
    EXPECT_EQ(km.symbol, "km");
}

TEST(UnitDefinition, ManyUnitsKeepTheirTextsAndAreFoundAfterTheirSourcesAreGone) {
    // Enough units to grow the symbol index and the unit store several times, with texts that
    // are overwritten as soon as each unit is entered, and one text longer than a whole arena
    // chunk: a unit's texts must be its catalogue's own copies.
    UnitRegistry registry(5489);
    constexpr int kUnits = 3000;
    const std::string longDescription(10000, 'd');
    const Unit* first = nullptr;
    for (int i = 0; i < kUnits; ++i) {
        std::string symbol = "u" + std::to_string(i);
        std::string name = "unit number " + std::to_string(i);
        std::string description = i == 7 ? longDescription : "description " + std::to_string(i);
        std::string definition = i == 0 ? "1" : std::to_string(i + 1) + " u0";
        const Unit& unit = registry.defineUnit("Quantity" + std::to_string(i % 5), symbol, name,
                                               description, definition);
        if (i == 0) first = &unit;
        std::fill(symbol.begin(), symbol.end(), '#');
        std::fill(name.begin(), name.end(), '#');
        std::fill(description.begin(), description.end(), '#');
    }
    for (int i = 0; i < kUnits; ++i) {
        const std::string symbol = "u" + std::to_string(i);
        const Unit* unit = registry.findUnit(symbol);
        ASSERT_NE(unit, nullptr) << symbol;
        EXPECT_EQ(unit->symbol, symbol);
        EXPECT_EQ(unit->name, "unit number " + std::to_string(i));
        EXPECT_EQ(unit->quantity, "Quantity" + std::to_string(i % 5));
        if (i == 7) {
            EXPECT_EQ(unit->description, longDescription);
        } else {
            EXPECT_EQ(unit->description, "description " + std::to_string(i));
        }
        EXPECT_EQ(unit->scale, i == 0 ? 1 : i + 1);
    }
    EXPECT_EQ(registry.findUnit("u0"), first);
    EXPECT_EQ(registry.findUnit("u3000"), nullptr);
    EXPECT_EQ(registry.units().size(), static_cast<std::size_t>(kUnits));
}

TEST(UnitDefinition, DefinedUnitsConvertThroughTheirLines) {
    auto registry = baseRegistry();
    registry->defineUnit("Length", "km", std::nullopt, "", std::string("1000 m"));
    registry->defineUnit("Temperature", "degC", std::nullopt, "", std::string("0 degC = 273.15 K"));
    registry->defineUnit("Temperature", "degF", std::nullopt, "",
                         std::string("32 degF = 273.15 K, 212 degF = 373.15 K"));
    Calculator calculator(std::move(registry));
    struct Row {
        const char* input;
        const char* result;
    };
    const Row rows[] = {
        {"2 km in m", "2000 m"},
        {"0 degC in K", "273.15 K"},
        {"212 degF in degC", "100 degC"},
        {"-40 degC in degF", "-40 degF"},
    };
    for (const Row& row : rows)
        test::expectResult(calculator, row.input, row.result);
}

}  // namespace
}  // namespace quantrel
