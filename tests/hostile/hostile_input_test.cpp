// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile input: whatever a user types or pastes, and whatever settings files a directory holds,
// ends in a result or a clear error. Nothing may crash, hang or corrupt ans.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::expectError;
using test::expectResult;
using test::makeTestCalculator;
using test::TemporaryDirectory;

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

/// Evaluates `line`, which must fail with an Error of the given category, and checks that ans
/// survived the failure.
void expectCleanFailure(Calculator& calc, const std::string& line, std::string_view category) {
    calc.evaluateLine("7 km");
    try {
        calc.evaluateLine(line);
        ADD_FAILURE() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.category(), category);
        (void)error.message(line);
        (void)highlightSpan(error, line);
    }
    EXPECT_EQ(calc.evaluateLine("ans"), "7 km");
}

TEST(HostileInput, DeepNestingOfEveryFormFailsCleanly) {
    Calculator calc = makeTestCalculator();
    constexpr std::size_t kDepth = 100000;
    const struct {
        const char* form;
        std::string line;
    } cases[] = {
        {"parentheses", repeated("(", kDepth) + "1" + repeated(")", kDepth)},
        {"unary minus", repeated("-", kDepth) + "1"},
        {"unary plus", repeated("+", kDepth) + "1"},
        {"bars", repeated("|", kDepth) + "1" + repeated("|", kDepth)},
        {"power chain", repeated("2^", kDepth) + "1"},
        {"conditionals", repeated("1 ? ", kDepth) + "1" + repeated(" : 2", kDepth)},
        {"nroot chain", repeated("2 nroot ", kDepth) + "4"},
        {"function arguments", repeated("sqrt ", kDepth) + "4"},
        {"bracketed calls", repeated("sq(", kDepth) + "2" + repeated(")", kDepth)},
        {"long sum", repeated("1+", kDepth) + "1"},
        {"long product of units", repeated("2 m * ", kDepth) + "1"},
        {"units side by side", "1" + repeated(" m", kDepth)},
        {"mixed parts", "1 h" + repeated(" 1 min", kDepth)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.form);
        try {
            calc.evaluateLine(row.line);
            ADD_FAILURE() << "expected an error";
        } catch (const ParseError& error) {
            // Exactly this text: calls add no argument hints to it.
            EXPECT_EQ(error.text(), "Expression nested too deeply");
        }
    }
}

TEST(HostileInput, LongTargetsAnswerOrFailCleanly) {
    Calculator calc = makeTestCalculator();
    constexpr std::size_t kParts = 100000;
    // A target is read in a loop, however long: no nesting, no recursion.
    expectCleanFailure(calc, "1 m in m" + repeated(" m/m", kParts), "Math");  // no Area / Length
    expectResult(calc, "1 km in" + repeated(" km +", kParts) + " m", "1 km");
    expectCleanFailure(calc, "1 m in" + repeated(" km", kParts), "Math");
    expectCleanFailure(calc, "1 m in m ^ 1000", "Parser");
}

TEST(HostileInput, MegabyteLinesFailCleanlyAndKeepAns) {
    Calculator calc = makeTestCalculator();
    constexpr std::size_t kSize = 1 << 20;
    expectCleanFailure(calc, repeated("1 ", kSize / 2), "Parser");   // Expected END
    expectCleanFailure(calc, repeated("x", kSize), "Parser");        // one unknown name
    expectCleanFailure(calc, "1" + repeated("0", kSize), "Parser");  // overflow
    expectCleanFailure(calc, repeated(" ", kSize) + "#", "Tokenizer");
    expectCleanFailure(calc, repeated("1 m + 1 kg + ", kSize / 12) + "1", "Parser");
    expectResult(calc, repeated(" ", kSize) + "2 km", "2 km");
}

bool isNanText(const std::string& text) {
    return text.find("nan") != std::string::npos;
}

TEST(HostileInput, HugeExponentsAndOverflowGiveNumbersNotCrashes) {
    Calculator calc = makeTestCalculator();
    // Arithmetic is in long double: 1e309 is finite there and only its text is "inf".
    // 10 ^ 5000 overflows long double itself.
    const struct {
        const char* line;
        const char* result;  // "nan" stands for either sign of NaN
    } cases[] = {
        {"1e308 * 10", "inf"},
        {"(1e308 * 10) / 1e300", "1e+09"},
        {"-1e308 * 10", "-inf"},
        {"10 ^ 5000", "inf"},
        {"10 ^ 1e10", "inf"},
        {"10 ^ -1e10", "0"},
        {"1e-999", "0"},
        {"(10 ^ 5000) m", "inf m"},
        {"(10 ^ 5000) km in mi", "inf mi"},
        {"-(10 ^ 5000) degC", "-inf K"},
        {"(sqrt(-1)) m", "nan"},
        {"(sqrt(-1)) degC in degF", "nan"},
        {"10 ^ 5000 - 10 ^ 5000", "nan"},
        {"(sqrt(-1)) ? 1 : 2", "1"},
        {"sqrt(-1) < 1", "0"},
        {"sqrt(-1) >= 1", "0"},
        {"|sqrt(-1)|", "nan"},
        {"(10 ^ 5000) % 2", "nan"},
        {"2 % (10 ^ 5000)", "2"},
        {"2 nroot (10 ^ 5000)", "inf"},
        {"(10 ^ 5000) nroot 8", "1"},
        {"(10 ^ 5000) * 0", "nan"},
        {"1 / (10 ^ 5000)", "0"},
        {"sin(10 ^ 5000)", "nan"},
        {"round(10 ^ 5000)", "inf"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.line);
        try {
            const std::string result = calc.evaluateLine(row.line);
            if (std::string(row.result) == "nan") {
                EXPECT_TRUE(isNanText(result)) << result;
            } else {
                EXPECT_EQ(result, row.result);
            }
        } catch (const Error& error) {
            ADD_FAILURE() << error.message(row.line);
        }
    }
    expectError(calc, "(1 m) ^ (10 ^ 5000)", "Math", "Can't raise Length to this power");
    expectError(calc, "(1 m) ^ sqrt(-1)", "Math", "Can't raise Length to this power");
}

