// Opening, closing and saving a version-9 network of Side x Side nodes and
// as many links (1,000,000 of each unless --size=N asks for about N), each
// link with a shape point and five attributes per class, against the
// physical limits of the same work. A user opens a network once, in a
// program that has not touched that much memory yet, so the open and its
// limit are each timed as the first act of a fresh process (the best of
// five such processes):
//   open_ratio:  the first open / (read the file + from_chars of every
//                number, also the first act of a fresh process);
//   heap_MB:     the heap the opened network takes;
//   peak_rss_MB: the process's peak resident memory during the open, and
//                rss_over_heap_MB, what of it is not the network's heap;
//   close_ratio: freeing the network / opening it;
//   save_ratio:  save / (the file's exact bytes made again, every number by
//                to_chars, + write + fsync).
//   RoundTripMemory: the peak resident memory of a fresh process that
//                opens, saves and closes the network (run with
//                --size=10000000 --benchmark_filter=RoundTripMemory for the
//                ten-million figure; it needs about 8 GB).
// Then a link of 1,600,000 shape points in a 1000 x 250 box against the same
// number spread over the world (crowded_ratio: crowded load / spread load).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <ctime>
#include <utility>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/file/LegacyText.h"
#include "core/file/NetworkFile.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

int Side = 1000; // Side x Side nodes; --size=N sets it to about the root of N

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

void Fill(TValueSlot* v, long i)
{
    v[0].SetReal(double(i) * 0.75);
    v[1].SetReal(double(i % 1000));
    v[2].SetReal(1.0 / double(i + 3));
    v[3] = PackShortText(i % 2 ? "AB" : "BA");
}

std::string Self;

std::string GridPath() { return Folder() + "/grid-v9-" + std::to_string(Side) + ".dta"; }

// Builds the network of the current size and saves it (in a process of its
// own: the memory it takes is gone before anything is measured).
void Generate(const std::string& p)
{
    {
        TNetwork net;
        AddAttributes(*net.NodeClasses, "Zone");
        AddAttributes(*net.LinkClasses, "Road");
        net.TemplateNode.EntityType = 1;
        net.TemplateLinkValues.EntityType = 1;
        BeginBulkLoad(net);
        std::vector<TNode*> nodes(size_t(Side) * size_t(Side));
        for (long y = 0; y < Side; ++y)
            for (long x = 0; x < Side; ++x) {
                RegridHashTable(net);
                THashEntry* cell = nullptr;
                TNode* n = AddNode(net, int32_t(x * 100 - 50000), int32_t(y * 100 - 50000), cell, false, 5);
                const long i = y * Side + x;
                n->Name = "N" + std::to_string(i);
                Fill(n->Values.get(), i);
                n->Strings = {"node " + std::to_string(i)};
                nodes[size_t(i)] = n;
            }
        long links = 0;
        auto link = [&](TNode* a, TNode* b) {
            TLink *ha = nullptr, *hb = nullptr;
            TLinkValues* l = AddLink(net, a, b, false, 5, ha, hb);
            Fill(l->Values.get(), links);
            l->Strings = {"road"};
            AddShapePoint(net, (a->X + b->X) / 2, (a->Y + b->Y) / 2 + 7, 0, ha);
            ++links;
        };
        for (long y = 0; y < Side; ++y)
            for (long x = 0; x + 1 < Side; ++x) link(nodes[size_t(y * Side + x)], nodes[size_t(y * Side + x + 1)]);
        for (long x = 0; links < long(Side) * Side; ++x) link(nodes[size_t(x)], nodes[size_t(Side + x)]);
        RecomputeExtents(net); // as an open leaves them, so that a save gives the file's bytes again
        TQuietSink sink;
        const TWindowSettings settings;
        const std::string tmp = p + ".part";
        if (!SaveNetworkFile(net, settings, tmp, 9, sink).Ok) std::abort();
        std::filesystem::rename(tmp, p);
    }
}

// The network file of the current size, generated once (kept between runs).
const std::string& NetworkPath()
{
    static const std::string path = [] {
        const std::string p = GridPath();
        if (!std::filesystem::exists(p) &&
            std::system(("'" + Self + "' --size=" + std::to_string(long(Side) * Side) + " --child=generate '" + p + "'").c_str()) != 0)
            std::abort();
        return p;
    }();
    return path;
}

