#include "core/number_format.h"

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

}  // namespace quantrel
