// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <optional>
#include <pty.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(RunSession, SaysHowALineWasReadUnderItsResult) {
    Calculator calculator = test::makeTestCalculator();
    ScriptedEditor editor({"5 km + 2", "5 m + 2"});
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runSession(calculator, editor, out, err, false), ExitCode::Success);
    EXPECT_EQ(
        out.str(),
        "5002 m\n  (read 2 as 2 m, since a plain number counts in m; write 2 km for km)\n7 m\n");
}

TEST(RunSession, SuggestsKnownNamesForAnUnknownOne) {
    Calculator calculator = test::makeTestCalculator();
    ScriptedEditor editor({"2 kilometre", "3 zzzz", "4 km 5"});
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runSession(calculator, editor, out, err, false), ExitCode::LineFailed);
    EXPECT_EQ(err.str(),
              "    ^^^^^^^^^\n"
              "Parse error: Expected END near 'kilometre'\n"
              "  did you mean: km?\n"
              "    ^^^^\n"
              "Parse error: Expected END near 'zzzz'\n"
              "       ^\n"
              "Parse error: Expected END near '5'\n");
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

mode_t permissions(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// With no umask to lean on, the modes must come from the program itself.
class HistoryFileTest : public ::testing::Test {
protected:
    HistoryFileTest() : previousMask_(umask(0)) {}
    ~HistoryFileTest() override { umask(previousMask_); }
    test::TemporaryDirectory home_;

private:
    mode_t previousMask_;
};

TEST_F(HistoryFileTest, IsCreatedPrivate) {
    const std::filesystem::path file = home_.path() / "state" / "quantrel" / "history";
    ASSERT_TRUE(prepareHistoryFile(file));
    EXPECT_EQ(permissions(file), 0600u);
    EXPECT_EQ(permissions(file.parent_path()), 0700u);
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST_F(HistoryFileTest, AnExistingHistoryIsMadePrivateAndKept) {
    const std::filesystem::path file = home_.write("quantrel/history", "2 km\n1 m in ft\n");
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms(0755));
    std::filesystem::permissions(file, std::filesystem::perms(0644));
    ASSERT_TRUE(prepareHistoryFile(file));
    EXPECT_EQ(permissions(file), 0600u);
    // A directory the user already has is theirs to arrange.
    EXPECT_EQ(permissions(file.parent_path()), 0755u);
    std::ifstream in(file);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "2 km\n1 m in ft\n");
}

TEST_F(HistoryFileTest, ADirectoryInTheWayIsNotUsed) {
    std::filesystem::create_directories(home_.path() / "quantrel" / "history");
    EXPECT_FALSE(prepareHistoryFile(home_.path() / "quantrel" / "history"));
    home_.write("file", "");
    EXPECT_FALSE(prepareHistoryFile(home_.path() / "file" / "quantrel" / "history"));
}

// Sets an environment variable for the life of the object (none: unset).
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UseColour, AnEmptyNoColorDoesNotCount) {
    int controller = -1;
    int terminal = -1;
    ASSERT_EQ(openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
    const struct {
        std::optional<std::string> noColor;
        const char* term;
        bool colour;
    } rows[] = {
        {std::nullopt, "xterm", true}, {"", "xterm", true}, {"1", "xterm", false},
        {"0", "xterm", false},         {"", "dumb", false}, {std::nullopt, nullptr, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.noColor.value_or("(unset)") + " " + (row.term ? row.term : "(unset)"));
        const ScopedEnvironment noColor("NO_COLOR", row.noColor);
        const ScopedEnvironment term(
            "TERM", row.term ? std::optional<std::string>(row.term) : std::nullopt);
        EXPECT_EQ(useColour(terminal), row.colour);
    }
    // Not a terminal: never coloured.
    const ScopedEnvironment noColor("NO_COLOR", std::nullopt);
    const ScopedEnvironment term("TERM", "xterm");
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_FALSE(useColour(pipeEnds[1]));
    for (const int fd : {controller, terminal, pipeEnds[0], pipeEnds[1]})
        close(fd);
}

}  // namespace
}  // namespace quantrel::cli
