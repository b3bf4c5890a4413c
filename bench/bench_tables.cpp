// Extract and Update on a network of 1,000,000 nodes and 1,000,000 links with
// five attributes per class (a real, an integer, a real, codes, a string).
// The yardstick is GDAL: `ogr2ogr -f CSV` of the dBase table Extract wrote,
// timed once in the same run; each benchmark reports its time as a multiple
// of it (ogr2ogr_ratio; the goal is 1 or less).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/tables/Extract.h"
#include "core/tables/Update.h"

namespace {

constexpr int Side = 1000; // Side x Side nodes, as many links
// Iterations of each benchmark, and runs of ogr2ogr to compare with.
constexpr int Runs = 2;

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

std::string Folder()
{
    auto dir = std::filesystem::temp_directory_path() / "tarvex_bench_tables";
    std::filesystem::create_directories(dir);
    return dir.string();
}

void AddAttributes(TEntityClass& classes, const char* name)
{
    TClassRecord& rec = classes[1];
    rec.Name = name;
    const char kinds[5] = {'R', 'I', 'R', 'C', 'S'};
    const char* aliases[5] = {"VOL", "LANES", "SHARE", "CODE", "NOTE"};
    for (int i = 1; i <= 5; ++i) {
        rec.Attributes[i] = std::make_unique<TAttrib>();
        rec.Attributes[i]->Name = std::string("Attribute ") + char('0' + i);
        rec.Attributes[i]->Kind = kinds[i - 1];
        rec.Attributes[i]->Alias = aliases[i - 1];
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

struct TBench {
    TNetwork Net;
    TWindowSettings Ws;
    TViewRecord View;
    TQuietSink Sink;
    double OgrSeconds = 0;

    TBench()
    {
        AddAttributes(*Net.NodeClasses, "Zone");
        AddAttributes(*Net.LinkClasses, "Road");
        BeginBulkLoad(Net);
        std::vector<TNode*> nodes(size_t(Side) * Side);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x) {
                RegridHashTable(Net);
                THashEntry* cell = nullptr;
                const int i = y * Side + x;
                TNode* n = AddNode(Net, x * 100 - 50000, y * 100 - 50000, cell, false, 5);
                n->EntityType = 1;
                n->Name = std::string(1, 'N').append(std::to_string(i));
                Fill(n->Values.get(), i);
                n->Strings = {std::string("node ").append(std::to_string(i))};
                nodes[size_t(i)] = n;
            }
        for (int i = 0; i < Side * Side; ++i) {
            TNode* a = nodes[size_t(i)];
            TNode* b = nodes[size_t(i % Side == Side - 1 ? i - 1 : i + 1)];
            TLink *ha = nullptr, *hb = nullptr;
            TLinkValues* l = AddLink(Net, a, b, false, 5, ha, hb);
            l->EntityType = 1;
            l->Name = std::string(1, 'L').append(std::to_string(i));
            Fill(l->Values.get(), i);
            l->Strings = {std::string("road ").append(std::to_string(i))};
        }
        TExtractFormats& x = Ws.ExtractFormats;
        x.NodeTemplates[1] = "NNAME,VOL,LANES,SHARE,CODE,NOTE";
        x.LinkTemplates[1] = "LNAME,VOL,LANES,SHARE,CODE,NOTE";
        x.SeparationMode = SeparationDBase;
        if (RunExtract(Net, Ws, View, x, Table(), true, Sink).ErrorCode != 0) std::abort();
        // The yardstick: GDAL reading the same table and writing it as CSV.
        const std::string csv = Folder() + "/ogr.csv";
        std::filesystem::remove(csv);
        // Run as many times as each benchmark below runs the program, and
        // averaged as they are.
        double total = 0;
        for (int k = 0; k < Runs; ++k) {
            std::filesystem::remove(csv);
            const auto t0 = std::chrono::steady_clock::now();
            const int rc = std::system(("ogr2ogr -f CSV " + csv + " " + Table() + " >/dev/null 2>&1").c_str());
            total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            if (rc != 0) {
                total = 0;
                break;
            }
        }
        OgrSeconds = total / Runs;
    }

    static std::string Table() { return Folder() + "/grid.dbf"; }

    static TBench& Get()
    {
        static TBench b;
        return b;
    }

    void Report(benchmark::State& state, double seconds)
    {
        state.counters["records"] = 2.0 * Side * Side;
        if (OgrSeconds > 0) state.counters["ogr2ogr_ratio"] = seconds / double(state.iterations()) / OgrSeconds;
        state.counters["ogr2ogr_s"] = OgrSeconds;
    }
};

template <int Mode>
void BM_Extract(benchmark::State& state)
{
    TBench& b = TBench::Get();
    TExtractFormats x = b.Ws.ExtractFormats;
    x.SeparationMode = uint8_t(Mode);
    const std::string out = Folder() + (Mode == SeparationDBase ? "/out.dbf" : "/out.txt");
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (RunExtract(b.Net, b.Ws, b.View, x, out, true, b.Sink).Records != 2 * Side * Side) std::abort();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    b.Report(state, seconds);
}
BENCHMARK(BM_Extract<SeparationDBase>)->Name("ExtractDBase")->Unit(benchmark::kMillisecond)->Iterations(Runs);
BENCHMARK(BM_Extract<SeparationCommas>)->Name("ExtractCommas")->Unit(benchmark::kMillisecond)->Iterations(Runs);

void BM_UpdateDBase(benchmark::State& state)
{
    TBench& b = TBench::Get();
    TExtractFormats x = b.Ws.ExtractFormats;
    x.SeparationMode = SeparationDBase;
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const TUpdateResult r = RunUpdate(b.Net, x, TBench::Table(), b.Sink);
        if (r.ErrorCode != 0 || r.NotFound != 0 || r.Lines != 2 * Side * Side) std::abort();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    b.Report(state, seconds);
}
BENCHMARK(BM_UpdateDBase)->Name("UpdateDBase")->Unit(benchmark::kMillisecond)->Iterations(Runs);

} // namespace
