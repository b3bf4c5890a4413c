// Opening, closing and saving a version-9 network of Side x Side nodes and
// as many links (1,000,000 of each unless --size=N asks for about N), each
// link with a shape point and five attributes per class, against limits
// that do the program's own work and nothing else. Every ratio is taken per
// pair of runs, the program's and its limit's in turn, and shown as the
// least and the median of the pairs; after the table each figure is printed
// beside its goal, with the count of numbers each limit parsed or formatted.
//   FirstOpenAndClose: a user opens a network once, in a program that has
//                not touched that much memory yet, so the open and its limit
//                are each the first act of a fresh process:
//     open_ratio:  the first open / the open limit: the file streamed through
//                the reader's window (the same block and window sizes) and
//                every number of it parsed by from_chars;
//     heap_MB:     the heap the opened network takes;
//     peak_rss_MB: the process's peak resident memory during the open, and
//                rss_over_heap_MB, what of it is not the network's heap;
//     close_ratio: freeing the network / opening it.
//   Save: save_ratio, a save / the save limit: the file's exact bytes made
//                again (every number of the writer's number lines by
//                to_chars, the other lines copied) into a buffer that goes
//                to disk as the writer's does, then synced; the limit's bytes
//                are checked against the ones the program saved.
//   RoundTripMemory: the peak resident memory of a fresh process that
//                opens, saves and closes the network (run with
//                --size=10000000 --benchmark_filter=RoundTripMemory for the
//                ten-million figure; it needs about 8 GB).
//   FirstOpenOutOfOrder: 200,000 nodes crowded into four cells, then spread
//                out, in a file with its node records in order and in one
//                with them reversed (links find their nodes by serial and
//                position): each first open / the open limit, fresh
//                processes, and reversed_over_ordered, the reversed open /
//                the ordered one, per pair.
// Then a link of 1,600,000 shape points in a 1000 x 250 box against the same
// number spread over the world (crowded_ratio: crowded load / spread load);
// the crowded load is to take no longer than it did before the records
// became lean, which is measured against a build of that time, the two
// builds' LoadShapePoints/1 run in turn.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
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

// The classes of a generated network (a zone class of nodes, a road class
// of links, the new elements of those classes), ready for a bulk load.
void BeginGeneratedNetwork(TNetwork& net)
{
    AddAttributes(*net.NodeClasses, "Zone");
    AddAttributes(*net.LinkClasses, "Road");
    net.TemplateNode.EntityType = 1;
    net.TemplateLinkValues.EntityType = 1;
    BeginBulkLoad(net);
}

