// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Recognising and converting the encodings a settings file may be saved in.

#include <optional>
#include <string>
#include <string_view>

namespace quantrel::xml {

/// Byte order of UTF-16 text.
enum class Utf16Order { LittleEndian, BigEndian };

/// How a file's bytes were recognised as UTF-16.
struct Utf16Detection {
    Utf16Order order = Utf16Order::LittleEndian;
    bool hasByteOrderMark = false;  ///< the bytes start with FF FE or FE FF
};

/// Recognises UTF-16 by its byte-order mark (FF FE or FE FF) or, without one, by its first two
/// characters being ASCII written as UTF-16 (such as '<' 00 '?' 00). None for other bytes.
std::optional<Utf16Detection> detectUtf16(std::string_view bytes);

/// Converts UTF-16 code units (no byte-order mark) to UTF-8, surrogate pairs included. Stops at
/// the first NUL unit. None when the units are broken: an unpaired surrogate, or an odd byte
/// left over before the end.
std::optional<std::string> utf16ToUtf8(std::string_view bytes, Utf16Order order);

/// The UTF-8 text in a file's bytes: UTF-16 is converted into `storage` (its byte-order mark
/// dropped); otherwise a UTF-8 byte-order mark is skipped and the result views `bytes`.
/// None when UTF-16 conversion fails.
std::optional<std::string_view> fileText(std::string_view bytes, std::string& storage);

}  // namespace quantrel::xml
