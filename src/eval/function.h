// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "eval/node.h"

namespace quantrel {

/// A callable: built-in or from the settings.
struct Function {
    NodePtr body;
    std::string name;
    int argumentCount = 0;
    std::string parameters;  ///< parameter text shown in hints
    std::string description;
    bool drawsRandom = false;  ///< the body draws random numbers, directly or through calls
    /// Work per evaluation of the body: its own node evaluations, and how often it evaluates
    /// each parameter's argument.
    double baseCost = 1;
    std::vector<double> parameterUses;
};

}  // namespace quantrel
