// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/name_queries.h"

#include <algorithm>

#include "cli/batch.h"
#include "cli/marker.h"
#include "cli/options.h"
#include "cli/safe_text.h"
#include "core/calculator.h"

namespace quantrel::cli {

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlankChar(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankChar(text.back()))
        text.remove_suffix(1);
    return text;
}

// A unit's long name, or its symbol when it has none.
std::string unitName(const UnitEntry& unit) {
    return unit.name.empty() ? unit.symbol : unit.name;
}

// "mile (Length) = 1609.344 m": what one unit is in its quantity's reference unit, with the digits
// a factor is given with; a unit with an offset tells its zero as well.
std::string valueLine(const UnitEntry& unit) {
    const NumberFormat format(15);
    std::string text = unitName(unit) + " (" + unit.quantityText + ") = ";
    if (unit.offset == 0) return text + format.format(unit.scale) + " " + unit.reference;
    // reference value = scale * value - offset
    return text + format.format(unit.scale) + " " + unit.reference + " per " + unit.symbol +
           ", 0 " + unit.symbol + " = " + format.format(-unit.offset) + " " + unit.reference;
}

// The units of a listing, one a line with their names: the shown ones; the units accepted only
// after "in" (Display="no") follow on wrapped lines.
std::string unitLines(const std::vector<UnitEntry>& units) {
    std::string text;
    std::string others;
    std::size_t column = 0;
    for (const UnitEntry& unit : units) {
        if (unit.displayed) {
            const std::string symbol = safeText(unit.symbol);
            const int padding = std::max(10 - displayColumns(symbol), 0);
            text += "  " + symbol + std::string(static_cast<std::size_t>(padding), ' ') + " " +
                    safeText(unitName(unit)) + "\n";
            continue;
        }
        const std::string symbol = safeText(unit.symbol);
        const auto width = static_cast<std::size_t>(displayColumns(symbol));
        if (column > 0 && column + width + 2 > 78) {
            others += ",\n   ";
            column = 3;
        } else if (column > 0) {
            others += ", ";
            column += 2;
        } else {
            others += "  also: ";
            column = 8;
        }
        others += symbol;
        column += width;
    }
    if (!others.empty()) text += others + "\n";
    return text;
}

}  // namespace

std::size_t nameStartBefore(std::string_view line, std::size_t cursor) {
    return Calculator::nameStartBefore(line, cursor);
}

Completion completeAt(const Calculator& calculator, std::string_view line, std::size_t cursor) {
    Completion completion;
    completion.end = std::min(cursor, line.size());
    completion.begin = nameStartBefore(line, completion.end);
    const std::string_view prefix =
        line.substr(completion.begin, completion.end - completion.begin);

    const std::string_view before = line.substr(0, completion.begin);
    std::vector<std::string> names;
    if (calculator.isInTarget(before)) {
        // In a target the units that fit the expression come first, and alone for no prefix.
        names = calculator.targetCompletions(before, prefix).names;
    } else if (!prefix.empty()) {
        names = calculator.completions(prefix);
    }
    for (std::string& name : names) {
        // A name that is both a function and a unit is offered once.
        if (std::find(completion.candidates.begin(), completion.candidates.end(), name) ==
            completion.candidates.end()) {
            completion.candidates.push_back(std::move(name));
        }
    }
    if (completion.candidates.empty()) {
        completion.replacement = std::string(prefix);
        return completion;
    }
    std::string_view common = completion.candidates.front();
    for (const std::string& candidate : completion.candidates) {
        const auto mismatch =
            std::mismatch(common.begin(), common.end(), candidate.begin(), candidate.end());
        common = common.substr(0, static_cast<std::size_t>(mismatch.first - common.begin()));
    }
    completion.replacement = std::string(common);
    return completion;
}

std::optional<std::string> questionName(std::string_view line) {
    const std::string_view text = trim(line);
    if (text.empty() || text.front() != '?') return std::nullopt;
    return std::string(trim(text.substr(1)));
}

std::string describeText(const Calculator& calculator, std::string_view name) {
    if (name.empty()) return "Type ?name to describe a unit, a function or ans.\n";
    const HintInfo hint = calculator.describe(name);
    std::string text;
    switch (hint.kind) {
        case HintKind::Unit:
            text = "Unit: " + safeText(hint.title) + "\n";
            if (const std::optional<UnitEntry> unit = calculator.unitEntry(name)) {
                text += safeText(valueLine(*unit)) + "\n";
            }
            break;
        case HintKind::Function:
            text = "Function: " + safeText(hint.title);
            if (!hint.detail.empty()) text += " " + safeText(hint.detail);
            text += '\n';
            break;
        case HintKind::Variable:
            text = "Variable: " + hint.title + " = " + calculator.ansResult().text + '\n';
            break;
        case HintKind::None:
            return "'" + safeText(name) + "' is not a unit, a function or ans.\n";
    }
    if (!hint.description.empty()) text += safeText(hint.description) + '\n';
    return text;
}

std::string answerText(const Calculator& calculator, std::string_view question) {
    if (question.empty()) return sessionHelpText();
    if (calculator.describe(question).kind != HintKind::None) {
        return describeText(calculator, question);
    }
    if (const std::optional<QuantityEntry> quantity = calculator.findQuantity(question)) {
        std::string text = "Quantity: " + safeText(quantity->displayName);
        if (!quantity->units.empty()) {
            text += ", reference unit " + safeText(quantity->units.front().symbol);
        }
        std::vector<UnitEntry> units = quantity->units;
        std::stable_partition(units.begin(), units.end(),
                              [](const UnitEntry& unit) { return unit.displayed; });
        return text + "\n" + unitLines(units);
    }
    if (const std::optional<std::vector<UnitEntry>> units = calculator.conformableUnits(question)) {
        const std::optional<EvaluationResult> value = calculator.preview(question);
        std::string text = safeText(value ? value->text : std::string(question));
        text += " converts to:\n";
        return text + unitLines(*units);
    }
    if (const std::optional<EvaluationResult> value = calculator.preview(question)) {
        return safeText(value->text) + " is a plain number.\n";
    }
    return describeText(calculator, question);
}

}  // namespace quantrel::cli
