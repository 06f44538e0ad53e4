// Parses and formats 100,000 date texts of the forms met on the web.
#include <benchmark/benchmark.h>

#include <vector>

#include "tessel/core/DateTime.h"

using namespace tessel;

namespace {

const int COUNT = 100000;

std::vector<String> makeTexts()
{
    static const char16_t* const months[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                             u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    std::vector<String> texts;
    texts.reserve(COUNT);
    for (int i = 0; i < COUNT; i++) {
        int year = 1990 + i % 40, month = 1 + i % 12, day = 1 + i % 28;
        int hour = i % 24, minute = i % 60, second = (i * 7) % 60;
        String text;
        switch (i % 3) {
        case 0:
            text.format(u"Tue, %02d %s %d %02d:%02d:%02d GMT", day, months[month - 1], year, hour, minute, second);
            break;
        case 1: text.format(u"%d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second); break;
        default: text.format(u"%d/%d/%d %d:%02d +0800", year, month, day, hour, minute); break;
        }
        texts.push_back(text);
    }
    return texts;
}

void BM_DateTimeParse(benchmark::State& state)
{
    std::vector<String> texts = makeTexts();
    for (auto _ : state) {
        DateTime time;
        for (const String& text : texts)
            benchmark::DoNotOptimize(time.parseDateTime(text.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * COUNT);
}
BENCHMARK(BM_DateTimeParse)->Unit(benchmark::kMillisecond);

void BM_DateParse(benchmark::State& state)
{
    std::vector<String> texts = makeTexts();
    for (auto _ : state) {
        Date date;
        for (const String& text : texts)
            benchmark::DoNotOptimize(date.parseDate(text.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * COUNT);
}
BENCHMARK(BM_DateParse)->Unit(benchmark::kMillisecond);

void BM_DateTimeFormat(benchmark::State& state)
{
    std::vector<DateTime> times;
    for (const String& text : makeTexts())
        times.emplace_back(text.c_str());
    for (auto _ : state) {
        for (const DateTime& time : times) {
            benchmark::DoNotOptimize(time.toString());
            benchmark::DoNotOptimize(time.format(u"%Y年%n月%e日 %H:%M"));
        }
    }
    state.SetItemsProcessed(state.iterations() * COUNT * 2);
}
BENCHMARK(BM_DateTimeFormat)->Unit(benchmark::kMillisecond);

} // namespace
