// SPDX-License-Identifier: GPL-3.0-or-later
// Queries on an element handle, and the names of the error codes.

#include "xmlParser/xml_parser.h"

#include "xmlParser/xml_node.h"

#include <algorithm>
#include <cstddef>

namespace quantrel::xml {

namespace {

template <typename T>
bool inRange(const std::vector<T>& list, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < list.size();
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
    if (!node_ || !node_->name) return std::nullopt;
    return std::string_view(*node_->name);
}

bool XmlElement::isDeclaration() const {
    return node_ && node_->isDeclaration;
}

int XmlElement::line() const {
    if (!node_ || node_->document == nullptr) return 0;
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
    return node_ ? static_cast<int>(node_->children.size()) : 0;
}

XmlElement XmlElement::child(int i) const {
    if (!node_ || !inRange(node_->children, i)) return {};
    return detail::XmlNodeAccess::element(node_, node_->children[static_cast<std::size_t>(i)]);
}

int XmlElement::countChildren(std::string_view name) const {
    if (!node_) return 0;
    int count = 0;
    for (const detail::XmlNode* child : node_->children) {
        if (child->name && equalsIgnoringCase(*child->name, name)) ++count;
    }
    return count;
}

XmlElement XmlElement::childNamed(std::string_view name, int i) const {
    if (!node_ || i < 0) return {};
    for (const detail::XmlNode* child : node_->children) {
        if (child->name && equalsIgnoringCase(*child->name, name) && i-- == 0) {
            return detail::XmlNodeAccess::element(node_, child);
        }
    }
    return {};
}

std::optional<std::string_view> XmlElement::attribute(std::string_view name) const {
    if (!node_) return std::nullopt;
    for (const detail::StoredAttribute& attribute : node_->attributes) {
        if (equalsIgnoringCase(attribute.name, name)) {
            if (!attribute.value) return std::nullopt;
            return std::string_view(*attribute.value);
        }
    }
    return std::nullopt;
}

int XmlElement::attributeCount() const {
    return node_ ? static_cast<int>(node_->attributes.size()) : 0;
}

std::optional<XmlAttribute> XmlElement::attributeAt(int i) const {
    if (!node_ || !inRange(node_->attributes, i)) return std::nullopt;
    const detail::StoredAttribute& stored = node_->attributes[static_cast<std::size_t>(i)];
    XmlAttribute attribute{stored.name, std::nullopt};
    if (stored.value) attribute.value = std::string_view(*stored.value);
    return attribute;
}

int XmlElement::textCount() const {
    return node_ ? static_cast<int>(node_->texts.size()) : 0;
}

std::optional<std::string_view> XmlElement::text(int i) const {
    if (!node_ || !inRange(node_->texts, i)) return std::nullopt;
    return std::string_view(node_->texts[static_cast<std::size_t>(i)]);
}

int XmlElement::clearCount() const {
    return node_ ? static_cast<int>(node_->clears.size()) : 0;
}

std::optional<XmlClear> XmlElement::clear(int i) const {
    if (!node_ || !inRange(node_->clears, i)) return std::nullopt;
    const detail::StoredClear& stored = node_->clears[static_cast<std::size_t>(i)];
    return XmlClear{stored.opening, stored.closing, stored.content};
}

}  // namespace quantrel::xml
