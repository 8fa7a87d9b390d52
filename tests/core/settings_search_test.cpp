// SPDX-License-Identifier: GPL-3.0-or-later
// Which settings directories a program loads.

#include "core/settings_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using std::filesystem::path;
using test::TemporaryDirectory;

/// A prefix with an installed program and library, a build tree beside a source tree, and a
/// home directory with the user's own settings.
struct Places {
    TemporaryDirectory root;
    path installedProgram = root.path() / "usr/bin/quantrel-cli";
    path installedLibrary = root.path() / "usr/share/quantrel/settings";
    path buildProgram = root.path() / "src/build/quantrel-cli";
    path sourceLibrary = root.path() / "src/settings";
    path home = root.path() / "home";
    path userLibrary = root.path() / "home/.config/quantrel/settings";

    Places() {
        for (const path& file : {installedProgram, buildProgram})
            root.write(std::filesystem::relative(file, root.path()).string(), "");
        for (const path& directory : {installedLibrary, sourceLibrary, userLibrary})
            std::filesystem::create_directories(directory);
    }

    SettingsSearch search(const path& program) const {
        SettingsSearch search;
        search.executable = program;
        search.buildDirectory = buildProgram.parent_path();
        search.sourceSettings = sourceLibrary;
        search.home = home.string();
        return search;
    }
};

TEST(SettingsSearch, LibraryThenTheUsersOwnDirectory) {
    const Places places;
    EXPECT_EQ(settingsDirectories(places.search(places.installedProgram)),
              (std::vector<path>{places.installedLibrary, places.userLibrary}));
    // Run from its build tree, a program reads the source tree's library.
    EXPECT_EQ(settingsDirectories(places.search(places.buildProgram)),
              (std::vector<path>{places.sourceLibrary, places.userLibrary}));

    // $XDG_CONFIG_HOME replaces ~/.config when it is absolute; a relative one is ignored.
    SettingsSearch search = places.search(places.installedProgram);
    search.configHome = (places.root.path() / "elsewhere").string();
    EXPECT_EQ(settingsDirectories(search), std::vector<path>{places.installedLibrary});
    std::filesystem::create_directories(places.root.path() / "elsewhere/quantrel/settings");
    EXPECT_EQ(settingsDirectories(search).back(),
              places.root.path() / "elsewhere/quantrel/settings");
    search.configHome = "relative/config";
    EXPECT_EQ(settingsDirectories(search).back(), places.userLibrary);

    // Nothing found: no directories, only the built-in functions.
    SettingsSearch nowhere;
    nowhere.executable = places.root.path() / "opt/bin/quantrel-cli";
    EXPECT_TRUE(settingsDirectories(nowhere).empty());
}

TEST(SettingsSearch, GivenDirectoryIsTheOnlyOneAndMustExist) {
    const Places places;
    SettingsSearch search = places.search(places.installedProgram);
    search.given = places.sourceLibrary;
    EXPECT_EQ(settingsDirectories(search), std::vector<path>{places.sourceLibrary});

    struct Row {
        path given;
        std::string message;
    };
    const Row rows[] = {
        {places.root.path() / "missing", "Configuration error (" +
                                             (places.root.path() / "missing").string() +
                                             "): Settings directory not found"},
        {places.installedProgram, "Configuration error (" + places.installedProgram.string() +
                                      "): Settings path is not a directory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        search.given = row.given;
        try {
            settingsDirectories(search);
            ADD_FAILURE() << "accepted";
        } catch (const ConfigError& error) {
            EXPECT_EQ(error.message(), row.message);
        }
    }
}

TEST(SettingsSearch, LaterDirectoriesBuildOnEarlierOnes) {
    TemporaryDirectory library;
    TemporaryDirectory user;
    library.write(
        "10-length.xml",
        "<Units><Quantity Name=\"Length\"><Unit Symbol=\"m\">1</Unit></Quantity></Units>");
    user.write("mine.xml",
               "<Units><Quantity Name=\"Length\"><Unit Symbol=\"rod\">5.0292 m</Unit>"
               "</Quantity></Units>");
    Calculator calc(std::vector<path>{library.path(), user.path()}, 5489u);
    test::expectResult(calc, "2 rod in m", "10.0584 m");
}

}  // namespace
}  // namespace quantrel
