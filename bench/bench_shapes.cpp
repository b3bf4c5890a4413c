// Shapefiles of a million polylines of five points each, in long/lat: a grid
// of 1000 rows of 1000 lines (neighbours share their ends, so a million
// nodes and three million shape points come in).
//   Import (transverse Mercator about the program's own origin, 37.5 N
//   122 W) against GDAL's ogr2ogr reading the same file and projecting it in
//   transverse Mercator about that origin into memory: each import is
//   followed by one ogr2ogr run and the ratio taken per pair, so that both
//   meet the machine in the same state (ogr2ogr_ratio: the median pair,
//   ogr2ogr_ratio_min the best; goal ogr2ogr_ratio_goal, 1.3). No text is
//   written on either side. fraction_bytes_per_point: the room the
//   fractions of the imported positions take, per point that has one,
//   against the 16 bytes a point that held them inline took
//   (fraction_bytes_goal), and against what they took inline in the same
//   pools, whose last blocks are not full (fraction_bytes_inline).
//   Export of the links as "Everything" writes them (.shp, .shx and the
//   .dbf of Extract) against ogr2ogr writing an ESRI shapefile from that
//   CSV (ogr2ogr_ratio, means of three runs each; goal 1 or less).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeExport.h"
#include "core/shapes/ShapeImport.h"

namespace fs = std::filesystem;

namespace {

constexpr int Side = 1000; // lines per row and rows
constexpr double Step = 0.001;

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

fs::path Folder()
{
    auto dir = fs::temp_directory_path() / "tarvex_bench_shapes";
    fs::create_directories(dir);
    return dir;
}

void Big(std::string& s, int32_t v)
{
    for (int i = 3; i >= 0; --i) s.push_back(char(uint32_t(v) >> (8 * i)));
}
void Little(std::string& s, int32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(char(uint32_t(v) >> (8 * i)));
}
void Double(std::string& s, double v)
{
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) s.push_back(char(u >> (8 * i)));
}
void Header(std::string& s, int32_t words)
{
    Big(s, 9994);
    for (int i = 0; i < 5; ++i) Big(s, 0);
    Big(s, words);
    Little(s, 1000);
    Little(s, 3);
    for (double v : {-122.5, 37.0, -122.5 + Side * Step, 37.0 + Side * Step, 0.0, 0.0, 0.0, 0.0}) Double(s, v);
}

// The .shp, .shx and a .dbf of one ID column, written once.
const std::string& ShapePath()
{
    static const std::string path = [] {
        const int32_t records = Side * Side;
        const int32_t content = (44 + 4 + 5 * 16) / 2;
        std::string shp, shx;
        shp.reserve(size_t(100 + records * (8 + content * 2)));
        Header(shp, 50 + records * (4 + content));
        Header(shx, 50 + records * 4);
        for (int32_t i = 0; i < records; ++i) {
            const double lon = -122.5 + (i % Side) * Step, lat = 37.0 + (i / Side) * Step;
            Big(shx, int32_t(shp.size() / 2));
            Big(shx, content);
            Big(shp, i + 1);
            Big(shp, content);
            Little(shp, 3);
            for (double v : {lon, lat, lon + Step, lat + Step / 4}) Double(shp, v);
            Little(shp, 1);
            Little(shp, 5);
            Little(shp, 0);
            for (int k = 0; k < 5; ++k) {
                Double(shp, lon + k * Step / 4);
                Double(shp, lat + (k % 2) * Step / 4);
            }
        }
        std::string dbf;
        const int32_t width = 10;
        dbf.push_back(3);
        dbf.append({char(124), 1, 1});
        Little(dbf, records);
        dbf.push_back(char(65)), dbf.push_back(0); // header length 65
        dbf.push_back(char(width + 1)), dbf.push_back(0);
        dbf.append(20, '\0');
        std::string field("ID");
        field.resize(11, '\0');
        dbf += field;
        dbf.push_back('N');
        dbf.append(4, '\0');
        dbf.push_back(char(width));
        dbf.push_back(0);
        dbf.append(14, '\0');
        dbf.push_back('\r');
        for (int32_t i = 0; i < records; ++i) {
            std::string v = std::to_string(i + 1);
            dbf += ' ' + std::string(size_t(width) - v.size(), ' ') + v;
        }
        dbf.push_back('\x1a');
        const fs::path base = Folder() / "lines";
        std::ofstream(base.string() + ".shp", std::ios::binary) << shp;
        std::ofstream(base.string() + ".shx", std::ios::binary) << shx;
        std::ofstream(base.string() + ".dbf", std::ios::binary) << dbf;
        return base.string() + ".shp";
    }();
    return path;
}

std::string Ogr2ogr() { return fs::exists("/usr/bin/ogr2ogr") ? "/usr/bin/ogr2ogr" : ""; }

