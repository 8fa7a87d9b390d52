// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the XML reader on a generated settings-like file of about one megabyte.

#include "xmlParser/xml_parser.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

/// Appends the pieces to `text` (plain appends keep GCC's -Wrestrict quiet at -O3).
template <typename... Pieces>
void append(std::string& text, const Pieces&... pieces) {
    (text.append(pieces), ...);
}

/// Units/Quantity/Unit elements with attributes, texts and some comments, plus conversions and
/// functions, until the text reaches `bytes`.
std::string settingsText(std::size_t bytes) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n  <Units>\n";
    for (int quantity = 0; text.size() < bytes; ++quantity) {
        const std::string q = std::to_string(quantity);
        append(text, "    <!-- Quantity", q, ": the reference unit comes first -->\n");
        append(text, "    <Quantity Name=\"Quantity", q, "\">\n");
        for (int unit = 0; unit < 12; ++unit) {
            const std::string u = std::to_string(unit);
            append(text, "      <Unit Symbol=\"u", q, "_", u, "\" Name='unit &amp; u", q, "_", u,
                   "' Description=\"Unit number ", u, " of Quantity", q, "\">");
            if (unit == 0) {
                append(text, "1");
            } else {
                append(text, std::to_string(unit * 1000), " <!-- exact --> u", q, "_0");
            }
            append(text, "</Unit>\n");
        }
        append(text, "    </Quantity>\n");
    }
    append(text, "  </Units>\n  <Conversions>\n",
           "    <Conversion Formula=\"Quantity0 * Quantity1\" Result=\"Quantity2\"/>\n",
           "  </Conversions>\n  <Functions>\n",
           "    <Function Name=\"sq\" Parameters=\"x\" Description=\"x &lt; y\">x * x</Function>\n",
           "  </Functions>\n</Settings>\n");
    return text;
}

void BM_ParseSettings(benchmark::State& state) {
    const std::string text = settingsText(1 << 20);
    for (auto _ : state) {
        quantrel::xml::XmlResult result;
        quantrel::xml::XmlElement document = quantrel::xml::parseXmlText(text, result);
        if (result.error != quantrel::xml::XmlError::NoError) {
            state.SkipWithError(quantrel::xml::errorText(result.error));
            break;
        }
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseSettings)->Unit(benchmark::kMillisecond);

}  // namespace
