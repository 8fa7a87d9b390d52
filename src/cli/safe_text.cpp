// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/safe_text.h"

namespace quantrel::cli {

namespace {

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0 when the byte there
// does not start one.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // the range of the second byte, which rules out overlong forms,
    unsigned char high = 0xBF;  // surrogates and code points above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool isControl(std::string_view text, std::size_t at, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (length == 1) return (lead < 0x20 && lead != '\t') || lead == 0x7F;
    // U+0080 to U+009F: C2 80 to C2 9F.
    return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

void appendEscaped(std::string& out, unsigned char byte) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

SafeText safeTextWithOffsets(std::string_view text) {
    SafeText safe;
    safe.text.reserve(text.size());
    safe.offsets.reserve(text.size() + 1);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0 || isControl(text, i, length)) {
            // Each byte of a control character or a broken sequence is shown on its own.
            const std::size_t count = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < count; ++k) {
                safe.offsets.push_back(safe.text.size());
                appendEscaped(safe.text, static_cast<unsigned char>(text[i + k]));
            }
            i += count;
            continue;
        }
        for (std::size_t k = 0; k < length; ++k)
            safe.offsets.push_back(safe.text.size() + k);
        safe.text.append(text.substr(i, length));
        i += length;
    }
    safe.offsets.push_back(safe.text.size());
    return safe;
}

std::string safeText(std::string_view text) {
    if (isSafeText(text)) return std::string(text);
    return safeTextWithOffsets(text).text;
}

bool isSafeText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0 || isControl(text, i, length)) return false;
        i += length;
    }
    return true;
}

}  // namespace quantrel::cli
