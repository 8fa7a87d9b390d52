#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel {

class UnitRegistry;
struct Unit;

/// What a name before the caret is, for the hint line.
enum class HintKind : int { None = -1, Function = 0, Unit = 1, Variable = 2 };

/// The answer of Calculator::describe.
struct HintInfo {
    HintKind kind = HintKind::None;
    std::string title;        ///< the name as shown, for a unit "metre (m)"
    std::string detail;       ///< a function's parameter text; empty otherwise
    std::string description;  ///< one line of explanation
};

/// The engine behind both front ends: owns the registry and the previous result `ans`, and
/// turns one input line into one result line.
class Calculator {
public:
    /// Loads every settings file of `settingsDirectory` (missing directory: built-ins only).
    /// Throws ConfigError, or the tokenizer's or evaluator's error, when a file is wrong.
    explicit Calculator(const std::filesystem::path& settingsDirectory);
    /// The same, with the random generator seeded with `seed` instead of the clock.
    Calculator(const std::filesystem::path& settingsDirectory, std::uint32_t seed);
    /// A calculator over a registry that is already filled.
    explicit Calculator(std::unique_ptr<UnitRegistry> registry);
    ~Calculator();
    Calculator(Calculator&&) noexcept;
    Calculator& operator=(Calculator&&) noexcept;

    /// Evaluates one line, for example "2 km + 300 m" gives "2.3 km". Throws TokenizerError,
    /// ParseError or MathError; a failed line leaves `ans` as it was.
    std::string evaluateLine(std::string_view text);

    /// The units, quantities, conversions and functions.
    const UnitRegistry& registry() const { return *registry_; }
    UnitRegistry& registry() { return *registry_; }

    /// "ans", then function names, then unit symbols that begin with `prefix` (byte-wise,
    /// case-sensitive), each group in byte order.
    std::vector<std::string> completions(std::string_view prefix) const;
    /// What `name` is: the variable ans, a unit (before a function of the same name), a
    /// function, or nothing.
    HintInfo describe(std::string_view name) const;

    /// The previous result: its value in the reference unit of `ansUnit`, and that unit or none.
    long double ansValue() const { return ansValue_; }
    const Unit* ansUnit() const { return ansUnit_; }

private:
    std::unique_ptr<UnitRegistry> registry_;
    long double ansValue_ = 0;
    const Unit* ansUnit_ = nullptr;
};

/// The number shown for `value` (in the reference unit of `unit`'s quantity) in `unit`.
long double toDisplay(long double value, const Unit& unit);

/// The unit of `unit`'s quantity in which `value` has the shortest number text; ties go to the
/// unit defined first.
const Unit& chooseDisplayUnit(const UnitRegistry& registry, long double value, const Unit& unit);

/// The settings directory a program uses when none is given: ./settings when it exists, else the
/// library installed beside the executable (<prefix>/share/quantrel/settings), else ./settings.
std::filesystem::path defaultSettingsDirectory(const std::filesystem::path& executable);

}  // namespace quantrel
