#include "core/calculator.h"

#include <array>
#include <ctime>
#include <system_error>

#include "core/error.h"
#include "core/number_format.h"
#include "eval/node.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"
#include "units/settings_loader.h"
#include "units/unit_registry.h"

namespace quantrel {
namespace {

constexpr std::array<std::string_view, 1> kVariableNames{"ans"};

bool beginsWith(std::string_view name, std::string_view prefix) {
    return name.starts_with(prefix);
}

std::unique_ptr<UnitRegistry> loadedRegistry(const std::filesystem::path& directory,
                                             std::uint32_t seed) {
    auto registry = std::make_unique<UnitRegistry>(seed);
    loadSettings(*registry, directory);
    return registry;
}

}  // namespace

Calculator::Calculator(const std::filesystem::path& settingsDirectory)
    : Calculator(settingsDirectory, static_cast<std::uint32_t>(std::time(nullptr))) {}

Calculator::Calculator(const std::filesystem::path& settingsDirectory, std::uint32_t seed)
    : registry_(loadedRegistry(settingsDirectory, seed)) {}

Calculator::Calculator(std::unique_ptr<UnitRegistry> registry) : registry_(std::move(registry)) {}

Calculator::~Calculator() = default;
Calculator::Calculator(Calculator&&) noexcept = default;
Calculator& Calculator::operator=(Calculator&&) noexcept = default;

std::string Calculator::evaluateLine(std::string_view text) {
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
    long double shown = value;
    long double newAns = value;
    if (root->hasTargetUnit()) {
        // The value is already in the target unit; ans keeps the quantity in its reference unit.
        shownUnit = root->resultUnit(*registry_, scope);
        newAns = value * shownUnit->scale - shownUnit->offset;
    } else if (const Unit* unit = root->resultUnit(*registry_, scope)) {
        shownUnit = &chooseDisplayUnit(*registry_, value, *unit);
        if (shownUnit != unit) shown = toDisplay(value, *shownUnit);
    }

    std::string result = formatNumber(shown);
    if (shownUnit != nullptr) {
        result += ' ';
        result += shownUnit->symbol;
    }
    ansValue_ = newAns;
    ansUnit_ = shownUnit != nullptr ? shownUnit->referenceUnit : nullptr;
    return result;
}

std::vector<std::string> Calculator::completions(std::string_view prefix) const {
    std::vector<std::string> names;
    if (beginsWith("ans", prefix)) names.emplace_back("ans");
    for (auto it = registry_->functions().lower_bound(prefix);
         it != registry_->functions().end() && beginsWith(it->first, prefix); ++it) {
        names.push_back(it->first);
    }
    for (auto it = registry_->units().lower_bound(prefix);
         it != registry_->units().end() && beginsWith(it->first, prefix); ++it) {
        names.push_back(it->first);
    }
    return names;
}

HintInfo Calculator::describe(std::string_view name) const {
    if (name == "ans") {
        return {HintKind::Variable, "ans", "", "Result of the previous calculation"};
    }
    if (const Unit* unit = registry_->findUnit(name)) {
        return {HintKind::Unit, unit->name + " (" + unit->symbol + ")", "", unit->description};
    }
    if (const Function* function = registry_->findFunction(name)) {
        return {HintKind::Function, function->name, function->parameters, function->description};
    }
    return {};
}

long double toDisplay(long double value, const Unit& unit) {
    return (value + unit.offset) / unit.scale;
}

const Unit& chooseDisplayUnit(const UnitRegistry& registry, long double value, const Unit& unit) {
    const QuantityUnits* candidates = registry.findQuantity(unit.quantity);
    if (candidates == nullptr || candidates->empty()) return unit;
    const Unit* best = nullptr;
    std::size_t bestLength = 0;
    for (const Unit* candidate : *candidates) {
        const std::size_t length = formattedLength(toDisplay(value, *candidate));
        // Only a strictly shorter text replaces the choice: ties keep the earlier unit.
        if (best == nullptr || length < bestLength) {
            best = candidate;
            bestLength = length;
            if (bestLength == 1) break;  // nothing can be shorter
        }
    }
    return *best;
}

std::filesystem::path defaultSettingsDirectory(const std::filesystem::path& executable) {
    const std::filesystem::path local = "./settings";
    std::error_code error;
    if (std::filesystem::is_directory(local, error)) return local;
    if (!executable.empty()) {
        const std::filesystem::path installed =
            executable.parent_path() / ".." / "share" / "quantrel" / "settings";
        if (std::filesystem::is_directory(installed, error)) return installed.lexically_normal();
    }
    return local;
}

}  // namespace quantrel
