// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of evaluateLine on typical input lines against a generated registry of about 300 units.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "core/calculator.h"
#include "settings/unit_registry.h"

namespace {

using quantrel::Calculator;
using quantrel::UnitRegistry;

/// The pieces joined (plain appends keep GCC's -Wrestrict quiet at -O3).
template <typename... Pieces>
std::string join(const Pieces&... pieces) {
    std::string text;
    (text.append(pieces), ...);
    return text;
}

void define(UnitRegistry& registry, const std::string& quantity, const std::string& symbol,
            const std::string& definition) {
    registry.defineUnit(quantity, symbol, symbol, join("Unit ", symbol, " of ", quantity),
                        definition);
}

/// Length (20 units), Time, Mass, Temperature with offsets, Area, Volume, Velocity, and filler
/// quantities of 12 units each, with rules that multiply and divide them: 300 units in all.
std::unique_ptr<UnitRegistry> makeRegistry() {
    auto registry = std::make_unique<UnitRegistry>(5489);
    UnitRegistry& r = *registry;
    define(r, "Length", "m", "1");
    const char* lengths[][2] = {
        {"km", "1000 m"},      {"cm", "0.01 m"},      {"mm", "0.001 m"},
        {"um", "1e-6 m"},      {"nm", "1e-9 m"},      {"dm", "0.1 m"},
        {"mi", "1609.344 m"},  {"yd", "0.9144 m"},    {"ft", "0.3048 m"},
        {"in", "0.0254 m"},    {"nmi", "1852 m"},     {"au", "1.495978707e11 m"},
        {"ly", "9.4607e15 m"}, {"pc", "3.0857e16 m"}, {"fur", "201.168 m"},
        {"ch", "20.1168 m"},   {"rd", "5.0292 m"},    {"pt", "0.000352778 m"},
    };
    for (const auto& [symbol, definition] : lengths)
        define(r, "Length", symbol, definition);
    define(r, "Length", "mil", "0.0000254 m");

    define(r, "Time", "s", "1");
    const char* times[][2] = {{"ms", "0.001 s"}, {"min", "60 s"},    {"h", "3600 s"},
                              {"d", "86400 s"},  {"wk", "604800 s"}, {"yr", "31557600 s"}};
    for (const auto& [symbol, definition] : times)
        define(r, "Time", symbol, definition);

    define(r, "Mass", "kg", "1");
    const char* masses[][2] = {{"g", "0.001 kg"},
                               {"mg", "1e-6 kg"},
                               {"t", "1000 kg"},
                               {"lb", "0.45359237 kg"},
                               {"oz", "0.028349523125 kg"}};
    for (const auto& [symbol, definition] : masses)
        define(r, "Mass", symbol, definition);

    define(r, "Temperature", "K", "1");
    define(r, "Temperature", "degC", "0 degC = 273.15 K");
    define(r, "Temperature", "degF", "32 degF = 273.15 K, 212 degF = 373.15 K");
    define(r, "Temperature", "degR", "0 degR = 0 K, 180 degR = 100 K");

    define(r, "Area", "m2", "1");
    define(r, "Area", "km2", "1e6 m2");
    define(r, "Area", "ha", "1e4 m2");
    define(r, "Volume", "m3", "1");
    define(r, "Volume", "l", "0.001 m3");
    define(r, "Velocity", "mps", "1");
    define(r, "Velocity", "kmh", "1000 / 3600");
    define(r, "Velocity", "mph", "1609.344 / 3600");
    define(r, "Velocity", "kn", "1852 / 3600");

    // Filler quantities until there are 300 units.
    for (int q = 0; r.units().size() + 12 <= 300; ++q) {
        const std::string number = std::to_string(q);
        const std::string quantity = join("Quantity", number);
        const std::string base = join("q", number, "u0");
        define(r, quantity, base, "1");
        for (int u = 1; u < 12; ++u) {
            define(r, quantity, join("q", number, "u", std::to_string(u)),
                   join(std::to_string(u * 10), " ", base));
        }
    }
    for (int u = 0; r.units().size() < 300; ++u)
        define(r, "Mass", join("xm", std::to_string(u)), "2 kg");

    // Rules for the filler quantities first, so the lookups below walk a realistic list.
    for (int q = 0; r.findQuantity(join("Quantity", std::to_string(q + 1))) != nullptr; ++q) {
        const std::string left = join("Quantity", std::to_string(q));
        r.addConversion(join(left, " * Quantity", std::to_string(q + 1)), left);
    }
    r.addConversion("Length * Length", "Area");
    r.addConversion("Area * Length", "Volume");
    r.addConversion("Length / Time", "Velocity");
    return registry;
}

void evaluate(benchmark::State& state, const char* line) {
    Calculator calculator(makeRegistry());
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculator.evaluateLine(line));
    }
    state.SetLabel(join(std::to_string(calculator.registry().units().size()), " units"));
}

void EvaluateSum(benchmark::State& state) {
    evaluate(state, "2 km + 300 m");
}
void EvaluateVelocity(benchmark::State& state) {
    evaluate(state, "5 km / h");
}
void EvaluateArithmetic(benchmark::State& state) {
    evaluate(state, "(1 + 2) * 3 ^ 2 - sqrt 16");
}
void EvaluateTemperature(benchmark::State& state) {
    evaluate(state, "100 degC in degF");
}

BENCHMARK(EvaluateSum);
BENCHMARK(EvaluateVelocity);
BENCHMARK(EvaluateArithmetic);
BENCHMARK(EvaluateTemperature);

}  // namespace