// Builds the network of the current size and saves it (in a process of its
// own: the memory it takes is gone before anything is measured).
void Generate(const std::string& p)
{
    {
        TNetwork net;
        BeginGeneratedNetwork(net);
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

// Reads the file with read() into one buffer (for the checks, never timed).
std::string ReadWhole(const std::string& path)
{
    std::string bytes(size_t(std::filesystem::file_size(path)), '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t got = 0;
    while (fd >= 0 && got < bytes.size()) {
        const ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r <= 0) break;
        got += size_t(r);
    }
    if (fd >= 0) ::close(fd);
    bytes.resize(got);
    return bytes;
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Least(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// Each figure beside its goal, printed after the benchmarks' table.
std::vector<std::string> Figures;

void AddFigure(const std::string& what, const std::vector<double>& ratios, const std::string& goal)
{
    char line[400];
    std::snprintf(line, sizeof line, "  %-62s min %6.3f  median %6.3f  (%zu pairs)   goal: %s", what.c_str(),
                  Least(ratios), Median(ratios), ratios.size(), goal.c_str());
    Figures.push_back(line);
}

// The numbers a limit parsed or formatted.
struct TNumberCounts {
    long Reals = 0, Ints = 0;
};

void AddCounts(const std::string& what, const TNumberCounts& c)
{
    char line[400];
    std::snprintf(line, sizeof line, "  %-62s %ld reals, %ld integers", what.c_str(), c.Reals, c.Ints);
    Figures.push_back(line);
}

// ------------------------------------------------------------ the open limit

// The numbers of one line by from_chars: blank-separated tokens, a token
// with '.' or 'E' as a double, any other as an int64. A line with a token
// that is not a number (a name, a code, a string value) is text, as the
// reader takes it: none of its numbers count.
inline bool ParseLine(const char* p, const char* e, TNumberCounts& counts, uint64_t& sink)
{
    long reals = 0, ints = 0;
    uint64_t bits = 0;
    while (p < e) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        const char* t = p;
        bool real = false;
        while (p < e && *p != ' ') {
            real |= *p == '.' || *p == 'E';
            ++p;
        }
        if (real) {
            double v = 0;
            const auto r = std::from_chars(t, p, v);
            if (r.ec != std::errc() || r.ptr != p) return false;
            bits ^= std::bit_cast<uint64_t>(v);
            ++reals;
        } else {
            int64_t v = 0;
            const auto r = std::from_chars(t, p, v);
            if (r.ec != std::errc() || r.ptr != p) return false;
            bits += uint64_t(v);
            ++ints;
        }
    }
    counts.Reals += reals;
    counts.Ints += ints;
    sink ^= bits;
    return reals + ints > 0;
}

// The limit of an open: the file streamed through a window as the reader
// streams it (blocks of TTextReader::ReadBlock into TTextReader::WindowRoom,
// what the parse has passed dropped when the window is full), every number
// of it parsed by from_chars.
TNumberCounts StreamAndParse(const std::string& path, uint64_t& sink)
{
    TNumberCounts counts;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    size_t size = size_t(std::filesystem::file_size(path));
    const size_t room = std::min(size, TTextReader::WindowRoom) + 1;
    std::unique_ptr<char[]> window(new char[room]);
    char* const w = window.get();
    size_t len = 0, pos = 0, taken = 0;
    for (;;) {
        if (taken < size) {
            if (len + 1 >= room) {
                if (pos == 0) std::abort(); // a line longer than the window
                std::memmove(w, w + pos, len - pos);
                len -= pos;
                pos = 0;
            }
            const size_t want = std::min({TTextReader::ReadBlock, room - 1 - len, size - taken});
            size_t got = 0;
            while (got < want) {
                const ssize_t r = ::read(fd, w + len + got, want - got);
                if (r <= 0) break;
                got += size_t(r);
            }
            if (got < want) size = taken + got; // the file shrank
            len += got;
            taken += got;
        }
        while (const char* nl = static_cast<const char*>(std::memchr(w + pos, '\n', len - pos))) {
            const char* e = nl > w + pos && nl[-1] == '\r' ? nl - 1 : nl;
            ParseLine(w + pos, e, counts, sink);
            pos = size_t(nl + 1 - w);
        }
        if (taken >= size) {
            if (pos < len) ParseLine(w + pos, w + len, counts, sink);
            break;
        }
    }
    ::close(fd);
    return counts;
}

// ------------------------------------------------------------ the save limit

// The file as the save limit makes it again. A line of numbers in the
// writer's forms, one blank between them, is made by to_chars: integers,
// whole reals ("0.0", "-3.0": an integer by to_chars and ".0") and reals of
// width 23 (" 2.00000000000000E+0004", the blank or "-" included). Any other
// line (names, codes, string values, the padded fields of the settings) is
// copied as it is.
struct TRemade {
    enum TKind : uint8_t { Text, Int, Whole, Real, LineEnd };
    std::vector<uint8_t> Kinds;   // a number or a run of text lines each; LineEnd after each number line
    std::vector<uint64_t> Values; // per number: the int64, or the double's bits
    struct TSpan {
        uint64_t Offset;
        uint64_t Length;
    };
    std::vector<TSpan> Texts; // per run of text lines, their bytes in the file (line ends included)
    TNumberCounts Counts;
};

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An integer as to_chars writes it: no "+", no leading zero, no "-0".
bool PlainInteger(const char* b, const char* e, int64_t& v)
{
    const char* d = b < e && *b == '-' ? b + 1 : b;
    if (d == e || e - d > 18 || (*d == '0' && (e - d > 1 || d != b))) return false;
    for (const char* q = d; q < e; ++q)
        if (!IsDigit(*q)) return false;
    return std::from_chars(b, e, v).ptr == e;
}

// " d.ddddddddddddddE+dddd" or with "-" for the blank, at p.
bool IsReal23(const char* p, const char* e)
{
    if (e - p < 23 || (p[0] != ' ' && p[0] != '-') || !IsDigit(p[1]) || p[2] != '.' || p[17] != 'E' ||
        (p[18] != '+' && p[18] != '-') || (e - p > 23 && p[23] != ' '))
        return false;
    for (int i = 3; i < 17; ++i)
        if (!IsDigit(p[i])) return false;
    for (int i = 19; i < 23; ++i)
        if (!IsDigit(p[i])) return false;
    return true;
}

// The numbers of a number line into m; false (m as it was) for any other line.
bool RemakeLine(const char* p, const char* e, TRemade& m)
{
    if (p == e) return false;
    const size_t kinds = m.Kinds.size(), values = m.Values.size();
    long reals = 0, ints = 0;
    auto fail = [&] {
        m.Kinds.resize(kinds);
        m.Values.resize(values);
        return false;
    };
    for (;;) {
        if (IsReal23(p, e)) {
            double v = 0;
            if (std::from_chars(p + 1, p + 23, v).ptr != p + 23) return fail();
            m.Kinds.push_back(TRemade::Real);
            m.Values.push_back(std::bit_cast<uint64_t>(p[0] == '-' ? -v : v));
            ++reals;
            p += 23;
        } else {
            const char* t = p;
            while (p < e && *p != ' ') ++p;
            int64_t v = 0;
            if (p - t > 2 && p[-2] == '.' && p[-1] == '0' && PlainInteger(t, p - 2, v) &&
                (v == 0 ? *t != '-' : (v >= -9999 && v <= 9999))) {
                m.Kinds.push_back(TRemade::Whole);
                ++reals;
            } else if (PlainInteger(t, p, v)) {
                m.Kinds.push_back(TRemade::Int);
                ++ints;
            } else {
                return fail();
            }
            m.Values.push_back(uint64_t(v));
        }
        if (p == e) break;
        if (*p != ' ' || p + 1 == e) return fail(); // one blank between numbers, none at the end
        ++p;
    }
    m.Kinds.push_back(TRemade::LineEnd);
    m.Counts.Reals += reals;
    m.Counts.Ints += ints;
    return true;
}

// The file taken apart for the save limit (not timed).
TRemade TakeApart(const std::string& t)
{
    TRemade m;
    const char* const base = t.data();
    const char* p = base;
    const char* const end = base + t.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* next = nl ? nl + 1 : end;
        const bool crlf = nl && nl > p && nl[-1] == '\r';
        if (!(crlf && RemakeLine(p, nl - 1, m))) {
            if (!m.Kinds.empty() && m.Kinds.back() == TRemade::Text &&
                m.Texts.back().Offset + m.Texts.back().Length == uint64_t(p - base))
                m.Texts.back().Length += uint64_t(next - p);
            else {
                m.Kinds.push_back(TRemade::Text);
                m.Texts.push_back({uint64_t(p - base), uint64_t(next - p)});
            }
        }
        p = next;
    }
    return m;
}

// The file's bytes made again into buffer (room for TTextWriter::FlushThreshold
// and a line more), handed to out(begin, end) whenever the writer's buffer
// would go to disk.
template <class Out>
void Remake(const std::string& file, const TRemade& m, char* const buffer, Out&& out)
{
    constexpr size_t Flush = TTextWriter::FlushThreshold;
    char* w = buffer;
    size_t v = 0, t = 0;
    for (const uint8_t kind : m.Kinds) {
        switch (kind) {
        case TRemade::Text: {
            const TRemade::TSpan s = m.Texts[t++];
            if (s.Length > 4096) {
                out(buffer, w);
                w = buffer;
                out(file.data() + s.Offset, file.data() + s.Offset + s.Length);
            } else {
                std::memcpy(w, file.data() + s.Offset, s.Length);
                w += s.Length;
                if (size_t(w - buffer) >= Flush) {
                    out(buffer, w);
                    w = buffer;
                }
            }
            break;
        }
        case TRemade::Int:
            w = std::to_chars(w, w + 20, int64_t(m.Values[v++])).ptr;
            *w++ = ' ';
            break;
        case TRemade::Whole:
            w = std::to_chars(w, w + 20, int64_t(m.Values[v++])).ptr;
            std::memcpy(w, ".0 ", 3);
            w += 3;
            break;
        case TRemade::Real: {
            char buf[32];
            const double value = std::bit_cast<double>(m.Values[v++]);
            const char* e = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
            // [-]d.dddddddddddddde[+-]dd[d] as [ -]d.ddddddddddddddE[+-]dddd
            const char* d = buf;
            *w++ = *d == '-' ? '-' : ' ';
            if (*d == '-') ++d;
            std::memcpy(w, d, 16);
            w += 16;
            *w++ = 'E';
            *w++ = d[17];
            const size_t digits = size_t(e - (d + 18));
            for (size_t k = digits; k < 4; ++k) *w++ = '0';
            std::memcpy(w, d + 18, digits);
            w += digits;
            *w++ = ' ';
            break;
        }
        case TRemade::LineEnd:
            w[-1] = '\r';
            *w++ = '\n';
            // Lines whole to the disk.
            if (size_t(w - buffer) >= Flush) {
                out(buffer, w);
                w = buffer;
            }
            break;
        }
    }
    out(buffer, w);
}

constexpr size_t RemakeRoom = TTextWriter::FlushThreshold + 8192;

// The file's bytes made again in memory (for the check).
std::string RemadeBytes(const std::string& file, const TRemade& m)
{
    std::string all;
    std::unique_ptr<char[]> buffer(new char[RemakeRoom]);
    Remake(file, m, buffer.get(), [&](const char* b, const char* e) { all.append(b, size_t(e - b)); });
    return all;
}

// The limit of a save: the file's bytes made again, written to a new file
// as the writer writes (a buffer's worth at a time) and synced.
void RemakeAndWrite(const std::string& file, const TRemade& m, const std::string& out)
{
    static std::unique_ptr<char[]> buffer(new char[RemakeRoom]);
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    Remake(file, m, buffer.get(), [&](const char* b, const char* e) {
        while (b < e) {
            const ssize_t n = ::write(fd, b, size_t(e - b));
            if (n <= 0) std::abort();
            b += n;
        }
    });
    if (::fsync(fd) != 0) std::abort();
    ::close(fd);
}

// ------------------------------------------------------------ fresh processes

// Each measure of a fresh process prints its figures on one line.
void ChildLimit(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    uint64_t sink = 0;
    const TNumberCounts counts = StreamAndParse(path, sink);
    benchmark::DoNotOptimize(sink);
    std::printf("%.6f %.6f %ld %ld\n", Since(start), CpuSeconds() - cpu, counts.Reals, counts.Ints);
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

// The figures a fresh process of this program prints for a mode; empty when
// it failed.
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

constexpr int FreshPairs = 7;

// ------------------------------------------------------------ benchmarks

// The open limit in this process (its window reused between runs).
void StreamingReadAndParse(benchmark::State& state)
{
    TNumberCounts counts;
    uint64_t sink = 0;
    for (auto _ : state) counts = StreamAndParse(NetworkPath(), sink);
    benchmark::DoNotOptimize(sink);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(NetworkPath())));
    state.counters["reals"] = double(counts.Reals);
    state.counters["integers"] = double(counts.Ints);
}
BENCHMARK(StreamingReadAndParse)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first open of a fresh process, then its close, against the open limit
// as the first act of a fresh process: the two in turn, the ratio per pair.
// The heap and the peak resident memory of the open.
void FirstOpenAndClose(benchmark::State& state)
{
    const std::string& path = NetworkPath();
    std::vector<double> ratios, cpuRatios, opens, limits, closes, closeRatios, heaps, peaks;
    TNumberCounts counts;
    for (auto _ : state)
        for (int k = 0; k < FreshPairs; ++k) {
            const std::vector<double> limit = RunChild("limit", path);
            const std::vector<double> open = RunChild("open", path);
            if (limit.size() != 4 || open.size() != 6) {
                state.SkipWithError("a fresh process failed");
                return;
            }
            counts = {long(limit[2]), long(limit[3])};
            limits.push_back(limit[0]);
            opens.push_back(open[0]);
            ratios.push_back(open[0] / limit[0]);
            cpuRatios.push_back(open[1] / limit[1]);
            heaps.push_back(open[2]);
            peaks.push_back(open[3]);
            closes.push_back(open[4]);
            closeRatios.push_back(open[4] / open[0]);
        }
    state.counters["nodes"] = double(Side) * Side;
    state.counters["limit_s"] = Median(limits);
    state.counters["open_s"] = Median(opens);
    state.counters["open_ratio_min"] = Least(ratios);
    state.counters["open_ratio"] = Median(ratios);
    state.counters["open_cpu_ratio"] = Median(cpuRatios);
    state.counters["heap_MB"] = Least(heaps) / 1e6;
    state.counters["peak_rss_MB"] = Least(peaks) / 1e6;
    state.counters["rss_over_heap_MB"] = (Least(peaks) - Least(heaps)) / 1e6;
    state.counters["close_s"] = Median(closes);
    state.counters["close_ratio"] = Median(closeRatios);
    state.counters["limit_reals"] = double(counts.Reals);
    state.counters["limit_integers"] = double(counts.Ints);
    // The records behind the heap figure.
    state.counters["node_B"] = double(sizeof(TNode));
    state.counters["link_B"] = double(sizeof(TLinkRecord));
    state.counters["shape_B"] = double(sizeof(TShapePoint));
    AddFigure("first open / streamed read + from_chars (fresh processes)", ratios, "at most 2.0");
    AddFigure("  the same in processor time", cpuRatios, "(for comparison)");
    AddCounts("  numbers the open limit parsed:", counts);
}
BENCHMARK(FirstOpenAndClose)->Unit(benchmark::kMillisecond)->Iterations(1);

// Later opens in one process (the allocator's memory reused), each beside a
// run of the open limit in the same process.
void RepeatedOpen(benchmark::State& state)
{
    TQuietSink sink;
    std::vector<double> opens, ratios;
    uint64_t parsed = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        auto net = std::make_unique<TNetwork>();
        TWindowSettings settings;
        if (OpenNetworkFile(*net, settings, NetworkPath(), true, sink).Status != TOpenStatus::Ok)
            state.SkipWithError("open failed");
        const double open = Since(start);
        state.PauseTiming();
        net.reset();
        start = std::chrono::steady_clock::now();
        StreamAndParse(NetworkPath(), parsed);
        const double limit = Since(start);
        state.ResumeTiming();
        opens.push_back(open);
        ratios.push_back(open / limit);
    }
    benchmark::DoNotOptimize(parsed);
    state.counters["open_s"] = Median(opens);
    state.counters["open_ratio"] = Median(ratios);
    AddFigure("a later open in the same process / the open limit", ratios, "(for comparison)");
}
BENCHMARK(RepeatedOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

// A save against its limit, in turn, the ratio per pair; the saved bytes
// must be the file's, and the limit's the saved ones.
void Save(benchmark::State& state)
{
    TQuietSink sink;
    auto net = std::make_unique<TNetwork>();
    TWindowSettings settings;
    if (OpenNetworkFile(*net, settings, NetworkPath(), true, sink).Status != TOpenStatus::Ok) {
        state.SkipWithError("open failed");
        return;
    }
    const std::string file = ReadWhole(NetworkPath());
    const TRemade remade = TakeApart(file);
    const std::string out = Folder() + "/saved-v9.dta", limitOut = Folder() + "/limit-v9.dta";
    std::vector<double> saves, limits, ratios, cpuRatios;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double cpu = CpuSeconds();
        if (!SaveNetworkFile(*net, settings, out, 9, sink).Ok) {
            state.SkipWithError("save failed");
            return;
        }
        const double save = Since(start), saveCpu = CpuSeconds() - cpu;
        state.PauseTiming();
        std::filesystem::remove(limitOut);
        start = std::chrono::steady_clock::now();
        cpu = CpuSeconds();
        RemakeAndWrite(file, remade, limitOut);
        const double limit = Since(start), limitCpu = CpuSeconds() - cpu;
        state.ResumeTiming();
        saves.push_back(save);
        limits.push_back(limit);
        ratios.push_back(save / limit);
        cpuRatios.push_back(saveCpu / limitCpu);
    }
    const std::string saved = ReadWhole(out);
    if (saved != file) {
        state.SkipWithError("the saved bytes differ from the file's (kept for a look)");
        return;
    }
    if (RemadeBytes(file, remade) != saved || ReadWhole(limitOut) != saved) {
        state.SkipWithError("the save limit does not make the saved bytes");
        return;
    }
    std::filesystem::remove(out);
    std::filesystem::remove(limitOut);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(saved.size()));
    state.counters["save_s"] = Median(saves);
    state.counters["limit_s"] = Median(limits);
    state.counters["save_ratio_min"] = Least(ratios);
    state.counters["save_ratio"] = Median(ratios);
    state.counters["save_cpu_ratio"] = Median(cpuRatios);
    state.counters["limit_reals"] = double(remade.Counts.Reals);
    state.counters["limit_integers"] = double(remade.Counts.Ints);
    AddFigure("save / the file's bytes made by to_chars + write + fsync", ratios, "none set (1.08 before)");
    AddFigure("  the same in processor time", cpuRatios, "(for comparison)");
    AddCounts("  numbers the save limit formatted:", remade.Counts);
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(5);

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

