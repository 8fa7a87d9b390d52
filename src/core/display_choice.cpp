// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/display_choice.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/number_format.h"

namespace quantrel {

long double toDisplay(long double value, const Unit& unit) {
    return (value + unit.offset) / unit.scale;
}

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

bool inRange(long double shown) {
    return std::fabs(shown) >= 1 && std::fabs(shown) < 10000;
}

/// The shortest text of one kind seen so far; ties go to the unit defined first.
struct Shortest {
    const Unit* unit = nullptr;
    std::size_t length = kNone;
    std::size_t index = 0;

    void offer(const Unit& candidate, std::size_t candidateIndex, std::size_t candidateLength) {
        if (candidateLength < length || (candidateLength == length && candidateIndex < index)) {
            unit = &candidate;
            length = candidateLength;
            index = candidateIndex;
        }
    }
};

/// What the natural choice (UnitCatalog::DisplayChoice::Natural) has seen of the texts that take
/// part, in whatever order they come: the shortest that is the value itself, and the shortest
/// rounded one.
class NaturalBest {
public:
    /// `anyInRange`: whether a unit gives a plain number in [1, 10000).
    explicit NaturalBest(bool anyInRange) : anyInRange_(anyInRange) {}

    void offer(const Unit& candidate, std::size_t index, long double shown,
               const NumberFormat::Measure& measure) {
        if (!measure.exact) {
            rounded_.offer(candidate, index, measure.length);
        } else if (std::fabs(shown) < 10000 || !anyInRange_) {
            // A large exact number loses to a unit that gives one in [1, 10000).
            exact_.offer(candidate, index, measure.length);
        }
    }
    /// The length of the best exact text, kNone before one is seen.
    std::size_t exactLength() const { return exact_.length; }
    /// A text longer than this can no longer change the choice.
    std::size_t settled() const { return std::min(exact_.length, rounded_.length); }
    /// Whether a text at least `length` long, in the unit listed at `index`, may still change
    /// the choice: once an exact text of the settled length is seen, only an earlier unit may.
    bool mayChange(std::size_t length, std::size_t index) const {
        if (length != settled()) return length < settled();
        return exact_.length != length || index < exact_.index;
    }

    /// An exact text wins unless a rounded one is shorter (4.8605e+07 in is not 1234.57 km);
    /// then the first unit listed with a number in [1, 10000), or else the shortest rounded text.
    const Unit* choice(const Unit* firstInRange) const {
        if (exact_.unit != nullptr && exact_.length <= rounded_.length) return exact_.unit;
        return firstInRange != nullptr ? firstInRange : rounded_.unit;
    }

private:
    bool anyInRange_;
    Shortest exact_;
    Shortest rounded_;
};

/// The natural choice, looking at the units in definition order.
const Unit& naturalInOrder(const QuantityUnits& candidates, long double value, const Unit& unit) {
    const NumberFormat format;
    // Which texts take part: plain ones when any unit gives one, and exact ones of 10000 or
    // more only when no unit gives a number in [1, 10000).
    bool anyPlain = false;
    bool anyInRange = false;
    for (const Unit* candidate : candidates) {
        if (!candidate->displayed) continue;
        const long double shown = toDisplay(value, *candidate);
        anyPlain = anyPlain || NumberFormat::isPlain(shown);
        anyInRange = anyInRange || (NumberFormat::isPlain(shown) && inRange(shown));
    }
    NaturalBest best(anyInRange);
    const Unit* firstInRange = nullptr;
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        const Unit& candidate = *candidates[index];
        if (!candidate.displayed) continue;
        const long double shown = toDisplay(value, candidate);
        if (anyPlain && !NumberFormat::isPlain(shown)) continue;
        const bool mayBeInRange = inRange(shown);
        // A number no shorter than the exact text found already can change nothing, unless it
        // might still be the first one in range.
        if ((firstInRange != nullptr || !mayBeInRange) &&
            NumberFormat::minimumLength(shown) >= best.exactLength()) {
            continue;
        }
        if (firstInRange == nullptr && mayBeInRange) firstInRange = &candidate;
        best.offer(candidate, index, shown, format.measure(shown));
        if (best.exactLength() == 1) break;  // nothing can be shorter
    }
    const Unit* chosen = best.choice(firstInRange);
    return chosen != nullptr ? *chosen : unit;
}

}  // namespace

const DisplayChooser::Quantity* DisplayChooser::quantityOf(const Unit& unit) const {
    const Unit* key = unit.referenceUnit != nullptr ? unit.referenceUnit : &unit;
    if (const auto found = quantities_.find(key); found != quantities_.end()) {
        return found->second.units != nullptr ? &found->second : nullptr;
    }
    Quantity quantity;
    const QuantityUnits* units = units_->findQuantity(unit.quantity);
    if (units != nullptr && !units->empty()) {
        quantity.units = units;
        quantity.choice = units_->displayChoice(unit.quantity);
        bool bySize = quantity.choice == UnitCatalog::DisplayChoice::Natural;
        for (std::size_t index = 0; bySize && index < units->size(); ++index) {
            const Unit* candidate = (*units)[index];
            if (!candidate->displayed) continue;
            bySize =
                candidate->offset == 0 && candidate->scale > 0 && std::isfinite(candidate->scale);
            quantity.bySize.push_back({candidate, index, candidate->scale});
        }
        if (bySize) {
            std::stable_sort(
                quantity.bySize.begin(), quantity.bySize.end(),
                [](const Candidate& a, const Candidate& b) { return a.scale > b.scale; });
        } else {
            quantity.bySize.clear();
        }
    }
    const Quantity& entered = quantities_.emplace(key, std::move(quantity)).first->second;
    return entered.units != nullptr ? &entered : nullptr;
}

