// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/browser_entries.h"

#include <algorithm>

#include "core/text.h"
#include "ui/hint_text.h"

namespace quantrel::ui {
namespace {

bool containsFolded(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < word.size() && asciiLower(text[i + j]) == asciiLower(word[j]))
            ++j;
        if (j == word.size()) return true;
    }
    return false;
}

}  // namespace

std::vector<BrowserGroup> browserGroups(const Calculator& calculator) {
    std::vector<BrowserGroup> groups;
    for (const QuantityEntry& quantity : calculator.quantityList()) {
        BrowserGroup group{quantity.displayName, {}};
        std::vector<const UnitEntry*> kept;
        for (const UnitEntry& unit : quantity.units) {
            const auto earlier = std::find_if(kept.begin(), kept.end(), [&](const UnitEntry* e) {
                return e->scale == unit.scale && e->offset == unit.offset;
            });
            if (earlier != kept.end()) {
                group.units[static_cast<std::size_t>(earlier - kept.begin())].aliases.push_back(
                    unit.symbol);
                continue;
            }
            kept.push_back(&unit);
            group.units.push_back({unit.symbol,
                                   unit.shown.empty() ? unit.symbol : unit.shown,
                                   unit.name,
                                   unitValueText(calculator, unit),
                                   unit.description,
                                   {}});
        }
        if (!group.units.empty()) groups.push_back(std::move(group));
    }
    std::stable_sort(
        groups.begin(), groups.end(),
        [](const BrowserGroup& a, const BrowserGroup& b) { return a.title < b.title; });
    return groups;
}

BrowserFunctions browserFunctions(const Calculator& calculator) {
    BrowserFunctions lists;
    for (const FunctionEntry& function : calculator.functionList()) {
        BrowserFunction entry{function.name,
                              functionSignature(function.name, function.parameters),
                              {},
                              function.description};
        if (function.argumentCount > 0) {
            lists.functions.push_back(std::move(entry));
            continue;
        }
        // A name without arguments is a constant unless it draws random numbers, which the
        // side-effect-free evaluation refuses.
        const std::optional<EvaluationResult> value = calculator.preview(function.name);
        if (!value) continue;
        entry.value = value->text;
        lists.constants.push_back(std::move(entry));
    }
    return lists;
}

bool matchesQuery(std::string_view query, const std::vector<std::string_view>& texts) {
    std::size_t at = 0;
    while (at < query.size()) {
        while (at < query.size() && query[at] == ' ')
            ++at;
        std::size_t end = query.find(' ', at);
        if (end == std::string_view::npos) end = query.size();
        const std::string_view word = query.substr(at, end - at);
        at = end;
        if (word.empty()) continue;
        if (std::none_of(texts.begin(), texts.end(),
                         [&](std::string_view text) { return containsFolded(text, word); })) {
            return false;
        }
    }
    return true;
}

bool matchesQuery(std::string_view query, const BrowserGroup& group, const BrowserUnit& unit) {
    std::vector<std::string_view> texts{unit.symbol, unit.shown, unit.name, unit.description,
                                        group.title};
    texts.insert(texts.end(), unit.aliases.begin(), unit.aliases.end());
    return matchesQuery(query, texts);
}

}  // namespace quantrel::ui
