// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/settings_loader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/error.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"
#include "xmlParser/xml_parser.h"

namespace quantrel {
namespace {

using xml::equalsIgnoringCase;
using xml::XmlElement;

/// The attribute `name` as a string, for the registry calls that keep it.
std::optional<std::string> attributeString(const XmlElement& element, std::string_view name) {
    if (const auto value = element.attribute(name)) return std::string(*value);
    return std::nullopt;
}

std::optional<std::string> firstText(const XmlElement& element) {
    if (const auto text = element.text(0)) return std::string(*text);
    return std::nullopt;
}

/// A text that names something to the user (a unit's Shown text, a quantity's DisplayName):
/// refused when empty or when it holds a control character, which no line of a result,
/// listing or menu may carry.
void checkShownText(std::string_view text, std::string_view attribute, std::string_view kind,
                    std::string_view name) {
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
    if (text.empty() || control) {
        std::string message("Invalid ");
        message += attribute;
        message += " value '";
        // A control character is not written into the message.
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            message += byte < 0x20 || byte == 0x7f ? '?' : c;
        }
        message += "' for ";
        message += kind;
        message += " '";
        message += name;
        message += '\'';
        throw ConfigError(message);
    }
}

/// What an element defines, for a settings location: "unit 'zz'"; empty without a name.
struct Subject {
    std::string_view kind;
    const std::optional<std::string_view>* name = nullptr;

    std::string text() const {
        if (name == nullptr || !name->has_value()) return {};
        std::string text(kind);
        text += " '";
        text += **name;
        text += '\'';
        return text;
    }
};

/// Reads one file: knows the file's name and gives every error it lets through the location of
/// the element being read.
class FileReader {
public:
    FileReader(UnitRegistry& registry, const std::string& file)
        : registry_(registry), file_(file) {}

    void readDocument(const XmlElement& document);

private:
    /// Runs `read`; an error without a location gets the element's.
    template <typename Read>
    void at(const XmlElement& element, Subject subject, Read read) {
        try {
            read();
        } catch (Error& error) {
            if (!error.location()) error.setLocation({file_, element.line(), subject.text()});
            throw;
        }
    }

    /// Calls `read` for every child of `element` named `name` (ASCII case ignored), in order.
    template <typename Read>
    void forEachChildNamed(const XmlElement& element, std::string_view name, Read read) {
        for (int i = 0; i < element.childCount(); ++i) {
            const XmlElement child = element.child(i);
            if (equalsIgnoringCase(child.name().value_or(""), name)) read(child);
        }
    }

    void readUnits(const XmlElement& section);
    void readConversions(const XmlElement& section);
    void readFunctions(const XmlElement& section);
    bool readSection(const XmlElement& element);

