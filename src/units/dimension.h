// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quantrel {

/// A dimension: the exponent of each base quantity, the bases numbered in the order the settings
/// declare them. The empty dimension is that of a plain number.
class Dimension {
public:
    /// How many base quantities the settings may declare.
    static constexpr int kMaxBases = 16;
    /// The largest exponent a dimension may have, either way.
    static constexpr int kMaxExponent = 120;

    /// The empty dimension.
    Dimension() = default;
    /// The dimension of base quantity `index` (0 <= index < kMaxBases).
    static Dimension base(int index);

    bool isEmpty() const { return exponents_ == decltype(exponents_){}; }
    int exponent(int base) const { return exponents_[static_cast<std::size_t>(base)]; }

    /// The dimension of a product, a quotient and a whole power; none when an exponent would
    /// leave [-kMaxExponent, kMaxExponent].
    std::optional<Dimension> times(const Dimension& other) const;
    std::optional<Dimension> over(const Dimension& other) const;
    std::optional<Dimension> power(long double n) const;
    /// The dimension whose n-th power this is; none when n is not a whole number other than 0
    /// or an exponent is not a multiple of n.
    std::optional<Dimension> root(long double n) const;

    friend bool operator==(const Dimension&, const Dimension&) = default;
    std::size_t hash() const;

private:
    /// Exponents are small: one byte each, so that a dimension is two machine words.
    std::array<std::int8_t, kMaxBases> exponents_{};
};

struct DimensionHash {
    std::size_t operator()(const Dimension& dimension) const { return dimension.hash(); }
};

/// What reading a dimension expression gave.
struct DimensionReading {
    std::optional<Dimension> dimension;  ///< set on success
    std::string unknownName;             ///< the first name the resolver did not know
    bool malformed = false;              ///< the text does not fit the grammar
    bool outOfRange = false;             ///< an exponent leaves the allowed range
};

/// Reads a dimension expression: quantity names and "1" joined by "*" and "/", each optionally
/// raised with "^" to a whole number (which may be negative), with parentheses:
/// "Length / Time ^ 2", "Mass * Acceleration", "1 / Time". `resolve` gives the dimension of a
/// name, or none when it has none (yet).
DimensionReading readDimension(std::string_view text,
                               const std::function<const Dimension*(std::string_view)>& resolve);

}  // namespace quantrel
