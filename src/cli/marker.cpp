// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/marker.h"

#include <algorithm>

namespace quantrel::cli {

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

int displayColumns(std::string_view text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return !isContinuationByte(c); }));
}

std::string markerLine(std::string_view input, Span span) {
    const int length = static_cast<int>(input.size());
    const int begin = std::clamp(span.begin, 0, length);
    const int end = std::clamp(span.end, begin, length);
    const std::string_view before = input.substr(0, static_cast<std::size_t>(begin));
    std::string line;
    line.reserve(before.size() + 8);
    for (const char c : before) {
        if (c == '\t') {
            line += '\t';
        } else if (!isContinuationByte(c)) {
            line += ' ';
        }
    }
    const int width = displayColumns(
        input.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
    line.append(static_cast<std::size_t>(std::max(width, 1)), '^');
    return line;
}

}  // namespace quantrel::cli
