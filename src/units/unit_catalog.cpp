// SPDX-License-Identifier: GPL-3.0-or-later

#include "units/unit_catalog.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace quantrel {

namespace {

/// FNV-1a: symbols are a few bytes long, for which it is cheaper than the library's hash and
/// spreads them as well over the low bits the table uses.
std::size_t hashOf(std::string_view symbol) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (const char c : symbol)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

}  // namespace

std::size_t UnitCatalog::SymbolIndex::locate(std::size_t hash, std::string_view symbol) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].unit != nullptr &&
           (slots_[i].hash != hash || slots_[i].unit->symbol != symbol)) {
        i = (i + 1) & mask;
    }
    return i;
}

Unit* UnitCatalog::SymbolIndex::find(std::string_view symbol) const {
    if (slots_.empty()) return nullptr;
    return slots_[locate(hashOf(symbol), symbol)].unit;
}

Unit*& UnitCatalog::SymbolIndex::slot(std::string_view symbol) {
    if (2 * (count_ + 1) > slots_.size()) {
        std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& entry : old) {
            if (entry.unit == nullptr) continue;
            std::size_t i = entry.hash & mask;
            while (slots_[i].unit != nullptr)
                i = (i + 1) & mask;
            slots_[i] = entry;
        }
    }
    const std::size_t hash = hashOf(symbol);
    Slot& entry = slots_[locate(hash, symbol)];
    entry.hash = hash;
    return entry.unit;
}

const Unit* UnitCatalog::findUnit(std::string_view symbol) const {
    if (const Unit* unit = unitIndex_.find(symbol)) return unit;
    if (derivedBySymbol_.empty()) return nullptr;
    const auto derived = derivedBySymbol_.find(symbol);
    return derived != derivedBySymbol_.end() ? derived->second : nullptr;
}

Unit& UnitCatalog::newUnit() {
    if (unitCount_ == unitBlocks_.size() * kUnitsPerBlock) {
        unitBlocks_.push_back(std::make_unique<Unit[]>(kUnitsPerBlock));
    }
    Unit& unit = unitBlocks_.back()[unitCount_ % kUnitsPerBlock];
    ++unitCount_;
    return unit;
}

std::span<const Unit* const> UnitCatalog::units() const {
    if (!sorted_) {
        sortedUnits_.clear();
        sortedUnits_.reserve(unitCount_);
        for (std::size_t i = 0; i < unitCount_; ++i)
            sortedUnits_.push_back(&unitBlocks_[i / kUnitsPerBlock][i % kUnitsPerBlock]);
        std::sort(sortedUnits_.begin(), sortedUnits_.end(),
                  [](const Unit* a, const Unit* b) { return a->symbol < b->symbol; });
        sorted_ = true;
    }
    return sortedUnits_;
}

std::span<const Unit* const> UnitCatalog::unitsStartingWith(std::string_view prefix) const {
    const std::span<const Unit* const> all = units();
    const auto first =
        std::lower_bound(all.begin(), all.end(), prefix,
                         [](const Unit* unit, std::string_view key) { return unit->symbol < key; });
    auto last = first;
    while (last != all.end() && (*last)->symbol.starts_with(prefix))
        ++last;
    return {first, last};
}

const QuantityUnits* UnitCatalog::findQuantity(std::string_view name) const {
    // The settings list a quantity's units together: most questions are about the last one.
    if (lastQuantity_ != quantities_.end() && lastQuantity_->first == name) {
        return &lastQuantity_->second;
    }
    const auto found = quantities_.find(name);
    return found != quantities_.end() ? &found->second : nullptr;
}

const Conversion* UnitCatalog::findConversion(std::string_view left, TokenKind op,
                                              std::string_view right) const {
    for (const Conversion& rule : conversions_) {
        if (rule.op == op && rule.left == left && rule.right == right) return &rule;
    }
    return nullptr;
}

Unit& UnitCatalog::enterUnit(std::string_view quantity, std::string_view symbol, long double scale,
                             long double offset) {
    if (lastQuantity_ == quantities_.end() || lastQuantity_->first != quantity) {
        lastQuantity_ = quantities_.lower_bound(quantity);
        if (lastQuantity_ == quantities_.end() || lastQuantity_->first != quantity) {
            lastQuantity_ = quantities_.emplace_hint(lastQuantity_, quantity, QuantityUnits{});
        }
    }
    QuantityUnits& members = lastQuantity_->second;
    // Make room first: nothing below may fail once the unit is entered.
    if (members.size() == members.capacity()) members.reserve(2 * members.size() + 1);
    Unit*& indexed = unitIndex_.slot(symbol);
    if (indexed == nullptr) {
        const std::string_view kept = keep(symbol);
        Unit& made = newUnit();
        made.symbol = kept;
        indexed = &made;
        unitIndex_.added();
        sorted_ = false;
    }
    Unit& unit = *indexed;
    unit.quantity = lastQuantity_->first;
    unit.scale = scale;
    unit.offset = offset;
    // The units of a quantity share its dimension (setDimension gives it to all of them).
    unit.dimension = members.empty() ? dimensionOf(quantity) : members.front()->dimension;
    members.push_back(&unit);
    unit.referenceUnit = members.front();
    return unit;
}

void UnitCatalog::enterConversion(Conversion rule) {
    conversions_.push_back(std::move(rule));
}

}  // namespace quantrel

