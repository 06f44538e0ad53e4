// Costs of the string operations that pages and SQL building lean on.
// The ranged benchmarks report their complexity so that anything worse
// than linear shows.

#include <benchmark/benchmark.h>

#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

// A text of `units` characters: Chinese words between ASCII separators.
String chineseText(int units)
{
    static const char16_t pattern[] = u"上海贸易有限公司, 采购订单 No.0012; 金额 1234.50 元\n";
    String text(units + 1);
    while (text.size() < units)
        text.append(pattern, units - text.size() < 40 ? units - text.size() : 0);
    text.trunc(units);
    return text;
}

std::string gbkBytes(int bytes)
{
    String text = chineseText(bytes);
    std::string out(static_cast<size_t>(CodePage::encode(936, text.c_str(), text.size(), nullptr, 0)), '\0');
    CodePage::encode(936, text.c_str(), text.size(), out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(bytes));
    return out;
}

void formatSql(benchmark::State& state)
{
    String sql;
    for (auto _ : state) {
        sql.format(u"UPDATE zpordr SET paids=paids+%0.2f, qty=%0.4f, price=%0.8f WHERE ordid=%d AND memo='%s'",
                   1234.565, 12.5, 7.12345678, 42, u"付款说明");
        benchmark::DoNotOptimize(sql.c_str());
    }
}
BENCHMARK(formatSql);

void formatLongText(benchmark::State& state)
{
    String argument = chineseText(static_cast<int>(state.range(0)));
    String text;
    for (auto _ : state) {
        text.format(u"<td>%s</td>", argument.c_str());
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(formatLongText)->RangeMultiplier(8)->Range(64, 1 << 18)->Complexity();

void replaceManyOccurrences(benchmark::State& state)
{
    String source = chineseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        String text(source);
        text.replace(u", ", u"&nbsp;&nbsp;");
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(replaceManyOccurrences)->RangeMultiplier(8)->Range(64, 1 << 20)->Complexity();

void replaceCharacterRuns(benchmark::State& state)
{
    String source(static_cast<int>(state.range(0)) + 1);
    source.fill(static_cast<int>(state.range(0)), u'\'');
    for (auto _ : state) {
        String text(source);
        text.replace(u"'", u"''");
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(replaceCharacterRuns)->RangeMultiplier(8)->Range(64, 1 << 20)->Complexity();

void hashCodeUncached(benchmark::State& state)
{
    String text = chineseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        text.setAt(0, text[0] == u'a' ? u'b' : u'a'); // resets the cached hash
        benchmark::DoNotOptimize(text.hashCode());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(hashCodeUncached)->RangeMultiplier(8)->Range(8, 1 << 16)->Complexity();

void equalTexts(benchmark::State& state)
{
    String a = chineseText(static_cast<int>(state.range(0))), b(a);
    for (auto _ : state)
        benchmark::DoNotOptimize(a == b);
}
BENCHMARK(equalTexts)->Arg(16)->Arg(4096);

void unequalTextsOfOneLength(benchmark::State& state)
{
    String a = chineseText(static_cast<int>(state.range(0))), b(a);
    b.setAt(b.size() - 1, u'#');
    for (auto _ : state)
        benchmark::DoNotOptimize(a == b); // rejected on the cached hashes
}
BENCHMARK(unequalTextsOfOneLength)->Arg(16)->Arg(4096);

void fromCharsetGbk(benchmark::State& state)
{
    std::string bytes = gbkBytes(static_cast<int>(state.range(0)));
    String text;
    for (auto _ : state) {
        text.fromCharset(bytes.data(), 936, static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(fromCharsetGbk)->RangeMultiplier(16)->Range(1 << 10, 1 << 20)->Complexity();

void toUtf8(benchmark::State& state)
{
    String text = chineseText(1 << 20);
    std::string out(static_cast<size_t>(text.toUTF8(nullptr, 0)), '\0');
    for (auto _ : state)
        benchmark::DoNotOptimize(text.toUTF8(out.data(), static_cast<int>(out.size())));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}
BENCHMARK(toUtf8);

void splitLines(benchmark::State& state)
{
    String text = chineseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Array<String> lines;
        benchmark::DoNotOptimize(text.splitLines(lines));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(splitLines)->RangeMultiplier(8)->Range(64, 1 << 18)->Complexity();

void htmlEncode(benchmark::State& state)
{
    String source(u"<td class=\"amount\">Tom & Jerry's 1,234.50</td>\n");
    for (int i = 0; i < 10; i++)
        source.append(source);
    for (auto _ : state) {
        String text(source);
        text.htmlEncode(false);
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetBytesProcessed(state.iterations() * source.size() * 2);
}
BENCHMARK(htmlEncode);

} // namespace