    UnitRegistry& registry_;
    const std::string& file_;
};

void FileReader::readUnits(const XmlElement& section) {
    // The notation switch of input lines: "^" after a unit raises that unit alone.
    if (const std::optional<std::string_view> bind = section.attribute("PowersBindToUnits")) {
        at(section, Subject{}, [&] {
            if (*bind != "yes" && *bind != "no") {
                throw ConfigError("Invalid PowersBindToUnits value '" + std::string(*bind) + "'");
            }
            if (!registry_.setPowersBindToUnits(*bind == "yes")) {
                throw ConfigError("PowersBindToUnits declared with two values");
            }
        });
    }
    forEachChildNamed(section, "Quantity", [&](const XmlElement& quantity) {
        const std::optional<std::string_view> quantityName = quantity.attribute("Name");
        at(quantity, Subject{}, [&] {
            if (!quantityName || quantityName->empty()) {
                throw ConfigError("Illegal or missing quantity name");
            }
        });
        const std::string quantityString(*quantityName);
        const Subject quantitySubject{"quantity", &quantityName};
        if (const std::optional<std::string> dimension = attributeString(quantity, "Dimension")) {
            at(quantity, quantitySubject, [&] {
                registry_.declareDimension(quantityString, *dimension,
                                           {file_, quantity.line(), quantitySubject.text()});
            });
        }
        if (const std::optional<std::string_view> display = quantity.attribute("Display")) {
            at(quantity, quantitySubject, [&] {
                if (*display != "shortest" && *display != "natural") {
                    throw ConfigError("Invalid Display value '" + std::string(*display) +
                                      "' for quantity '" + quantityString + "'");
                }
                const auto choice = *display == "natural" ? UnitCatalog::DisplayChoice::Natural
                                                          : UnitCatalog::DisplayChoice::Shortest;
                if (!registry_.setDisplayChoice(quantityString, choice)) {
                    throw ConfigError("Quantity '" + quantityString +
                                      "' declared with two Display values");
                }
            });
        }
        if (const std::optional<std::string> shownName = attributeString(quantity, "DisplayName")) {
            at(quantity, quantitySubject, [&] {
                checkShownText(*shownName, "DisplayName", "quantity", quantityString);
                if (!registry_.setDisplayName(quantityString, *shownName)) {
                    throw ConfigError("Quantity '" + quantityString +
                                      "' declared with two DisplayName values");
                }
            });
        }
        forEachChildNamed(quantity, "Unit", [&](const XmlElement& unit) {
            static constexpr std::array<std::string_view, 5> kNames{"Name", "Symbol", "Description",
                                                                    "Display", "Shown"};
            std::array<std::optional<std::string_view>, kNames.size()> values;
            unit.attributes(kNames, values);
            const std::optional<std::string_view>& name = values[0];
            const std::optional<std::string_view>& symbol = values[1];
            const std::optional<std::string_view>& description = values[2];
            const std::optional<std::string_view>& display = values[3];
            const std::optional<std::string_view>& shown = values[4];
            if (!symbol || symbol->empty()) {
                at(unit, quantitySubject, [] { throw ConfigError("No unit symbol defined"); });
            }
            at(unit, Subject{"unit", &symbol}, [&] {
                // Display="no": read and accepted after "in", never chosen for a result.
                bool displayed = true;
                if (display) {
                    if (*display != "yes" && *display != "no") {
                        throw ConfigError("Invalid Display value '" + std::string(*display) +
                                          "' for unit '" + std::string(*symbol) + "'");
                    }
                    displayed = *display == "yes";
                }
                // Shown="km/h": the text results are written with instead of the symbol.
                if (shown) checkShownText(*shown, "Shown", "unit", *symbol);
                registry_.defineUnit(quantityString, *symbol, name, description.value_or(""),
                                     unit.text(0), displayed, shown.value_or(""));
            });
        });
    });
}

void FileReader::readConversions(const XmlElement& section) {
    forEachChildNamed(section, "Conversion", [&](const XmlElement& conversion) {
        const std::optional<std::string_view> formula = conversion.attribute("Formula");
        const std::optional<std::string> result = attributeString(conversion, "Result");
        at(conversion, Subject{"rule", &formula}, [&] {
            if (!formula) throw ConfigError("No formula specified");
            if (!result) throw ConfigError("No result unit specified");
            registry_.addConversion(*formula, *result);
        });
    });
}

void FileReader::readFunctions(const XmlElement& section) {
    forEachChildNamed(section, "Function", [&](const XmlElement& function) {
        const std::optional<std::string_view> name = function.attribute("Name");
        at(function, Subject{"function", &name}, [&] {
            if (!name) throw ConfigError("Illegal function name");
            registry_.defineFunction(std::string(*name),
                                     attributeString(function, "Description").value_or(""),
                                     attributeString(function, "Parameters").value_or(""),
                                     firstText(function).value_or(""));
        });
    });
}

/// Runs the reader for a section element; false when the element is no section.
bool FileReader::readSection(const XmlElement& element) {
    const std::string_view name = element.name().value_or("");
    if (equalsIgnoringCase(name, "Units")) {
        readUnits(element);
    } else if (equalsIgnoringCase(name, "Conversions")) {
        readConversions(element);
    } else if (equalsIgnoringCase(name, "Functions")) {
        readFunctions(element);
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

void FileReader::readDocument(const XmlElement& document) {
    // A file holding only one section.
    if (readSection(document)) return;
    XmlElement container = document;
    bool anySection = false;
    for (int i = 0; i < document.childCount(); ++i)
        anySection = anySection || isSection(document.child(i));
    // The sections inside one root element (after an optional declaration).
    if (!anySection && document.childCount() == 1) container = document.child(0);
    for (int i = 0; i < container.childCount(); ++i)
        readSection(container.child(i));
}

void loadFile(UnitRegistry& registry, const SettingsSource& source, const std::string& file) {
    xml::XmlResult result;
    XmlElement document;
    if (std::optional<std::string> bytes = source.read(file)) {
        document = xml::parseXmlBytes(std::move(*bytes), result);
    } else {
        result.error = xml::XmlError::FileNotFound;
    }
    if (result.error != xml::XmlError::NoError) {
        ConfigError error("Error while parsing", file, result.line);
        error.setLocation({file, result.line, {}});
        throw error;
    }
    try {
        FileReader(registry, file).readDocument(document);
    } catch (const ConfigError& error) {
        // The message names the file; the location stays as the reader found it.
        ConfigError named(error.text(), file, 0);
        if (error.location()) named.setLocation(*error.location());
        throw named;
    }
}

}  // namespace

void loadSettings(UnitRegistry& registry, const SettingsSource& source) {
    for (const std::string& file : source.xmlFiles())
        loadFile(registry, source, file);
    // Dimensions may name quantities declared in later files.
    registry.finishDimensions();
}

void loadSettings(UnitRegistry& registry, const std::filesystem::path& directory) {
    loadSettings(registry, DirectorySource(directory));
}

}  // namespace quantrel
