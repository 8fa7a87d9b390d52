// SPDX-License-Identifier: GPL-3.0-or-later
// Closest known names for a name the calculator does not know, for "did you mean" hints.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/calculator.h"
#include "xmlParser/ascii.h"
#include "settings/unit_registry.h"

namespace quantrel {
namespace {

std::string lowered(std::string_view text) {
    return asciiLowered(text);
}

std::string firstLowered(std::string_view text) {
    std::string result(text);
    if (!result.empty()) result.front() = asciiLower(result.front());
    return result;
}

/// The edit distance with adjacent transpositions ("metre" and "meter" are one apart), or
/// `limit` + 1 when it is larger than `limit`.
int editDistance(std::string_view a, std::string_view b, int limit) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    if (std::abs(static_cast<int>(n) - static_cast<int>(m)) > limit) return limit + 1;
    // Three rows of the distance table: two rows back (for transpositions), the last, this one.
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (std::size_t j = 0; j <= m; ++j)
        previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        int rowMinimum = current[0];
        for (std::size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                best = std::min(best, before[j - 2] + 1);
            }
            current[j] = best;
            rowMinimum = std::min(rowMinimum, best);
        }
        if (rowMinimum > limit) return limit + 1;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return std::min(previous[m], limit + 1);
}

/// Scores: the same name in another case (0) or as a plural (1), a few letters off (2 and up),
/// one name beginning the other (kPrefixScore and up), a few letters off only when case is
/// ignored (kCaseScore and up). Only the best score found is offered.
constexpr int kPrefixScore = 10;
constexpr int kCaseScore = 1000;

/// How far a known spelling is from what was typed; lower is closer, none when unrelated.
std::optional<int> closeness(std::string_view typed, std::string_view known) {
    if (known.empty()) return std::nullopt;
    const std::string a = lowered(typed);
    const std::string b = lowered(known);
    if (a == b) return 0;
    // A plural of a unit's name: "miles", "inches".
    for (std::string_view ending : {"s", "es"}) {
        if (a.size() > ending.size() && a.ends_with(ending) &&
            a.substr(0, a.size() - ending.size()) == b) {
            return 1;
        }
    }
    const int length = static_cast<int>(a.size());
    const int limit = length <= 4 ? 1 : length <= 8 ? 2 : 3;
    // Letters in their case after the first: inside a symbol case tells units apart (mT and mt,
    // kPa and kph), while a first capital is often only a slip of the shift key ("hzz", Hz).
    if (const int distance = editDistance(firstLowered(typed), firstLowered(known), limit);
        distance <= limit) {
        return 1 + distance;
    }
    // One begins the other, letters in their case: "mtr" and "m", "kilom" and "kilometre".
    if (typed.starts_with(known) || known.starts_with(typed)) {
        return kPrefixScore + std::abs(length - static_cast<int>(known.size()));
    }
    // Close only when case is ignored: still better than nothing ("Kmhh" and kmh).
    if (const int distance = editDistance(a, b, limit); distance <= limit) {
        return kCaseScore + distance;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Calculator::unknownName(const Error& error) {
    const auto* parse = dynamic_cast<const ParseError*>(&error);
    if (parse == nullptr || parse->token().kind != TokenKind::UnknownName) return std::nullopt;
    return parse->token().text;
}

std::vector<std::string> Calculator::closestNames(std::string_view name, std::size_t limit) const {
    struct Candidate {
        int score;
        std::string name;
        // As close, the shorter name is the more common one ("km" before "kNm" for "kmm").
        bool operator<(const Candidate& other) const {
            if (score != other.score) return score < other.score;
            if (name.size() != other.name.size()) return name.size() < other.name.size();
            return name < other.name;
        }
    };
    std::vector<Candidate> candidates;
    // A unit that is never shown (an alias such as "kilometres") comes after a shown one that is
    // as close.
    const auto consider = [&](std::string_view spelling, std::string_view offered,
                              bool shown = true) {
        if (const std::optional<int> score = closeness(name, spelling)) {
            candidates.push_back({2 * *score + (shown ? 0 : 1), std::string(offered)});
        }
    };
    consider("ans", "ans");
    for (const auto& [functionName, function] : registry_->functions())
        consider(functionName, functionName);
    for (const Unit* unit : registry_->units()) {
        consider(unit->symbol, unit->symbol, unit->displayed);
        consider(unit->name, unit->symbol, unit->displayed);  // "kilometre" offers km
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<std::string> names;
    for (Candidate& candidate : candidates) {
        if (names.size() == limit) break;
        if (candidate.score != candidates.front().score) break;
        if (candidate.name == name) continue;
        if (std::find(names.begin(), names.end(), candidate.name) == names.end()) {
            names.push_back(std::move(candidate.name));
        }
    }
    return names;
}

}  // namespace quantrel
