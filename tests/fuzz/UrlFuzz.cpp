// Feeds arbitrary bytes to every URL operation: the bytes are read as
// UTF-8 text for the parser and helpers, and handed raw to unescape (once
// counted, once NUL-terminated).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tessel/core/Url.h"

using namespace tessel;

namespace {

void exerciseText(const String& text)
{
    Url url(text);
    for (int flags = 0; flags < 64; flags++)
        url.toString(flags);
    url.relative(text);
    url.relative(String(u"../a/./b?c#d"));
    url.isSame(text, Url::SAME_SERVER | Url::SAME_PORT | Url::SAME_PATH_QUERY);
    url.isSame(text, Url::SAME_SERVER | Url::SAME_PORT | Url::SAME_DIRECTORY);
    url.isSame(text, Url::SAME_SERVER | Url::SAME_SCHEME_ONLY);
    Array<PairEntry> pairs;
    url.parseQuery(pairs);
    Url::parseQuery(text, pairs);

    Url copy;
    copy.setHost(text);
    copy.setPath(text);
    copy.relative(text);

    Url::realpath(text);
    Url::getHost(text, true);
    Url::getHost(text, false);
    Url::getPort(text);
    Url::getFullPath(text, true);
    Url::getFullPath(text, false);
    Url::getFile(text, true);
    Url::getFile(text, false);
    Url::getExtension(text);
    Url::getMimeType(text);
}

void exerciseBytes(const uint8_t* data, size_t size)
{
    // Exactly `size` bytes, so the sanitizer sees any access past them.
    std::vector<char> counted(data, data + size);
    Url::unescape(counted.data(), static_cast<int>(size));

    std::vector<char> terminated(data, data + size);
    terminated.push_back(0);
    Url::unescape(terminated.data(), 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    if (size == 0) {
        exerciseText(String());
        return 0;
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    exerciseText(String::fromUTF8(bytes));
    exerciseBytes(data, size);
    return 0;
}
