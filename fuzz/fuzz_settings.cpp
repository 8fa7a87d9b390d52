// Loads a settings directory holding one file with arbitrary bytes, then evaluates a few lines
// against whatever loaded.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/calculator.h"
#include "core/error.h"

namespace {

const std::filesystem::path& directory() {
    static const std::filesystem::path path = [] {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("quantrel-fuzz-settings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(directory() / "fuzzed.xml", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        quantrel::Calculator calc(directory(), 5489u);
        for (const char* line : {"1", "2 m + 3 m", "f 2", "ans * 2", "1 x in y"}) {
            try {
                calc.evaluateLine(line);
            } catch (const quantrel::Error&) {
            }
        }
    } catch (const quantrel::Error& error) {
        (void)error.message();
    }
    return 0;
}
