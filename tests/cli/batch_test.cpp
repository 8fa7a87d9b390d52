#include "cli/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel::cli {
namespace {

struct Outcome {
    ExitCode code;
    std::string out;
    std::string err;
};

Outcome runText(const std::string& input, Calculator calculator = test::makeTestCalculator()) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const ExitCode code = runLines(calculator, in, out, err, false);
    return {code, out.str(), err.str()};
}

TEST(RunLines, EvaluatesEachLineThatIsNotBlank) {
    const Outcome run = runText("2 km + 300 m\n\n   \t\nans in m\r\n5 km / h in mps");
    EXPECT_EQ(run.code, ExitCode::Success);
    EXPECT_EQ(run.out, "2.3 km\n2300 m\n1.38889 mps\n");
    EXPECT_EQ(run.err, "");
}

TEST(RunLines, SeparatesErrorsAndGoesOn) {
    const Outcome run = runText("2 km\n2 3\nans * 2\n1 / 0\n2 # 3\n");
    EXPECT_EQ(run.code, ExitCode::LineFailed);
    EXPECT_EQ(run.out, "2 km\n4 km\n");
    EXPECT_EQ(run.err,
              "Parse error: Expected END near '3'\n"
              "Math error: Division by zero\n"
              "Tokenizer error: Syntax error near '# 3'\n");
}

TEST(RunLines, EmptyInputSucceeds) {
    const Outcome run = runText("");
    EXPECT_EQ(run.code, ExitCode::Success);
    EXPECT_EQ(run.out, "");
}

// An error flushes the results before it, so a shared pipe keeps the order of lines.
TEST(RunLines, FlushesResultsBeforeAnError) {
    struct Shared : std::stringbuf {
        std::string* log;
        explicit Shared(std::string* target) : log(target) {}
        int sync() override {
            *log += str();
            str("");
            return 0;
        }
    };
    std::string log;
    Shared outBuffer(&log);
    std::ostream out(&outBuffer);
    std::ostringstream err;
    Calculator calculator = test::makeTestCalculator();
    std::istringstream in("1 m\n2 3\n");
    runLines(calculator, in, out, err, false);
    EXPECT_EQ(log, "1 m\n");
}

TEST(RunExpressions, CarriesAnsAcrossArguments) {
    Calculator calculator = test::makeTestCalculator();
    const std::vector<std::string> expressions = {"5 km in mi", "ans in km", "-5 km"};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runExpressions(calculator, expressions, out, err, true), ExitCode::Success);
    EXPECT_EQ(out.str(), "3.10686 mi\n5 km\n-5 km\n");
}

TEST(Listings, WriteTabSeparatedRecordsInKeyOrder) {
    auto registry = test::makeTestRegistry();
    registry->defineUnit("Length", "yd", std::string("yard"), "Three\tfeet\nexactly",
                         std::string("0.9144 m"));
    const std::size_t unitCount = registry->units().size();
    const Calculator calculator(std::move(registry));
    std::ostringstream unitStream;
    listUnits(calculator, unitStream);
    const std::string units = unitStream.str();
    EXPECT_EQ(units.substr(0, units.find('\n') + 1), "Hz\thertz\tFrequency\tThe hertz\n");
    EXPECT_NE(units.find("\nyd\tyard\tLength\tThree feet exactly\n"), std::string::npos);
    EXPECT_EQ(std::count(units.begin(), units.end(), '\n'), static_cast<long>(unitCount));

    std::ostringstream functions;
    listFunctions(calculator, functions);
    EXPECT_NE(functions.str().find("\nhyp\ta b\tHypotenuse\n"), std::string::npos);
    EXPECT_NE(functions.str().find("\nsqrt\tx\t"), std::string::npos);
    EXPECT_LT(functions.str().find("\ndice\t"), functions.str().find("\nhyp\t"));
}

}  // namespace
}  // namespace quantrel::cli
