// SPDX-License-Identifier: GPL-3.0-or-later
// Loading settings directories: file discovery and order, document layouts, and every failure
// with the file and line it names.

#include "settings/settings_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "core/calculator.h"
#include "settings/caught_error.h"
#include "settings/settings_source.h"
#include "settings/unit_registry.h"
#include "support/test_support.h"

namespace quantrel {
namespace {

using test::caughtError;
using test::TemporaryDirectory;

/// The directory as it appears in messages.
std::string shown(const TemporaryDirectory& directory) {
    return directory.path().generic_string();
}

/// Settings files held in memory, named "mem/NAME", loaded in the order they were written.
class MemoryDirectory {
public:
    void write(const std::string& name, std::string_view content) {
        source_.add("mem/" + name, std::string(content));
    }
    const MemorySource& source() const { return source_; }

private:
    MemorySource source_;
};

std::string shown(const MemoryDirectory&) {
    return "mem";
}

template <typename Settings>
std::unique_ptr<UnitRegistry> load(const Settings& settings) {
    auto registry = std::make_unique<UnitRegistry>(5489);
    loadSettings(*registry, settings);
    return registry;
}

/// The message of the ConfigError that loading `settings` raises, or "" after a test failure.
template <typename Settings>
std::string loadFailure(const Settings& settings) {
    UnitRegistry registry(5489);
    const auto error = caughtError<ConfigError>([&] { loadSettings(registry, settings); });
    return error ? error->message() : "";
}

constexpr const char* kLength =
    "<Units>\n"
    "  <Quantity Name=\"Length\">\n"
    "    <Unit Symbol=\"m\">1</Unit>\n"
    "  </Quantity>\n"
    "</Units>\n";

TEST(SettingsLoader, EachFailureNamesTheFile) {
    struct Row {
        const char* what;
        std::string content;  // after the Length section, inside a root element
        const char* text;
    };
    const Row rows[] = {
        {"quantity without name", "<Units><Quantity><Unit Symbol=\"x\">1</Unit></Quantity></Units>",
         "Illegal or missing quantity name"},
        {"empty quantity name", "<Units><Quantity Name=\"\"/></Units>",
         "Illegal or missing quantity name"},
        {"unit without symbol", "<Units><Quantity Name=\"Q\"><Unit>1</Unit></Quantity></Units>",
         "No unit symbol defined"},
        {"empty symbol",
         "<Units><Quantity Name=\"Q\"><Unit Symbol=\"\">1</Unit></Quantity></Units>",
         "No unit symbol defined"},
        {"symbol without value",
         "<Units><Quantity Name=\"Q\"><Unit Symbol>1</Unit></Quantity></Units>",
         "No unit symbol defined"},
        {"conversion without formula", "<Conversions><Conversion Result=\"Length\"/></Conversions>",
         "No formula specified"},
        {"conversion with neither", "<Conversions><Conversion/></Conversions>",
         "No formula specified"},
        {"conversion without result",
         "<Conversions><Conversion Formula=\"Length * Length\"/></Conversions>",
         "No result unit specified"},
        {"empty formula", "<Conversions><Conversion Formula=\"\" Result=\"Length\"/></Conversions>",
         "Invalid formula format"},
        {"empty result",
         "<Conversions><Conversion Formula=\"Length * Length\" Result=\"\"/></Conversions>",
         "Unknown result type ''"},
        {"function without name", "<Functions><Function>1</Function></Functions>",
         "Illegal function name"},
        {"repeated unit", "<Units><Quantity Name=\"Other\"><Unit Symbol=\"m\"/></Quantity></Units>",
         "Unit 'm' already defined"},
        {"unit without text", "<Units><Quantity Name=\"Q\"><Unit Symbol=\"u\"/></Quantity></Units>",
         "Missing unit definition"},
        {"unit with blank text",
         "<Units><Quantity Name=\"Q\"><Unit Symbol=\"u\">  \n  </Unit></Quantity></Units>",
         "Missing unit definition"},
        {"unit that does not parse",
         "<Units><Quantity Name=\"Q\"><Unit Symbol=\"u\">1000 q</Unit></Quantity></Units>",
         "Error while parsing unit 'u': Parse error: Expected END near 'q'"},
        {"built-in function name", "<Functions><Function Name=\"sqrt\">1</Function></Functions>",
         "Function 'sqrt' already defined"},
        {"function without text", "<Functions><Function Name=\"f\"/></Functions>",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION near ''"},
        {"bad parameter list",
         "<Functions><Function Name=\"f\" Parameters=\"x, y\">x</Function></Functions>",
         "Syntax error while parsing parameter list for function 'f'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("units.xml",
                        "<Settings>\n" + std::string(kLength) + row.content + "\n</Settings>\n");
        EXPECT_EQ(loadFailure(directory.source()),
                  "Configuration error (" + shown(directory) + "/units.xml): " + row.text);
    }
}

TEST(SettingsLoader, ReaderProblemsFailWithTheirLine) {
    struct Row {
        const char* what;
        const char* content;
        int line;  // 0: no line in the message
    };
    const Row rows[] = {
        {"empty file", "", 0},
        // The reader only warns about an end tag that closes another element; the loader fails.
        {"mismatched end tag",
         "<Units>\n"
         "  <Quantity Name=\"Length\">\n"
         "    <Unit Symbol=\"m\">1\n"
         "  </Quantity>\n"
         "</Units>\n",
         4},
        {"end tag that closes nothing", "<Units>\n</Units>\n\n</Extra>\n", 4},
        {"unknown entity", "<Units>\n<Quantity Name=\"a&nbsp;b\"/>\n</Units>\n", 2},
        {"character above 255", "<Units>\n\n<Quantity Name=\"&#300;\"/>\n</Units>\n", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("units.xml", row.content);
        const std::string line = row.line > 0 ? ":" + std::to_string(row.line) : "";
        EXPECT_EQ(loadFailure(directory.source()), "Configuration error (" + shown(directory) +
                                                       "/units.xml" + line +
                                                       "): Error while parsing");
    }
}

TEST(SettingsLoader, FileWithoutAnyTagFails) {
    for (const char* content : {"just some text", "<!-- only a comment -->", "  \n\t\n"}) {
        SCOPED_TRACE(content);
        MemoryDirectory directory;
        directory.write("units.xml", content);
        UnitRegistry registry(5489);
        const auto error =
            caughtError<ConfigError>([&] { loadSettings(registry, directory.source()); });
        if (!error) continue;
        EXPECT_EQ(error->text(), "Error while parsing");
        EXPECT_EQ(error->file(), shown(directory) + "/units.xml");
    }
}

TEST(SettingsLoader, EveryFailureKnowsWhereItWasFound) {
    struct Row {
        const char* what;
        const char* content;
        const char* message;
        const char* location;
    };
    const Row rows[] = {
        {"bad character in a unit definition",
         "<Units>\n <Quantity Name=\"Length\">\n  <Unit Symbol=\"m\">1</Unit>\n"
         "  <Unit Symbol=\"zz\">2 # m</Unit>\n </Quantity>\n</Units>",
         "Tokenizer error: Syntax error", "at mem/units.xml:4, unit 'zz'"},
        {"parse error in a unit definition",
         "<Units>\n <Quantity Name=\"Length\">\n\n  <Unit Symbol=\"m\">(1</Unit>\n"
         " </Quantity>\n</Units>",
         "Configuration error (mem/units.xml): Error while parsing unit 'm': Parse error: "
         "Expected right parenthesis near ''",
         "at mem/units.xml:4, unit 'm'"},
        {"math error in a unit definition",
         "<Units><Quantity Name=\"Q\">\n<Unit Symbol=\"q\">1 / 0</Unit></Quantity></Units>",
         "Math error: Division by zero", "at mem/units.xml:2, unit 'q'"},
        {"repeated unit",
         "<Units><Quantity Name=\"Q\">\n<Unit Symbol=\"q\">1</Unit>\n"
         "<Unit Symbol=\"q\">2</Unit></Quantity></Units>",
         "Configuration error (mem/units.xml): Unit 'q' already defined",
         "at mem/units.xml:3, unit 'q'"},
        {"unit without symbol", "<Units>\n<Quantity Name=\"Q\"><Unit>1</Unit></Quantity></Units>",
         "Configuration error (mem/units.xml): No unit symbol defined",
         "at mem/units.xml:2, quantity 'Q'"},
        {"quantity without name", "<Units>\n\n<Quantity><Unit>1</Unit></Quantity></Units>",
         "Configuration error (mem/units.xml): Illegal or missing quantity name",
         "at mem/units.xml:3"},
        {"parse error in a formula",
         "<Units><Quantity Name=\"Q\"><Unit Symbol=\"q\">1</Unit></Quantity></Units>\n"
         "<Conversions>\n<Conversion Formula=\"Q * Q Q\" Result=\"Q\"/></Conversions>",
         "Configuration error (mem/units.xml): Invalid formula format",
         "at mem/units.xml:3, rule 'Q * Q Q'"},
        {"unknown result",
         "<Conversions>\n<Conversion Formula=\"Q * Q\" Result=\"R\"/></Conversions>",
         "Configuration error (mem/units.xml): Unknown result type 'R'",
         "at mem/units.xml:2, rule 'Q * Q'"},
        {"division by zero in a function body",
         "<Functions>\n<Function Name=\"f\"\n Parameters=\"x\">x + 1/0</Function>\n"
         "</Functions>",
         "Math error: Division by zero", "at mem/units.xml:2, function 'f'"},
        {"bad character in a function body",
         "<Functions><Function Name=\"g\">1 ; 2</Function></Functions>",
         "Tokenizer error: Syntax error", "at mem/units.xml:1, function 'g'"},
        {"function without name", "<Functions>\n<Function>1</Function></Functions>",
         "Configuration error (mem/units.xml): Illegal function name", "at mem/units.xml:2"},
        {"bad XML line", "<Units>\n<Quantity Name=\"Q\">\n</Units></Quantity>\n<",
         "Configuration error (mem/units.xml:3): Error while parsing", "at mem/units.xml:3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::expectSettingsFailure(row.content, row.message, row.location);
    }
}

TEST(SettingsLoader, UnreadableFileFailsWithoutLine) {
    TemporaryDirectory directory;
    std::filesystem::create_symlink(directory.path() / "nowhere", directory.path() / "lost.xml");
    EXPECT_EQ(loadFailure(directory.path()),
              "Configuration error (" + shown(directory) + "/lost.xml): Error while parsing");
}

TEST(SettingsLoader, ErrorsInsideDefinitionsPassUnchanged) {
    MemoryDirectory directory;
    directory.write("units.xml",
                    "<Units><Quantity Name=\"Q\"><Unit Symbol=\"u\">1 # 2</Unit>"
                    "</Quantity></Units>");
    UnitRegistry registry(5489);
    const auto tokenizer =
        caughtError<TokenizerError>([&] { loadSettings(registry, directory.source()); });
    if (tokenizer) {
        EXPECT_EQ(tokenizer->message(), "Tokenizer error: Syntax error");
    }

    directory.write("units.xml",
                    "<Functions><Function Name=\"f\" Parameters=\"x\">x + 1/0"
                    "</Function></Functions>");
    UnitRegistry second(5489);
    const auto math = caughtError<MathError>([&] { loadSettings(second, directory.source()); });
    if (math) {
        EXPECT_EQ(math->message(), "Math error: Division by zero");
    }
}

TEST(SettingsLoader, FirstFailureStopsLoadingAndKeepsWhatCameBefore) {
    MemoryDirectory directory;
    directory.write("a.xml", kLength);
    directory.write("b.xml",
                    "<Units><Quantity Name=\"Length\">"
                    "<Unit Symbol=\"km\">1000 m</Unit>"
                    "<Unit>1</Unit>"
                    "<Unit Symbol=\"cm\">0.01 m</Unit>"
                    "</Quantity></Units>");
    directory.write("c.xml",
                    "<Units><Quantity Name=\"Mass\"><Unit Symbol=\"kg\">1</Unit>"
                    "</Quantity></Units>");
    UnitRegistry registry(5489);
    EXPECT_THROW(loadSettings(registry, directory.source()), ConfigError);
    EXPECT_NE(registry.findUnit("m"), nullptr);
    EXPECT_NE(registry.findUnit("km"), nullptr);
    EXPECT_EQ(registry.findUnit("cm"), nullptr);
    EXPECT_EQ(registry.findUnit("kg"), nullptr);
}

TEST(SettingsLoader, FilesWithoutSettingsLoadNothing) {
    const std::size_t builtins = UnitRegistry(5489).functions().size();
    struct Row {
        const char* what;
        const char* content;
    };
    const Row rows[] = {
        {"declaration only", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"},
        {"other elements", "<Settings><Notes>text</Notes><Colours/></Settings>"},
        {"unknown sections beside each other", "<Unit Symbol=\"m\">1</Unit><Quantity/>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("units.xml", row.content);
        try {
            const auto registry = load(directory.source());
            EXPECT_TRUE(registry->units().empty());
            EXPECT_EQ(registry->functions().size(), builtins);
        } catch (const Error& error) {
            ADD_FAILURE() << error.message();
        }
    }
}

TEST(SettingsLoader, MissingDirectoryLoadsOnlyBuiltins) {
    TemporaryDirectory directory;
    directory.write("plain-file", "<Units>");
    const std::size_t builtins = UnitRegistry(5489).functions().size();
    for (const std::filesystem::path& path :
         {directory.path() / "missing", directory.path() / "plain-file", directory.path()}) {
        SCOPED_TRACE(path.string());
        const auto registry = load(path);
        EXPECT_TRUE(registry->units().empty());
        EXPECT_TRUE(registry->conversions().empty());
        EXPECT_EQ(registry->functions().size(), builtins);
        EXPECT_NE(registry->findFunction("sqrt"), nullptr);
    }
}

TEST(SettingsLoader, EachDocumentLayoutLoads) {
    constexpr const char* kUnits =
        "<Units><Quantity Name=\"Length\"><Unit Symbol=\"m\">1</Unit></Quantity></Units>\n";
    constexpr const char* kFunctions = "<Functions><Function Name=\"f\">2</Function></Functions>\n";
    constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Row {
        const char* what;
        std::string content;
        bool units;
        bool functions;
    };
    const Row rows[] = {
        {"declaration and sections", std::string(kDeclaration) + kUnits + kFunctions, true, true},
        {"one wrapper", std::string("<Settings>") + kUnits + kFunctions + "</Settings>", true,
         true},
        {"several sections", std::string(kUnits) + kFunctions, true, true},
        {"declaration and one wrapper",
         std::string(kDeclaration) + "<Settings>" + kUnits + kFunctions + "</Settings>", true,
         true},
        {"comment beside one wrapper",
         std::string("<!-- settings -->\n<Settings>") + kUnits + kFunctions + "</Settings>", true,
         true},
        {"only a units section", kUnits, true, false},
        {"only a functions section", kFunctions, false, true},
        // Sections are looked for at most one element below the document.
        {"two wrappers",
         std::string("<A><B>") + kUnits + "</B></A>" + "<C><D>" + kFunctions + "</D></C>", false,
         false},
        {"wrapper in a wrapper", std::string("<A><B><C>") + kUnits + kFunctions + "</C></B></A>",
         false, false},
        {"declaration and wrapper in a wrapper",
         std::string(kDeclaration) + "<A><B>" + kUnits + kFunctions + "</B></A>", false, false},
        {"section beside a wrapper", std::string(kUnits) + "<Extra>" + kFunctions + "</Extra>",
         true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("settings.xml", row.content);
        try {
            const auto registry = load(directory.source());
            EXPECT_EQ(registry->findUnit("m") != nullptr, row.units);
            EXPECT_EQ(registry->findFunction("f") != nullptr, row.functions);
        } catch (const Error& error) {
            ADD_FAILURE() << error.message();
        }
    }
}

TEST(SettingsLoader, ElementAndAttributeNamesIgnoreCase) {
    MemoryDirectory directory;
    directory.write("units.xml",
                    "<settings>\n"
                    "<UNITS><quantity NAME=\"Length\">"
                    "<UNIT symbol=\"m\" name=\"metre\" DESCRIPTION=\"The metre\">1</UNIT>"
                    "<unit SyMbOl=\"km\">1000 m</unit>"
                    "</quantity><QUANTITY name=\"Area\"><Unit Symbol=\"m2\">1</Unit></QUANTITY>"
                    "</UNITS>\n"
                    "<conversions><CONVERSION formula=\"Length * Length\" RESULT=\"Area\"/>"
                    "</conversions>\n"
                    "<FUNCTIONS><function name=\"f\" PARAMETERS=\"x\" description=\"Twice\">x * 2"
                    "</function></FUNCTIONS>\n"
                    "</settings>\n");
    const auto registry = load(directory.source());
    ASSERT_NE(registry->findUnit("m"), nullptr);
    EXPECT_EQ(registry->findUnit("m")->name, "metre");
    EXPECT_EQ(registry->findUnit("m")->description, "The metre");
    ASSERT_NE(registry->findUnit("km"), nullptr);
    EXPECT_EQ(registry->findUnit("km")->scale, 1000);
    EXPECT_EQ(registry->conversions().size(), 1U);
    const Function* function = registry->findFunction("f");
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->argumentCount, 1);
    EXPECT_EQ(function->description, "Twice");
}

TEST(SettingsLoader, AttributesAndTextsReachTheRegistry) {
    MemoryDirectory directory;
    directory.write("units.xml",
                    "<Settings>\n"
                    "<Units><Quantity Name=\"Length\">\n"
                    "  <Unit Symbol=\"m\" Name=\"metre\">\n    1\n  </Unit>\n"
                    "  <Unit Symbol=\"km\" Name=\"\">1000 <!-- exact --> m</Unit>\n"
                    "  <Unit Symbol=\"ft\">0.3048 m</Unit>\n"
                    "</Quantity></Units>\n"
                    "<Functions>\n"
                    "  <Function Name=\"\">42</Function>\n"
                    "  <Function Name=\"lt\" Parameters=\"a b\">a &lt; b</Function>\n"
                    "</Functions>\n"
                    "</Settings>\n");
    const auto registry = load(directory.source());
    ASSERT_EQ(registry->units().size(), 3U);
    EXPECT_EQ(registry->findUnit("m")->name, "metre");
    EXPECT_EQ(registry->findUnit("km")->scale, 1000);  // the comment goes: "1000m"
    EXPECT_EQ(registry->findUnit("ft")->name, "");
    EXPECT_EQ(registry->findUnit("ft")->description, "");
    // An empty function name is accepted and entered under the empty name.
    ASSERT_NE(registry->findFunction(""), nullptr);
    EXPECT_EQ(registry->findFunction("")->argumentCount, 0);
    ASSERT_NE(registry->findFunction("lt"), nullptr);
    EXPECT_EQ(registry->findFunction("lt")->parameters, "a b");
}

TEST(SettingsLoader, FilesLoadInNameOrderWithCaseFolded) {
    TemporaryDirectory directory;
    directory.write("a.xml", kLength);
    directory.write("B.xml",
                    "<Units><Quantity Name=\"Length\"><Unit Symbol=\"km\">1000 m</Unit>"
                    "</Quantity></Units>");
    directory.write("c.XML",
                    "<Units><Quantity Name=\"Length\"><Unit Symbol=\"Mm\">1000 km</Unit>"
                    "</Quantity></Units>");
    const auto registry = load(directory.path());
    ASSERT_NE(registry->findUnit("Mm"), nullptr);
    EXPECT_EQ(registry->findUnit("Mm")->scale, 1000000);
    EXPECT_EQ(registry->findUnit("Mm")->referenceUnit, registry->findUnit("m"));
}

TEST(SettingsLoader, FileOrderFoldsLettersToLowerCase) {
    // Letters compare as lower case, so "_" (between the upper and the lower case letters)
    // comes before every letter: "_a.xml", "B.xml", "c.xml", then "{.xml".
    TemporaryDirectory directory;
    for (const char* name : {"c.xml", "{.xml", "B.xml", "_a.xml", "sub.xml/d.xml"})
        directory.write(name, "<Units/>");
    std::vector<std::string> expected;
    for (const char* name : {"/_a.xml", "/B.xml", "/c.xml", "/sub.xml/d.xml", "/{.xml"})
        expected.push_back(shown(directory) + name);
    EXPECT_EQ(DirectorySource(directory.path()).xmlFiles(), expected);
}

TEST(SettingsLoader, LaterFileCannotServeAnEarlierOne) {
    struct Row {
        const char* what;
        const char* earlier;  // a.xml
        const char* text;
    };
    const Row rows[] = {
        {"unit",
         "<Units><Quantity Name=\"Length\"><Unit Symbol=\"km\">1000 m</Unit></Quantity></Units>",
         "Error while parsing unit 'km': Parse error: Expected END near 'm'"},
        {"rule",
         "<Conversions><Conversion Formula=\"Length * Length\" Result=\"Length\"/>"
         "</Conversions>",
         "Unknown result type 'Length'"},
        {"function", "<Functions><Function Name=\"f\">g 1</Function></Functions>",
         "Error while parsing function 'f': Parse error: Expected EXPRESSION or CONSTANT near "
         "'g 1'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("a.xml", row.earlier);
        directory.write("B.xml", std::string("<Settings>") + kLength +
                                     "<Functions><Function Name=\"g\" Parameters=\"x\">x"
                                     "</Function></Functions></Settings>");
        EXPECT_EQ(loadFailure(directory.source()),
                  "Configuration error (" + shown(directory) + "/a.xml): " + row.text);
    }
}

TEST(SettingsLoader, ScansOnlyXmlNamedEntries) {
    TemporaryDirectory directory;
    const auto unitFile = [](const char* symbol) {
        return std::string("<Units><Quantity Name=\"Q\"><Unit Symbol=\"") + symbol +
               "\">1</Unit></Quantity></Units>";
    };
    directory.write("top.xml", unitFile("top"));
    directory.write("UPPER.XML", unitFile("upper"));
    directory.write(".dotfile.xml", unitFile("dotfile"));
    directory.write("extra.xml/inner.xml", unitFile("inner"));
    directory.write("extra.xml/deeper.xml/deepest.xml", unitFile("deepest"));
    directory.write("extra.xml/plain/skipped.xml", unitFile("skipped1"));
    directory.write("extra/skipped.xml", unitFile("skipped2"));
    directory.write(".hidden.xml/skipped.xml", unitFile("skipped3"));
    // Not settings files: their broken content is never read.
    directory.write("notes.txt", "<broken");
    directory.write("units.xml.bak", "<broken");
    directory.write("xml", "<broken");
    const auto registry = load(directory.path());
    std::vector<std::string> symbols;
    for (const Unit* unit : registry->units())
        symbols.emplace_back(unit->symbol);
    EXPECT_EQ(symbols, (std::vector<std::string>{"deepest", "dotfile", "inner", "top", "upper"}));
}

TEST(SettingsLoader, PathsInMessagesUseSlashes) {
    TemporaryDirectory directory;
    directory.write("extra.xml/bad.xml", "<Units><Quantity/></Units>");
    const std::string expected = "Configuration error (" + shown(directory) +
                                 "/extra.xml/bad.xml): Illegal or missing quantity name";
    EXPECT_EQ(loadFailure(directory.path()), expected);
    EXPECT_EQ(loadFailure(directory.path() / ""), expected);  // a trailing separator
}

TEST(SettingsLoader, SmallCompleteFileWorksThroughTheCalculator) {
    TemporaryDirectory directory;
    directory.write("units.xml",
                    "<Quantrel>\n"
                    "  <Units>\n"
                    "    <Quantity Name=\"Length\">\n"
                    "      <Unit Symbol=\"m\">1</Unit>\n"
                    "      <Unit Symbol=\"km\">1000 m</Unit>\n"
                    "    </Quantity>\n"
                    "    <Quantity Name=\"Area\">\n"
                    "      <Unit Symbol=\"m2\">1</Unit>\n"
                    "    </Quantity>\n"
                    "  </Units>\n"
                    "  <Conversions>\n"
                    "    <Conversion Formula=\"Length * Length\" Result=\"Area\"/>\n"
                    "  </Conversions>\n"
                    "  <Functions>\n"
                    "    <Function Name=\"sq\" Parameters=\"x\">x * x</Function>\n"
                    "  </Functions>\n"
                    "</Quantrel>\n");
    Calculator calculator(directory.path(), 5489);
    test::expectResult(calculator, "2 km * 3 km", "6e+06 m2");
    test::expectResult(calculator, "sq 3", "9");
    test::expectResult(calculator, "1500 m", "1.5 km");
}

/// `text` (UTF-8) as UTF-16, little- or big-endian.
std::string utf16(std::string_view text, bool bigEndian) {
    std::string out;
    const auto put = [&](unsigned unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<std::size_t>(length);
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}

TEST(SettingsLoader, EncodedFilesLoadLikeTheirUtf8Twin) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
        "<Units><Quantity Name=\"Length\">\n"
        "  <Unit Symbol=\"m\" Name=\"m\xC3\xA8tre\">1</Unit>\n"
        "  <Unit Symbol=\"\xC2\xB5m\" Description=\"\xF0\x9D\x94\xAA\">0.000001 m</Unit>\n"
        "  <Unit Symbol=\"\xE2\x84\xA6x\">2 \xC2\xB5m</Unit>\n"
        "</Quantity></Units>\n";
    struct Row {
        const char* what;
        std::string content;
    };
    const Row rows[] = {
        {"UTF-8", text},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + text},
        {"UTF-16 LE with byte-order mark", "\xFF\xFE" + utf16(text, false)},
        {"UTF-16 BE with byte-order mark", "\xFE\xFF" + utf16(text, true)},
        {"UTF-16 LE without byte-order mark", utf16(text, false)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDirectory directory;
        directory.write("units.xml", row.content);
        try {
            const auto registry = load(directory.source());
            ASSERT_EQ(registry->units().size(), 3U);
            EXPECT_EQ(registry->findUnit("m")->name, "m\xC3\xA8tre");
            const Unit* micro = registry->findUnit("\xC2\xB5m");
            ASSERT_NE(micro, nullptr);
            EXPECT_EQ(micro->description, "\xF0\x9D\x94\xAA");
            const Unit* omega = registry->findUnit("\xE2\x84\xA6x");
            ASSERT_NE(omega, nullptr);
            EXPECT_NEAR(static_cast<double>(omega->scale), 2e-6, 1e-18);
        } catch (const Error& error) {
            ADD_FAILURE() << error.message();
        }
    }
}

TEST(SettingsLoader, FailedCalculatorConstructionReleasesEverything) {
    // Units, a rule and functions are entered before the failure; the sanitizer's leak check
    // sees whether the half-filled registry is released.
    const std::string start = std::string("<Settings>") + kLength +
                              "<Conversions><Conversion Formula=\"Length * Length\" "
                              "Result=\"Length\"/></Conversions>"
                              "<Functions><Function Name=\"sq\" Parameters=\"x\">x * x</Function>"
                              "<Function Name=\"r\">rnd * sq 2</Function>";
    struct Row {
        const char* what;
        const char* rest;
        const char* category;
    };
    const Row rows[] = {
        {"configuration error", "<Function Name=\"sq\">1</Function>", "Config"},
        {"parse error in a body", "<Function Name=\"g\">sq</Function>", "Config"},
        {"math error in a body", "<Function Name=\"g\" Parameters=\"x\">x + 1 / 0</Function>",
         "Math"},
        {"tokenizer error in a body", "<Function Name=\"g\">1 ; 2</Function>", "Tokenizer"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TemporaryDirectory directory;
        directory.write("units.xml", start + row.rest + "</Functions></Settings>");
        try {
            Calculator calculator(directory.path(), 5489);
            ADD_FAILURE() << "the calculator was built";
        } catch (const Error& error) {
            EXPECT_EQ(error.category(), row.category);
        }
    }
}

TEST(SettingsLoader, QuantityDisplayNaturalLooksPastRoundedLengths) {
    const char* units = R"(<Units><Quantity Name="Length"%s>
  <Unit Symbol="m">1</Unit><Unit Symbol="km">1000 m</Unit><Unit Symbol="cm">0.01 m</Unit>
  <Unit Symbol="mm">0.001 m</Unit><Unit Symbol="in">0.0254 m</Unit>
</Quantity></Units>)";
    const auto calculatorWith = [&](const std::string& attribute) {
        std::string xml = units;
        xml.replace(xml.find("%s"), 2, attribute);
        return test::calculatorFromXml(xml);
    };
    struct Row {
        const char* input;
        const char* shortest;  // without the attribute, or with Display="shortest"
        const char* natural;
    };
    const Row rows[] = {
        {"1 km / 3", "333333 mm", "333.333 m"},  // rounded everywhere: the first in [1, 10000)
        {"1 m / 3", "33.3333 cm", "33.3333 cm"},
        {"1234567 m", "1234.57 km", "1234.57 km"},  // not the exact but longer 4.8605e+07 in
        {"1500 m", "1.5 km", "1.5 km"},             // exact texts: the shortest, as before
        {"0.0254 m", "1 in", "1 in"},
        {"2.54 mm", "0.1 in", "0.1 in"},
        {"1e-9 m", "1e-09 m", "1e-09 m"},
        {"1 m / 3e9", "3.33333e-10 m", "3.33333e-10 m"},  // nothing in range: the shortest
        {"-1 km / 3", "-333333 mm", "-333.333 m"},
    };
    Calculator plain = calculatorWith("");
    Calculator shortest = calculatorWith(R"( Display="shortest")");
    Calculator natural = calculatorWith(R"( Display="natural")");
    for (const Row& row : rows) {
        test::expectResult(plain, row.input, row.shortest);
        test::expectResult(shortest, row.input, row.shortest);
        test::expectResult(natural, row.input, row.natural);
    }
    // The choice belongs to the quantity, wherever it was declared.
    Calculator later = test::calculatorFromXml(R"(<Units><Quantity Name="L">
  <Unit Symbol="m">1</Unit><Unit Symbol="mm">0.001 m</Unit></Quantity>
  <Quantity Name="L" Display="natural"/></Units>)");
    test::expectResult(later, "1 m / 3", "333.333 mm");
    test::expectResult(later, "10 m / 3", "3.33333 m");

    test::expectSettingsFailure(
        "<Units>\n<Quantity Name=\"L\" Display=\"Natural\"/></Units>",
        "Configuration error (mem/units.xml): Invalid Display value 'Natural' for quantity 'L'",
        "at mem/units.xml:2, quantity 'L'");
    test::expectSettingsFailure(
        "<Units><Quantity Name=\"L\" Display=\"natural\"/>\n"
        "<Quantity Name=\"L\" Display=\"shortest\"/></Units>",
        "Configuration error (mem/units.xml): Quantity 'L' declared with two Display values",
        "at mem/units.xml:2, quantity 'L'");
}

}  // namespace
}  // namespace quantrel

namespace quantrel {
namespace {

TEST(SettingsLoader, UnitsMarkedDisplayNoAreReadButNeverChosen) {
    MemorySource source;
    source.add("mem/units.xml", R"(<Units><Quantity Name="Length">
  <Unit Symbol="m">1</Unit>
  <Unit Symbol="km">1000 m</Unit>
  <Unit Symbol="Mm" Display="no">1000000 m</Unit>
  <Unit Symbol="kilometre" Display="no">1 km</Unit>
  <Unit Symbol="ft" Display="yes">0.3048 m</Unit>
</Quantity></Units>)");
    Calculator calc = test::calculatorFromXml(*source.read("mem/units.xml"));
    test::expectResult(calc, "3000000 m", "3000 km");    // not "3 Mm"
    test::expectResult(calc, "2 kilometre", "2 km");     // an alias changes nothing shown
    test::expectResult(calc, "3 km in Mm", "0.003 Mm");  // but may be asked for
    test::expectResult(calc, "ans", "3 km");
    test::expectResult(calc, "1 ft", "1 ft");
}

TEST(SettingsLoader, DisplayTakesYesOrNoAndNeverHidesAReferenceUnit) {
    struct Row {
        const char* units;
        const char* message;
        const char* location;
    };
    const Row rows[] = {
        {R"(<Unit Symbol="m">1</Unit><Unit Symbol="km" Display="No">1000 m</Unit>)",
         "Configuration error (mem/units.xml): Invalid Display value 'No' for unit 'km'",
         "at mem/units.xml:2, unit 'km'"},
        {R"(<Unit Symbol="m" Display="no">1</Unit>)",
         "Configuration error (mem/units.xml): Unit 'm' is the reference unit of its quantity "
         "and is always shown",
         "at mem/units.xml:2, unit 'm'"},
    };
    for (const Row& row : rows) {
        test::expectSettingsFailure(
            std::string("<Units><Quantity Name=\"Length\">\n") + row.units + "</Quantity></Units>",
            row.message, row.location);
    }
}

}  // namespace
}  // namespace quantrel

namespace quantrel {
namespace {

const char* const kShownUnits = R"xml(<Units>
  <Quantity Name="Length"><Unit Symbol="m" Name="metre">1</Unit>
    <Unit Symbol="km" Name="kilometre">1000 m</Unit></Quantity>
  <Quantity Name="Time"><Unit Symbol="s">1</Unit><Unit Symbol="h">3600 s</Unit></Quantity>
  <Quantity Name="SpeedOfTravel" Dimension="Length / Time" Display="natural">
    <Unit Symbol="mps" Name="metre per second" Shown="m/s">1</Unit>
    <Unit Symbol="kmh" Name="kilometre per hour" Shown="km/h">(1 / 3.6) mps</Unit>
    <Unit Symbol="kph" Display="no" Shown="km/h">1 kmh</Unit>
  </Quantity>
  <Quantity Name="Length" Dimension="Length"/><Quantity Name="Time" Dimension="Time"/>
  <Quantity Name="AbsorbedDose" DisplayName="Dose (absorbed)">
    <Unit Symbol="Gy">1</Unit></Quantity>
</Units>)xml";

TEST(SettingsLoader, AUnitIsShownWithItsShownTextAndReadByItsSymbol) {
    Calculator calc = test::calculatorFromXml(kShownUnits);
    test::expectResult(calc, "36 kmh", "10 m/s");
    test::expectResult(calc, "ans", "10 m/s");
    test::expectResult(calc, "72 kmh in kmh", "72 km/h");
    test::expectResult(calc, "ans", "20 m/s");
    test::expectResult(calc, "ans in mps", "20 m/s");
    test::expectResult(calc, "10 kph", "10 km/h");
    test::expectResult(calc, "1 km / (1 h)", "1 km/h");
    test::expectResult(calc, "36 kmh in mps + kmh", "10 m/s");
    test::expectResult(calc, "37 kmh in mps + kmh", "10 m/s + 1 km/h");
    test::expectResult(calc, "2 km", "2 km");  // without the attribute: the symbol

    const std::vector<UnitEntry> units = calc.unitList();
    const auto kmh = std::find_if(units.begin(), units.end(),
                                  [](const UnitEntry& unit) { return unit.symbol == "kmh"; });
    ASSERT_NE(kmh, units.end());
    EXPECT_EQ(kmh->shown, "km/h");
    EXPECT_EQ(kmh->quantityText, "Speed of travel");
    const HintInfo hint = calc.describe("kmh");
    EXPECT_EQ(hint.title, "kilometre per hour (km/h)");
    EXPECT_EQ(hint.quantity, "Speed of travel");
    EXPECT_EQ(calc.describe("km").title, "kilometre (km)");
}

TEST(SettingsLoader, AQuantityIsListedWithItsDisplayName) {
    const Calculator calc = test::calculatorFromXml(kShownUnits);
    std::vector<std::pair<std::string, std::string>> names;
    for (const QuantityEntry& quantity : calc.quantityList())
        names.emplace_back(quantity.name, quantity.displayName);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"AbsorbedDose", "Dose (absorbed)"},
        {"Length", "Length"},
        {"SpeedOfTravel", "Speed of travel"},
        {"Time", "Time"}};
    EXPECT_EQ(names, expected);
}

TEST(SettingsLoader, QuantityNamesSplitIntoWordsAtTheirCapitals) {
    const std::pair<const char*, const char*> rows[] = {
        {"AbsorbedDose", "Absorbed dose"},
        {"PerAmount", "Per amount"},
        {"Length", "Length"},
        {"SpecificHeatCapacity", "Specific heat capacity"},
        {"CO2Emission", "CO2 emission"},
        {"DataURL", "Data URL"},
        {"pH", "pH"},
        {"SIPrefix", "SIPrefix"},
        {"", ""},
    };
    for (const auto& [name, words] : rows)
        EXPECT_EQ(wordsOfName(name), words) << name;
}

TEST(SettingsLoader, ShownTextsAndDisplayNamesMustBePrintable) {
    struct Row {
        const char* units;
        const char* message;
        const char* location;
    };
    const Row rows[] = {
        {R"(<Quantity Name="L"><Unit Symbol="m" Shown="">1</Unit></Quantity>)",
         "Configuration error (mem/units.xml): Invalid Shown value '' for unit 'm'",
         "at mem/units.xml:2, unit 'm'"},
        {R"(<Quantity Name="L"><Unit Symbol="m" Shown="a&#9;b">1</Unit></Quantity>)",
         "Configuration error (mem/units.xml): Invalid Shown value 'a?b' for unit 'm'",
         "at mem/units.xml:2, unit 'm'"},
        {R"(<Quantity Name="L" DisplayName=""><Unit Symbol="m">1</Unit></Quantity>)",
         "Configuration error (mem/units.xml): Invalid DisplayName value '' for quantity 'L'",
         "at mem/units.xml:2, quantity 'L'"},
        {R"(<Quantity Name="L" DisplayName="x&#10;y"/>)",
         "Configuration error (mem/units.xml): Invalid DisplayName value 'x?y' for quantity 'L'",
         "at mem/units.xml:2, quantity 'L'"},
        {R"(<Quantity Name="L" DisplayName="Size"/><Quantity Name="L" DisplayName="Length"/>)",
         "Configuration error (mem/units.xml): Quantity 'L' declared with two DisplayName values",
         "at mem/units.xml:2, quantity 'L'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units);
        test::expectSettingsFailure(std::string("<Units>\n") + row.units + "</Units>", row.message,
                                    row.location);
    }
    // The same name twice is no conflict.
    const Calculator calc = test::calculatorFromXml(
        R"(<Units><Quantity Name="L" DisplayName="Size"><Unit Symbol="m">1</Unit></Quantity>
  <Quantity Name="L" DisplayName="Size"/></Units>)");
    EXPECT_EQ(calc.quantityList().front().displayName, "Size");
}

}  // namespace
}  // namespace quantrel
