// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

#include "core/calculator.h"

namespace quantrel::cli {

/// The number of terminal columns `text` takes, counting each UTF-8 character as one column.
int displayColumns(std::string_view text);

/// The line printed under `input` to mark the byte range `span`: blanks up to the span (a tab
/// where the input has a tab, so the marks line up), then one "^" per character of the span and
/// at least one. An empty span at the end of the text marks the column just after it.
std::string markerLine(std::string_view input, Span span);

}  // namespace quantrel::cli
