// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/error.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/test_support.h"

namespace quantrel {
namespace {

Token tokenAt(TokenKind kind, int position, std::string text = {}) {
    Token token;
    token.kind = kind;
    token.position = position;
    token.text = std::move(text);
    return token;
}

TEST(ErrorMessages, EachClass) {
    struct Row {
        const char* name;
        const Error& error;
        std::optional<std::string_view> input;
        const char* category;
        const char* message;
    };
    const TokenizerError tokenizer("Syntax error", 4);
    const ParseError parse("Expected END", tokenAt(TokenKind::Number, 2, "3"), 4);
    const ParseError atEnd("Expected EXPRESSION or CONSTANT", tokenAt(TokenKind::End, 3), 3);
    const MathError math("Division by zero", tokenAt(TokenKind::Slash, 2),
                         tokenAt(TokenKind::Slash, 2));
    const ConfigError bare("Unknown element");
    const ConfigError withLine("Bad unit", "./settings/units.xml", 12);
    const ConfigError noLine("Bad unit", "./settings/units.xml", 0);
    const ConfigError negativeLine("Bad unit", "units.xml", -3);
    const Row rows[] = {
        {"tokenizer, last character", tokenizer, "2 + #", "Tokenizer",
         "Tokenizer error: Syntax error near '#'"},
        {"tokenizer, rest of the line", tokenizer, "2 + #x y", "Tokenizer",
         "Tokenizer error: Syntax error near '#x y'"},
        {"tokenizer without input", tokenizer, std::nullopt, "Tokenizer",
         "Tokenizer error: Syntax error"},
        {"tokenizer, position past the input", tokenizer, "2", "Tokenizer",
         "Tokenizer error: Syntax error near ''"},
        {"parser", parse, "2 3 + 4", "Parser", "Parse error: Expected END near '3 + 4'"},
        {"parser at the end", atEnd, "2 +", "Parser",
         "Parse error: Expected EXPRESSION or CONSTANT near ''"},
        {"parser without input", parse, std::nullopt, "Parser", "Parse error: Expected END"},
        {"math ignores the input", math, "1 / 0", "Math", "Math error: Division by zero"},
        {"math without input", math, std::nullopt, "Math", "Math error: Division by zero"},
        {"config without file and line", bare, std::nullopt, "Config",
         "Configuration error (): Unknown element"},
        {"config with a line", withLine, "ignored", "Config",
         "Configuration error (./settings/units.xml:12): Bad unit"},
        {"config with line 0", noLine, std::nullopt, "Config",
         "Configuration error (./settings/units.xml): Bad unit"},
        {"config with a negative line", negativeLine, std::nullopt, "Config",
         "Configuration error (units.xml): Bad unit"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.category(), row.category);
        EXPECT_EQ(row.error.message(row.input), row.message);
    }
    EXPECT_STREQ(withLine.what(), "Bad unit");
}

struct SpanRow {
    const char* input;
    std::optional<Span> span;
};

/// The span that a front end marks for the error that `input` raises.
std::optional<Span> spanOf(Calculator& calc, const char* input) {
    try {
        calc.evaluateLine(input);
    } catch (const Error& error) {
        return highlightSpan(error, input);
    }
    ADD_FAILURE() << "no error for " << input;
    return std::nullopt;
}

TEST(ErrorSpans, OfEvaluatedLines) {
    const SpanRow rows[] = {
        {"2 + #", Span{4, 5}},
        {"#", Span{0, 1}},
        {"2 3 + 4", Span{2, 4}},
        {"2 +", Span{3, 3}},
        {"(2", Span{2, 2}},
        {"1 m + 1 kg", Span{4, 5}},
        {"1 / 0", Span{2, 3}},
        {"1 / (2 - 2)", Span{2, 3}},
        {"5 kg in m", Span{8, 9}},
        {"5 kg in km", Span{8, 10}},
        // From the degree to the end of the root.
        {"0 nroot 8", Span{0, 9}},
    };
    Calculator calc = test::makeTestCalculator();
    for (const SpanRow& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(spanOf(calc, row.input), row.span);
    }
}

TEST(ErrorSpans, ClippedToTheInput) {
    EXPECT_EQ(highlightSpan(TokenizerError("Syntax error", 10), "abc"), (Span{3, 3}));
    EXPECT_EQ(highlightSpan(ParseError("x", tokenAt(TokenKind::Number, 1, "2"), 40), "a 2"),
              (Span{1, 3}));
    const MathError wide("x", tokenAt(TokenKind::Number, 2, "12"),
                         tokenAt(TokenKind::UnitSymbol, 5, "km"));
    EXPECT_EQ(highlightSpan(wide, "1 12 km"), (Span{2, 7}));
    EXPECT_EQ(highlightSpan(wide, "1 12"), (Span{2, 4}));
    // Folded constants have empty tokens: the span still covers one character.
    const MathError folded("x", Token{}, Token{});
    EXPECT_EQ(highlightSpan(folded, "1 + 2"), (Span{0, 1}));
    EXPECT_EQ(highlightSpan(folded, ""), (Span{0, 0}));
    EXPECT_EQ(highlightSpan(ConfigError("x", "a.xml", 3), "1 + 2"), std::nullopt);
}

}  // namespace
}  // namespace quantrel
