// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace quantrel::cli {
namespace {

CliOptions parse(std::initializer_list<const char*> args) {
    const std::vector<const char*> list(args);
    return parseArguments(list);
}

TEST(ParseArguments, ReadsEveryOption) {
    const CliOptions options =
        parse({"--settings", "lib", "--seed", "42", "--unbuffered", "1 m", "--line-numbers"});
    EXPECT_EQ(options.action, CliOptions::Action::Evaluate);
    EXPECT_EQ(options.settingsDir, std::filesystem::path("lib"));
    EXPECT_EQ(options.seed, 42u);
    EXPECT_TRUE(options.unbuffered);
    EXPECT_TRUE(options.lineNumbers);
    EXPECT_EQ(options.expressions, std::vector<std::string>{"1 m"});

    const CliOptions inline_ = parse({"--settings=other", "--seed=0", "--digits=18"});
    EXPECT_EQ(inline_.settingsDir, std::filesystem::path("other"));
    EXPECT_EQ(inline_.seed, 0u);
    EXPECT_EQ(inline_.digits, 18);
    EXPECT_EQ(parse({"--digits", "1"}).digits, 1);

    const CliOptions defaults = parse({});
    EXPECT_FALSE(defaults.settingsDir.has_value());
    EXPECT_FALSE(defaults.seed.has_value());
    EXPECT_FALSE(defaults.unbuffered);
    EXPECT_FALSE(defaults.lineNumbers);
    EXPECT_EQ(defaults.digits, 6);
    EXPECT_TRUE(defaults.expressions.empty());
}

TEST(ParseArguments, PicksTheAction) {
    using Action = CliOptions::Action;
    const struct {
        std::vector<const char*> args;
        Action action;
    } rows[] = {
        {{"--list-units"}, Action::ListUnits},
        {{"--settings", "d", "--list-functions"}, Action::ListFunctions},
        {{"--help"}, Action::Help},
        {{"-h"}, Action::Help},
        {{"1 m", "--version"}, Action::Version},
        {{"--list-units", "--help"}, Action::Help},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.front());
        EXPECT_EQ(parseArguments(row.args).action, row.action);
    }
}

TEST(ParseArguments, TakesEverythingElseAsExpressions) {
    const CliOptions options = parse({"-5 km", "--5", "1 m", "--seed", "3", "-x", "--", "--help"});
    EXPECT_EQ(options.action, CliOptions::Action::Evaluate);
    EXPECT_EQ(options.expressions,
              (std::vector<std::string>{"-5 km", "--5", "1 m", "-x", "--help"}));
    EXPECT_EQ(options.seed, 3u);
}

TEST(ParseArguments, RefusesBadUsage) {
    const std::vector<std::vector<const char*>> rows = {
        {"--frobnicate"},
        {"1 m", "--Seed", "1"},
        {"--settings"},
        {"--settings", ""},
        {"--seed"},
        {"--digits", "0"},
        {"--digits", "19"},
        {"--digits", "6.5"},
        {"--digits"},
        {"--unbuffered=yes"},
        {"--line-numbers=1"},
        {"--list-units", "--list-functions"},
        {"--list-units", "2 m", "3 m"},
        {"--list-functions", "2 m"},
        {"--quantity", "Length"},
        {"--list-units", "--quantity"},
    };
    for (const auto& args : rows) {
        SCOPED_TRACE(args.back());
        EXPECT_THROW(parseArguments(args), UsageError);
    }
}

TEST(ParseSeed, AcceptsOnlyTheUnsigned32BitRange) {
    EXPECT_EQ(parseSeed("0"), 0u);
    EXPECT_EQ(parseSeed("007"), 7u);
    EXPECT_EQ(parseSeed("4294967295"), 4294967295u);
    for (const char* bad : {"", "-1", "+1", " 1", "1 ", "4294967296", "99999999999999999999999",
                            "1e3", "0x10", "12a"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parseSeed(bad), UsageError);
    }
}

TEST(HelpText, FitsEightyColumnsAndNamesEveryOption) {
    const std::string help = helpText();
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = help.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "the text ends without a line break";
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
    for (const char* option : {"--settings DIR", "--seed N", "--unbuffered", "--line-numbers",
                               "--list-units", "--list-functions", "--help", "--version"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(UsageHint, IsOneLineNamingTheProblem) {
    const std::string hint = usageHint(UsageError("unknown option '--x'"));
    EXPECT_EQ(hint, "quantrel-cli: unknown option '--x' (see quantrel-cli --help)\n");
    // An argument it quotes cannot drive the terminal.
    EXPECT_EQ(usageHint(UsageError("unknown option '--\x1b[2J'")),
              "quantrel-cli: unknown option '--\\x1b[2J' (see quantrel-cli --help)\n");
}

}  // namespace
}  // namespace quantrel::cli
