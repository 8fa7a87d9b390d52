// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace quantrel {
namespace {

std::string printfG(long double x, int precision = 6) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(x));
    return buffer;
}

TEST(NumberFormat, KnownTexts) {
    const std::pair<long double, const char*> rows[] = {
        {0.5L, "0.5"},        {100, "100"},        {1234567, "1.23457e+06"}, {123456, "123456"},
        {999999.5L, "1e+06"}, {0.0001L, "0.0001"}, {0.00001L, "1e-05"},      {-0.0L, "-0"},
        {1e300L, "1e+300"},   {1e-300L, "1e-300"}, {1e4000L, "inf"},         {-1e4000L, "-inf"},
    };
    for (const auto& [value, expected] : rows) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(formatNumber(value), expected);
    }
}

std::vector<long double> sampleValues() {
    std::vector<long double> values = {
        0,
        -0.0L,
        1,
        -1,
        0.1L + 0.2L,
        1.0L / 3,
        2.0L / 3,
        3.14159265358979323846L,
        999999,
        999999.4L,
        999999.5L,
        9999995,
        99999.95L,
        0.5L,
        2.5L,
        1234565,
        123456.5L,
        0.1234565L,
        1.0000005L,
        9.9999949999L,
        9.999995L,
        1e-5L,
        1e-4L,
        99999.9L,
        999999.9L,
        0.000099999,
        0.0000999995L,
        // Long doubles just below the edges of plain texts whose doubles reach them.
        std::nextafter(9.999995e-05L, 0.0L),
        std::nextafter(999999.5L, 0.0L),
        123456789012345678.0L,
        DBL_MAX,
        -DBL_MAX,
        DBL_MIN,
        std::numeric_limits<double>::denorm_min(),
        LDBL_MAX,
        LDBL_MIN,
        std::numeric_limits<long double>::infinity(),
        -std::numeric_limits<long double>::infinity(),
        std::numeric_limits<long double>::quiet_NaN(),
        -std::numeric_limits<long double>::quiet_NaN(),
    };
    // Mantissas from a fixed sequence over the whole range of double.
    std::uint64_t state = 12345;
    for (int exponent = -330; exponent <= 310; ++exponent) {
        for (int i = 0; i < 4; ++i) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            const long double mantissa = 1 + static_cast<long double>(state >> 11) / 0x1p53L * 9;
            const long double value = mantissa * std::pow(10.0L, exponent);
            values.push_back(i % 2 == 0 ? value : -value);
        }
    }
    return values;
}

TEST(NumberFormat, MatchesPrintfGAtEveryPrecision) {
    const std::vector<long double> values = sampleValues();
    for (int precision = NumberFormat::kMinPrecision; precision <= NumberFormat::kMaxPrecision;
         ++precision) {
        const NumberFormat format(precision);
        for (long double value : values) {
            const std::string expected = printfG(value, precision);
            SCOPED_TRACE(std::to_string(precision) + " digits: " + expected);
            ASSERT_EQ(format.format(value), expected);
            // The display-unit choice compares lengths without writing the texts.
            ASSERT_EQ(format.length(value), expected.size());
            // The natural display choice also asks whether the text is the value itself.
            const NumberFormat::Measure measure = format.measure(value);
            ASSERT_EQ(measure.length, expected.size());
            if (precision == NumberFormat::kDefaultPrecision) {
                ASSERT_LE(NumberFormat::minimumLength(value), expected.size());
                ASSERT_EQ(NumberFormat::isPlain(value), expected.find('e') == std::string::npos);
            }
            if (!std::isfinite(static_cast<double>(value))) {
                ASSERT_TRUE(measure.exact);
                continue;
            }
            const long double back = std::strtold(expected.c_str(), nullptr);
            const long double error = std::fabs(back - static_cast<double>(value));
            ASSERT_EQ(measure.exact, error <= 1e-9L * std::fabs(static_cast<double>(value)));
        }
    }
    // The default is today's six digits.
    EXPECT_EQ(formatNumber(1.0L / 3), "0.333333");
}

TEST(NumberFormat, TellsAnExactTextFromARounding) {
    const NumberFormat format;
    const std::pair<long double, bool> rows[] = {
        {1.5L, true},       {1500, true},        {0.25L, true},      {123456, true},
        {1234567, false},   {1.0L / 3, false},   {333.333L, true},   {333.3333L, false},
        {1e-300L, true},    {-2.5e20L, true},    {0, true},          {1 + 1e-12L, true},
        {1 + 1e-7L, false}, {0.1L + 0.2L, true}, {67.62804L, false},
    };
    for (const auto& [value, exact] : rows) {
        SCOPED_TRACE(format.format(value));
        EXPECT_EQ(format.measure(value).exact, exact);
    }
    EXPECT_TRUE(format.measure(std::numeric_limits<long double>::infinity()).exact);
    EXPECT_EQ(format.measure(-1.0L / 3).length, 9u);
}

TEST(NumberFormat, ClampsThePrecision) {
    EXPECT_EQ(NumberFormat(0).precision(), 1);
    EXPECT_EQ(NumberFormat(-5).precision(), 1);
    EXPECT_EQ(NumberFormat(99).precision(), 18);
    EXPECT_EQ(NumberFormat(1).format(150), "2e+02");
    EXPECT_EQ(NumberFormat(18).format(0.1L), "0.100000000000000006");
}

/// Sets a locale for the test's duration and restores "C" afterwards, also on failure.
class LocaleGuard {
public:
    LocaleGuard() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                active_ = name;
                break;
            }
        }
    }
    ~LocaleGuard() { std::setlocale(LC_ALL, "C"); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;
    const char* active() const { return active_; }

private:
    const char* active_ = nullptr;
};

TEST(NumberFormat, IndependentOfTheProcessLocale) {
    const LocaleGuard guard;
    if (guard.active() == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(formatNumber(0.5L), "0.5");
    EXPECT_EQ(formatNumber(1234567.0L), "1.23457e+06");
    Calculator calc = test::makeTestCalculator();
    test::expectResult(calc, "0.5 + 1", "1.5");
    test::expectResult(calc, "2.5 km", "2.5 km");
}

}  // namespace
}  // namespace quantrel