// ------------------------------------------------------------ node records out of order

constexpr int OutOfOrderWidth = 500, OutOfOrderHeight = 400; // 200,000 nodes
constexpr int OutOfOrderPairs = 5;

// A grid of nodes, each linked to its right and lower neighbours through a
// shape point, five attributes per class: crowded, two nodes at each
// position and the positions one unit apart (four cells of the hash,
// 80,000 nodes in two of them: a look-up by serial that does not find its
// node first at the position searches the cell); or spread, a hundred units
// apart (four nodes a cell). Saved in order, then again with its node
// records reversed (the serials they carry unchanged, as another tool may
// write them).
std::string OutOfOrderPath(bool crowded, bool reversed)
{
    return Folder() + "/serials-" + (crowded ? "crowded" : "spread") + (reversed ? "-reversed" : "-ordered") +
           "-v9.dta";
}

void MakeOutOfOrderFiles(bool crowded)
{
    const std::string ordered = OutOfOrderPath(crowded, false), reversed = OutOfOrderPath(crowded, true);
    if (std::filesystem::exists(ordered) && std::filesystem::exists(reversed)) return;
    {
        TNetwork net;
        BeginGeneratedNetwork(net);
        const int32_t step = crowded ? 1 : 100;
        std::vector<TNode*> nodes;
        for (int y = 0; y < OutOfOrderHeight; ++y)
            for (int x = 0; x < OutOfOrderWidth; ++x) {
                RegridHashTable(net);
                THashEntry* cell = nullptr;
                TNode* n = AddNode(net, crowded ? x / 2 : x * step, y * step, cell, false, 5);
                const long i = long(nodes.size());
                n->Name = "N" + std::to_string(i);
                Fill(n->Values.get(), i);
                n->Strings = {"node " + std::to_string(i)};
                nodes.push_back(n);
            }
        long links = 0;
        auto link = [&](TNode* a, TNode* b) {
            TLink *ha = nullptr, *hb = nullptr;
            TLinkValues* l = AddLink(net, a, b, false, 5, ha, hb);
            Fill(l->Values.get(), links++);
            l->Strings = {"road"};
            AddShapePoint(net, (a->X + b->X) / 2 + step / 3, (a->Y + b->Y) / 2 + step / 3, 0, ha);
        };
        for (int y = 0; y < OutOfOrderHeight; ++y)
            for (int x = 0; x < OutOfOrderWidth; ++x) {
                TNode* a = nodes[size_t(y * OutOfOrderWidth + x)];
                if (x + 1 < OutOfOrderWidth) link(a, nodes[size_t(y * OutOfOrderWidth + x + 1)]);
                if (y + 1 < OutOfOrderHeight) link(a, nodes[size_t((y + 1) * OutOfOrderWidth + x)]);
            }
        RecomputeExtents(net);
        TQuietSink sink;
        if (!SaveNetworkFile(net, TWindowSettings(), ordered, 9, sink).Ok) std::abort();
    }
    // The node records: after the template's, each a node line (its value
    // count the seventh number), the name line and the value lines, up to
    // the line of zeros that ends them.
    const std::string text = ReadWhole(ordered);
    const std::string mark = "END OF APPLICATION\r\n";
    size_t at = text.find(mark);
    if (at == std::string::npos) std::abort();
    at += mark.size();
    auto recordEnd = [&](size_t from) {
        long f[7] = {};
        std::istringstream(text.substr(from, text.find('\n', from) - from)) >> f[0] >> f[1] >> f[2] >> f[3] >> f[4] >>
            f[5] >> f[6];
        size_t e = from;
        for (long k = 0; k < 2 + f[6]; ++k) e = text.find('\n', e) + 1;
        return e;
    };
    const size_t first = recordEnd(at); // after the template node
    std::vector<std::pair<size_t, size_t>> records;
    size_t p = first;
    while (text.compare(p, 2, "0 ") != 0) {
        const size_t e = recordEnd(p);
        records.emplace_back(p, e);
        p = e;
    }
    std::string out = text.substr(0, first);
    for (auto r = records.rbegin(); r != records.rend(); ++r) out.append(text, r->first, r->second - r->first);
    out.append(text, p, std::string::npos);
    if (out.size() != text.size()) std::abort();
    std::ofstream(reversed, std::ios::binary) << out;
}

