// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>

namespace quantrel {

class SettingsSource;
class UnitRegistry;

/// Loads every settings file of `source` in its order into `registry`. Each file's <Units>,
/// <Conversions> and <Functions> sections are read in document order and every definition is
/// entered as it is read. Throws ConfigError naming the file for a file that cannot be read or
/// parsed and for a wrong definition; tokenizer and math errors from definitions pass with their
/// own message. Every error carries its settings location: the file, the element's line and
/// what the element defines.
void loadSettings(UnitRegistry& registry, const SettingsSource& source);

/// Loads a settings directory from the file system (see DirectorySource).
void loadSettings(UnitRegistry& registry, const std::filesystem::path& directory);

}  // namespace quantrel
