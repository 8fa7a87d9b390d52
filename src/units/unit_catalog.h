// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/token.h"
#include "units/dimension.h"
#include "xmlParser/text_arena.h"

namespace quantrel {

/// A unit of measure. Entered once, never moved or removed while its catalogue lives. Its texts
/// are kept by the catalogue (UnitCatalog::keep) and live as long as it.
struct Unit {
    std::string_view symbol;       ///< what the user types; the key of the unit table
    std::string_view shown;        ///< the text results are written with; empty: the symbol
    std::string_view name;         ///< long name; empty when the settings give none
    std::string_view quantity;     ///< name of the quantity the unit belongs to
    std::string_view description;  ///< one line for the hint pane
    long double scale = 1;         ///< b = scale * a - offset through the definition's pairs
    long double offset = 0;
    const Unit* referenceUnit = nullptr;  ///< the first unit of the same quantity
    /// Whether a result may be shown in the unit without being asked for with "in"; the
    /// reference unit always may.
    bool displayed = true;
    /// The dimension of the unit's quantity, when it declares one.
    const Dimension* dimension = nullptr;
};

/// The text a value in `unit` is written with: its Shown text ("km/h"), or else its symbol.
inline std::string_view shownText(const Unit& unit) {
    return unit.shown.empty() ? unit.symbol : unit.shown;
}

/// Whether `unit` measures a ratio: its quantity's dimension is that of a plain number (percent,
/// ppm). A value read in such a unit is a plain number from then on: it is shown as one, and
/// sums, products and powers treat it as one; only "in" shows it in the unit again.
inline bool isRatio(const Unit* unit) {
    return unit != nullptr && unit->dimension != nullptr && unit->dimension->isEmpty();
}

/// `unit`, or none when it measures a ratio (see isRatio).
inline const Unit* unlessRatio(const Unit* unit) {
    return isRatio(unit) ? nullptr : unit;
}

/// A quantity's name as words: split before each capital that follows a lower-case letter or a
/// digit and begins a word (a lower-case letter follows) or an abbreviation (a capital follows);
/// the first is lowered, the second kept ("AbsorbedDose" gives "Absorbed dose", "CO2Emission"
/// "CO2 emission", "DataURL" "Data URL"; "pH" and "SIPrefix" stay as they are).
std::string wordsOfName(std::string_view name);

/// A rule saying which quantity the product or quotient of two quantities is.
struct Conversion {
    std::string left;
    std::string right;
    std::string result;
    TokenKind op = TokenKind::None;         ///< Star or Slash in a useful rule
    const Unit* resultReference = nullptr;  ///< the reference unit of the result; none: a number
};

/// The units of one quantity in definition order; the first is the reference unit.
using QuantityUnits = std::vector<const Unit*>;

/// Units, quantities and the rules between quantities, as plain data. Keys compare byte by
/// byte, case-sensitively. Filled at start-up, read-only afterwards.
class UnitCatalog {
public:
    using QuantityTable = std::map<std::string, QuantityUnits, std::less<>>;

    UnitCatalog() = default;
    UnitCatalog(const UnitCatalog&) = delete;
    UnitCatalog& operator=(const UnitCatalog&) = delete;

    /// The unit with exactly this symbol, or nullptr.
    const Unit* findUnit(std::string_view symbol) const;
    /// All units in symbol order; valid until the next unit is entered.
    std::span<const Unit* const> units() const;
    /// The units whose symbols begin with `prefix`, in symbol order; valid as units() is.
    std::span<const Unit* const> unitsStartingWith(std::string_view prefix) const;
    /// The units of a quantity, or nullptr when no unit names it.
    const QuantityUnits* findQuantity(std::string_view name) const;
    /// All quantities in name order.
    const QuantityTable& quantities() const { return quantities_; }
    /// The conversion rules in definition order.
    const std::vector<Conversion>& conversions() const { return conversions_; }
    /// The first rule for (left op right), or nullptr.
    const Conversion* findConversion(std::string_view left, TokenKind op,
                                     std::string_view right) const;

    /// Enters a unit with a given scale and offset as the last unit of `quantity`; the first
    /// unit of a quantity is its reference unit. The symbol must be new.
    Unit& enterUnit(std::string_view quantity, std::string_view symbol, long double scale,
                    long double offset);
    /// A copy of `text` that lives as long as the catalogue, for the texts of a unit.
    std::string_view keep(std::string_view text) { return texts_.keep(text); }
    /// Appends a rule; a rule without `resultReference` gives a plain number.
    void enterConversion(Conversion rule);

    /// Numbers `quantity` as the next base quantity (its dimension is then set with
    /// setDimension); returns false when Dimension::kMaxBases bases are declared already.
    bool addBaseQuantity(const std::string& quantity);
    /// How many base quantities are declared.
    int baseQuantityCount() const { return static_cast<int>(baseQuantities_.size()); }
    /// The base quantities in the order they were declared (the numbering of Dimension).
    const std::vector<std::string>& baseQuantities() const { return baseQuantities_; }
    /// Gives `quantity` its dimension. Of the quantities with one dimension, results are shown in
    /// the one whose declaration came first: `order` counts the declarations.
    void setDimension(const std::string& quantity, const Dimension& dimension, std::size_t order);
    /// The dimension of a quantity, or nullptr when it declares none.
    const Dimension* dimensionOf(std::string_view quantity) const;
    /// Whether any quantity declares a dimension.
    bool hasDimensions() const { return !dimensions_.empty(); }