// The links of a network as the names of their end nodes, sorted.
std::vector<std::string> JoinedNames(const TNetwork& net)
{
    std::vector<std::string> joined;
    for (const THashEntry* cell : net.NodeHash)
        for (const TNetworkPoint* p : cell->Points)
            if (const TNode* n = p->AsNode())
                for (const TLink* h : n->Links)
                    if (h->AEnd()) joined.push_back(std::string(n->Name) + "-" + std::string(h->FarNode->Name));
    std::sort(joined.begin(), joined.end());
    return joined;
}

// The first open of each file in a fresh process against the open limit
// (each in turn, the ratio per pair), the ordered file and the reversed one
// one after the other; the reversed open over the ordered open, per pair.
// Both files must join every link to the same nodes.
void FirstOpenOutOfOrder(benchmark::State& state)
{
    const bool crowded = state.range(0) != 0;
    MakeOutOfOrderFiles(crowded);
    const std::string ordered = OutOfOrderPath(crowded, false), reversed = OutOfOrderPath(crowded, true);
    {
        TQuietSink sink;
        std::vector<std::string> joined[2];
        for (int i = 0; i < 2; ++i) {
            TNetwork net;
            TWindowSettings settings;
            const TOpenResult r = OpenNetworkFile(net, settings, i ? reversed : ordered, true, sink);
            if (r.Status != TOpenStatus::Ok || r.Redundant || r.Looped || r.WithoutEnds) {
                state.SkipWithError("open failed, or links were dropped");
                return;
            }
            joined[i] = JoinedNames(net);
        }
        if (joined[0] != joined[1] || joined[0].size() != size_t(2 * OutOfOrderWidth * OutOfOrderHeight -
                                                                  OutOfOrderWidth - OutOfOrderHeight)) {
            state.SkipWithError("the reversed file does not join the links as the ordered one");
            return;
        }
    }
    std::vector<double> opens[2], ratios[2], overOrdered;
    for (auto _ : state)
        for (int k = 0; k < OutOfOrderPairs; ++k) {
            double open[2];
            for (int i = 0; i < 2; ++i) {
                const std::string& path = i ? reversed : ordered;
                const std::vector<double> limit = RunChild("limit", path);
                const std::vector<double> o = RunChild("open", path);
                if (limit.size() != 4 || o.size() != 6) {
                    state.SkipWithError("a fresh process failed");
                    return;
                }
                open[i] = o[0];
                opens[i].push_back(o[0]);
                ratios[i].push_back(o[0] / limit[0]);
            }
            overOrdered.push_back(open[1] / open[0]);
        }
    state.counters["nodes"] = double(OutOfOrderWidth) * OutOfOrderHeight;
    state.counters["ordered_s"] = Median(opens[0]);
    state.counters["reversed_s"] = Median(opens[1]);
    state.counters["ordered_ratio"] = Median(ratios[0]);
    state.counters["reversed_ratio"] = Median(ratios[1]);
    state.counters["reversed_over_ordered"] = Median(overOrdered);
    const std::string what = crowded ? "crowded (4 cells)" : "spread";
    AddFigure("200,000 nodes " + what + ", in order: first open / open limit", ratios[0], "(for comparison)");
    AddFigure("  reversed node records: first open / open limit", ratios[1], "(for comparison)");
    AddFigure("  reversed first open / ordered first open", overOrdered, "at most 1.1");
}
BENCHMARK(FirstOpenOutOfOrder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    if (crowded && seconds[0] > 0) {
        state.counters["crowded_ratio"] = seconds[1] / seconds[0];
        char line[400];
        std::snprintf(line, sizeof line,
                      "  %-62s %.3f s (best of %d)   goal: at most the time of a build before the lean records, "
                      "the two builds run in turn",
                      "crowded cell: 1.6M shape points in one cell, load", seconds[1], int(state.iterations()));
        Figures.push_back(line);
    }
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
    if (!Figures.empty()) {
        std::printf("\nFigures and their goals (ratios: program / limit, per pair of runs):\n");
        for (const std::string& f : Figures) std::printf("%s\n", f.c_str());
    }
    return 0;
}
