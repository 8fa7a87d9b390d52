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

namespace {

Span clipped(std::string_view input, int begin, int end) {
    const int length = static_cast<int>(input.size());
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    return Span{begin, end};
}

}  // namespace

std::optional<Span> Error::span(std::string_view) const {
    return std::nullopt;
}

std::optional<Span> ParseError::span(std::string_view input) const {
    if (token_.kind == TokenKind::End) {
        return clipped(input, token_.position, static_cast<int>(input.size()));
    }
    return clipped(input, token_.position, nextPosition());
}

std::optional<Span> TokenizerError::span(std::string_view input) const {
    return clipped(input, position(), position() + 1);
}

std::optional<Span> MathError::span(std::string_view input) const {
    const int begin = first().position;
    int end = last().position + static_cast<int>(last().text.size());
    if (end <= begin) end = begin + 1;
    return clipped(input, begin, end);
}

std::optional<Span> highlightSpan(const Error& error, std::string_view input) {
    return error.span(input);
}

}  // namespace quantrel
