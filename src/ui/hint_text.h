// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/calculator.h"

namespace quantrel::ui {

/// What the information line shows for the text before the caret.
struct HintText {
    /// Suggestions: names offered in place of an unknown name a line failed on.
    enum class Form { Hidden, Description, List, Suggestions };
    Form form = Form::Hidden;
    /// The description of the name before the caret, for Form::Description.
    HintInfo info;
    /// The names offered as links, in the order shown, for Form::List and Form::Suggestions.
    std::vector<std::string> names;
    /// For Form::Suggestions: the bytes [replaceBegin, replaceEnd) of the input that a chosen
    /// name replaces (the unknown name).
    int replaceBegin = 0;
    int replaceEnd = 0;
};

/// Decides the information line from `prefix`, the input text up to the caret: the last name
/// or operator before the caret is described when the caret has passed its only candidate (or,
/// with several candidates, the token's end), and otherwise its completions are listed. A text
/// that does not tokenize, or that ends in no name, hides the line.
HintText hintFor(const Calculator& calculator, std::string_view prefix);

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

/// The information line as Qt rich text: a bold label with the description, or one link per
/// name (the link target is the name's index in `hint.names`), after "Did you mean: " for
/// suggestions. Empty when the line is hidden.
std::string hintHtml(const HintText& hint);

/// The error line as Qt rich text: the category in bold, ": ", then the bare message text.
std::string errorHtml(std::string_view category, std::string_view text);

/// The number of UTF-16 code units that the first `byteOffset` bytes of the UTF-8 text `utf8`
/// take, which is the character position a Qt text widget uses. An offset inside a multi-byte
/// character counts that whole character; offsets are clipped to the text.
int utf16Position(std::string_view utf8, int byteOffset);

}  // namespace quantrel::ui
