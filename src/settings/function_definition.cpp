// SPDX-License-Identifier: GPL-3.0-or-later
// Entering conversion rules and user functions from the settings.

#include "base/error.h"
#include "settings/unit_registry.h"
#include "syntax/parser.h"
#include "syntax/tokenizer.h"

namespace quantrel {

void UnitRegistry::addConversion(std::string_view formula, const std::string& result) {
    const QuantityUnits* resultUnits = findQuantity(result);
    // "1" names a plain number, unless a quantity is called so.
    const bool plainNumber = resultUnits == nullptr && result == "1";
    if (resultUnits == nullptr && !plainNumber) {
        throw ConfigError("Unknown result type '" + result + "'");
    }
    const std::vector<Token> tokens = tokenize(*this, formula);
    if (tokens.size() != 4) throw ConfigError("Invalid formula format");
    Conversion rule;
    rule.left = tokens[0].text;
    rule.op = tokens[1].kind;
    rule.right = tokens[2].text;
    rule.result = result;
    rule.resultReference = plainNumber ? nullptr : resultUnits->front();
    enterConversion(std::move(rule));
}

const Function& UnitRegistry::defineFunction(const std::string& name,
                                             const std::string& description,
                                             const std::string& parameters,
                                             const std::string& body) {
    if (findFunction(name) != nullptr) throw ConfigError("Function '" + name + "' already defined");

    // Parameter names are separated by white space; each must be a fresh name.
    const std::vector<Token> parameterTokens = tokenize(*this, parameters);
    std::vector<std::string_view> parameterNames;
    for (const Token& token : parameterTokens) {
        if (token.kind == TokenKind::End) break;
        if (token.kind != TokenKind::UnknownName) {
            throw ConfigError("Syntax error while parsing parameter list for function '" + name +
                              "'");
        }
        parameterNames.push_back(token.text);
    }

    const std::vector<Token> tokens = tokenize(*this, body, parameterNames);
    NodePtr tree;
    try {
        Parser parser(tokens);
        parser.setAllowCompoundTargets(false);
        tree = parser.parseLine();
    } catch (const ParseError& error) {
        throw ConfigError("Error while parsing function '" + name + "': " + error.message(body));
    }

    Function function;
    function.drawsRandom = tree->drawsRandom();
    // Constant parts are reduced once, now; calls that draw random numbers stay calls.
    foldToFixedPoint(tree, *this, Scope{}, /*keepRandomCalls=*/true);
    const EvaluationCost cost = tree->cost(parameterNames.size());
    function.baseCost = cost.base;
    function.parameterUses = cost.uses;
    function.body = std::move(tree);
    function.name = name;
    function.argumentCount = static_cast<int>(parameterNames.size());
    function.parameters = parameters;
    function.description = description;
    return enterFunction(std::move(function));
}

}  // namespace quantrel
