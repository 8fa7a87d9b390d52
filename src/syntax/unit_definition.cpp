// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/unit_definition.h"

#include <algorithm>
#include <cfloat>
#include <optional>

#include "base/error.h"
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

/// The value of the two definitions most units have, a number ("1") or a number and a unit
/// ("1000 m"), worked out as the expression tree would but without building it: start-up reads
/// hundreds of them. None for any other definition, and for a number too large, whose error
/// the parser reports.
std::optional<long double> plainValue(std::span<const Token> tokens) {
    if (tokens.empty() || tokens[0].kind != TokenKind::Number) return std::nullopt;
    const bool alone = tokens.size() == 2 && tokens[1].kind == TokenKind::End;
    const bool withUnit = tokens.size() == 3 && tokens[1].kind == TokenKind::UnitSymbol &&
                          tokens[2].kind == TokenKind::End;
    if (!alone && !withUnit) return std::nullopt;
    const long double number = readNumber(tokens[0].text);
    if (number > LDBL_MAX || number < -LDBL_MAX) return std::nullopt;
    if (alone) return number;
    const Unit& unit = *tokens[1].unit;
    return number * (unit.scale / unit.referenceUnit->scale) - unit.offset;
}

}  // namespace

UnitScale readUnitDefinition(std::span<const Token> tokens) {
    const std::size_t end = tokens.size() - 1;
    const std::size_t equals = findKind(tokens, TokenKind::Equals);
    const std::size_t comma = findKind(tokens, TokenKind::Comma);
    UnitScale result;
    if (const std::optional<long double> value = plainValue(tokens)) {
        result.scale = *value;
    } else if (equals == tokens.size()) {
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

}  // namespace quantrel
