// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/tokenizer.h"

#include <algorithm>
#include <array>

#include "base/error.h"
#include "syntax/name_lookup.h"

namespace quantrel {
namespace {

struct OperatorRow {
    std::string_view characters;
    TokenKind kind;
};

// Searched from the first row; the sentinel row marks the end.
constexpr std::array<OperatorRow, 15> kOperatorTable{{
    {"?", TokenKind::Question},
    {"([", TokenKind::OpenParen},
    {"])", TokenKind::CloseParen},
    {"|", TokenKind::Bar},
    {"+", TokenKind::Plus},
    {"-", TokenKind::Minus},
    {"/", TokenKind::Slash},
    {"*", TokenKind::Star},
    {"%", TokenKind::Percent},
    {"^", TokenKind::Caret},
    {"!", TokenKind::Bang},
    {":", TokenKind::Colon},
    {"=", TokenKind::Equals},
    {",", TokenKind::Comma},
    {"", TokenKind::End},
}};

/// The operator table as a lookup by byte; the first row that lists a character decides.
constexpr std::array<TokenKind, 256> makeOperatorLookup() {
    std::array<TokenKind, 256> lookup{};
    for (const OperatorRow& row : kOperatorTable) {
        if (row.kind == TokenKind::End) break;
        for (const char c : row.characters) {
            auto& slot = lookup[static_cast<unsigned char>(c)];
            if (slot == TokenKind::None) slot = row.kind;
        }
    }
    return lookup;
}

constexpr std::array<TokenKind, 256> kOperatorLookup = makeOperatorLookup();

TokenKind operatorKind(char c) {
    return kOperatorLookup[static_cast<unsigned char>(c)];
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int findName(std::span<const std::string_view> names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i);
    }
    return -1;
}

Token makeToken(TokenKind kind, std::size_t position) {
    Token token;
    token.kind = kind;
    token.position = static_cast<int>(position);
    return token;
}

}  // namespace

bool isIdentifierChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || isDigit(c) || c == '$' ||
           c == '_' || c == '"' || c == '\'' || byte >= 0x80;
}

bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t numberEnd(std::string_view text, std::size_t start) {
    bool exponentSeen = false;
    std::size_t i = start;
    for (; i < text.size(); ++i) {
        const char d = text[i];
        const bool taken = isDigit(d) ||
                           (!exponentSeen && (d == '.' || d == ',' || d == 'e' || d == 'E')) ||
                           (exponentSeen && (d == '+' || d == '-'));
        if (!taken) break;
        if (d == 'e' || d == 'E') exponentSeen = true;
    }
    return i;
}

std::size_t nameStartBefore(std::string_view text, std::size_t cursor) {
    cursor = std::min(cursor, text.size());
    text = text.substr(0, cursor);
    std::size_t nameStart = cursor;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isDigit(c) || c == '.') {
            i = numberEnd(text, i);
            nameStart = cursor;
        } else if (isIdentifierChar(c)) {
            const std::size_t begin = i;
            while (i < text.size() && isIdentifierChar(text[i]))
                ++i;
            nameStart = begin;
        } else {
            ++i;
            nameStart = cursor;
        }
    }
    return nameStart;
}

std::vector<Token> tokenize(const NameLookup& names, std::string_view text,
                            std::span<const std::string_view> parameterNames,
                            std::span<const std::string_view> variableNames) {
    std::vector<Token> tokens;
    tokens.reserve(std::min<std::size_t>(text.size() + 1, 16));
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (const TokenKind kind = operatorKind(c); kind != TokenKind::None) {
            tokens.push_back(makeToken(kind, i));
            ++i;
        } else if (c == '<' || c == '>') {
            const bool orEqual = i + 1 < text.size() && text[i + 1] == '=';
            TokenKind kind = c == '<' ? TokenKind::Less : TokenKind::Greater;
            if (orEqual) kind = c == '<' ? TokenKind::LessEqual : TokenKind::GreaterEqual;
            tokens.push_back(makeToken(kind, i));
            i += orEqual ? 2 : 1;
        } else if (isDigit(c) || c == '.') {
            Token token = makeToken(TokenKind::Number, i);
            const std::size_t start = i;
            i = numberEnd(text, start);
            token.text.assign(text.substr(start, i - start));
            std::replace(token.text.begin(), token.text.end(), ',', '.');  // a decimal comma
            tokens.push_back(std::move(token));
        } else if (isBlankChar(c)) {
            ++i;
        } else {
            std::size_t end = i;
            while (end < text.size() && isIdentifierChar(text[end]))
                ++end;
            if (end == i) throw TokenizerError("Syntax error", static_cast<int>(i));
            const std::string_view name = text.substr(i, end - i);
            Token token = makeToken(TokenKind::UnknownName, i);
            if (name == "nroot") {
                token.kind = TokenKind::NRoot;
            } else if (name == "in") {
                token.kind = TokenKind::In;
                token.unit = names.findUnit(name);
            } else if (const Unit* unit = names.findUnit(name)) {
                token.kind = TokenKind::UnitSymbol;
                token.unit = unit;
            } else if (const Function* function = names.findFunction(name)) {
                token.kind = TokenKind::FunctionName;
                token.function = function;
            } else if (const int index = findName(parameterNames, name); index >= 0) {
                token.kind = TokenKind::ParameterName;
                token.index = index;
            } else if (const int index = findName(variableNames, name); index >= 0) {
                token.kind = TokenKind::VariableName;
                token.index = index;
            }
            token.text = name;
            tokens.push_back(std::move(token));
            i = end;
        }
    }
    tokens.push_back(makeToken(TokenKind::End, text.size()));
    return tokens;
}

}  // namespace quantrel
