// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/hint_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace quantrel::ui {
namespace {

using Names = std::vector<std::string>;

struct HintCase {
    const char* prefix;
    HintText::Form form;
    const char* title;  // for a description
    Names names;        // the list, or the longer names after a description
    const char* value = "";
};

TEST(HintFor, DescribesACompleteNameAndListsTheOthers) {
    Calculator calculator = test::makeTestCalculator();
    const HintCase cases[] = {
        // Not yet a name: its completions. A complete one: described.
        {"hy", HintText::Form::List, "", {"hyp"}},
        {"hyp", HintText::Form::Description, "hyp", {}},
        {"2 * hyp(3", HintText::Form::Description, "hyp", {}},
        {"sqrt(5", HintText::Form::Description, "sqrt", {}},
        // An operator after the name hides the hint.
        {"sqrt(5 +", HintText::Form::Hidden, "", {}},
        {"sqrt(5+", HintText::Form::Hidden, "", {}},
        // A complete short unit is described at once, with the longer names after it.
        {"s", HintText::Form::Description, "second (s)", {"sin", "sinh", "sq", "sqrt"}},
        {"5 s", HintText::Form::Description, "second (s)", {"sin", "sinh", "sq", "sqrt"}},
        {"5 s ", HintText::Form::Description, "second (s)", {}},
        {"5 km", HintText::Form::Description, "kilometre (km)", {"km2", "kmh"}, "1 km = 1000 m"},
        {"5 km)", HintText::Form::Description, "kilometre (km)", {}, "1 km = 1000 m"},
        {"5 m",
         HintText::Form::Description,
         "metre (m)",
         {"m2", "m3", "mi", "min", "mm"}},  // at most a handful; the reference unit has no value
        {"2 h", HintText::Form::Description, "hour (h)", {"hyp", "ha"}, "1 h = 3600 s"},
        {"ans", HintText::Form::Description, "ans", {}},
        {"an", HintText::Form::List, "", {"ans"}},
        {"a", HintText::Form::List, "", {"ans", "acos", "acosh", "asin", "asinh", "atan", "atanh"}},
        // Nothing to describe.
        {"", HintText::Form::Hidden, "", {}},
        {"5", HintText::Form::Hidden, "", {}},
        {"(", HintText::Form::Hidden, "", {}},
        {"xyz", HintText::Form::Hidden, "", {}},
        // "in" does not count: the unit before it is described.
        {"5 km in", HintText::Form::Description, "kilometre (km)", {}, "1 km = 1000 m"},
        // After "in", also inside a compound target, only units are offered.
        {"5 min in s", HintText::Form::Description, "second (s)", {}},
        {"5 km / 1 h in km/m",
         HintText::Form::Description,
         "metre (m)",
         {"m2", "m3", "mi", "min", "mm"}},
        {"5 km / 1 h in km/mi",
         HintText::Form::Description,
         "mile (mi)",
         {"min"},
         "1 mi = 1609.34 m"},
        {"5 km in hy", HintText::Form::Hidden, "", {}},  // a function is no target
        {"Ans", HintText::Form::Hidden, "", {}},
        // The caret has passed the name, but the text names nothing.
        {"sqr ", HintText::Form::Hidden, "", {}},
        {"\xc2\xb5", HintText::Form::Hidden, "", {}},
        // A text that does not tokenize hides the hint.
        {"5 # s", HintText::Form::Hidden, "", {}},
    };
    for (const HintCase& c : cases) {
        SCOPED_TRACE(std::string("prefix: ") + c.prefix);
        const HintText hint = hintFor(calculator, c.prefix);
        EXPECT_EQ(hint.form, c.form);
        if (c.form == HintText::Form::Description) {
            EXPECT_EQ(hint.info.title, c.title);
        }
        EXPECT_EQ(hint.names, c.names);
        EXPECT_EQ(hint.value, c.value);
    }
    // ans is worth the previous result.
    calculator.evaluate("2 km + 300 m");
    EXPECT_EQ(hintFor(calculator, "ans").value, "ans = 2.3 km");
}

TEST(HintFor, DescriptionCarriesParametersAndText) {
    const Calculator calculator = test::makeTestCalculator();
    const HintText hint = hintFor(calculator, "hyp(");
    ASSERT_EQ(hint.form, HintText::Form::Description);
    EXPECT_EQ(hint.info.kind, HintKind::Function);
    EXPECT_EQ(hint.info.detail, "a b");
    EXPECT_EQ(hint.info.description, "Hypotenuse");
}

TEST(HintRows, WriteEachFormWithEscapedText) {
    using Style = HintPiece::Style;
    HintText function;
    function.form = HintText::Form::Description;
    function.info = {HintKind::Function, "hyp", "a b", "Hypotenuse <of> a & b", {}};
    HintText unit;
    unit.form = HintText::Form::Description;
    unit.info = {HintKind::Unit, "kilometre (km)", "", "The kilometre", "Length <road>"};
    unit.value = "1 km = 1000 m";
    unit.names = {"kmh", "km2"};
    unit.chosen = 1;
    HintText constant;
    constant.form = HintText::Form::Description;
    constant.info = {HintKind::Function, "c", "", "Speed of light", {}};
    constant.value = "c = 299792458 m/s";
    HintText variable;
    variable.form = HintText::Form::Description;
    variable.info = {HintKind::Variable, "ans", "", "Result of the previous calculation", {}};
    HintText list;
    list.form = HintText::Form::List;
    list.names = {"sq", "s\"<"};
    HintText suggestions;
    suggestions.form = HintText::Form::Suggestions;
    suggestions.names = {"m", "<mm>"};
    const struct {
        const HintText& hint;
        std::vector<std::string> html;
    } rows[] = {
        // The parameters apart from the name, as the function is written.
        {function, {"<b>Function: </b>hyp a b", "Hypotenuse &lt;of&gt; a &amp; b"}},
        {unit,
         {"<b>Length &lt;road&gt; unit: </b>kilometre (km), 1 km = 1000 m   more: "
          "<a href=\"0\">kmh</a> <a href=\"1\"><b>km2</b></a>",
          "The kilometre"}},
        {constant, {"<b>Constant: </b>c, c = 299792458 m/s", "Speed of light"}},
        {variable, {"<b>Variable: </b>ans", "Result of the previous calculation"}},
        {list, {"<a href=\"0\">sq</a> <a href=\"1\">s&quot;&lt;</a>"}},
        {suggestions, {"<b>Did you mean: </b><a href=\"0\">m</a> <a href=\"1\">&lt;mm&gt;</a>"}},
        {HintText{}, {}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> html;
        for (const HintRow& r : hintRows(row.hint))
            html.push_back(rowHtml(r));
        EXPECT_EQ(html, row.html);
    }
    const HintRow error = errorRow("Math", "1 < 2 & more");
    EXPECT_EQ(rowHtml(error), "<b>Math: </b>1 &lt; 2 &amp; more");
    EXPECT_EQ(rowText(error), "Math: 1 < 2 & more");
    EXPECT_EQ(error.front().style, Style::Bold);
}

TEST(UnitValueText, TheUnitInItsReferenceUnit) {
    Calculator calculator = test::calculatorFromXml(R"(<Units>
  <Quantity Name="Temperature">
    <Unit Symbol="K" Name="kelvin">1</Unit>
    <Unit Symbol="degC" Name="degree Celsius" Shown="°C">0 degC = 273.15 K</Unit>
  </Quantity>
  <Quantity Name="Velocity">
    <Unit Symbol="mps" Shown="m/s">1</Unit>
    <Unit Symbol="kmh" Shown="km/h">0.277777777777778 mps</Unit>
  </Quantity>
</Units>)");
    const struct {
        const char* symbol;
        const char* value;
    } rows[] = {
        {"K", ""}, {"mps", ""}, {"degC", "0 °C = 273.15 K"}, {"kmh", "1 km/h = 0.277778 m/s"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.symbol);
        EXPECT_EQ(unitValueText(calculator, *calculator.unitEntry(row.symbol)), row.value);
    }
    EXPECT_EQ(functionSignature("hypot", "x y"), "hypot x y");
    EXPECT_EQ(functionSignature("pi", ""), "pi");
}

struct CompletionCase {
    const char* text;
    int caret;
    const char* word;
    const char* expectedText;  // nullptr: no completion
    int expectedCaret;
};

TEST(CompleteWord, ReplacesTheWholeWordAtTheHint) {
    const Calculator calculator = test::makeTestCalculator();
    const CompletionCase cases[] = {
        {"hy", 2, "hyp", "hyp ", 4},
        {"2 * hy + 1", 6, "hyp", "2 * hyp  + 1", 8},
        // The caret inside a word: the characters after it go too.
        {"sqxyz(2)", 2, "sqrt", "sqrt (2)", 5},
        {"5 k", 3, "km", "5 km ", 5},
        {"5 kmh", 3, "km", "5 km ", 5},
        // A caret beyond the text counts as its end.
        {"tg", 40, "tgamma", "tgamma ", 7},
        // Multi-byte text before the word keeps its bytes.
        {"\xc2\xb5 + hy", 7, "hyp", "\xc2\xb5 + hyp ", 9},
        // Nothing to complete, or text that does not tokenize.
        {"5", 1, "sq", nullptr, 0},
        {"5 # hy", 6, "hyp", nullptr, 0},
        {"hy # 5", 2, "hyp", nullptr, 0},
    };
    for (const CompletionCase& c : cases) {
        SCOPED_TRACE(std::string("text: ") + c.text);
        const std::optional<CompletedInput> completion =
            completeWord(calculator, c.text, c.caret, c.word);
        if (c.expectedText == nullptr) {
            EXPECT_FALSE(completion.has_value());
            continue;
        }
        ASSERT_TRUE(completion.has_value());
        EXPECT_EQ(completion->text, c.expectedText);
        EXPECT_EQ(completion->caret, c.expectedCaret);
    }
}

TEST(SuggestionsFor, OfferCloseNamesInPlaceOfAnUnknownOne) {
    struct Row {
        const char* line;
        Names names;           // empty: no suggestions
        const char* replaced;  // the line with the first suggestion chosen
    };
    const Row rows[] = {
        {"5 kilometre", {"km"}, "5 km"},
        {"3 mtr + 2 m", {"m"}, "3 m + 2 m"},
        {"sqr(4) + 1", {"sq", "sqrt"}, "sq(4) + 1"},
        {"2 \xc2\xb5 + qwzxv", {}, ""},  // nothing close
        {"1 / 0", {}, ""},               // not about a name
        {"2 +", {}, ""},
    };
    Calculator calculator = test::makeTestCalculator();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        try {
            calculator.evaluate(row.line);
            ADD_FAILURE() << "evaluated";
        } catch (const Error& error) {
            const HintText hint = suggestionsFor(calculator, error, row.line);
            if (row.names.empty()) {
                EXPECT_EQ(hint.form, HintText::Form::Hidden);
                continue;
            }
            ASSERT_EQ(hint.form, HintText::Form::Suggestions);
            EXPECT_EQ(hint.names, row.names);
            const CompletedInput replaced = replaceUnknownName(hint, row.line, hint.names.front());
            EXPECT_EQ(replaced.text, row.replaced);
            EXPECT_EQ(replaced.caret, hint.replaceBegin + static_cast<int>(hint.names[0].size()));
        }
    }
    HintText hint;
    hint.form = HintText::Form::Suggestions;
    hint.names = {"m", "<mm>"};
    // A range out of the line is clipped rather than trusted.
    hint.replaceBegin = 4;
    hint.replaceEnd = 99;
    EXPECT_EQ(replaceUnknownName(hint, "1 + xy", "m").text, "1 + m");
}

TEST(Utf16Position, CountsCharactersNotBytes) {
    const std::string text = "5 \xc2\xb5m + \xf0\x9d\x9c\x8b";  // "5 µm + " and a 4-byte letter
    const struct {
        int bytes;
        int characters;
    } cases[] = {{0, 0}, {2, 2}, {4, 3}, {5, 4}, {8, 7}, {12, 9}, {99, 9}, {-3, 0}, {3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(utf16Position(text, c.bytes), c.characters);
    }
}

}  // namespace
}  // namespace quantrel::ui
