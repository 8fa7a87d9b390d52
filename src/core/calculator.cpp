// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/calculator.h"

#include <array>
#include <ctime>

#include "eval/node.h"
#include "settings/settings_loader.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"

namespace quantrel {
namespace {

constexpr std::array<std::string_view, 1> kVariableNames{"ans"};

std::uint32_t clockSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::unique_ptr<UnitRegistry> loadedRegistry(const SettingsSource& source, std::uint32_t seed) {
    auto registry = std::make_unique<UnitRegistry>(seed);
    loadSettings(*registry, source);
    return registry;
}

}  // namespace

Calculator::Calculator(const std::filesystem::path& settingsDirectory)
    : Calculator(settingsDirectory, clockSeed()) {}

Calculator::Calculator(const std::filesystem::path& settingsDirectory, std::uint32_t seed)
    : registry_(loadedRegistry(DirectorySource(settingsDirectory), seed)) {}

Calculator::Calculator(const std::vector<std::filesystem::path>& settingsDirectories,
                       std::optional<std::uint32_t> seed)
    : registry_(loadedRegistry(DirectorySource(settingsDirectories), seed ? *seed : clockSeed())) {}

Calculator::Calculator(std::unique_ptr<UnitRegistry> registry) : registry_(std::move(registry)) {}

Calculator::~Calculator() = default;
Calculator::Calculator(Calculator&&) noexcept = default;
Calculator& Calculator::operator=(Calculator&&) noexcept = default;

EvaluationResult Calculator::evaluate(std::string_view text) {
    // The variable table: "ans" only, a constant carrying the previous result.
    NumberNode ans(ansValue_, emptyToken());
    ans.setUnit(ansUnit_);
    const std::array<const Node*, 1> variables{&ans};
    const Scope scope{{}, nullptr, variables};

    const std::vector<Token> tokens = tokenize(*registry_, text, {}, kVariableNames);
    NodePtr root = Parser(tokens).parseLine();
    foldToFixedPoint(root, *registry_, scope);
    checkEvaluationCost(*root);
    const long double value = root->evaluate(scope);

    const Unit* shownUnit = nullptr;
    long double shownValue = value;
    long double newAns = value;
    if (root->hasTargetUnit()) {
        // The value is already in the target unit; ans keeps the quantity in its reference unit.
        shownUnit = root->resultUnit(*registry_, scope);
        newAns = value * shownUnit->scale - shownUnit->offset;
    } else if (const Unit* unit = root->resultUnit(*registry_, scope)) {
        shownUnit = &chooseDisplayUnit(*registry_, value, *unit);
        if (shownUnit != unit) shownValue = toDisplay(value, *shownUnit);
    }

    EvaluationResult result = shown(shownValue, shownUnit);
    ansValue_ = newAns;
    ansUnit_ = shownUnit != nullptr ? shownUnit->referenceUnit : nullptr;
    return result;
}

std::string Calculator::evaluateLine(std::string_view text) {
    return evaluate(text).text;
}

EvaluationResult Calculator::shown(long double value, const Unit* unit) const {
    EvaluationResult result;
    result.value = value;
    result.unit = unit;
    result.number = format_.format(value);
    result.text = result.number;
    if (unit != nullptr) {
        result.text += ' ';
        result.text += unit->symbol;
    }
    return result;
}

EvaluationResult Calculator::ansResult() const {
    if (ansUnit_ == nullptr) return shown(ansValue_, nullptr);
    const Unit& unit = chooseDisplayUnit(*registry_, ansValue_, *ansUnit_);
    return shown(&unit == ansUnit_ ? ansValue_ : toDisplay(ansValue_, unit), &unit);
}

long double toDisplay(long double value, const Unit& unit) {
    return (value + unit.offset) / unit.scale;
}

const Unit& chooseDisplayUnit(const UnitCatalog& units, long double value, const Unit& unit) {
    const QuantityUnits* candidates = units.findQuantity(unit.quantity);
    if (candidates == nullptr || candidates->empty()) return unit;
    // The choice is made with the default format, so a unit never changes with the precision.
    const NumberFormat format;
    const Unit* best = nullptr;
    std::size_t bestLength = 0;
    for (const Unit* candidate : *candidates) {
        const std::size_t length = format.length(toDisplay(value, *candidate));
        // Only a strictly shorter text replaces the choice: ties keep the earlier unit.
        if (best == nullptr || length < bestLength) {
            best = candidate;
            bestLength = length;
            if (bestLength == 1) break;  // nothing can be shorter
        }
    }
    return *best;
}

}  // namespace quantrel
