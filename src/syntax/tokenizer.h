#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "syntax/token.h"

namespace quantrel {

class UnitRegistry;

/// Cuts `text` into tokens, classifying every name against the registry's units and functions
/// and the caller's parameter and variable names. The list always ends with one End token.
/// Throws TokenizerError "Syntax error" at a character that begins no token.
std::vector<Token> tokenize(const UnitRegistry& registry, std::string_view text,
                            std::span<const std::string_view> parameterNames = {},
                            std::span<const std::string_view> variableNames = {});

/// Whether `c` belongs to a name: an ASCII letter or digit, "$", "_", a quote, or any byte of a
/// multi-byte UTF-8 character. Independent of the process locale.
bool isIdentifierChar(char c);

}  // namespace quantrel
