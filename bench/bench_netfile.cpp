// Opening, closing and saving a version-9 network of 1,000,000 nodes and
// 1,000,000 links, each link with a shape point and five attributes per
// class, against the physical limits of the same work:
//   open_ratio:  open / (read the file + from_chars of every number);
//   save_ratio:  save / (to_chars of the same numbers + write + fsync);
//   close_ratio: freeing the network / opening it;
//   heap_MB:     the heap the opened network takes.
// Then a link of 1,600,000 shape points in a 1000 x 250 box against the same
// number spread over the world (crowded_ratio: crowded load / spread load).
#include <benchmark/benchmark.h>

#include <charconv>
#include <ctime>
#include <utility>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

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

// ------------------------------------------------------------ baselines

// Processor time of this process, in seconds: on a shared machine the ratios
// of processor times are steadier than those of wall times (both are shown).
double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Reads the file with read() into one buffer.
std::string ReadWhole(const std::string& path)
{
    std::string bytes(size_t(std::filesystem::file_size(path)), '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r <= 0) break;
        got += size_t(r);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

bool IsNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

// Every blank-separated token of the text that is a number, as from_chars
// reads it (integers as int64, the others as double); the count of numbers.
long ParseNumbers(const std::string& t, std::vector<double>* reals, std::vector<int64_t>* ints)
{
    long count = 0;
    const char* p = t.data();
    const char* end = p + t.size();
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\r' || *p == '\n')) ++p;
        const char* b = p;
        bool real = false;
        while (p < end && *p != ' ' && *p != '\r' && *p != '\n') {
            real |= *p == '.' || *p == 'E';
            ++p;
        }
        if (b == p || !IsNumberStart(*b)) continue;
        const char* q = *b == '+' ? b + 1 : b;
        if (real) {
            double v = 0;
            if (std::from_chars(q, p, v).ec == std::errc()) {
                ++count;
                if (reals) reals->push_back(v);
            }
        } else {
            int64_t v = 0;
            if (std::from_chars(q, p, v).ec == std::errc()) {
                ++count;
                if (ints) ints->push_back(v);
            }
        }
    }
    return count;
}

// The physical limit of an open: read the file and parse every number
// (wall and processor seconds, the best of three).
std::pair<double, double> ReadAndParseTimes()
{
    static const std::pair<double, double> times = [] {
        double best = 1e9, bestCpu = 1e9;
        for (int k = 0; k < 3; ++k) {
            const auto start = std::chrono::steady_clock::now();
            const double cpu = CpuSeconds();
            const std::string t = ReadWhole(NetworkPath());
            benchmark::DoNotOptimize(ParseNumbers(t, nullptr, nullptr));
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            bestCpu = std::min(bestCpu, CpuSeconds() - cpu);
        }
        return std::make_pair(best, bestCpu);
    }();
    return times;
}
double ReadAndParseSeconds() { return ReadAndParseTimes().first; }

// The physical limit of a save: the same numbers formatted with to_chars
// (reals in the width-23 form's 14 digits), the file's other bytes copied,
// written and synced.
std::pair<double, double> FormatAndWriteTimes()
{
    static const std::pair<double, double> times = [] {
        const std::string t = ReadWhole(NetworkPath());
        std::vector<double> reals;
        std::vector<int64_t> ints;
        ParseNumbers(t, &reals, &ints);
        const size_t textBytes = t.size(); // numbers and texts: the same volume of bytes
        const std::string out = Folder() + "/baseline.out";
        double best = 1e9, bestCpu = 1e9;
        for (int k = 0; k < 3; ++k) {
            const auto start = std::chrono::steady_clock::now();
            const double cpu = CpuSeconds();
            std::string buffer(textBytes + 64, '\0');
            char* w = buffer.data();
            char* const limit = buffer.data() + buffer.size() - 40;
            size_t r = 0, i = 0;
            // Numbers in the file's proportion: reals, then integers, each
            // followed by a blank; then the rest of the bytes as text.
            for (; r < reals.size() && w < limit; ++r) {
                *w++ = ' ';
                w = std::to_chars(w, limit, reals[r], std::chars_format::scientific, 14).ptr;
                *w++ = ' ';
            }
            for (; i < ints.size() && w < limit; ++i) {
                w = std::to_chars(w, limit, ints[i]).ptr;
                *w++ = ' ';
            }
            const size_t left = size_t(buffer.data() + textBytes - w);
            if (w < buffer.data() + textBytes) std::memset(w, 'x', left), w += left;
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const char* p = buffer.data();
            while (p < w) {
                const ssize_t n = ::write(fd, p, size_t(w - p));
                if (n <= 0) break;
                p += n;
            }
            ::fsync(fd);
            ::close(fd);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            bestCpu = std::min(bestCpu, CpuSeconds() - cpu);
        }
        std::filesystem::remove(out);
        return std::make_pair(best, bestCpu);
    }();
    return times;
}
double FormatAndWriteSeconds() { return FormatAndWriteTimes().first; }

size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void ReadAndParse(benchmark::State& state)
{
    for (auto _ : state) {
        const std::string t = ReadWhole(NetworkPath());
        benchmark::DoNotOptimize(ParseNumbers(t, nullptr, nullptr));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(NetworkPath())));
}
BENCHMARK(ReadAndParse)->Unit(benchmark::kMillisecond)->Iterations(3);

