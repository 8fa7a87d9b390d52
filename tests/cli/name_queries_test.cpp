// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/name_queries.h"

#include <gtest/gtest.h>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel::cli {
namespace {

TEST(NameStartBefore, FindsTheNameTheCalculatorWouldRead) {
    const struct {
        const char* line;
        std::size_t cursor;
        std::size_t start;
    } rows[] = {
        {"2 km", 4, 2},   {"5km", 3, 1}, {"5e3m", 4, 3}, {"2 km2", 5, 2},
        {"sqrt(2", 6, 6}, {"sq", 2, 0},  {"sqrt", 2, 0}, {"2 + ", 4, 4},
        {"1,5k", 4, 3},   {"", 0, 0},    {"ab", 9, 0},   {"x*\xC2\xB5", 4, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(nameStartBefore(row.line, row.cursor), row.start);
    }
}

TEST(CompleteAt, ExtendsToTheCommonPrefixAndListsCandidates) {
    const Calculator calculator = test::makeTestCalculator();
    const struct {
        const char* line;
        std::size_t cursor;
        const char* replacement;
        std::vector<std::string> candidates;
    } rows[] = {
        {"3 kmh", 5, "kmh", {"kmh"}},
        {"2 k", 3, "k", {"kg", "km", "km2", "kmh"}},
        {"2 km", 4, "km", {"km", "km2", "kmh"}},
        {"hy", 2, "hyp", {"hyp"}},
        {"1 + a", 5, "a", {"ans", "acos", "acosh", "asin", "asinh", "atan", "atanh"}},
        {"5de", 3, "deg", {"degC", "degF"}},
        {"1 + zz", 6, "zz", {}},
        {"1 + ", 4, "", {}},
        {"5 km in s", 9, "s", {"s"}},  // after "in" only units
        // The units the value converts to first, then the others.
        {"1 s in m", 8, "m", {"min", "m", "m2", "m3", "mi", "mm", "mps"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const Completion completion = completeAt(calculator, row.line, row.cursor);
        EXPECT_EQ(completion.end, row.cursor);
        EXPECT_EQ(completion.replacement, row.replacement);
        EXPECT_EQ(completion.candidates, row.candidates);
    }
}

TEST(QuestionName, RecognisesQuestions) {
    EXPECT_EQ(questionName("?km"), "km");
    EXPECT_EQ(questionName("  ? sqrt \t"), "sqrt");
    EXPECT_EQ(questionName("?"), "");
    EXPECT_FALSE(questionName("km ?").has_value());
    EXPECT_FALSE(questionName("").has_value());
}

TEST(DescribeText, AnswersForEveryKindOfName) {
    Calculator calculator = test::makeTestCalculator();
    EXPECT_EQ(describeText(calculator, "m"), "Unit: metre (m)\nmetre (Length) = 1 m\nThe metre\n");
    // A unit with an offset tells its step and its zero.
    EXPECT_EQ(describeText(calculator, "degC").substr(0, 91),
              "Unit: degree Celsius (degC)\n"
              "degree Celsius (Temperature) = 1 K per degC, 0 degC = 273.15 K\n");
    EXPECT_EQ(describeText(calculator, "hyp"), "Function: hyp a b\nHypotenuse\n");
    EXPECT_EQ(describeText(calculator, "dice"), "Function: dice\nA throw of a die\n");
    EXPECT_EQ(describeText(calculator, "ans"),
              "Variable: ans = 0\nResult of the previous calculation\n");
    calculator.evaluateLine("2000 m");
    EXPECT_EQ(describeText(calculator, "ans"),
              "Variable: ans = 2 km\nResult of the previous calculation\n");
    EXPECT_EQ(describeText(calculator, "Ans"), "'Ans' is not a unit, a function or ans.\n");
    EXPECT_EQ(describeText(calculator, ""), "Type ?name to describe a unit, a function or ans.\n");
}

}  // namespace
}  // namespace quantrel::cli
