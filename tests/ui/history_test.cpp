// SPDX-License-Identifier: GPL-3.0-or-later
// The window's history: the walk through earlier inputs and the file it is kept in.

#include "ui/history.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace quantrel::ui {
namespace {

History historyOf(const std::vector<std::string>& inputs) {
    History history;
    for (const std::string& input : inputs)
        history.add({input, "1", false});
    return history;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(WindowHistory, UpAndDownWalkThroughEarlierInputsLikeAShell) {
    History history = historyOf({"1 m", "2 m", "2 m", "3 m"});
    // Each step: 'u' older, 'd' newer, with the text shown before the step and the expected
    // text after it ("-": nothing happens).
    struct Step {
        char key;
        const char* shown;
        const char* expected;
    };
    const Step steps[] = {
        {'d', "draft", "-"},  // no walk yet
        {'u', "draft", "3 m"}, {'u', "3 m", "2 m"},
        {'u', "2 m", "1 m"},  // the repeated "2 m" is passed over
        {'u', "1 m", "-"},    // the oldest
        {'d', "1 m", "2 m"},   {'d', "2 m", "3 m"},
        {'d', "3 m", "draft"},  // past the newest: the text typed before the walk
        {'d', "draft", "-"},   {'u', "edited", "3 m"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(1, step.key) + " from " + step.shown);
        const std::optional<std::string> got =
            step.key == 'u' ? history.older(step.shown) : history.newer(step.shown);
        EXPECT_EQ(got.value_or("-"), step.expected);
    }
    // A new entry ends the walk: Up starts from the newest again.
    history.add({"4 m", "4 m", false});
    EXPECT_EQ(history.older(""), "4 m");
}

TEST(WindowHistory, KeepsTheNewestThousand) {
    History history;
    for (int i = 0; i < 1005; ++i)
        history.add({std::to_string(i), std::to_string(i), false});
    ASSERT_EQ(history.entries().size(), History::kMaxEntries);
    EXPECT_EQ(history.entries().front().input, "5");
    EXPECT_EQ(history.entries().back().input, "1004");

    std::vector<HistoryEntry> many(1200, HistoryEntry{"x", "y", false});
    many.back().input = "last";
    history.assign(std::move(many));
    EXPECT_EQ(history.entries().size(), History::kMaxEntries);
    EXPECT_EQ(history.entries().back().input, "last");
    history.clear();
    EXPECT_TRUE(history.entries().empty());
    EXPECT_FALSE(history.older("").has_value());
}

TEST(WindowHistoryFile, LivesUnderTheStateDirectory) {
    EXPECT_EQ(historyFilePath("/s", "/home/u"),
              std::filesystem::path("/s/quantrel/window-history"));
    EXPECT_EQ(historyFilePath(nullptr, "/home/u"),
              std::filesystem::path("/home/u/.local/state/quantrel/window-history"));
    // A relative state directory is ignored, as the base directory rules say.
    EXPECT_EQ(historyFilePath("relative", "/home/u"),
              std::filesystem::path("/home/u/.local/state/quantrel/window-history"));
    EXPECT_EQ(historyFilePath("", nullptr), std::nullopt);
}

TEST(WindowHistoryFile, RoundTripsAnyText) {
    const std::deque<HistoryEntry> entries = {
        {"2 km + 300 m", "2.3 km", false},
        {"1 / 0", "Division by zero", true},
        {"tab\there \\n back\\slash", "line\nbreak\r", false},
        {"5 \xc2\xb5m", "", false},
    };
    const std::string text = serializeHistory(entries);
    EXPECT_TRUE(text.starts_with("quantrel history 1\n= 2 km + 300 m\t2.3 km\n! 1 / 0\t"));
    EXPECT_TRUE(text.ends_with("end 4\n"));
    const LoadedHistory loaded = parseHistory(text);
    ASSERT_FALSE(loaded.problem.has_value()) << *loaded.problem;
    EXPECT_EQ(loaded.entries, std::vector<HistoryEntry>(entries.begin(), entries.end()));
    EXPECT_TRUE(parseHistory(serializeHistory({})).entries.empty());
}

TEST(WindowHistoryFile, DamagedContentIsRefused) {
    const std::string whole = "quantrel history 1\n= 1\t1\n! x\tUnknown\nend 2\n";
    ASSERT_FALSE(parseHistory(whole).problem.has_value());
    const char* damagedFiles[] = {
        "",
        "\x00\x00\x00\x00",
        "quantrel history 2\nend 0\n",
        "quantrel history 1\n= 1\t1\n",            // cut before its end
        "quantrel history 1\n= 1\t1\nend 2\n",     // an entry missing
        "quantrel history 1\n= 1\t1\nend 1",       // the last line cut short
        "quantrel history 1\n? 1\t1\nend 1\n",     // unknown kind
        "quantrel history 1\n= 1 1\nend 1\n",      // no tab
        "quantrel history 1\n= 1\\q\t1\nend 1\n",  // unknown escape
        "quantrel history 1\n= 1\t1\\\nend 1\n",   // escape at the end
        "quantrel history 1\n= 1\t1\nend one\n",
    };
    for (const char* text : damagedFiles) {
        SCOPED_TRACE(text);
        const LoadedHistory loaded = parseHistory(text);
        EXPECT_TRUE(loaded.problem.has_value());
        EXPECT_TRUE(loaded.entries.empty());
    }
    // Every cut of a whole file is noticed.
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_TRUE(parseHistory(whole.substr(0, length)).problem.has_value());
    }
}

TEST(WindowHistoryFile, SavedAtomicallyForTheOwnerOnly) {
    const test::TemporaryDirectory state;
    const std::filesystem::path path = state.path() / "quantrel" / "window-history";
    const std::deque<HistoryEntry> entries = {{"1 m", "1 m", false}, {"x", "Unknown", true}};
    ASSERT_EQ(saveHistory(path, entries), std::nullopt);
    EXPECT_EQ(readFile(path), serializeHistory(entries));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(path.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // Saving again replaces the file and leaves no temporary file behind.
    ASSERT_EQ(saveHistory(path, {{"2 m", "2 m", false}}), std::nullopt);
    const LoadedHistory loaded = loadHistory(path);
    ASSERT_EQ(loaded.entries.size(), 1u);
    EXPECT_EQ(loaded.entries.front().input, "2 m");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WindowHistoryFile, UnusableFilesAreIgnoredWithAMessage) {
    const test::TemporaryDirectory state;
    // Missing: an empty history and no message.
    const LoadedHistory missing = loadHistory(state.path() / "none");
    EXPECT_TRUE(missing.entries.empty());
    EXPECT_FALSE(missing.problem.has_value());

    const std::filesystem::path damaged = state.write("history", "quantrel history 1\n= 1\t");
    const LoadedHistory fromDamaged = loadHistory(damaged);
    EXPECT_TRUE(fromDamaged.entries.empty());
    ASSERT_TRUE(fromDamaged.problem.has_value());
    EXPECT_EQ(*fromDamaged.problem, "The history " + damaged.string() +
                                        " was not loaded: it ends in the middle of a line.");

    // A directory in the file's place: ignored, and saving fails without harm.
    std::filesystem::create_directories(state.path() / "dir" / "history");
    EXPECT_TRUE(loadHistory(state.path() / "dir" / "history").problem.has_value());
    const std::optional<std::string> failure =
        saveHistory(state.path() / "dir" / "history", {{"1", "1", false}});
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->starts_with("The history could not be saved to ")) << *failure;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state.path() / "dir"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WindowHistory, CopiedAsTextOneCalculationALine) {
    const std::deque<HistoryEntry> entries{{"2 km + 300 m", "2.3 km", false},
                                           {"1 / 0", "Math: Division by zero", true}};
    EXPECT_EQ(historyText(entries), "2 km + 300 m = 2.3 km\n1 / 0 ! Math: Division by zero\n");
    EXPECT_EQ(historyText({}), "");
}

}  // namespace
}  // namespace quantrel::ui
