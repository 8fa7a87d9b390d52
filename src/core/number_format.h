#pragma once

#include <string>

namespace quantrel {

/// The number as printf's %g writes it with precision 6 in the "C" locale, after conversion to
/// double: 0.5, 100, 1.23457e+06, inf, -nan. Independent of the process locale.
std::string formatNumber(long double x);

}  // namespace quantrel