// ------------------------------------------------------------ measures

// Processor time of this process, in seconds: on a shared machine the ratios
// of processor times are steadier than those of wall times (both are shown).
double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS").
double StatusBytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atof(line.c_str() + key.size()) * 1024.0;
    return 0;
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
long ParseNumbers(const std::string& t)
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
            if (std::from_chars(q, p, v).ec == std::errc()) ++count;
        } else {
            int64_t v = 0;
            if (std::from_chars(q, p, v).ec == std::errc()) ++count;
        }
    }
    return count;
}

// The file as pieces: texts copied as they are, integers and width-23 reals
// made again by to_chars.
struct TPiece {
    enum TKind : uint8_t { Text, Int, Real } Kind;
    uint32_t Offset, Length; // Text: the bytes of the file
    double RealValue;
    int64_t IntValue;
};

bool IsReal23(const char* b, const char* e)
{
    const size_t n = size_t(e - b);
    const char* d = *b == '-' ? b + 1 : b;
    return (n == 22 || n == 21) && size_t(e - d) == 21 && d[1] == '.' && d[16] == 'E' &&
           (d[17] == '+' || d[17] == '-');
}

std::vector<TPiece> Pieces(const std::string& t)
{
    std::vector<TPiece> out;
    const char* const base = t.data();
    const char* p = base;
    const char* end = p + t.size();
    const char* textStart = p;
    auto flushText = [&](const char* upTo) {
        if (upTo > textStart) out.push_back({TPiece::Text, uint32_t(textStart - base), uint32_t(upTo - textStart), 0, 0});
    };
    while (p < end) {
        while (p < end && (*p == ' ' || *p == '\r' || *p == '\n')) ++p;
        const char* b = p;
        while (p < end && *p != ' ' && *p != '\r' && *p != '\n') ++p;
        if (b == p) continue;
        int64_t iv = 0;
        double rv = 0;
        const bool digits = (*b >= '0' && *b <= '9') || (*b == '-' && p - b > 1 && b[1] >= '0' && b[1] <= '9');
        if (digits && p - b < 19 && std::from_chars(b, p, iv).ptr == p && (b[0] != '0' || p - b == 1) &&
            !(b[0] == '-' && (b[1] == '0' || iv == 0))) {
            flushText(b);
            out.push_back({TPiece::Int, 0, 0, 0, iv});
            textStart = p;
        } else if (IsReal23(b, p) && std::from_chars(b, p, rv).ptr == p) {
            flushText(b);
            out.push_back({TPiece::Real, 0, 0, rv, 0});
            textStart = p;
        }
    }
    flushText(end);
    return out;
}

// The bytes of the pieces, numbers by to_chars.
char* Format(const std::string& t, const std::vector<TPiece>& pieces, char* w)
{
    for (const TPiece& piece : pieces) {
        switch (piece.Kind) {
        case TPiece::Text:
            std::memcpy(w, t.data() + piece.Offset, piece.Length);
            w += piece.Length;
            break;
        case TPiece::Int:
            w = std::to_chars(w, w + 24, piece.IntValue).ptr;
            break;
        case TPiece::Real: {
            char buf[32];
            const char* e = std::to_chars(buf, buf + sizeof buf, piece.RealValue, std::chars_format::scientific, 14).ptr;
            // d.dddddddddddddde+dd as d.ddddddddddddddE+00dd
            const char* x = static_cast<const char*>(std::memchr(buf, 'e', size_t(e - buf)));
            std::memcpy(w, buf, size_t(x - buf));
            w += x - buf;
            *w++ = 'E';
            *w++ = x[1];
            const size_t digits = size_t(e - x - 2);
            for (size_t k = digits; k < 4; ++k) *w++ = '0';
            std::memcpy(w, x + 2, digits);
            w += digits;
            break;
        }
        }
    }
    return w;
}

// ------------------------------------------------------------ fresh processes

// Each measure of a fresh process prints its figures on one line.
void ChildLimit(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    const std::string t = ReadWhole(path);
    benchmark::DoNotOptimize(ParseNumbers(t));
    std::printf("%.6f %.6f\n", Since(start), CpuSeconds() - cpu);
}

