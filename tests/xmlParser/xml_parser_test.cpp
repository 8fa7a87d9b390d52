// SPDX-License-Identifier: GPL-3.0-or-later

#include "xmlParser/xml_parser.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::xml {
namespace {

using namespace std::string_view_literals;

/// A compact picture of a tree: name ("#top" for the unnamed top node, "?" before a
/// declaration), [attributes] (a valueless one without "="), 'texts', clear sections as written,
/// then {children}. The empty handle is "<empty>".
std::string describe(const XmlElement& element) {
    if (!element) return "<empty>";
    std::string out = element.isDeclaration() ? "?" : "";
    out += element.name() ? std::string(*element.name()) : "#top";
    if (element.attributeCount() > 0) {
        out += '[';
        for (int i = 0; i < element.attributeCount(); ++i) {
            const XmlAttribute attribute = *element.attributeAt(i);
            if (i > 0) out += ' ';
            out += attribute.name;
            if (attribute.value) out.append("=").append(*attribute.value);
        }
        out += ']';
    }
    for (int i = 0; i < element.textCount(); ++i)
        out.append("'").append(*element.text(i)).append("'");
    for (int i = 0; i < element.clearCount(); ++i) {
        const XmlClear clear = *element.clear(i);
        out += std::string(clear.opening) + std::string(clear.content) + std::string(clear.closing);
    }
    if (element.childCount() > 0) {
        out += '{';
        for (int i = 0; i < element.childCount(); ++i) {
            if (i > 0) out += ' ';
            out += describe(element.child(i));
        }
        out += '}';
    }
    return out;
}

std::string repeatText(std::string_view text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

struct ParseCase {
    std::string_view input;
    std::string tree;  // describe() of the returned node
    XmlError error = XmlError::NoError;
    int line = 0;
    int column = 0;
};

void expectParse(const ParseCase& c) {
    SCOPED_TRACE(testing::Message() << "input: " << c.input);
    XmlResult result;
    result.line = result.column = 99;  // the parse must overwrite them
    const XmlElement element = parseXmlText(c.input, result);
    EXPECT_EQ(describe(element), c.tree);
    EXPECT_EQ(result.error, c.error) << errorText(result.error);
    EXPECT_EQ(result.line, c.line);
    EXPECT_EQ(result.column, c.column);
}

TEST(XmlReader, TextsAndClearSections) {
    const std::vector<ParseCase> cases = {
        {"<a>\n    first line\n    second line\n  </a>", "a'first line\n    second line'"},
        {"<a> \n\t </a>", "a"},
        {"<a>1000 <!-- note --> m</a>", "a'1000m'"},
        {"<a>1 <!--x--> <!--y--> 2</a>", "a'1''2'<!--x--><!--y-->"},
        {"<a><!--x-->5</a>", "a'5'<!--x-->"},
        {"<a>5<!--x--></a>", "a'5'<!--x-->"},
        {"<a>1<![CDATA[x]]>2</a>", "a'1''2'<![CDATA[x]]>"},
        {"<a><![CDATA[<b>&nbsp;]]></a>", "a<![CDATA[<b>&nbsp;]]>"},
        {"<!DOCTYPE html><a/>", "#top<!DOCTYPE html>{a}"},
        {"<!DOCTYPE x [<!ENTITY e 'v'>]><a/>", "#top<!DOCTYPE x [<!ENTITY e 'v'>]>{a}"},
        {"<a><PRE> <b> </PRE><Script>if (a<b) x;</Script></a>",
         "a<PRE> <b> </PRE><Script>if (a<b) x;</Script>"},
        {"<a><pre>x</pre></a>", "a{pre'x'}"},  // the raw-block openers are case-sensitive
        {"<a>say \"x > y\" = 'z' /> ok</a>", "a'say \"x > y\" = 'z' /> ok'"},
        {"<a>1<b/>2</a>", "a'1''2'{b}"},
        {"hello <a/>", "#top'hello'{a}"},
        {"<a/><b/>", "#top{a b}"},
        {"<a>x</a>\0<b>"sv, "a'x'"},       // a NUL byte ends the text
        {"<a>\xE0<b></a>", "a'\xE0<b>'"},  // a 3-byte character is never split, "<b" included
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

TEST(XmlReader, Entities) {
    const std::vector<ParseCase> cases = {
        {"<a>&amp;&LT;&gt;&Quot;&apos;&#65;&#x42;&#X43;</a>", "a'&<>\"'ABC'"},
        {"<a v='a &lt; b'/>", "a[v=a < b]"},
        {"<a>&#181;m &#xE9;</a>", "a'\xC2\xB5m \xC3\xA9'"},  // written as UTF-8
        {"<a>&#32;</a>", "a' '"},
        {"<a>&#300;</a>", "<empty>", XmlError::CharacterCodeAbove255, 1, 12},
        {"<a>&#x100;</a>", "<empty>", XmlError::CharacterCodeAbove255, 1, 13},
        {"<a>&#99999999999999999999;</a>", "<empty>", XmlError::CharacterCodeAbove255, 1, 29},
        {"<a>&nbsp;</a>", "<empty>", XmlError::UnknownCharacterEntity, 1, 12},
        {"<a>&amp</a>", "<empty>", XmlError::UnknownCharacterEntity, 1, 10},
        {"<a>&#12a;</a>", "<empty>", XmlError::UnknownCharacterEntity, 1, 12},
        {"<a>x\n&</a>", "<empty>", XmlError::UnknownCharacterEntity, 2, 4},
        {"<a v=&bad;/>", "<empty>", XmlError::UnknownCharacterEntity, 1, 11},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
    XmlResult result;
    const XmlElement nul = parseXmlText("<a>x&#;y</a>", result);
    EXPECT_EQ(*nul.text(0), "x\0y"sv);
}

TEST(XmlReader, Attributes) {
    const std::vector<ParseCase> cases = {
        {"<Unit Symbol=km Name=\"kilo metre\" Description='say \"hi\"' flag empty=\"\">1000 "
         "m</Unit>",
         "Unit[Symbol=km Name=kilo metre Description=say \"hi\" flag empty=]'1000 m'"},
        {"<a b c=1 d/>", "a[b c=1 d]"},
        {"<a href=x/y/>", "a[href=x/y]"},
        {"<a b = \"1\"\n c\t=\t'2'>", "a[b=1 c=2]", XmlError::UnmatchedEndTagWarning, 2, 10},
        {"<a b=\"x>", "a[b=\"x]", XmlError::UnmatchedEndTagWarning, 1, 9},  // no closing quote
        {"<a b=>", "<empty>", XmlError::UnexpectedToken, 1, 7},
        {"<a \"b\">", "<empty>", XmlError::UnexpectedToken, 1, 7},
        {"<a b=\"1\" =>", "<empty>", XmlError::UnexpectedToken, 1, 11},
        {"<a b c<d>", "<empty>", XmlError::UnexpectedToken, 1, 8},
        {"<a b", "<empty>", XmlError::UnexpectedToken, 1, 5},
        // Quoted attributes, then other forms: the tokens read on from the first other one.
        {"<a b=\"1\" c d='2' e=3 f=\"4\"/>", "a[b=1 c d=2 e=3 f=4]"},
        {"<a b=\"1\"c='2'\td\n=\n\"3\"/>", "a[b=1 c=2 d=3]"},
        {"<a b=\"x&amp;y\" c=\"&#181;\"></a>", "a[b=x&y c=\u00b5]"},
        {"<a b=\"1\" x/y=\"2\" \u00e9=\"3\" z\u00e9='4'/>", "a[b=1 x/y=2 \u00e9=3 z\u00e9=4]"},
        {"<a b='1' c=\"\" d=\"'\"/ >", "a[b=1 c= d=' /]", XmlError::UnmatchedEndTagWarning, 1, 23},
        {"<a b=\"1\" c=\"&bad;\" d=\"2\"/>", "<empty>", XmlError::UnknownCharacterEntity, 1, 19},
        {"<a b=\"1\" c=\"2<\"/>", "<empty>", XmlError::UnexpectedToken, 1, 15},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

TEST(XmlReader, LongRunsStopWhereTheirFirstSpecialByteIs) {
    // Runs of plain bytes are passed in blocks; the first byte that needs a closer look may be
    // anywhere in a block or in the bytes after the last whole one.
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string run = repeatText("x", length);
        const std::vector<std::pair<std::string, std::string>> cases = {
            {"<a b=\"" + run + "\"/>", "a[b=" + run + "]"},
            {"<a b='" + run + "&amp;'/>", "a[b=" + run + "&]"},
            {"<a b=\"" + run + "\u00b5\"/>", "a[b=" + run + "\u00b5]"},
            {"<a b=\"" + run + "'\"/>", "a[b=" + run + "']"},
            {"<a>" + run + "<b/>" + run + "</a>",
             length == 0 ? "a{b}" : "a'" + run + "''" + run + "'{b}"},
            {"<a>" + run + "\xC3<b></a>", "a'" + run + "\xC3<b>'"},
            {"<a>" + run + "\xF0<b></a>", "a'" + run + "\xF0<b>'"},
        };
        for (const auto& [input, tree] : cases) {
            SCOPED_TRACE(testing::Message() << "input: " << input);
            XmlResult result;
            EXPECT_EQ(describe(parseXmlText(input, result)), tree);
        }
    }
    // Values the quick scan hands over to the quoted-text and entity readers; a lead byte takes
    // the bytes of its character with it, the closing quote too.
    const std::vector<ParseCase> cases = {
        {"<a b=\"0123456789abcdef\xC3\"/>", "a[b=\"0123456789abcdef\xC3\"]"},
        {"<a b=\"\xC3\" c=\"1\"/>", "a[b=\xC3\" c= 1\"]"},
        {"<a b=\"0123456789abcdef<\" c=\"1\"/>", "<empty>", XmlError::UnexpectedToken, 1, 24},
        {"<a b=\"0123456789abcdef&bad;\"/>", "<empty>", XmlError::UnknownCharacterEntity, 1, 29},
        {"<a b=\"0123456789abcdef", "<empty>", XmlError::UnexpectedToken, 1, 23},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

TEST(XmlReader, Declarations) {
    const std::vector<ParseCase> cases = {
        // The declaration at the top level stays open and holds the rest of the file.
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Units><Quantity Name=L/></Units>\n"
         "<Functions/>",
         "?xml[version=1.0 encoding=UTF-8]{Units{Quantity[Name=L]} Functions}"},
        {"<?xml version=1.0?><a/>", "?xml[version=1.0]{a}"},
        {"<?xml?>", "?xml?"},
        {"<?xml version='1.0' ?><a></a></xml><b/>", "#top{?xml[version=1.0]{a} b}"},
        {"<a><?pi x?><b/></a>", "a{?pi[x] b}"},  // closed by its "?>" below the top level
        {"<a><?pi v=1?></a>", "a{?pi[v=1]}"},
        {"<a><?pi v='1?'/></a>", "a{?pi[v=1]}"},
        {"<?xml?><a>", "?xml?{a}", XmlError::UnmatchedEndTagWarning, 1, 11},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

TEST(XmlReader, EndTags) {
    const std::vector<ParseCase> cases = {
        {"<Units></UNITS >", "Units"},
        {"<a></a/b>", "a"},  // the name only has to start the end tag's name
        {"<Units>\n  <Quantity Name=L>\n  </Units>\n<Functions/>",
         "#top{Units{Quantity[Name=L]} Functions}", XmlError::UnmatchedEndTagWarning, 3, 11},
        {"<a><b>\n</a>\n</b>", "<empty>", XmlError::UnmatchedEndTag, 3, 5},
        {"<a>\n</b>", "<empty>", XmlError::UnmatchedEndTag, 2, 5},
        {"<a></ab>", "<empty>", XmlError::UnmatchedEndTag, 1, 9},
        {"<a></a></b>", "<empty>", XmlError::UnmatchedEndTag, 1, 12},
        {"<a><b>x", "a{b'x'}", XmlError::UnmatchedEndTagWarning, 1, 8},
        {"<a></>", "<empty>", XmlError::MissingEndTagName, 1, 7},
        {"<a></a b>", "<empty>", XmlError::MissingEndTagName, 1, 9},
        {"<a></a", "<empty>", XmlError::MissingEndTagName, 1, 7},
        // A warning does not hide a later error.
        {"<a><b></a><c =>", "<empty>", XmlError::UnexpectedToken, 1, 15},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

TEST(XmlReader, DocumentErrors) {
    const std::vector<ParseCase> cases = {
        {"", "#top", XmlError::NoTagFound, 1, 1},
        {"just text", "#top'just text'", XmlError::NoTagFound, 1, 10},
        {"<!-- only -->", "#top<!-- only -->", XmlError::NoTagFound, 1, 14},
        {"< >", "#top", XmlError::NoTagFound, 1, 4},  // no element: the warning replaces the error
        {"<a>< >", "<empty>", XmlError::MissingStartTagName, 1, 7},
        {"<a>\n<!-- open", "<empty>", XmlError::UnmatchedClearTagEnd, 2, 5},
        {"<a><![CDATA[x]>", "<empty>", XmlError::UnmatchedClearTagEnd, 1, 13},
        {"<a><!DOCTYPE x [ <y>", "<empty>", XmlError::UnmatchedClearTagEnd, 1, 13},
        // Columns count characters, not bytes; a carriage return is a column like any other.
        {"<a>\xC2\xB5\xC2\xB5</b>", "<empty>", XmlError::UnmatchedEndTag, 1, 10},
        {"<a>\r\n</b>", "<empty>", XmlError::UnmatchedEndTag, 2, 5},
    };
    for (const ParseCase& c : cases)
        expectParse(c);
}

// Texts and values are views of the document where they are as written and copies where they
// are not (entities, texts joined over a comment); both must read the same, in order.
TEST(XmlReader, TextsKeptAsWrittenOrDecoded) {
    const std::vector<ParseCase> cases = {
        {"<a>x &amp; <!--c--> &lt;y</a>", "a'x &<y'"},
        {"<a>1 <!--x--> 2 <!--y--> 3</a>", "a'123'"},
        {"<a>1<b>2<c/>3</b>4<d>5</d>6</a>", "a'1''4''6'{b'2''3'{c} d'5'}"},
        {"<a><b x=&amp;>&lt;</b><c y=\"&#65;&#66;\"/></a>", "a{b[x=&]'<' c[y=AB]}"},
        {"<a><?pi v='x&amp;?'?></a>", "a{?pi[v=x&]}"},
        {"<a>1\r\n2</a>", "a'1\r\n2'"},         // line ends are kept as written
        {"<a>\"x<b/>\"</a>", "a'\"x''\"'{b}"},  // a quote without its pair stops at "<"
        {"<a v=\"\xC3\"/>", "a[v=\"\xC3\"]"},   // the quote inside a character closes nothing
        {"<a>\xC3\"<b/>\"</a>", "a'\xC3\"''\"'{b}"},
    };
    for (const ParseCase& c : cases)
        expectParse(c);

    // Decoded texts longer than the arena's chunks, between texts kept as written.
    std::string input = "<a><b>plain</b>";
    std::string expected = "a{b'plain'";
    for (const std::size_t size : {10, 5000, 20, 9000}) {
        input += "<b>" + repeatText("&lt;", size) + "</b>";
        expected += " b'" + std::string(size, '<') + "'";
    }
    input += "</a>";
    expected += "}";
    expectParse({input, expected});
}

TEST(XmlReader, QueriesIgnoreCaseAndStayInRange) {
    XmlResult result;
    const XmlElement units = parseXmlText(
        "<Units><Quantity name=Length><unit SYMBOL=m/><UNIT Symbol=km Name/></Quantity>"
        "<quantity Name=Area/><Other/></Units>",
        result);
    ASSERT_EQ(result.error, XmlError::NoError);
    EXPECT_EQ(units.countChildren("QUANTITY"), 2);
    EXPECT_EQ(units.countChildren("Quantit"), 0);
    EXPECT_EQ(*units.childNamed("Quantity", 1).attribute("name"), "Area");
    EXPECT_TRUE(units.childNamed("Quantity", 2).isEmpty());
    EXPECT_TRUE(units.childNamed("Quantity", -1).isEmpty());
    EXPECT_TRUE(units.child(3).isEmpty());
    EXPECT_TRUE(units.child(-1).isEmpty());

    const XmlElement length = units.childNamed("quantity", 0);
    EXPECT_EQ(*length.attribute("Name"), "Length");
    EXPECT_EQ(*length.childNamed("Unit", 0).attribute("Symbol"), "m");
    const XmlElement km = length.childNamed("Unit", 1);
    EXPECT_EQ(km.attributeCount(), 2);
    EXPECT_EQ(km.attribute("name"), std::nullopt);  // written without a value
    EXPECT_EQ(km.attribute("Description"), std::nullopt);
    EXPECT_EQ(km.text(0), std::nullopt);
    EXPECT_FALSE(km.attributeAt(2));
    EXPECT_FALSE(km.clear(0));

    const XmlElement none;
    EXPECT_EQ(none.name(), std::nullopt);
    EXPECT_FALSE(none.isDeclaration());
    EXPECT_EQ(none.childCount() + none.countChildren("a") + none.attributeCount() +
                  none.textCount() + none.clearCount(),
              0);
    EXPECT_TRUE(none.child(0).isEmpty());
    EXPECT_TRUE(none.childNamed("a", 0).isEmpty());
    EXPECT_EQ(none.attribute("a"), std::nullopt);
    EXPECT_EQ(none.text(0), std::nullopt);
}

TEST(XmlReader, FirstAttributeOfTheNameWins) {
    XmlResult result;
    const XmlElement a = parseXmlText("<a x=1 X=2 y y=3/>", result);
    EXPECT_EQ(*a.attribute("x"), "1");
    EXPECT_EQ(a.attribute("y"), std::nullopt);  // the first "y" has no value
}

TEST(XmlReader, SeveralAttributesInOnePass) {
    using Values = std::array<std::optional<std::string_view>, 4>;
    constexpr std::array<std::string_view, 4> names{"y", "Z", "x", "w"};
    XmlResult result;
    const XmlElement a = parseXmlText("<a x=1 X=2 y y=3 z='4'/>", result);
    Values values;
    values.fill("stale");
    a.attributes(names, values);
    EXPECT_EQ(values, (Values{std::nullopt, "4", "1", std::nullopt}));
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(values[i], a.attribute(names[i])) << names[i];
    values.fill("stale");
    XmlElement{}.attributes(names, values);
    EXPECT_EQ(values, Values{});
}

TEST(XmlReader, ElementsKnowTheLineOfTheirStartTag) {
    XmlResult result;
    // Multi-byte characters, comments and attribute values across lines count like any text.
    const XmlElement top = parseXmlText(
        "<?xml version=\"1.0\"?>\n<Units>\n  <!-- two\nlines -->\n  <Quantity Name=\"Länge\"\n"
        "    Dimension=\"L\"><Unit Symbol=\"m\">1</Unit>\n\n  <Unit\nSymbol=\"µm\">1e-6 m</Unit>"
        "</Quantity></Units>",
        result);
    ASSERT_EQ(result.error, XmlError::NoError);
    const XmlElement units = top.child(0);
    const XmlElement quantity = units.child(0);
    EXPECT_EQ(top.line(), 1);  // the declaration, which stays open
    EXPECT_EQ(units.line(), 2);
    EXPECT_EQ(quantity.line(), 5);
    EXPECT_EQ(quantity.child(0).line(), 6);
    EXPECT_EQ(quantity.child(1).line(), 8);
    EXPECT_EQ(XmlElement().line(), 0);
    // The unnamed top node has no tag.
    EXPECT_EQ(parseXmlText("<a/><b/>", result).line(), 0);
}

TEST(XmlReader, AnyHandleKeepsItsTreeAlive) {
    XmlElement unit;
    {
        XmlResult result;
        const XmlElement document = parseXmlText("<Units><Unit Symbol=m>1</Unit></Units>", result);
        unit = document.child(0);
    }
    EXPECT_EQ(*unit.name(), "Unit");
    EXPECT_EQ(*unit.attribute("Symbol"), "m");
    EXPECT_EQ(*unit.text(0), "1");
    EXPECT_EQ(unit.line(), 1);
}

}  // namespace
}  // namespace quantrel::xml
