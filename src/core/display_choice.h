// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "units/unit_catalog.h"

namespace quantrel {

/// The number shown for `value` (in the reference unit of `unit`'s quantity) in `unit`.
long double toDisplay(long double value, const Unit& unit);

/// Chooses the unit a result is shown in when the line asks for none: among the displayed units
/// of the result's quantity, by the quantity's display choice, with the default number format so
/// that a unit never changes with the precision. Units marked Display="no" are never chosen.
///
/// A quantity whose displayed units all have a positive scale and no offset has its units
/// ordered by size once, on its first result; a result then looks at them from the ones that
/// show it near 1 outwards and stops where no text can be shorter. Other quantities look at
/// every unit in definition order. Both give the same unit.
class DisplayChooser {
public:
    /// Chooses among the units of `units`, which must outlive the chooser and not change.
    explicit DisplayChooser(const UnitCatalog& units) : units_(&units) {}

    /// The unit of `unit`'s quantity `value` (in its reference unit) is shown in; `unit` itself
    /// when its quantity has no displayed unit.
    const Unit& choose(long double value, const Unit& unit) const;

private:
    /// A displayed unit, with its place in the quantity's definition order (ties go to the
    /// earlier unit).
    struct Candidate {
        const Unit* unit = nullptr;
        std::size_t index = 0;
        long double scale = 1;  ///< the unit's; its offset is zero
    };
    struct Quantity {
        const QuantityUnits* units = nullptr;
        UnitCatalog::DisplayChoice choice = UnitCatalog::DisplayChoice::Shortest;
        /// The displayed units from the largest scale to the smallest, so that the numbers a
        /// value is shown with grow along it; empty when a unit has an offset.
        std::vector<Candidate> bySize;
    };

    const Quantity* quantityOf(const Unit& unit) const;
    const Unit& naturalBySize(const Quantity& quantity, long double value, const Unit& unit) const;

    const UnitCatalog* units_;
    // Filled on first use, per quantity, keyed by the reference unit.
    mutable std::unordered_map<const Unit*, Quantity> quantities_;
};

}  // namespace quantrel
