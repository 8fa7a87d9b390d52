#include "units/settings_loader.h"

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>
#include <tuple>
#include <vector>

#include "core/error.h"
#include "units/unit_registry.h"
#include "xmlParser/xml_parser.h"

namespace quantrel {
namespace {

using xml::XmlElement;

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase(x) == foldCase(y);
           });
}

bool hasXmlSuffix(std::string_view name) {
    return name.size() >= 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".xml");
}

/// The name with ASCII letters in upper case: files are loaded in this order, the order a
/// case-insensitive file system lists them in ("_a.xml" after "b.xml").
std::string foldedName(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), foldCase);
    return folded;
}

std::optional<std::string> attributeText(const XmlElement& element, std::string_view name) {
    if (const auto value = element.attribute(name)) return std::string(*value);
    return std::nullopt;
}

std::optional<std::string> firstText(const XmlElement& element) {
    if (const auto text = element.text(0)) return std::string(*text);
    return std::nullopt;
}

/// Calls `read` for every child of `element` named `name` (ASCII case ignored), in order.
template <typename Read>
void forEachChildNamed(const XmlElement& element, std::string_view name, Read read) {
    for (int i = 0; i < element.childCount(); ++i) {
        const XmlElement child = element.child(i);
        if (equalsIgnoringCase(child.name().value_or(""), name)) read(child);
    }
}

void readUnits(UnitRegistry& registry, const XmlElement& section) {
    forEachChildNamed(section, "Quantity", [&](const XmlElement& quantity) {
        const std::optional<std::string> quantityName = attributeText(quantity, "Name");
        if (!quantityName || quantityName->empty()) {
            throw ConfigError("Illegal or missing quantity name");
        }
        forEachChildNamed(quantity, "Unit", [&](const XmlElement& unit) {
            const std::optional<std::string> name = attributeText(unit, "Name");
            const std::optional<std::string> symbol = attributeText(unit, "Symbol");
            const std::optional<std::string> description = attributeText(unit, "Description");
            if (!symbol || symbol->empty()) throw ConfigError("No unit symbol defined");
            registry.defineUnit(*quantityName, *symbol, name, description.value_or(""),
                                firstText(unit));
        });
    });
}

void readConversions(UnitRegistry& registry, const XmlElement& section) {
    forEachChildNamed(section, "Conversion", [&](const XmlElement& conversion) {
        const std::optional<std::string> formula = attributeText(conversion, "Formula");
        const std::optional<std::string> result = attributeText(conversion, "Result");
        if (!formula) throw ConfigError("No formula specified");
        if (!result) throw ConfigError("No result unit specified");
        registry.addConversion(*formula, *result);
    });
}

void readFunctions(UnitRegistry& registry, const XmlElement& section) {
    forEachChildNamed(section, "Function", [&](const XmlElement& function) {
        const std::optional<std::string> name = attributeText(function, "Name");
        if (!name) throw ConfigError("Illegal function name");
        registry.defineFunction(*name, attributeText(function, "Description").value_or(""),
                                attributeText(function, "Parameters").value_or(""),
                                firstText(function).value_or(""));
    });
}

/// Runs the reader for a section element; false when the element is no section.
bool readSection(UnitRegistry& registry, const XmlElement& element) {
    const std::string_view name = element.name().value_or("");
    if (equalsIgnoringCase(name, "Units")) {
        readUnits(registry, element);
    } else if (equalsIgnoringCase(name, "Conversions")) {
        readConversions(registry, element);
    } else if (equalsIgnoringCase(name, "Functions")) {
        readFunctions(registry, element);
    } else {
        return false;
    }
    return true;
}

bool isSection(const XmlElement& element) {
    const std::string_view name = element.name().value_or("");
    return equalsIgnoringCase(name, "Units") || equalsIgnoringCase(name, "Conversions") ||
           equalsIgnoringCase(name, "Functions");
}

void readDocument(UnitRegistry& registry, const XmlElement& document) {
    // A file holding only one section.
    if (readSection(registry, document)) return;
    XmlElement container = document;
    bool anySection = false;
    for (int i = 0; i < document.childCount(); ++i)
        anySection = anySection || isSection(document.child(i));
    // The sections inside one root element (after an optional declaration).
    if (!anySection && document.childCount() == 1) container = document.child(0);
    for (int i = 0; i < container.childCount(); ++i)
        readSection(registry, container.child(i));
}

struct Entry {
    std::string sortKey;
    std::string name;
    bool isDirectory = false;
    bool operator<(const Entry& other) const {
        return std::tie(sortKey, name) < std::tie(other.sortKey, other.name);
    }
};

void loadDirectory(UnitRegistry& registry, const std::filesystem::path& directory,
                   const std::string& prefix, std::set<std::filesystem::path>& visited) {
    std::error_code error;
    // A directory reached twice (through a link) is loaded once.
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
        entries.push_back({foldedName(name), std::move(name), isDirectory});
    }
    if (error) throw ConfigError("Unknown error " + std::to_string(error.value()));
    std::sort(entries.begin(), entries.end());

    for (const Entry& entry : entries) {
        const std::string path = prefix + "/" + entry.name;
        if (!entry.isDirectory) {
            loadSettingsFile(registry, path);
        } else if (entry.name.front() != '.') {
            loadDirectory(registry, directory / entry.name, path, visited);
        }
    }
}

}  // namespace

void loadSettings(UnitRegistry& registry, const std::filesystem::path& directory) {
    std::string prefix = directory.generic_string();
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    std::set<std::filesystem::path> visited;
    loadDirectory(registry, directory, prefix, visited);
}

void loadSettingsFile(UnitRegistry& registry, const std::string& path) {
    xml::XmlResult result;
    const XmlElement document = xml::parseXmlFile(path, result);
    if (result.error != xml::XmlError::NoError) {
        throw ConfigError("Error while parsing", path, result.line);
    }
    try {
        readDocument(registry, document);
    } catch (const ConfigError& error) {
        throw ConfigError(error.text(), path, 0);
    }
}

}  // namespace quantrel
