// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace quantrel {

struct Unit;
struct Function;

/// The kind of a token. The codes are fixed: other code and saved data may rely on them.
enum class TokenKind : int {
    None = 0,  // the empty token of nodes that have no source token
    FunctionName = 1,
    UnitSymbol = 2,
    ParameterName = 3,
    VariableName = 4,
    End = 5,
    OpenParen = 6,
    CloseParen = 7,
    Number = 8,
    Plus = 9,
    Minus = 10,
    Slash = 11,
    Star = 12,
    Percent = 13,
    Caret = 14,
    UnknownName = 15,
    Bang = 16,
    Bar = 17,
    NRoot = 18,
    In = 19,
    Colon = 20,
    Less = 21,
    LessEqual = 22,
    Greater = 23,
    GreaterEqual = 24,
    Equals = 25,
    Question = 26,
    Comma = 27,
    /// A superscript power written right after a unit symbol ("m²", "s⁻¹"); `index` holds the
    /// exponent. It raises that unit alone.
    UnitPower = 28,
    /// A decimal point that begins no number: a lone "." is no operand.
    Point = 29,
};

/// One token of a text: what the tokenizer found and where.
struct Token {
    TokenKind kind = TokenKind::None;
    /// A number's characters (a decimal comma stored as "."), or a name as written; empty for
    /// operators and the end token.
    std::string text;
    /// Byte offset of the first character in the text; the text's length for the end token.
    int position = 0;
    /// For parameter and variable names: the position of the name in the caller's list; for a
    /// UnitPower, the exponent.
    int index = 0;
    /// The function a FunctionName denotes.
    const Function* function = nullptr;
    /// The unit a UnitSymbol denotes; for an In token, the unit whose symbol is "in", if any.
    const Unit* unit = nullptr;
};

}  // namespace quantrel