double Timed(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rc == 0 ? s : 0;
}

// The export's ogr2ogr figure is the mean of three runs, as the program's
// figures are means of their iterations.
constexpr int OgrRuns = 3;

// One run of ogr2ogr reading the shapefile and projecting it into an
// in-memory dataset, in the transverse Mercator the import sets up (central
// meridian and origin latitude the negated X and Y translations); 0 when
// there is no ogr2ogr or it failed.
double ProjectSeconds()
{
    if (Ogr2ogr().empty()) return 0.0;
    return Timed("'" + Ogr2ogr() + "' -f Memory mem '" + ShapePath() +
                 "' -s_srs EPSG:4326 -t_srs '+proj=tmerc +lat_0=37.5 +lon_0=-122 +k=1 +datum=WGS84'"
                 " >/dev/null 2>&1");
}

// The file as CSV with the geometry as text: the input of the export's
// yardstick (not timed).
bool MakeCsv()
{
    static const bool made = [] {
        if (Ogr2ogr().empty()) return false;
        fs::remove(Folder() / "lines.csv");
        return Timed("'" + Ogr2ogr() + "' -f CSV -lco GEOMETRY=AS_WKT '" + (Folder() / "lines.csv").string() + "' '" +
                     ShapePath() + "' >/dev/null 2>&1") > 0;
    }();
    return made;
}

double ShapefileSeconds()
{
    static const double seconds = [] {
        if (!MakeCsv()) return 0.0;
        double total = 0;
        for (int k = 0; k < OgrRuns; ++k) {
            fs::remove_all(Folder() / "fromcsv");
            const double s = Timed("'" + Ogr2ogr() + "' -f 'ESRI Shapefile' '" + (Folder() / "fromcsv").string() + "' '" +
                                   (Folder() / "lines.csv").string() + "' >/dev/null 2>&1");
            if (s == 0) return 0.0;
            total += s;
        }
        return total / OgrRuns;
    }();
    return seconds;
}

// A network whose new links are of class 1, so that they are exported.
std::unique_ptr<TNetwork> NewNetwork()
{
    auto net = std::make_unique<TNetwork>();
    (*net->LinkClasses)[1].Name = "Line";
    net->TemplateLinkValues.EntityType = 1;
    return net;
}

TShapeImportSettings Settings() { return {1, -100000, 122, -37.5, 100, 69.05, ShapeTransverseMercator}; }

void Import(benchmark::State& state)
{
    ShapePath();
    TQuietSink sink;
    std::vector<double> ratios;
    double fractionBytes = 0, inlineBytes = 0;
    int32_t links = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto net = NewNetwork();
        TWindowSettings window;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const TShapeImportResult r = ImportShapefile(*net, window, Settings(), ShapePath(), {}, sink);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // Neither freeing the network nor the yardstick is part of the import.
        state.PauseTiming();
        if (r.ErrorCode != ShapeErrorNone) state.SkipWithError("import failed");
        links = r.Links;
        const TPointFractions& fractions = net->Store.Fractions;
        if (!fractions.empty()) {
            fractionBytes = double(fractions.Bytes()) / double(fractions.size());
            inlineBytes = 16.0 * double(net->Store.Nodes.Slots() + net->Store.ShapePoints.Slots()) /
                          double(fractions.size());
        }
        net.reset();
        if (const double ogr = ProjectSeconds(); ogr > 0) ratios.push_back(seconds / ogr);
        state.ResumeTiming();
    }
    state.counters["links"] = double(links);
    state.counters["fraction_bytes_per_point"] = fractionBytes;
    state.counters["fraction_bytes_goal"] = 16;
    state.counters["fraction_bytes_inline"] = inlineBytes;
    if (!ratios.empty()) {
        std::sort(ratios.begin(), ratios.end());
        state.counters["ogr2ogr_ratio"] = ratios[ratios.size() / 2];
        state.counters["ogr2ogr_ratio_min"] = ratios.front();
        state.counters["ogr2ogr_ratio_goal"] = 1.3;
    }
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->Iterations(5);

void Export(benchmark::State& state)
{
    TQuietSink sink;
    auto net = NewNetwork();
    TWindowSettings window;
    ImportShapefile(*net, window, Settings(), ShapePath(), {}, sink);
    TViewRecord view;
    view.Settings = &window;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const TShapeExportResult r = ExportShapefiles(*net, window, view, ShapeExportEverything, false,
                                                      (Folder() / "out.shp").string(), sink);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r.ErrorCode != ShapeExportOk || r.Links != Side * Side) state.SkipWithError(r.Status.c_str());
    }
    if (const double ogr = ShapefileSeconds(); ogr > 0)
        state.counters["ogr2ogr_ratio"] = total / double(state.iterations()) / ogr;
}
BENCHMARK(Export)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
