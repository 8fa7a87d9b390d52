// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/settings_source.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <system_error>
#include <tuple>

#include "xmlParser/ascii.h"
#include "base/error.h"
#include "xmlParser/xml_parser.h"

namespace quantrel {
namespace {

bool hasXmlSuffix(std::string_view name) {
    return name.size() >= 4 && xml::equalsIgnoringCase(name.substr(name.size() - 4), ".xml");
}

/// The key files are listed by: the name with ASCII letters in lower case.
std::string sortKey(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), asciiLower);
    return key;
}

struct Entry {
    std::string sortKey;
    std::string name;
    bool isDirectory = false;
    bool operator<(const Entry& other) const {
        return std::tie(sortKey, name) < std::tie(other.sortKey, other.name);
    }
};

void listDirectory(const std::filesystem::path& directory, const std::string& prefix,
                   std::set<std::filesystem::path>& visited, std::vector<std::string>& files) {
    std::error_code error;
    // A directory reached twice (through a link) is read once.
    const std::filesystem::path canonical = std::filesystem::canonical(directory, error);
    if (error || !visited.insert(canonical).second) return;

    std::filesystem::directory_iterator it(directory, error);
    if (error) return;  // no such directory: nothing to load
    std::vector<Entry> entries;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        std::string name = it->path().filename().string();
        if (!hasXmlSuffix(name)) continue;
        std::error_code kindError;
        const bool isDirectory = it->is_directory(kindError);
        entries.push_back({sortKey(name), std::move(name), isDirectory});
    }
    if (error) {
        ConfigError failure("Unknown error " + std::to_string(error.value()));
        failure.setLocation({prefix, 0, {}});
        throw failure;
    }
    std::sort(entries.begin(), entries.end());

    for (const Entry& entry : entries) {
        std::string path = prefix + "/" + entry.name;
        if (!entry.isDirectory) {
            files.push_back(std::move(path));
        } else if (entry.name.front() != '.') {
            listDirectory(directory / entry.name, path, visited, files);
        }
    }
}

}  // namespace

DirectorySource::DirectorySource(std::filesystem::path directory) {
    directories_.push_back(std::move(directory));
}

DirectorySource::DirectorySource(std::vector<std::filesystem::path> directories)
    : directories_(std::move(directories)) {}

std::vector<std::string> DirectorySource::xmlFiles() const {
    std::vector<std::string> files;
    std::set<std::filesystem::path> visited;
    for (const std::filesystem::path& directory : directories_) {
        // Messages name files as the directory was given, with "/" and no trailing slash.
        std::string prefix = directory.generic_string();
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.pop_back();
        listDirectory(directory, prefix, visited, files);
    }
    return files;
}

std::optional<std::string> DirectorySource::read(const std::string& name) const {
    const std::filesystem::path path(name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    // C streams: a file stream's locale and buffers cost more than reading a settings file.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    if (!file) return std::nullopt;
    // Read in one go when the size is known; a file that grew meanwhile is read to its end.
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::string bytes(error ? 0 : static_cast<std::size_t>(size), '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    std::array<char, 4096> chunk;
    for (std::size_t more; (more = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0;)
        bytes.append(chunk.data(), more);
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
}

MemorySource::MemorySource(std::vector<std::pair<std::string, std::string>> files)
    : files_(std::move(files)) {}

MemorySource& MemorySource::add(std::string name, std::string content) {
    for (auto& [fileName, fileContent] : files_) {
        if (fileName == name) {
            fileContent = std::move(content);
            return *this;
        }
    }
    files_.emplace_back(std::move(name), std::move(content));
    return *this;
}

std::vector<std::string> MemorySource::xmlFiles() const {
    std::vector<std::string> names;
    names.reserve(files_.size());
    for (const auto& [name, content] : files_)
        names.push_back(name);
    return names;
}

std::optional<std::string> MemorySource::read(const std::string& name) const {
    for (const auto& [fileName, content] : files_) {
        if (fileName == name) return content;
    }
    return std::nullopt;
}

}  // namespace quantrel
