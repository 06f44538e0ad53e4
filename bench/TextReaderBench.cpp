// TextReader over a 10 MB UTF-8 file: the whole text at once, and line by
// line. The file is made once per run in a temporary folder and removed at
// the end.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

constexpr int64_t FILE_BYTES = 10 * 1024 * 1024;

class SampleFile {
public:
    SampleFile()
    {
        std::string pattern = System::getTempPath().toStdString() + "textreader-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        folder_ = pattern;
        path_ = String::fromUTF8(folder_ + "/sample.txt");
        Ref<IOutputStream> out;
        if (!System::getInstance().open(path_, out.out()))
            return;
        // Mixed Chinese and ASCII lines of varying length, CR LF ended.
        TextWriter writer(out, 65001);
        String line;
        int64_t written = 0;
        for (int i = 0; written < FILE_BYTES; i++) {
            line.format(u"%06d 订单 %d 客户名称 Client name, 数量 %d.%02d 金额 ￥%d\r\n", i, i * 7, i % 97, i % 100,
                        i * 13 % 100000);
            written += writer.write(line);
            bytes_ = written;
        }
    }
    ~SampleFile()
    {
        if (!folder_.empty()) {
            System::getInstance().deleteFile(path_);
            ::rmdir(folder_.c_str());
        }
    }

    const String& path() const { return path_; }
    int64_t bytes() const { return bytes_; }

private:
    std::string folder_;
    String path_;
    int64_t bytes_ = 0;
};

SampleFile& sample()
{
    static SampleFile file;
    return file;
}

void ReadWholeFile(benchmark::State& state)
{
    for (auto _ : state) {
        Ref<IInputStream> in;
        if (!System::getInstance().open(sample().path(), in.out())) {
            state.SkipWithError("cannot open the sample file");
            return;
        }
        TextReader reader(in, 65001);
        String text;
        reader.read(text);
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetBytesProcessed(state.iterations() * sample().bytes());
}
BENCHMARK(ReadWholeFile)->Unit(benchmark::kMillisecond);

void ReadLineByLine(benchmark::State& state)
{
    int64_t lines = 0;
    for (auto _ : state) {
        Ref<IInputStream> in;
        if (!System::getInstance().open(sample().path(), in.out())) {
            state.SkipWithError("cannot open the sample file");
            return;
        }
        TextReader reader(in, 65001);
        String line;
        while (true) {
            line.clear();
            reader.readLine(line);
            if (line.empty() && in->isEnd())
                break;
            lines++;
        }
        benchmark::DoNotOptimize(line.c_str());
    }
    state.SetBytesProcessed(state.iterations() * sample().bytes());
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ReadLineByLine)->Unit(benchmark::kMillisecond);

} // namespace
