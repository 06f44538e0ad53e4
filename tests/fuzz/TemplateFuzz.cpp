// Parses and renders arbitrary template text over a fixed data tree, from
// the file, from the cache and uncached, with no application loaded. The
// text may include itself and the two templates that lie beside it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../web/MemoryFileSystem.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpContext.h"

using namespace tessel;
using tessel::testing::MemoryFileSystem;

namespace {

Value* fixedTree()
{
    Value* data = new Value();
    data->AddRef();
    data->insert(u"title", u"<b>\"Orders\" & more</b>");
    data->insert(u"total", u"12");
    data->insert(u"n", u"7");
    data->insert(u"zero", u"0");
    data->insert(u"price", u"1.5");
    data->insert(u"file", u"dir.x/photo.JPG?v=1.2");
    data->insert(u"which", u"inc");
    data->insert(u".", u"self");
    data->insert(u"GET.page", u"3");
    data->insert(u"SERVER.REQUEST_URI", u"/list.htm?q=%25d%s%n&page=7&x=\"'<>");
    data->insert(u"FORM.cmd", u"list");
    for (int i = 1; i <= 5; i++) {
        String row;
        row.format(u"list.%03d", i);
        data->insert(row + u".code", i);
        data->insert(row + u".name", u"n");
        if (i == 2) {
            data->insert(row + u".NAME", u"own");
            data->insert(row + u".ROWID.deep", u"x");
        }
    }
    data->insert(u"colors.a", u"amber");
    data->insert(u"colors.ROWID", u"r");
    data->insert(u"colors.b", u"blue");
    data->insert(u"tree.a.tree.b.x", u"1");
    return data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size == 0)
        return 0;
    uint8_t mode = bytes[0];
    std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);

    Ref<MemoryFileSystem> files = new MemoryFileSystem();
    files->put("t.htm", text);
    files->put("inc.htm", "[{title}<tpl:include name=\"'t'\"/>]");
    files->put("self.htm", "<tpl:loop name=\"tree\">{NAME}<tpl:include block/></tpl:loop>");
    if (mode & 1)
        files->put("config.xml", "<property id=\"debug\" value=\"1\"/>");

    Ref<HttpContext> context = new HttpContext();
    context->setCharset(mode & 2 ? 936 : 65001);
    context->initialize(files);

    Ref<MemoryStream> stream = new MemoryStream();
    Ref<TextWriter> out = new TextWriter(stream, 65001);
    for (int round = 0; round < 2; round++) {
        Ref<Value> data;
        data.adopt(fixedTree());
        context->render(u"t", data, *out);
        context->convert(u"t.htm", data, *out);
    }
    return 0;
}
