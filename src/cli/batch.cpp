// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch.h"

#include <algorithm>
#include <exception>
#include <vector>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/safe_text.h"
#include "core/calculator.h"

namespace quantrel::cli {

namespace {

// Keeps one record per line and the tab as the only field separator.
void writeField(std::ostream& out, std::string_view field) {
    for (const char c : field)
        out.put(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

// The message quotes the input, which may hold bytes that would drive the terminal.
void reportFailure(std::ostream& out, std::ostream& err, std::string_view message) {
    out.flush();
    err << safeText(message) << '\n';
    err.flush();
}

// Evaluates one line as evaluateAndPrint does; a failure's message begins with "line N: " when
// `number` is given.
bool evaluateNumbered(Calculator& calculator, std::string_view line,
                      std::optional<std::size_t> number, std::ostream& out, std::ostream& err,
                      bool flushEveryLine) {
    if (!number) return evaluateAndPrint(calculator, line, out, err, flushEveryLine);
    std::ostringstream message;
    const bool succeeded = evaluateAndPrint(calculator, line, out, message, flushEveryLine);
    if (!succeeded) {
        err << "line " << *number << ": " << message.view();
        err.flush();
    }
    return succeeded;
}

}  // namespace

bool isComment(std::string_view line) {
    for (const char c : line) {
        if (!isBlankChar(c)) return c == '#';
    }
    return false;
}

std::string_view withoutComment(std::string_view line) {
    std::size_t end = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            // A quoted unit is skipped whole, when it closes: 5'10" alone opens nothing.
            const std::size_t closing = line.find('"', i + 1);
            if (closing != std::string_view::npos) i = closing;
            continue;
        }
        if (line[i] == '#' && i > 0 && isBlankChar(line[i - 1])) {
            end = i;
            break;
        }
    }
    while (end > 0 && isBlankChar(line[end - 1]))
        --end;
    return line.substr(0, end);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

bool isBlank(std::string_view line) {
    for (const char c : line) {
        if (!isBlankChar(c)) return false;
    }
    return true;
}

bool evaluateAndPrint(Calculator& calculator, std::string_view line, std::ostream& out,
                      std::ostream& err, bool flushEveryLine) {
    try {
        out << calculator.evaluate(line).text << '\n';
        if (flushEveryLine) out.flush();
        return true;
    } catch (const Error& error) {
        reportFailure(out, err, error.message(line));
    } catch (const std::exception& error) {
        // Not an engine error (memory exhausted, say): this line fails, the next ones still run.
        reportFailure(out, err, std::string("Error: ") + error.what());
    }
    return false;
}

ExitCode runLines(Calculator& calculator, std::istream& in, std::ostream& out, std::ostream& err,
                  bool flushEveryLine, bool lineNumbers) {
    bool allSucceeded = true;
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string_view text = line;
        // A script saved with a byte-order mark (as some editors write UTF-8) starts with it.
        if (number == 1) text = withoutByteOrderMark(text);
        if (isBlank(text) || isComment(text)) continue;
        text = withoutComment(text);
        if (!evaluateNumbered(calculator, text, lineNumbers ? std::optional(number) : std::nullopt,
                              out, err, flushEveryLine)) {
            allSucceeded = false;
        }
        // A closed pipe or a full disk: evaluating the rest would write nowhere.
        if (!out) return ExitCode::LineFailed;
    }
    out.flush();
    return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
}

ExitCode runExpressions(Calculator& calculator, std::span<const std::string> expressions,
                        std::ostream& out, std::ostream& err, bool flushEveryLine,
                        bool lineNumbers) {
    bool allSucceeded = true;
    for (std::size_t i = 0; i < expressions.size(); ++i) {
        if (!evaluateNumbered(calculator, expressions[i],
                              lineNumbers ? std::optional(i + 1) : std::nullopt, out, err,
                              flushEveryLine)) {
            allSucceeded = false;
        }
        if (!out) return ExitCode::LineFailed;
    }
    out.flush();
    return allSucceeded ? ExitCode::Success : ExitCode::LineFailed;
}

namespace {

std::string folded(std::string_view text) {
    return asciiLowered(text);
}

// Whether `unit` and `other` are one unit under two symbols: an alias.
bool sameUnit(const UnitEntry& unit, const UnitEntry& other) {
    return unit.quantity == other.quantity && unit.scale == other.scale &&
           unit.offset == other.offset;
}

}  // namespace

bool listUnits(const Calculator& calculator, std::ostream& out, std::ostream& err,
               const UnitFilter& filter) {
    const std::vector<UnitEntry> units = calculator.unitList();
    std::optional<std::string> quantity;
    if (filter.quantity) {
        const std::optional<QuantityEntry> found = calculator.findQuantity(*filter.quantity);
        if (!found) {
            err << "quantrel-cli: no quantity '" << safeText(*filter.quantity) << "'\n";
            return false;
        }
        quantity = found->name;
    }
    const std::string pattern = folded(filter.pattern.value_or(""));
    const auto holds = [&pattern](std::string_view field) {
        return folded(field).find(pattern) != std::string::npos;
    };
    const auto matches = [&](const UnitEntry& unit) {
        return holds(unit.symbol) || holds(unit.name) || holds(unit.quantity);
    };
    std::vector<const UnitEntry*> aliasesMatching;
    if (filter.pattern) {
        for (const UnitEntry& unit : units) {
            if (holds(unit.symbol)) aliasesMatching.push_back(&unit);
        }
    }
    bool any = false;
    for (const UnitEntry& unit : units) {
        if (quantity && unit.quantity != *quantity) continue;
        if (filter.pattern && !matches(unit) &&
            std::none_of(aliasesMatching.begin(), aliasesMatching.end(),
                         [&unit](const UnitEntry* alias) { return sameUnit(unit, *alias); })) {
            continue;
        }
        any = true;
        writeField(out, unit.symbol);
        out << '\t';
        writeField(out, unit.name);
        out << '\t';
        writeField(out, unit.quantity);
        out << '\t';
        writeField(out, unit.description);
        out << '\n';
    }
    // Without a filter nothing was looked for: an empty library lists nothing and succeeds.
    return any || (!filter.pattern && !filter.quantity);
}

void listFunctions(const Calculator& calculator, std::ostream& out) {
    for (const FunctionEntry& function : calculator.functionList()) {
        writeField(out, function.name);
        out << '\t';
        writeField(out, function.parameters);
        out << '\t';
        writeField(out, function.description);
        out << '\n';
    }
}

}  // namespace quantrel::cli
