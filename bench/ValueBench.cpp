// Costs of filling and reading the data tree with dotted paths, as page
// actions and templates do: list rows under "list.001", "list.002", ...,
// each with a handful of fields.

#include <benchmark/benchmark.h>

#include <vector>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

const char16_t* const fields[] = {u"ordid", u"splnm", u"qty", u"price", u"amount"};

// `count` paths of the form "list.rNNNN.field", five fields per row.
std::vector<String> dottedPaths(int count)
{
    std::vector<String> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        String path;
        path.format(u"list.r%06d.%s", i / 5, fields[i % 5]);
        paths.push_back(path);
    }
    return paths;
}

void insertPaths(benchmark::State& state)
{
    std::vector<String> paths = dottedPaths(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Ref<Value> tree(new Value());
        for (const String& path : paths)
            tree->insert(path, u"1234.50");
        benchmark::DoNotOptimize(tree.get());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(insertPaths)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

void findPaths(benchmark::State& state)
{
    std::vector<String> paths = dottedPaths(static_cast<int>(state.range(0)));
    Ref<Value> tree(new Value());
    for (const String& path : paths)
        tree->insert(path, u"1234.50");
    for (auto _ : state) {
        int found = 0;
        for (const String& path : paths)
            found += tree->find(path) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(findPaths)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

void walkByIndex(benchmark::State& state)
{
    Ref<Value> tree(new Value());
    for (const String& path : dottedPaths(static_cast<int>(state.range(0))))
        tree->insert(path, u"x");
    Value* list = tree->find(u"list");
    for (auto _ : state) {
        String key;
        int rows = 0;
        for (int i = 0; i < list->size(); i++)
            rows += list->getIndex(i, key) != nullptr;
        benchmark::DoNotOptimize(rows);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(walkByIndex)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void mergeSubtree(benchmark::State& state)
{
    Ref<Value> source(new Value());
    for (const String& path : dottedPaths(static_cast<int>(state.range(0))))
        source->insert(path, u"x");
    for (auto _ : state) {
        Ref<Value> copy(new Value());
        copy->mergeWith(source);
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(mergeSubtree)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

void scopedLookups(benchmark::State& state)
{
    Ref<Value> tree(new Value());
    tree->insert(u"FORM.cmd", u"list");
    Value* row = tree->insert(u"list.r000001");
    row->insert(u"qty", u"3");
    for (auto _ : state) {
        benchmark::DoNotOptimize(row->find(u"FORM.cmd"));
        benchmark::DoNotOptimize(row->find(u"PARENT.PARENT.list"));
        benchmark::DoNotOptimize(row->getInt(u"SELF.qty"));
    }
}
BENCHMARK(scopedLookups);

} // namespace
