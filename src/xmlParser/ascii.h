// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// ASCII character classes and case folding for every layer: nothing here asks the process
// locale, so names, numbers and settings read the same everywhere.

#include <cstddef>
#include <string>
#include <string_view>

namespace quantrel {

/// `c` with an ASCII capital made small; every other byte as it is.
constexpr char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// `text` with its ASCII capitals made small.
inline std::string asciiLowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

/// True when `a` and `b` are equal ignoring ASCII case.
constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;  // names are mostly written as they are asked for
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

/// Whether `c` is white space between tokens and words: space, tab, line feed, vertical tab,
/// form feed or carriage return.
constexpr bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace quantrel
