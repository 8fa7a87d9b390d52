// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator with the default unit library of settings/: line evaluation (with the number of
// heap allocations per line) and start-up (loading the library).

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "core/calculator.h"
#include "settings/unit_registry.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counts every allocation of this program; the benchmarks report them per line. The replaced
// operators pair malloc with free, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

void evaluateWithLibrary(benchmark::State& state, const char* line) {
    quantrel::Calculator calculator(QUANTREL_SETTINGS_DIR, 5489u);
    calculator.evaluateLine(line);  // warm the node pool
    const long before = allocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator.evaluateLine(line));
    state.counters["allocations/line"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations()));
}

void LibraryConversionToTarget(benchmark::State& state) {
    evaluateWithLibrary(state, "5 km in mi");
}
void LibrarySumChoosingDisplayUnit(benchmark::State& state) {
    evaluateWithLibrary(state, "2 km + 300 m");
}
void LibraryTemperature(benchmark::State& state) {
    evaluateWithLibrary(state, "100 degC in degF");
}
void LibraryFunctionCall(benchmark::State& state) {
    evaluateWithLibrary(state, "hypot (3 m / 1 m) 4 + sin(30 deg)");
}

void LibraryStartup(benchmark::State& state) {
    for (auto _ : state) {
        quantrel::Calculator calculator(QUANTREL_SETTINGS_DIR, 5489u);
        benchmark::DoNotOptimize(calculator.registry().units().size());
    }
}

}  // namespace

BENCHMARK(LibraryConversionToTarget);
BENCHMARK(LibrarySumChoosingDisplayUnit);
BENCHMARK(LibraryTemperature);
BENCHMARK(LibraryFunctionCall);
BENCHMARK(LibraryStartup)->Unit(benchmark::kMillisecond);
