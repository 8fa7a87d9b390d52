#pragma once

namespace quantrel {

class UnitRegistry;

/// Enters the 25 built-in functions (sqrt ... floor, then rnd) into the registry's function
/// table. rnd draws from the registry's random generator.
void addBuiltinFunctions(UnitRegistry& registry);

}  // namespace quantrel
