// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of loading a settings directory: units (1000 or 10000), 100 conversion rules and 100
// functions, spread over three files that load in name order.

#include "settings/settings_loader.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/error.h"
#include "settings/unit_registry.h"

namespace {

constexpr int kUnitsPerQuantity = 10;
constexpr int kConversions = 100;
constexpr int kFunctions = 100;

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string quantityName(int quantity) {
    return "Quantity" + std::to_string(quantity);
}

/// Writes a settings directory with `unitCount` units and returns its path. Every quantity has a
/// reference unit "1" and further units defined from it, some with offsets or two pairs.
std::filesystem::path writeSettings(int unitCount) {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() /
        ("quantrel-bench-" + std::to_string(::getpid()) + "-" + std::to_string(unitCount));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);

    const int quantities = unitCount / kUnitsPerQuantity;
    std::string units = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n<Units>\n";
    for (int q = 0; q < quantities; ++q) {
        units += "  <Quantity Name=\"" + quantityName(q) + "\">\n";
        const std::string reference = "u" + std::to_string(q) + "_0";
        for (int u = 0; u < kUnitsPerQuantity; ++u) {
            const std::string symbol = "u" + std::to_string(q) + "_" + std::to_string(u);
            std::string definition;
            if (u == 0) {
                definition = "1";
            } else if (u % 5 == 1) {
                definition = "0 " + symbol + " = 273.15 " + reference;
            } else if (u % 5 == 2) {
                definition = "32 " + symbol + " = 273.15 " + reference + ", 212 " + symbol +
                             " = 373.15 " + reference;
            } else {
                definition = std::to_string(u * 1000) + " " + reference;
            }
            units += "    <Unit Symbol=\"" + symbol + "\" Name=\"unit " + symbol +
                     "\" Description=\"Unit " + std::to_string(u) + " of " + quantityName(q) +
                     "\">" + definition + "</Unit>\n";
        }
        units += "  </Quantity>\n";
    }
    units += "</Units>\n</Settings>\n";
    writeFile(directory / "1-units.xml", units);

    std::string conversions = "<Settings>\n<Conversions>\n";
    for (int i = 0; i < kConversions; ++i) {
        const int left = i % quantities;
        const int right = (i * 7 + 3) % quantities;
        const int result = (i * 13 + 5) % quantities;
        conversions += "  <Conversion Formula=\"" + quantityName(left) +
                       (i % 2 == 0 ? " * " : " / ") + quantityName(right) + "\" Result=\"" +
                       quantityName(result) + "\"/>\n";
    }
    conversions += "</Conversions>\n</Settings>\n";
    writeFile(directory / "2-conversions.xml", conversions);

    std::string functions = "<Settings>\n<Functions>\n";
    for (int i = 0; i < kFunctions; ++i) {
        const std::string name = "f" + std::to_string(i);
        std::string body = "sqrt(x * x + y * y) + 2 * " + std::to_string(i);
        if (i > 0) body += " + f" + std::to_string(i - 1) + " x 1";
        functions += "  <Function Name=\"" + name +
                     "\" Parameters=\"x y\" Description=\"Function number " + std::to_string(i) +
                     "\">" + body + "</Function>\n";
    }
    functions += "</Functions>\n</Settings>\n";
    writeFile(directory / "3-functions.xml", functions);
    return directory;
}

/// The generated directories, written once and removed when the program ends.
class SettingsDirectories {
public:
    ~SettingsDirectories() {
        for (const auto& [count, path] : paths_) {
            std::error_code error;
            std::filesystem::remove_all(path, error);
        }
    }
    const std::filesystem::path& get(int unitCount) {
        auto found = paths_.find(unitCount);
        if (found == paths_.end())
            found = paths_.emplace(unitCount, writeSettings(unitCount)).first;
        return found->second;
    }

private:
    std::map<int, std::filesystem::path> paths_;
};

SettingsDirectories directories;

void BM_LoadSettings(benchmark::State& state) {
    const int unitCount = static_cast<int>(state.range(0));
    const std::filesystem::path& directory = directories.get(unitCount);
    for (auto _ : state) {
        auto registry = std::make_unique<quantrel::UnitRegistry>(5489);
        try {
            quantrel::loadSettings(*registry, directory);
        } catch (const quantrel::Error& error) {
            state.SkipWithError(error.message().c_str());
            break;
        }
        if (registry->units().size() != static_cast<std::size_t>(unitCount)) {
            state.SkipWithError("not every unit was loaded");
            break;
        }
        benchmark::DoNotOptimize(registry);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * unitCount);
}
BENCHMARK(BM_LoadSettings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
