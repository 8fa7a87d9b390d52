// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop window with the default library: start-up to a shown window, and one hint update
// (the work after a key release: the information line rewritten and the window refitted).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextCursor>

#include <chrono>
#include <cstdlib>

#include "core/calculator.h"
#include "ui/input_line.h"
#include "ui/main_window.h"

namespace {

using quantrel::Calculator;
using quantrel::ui::InputLine;
using quantrel::ui::MainWindow;

/// The time to make the application object, measured once when the program starts.
double applicationMilliseconds = 0;

void WindowStartup(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        MainWindow window(Calculator(QUANTREL_SETTINGS_DIR, 5489u));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("window not exposed");
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["application_ms"] = applicationMilliseconds;
}

void hintUpdate(benchmark::State& state, const char* text) {
    MainWindow window(Calculator(QUANTREL_SETTINGS_DIR, 5489u));
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    auto* input = window.findChild<InputLine*>();
    input->setPlainText(QString::fromUtf8(text));
    input->moveCursor(QTextCursor::End);
    for (auto _ : state)
        window.updateHints();
}

void HintUpdateList(benchmark::State& state) {
    hintUpdate(state, "2 km + s");
}
void HintUpdateDescription(benchmark::State& state) {
    hintUpdate(state, "hypot 3 4 + sqrt ");
}

}  // namespace

BENCHMARK(WindowStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(HintUpdateList)->Unit(benchmark::kMicrosecond);
BENCHMARK(HintUpdateDescription)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QElapsedTimer timer;
    timer.start();
    QApplication application(argc, argv);
    applicationMilliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
