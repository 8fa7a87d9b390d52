// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

#include "eval/function.h"

namespace quantrel {

class RandomGenerator;

/// The 25 built-in functions in the order they are entered: sqrt ... floor, then rnd, which
/// draws from `generator`.
std::vector<Function> builtinFunctions(RandomGenerator& generator);

}  // namespace quantrel
