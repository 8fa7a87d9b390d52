// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "core/text.h"
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace quantrel {
class Calculator;
}  // namespace quantrel

namespace quantrel::cli {

/// Whether `line` holds nothing but white space (space, tab, CR, LF, VT, FF).
bool isBlank(std::string_view line);

/// Evaluates one line: the result goes to `out`; on failure `out` is flushed first (so the order
/// of lines survives when both streams share a pipe) and the error's full message, quoting the
/// line, goes to `err`. Returns whether the line succeeded.
bool evaluateAndPrint(Calculator& calculator, std::string_view line, std::ostream& out,
                      std::ostream& err, bool flushEveryLine);

/// Whether the first character of `line` that is not white space is '#': a comment line.
bool isComment(std::string_view line);

/// `line` without its comment: a "#" after a blank (outside a quoted unit "...") begins a comment
/// that runs to the end of the line; the blanks before it go too. A line without one is kept.
std::string_view withoutComment(std::string_view line);

/// `text` without the UTF-8 byte-order mark it may begin with.
std::string_view withoutByteOrderMark(std::string_view text);

/// Evaluates every line of `in` that is neither blank nor a comment, one output line per
/// evaluated line; a byte-order mark before the first line is skipped and a comment after a blank
/// ends a line (see withoutComment). A trailing CR (a file written with CRLF line ends) is dropped.
/// With `lineNumbers`, every error message begins with "line N: ", N counting the lines of `in`
/// from 1 (blank and comment lines included). Stops after the first line whose output cannot be
/// written. Returns Success when every line succeeded, LineFailed otherwise.
ExitCode runLines(Calculator& calculator, std::istream& in, std::ostream& out, std::ostream& err,
                  bool flushEveryLine, bool lineNumbers = false);

/// Evaluates each expression in order as one line; with `lineNumbers`, N in "line N: " is the
/// expression's place from 1. Stops and returns as runLines does.
ExitCode runExpressions(Calculator& calculator, std::span<const std::string> expressions,
                        std::ostream& out, std::ostream& err, bool flushEveryLine,
                        bool lineNumbers = false);

/// Which units a listing shows; all by default.
struct UnitFilter {
    /// Only units whose symbol, name or quantity holds this text (ASCII case ignored), and the
    /// units one of whose aliases (another symbol of the same quantity, scale and offset) does.
    std::optional<std::string> pattern;
    /// Only the units of this quantity, found as Calculator::findQuantity finds it.
    std::optional<std::string> quantity;
};

/// Writes one line per unit in symbol order that passes `filter`: symbol, name, quantity and
/// description, separated by tabs. Tabs and line breaks inside a field become spaces. Returns
/// whether any unit was listed; an unknown quantity is said on `err`.
bool listUnits(const Calculator& calculator, std::ostream& out, std::ostream& err,
               const UnitFilter& filter = {});

/// Writes one line per function in name order: name, parameters and description, separated by
/// tabs. Tabs and line breaks inside a field become spaces.
void listFunctions(const Calculator& calculator, std::ostream& out);

}  // namespace quantrel::cli
