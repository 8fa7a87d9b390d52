// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/calculator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "core/display_choice.h"
#include "eval/node.h"
#include "eval/random.h"
#include "settings/settings_loader.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"

namespace quantrel {
namespace {

constexpr std::array<std::string_view, 1> kVariableNames{"ans"};

std::unique_ptr<UnitRegistry> loadedRegistry(const SettingsSource& source, std::uint32_t seed) {
    auto registry = std::make_unique<UnitRegistry>(seed);
    loadSettings(*registry, source);
    return registry;
}

}  // namespace

Calculator::Calculator(const std::filesystem::path& settingsDirectory)
    : Calculator(settingsDirectory, clockSeed()) {}

Calculator::Calculator(const std::filesystem::path& settingsDirectory, std::uint32_t seed)
    : Calculator(loadedRegistry(DirectorySource(settingsDirectory), seed)) {}

Calculator::Calculator(const std::vector<std::filesystem::path>& settingsDirectories,
                       std::optional<std::uint32_t> seed)
    : Calculator(loadedRegistry(DirectorySource(settingsDirectories), seed ? *seed : clockSeed())) {
}

Calculator::Calculator(std::unique_ptr<UnitRegistry> registry)
    : registry_(std::move(registry)), display_(std::make_unique<DisplayChooser>(*registry_)) {}

Calculator::~Calculator() = default;
Calculator::Calculator(Calculator&&) noexcept = default;
Calculator& Calculator::operator=(Calculator&&) noexcept = default;

EvaluationResult Calculator::evaluate(std::string_view text) {
    AnsAfter after;
    EvaluationResult result = compute(text, true, after);
    ansValue_ = after.value;
    ansUnit_ = after.unit;
    return result;
}

std::optional<EvaluationResult> Calculator::preview(std::string_view text) const {
    try {
        AnsAfter after;
        EvaluationResult result = compute(text, false, after);
        if (!after.refused) return result;
    } catch (const Error&) {
        // A line that does not evaluate (yet) has no preview.
    }
    return std::nullopt;
}

EvaluationResult Calculator::compute(std::string_view text, bool allowRandom,
                                     AnsAfter& after) const {
    // The variable table: "ans" only, a constant carrying the previous result.
    NumberNode ans(ansValue_, emptyToken());
    ans.setUnit(ansUnit_);
    const std::array<const Node*, 1> variables{&ans};
    const Scope scope{{}, nullptr, variables};

    const std::vector<Token> tokens = tokenize(*registry_, text, {}, kVariableNames);
    Parser parser(tokens);
    parser.setPowersBindToUnits(registry_->powersBindToUnits());
    parser.setSource(text);
    NodePtr root = parser.parseLine();
    // Folding draws the line's random numbers, so the check comes first.
    if (!allowRandom && root->drawsRandom()) {
        after.refused = true;
        return {};
    }
    foldToFixedPoint(root, *registry_, scope);
    checkEvaluationCost(*root);

    if (const auto* target = nodeAs<TargetNode>(root.get())) {
        // The value is worked out once, in the reference unit of its quantity: that is what
        // ans keeps, whatever the target shows.
        const TargetValue converted = target->convert(*registry_, scope);
        after.keep(converted.value, converted.valueUnit);
        EvaluationResult result = shownInTarget(*target, converted);
        result.note = parser.readingNote();
        if (converted.reciprocal) {
            if (!result.note.empty()) result.note += "; ";
            result.note += "reciprocal conversion";
        }
        return result;
    }

    const long double value = root->evaluate(scope);
    const Unit* unit = unlessRatio(root->resultUnit(*registry_, scope));
    after.keep(value, unit);
    EvaluationResult result = shownInChosenUnit(value, unit);
    result.note = parser.readingNote();
    return result;
}

void Calculator::AnsAfter::keep(long double v, const Unit* u) {
    u = unlessRatio(u);
    value = v;
    unit = u != nullptr ? u->referenceUnit : nullptr;
}

EvaluationResult Calculator::shownInChosenUnit(long double value, const Unit* unit) const {
    unit = unlessRatio(unit);
    if (unit == nullptr) return shown(value, nullptr);
    const Unit& chosen = display_->choose(value, *unit);
    return shown(&chosen == unit ? value : toDisplay(value, chosen), &chosen);
}

EvaluationResult Calculator::shownInTarget(const TargetNode& target,
                                           const TargetValue& converted) const {
    const UnitTarget& spec = target.target();
    if (spec.kind == UnitTarget::Kind::Single) return shown(converted.shown, converted.shownUnit);
    if (spec.kind == UnitTarget::Kind::Compound) {
        EvaluationResult result = shown(converted.shown, nullptr);
        result.unitText = spec.text;
        result.text += ' ';
        result.text += spec.text;
        return result;
    }
    return shownInParts(converted.value, spec);
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
        result.unitText = shownText(*unit);
        result.text += ' ';
        result.text += result.unitText;
    }
    return result;
}

