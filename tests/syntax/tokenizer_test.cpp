// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/tokenizer.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"
#include "syntax/scoped_locale.h"

namespace quantrel {
namespace {

using Names = std::vector<std::string_view>;

/// What a token should be: kind, text and byte position (the other fields are checked apart).
struct ExpectedToken {
    TokenKind kind;
    std::string text;
    int position;
};

std::string describe(const std::vector<Token>& tokens) {
    std::string text;
    for (const Token& token : tokens) {
        text += "(" + std::to_string(static_cast<int>(token.kind)) + " '" + token.text + "' @" +
                std::to_string(token.position) + ") ";
    }
    return text;
}

void expectTokens(const std::vector<Token>& actual, const std::vector<ExpectedToken>& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << describe(actual);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("token " + std::to_string(i));
        EXPECT_EQ(actual[i].kind, expected[i].kind) << describe(actual);
        EXPECT_EQ(actual[i].text, expected[i].text);
        EXPECT_EQ(actual[i].position, expected[i].position);
    }
}

constexpr auto kNumber = TokenKind::Number;
constexpr auto kName = TokenKind::UnknownName;
constexpr auto kEnd = TokenKind::End;

struct TokenRow {
    std::string_view text;
    std::vector<ExpectedToken> tokens;
};

TEST(Tokenizer, CutsTextIntoKindsTextsAndPositions) {
    const std::vector<TokenRow> rows = {
        // Nothing but the end token, placed at the text's length.
        {"", {{kEnd, "", 0}}},
        {" \t\r\n\v\f", {{kEnd, "", 6}}},
        // Positions count skipped whitespace.
        {" 12+x", {{kNumber, "12", 1}, {TokenKind::Plus, "", 3}, {kName, "x", 4}, {kEnd, "", 5}}},
        // A comma directly after a digit is a decimal comma; at the start of a token it is a Comma.
        {"1,5", {{kNumber, "1.5", 0}, {kEnd, "", 3}}},
        {"1, 2", {{kNumber, "1.", 0}, {kNumber, "2", 3}, {kEnd, "", 4}}},
        {"1 ,2", {{kNumber, "1", 0}, {TokenKind::Comma, "", 2}, {kNumber, "2", 3}, {kEnd, "", 4}}},
        {",5", {{TokenKind::Comma, "", 0}, {kNumber, "5", 1}, {kEnd, "", 2}}},
        // Exponents: signs belong to the number only after the exponent letter.
        {"2e-3", {{kNumber, "2e-3", 0}, {kEnd, "", 4}}},
        {"2E+3", {{kNumber, "2E+3", 0}, {kEnd, "", 4}}},
        // An exponent needs a digit after the letter (and one optional sign): no more is taken.
        {"2e3+1",
         {{kNumber, "2e3", 0}, {TokenKind::Plus, "", 3}, {kNumber, "1", 4}, {kEnd, "", 5}}},
        {"2e--5",
         {{kNumber, "2", 0},
          {kName, "e", 1},
          {TokenKind::Minus, "", 2},
          {TokenKind::Minus, "", 3},
          {kNumber, "5", 4},
          {kEnd, "", 5}}},
        {"2e3 +1",
         {{kNumber, "2e3", 0}, {TokenKind::Plus, "", 4}, {kNumber, "1", 5}, {kEnd, "", 6}}},
        {"2+1", {{kNumber, "2", 0}, {TokenKind::Plus, "", 1}, {kNumber, "1", 2}, {kEnd, "", 3}}},
        {"5eV", {{kNumber, "5", 0}, {kName, "eV", 1}, {kEnd, "", 3}}},
        {"2e3e4", {{kNumber, "2e3", 0}, {kName, "e4", 3}, {kEnd, "", 5}}},
        {"1e.5", {{kNumber, "1", 0}, {kName, "e", 1}, {kNumber, ".5", 2}, {kEnd, "", 4}}},
        {"2,e3", {{kNumber, "2.e3", 0}, {kEnd, "", 4}}},
        // One decimal mark a number; a second one begins the next token.
        {"1.2.3", {{kNumber, "1.2", 0}, {kNumber, ".3", 3}, {kEnd, "", 5}}},
        {".5", {{kNumber, ".5", 0}, {kEnd, "", 2}}},
        {".", {{TokenKind::Point, "", 0}, {kEnd, "", 1}}},
        {"1,2,3",
         {{kNumber, "1.2", 0}, {TokenKind::Comma, "", 3}, {kNumber, "3", 4}, {kEnd, "", 5}}},
        // A superscript power after a unit symbol is a token of its own.
        {"5 m\xc2\xb2",
         {{kNumber, "5", 0},
          {TokenKind::UnitSymbol, "m", 2},
          {TokenKind::UnitPower, "\xc2\xb2", 3},
          {kEnd, "", 5}}},
        {"s\xe2\x81\xbb\xc2\xb9",
         {{TokenKind::UnitSymbol, "s", 0},
          {TokenKind::UnitPower, "\xe2\x81\xbb\xc2\xb9", 1},
          {kEnd, "", 6}}},
        {"x\xc2\xb2", {{kName, "x\xc2\xb2", 0}, {kEnd, "", 3}}},
        {"m\xc2\xb2\xc2\xb2", {{kName, "m\xc2\xb2\xc2\xb2", 0}, {kEnd, "", 5}}},
        // A digit always begins a number, and a name may carry digits after its first character.
        {"2m", {{kNumber, "2", 0}, {TokenKind::UnitSymbol, "m", 1}, {kEnd, "", 2}}},
        {"log10 m2",
         {{TokenKind::FunctionName, "log10", 0}, {TokenKind::UnitSymbol, "m2", 6}, {kEnd, "", 8}}},
        {"$a_b\"c'd", {{kName, "$a_b\"c'd", 0}, {kEnd, "", 8}}},
        // "<" and ">" take a directly following "=" only.
        {"x<=y", {{kName, "x", 0}, {TokenKind::LessEqual, "", 1}, {kName, "y", 3}, {kEnd, "", 4}}},
        {"x=<y",
         {{kName, "x", 0},
          {TokenKind::Equals, "", 1},
          {TokenKind::Less, "", 2},
          {kName, "y", 3},
          {kEnd, "", 4}}},
        {"1<", {{kNumber, "1", 0}, {TokenKind::Less, "", 1}, {kEnd, "", 2}}},
        {">", {{TokenKind::Greater, "", 0}, {kEnd, "", 1}}},
        {">=>", {{TokenKind::GreaterEqual, "", 0}, {TokenKind::Greater, "", 2}, {kEnd, "", 3}}},
        {"<<=", {{TokenKind::Less, "", 0}, {TokenKind::LessEqual, "", 1}, {kEnd, "", 3}}},
        {"< =", {{TokenKind::Less, "", 0}, {TokenKind::Equals, "", 2}, {kEnd, "", 3}}},
        // Round and square brackets are interchangeable.
        {"(1]",
         {{TokenKind::OpenParen, "", 0},
          {kNumber, "1", 1},
          {TokenKind::CloseParen, "", 2},
          {kEnd, "", 3}}},
        {"[)", {{TokenKind::OpenParen, "", 0}, {TokenKind::CloseParen, "", 1}, {kEnd, "", 2}}},
        {"7 % 2",
         {{kNumber, "7", 0}, {TokenKind::Percent, "", 2}, {kNumber, "2", 4}, {kEnd, "", 5}}},
        {"?:|!^*/-+=,",
         {{TokenKind::Question, "", 0},
          {TokenKind::Colon, "", 1},
          {TokenKind::Bar, "", 2},
          {TokenKind::Bang, "", 3},
          {TokenKind::Caret, "", 4},
          {TokenKind::Star, "", 5},
          {TokenKind::Slash, "", 6},
          {TokenKind::Minus, "", 7},
          {TokenKind::Plus, "", 8},
          {TokenKind::Equals, "", 9},
          {TokenKind::Comma, "", 10},
          {kEnd, "", 11}}},
        // Keywords are whole names only.
        {"3 nroot 8",
         {{kNumber, "3", 0}, {TokenKind::NRoot, "nroot", 2}, {kNumber, "8", 8}, {kEnd, "", 9}}},
        {"nroot2", {{kName, "nroot2", 0}, {kEnd, "", 6}}},
        {"5in", {{kNumber, "5", 0}, {TokenKind::In, "in", 1}, {kEnd, "", 3}}},
        {"inch In", {{kName, "inch", 0}, {kName, "In", 5}, {kEnd, "", 7}}},
        // Bytes of UTF-8 characters are identifier characters; positions stay byte offsets.
        {"µm", {{kName, "µm", 0}, {kEnd, "", 3}}},
        {"5µm+1",
         {{kNumber, "5", 0},
          {kName, "µm", 1},
          {TokenKind::Plus, "", 4},
          {kNumber, "1", 5},
          {kEnd, "", 6}}},
        {"2 Ω", {{kNumber, "2", 0}, {kName, "Ω", 2}, {kEnd, "", 4}}},
    };
    const auto registry = test::makeTestRegistry();
    for (const TokenRow& row : rows) {
        SCOPED_TRACE(std::string("text: ") + std::string(row.text));
        expectTokens(tokenize(*registry, row.text), row.tokens);
    }
}

TEST(Tokenizer, EveryByteFromX80IsAnIdentifierCharacter) {
    const auto registry = test::makeTestRegistry();
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        SCOPED_TRACE("byte " + std::to_string(byte));
        const char c = static_cast<char>(byte);
        EXPECT_TRUE(isIdentifierChar(c));
        const std::string inside = std::string("a") + c + "b";
        expectTokens(tokenize(*registry, inside), {{kName, inside, 0}, {kEnd, "", 3}});
        // A number ends where such a byte begins a name.
        expectTokens(tokenize(*registry, std::string("5") + c),
                     {{kNumber, "5", 0}, {kName, std::string(1, c), 1}, {kEnd, "", 2}});
    }
}

