// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>

#include "cli/safe_text.h"

namespace quantrel::cli {

namespace {

constexpr OptionSpec kOptions[] = {
    {"--settings", "DIR", "read units and functions from the *.xml files in DIR", "directory"},
    {"--seed", "N", "seed the random numbers with N (0 to 4294967295)", ""},
    {"--digits", "N", "show results with N significant digits (1 to 18, default 6)", ""},
    {"--unbuffered", "", "flush the output after every line", ""},
    {"--line-numbers", "", "begin error messages with \"line N: \", N counting from 1", ""},
    {"--list-units", "", "list the units: symbol, name, quantity, description", ""},
    {"--quantity", "Q", "with --list-units: only the units of the quantity Q", "quantity"},
    {"--list-functions", "", "list the functions: name, parameters, description", "", true},
    {"--help", "", "show this text", "", true},
    {"--version", "", "show the version", "", true},
};

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
        } else if (name == "--quantity") {
            const std::string_view value = takeValue();
            if (value.empty()) throw UsageError("--quantity needs a quantity");
            options.quantity = std::string(value);
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
    if (options.quantity && options.action != Action::ListUnits && options.action != Action::Help &&
        options.action != Action::Version) {
        throw UsageError("--quantity goes with --list-units");
    }
    if (options.action == Action::ListUnits && !options.expressions.empty()) {
        // One word after --list-units is the pattern the units are filtered by.
        if (options.expressions.size() > 1) throw UsageError("--list-units takes one pattern");
        options.unitPattern = std::move(options.expressions.front());
        options.expressions.clear();
    }
    if (options.action == Action::ListFunctions && !options.expressions.empty()) {
        throw UsageError("a listing takes no expressions");
    }
    return options;
}

std::span<const OptionSpec> optionTable() {
    return kOptions;
}

std::string helpText() {
    std::string text =
        "Usage: quantrel-cli [--settings DIR] [--seed N] [--digits N] [--unbuffered]\n"
        "                    [--line-numbers] [EXPRESSION ...]\n"
        "       quantrel-cli --list-units [PATTERN | --quantity Q]\n"
        "       quantrel-cli --list-functions | --help | --version\n"
        "\n"
        "Evaluates expressions with units of measure, for example \"2 km + 300 m\" or\n"
        "\"5 km / h in mps\". Each EXPRESSION is one line; without expressions the lines\n"
        "come from standard input: an interactive session on a terminal (Tab completes\n"
        "a name, after \"in\" the units the value converts to first; ?name describes a\n"
        "name, ?Length lists a quantity's units, ?60 mph the units a value converts to;\n"
        "\"help\" shows the keys; \"quit\", \"exit\" or Ctrl-D ends), otherwise every\n"
        "line that is not blank or a comment (first non-blank character #). A blank\n"
        "and # start a comment to the end of a line. \"ans\" is the previous result.\n"
        "--list-units PATTERN lists the units whose symbol, name, alias or quantity\n"
        "holds PATTERN (ignoring case).\n"
        "\n"
        "Options:\n";
    for (const OptionSpec& option : kOptions) {
        std::string left = option.name == "--help" ? "-h, --help" : std::string(option.name);
        if (!option.value.empty()) left += " " + std::string(option.value);
        left.resize(std::max<std::size_t>(left.size() + 1, 19), ' ');
        text += "  " + left + std::string(option.description) + "\n";
    }
    text +=
        "  --                 treat every later argument as an expression\n"
        "\n"
        "Exit status: 0 when every line succeeded, 1 when a line failed, a listing\n"
        "found nothing or the output could not be written, 2 when start-up failed (bad\n"
        "usage or a settings error).\n";
    return text;
}

std::string sessionHelpText() {
    return "Type an expression and Enter: 2 km + 300 m, 60 mph in km/h,\n"
           "100000 s in d + h + min + s. \"ans\" is the previous result.\n"
           "\n"
           "  ?NAME       describe a unit or function: ?mi, ?sqrt\n"
           "  ?QUANTITY   list the units of a quantity: ?Length, ?Velocity\n"
           "  ?VALUE      list the units a value converts to: ?60 mph\n"
           "  help, ?     show this page\n"
           "  quit, exit  end the session (or Ctrl-D)\n"
           "  ... # note  a blank and # start a comment\n"
           "\n"
           "Keys: Tab completes a name (after \"in\" the units that fit come first;\n"
           "on an empty name after \"in \" or \"/\" only those), Up and Down walk the\n"
           "history, Ctrl-R searches it, Ctrl-C drops the line being typed.\n";
}

std::string versionText() {
    return std::string("quantrel-cli ") + QUANTREL_VERSION + "\n";
}

std::string bannerText() {
    return std::string("quantrel ") + QUANTREL_VERSION + " \u2014 ? for help, Ctrl-D to quit\n";
}

std::string usageHint(const UsageError& error) {
    // The message may quote an argument, which may hold anything.
    return "quantrel-cli: " + safeText(error.what()) + " (see quantrel-cli --help)\n";
}

}  // namespace quantrel::cli
