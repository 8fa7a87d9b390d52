// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/calculator.h"

namespace quantrel::ui {

/// What the information area shows for the text before the caret.
struct HintText {
    /// Suggestions: names offered in place of an unknown name a line failed on.
    enum class Form { Hidden, Description, List, Suggestions };
    Form form = Form::Hidden;
    /// The description of the name before the caret, for Form::Description.
    HintInfo info;
    /// For a description: what the name is worth, "1 km = 1000 m", "c = 299792458 m/s", or empty.
    std::string value;
    /// The names offered as links, in the order shown: the completions (for a description, the
    /// few longer names that begin with the described one) or the suggestions.
    std::vector<std::string> names;
    /// The name Tab has put into the input, shown marked; -1 for none.
    int chosen = -1;
    /// For Form::Suggestions: the bytes [replaceBegin, replaceEnd) of the input that a chosen
    /// name replaces (the unknown name).
    int replaceBegin = 0;
    int replaceEnd = 0;
};

/// Longer names a description offers after the described one.
inline constexpr std::size_t kMaxMoreCompletions = 5;

/// Decides the information area from `prefix`, the input text up to the caret: a complete name
/// before the caret is described, with at most kMaxMoreCompletions longer names that begin with
/// it while the caret is at its end; a name that is not complete lists its completions. A text
/// that does not tokenize, or that ends in no name, hides the hint.
HintText hintFor(const Calculator& calculator, std::string_view prefix);

/// What one unit is worth in the reference unit of its quantity, written with the shown texts:
/// "1 km = 1000 m", "0 °C = 273.15 K" for a unit with an offset; empty for the reference unit.
std::string unitValueText(const Calculator& calculator, const UnitEntry& unit);

/// A function as it is written: its name and parameters apart, "hypot x y", or the name alone.
std::string functionSignature(std::string_view name, std::string_view parameters);

/// The input line after a completion link was chosen.
struct CompletedInput {
    std::string text;  ///< the whole new input text
    int caret = 0;     ///< byte offset of the caret, directly after the space that follows `word`
};

/// Completes the name before the caret with `word`: the whole token at the hint's name (also the
/// characters after the caret) is replaced by `word` and one space. Returns nothing, and the
/// input stays as it is, when the text does not tokenize or no name precedes the caret.
std::optional<CompletedInput> completeWord(const Calculator& calculator, std::string_view text,
                                           int caret, std::string_view word);

/// The known names closest to the unknown name that `line` failed on with `error`, to be offered
/// in its place; hidden when the error is about something else or nothing is close.
HintText suggestionsFor(const Calculator& calculator, const Error& error, std::string_view line);

/// `line` with the suggested name `word` in place of the unknown name; the caret follows it.
CompletedInput replaceUnknownName(const HintText& suggestions, std::string_view line,
                                  std::string_view word);

/// Text with "&", "<", ">" and '"' written as HTML entities.
std::string escapeHtml(std::string_view text);

/// A piece of a row of the information area.
struct HintPiece {
    enum class Style { Plain, Bold, Italic, Link, ChosenLink };
    Style style = Style::Plain;
    std::string text;
    int link = -1;  ///< for links, the index of the name in HintText::names
};
using HintRow = std::vector<HintPiece>;

/// The rows the hint takes in the information area: a description as its bold label and title
/// (with the value and the longer names as links) over the description text; a list as one row
/// of links; suggestions after "Did you mean: ". None when the hint is hidden.
std::vector<HintRow> hintRows(const HintText& hint);

/// The row of an error: the category in bold, ": ", then the bare message text.
HintRow errorRow(std::string_view category, std::string_view text);

/// `row` as Qt rich text, each link's target its index.
std::string rowHtml(const HintRow& row);

/// `row` without markup.
std::string rowText(const HintRow& row);

/// The number of UTF-16 code units that the first `byteOffset` bytes of the UTF-8 text `utf8`
/// take, which is the character position a Qt text widget uses. An offset inside a multi-byte
/// character counts that whole character; offsets are clipped to the text.
int utf16Position(std::string_view utf8, int byteOffset);

}  // namespace quantrel::ui
