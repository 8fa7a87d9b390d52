// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluates arbitrary bytes as input lines against the default unit library. Each input is
// split at line feeds, so one run also exercises ans across lines.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "core/calculator.h"
#include "default_calculator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    quantrel::Calculator& calc = quantrel::fuzz::defaultCalculator();
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        try {
            calc.evaluateLine(line);
        } catch (const quantrel::Error& error) {
            (void)error.message(line);
            (void)quantrel::highlightSpan(error, line);
        }
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    return 0;
}
