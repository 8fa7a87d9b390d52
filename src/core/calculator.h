// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The engine's one interface for the front ends: the calculator, its results, and the queries the
// desktop window and the terminal program show (listings, hints, completions).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "core/number_format.h"

namespace quantrel {

class DisplayChooser;
class TargetNode;
class UnitRegistry;
class UnitCatalog;
struct Unit;
struct UnitTarget;
struct TargetValue;

/// What a name before the caret is, for the hint line.
enum class HintKind : int { None = -1, Function = 0, Unit = 1, Variable = 2 };

/// The answer of Calculator::describe.
struct HintInfo {
    HintKind kind = HintKind::None;
    std::string title;        ///< the name as shown, for a unit "metre (m)"
    std::string detail;       ///< a function's parameter text; empty otherwise
    std::string description;  ///< one line of explanation
    std::string quantity;     ///< for a unit, the name its quantity is shown with: "Velocity"
};

/// One evaluated line as values.
struct EvaluationResult {
    long double value = 0;       ///< the number shown, in `unit` when there is one
    const Unit* unit = nullptr;  ///< the unit the result is shown in; none for a plain number,
                                 ///< a compound target and parts
    std::string number;          ///< the number's text (of the last part, for parts)
    std::string unitText;        ///< what follows the number: a symbol, "km/h", or empty
    std::string text;            ///< the whole result text: "2.3 km", "96.5606 km/h",
                                 ///< "5 ft + 10.8661 in"
    /// One short line on how the line was read, for the window and the interactive terminal
    /// (never in batch output): "reciprocal conversion", "read as 1 / (2 cup); ...", or empty.
    std::string note;
};

/// A unit as the listings show it.
struct UnitEntry {
    std::string symbol;  ///< what is typed; the key
    std::string name;
    std::string quantity;  ///< the quantity's name, the key of its entry
    std::string description;
    std::string shown;         ///< what a value in the unit is written with: "km/h", or the symbol
    std::string quantityText;  ///< the name the quantity is shown with: "Absorbed dose"
    long double scale = 1;     ///< reference value = scale * value - offset
    long double offset = 0;
    std::string reference;  ///< the symbol of the quantity's reference unit
    bool displayed = true;  ///< whether a result may be shown in it unasked (not Display="no")
};

/// A quantity with its units in definition order (the reference unit first).
struct QuantityEntry {
    std::string name;         ///< the key, as the settings name it: "AbsorbedDose"
    std::string displayName;  ///< as menus and listings show it: "Absorbed dose"
    std::vector<UnitEntry> units;
};

/// A function as the listings show it.
struct FunctionEntry {
    std::string name;
    std::string parameters;  ///< the parameter text, for example "a b"
    std::string description;
    int argumentCount = 0;
};

/// A piece of an input text as the tokenizer cuts it, for the hint line.
struct Lexeme {
    enum class Kind { Name, Operator, Other, End };
    Kind kind = Kind::Other;  ///< Operator: "+", "-", "*", "/" or "^"
    int position = 0;         ///< byte offset in the text
    std::string text;         ///< a name or number as written; empty for operators and the end
};

/// A piece of an input text with what it is, for colouring the input.
struct TokenSpan {
    enum class Kind { Number, Unit, Function, Variable, Unknown, Operator, Bracket, Keyword };
    Kind kind = Kind::Operator;  ///< Keyword: "in"; Operator also covers "?", ":", "%" and the like
    int begin = 0;               ///< byte offset of the first character
    int end = 0;                 ///< byte offset after the last character
};

/// The engine behind both front ends: owns the registry and the previous result `ans`, and
/// turns one input line into one result.
class Calculator {
public:
    /// Loads every settings file of `settingsDirectory` (missing directory: built-ins only).
    /// Throws ConfigError, or the tokenizer's or evaluator's error, when a file is wrong; the
    /// error's location() says where.
    explicit Calculator(const std::filesystem::path& settingsDirectory);
    /// The same, with the random generator seeded with `seed` instead of the clock.
    Calculator(const std::filesystem::path& settingsDirectory, std::uint32_t seed);
    /// Loads the directories one after the other; seeded from the clock without `seed`.
    Calculator(const std::vector<std::filesystem::path>& settingsDirectories,
               std::optional<std::uint32_t> seed);
    /// A calculator over a registry that is already filled.
    explicit Calculator(std::unique_ptr<UnitRegistry> registry);
    ~Calculator();
    Calculator(Calculator&&) noexcept;
    Calculator& operator=(Calculator&&) noexcept;

    /// Evaluates one line, for example "2 km + 300 m" gives 2.3 shown in km. Throws
    /// TokenizerError, ParseError or MathError; a failed line leaves `ans` as it was.
    EvaluationResult evaluate(std::string_view text);
    /// evaluate(text).text: "2.3 km".
    std::string evaluateLine(std::string_view text);
    /// What evaluate(text) would give, without changing `ans`; nothing when the line fails or
    /// draws random numbers (a draw would move the generator on).
    std::optional<EvaluationResult> preview(std::string_view text) const;

    /// How results are written; the choice of the unit a result is shown in does not depend on it.
    const NumberFormat& numberFormat() const { return format_; }
    void setNumberFormat(NumberFormat format) { format_ = format; }

    /// The previous result: its value in the reference unit of `ansUnit`, and that unit or none.
    long double ansValue() const { return ansValue_; }
    const Unit* ansUnit() const { return ansUnit_; }
    /// The previous result as a line evaluating "ans" would show it.
    EvaluationResult ansResult() const;