const Unit& DisplayChooser::choose(long double value, const Unit& unit) const {
    const Quantity* quantity = quantityOf(unit);
    if (quantity == nullptr) return unit;
    if (quantity->choice == UnitCatalog::DisplayChoice::Natural) {
        if (!quantity->bySize.empty() && std::isfinite(value) && value != 0) {
            return naturalBySize(*quantity, value, unit);
        }
        return naturalInOrder(*quantity->units, value, unit);
    }
    const NumberFormat format;
    const Unit* best = nullptr;
    std::size_t bestLength = 0;
    for (const Unit* candidate : *quantity->units) {
        if (!candidate->displayed) continue;
        const long double shown = toDisplay(value, *candidate);
        if (best != nullptr && NumberFormat::minimumLength(shown) >= bestLength) continue;
        const std::size_t length = format.length(shown);
        // Only a strictly shorter text replaces the choice: ties keep the earlier unit.
        if (best == nullptr || length < bestLength) {
            best = candidate;
            bestLength = length;
            if (bestLength == 1) break;  // nothing can be shorter
        }
    }
    return best != nullptr ? *best : unit;
}

const Unit& DisplayChooser::naturalBySize(const Quantity& quantity, long double value,
                                          const Unit& unit) const {
    using Iterator = std::vector<Candidate>::const_iterator;
    const std::vector<Candidate>& units = quantity.bySize;
    // toDisplay without the offset, which is zero (and value + 0 is value, as it is not zero).
    const auto shownIn = [value](const Candidate& candidate) { return value / candidate.scale; };
    // The first unit from `begin` whose number no longer satisfies `before` (of its magnitude).
    const auto firstPast = [&](Iterator begin, Iterator end, auto before) {
        return std::partition_point(begin, end, [&](const Candidate& candidate) {
            return before(std::fabs(shownIn(candidate)));
        });
    };
    // Along the units the numbers grow: too small to be written plainly, plain below 1, plain in
    // [1, 10000), plain and larger, too large. Texts are written from doubles, whose zero and
    // infinity would be plain at the wrong end.
    const double smallest = std::fabs(static_cast<double>(shownIn(units.front())));
    const double largest = std::fabs(static_cast<double>(shownIn(units.back())));
    if (smallest == 0 || !std::isfinite(largest)) {
        return naturalInOrder(*quantity.units, value, unit);
    }
    const Iterator one =
        firstPast(units.begin(), units.end(), [](long double magnitude) { return magnitude < 1; });
    const Iterator rangeEnd =
        firstPast(one, units.end(), [](long double magnitude) { return magnitude < 10000; });
    const Unit* firstInRange = nullptr;
    std::size_t firstIndex = kNone;
    for (Iterator candidate = one; candidate != rangeEnd; ++candidate) {
        if (candidate->index < firstIndex) {
            firstInRange = candidate->unit;
            firstIndex = candidate->index;
        }
    }

    // From the numbers near 1 outwards, the shortest a text can be only grows on either side:
    // take the side with the shorter bound until neither can reach the best text seen.
    const NumberFormat format;
    NaturalBest best(firstInRange != nullptr);
    // A side of the walk: the units from the one nearest 1 upwards, or from just below it
    // downwards, as long as their numbers are plain, with the next one's number and bound.
    struct Side {
        std::ptrdiff_t at;
        std::ptrdiff_t end;
        std::ptrdiff_t step;
        long double shown = 0;
        std::size_t bound = kNone;
    };
    const auto load = [&](Side& side) {
        if (side.at != side.end) {
            side.shown = shownIn(units[static_cast<std::size_t>(side.at)]);
            if (NumberFormat::isPlain(side.shown)) {
                side.bound = NumberFormat::minimumLength(side.shown);
                return;
            }
            side.at = side.end;  // the numbers beyond are not plain either
        }
        side.bound = kNone;
    };
    const std::ptrdiff_t first = one - units.begin();
    Side up{first, static_cast<std::ptrdiff_t>(units.size()), 1};
    Side down{first - 1, -1, -1};
    load(up);
    load(down);
    // Plain numbers, if any, lie on either side of 1. Without one every text takes part: rare
    // enough to look at them all.
    if (up.bound == kNone && down.bound == kNone) {
        return naturalInOrder(*quantity.units, value, unit);
    }
    for (;;) {
        Side& side = up.bound <= down.bound ? up : down;
        if (side.bound == kNone || side.bound > best.settled()) break;
        const Candidate& candidate = units[static_cast<std::size_t>(side.at)];
        if (best.mayChange(side.bound, candidate.index)) {
            best.offer(*candidate.unit, candidate.index, side.shown, format.measure(side.shown));
        }
        side.at += side.step;
        load(side);
    }
    const Unit* chosen = best.choice(firstInRange);
    return chosen != nullptr ? *chosen : unit;
}

}  // namespace quantrel
