// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "core/calculator.h"
#include "settings/unit_registry.h"

namespace quantrel::test {

/// A registry with a small, known set of units, rules and functions, seeded with 5489:
///   Length: m (1), km, cm, mm, mi (1609.344 m), ft (0.3048 m), in (0.0254 m)
///   Mass: kg (1), g, lb (0.45359237 kg)
///   Time: s (1), min, h
///   Temperature: K (1), degC (0 degC = 273.15 K), degF (32 degF = 273.15 K, 212 degF = 373.15 K)
///   Area: m2 (1), km2, ha;  Volume: m3 (1), l;  Velocity: mps (1), kmh;  Frequency: Hz (1)
///   Rules: Length * Length = Area, Area * Length = Volume, Length / Time = Velocity,
///          1 / Time = Frequency
///   Functions: sq x = x * x; hyp a b = sqrt(sq a + sq b); dice = floor(rnd * 6) + 1
std::unique_ptr<UnitRegistry> makeTestRegistry(std::uint32_t seed = 5489);

/// A calculator over makeTestRegistry().
Calculator makeTestCalculator(std::uint32_t seed = 5489);

/// A calculator (seeded with 5489) over one settings file held in memory as "mem/units.xml".
Calculator calculatorFromXml(const std::string& xml);

/// What `command` writes to standard output when run by the shell ("popen failed" when it
/// cannot be started).
std::string commandOutput(const std::string& command);

/// Expects loading one settings file held in memory as "mem/units.xml" to fail with the full
/// message `message` located at `location` ("at mem/units.xml:2, unit 'km'").
void expectSettingsFailure(const std::string& xml, std::string_view message,
                           std::string_view location);

/// Expects `input` to evaluate to exactly `expected`.
void expectResult(Calculator& calculator, std::string_view input, std::string_view expected);

/// Expects `input` to fail with an error of `category` ("Tokenizer", "Parser", "Math") whose
/// bare text is `text`.
void expectError(Calculator& calculator, std::string_view input, std::string_view category,
                 std::string_view text);

/// A fresh directory under the system's temporary directory, removed with everything in it when
/// the object dies.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    /// Writes `content` to the file `name` (relative; parent directories are created).
    std::filesystem::path write(const std::string& name, std::string_view content) const;

private:
    std::filesystem::path path_;
};

}  // namespace quantrel::test