    /// How a result of a quantity picks its unit among the displayed ones.
    enum class DisplayChoice {
        /// The shortest number text; ties go to the unit listed first.
        Shortest,
        /// The shortest text that shows the value exactly, unless a rounded text is shorter
        /// still; otherwise the first unit listed whose number lies in [1, 10000), or else as
        /// Shortest. A rounded number's length is chance (a 6-digit whole number beats a
        /// 7-character decimal), so it must not decide: 1 km / 3 is 333.333 m, not 333333 mm.
        Natural,
    };
    /// Sets how results of `quantity` choose their unit; false (and nothing set) when a different
    /// choice was set for it before.
    bool setDisplayChoice(const std::string& quantity, DisplayChoice choice);
    /// How results of `quantity` choose their unit (Shortest unless set).
    DisplayChoice displayChoice(std::string_view quantity) const;

    /// Gives `quantity` the name menus and listings show for it; false (and nothing set) when a
    /// different one was set before.
    bool setDisplayName(const std::string& quantity, const std::string& name);
    /// The name shown for `quantity`: the one set, or else its name split into words at its
    /// capitals ("AbsorbedDose" shows as "Absorbed dose").
    std::string displayName(std::string_view quantity) const;

    /// The unit a result of the non-empty dimension `dimension` is shown in: the reference unit
    /// of the quantity given that dimension first, or else a derived unit made for it once and
    /// kept for the catalogue's life. Its symbol is written from the base quantities' reference
    /// units: factors joined by "·", exponents as superscripts, negative ones after "/" ("kg·m",
    /// "m²/s", "1/s²"). Returns nullptr when kMaxDerivedUnits derived units exist already.
    const Unit* unitOfDimension(const Dimension& dimension) const;
    /// How many derived units may be made.
    static constexpr std::size_t kMaxDerivedUnits = 1000;

private:
    std::string derivedSymbol(const Dimension& dimension) const;

    /// Units by symbol: open addressing over a power-of-two table of pointers, at most half
    /// full, so that loading makes no allocation per unit.
    class SymbolIndex {
    public:
        /// The unit with this symbol, or nullptr.
        Unit* find(std::string_view symbol) const;
        /// The slot for `symbol`: it holds the unit with that symbol, or it is empty and the
        /// unit with that symbol belongs there. Grows the table first when it is half full;
        /// a unit put into an empty slot must be counted with added().
        Unit*& slot(std::string_view symbol);
        void added() { ++count_; }

    private:
        // A slot keeps its symbol's hash: growing moves slots without hashing again, and a look-up
        // compares symbols only when their hashes agree.
        struct Slot {
            std::size_t hash = 0;
            Unit* unit = nullptr;
        };
        /// The slot that holds `symbol`, or the empty slot where it belongs.
        std::size_t locate(std::size_t hash, std::string_view symbol) const;
        std::vector<Slot> slots_;
        std::size_t count_ = 0;
    };

    /// A new unit at the end of the store.
    Unit& newUnit();

    // The units in the order they were entered, in blocks that never move.
    static constexpr std::size_t kUnitsPerBlock = 256;
    std::vector<std::unique_ptr<Unit[]>> unitBlocks_;
    std::size_t unitCount_ = 0;
    // The texts of the units, derived ones included.
    mutable TextArena texts_;
    // The symbol-order view, sorted when first asked for after a unit was entered: loading
    // never needs it.
    mutable std::vector<const Unit*> sortedUnits_;
    mutable bool sorted_ = true;
    QuantityTable quantities_;
    // The quantity that received the last unit: the settings list a quantity's units together.
    QuantityTable::iterator lastQuantity_ = quantities_.end();
    std::vector<Conversion> conversions_;
    // The index for the lookup every input word makes.
    SymbolIndex unitIndex_;

    std::vector<std::string> baseQuantities_;
    std::map<std::string, DisplayChoice, std::less<>> displayChoices_;
    std::map<std::string, std::string, std::less<>> displayNames_;
    std::map<std::string, Dimension, std::less<>> dimensions_;
    // The quantity each dimension is shown in, with the order of its declaration; its reference
    // unit is remembered once it has one.
    struct ShownQuantity {
        std::size_t order = 0;
        std::string quantity;
        mutable const Unit* unit = nullptr;
    };
    std::unordered_map<Dimension, ShownQuantity, DimensionHash> shownQuantity_;
    // Derived units are made while results are worked out, which the catalogue allows as a
    // cache: they never move and are never removed.
    mutable std::deque<Unit> derivedUnits_;
    mutable std::unordered_map<Dimension, const Unit*, DimensionHash> derivedByDimension_;
    mutable std::unordered_map<std::string_view, const Unit*> derivedBySymbol_;
    mutable std::map<std::string, Dimension, std::less<>> derivedDimensions_;
};

}  // namespace quantrel
