// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

#include "core/calculator.h"

namespace quantrel::fuzz {

/// One calculator over the default library for the whole fuzzing run.
inline Calculator& defaultCalculator() {
    static auto instance = std::make_unique<Calculator>(QUANTREL_SETTINGS_DIR, 5489u);
    return *instance;
}

}  // namespace quantrel::fuzz
