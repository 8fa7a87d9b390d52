#include "cli/session.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel::cli {
namespace {

class ScriptedEditor : public LineEditor {
public:
    explicit ScriptedEditor(std::deque<std::string> lines) : lines_(std::move(lines)) {}
    std::optional<std::string> readLine(std::string_view) override {
        if (lines_.empty()) return std::nullopt;
        std::string line = std::move(lines_.front());
        lines_.pop_front();
        return line;
    }
    void addHistory(const std::string& line) override { history.push_back(line); }
    std::vector<std::string> history;

private:
    std::deque<std::string> lines_;
};

TEST(RunSession, EvaluatesDescribesAndMarksErrors) {
    Calculator calculator = test::makeTestCalculator();
    ScriptedEditor editor({"2 km", "", "?km", "ans + 3 kg", "1 +"});
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runSession(calculator, editor, out, err, false), ExitCode::LineFailed);
    EXPECT_EQ(out.str(), "2 km\nUnit: kilometre (km)\nThe kilometre\n");
    EXPECT_EQ(err.str(),
              "      ^\n"
              "Math error: No conversion found for Length and Mass\n"
              "     ^\n"
              "Parse error: Expected EXPRESSION or CONSTANT near ''\n");
    EXPECT_EQ(editor.history, (std::vector<std::string>{"2 km", "?km", "ans + 3 kg", "1 +"}));
}

TEST(RunSession, QuitEndsTheSession) {
    for (const char* quit : {"quit", " exit "}) {
        SCOPED_TRACE(quit);
        Calculator calculator = test::makeTestCalculator();
        ScriptedEditor editor({"1 m", quit, "2 3"});
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runSession(calculator, editor, out, err, false), ExitCode::Success);
        EXPECT_EQ(out.str(), "1 m\n");
        EXPECT_EQ(err.str(), "");
    }
}

TEST(RunSession, ColoursOnlyTheMarksAndTheMessage) {
    Calculator calculator = test::makeTestCalculator();
    ScriptedEditor editor({"2 3"});
    std::ostringstream out;
    std::ostringstream err;
    runSession(calculator, editor, out, err, true);
    EXPECT_EQ(err.str(),
              "    \033[1;31m^\033[0m\n\033[31mParse error: Expected END near '3'\033[0m\n");
}

TEST(HistoryFile, PrefersTheStateDirectory) {
    EXPECT_EQ(historyFile("/state", "/home/u"), std::filesystem::path("/state/quantrel/history"));
    EXPECT_EQ(historyFile("relative", "/home/u"),
              std::filesystem::path("/home/u/.local/state/quantrel/history"));
    EXPECT_EQ(historyFile("", "/home/u"),
              std::filesystem::path("/home/u/.local/state/quantrel/history"));
    EXPECT_EQ(historyFile(nullptr, nullptr), std::nullopt);
}

}  // namespace
}  // namespace quantrel::cli
