// SPDX-License-Identifier: GPL-3.0-or-later

#include "base/error.h"

#include <algorithm>

namespace quantrel {
namespace {

std::string quoteFrom(std::string_view input, int position) {
    const auto start = static_cast<std::size_t>(std::clamp<int>(position, 0, int(input.size())));
    std::string quote = " near '";
    quote.append(input.substr(start));
    quote += '\'';
    return quote;
}

/// `prefix` followed by `text` (written this way to keep GCC's -Wrestrict quiet at -O3).
std::string prefixed(std::string_view prefix, const std::string& text) {
    std::string full(prefix);
    full += text;
    return full;
}

}  // namespace

std::string Error::locationText() const {
    if (!location_) return {};
    std::string text = "at ";
    text += location_->file;
    if (location_->line > 0) {
        text += ':';
        text += std::to_string(location_->line);
    }
    if (!location_->subject.empty()) {
        text += ", ";
        text += location_->subject;
    }
    return text;
}

std::string TokenizerError::message(std::optional<std::string_view> input) const {
    std::string full = prefixed("Tokenizer error: ", text());
    if (input) full += quoteFrom(*input, position_);
    return full;
}

std::string ParseError::message(std::optional<std::string_view> input) const {
    std::string full = prefixed("Parse error: ", text());
    if (input) full += quoteFrom(*input, token_.position);
    return full;
}

std::string MathError::message(std::optional<std::string_view>) const {
    return prefixed("Math error: ", text());
}

std::string ConfigError::message(std::optional<std::string_view>) const {
    std::string full = prefixed("Configuration error (", file_);
    if (line_ > 0) {
        full += ':';
        full += std::to_string(line_);
    }
    full += "): ";
    full += text();
    return full;
}

std::optional<Span> highlightSpan(const Error& error, std::string_view input) {
    const int length = static_cast<int>(input.size());
    const auto clip = [length](int begin, int end) {
        begin = std::clamp(begin, 0, length);
        end = std::clamp(end, begin, length);
        return Span{begin, end};
    };
    if (const auto* parse = dynamic_cast<const ParseError*>(&error)) {
        if (parse->token().kind == TokenKind::End) return clip(parse->token().position, length);
        return clip(parse->token().position, parse->nextPosition());
    }
    if (const auto* tokenizer = dynamic_cast<const TokenizerError*>(&error)) {
        return clip(tokenizer->position(), tokenizer->position() + 1);
    }
    if (const auto* math = dynamic_cast<const MathError*>(&error)) {
        const int begin = math->first().position;
        int end = math->last().position + static_cast<int>(math->last().text.size());
        if (end <= begin) end = begin + 1;
        return clip(begin, end);
    }
    return std::nullopt;
}

}  // namespace quantrel
