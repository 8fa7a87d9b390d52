// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quantrel::cli {

/// The exit status of quantrel-cli.
enum class ExitCode : int { Success = 0, LineFailed = 1, StartupFailed = 2 };

/// A command line that cannot be run: an unknown option, a missing or bad option value, or
/// options that contradict each other. what() is one line without the program name.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What the command line asks for.
struct CliOptions {
    /// The one thing the program does.
    enum class Action { Evaluate, ListUnits, ListFunctions, Help, Version };
    Action action = Action::Evaluate;
    /// The settings directory given with --settings; none means the default directory.
    std::optional<std::filesystem::path> settingsDir;
    /// The seed given with --seed; none means the clock.
    std::optional<std::uint32_t> seed;
    /// --unbuffered: flush the output after every line.
    bool unbuffered = false;
    /// --line-numbers: begin every error message with "line N: ".
    bool lineNumbers = false;
    /// --digits N: significant digits of every result (1 to 18; 6 when not given).
    int digits = 6;
    /// The expressions to evaluate, in order; empty means standard input.
    std::vector<std::string> expressions;
    /// --list-units PATTERN: only the units whose symbol, name, alias or quantity holds it.
    std::optional<std::string> unitPattern;
    /// --list-units --quantity Q: only the units of the quantity Q.
    std::optional<std::string> quantity;
};

/// One option of the command line, as --help and the shell completion show it.
struct OptionSpec {
    std::string_view name;         ///< "--settings"
    std::string_view value;        ///< what it takes ("DIR"), empty for none
    std::string_view description;  ///< one line
    /// What the value is, for the shell completion: "directory", "quantity", or empty (a word).
    std::string_view valueKind;
    /// Whether it stands alone, with no expression: --list-functions, --help and --version.
    bool alone = false;
};

/// Every option, in the order --help lists them.
std::span<const OptionSpec> optionTable();

/// Reads the arguments after the program name. An argument that begins with "--" and a letter is
/// an option wherever it stands, "-h" is --help, "--" ends the options, and every other argument
/// is an expression. Throws UsageError; never prints and never exits.
/// The value of --digits: a whole number from 1 to 18. Throws UsageError otherwise.
int parseDigits(std::string_view text);

CliOptions parseArguments(std::span<const char* const> args);

/// Reads a --seed value: decimal digits only, 0 to 4294967295. Throws UsageError.
std::uint32_t parseSeed(std::string_view text);

/// The text printed by --help.
std::string helpText();

/// The text printed by --version.
std::string versionText();

/// The page the interactive session shows for "help" and "?": its commands, keys and examples.
std::string sessionHelpText();

/// The line an interactive session opens with: "quantrel 1.0.0 — ? for help, Ctrl-D to quit".
std::string bannerText();

/// The one-line hint printed on standard error for bad usage.
std::string usageHint(const UsageError& error);

}  // namespace quantrel::cli
