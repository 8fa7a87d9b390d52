// SPDX-License-Identifier: GPL-3.0-or-later

// Declaring the dimensions of quantities from the settings.

#include <algorithm>

#include "base/error.h"
#include "settings/unit_registry.h"

namespace quantrel {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

[[noreturn]] void failAt(const std::string& text, const SettingsLocation& where) {
    ConfigError error(text, where.file);
    error.setLocation(where);
    throw error;
}

}  // namespace

bool UnitRegistry::resolveDimension(const std::string& quantity, const std::string& expression,
                                    const SettingsLocation& where, std::string* unknownName) {
    std::optional<Dimension> dimension;
    if (trimmed(expression) == quantity) {
        if (const Dimension* existing = dimensionOf(quantity)) {
            dimension = *existing;  // declared as a base before
        } else {
            if (!addBaseQuantity(quantity)) failAt("Too many base quantities", where);
            dimension = Dimension::base(baseQuantityCount() - 1);
        }
    } else {
        const DimensionReading reading =
            readDimension(expression, [this](std::string_view name) { return dimensionOf(name); });
        if (reading.malformed) {
            failAt("Invalid dimension '" + expression + "' for quantity '" + quantity + "'", where);
        }
        if (reading.outOfRange) {
            failAt("Dimension of quantity '" + quantity + "' out of range", where);
        }
        if (!reading.dimension) {
            if (unknownName != nullptr) *unknownName = reading.unknownName;
            return false;
        }
        dimension = reading.dimension;
    }
    if (const Dimension* existing = dimensionOf(quantity); existing && *existing != *dimension) {
        failAt("Quantity '" + quantity + "' declared with two dimensions", where);
    }
    setDimension(quantity, *dimension, dimensionDeclarations_++);
    return true;
}

void UnitRegistry::resolvePending() {
    // Each pass resolves what the last one made possible; a pass that resolves nothing ends it.
    bool progress = true;
    while (progress && !pendingDimensions_.empty()) {
        progress = false;
        for (std::size_t i = 0; i < pendingDimensions_.size();) {
            const PendingDimension& pending = pendingDimensions_[i];
            if (resolveDimension(pending.quantity, pending.expression, pending.where, nullptr)) {
                pendingDimensions_.erase(pendingDimensions_.begin() +
                                         static_cast<std::ptrdiff_t>(i));
                progress = true;
            } else {
                ++i;
            }
        }
    }
}

void UnitRegistry::declareDimension(const std::string& quantity, const std::string& expression,
                                    const SettingsLocation& where) {
    if (!resolveDimension(quantity, expression, where, nullptr)) {
        pendingDimensions_.push_back({quantity, expression, where});
        return;
    }
    if (!pendingDimensions_.empty()) resolvePending();
}

void UnitRegistry::finishDimensions() {
    resolvePending();
    if (pendingDimensions_.empty()) return;
    const PendingDimension& first = pendingDimensions_.front();
    std::string unknown;
    resolveDimension(first.quantity, first.expression, first.where, &unknown);
    const bool waiting =
        std::any_of(pendingDimensions_.begin(), pendingDimensions_.end(),
                    [&](const PendingDimension& pending) { return pending.quantity == unknown; });
    if (waiting) {
        failAt("Dimension of quantity '" + first.quantity + "' depends on itself", first.where);
    }
    failAt("Unknown quantity '" + unknown + "' in the dimension of '" + first.quantity + "'",
           first.where);
}

}  // namespace quantrel
