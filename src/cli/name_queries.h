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
/// units. Nothing is offered for an empty name.
Completion completeAt(const Calculator& calculator, std::string_view line, std::size_t cursor);

/// The name asked about when `line` is a question "?name" (blanks around it are ignored), or
/// none when the line is not a question.
std::optional<std::string> questionName(std::string_view line);

/// The answer to "?name", one or two lines each ending in a line break: "Unit: metre (m)",
/// "Function: sqrt x" or "Variable: ans = 2 km", then the description when there is one.
std::string describeText(const Calculator& calculator, std::string_view name);

}  // namespace quantrel::cli
