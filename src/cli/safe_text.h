// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::cli {

/// A text made safe to write to a terminal, with where each byte of the original landed.
struct SafeText {
    std::string text;
    /// offsets[i] is where byte i of the original begins in `text`; offsets[size] is text.size().
    std::vector<std::size_t> offsets;
};

/// `text` with every byte that could drive a terminal written as "\xNN" (lower-case hex): control
/// characters but the tab (C0, DEL, and the C1 controls U+0080 to U+009F), and every byte that is
/// not part of a well-formed UTF-8 sequence (overlong forms, surrogates and code points above
/// U+10FFFF included). A backslash stays as it is. Everything else is kept byte for byte.
SafeText safeTextWithOffsets(std::string_view text);

/// safeTextWithOffsets(text).text.
std::string safeText(std::string_view text);

/// Whether `text` needs no escaping: safeText(text) == text.
bool isSafeText(std::string_view text);

}  // namespace quantrel::cli