struct NameRow {
    std::string_view text;
    Names parameters;
    Names variables;
    TokenKind kind;
    int index;  // checked for parameter and variable names only
};

TEST(Tokenizer, ClassifiesNamesUnitFirstThenFunctionParameterVariable) {
    auto registry = test::makeTestRegistry();
    // "sq" is now both a unit and a function.
    registry->enterUnit("Test", "sq", 1, 0);
    const Names parameters = {"hyp", "x", "m", "ans", "x", "in", "nroot"};
    const Names variables = {"x", "ans", "y", "y", "m", "hyp"};
    const std::vector<NameRow> rows = {
        {"sq", parameters, variables, TokenKind::UnitSymbol, 0},
        {"m", parameters, variables, TokenKind::UnitSymbol, 0},
        {"hyp", parameters, variables, TokenKind::FunctionName, 0},
        {"x", parameters, variables, TokenKind::ParameterName, 1},
        {"ans", parameters, variables, TokenKind::ParameterName, 3},
        {"y", parameters, variables, TokenKind::VariableName, 2},
        {"in", parameters, variables, TokenKind::In, 0},
        {"nroot", parameters, variables, TokenKind::NRoot, 0},
        {"z", parameters, variables, TokenKind::UnknownName, 0},
        // "ans" on an input line, and where no variable list is given (hints, settings).
        {"ans", {}, {"ans"}, TokenKind::VariableName, 0},
        {"ans", {}, {}, TokenKind::UnknownName, 0},
        // Names compare exactly, case included.
        {"Ans", {}, {"ans"}, TokenKind::UnknownName, 0},
        {"SQRT", {}, {}, TokenKind::UnknownName, 0},
        {"KM", {}, {}, TokenKind::UnknownName, 0},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(std::string("name: ") + std::string(row.text));
        const std::vector<Token> tokens =
            tokenize(*registry, row.text, row.parameters, row.variables);
        ASSERT_EQ(tokens.size(), 2u);
        const Token& token = tokens[0];
        EXPECT_EQ(token.kind, row.kind);
        EXPECT_EQ(token.text, row.text);
        EXPECT_EQ(token.position, 0);
        if (row.kind == TokenKind::ParameterName || row.kind == TokenKind::VariableName) {
            EXPECT_EQ(token.index, row.index);
        }
        const bool namesUnit = row.kind == TokenKind::UnitSymbol || row.kind == TokenKind::In;
        EXPECT_EQ(token.unit, namesUnit ? registry->findUnit(row.text) : nullptr);
        EXPECT_EQ(token.function,
                  row.kind == TokenKind::FunctionName ? registry->findFunction(row.text) : nullptr);
    }
}

