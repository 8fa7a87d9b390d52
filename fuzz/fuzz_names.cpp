// Asks the name queries of the hint line about arbitrary prefixes and names.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/calculator.h"
#include "core/error.h"
#include "syntax/tokenizer.h"

namespace {

quantrel::Calculator& calculator() {
    static auto instance = std::make_unique<quantrel::Calculator>(QUANTREL_SETTINGS_DIR, 5489u);
    return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quantrel::Calculator& calc = calculator();
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
