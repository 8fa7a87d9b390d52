// SPDX-License-Identifier: GPL-3.0-or-later

#include "syntax/parser.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <locale.h>

#include "eval/function.h"
#include "units/unit_catalog.h"

namespace quantrel {
namespace {

constexpr const char* kNestedTooDeeply = "Expression nested too deeply";

bool startsOperand(TokenKind kind) {
    switch (kind) {
        case TokenKind::Number:
        case TokenKind::OpenParen:
        case TokenKind::FunctionName:
        case TokenKind::ParameterName:
        case TokenKind::VariableName:
            return true;
        default:
            return false;
    }
}

bool isTermOperator(TokenKind kind) {
    switch (kind) {
        case TokenKind::Star:
        case TokenKind::Slash:
        case TokenKind::Percent:
        case TokenKind::Caret:
        case TokenKind::Less:
        case TokenKind::LessEqual:
        case TokenKind::Greater:
        case TokenKind::GreaterEqual:
            return true;
        default:
            return false;
    }
}

NodePtr makeTermNode(TokenKind kind, NodePtr left, NodePtr right, const Token& op) {
    switch (kind) {
        case TokenKind::Star:
            return std::make_unique<MultiplyNode>(std::move(left), std::move(right),
                                                  kProductPrecedence, op);
        case TokenKind::Slash:
            return std::make_unique<DivideNode>(std::move(left), std::move(right),
                                                kProductPrecedence, op);
        case TokenKind::Percent:
            return std::make_unique<ModuloNode>(std::move(left), std::move(right),
                                                kProductPrecedence, op);
        case TokenKind::Caret:
            return std::make_unique<PowerNode>(std::move(left), std::move(right), kPowerPrecedence,
                                               op);
        case TokenKind::Less:
            return std::make_unique<LessNode>(std::move(left), std::move(right), kProductPrecedence,
                                              op);
        case TokenKind::LessEqual:
            return std::make_unique<LessEqualNode>(std::move(left), std::move(right),
                                                   kProductPrecedence, op);
        case TokenKind::Greater:
            return std::make_unique<GreaterNode>(std::move(left), std::move(right),
                                                 kProductPrecedence, op);
        case TokenKind::GreaterEqual:
            return std::make_unique<GreaterEqualNode>(std::move(left), std::move(right),
                                                      kProductPrecedence, op);
        default:
            throw std::logic_error("not a term operator");
    }
}

/// Counts the parser's recursion; refuses input nested deeper than kMaxNestingDepth.
class DepthGuard {
public:
    DepthGuard(const Parser& parser, int& depth) : depth_(depth) {
        if (depth_ >= kMaxNestingDepth) throw parser.errorHere(kNestedTooDeeply);
        ++depth_;
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

}  // namespace

// The value of the longest prefix of `text` that reads as a decimal number, 0 when none does;
// infinity when the number is too large for a double. Independent of the process locale.
double readNumber(std::string_view text) {
    // Most literals are whole numbers of a few digits, which a double holds exactly.
    constexpr std::size_t kExactDigits = 15;  // below 2^53
    if (!text.empty() && text.size() <= kExactDigits &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        std::uint64_t whole = 0;
        for (const char digit : text)
            whole = 10 * whole + static_cast<std::uint64_t>(digit - '0');
        return static_cast<double>(whole);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::invalid_argument) return 0;  // a lone "."
    if (error == std::errc::result_out_of_range) {
        // Overflow or underflow: the "C" locale's strtod tells them apart (inf or 0).
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        return strtod_l(std::string(text).c_str(), nullptr, cLocale);
    }
    return value;
}

Parser::Parser(std::span<const Token> tokens, std::size_t limit) : Parser(tokens, 0, limit) {}

Parser::Parser(std::span<const Token> tokens, std::size_t start, std::size_t limit)
    : tokens_(tokens), limit_(limit) {
    if (limit_ >= tokens_.size()) limit_ = tokens_.size() - 1;
    cursor_ = start < limit_ ? start : limit_;
    end_.kind = TokenKind::End;
    end_.position = tokens_[limit_].position;
}

const Token& Parser::current() const {
    return cursor_ < limit_ ? tokens_[cursor_] : end_;
}

void Parser::advance() {
    if (cursor_ < limit_) ++cursor_;
}

ParseError Parser::errorHere(std::string text) const {
    const int next = cursor_ < limit_ ? tokens_[cursor_ + 1].position : end_.position;
    return ParseError(std::move(text), current(), next);
}

NodePtr Parser::checked(NodePtr node) const {
    if (node->height() > kMaxNestingDepth) throw errorHere(kNestedTooDeeply);
    return node;
}

NodePtr Parser::parseLine() {
    if (current().kind == TokenKind::End) throw errorHere("Expected EXPRESSION");
    NodePtr expression = parseSum();
    if (current().kind == TokenKind::End) return expression;
    if (current().kind == TokenKind::In) {
        advance();
        const Token first = current();
        UnitTarget target = readTarget();
        if (current().kind != TokenKind::End) throw errorHere("Expected END");
        return checked(
            std::make_unique<TargetNode>(std::move(expression), std::move(target), first));
    }
    throw errorHere("Expected END");
}

bool Parser::atTargetUnit() const {
    // After the keyword, "in" is the inch.
    const Token& token = current();
    return token.kind == TokenKind::UnitSymbol ||
           (token.kind == TokenKind::In && token.unit != nullptr);
}

bool Parser::startsTargetFactor() const {
    const TokenKind kind = current().kind;
    return atTargetUnit() || kind == TokenKind::Number || kind == TokenKind::OpenParen;
}

UnitTarget Parser::readTarget() {
    UnitTarget target;
    const std::size_t start = cursor_;
    const TokenKind next = start + 1 < limit_ ? tokens_[start + 1].kind : TokenKind::End;
    if (atTargetUnit() && (!allowCompoundTargets_ || next == TokenKind::End)) {
        target.first = current().unit;
        advance();
        return target;
    }
    if (!allowCompoundTargets_ || !startsTargetFactor()) throw errorHere("Expected UNIT");
    if (atTargetUnit() && next == TokenKind::Plus) {
        target.first = current().unit;
        advance();
        readMixedTarget(target);
        return target;
    }
    target.kind = UnitTarget::Kind::Compound;
    readTargetProduct(target, 1, 0);
    return target;
}

int Parser::readTargetExponent(std::string& text) {
    if (current().kind == TokenKind::UnitPower) {
        text += current().text;
        const int exponent = current().index;
        advance();
        return exponent;
    }
    // "^", an optional minus, and a whole number.
    text += '^';
    advance();
    bool negative = false;
    if (current().kind == TokenKind::Minus) {
        negative = true;
        text += '-';
        advance();
    }
    if (current().kind != TokenKind::Number) throw errorHere("Expected whole number");
    const long double value = readNumber(current().text);
    if (value != std::floor(value) || value > kMaxTargetExponent) {
        throw errorHere("Expected whole number");
    }
    text += current().text;
    advance();
    const int exponent = static_cast<int>(value);
    return negative ? -exponent : exponent;
}

void Parser::readTargetProduct(UnitTarget& target, int sign, int depth) {
    readTargetFactor(target, sign, depth);
    for (;;) {
        const TokenKind kind = current().kind;
        if (kind == TokenKind::Star || kind == TokenKind::Slash) {
            target.text += kind == TokenKind::Slash ? '/' : '*';
            advance();
            if (!startsTargetFactor()) throw errorHere("Expected UNIT");
            readTargetFactor(target, kind == TokenKind::Slash ? -sign : sign, depth);
        } else if (startsTargetFactor() && (kind != TokenKind::Number || isUnitAt(cursor_ + 1))) {
            target.text += ' ';  // units written side by side multiply
            readTargetFactor(target, sign, depth);
        } else {
            return;
        }
    }
}

void Parser::readTargetFactor(UnitTarget& target, int sign, int depth) {
    if (current().kind == TokenKind::OpenParen) {
        if (depth >= kMaxNestingDepth) throw errorHere(kNestedTooDeeply);
        target.text += '(';
        advance();
        if (!startsTargetFactor()) throw errorHere("Expected UNIT");
        readTargetProduct(target, sign, depth + 1);
        if (current().kind != TokenKind::CloseParen) throw errorHere("Expected right parenthesis");
        target.text += ')';
        advance();
        return;
    }
    if (current().kind == TokenKind::Number) {
        // A number scales the unit after it ("l/100 km"), or stands alone before "/" ("1/cm").
        const Token& number = current();
        const bool unitFollows =
            cursor_ + 1 < limit_ &&
            (tokens_[cursor_ + 1].kind == TokenKind::UnitSymbol ||
             (tokens_[cursor_ + 1].kind == TokenKind::In && tokens_[cursor_ + 1].unit != nullptr));
        const bool slashFollows =
            cursor_ + 1 < limit_ && tokens_[cursor_ + 1].kind == TokenKind::Slash;
        if (!unitFollows && !slashFollows) throw errorHere("Expected UNIT");
        const long double value = readNumber(number.text);
        if (value > LDBL_MAX) throw errorHere("Floating point overflow (" + number.text + ")");
        if (sign < 0 && value == 0) target.dividesByZero = true;
        target.number *= sign < 0 ? (value != 0 ? 1 / value : 1) : value;
        target.text += number.text;
        advance();
        if (!unitFollows) return;
        target.text += ' ';
    }
    readTargetUnit(target, sign);
}

void Parser::readTargetUnit(UnitTarget& target, int sign) {
    if (!atTargetUnit()) throw errorHere("Expected UNIT");
    if (target.first == nullptr) target.first = current().unit;
    target.text += current().text;
    target.factors.push_back({current().unit, sign});
    advance();
    if (current().kind == TokenKind::Caret || current().kind == TokenKind::UnitPower) {
        target.factors.back().exponent = sign * readTargetExponent(target.text);
    }
}

void Parser::readMixedTarget(UnitTarget& target) {
    target.kind = UnitTarget::Kind::Mixed;
    target.factors.push_back({target.first, 1});
    while (current().kind == TokenKind::Plus) {
        advance();
        // The inch may stand here: "in ft + in".
        if (!atTargetUnit()) throw errorHere("Expected UNIT");
        target.factors.push_back({current().unit, 1});
        advance();
    }
}

NodePtr Parser::parseSum() {
    NodePtr left = parseTerm();
    while (current().kind == TokenKind::Plus || current().kind == TokenKind::Minus) {
        const Token op = current();
        advance();
        NodePtr right = parseTerm();
        noteSum(*left, *right);
        if (op.kind == TokenKind::Plus) {
            left = std::make_unique<AddNode>(std::move(left), std::move(right), kSumPrecedence, op);
        } else {
            left = std::make_unique<SubtractNode>(std::move(left), std::move(right), kSumPrecedence,
                                                  op);
        }
        left = checked(std::move(left));
    }
    return left;
}

std::string Parser::sourceBetween(std::size_t first, std::size_t end) const {
    if (first >= end || end > tokens_.size()) return {};
    const auto begin = static_cast<std::size_t>(tokens_[first].position);
    auto stop = static_cast<std::size_t>(tokens_[end].position);
    stop = std::min(stop, source_.size());
    std::string_view text = source_.substr(std::min(begin, stop), stop - std::min(begin, stop));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

void Parser::noteSum(const Node& left, const Node& right) {
    // A plain number beside a value with a unit counts in the reference unit: "5 km + 2" adds
    // two metres. Say so when the unit written is another one.
    if (!readingNote_.empty() || source_.empty()) return;
    const Node* number = &right;
    const Node* measured = &left;
    if (left.token().kind == TokenKind::Number && left.unit() == nullptr) {
        number = &left;
        measured = &right;
    }
    if (number->token().kind != TokenKind::Number || number->unit() != nullptr) return;
    if (nodeAs<NumberNode>(number) == nullptr) return;
    const Token& unitToken = measured->token();
    const Unit* unit = unitToken.unit;
    if (unitToken.kind != TokenKind::UnitSymbol && unitToken.kind != TokenKind::In) return;
    if (unit == nullptr || measured->unit() == nullptr || isRatio(unit) || unit->offset != 0 ||
        unit == unit->referenceUnit) {
        return;
    }
    const std::string& text = number->token().text;
    const std::string reference(unit->referenceUnit->symbol);
    readingNote_ = "read " + text + " as " + text + " " + reference +
                   ", since a plain number counts in " + reference + "; write " + text + " " +
                   unitToken.text + " for " + unitToken.text;
}

NodePtr Parser::parseTerm() {
    NodePtr left = parsePrimary();
    for (;;) {
        const TokenKind kind = current().kind;
        if (kind == TokenKind::UnitSymbol && unitEnd_ == cursor_) {
            // A further unit right after a unit multiplies: "1 N m", "3 kW h". (The conversion
            // keyword is a token of its own and never read here; "|3| km" stays an error.)
            Token op = current();
            op.kind = TokenKind::Star;
            op.text.clear();
            NodePtr unit = applyUnit(std::make_unique<NumberNode>(1.0L, current()));
            left = checked(std::make_unique<MultiplyNode>(std::move(left), std::move(unit),
                                                          kProductPrecedence, op));
            continue;
        }
        if (!isTermOperator(kind)) return left;
        const Token op = current();
        advance();
        // "1/2 cup" divides by two cups: say so, since on paper it reads as half a cup.
        const bool numberOverUnit = kind == TokenKind::Slash &&
                                    left->token().kind == TokenKind::Number &&
                                    current().kind == TokenKind::Number && isUnitAt(cursor_ + 1);
        const std::size_t rightStart = cursor_;
        NodePtr right = parsePrimary();
        if (numberOverUnit && readingNote_.empty() && !source_.empty()) {
            const std::string& dividend = left->token().text;
            const std::string number = sourceBetween(rightStart, rightStart + 1);
            const std::string unit = sourceBetween(rightStart + 1, cursor_);
            readingNote_ = "read as " + dividend + " / (" + number + " " + unit + "); for " +
                           dividend + "/" + number + " of a " + unit + " write (" + dividend + "/" +
                           number + ") " + unit;
        }
        left = checked(makeTermNode(kind, std::move(left), std::move(right), op));
    }
}

NodePtr Parser::parsePrimary() {
    DepthGuard guard(*this, depth_);
    const Token& token = current();
    switch (token.kind) {
        case TokenKind::Plus:
            advance();
            return parsePrimary();
        case TokenKind::Minus: {
            advance();
            if (!startsOperand(current().kind)) {
                NodePtr operand = parsePrimary();
                return checked(std::make_unique<NegateNode>(std::move(operand), kProductPrecedence,
                                                            current()));
            }
            // The minus belongs to the operand, before a unit written after it.
            NodePtr operand = parseOperand();
            if (atUnitPostfix()) {
                NodePtr negated = checked(std::make_unique<NegateNode>(
                    std::move(operand), kProductPrecedence, current()));
                // "-1 h 20 min": the sign belongs to every part.
                return continueMixed(applyUnit(std::move(negated)), TokenKind::Minus);
            }
            operand = parsePostfix(std::move(operand));
            return checked(
                std::make_unique<NegateNode>(std::move(operand), kProductPrecedence, current()));
        }
        case TokenKind::Bar: {
            advance();
            NodePtr inner = parseSum();
            NodePtr node =
                checked(std::make_unique<AbsNode>(std::move(inner), kProductPrecedence, current()));
            if (current().kind != TokenKind::Bar) throw errorHere("Expected closure for |x|");
            advance();
            return node;
        }
        case TokenKind::UnitSymbol:
            return continueMixed(applyUnit(std::make_unique<NumberNode>(1.0L, token)),
                                 TokenKind::Plus);
        default: {
            if (!startsOperand(token.kind)) throw errorHere("Expected EXPRESSION or CONSTANT");
            NodePtr node = parsePostfix(parseOperand());
            if (unitEnd_ != cursor_) return node;
            return continueMixed(std::move(node), TokenKind::Plus);
        }
    }
}

NodePtr Parser::parseOperand() {
    const Token& token = current();
    switch (token.kind) {
        case TokenKind::Number:
            return parseNumber();
        case TokenKind::OpenParen: {
            advance();
            NodePtr inner = parseSum();
            if (current().kind != TokenKind::CloseParen) {
                throw errorHere("Expected right parenthesis");
            }
            advance();
            return inner;
        }
        case TokenKind::FunctionName:
            return parseCall();
        case TokenKind::ParameterName: {
            NodePtr node = std::make_unique<ParameterNode>(token.text, token.index, token);
            advance();
            return node;
        }
        case TokenKind::VariableName: {
            NodePtr node = std::make_unique<VariableNode>(token.index, token.text, token);
            advance();
            return node;
        }
        default:
            throw errorHere("Expected EXPRESSION or CONSTANT");
    }
}

NodePtr Parser::parseNumber() {
    const Token& token = current();
    const long double value = readNumber(token.text);
    if (value > LDBL_MAX || value < -LDBL_MAX) {
        throw errorHere("Floating point overflow (" + token.text + ")");
    }
    NodePtr node = std::make_unique<NumberNode>(value, token);
    advance();
    return node;
}

NodePtr Parser::parseCall() {
    const Token callToken = current();
    const Function& function = *callToken.function;
    advance();
    std::vector<NodePtr> arguments;
    arguments.reserve(static_cast<std::size_t>(function.argumentCount));
    for (int i = 0; i < function.argumentCount; ++i) {
        try {
            arguments.push_back(parsePrimary());
        } catch (const ParseError& error) {
            // Too deep an expression is no fault of the arguments: it gets no hints.
            if (error.text() == kNestedTooDeeply) throw;
            const int count = function.argumentCount;
            throw ParseError(error.text() + " (hint: " + function.name + " takes " +
                                 std::to_string(count) + " argument" + (count == 1 ? "" : "s") +
                                 ")",
                             error.token(), error.nextPosition());
        }
    }
    return checked(std::make_unique<CallNode>(callToken, function, std::move(arguments)));
}

bool Parser::isUnitAt(std::size_t index) const {
    if (index >= limit_) return false;
    const Token& token = tokens_[index];
    if (token.kind == TokenKind::UnitSymbol) return true;
    if (token.kind != TokenKind::In || token.unit == nullptr) return false;
    // "in" before a unit symbol is the conversion keyword, not the unit "in".
    const bool unitFollows = index + 1 < limit_ && tokens_[index + 1].kind == TokenKind::UnitSymbol;
    return !unitFollows;
}

bool Parser::atUnitPostfix() const {
    return isUnitAt(cursor_);
}

NodePtr Parser::applyUnit(NodePtr operand) {
    const Token unitToken = current();
    advance();
    const bool raised = current().kind == TokenKind::UnitPower ||
                        (powersBindToUnits_ && current().kind == TokenKind::Caret);
    NodePtr node;
    if (raised) {
        // The power belongs to the unit alone: "5 m^2" is five square metres.
        Token op = unitToken;
        op.kind = TokenKind::Star;
        op.text.clear();
        node = checked(std::make_unique<MultiplyNode>(std::move(operand), unitPower(unitToken),
                                                      kProductPrecedence, op));
    } else {
        node = checked(enterUnit(std::move(operand), *unitToken.unit, unitToken));
    }
    unitEnd_ = cursor_;
    return node;
}

NodePtr Parser::unitPower(const Token& unitToken) {
    NodePtr exponent;
    if (current().kind == TokenKind::UnitPower) {
        exponent = std::make_unique<NumberNode>(current().index, current());
        advance();
    } else {
        advance();  // the caret
        const Token sign = current();
        if (sign.kind == TokenKind::Plus || sign.kind == TokenKind::Minus) advance();
        DepthGuard guard(*this, depth_);
        exponent = parseOperand();
        if (sign.kind == TokenKind::Minus) {
            exponent = std::make_unique<NegateNode>(std::move(exponent), kProductPrecedence, sign);
        }
    }
    return checked(
        std::make_unique<UnitPowerNode>(*unitToken.unit, std::move(exponent), unitToken));
}

NodePtr Parser::continueMixed(NodePtr node, TokenKind sign) {
    // A number with a unit right after an operand that took a unit adds to it: "1 h 20 min",
    // "5 ft 3 in". The parts form one operand.
    while (current().kind == TokenKind::Number && isUnitAt(cursor_ + 1)) {
        Token op = current();
        op.kind = sign;
        op.text.clear();
        NodePtr part = applyUnit(parseNumber());
        if (sign == TokenKind::Minus) {
            node = checked(std::make_unique<SubtractNode>(std::move(node), std::move(part),
                                                          kSumPrecedence, op));
        } else {
            node = checked(
                std::make_unique<AddNode>(std::move(node), std::move(part), kSumPrecedence, op));
        }
    }
    return node;
}

NodePtr Parser::parsePostfix(NodePtr operand) {
    const TokenKind kind = current().kind;
    if (kind == TokenKind::Caret) {
        advance();
        NodePtr exponent = parsePrimary();
        return checked(std::make_unique<PowerNode>(std::move(operand), std::move(exponent),
                                                   kPowerPrecedence, current()));
    }
    if (kind == TokenKind::NRoot) {
        advance();
        NodePtr radicand = parsePrimary();
        return checked(std::make_unique<RootNode>(std::move(operand), std::move(radicand),
                                                  kProductPrecedence, current()));
    }
    if (atUnitPostfix()) return applyUnit(std::move(operand));
    if (kind == TokenKind::Question) {
        advance();
        NodePtr thenBranch = parsePrimary();
        if (current().kind != TokenKind::Colon) throw errorHere("Expected COLON");
        advance();
        NodePtr elseBranch = parsePrimary();
        return checked(std::make_unique<ConditionalNode>(std::move(operand), std::move(thenBranch),
                                                         std::move(elseBranch), current()));
    }
    return operand;
}

}  // namespace quantrel
