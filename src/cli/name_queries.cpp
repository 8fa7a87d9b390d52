// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/name_queries.h"

#include <algorithm>

#include "cli/batch.h"
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
    if (prefix.empty()) return completion;

    const bool unitsOnly = calculator.isInTarget(line.substr(0, completion.begin));
    for (std::string& name : calculator.completions(prefix, unitsOnly)) {
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
            text = "Unit: " + hint.title;
            break;
        case HintKind::Function:
            text = "Function: " + hint.title;
            if (!hint.detail.empty()) text += " " + hint.detail;
            break;
        case HintKind::Variable:
            text = "Variable: " + hint.title + " = " + calculator.ansResult().text;
            break;
        case HintKind::None:
            text = "'";
            text.append(name);
            text += "' is not a unit, a function or ans.\n";
            return text;
    }
    text += '\n';
    if (!hint.description.empty()) text += hint.description + '\n';
    return text;
}

}  // namespace quantrel::cli
