// Opening and saving a version-9 network of 1,000,000 nodes and 1,000,000
// links, each link with a shape point and five attributes per class. The
// physical limit of an open is one pass over the text: ScanText measures a
// memchr over the same bytes, and Open reports its time as a multiple of it
// (scan_ratio). Both report MB/s (bytes_per_second).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/file/NetworkFile.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

constexpr int Side = 1000; // Side x Side nodes

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

std::string Folder()
{
    auto dir = std::filesystem::temp_directory_path() / "tarvex_bench_netfile";
    std::filesystem::create_directories(dir);
    return dir.string();
}

void AddAttributes(TEntityClass& classes, const char* name)
{
    TClassRecord& rec = classes[1];
    rec.Name = name;
    const char kinds[5] = {'R', 'I', 'R', 'C', 'S'};
    for (int i = 1; i <= 5; ++i) {
        rec.Attributes[i] = std::make_unique<TAttrib>();
        rec.Attributes[i]->Name = std::string("Attribute ") + char('0' + i);
        rec.Attributes[i]->Kind = kinds[i - 1];
        if (kinds[i - 1] == 'C') rec.Attributes[i]->TopRow = 2;
    }
    rec.AttributeCount = 5;
    NumberStringAttributes(classes);
}

void Fill(TValueSlot* v, int i)
{
    v[0].SetReal(i * 0.75);
    v[1].SetReal(i % 1000);
    v[2].SetReal(1.0 / (i + 3));
    v[3] = PackShortText(i % 2 ? "AB" : "BA");
}

// The network file, generated once.
const std::string& NetworkPath()
{
    static const std::string path = [] {
        const std::string p = Folder() + "/grid-v9.dta";
        TNetwork net;
        AddAttributes(*net.NodeClasses, "Zone");
        AddAttributes(*net.LinkClasses, "Road");
        net.TemplateNode.EntityType = 1;
        net.TemplateLinkValues.EntityType = 1;
        BeginBulkLoad(net);
        std::vector<TNode*> nodes(size_t(Side) * Side);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x) {
                RegridHashTable(net);
                THashEntry* cell = nullptr;
                TNode* n = AddNode(net, x * 100 - 50000, y * 100 - 50000, cell, false, 5);
                const int i = y * Side + x;
                n->Name = "N" + std::to_string(i);
                Fill(n->Values.get(), i);
                n->Strings = {"node " + std::to_string(i)};
                nodes[size_t(i)] = n;
            }
        long links = 0;
        auto link = [&](TNode* a, TNode* b) {
            TLink *ha = nullptr, *hb = nullptr;
            TLinkValues* l = AddLink(net, a, b, false, 5, ha, hb);
            Fill(l->Values.get(), int(links));
            l->Strings = {"road"};
            AddShapePoint(net, (a->X + b->X) / 2, (a->Y + b->Y) / 2 + 7, 0, ha);
            ++links;
        };
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x + 1 < Side; ++x) link(nodes[size_t(y * Side + x)], nodes[size_t(y * Side + x + 1)]);
        for (int x = 0; links < long(Side) * Side; ++x) link(nodes[size_t(x)], nodes[size_t(Side + x)]);
        TQuietSink sink;
        const TWindowSettings settings;
        if (!SaveNetworkFile(net, settings, p, 9, sink).Ok) std::abort();
        return p;
    }();
    return path;
}

const std::string& NetworkBytes()
{
    static const std::string bytes = [] {
        std::ifstream in(NetworkPath(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }();
    return bytes;
}

double ScanSeconds()
{
    static const double seconds = [] {
        const std::string& t = NetworkBytes();
        double best = 1e9;
        for (int k = 0; k < 5; ++k) {
            const auto start = std::chrono::steady_clock::now();
            long lines = 0;
            for (const char* p = t.data(); (p = static_cast<const char*>(std::memchr(p, '\n', size_t(t.data() + t.size() - p)))); ++p)
                ++lines;
            benchmark::DoNotOptimize(lines);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    }();
    return seconds;
}

void ScanText(benchmark::State& state)
{
    const std::string& t = NetworkBytes();
    for (auto _ : state) {
        long lines = 0;
        for (const char* p = t.data(); (p = static_cast<const char*>(std::memchr(p, '\n', size_t(t.data() + t.size() - p)))); ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.size()));
}
BENCHMARK(ScanText)->Unit(benchmark::kMillisecond);

void Open(benchmark::State& state)
{
    const std::string& path = NetworkPath();
    const auto size = int64_t(std::filesystem::file_size(path));
    TQuietSink sink;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto net = std::make_unique<TNetwork>();
        TWindowSettings settings;
        if (OpenNetworkFile(*net, settings, path, true, sink).Status != TOpenStatus::Ok)
            state.SkipWithError("open failed");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming(); // freeing the network is not part of the open
        net.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["scan_ratio"] = total / double(state.iterations()) / ScanSeconds();
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond)->Iterations(3);

void Save(benchmark::State& state)
{
    TQuietSink sink;
    static TNetwork net;
    static TWindowSettings settings;
    static const bool opened = OpenNetworkFile(net, settings, NetworkPath(), true, sink).Status == TOpenStatus::Ok;
    if (!opened) state.SkipWithError("open failed");
    const std::string out = Folder() + "/saved-v9.dta";
    for (auto _ : state)
        if (!SaveNetworkFile(net, settings, out, 9, sink).Ok) state.SkipWithError("save failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(out)));
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
