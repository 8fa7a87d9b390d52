// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/hint_text.h"

#include <algorithm>

namespace quantrel::ui {
namespace {

// The last piece of `prefix` that the hint looks at (a name or an operator), or nothing when
// the prefix does not tokenize or has none. Names are not resolved against variables, so "ans"
// counts as a name like any other.
std::optional<Lexeme> lastHintLexeme(const Calculator& calculator, std::string_view prefix) {
    std::optional<std::vector<Lexeme>> pieces = calculator.lexemes(prefix);
    if (!pieces) return std::nullopt;
    const auto found = std::find_if(pieces->rbegin(), pieces->rend(), [](const Lexeme& piece) {
        return piece.kind == Lexeme::Kind::Name || piece.kind == Lexeme::Kind::Operator;
    });
    if (found == pieces->rend()) return std::nullopt;
    return std::move(*found);
}

std::string_view clippedPrefix(std::string_view text, int caret) {
    if (caret < 0) caret = 0;
    return text.substr(0, std::min(text.size(), static_cast<std::size_t>(caret)));
}

}  // namespace

HintText hintFor(const Calculator& calculator, std::string_view prefix) {
    HintText hint;
    const std::optional<Lexeme> token = lastHintLexeme(calculator, prefix);
    // An operator begins no name, so it offers nothing and hides the line.
    if (!token || token->kind == Lexeme::Kind::Operator) return hint;

    const std::size_t position = static_cast<std::size_t>(token->position);
    // After "in" only units fit.
    const bool unitsOnly = calculator.isInTarget(prefix.substr(0, position));
    std::vector<std::string> names = calculator.completions(token->text, unitsOnly);
    bool describe = false;
    if (names.empty()) {
        return hint;
    } else if (names.size() == 1) {
        // The caret has reached the end of the only candidate.
        describe = position + names.front().size() <= prefix.size();
    } else {
        // The caret is beyond the token's end, for instance after a space or a bracket.
        describe = position + token->text.size() < prefix.size();
    }

    if (!describe) {
        hint.form = HintText::Form::List;
        hint.names = std::move(names);
        return hint;
    }
    HintInfo info = calculator.describe(token->text);
    if (info.kind == HintKind::None) return hint;
    hint.form = HintText::Form::Description;
    hint.info = std::move(info);
    return hint;
}

HintText suggestionsFor(const Calculator& calculator, const Error& error, std::string_view line) {
    HintText hint;
    const std::optional<std::string> name = Calculator::unknownName(error);
    if (!name || name->empty()) return hint;
    // The name where the error points, or else its first occurrence.
    std::size_t begin = std::string_view::npos;
    if (const std::optional<Span> span = highlightSpan(error, line);
        span && span->begin >= 0 &&
        line.substr(static_cast<std::size_t>(span->begin)).starts_with(*name)) {
        begin = static_cast<std::size_t>(span->begin);
    } else {
        begin = line.find(*name);
    }
    if (begin == std::string_view::npos) return hint;
    std::vector<std::string> names = calculator.closestNames(*name);
    if (names.empty()) return hint;
    hint.form = HintText::Form::Suggestions;
    hint.names = std::move(names);
    hint.replaceBegin = static_cast<int>(begin);
    hint.replaceEnd = static_cast<int>(begin + name->size());
    return hint;
}

CompletedInput replaceUnknownName(const HintText& suggestions, std::string_view line,
                                  std::string_view word) {
    const std::size_t begin =
        std::min(line.size(), static_cast<std::size_t>(std::max(suggestions.replaceBegin, 0)));
    const std::size_t end = std::clamp(
        static_cast<std::size_t>(std::max(suggestions.replaceEnd, 0)), begin, line.size());
    CompletedInput replaced;
    replaced.text.append(line.substr(0, begin));
    replaced.text.append(word);
    replaced.text.append(line.substr(end));
    replaced.caret = static_cast<int>(begin + word.size());
    return replaced;
}

std::optional<CompletedInput> completeWord(const Calculator& calculator, std::string_view text,
                                           int caret, std::string_view word) {
    const std::optional<Lexeme> hinted = lastHintLexeme(calculator, clippedPrefix(text, caret));
    if (!hinted) return std::nullopt;

    const std::optional<std::vector<Lexeme>> pieces = calculator.lexemes(text);
    if (!pieces) return std::nullopt;
    // The list always ends with the End piece, whose position is the text's length, so some
    // piece begins at or after the hinted one.
    const auto replaced = std::find_if(pieces->begin(), pieces->end(), [&](const Lexeme& piece) {
        return piece.position >= hinted->position;
    });
    if (replaced == pieces->end()) return std::nullopt;

    const std::size_t begin = std::min(text.size(), static_cast<std::size_t>(replaced->position));
    const std::size_t end = std::min(text.size(), begin + replaced->text.size());
    CompletedInput completion;
    completion.text.reserve(text.size() + word.size() + 1);
    completion.text.append(text.substr(0, begin));
    completion.text.append(word);
    completion.text.push_back(' ');
    completion.text.append(text.substr(end));
    completion.caret = hinted->position + static_cast<int>(word.size()) + 1;
    return completion;
}

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string hintHtml(const HintText& hint) {
    switch (hint.form) {
        case HintText::Form::Hidden:
            return {};
        case HintText::Form::List:
        case HintText::Form::Suggestions: {
            std::string html =
                hint.form == HintText::Form::Suggestions ? "<b>Did you mean: </b>" : "";
            for (std::size_t i = 0; i < hint.names.size(); ++i) {
                html +=
                    "<a href=\"" + std::to_string(i) + "\">" + escapeHtml(hint.names[i]) + "</a> ";
            }
            return html;
        }
        case HintText::Form::Description:
            break;
    }
    const HintInfo& info = hint.info;
    std::string label;
    switch (info.kind) {
        case HintKind::Function:
            // The parameter text follows the title directly, set apart only by its italics.
            return "<b>Function: </b>" + escapeHtml(info.title) + "<i>" + escapeHtml(info.detail) +
                   "</i><br>" + escapeHtml(info.description);
        case HintKind::Unit:
            // "Velocity unit: ", with the name the quantity is shown with.
            label = info.quantity.empty() ? "Unit: " : escapeHtml(info.quantity) + " unit: ";
            break;
        case HintKind::Variable:
            label = "Variable: ";
            break;
        case HintKind::None:
            return {};
    }
    return "<b>" + label + "</b>" + escapeHtml(info.title) + "<br>" + escapeHtml(info.description);
}

std::string errorHtml(std::string_view category, std::string_view text) {
    return "<b>" + escapeHtml(category) + ": </b>" + escapeHtml(text);
}

int utf16Position(std::string_view utf8, int byteOffset) {
    const std::size_t end =
        std::min(utf8.size(), static_cast<std::size_t>(std::max(byteOffset, 0)));
    int position = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
        position += byte >= 0xF0 ? 2 : 1;     // four-byte characters take a surrogate pair
    }
    return position;
}

}  // namespace quantrel::ui
