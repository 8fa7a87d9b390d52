// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile input: random, mutated, truncated and very deep documents must fail cleanly.

#include "xmlParser/xml_parser.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quantrel::xml {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kSettings =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE settings [<!ELEMENT Units ANY>]>\n"
    "<Units>\n"
    "  <Quantity Name=\"Length\">\n"
    "    <!-- the reference unit comes first -->\n"
    "    <Unit Symbol=\"m\" Name=\"metre\" Description='SI &amp; base'>1</Unit>\n"
    "    <Unit Symbol=km Name=kilometre>1000 <!-- exact --> m</Unit>\n"
    "    <Unit Symbol=\"\xC2\xB5m\" hidden>1e-6 m</Unit>\n"
    "  </Quantity>\n"
    "  <Quantity Name=Area><Unit Symbol=m2>1</Unit></Quantity>\n"
    "</Units>\n"
    "<Conversions><Conversion Formula=\"Length * Length\" Result=\"Area\"/></Conversions>\n"
    "<Functions><Function Name=sq Parameters=x><![CDATA[x * x]]></Function>"
    "<PRE> raw <b> </PRE><Script>a<b</Script></Functions>\n";

/// Parses `text`, checks the result's invariants and visits every node without recursion.
void parseAndWalk(std::string_view text) {
    XmlResult result;
    const XmlElement document = parseXmlText(text, result);
    const bool warning = result.error == XmlError::NoError ||
                         result.error == XmlError::UnmatchedEndTagWarning ||
                         result.error == XmlError::NoTagFound;
    ASSERT_EQ(document.isEmpty(), !warning) << errorText(result.error);
    if (result.error == XmlError::NoError) {
        ASSERT_EQ(result.line, 0);
        ASSERT_EQ(result.column, 0);
    } else {
        ASSERT_GE(result.line, 1);
        ASSERT_GE(result.column, 1);
    }
    std::vector<std::pair<XmlElement, int>> pending{{document, 0}};
    std::size_t bytes = 0;
    while (!pending.empty()) {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        ASSERT_LE(depth, kMaxElementDepth);
        bytes += element.name().value_or("").size();
        for (int i = 0; i < element.attributeCount(); ++i) {
            bytes += element.attributeAt(i)->name.size();
            bytes += element.attributeAt(i)->value.value_or("").size();
        }
        for (int i = 0; i < element.textCount(); ++i)
            bytes += element.text(i)->size();
        for (int i = 0; i < element.clearCount(); ++i)
            bytes += element.clear(i)->content.size();
        for (int i = 0; i < element.childCount(); ++i)
            pending.emplace_back(element.child(i), depth + 1);
    }
    ASSERT_LE(bytes, text.size() * 2);  // decoding never makes a text much longer
}

std::string repeat(std::string_view piece, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes)
        out += piece;
    return out;
}

TEST(XmlRobustness, RandomFragments) {
    static constexpr std::array<std::string_view, 40> kFragments{
        "<",      ">",      "/",        "/>",        "</",   "<?",        "?>",   "?",
        "=",      "\"",     "'",        "&",         "&#",   "&#x",       ";",    "&amp;",
        "&#300;", "&#65;",  "&nbsp;",   "a",         "Unit", "UNIT",      " ",    "\n",
        "\t",     "<!--",   "-->",      "<![CDATA[", "]]>",  "<!DOCTYPE", "]>",   "[",
        "<PRE>",  "</PRE>", "<Script>", "</Script>", "\xC3", "\xE0\x80",  "\xF4", "\0"sv};
    std::mt19937 random(20240611);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int pieces = std::uniform_int_distribution<int>(0, 120)(random);
        for (int i = 0; i < pieces; ++i) {
            text += kFragments[std::uniform_int_distribution<std::size_t>(
                0, kFragments.size() - 1)(random)];
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        parseAndWalk(text);
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(XmlRobustness, MutatedAndTruncatedSettings) {
    parseAndWalk(kSettings);
    for (std::size_t length = 0; length <= kSettings.size(); ++length) {
        parseAndWalk(kSettings.substr(0, length));
        if (testing::Test::HasFatalFailure()) return;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int round = 0; round < 4000; ++round) {
        std::string text(kSettings);
        const int edits = std::uniform_int_distribution<int>(1, 8)(random);
        for (int i = 0; i < edits && !text.empty(); ++i) {
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
            switch (random() % 3) {
                case 0:
                    text[at] = static_cast<char>(anyByte(random));
                    break;
                case 1:
                    text.erase(at, 1 + random() % 4);
                    break;
                default:
                    text.insert(at, 1, "<>/=\"'&?!-["[random() % 11]);
            }
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        parseAndWalk(text);
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(XmlRobustness, DeepNestingIsRefusedAtTheLimit) {
    XmlResult result;
    // A megabyte of "<a>": element kMaxElementDepth + 1 is refused just after its "<".
    const std::string deep = repeat("<a>", 1 << 20);
    EXPECT_TRUE(parseXmlText(deep, result).isEmpty());
    EXPECT_EQ(result.error, XmlError::UnexpectedToken);
    EXPECT_EQ(result.line, 1);
    EXPECT_EQ(result.column, 3 * kMaxElementDepth + 2);

    // Exactly at the limit the tree is built, and freeing it is no deeper a matter.
    std::string atLimit = repeat("<a>", 3 * kMaxElementDepth);
    atLimit.append("x").append(repeat("</a>", 4 * kMaxElementDepth));
    XmlElement element = parseXmlText(atLimit, result);
    EXPECT_EQ(result.error, XmlError::NoError);
    int depth = 1;
    while (element.childCount() > 0) {
        element = element.child(0);
        ++depth;
    }
    EXPECT_EQ(depth, kMaxElementDepth);
    EXPECT_EQ(*element.text(0), "x");
}

TEST(XmlRobustness, LongHostileInputs) {
    // Inputs that make many elements cost more under the sanitizers: a quarter megabyte does.
    const std::size_t megabyte = 1 << 20;
    const std::pair<std::string_view, std::size_t> inputs[] = {
        {"<a"sv, megabyte},
        {"'"sv, megabyte},
        {"\"a'"sv, megabyte},
        {"<!--"sv, megabyte},
        {"&"sv, megabyte},
        {"\xF0"sv, megabyte},
        {"<a/>"sv, megabyte / 4},
        {"<?x?>"sv, megabyte / 4},
        {"<a b=c d e='f' g=\"h\">t</a>"sv, megabyte / 4},
    };
    for (const auto& [piece, bytes] : inputs) {
        SCOPED_TRACE(piece);
        parseAndWalk(repeat(piece, bytes));
        if (testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace quantrel::xml
