// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch.h"

#include <exception>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>

#include "core/calculator.h"

namespace quantrel::cli {

namespace {

// Keeps one record per line and the tab as the only field separator.
void writeField(std::ostream& out, std::string_view field) {
    for (const char c : field)
        out.put(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

void reportFailure(std::ostream& out, std::ostream& err, const std::string& message) {
    out.flush();
    err << message << '\n';
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

bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isComment(std::string_view line) {
    for (const char c : line) {
        if (!isBlankChar(c)) return c == '#';
    }
    return false;
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
        if (isBlank(line) || isComment(line)) continue;
        if (!evaluateNumbered(calculator, line, lineNumbers ? std::optional(number) : std::nullopt,
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

void listUnits(const Calculator& calculator, std::ostream& out) {
    for (const UnitEntry& unit : calculator.unitList()) {
        writeField(out, unit.symbol);
        out << '\t';
        writeField(out, unit.name);
        out << '\t';
        writeField(out, unit.quantity);
        out << '\t';
        writeField(out, unit.description);
        out << '\n';
    }
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
