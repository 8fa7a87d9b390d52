// Entering a unit from its definition text.
//
// A definition states pairs "a = b": a of the new unit equals b. The unit stores the line through
// them as b = scale * a - offset. A plain expression e (no "=") means one unit is e: scale e,
// offset 0. One pair fixes only the offset (scale 1); two pairs, separated by a comma, fix both.

#include <algorithm>

#include "core/error.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"
#include "units/unit_registry.h"

namespace quantrel {
namespace {

struct Pair {
    long double a = 0;
    long double b = 0;
    std::size_t stop = 0;  // the token at which the pair ended
};

/// Reads "a [name] = b" from `start`, seeing the token at `limit` as the end.
Pair readPair(const std::vector<Token>& tokens, std::size_t start, std::size_t limit) {
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

std::size_t findKind(const std::vector<Token>& tokens, TokenKind kind) {
    const auto found = std::find_if(tokens.begin(), tokens.end(),
                                    [kind](const Token& token) { return token.kind == kind; });
    return static_cast<std::size_t>(found - tokens.begin());
}

}  // namespace

const Unit& UnitRegistry::defineUnit(const std::string& quantity, const std::string& symbol,
                                     const std::optional<std::string>& name,
                                     const std::string& description,
                                     const std::optional<std::string>& definition) {
    if (findUnit(symbol) != nullptr) throw ConfigError("Unit '" + symbol + "' already defined");
    if (!definition) throw ConfigError("Missing unit definition");

    // The unit is not entered yet: its own symbol in the text is an unknown name.
    const std::vector<Token> tokens = tokenize(*this, *definition);
    const std::size_t end = tokens.size() - 1;
    long double scale = 1;
    long double offset = 0;
    try {
        const std::size_t equals = findKind(tokens, TokenKind::Equals);
        const std::size_t comma = findKind(tokens, TokenKind::Comma);
        if (equals == tokens.size()) {
            Parser parser(tokens);
            const NodePtr tree = parser.parseLine();
            checkEvaluationCost(*tree);
            scale = tree->evaluate(Scope{});
        } else if (comma == tokens.size()) {
            const Pair pair = readPair(tokens, 0, end);
            offset = -pair.b;
        } else {
            const Pair first = readPair(tokens, 0, comma);
            const Pair second = readPair(tokens, first.stop + 1, end);
            const long double dx = second.a - first.a;
            const long double dy = second.b - first.b;
            scale = 1 / (dx / dy);
            offset = scale * first.a - first.b;
        }
    } catch (const ParseError& error) {
        throw ConfigError("Error while parsing unit '" + symbol +
                          "': " + error.message(*definition));
    }

    Unit& unit = insertUnit(quantity, symbol, scale, offset);
    unit.description = description;
    if (name) unit.name = *name;
    return unit;
}

}  // namespace quantrel