EvaluationResult Calculator::shownInParts(long double value, const UnitTarget& target) const {
    const std::vector<UnitTarget::Factor>& parts = target.factors;
    const std::size_t last = parts.size() - 1;
    // Infinity and not-a-number have no parts: they show in the last unit.
    if (!std::isfinite(value)) {
        return shown(value / parts[last].unit->scale, parts[last].unit);
    }
    long double rest = std::fabs(value);
    // Whole numbers of every unit but the last, the rest in the last.
    std::vector<long double> wholes(last, 0);
    for (std::size_t i = 0; i < last; ++i) {
        const long double scale = parts[i].unit->scale;
        wholes[i] = std::floor(rest / scale);
        if (!std::isfinite(wholes[i])) wholes[i] = 0;
        rest = std::max(0.0L, rest - wholes[i] * scale);
    }
    long double remainder = rest / parts[last].unit->scale;
    // A remainder that is shown as a whole unit of the part before it carries over, and so on
    // upwards: 59.9999999 s shows as 1 min.
    const auto reaches = [&](long double amount, std::size_t part) {
        return amount * parts[part].unit->scale >= parts[part - 1].unit->scale * (1 - 1e-12L);
    };
    if (last > 0) {
        if (reaches(format_.rounded(remainder), last)) {
            wholes[last - 1] += 1;
            remainder = 0;
        }
        for (std::size_t i = last - 1; i > 0; --i) {
            if (reaches(wholes[i], i)) {
                wholes[i] = 0;
                wholes[i - 1] += 1;
            }
        }
    }

    EvaluationResult result;
    // The record's number and unit text are those of the last part shown.
    std::size_t partsShown = 0;
    const auto append = [&](long double amount, const std::string& number, const Unit& unit) {
        if (partsShown++ > 0) result.text += " + ";
        result.text += number;
        result.text += ' ';
        result.text += shownText(unit);
        result.value = amount;
        result.number = number;
        result.unitText = shownText(unit);
    };
    for (std::size_t i = 0; i < last; ++i) {
        if (wholes[i] == 0) continue;
        std::string number;
        if (wholes[i] < 1e15L) {
            char buffer[24];
            const auto end =
                std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(wholes[i]))
                    .ptr;
            number.assign(buffer, end);
        } else {
            number = format_.format(wholes[i]);
        }
        append(wholes[i], number, *parts[i].unit);
    }
    // At least one part is shown: the last one when all are zero.
    if (remainder != 0 || partsShown == 0) {
        append(remainder, format_.format(remainder), *parts[last].unit);
    }
    // The sign once, in front, around all the parts: "-1 h + 30 min" would read as -30 min.
    // A value that shows as zero has none.
    const bool severalParts = partsShown > 1;
    const bool showsZero = partsShown == 1 && result.value == 0;
    if (value < 0 && !showsZero) {
        if (severalParts) {
            result.text.insert(0, "-(");
            result.text += ')';
        } else {
            result.text.insert(0, "-");
        }
    }
    return result;
}

EvaluationResult Calculator::ansResult() const {
    return shownInChosenUnit(ansValue_, ansUnit_);
}

}  // namespace quantrel
