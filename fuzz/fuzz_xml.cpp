// SPDX-License-Identifier: GPL-3.0-or-later
// Parses arbitrary bytes with the XML reader and walks the whole tree it returns.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "xmlParser/xml_parser.h"

using quantrel::xml::XmlElement;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quantrel::xml::XmlResult result;
    const XmlElement document = quantrel::xml::parseXmlText(text, result);
    // Walk without recursion: the tree may be as deep as the reader allows.
    std::vector<XmlElement> pending{document};
    while (!pending.empty()) {
        const XmlElement element = pending.back();
        pending.pop_back();
        (void)element.name();
        (void)element.attribute("Name");
        (void)element.text(0);
        (void)element.countChildren("unit");
        for (int i = 0; i < element.childCount(); ++i) pending.push_back(element.child(i));
    }
    return 0;
}
