// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The expression grammar, from the whole line down to operands. Braces repeat, brackets are
// optional; the names are token kinds.
//
//   Line    = Sum [ In UnitSymbol ] End
//   Sum     = Term { ( Plus | Minus ) Term }
//   Term    = Primary { ( Star | Slash | Percent | Caret
//                       | Less | LessEqual | Greater | GreaterEqual ) Primary }
//   Primary = Plus Primary | Minus Primary | Bar Sum Bar | UnitSymbol
//           | Operand [ Postfix ]
//   Operand = Number | OpenParen Sum CloseParen | FunctionName Primary{argument count}
//           | ParameterName | VariableName
//   Postfix = Caret Primary | NRoot Primary | UnitSymbol | In (the unit "in")
//           | Question Primary Colon Primary
//
// "+" and "-" bind loosest; the products, "^" and the comparisons share the middle level and
// associate to the left; a postfix form binds tightest, so 2 ^ 3 ^ 2 is 2 ^ (3 ^ 2). A minus
// before an operand that takes a unit negates the operand before the unit is applied:
// -40 degC is minus forty degrees Celsius.

#include <cstddef>
#include <span>

#include "base/error.h"
#include "base/token.h"
#include "eval/node.h"

namespace quantrel {

/// How deeply an expression may nest: deeper input fails with "Expression nested too deeply"
/// instead of exhausting the stack in any walk over the tree.
inline constexpr int kMaxNestingDepth = 1000;

/// A recursive-descent parser over a token list that ends with an End token. Throws ParseError
/// and releases every partial tree on the way out.
class Parser {
public:
    /// Parses `tokens` up to the token at index `limit` (default: the End token), which the
    /// parser sees as the end of its input.
    explicit Parser(std::span<const Token> tokens, std::size_t limit = kNoLimit);
    /// The same, with the cursor starting on the token at index `start`.
    Parser(std::span<const Token> tokens, std::size_t start, std::size_t limit);

    /// A whole line: an expression, optionally "in" and a target unit, then the end.
    NodePtr parseLine();
    /// One operand with its prefix and postfix forms, leaving the cursor on the next token.
    NodePtr parsePrimary();

    /// The token under the cursor (the end token at the limit).
    const Token& current() const;
    /// The index of the token under the cursor.
    std::size_t cursor() const { return cursor_; }
    /// Moves the cursor one token on (never past the limit).
    void advance();
    /// A ParseError at the token under the cursor.
    ParseError errorHere(std::string text) const;

    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

private:
    NodePtr parseSum();
    NodePtr parseTerm();
    NodePtr parseOperand();
    NodePtr parsePostfix(NodePtr operand);
    NodePtr parseNumber();
    NodePtr parseCall();
    bool atUnitPostfix() const;
    NodePtr applyUnit(NodePtr operand);
    NodePtr checked(NodePtr node) const;

    std::span<const Token> tokens_;
    std::size_t limit_;
    std::size_t cursor_ = 0;
    Token end_;
    int depth_ = 0;
};

}  // namespace quantrel
