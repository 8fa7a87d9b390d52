// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/token.h"

namespace quantrel {

class NameLookup;

/// Cuts `text` into tokens, classifying every name against the known units and functions
/// and the caller's parameter and variable names. The list always ends with one End token.
/// Throws TokenizerError "Syntax error" at a character that begins no token.
std::vector<Token> tokenize(const NameLookup& names, std::string_view text,
                            std::span<const std::string_view> parameterNames = {},
                            std::span<const std::string_view> variableNames = {});

/// Whether `c` belongs to a name: an ASCII letter or digit, "$", "_", a quote, or any byte of a
/// multi-byte UTF-8 character. Independent of the process locale.
bool isIdentifierChar(char c);

/// Whether `c` is white space between tokens: space, tab, line feed, vertical tab, form feed or
/// carriage return.
bool isBlankChar(char c);

/// The end of the number literal that begins at `start` of `text`: digits with at most one
/// decimal mark ("." or ","), then an exponent only where "e" or "E" is followed by a digit, or
/// by one sign and a digit ("2e3+1" ends before "+", "5eV" before "e").
std::size_t numberEnd(std::string_view text, std::size_t start);

/// A superscript power at the end of a name: "m²" is the stem "m" raised to 2.
struct SuperscriptPower {
    std::size_t stemLength = 0;  ///< bytes before the superscript
    int exponent = 0;            ///< 2, 3, -1, -2 or -3
};

/// The power that ends `name` ("²", "³", "⁻¹", "⁻²", "⁻³"), if any, with a stem before it.
std::optional<SuperscriptPower> superscriptSuffix(std::string_view name);

/// Where the name that ends at `cursor` begins, by the tokenizer's rules, or `cursor` when no
/// name ends there (numbers, operators and blanks end no name). Works on text that does not
/// tokenize, too.
std::size_t nameStartBefore(std::string_view text, std::size_t cursor);

}  // namespace quantrel
