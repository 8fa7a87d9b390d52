// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quantrel {

/// Where the settings loader finds its files. Names are the ones messages show
/// ("settings/10-length.xml").
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    /// The settings files in loading order. Throws ConfigError when a directory cannot be
    /// listed to the end.
    virtual std::vector<std::string> xmlFiles() const = 0;
    /// The bytes of the file `name` from xmlFiles(); none when it cannot be read.
    virtual std::optional<std::string> read(const std::string& name) const = 0;
};

/// Settings directories on the file system, read one after the other. In each, the entries
/// whose names end in ".xml" (ASCII case ignored) are taken in name order with ASCII letters
/// folded to lower case ("B.xml" after "a.xml", "_a.xml" before "b.xml"); a directory so named
/// is read in its place, except one whose name begins with a dot. A directory reached twice
/// (through a link) is read once; a missing directory holds nothing.
class DirectorySource : public SettingsSource {
public:
    explicit DirectorySource(std::filesystem::path directory);
    explicit DirectorySource(std::vector<std::filesystem::path> directories);
    std::vector<std::string> xmlFiles() const override;
    std::optional<std::string> read(const std::string& name) const override;

private:
    std::vector<std::filesystem::path> directories_;
};

/// Settings held in memory, for tests and the fuzzer: (name, content) pairs in loading order.
class MemorySource : public SettingsSource {
public:
    MemorySource() = default;
    explicit MemorySource(std::vector<std::pair<std::string, std::string>> files);
    /// Appends a file to the loading order; a file of the same name gets the new content instead.
    MemorySource& add(std::string name, std::string content);
    std::vector<std::string> xmlFiles() const override;
    std::optional<std::string> read(const std::string& name) const override;

private:
    std::vector<std::pair<std::string, std::string>> files_;
};

}  // namespace quantrel
