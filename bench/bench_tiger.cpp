// Importing a TIGER/Line county of about 100,000 chains, each with three
// shape points, and one polygon per block (a grid of 223 by 223 blocks).
// The yardstick is GDAL's ogr2ogr writing the same set's CompleteChain, PIP
// and PolyChainLink layers to CSV (with the geometry as text) in the same
// run: Import reports its time as a multiple of ogr2ogr's (ogr2ogr_ratio;
// the goal is at most 0.5).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "../tests/core/shapes/tiger_fixture.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/TigerImport.h"

namespace {

constexpr int Side = 223; // blocks per side: 2 x 223 x 224 = 99,904 chains

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

std::filesystem::path Folder()
{
    auto dir = std::filesystem::temp_directory_path() / "tarvex_bench_tiger";
    std::filesystem::create_directories(dir);
    return dir;
}

// The set, written once.
const std::string& SetPath()
{
    static const std::string path = [] {
        const auto set = tigertest::GridCounty(Side, Side, 3, -122500000, 37300000, 2000, false);
        return tigertest::WriteSet(Folder() / "TGR06001", set);
    }();
    return path;
}

double RunOgr2ogr()
{
    const std::string ogr2ogr = tigertest::FindTool("ogr2ogr");
    if (ogr2ogr.empty()) return 0;
    const auto out = Folder() / "csv";
    std::filesystem::remove_all(out);
    const std::string command = "'" + ogr2ogr + "' -f CSV -lco GEOMETRY=AS_WKT '" + out.string() + "' '" + SetPath() +
                                "' CompleteChain PIP PolyChainLink >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rc == 0 ? seconds : 0;
}

// ogr2ogr's best of three runs.
double Ogr2ogrSeconds()
{
    static const double seconds = [] {
        double best = 0;
        for (int k = 0; k < 3; ++k) {
            const double s = RunOgr2ogr();
            if (s > 0 && (best == 0 || s < best)) best = s;
        }
        return best;
    }();
    return seconds;
}

void Ogr2ogr(benchmark::State& state)
{
    SetPath();
    for (auto _ : state) {
        const double s = RunOgr2ogr();
        if (s == 0) {
            state.SkipWithError("ogr2ogr (gdal-bin) is not installed or failed");
            break;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(Ogr2ogr)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void Import(benchmark::State& state)
{
    const TTigerFileSet files = TigerFileSetFor(SetPath());
    TQuietSink sink;
    double total = 0;
    int64_t links = 0;
    for (auto _ : state) {
        auto net = std::make_unique<TNetwork>();
        TWindowSettings window;
        TTigerSettings settings;
        settings.YScale = -100000;
        const auto start = std::chrono::steady_clock::now();
        const TTigerResult r = ImportTiger(*net, window, settings, files, {}, sink);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r.ErrorCode != TigerErrorNone) state.SkipWithError("import failed");
        links = r.Links;
        state.PauseTiming(); // freeing the network is not part of the import
        net.reset();
        state.ResumeTiming();
    }
    state.counters["links"] = double(links);
    if (const double ogr = Ogr2ogrSeconds(); ogr > 0)
        state.counters["ogr2ogr_ratio"] = total / double(state.iterations()) / ogr;
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
