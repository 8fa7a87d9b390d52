// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string_view>

namespace quantrel {
namespace {

/// A finite, non-zero magnitude as its significant decimal digits, rounded to the precision with
/// trailing zeros removed (a whole number of `digitCount` digits, at least one), and the decimal
/// exponent of the first digit: 1234.5 at four digits is 1235 and 3.
struct Decimal {
    std::uint64_t digits = 0;
    int digitCount = 0;
    int exponent = 0;
};

constexpr int kMaxPower = 300;
/// The fast decomposition works in doubles up to this many digits; beyond it, or near a rounding
/// tie, the exact one decides.
constexpr int kFastDigits = 9;

/// 10^k for k in [-kMaxPower, kMaxPower], correctly rounded.
const std::array<double, 2 * kMaxPower + 1>& powersOfTen() {
    static const auto table = [] {
        std::array<double, 2 * kMaxPower + 1> powers{};
        for (int k = -kMaxPower; k <= kMaxPower; ++k) {
            powers[static_cast<std::size_t>(k + kMaxPower)] = std::pow(10.0, k);
        }
        return powers;
    }();
    return table;
}

void stripTrailingZeros(Decimal& decimal) {
    while (decimal.digitCount > 1 && decimal.digits % 10 == 0) {
        decimal.digits /= 10;
        --decimal.digitCount;
    }
}

/// The digits from a scaled multiplication; false when the result could be off by one in the
/// last digit (a fraction near one half) or the exponent is out of the table's range.
bool fastDecimal(double magnitude, int precision, Decimal& decimal) {
    if (precision > kFastDigits) return false;
    int exponent = static_cast<int>(std::floor(std::ilogb(magnitude) * 0.30102999566398120));
    if (exponent < precision - kMaxPower || exponent > kMaxPower - precision) return false;
    const auto& powers = powersOfTen();
    const auto scale = [&](int e) {
        return magnitude * powers[static_cast<std::size_t>(precision - 1 - e + kMaxPower)];
    };
    const double low = powers[static_cast<std::size_t>(precision - 1 + kMaxPower)];
    const double high = powers[static_cast<std::size_t>(precision + kMaxPower)];
    double scaled = scale(exponent);
    while (scaled < low)
        scaled = scale(--exponent);
    while (scaled >= high)
        scaled = scale(++exponent);
    // The scaling is exact to far better than 1e-6 here; a fraction that near one half could
    // round either way.
    const double fraction = scaled - std::floor(scaled);
    if (std::fabs(fraction - 0.5) < 1e-6) return false;
    double rounded = std::floor(scaled + 0.5);
    if (rounded >= high) {
        rounded = low;
        ++exponent;
    }
    decimal.digits = static_cast<std::uint64_t>(rounded);
    decimal.digitCount = precision;
    decimal.exponent = exponent;
    return true;
}

/// The digits as the standard library rounds them: d.ddde±XX.
void exactDecimal(double magnitude, int precision, Decimal& decimal) {
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                      std::chars_format::scientific, precision - 1);
    const char* p = text;
    decimal.digits = 0;
    decimal.digitCount = 0;
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p == '.') continue;
        decimal.digits = decimal.digits * 10 + static_cast<std::uint64_t>(*p - '0');
        ++decimal.digitCount;
    }
    int exponent = 0;
    if (p != result.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent);
    decimal.exponent = exponent;
}

/// The decimal form of a finite, non-zero magnitude at `precision` digits.
Decimal decompose(double magnitude, int precision) {
    Decimal decimal;
    if (!fastDecimal(magnitude, precision, decimal)) exactDecimal(magnitude, precision, decimal);
    stripTrailingZeros(decimal);
    return decimal;
}

/// Whether %g writes the number with an exponent: below 1e-4, or at or above 10^precision.
bool isScientific(const Decimal& decimal, int precision) {
    return decimal.exponent < -4 || decimal.exponent >= precision;
}

int exponentDigits(int exponent) {
    const int absolute = std::abs(exponent);
    return absolute >= 100 ? 3 : 2;
}

