// SPDX-License-Identifier: GPL-3.0-or-later
// Loads settings made of one file with arbitrary bytes, held in memory, then evaluates a few
// lines against whatever loaded.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/settings_loader.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quantrel::MemorySource source;
    source.add("fuzz/fuzzed.xml", std::string(reinterpret_cast<const char*>(data), size));
    try {
        auto registry = std::make_unique<quantrel::UnitRegistry>(5489u);
        quantrel::loadSettings(*registry, source);
        quantrel::Calculator calc(std::move(registry));
        for (const char* line : {"1", "2 m + 3 m", "f 2", "ans * 2", "1 x in y"}) {
            try {
                calc.evaluateLine(line);
            } catch (const quantrel::Error&) {
            }
        }
    } catch (const quantrel::Error& error) {
        (void)error.message();
        (void)error.locationText();
    }
    return 0;
}
