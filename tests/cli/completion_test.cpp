// SPDX-License-Identifier: GPL-3.0-or-later
// The shell completion scripts: written from the option table, kept in packaging/completion, and
// what bash offers with them.

#include "cli/completion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include "cli/options.h"
#include "support/test_support.h"

namespace quantrel::cli {
namespace {

const std::filesystem::path kCompletionDir =
    std::filesystem::path(QUANTREL_SOURCE_DIR) / "packaging" / "completion";

TEST(CompletionScripts, TheShippedFilesAreTheGeneratedOnes) {
    const std::pair<const char*, std::string> files[] = {
        {"quantrel-cli.bash", bashCompletionScript()},
        {"_quantrel-cli", zshCompletionScript()},
    };
    const char* update = std::getenv("QUANTREL_UPDATE_DOCS");
    for (const auto& [name, generated] : files) {
        SCOPED_TRACE(name);
        const std::filesystem::path path = kCompletionDir / name;
        if (update != nullptr && std::string_view(update) == "1") {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << generated;
            continue;
        }
        std::ifstream file(path, std::ios::binary);
        const std::string stored{std::istreambuf_iterator<char>(file),
                                 std::istreambuf_iterator<char>()};
        EXPECT_TRUE(stored == generated)
            << path << " is out of date; run the test with QUANTREL_UPDATE_DOCS=1";
        for (const OptionSpec& option : optionTable())
            EXPECT_NE(generated.find(option.name), std::string::npos) << option.name;
    }
}

// What bash's completion function offers for the words of a command line, the last one being
// completed: COMPREPLY, one entry a line.
std::string bashOffers(const std::string& words) {
    const std::string script = (kCompletionDir / "quantrel-cli.bash").string();
    // The words reach bash through the environment, quotes and all.
    setenv("QUANTREL_TEST_WORDS", words.c_str(), 1);
    const std::string command =
        "bash -c 'source \"$0\"; eval \"COMP_WORDS=($QUANTREL_TEST_WORDS)\"; "
        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quantrel_cli \"$1\"; "
        "printf \"%s\\n\" \"${COMPREPLY[@]}\"' " +
        script + " " QUANTREL_CLI;
    return test::commandOutput(command);
}

TEST(CompletionScripts, BashOffersOptionsUnitsAndNothingMisleadingInQuotes) {
    test::TemporaryDirectory settings;
    settings.write("units.xml", R"(<Units><Quantity Name="Length">
<Unit Symbol="m">1</Unit><Unit Symbol="mi">1609.344 m</Unit><Unit Symbol="km">1000 m</Unit>
</Quantity><Quantity Name="Time"><Unit Symbol="s">1</Unit></Quantity></Units>)");
    const std::string dir = settings.path().string();
    const struct {
        std::string words;  // as bash splits them; the last is the one completed
        const char* offered;
    } rows[] = {
        {"quantrel-cli --di", "--digits\n"},
        {"quantrel-cli --list-units --qu", "--quantity\n"},
        {"quantrel-cli --settings " + dir + " --quantity T", "Time\n"},
        {"quantrel-cli --settings " + dir + " 2+k", "2+km\n"},
        {"quantrel-cli --settings " + dir + " 1*m", "1*m\n1*mi\n"},
        // Inside quotes: the symbol is extended, no list of whole expressions is offered.
        {"quantrel-cli --settings " + dir + " \"'2 km + k\"", "2 km + km\n"},
        {"quantrel-cli --settings " + dir + " \"'1 \"", "\n"},
        {"quantrel-cli --settings " + dir + " \"'1 m\"", "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.words);
        EXPECT_EQ(bashOffers(row.words), row.offered);
    }
}

}  // namespace
}  // namespace quantrel::cli
