// SPDX-License-Identifier: GPL-3.0-or-later

#include "eval/builtin_functions.h"

#include <array>
#include <string_view>

#include "eval/random.h"

namespace quantrel {
namespace {

struct Builtin {
    std::string_view name;
    MathFunction function;
    std::string_view description;
};

// In the order they are entered.
constexpr std::array<Builtin, 24> kBuiltins{{
    {"sqrt", MathFunction::Sqrt, "Square root of x"},
    {"cbrt", MathFunction::Cbrt, "Cube root of x"},
    {"erf", MathFunction::Erf, "Error function"},
    {"erfc", MathFunction::Erfc, "Complementary error function"},
    {"sin", MathFunction::Sin, "Sine of x"},
    {"cos", MathFunction::Cos, "Cosine of x"},
    {"tan", MathFunction::Tan, "Tangent of x"},
    {"sinh", MathFunction::Sinh, "Hyperbolic sine of x"},
    {"cosh", MathFunction::Cosh, "Hyperbolic cosine of x"},
    {"tanh", MathFunction::Tanh, "Hyperbolic tangent of x"},
    {"acos", MathFunction::Acos, "Arc cosine of x"},
    {"asin", MathFunction::Asin, "Arc sine of x"},
    {"atan", MathFunction::Atan, "Arc tangent of x"},
    {"acosh", MathFunction::Acosh, "Inverse hyperbolic cosine of x"},
    {"asinh", MathFunction::Asinh, "Inverse hyperbolic sine of x"},
    {"atanh", MathFunction::Atanh, "Inverse hyperbolic tangent of x"},
    {"log", MathFunction::Log, "Natural logarithm of x"},
    {"log10", MathFunction::Log10, "Base-10 logarithm of x"},
    {"lgamma", MathFunction::Lgamma, "Logarithmic gamma of x"},
    {"tgamma", MathFunction::Tgamma, "Gamma function of x"},
    {"ceil", MathFunction::Ceil, "Round x up to nearest integer"},
    {"round", MathFunction::Round, "Round x to nearest integer"},
    {"trunc", MathFunction::Trunc, "Truncate x to the integer part"},
    {"floor", MathFunction::Floor, "Round x down to nearest integer"},
}};

}  // namespace

std::vector<Function> builtinFunctions(RandomGenerator& generator) {
    std::vector<Function> functions;
    functions.reserve(kBuiltins.size() + 1);
    for (const Builtin& builtin : kBuiltins) {
        Function function;
        function.body = std::make_unique<MathFunctionNode>(
            builtin.function, std::make_unique<ParameterNode>("x", 0, emptyToken()), emptyToken());
        function.name = builtin.name;
        function.argumentCount = 1;
        function.parameters = "x";
        function.description = builtin.description;
        const EvaluationCost cost = function.body->cost(1);
        function.baseCost = cost.base;
        function.parameterUses = cost.uses;
        functions.push_back(std::move(function));
    }
    Function rnd;
    rnd.body = std::make_unique<RandomNode>(generator, emptyToken());
    rnd.name = "rnd";
    rnd.argumentCount = 0;
    rnd.description = "Generates a pseudo-random number between [0..1]";
    rnd.drawsRandom = true;
    rnd.baseCost = rnd.body->cost(0).base;
    functions.push_back(std::move(rnd));
    return functions;
}

}  // namespace quantrel
