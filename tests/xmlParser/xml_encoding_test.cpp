// SPDX-License-Identifier: GPL-3.0-or-later

#include "xmlParser/xml_encoding.h"

#include "xmlParser/xml_parser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quantrel::xml {
namespace {

using namespace std::string_view_literals;

/// A file in a fresh directory of its own, removed with the directory afterwards.
class TempFiles {
public:
    TempFiles() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(testing::TempDir()) /
               (std::string("quantrel_xml_") + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~TempFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::filesystem::path write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

/// UTF-16 code units as bytes in the given order.
std::string utf16Bytes(std::u16string_view units, Utf16Order order) {
    std::string out;
    for (char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += order == Utf16Order::LittleEndian ? low : high;
        out += order == Utf16Order::LittleEndian ? high : low;
    }
    return out;
}

/// Everything a settings loader would read from the file, as one line.
std::string readSummary(const std::filesystem::path& path) {
    XmlResult result;
    const XmlElement document = parseXmlFile(path, result);
    std::string out = std::to_string(static_cast<int>(result.error));
    out.append(":").append(std::to_string(result.line));
    out.append(":").append(std::to_string(result.column));
    const XmlElement quantity = document.childNamed("Units", 0).childNamed("Quantity", 0);
    out.append(" ").append(quantity.attribute("Name").value_or("-"));
    for (int i = 0; i < quantity.countChildren("Unit"); ++i) {
        const XmlElement unit = quantity.childNamed("Unit", i);
        out.append(" ").append(unit.attribute("Symbol").value_or("-"));
        out.append("=").append(unit.text(0).value_or("-"));
    }
    return out;
}

TEST(XmlEncoding, RecognisesUtf16) {
    struct Case {
        std::string_view bytes;
        std::optional<Utf16Order> order;
        bool hasByteOrderMark;
    };
    const std::vector<Case> cases = {
        {"\xFF\xFE<\0"sv, Utf16Order::LittleEndian, true},
        {"\xFE\xFF\0<"sv, Utf16Order::BigEndian, true},
        {"<\0?\0"sv, Utf16Order::LittleEndian, false},
        {"\0<\0?"sv, Utf16Order::BigEndian, false},
        {"\r\0\n\0"sv, Utf16Order::LittleEndian, false},
        {"<?xm"sv, std::nullopt, false},
        {"\xEF\xBB\xBF<a>"sv, std::nullopt, false},
        {"<\0\xE9\0"sv, std::nullopt, false},  // the second character is not ASCII
        {"<\0?"sv, std::nullopt, false},       // too short to tell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases.data()));
        const std::optional<Utf16Detection> detected = detectUtf16(c.bytes);
        ASSERT_EQ(detected.has_value(), c.order.has_value());
        if (!detected) continue;
        EXPECT_EQ(detected->order, *c.order);
        EXPECT_EQ(detected->hasByteOrderMark, c.hasByteOrderMark);
    }
}

TEST(XmlEncoding, ConvertsUtf16ToUtf8) {
    struct Case {
        std::u16string_view units;
        std::optional<std::string_view> utf8;
    };
    const std::vector<Case> cases = {
        {u"<a>1 \u00B5m</a>", "<a>1 \xC2\xB5m</a>"sv},
        {u"\u20AC \u00E9", "\xE2\x82\xAC \xC3\xA9"sv},
        {u"\U0001D11E!", "\xF0\x9D\x84\x9E!"sv},  // a surrogate pair
        {u"ab\0cd"sv, "ab"sv},                    // a NUL unit ends the text
        {u"a\xD834", std::nullopt},               // a high half at the end
        {u"a\xD834z", std::nullopt},              // a high half without its low half
        {u"a\xDD1Ez", std::nullopt},              // a low half on its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases.data()));
        for (Utf16Order order : {Utf16Order::LittleEndian, Utf16Order::BigEndian}) {
            EXPECT_EQ(utf16ToUtf8(utf16Bytes(c.units, order), order), c.utf8);
        }
    }
    EXPECT_EQ(utf16ToUtf8("a\0b"sv, Utf16Order::LittleEndian), std::nullopt);  // odd length
}

TEST(XmlEncoding, Utf16FilesReadLikeTheirUtf8Twin) {
    const TempFiles files;
    const std::u16string text =
        u"<?xml version=\"1.0\"?>\r\n<Units>\r\n  <Quantity Name=\"L\u00E4nge\">\r\n"
        u"    <Unit Symbol=\"\u00B5m\">1e-6 m</Unit>\r\n    <Unit "
        u"Symbol=\"\U0001D11E\">2</Unit>\r\n"
        u"  </Units>\r\n";
    const std::string utf8 =
        *utf16ToUtf8(utf16Bytes(text, Utf16Order::LittleEndian), Utf16Order::LittleEndian);
    const std::string expected = readSummary(files.write("utf8.xml", utf8));
    // The mismatched end tag on line 6 shows that lines and columns are counted the same way.
    EXPECT_EQ(expected, "1:6:11 L\xC3\xA4nge \xC2\xB5m=1e-6 m \xF0\x9D\x84\x9E=2");

    const std::string le = utf16Bytes(text, Utf16Order::LittleEndian);
    const std::string be = utf16Bytes(text, Utf16Order::BigEndian);
    EXPECT_EQ(readSummary(files.write("bom8.xml", std::string("\xEF\xBB\xBF").append(utf8))),
              expected);
    EXPECT_EQ(readSummary(files.write("le_bom.xml", std::string("\xFF\xFE").append(le))), expected);
    EXPECT_EQ(readSummary(files.write("be_bom.xml", std::string("\xFE\xFF").append(be))), expected);
    EXPECT_EQ(readSummary(files.write("le.xml", le)), expected);
    EXPECT_EQ(readSummary(files.write("be.xml", be)), expected);
}

TEST(XmlEncoding, FileErrors) {
    const TempFiles files;
    struct Case {
        std::filesystem::path path;
        XmlError error;
    };
    const std::vector<Case> cases = {
        {files.dir() / "missing.xml", XmlError::FileNotFound},
        {files.dir(), XmlError::FileNotFound},
        {files.write("empty.xml", ""), XmlError::NoData},
        {files.write("broken.xml", "\xFF\xFE<\0\x34\xD8"sv), XmlError::CharConversion},
        {files.write("odd.xml", "<\0a\0>"sv), XmlError::CharConversion},
        {files.write("bom_only.xml", "\xEF\xBB\xBF"), XmlError::NoTagFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        XmlResult result{XmlError::NoError, 7, 7};
        EXPECT_EQ(parseXmlFile(c.path, result).isEmpty(), c.error != XmlError::NoTagFound);
        EXPECT_EQ(result.error, c.error);
        if (c.error != XmlError::NoTagFound) {
            EXPECT_EQ(result.line, 0);
            EXPECT_EQ(result.column, 0);
        }
    }
}

}  // namespace
}  // namespace quantrel::xml
