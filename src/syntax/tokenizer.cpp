// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/tokenizer.h"

#include <algorithm>
#include <array>
#include <optional>

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

std::size_t numberEnd(std::string_view text, std::size_t start) {
    std::size_t i = start;
    bool pointSeen = false;
    bool digitSeen = false;
    for (; i < text.size(); ++i) {
        const char d = text[i];
        if (isDigit(d)) {
            digitSeen = true;
        } else if ((d == '.' || d == ',') && !pointSeen) {
            pointSeen = true;
        } else {
            break;
        }
    }
    if (!digitSeen || i >= text.size() || (text[i] != 'e' && text[i] != 'E')) return i;
    // An exponent only where the letter is followed by a digit, or by one sign and a digit:
    // otherwise the letter begins a name ("5eV").
    std::size_t exponent = i + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent >= text.size() || !isDigit(text[exponent])) return i;
    while (exponent < text.size() && isDigit(text[exponent]))
        ++exponent;
    return exponent;
}

std::optional<SuperscriptPower> superscriptSuffix(std::string_view name) {
    // The powers people type after a unit: ², ³, and ⁻ with ¹, ² or ³.
    static constexpr std::string_view kSquare = "\xc2\xb2";
    static constexpr std::string_view kCube = "\xc2\xb3";
    static constexpr std::string_view kOne = "\xc2\xb9";
    static constexpr std::string_view kMinus = "\xe2\x81\xbb";
    int exponent = 0;
    std::size_t length = 0;
    if (name.ends_with(kSquare)) {
        exponent = 2;
        length = kSquare.size();
    } else if (name.ends_with(kCube)) {
        exponent = 3;
        length = kCube.size();
    } else if (name.ends_with(kOne)) {
        exponent = 1;
        length = kOne.size();
    } else {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(0, name.size() - length);
    if (rest.ends_with(kMinus)) {
        exponent = -exponent;
        length += kMinus.size();
    } else if (exponent == 1) {
        return std::nullopt;  // a lone ¹ is no power
    }
    if (length >= name.size()) return std::nullopt;
    return SuperscriptPower{name.size() - length, exponent};
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

namespace {

constexpr std::string_view kMiddleDot = "\xc2\xb7";

/// The unit `piece` names, alone or with a superscript power after it; nullptr when it names none.
const Unit* unitOfPiece(const NameLookup& names, std::string_view piece,
                        std::optional<SuperscriptPower>& power) {
    power.reset();
    if (const Unit* unit = names.findUnit(piece)) return unit;
    power = superscriptSuffix(piece);
    if (!power) return nullptr;
    if (const Unit* unit = names.findUnit(piece.substr(0, power->stemLength))) return unit;
    power.reset();
    return nullptr;
}

/// Whether `name` is a unit with a superscript power ("m²"), or units joined by middle dots as
/// products are written ("N·m", "kg·s²"): every piece between the dots a unit, alone or with a
/// superscript power.
bool isUnitProduct(const NameLookup& names, std::string_view name) {
    std::optional<SuperscriptPower> power;
    while (true) {
        const std::size_t dot = name.find(kMiddleDot);
        if (unitOfPiece(names, name.substr(0, dot), power) == nullptr) return false;
        if (dot == std::string_view::npos) return true;
        name.remove_prefix(dot + kMiddleDot.size());
    }
}

/// Appends the tokens of the unit product `name` (see isUnitProduct), which begins at `start`:
/// each unit, its power, and "*" for each dot.
void appendUnitProduct(const NameLookup& names, std::string_view name, std::size_t start,
                       std::vector<Token>& tokens) {
    std::size_t offset = 0;
    while (true) {
        const std::size_t dot = name.find(kMiddleDot, offset);
        const std::size_t pieceEnd = dot == std::string_view::npos ? name.size() : dot;
        const std::string_view piece = name.substr(offset, pieceEnd - offset);
        std::optional<SuperscriptPower> power;
        Token unit = makeToken(TokenKind::UnitSymbol, start + offset);
        // Every piece is a unit, also one spelled "in".
        unit.unit = unitOfPiece(names, piece, power);
        unit.text = power ? piece.substr(0, power->stemLength) : piece;
        tokens.push_back(std::move(unit));
        if (power) {
            Token raised = makeToken(TokenKind::UnitPower, start + offset + power->stemLength);
            raised.index = power->exponent;
            raised.text = piece.substr(power->stemLength);
            tokens.push_back(std::move(raised));
        }
        if (dot == std::string_view::npos) return;
        tokens.push_back(makeToken(TokenKind::Star, start + dot));
        offset = dot + kMiddleDot.size();
    }
}

}  // namespace

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
            const std::size_t start = i;
            i = numberEnd(text, start);
            if (i == start + 1 && c == '.') {
                tokens.push_back(makeToken(TokenKind::Point, start));  // no digit: no number
                continue;
            }
            Token token = makeToken(TokenKind::Number, start);
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
            // Every name is looked up once; the forms below are tried only for names that are
            // not known as written and hold a multi-byte character.
            const Unit* unit = names.findUnit(name);
            const Function* function = unit == nullptr ? names.findFunction(name) : nullptr;
            const int parameter = unit || function ? -1 : findName(parameterNames, name);
            const int variable =
                unit || function || parameter >= 0 ? -1 : findName(variableNames, name);
            const bool unknown = !unit && !function && parameter < 0 && variable < 0;
            const bool wide = std::any_of(name.begin(), name.end(), [](char c) {
                return static_cast<unsigned char>(c) >= 0x80;
            });
            // A superscript power after a unit raises that unit ("m²" is m and ²), and units
            // joined by middle dots multiply ("N·m" is N * m).
            if (unknown && wide && isUnitProduct(names, name)) {
                appendUnitProduct(names, name, i, tokens);
                i = end;
                continue;
            }
            Token token = makeToken(TokenKind::UnknownName, i);
            if (name == "nroot") {
                token.kind = TokenKind::NRoot;
            } else if (name == "in") {
                token.kind = TokenKind::In;
                token.unit = unit;
            } else if (unit != nullptr) {
                token.kind = TokenKind::UnitSymbol;
                token.unit = unit;
            } else if (function != nullptr) {
                token.kind = TokenKind::FunctionName;
                token.function = function;
            } else if (parameter >= 0) {
                token.kind = TokenKind::ParameterName;
                token.index = parameter;
            } else if (variable >= 0) {
                token.kind = TokenKind::VariableName;
                token.index = variable;
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
