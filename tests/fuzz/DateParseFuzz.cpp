// Feeds arbitrary text to the date parsers and formats what they accept.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tessel/core/DateTime.h"

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string text;
    for (size_t i = 0; i < size; i++)
        if (data[i])
            text.push_back(data[i]);
    Date date(2000, 1, 1);
    if (date.parseDate(text.c_str()))
        date.format(u"%Y-%m-%d %a %b %j %z");
    DateTime time(2000, 1, 1, 12, 0, 0, 0);
    if (time.parseDateTime(text.c_str())) {
        time.toGMTString();
        time.format(u"%n/%e %H:%M:%S %U");
        time.adjust(1, -25, 61, 0, -1);
        time.toAnsiTime();
    }
    return 0;
}
