// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace quantrel::cli {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isOption(std::string_view argument) {
    return argument.size() > 2 && argument.starts_with("--") && isAsciiLetter(argument[2]);
}

void setAction(CliOptions& options, CliOptions::Action action) {
    using Action = CliOptions::Action;
    // --help and --version answer whatever else the line says; the two listings exclude each other.
    if (options.action == Action::Help || options.action == Action::Version) return;
    if (action == Action::Help || action == Action::Version) {
        options.action = action;
        return;
    }
    if (options.action != Action::Evaluate && options.action != action) {
        throw UsageError("--list-units and --list-functions cannot be combined");
    }
    options.action = action;
}

}  // namespace

std::uint32_t parseSeed(std::string_view text) {
    const auto bad = [&text]() {
        return UsageError("--seed needs a whole number from 0 to 4294967295, not '" +
                          std::string(text) + "'");
    };
    if (text.empty()) throw bad();
    for (const char c : text) {
        if (c < '0' || c > '9') throw bad();
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() ||
        value > std::numeric_limits<std::uint32_t>::max()) {
        throw bad();
    }
    return static_cast<std::uint32_t>(value);
}

int parseDigits(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > 18) {
        throw UsageError("--digits needs a whole number from 1 to 18, not '" + std::string(text) +
                         "'");
    }
    return value;
}

CliOptions parseArguments(std::span<const char* const> args) {
    using Action = CliOptions::Action;
    CliOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view argument = args[i] != nullptr ? args[i] : "";
        if (optionsEnded) {
            options.expressions.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h") {
            setAction(options, Action::Help);
            continue;
        }
        if (!isOption(argument)) {
            options.expressions.emplace_back(argument);
            continue;
        }

        // "--name=value" and "--name value" both work for options that take a value.
        std::string_view name = argument;
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        const auto takeValue = [&]() -> std::string_view {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size() || args[i + 1] == nullptr) {
                throw UsageError(std::string(name) + " needs a value");
            }
            return args[++i];
        };
        const auto noValue = [&]() {
            if (inlineValue) throw UsageError(std::string(name) + " takes no value");
        };

        if (name == "--settings") {
            const std::string_view value = takeValue();
            if (value.empty()) throw UsageError("--settings needs a directory");
            options.settingsDir = std::filesystem::path(value);
        } else if (name == "--seed") {
            options.seed = parseSeed(takeValue());
        } else if (name == "--digits") {
            options.digits = parseDigits(takeValue());
        } else if (name == "--unbuffered") {
            noValue();
            options.unbuffered = true;
        } else if (name == "--line-numbers") {
            noValue();
            options.lineNumbers = true;
        } else if (name == "--list-units") {
            noValue();
            setAction(options, Action::ListUnits);
        } else if (name == "--list-functions") {
            noValue();
            setAction(options, Action::ListFunctions);
        } else if (name == "--help") {
            noValue();
            setAction(options, Action::Help);
        } else if (name == "--version") {
            noValue();
            setAction(options, Action::Version);
        } else {
            throw UsageError("unknown option '" + std::string(name) + "'");
        }
    }
    if ((options.action == Action::ListUnits || options.action == Action::ListFunctions) &&
        !options.expressions.empty()) {
        throw UsageError("a listing takes no expressions");
    }
    return options;
}

std::string helpText() {
    return "Usage: quantrel-cli [--settings DIR] [--seed N] [--digits N] [--unbuffered]\n"
           "                    [--line-numbers] [EXPRESSION ...]\n"
           "       quantrel-cli --list-units | --list-functions | --help | --version\n"
           "\n"
           "Evaluates expressions with units of measure, for example \"2 km + 300 m\" or\n"
           "\"5 km / h in mps\". Each EXPRESSION is one line; without expressions the lines\n"
           "come from standard input: an interactive session on a terminal (Tab completes\n"
           "a name, ?name describes it, \"quit\", \"exit\" or Ctrl-D ends), otherwise every\n"
           "line that is not blank or a comment (first non-blank character #).\n"
           "\"ans\" is the previous result.\n"
           "\n"
           "Options:\n"
           "  --settings DIR     read units and functions from the *.xml files in DIR\n"
           "  --seed N           seed the random numbers with N (0 to 4294967295)\n"
           "  --digits N         show results with N significant digits (1 to 18, default 6)\n"
           "  --unbuffered       flush the output after every line\n"
           "  --line-numbers     begin each error message with \"line N: \", N counting the\n"
           "                     input lines (or the expressions) from 1\n"
           "  --list-units       list the units: symbol, name, quantity, description\n"
           "  --list-functions   list the functions: name, parameters, description\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
           "  --                 treat every later argument as an expression\n"
           "\n"
           "Exit status: 0 when every line succeeded, 1 when a line failed or the output\n"
           "could not be written, 2 when start-up failed (bad usage or a settings error).\n";
}

std::string versionText() {
    return std::string("quantrel-cli ") + QUANTREL_VERSION + "\n";
}

std::string bannerText() {
    return std::string("quantrel ") + QUANTREL_VERSION + " \u2014 ? for help, Ctrl-D to quit\n";
}

std::string usageHint(const UsageError& error) {
    return std::string("quantrel-cli: ") + error.what() + " (see quantrel-cli --help)\n";
}

}  // namespace quantrel::cli