    /// Every unit in symbol order.
    std::vector<UnitEntry> unitList() const;
    /// Every function in name order.
    std::vector<FunctionEntry> functionList() const;
    /// Every quantity in name order, each with its units in definition order.
    std::vector<QuantityEntry> quantityList() const;

    /// "ans", then function names, then unit symbols that begin with `prefix` (byte-wise,
    /// case-sensitive), each group in byte order; only the unit symbols with `unitsOnly`.
    std::vector<std::string> completions(std::string_view prefix, bool unitsOnly = false) const;
    /// The unit symbols Tab offers for the name `prefix` that follows `before`, a text ending in a
    /// target ("60 mph in ", "60 mph in km/", "2 h in h + "). First, in symbol order, the units
    /// the target can take there: those whose dimension (or quantity) fits what the expression
    /// before "in" evaluates to, or, after "*" or "/" in a compound target, what the factor
    /// must be for the whole target to fit; then the other units beginning with `prefix`. For an
    /// empty `prefix` only the fitting units. When the expression does not evaluate (yet), or
    /// the target so far cannot be read, nothing fits and all units beginning with `prefix` come
    /// in symbol order.
    struct TargetCompletions {
        std::vector<std::string> names;
        std::size_t fitting = 0;  ///< how many of `names`, from the first, fit
    };
    TargetCompletions targetCompletions(std::string_view before, std::string_view prefix) const;
    /// The units a result of `expression` can be shown in with "in": its own quantity's and,
    /// with dimensions, those of every quantity of its dimension (its own quantity first, the
    /// others in name order, each in definition order), the shown units before the others
    /// (Display="no"). None when the line fails, draws random numbers or gives a plain number.
    std::optional<std::vector<UnitEntry>> conformableUnits(std::string_view expression) const;
    /// The unit with this symbol as the listings show it, or none.
    std::optional<UnitEntry> unitEntry(std::string_view symbol) const;
    /// The quantity called `name`: exactly, or else with ASCII case, blanks, "_" and "-"
    /// ignored, so "length" and "angular velocity" find Length and AngularVelocity.
    std::optional<QuantityEntry> findQuantity(std::string_view name) const;

    /// Whether a name that follows `before` stands in a target after "in" ("5 km in ",
    /// "60 mph in km/"), where only units fit.
    bool isInTarget(std::string_view before) const;
    /// What `name` is: the variable ans, a unit (before a function of the same name), a
    /// function, or nothing.
    HintInfo describe(std::string_view name) const;
    /// The pieces of `text` as the tokenizer cuts them, ending with an End piece; none when the
    /// text does not tokenize. Names are not resolved against parameters or variables.
    std::optional<std::vector<Lexeme>> lexemes(std::string_view text) const;
    /// The pieces of `text` with their kinds, blanks left out, for colouring. Where the text stops
    /// tokenizing, the pieces before that point.
    std::vector<TokenSpan> tokenSpans(std::string_view text) const;
    /// The name a line failed on because it is no unit, function or variable, if that is why
    /// `error` was raised.
    static std::optional<std::string> unknownName(const Error& error);
    /// Up to `limit` known names closest to `name`, the closest first, then the shown units before
    /// the hidden ones, the shorter names before the longer, and so in byte order: units (also
    /// found by their long names and plurals: "kilometres" offers "km"), functions and ans. Only
    /// the closest kind of likeness found is offered: the same name, a few letters off, or a
    /// prefix.
    std::vector<std::string> closestNames(std::string_view name, std::size_t limit = 3) const;
    /// Where the name that ends at `cursor` of `line` begins, or `cursor` when none ends there;
    /// also for text that does not tokenize.
    static std::size_t nameStartBefore(std::string_view line, std::size_t cursor);

    /// The units, quantities, conversions and functions (for tests and tools).
    const UnitRegistry& registry() const { return *registry_; }
    UnitRegistry& registry() { return *registry_; }

private:
    /// What a line leaves in `ans`, and whether it was refused for drawing random numbers.
    struct AnsAfter {
        long double value = 0;
        const Unit* unit = nullptr;
        bool refused = false;
        /// Keeps `v`, a value in the reference unit of `u`'s quantity (none or a ratio: a plain
        /// number), with that reference unit.
        void keep(long double v, const Unit* u);
    };
    /// Evaluates `text` against the current `ans` without changing it; `after` receives what
    /// ans becomes. With `allowRandom` false, a line that draws random numbers is refused
    /// (an empty result) before anything is drawn. The result is built in place, never copied:
    /// its texts are the larger part of a short line's work.
    EvaluationResult compute(std::string_view text, bool allowRandom, AnsAfter& after) const;
    EvaluationResult shown(long double value, const Unit* unit) const;
    /// `value`, in the reference unit of `unit`'s quantity, in the unit the display choice
    /// picks: how a line without a target and `ans` are shown.
    EvaluationResult shownInChosenUnit(long double value, const Unit* unit) const;
    EvaluationResult shownInTarget(const TargetNode& target, const TargetValue& converted) const;
    EvaluationResult shownInParts(long double value, const UnitTarget& target) const;

    std::unique_ptr<UnitRegistry> registry_;
    std::unique_ptr<const DisplayChooser> display_;  // over *registry_
    NumberFormat format_;
    long double ansValue_ = 0;
    const Unit* ansUnit_ = nullptr;
};

}  // namespace quantrel
