// Walks a generated document of about 1 MB the way the configuration and
// template readers do: every tag, its attributes, its text.
#include <benchmark/benchmark.h>

#include "tessel/core/XmlParser.h"

using namespace tessel;

namespace {

String makeDocument(int targetSize)
{
    String xml(targetSize + 256);
    xml.append(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<catalog>\n");
    for (int i = 0; xml.size() < targetSize; i++) {
        String item;
        item.format(u"  <item id=\"%d\" code='P-%05d' price=\"%d.50\" active=yes>\n"
                    u"    <name>Product &amp; part %d</name>\n"
                    u"    <note><![CDATA[ size < %d ]]></note>\n"
                    u"    <!-- row %d -->\n"
                    u"    <flag/>\n"
                    u"  </item>\n",
                    i, i, i % 1000, i, i, i);
        xml.append(item);
    }
    xml.append(u"</catalog>\n");
    return xml;
}

void BM_XmlParserWalk(benchmark::State& state)
{
    String document = makeDocument(1 << 20);
    int64_t tags = 0;
    for (auto _ : state) {
        XmlParser parser(XmlParser::CASE_LOWER);
        parser.setXml(document.c_str(), document.size(), true);
        String name;
        while (parser.nextTag(name)) {
            tags++;
            if (!name.empty() && name[0] != u'/')
                parser.initAttrs();
            benchmark::DoNotOptimize(parser.nextText());
        }
    }
    state.SetBytesProcessed(state.iterations() * int64_t(document.size()) * 2);
    state.counters["tags"] = benchmark::Counter(double(tags), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_XmlParserWalk)->Unit(benchmark::kMillisecond);

void BM_XmlParserSmartSkip(benchmark::State& state)
{
    String document = makeDocument(1 << 20);
    for (auto _ : state) {
        XmlParser parser(XmlParser::CASE_LOWER);
        parser.setSmart(true);
        parser.setXml(document.c_str(), document.size(), true);
        String name;
        while (parser.nextTag(name))
            if (!name.empty() && name[0] != u'/')
                parser.skipAttrs();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(document.size()) * 2);
}
BENCHMARK(BM_XmlParserSmartSkip)->Unit(benchmark::kMillisecond);

} // namespace
