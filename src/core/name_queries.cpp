// SPDX-License-Identifier: GPL-3.0-or-later
// What the front ends show about names: listings, completions, descriptions and the pieces of
// an input text.

#include "core/calculator.h"

#include "settings/unit_registry.h"
#include "syntax/tokenizer.h"

namespace quantrel {
namespace {

Lexeme::Kind lexemeKind(TokenKind kind) {
    switch (kind) {
        case TokenKind::FunctionName:
        case TokenKind::UnitSymbol:
        case TokenKind::ParameterName:
        case TokenKind::VariableName:
        case TokenKind::UnknownName:
            return Lexeme::Kind::Name;
        case TokenKind::Plus:
        case TokenKind::Minus:
        case TokenKind::Star:
        case TokenKind::Slash:
        case TokenKind::Caret:
            return Lexeme::Kind::Operator;
        case TokenKind::End:
            return Lexeme::Kind::End;
        default:
            return Lexeme::Kind::Other;
    }
}

UnitEntry entryOf(const Unit& unit, std::string quantityText) {
    return {unit.symbol,      unit.name,       unit.quantity,
            unit.description, shownText(unit), std::move(quantityText),
            unit.scale,       unit.offset};
}

}  // namespace

std::vector<UnitEntry> Calculator::unitList() const {
    std::vector<UnitEntry> entries;
    entries.reserve(registry_->units().size());
    for (const auto& [symbol, unit] : registry_->units())
        entries.push_back(entryOf(unit, registry_->displayName(unit.quantity)));
    return entries;
}

std::vector<QuantityEntry> Calculator::quantityList() const {
    std::vector<QuantityEntry> entries;
    entries.reserve(registry_->quantities().size());
    for (const auto& [name, units] : registry_->quantities()) {
        QuantityEntry& entry = entries.emplace_back();
        entry.name = name;
        entry.displayName = registry_->displayName(name);
        entry.units.reserve(units.size());
        for (const Unit* unit : units) {
            entry.units.push_back(entryOf(*unit, entry.displayName));
        }
    }
    return entries;
}

std::vector<FunctionEntry> Calculator::functionList() const {
    std::vector<FunctionEntry> entries;
    entries.reserve(registry_->functions().size());
    for (const auto& [name, function] : registry_->functions()) {
        entries.push_back(
            {function.name, function.parameters, function.description, function.argumentCount});
    }
    return entries;
}

std::vector<std::string> Calculator::completions(std::string_view prefix, bool unitsOnly) const {
    std::vector<std::string> names;
    if (!unitsOnly) {
        if (std::string_view("ans").starts_with(prefix)) names.emplace_back("ans");
        for (auto it = registry_->functions().lower_bound(prefix);
             it != registry_->functions().end() && it->first.starts_with(prefix); ++it) {
            names.push_back(it->first);
        }
    }
    for (auto it = registry_->units().lower_bound(prefix);
         it != registry_->units().end() && it->first.starts_with(prefix); ++it) {
        names.push_back(it->first);
    }
    return names;
}

HintInfo Calculator::describe(std::string_view name) const {
    if (name == "ans") {
        return {HintKind::Variable, "ans", "", "Result of the previous calculation", {}};
    }
    if (const Unit* unit = registry_->findUnit(name)) {
        return {HintKind::Unit, unit->name + " (" + shownText(*unit) + ")", "", unit->description,
                registry_->displayName(unit->quantity)};
    }
    if (const Function* function = registry_->findFunction(name)) {
        return {
            HintKind::Function, function->name, function->parameters, function->description, {}};
    }
    // A unit with a superscript power: "m²" is the metre squared.
    if (const std::optional<SuperscriptPower> power = superscriptSuffix(name)) {
        if (const Unit* unit = registry_->findUnit(name.substr(0, power->stemLength))) {
            return {HintKind::Unit,
                    unit->name + " (" + shownText(*unit) + ") ^ " + std::to_string(power->exponent),
                    "", unit->description, registry_->displayName(unit->quantity)};
        }
    }
    return {};
}

bool Calculator::isInTarget(std::string_view before) const {
    std::vector<Token> tokens;
    try {
        tokens = tokenize(*registry_, before);
    } catch (const TokenizerError&) {
        return false;
    }
    // Back from the end over what a target is made of, to the "in" that opens it.
    for (auto it = tokens.rbegin() + 1; it != tokens.rend(); ++it) {
        switch (it->kind) {
            case TokenKind::In:
                return true;
            case TokenKind::UnitSymbol:
            case TokenKind::Star:
            case TokenKind::Slash:
            case TokenKind::Caret:
            case TokenKind::Minus:
            case TokenKind::Number:
            case TokenKind::Plus:
            case TokenKind::UnitPower:
            case TokenKind::OpenParen:
                continue;
            default:
                return false;
        }
    }
    return false;
}

std::optional<std::vector<Lexeme>> Calculator::lexemes(std::string_view text) const {
    std::vector<Token> tokens;
    try {
        tokens = tokenize(*registry_, text);
    } catch (const TokenizerError&) {
        return std::nullopt;
    }
    std::vector<Lexeme> pieces;
    pieces.reserve(tokens.size());
    for (Token& token : tokens)
        pieces.push_back({lexemeKind(token.kind), token.position, std::move(token.text)});
    return pieces;
}

std::size_t Calculator::nameStartBefore(std::string_view line, std::size_t cursor) {
    return quantrel::nameStartBefore(line, cursor);
}

}  // namespace quantrel
