// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-16 recognition and conversion to UTF-8, and byte-order marks.

#include "xmlParser/xml_encoding.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace quantrel::xml {

namespace {

unsigned char byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

bool isAsciiCharacter(unsigned char c) {
    return c != 0 && c < 0x80;
}

std::uint32_t unitAt(std::string_view bytes, std::size_t i, Utf16Order order) {
    const std::uint32_t first = byteAt(bytes, i);
    const std::uint32_t second = byteAt(bytes, i + 1);
    return order == Utf16Order::LittleEndian ? (first | (second << 8)) : ((first << 8) | second);
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::optional<Utf16Detection> detectUtf16(std::string_view bytes) {
    if (bytes.size() >= 2) {
        if (byteAt(bytes, 0) == 0xFF && byteAt(bytes, 1) == 0xFE) {
            return Utf16Detection{Utf16Order::LittleEndian, true};
        }
        if (byteAt(bytes, 0) == 0xFE && byteAt(bytes, 1) == 0xFF) {
            return Utf16Detection{Utf16Order::BigEndian, true};
        }
    }
    if (bytes.size() >= 4) {
        if (isAsciiCharacter(byteAt(bytes, 0)) && byteAt(bytes, 1) == 0 &&
            isAsciiCharacter(byteAt(bytes, 2)) && byteAt(bytes, 3) == 0) {
            return Utf16Detection{Utf16Order::LittleEndian, false};
        }
        if (byteAt(bytes, 0) == 0 && isAsciiCharacter(byteAt(bytes, 1)) && byteAt(bytes, 2) == 0 &&
            isAsciiCharacter(byteAt(bytes, 3))) {
            return Utf16Detection{Utf16Order::BigEndian, false};
        }
    }
    return std::nullopt;
}

std::optional<std::string> utf16ToUtf8(std::string_view bytes, Utf16Order order) {
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        std::uint32_t code = unitAt(bytes, i, order);
        i += 2;
        if (code == 0) return out;
        if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;  // a low half on its own
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 >= bytes.size()) return std::nullopt;
            const std::uint32_t low = unitAt(bytes, i, order);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            i += 2;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(out, code);
    }
    if (i != bytes.size()) return std::nullopt;  // an odd byte at the end
    return out;
}

std::optional<std::string_view> fileText(std::string_view bytes, std::string& storage) {
    if (const std::optional<Utf16Detection> utf16 = detectUtf16(bytes)) {
        std::string_view units = utf16->hasByteOrderMark ? bytes.substr(2) : bytes;
        std::optional<std::string> converted = utf16ToUtf8(units, utf16->order);
        if (!converted) return std::nullopt;
        storage = std::move(*converted);
        return std::string_view(storage);
    }
    if (bytes.size() >= 3 && byteAt(bytes, 0) == 0xEF && byteAt(bytes, 1) == 0xBB &&
        byteAt(bytes, 2) == 0xBF) {
        return bytes.substr(3);
    }
    return bytes;
}

}  // namespace quantrel::xml
