// SPDX-License-Identifier: GPL-3.0-or-later
// Asks the name queries of the hint line about arbitrary prefixes and names.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/unit_registry.h"
#include "default_calculator.h"
#include "syntax/tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quantrel::Calculator& calc = quantrel::fuzz::defaultCalculator();
    for (const std::string& name : calc.completions(text)) {
        if (calc.describe(name).kind == quantrel::HintKind::None) __builtin_trap();
    }
    (void)calc.describe(text);
    try {
        (void)quantrel::tokenize(calc.registry(), text);
    } catch (const quantrel::Error&) {
    }
    return 0;
}