/// The length of the text writeDecimal produces, from the same decomposition.
std::size_t decimalLength(const Decimal& decimal, int precision) {
    const int count = decimal.digitCount;
    const int exponent = decimal.exponent;
    int length = 0;
    if (isScientific(decimal, precision)) {
        length = count + (count > 1 ? 1 : 0) + 2 + exponentDigits(exponent);  // d.ddde+XX
    } else if (exponent >= 0) {
        length = std::max(count, exponent + 1) + (count > exponent + 1 ? 1 : 0);  // ddd.dd
    } else {
        length = 2 + (-exponent - 1) + count;  // 0.000ddd
    }
    return static_cast<std::size_t>(length);
}

/// Writes the digits and returns the end of the text.
char* writeDecimal(const Decimal& decimal, int precision, char* out) {
    char digits[24];
    std::uint64_t rest = decimal.digits;
    for (int i = decimal.digitCount - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    const int count = decimal.digitCount;
    const int exponent = decimal.exponent;
    if (isScientific(decimal, precision)) {
        *out++ = digits[0];
        if (count > 1) *out++ = '.';
        for (int i = 1; i < count; ++i)
            *out++ = digits[i];
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        int absolute = std::abs(exponent);
        if (absolute >= 100) {
            *out++ = static_cast<char>('0' + absolute / 100);
            absolute %= 100;
        }
        *out++ = static_cast<char>('0' + absolute / 10);
        *out++ = static_cast<char>('0' + absolute % 10);
    } else if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            *out++ = i < count ? digits[i] : '0';
        if (count > exponent + 1) *out++ = '.';
        for (int i = exponent + 1; i < count; ++i)
            *out++ = digits[i];
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -exponent - 1; ++i)
            *out++ = '0';
        for (int i = 0; i < count; ++i)
            *out++ = digits[i];
    }
    return out;
}

/// The text of a number that is zero, infinite or not a number, with its sign; none otherwise.
std::string_view specialText(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return std::signbit(value) ? "-0" : "0";
    return {};
}

}  // namespace

NumberFormat::NumberFormat(int precision)
    : precision_(std::clamp(precision, kMinPrecision, kMaxPrecision)) {}

std::string NumberFormat::format(long double x) const {
    const double value = static_cast<double>(x);
    if (const std::string_view special = specialText(value); !special.empty()) {
        return std::string(special);
    }
    char buffer[kBufferSize];
    char* out = buffer;
    if (value < 0) *out++ = '-';
    out = writeDecimal(decompose(std::fabs(value), precision_), precision_, out);
    return std::string(buffer, out);
}

std::size_t NumberFormat::length(long double x) const {
    const double value = static_cast<double>(x);
    if (const std::string_view special = specialText(value); !special.empty()) {
        return special.size();
    }
    return (value < 0 ? 1 : 0) + decimalLength(decompose(std::fabs(value), precision_), precision_);
}

namespace {

/// The value of a decomposition, digits times a power of ten: from the table, which is much
/// faster than pow and exact enough for a tolerance of 1e-9; pow only outside its range.
long double decimalValue(const Decimal& decimal) {
    const int power = decimal.exponent - (decimal.digitCount - 1);
    const long double scale = power >= -kMaxPower && power <= kMaxPower
                                  ? powersOfTen()[static_cast<std::size_t>(power + kMaxPower)]
                                  : std::pow(10.0L, power);
    return static_cast<long double>(decimal.digits) * scale;
}

}  // namespace

NumberFormat::Measure NumberFormat::measure(long double x) const {
    const double value = static_cast<double>(x);
    if (const std::string_view special = specialText(value); !special.empty()) {
        return {special.size(), true};
    }
    const double magnitude = std::fabs(value);  // the number the text is written from
    const Decimal decimal = decompose(magnitude, precision_);
    return {(value < 0 ? 1 : 0) + decimalLength(decimal, precision_),
            std::fabs(decimalValue(decimal) - magnitude) <= 1e-9L * magnitude};
}

long double NumberFormat::rounded(long double x) const {
    const double value = static_cast<double>(x);
    if (!specialText(value).empty()) return value;
    const long double magnitude = decimalValue(decompose(std::fabs(value), precision_));
    return value < 0 ? -magnitude : magnitude;
}

std::string formatNumber(long double x) {
    return NumberFormat().format(x);
}

}  // namespace quantrel
