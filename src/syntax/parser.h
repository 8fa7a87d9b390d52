// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The expression grammar, from the whole line down to operands. Braces repeat, brackets are
// optional; the names are token kinds.
//
//   Line    = Sum [ In Target ] End
//   Target  = Unit
//           | Unit Plus Unit { Plus Unit }
//           | Factor { ( Star | Slash ) Factor | Factor }
//   Factor  = Number Unit [ Power ] | Number (before Slash) | Unit [ Power ]
//           | OpenParen Factor { ( Star | Slash ) Factor | Factor } CloseParen
//   Unit    = UnitSymbol | In (the unit "in", after the keyword)
//   Power   = Caret [ Minus ] Number | UnitPower
//   Sum     = Term { ( Plus | Minus ) Term }
//   Term    = Primary { ( Star | Slash | Percent | Caret
//                       | Less | LessEqual | Greater | GreaterEqual ) Primary | UnitSymbol }
//   Primary = Plus Primary | Minus Primary | Bar Sum Bar | Unit [ Mixed ]
//           | Operand [ Postfix ] [ Mixed ]
//   Mixed   = { Number Unit }   (after a unit: "1 h 20 min" is one operand)
//   Operand = Number | OpenParen Sum CloseParen | FunctionName Primary{argument count}
//           | ParameterName | VariableName
//   Postfix = Caret Primary | NRoot Primary | Unit | In (the unit "in")
//           | Question Primary Colon Primary
//
// Wherever a unit is applied, a superscript power right after it (UnitPower: "m²", "s⁻¹")
// raises that unit alone; with powers bound to units (an input line under the settings' switch)
// so does Caret [ Plus | Minus ] Operand after it ("m^2", "s^-1").
//
// "+" and "-" bind loosest; the products, "^" and the comparisons share the middle level and
// associate to the left; a postfix form binds tightest, so 2 ^ 3 ^ 2 is 2 ^ (3 ^ 2). A minus
// before an operand that takes a unit negates the operand before the unit is applied:
// -40 degC is minus forty degrees Celsius.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/token.h"
#include "eval/node.h"

namespace quantrel {

/// How deeply an expression may nest: deeper input fails with "Expression nested too deeply"
/// instead of exhausting the stack in any walk over the tree.
inline constexpr int kMaxNestingDepth = 1000;

/// The value of the longest prefix of `text` that reads as a decimal number, 0 when none does;
/// infinity when the number is too large for a double. Independent of the process locale.
double readNumber(std::string_view text);

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
    /// Whether "in" may be followed by a product or a sum of units (a line may; a function
    /// body keeps to one unit).
    void setAllowCompoundTargets(bool allow) { allowCompoundTargets_ = allow; }
    /// Whether "^" right after a unit raises that unit alone ("9.81 m/s^2"); otherwise it raises
    /// everything before it in the product, as any "^" does.
    void setPowersBindToUnits(bool bind) { powersBindToUnits_ = bind; }
    /// The text being parsed, for the reading notes (none without it).
    void setSource(std::string_view text) { source_ = text; }
    /// After parsing: one line on how the line was read where it reads unlike its look
    /// ("read as 1 / (2 cup); ..."), or empty.
    const std::string& readingNote() const { return readingNote_; }
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
    bool isUnitAt(std::size_t index) const;
    bool atUnitPostfix() const;
    NodePtr applyUnit(NodePtr operand);
    NodePtr unitPower(const Token& unitToken);
    std::string sourceBetween(std::size_t first, std::size_t end) const;
    void noteSum(const Node& left, const Node& right);
    NodePtr continueMixed(NodePtr node, TokenKind sign);
    NodePtr checked(NodePtr node) const;
    bool atTargetUnit() const;
    bool startsTargetFactor() const;
    UnitTarget readTarget();
    int readTargetExponent(std::string& text);
    void readTargetProduct(UnitTarget& target, int sign, int depth);
    void readTargetFactor(UnitTarget& target, int sign, int depth);
    void readTargetUnit(UnitTarget& target, int sign);
    void readMixedTarget(UnitTarget& target);

    std::span<const Token> tokens_;
    std::size_t limit_;
    std::size_t cursor_ = 0;
    Token end_;
    int depth_ = 0;
    bool allowCompoundTargets_ = true;
    bool powersBindToUnits_ = false;
    std::string_view source_;
    std::string readingNote_;
    std::size_t unitEnd_ = kNoLimit;  // the cursor after the unit applied last
};

/// The largest power a unit may have in a target.
inline constexpr int kMaxTargetExponent = 100;

}  // namespace quantrel
