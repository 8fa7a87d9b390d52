// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide's examples, run through quantrel-cli with the default library: every example
// line of docs/guide.html must show what the guide says (the marking is described at the top of
// the guide).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using quantrel::test::TemporaryDirectory;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const std::filesystem::path kGuide =
    std::filesystem::path(QUANTREL_SOURCE_DIR) / "docs" / "guide.html";

// The text of an HTML fragment: tags dropped, the entities the guide uses decoded.
std::string plainText(std::string_view html) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&gt;", ">"},          {"&lt;", "<"},        {"&amp;", "&"},        {"&rarr;", "\u2192"},
        {"&middot;", "\u00B7"}, {"&sup2;", "\u00B2"}, {"&sup3;", "\u00B3"},  {"&minus;", "\u2212"},
        {"&micro;", "\u00B5"},  {"&deg;", "\u00B0"},  {"&mdash;", "\u2014"}, {"&ndash;", "\u2013"},
        {"&quot;", "\""},       {"&nbsp;", " "},      {"&Omega;", "\u03A9"}, {"&mu;", "\u03BC"},
    };
    std::string text;
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            const std::size_t end = html.find('>', i);
            i = end == std::string_view::npos ? html.size() : end + 1;
            continue;
        }
        if (html[i] == '&') {
            bool decoded = false;
            for (const auto& [entity, character] : kEntities) {
                if (html.substr(i).starts_with(entity)) {
                    text += character;
                    i += entity.size();
                    decoded = true;
                    break;
                }
            }
            EXPECT_TRUE(decoded) << "unknown entity at " << html.substr(i, 10);
            if (decoded) continue;
        }
        text += html[i++];
    }
    return text;
}

std::string trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return "";
    return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

// The contents of every <pre class="NAME"> block of the guide.
std::vector<std::string> blocks(const std::string& guide, std::string_view name) {
    const std::string open = "<pre class=\"" + std::string(name) + "\">";
    std::vector<std::string> found;
    for (std::size_t at = guide.find(open); at != std::string::npos; at = guide.find(open, at)) {
        at += open.size();
        const std::size_t end = guide.find("</pre>", at);
        found.push_back(guide.substr(at, end - at));
    }
    return found;
}

// Runs `script` with sh in `directory`, quantrel-cli on the PATH and no user settings but the
// guide's own functions (in a pre element of class "functions"); returns standard output and
// standard error together.
std::string runShell(const std::string& script, const std::filesystem::path& directory) {
    const std::filesystem::path settings = directory / "config" / "quantrel" / "settings";
    std::filesystem::create_directories(settings);
    std::string functions;
    for (const std::string& block : blocks(readFile(kGuide), "functions"))
        functions += plainText(block) + "\n";
    std::ofstream(settings / "guide.xml") << "<Functions>\n" << functions << "</Functions>\n";
    const std::filesystem::path file = directory / "script.sh";
    std::ofstream(file) << script;
    const std::string programDir = std::filesystem::path(QUANTREL_CLI).parent_path().string();
    const std::string command = "cd '" + directory.string() + "' && XDG_CONFIG_HOME='" +
                                directory.string() + "/config' PATH='" + programDir +
                                "':\"$PATH\" sh script.sh 2>&1";
    return quantrel::test::commandOutput(command);
}

TEST(GuideExamples, EveryCalculationShowsWhatTheGuideSays) {
    const std::string guide = readFile(kGuide);
    const std::vector<std::string> calculations = blocks(guide, "calc");
    ASSERT_GE(calculations.size(), 10u);
    TemporaryDirectory work;
    std::size_t checked = 0;
    for (const std::string& block : calculations) {
        // The inputs go to one quantrel-cli, so ans carries; errors come numbered, in order.
        struct Example {
            std::string input;
            std::string shown;  // empty: told in words, not compared
            bool fails = false;
        };
        std::vector<Example> examples;
        std::istringstream lines(block);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t result = line.find("<span class=\"r");
            ASSERT_NE(result, std::string::npos) << "an example line without its result: " << line;
            Example example{trimmed(plainText(line.substr(0, result))), "", false};
            if (line.compare(result, 19, "<span class=\"r free") != 0) {
                std::string shown = plainText(line.substr(result));
                const std::string arrow = "\u2192 ";
                EXPECT_TRUE(shown.starts_with(arrow)) << line;
                shown = shown.substr(std::min(shown.size(), arrow.size()));
                shown = trimmed(shown.substr(0, shown.find("   ")));  // a remark follows
                example.fails = shown.starts_with("error: ");
                example.shown = example.fails ? shown.substr(7) : shown;
            }
            examples.push_back(example);
        }
        std::string input;
        for (const Example& example : examples)
            input += example.input + "\n";
        const std::string script = "quantrel-cli --line-numbers <<'EOF'\n" + input + "EOF\n";
        std::istringstream output(runShell(script, work.path()));
        for (std::size_t i = 0; i < examples.size(); ++i) {
            const Example& example = examples[i];
            SCOPED_TRACE(example.input);
            std::string line;
            ASSERT_TRUE(std::getline(output, line)) << "no output for the line";
            const std::string prefix = "line " + std::to_string(i + 1) + ": ";
            EXPECT_EQ(line.starts_with(prefix), example.fails) << line;
            if (example.shown.empty()) continue;
            ++checked;
            if (example.fails) {
                EXPECT_NE(line.find(example.shown), std::string::npos) << line;
            } else {
                EXPECT_EQ(line, example.shown);
            }
        }
    }
    EXPECT_GE(checked, 50u);
}

TEST(GuideExamples, EveryShellSessionPrintsWhatTheGuideSays) {
    const std::string guide = readFile(kGuide);
    const std::vector<std::string> sessions = blocks(guide, "shell");
    ASSERT_GE(sessions.size(), 3u);
    for (const std::string& block : sessions) {
        const std::string text = plainText(block);
        SCOPED_TRACE(text);
        std::string script;
        std::string expected;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("$ ")) {
                script += line.substr(2) + "\n";
            } else {
                expected += line + "\n";
            }
        }
        TemporaryDirectory work;
        EXPECT_EQ(runShell(script, work.path()), expected);
    }
}

}  // namespace
