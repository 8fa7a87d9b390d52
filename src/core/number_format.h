// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <string>

namespace quantrel {

/// How the calculator writes numbers: printf's %g with a precision (significant digits) in the
/// "C" locale, after conversion to double: 0.5, 100, 1.23457e+06, inf, -nan. Writing a number
/// and measuring its text share one decimal decomposition and one choice of layout. Independent
/// of the process locale.
class NumberFormat {
public:
    static constexpr int kDefaultPrecision = 6;
    static constexpr int kMinPrecision = 1;
    static constexpr int kMaxPrecision = 18;

    /// A format with `precision` significant digits, clamped to [kMinPrecision, kMaxPrecision].
    explicit NumberFormat(int precision = kDefaultPrecision);

    int precision() const { return precision_; }
    /// The text of `x`.
    std::string format(long double x) const;
    /// The length of format(x), without building the string.
    std::size_t length(long double x) const;

    /// The length of format(x), and whether that text is x itself rather than a rounding of it
    /// (to a relative 1e-9, so that the error of binary fractions does not count).
    struct Measure {
        std::size_t length = 0;
        bool exact = true;
    };
    Measure measure(long double x) const;
    /// The number format(x) writes, as a number: x rounded to the precision (to the accuracy of
    /// a double), so that 59.9999999 at six digits is 60.
    long double rounded(long double x) const;

    /// A length the default format's text of x never falls short of, told from the magnitude
    /// alone, without working out digits: it lets a search for the shortest text pass over
    /// hopeless numbers cheaply. Among plain numbers it only grows away from 1 on either side.
    static std::size_t minimumLength(long double x);
    /// Whether the default format writes `x` without an exponent (0.0001 to 999999, zero, and
    /// the texts of infinities and NaN), told from the magnitude alone.
    static bool isPlain(long double x);

    friend bool operator==(const NumberFormat&, const NumberFormat&) = default;

private:
    static constexpr std::size_t kBufferSize = 48;
    int precision_;
};

// The display choice asks these two for every unit it looks at: inline.
inline bool NumberFormat::isPlain(long double x) {
    // Six significant digits of the double the text is written from: from 9.999995e-05 (the
    // double nearest to it lies above it) the text rounds to 0.0001, and from 999999.5 to 1e+06.
    const double magnitude = std::fabs(static_cast<double>(x));
    return !std::isfinite(magnitude) || magnitude == 0 ||
           (magnitude >= 9.999995e-05 && magnitude < 999999.5);
}

inline std::size_t NumberFormat::minimumLength(long double x) {
    const double value = static_cast<double>(x);
    const double magnitude = std::fabs(value);
    if (!(magnitude < std::numeric_limits<double>::infinity())) return 0;  // inf, nan
    if (magnitude == 0) return 1;
    const std::size_t sign = value < 0 ? 1 : 0;
    if (!isPlain(x)) return sign + 5;  // "1e+06", "1e-05"
    if (magnitude < 1) {
        // "0.", the zeros after the point and a digit, unless the number rounds up to "1". Six
        // digits move a number by less than a relative 1e-5, which may save a zero.
        const double most = magnitude * (1 + 1e-5);
        if (most >= 1) return sign + 1;
        std::size_t length = 3;
        for (const double bound : {0.1, 0.01, 0.001}) {
            if (most < bound) ++length;
        }
        return sign + length;
    }
    // The whole digits, which rounding never removes.
    std::size_t digits = 1;
    for (double bound = 10; magnitude >= bound; bound *= 10)
        ++digits;
    return sign + digits;
}

/// The text of `x` with the default format: NumberFormat().format(x).
std::string formatNumber(long double x);

}  // namespace quantrel
