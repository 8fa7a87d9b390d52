// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/marker.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <optional>

#include "support/test_support.h"

namespace quantrel::cli {
namespace {

TEST(MarkerLine, MarksColumnsNotBytes) {
    const struct {
        const char* input;
        Span span;
        const char* marker;
    } rows[] = {
        {"2 km + 3 kg", {5, 6}, "     ^"},
        {"2 km + 3 kg", {0, 11}, "^^^^^^^^^^^"},
        {"abc", {3, 3}, "   ^"},                       // end of the text: just after it
        {"abc", {1, 1}, " ^"},                         // empty range: still one mark
        {"abc", {2, 40}, "  ^"},                       // clipped to the text
        {"2 \xC2\xB5m + x", {8, 9}, "       ^"},       // "µ" is one column
        {"\xC2\xB5m\xC2\xB5m", {0, 6}, "^^^^"},        // two-byte characters under the marks
        {"\xE2\x84\xA6 \xE2\x84\xA6", {4, 7}, "  ^"},  // three-byte "Ω"
        {"1\t+ #", {4, 5}, " \t  ^"},                  // a tab stays a tab
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(markerLine(row.input, row.span), row.marker);
    }
}

struct MarkerRow {
    const char* input;
    const char* marker;
};

template <std::size_t N>
void expectMarkers(Calculator& calculator, const MarkerRow (&rows)[N]) {
    for (const MarkerRow& row : rows) {
        SCOPED_TRACE(row.input);
        try {
            calculator.evaluateLine(row.input);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            const std::optional<Span> span = highlightSpan(error, row.input);
            ASSERT_TRUE(span.has_value());
            EXPECT_EQ(markerLine(row.input, *span), row.marker);
        }
    }
}

// The marker under the engine's own errors, one per kind of error.
TEST(MarkerLine, MarksEngineErrors) {
    Calculator calculator = test::makeTestCalculator();
    const MarkerRow rows[] = {
        {"2 # 3", "  ^"},             // tokenizer: the character
        {"2 \xC2\xB5 # 1", "    ^"},  // tokenizer after a multi-byte name
        {"1 +", "   ^"},              // parser at the end of the text
        {"2 3", "  ^"},               // parser: the token
        {"1 / 0", "  ^"},             // math error: its operator
    };
    expectMarkers(calculator, rows);
    // An error about a number with a unit marks its unit, not the start of the line.
    Calculator library(std::filesystem::path(QUANTREL_SOURCE_DIR "/settings"), 5489);
    const MarkerRow libraryRows[] = {
        {"sqrt(2 m)", "       ^"},
        {"5 m^(3 s)", "       ^"},
    };
    expectMarkers(library, libraryRows);
}

}  // namespace
}  // namespace quantrel::cli
