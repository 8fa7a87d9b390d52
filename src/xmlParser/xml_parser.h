// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A small, lenient, non-validating XML reader for the settings files.
//
// It accepts more than well-formed XML: unquoted attribute values, attributes without a value,
// several top-level elements and mismatched end tags (as a warning). Comments, CDATA sections,
// DOCTYPE declarations and the raw blocks <PRE> and <Script> are kept as opaque "clear" sections.
// A declaration at the top level ("<?xml ...?>") stays open: every later element becomes its
// child. Names are compared ignoring ASCII case. Text is UTF-8; UTF-16 files are converted.

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "xmlParser/ascii.h"

namespace quantrel::xml {

/// What a parse found; codes are fixed. Warnings (1 and 2) still come with a tree.
enum class XmlError : int {
    NoError = 0,
    UnmatchedEndTagWarning = 1,
    NoTagFound = 2,
    NoData = 3,
    MissingStartTagName = 4,
    MissingEndTagName = 5,
    UnmatchedEndTag = 6,
    UnmatchedClearTagEnd = 7,
    UnexpectedToken = 8,
    NoElements = 9,
    FileNotFound = 10,
    FirstTagNotFound = 11,
    UnknownCharacterEntity = 12,
    CharacterCodeAbove255 = 13,
    CharConversion = 14,
};

/// The reader's name for an error code, e.g. "Error: No XML data"; "Unknown" for other codes.
const char* errorText(XmlError error);

/// Outcome of a parse: the first problem and where it was (1-based; 0 when not computed).
struct XmlResult {
    XmlError error = XmlError::NoError;
    int line = 0;
    int column = 0;
};

/// Elements nested deeper than this below the document are refused with UnexpectedToken.
inline constexpr int kMaxElementDepth = 1000;

/// One attribute as written: `value` is none when the attribute was written without "=".
struct XmlAttribute {
    std::string_view name;
    std::optional<std::string_view> value;
};

/// A comment, CDATA section, DOCTYPE declaration or raw block, kept as written.
struct XmlClear {
    std::string_view opening;  ///< "<!--", "<![CDATA[", "<!DOCTYPE", "<PRE>" or "<Script>"
    std::string_view closing;  ///< the marker that ended it ("-->", "]]>", ">", "]>", ...)
    std::string_view content;  ///< everything between the two markers
};

namespace detail {
struct XmlNode;
struct XmlNodeAccess;
}  // namespace detail

/// A handle to an element of a parsed tree. Copying shares the element; the tree lives as long
/// as any handle to one of its elements. The empty handle answers none or 0 to every query.
/// Views returned by the queries stay valid while a handle to the tree exists.
class XmlElement {
public:
    /// The empty handle.
    XmlElement() = default;

    /// True for the empty handle.
    bool isEmpty() const { return node_ == nullptr; }
    /// True when the handle refers to an element.
    explicit operator bool() const { return node_ != nullptr; }

    /// The element's name as written; none for the unnamed top node and the empty handle.
    std::optional<std::string_view> name() const;
    /// True for an element opened with "<?".
    bool isDeclaration() const;
    /// The 1-based line of the text on which the element's start tag begins; 0 for the unnamed
    /// top node and the empty handle.
    int line() const;

    /// Number of child elements.
    int childCount() const;
    /// The i-th child element (0-based), or the empty handle when i is out of range.
    XmlElement child(int i) const;
    /// Number of child elements whose name equals `name` ignoring ASCII case.
    int countChildren(std::string_view name) const;
    /// The i-th (0-based) child element named `name` (ignoring ASCII case), or the empty handle.
    XmlElement childNamed(std::string_view name, int i) const;

    /// Value of the first attribute named `name` (ignoring ASCII case); none when there is no
    /// such attribute or it was written without a value.
    std::optional<std::string_view> attribute(std::string_view name) const;
    /// The values of several attributes, found in one pass: values[i] is what attribute(names[i])
    /// gives. Both spans have the same size, at most 64.
    void attributes(std::span<const std::string_view> names,
                    std::span<std::optional<std::string_view>> values) const;
    /// Number of attributes, valueless ones included.
    int attributeCount() const;
    /// The i-th attribute in document order, or none when i is out of range.
    std::optional<XmlAttribute> attributeAt(int i) const;

    /// Number of text segments.
    int textCount() const;
    /// The i-th text segment (trimmed, entities decoded), or none when i is out of range.
    std::optional<std::string_view> text(int i) const;

    /// Number of clear sections (comments, CDATA, DOCTYPE, raw blocks).
    int clearCount() const;
    /// The i-th clear section, or none when i is out of range.
    std::optional<XmlClear> clear(int i) const;

private:
    friend struct detail::XmlNodeAccess;
    explicit XmlElement(std::shared_ptr<const detail::XmlNode> node) : node_(std::move(node)) {}

    std::shared_ptr<const detail::XmlNode> node_;
};

/// Parses `text` (a NUL byte ends it). Returns the document node: the only child element when
/// the top level holds exactly one element and nothing else, otherwise the unnamed top node.
/// Returns the empty handle after any error other than the two warnings. Never throws.
XmlElement parseXmlText(std::string_view text, XmlResult& result);

/// Parses the bytes of a file (UTF-8, with or without byte-order mark, or UTF-16) as
/// parseXmlText does. NoData when there are none, CharConversion when their UTF-16 is broken.
XmlElement parseXmlBytes(std::string_view bytes, XmlResult& result);
/// The same for bytes the tree may keep instead of copying them.
XmlElement parseXmlBytes(std::string&& bytes, XmlResult& result);

/// Reads a whole file (UTF-8, with or without byte-order mark, or UTF-16) and parses it as
/// parseXmlText does. FileNotFound when it cannot be read, NoData when it is empty,
/// CharConversion when its UTF-16 is broken.
XmlElement parseXmlFile(const std::filesystem::path& path, XmlResult& result);

/// Element and attribute names compare ignoring ASCII case.
using quantrel::equalsIgnoringCase;

}  // namespace quantrel::xml