TEST(HostileInput, PowersOfUnitsAnswerOrFailCleanly) {
    Calculator calc(std::filesystem::path(QUANTREL_SOURCE_DIR "/settings"), 5489);
    constexpr std::size_t kCount = 100000;
    const std::string square = "\xc2\xb2";
    expectCleanFailure(calc, "1 m" + repeated(square, kCount), "Parser");  // no such name
    expectCleanFailure(calc, "1 m\xe2\x81\xbb" + repeated("\xe2\x81\xbb", kCount), "Parser");
    expectCleanFailure(calc, "1" + repeated(" m" + square, kCount), "Parser");  // too deep
    expectCleanFailure(calc, "1" + repeated(" m" + square, 70), "Math");        // too large
    expectCleanFailure(calc, "1 m^99999999999999999999", "Math");
    expectCleanFailure(calc, "1 m^-1e300", "Math");
    expectCleanFailure(calc, "1 m^(10 ^ 5000)", "Math");
    expectCleanFailure(calc, "1 m^" + repeated("(", kCount) + "2" + repeated(")", kCount),
                       "Parser");
    expectCleanFailure(calc, "1 m in " + repeated("(", kCount) + "m" + repeated(")", kCount),
                       "Parser");
    expectCleanFailure(calc, "1 m in m^" + repeated("9", 5000), "Parser");
    expectResult(calc, "1 m^120 / m^119", "1 m");
}

TEST(HostileInput, InfinitiesAndNanChooseADisplayUnitWithoutFailing) {
    Calculator calc = makeTestCalculator();
    // inf is as long in every unit: the first unit of the quantity is kept.
    expectResult(calc, "(10 ^ 5000) km", "inf m");
    const std::string nan = calc.evaluateLine("(0 * 10 ^ 5000) s");
    EXPECT_TRUE(isNanText(nan) && nan.ends_with(" s")) << nan;
    EXPECT_EQ(calc.evaluateLine("ans"), nan);
}

TEST(HostileInput, ExponentialWorkIsRefusedQuickly) {
    auto registry = test::makeTestRegistry();
    registry->defineFunction("f0", "", "x", "x + x");
    for (int k = 1; k <= 60; ++k) {
        const std::string previous = "f" + std::to_string(k - 1);
        registry->defineFunction("f" + std::to_string(k), "", "x",
                                 previous + " x + " + previous + " x");
    }
    Calculator calc(std::move(registry));
    expectResult(calc, "f8 1", "512");
    expectError(calc, "f60 ans", "Math", "Expression too complex");
    expectError(calc, "f60 1", "Math", "Expression too complex");
    // Nested calls of a function that uses its parameters twice are still fine when shallow.
    expectResult(calc, "0", "0");
    expectResult(calc, "hyp (hyp (hyp (hyp (hyp ans 3) 4) 12) 84) 132", "157");
}

TEST(HostileInput, ExponentialWorkInSettingsIsRefusedAtLoadTime) {
    TemporaryDirectory directory;
    // Each function evaluates the previous one twice; folding the constant call at the end would
    // take 2^60 steps.
    std::string functions = R"(<Function Name="g0" Parameters="x">x + x</Function>)";
    for (int k = 1; k <= 60; ++k) {
        const std::string previous = "g" + std::to_string(k - 1);
        functions += "<Function Name=\"g" + std::to_string(k) + "\" Parameters=\"x\">" + previous +
                     " x + " + previous + " x</Function>";
    }
    functions += R"(<Function Name="big">g60 1</Function>)";
    directory.write("functions.xml", "<Functions>" + functions + "</Functions>");
    try {
        Calculator calc(directory.path(), 1u);
        ADD_FAILURE() << "expected the load to fail";
    } catch (const MathError& error) {
        EXPECT_EQ(error.text(), "Expression too complex");
    }
}

TEST(HostileInput, LargeSettingsFilesLoadOrFailCleanly) {
    TemporaryDirectory directory;
    constexpr std::size_t kSize = 50u << 20;
    // 50 MB of comment around one unit.
    std::string comment = "<!--" + repeated("x", kSize) + "-->";
    directory.write("a.xml", "<Units><Quantity Name=\"Length\"><Unit Symbol=\"m\">1</Unit>" +
                                 comment + "</Quantity></Units>");
    // A 1 MB unit definition nests too deeply and is refused with the file's name.
    directory.write("b.xml", "<Units><Quantity Name=\"Length\"><Unit Symbol=\"km\">" +
                                 repeated("1+", 1 << 19) + "1</Unit></Quantity></Units>");
    try {
        Calculator calc(directory.path(), 1u);
        ADD_FAILURE() << "expected the load to fail";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.file(), directory.path().generic_string() + "/b.xml");
        EXPECT_NE(error.text().find("Expression nested too deeply"), std::string::npos);
    }
    std::filesystem::remove(directory.path() / "b.xml");
    Calculator calc(directory.path(), 1u);
    expectResult(calc, "3 m", "3 m");
}

TEST(HostileInput, DeepXmlElementsAreRefused) {
    TemporaryDirectory directory;
    directory.write("deep.xml", repeated("<a>", 100000));
    try {
        Calculator calc(directory.path(), 1u);
        ADD_FAILURE() << "expected the load to fail";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.text(), "Error while parsing");
        EXPECT_EQ(error.line(), 1);
    }
}

}  // namespace
}  // namespace quantrel
