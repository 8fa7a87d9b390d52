#include "cli/name_queries.h"

#include <algorithm>

#include "core/calculator.h"
#include "core/number_format.h"
#include "units/unit_registry.h"

namespace quantrel::cli {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The calculator's name characters: ASCII letters and digits, "$", "_", quotes, and every byte
// of a multi-byte UTF-8 character.
bool isNameChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || isDigit(c) || c == '$' ||
           c == '_' || c == '"' || c == '\'' || byte >= 0x80;
}

// Skips a number the way the calculator reads one: digits and one decimal mark ("." or ","),
// then an exponent letter, then digits and signs.
std::size_t skipNumber(std::string_view text, std::size_t i) {
    bool exponentSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) continue;
        if (!exponentSeen && (c == '.' || c == ',')) continue;
        if (!exponentSeen && (c == 'e' || c == 'E')) {
            exponentSeen = true;
            continue;
        }
        if (exponentSeen && (c == '+' || c == '-')) continue;
        break;
    }
    return i;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlankChar(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankChar(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string ansText(const Calculator& calculator) {
    const long double value = calculator.ansValue();
    const Unit* unit = calculator.ansUnit();
    if (unit == nullptr) return formatNumber(value);
    const Unit& shown = chooseDisplayUnit(calculator.registry(), value, *unit);
    const long double number = &shown == unit ? value : toDisplay(value, shown);
    return formatNumber(number) + " " + shown.symbol;
}

}  // namespace

std::size_t nameStartBefore(std::string_view line, std::size_t cursor) {
    cursor = std::min(cursor, line.size());
    const std::string_view text = line.substr(0, cursor);
    std::size_t nameStart = cursor;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isDigit(c) || c == '.') {
            i = skipNumber(text, i);
            nameStart = cursor;
        } else if (isNameChar(c)) {
            const std::size_t begin = i;
            while (i < text.size() && isNameChar(text[i]))
                ++i;
            nameStart = begin;
        } else {
            ++i;
            nameStart = cursor;
        }
    }
    return nameStart;
}

Completion completeAt(const Calculator& calculator, std::string_view line, std::size_t cursor) {
    Completion completion;
    completion.end = std::min(cursor, line.size());
    completion.begin = nameStartBefore(line, completion.end);
    const std::string_view prefix =
        line.substr(completion.begin, completion.end - completion.begin);
    if (prefix.empty()) return completion;

    for (std::string& name : calculator.completions(prefix)) {
        // A name that is both a function and a unit is offered once.
        if (std::find(completion.candidates.begin(), completion.candidates.end(), name) ==
            completion.candidates.end()) {
            completion.candidates.push_back(std::move(name));
        }
    }
    if (completion.candidates.empty()) {
        completion.replacement = std::string(prefix);
        return completion;
    }
    std::string_view common = completion.candidates.front();
    for (const std::string& candidate : completion.candidates) {
        const auto mismatch =
            std::mismatch(common.begin(), common.end(), candidate.begin(), candidate.end());
        common = common.substr(0, static_cast<std::size_t>(mismatch.first - common.begin()));
    }
    completion.replacement = std::string(common);
    return completion;
}

std::optional<std::string> questionName(std::string_view line) {
    const std::string_view text = trim(line);
    if (text.empty() || text.front() != '?') return std::nullopt;
    return std::string(trim(text.substr(1)));
}

std::string describeText(const Calculator& calculator, std::string_view name) {
    if (name.empty()) return "Type ?name to describe a unit, a function or ans.\n";
    const HintInfo hint = calculator.describe(name);
    std::string text;
    switch (hint.kind) {
        case HintKind::Unit:
            text = "Unit: " + hint.title;
            break;
        case HintKind::Function:
            text = "Function: " + hint.title;
            if (!hint.detail.empty()) text += " " + hint.detail;
            break;
        case HintKind::Variable:
            text = "Variable: " + hint.title + " = " + ansText(calculator);
            break;
        case HintKind::None:
            text = "'";
            text.append(name);
            text += "' is not a unit, a function or ans.\n";
            return text;
    }
    text += '\n';
    if (!hint.description.empty()) text += hint.description + '\n';
    return text;
}

}  // namespace quantrel::cli
