// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The reader's tree, shared by the parser and the element handle. Not for other modules.

#include "xmlParser/xml_parser.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::xml::detail {

/// One attribute as stored: the value is none when it was written without "=".
struct StoredAttribute {
    std::string name;
    std::optional<std::string> value;
};

/// One clear section as stored; the markers are static texts.
struct StoredClear {
    std::string_view opening;
    std::string_view closing;
    std::string content;
};

/// Which list an entry of XmlNode::order points into.
enum class ItemKind : std::uint8_t { Child = 0, Text = 1, Clear = 2 };

/// One entry of the interleaving of children, texts and clear sections.
struct OrderItem {
    ItemKind kind;
    int index;
};

struct XmlDocument;

/// An element. Nodes live in their document's arena, so children are plain pointers and
/// freeing a tree never recurses, however deep it is.
struct XmlNode {
    std::optional<std::string> name;
    bool isDeclaration = false;
    std::size_t tagStart = 0;               // byte offset of the start tag in the text
    const XmlDocument* document = nullptr;  // the owner; none for the top node
    std::vector<const XmlNode*> children;
    std::vector<std::string> texts;
    std::vector<StoredClear> clears;
    std::vector<StoredAttribute> attributes;
    std::vector<OrderItem> order;
};

/// Owns every node of one parsed tree; element handles share ownership of it.
struct XmlDocument {
    std::deque<XmlNode> nodes;
    std::string text;  // the parsed text, up to a NUL byte
    // Where each line after the first begins, found on the first question about a line.
    mutable std::vector<std::size_t> lineStarts;
    mutable bool linesFound = false;
};

/// Lets the parser hand out element handles.
struct XmlNodeAccess {
    /// A handle to `node`, keeping `owner` (the node's document) alive.
    static XmlElement element(const std::shared_ptr<const void>& owner, const XmlNode* node) {
        return XmlElement(std::shared_ptr<const XmlNode>(owner, node));
    }
};

}  // namespace quantrel::xml::detail