TEST(Tokenizer, InIsTheKeywordWhetherOrNotAUnitInExists) {
    const auto withInch = test::makeTestRegistry();
    UnitRegistry withoutInch(1);
    withoutInch.enterUnit("Length", "m", 1, 0);

    const std::vector<Token> inch = tokenize(*withInch, "5 in");
    ASSERT_EQ(inch.size(), 3u);
    EXPECT_EQ(inch[1].kind, TokenKind::In);
    ASSERT_NE(inch[1].unit, nullptr);
    EXPECT_EQ(inch[1].unit, withInch->findUnit("in"));

    const std::vector<Token> keyword = tokenize(withoutInch, "5 in");
    ASSERT_EQ(keyword.size(), 3u);
    EXPECT_EQ(keyword[1].kind, TokenKind::In);
    EXPECT_EQ(keyword[1].unit, nullptr);
}

struct SyntaxErrorRow {
    std::string_view text;
    int position;
};

TEST(Tokenizer, RefusesCharactersThatBeginNoToken) {
    using namespace std::string_view_literals;
    const std::vector<SyntaxErrorRow> rows = {
        {"#", 0},      {"&", 0},         {"{", 0},        {"~", 0},       {"1 + #2", 4},
        {"km & m", 3}, {"(1 + 2) }", 8}, {"sqrt 2 ~", 7}, {"1 + 2 @", 6}, {"µm;", 3},
        {"1\0"sv, 1},  {"\x7f", 0},      {"  \x01 1", 2}, {"5 km\\", 4},  {"`5`", 0},
    };
    const auto registry = test::makeTestRegistry();
    for (const SyntaxErrorRow& row : rows) {
        SCOPED_TRACE("text: " + std::string(row.text));
        try {
            tokenize(*registry, row.text);
            ADD_FAILURE() << "no error";
        } catch (const TokenizerError& error) {
            EXPECT_EQ(error.text(), "Syntax error");
            EXPECT_EQ(error.category(), "Tokenizer");
            EXPECT_EQ(error.position(), row.position);
            const std::string rest(row.text.substr(static_cast<std::size_t>(row.position)));
            EXPECT_EQ(error.message(row.text), "Tokenizer error: Syntax error near '" + rest + "'");
        }
    }
}

TEST(Tokenizer, GivesTheSameTokensUnderAnotherProcessLocale) {
    const auto registry = test::makeTestRegistry();
    const std::array<std::string_view, 6> texts = {
        "1,5 km + 2.5e3 m", " 12+x <= 3", "5µm ÄÖü é", "1 ,2", "\xA0 5 \xB5", "sqrt(2) ^ 2 in cm"};
    std::vector<std::vector<Token>> inC;
    for (std::string_view text : texts)
        inC.push_back(tokenize(*registry, text));

    const test::ScopedLocale locale;
    if (locale.name().empty()) GTEST_SKIP() << "no locale other than C is installed";
    SCOPED_TRACE("locale: " + locale.name());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE("text: " + std::string(texts[i]));
        std::vector<ExpectedToken> expected;
        for (const Token& token : inC[i])
            expected.push_back({token.kind, token.text, token.position});
        expectTokens(tokenize(*registry, texts[i]), expected);
    }
}

}  // namespace
}  // namespace quantrel
