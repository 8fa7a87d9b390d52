#pragma once

#include <filesystem>
#include <string>

namespace quantrel {

class UnitRegistry;

/// Loads every settings file of `directory` into the registry: files whose names end in ".xml"
/// (ASCII case ignored) in name order with ASCII case folded, and recursively the directories
/// whose names end in ".xml", except those beginning with ".". A missing directory loads nothing.
/// Stops at the first problem: ConfigError naming the file, or a tokenizer or math error.
void loadSettings(UnitRegistry& registry, const std::filesystem::path& directory);

/// Loads one settings file; `path` is the name used in messages.
void loadSettingsFile(UnitRegistry& registry, const std::string& path);

}  // namespace quantrel