void ChildOpen(const std::string& path)
{
    TQuietSink sink;
    const size_t before = HeapInUse();
    auto start = std::chrono::steady_clock::now();
    double cpu = CpuSeconds();
    auto net = std::make_unique<TNetwork>();
    TWindowSettings settings;
    if (OpenNetworkFile(*net, settings, path, true, sink).Status != TOpenStatus::Ok) std::exit(2);
    const double open = Since(start), openCpu = CpuSeconds() - cpu;
    const double heap = double(HeapInUse() - before);
    const double peak = StatusBytes("VmHWM");
    start = std::chrono::steady_clock::now();
    cpu = CpuSeconds();
    net.reset();
    std::printf("%.6f %.6f %.0f %.0f %.6f %.6f\n", open, openCpu, heap, peak, Since(start), CpuSeconds() - cpu);
}

// Open, save and close; the peak resident memory of the whole.
void ChildRoundTrip(const std::string& path)
{
    TQuietSink sink;
    auto start = std::chrono::steady_clock::now();
    auto net = std::make_unique<TNetwork>();
    TWindowSettings settings;
    if (OpenNetworkFile(*net, settings, path, true, sink).Status != TOpenStatus::Ok) std::exit(2);
    const double open = Since(start);
    const std::string out = path + ".saved";
    start = std::chrono::steady_clock::now();
    if (!SaveNetworkFile(*net, settings, out, 9, sink).Ok) std::exit(3);
    const double save = Since(start);
    start = std::chrono::steady_clock::now();
    net.reset();
    const double close = Since(start);
    std::filesystem::remove(out);
    std::printf("%.6f %.6f %.6f %.0f\n", open, save, close, StatusBytes("VmHWM"));
}

// The figures a fresh process of this program prints for a mode.
std::vector<double> RunChild(const char* mode, const std::string& path)
{
    const std::string command = "'" + Self + "' --child=" + mode + " '" + path + "'";
    std::vector<double> figures;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return figures;
    double v = 0;
    while (std::fscanf(p, "%lf", &v) == 1) figures.push_back(v);
    if (pclose(p) != 0) figures.clear();
    return figures;
}

constexpr int FreshRuns = 5;

// The best of FreshRuns fresh processes, figure by figure (the least of
// each); empty when one failed.
std::vector<double> BestOfFresh(const char* mode, const std::string& path, size_t figures)
{
    std::vector<double> best;
    for (int k = 0; k < FreshRuns; ++k) {
        const std::vector<double> f = RunChild(mode, path);
        if (f.size() != figures) return {};
        if (best.empty())
            best = f;
        else
            for (size_t i = 0; i < f.size(); ++i) best[i] = std::min(best[i], f[i]);
    }
    return best;
}

// ------------------------------------------------------------ benchmarks

void ReadAndParse(benchmark::State& state)
{
    for (auto _ : state) {
        const std::string t = ReadWhole(NetworkPath());
        benchmark::DoNotOptimize(ParseNumbers(t));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(NetworkPath())));
}
BENCHMARK(ReadAndParse)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first open of a fresh process, then its close, against the first read
// and parse of a fresh process; the heap and the peak resident memory.
void FirstOpenAndClose(benchmark::State& state)
{
    const std::string& path = NetworkPath();
    std::vector<double> limit, open;
    for (auto _ : state) {
        limit = BestOfFresh("limit", path, 2);
        open = BestOfFresh("open", path, 6);
    }
    if (limit.empty() || open.empty()) {
        state.SkipWithError("a fresh process failed");
        return;
    }
    state.counters["nodes"] = double(Side) * Side;
    state.counters["limit_s"] = limit[0];
    state.counters["open_s"] = open[0];
    state.counters["open_ratio"] = open[0] / limit[0];
    state.counters["open_cpu_ratio"] = open[1] / limit[1];
    state.counters["heap_MB"] = open[2] / 1e6;
    state.counters["peak_rss_MB"] = open[3] / 1e6;
    state.counters["rss_over_heap_MB"] = (open[3] - open[2]) / 1e6;
    state.counters["close_s"] = open[4];
    state.counters["close_ratio"] = open[4] / open[0];
    // The records behind the heap figure.
    state.counters["node_B"] = double(sizeof(TNode));
    state.counters["link_B"] = double(sizeof(TLinkRecord));
    state.counters["shape_B"] = double(sizeof(TShapePoint));
}
BENCHMARK(FirstOpenAndClose)->Unit(benchmark::kMillisecond)->Iterations(1);

