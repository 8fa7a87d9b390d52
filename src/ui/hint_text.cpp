// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/hint_text.h"

#include <algorithm>

#include "core/number_format.h"

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
    // An operator begins no name, so it offers nothing and hides the hint.
    if (!token || token->kind == Lexeme::Kind::Operator) return hint;

    const std::size_t position = static_cast<std::size_t>(token->position);
    // After "in" only units fit.
    const bool unitsOnly = calculator.isInTarget(prefix.substr(0, position));
    std::vector<std::string> names = calculator.completions(token->text, unitsOnly);
    if (names.empty()) return hint;
    // The caret is at the token's end or beyond it, for instance after a space or a bracket.
    const bool atEnd = position + token->text.size() <= prefix.size();
    const bool pastEnd = position + token->text.size() < prefix.size();
    const bool complete =
        std::find(names.begin(), names.end(), token->text) != names.end() || pastEnd;

    HintInfo info = atEnd && complete ? calculator.describe(token->text) : HintInfo{};
    if (unitsOnly && info.kind != HintKind::Unit) info = {};
    if (info.kind == HintKind::None) {
        if (pastEnd) return hint;  // the text names nothing
        hint.form = HintText::Form::List;
        hint.names = std::move(names);
        return hint;
    }
    hint.form = HintText::Form::Description;
    if (info.kind == HintKind::Unit) {
        if (const std::optional<UnitEntry> unit = calculator.unitEntry(token->text))
            hint.value = unitValueText(calculator, *unit);
    } else if (info.kind == HintKind::Variable) {
        if (calculator.ansUnit() != nullptr || calculator.ansValue() != 0)
            hint.value = "ans = " + calculator.ansResult().text;
    } else if (info.kind == HintKind::Function && info.detail.empty()) {
        // A constant: its value, unless it draws random numbers.
        if (const std::optional<EvaluationResult> value = calculator.preview(token->text))
            hint.value = token->text + " = " + value->text;
    }
    hint.info = std::move(info);
    if (!pastEnd) {
        for (std::string& name : names) {
            if (hint.names.size() == kMaxMoreCompletions) break;
            if (name != token->text) hint.names.push_back(std::move(name));
        }
    }
    return hint;
}

std::string unitValueText(const Calculator& calculator, const UnitEntry& unit) {
    if (unit.symbol == unit.reference && unit.offset == 0) return {};
    const std::optional<UnitEntry> reference = calculator.unitEntry(unit.reference);
    const std::string referenceText = reference ? reference->shown : unit.reference;
    const std::string& shown = unit.shown.empty() ? unit.symbol : unit.shown;
    // reference value = scale * value - offset
    if (unit.offset != 0) {
        return "0 " + shown + " = " + formatNumber(-unit.offset) + " " + referenceText;
    }
    return "1 " + shown + " = " + formatNumber(unit.scale) + " " + referenceText;
}

std::string functionSignature(std::string_view name, std::string_view parameters) {
    std::string signature(name);
    if (!parameters.empty()) {
        signature += ' ';
        signature += parameters;
    }
    return signature;
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

std::vector<HintRow> hintRows(const HintText& hint) {
    using Style = HintPiece::Style;
    const auto links = [&hint](HintRow& row) {
        for (std::size_t i = 0; i < hint.names.size(); ++i) {
            if (i > 0) row.push_back({Style::Plain, " ", -1});
            const Style style =
                static_cast<int>(i) == hint.chosen ? Style::ChosenLink : Style::Link;
            row.push_back({style, hint.names[i], static_cast<int>(i)});
        }
    };
    std::vector<HintRow> rows;
    switch (hint.form) {
        case HintText::Form::Hidden:
            return rows;
        case HintText::Form::List:
            links(rows.emplace_back());
            return rows;
        case HintText::Form::Suggestions:
            rows.push_back({{Style::Bold, "Did you mean: ", -1}});
            links(rows.back());
            return rows;
        case HintText::Form::Description:
            break;
    }
    const HintInfo& info = hint.info;
    std::string label;
    std::string title = info.title;
    switch (info.kind) {
        case HintKind::Function:
            label = info.detail.empty() && !hint.value.empty() ? "Constant: " : "Function: ";
            title = functionSignature(info.title, info.detail);
            break;
        case HintKind::Unit:
            // "Velocity unit: ", with the name the quantity is shown with.
            label = info.quantity.empty() ? "Unit: " : info.quantity + " unit: ";
            break;
        case HintKind::Variable:
            label = "Variable: ";
            break;
        case HintKind::None:
            return rows;
    }
    HintRow& first = rows.emplace_back();
    first.push_back({Style::Bold, label, -1});
    first.push_back({Style::Plain, title, -1});
    if (!hint.value.empty()) first.push_back({Style::Plain, ", " + hint.value, -1});
    if (!hint.names.empty()) {
        first.push_back({Style::Plain, "   more: ", -1});
        links(first);
    }
    if (!info.description.empty()) rows.push_back({{Style::Plain, info.description, -1}});
    return rows;
}

HintRow errorRow(std::string_view category, std::string_view text) {
    return {{HintPiece::Style::Bold, std::string(category) + ": ", -1},
            {HintPiece::Style::Plain, std::string(text), -1}};
}

std::string rowHtml(const HintRow& row) {
    std::string html;
    for (const HintPiece& piece : row) {
        const std::string text = escapeHtml(piece.text);
        switch (piece.style) {
            case HintPiece::Style::Plain:
                html += text;
                break;
            case HintPiece::Style::Bold:
                html += "<b>" + text + "</b>";
                break;
            case HintPiece::Style::Italic:
                html += "<i>" + text + "</i>";
                break;
            case HintPiece::Style::Link:
                html += "<a href=\"" + std::to_string(piece.link) + "\">" + text + "</a>";
                break;
            case HintPiece::Style::ChosenLink:
                html += "<a href=\"" + std::to_string(piece.link) + "\"><b>" + text + "</b></a>";
                break;
        }
    }
    return html;
}

std::string rowText(const HintRow& row) {
    std::string text;
    for (const HintPiece& piece : row)
        text += piece.text;
    return text;
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
