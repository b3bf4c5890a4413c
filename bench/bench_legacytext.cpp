// Reading and writing network-file text: a node-like record per line (six
// integers, a 30-byte name line and three real value lines). The physical
// limit is one pass over the bytes; ScanBytes measures it as a memchr over the
// same text, and the counters give bytes per second for comparison.
#include "core/file/LegacyText.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int Records = 200000;

const std::string& SampleText()
{
    static const std::string text = [] {
        TTextWriter w;
        for (int i = 1; i <= Records; ++i) {
            w.WriteText("1 ");
            w.WriteInt(i * 37 % 512000);
            w.WriteChar(' ');
            w.WriteInt(-(i * 91 % 512000));
            w.WriteText(" 1 ");
            w.WriteInt(i);
            w.WriteText(" 2 3");
            w.WriteLn();
            w.WritePadded("Node " + std::to_string(i), 30);
            w.WriteLn();
            for (int k = 0; k < 3; ++k) {
                w.WriteReal(i * 1.25 + k);
                w.WriteLn();
            }
        }
        return w.Text();
    }();
    return text;
}

void ScanBytes(benchmark::State& state)
{
    const std::string& text = SampleText();
    for (auto _ : state) {
        std::size_t lines = 0;
        const char* p = text.data();
        const char* end = p + text.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
            ++lines;
            ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void ReadRecords(benchmark::State& state)
{
    const std::string& text = SampleText();
    for (auto _ : state) {
        TTextReader r(text);
        double sum = 0;
        for (int i = 0; i < Records; ++i) {
            for (int k = 0; k < 6; ++k)
                sum += r.ReadInt();
            r.ReadLn();
            sum += static_cast<double>(r.ReadLineView().size());
            for (int k = 0; k < 3; ++k) {
                sum += r.ReadReal();
                r.ReadLn();
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void WriteRecords(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        TTextWriter w;
        for (int i = 1; i <= Records; ++i) {
            w.WriteText("1 ");
            w.WriteInt(i);
            w.WriteLn();
            w.WritePadded("Node", 30);
            w.WriteLn();
            for (int k = 0; k < 3; ++k) {
                w.WriteReal(i * 1.25 + k);
                w.WriteLn();
            }
        }
        bytes = w.Text().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

} // namespace

BENCHMARK(ScanBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteRecords)->Unit(benchmark::kMillisecond);