namespace quantrel {
namespace {

/// The exponent as superscript digits: 2 gives "²".
std::string superscript(int exponent) {
    static constexpr std::string_view kDigits[] = {"\u2070", "\u00b9", "\u00b2", "\u00b3",
                                                   "\u2074", "\u2075", "\u2076", "\u2077",
                                                   "\u2078", "\u2079"};
    const std::string decimal = std::to_string(exponent);
    std::string text;
    for (const char digit : decimal)
        text += kDigits[digit - '0'];
    return text;
}

}  // namespace

bool UnitCatalog::addBaseQuantity(const std::string& quantity) {
    if (baseQuantities_.size() >= static_cast<std::size_t>(Dimension::kMaxBases)) return false;
    baseQuantities_.push_back(quantity);
    return true;
}

void UnitCatalog::setDimension(const std::string& quantity, const Dimension& dimension,
                               std::size_t order) {
    const Dimension* stored = &dimensions_.insert_or_assign(quantity, dimension).first->second;
    if (const auto members = quantities_.find(quantity); members != quantities_.end()) {
        for (const Unit* member : members->second)
            unitIndex_.find(member->symbol)->dimension = stored;
    }
    const auto [entry, inserted] =
        shownQuantity_.try_emplace(dimension, ShownQuantity{order, quantity, nullptr});
    if (!inserted && order < entry->second.order) entry->second = {order, quantity, nullptr};
}

bool UnitCatalog::setDisplayChoice(const std::string& quantity, DisplayChoice choice) {
    const auto [entry, inserted] = displayChoices_.try_emplace(quantity, choice);
    return inserted || entry->second == choice;
}

bool UnitCatalog::setDisplayName(const std::string& quantity, const std::string& name) {
    const auto [entry, inserted] = displayNames_.try_emplace(quantity, name);
    return inserted || entry->second == name;
}

std::string UnitCatalog::displayName(std::string_view quantity) const {
    const auto found = displayNames_.find(quantity);
    return found != displayNames_.end() ? found->second : wordsOfName(quantity);
}

std::string wordsOfName(std::string_view name) {
    const auto isUpper = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string words;
    words.reserve(name.size() + 4);
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        const bool afterWord = i > 0 && (isLower(name[i - 1]) || isDigit(name[i - 1]));
        const bool beforeLower = i + 1 < name.size() && isLower(name[i + 1]);
        // A capital that begins a run of capitals is part of an abbreviation: kept.
        const bool abbreviation = i + 1 < name.size() && isUpper(name[i + 1]);
        if (afterWord && isUpper(c) && (beforeLower || abbreviation)) {
            words += ' ';
            if (!abbreviation) c = static_cast<char>(c - 'A' + 'a');
        }
        words += c;
    }
    return words;
}

UnitCatalog::DisplayChoice UnitCatalog::displayChoice(std::string_view quantity) const {
    const auto found = displayChoices_.find(quantity);
    return found != displayChoices_.end() ? found->second : DisplayChoice::Shortest;
}

const Dimension* UnitCatalog::dimensionOf(std::string_view quantity) const {
    if (const auto found = dimensions_.find(quantity); found != dimensions_.end()) {
        return &found->second;
    }
    if (const auto found = derivedDimensions_.find(quantity); found != derivedDimensions_.end()) {
        return &found->second;
    }
    return nullptr;
}

std::string UnitCatalog::derivedSymbol(const Dimension& dimension) const {
    std::string numerator;
    std::string denominator;
    for (std::size_t i = 0; i < baseQuantities_.size(); ++i) {
        const int exponent = dimension.exponent(static_cast<int>(i));
        if (exponent == 0) continue;
        const QuantityUnits* units = findQuantity(baseQuantities_[i]);
        std::string factor(units != nullptr && !units->empty() ? units->front()->symbol
                                                               : baseQuantities_[i]);
        if (std::abs(exponent) > 1) factor += superscript(std::abs(exponent));
        std::string& side = exponent > 0 ? numerator : denominator;
        if (!side.empty()) side += "\u00b7";
        side += factor;
    }
    if (denominator.empty()) return numerator;
    return (numerator.empty() ? std::string("1") : numerator) + "/" + denominator;
}

const Unit* UnitCatalog::unitOfDimension(const Dimension& dimension) const {
    if (const auto shown = shownQuantity_.find(dimension); shown != shownQuantity_.end()) {
        if (shown->second.unit != nullptr) return shown->second.unit;
        const QuantityUnits* units = findQuantity(shown->second.quantity);
        if (units != nullptr && !units->empty()) return shown->second.unit = units->front();
    }
    if (const auto made = derivedByDimension_.find(dimension); made != derivedByDimension_.end()) {
        return made->second;
    }
    if (derivedUnits_.size() >= kMaxDerivedUnits) return nullptr;
    Unit& unit = derivedUnits_.emplace_back();
    unit.symbol = texts_.keep(derivedSymbol(dimension));
    unit.quantity = unit.symbol;
    unit.description = "Derived unit";
    unit.referenceUnit = &unit;
    derivedByDimension_.emplace(dimension, &unit);
    derivedBySymbol_.emplace(unit.symbol, &unit);
    unit.dimension = &derivedDimensions_.emplace(unit.quantity, dimension).first->second;
    return &unit;
}

}  // namespace quantrel
