// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/unit_definition.h"

#include <algorithm>
#include <cfloat>
#include <optional>

#include "base/error.h"
#include "syntax/name_lookup.h"
#include "syntax/tokenizer.h"
#include "eval/node.h"
#include "syntax/parser.h"
#include "units/unit_catalog.h"

namespace quantrel {
namespace {

struct Pair {
    long double a = 0;
    long double b = 0;
    std::size_t stop = 0;  // the token at which the pair ended
};

/// Reads "a [name] = b" from `start`, seeing the token at `limit` as the end.
Pair readPair(std::span<const Token> tokens, std::size_t start, std::size_t limit) {
    Parser parser(tokens, start, limit);
    NodePtr left = parser.parsePrimary();
    // Normally the symbol being defined, which is not a unit yet: "0 degC = 273.15 K".
    if (parser.current().kind == TokenKind::UnknownName) parser.advance();
    if (parser.current().kind != TokenKind::Equals) {
        throw parser.errorHere("Invalid unit scale format");
    }
    parser.advance();
    NodePtr right = parser.parsePrimary();
    checkEvaluationCost(*right);
    checkEvaluationCost(*left);
    const Scope empty;
    Pair pair;
    pair.b = right->evaluate(empty);
    pair.a = left->evaluate(empty);
    pair.stop = parser.cursor();
    return pair;
}

std::size_t findKind(std::span<const Token> tokens, TokenKind kind) {
    const auto found = std::find_if(tokens.begin(), tokens.end(),
                                    [kind](const Token& token) { return token.kind == kind; });
    return static_cast<std::size_t>(found - tokens.begin());
}

}  // namespace

UnitScale readUnitDefinition(std::span<const Token> tokens) {
    const std::size_t end = tokens.size() - 1;
    const std::size_t equals = findKind(tokens, TokenKind::Equals);
    const std::size_t comma = findKind(tokens, TokenKind::Comma);
    UnitScale result;
    if (equals == tokens.size()) {
        Parser parser(tokens);
        const NodePtr tree = parser.parseLine();
        checkEvaluationCost(*tree);
        result.scale = tree->evaluate(Scope{});
    } else if (comma == tokens.size()) {
        const Pair pair = readPair(tokens, 0, end);
        result.offset = -pair.b;
    } else {
        const Pair first = readPair(tokens, 0, comma);
        const Pair second = readPair(tokens, first.stop + 1, end);
        const long double dx = second.a - first.a;
        const long double dy = second.b - first.b;
        result.scale = 1 / (dx / dy);
        result.offset = result.scale * first.a - first.b;
    }
    return result;
}

namespace {

/// The first position from `i` on that is no blank.
std::size_t skipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && isBlankChar(text[i]))
        ++i;
    return i;
}

/// The number literal that begins at `i`, as the tokenizer cuts and the grammar reads it; `i`
/// moves past it. None when no digit begins there, and for a number too large, whose error the
/// full reading reports.
std::optional<long double> readPlainNumber(std::string_view text, std::size_t& i) {
    if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    const std::size_t start = i;
    i = numberEnd(text, start);
    const std::string_view literal = text.substr(start, i - start);
    long double number = 0;
    if (literal.find(',') == std::string_view::npos) {
        number = readNumber(literal);
    } else {
        std::string digits(literal);
        std::replace(digits.begin(), digits.end(), ',', '.');  // a decimal comma
        number = readNumber(digits);
    }
    if (number > LDBL_MAX || number < -LDBL_MAX) return std::nullopt;
    return number;
}

/// At most this many numbers in parentheses: their product stays far inside the range.
constexpr int kMaxPlainFactors = 8;

}  // namespace

std::optional<long double> readPlainDefinition(const NameLookup& names, std::string_view text) {
    // The words are cut as the tokenizer cuts them: blanks, a number or numbers joined by "*"
    // and "/" in parentheses, blanks, a name, blanks.
    std::size_t i = skipBlanks(text, 0);
    long double value = 0;
    if (i < text.size() && text[i] == '(') {
        i = skipBlanks(text, i + 1);
        const std::optional<long double> first = readPlainNumber(text, i);
        if (!first) return std::nullopt;
        value = *first;
        for (int factors = 1;; ++factors) {
            i = skipBlanks(text, i);
            if (i == text.size()) return std::nullopt;
            if (text[i] == ')' && factors > 1) break;
            const char op = text[i];
            if ((op != '*' && op != '/') || factors == kMaxPlainFactors) return std::nullopt;
            i = skipBlanks(text, i + 1);
            const std::optional<long double> number = readPlainNumber(text, i);
            // A division by zero is the grammar's to report.
            if (!number || (op == '/' && *number == 0)) return std::nullopt;
            value = op == '/' ? value / *number : value * *number;
        }
        ++i;
    } else {
        const std::optional<long double> number = readPlainNumber(text, i);
        if (!number) return std::nullopt;
        value = *number;
    }
    i = skipBlanks(text, i);
    const std::size_t nameStart = i;
    while (i < text.size() && isIdentifierChar(text[i]))
        ++i;
    const std::string_view name = text.substr(nameStart, i - nameStart);
    if (skipBlanks(text, i) != text.size()) return std::nullopt;

    if (name.empty()) return value;
    // "in" and "nroot" are words of the grammar even where a unit has the name.
    if (name == "in" || name == "nroot") return std::nullopt;
    const Unit* unit = names.findUnit(name);
    if (unit == nullptr) return std::nullopt;
    return value * (unit->scale / unit->referenceUnit->scale) - unit->offset;
}

}  // namespace quantrel
