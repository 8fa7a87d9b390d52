// SPDX-License-Identifier: GPL-3.0-or-later
// quantrel-cli: the terminal calculator. Parses the command line, loads the settings, then
// evaluates the arguments, the lines of standard input, or an interactive session.

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <unistd.h>

#include "cli/batch.h"
#include "cli/options.h"
#include "cli/terminal.h"
#include "core/calculator.h"
#include "core/settings_search.h"

namespace {

using quantrel::Calculator;
using namespace quantrel::cli;

std::filesystem::path executablePath(const char* argv0) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return path;
    return argv0 != nullptr ? std::filesystem::path(argv0) : std::filesystem::path();
}

std::optional<Calculator> makeCalculator(const CliOptions& options, const char* argv0) {
    quantrel::SettingsSearch search = quantrel::SettingsSearch::fromEnvironment();
    search.given = options.settingsDir;
    search.executable = executablePath(argv0);
    search.buildDirectory = QUANTREL_BUILD_DIR;
    search.sourceSettings = QUANTREL_SOURCE_SETTINGS;
    try {
        return Calculator(quantrel::settingsDirectories(search), options.seed);
    } catch (const quantrel::Error& error) {
        std::cerr << error.message() << '\n';
        if (const std::string location = error.locationText(); !location.empty()) {
            std::cerr << "  " << location << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "quantrel-cli: " << error.what() << '\n';
    }
    return std::nullopt;
}

ExitCode run(int argc, char** argv) {
    CliOptions options;
    try {
        options = parseArguments(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
    } catch (const UsageError& error) {
        std::cerr << usageHint(error);
        return ExitCode::StartupFailed;
    }
    if (options.action == CliOptions::Action::Help) {
        std::cout << helpText();
        return ExitCode::Success;
    }
    if (options.action == CliOptions::Action::Version) {
        std::cout << versionText();
        return ExitCode::Success;
    }

    std::optional<Calculator> calculator = makeCalculator(options, argc > 0 ? argv[0] : nullptr);
    if (!calculator) return ExitCode::StartupFailed;
    calculator->setNumberFormat(quantrel::NumberFormat(options.digits));

    switch (options.action) {
        case CliOptions::Action::ListUnits:
            return listUnits(*calculator, std::cout, std::cerr,
                             {options.unitPattern, options.quantity})
                       ? ExitCode::Success
                       : ExitCode::LineFailed;
        case CliOptions::Action::ListFunctions:
            listFunctions(*calculator, std::cout);
            return ExitCode::Success;
        default:
            break;
    }
    const bool flushEveryLine = options.unbuffered || ::isatty(STDOUT_FILENO) != 0;
    if (!options.expressions.empty()) {
        return runExpressions(*calculator, options.expressions, std::cout, std::cerr,
                              flushEveryLine, options.lineNumbers);
    }
    if (::isatty(STDIN_FILENO) != 0) return runTerminalSession(*calculator);
    // Reading a line would flush the output first; runLines flushes where the order needs it.
    std::cin.tie(nullptr);
    return runLines(*calculator, std::cin, std::cout, std::cerr, flushEveryLine,
                    options.lineNumbers);
}

}  // namespace

int main(int argc, char** argv) {
    // The standard streams are used only through iostreams; unsynchronised they buffer freely.
    std::ios::sync_with_stdio(false);
    ExitCode code = run(argc, argv);
    std::cout.flush();
    if (!std::cout) {
        // A full disk or a closed output must not pass for success.
        std::cerr << "quantrel-cli: cannot write the output\n";
        if (code == ExitCode::Success) code = ExitCode::LineFailed;
    }
    return static_cast<int>(code);
}