// Later opens in one process (the allocator's memory reused), for comparison.
void RepeatedOpen(benchmark::State& state)
{
    TQuietSink sink;
    double best = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto net = std::make_unique<TNetwork>();
        TWindowSettings settings;
        if (OpenNetworkFile(*net, settings, NetworkPath(), true, sink).Status != TOpenStatus::Ok)
            state.SkipWithError("open failed");
        best = std::min(best, Since(start));
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
    const std::vector<double> limit = BestOfFresh("limit", NetworkPath(), 2);
    state.counters["open_s"] = best;
    if (!limit.empty()) state.counters["open_ratio"] = best / limit[0];
}
BENCHMARK(RepeatedOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

// The limit of a save: the file's exact bytes made again (every integer and
// real by to_chars, the texts copied), written and synced; the best of three.
std::pair<double, double> FormatAndWriteTimes()
{
    static const std::pair<double, double> times = [] {
        const std::string t = ReadWhole(NetworkPath());
        const std::vector<TPiece> pieces = Pieces(t);
        const std::string out = Folder() + "/baseline.out";
        double best = 1e9, bestCpu = 1e9;
        for (int k = 0; k < 3; ++k) {
            const auto start = std::chrono::steady_clock::now();
            const double cpu = CpuSeconds();
            std::unique_ptr<char[]> buffer(new char[t.size() + 64]);
            char* const w = Format(t, pieces, buffer.get());
            if (size_t(w - buffer.get()) != t.size() || std::memcmp(buffer.get(), t.data(), t.size()) != 0) {
                std::fprintf(stderr, "the save limit does not make the file's bytes\n");
                std::abort();
            }
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const char* p = buffer.get();
            while (p < w) {
                const ssize_t n = ::write(fd, p, size_t(w - p));
                if (n <= 0) break;
                p += n;
            }
            ::fsync(fd);
            ::close(fd);
            best = std::min(best, Since(start));
            bestCpu = std::min(bestCpu, CpuSeconds() - cpu);
        }
        std::filesystem::remove(out);
        return std::make_pair(best, bestCpu);
    }();
    return times;
}

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
        best = std::min(best, Since(start));
        bestCpu = std::min(bestCpu, CpuSeconds() - cpu);
    }
    if (ReadWhole(out) != ReadWhole(NetworkPath())) {
        state.SkipWithError("the saved bytes differ from the file's (kept for a look)");
        return;
    }
    state.counters["save_cpu_ratio"] = bestCpu / FormatAndWriteTimes().second;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(out)));
    state.counters["save_s"] = best;
    state.counters["limit_s"] = FormatAndWriteTimes().first;
    state.counters["save_ratio"] = best / FormatAndWriteTimes().first;
    std::filesystem::remove(out);
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(3);

// Open, save and close in one fresh process: its peak resident memory (the
// figure for --size=10000000 is the one to hold within 8 GB).
void RoundTripMemory(benchmark::State& state)
{
    std::vector<double> f;
    for (auto _ : state) f = RunChild("roundtrip", NetworkPath());
    if (f.size() != 4) {
        state.SkipWithError("the fresh process failed");
        return;
    }
    state.counters["nodes"] = double(Side) * Side;
    state.counters["open_s"] = f[0];
    state.counters["save_s"] = f[1];
    state.counters["close_s"] = f[2];
    state.counters["peak_rss_MB"] = f[3] / 1e6;
}
BENCHMARK(RoundTripMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

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

int main(int argc, char** argv)
{
    Self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<char*> rest;
    std::string child;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--size=", 0) == 0) {
            const double n = std::atof(a.c_str() + 7);
            if (n >= 4) Side = int(std::lround(std::sqrt(n)));
        } else if (a.rfind("--child=", 0) == 0) {
            child = a.substr(8);
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (!child.empty()) {
        if (rest.size() < 2) return 1;
        if (child == "limit") ChildLimit(rest[1]);
        else if (child == "open") ChildOpen(rest[1]);
        else if (child == "roundtrip") ChildRoundTrip(rest[1]);
        else if (child == "generate") Generate(rest[1]);
        else return 1;
        return 0;
    }
    // The size reaches the fresh processes through the file's name.
    int n = int(rest.size());
    benchmark::Initialize(&n, rest.data());
    if (benchmark::ReportUnrecognizedArguments(n, rest.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
