// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The grammar of a unit's definition text. A definition states pairs "a = b": a of the new unit
// equals b. The unit stores the line through them as b = scale * a - offset. A plain expression e
// (no "=") means one unit is e: scale e, offset 0. One pair fixes only the offset (scale 1); two
// pairs, separated by a comma, fix both.
//
//   Definition = Sum End | Pair End | Pair Comma Pair End
//   Pair       = Primary [ UnknownName ] Equals Primary

#include <optional>
#include <span>
#include <string_view>

#include "base/token.h"

namespace quantrel {

/// Where a unit's values lie: b = scale * a - offset, b in the reference unit.
struct UnitScale {
    long double scale = 1;
    long double offset = 0;
};

/// Reads and evaluates a definition from its tokens (the unit's own symbol, not entered yet, is
/// an unknown name). Throws ParseError for text that does not fit the grammar and MathError
/// from evaluating it.
UnitScale readUnitDefinition(std::span<const Token> tokens);

class NameLookup;

/// The scale of the definitions most units have, read straight from the text: start-up reads
/// hundreds of them. A number ("1") or numbers joined by "*" and "/" in parentheses ("(1 / 60)"),
/// each alone or followed by a known unit ("1000 m", "(1 / 16) gal"). It is what
/// readUnitDefinition gives for the text's tokens. None for any other text, for a number too
/// large and for a division by zero, whose errors the full reading reports.
std::optional<long double> readPlainDefinition(const NameLookup& names, std::string_view text);

}  // namespace quantrel
