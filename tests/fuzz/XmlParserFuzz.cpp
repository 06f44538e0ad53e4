// Drives the pull parser over arbitrary input the way the configuration and
// template readers do: tags, attributes read or skipped, text, seeking.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tessel/core/XmlParser.h"

using namespace tessel;

namespace {

// The input's bytes as UTF-16 units: the first byte chooses the mode, the
// rest become one unit each, so that markup stays readable in the corpus.
void walk(const std::u16string& text, uint8_t mode)
{
    XmlParser parser(static_cast<XmlParser::NAMECASE>(mode % 3));
    parser.setSmart(mode & 4);
    parser.setXml(text.data(), static_cast<int>(text.size()), mode & 8);
    String name;
    for (int steps = 0; steps < 5000 && parser.nextTag(name); steps++) {
        bool start = !name.empty() && name[0] != u'/';
        if (start && (steps + mode) % 3 == 0) {
            parser.skipAttrs();
        } else if (start) {
            parser.initAttrs();
            for (const auto& entry : parser.getAttrs()) {
                parser.getInt(entry.first);
                parser.getBool(entry.first);
            }
        }
        String text = parser.nextText();
        if (mode & 16 && steps % 7 == 0)
            parser.seekTo(-static_cast<int>(text.size()) - 1, true);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::u16string text;
    text.reserve(size);
    for (size_t i = 1; i < size; i++)
        text.push_back(data[i] == 0xFE ? char16_t(0xFEFF) : char16_t(data[i]));
    walk(text, data[0]);
    return 0;
}
