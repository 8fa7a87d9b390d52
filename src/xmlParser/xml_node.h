// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The reader's tree, shared by the parser and the element handle. Not for other modules.
//
// A document keeps its text; names, attribute values, texts and clear sections are views into
// it. Only a text that differs from what was written (entities decoded, two parts joined over a
// comment) is written out, into the document's arena. The children, texts, clear sections and
// attributes of an element are contiguous ranges of the document's lists, so a tree costs a
// handful of allocations however many elements it has.

#include "xmlParser/text_arena.h"
#include "xmlParser/xml_parser.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::xml::detail {

/// A part of one of the document's lists.
struct Range {
    std::uint32_t first = 0;
    std::uint32_t count = 0;

    bool holds(int i) const { return i >= 0 && static_cast<std::uint32_t>(i) < count; }
    std::size_t at(int i) const { return first + static_cast<std::size_t>(i); }
};

struct XmlDocument;

/// An element. Nodes live in their document's list and never move once it is parsed.
struct XmlNode {
    std::string_view name;  // empty for the unnamed top node
    bool named = false;     // false only for the unnamed top node
    bool isDeclaration = false;
    std::size_t tagStart = 0;  // byte offset of the start tag in the text
    const XmlDocument* document = nullptr;
    Range children;  // in XmlDocument::children
    Range texts;     // in XmlDocument::texts
    Range clears;    // in XmlDocument::clears
    Range attributes;
};

/// Owns every node of one parsed tree and what they refer to; element handles share ownership.
struct XmlDocument {
    std::string storage;    // the bytes handed to the reader
    std::string_view text;  // the parsed text in them: after a byte-order mark, up to a NUL byte
    std::vector<XmlNode> nodes;           // nodes[0] is the unnamed top node
    std::vector<std::uint32_t> children;  // indices into nodes
    std::vector<std::string_view> texts;
    std::vector<XmlClear> clears;
    std::vector<XmlAttribute> attributes;
    TextArena arena;
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
