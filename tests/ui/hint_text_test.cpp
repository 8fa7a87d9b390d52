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
    Names names;        // for a list
};

TEST(HintFor, DescribesOrListsTheNameBeforeTheCaret) {
    const Calculator calculator = test::makeTestCalculator();
    const HintCase cases[] = {
        // One candidate: listed until the caret reaches its end, then described.
        {"hy", HintText::Form::List, "", {"hyp"}},
        {"hyp", HintText::Form::Description, "hyp", {}},
        {"2 * hyp(3", HintText::Form::Description, "hyp", {}},
        {"sqrt(5", HintText::Form::Description, "sqrt", {}},
        // An operator after the name hides the line.
        {"sqrt(5 +", HintText::Form::Hidden, "", {}},
        {"sqrt(5+", HintText::Form::Hidden, "", {}},
        // A complete unit that begins several names lists them all, unit last.
        {"s", HintText::Form::List, "", {"sin", "sinh", "sq", "sqrt", "s"}},
        {"5 s", HintText::Form::List, "", {"sin", "sinh", "sq", "sqrt", "s"}},
        {"5 s ", HintText::Form::Description, "second (s)", {}},
        {"5 km", HintText::Form::List, "", {"km", "km2", "kmh"}},
        {"5 km)", HintText::Form::Description, "kilometre (km)", {}},
        {"ans", HintText::Form::Description, "ans", {}},
        {"an", HintText::Form::List, "", {"ans"}},
        {"a", HintText::Form::List, "", {"ans", "acos", "acosh", "asin", "asinh", "atan", "atanh"}},
        // Nothing to describe.
        {"", HintText::Form::Hidden, "", {}},
        {"5", HintText::Form::Hidden, "", {}},
        {"(", HintText::Form::Hidden, "", {}},
        {"xyz", HintText::Form::Hidden, "", {}},
        // "in" does not count: the unit before it is described.
        {"5 km in", HintText::Form::Description, "kilometre (km)", {}},
        // After "in", also inside a compound target, only units are offered.
        {"5 min in s", HintText::Form::Description, "second (s)", {}},
        {"5 km / 1 h in km/m",
         HintText::Form::List,
         "",
         {"m", "m2", "m3", "mi", "min", "mm", "mps"}},
        {"Ans", HintText::Form::Hidden, "", {}},
        // The caret has passed the only candidate's length, but the text names nothing.
        {"sqr ", HintText::Form::Hidden, "", {}},
        {"\xc2\xb5", HintText::Form::Hidden, "", {}},
        // A text that does not tokenize hides the line.
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
    }
}

TEST(HintFor, DescriptionCarriesParametersAndText) {
    const Calculator calculator = test::makeTestCalculator();
    const HintText hint = hintFor(calculator, "hyp(");
    ASSERT_EQ(hint.form, HintText::Form::Description);
    EXPECT_EQ(hint.info.kind, HintKind::Function);
    EXPECT_EQ(hint.info.detail, "a b");
    EXPECT_EQ(hint.info.description, "Hypotenuse");
}

TEST(HintHtml, WritesEachFormWithEscapedText) {
    HintText function;
    function.form = HintText::Form::Description;
    function.info = {HintKind::Function, "hyp", "a b", "Hypotenuse <of> a & b", {}};
    EXPECT_EQ(hintHtml(function),
              "<b>Function: </b>hyp<i>a b</i><br>Hypotenuse &lt;of&gt; a &amp; b");

    HintText unit;
    unit.form = HintText::Form::Description;
    unit.info = {HintKind::Unit, "metre (m)", "", "The metre", {}};
    EXPECT_EQ(hintHtml(unit), "<b>Unit: </b>metre (m)<br>The metre");
    // With its quantity's display name, escaped as every text is.
    unit.info = {HintKind::Unit, "kilometre per hour (km/h)", "", "Speed", "Speed <road>"};
    EXPECT_EQ(hintHtml(unit), "<b>Speed &lt;road&gt; unit: </b>kilometre per hour (km/h)<br>Speed");

    HintText variable;
    variable.form = HintText::Form::Description;
    variable.info = {HintKind::Variable, "ans", "", "Result of the previous calculation", {}};
    EXPECT_EQ(hintHtml(variable), "<b>Variable: </b>ans<br>Result of the previous calculation");

    HintText list;
    list.form = HintText::Form::List;
    list.names = {"sq", "s\"<"};
    EXPECT_EQ(hintHtml(list), "<a href=\"0\">sq</a> <a href=\"1\">s&quot;&lt;</a> ");

    EXPECT_EQ(hintHtml(HintText{}), "");
    EXPECT_EQ(errorHtml("Math", "1 < 2 & more"), "<b>Math: </b>1 &lt; 2 &amp; more");
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
    EXPECT_EQ(hintHtml(hint),
              "<b>Did you mean: </b><a href=\"0\">m</a> <a href=\"1\">&lt;mm&gt;</a> ");
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
