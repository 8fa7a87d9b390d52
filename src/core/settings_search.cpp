// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/settings_search.h"

#include <cstdlib>
#include <system_error>

#include "base/error.h"

namespace quantrel {
namespace {

bool isDirectory(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool sameDirectory(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error) && !error;
}

/// The program's own library: installed beside it, or in the source tree it was built from.
std::optional<std::filesystem::path> libraryDirectory(const SettingsSearch& search) {
    if (search.executable.empty()) return std::nullopt;
    const std::filesystem::path programDirectory = search.executable.parent_path();
    const std::filesystem::path installed =
        (programDirectory / ".." / "share" / "quantrel" / "settings").lexically_normal();
    if (isDirectory(installed)) return installed;
    if (sameDirectory(programDirectory, search.buildDirectory) &&
        isDirectory(search.sourceSettings)) {
        return search.sourceSettings;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> userDirectory(const SettingsSearch& search) {
    std::filesystem::path base;
    // The XDG rule: a relative $XDG_CONFIG_HOME is ignored.
    if (!search.configHome.empty() && search.configHome.front() == '/') {
        base = search.configHome;
    } else if (!search.home.empty()) {
        base = std::filesystem::path(search.home) / ".config";
    } else {
        return std::nullopt;
    }
    const std::filesystem::path directory = base / "quantrel" / "settings";
    if (isDirectory(directory)) return directory;
    return std::nullopt;
}

}  // namespace

SettingsSearch SettingsSearch::fromEnvironment() {
    SettingsSearch search;
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) search.configHome = value;
    if (const char* value = std::getenv("HOME")) search.home = value;
    return search;
}

std::vector<std::filesystem::path> settingsDirectories(const SettingsSearch& search) {
    if (search.given) {
        std::error_code error;
        const auto status = std::filesystem::status(*search.given, error);
        const std::string shown = search.given->generic_string();
        if (!std::filesystem::exists(status)) {
            throw ConfigError("Settings directory not found", shown);
        }
        if (!std::filesystem::is_directory(status)) {
            throw ConfigError("Settings path is not a directory", shown);
        }
        return {*search.given};
    }
    std::vector<std::filesystem::path> directories;
    if (auto library = libraryDirectory(search)) directories.push_back(std::move(*library));
    if (auto user = userDirectory(search)) directories.push_back(std::move(*user));
    return directories;
}

std::optional<std::filesystem::path> stateDirectory(const char* stateHome, const char* home) {
    // Relative paths are ignored, as the XDG base directories ask.
    if (stateHome != nullptr && stateHome[0] == '/')
        return std::filesystem::path(stateHome) / "quantrel";
    if (home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / ".local" / "state" / "quantrel";
    }
    return std::nullopt;
}

}  // namespace quantrel
