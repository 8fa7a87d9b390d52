#pragma once

#include <cstddef>
#include <string>

namespace quantrel {

/// The number as printf's %g writes it with precision 6 in the "C" locale, after conversion to
/// double: 0.5, 100, 1.23457e+06, inf, -nan. Independent of the process locale.
std::string formatNumber(long double x);

/// The length of formatNumber(x), computed without writing the text where that is safe.
std::size_t formattedLength(long double x);

}  // namespace quantrel
