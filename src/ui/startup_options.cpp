// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/startup_options.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace quantrel::ui {
namespace {

constexpr std::string_view kSettingsOption = "--settings";

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> splitPlatforms(const std::string& text) {
    std::vector<std::string> platforms;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        std::string entry = text.substr(start, end - start);
        // A platform may carry options after a colon: "xcb:foo".
        entry = entry.substr(0, entry.find(':'));
        if (!entry.empty()) platforms.push_back(entry);
        start = end + 1;
    }
    return platforms;
}

}  // namespace

StartupOptions parseStartupOptions(std::span<const char* const> args) {
    StartupOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i] ? args[i] : "";
        if (arg == kSettingsOption) {
            if (i + 1 >= args.size() || args[i + 1] == nullptr || *args[i + 1] == '\0') {
                options.usageError = "--settings needs a directory";
                return options;
            }
            options.settingsDirectory = std::filesystem::path(args[++i]);
        } else if (arg.substr(0, kSettingsOption.size() + 1) == "--settings=") {
            const std::string_view value = arg.substr(kSettingsOption.size() + 1);
            if (value.empty()) {
                options.usageError = "--settings needs a directory";
                return options;
            }
            options.settingsDirectory = std::filesystem::path(std::string(value));
        } else if (options.answer == StartupOptions::Answer::None) {
            if (arg == "--help" || arg == "-h") options.answer = StartupOptions::Answer::Help;
            if (arg == "--version") options.answer = StartupOptions::Answer::Version;
        }
    }
    return options;
}

std::string startupHelpText() {
    return "Usage: quantrel [--settings DIR] [toolkit options such as -platform NAME]\n"
           "       quantrel --help | --version\n"
           "\n"
           "The desktop calculator for expressions with units of measure, for example\n"
           "\"2 km + 300 m\" or \"5 km / h in mps\". For terminals and scripts use\n"
           "quantrel-cli.\n"
           "\n"
           "Options:\n"
           "  --settings DIR     read units and functions from the *.xml files in DIR\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
           "\n"
           "Exit status: 0 after the window is closed, 1 after a settings error, 2 when no\n"
           "window can be shown or the command line is wrong.\n";
}

std::string startupVersionText() {
    return std::string("quantrel ") + QUANTREL_VERSION + "\n";
}

DisplayEnvironment currentDisplayEnvironment(std::span<const char* const> args) {
    DisplayEnvironment environment;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        const std::string_view arg = args[i] ? args[i] : "";
        if ((arg == "-platform" || arg == "--platform") && args[i + 1]) {
            environment.platformArgument = args[i + 1];
        }
    }
    environment.qpaPlatform = environmentValue("QT_QPA_PLATFORM");
    environment.display = environmentValue("DISPLAY");
    environment.waylandDisplay = environmentValue("WAYLAND_DISPLAY");
    return environment;
}

std::optional<std::string> missingDisplay(const DisplayEnvironment& environment) {
    const std::string& chosen = !environment.platformArgument.empty() ? environment.platformArgument
                                                                      : environment.qpaPlatform;
    std::vector<std::string> platforms = splitPlatforms(chosen);
    if (platforms.empty()) platforms = {"xcb", "wayland"};  // what the toolkit tries by default
    for (const std::string& platform : platforms) {
        if (platform == "xcb") {
            if (!environment.display.empty()) return std::nullopt;
        } else if (platform.rfind("wayland", 0) == 0) {
            if (!environment.waylandDisplay.empty()) return std::nullopt;
        } else {
            return std::nullopt;  // offscreen, minimal, vnc, eglfs, …: no display variable needed
        }
    }
    return "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
           "use the terminal calculator quantrel-cli instead";
}

}  // namespace quantrel::ui
