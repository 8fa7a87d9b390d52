// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/test_support.h"

#include <cstdio>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <unistd.h>

#include "base/error.h"
#include "settings/settings_loader.h"
#include "settings/settings_source.h"

namespace quantrel::test {

std::unique_ptr<UnitRegistry> makeTestRegistry(std::uint32_t seed) {
    auto registry = std::make_unique<UnitRegistry>(seed);
    struct Definition {
        const char* quantity;
        const char* symbol;
        const char* name;
        const char* definition;
    };
    const Definition definitions[] = {
        {"Length", "m", "metre", "1"},
        {"Length", "km", "kilometre", "1000 m"},
        {"Length", "cm", "centimetre", "0.01 m"},
        {"Length", "mm", "millimetre", "0.001 m"},
        {"Length", "mi", "mile", "1609.344 m"},
        {"Length", "ft", "foot", "0.3048 m"},
        {"Length", "in", "inch", "0.0254 m"},
        {"Mass", "kg", "kilogram", "1"},
        {"Mass", "g", "gram", "0.001 kg"},
        {"Mass", "lb", "pound", "0.45359237 kg"},
        {"Time", "s", "second", "1"},
        {"Time", "min", "minute", "60 s"},
        {"Time", "h", "hour", "3600 s"},
        {"Temperature", "K", "kelvin", "1"},
        {"Temperature", "degC", "degree Celsius", "0 degC = 273.15 K"},
        {"Temperature", "degF", "degree Fahrenheit", "32 degF = 273.15 K, 212 degF = 373.15 K"},
        {"Area", "m2", "square metre", "1"},
        {"Area", "km2", "square kilometre", "1000000 m2"},
        {"Area", "ha", "hectare", "10000 m2"},
        {"Volume", "m3", "cubic metre", "1"},
        {"Volume", "l", "litre", "0.001 m3"},
        {"Velocity", "mps", "metre per second", "1"},
        {"Velocity", "kmh", "kilometre per hour", "1000 / 3600"},
        {"Frequency", "Hz", "hertz", "1"},
    };
    for (const Definition& d : definitions) {
        registry->defineUnit(d.quantity, d.symbol, std::string(d.name),
                             std::string("The ") + d.name, std::string(d.definition));
    }
    registry->addConversion("Length * Length", "Area");
    registry->addConversion("Area * Length", "Volume");
    registry->addConversion("Length / Time", "Velocity");
    registry->addConversion("1 / Time", "Frequency");
    registry->defineFunction("sq", "Square of x", "x", "x * x");
    registry->defineFunction("hyp", "Hypotenuse", "a b", "sqrt(sq a + sq b)");
    registry->defineFunction("dice", "A throw of a die", "", "floor(rnd * 6) + 1");
    return registry;
}

Calculator makeTestCalculator(std::uint32_t seed) {
    return Calculator(makeTestRegistry(seed));
}

std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

Calculator calculatorFromXml(const std::string& xml) {
    auto registry = std::make_unique<UnitRegistry>(5489);
    MemorySource source;
    source.add("mem/units.xml", xml);
    loadSettings(*registry, source);
    return Calculator(std::move(registry));
}

void expectSettingsFailure(const std::string& xml, std::string_view message,
                           std::string_view location) {
    SCOPED_TRACE(xml);
    UnitRegistry registry(5489);
    MemorySource source;
    source.add("mem/units.xml", xml);
    try {
        loadSettings(registry, source);
        ADD_FAILURE() << "loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), message);
        EXPECT_EQ(error.locationText(), location);
    }
}

void expectResult(Calculator& calculator, std::string_view input, std::string_view expected) {
    SCOPED_TRACE(std::string("input: ") + std::string(input));
    try {
        // The record and the line agree: the text is the number written with the calculator's
        // format, then the shown text of the unit it is shown in (its symbol unless it has one).
        const EvaluationResult result = calculator.evaluate(input);
        EXPECT_EQ(result.text, expected);
        const bool inParts = result.text.find(" + ") != std::string::npos;
        if (!inParts) {
            EXPECT_EQ(result.number, calculator.numberFormat().format(result.value));
        }
        if (result.unit != nullptr) {
            EXPECT_EQ(result.unitText, shownText(*result.unit));
        }
        // A result split into parts ("5 ft + 10.8661 in") ends with its last part; any other is
        // that part alone.
        const std::string last =
            result.unitText.empty() ? result.number : result.number + " " + result.unitText;
        // A negative one is bracketed whole after its sign: "-(1 h + 30 min)", "-30 min".
        std::string_view text = result.text;
        if (inParts && text.starts_with("-(") && text.ends_with(')')) {
            text = text.substr(2, text.size() - 3);
        } else if (text.starts_with('-') && !last.starts_with('-')) {
            text.remove_prefix(1);
        }
        EXPECT_TRUE(text.ends_with(last)) << result.text << " does not end with " << last;
        if (!inParts) {
            EXPECT_EQ(text, last);
        }
    } catch (const Error& error) {
        ADD_FAILURE() << "unexpected error: " << error.message(input);
    }
}

void expectError(Calculator& calculator, std::string_view input, std::string_view category,
                 std::string_view text) {
    SCOPED_TRACE(std::string("input: ") + std::string(input));
    try {
        const std::string result = calculator.evaluateLine(input);
        ADD_FAILURE() << "expected an error, got " << result;
    } catch (const Error& error) {
        EXPECT_EQ(error.category(), category);
        EXPECT_EQ(error.text(), text);
    }
}

TemporaryDirectory::TemporaryDirectory() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("quantrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::filesystem::path TemporaryDirectory::write(const std::string& name,
                                                std::string_view content) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
}

}  // namespace quantrel::test
