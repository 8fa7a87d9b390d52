// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/parser.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "eval/node.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "syntax/scoped_locale.h"
#include "syntax/tokenizer.h"

namespace quantrel {
namespace {

constexpr std::array<std::string_view, 1> kLineVariables = {"ans"};
constexpr long double kAnsValue = 7;
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

/// Parses `text` as an input line is parsed ("ans" is the one variable).
NodePtr parse(const UnitRegistry& registry, std::string_view text) {
    return Parser(tokenize(registry, text, {}, kLineVariables)).parseLine();
}

/// Evaluates a parsed line with ans = 7.
long double evaluateWithAns(const Node& node) {
    const NumberNode ans(kAnsValue, Token{});
    const std::array<const Node*, 1> variables = {&ans};
    return node.evaluate(Scope{{}, nullptr, variables});
}

struct TreeRow {
    std::string_view input;
    std::string_view printed;
    double value;  // kNoValue: not evaluated (random, or beyond range)
};

void expectTrees(const UnitRegistry& registry, const std::vector<TreeRow>& rows) {
    for (const TreeRow& row : rows) {
        SCOPED_TRACE("input: " + std::string(row.input));
        try {
            const NodePtr tree = parse(registry, row.input);
            EXPECT_EQ(tree->toString(), row.printed);
            // The printed form cannot show the grouping of equal precedences; the value can.
            if (!std::isnan(row.value)) {
                EXPECT_NEAR(static_cast<double>(evaluateWithAns(*tree)), row.value,
                            1e-9 * std::max(1.0, std::fabs(row.value)));
            }
        } catch (const Error& error) {
            ADD_FAILURE() << "unexpected error: " << error.message(row.input);
        }
    }
}

TEST(Parser, BindsAndGroupsAsTheGrammarSays) {
    const std::vector<TreeRow> rows = {
        {"1 + 2 * 3", "1 + 2 * 3", 7},
        {"2 * 3 ^ 2", "2 * 3 ^ 2", 18},
        {"-2 ^ 2", "-( 2 ^ 2 )", -4},
        {"+-+2", "-( 2 )", -2},
        {"--2", "-( -( 2 ) )", 2},
        // Comparisons bind as tightly as products.
        {"1 + 2 < 3", "1 + 2 < 3", 2},
        {"1 < 2 * 3", "1 < 2 * 3", 3},
        {"4 >= 3 <= 0", "4 >= 3 <= 0", 0},
        // The middle level and the sums associate to the left.
        {"1 - 2 - 3", "1 - 2 - 3", -4},
        {"8 / 4 / 2", "8 / 4 / 2", 1},
        {"7 % 4 * 2", "7 % 4 * 2", 6},
        {"1 - (2 - 3)", "1 - 2 - 3", 2},
        // A postfix power takes one primary, which takes its own postfix power.
        {"2 ^ 3 ^ 2", "2 ^ ( 3 ^ 2 )", 512},
        {"(2 ^ 3) ^ 2", "2 ^ 3 ^ 2", 64},
        {"2 ^ 3 * 2", "2 ^ 3 * 2", 16},
        {"( 1 + 2 ) * 3", "( 1 + 2 ) * 3", 9},
        {"[1 + 2) * 3", "( 1 + 2 ) * 3", 9},
        {"2 * (3 - 1)", "2 * ( 3 - 1 )", 4},
        // An absolute value takes no postfix form: its power is built at the middle level.
        {"|-3| ^ 2", "( |-( 3 )| ) ^ 2", 9},
        {"|1 - 4| * 2", "|1 - 4| * 2", 6},
        // Calls: the argument is a primary with its postfix form.
        {"sqrt(2) ^ 2", "( sqrt 2 ^ 2 )", 2},
        {"sqrt 4 + 1", "( sqrt 4 ) + 1", 3},
        {"hyp 3 4", "( hyp 3 4 )", 5},
        {"hyp(3)(4)", "( hyp 3 4 )", 5},
        {"sq -3", "( sq -( 3 ) )", 9},
        {"rnd", "( rnd )", kNoValue},
        {"dice * 2", "( dice ) * 2", kNoValue},
        // nroot: the operand is the degree, the next primary the radicand.
        {"3 nroot 8", "3 nroot 8", 2},
        {"2 nroot 3 nroot 64", "2 nroot 3 nroot 64", 2},
        {"3 nroot 8 * 2", "3 nroot 8 * 2", 4},
        {"1 + 3 nroot 8", "1 + 3 nroot 8", 3},
        // A conditional's condition is the single operand before "?".
        {"(1) ? 2 : 3", "1 ? 2 : 3", 2},
        {"0 ? 2 : 3", "0 ? 2 : 3", 3},
        {"5 > 1 ? 2 : 3", "5 > 1 ? 2 : 3", 1},
        {"(5 > 1) ? 2 : 3", "5 > 1 ? 2 : 3", 2},
        {"1 ? 2 : 3 + 4", "1 ? 2 : 3 + 4", 6},
        {"0 ? 1 : 0 ? 2 : 3", "0 ? 1 : 0 ? 2 : 3", 3},
        {"ans", "ans", 7},
        {"ans ^ 2", "ans ^ 2", 49},
    };
    const auto registry = test::makeTestRegistry();
    expectTrees(*registry, rows);
}

TEST(Parser, WrapsUnitsAndTargetUnitsIntoArithmetic) {
    // A unit after a number written as such is worked out at once; after any other operand it
    // is the arithmetic x * scale - offset.
    const std::vector<TreeRow> rows = {
        {"km", "1000", 1000},
        {"5 km", "5000", 5000},
        {"5 km / h", "5000 / 3600", 5000.0 / 3600},
        {"2 km ^ 2", "2000 ^ 2", 4e6},
        {"2 ^ 3 km", "2 ^ 3000", kNoValue},
        {"5 km + 300 m", "5000 + 300", 5300},
        {"ans km", "ans * 1000 - 0", 7000},
        {"(2 + 3) km", "( 2 + 3 ) * 1000 - 0", 5000},
        {"5 km in m", "5000 / 1 + 0", 5000},
        {"km in m", "1000 / 1 + 0", 1000},
        // The unit "in" after an operand, unless a unit symbol follows (then "in" converts).
        {"5 in", "0.127", 0.127},
        {"(5) in", "0.127", 0.127},
        {"5 in in cm", "0.127 / 0.01 + 0", 12.7},
        {"5 in cm", "5 / 0.01 + 0", 500},
        // A prefix minus before an operand that takes a unit negates the operand, not the
        // absolute temperature.
        {"-40 degC", "-( 40 ) * 1 - -273.15", 233.15},
        {"-(40) degC", "-( 40 ) * 1 - -273.15", 233.15},
        {"-ans degC", "-( ans ) * 1 - -273.15", 266.15},
        {"--40 degC", "-( -( 40 ) * 1 - -273.15 )", -233.15},
        {"-40 degC in K", "( -( 40 ) * 1 - -273.15 ) / 1 + 0", 233.15},
        {"-5 in", "-( 5 ) * 0.0254 - 0", -0.127},
        {"-2 km ^ 2", "( -( 2 ) * 1000 - 0 ) ^ 2", 4e6},
        {"-2 ^ 2 km", "-( 2 ^ 2000 )", kNoValue},
        {"-km", "-( 1000 )", -1000},
    };
    const auto registry = test::makeTestRegistry();
    expectTrees(*registry, rows);
}

TEST(Parser, ReadsLiteralsWithDoublePrecision) {
    const std::vector<TreeRow> rows = {
        {"1e308", "1e+308", 1e308}, {"1e-999", "0", 0},          {"1,5 * 2", "1.5 * 2", 3},
        {".5", "0.5", 0.5},         {"2e3+1", "2000 + 1", 2001}, {"2E-3", "0.002", 0.002},
    };
    const auto registry = test::makeTestRegistry();
    expectTrees(*registry, rows);
    // A literal carries double precision only.
    EXPECT_EQ(evaluateWithAns(*parse(*registry, "0.1")), static_cast<long double>(0.1));
}

TEST(Parser, ReadsWholeNumbersAsTheGeneralReadingDoes) {
    // Short whole numbers take a path of their own; it must agree with from_chars bit for bit,
    // at its edges too.
    for (const std::string_view text :
         {"0", "7", "000123", "123456789012345", "999999999999999", "0000000000000001",
          "9007199254740993", "18446744073709551617", "12345678901234567890123", "1.5", "10e2"}) {
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        EXPECT_EQ(readNumber(text), expected) << text;
    }
}

TEST(Parser, ReadsNumbersTheSameUnderAnotherProcessLocale) {
    const auto registry = test::makeTestRegistry();
    const test::ScopedLocale locale;
    if (locale.name().empty()) GTEST_SKIP() << "no locale other than C is installed";
    SCOPED_TRACE("locale: " + locale.name());
    expectTrees(*registry, {{"1,5 + 2.25", "1.5 + 2.25", 3.75},
                            {"2.5e3 km", "2.5e+06", 2.5e6},
                            {"0.125", "0.125", 0.125}});
}

struct NodeTokenRow {
    std::string_view input;
    TokenKind kind;
    int position;
    std::string_view unit;  // symbol of the root's own unit, empty for none
    bool target;
};

TEST(Parser, GivesEachNodeTheTokenItWasBuiltWith) {
    const std::vector<NodeTokenRow> rows = {
        // A power built at the middle level has the "^"; a postfix one the token after it.
        {"|3| ^ 2", TokenKind::Caret, 4, "", false},
        {"2 ^ 3", TokenKind::End, 5, "", false},
        {"2 ^ 3 * 4", TokenKind::Star, 6, "", false},
        {"3 nroot 8 + 1", TokenKind::Plus, 10, "", false},
        {"(3 nroot 8) + 1", TokenKind::Plus, 12, "", false},
        {"-2", TokenKind::End, 2, "", false},
        {"|3|", TokenKind::Bar, 2, "", false},
        {"(1) ? 2 : 3", TokenKind::End, 11, "", false},
        {"sqrt 2", TokenKind::FunctionName, 0, "", false},
        {"ans", TokenKind::VariableName, 0, "", false},
        {"1.5", TokenKind::Number, 0, "", false},
        // Unit subtrees carry the unit's token; the entered one the reference unit.
        {"5 km", TokenKind::UnitSymbol, 2, "m", false},
        {"-40 degC", TokenKind::UnitSymbol, 4, "K", false},
        {"5 in", TokenKind::In, 2, "m", false},
        {"5 km in mi", TokenKind::UnitSymbol, 8, "mi", true},
        {"5 in in cm", TokenKind::UnitSymbol, 8, "cm", true},
    };
    const auto registry = test::makeTestRegistry();
    for (const NodeTokenRow& row : rows) {
        SCOPED_TRACE("input: " + std::string(row.input));
        const NodePtr tree = parse(*registry, row.input);
        EXPECT_EQ(tree->token().kind, row.kind);
        EXPECT_EQ(tree->token().position, row.position);
        EXPECT_EQ(tree->unit(), row.unit.empty() ? nullptr : registry->findUnit(row.unit));
        EXPECT_EQ(dynamic_cast<const TargetNode*>(tree.get()) != nullptr, row.target);
    }
}

struct ErrorRow {
    std::string_view input;
    std::string text;
    TokenKind kind;
    int position;
    int nextPosition;
};

void expectParseErrors(const UnitRegistry& registry, const std::vector<ErrorRow>& rows) {
    for (const ErrorRow& row : rows) {
        SCOPED_TRACE("input: " + std::string(row.input));
        try {
            const NodePtr tree = parse(registry, row.input);
            ADD_FAILURE() << "parsed as " << tree->toString();
        } catch (const ParseError& error) {
            EXPECT_EQ(error.text(), row.text);
            EXPECT_EQ(error.category(), "Parser");
            EXPECT_EQ(error.token().kind, row.kind);
            EXPECT_EQ(error.token().position, row.position);
            EXPECT_EQ(error.nextPosition(), row.nextPosition);
            const std::string rest(row.input.substr(static_cast<std::size_t>(row.position)));
            EXPECT_EQ(error.message(row.input),
                      "Parse error: " + row.text + " near '" + rest + "'");
            EXPECT_EQ(error.message(), "Parse error: " + row.text);
        }
    }
}

TEST(Parser, ReportsEachErrorAtTheTokenUnderTheCursor) {
    const std::string exprOrConst = "Expected EXPRESSION or CONSTANT";
    const std::vector<ErrorRow> rows = {
        {"", "Expected EXPRESSION", TokenKind::End, 0, 0},
        {"   ", "Expected EXPRESSION", TokenKind::End, 3, 3},
        {"2 +", exprOrConst, TokenKind::End, 3, 3},
        {"2 + *", exprOrConst, TokenKind::Star, 4, 5},
        {"()", exprOrConst, TokenKind::CloseParen, 1, 2},
        {"2 ^", exprOrConst, TokenKind::End, 3, 3},
        {"1 nroot", exprOrConst, TokenKind::End, 7, 7},
        {"a = 1", exprOrConst, TokenKind::UnknownName, 0, 2},
        {"in", exprOrConst, TokenKind::In, 0, 2},
        {"nroot 2", exprOrConst, TokenKind::NRoot, 0, 6},
        {"!", exprOrConst, TokenKind::Bang, 0, 1},
        {",5", exprOrConst, TokenKind::Comma, 0, 1},
        {"(1 + 2", "Expected right parenthesis", TokenKind::End, 6, 6},
        {"(1 + 2 * 3", "Expected right parenthesis", TokenKind::End, 10, 10},
        {"(1 ,2)", "Expected right parenthesis", TokenKind::Comma, 3, 4},
        {"|3", "Expected closure for |x|", TokenKind::End, 2, 2},
        {"|1 + 2 3|", "Expected closure for |x|", TokenKind::Number, 7, 8},
        {"(1) ? 2", "Expected COLON", TokenKind::End, 7, 7},
        {"1 ? 2 3", "Expected COLON", TokenKind::Number, 6, 7},
        {"5 m in", "Expected UNIT", TokenKind::End, 6, 6},
        {"5 m in 3", "Expected UNIT", TokenKind::Number, 7, 8},
        // No part of a number is ever dropped.
        {"1.2.3", "Expected END", TokenKind::Number, 3, 5},
        {"5e", "Expected END", TokenKind::UnknownName, 1, 2},
        {".", "Expected EXPRESSION or CONSTANT", TokenKind::Point, 0, 1},
        {"5 + .", "Expected EXPRESSION or CONSTANT", TokenKind::Point, 4, 5},
        {"1e5e5", "Expected END", TokenKind::UnknownName, 3, 5},
        {"1 2", "Expected END", TokenKind::Number, 2, 3},
        {"5 km 3", "Expected END", TokenKind::Number, 5, 6},
        {"|3| km", "Expected END", TokenKind::UnitSymbol, 4, 6},
        {"5 m in km 3", "Expected END", TokenKind::Number, 10, 11},
        {"5!", "Expected END", TokenKind::Bang, 1, 2},
        {"rnd()", "Expected END", TokenKind::OpenParen, 3, 4},
        {"ans = 1", "Expected END", TokenKind::Equals, 4, 6},
        {"m = 1", "Expected END", TokenKind::Equals, 2, 4},
        {"1 : 2", "Expected END", TokenKind::Colon, 2, 4},
        {"hyp 1 2 3", "Expected END", TokenKind::Number, 8, 9},
        {"dice 1", "Expected END", TokenKind::Number, 5, 6},
        // The overflow message quotes the literal as the tokenizer stored it.
        {"1e999", "Floating point overflow (1e999)", TokenKind::Number, 0, 5},
        {"2 * 1,8e308", "Floating point overflow (1.8e308)", TokenKind::Number, 4, 11},
        {"-1e999 km", "Floating point overflow (1e999)", TokenKind::Number, 1, 7},
    };
    const auto registry = test::makeTestRegistry();
    expectParseErrors(*registry, rows);
}

TEST(Parser, ExtendsErrorsInsideCallsWithHintsInnermostFirst) {
    const std::string sqrtHint = " (hint: sqrt takes 1 argument)";
    const std::string sqHint = " (hint: sq takes 1 argument)";
    const std::string hypHint = " (hint: hyp takes 2 arguments)";
    const std::string volHint = " (hint: vol takes 3 arguments)";
    const std::vector<ErrorRow> rows = {
        {"sqrt +", "Expected EXPRESSION or CONSTANT" + sqrtHint, TokenKind::End, 6, 6},
        {"hyp 1", "Expected EXPRESSION or CONSTANT" + hypHint, TokenKind::End, 5, 5},
        // 1,2 is the number 1.2, so the second argument is missing.
        {"hyp(1,2)", "Expected EXPRESSION or CONSTANT" + hypHint, TokenKind::End, 8, 8},
        {"hyp(1 ,2)", "Expected right parenthesis" + hypHint, TokenKind::Comma, 6, 7},
        {"sq (1 2)", "Expected right parenthesis" + sqHint, TokenKind::Number, 6, 7},
        {"sqrt 1e999", "Floating point overflow (1e999)" + sqrtHint, TokenKind::Number, 5, 10},
        {"sqrt sqrt +", "Expected EXPRESSION or CONSTANT" + sqrtHint + sqrtHint, TokenKind::End, 11,
         11},
        {"hyp 1 (sq +)", "Expected EXPRESSION or CONSTANT" + sqHint + hypHint,
         TokenKind::CloseParen, 11, 12},
        {"vol 1 2", "Expected EXPRESSION or CONSTANT" + volHint, TokenKind::End, 7, 7},
        // Errors after the call is complete get no hint.
        {"sqrt 2 )", "Expected END", TokenKind::CloseParen, 7, 8},
    };
    const auto registry = test::makeTestRegistry();
    registry->defineFunction("vol", "Volume of a box", "a b c", "a * b * c");
    expectParseErrors(*registry, rows);
}

TEST(Parser, WithoutAUnitInTheKeywordOnlyConverts) {
    UnitRegistry registry(1);
    registry.enterUnit("Length", "m", 1, 0);
    registry.enterUnit("Length", "cm", 0.01L, 0);
    expectTrees(registry, {{"5 in cm", "5 / 0.01 + 0", 500}});
    expectParseErrors(registry, {{"5 in", "Expected UNIT", TokenKind::End, 4, 4},
                                 {"5 cm in in", "Expected UNIT", TokenKind::In, 8, 10}});
}

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct DeepRow {
    std::string name;
    std::string input;
};

// Each form nests `depth` levels deep.
std::vector<DeepRow> nestedInputs(std::size_t depth) {
    return {
        {"parentheses", repeated("(", depth) + "1" + repeated(")", depth)},
        {"minus signs", repeated("-", depth) + "1"},
        {"plus signs", repeated("+", depth) + "1"},
        {"bars", repeated("|", depth) + "1" + repeated("|", depth)},
        {"calls", repeated("sqrt ", depth) + "2"},
        {"power chain", "2" + repeated(" ^ 2", depth)},
        {"nroot chain", "2" + repeated(" nroot 2", depth)},
        {"conditionals in the else branch", "1" + repeated(" ? 1 : 1", depth)},
    };
}

// More forms; the refusal needs far fewer levels than the forms above get.
std::vector<DeepRow> moreNestedInputs(std::size_t depth) {
    return {
        {"square brackets", repeated("[", depth) + "1" + repeated("]", depth)},
        {"minus signs before a unit", repeated("-", depth) + "40 degC"},
        {"two-argument calls", repeated("hyp 1 ", depth) + "2"},
        {"conditionals in the then branch",
         repeated("1 ? ", depth) + "1" + repeated(" : 1", depth)},
        {"sum", "1" + repeated("+1", depth)},
        {"product", "1" + repeated("*1", depth)},
        {"comparisons", "1" + repeated("<1", depth)},
        {"units", repeated("(", depth) + "1" + repeated(" km)", depth)},
        {"target unit", repeated("(", depth) + "1" + repeated(")", depth) + " in m"},
    };
}

TEST(Parser, RefusesExpressionsNestedTooDeeply) {
    const auto registry = test::makeTestRegistry();
    std::vector<DeepRow> rows = nestedInputs(100000);
    for (DeepRow& row : moreNestedInputs(10000))
        rows.push_back(std::move(row));
    rows.push_back({"a 1 MB sum", "1" + repeated("+1", 500000)});
    for (const DeepRow& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            const NodePtr tree = parse(*registry, row.input);
            ADD_FAILURE() << "parsed";
        } catch (const ParseError& error) {
            // Calls add their hints after the message.
            EXPECT_EQ(error.text().rfind("Expression nested too deeply", 0), 0u)
                << error.text().substr(0, 200);
        }
    }
}

TEST(Parser, AcceptsNestingWellBelowTheLimit) {
    const auto registry = test::makeTestRegistry();
    std::vector<DeepRow> rows = nestedInputs(100);
    for (DeepRow& row : moreNestedInputs(100))
        rows.push_back(std::move(row));
    for (const DeepRow& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            const NodePtr tree = parse(*registry, row.input);
            EXPECT_FALSE(tree->toString().empty());
        } catch (const Error& error) {
            ADD_FAILURE() << error.message();
        }
    }
}

}  // namespace
}  // namespace quantrel
