// SPDX-License-Identifier: GPL-3.0-or-later
// The reader: tokens, the element parser, text handling and entity decoding, files.
//
// The parser walks the text once with an explicit stack of open elements instead of recursion,
// so no input can exhaust the call stack; elements nested deeper than kMaxElementDepth are
// refused.

#include "xmlParser/xml_parser.h"

#include "xmlParser/xml_encoding.h"
#include "xmlParser/xml_node.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace quantrel::xml {

namespace {

using detail::XmlDocument;
using detail::XmlNode;

// ---------------------------------------------------------------------------------------------
// Characters

constexpr std::uint8_t kWhiteSpace = 1;  // tab, line feed, carriage return, space
constexpr std::uint8_t kTextStop = 2;    // ends plain text: white space, "<", "=", ">"
constexpr std::uint8_t kSlowStep = 4;    // "/" (which may begin "/>") or a multi-byte lead byte
constexpr std::uint8_t kQuote = 8;       // a quote, which ends no text but begins a quoted one

/// Class bits and UTF-8 character length for every byte value.
struct CharTable {
    std::array<std::uint8_t, 256> classes{};
    std::array<std::uint8_t, 256> lengths{};

    constexpr CharTable() {
        for (int c = 0; c < 256; ++c) {
            lengths[c] = (c >= 0xC2 && c <= 0xDF)   ? 2
                         : (c >= 0xE0 && c <= 0xEF) ? 3
                         : (c >= 0xF0 && c <= 0xF4) ? 4
                                                    : 1;
            if (lengths[c] > 1) classes[c] = kSlowStep;
        }
        for (unsigned char c : {'\t', '\n', '\r', ' '})
            classes[c] = kWhiteSpace | kTextStop;
        for (unsigned char c : {'<', '=', '>'})
            classes[c] = kTextStop;
        classes[static_cast<unsigned char>('/')] = kSlowStep;
        classes[static_cast<unsigned char>('"')] = kQuote;
        classes[static_cast<unsigned char>('\'')] = kQuote;
    }
};

constexpr CharTable kChars;

/// Sixteen bytes compared at once (GCC's and Clang's vector types, which every target has).
using Bytes16 = unsigned char __attribute__((vector_size(16)));

/// The first position from `p` on whose byte is one of `stops` or not ASCII; the size of `text`
/// when there is none. Runs of other bytes are passed sixteen at a time.
template <typename... Stops>
std::size_t findAsciiStop(std::string_view text, std::size_t p, Stops... stops) {
    for (; p + 16 <= text.size(); p += 16) {
        Bytes16 chunk;
        std::memcpy(&chunk, text.data() + p, 16);
        // A byte of `hits` is 0xFF where the text has a stop, 0 elsewhere.
        const Bytes16 hits = ((chunk == static_cast<unsigned char>(stops)) | ... | (chunk >= 0x80));
        std::array<std::uint64_t, 2> halves;
        std::memcpy(halves.data(), &hits, 16);
        for (std::size_t half = 0; half < 2; ++half) {
            if (halves[half] == 0) continue;
            if constexpr (std::endian::native == std::endian::little) {
                return p + 8 * half + static_cast<std::size_t>(std::countr_zero(halves[half])) / 8;
            } else {
                return p + 8 * half + static_cast<std::size_t>(std::countl_zero(halves[half])) / 8;
            }
        }
    }
    for (; p < text.size(); ++p) {
        const char c = text[p];
        if (((c == stops) || ...) || static_cast<unsigned char>(c) >= 0x80) return p;
    }
    return text.size();
}

bool isWhiteSpace(char c) {
    return (kChars.classes[static_cast<unsigned char>(c)] & kWhiteSpace);
}

std::string_view trimWhiteSpace(std::string_view text) {
    while (!text.empty() && isWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Entities

struct NamedEntity {
    std::string_view name;  // with its ";"
    char value;
};

constexpr std::array<NamedEntity, 5> kNamedEntities{{
    {"amp;", '&'},
    {"lt;", '<'},
    {"gt;", '>'},
    {"quot;", '"'},
    {"apos;", '\''},
}};

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// Appends the character with `code` (below 256). Codes from 128 up are written as their
/// two-byte UTF-8 form, so that "&#181;" gives the same text as a typed "µ".
void appendCharacterCode(std::string& out, int code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// Decodes the entity that starts after the "&" at the front of `rest`; returns its length
/// after the "&", or 0 with `error` set.
std::size_t decodeEntity(std::string_view rest, std::string& out, XmlError& error) {
    if (!rest.empty() && rest.front() == '#') {
        std::size_t i = 1;
        const bool hex = i < rest.size() && (rest[i] == 'x' || rest[i] == 'X');
        if (hex) ++i;
        int code = 0;
        for (int digit; i < rest.size() && (digit = digitValue(rest[i], hex)) >= 0; ++i) {
            code = std::min(code * (hex ? 16 : 10) + digit, 256);  // 256 stands for "too big"
        }
        if (i >= rest.size() || rest[i] != ';') {
            error = XmlError::UnknownCharacterEntity;
            return 0;
        }
        if (code >= 256) {
            error = XmlError::CharacterCodeAbove255;
            return 0;
        }
        appendCharacterCode(out, code);
        return i + 1;
    }
    for (const NamedEntity& entity : kNamedEntities) {
        if (rest.size() >= entity.name.size() &&
            equalsIgnoringCase(rest.substr(0, entity.name.size()), entity.name)) {
            out += entity.value;
            return entity.name.size();
        }
    }
    error = XmlError::UnknownCharacterEntity;
    return 0;
}

/// Decodes the entities of `raw` into `out`; false with `error` set on a bad entity.
bool decodeEntities(std::string_view raw, std::string& out, XmlError& error) {
    std::size_t amp = raw.find('&');
    if (amp == std::string_view::npos) {
        out.assign(raw);
        return true;
    }
    out.clear();
    out.reserve(raw.size());
    std::size_t done = 0;
    while (amp != std::string_view::npos) {
        out.append(raw, done, amp - done);
        const std::size_t length = decodeEntity(raw.substr(amp + 1), out, error);
        if (length == 0) return false;
        done = amp + 1 + length;
        amp = raw.find('&', done);
    }
    out.append(raw, done);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Tokens

enum class TokenKind {
    End,
    Clear,
    QuotedText,
    Text,
    ShortClose,
    EndTagStart,
    DeclarationStart,
    TagStart,
    Equals,
    TagClose,
};

/// The sections whose content is kept as written; openers are compared case-sensitively.
struct ClearMarkers {
    std::string_view opening;
    std::string_view closing;
};

constexpr std::array<ClearMarkers, 5> kClearMarkers{{
    {"<![CDATA[", "]]>"},
    {"<!DOCTYPE", ">"},
    {"<!--", "-->"},
    {"<PRE>", "</PRE>"},
    {"<Script>", "</Script>"},
}};
constexpr std::size_t kDoctype = 1;
constexpr std::size_t kComment = 2;
constexpr std::string_view kDoctypeWithSubsetEnd = "]>";

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t begin = 0;  // quoted text: at the opening quote
    std::size_t end = 0;    // quoted text: after the closing quote
    std::size_t clear = 0;  // index into kClearMarkers for a clear token
};

// ---------------------------------------------------------------------------------------------
// The parser

/// What an element received last, for joining the texts around a comment.
enum class Item : std::uint8_t { None, Child, Text, Clear, Comment };

class Parser {
public:
    /// Reads `bytes` from `start` on; the document keeps them.
    Parser(std::string&& bytes, std::size_t start) : bytes_(std::move(bytes)), start_(start) {}

    XmlElement parse(XmlResult& result);

private:
    /// An element being read, and where its entries begin in the pending lists.
    struct Open {
        std::uint32_t node = 0;
        std::uint32_t children = 0;
        std::uint32_t texts = 0;
        std::uint32_t clears = 0;
        Item last = Item::None;
        Item beforeLast = Item::None;

        void received(Item item) {
            beforeLast = last;
            last = item;
        }
    };

    /// The end of the character starting at `p`, never beyond the text.
    std::size_t nextChar(std::size_t p) const {
        return std::min(p + kChars.lengths[static_cast<unsigned char>(text_[p])], text_.size());
    }
    std::uint8_t classAt(std::size_t p) const {
        return kChars.classes[static_cast<unsigned char>(text_[p])];
    }
    bool isShortCloseAt(std::size_t p) const {
        return text_[p] == '/' && p + 1 < text_.size() && text_[p + 1] == '>';
    }
    std::size_t skipWhiteSpace(std::size_t p) const {
        while (p < text_.size() && isWhiteSpace(text_[p]))
            ++p;
        return p;
    }
    std::string_view view(const Token& token) const {
        return text_.substr(token.begin, token.end - token.begin);
    }
    XmlNode& node(const Open& open) { return document_->nodes[open.node]; }

    Token next();
    std::size_t quotedTextEnd(std::size_t p, char quote) const;
    std::size_t plainTextEnd(std::size_t p) const;
    std::size_t find(std::size_t from, std::string_view marker) const;
    void skipContentText();
    void reserveLists();

    bool readContentToken();
    bool readTag();
    std::optional<bool> readPlainAttributes();
    bool finishStartTag(bool shortClose);
    std::optional<bool> readPlainTag();
    bool readEndTag();
    bool closeOpenElements(std::string_view endName, char after);
    bool readClear(const Token& opener);
    bool decode(std::string_view raw, std::string_view& out);
    bool addPendingText(std::size_t end);
    void openChild(std::string_view name, bool isDeclaration, std::size_t tagStart);
    void closeElement();
    bool fail(XmlError error);
    void warnUnmatchedEndTag();
    void computeLineAndColumn(std::size_t position, XmlResult& result) const;

    std::string bytes_;
    std::size_t start_ = 0;
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t pendingStart_ = 0;  // where the text not yet added to an element begins
    bool insideTag_ = false;        // reading the attributes of open_.back()
    XmlError error_ = XmlError::NoError;
    std::size_t warningPos_ = 0;  // after the first mismatched end tag
    std::shared_ptr<XmlDocument> document_;
    std::vector<Open> open_;  // open_[0] is the unnamed top node
    // The entries of the open elements, innermost last; an element's own move to the document
    // when it closes, which keeps each element's entries together there.
    std::vector<std::uint32_t> pendingChildren_;
    std::vector<std::string_view> pendingTexts_;
    std::vector<XmlClear> pendingClears_;
    std::string decoded_;  // the text being decoded
};

Token Parser::next() {
    while (pos_ < text_.size() && isWhiteSpace(text_[pos_]))
        ++pos_;
    Token token;
    token.begin = pos_;
    if (pos_ >= text_.size()) {
        token.end = pos_;
        return token;
    }
    const std::string_view rest = text_.substr(pos_);
    const char c = rest.front();
    if (c == '<') {
        const char after = rest.size() > 1 ? rest[1] : '\0';
        if (after == '!' || after == 'P' || after == 'S') {
            for (std::size_t i = 0; i < kClearMarkers.size(); ++i) {
                if (rest.starts_with(kClearMarkers[i].opening)) {
                    token.kind = TokenKind::Clear;
                    token.clear = i;
                    pos_ += kClearMarkers[i].opening.size();
                    token.end = pos_;
                    return token;
                }
            }
        }
        token.kind = after == '/'   ? TokenKind::EndTagStart
                     : after == '?' ? TokenKind::DeclarationStart
                                    : TokenKind::TagStart;
        pos_ += token.kind == TokenKind::TagStart ? 1 : 2;
    } else if (c == '"' || c == '\'') {
        const std::size_t p = quotedTextEnd(pos_, c);
        if (p < text_.size()) {
            token.kind = TokenKind::QuotedText;
            pos_ = p + 1;
        } else {
            // No closing quote before a "<" or the end: plain text that starts with the quote.
            token.kind = TokenKind::Text;
            pos_ = plainTextEnd(pos_ + 1);
        }
    } else if (isShortCloseAt(pos_)) {
        token.kind = TokenKind::ShortClose;
        pos_ += 2;
    } else if (c == '=' || c == '>') {
        token.kind = c == '=' ? TokenKind::Equals : TokenKind::TagClose;
        pos_ += 1;
    } else {
        token.kind = TokenKind::Text;
        pos_ = plainTextEnd(pos_);
    }
    token.end = pos_;
    return token;
}

/// The closing quote of the quoted text that opens at `p`; the end of the text when a "<" or
/// the end comes first.
std::size_t Parser::quotedTextEnd(std::size_t p, char quote) const {
    for (p = p + 1; (p = findAsciiStop(text_, p, quote, '<')) < text_.size(); p = nextChar(p)) {
        if (text_[p] == quote) return p;
        if (text_[p] == '<') break;
    }
    return text_.size();
}

std::size_t Parser::plainTextEnd(std::size_t p) const {
    while (p < text_.size()) {
        const std::uint8_t bits = classAt(p);
        if (bits == 0) {
            ++p;
        } else if (bits & kTextStop) {
            break;
        } else if (isShortCloseAt(p)) {
            break;
        } else {
            p = nextChar(p);
        }
    }
    return p;
}

std::size_t Parser::find(std::size_t from, std::string_view marker) const {
    const char first = marker.front();  // ASCII in every marker
    for (std::size_t p = from; (p = findAsciiStop(text_, p, first)) < text_.size();
         p = nextChar(p)) {
        if (text_.substr(p).starts_with(marker)) return p;
    }
    return std::string_view::npos;
}

/// Moves over a text between tags up to the "<" that begins the next token, or the end. The
/// tokens of such a text (words, quoted texts, "=", ">" and "/>") end only at a "<" or where the
/// next one begins, and none holds a "<" of its own, so only the characters matter: a "<" byte
/// inside a multi-byte character (after a lead byte, even in broken UTF-8) does not count.
void Parser::skipContentText() {
    std::size_t p = pos_;
    while ((p = findAsciiStop(text_, p, '<')) < text_.size() && text_[p] != '<')
        p = nextChar(p);
    pos_ = p;
}

XmlElement Parser::parse(XmlResult& result) {
    document_ = std::make_shared<XmlDocument>();
    // The document keeps the text, so that an element can tell its line when asked.
    document_->storage = std::move(bytes_);
    text_ = std::string_view(document_->storage).substr(start_);
    text_ = text_.substr(0, text_.find('\0'));  // a NUL byte ends the text
    document_->text = text_;
    reserveLists();
    document_->nodes.emplace_back().document = document_.get();
    open_.push_back(Open{});
    while (insideTag_ ? readTag() : readContentToken()) {
    }
    while (!open_.empty())
        closeElement();

    const XmlNode& top = document_->nodes.front();
    result = XmlResult{};
    result.error = top.children.count == 0 ? XmlError::NoTagFound : error_;
    if (result.error != XmlError::NoError) {
        computeLineAndColumn(result.error == XmlError::UnmatchedEndTagWarning ? warningPos_ : pos_,
                             result);
    }
    if (result.error != XmlError::NoError && result.error != XmlError::UnmatchedEndTagWarning &&
        result.error != XmlError::NoTagFound) {
        return {};
    }
    const bool onlyOneElement = top.children.count == 1 && top.texts.count == 0 &&
                                top.clears.count == 0 && top.attributes.count == 0;
    const XmlNode* shown = &top;
    if (onlyOneElement) shown = &document_->nodes[document_->children[top.children.first]];
    return detail::XmlNodeAccess::element(document_, shown);
}

/// Reserves the lists from the size of the text, which spares most of their regrowth: a settings
/// file has about one element in a hundred bytes and an attribute in thirty, and the lists are
/// reserved for somewhat more (one in 64 and one in 16). A guess that is too small only lets a
/// list grow as it would have.
void Parser::reserveLists() {
    const std::size_t elements = text_.size() / 64 + 1;
    document_->nodes.reserve(elements + 1);
    document_->children.reserve(elements);
    document_->texts.reserve(elements);
    document_->attributes.reserve(text_.size() / 16 + 1);
    pendingChildren_.reserve(elements);
    pendingTexts_.reserve(16);
    pendingClears_.reserve(16);
    open_.reserve(16);
}

bool Parser::readContentToken() {
    skipContentText();
    if (const std::optional<bool> read = readPlainTag()) return *read;
    const Token token = next();
    switch (token.kind) {
        case TokenKind::TagStart:
        case TokenKind::DeclarationStart: {
            if (!addPendingText(token.begin)) return false;
            if (open_.size() > static_cast<std::size_t>(kMaxElementDepth)) {
                return fail(XmlError::UnexpectedToken);
            }
            const Token name = next();
            if (name.kind != TokenKind::Text) return fail(XmlError::MissingStartTagName);
            openChild(view(name), token.kind == TokenKind::DeclarationStart, token.begin);
            insideTag_ = true;
            return true;
        }
        case TokenKind::EndTagStart:
            return addPendingText(token.begin) && readEndTag();
        case TokenKind::Clear:
            return addPendingText(token.begin) && readClear(token);
        case TokenKind::End:
            // Reaching the end inside an element is a warning, except in the top node and in
            // a declaration, which a file never closes.
            if (open_.size() > 1 && !node(open_.back()).isDeclaration) warnUnmatchedEndTag();
            addPendingText(token.begin);
            return false;
        default:
            return true;  // part of the pending text
    }
}

bool Parser::readTag() {
    if (const std::optional<bool> read = readPlainAttributes()) return *read;
    enum class Expecting { Name, Equals, Value };
    XmlNode& element = node(open_.back());
    std::vector<XmlAttribute>& attributes = document_->attributes;
    const auto add = [&](std::string_view name, std::optional<std::string_view> value) {
        attributes.push_back(XmlAttribute{name, value});
        ++element.attributes.count;
    };
    Expecting expecting = Expecting::Name;
    std::string_view name;  // the attribute name read last
    for (;;) {
        const Token token = next();
        switch (expecting) {
            case Expecting::Name:
                if (token.kind == TokenKind::Text) {
                    name = view(token);
                    expecting = Expecting::Equals;
                    continue;
                }
                if (token.kind == TokenKind::TagClose || token.kind == TokenKind::ShortClose) {
                    return finishStartTag(token.kind == TokenKind::ShortClose);
                }
                return fail(XmlError::UnexpectedToken);
            case Expecting::Equals:
                if (token.kind == TokenKind::Text) {
                    add(name, std::nullopt);
                    name = view(token);
                    continue;
                }
                if (token.kind == TokenKind::Equals) {
                    expecting = Expecting::Value;
                    continue;
                }
                if (token.kind == TokenKind::TagClose || token.kind == TokenKind::ShortClose) {
                    // "<?xml version='1.0' ?>": the "?" is no attribute.
                    if (element.isDeclaration && name.ends_with('?')) name.remove_suffix(1);
                    if (!name.empty()) add(name, std::nullopt);
                    return finishStartTag(token.kind == TokenKind::ShortClose);
                }
                return fail(XmlError::UnexpectedToken);
            case Expecting::Value: {
                if (token.kind != TokenKind::Text && token.kind != TokenKind::QuotedText) {
                    return fail(XmlError::UnexpectedToken);
                }
                std::string_view raw = view(token);
                if (token.kind == TokenKind::QuotedText) raw = raw.substr(1, raw.size() - 2);
                std::string_view value;
                if (!decode(raw, value)) return false;
                if (element.isDeclaration && value.ends_with('?')) value.remove_suffix(1);
                add(name, value);
                expecting = Expecting::Name;
                continue;
            }
        }
    }
}

/// Reads what most tags hold, attributes written name="value" or name='value' and then ">" or
/// "/>", straight from the text: it gives what the tokens give for them. Stops at the first
/// other form, with pos_ at the start of the attribute, and gives none: the tokens read the rest
/// of the tag. Otherwise gives the outcome of the tag.
std::optional<bool> Parser::readPlainAttributes() {
    XmlNode& element = node(open_.back());
    for (;;) {
        std::size_t p = skipWhiteSpace(pos_);
        if (p >= text_.size()) return std::nullopt;
        if (text_[p] == '>') {
            pos_ = p + 1;
            return finishStartTag(false);
        }
        if (isShortCloseAt(p)) {
            pos_ = p + 2;
            return finishStartTag(true);
        }
        // A name of single-byte characters other than quotes, "/" and the ones that end a text.
        const std::size_t nameStart = p;
        while (p < text_.size() && classAt(p) == 0)
            ++p;
        const std::size_t nameEnd = p;
        p = skipWhiteSpace(p);
        if (nameEnd == nameStart || p >= text_.size() || text_[p] != '=') return std::nullopt;
        p = skipWhiteSpace(p + 1);
        if (p >= text_.size() || (text_[p] != '"' && text_[p] != '\'')) return std::nullopt;
        const char quote = text_[p];
        // Most values are ASCII without entities: then the closing quote is the first stop.
        std::size_t close = findAsciiStop(text_, p + 1, quote, '<', '&');
        const bool plain = close < text_.size() && text_[close] == quote;
        if (!plain) close = quotedTextEnd(p, quote);
        if (close >= text_.size()) return std::nullopt;
        pos_ = close + 1;
        std::string_view value = text_.substr(p + 1, close - p - 1);
        if (!plain && !decode(value, value)) return false;
        if (element.isDeclaration && value.ends_with('?')) value.remove_suffix(1);
        document_->attributes.push_back(
            XmlAttribute{text_.substr(nameStart, nameEnd - nameStart), value});
        ++element.attributes.count;
    }
}

bool Parser::finishStartTag(bool shortClose) {
    insideTag_ = false;
    pendingStart_ = pos_;
    // A declaration's "?>" closes it only below the top level: the declaration at the start of
    // a file stays open and holds the rest of the file.
    const std::size_t depth = open_.size() - 1;
    if (shortClose || (node(open_.back()).isDeclaration && depth >= 2)) closeElement();
    return true;
}

/// An end tag closes an element when the element's name, ignoring case, is the start of the
/// end tag's name and is followed there by white space, "/", "<", ">" or "=".
bool endTagMatches(std::string_view elementName, std::string_view endName,
                   char characterAfterEndName) {
    if (elementName.size() > endName.size() ||
        !equalsIgnoringCase(elementName, endName.substr(0, elementName.size()))) {
        return false;
    }
    const char c =
        elementName.size() < endName.size() ? endName[elementName.size()] : characterAfterEndName;
    return isWhiteSpace(c) || c == '/' || c == '<' || c == '>' || c == '=';
}

/// Reads what most tags begin with straight from the text: "<name" of a start tag or "</name>",
/// a name of single-byte characters other than quotes and "/"; it does what the tokens do for
/// them. Gives none, having changed nothing, for any other form, which the tokens read.
std::optional<bool> Parser::readPlainTag() {
    const std::size_t begin = pos_;
    if (begin + 1 >= text_.size() || text_[begin] != '<') return std::nullopt;
    const bool endTag = text_[begin + 1] == '/';
    const std::size_t nameStart = begin + (endTag ? 2 : 1);
    if (nameStart >= text_.size() || classAt(nameStart) != 0) return std::nullopt;
    // "<!", "<?", and "<P" and "<S", which may open a raw block.
    const char first = text_[nameStart];
    if (!endTag && (first == '!' || first == '?' || first == 'P' || first == 'S')) {
        return std::nullopt;
    }
    std::size_t p = nameStart;
    while (p < text_.size() && classAt(p) == 0)
        ++p;
    const std::string_view name = text_.substr(nameStart, p - nameStart);
    if (endTag) {
        if (p >= text_.size() || text_[p] != '>') return std::nullopt;
        pos_ = nameStart;
        if (!addPendingText(begin)) return false;
        pos_ = p + 1;
        pendingStart_ = pos_;
        return closeOpenElements(name, '>');
    }
    // The name ends where a text ends.
    if (p < text_.size() && !(classAt(p) & kTextStop) && !isShortCloseAt(p)) return std::nullopt;
    pos_ = nameStart;
    if (!addPendingText(begin)) return false;
    if (open_.size() > static_cast<std::size_t>(kMaxElementDepth)) {
        return fail(XmlError::UnexpectedToken);
    }
    openChild(name, false, begin);
    pos_ = p;
    insideTag_ = true;
    return true;
}

bool Parser::readEndTag() {
    const Token name = next();
    if (name.kind != TokenKind::Text) return fail(XmlError::MissingEndTagName);
    if (next().kind != TokenKind::TagClose) return fail(XmlError::MissingEndTagName);
    pendingStart_ = pos_;
    // The name is followed at least by the ">".
    return closeOpenElements(view(name), text_[name.end]);
}

/// Closes the elements an end tag named `endName`, followed by `after`, closes.
bool Parser::closeOpenElements(std::string_view endName, char after) {
    // The unnamed top node has no end tag: whatever closes nothing open is unmatched.
    if (open_.size() == 1) return fail(XmlError::UnmatchedEndTag);
    if (endTagMatches(node(open_.back()).name, endName, after)) {
        closeElement();
        return true;
    }
    warnUnmatchedEndTag();
    // The element that read the end tag is complete; so is every enclosing element up to and
    // including the first one the end tag matches.
    closeElement();
    for (;;) {
        if (open_.size() == 1) return fail(XmlError::UnmatchedEndTag);
        const bool matches = endTagMatches(node(open_.back()).name, endName, after);
        closeElement();
        if (matches) return true;
    }
}

bool Parser::readClear(const Token& opener) {
    const ClearMarkers& markers = kClearMarkers[opener.clear];
    std::string_view closing = markers.closing;
    std::size_t end = std::string_view::npos;
    if (opener.clear == kDoctype) {
        // Up to the first ">", unless a "<" comes first (an internal subset): then up to "]>".
        std::size_t p = opener.end;
        while (p < text_.size() && text_[p] != '>' && text_[p] != '<')
            p = nextChar(p);
        if (p < text_.size() && text_[p] == '>') {
            end = p;
        } else if (p < text_.size()) {
            closing = kDoctypeWithSubsetEnd;
            end = find(p, closing);
        }
    } else {
        end = find(opener.end, closing);
    }
    if (end == std::string_view::npos) return fail(XmlError::UnmatchedClearTagEnd);

    pendingClears_.push_back(
        XmlClear{markers.opening, closing, text_.substr(opener.end, end - opener.end)});
    open_.back().received(opener.clear == kComment ? Item::Comment : Item::Clear);
    pos_ = end + closing.size();
    pendingStart_ = pos_;
    return true;
}

/// `raw` with its entities decoded: a view of it when it has none, otherwise the decoded text
/// kept by the document. False, with the error set, on a bad entity.
bool Parser::decode(std::string_view raw, std::string_view& out) {
    if (raw.find('&') == std::string_view::npos) {
        out = raw;
        return true;
    }
    if (!decodeEntities(raw, decoded_, error_)) return fail(error_);
    out = document_->arena.keep(decoded_);
    return true;
}

bool Parser::addPendingText(std::size_t end) {
    const std::string_view raw = trimWhiteSpace(text_.substr(pendingStart_, end - pendingStart_));
    pendingStart_ = end;
    if (raw.empty()) return true;
    std::string_view text;
    if (!decode(raw, text)) return false;

    Open& open = open_.back();
    if (open.beforeLast == Item::Text && open.last == Item::Comment) {
        // A comment inside a text is dropped and the text on both sides joined, without a space.
        pendingClears_.pop_back();
        std::string joined(pendingTexts_.back());
        joined += text;
        pendingTexts_.back() = document_->arena.keep(joined);
        open.last = Item::Text;
        open.beforeLast = Item::None;  // never asked: a text is never followed by a text
        return true;
    }
    pendingTexts_.push_back(text);
    open.received(Item::Text);
    return true;
}

void Parser::openChild(std::string_view name, bool isDeclaration, std::size_t tagStart) {
    const auto index = static_cast<std::uint32_t>(document_->nodes.size());
    XmlNode& child = document_->nodes.emplace_back();
    child.name = name;
    child.named = true;
    child.tagStart = tagStart;
    child.document = document_.get();
    child.isDeclaration = isDeclaration;
    child.attributes.first = static_cast<std::uint32_t>(document_->attributes.size());
    pendingChildren_.push_back(index);
    open_.back().received(Item::Child);
    open_.push_back(Open{index, static_cast<std::uint32_t>(pendingChildren_.size()),
                         static_cast<std::uint32_t>(pendingTexts_.size()),
                         static_cast<std::uint32_t>(pendingClears_.size())});
}

/// Moves the entries of `pending` from `start` on to the end of `list`; returns where they are.
template <typename T>
detail::Range moveEntries(std::vector<T>& pending, std::uint32_t start, std::vector<T>& list) {
    const detail::Range range{static_cast<std::uint32_t>(list.size()),
                              static_cast<std::uint32_t>(pending.size() - start)};
    if (range.count == 0) return range;  // elements often hold entries of only one kind
    if (range.count == 1) {
        // Most elements that hold any hold one text: a unit its definition.
        list.push_back(pending.back());
        pending.pop_back();
        return range;
    }
    list.insert(list.end(), pending.begin() + start, pending.end());
    pending.resize(start);
    return range;
}

void Parser::closeElement() {
    const Open& open = open_.back();
    XmlNode& element = node(open);
    element.children = moveEntries(pendingChildren_, open.children, document_->children);
    element.texts = moveEntries(pendingTexts_, open.texts, document_->texts);
    element.clears = moveEntries(pendingClears_, open.clears, document_->clears);
    open_.pop_back();
}

bool Parser::fail(XmlError error) {
    error_ = error;
    return false;
}

void Parser::warnUnmatchedEndTag() {
    if (error_ != XmlError::NoError) return;
    error_ = XmlError::UnmatchedEndTagWarning;
    warningPos_ = pos_;
}

void Parser::computeLineAndColumn(std::size_t position, XmlResult& result) const {
    result.line = 1;
    result.column = 1;
    for (std::size_t p = 0; p < position; p = nextChar(p)) {
        if (text_[p] == '\n') {
            ++result.line;
            result.column = 1;
        } else {
            ++result.column;
        }
    }
}

}  // namespace

XmlElement parseXmlText(std::string_view text, XmlResult& result) {
    return Parser(std::string(text), 0).parse(result);
}

XmlElement parseXmlBytes(std::string_view bytes, XmlResult& result) {
    return parseXmlBytes(std::string(bytes), result);
}

XmlElement parseXmlBytes(std::string&& bytes, XmlResult& result) {
    result = XmlResult{};
    if (bytes.empty()) {
        result.error = XmlError::NoData;
        return {};
    }
    std::string converted;
    const std::optional<std::string_view> text = fileText(bytes, converted);
    if (!text) {
        result.error = XmlError::CharConversion;
        return {};
    }
    if (text->data() == converted.data()) return Parser(std::move(converted), 0).parse(result);
    const auto start = static_cast<std::size_t>(text->data() - bytes.data());  // after a mark
    return Parser(std::move(bytes), start).parse(result);
}

XmlElement parseXmlFile(const std::filesystem::path& path, XmlResult& result) {
    result = XmlResult{};
    std::error_code ignored;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ignored)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        result.error = XmlError::FileNotFound;
        return {};
    }
    std::string bytes;
    std::array<char, 65536> chunk;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        result.error = XmlError::FileNotFound;
        return {};
    }
    return parseXmlBytes(std::move(bytes), result);
}

}  // namespace quantrel::xml
