// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace quantrel::ui {

/// What the desktop program's own command-line options ask for. Every other argument is left
/// to the toolkit.
struct StartupOptions {
    /// Instead of the window: print the help text (--help, -h) or the version (--version),
    /// whichever comes first.
    enum class Answer { None, Help, Version };
    Answer answer = Answer::None;
    /// The settings directory given with --settings DIR (or --settings=DIR).
    std::optional<std::filesystem::path> settingsDirectory;
    /// Set when the arguments are unusable: the message for standard error.
    std::optional<std::string> usageError;
};

/// Reads --settings, --help, -h and --version from the program arguments (`args` without the
/// program name).
StartupOptions parseStartupOptions(std::span<const char* const> args);

/// The text printed by `quantrel --help`.
std::string startupHelpText();

/// The text printed by `quantrel --version`.
std::string startupVersionText();

/// The display-related parts of the environment and the arguments.
struct DisplayEnvironment {
    std::string platformArgument;  ///< the value of -platform, if given
    std::string qpaPlatform;       ///< QT_QPA_PLATFORM
    std::string display;           ///< DISPLAY
    std::string waylandDisplay;    ///< WAYLAND_DISPLAY
};

/// Reads the display environment of this process and the -platform argument of `args`.
DisplayEnvironment currentDisplayEnvironment(std::span<const char* const> args);

/// Why no window can be shown, or nothing when some platform is usable: an explicitly chosen
/// platform that needs no display (offscreen, minimal, …) always is; an X11 or Wayland platform
/// needs its display variable.
std::optional<std::string> missingDisplay(const DisplayEnvironment& environment);

}  // namespace quantrel::ui
