// Reads arbitrary bytes as "config.xml", "message.ini" and "array.xml" at
// once, then asks the context what it took from them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../web/MemoryFileSystem.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpContext.h"

using namespace tessel;
using tessel::testing::MemoryFileSystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size == 0)
        return 0;
    static const int CHARSETS[] = {65001, 936, 65002, 65003};
    int charset = CHARSETS[bytes[0] & 3];
    std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);

    Ref<MemoryFileSystem> files = new MemoryFileSystem();
    files->put("config.xml", text);
    files->put("message.ini", text);
    files->put("array.xml", text);

    Ref<HttpContext> context = new HttpContext();
    context->setCharset(charset);
    context->initialize(files);
    // Again over the same file system: the second reading replaces the first.
    context->initialize(context->getFileSystem());

    for (const char16_t* id : {u"a", u"page", u"Login", u"main", u"x"}) {
        context->getPageInfo(id, true);
        context->getTemplate(id);
        context->findPage(id);
        context->getProperty(id);
    }
    context->getMessage(u"Common.unknown");
    context->getMessage(u"S.k");
    if (Value* arrays = context->getArrays()) {
        String key;
        for (int i = 0; i < arrays->size() && i < 64; i++)
            arrays->getIndex(i, key);
    }
    context->getPagePath(u"p");
    return 0;
}
