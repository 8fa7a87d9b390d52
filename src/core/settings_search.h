// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quantrel {

/// What a program knows when it looks for its settings.
struct SettingsSearch {
    /// The directory given on the command line (--settings DIR), if any.
    std::optional<std::filesystem::path> given;
    /// The running program; the installed library is <its directory>/../share/quantrel/settings.
    std::filesystem::path executable;
    /// The build tree the program was made in and the library of its source tree: a program that
    /// runs from its build tree reads the source tree's library.
    std::filesystem::path buildDirectory;
    std::filesystem::path sourceSettings;
    /// $XDG_CONFIG_HOME and $HOME (empty when unset): the user's own settings live in
    /// $XDG_CONFIG_HOME/quantrel/settings, by default ~/.config/quantrel/settings.
    std::string configHome;
    std::string home;

    /// The environment part filled from the process: $XDG_CONFIG_HOME and $HOME.
    static SettingsSearch fromEnvironment();
};

/// The settings directories a program loads, in order. With `given`: that directory alone, which
/// must be a directory (otherwise a ConfigError names it). Otherwise the program's library (the
/// installed one, or the source tree's when the program runs from its build tree), then the user's
/// own directory, each only when it exists. A directory named "settings" where the program happens
/// to be started is not read unless it is given.
std::vector<std::filesystem::path> settingsDirectories(const SettingsSearch& search);

/// Where the programs keep what they remember between runs (their histories):
/// $XDG_STATE_HOME/quantrel when that is an absolute path, otherwise ~/.local/state/quantrel
/// when $HOME is absolute; none otherwise. `stateHome` and `home` may be null (unset).
std::optional<std::filesystem::path> stateDirectory(const char* stateHome, const char* home);

}  // namespace quantrel
