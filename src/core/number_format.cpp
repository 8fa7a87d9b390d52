#include "core/number_format.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <charconv>
#include <cmath>

namespace quantrel {

std::string formatNumber(long double x) {
    const double value = static_cast<double>(x);
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

namespace {

constexpr int kMaxPower = 300;

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

}  // namespace

std::size_t formattedLength(long double x) {
    const double value = static_cast<double>(x);
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || value == 0) return formatNumber(x).size();
    // The six significant digits m and the decimal exponent e of value = m.mmmmm * 10^e.
    // The decimal exponent from the binary one (log10(2) = 0.30103), corrected below.
    int exponent = static_cast<int>(std::floor(std::ilogb(magnitude) * 0.30102999566398120));
    if (exponent < 6 - kMaxPower || exponent > kMaxPower - 6) return formatNumber(x).size();
    const auto& powers = powersOfTen();
    const auto scale = [&](int e) {
        return magnitude * powers[static_cast<std::size_t>(5 - e + kMaxPower)];
    };
    double scaled = scale(exponent);
    while (scaled < 1e5) scaled = scale(--exponent);
    while (scaled >= 1e6) scaled = scale(++exponent);
    // The scaling is exact to about 1e-10 here; a fraction near one half could round either
    // way, so the exact text decides.
    const double fraction = scaled - std::floor(scaled);
    if (std::fabs(fraction - 0.5) < 1e-6) return formatNumber(x).size();
    auto mantissa = static_cast<long long>(std::floor(scaled + 0.5));
    if (mantissa >= 1000000) {
        mantissa /= 10;
        ++exponent;
    }
    int digits = 6;
    while (digits > 1 && mantissa % 10 == 0) {
        mantissa /= 10;
        --digits;
    }
    std::size_t length = value < 0 ? 1 : 0;
    if (exponent < -4 || exponent >= 6) {
        // d.ddde+XX
        length += static_cast<std::size_t>(digits + (digits > 1 ? 1 : 0) + 2 +
                                           (std::abs(exponent) >= 100 ? 3 : 2));
    } else if (exponent >= 0) {
        const int fractionDigits = std::max(0, digits - (exponent + 1));
        length +=
            static_cast<std::size_t>(exponent + 1 + (fractionDigits > 0 ? 1 + fractionDigits : 0));
    } else {
        // 0.000ddd
        length += static_cast<std::size_t>(2 + (-exponent - 1) + digits);
    }
    return length;
}

}  // namespace quantrel
