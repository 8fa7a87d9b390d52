// SPDX-License-Identifier: GPL-3.0-or-later
// Queries on an element handle, and the names of the error codes.

#include "xmlParser/xml_parser.h"

#include "xmlParser/xml_node.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quantrel::xml {

namespace {

/// The child that entry `entry` of the document's child list names.
const detail::XmlNode& childNode(const detail::XmlNode& parent, std::size_t entry) {
    const detail::XmlDocument& document = *parent.document;
    return document.nodes[document.children[entry]];
}

}  // namespace

const char* errorText(XmlError error) {
    switch (error) {
        case XmlError::NoError:
            return "No error";
        case XmlError::UnmatchedEndTagWarning:
            return "Warning: Unmatched end tag";
        case XmlError::NoTagFound:
            return "Warning: No XML tag found";
        case XmlError::NoData:
            return "Error: No XML data";
        case XmlError::MissingStartTagName:
            return "Error: Missing start tag name";
        case XmlError::MissingEndTagName:
            return "Error: Missing end tag name";
        case XmlError::UnmatchedEndTag:
            return "Error: Unmatched end tag";
        case XmlError::UnmatchedClearTagEnd:
            return "Error: Unmatched clear tag end";
        case XmlError::UnexpectedToken:
            return "Error: Unexpected token found";
        case XmlError::NoElements:
            return "Error: No elements found";
        case XmlError::FileNotFound:
            return "Error: File not found";
        case XmlError::FirstTagNotFound:
            return "Error: First Tag not found";
        case XmlError::UnknownCharacterEntity:
            return "Error: Unknown character entity";
        case XmlError::CharacterCodeAbove255:
            return "Error: Character code above 255 is forbidden in MultiByte char mode.";
        case XmlError::CharConversion:
            return "Error: unable to convert between WideChar and MultiByte chars";
    }
    return "Unknown";
}

std::optional<std::string_view> XmlElement::name() const {
    if (!node_ || !node_->named) return std::nullopt;
    return node_->name;
}

bool XmlElement::isDeclaration() const {
    return node_ && node_->isDeclaration;
}

int XmlElement::line() const {
    if (!node_ || !node_->named) return 0;
    const detail::XmlDocument& document = *node_->document;
    if (!document.linesFound) {
        // A line feed byte is never part of a multi-byte UTF-8 character.
        for (std::size_t at = document.text.find('\n'); at != std::string::npos;
             at = document.text.find('\n', at + 1)) {
            document.lineStarts.push_back(at + 1);
        }
        document.linesFound = true;
    }
    const auto after =
        std::upper_bound(document.lineStarts.begin(), document.lineStarts.end(), node_->tagStart);
    return 1 + static_cast<int>(after - document.lineStarts.begin());
}

int XmlElement::childCount() const {
    return node_ ? static_cast<int>(node_->children.count) : 0;
}

XmlElement XmlElement::child(int i) const {
    if (!node_ || !node_->children.holds(i)) return {};
    return detail::XmlNodeAccess::element(node_, &childNode(*node_, node_->children.at(i)));
}

int XmlElement::countChildren(std::string_view name) const {
    if (!node_) return 0;
    int count = 0;
    for (std::uint32_t i = 0; i < node_->children.count; ++i) {
        if (equalsIgnoringCase(childNode(*node_, node_->children.first + i).name, name)) ++count;
    }
    return count;
}

XmlElement XmlElement::childNamed(std::string_view name, int i) const {
    if (!node_ || i < 0) return {};
    for (std::uint32_t k = 0; k < node_->children.count; ++k) {
        const detail::XmlNode& child = childNode(*node_, node_->children.first + k);
        if (equalsIgnoringCase(child.name, name) && i-- == 0) {
            return detail::XmlNodeAccess::element(node_, &child);
        }
    }
    return {};
}

std::optional<std::string_view> XmlElement::attribute(std::string_view name) const {
    if (!node_) return std::nullopt;
    const std::vector<XmlAttribute>& attributes = node_->document->attributes;
    for (std::uint32_t i = 0; i < node_->attributes.count; ++i) {
        const XmlAttribute& attribute = attributes[node_->attributes.first + i];
        if (equalsIgnoringCase(attribute.name, name)) return attribute.value;
    }
    return std::nullopt;
}

void XmlElement::attributes(std::span<const std::string_view> names,
                            std::span<std::optional<std::string_view>> values) const {
    std::fill(values.begin(), values.end(), std::nullopt);
    if (!node_) return;
    const std::uint64_t all =
        names.size() >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << names.size()) - 1;
    std::uint64_t found = 0;  // bit i: the first attribute named names[i] was seen
    const std::vector<XmlAttribute>& attributes = node_->document->attributes;
    for (std::uint32_t i = 0; i < node_->attributes.count && found != all; ++i) {
        const XmlAttribute& attribute = attributes[node_->attributes.first + i];
        for (std::size_t k = 0; k < names.size(); ++k) {
            const std::uint64_t bit = std::uint64_t{1} << k;
            if (!(found & bit) && equalsIgnoringCase(attribute.name, names[k])) {
                values[k] = attribute.value;
                found |= bit;
                break;
            }
        }
    }
}

int XmlElement::attributeCount() const {
    return node_ ? static_cast<int>(node_->attributes.count) : 0;
}

std::optional<XmlAttribute> XmlElement::attributeAt(int i) const {
    if (!node_ || !node_->attributes.holds(i)) return std::nullopt;
    return node_->document->attributes[node_->attributes.at(i)];
}

int XmlElement::textCount() const {
    return node_ ? static_cast<int>(node_->texts.count) : 0;
}

std::optional<std::string_view> XmlElement::text(int i) const {
    if (!node_ || !node_->texts.holds(i)) return std::nullopt;
    return node_->document->texts[node_->texts.at(i)];
}

int XmlElement::clearCount() const {
    return node_ ? static_cast<int>(node_->clears.count) : 0;
}

std::optional<XmlClear> XmlElement::clear(int i) const {
    if (!node_ || !node_->clears.holds(i)) return std::nullopt;
    return node_->document->clears[node_->clears.at(i)];
}

}  // namespace quantrel::xml
