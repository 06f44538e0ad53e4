// Renders a list page from the template cache: a 1,000-row loop of eight
// columns with conditions, arithmetic and an application function; and
// reads and parses a 50 KB template afresh. Every allocation of the program
// is counted, so that the render reports its allocations per row.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "../tests/web/MemoryFileSystem.h"
#include "tessel/core/AnyValue.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpFunction.h"

using namespace tessel;
using tessel::testing::MemoryFileSystem;

// ------------------------------------------------------- counting allocator
//
// The library's texts take their buffers from malloc and its objects from
// operator new, so both are replaced here; the C library's own allocator
// does the work.

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<long long> allocations{0};

void* counted(size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

} // namespace

extern "C" {

void* malloc(size_t size)
{
    return counted(size);
}

void* calloc(size_t count, size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}

void free(void* block)
{
    __libc_free(block);
}

} // extern "C"

void* operator new(size_t size)
{
    void* block = counted(size == 0 ? 1 : size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return counted(size == 0 ? 1 : size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return counted(size == 0 ? 1 : size);
}

void operator delete(void* block) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block) noexcept
{
    __libc_free(block);
}

void operator delete(void* block, size_t) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    __libc_free(block);
}

namespace {

constexpr int ROWS = 1000;

// "stateof": a state code as a word, as an application offers it.
class StateOfFunction : public HttpFunction {
public:
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        static const char16_t* const NAMES[] = {u"draft", u"sent", u"done"};
        int state = params_[0]->getInt(data);
        out = new AnyValue(state >= 0 && state < 3 ? NAMES[state] : u"unknown");
    }
};

class BenchDispatcher : public HttpDispatcher {
public:
    bool dispatch(const String&, HttpAction**) override { return false; }
    void initAction(HttpAction&) override {}
    bool checkRight(HttpRequest&) override { return true; }
    bool createFunction(const String& name, HttpFunction** out) override
    {
        if (name != u"stateof")
            return false;
        Ref<HttpFunction> function = new StateOfFunction();
        *out = function.detach();
        return true;
    }
    bool onTimer(int&) override { return false; }
};

const char* const LIST_PAGE =
    "<html><head><title>{title}</title><style>td { padding: 2px; }</style></head><body>\n"
    "<h1>{title}</h1><table>\n"
    "<tpl:loop name=\"rows\">"
    "<tr class=\"<tpl:if opcode=\"odd\">odd<tpl:else>even</tpl:if>\">"
    "<td>{ROWID}</td><td>{ordno}</td><td>{ptnnm}</td><td>{odate}</td>"
    "<td>{qty}</td><td>{price}</td><td>{qty*price}</td><td>{state|stateof}</td>"
    "<td><tpl:if name=\"paids\" opcode=\"more\" value=\"0\">paid {paids}<tpl:elseif name=\"state\" value=\"2\">due"
    "<tpl:else>-</tpl:if></td></tr>\n"
    "</tpl:loop></table>\n"
    "<tpl:navigate total=\"pages\" size=\"10\"><a href=\"{first}\">1</a>"
    "<tpl:loop name=\"list\"><a href=\"{href}\" class=\"{current}\">{title}</a></tpl:loop></tpl:navigate>\n"
    "</body></html>\n";

Value* listData()
{
    Value* data = new Value();
    data->AddRef();
    data->insert(u"title", u"Sales orders");
    data->insert(u"pages", u"40");
    data->insert(u"SERVER.REQUEST_URI", u"/SalesOrderList.htm?page=7");
    for (int i = 1; i <= ROWS; i++) {
        String row;
        row.format(u"rows.%04d.", i);
        String no;
        no.format(u"SO-2024-%05d", i);
        data->insert(row + u"ordno", no);
        data->insert(row + u"ptnnm", u"Hangzhou Trading Co.");
        data->insert(row + u"odate", u"2024-03-15");
        data->insert(row + u"qty", i % 17 + 1);
        data->insert(row + u"price", u"12.50");
        data->insert(row + u"state", i % 3);
        data->insert(row + u"paids", i % 4 == 0 ? u"100.00" : u"0");
    }
    return data;
}

// A template of about 50 KB: the list page's markup, repeated, with text
// between.
std::string largeTemplate()
{
    std::string text;
    for (int i = 0; text.size() < 50 * 1024; i++) {
        text += "<div class=\"block\"><p>Paragraph " + std::to_string(i) + " of plain text that passes through.</p>\n";
        text += LIST_PAGE;
        text += "</div>\n";
    }
    return text;
}

struct Site {
    Site()
    {
        files = new MemoryFileSystem();
        files->put("list.htm", LIST_PAGE);
        files->put("large.htm", largeTemplate());
        Ref<BenchDispatcher> dispatcher = new BenchDispatcher();
        context = new HttpContext(dispatcher);
        context->setCharset(65001);
        context->initialize(files);
    }
    Ref<MemoryFileSystem> files;
    Ref<HttpContext> context;
};

void BM_RenderCachedList(benchmark::State& state)
{
    Site site;
    Ref<Value> data;
    data.adopt(listData());
    Ref<MemoryStream> stream = new MemoryStream();
    Ref<TextWriter> out = new TextWriter(stream, 65001);
    if (!site.context->render(u"list", data, *out)) {
        state.SkipWithError("render failed");
        return;
    }
    long long before = allocations.load();
    for (auto _ : state) {
        stream->reset();
        site.context->render(u"list", data, *out);
        benchmark::DoNotOptimize(stream->getSize());
    }
    long long rows = static_cast<long long>(state.iterations()) * ROWS;
    state.SetItemsProcessed(rows);
    state.counters["bytes_out"] = static_cast<double>(stream->getSize());
    state.counters["allocs_per_row"] = static_cast<double>(allocations.load() - before) / static_cast<double>(rows);
}
BENCHMARK(BM_RenderCachedList)->Unit(benchmark::kMillisecond);

void BM_ParseLargeTemplate(benchmark::State& state)
{
    Site site;
    Ref<Value> data = new Value();
    Ref<MemoryStream> stream = new MemoryStream();
    Ref<TextWriter> out = new TextWriter(stream, 65001);
    for (auto _ : state) {
        stream->reset();
        // Uncached: read, parse, and render over an empty tree.
        site.context->convert(u"large.htm", data, *out);
        data->clear();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(site.files->get("large.htm").size()));
}
BENCHMARK(BM_ParseLargeTemplate)->Unit(benchmark::kMicrosecond);

} // namespace
