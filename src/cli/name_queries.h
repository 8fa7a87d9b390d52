// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel {
class Calculator;
}

namespace quantrel::cli {

/// Where the name that ends at `cursor` begins in `line`, read the way the calculator reads
/// names (so in "5km" the name is "km"); `cursor` itself when no name ends there.
std::size_t nameStartBefore(std::string_view line, std::size_t cursor);

/// What Tab does at a cursor position.
struct Completion {
    std::size_t begin = 0;                ///< start of the name being completed
    std::size_t end = 0;                  ///< the cursor: end of the name being completed
    std::string replacement;              ///< the longest text all candidates begin with
    std::vector<std::string> candidates;  ///< the matching names, each once, in query order
};

/// The completion of the name before `cursor` from Calculator::completions: ans, functions, then
/// units; in a target after "in" from Calculator::targetCompletions: the units that fit the
/// expression first. Nothing is offered for an empty name, except in a target: the fitting units.
Completion completeAt(const Calculator& calculator, std::string_view line, std::size_t cursor);

/// The name asked about when `line` is a question "?name" (blanks around it are ignored), or
/// none when the line is not a question.
std::optional<std::string> questionName(std::string_view line);

/// The answer to "?name", lines each ending in a line break: "Unit: mile (mi)" and what the unit
/// is in its quantity's reference unit ("mile (Length) = 1609.344 m"), "Function: sqrt x" or
/// "Variable: ans = 2 km", then the description when there is one.
std::string describeText(const Calculator& calculator, std::string_view name);

/// The answer to a question "?X": the help page for nothing, describeText for a name, the units of
/// a quantity ("?Length", "?angular velocity"), the units a value converts to ("?60 mph"), shown
/// units first, and otherwise what describeText says of an unknown name. Input that is quoted
/// comes escaped (see safeText).
std::string answerText(const Calculator& calculator, std::string_view question);

}  // namespace quantrel::cli
