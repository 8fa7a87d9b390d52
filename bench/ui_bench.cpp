// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop window with the default library: start-up to a shown window (with a history of
// 1000 calculations), the work after one key (live result and hint), and the side-effect-free
// evaluation behind the live result alone. Runs on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise; settings and history go to a temporary directory.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTest>
#include <QTextCursor>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/calculator.h"
#include "ui/history.h"
#include "ui/input_line.h"
#include "ui/main_window.h"

namespace {

using quantrel::Calculator;
using quantrel::ui::HistoryEntry;
using quantrel::ui::InputLine;
using quantrel::ui::MainWindow;

/// The time to make the application object, measured once when the program starts.
double applicationMilliseconds = 0;
/// A history file of kMaxEntries calculations, written once when the program starts.
std::filesystem::path historyFile;

void writeHistory(const std::filesystem::path& path) {
    std::deque<HistoryEntry> entries;
    for (std::size_t i = 0; i < quantrel::ui::History::kMaxEntries; ++i) {
        entries.push_back(i % 10 == 9 ? HistoryEntry{"2 km + 3 kg",
                                                     "Math: No conversion found "
                                                     "for Length and Mass",
                                                     true}
                                      : HistoryEntry{std::to_string(i) + " mph in km/h",
                                                     std::to_string(i) + ".6 km/h", false});
    }
    if (const auto failure = quantrel::ui::saveHistory(path, entries)) std::abort();
}

void WindowStartup(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        MainWindow window(Calculator(QUANTREL_SETTINGS_DIR, 5489u), {}, historyFile);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) state.SkipWithError("window not exposed");
        const auto end = std::chrono::steady_clock::now();
        if (window.history().entries().size() != quantrel::ui::History::kMaxEntries) {
            state.SkipWithError("history not loaded");
        }
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

/// Everything one key in the input line costs: the text changes (the live result is worked out
/// and shown) and the hint follows the caret. The texts alternate as typing and deleting the
/// last character would.
void LiveResultPerKey(benchmark::State& state) {
    MainWindow window(Calculator(QUANTREL_SETTINGS_DIR, 5489u));
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    auto* input = window.findChild<InputLine*>();
    const QString texts[] = {QStringLiteral("60 mph * 2.5 h in km"),
                             QStringLiteral("60 mph * 2.5 h in k")};
    std::size_t i = 0;
    for (auto _ : state) {
        input->setPlainText(texts[i++ % 2]);  // the live result follows the text
        input->moveCursor(QTextCursor::End);
        window.updateHints();
    }
}

/// The side-effect-free evaluation alone, for a few typical lines.
void Preview(benchmark::State& state) {
    const Calculator calculator(QUANTREL_SETTINGS_DIR, 5489u);
    const char* lines[] = {"2 km + 300 m", "60 mph in km/h", "100000 s in d + h + min + s",
                           "sqrt(2) * 3 m"};
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator.preview(lines[i++ % 4]));
}

}  // namespace

BENCHMARK(WindowStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(HintUpdateList)->Unit(benchmark::kMicrosecond);
BENCHMARK(HintUpdateDescription)->Unit(benchmark::kMicrosecond);
BENCHMARK(LiveResultPerKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(Preview)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("quantrel-ui-bench-" + std::to_string(getpid()));
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    historyFile = scratch / "state" / "quantrel" / "window-history";
    writeHistory(historyFile);
    QElapsedTimer timer;
    timer.start();
    QApplication application(argc, argv);
    applicationMilliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QCoreApplication::setOrganizationName(QStringLiteral("quantrel-bench"));
    QCoreApplication::setApplicationName(QStringLiteral("quantrel-bench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return 0;
}
