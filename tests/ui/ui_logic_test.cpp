// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <vector>

#include "support/test_support.h"
#include "ui/dialog_units.h"
#include "ui/startup_options.h"
#include "ui/user_guide.h"

namespace quantrel::ui {
namespace {

TEST(DialogUnits, ScaleAndRoundLikeDialogTemplates) {
    EXPECT_EQ(dialogUnitsToPixels(299, 6, 4), 449);  // 448.5 rounds up
    EXPECT_EQ(dialogUnitsToPixels(13, 13, 8), 21);   // 21.125
    EXPECT_EQ(dialogUnitsToPixels(7, 13, 8), 11);    // 11.375
    EXPECT_EQ(dialogUnitsToPixels(0, 13, 8), 0);
}

StartupOptions parse(std::vector<const char*> args) {
    return parseStartupOptions(args);
}

TEST(StartupOptions, ReadsTheSettingsDirectory) {
    EXPECT_FALSE(parse({}).settingsDirectory.has_value());
    EXPECT_EQ(parse({"--settings", "/tmp/x"}).settingsDirectory, std::filesystem::path("/tmp/x"));
    EXPECT_EQ(parse({"-platform", "offscreen", "--settings=dir"}).settingsDirectory,
              std::filesystem::path("dir"));
    EXPECT_TRUE(parse({"--settings"}).usageError.has_value());
    EXPECT_TRUE(parse({"--settings="}).usageError.has_value());
    EXPECT_FALSE(parse({"-style", "fusion"}).usageError.has_value());
}

TEST(StartupOptions, AnswersHelpAndVersionWithoutTheWindow) {
    using Answer = StartupOptions::Answer;
    const struct {
        std::vector<const char*> args;
        Answer answer;
    } rows[] = {
        {{}, Answer::None},
        {{"--help"}, Answer::Help},
        {{"-h"}, Answer::Help},
        {{"-platform", "offscreen", "--version"}, Answer::Version},
        {{"--version", "--help"}, Answer::Version},
        {{"--settings", "--help"}, Answer::None},  // a directory named --help
        {{"--settings=dir", "-h", "--version"}, Answer::Help},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.empty() ? "(none)" : row.args.back());
        EXPECT_EQ(parse(row.args).answer, row.answer);
    }
    EXPECT_EQ(startupVersionText(), std::string("quantrel ") + QUANTREL_VERSION + "\n");
    const std::string help = startupHelpText();
    EXPECT_EQ(help.find("Usage: quantrel [--settings DIR]"), 0u);
    for (std::size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos;
         start = end + 1) {
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
    }
}

TEST(MissingDisplay, NeedsADisplayForWindowingPlatformsOnly) {
    const struct {
        DisplayEnvironment environment;
        bool usable;
    } cases[] = {
        {{"", "", "", ""}, false},
        {{"", "", ":0", ""}, true},
        {{"", "", "", "wayland-0"}, true},
        {{"", "offscreen", "", ""}, true},
        {{"minimal", "", "", ""}, true},
        {{"", "xcb", "", "wayland-0"}, false},
        {{"", "wayland", ":0", ""}, false},
        {{"", "wayland;xcb", ":0", ""}, true},
        {{"xcb", "offscreen", "", ""}, false},  // the argument wins over the variable
        {{"", "xcb:nograb", ":1", ""}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.environment.platformArgument << "|" << c.environment.qpaPlatform << "|"
                     << c.environment.display << "|" << c.environment.waylandDisplay);
        EXPECT_EQ(!missingDisplay(c.environment).has_value(), c.usable);
    }
}

TEST(FindUserGuide, PrefersTheInstalledGuideOverTheSourceTree) {
    const test::TemporaryDirectory prefix;
    const test::TemporaryDirectory source;
    const std::filesystem::path executable = prefix.write("bin/quantrel", "");

    EXPECT_FALSE(findUserGuide(executable, source.path()).has_value());
    source.write("guide.html", "<html></html>");
    EXPECT_EQ(findUserGuide(executable, source.path()), source.path() / "guide.html");
    prefix.write("share/doc/quantrel/guide.html", "<html></html>");
    const std::optional<std::filesystem::path> installed = findUserGuide(executable, source.path());
    ASSERT_TRUE(installed.has_value());
    EXPECT_TRUE(
        std::filesystem::equivalent(*installed, prefix.path() / "share/doc/quantrel/guide.html"));
    EXPECT_FALSE(findUserGuide({}, {}).has_value());
}

}  // namespace
}  // namespace quantrel::ui
