// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/token.h"

namespace quantrel {

/// A half-open byte range [begin, end) in an input line.
struct Span {
    int begin = 0;
    int end = 0;
    friend bool operator==(const Span&, const Span&) = default;
};

/// Where in the settings a failure was found: the file as messages name it, the line of the
/// element being read (0 when unknown), and what that element defines, for example
/// "unit 'zz'" (empty when it defines nothing with a name).
struct SettingsLocation {
    std::string file;
    int line = 0;
    std::string subject;
    friend bool operator==(const SettingsLocation&, const SettingsLocation&) = default;
};

/// Base of every failure the engine reports. Thrown by value, caught by const reference at the
/// boundaries (the window's evaluation command, start-up, the terminal loop).
class Error : public std::exception {
public:
    explicit Error(std::string text) : text_(std::move(text)) {}
    /// The bare message, for example "Division by zero".
    const char* what() const noexcept override { return text_.c_str(); }
    const std::string& text() const { return text_; }
    /// The short name of the error's source: "Tokenizer", "Parser", "Math" or "Config".
    virtual std::string category() const = 0;
    /// The full one-line message; `input` is the text the error was found in, when known.
    virtual std::string message(std::optional<std::string_view> input = std::nullopt) const = 0;
    /// The part of `input` the error is about, clipped to it; none for errors of the settings.
    virtual std::optional<Span> span(std::string_view input) const;

    /// Where in the settings the error was found; none for errors in an input line.
    const std::optional<SettingsLocation>& location() const { return location_; }
    void setLocation(SettingsLocation location) { location_ = std::move(location); }
    /// The location as one line, "at settings/40-matter.xml:214, unit 'zz'"; empty without one.
    std::string locationText() const;

private:
    std::string text_;
    std::optional<SettingsLocation> location_;
};

/// A character the tokenizer cannot read.
class TokenizerError : public Error {
public:
    TokenizerError(std::string text, int position) : Error(std::move(text)), position_(position) {}
    std::string category() const override { return "Tokenizer"; }
    std::string message(std::optional<std::string_view> input = std::nullopt) const override;
    std::optional<Span> span(std::string_view input) const override;
    /// Byte offset of the character at which tokenizing stopped.
    int position() const { return position_; }

private:
    int position_;
};

/// A syntax error found by the parser (or by a settings reader that parses).
class ParseError : public Error {
public:
    ParseError(std::string text, Token token, int nextPosition)
        : Error(std::move(text)), token_(std::move(token)), nextPosition_(nextPosition) {}
    std::string category() const override { return "Parser"; }
    std::string message(std::optional<std::string_view> input = std::nullopt) const override;
    std::optional<Span> span(std::string_view input) const override;
    /// A copy of the token under the parser's cursor when the error was raised.
    const Token& token() const { return token_; }
    /// Position of the token after it: the end of the span to mark.
    int nextPosition() const { return nextPosition_; }

private:
    Token token_;
    int nextPosition_;
};

/// A failure of folding, evaluation or unit inference.
class MathError : public Error {
public:
    MathError(std::string text, Token first, Token last)
        : Error(std::move(text)), first_(std::move(first)), last_(std::move(last)) {}
    std::string category() const override { return "Math"; }
    std::string message(std::optional<std::string_view> input = std::nullopt) const override;
    std::optional<Span> span(std::string_view input) const override;
    /// First and last token of the offending subexpression.
    const Token& first() const { return first_; }
    const Token& last() const { return last_; }

private:
    Token first_;
    Token last_;
};

/// A problem in the settings files.
class ConfigError : public Error {
public:
    explicit ConfigError(std::string text, std::string file = {}, int line = 0)
        : Error(std::move(text)), file_(std::move(file)), line_(line) {}
    std::string category() const override { return "Config"; }
    std::string message(std::optional<std::string_view> input = std::nullopt) const override;
    /// The settings file concerned (may be empty).
    const std::string& file() const { return file_; }
    /// The line in that file, 0 when there is none.
    int line() const { return line_; }

private:
    std::string file_;
    int line_;
};

/// The byte range of `input` that a front end marks for `error`, or none for errors that name no
/// place in the input. A parse error spans its token up to the next token (at the end token: the
/// empty range at the end of the text); a tokenizer error one character; a math error its first
/// token to the end of its last, at least one character. Ranges are clipped to the input.
std::optional<Span> highlightSpan(const Error& error, std::string_view input);

}  // namespace quantrel
