// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built quantrel-cli through pipes and a pseudo-terminal.

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/test_support.h"

namespace {

using quantrel::test::TemporaryDirectory;

constexpr const char* kSettings = R"(<?xml version="1.0"?>
<Units>
  <Quantity Name="Length">
    <Unit Symbol="m" Name="metre" Description="Base unit of length">1</Unit>
    <Unit Symbol="km" Name="kilometre" Description="1000 metres">1000 m</Unit>
    <Unit Symbol="mi" Name="mile" Description="International mile">1609.344 m</Unit>
  </Quantity>
  <Quantity Name="Time">
    <Unit Symbol="s" Name="second" Description="Base unit of time">1</Unit>
    <Unit Symbol="h" Name="hour" Description="3600 seconds">3600 s</Unit>
  </Quantity>
  <Quantity Name="Velocity">
    <Unit Symbol="mps" Name="metre per second" Description="Base unit of velocity">1</Unit>
  </Quantity>
</Units>
<Conversions>
  <Conversion Formula="Length / Time" Result="Velocity"/>
</Conversions>
<Functions>
  <Function Name="sq" Parameters="x" Description="Square of x">x * x</Function>
</Functions>
)";

struct Outcome {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs quantrel-cli with `args`, feeding it `input`; with `merged`, standard error goes into the
// same pipe as standard output (as with 2>&1) and everything lands in `out`.
Outcome runCli(const std::vector<std::string>& args, const std::string& input = "",
               bool merged = false) {
    std::vector<char*> argv;
    std::string program = QUANTREL_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(merged ? out[1] : err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Small inputs fit into the pipe; the program reads them all before it writes much.
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) ADD_FAILURE() << "write";
    close(in[1]);

    Outcome outcome;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* targets[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class CliProgram : public ::testing::Test {
protected:
    CliProgram() { settings_.write("units.xml", kSettings); }
    std::string settings() const { return settings_.path().string(); }
    TemporaryDirectory settings_;
};

TEST_F(CliProgram, EvaluatesArgumentsInOrder) {
    const Outcome run = runCli({"--settings", settings(), "2 km + 300 m", "ans in m", "-5 km"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2.3 km\n2300 m\n-5 km\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliProgram, EvaluatesStandardInputAndSeparatesErrors) {
    const std::string input = "5 km / h in mps\n\n  \nans * 2\n2 3\nsq 3\n";
    const Outcome run = runCli({"--settings", settings()}, input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1.38889 mps\n2.77778 mps\n9\n");
    EXPECT_EQ(run.err, "Parse error: Expected END near '3'\n");

    const Outcome merged = runCli({"--settings", settings()}, input, true);
    EXPECT_EQ(merged.out, "1.38889 mps\n2.77778 mps\nParse error: Expected END near '3'\n9\n");

    const Outcome unbuffered = runCli({"--unbuffered", "--settings", settings()}, input, true);
    EXPECT_EQ(unbuffered.out, merged.out);
}

TEST_F(CliProgram, WritesResultsWithTheDigitsAsked) {
    const std::pair<const char*, const char*> rows[] = {
        {"1", "3e+02 m\n0.3 km\n"},
        {"6", "333.333 m\n0.333333 km\n"},
        {"12", "333.333333333 m\n0.333333333333 km\n"},
        {"18", "333.333333333333314 m\n0.333333333333333315 km\n"},
    };
    for (const auto& [digits, expected] : rows) {
        SCOPED_TRACE(digits);
        // The unit chosen does not change with the digits.
        const Outcome run =
            runCli({"--settings", settings(), "--digits", digits, "1 km / 3", "ans in km"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, expected);
    }
}

TEST_F(CliProgram, ReportsStartupFailures) {
    TemporaryDirectory broken;
    broken.write("bad.xml",
                 "<Units>\n<Quantity Name=\"Length\">\n  <Unit>1</Unit></Quantity></Units>");
    const Outcome settingsError = runCli({"--settings", broken.path().string(), "1"});
    EXPECT_EQ(settingsError.status, 2);
    EXPECT_EQ(settingsError.out, "");
    const std::string file = (broken.path() / "bad.xml").string();
    // The message as it always was, then where the settings went wrong.
    EXPECT_EQ(settingsError.err, "Configuration error (" + file +
                                     "): No unit symbol defined\n  at " + file +
                                     ":3, quantity 'Length'\n");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--bogus"}, {"1", "--seed", "-1"}, {"--settings"}}) {
        SCOPED_TRACE(args.front());
        const Outcome usage = runCli(args);
        EXPECT_EQ(usage.status, 2);
        EXPECT_EQ(usage.out, "");
        EXPECT_EQ(std::count(usage.err.begin(), usage.err.end(), '\n'), 1);
    }
}

TEST_F(CliProgram, ListsUnitsAndFunctions) {
    const Outcome units = runCli({"--list-units", "--settings", settings()});
    EXPECT_EQ(units.status, 0);
    EXPECT_EQ(units.out,
              "h\thour\tTime\t3600 seconds\n"
              "km\tkilometre\tLength\t1000 metres\n"
              "m\tmetre\tLength\tBase unit of length\n"
              "mi\tmile\tLength\tInternational mile\n"
              "mps\tmetre per second\tVelocity\tBase unit of velocity\n"
              "s\tsecond\tTime\tBase unit of time\n");

    const Outcome functions = runCli({"--settings", settings(), "--list-functions"});
    EXPECT_EQ(functions.status, 0);
    EXPECT_NE(functions.out.find("\nsq\tx\tSquare of x\n"), std::string::npos);
    EXPECT_EQ(functions.out.find("acos\tx\t"), 0u);
}

TEST_F(CliProgram, AnswersHelpAndVersion) {
    const Outcome version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("quantrel-cli ") + QUANTREL_VERSION + "\n");
    const Outcome help = runCli({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.find("Usage: quantrel-cli"), 0u);
}

TEST_F(CliProgram, SeedMakesRandomNumbersRepeat) {
    const Outcome first = runCli({"--settings", settings(), "--seed", "4294967295", "rnd", "rnd"});
    const Outcome second = runCli({"--seed=4294967295", "--settings", settings()}, "rnd\nrnd\n");
    const Outcome other = runCli({"--settings", settings(), "--seed", "1", "rnd", "rnd"});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_NE(first.out, other.out);
}

TEST_F(CliProgram, OutputThatCannotBeWrittenIsAFailure) {
    std::string program = QUANTREL_CLI;
    std::string settingsArg = settings();
    char option[] = "--settings";
    char expression[] = "1 km";
    char* argv[] = {program.data(), option, settingsArg.data(), expression, nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        const int full = open("/dev/full", O_WRONLY);
        const int null = open("/dev/null", O_WRONLY);
        dup2(full, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

int waitOrKill(pid_t pid);

TEST_F(CliProgram, SkipsCommentsAndNumbersErrorLines) {
    const std::string script = "# lengths\n2 km\n\n  # then a mistake\nans + 1 s\nans in m\n2 3\n";
    const Outcome numbered = runCli({"--line-numbers", "--settings", settings()}, script);
    EXPECT_EQ(numbered.status, 1);
    EXPECT_EQ(numbered.out, "2 km\n2000 m\n");
    EXPECT_EQ(numbered.err,
              "line 5: Math error: No conversion found for Length and Time\n"
              "line 7: Parse error: Expected END near '3'\n");

    const Outcome plain = runCli({"--settings", settings()}, script);
    EXPECT_EQ(plain.out, numbered.out);
    EXPECT_EQ(plain.err,
              "Math error: No conversion found for Length and Time\n"
              "Parse error: Expected END near '3'\n");

    const Outcome comments = runCli({"--settings", settings()}, "# nothing but a note\n");
    EXPECT_EQ(comments.status, 0);
    EXPECT_EQ(comments.out + comments.err, "");

    const Outcome arguments =
        runCli({"--settings", settings(), "--line-numbers", "1 km", "1 km + 1 h", "--", "# 1"});
    EXPECT_EQ(arguments.status, 1);
    EXPECT_EQ(arguments.out, "1 km\n");
    EXPECT_EQ(arguments.err,
              "line 2: Math error: No conversion found for Length and Time\n"
              "line 3: Tokenizer error: Syntax error near '# 1'\n");
}

// With SIGPIPE ignored, writing into a closed pipe fails instead of ending the program: it must
// stop there, not evaluate the rest of its input.
TEST_F(CliProgram, StopsAtAClosedPipeWhenSigpipeIsIgnored) {
    TemporaryDirectory work;
    std::string input;
    for (int i = 0; i < 200000; ++i)
        input += "1 km + " + std::to_string(i) + " m\n";
    const std::filesystem::path inputFile = work.write("input.txt", input);
    const int in = open(inputFile.c_str(), O_RDONLY);
    ASSERT_GE(in, 0);
    int out[2], err[2];
    ASSERT_EQ(pipe(out), 0);
    ASSERT_EQ(pipe(err), 0);
    close(out[0]);  // nobody reads the output

    std::string program = QUANTREL_CLI;
    std::string settingsArg = settings();
    char option[] = "--settings";
    char* argv[] = {program.data(), option, settingsArg.data(), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_IGN);  // kept across exec
        dup2(in, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in, out[1], err[0], err[1]})
            close(fd);
        execv(argv[0], argv);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    std::string errors;
    char buffer[4096];
    for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;)
        errors.append(buffer, static_cast<std::size_t>(n));
    close(err[0]);
    const int status = waitOrKill(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(errors, "quantrel-cli: cannot write the output\n");
    // The program shares the file's read position with us: it stopped long before the end.
    const off_t consumed = lseek(in, 0, SEEK_CUR);
    close(in);
    EXPECT_LT(consumed, static_cast<off_t>(input.size() / 10));
}

// Reads from the terminal until `expected` and then the next prompt have appeared, or a few
// seconds pass. Typing only at a prompt matters: a Ctrl-D that arrives while the terminal is
// between two readline calls is taken by the terminal driver, not by the program.
std::string readUntilPrompt(int fd, const std::string& expected) {
    std::string seen;
    const auto done = [&]() {
        const std::size_t at = seen.find(expected);
        return at != std::string::npos &&
               seen.find("> ", at + expected.size()) != std::string::npos;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 200) <= 0) continue;
        char buffer[1024];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    return seen;
}

// Waits a few seconds for `pid` to end; kills it when it does not. Returns the wait status.
int waitOrKill(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        usleep(100000);
    }
    ADD_FAILURE() << "quantrel-cli did not end";
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(CliProgram, RunsAnInteractiveSessionOnATerminal) {
    TemporaryDirectory state;
    std::string program = QUANTREL_CLI;
    std::string settingsArg = settings();
    std::string stateDir = state.path().string();
    char option[] = "--settings";
    char* argv[] = {program.data(), option, settingsArg.data(), nullptr};

    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("XDG_STATE_HOME", stateDir.c_str(), 1);
        setenv("NO_COLOR", "1", 1);
        execv(argv[0], argv);
        _exit(127);
    }
    const std::string opening = readUntilPrompt(terminal, "");
    EXPECT_NE(opening.find(std::string("quantrel ") + QUANTREL_VERSION +
                           " \u2014 ? for help, Ctrl-D to quit\r\n"),
              std::string::npos)
        << opening;
    EXPECT_NE(opening.find("> "), std::string::npos);
    const std::string typed = "2 km + 300 m\r";
    ASSERT_EQ(write(terminal, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    EXPECT_NE(readUntilPrompt(terminal, "2.3 km").find("2.3 km"), std::string::npos);
    const std::string wrong = "1 km + 2 s\r";
    ASSERT_EQ(write(terminal, wrong.data(), wrong.size()), static_cast<ssize_t>(wrong.size()));
    const std::string marked = readUntilPrompt(terminal, "Math error");
    EXPECT_NE(marked.find("       ^\r\nMath error: No conversion found for Length and Time"),
              std::string::npos)
        << marked;
    const std::string unknown = "2 kilometre\r";
    ASSERT_EQ(write(terminal, unknown.data(), unknown.size()),
              static_cast<ssize_t>(unknown.size()));
    const std::string suggested = readUntilPrompt(terminal, "did you mean");
    EXPECT_NE(suggested.find("Parse error: Expected END near 'kilometre'\r\n  did you mean: km?"),
              std::string::npos)
        << suggested;
    ASSERT_EQ(write(terminal, "\x04", 1), 1);  // Ctrl-D
    const int status = waitOrKill(pid);
    close(terminal);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    std::ifstream history(state.path() / "quantrel" / "history");
    std::string first;
    std::getline(history, first);
    EXPECT_EQ(first, "2 km + 300 m");
    // What a user typed is theirs alone to read.
    struct stat historyStatus {};
    ASSERT_EQ(stat((state.path() / "quantrel" / "history").c_str(), &historyStatus), 0);
    EXPECT_EQ(historyStatus.st_mode & 0777, 0600u);
}

// Types one wrong line into a session whose environment has NO_COLOR set to `noColor` and
// returns everything the terminal showed.
std::string sessionWithNoColor(const std::string& settings, const char* noColor) {
    TemporaryDirectory state;
    std::string program = QUANTREL_CLI;
    std::string settingsArg = settings;
    std::string stateDir = state.path().string();
    char option[] = "--settings";
    char* argv[] = {program.data(), option, settingsArg.data(), nullptr};
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) return "forkpty failed";
    if (pid == 0) {
        setenv("XDG_STATE_HOME", stateDir.c_str(), 1);
        setenv("TERM", "xterm", 1);
        setenv("NO_COLOR", noColor, 1);
        execv(argv[0], argv);
        _exit(127);
    }
    std::string seen = readUntilPrompt(terminal, "");
    const std::string wrong = "2 3\r";
    if (write(terminal, wrong.data(), wrong.size()) != static_cast<ssize_t>(wrong.size())) {
        ADD_FAILURE() << "write";
    }
    seen += readUntilPrompt(terminal, "Parse error");
    if (write(terminal, "\x04", 1) != 1) ADD_FAILURE() << "write";
    waitOrKill(pid);
    close(terminal);
    return seen;
}

TEST_F(CliProgram, OnlyANonEmptyNoColorTurnsColourOff) {
    const std::string coloured = sessionWithNoColor(settings(), "");
    EXPECT_NE(coloured.find("\033[31mParse error: Expected END near '3'\033[0m"), std::string::npos)
        << coloured;
    const std::string plain = sessionWithNoColor(settings(), "1");
    EXPECT_NE(plain.find("Parse error: Expected END near '3'"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("\033[31m"), std::string::npos) << plain;
}

// An interactive session on a pseudo-terminal, typed into at its prompts.
class TerminalSession {
public:
    TerminalSession(std::vector<std::string> args, const std::string& stateHome,
                    const std::string& configHome = "") {
        std::vector<char*> argv;
        std::string program = QUANTREL_CLI;
        argv.push_back(program.data());
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_ = forkpty(&terminal_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
            if (!configHome.empty()) setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
            setenv("TERM", "xterm", 1);
            setenv("NO_COLOR", "1", 1);
            execv(argv[0], argv.data());
            _exit(127);
        }
        opening_ = readUntilPrompt(terminal_, "");
    }
    ~TerminalSession() {
        if (pid_ > 0) finish();
    }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    const std::string& opening() const { return opening_; }
    // Types `keys` and returns what the terminal shows until `expected` and the next prompt.
    std::string type(const std::string& keys, const std::string& expected) {
        if (write(terminal_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
            ADD_FAILURE() << "write";
        }
        return readUntilPrompt(terminal_, expected);
    }
    // Types `keys` without waiting for anything.
    void send(const std::string& keys) {
        if (write(terminal_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
            ADD_FAILURE() << "write";
        }
    }
    // Ctrl-D; returns the exit status.
    int finish() {
        if (write(terminal_, "\x04", 1) != 1) ADD_FAILURE() << "write";
        const int status = waitOrKill(pid_);
        close(terminal_);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int terminal_ = -1;
    std::string opening_;
};

TEST_F(CliProgram, AnswersQuestionsAndTakesPastesAndCommentsInASession) {
    TemporaryDirectory state;
    TerminalSession session({"--settings", settings()}, state.path().string());
    const struct {
        const char* keys;
        const char* shown;  // what must appear before the next prompt
    } rows[] = {
        // A bracketed paste of three lines: each evaluated in turn, a failing one shown again
        // to mark under.
        {"\x1b[200~2 h in s\n1 km in m\n1 +\x1b[201~\r",
         "7200 s\r\n1000 m\r\n  1 +\r\n     ^\r\nParse error: Expected EXPRESSION or CONSTANT near "
         "''"},
        {"5 km in m  # a note\r", "5000 m\r\n"},
        {"help\r", "?QUANTITY   list the units of a quantity"},
        {"?\r", "?VALUE      list the units a value converts to"},
        {"?mi\r", "Unit: mile (mi)\r\nmile (Length) = 1609.344 m\r\nInternational mile\r\n"},
        {"?length\r",
         "Quantity: Length, reference unit m\r\n  m          metre\r\n"
         "  km         kilometre\r\n  mi         mile\r\n"},
        {"?2 km\r", "2 km converts to:\r\n  m          metre\r\n"},
        // A control character typed literally (Ctrl-V Ctrl-A) is shown escaped, marked there.
        {"1 \x16\x01\r", "  1 \\x01\r\n    ^^^^\r\nTokenizer error: Syntax error near '\\x01'"},
        // Tab after "in" on an empty name: the units the value converts to, and only those.
        {"2 h in \t", "h  s"},
        {"\x15"
         "1 km in \t",
         "km  m   mi"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys);
        const std::string shown = session.type(row.keys, row.shown);
        EXPECT_NE(shown.find(row.shown), std::string::npos) << shown;
    }
    session.send("\x15");  // Ctrl-U: drop the line, so that Ctrl-D ends the session
    EXPECT_EQ(WEXITSTATUS(session.finish()), 1);

    // Each line of the paste is an entry of its own; no entry holds a line break.
    std::ifstream history(state.path() / "quantrel" / "history");
    std::vector<std::string> entries;
    for (std::string entry; std::getline(history, entry);)
        entries.push_back(entry);
    const std::vector<std::string> expected = {
        "2 h in s", "1 km in m", "1 +",   "5 km in m  # a note", "help", "?", "?mi",
        "?length",  "?2 km",     "1 \x01"};
    EXPECT_EQ(entries, expected);
}

TEST_F(CliProgram, SaysOnceThatTheHistoryCannotBeWritten) {
    TemporaryDirectory state;
    // A file where the state directory should be: no history can be made below it.
    const std::string blocked = state.write("state", "").string();
    TerminalSession session({"--settings", settings()}, blocked);
    const std::string shown =
        session.opening() + session.type("1 km\r", "1 km") + session.type("2 km\r", "2 km");
    const std::string message = "quantrel-cli: cannot write the history file " + blocked +
                                "/quantrel/history; this session's lines are not kept";
    EXPECT_NE(shown.find(message), std::string::npos) << shown;
    EXPECT_EQ(shown.find(message), shown.rfind(message));
    EXPECT_EQ(WEXITSTATUS(session.finish()), 0);
}

TEST_F(CliProgram, TabInACompoundTargetOffersTheFactorThatFits) {
    TemporaryDirectory state;
    TemporaryDirectory config;  // no user settings beside the default library
    TerminalSession session({}, state.path().string(), config.path().string());
    const std::string shown = session.type("60 mph in km/\t", "minute");
    EXPECT_NE(shown.find("hour"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("mps"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("kg"), std::string::npos) << shown;
    session.send("\x15");
}

// Every byte a line can hold, in a failing line: whatever the message quotes is shown escaped,
// so nothing but text and line ends reaches the terminal.
TEST_F(CliProgram, QuotesEveryByteSafely) {
    std::string input;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '\n') continue;
        input += "1 km + ";
        input += static_cast<char>(byte);
        input += "\n";
    }
    const Outcome run = runCli({"--settings", settings()}, input);
    EXPECT_EQ(run.status, 1);
    for (const char c : run.err) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte == '\n' || byte == '\t' || (byte >= 0x20 && byte < 0x7F)) << int(byte);
    }
    for (const char* escaped : {"'\\x1b'", "'\\x00'", "'\\x7f'", "'\\xff'", "'\\x80'", "'\\xc2'"}) {
        EXPECT_NE(run.err.find(escaped), std::string::npos) << escaped;
    }
    // Well-formed UTF-8 is not escaped, and an escaped C1 control is.
    const Outcome text = runCli({"--settings", settings()},
                                "1 \xC2\xB5x\n1 \xC2\x9B"
                                "2\n");
    EXPECT_EQ(text.err,
              "Parse error: Expected END near '\xC2\xB5x'\n"
              "Parse error: Expected END near '\\xc2\\x9b2'\n");
}

TEST_F(CliProgram, ListsTheUnitsAPatternOrAQuantityAsksFor) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } rows[] = {
        {{"--list-units", "KILO"}, 0, "km\tkilometre\tLength\t1000 metres\n", ""},
        {{"--list-units", "time"},
         0,
         "h\thour\tTime\t3600 seconds\ns\tsecond\tTime\tBase unit of time\n",
         ""},
        {{"--list-units", "--quantity", "velocity"},
         0,
         "mps\tmetre per second\tVelocity\tBase unit of velocity\n",
         ""},
        {{"--quantity=Length", "--list-units", "MIL"},
         0,
         "mi\tmile\tLength\tInternational mile\n",
         ""},
        {{"--list-units", "zz"}, 1, "", ""},
        {{"--list-units", "--quantity", "Mass"}, 1, "", "quantrel-cli: no quantity 'Mass'\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[1]);
        std::vector<std::string> args = row.args;
        args.insert(args.begin(), {"--settings", settings()});
        const Outcome run = runCli(args);
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.out, row.out);
        EXPECT_EQ(run.err, row.err);
    }
}

TEST_F(CliProgram, ReadsScriptsWithAByteOrderMarkAndComments) {
    const Outcome run = runCli({"--settings", settings(), "--line-numbers"},
                               "\xEF\xBB\xBF"
                               "2 km # the way there\n"
                               "ans * 2\t# and back\n"
                               "ans + #\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "2 km\n4 km\n");
    EXPECT_EQ(run.err, "line 3: Parse error: Expected EXPRESSION or CONSTANT near ''\n");
    // An argument is taken whole.
    EXPECT_EQ(runCli({"--settings", settings(), "2 km # x"}).status, 1);
}

}  // namespace

// Under the sanitizer build the leak checker runs when the program ends: a leak on any error
// path would change the exit status (and print a report).
TEST_F(CliProgram, EveryErrorKindEndsCleanlyWithoutLeaks) {
    const std::string lines[] = {
        "3#",  // "#" alone would be a comment line, " #" a comment
        "2 +",
        "(1",
        "|3",
        "(1) ? 2",
        "5 m in",
        "5 m in 3",
        "1 2",
        "sqrt +",
        "sq sq +",
        "1e999",
        "rnd()",
        std::string(5000, '(') + "1",
        std::string(5000, '-') + "1",
        "1 / 0",
        "1 % (2 - 2)",
        "0 nroot 8",
        "1 m + 1 s",
        "5 m in h",
        "5 in mps",
        "(1 m) ^ 1.5",
        "2 ^ (1 m)",
        "(2 m) ^ 2",
        "1 / (2 s)",
        "ans in h",
    };
    std::string input;
    for (const std::string& line : lines)
        input += line + "\n";
    const Outcome run = runCli({"--settings", settings()}, input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), std::size(lines));
    EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;

    TemporaryDirectory broken;
    broken.write("units.xml", "<Units><Quantity Name=\"Length\"><Unit>1</Unit></Quantity></Units>");
    const Outcome startup = runCli({"--settings", broken.path().string(), "1"});
    EXPECT_EQ(startup.status, 2);
    EXPECT_EQ(startup.err.find("Sanitizer"), std::string::npos) << startup.err;
}
