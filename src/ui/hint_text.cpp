#include "ui/hint_text.h"

#include <algorithm>

#include "core/error.h"
#include "syntax/token.h"
#include "syntax/tokenizer.h"

namespace quantrel::ui {
namespace {

bool isName(TokenKind kind) {
    switch (kind) {
        case TokenKind::FunctionName:
        case TokenKind::UnitSymbol:
        case TokenKind::ParameterName:
        case TokenKind::VariableName:
        case TokenKind::UnknownName:
            return true;
        default:
            return false;
    }
}

bool isHintOperator(TokenKind kind) {
    switch (kind) {
        case TokenKind::Plus:
        case TokenKind::Minus:
        case TokenKind::Star:
        case TokenKind::Slash:
        case TokenKind::Caret:
            return true;
        default:
            return false;
    }
}

// The last token of `prefix` that the hint looks at, or nothing when the prefix does not
// tokenize or has none. Names are tokenized without parameters or variables, so "ans" comes out
// as an unresolved name.
std::optional<Token> lastHintToken(const Calculator& calculator, std::string_view prefix) {
    std::vector<Token> tokens;
    try {
        tokens = tokenize(calculator.registry(), prefix);
    } catch (const TokenizerError&) {
        return std::nullopt;
    }
    const auto found = std::find_if(tokens.rbegin(), tokens.rend(), [](const Token& token) {
        return isName(token.kind) || isHintOperator(token.kind);
    });
    if (found == tokens.rend()) return std::nullopt;
    return *found;
}

std::string_view clippedPrefix(std::string_view text, int caret) {
    if (caret < 0) caret = 0;
    return text.substr(0, std::min(text.size(), static_cast<std::size_t>(caret)));
}

}  // namespace

HintText hintFor(const Calculator& calculator, std::string_view prefix) {
    HintText hint;
    const std::optional<Token> token = lastHintToken(calculator, prefix);
    // An operator begins no name, so it offers nothing and hides the line.
    if (!token || isHintOperator(token->kind)) return hint;

    const std::size_t position = static_cast<std::size_t>(token->position);
    std::vector<std::string> names = calculator.completions(token->text);
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

std::optional<Completion> completeWord(const Calculator& calculator, std::string_view text,
                                       int caret, std::string_view word) {
    const std::optional<Token> hinted = lastHintToken(calculator, clippedPrefix(text, caret));
    if (!hinted) return std::nullopt;

    std::vector<Token> tokens;
    try {
        tokens = tokenize(calculator.registry(), text);
    } catch (const TokenizerError&) {
        return std::nullopt;
    }
    // The list always ends with the End token, whose position is the text's length, so some
    // token begins at or after the hinted one.
    const auto replaced = std::find_if(tokens.begin(), tokens.end(), [&](const Token& token) {
        return token.position >= hinted->position;
    });
    if (replaced == tokens.end()) return std::nullopt;

    const std::size_t begin = std::min(text.size(), static_cast<std::size_t>(replaced->position));
    const std::size_t end = std::min(text.size(), begin + replaced->text.size());
    Completion completion;
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
        case HintText::Form::List: {
            std::string html;
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
            label = "Unit: ";
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