// Open, then close: the ratios to the limits and the heap the network takes.
void OpenAndClose(benchmark::State& state)
{
    const std::string& path = NetworkPath();
    const auto size = int64_t(std::filesystem::file_size(path));
    TQuietSink sink;
    // The best of the runs, as for the limits: the machine may be shared.
    double open = 1e9, close = 1e9, heap = 0, openCpu = 1e9, closeCpu = 1e9;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto start = std::chrono::steady_clock::now();
        double cpu = CpuSeconds();
        auto net = std::make_unique<TNetwork>();
        TWindowSettings settings;
        if (OpenNetworkFile(*net, settings, path, true, sink).Status != TOpenStatus::Ok)
            state.SkipWithError("open failed");
        open = std::min(open, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        openCpu = std::min(openCpu, CpuSeconds() - cpu);
        heap = double(HeapInUse() - before);
        start = std::chrono::steady_clock::now();
        cpu = CpuSeconds();
        net.reset();
        close = std::min(close, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        closeCpu = std::min(closeCpu, CpuSeconds() - cpu);
    }
    state.counters["open_cpu_ratio"] = openCpu / ReadAndParseTimes().second;
    state.counters["close_cpu_ratio"] = closeCpu / openCpu;
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["open_s"] = open;
    state.counters["limit_s"] = ReadAndParseSeconds();
    state.counters["open_ratio"] = open / ReadAndParseSeconds();
    state.counters["close_s"] = close;
    state.counters["close_ratio"] = close / open;
    state.counters["heap_MB"] = heap / 1e6;
}
BENCHMARK(OpenAndClose)->Unit(benchmark::kMillisecond)->Iterations(3);

void Save(benchmark::State& state)
{
    TQuietSink sink;
    auto net = std::make_unique<TNetwork>();
    TWindowSettings settings;
    if (OpenNetworkFile(*net, settings, NetworkPath(), true, sink).Status != TOpenStatus::Ok)
        state.SkipWithError("open failed");
    const std::string out = Folder() + "/saved-v9.dta";
    double best = 1e9, bestCpu = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = CpuSeconds();
        if (!SaveNetworkFile(*net, settings, out, 9, sink).Ok) state.SkipWithError("save failed");
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        bestCpu = std::min(bestCpu, CpuSeconds() - cpu);
    }
    state.counters["save_cpu_ratio"] = bestCpu / FormatAndWriteTimes().second;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(out)));
    state.counters["save_s"] = best;
    state.counters["limit_s"] = FormatAndWriteSeconds();
    state.counters["save_ratio"] = best / FormatAndWriteSeconds();
    std::filesystem::remove(out);
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(3);

// ------------------------------------------------------------ crowded cells

constexpr int CrowdedPoints = 1600000;

// One link whose shape points wander in a 1000 x 250 box (crowded) or over
// the whole world (spread).
const std::string& ShapeFile(bool crowded)
{
    static std::string paths[2];
    std::string& p = paths[crowded ? 1 : 0];
    if (!p.empty()) return p;
    p = Folder() + (crowded ? "/crowded-v9.dta" : "/spread-v9.dta");
    TNetwork net;
    THashEntry* cell = nullptr;
    TNode* a = AddNode(net, 0, 0, cell, false, 0);
    TNode* b = AddNode(net, 1000, 250, cell, false, 0);
    TLink *ha = nullptr, *hb = nullptr;
    AddLink(net, a, b, false, 0, ha, hb);
    uint64_t r = 12345;
    for (int i = 0; i < CrowdedPoints; ++i) {
        r = r * 6364136223846793005ull + 1442695040888963407ull;
        const int32_t u = int32_t((r >> 33) % 1000000), v = int32_t((r >> 13) % 1000000);
        const int32_t x = crowded ? u % 1000 : u - 500000;
        const int32_t y = crowded ? v % 250 : v - 500000;
        AddShapePoint(net, x, y, i, ha);
    }
    TQuietSink sink;
    if (!SaveNetworkFile(net, TWindowSettings(), p, 9, sink).Ok) std::abort();
    return p;
}

void LoadShapePoints(benchmark::State& state)
{
    const bool crowded = state.range(0) != 0;
    const std::string& path = ShapeFile(crowded);
    TQuietSink sink;
    static double seconds[2];
    double best = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto net = std::make_unique<TNetwork>();
        TWindowSettings settings;
        if (OpenNetworkFile(*net, settings, path, true, sink).Status != TOpenStatus::Ok)
            state.SkipWithError("open failed");
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
    seconds[crowded ? 1 : 0] = best;
    state.counters["load_s"] = seconds[crowded ? 1 : 0];
    if (crowded && seconds[0] > 0) state.counters["crowded_ratio"] = seconds[1] / seconds[0];
}
BENCHMARK(LoadShapePoints)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
