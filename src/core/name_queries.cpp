// SPDX-License-Identifier: GPL-3.0-or-later
// What the front ends show about names: listings, completions, descriptions and the pieces of
// an input text.

#include "core/calculator.h"

#include <algorithm>
#include <array>
#include <span>

#include "eval/node.h"
#include "settings/unit_registry.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"
#include "units/quantity_algebra.h"

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
    return {std::string(unit.symbol),
            std::string(unit.name),
            std::string(unit.quantity),
            std::string(unit.description),
            std::string(shownText(unit)),
            std::move(quantityText),
            unit.scale,
            unit.offset,
            std::string(unit.referenceUnit != nullptr ? unit.referenceUnit->symbol : unit.symbol),
            unit.displayed};
}

// A quantity's name as a person may write it: ASCII letters folded, blanks, "_" and "-" gone.
std::string looseName(std::string_view name) {
    std::string loose;
    for (const char c : name) {
        if (c == ' ' || c == '\t' || c == '_' || c == '-') continue;
        loose += asciiLower(c);
    }
    return loose;
}

// The dimension of the compound target `line` ends with, as the parser reads the line; none
// when it does not read as a line with a single or compound target, or the target's quantity
// has no dimension.
std::optional<Dimension> targetDimension(const UnitRegistry& registry, std::string_view line) {
    try {
        const std::vector<Token> tokens =
            tokenize(registry, line, {}, std::array<std::string_view, 1>{"ans"});
        Parser parser(tokens);
        parser.setPowersBindToUnits(registry.powersBindToUnits());
        const NodePtr root = parser.parseLine();
        const auto* target = nodeAs<TargetNode>(root.get());
        if (target == nullptr) return std::nullopt;
        const UnitTarget& spec = target->target();
        if (spec.kind == UnitTarget::Kind::Mixed) return std::nullopt;
        const UnitPower single{spec.first, 1};
        const QuantityAnswer quantity =
            spec.kind == UnitTarget::Kind::Single
                ? compoundQuantity(registry, std::span<const UnitPower>(&single, 1))
                : compoundQuantity(registry, spec.factors);
        if (!quantity.ok()) return std::nullopt;
        if (quantity.unit == nullptr) return Dimension();
        if (quantity.unit->dimension == nullptr) return std::nullopt;
        return *quantity.unit->dimension;
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<UnitEntry> Calculator::unitEntry(std::string_view symbol) const {
    const Unit* unit = registry_->findUnit(symbol);
    if (unit == nullptr) return std::nullopt;
    return entryOf(*unit, registry_->displayName(unit->quantity));
}

std::optional<QuantityEntry> Calculator::findQuantity(std::string_view name) const {
    const auto entryFor = [this](const std::string& quantity, const QuantityUnits& units) {
        QuantityEntry entry{quantity, registry_->displayName(quantity), {}};
        entry.units.reserve(units.size());
        for (const Unit* unit : units)
            entry.units.push_back(entryOf(*unit, entry.displayName));
        return entry;
    };
    if (const QuantityUnits* units = registry_->findQuantity(name)) {
        return entryFor(std::string(name), *units);
    }
    const std::string loose = looseName(name);
    if (loose.empty()) return std::nullopt;
    for (const auto& [quantity, units] : registry_->quantities()) {
        // By its name or by the name it is shown with ("absorbed dose").
        if (looseName(quantity) == loose || looseName(registry_->displayName(quantity)) == loose) {
            return entryFor(quantity, units);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<UnitEntry>> Calculator::conformableUnits(
    std::string_view expression) const {
    const std::optional<EvaluationResult> result = preview(expression);
    if (!result || result->unit == nullptr) return std::nullopt;
    const Unit* value = result->unit;
    std::vector<const Unit*> fitting;
    const auto take = [&](const QuantityUnits& units) {
        for (const Unit* unit : units) {
            if (convertible(value, unit)) fitting.push_back(unit);
        }
    };
    if (const QuantityUnits* own = registry_->findQuantity(value->quantity)) take(*own);
    for (const auto& [quantity, units] : registry_->quantities()) {
        if (quantity != value->quantity) take(units);
    }
    std::stable_partition(fitting.begin(), fitting.end(),
                          [](const Unit* unit) { return unit->displayed; });
    std::vector<UnitEntry> entries;
    entries.reserve(fitting.size());
    for (const Unit* unit : fitting)
        entries.push_back(entryOf(*unit, registry_->displayName(unit->quantity)));
    return entries;
}

Calculator::TargetCompletions Calculator::targetCompletions(std::string_view before,
                                                            std::string_view prefix) const {
    // The unit a name at the end of `before` must fit, if that can be told.
    std::optional<const Unit*> wanted;
    std::vector<Token> tokens;
    try {
        tokens = tokenize(*registry_, before, {}, std::array<std::string_view, 1>{"ans"});
    } catch (const TokenizerError&) {
        tokens.clear();
    }
    const auto in = std::find_if(tokens.rbegin(), tokens.rend(),
                                 [](const Token& token) { return token.kind == TokenKind::In; });
    if (in != tokens.rend()) {
        const std::optional<EvaluationResult> value =
            preview(before.substr(0, static_cast<std::size_t>(in->position)));
        // The target's tokens after "in", the end token last.
        const std::span<const Token> target(in.base(), tokens.end());
        const TokenKind last = target.size() >= 2 ? target[target.size() - 2].kind : TokenKind::In;
        if (!value) {
            // Nothing fits what cannot be worked out.
        } else if (target.size() == 1 || last == TokenKind::Plus) {
            wanted = value->unit;  // the whole target, or the next part of a mixed one
        } else if ((last == TokenKind::Star || last == TokenKind::Slash) &&
                   (value->unit == nullptr || value->unit->dimension != nullptr)) {
            // The factor that makes the whole target fit the value.
            const Dimension valueDimension =
                value->unit != nullptr ? *value->unit->dimension : Dimension();
            const std::size_t op = static_cast<std::size_t>(target[target.size() - 2].position);
            if (const std::optional<Dimension> sofar =
                    targetDimension(*registry_, before.substr(0, op))) {
                const std::optional<Dimension> factor = last == TokenKind::Slash
                                                            ? sofar->over(valueDimension)
                                                            : valueDimension.over(*sofar);
                if (factor)
                    wanted = factor->isEmpty() ? nullptr : registry_->unitOfDimension(*factor);
            }
        }
    }

    TargetCompletions completions;
    std::vector<std::string> others;
    for (const Unit* unit : registry_->unitsStartingWith(prefix)) {
        if (wanted && convertible(*wanted, unit)) {
            completions.names.emplace_back(unit->symbol);
        } else if (!prefix.empty()) {
            others.emplace_back(unit->symbol);
        }
    }
    completions.fitting = completions.names.size();
    if (!wanted && prefix.empty()) others.clear();
    completions.names.insert(completions.names.end(), std::make_move_iterator(others.begin()),
                             std::make_move_iterator(others.end()));
    return completions;
}

std::vector<UnitEntry> Calculator::unitList() const {
    std::vector<UnitEntry> entries;
    entries.reserve(registry_->units().size());
    for (const Unit* unit : registry_->units())
        entries.push_back(entryOf(*unit, registry_->displayName(unit->quantity)));
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
            names.emplace_back(it->first);
        }
    }
    for (const Unit* unit : registry_->unitsStartingWith(prefix))
        names.emplace_back(unit->symbol);
    return names;
}

HintInfo Calculator::describe(std::string_view name) const {
    if (name == "ans") {
        return {HintKind::Variable, "ans", "", "Result of the previous calculation", {}};
    }
    if (const Unit* unit = registry_->findUnit(name)) {
        return {HintKind::Unit,
                std::string(unit->name) + " (" + std::string(shownText(*unit)) + ")", "",
                std::string(unit->description), registry_->displayName(unit->quantity)};
    }
    if (const Function* function = registry_->findFunction(name)) {
        return {
            HintKind::Function, function->name, function->parameters, function->description, {}};
    }
    // A unit with a superscript power: "m²" is the metre squared.
    if (const std::optional<SuperscriptPower> power = superscriptSuffix(name)) {
        if (const Unit* unit = registry_->findUnit(name.substr(0, power->stemLength))) {
            return {HintKind::Unit,
                    std::string(unit->name) + " (" + std::string(shownText(*unit)) + ") ^ " +
                        std::to_string(power->exponent),
                    "", std::string(unit->description), registry_->displayName(unit->quantity)};
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

std::vector<TokenSpan> Calculator::tokenSpans(std::string_view text) const {
    const std::array<std::string_view, 1> variables{"ans"};
    std::vector<Token> tokens;
    try {
        tokens = tokenize(*registry_, text, {}, variables);
    } catch (const TokenizerError& error) {
        // The pieces before the character that begins no token.
        const std::size_t stop = std::min(text.size(), static_cast<std::size_t>(error.position()));
        try {
            tokens = tokenize(*registry_, text.substr(0, stop), {}, variables);
        } catch (const TokenizerError&) {
            return {};
        }
    }
    std::vector<TokenSpan> spans;
    spans.reserve(tokens.size());
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        const Token& token = tokens[i];
        TokenSpan::Kind kind = TokenSpan::Kind::Operator;
        switch (token.kind) {
            case TokenKind::Number:
                kind = TokenSpan::Kind::Number;
                break;
            case TokenKind::UnitSymbol:
            case TokenKind::UnitPower:
                kind = TokenSpan::Kind::Unit;
                break;
            case TokenKind::FunctionName:
                kind = TokenSpan::Kind::Function;
                break;
            case TokenKind::VariableName:
            case TokenKind::ParameterName:
                kind = TokenSpan::Kind::Variable;
                break;
            case TokenKind::UnknownName:
                kind = TokenSpan::Kind::Unknown;
                break;
            case TokenKind::OpenParen:
            case TokenKind::CloseParen:
            case TokenKind::Bar:
                kind = TokenSpan::Kind::Bracket;
                break;
            case TokenKind::In:
                kind = TokenSpan::Kind::Keyword;
                break;
            default:
                break;
        }
        // A piece reaches up to the next one, without the blanks between them.
        std::size_t end = static_cast<std::size_t>(tokens[i + 1].position);
        while (end > static_cast<std::size_t>(token.position) && isBlankChar(text[end - 1]))
            --end;
        spans.push_back({kind, token.position, static_cast<int>(end)});
    }
    return spans;
}

std::size_t Calculator::nameStartBefore(std::string_view line, std::size_t cursor) {
    return quantrel::nameStartBefore(line, cursor);
}

}  // namespace quantrel
