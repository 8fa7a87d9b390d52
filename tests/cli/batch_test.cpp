// SPDX-License-Identifier: GPL-3.0-or-later

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

Outcome runText(const std::string& input, bool lineNumbers = false) {
    Calculator calculator = test::makeTestCalculator();
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const ExitCode code = runLines(calculator, in, out, err, false, lineNumbers);
    return {code, out.str(), err.str()};
}

// An output that takes `room` characters and then fails, as a closed pipe or a full disk does.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::size_t room) : room_(room) {}
    std::string written;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (written.size() >= room_) return traits_type::eof();
        written.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t room_;
};

TEST(RunLines, EvaluatesEachLineThatIsNotBlank) {
    const Outcome run = runText("2 km + 300 m\n\n   \t\nans in m\r\n5 km / h in mps");
    EXPECT_EQ(run.code, ExitCode::Success);
    EXPECT_EQ(run.out, "2.3 km\n2300 m\n1.38889 mps\n");
    EXPECT_EQ(run.err, "");
}

TEST(RunLines, SeparatesErrorsAndGoesOn) {
    const Outcome run = runText("2 km\n2 3\nans * 2\n1 / 0\n2#3\n");
    EXPECT_EQ(run.code, ExitCode::LineFailed);
    EXPECT_EQ(run.out, "2 km\n4 km\n");
    EXPECT_EQ(run.err,
              "Parse error: Expected END near '3'\n"
              "Math error: Division by zero\n"
              "Tokenizer error: Syntax error near '#3'\n");
}

TEST(RunLines, SkipsCommentLines) {
    const struct {
        const char* input;
        const char* out;
        const char* err;
    } rows[] = {
        {"# a note\n1 m\n", "1 m\n", ""},
        {"  \t# indented note\n#\n#\r\n2 m\n", "2 m\n", ""},
        {"# only comments\n   #\n", "", ""},
        // After a blank '#' starts a comment; elsewhere it is still refused.
        {"3 # m\n", "3\n", ""},
        {"5 m in km\t# note # more\n", "0.005 km\n", ""},
        {"3#m\n", "", "Tokenizer error: Syntax error near '#m'\n"},
        {"2 + # nothing after\n", "", "Parse error: Expected EXPRESSION or CONSTANT near ''\n"},
        // A byte-order mark before the first line is no part of it.
        {"\xEF\xBB\xBF"
         "1 m\n",
         "1 m\n", ""},
        {"\xEF\xBB\xBF# note\n2 m\n", "2 m\n", ""},
        {"1 m\n#ans * 2\nans * 3\n", "1 m\n3 m\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        const Outcome run = runText(row.input);
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(run.code, *row.err == '\0' ? ExitCode::Success : ExitCode::LineFailed);
    }
}

TEST(RunLines, LineNumbersCountEveryInputLine) {
    const std::string input = "1 m\n\n# note\n2 3\n  \nans in s\r\n1 / 0";
    const Outcome numbered = runText(input, true);
    EXPECT_EQ(numbered.code, ExitCode::LineFailed);
    EXPECT_EQ(numbered.out, "1 m\n");
    EXPECT_EQ(numbered.err,
              "line 4: Parse error: Expected END near '3'\n"
              "line 6: Math error: Can't convert from Length to Time\n"
              "line 7: Math error: Division by zero\n");

    const Outcome plain = runText(input);
    EXPECT_EQ(plain.out, numbered.out);
    EXPECT_EQ(plain.err,
              "Parse error: Expected END near '3'\n"
              "Math error: Can't convert from Length to Time\n"
              "Math error: Division by zero\n");
}

TEST(RunLines, StopsAtTheFirstOutputThatCannotBeWritten) {
    Calculator calculator = test::makeTestCalculator();
    FailingBuffer buffer(4);
    std::ostream out(&buffer);
    std::ostringstream err;
    // "1 m\n" fits; "2 m\n" does not, and the error of the third line is never reached.
    std::istringstream in("1 m\n2 m\n2 3\n");
    EXPECT_EQ(runLines(calculator, in, out, err, true), ExitCode::LineFailed);
    EXPECT_EQ(buffer.written, "1 m\n");
    EXPECT_EQ(err.str(), "");

    FailingBuffer none(0);
    std::ostream closed(&none);
    const std::vector<std::string> expressions = {"1 m", "2 3"};
    EXPECT_EQ(runExpressions(calculator, expressions, closed, err, true), ExitCode::LineFailed);
    EXPECT_EQ(err.str(), "");
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

TEST(RunExpressions, LineNumbersArePlacesOfTheExpressions) {
    Calculator calculator = test::makeTestCalculator();
    // A '#' argument is an expression, not a comment.
    const std::vector<std::string> expressions = {"1 m", "", "# m", "ans in s"};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runExpressions(calculator, expressions, out, err, false, true), ExitCode::LineFailed);
    EXPECT_EQ(out.str(), "1 m\n");
    EXPECT_EQ(err.str(),
              "line 2: Parse error: Expected EXPRESSION near ''\n"
              "line 3: Tokenizer error: Syntax error near '# m'\n"
              "line 4: Math error: Can't convert from Length to Time\n");
}

TEST(Listings, WriteTabSeparatedRecordsInKeyOrder) {
    auto registry = test::makeTestRegistry();
    registry->defineUnit("Length", "yd", std::string("yard"), "Three\tfeet\nexactly",
                         std::string("0.9144 m"));
    const std::size_t unitCount = registry->units().size();
    const Calculator calculator(std::move(registry));
    std::ostringstream unitStream;
    std::ostringstream unitErrors;
    EXPECT_TRUE(listUnits(calculator, unitStream, unitErrors));
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
