// The shapefile import: every real file and pyshp-made files of every type
// against pyshp's reading, joins by long/lat, owners, the settings' Suggest
// and Compute, damaged and hostile files, limits and the batch steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <map>
#include <set>
#include <tuple>

#include <sys/stat.h>

#include "core/file/NetworkFile.h"
#include "core/geo/Projections.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/shapes/BatchMemoryHost.h"
#include "core/shapes/ShapeFileReader.h"
#include "core/shapes/ShapeImport.h"
#include "shapes_fixture.h"

using namespace shapetest;

namespace {

struct TImport {
    TNetwork Net;
    TWindowSettings Window;
    TShapeImportSettings Settings;
    TMessageSinkRecorder Sink;
    TShapeImportResult Run(const std::vector<uint8_t>& b) { return ImportShapefileBytes(Net, Window, Settings, b, {}, Sink); }
    TShapeImportResult Run(const std::string& path) { return ImportShapefile(Net, Window, Settings, path, {}, Sink); }
    bool OnlyMessage(const std::string& text) const
    {
        return Sink.Count() == 1 && Sink.Last().Text == text && Sink.Last().Caption == "Shape File";
    }
};

// Position and elevation of a point; a shape is its name and its points.
using TSpot = std::tuple<int32_t, int32_t, int32_t>;
using TShape = std::pair<std::string, std::vector<TSpot>>;
TSpot SpotOf(const TNetworkPoint* p) { return {p->X, p->Y, p->Elevation}; }
bool SameSpot(const TSpot& a, const TSpot& b) { return std::get<0>(a) == std::get<0>(b) && std::get<1>(a) == std::get<1>(b); }

// What a linear import gives, as counts and shapes: points "P" + name, links
// by name from A to B, rings "R" + owner name.
struct TResult {
    int32_t Nodes = 0, ShapePoints = 0, Nulls = 0;
    std::vector<TShape> Shapes;
    bool operator==(const TResult&) const = default;
};

TResult Expect(const std::vector<TOracleRecord>& records, const TShapeImportSettings& s)
{
    auto world = [](double v) { return int32_t(pround(std::clamp(v, -512000.0, 512000.0))); };
    TResult e;
    // Points, line ends and vertices join the node of their layer at their
    // place (the linear method keeps no long/lat); a point takes the name of
    // the last record there; a link from A to B is made once.
    // The node at a place: the name and elevation it was made with.
    std::map<std::tuple<int, int32_t, int32_t>, std::pair<std::string, int32_t>> nodes;
    std::set<std::pair<std::pair<int32_t, int32_t>, std::pair<int32_t, int32_t>>> links;
    auto node = [&](int layer, TSpot& p) -> std::string& {
        auto& n = nodes.try_emplace({layer, std::get<0>(p), std::get<1>(p)}, std::pair{"", std::get<2>(p)}).first->second;
        std::get<2>(p) = n.second;
        return n.first;
    };
    int32_t owners = 0;
    for (const TOracleRecord& r : records) {
        e.Nulls += r.Type == 0;
        const std::string n = std::to_string(r.Number);
        const bool z = r.Type == 11 || r.Type == 13 || r.Type == 15 || r.Type == 18;
        for (size_t k = 0; k < r.Parts.size(); ++k) {
            std::vector<TSpot> part;
            for (const TOraclePoint& p : r.Parts[k])
                part.push_back({world((p.X + s.XTranslate) * s.XScale), world((p.Y + s.YTranslate) * s.YScale),
                                z && p.HasZ && std::fabs(p.Z) < 100000 ? int32_t(pround(p.Z * 10000)) : 0});
            const TShpFamily family = ShpFamilyOf(r.Type);
            if (family == TShpFamily::Point || family == TShpFamily::MultiPoint) {
                for (TSpot& p : part) node(1, p) = "P" + n;
            } else if (family == TShpFamily::PolyLine && !part.empty()) {
                node(2, part.front());
                if (SameSpot(part.front(), part.back())) continue;
                node(2, part.back());
                const auto at = [](const TSpot& p) { return std::pair{std::get<0>(p), std::get<1>(p)}; };
                if (!links.insert({at(part.front()), at(part.back())}).second) continue;
                std::vector<TSpot> line{part.front()};
                for (size_t i = 1; i + 1 < part.size(); ++i)
                    if (!SameSpot(part[i], line.back()) && !SameSpot(part[i], part.back())) line.push_back(part[i]);
                e.ShapePoints += int32_t(line.size()) - 1;
                line.push_back(part.back());
                e.Shapes.push_back({"L" + n + (k ? "-" + std::to_string(k + 1) : ""), line});
            } else if (family == TShpFamily::Polygon && part.size() >= 3) {
                if (SameSpot(part.back(), part.front())) part.pop_back();
                for (TSpot& p : part) node(3, p);
                owners += part.size() >= 2;
                if (part.size() >= 2) e.Shapes.push_back({"RN" + n, part});
            }
        }
    }
    e.Nodes = int32_t(nodes.size()) + owners;
    for (const auto& [at, made] : nodes)
        if (std::get<0>(at) == 1) e.Shapes.push_back({made.first, {{std::get<1>(at), std::get<2>(at), made.second}}});
    std::sort(e.Shapes.begin(), e.Shapes.end());
    return e;
}

TResult Found(const TNetwork& net)
{
    TResult f;
    ForEachNode(net, [&](TNode* n) {
        ++f.Nodes;
        if (n->Layer == 1) f.Shapes.push_back({"P" + n->Name.substr(1), {SpotOf(n)}});
        std::vector<TSpot> ring;
        for (const TNetworkPoint* v : n->OwnPolygon()) ring.push_back(SpotOf(v));
        if (!ring.empty()) f.Shapes.push_back({"R" + n->Name, ring});
    });
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues* l = h->LinkValues;
        std::vector<TSpot> line{SpotOf(l->ANode)};
        for (const TShapePoint* sp : l->ShapePoints) line.push_back(SpotOf(sp));
        line.push_back(SpotOf(l->BNode));
        f.ShapePoints += l->ShapePoints.GetCount();
        f.Shapes.push_back({l->Name, line});
    });
    std::sort(f.Shapes.begin(), f.Shapes.end());
    return f;
}

// The file's points spread over most of the world.
TShapeImportSettings Spread(const std::vector<TOracleRecord>& records)
{
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const auto& r : records)
        for (const auto& part : r.Parts)
            for (const auto& p : part) x0 = std::min(x0, p.X), x1 = std::max(x1, p.X), y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
    const double w = std::max(x1 - x0, y1 - y0), s = w > 0 ? 400000 / w : 1;
    return {s, -s, x0 <= x1 ? -(x0 + x1) / 2 : 0, y0 <= y1 ? -(y0 + y1) / 2 : 0, 100, 69.05, ShapeLinear};
}

// Imports a file linearly and compares it with pyshp's reading; a file in
// long/lat again projected, where every point keeps the file's long/lat and
// owners get theirs from the points around. Returns the share of owners
// that got one.
double CompareWithOracle(const std::string& path)
{
    SCOPED_TRACE(path);
    const auto records = OracleDump(path);
    TImport im;
    im.Settings = Spread(records);
    const TShapeImportResult r = im.Run(path);
    EXPECT_EQ(r.ErrorCode, ShapeErrorNone);
    EXPECT_EQ(r.Records - r.BadRecords, int32_t(records.size()));
    TResult e = Expect(records, im.Settings), f = Found(im.Net);
    f.Nulls = r.NullRecords;
    EXPECT_EQ(r.Nodes, e.Nodes);
    EXPECT_TRUE(f == e) << f.Nodes << " " << e.Nodes << ", " << f.Shapes.size() << " " << e.Shapes.size();
    EXPECT_TRUE(im.Sink.Calls.empty());
    EXPECT_TRUE(im.Net.Modified);

    std::set<std::pair<int32_t, int32_t>> file, found;
    for (const auto& rec : records)
        for (const auto& part : rec.Parts)
            for (const auto& p : part) {
                if (std::fabs(p.X) > 180 || std::fabs(p.Y) > 90) return 0;
                file.insert({int32_t(pround(p.X * 1e7)), int32_t(pround(p.Y * 1e7))});
            }
    TImport tm;
    tm.Settings = {1, -100000, im.Settings.XTranslate, im.Settings.YTranslate, 100, 69.05, ShapeTransverseMercator};
    EXPECT_EQ(tm.Run(path).ErrorCode, ShapeErrorNone);
    int32_t owners = 0, fitted = 0;
    for (THashEntry* cell : tm.Net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n || n->OwnPolygon().Empty()) {
                found.insert({p->Longitude, p->Latitude});
            } else if (++owners && n->Longitude != 0) {
                ++fitted;
                EXPECT_TRUE(n->Longitude >= file.begin()->first && n->Longitude <= file.rbegin()->first);
            }
        }
    EXPECT_TRUE(std::includes(file.begin(), file.end(), found.begin(), found.end()));
    EXPECT_TRUE(ShpFamilyOf(r.ShapeType) == TShpFamily::PolyLine || found.size() == file.size());
    return owners ? double(fitted) / owners : 0;
}

} // namespace

TEST(ShapeImport, RealAndMadeFilesMatchPyshp)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    if (!HaveOracle()) GTEST_SKIP() << "pyshp, shapely or ogrinfo is not installed";
    const fs::path made = TempFolder("made");
    Oracle("make '" + made.string() + "'");
    int files = 0;
    for (const fs::path& dir : {fs::path(SharedShp()), made})
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string p = entry.path().string();
            if (entry.path().extension() != ".shp" || p.find("multipatch") != p.npos || p.find("dtype") != p.npos)
                continue;
            const double fitted = CompareWithOracle(p);
            EXPECT_TRUE(p.find("blockgroups") == p.npos || fitted > 0.9); // small polygons: nearly all fit
            ++files;
        }
    EXPECT_EQ(files, 21 + 12);
    // Header lengths that disagree with the file: a record past the header's
    // length that fits in the file is read (MyPolyZ); trailing bytes too
    // short for a record count as one bad record.
    TImport polyZ, tooLong;
    EXPECT_EQ(polyZ.Run(SharedShp() + "/pyshp/MyPolyZ.shp").Polygons, 1);
    const TShapeImportResult r = tooLong.Run(SharedShp() + "/pyshp/corrupt_too_long.shp");
    EXPECT_EQ(std::tie(r.Records, r.BadRecords), std::make_tuple(11, 1));
}

TEST(ShapeImport, ProjectionsKeepLongLatAndJoinEnds)
{
    // Two lines meeting at one end; a second part whose ends coincide.
    TShpBuilder lines;
    lines.Type = ShpPolyLine;
    lines.Add(PartsContent(ShpPolyLine, {{{-122.0, 37.0}, {-122.05, 37.05}, {-122.1, 37.1}}}));
    lines.Add(PartsContent(ShpPolyLine, {{{-122.1, 37.1}, {-122.2, 37.1}}, {{-122.2, 37.1}, {-122.2, 37.1}}}));
    for (int32_t method : {ShapeEquidistant, ShapeTransverseMercator, ShapeLambertConformal}) {
        SCOPED_TRACE(method);
        TImport im;
        im.Settings = {1, -100000, 122, -37, 100, 69.05, method};
        const TShapeImportResult r = im.Run(lines.Bytes());
        EXPECT_EQ(std::tie(r.Links, r.Nodes, r.ShapePoints), std::make_tuple(2, 3, 1));
        std::map<int32_t, const TNode*> byLon;
        ForEachNode(im.Net, [&](TNode* n) { byLon[n->Longitude] = n; });
        const TNode *start = byLon[-1220000000], *shared = byLon[-1221000000];
        ASSERT_TRUE(start && shared);
        EXPECT_EQ(shared->Links.GetCount(), 2);
        EXPECT_LT(shared->Y, start->Y); // north up, east right
        EXPECT_LT(shared->X, start->X);
        ForEachLink(im.Net, [](TLink* h) {
            for (const TShapePoint* sp : h->LinkValues->ShapePoints) // from the file, as nodes
                EXPECT_EQ(std::tie(sp->Longitude, sp->Latitude), std::make_tuple(-1220500000, 370500000));
        });
    }
    // The origin (Y translation, X translation) maps to (0, 0), at 69.05
    // miles per degree and the Y scale.
    TShpBuilder two;
    two.Type = ShpPoint;
    two.Add(PointContent(ShpPoint, -122, 37));
    two.Add(PointContent(ShpPoint, -122, 38));
    TImport tm;
    tm.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator};
    tm.Run(two.Bytes());
    TProjection p;
    ASSERT_TRUE(p.SetupTransverseMercator(69.05, -100000, -37, 122) && p.Project(-122, 38));
    EXPECT_EQ(SpotOf(FindNodeByName(tm.Net, "N1", nullptr)), TSpot(0, 0, 0));
    EXPECT_EQ(SpotOf(FindNodeByName(tm.Net, "N2", nullptr)), TSpot(0, int32_t(pround(p.Y)), 0));
    // Linear: long/lat stay 0, and ends join at the same world position on
    // their layer instead: the lines meet at one node, a network in
    // projected coordinates comes in connected.
    TImport linear;
    linear.Settings = {100000, -100000, 122, -37, 100, 69.05, ShapeLinear};
    const TShapeImportResult rl = linear.Run(lines.Bytes());
    EXPECT_EQ(std::tie(rl.Links, rl.Nodes), std::make_tuple(2, 3));
    ForEachNode(linear.Net, [&](TNode* n) {
        EXPECT_EQ(n->Longitude, 0);
        EXPECT_EQ(n->Links.GetCount(), n->X == -10000 && n->Y == -10000 ? 2 : 1);
    });
    // Squares sharing an edge share its vertices; the same place on another
    // layer (a point) and every ring's owner are nodes of their own.
    TShpBuilder squares;
    squares.Type = ShpPolygon;
    squares.Add(PartsContent(ShpPolygon, {{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}}));
    squares.Add(PartsContent(ShpPolygon, {{{1, 0}, {1, 1}, {2, 1}, {2, 0}, {1, 0}}}));
    TShpBuilder point;
    point.Add(PointContent(ShpPoint, 1, 1));
    TImport planar;
    planar.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
    EXPECT_EQ(planar.Run(squares.Bytes()).Nodes, 6 + 2);
    EXPECT_EQ(planar.Run(point.Bytes()).Nodes, 1);
    EXPECT_EQ(planar.Run(squares.Bytes()).Nodes, 2); // again: new owners on the same vertices
    const TNode* corner = nullptr;
    ForEachNode(planar.Net, [&](TNode* n) {
        if (n->X == 1000 && n->Y == -1000 && n->Layer == 3) corner = n;
    });
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(planar.Net.PolygonsOf(corner).GetCount(), 4);
    // A second import joins the first at equal long/lat on the same layer.
    EXPECT_EQ(tm.Run(two.Bytes()).Nodes, 0);
}

// A point whose long/lat is unknown (on the equator) joins the node of its
// layer at its world position: of two there, the newer, which stood first in
// the cell's list when the point came.
TEST(ShapeImport, PointWithoutLongLatJoinsTheNewestNodeAtItsPlace)
{
    TShpBuilder b;
    b.Type = ShpPoint;
    b.Add(PointContent(ShpPoint, 10.001, 0.001));
    b.Add(PointContent(ShpPoint, 10.002, 0.002));
    b.Add(PointContent(ShpPoint, 10.0015, 0));
    TImport im;
    im.Settings = {1, -100, -10, 0, 100, 69.05, ShapeTransverseMercator};
    const TShapeImportResult r = im.Run(b.Bytes());
    EXPECT_EQ(r.Nodes, 2);
    std::vector<std::pair<std::string, int32_t>> nodes;
    ForEachNode(im.Net, [&](TNode* n) {
        EXPECT_EQ(std::tie(n->X, n->Y), std::make_tuple(0, 0));
        nodes.emplace_back(n->Name.str(), n->Latitude);
    });
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (std::vector<std::pair<std::string, int32_t>>{{"N1", 10000}, {"N3", 20000}}));
}

TEST(ShapeImport, PolygonsShareVerticesAndOwnersGetLongLat)
{
    // Two squares sharing an edge, the second with a hole; a sliver of two
    // vertices.
    TShpBuilder b;
    b.Type = ShpPolygonZ;
    const std::vector<std::pair<double, double>> west{{-122.2, 37}, {-122.2, 37.1}, {-122.1, 37.1}, {-122.1, 37}, {-122.2, 37}};
    const std::vector<std::pair<double, double>> east{{-122.1, 37}, {-122.1, 37.1}, {-122, 37.1}, {-122, 37}, {-122.1, 37}};
    const std::vector<std::pair<double, double>> hole{{-122.08, 37.02}, {-122.02, 37.02}, {-122.02, 37.08}, {-122.08, 37.02}};
    b.Add(PartsContent(ShpPolygonZ, {west}, {1, 2, 3, 4, 1}));
    b.Add(PartsContent(ShpPolygonZ, {east, hole}, {3, 2, 5, 5, 3, 9, 9, 9, 9}));
    b.Add(PartsContent(ShpPolygonZ, {{{-121.9, 37.0}, {-121.8, 37.05}, {-121.9, 37.0}}}, {1, 1, 1}));
    TImport im;
    im.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator};
    const TShapeImportResult r = im.Run(b.Bytes());
    EXPECT_EQ(std::tie(r.Polygons, r.Nodes), std::make_tuple(4, 4 + 2 + 3 + 2 + 4)); // the shared edge once
    std::map<std::string, std::vector<TNode*>> owners;
    ForEachNode(im.Net, [&](TNode* n) {
        if (!n->OwnPolygon().Empty()) owners[n->Name].push_back(n);
    });
    ASSERT_EQ(owners["N2"].size(), 2u);
    const TNode* w = owners["N1"].at(0);
    EXPECT_EQ(std::tie(w->Layer, w->Elevation), std::make_tuple(uint8_t(4), 10000)); // the first Z
    EXPECT_EQ(w->OwnPolygon().GetCount(), 4);
    EXPECT_EQ(w->OwnPolygon().At(2)->Elevation, 30000);
    EXPECT_EQ(im.Net.PolygonsOf(w->OwnPolygon().At(2)).GetCount(), 2); // shared with N2
    // The owner sits at the centroid, with long/lat fitted from the vertices.
    EXPECT_NEAR(w->X, (w->OwnPolygon().At(0)->X + w->OwnPolygon().At(2)->X) / 2.0, 5);
    EXPECT_NEAR(w->Latitude, 370500000, 20000);
    EXPECT_NEAR(w->Longitude, -1221500000, 20000);
    // The sliver keeps its owner between its two vertices.
    const TNode* s = owners["N3"].at(0);
    EXPECT_EQ(s->X, (s->OwnPolygon().At(0)->X + s->OwnPolygon().At(1)->X) / 2);

    // The owners' fit follows the window's "free-standing nodes only": a
    // linked node of unknown long/lat among the polygons is left alone when
    // it is on, and fitted too when it is off.
    for (const uint8_t onlyFree : {uint8_t(1), uint8_t(0)}) {
        SCOPED_TRACE(int(onlyFree));
        TImport linked;
        linked.Settings = im.Settings;
        linked.Window.LongLat.OnlyFreeNodes = onlyFree;
        THashEntry* cell = nullptr;
        TNode* a = AddNode(linked.Net, 0, 0, cell, true, 0);
        cell->IncludePoint(a);
        TNode* c = AddNode(linked.Net, 3000, 0, cell, true, 0);
        cell->IncludePoint(c);
        TLink *ha = nullptr, *hb = nullptr;
        ASSERT_NE(AddLink(linked.Net, a, c, true, 0, ha, hb), nullptr);
        EXPECT_EQ(linked.Run(b.Bytes()).Polygons, 4);
        EXPECT_EQ(a->Longitude != 0, onlyFree == 0);
        const TNode* owner = FindNodeByName(linked.Net, "N1", nullptr);
        ASSERT_NE(owner, nullptr);
        EXPECT_NEAR(owner->Longitude, -1221500000, 20000);
    }
}

TEST(ShapeImport, SettingsSuggestComputeAndStore)
{
    TShpHeader h;
    h.Xmin = -122.5, h.Xmax = -122.3, h.Ymin = 37.6, h.Ymax = 37.9;
    TShapeImportSettings s;
    ASSERT_TRUE(SuggestShapeSettings(h, s));
    EXPECT_EQ(std::tie(s.XScale, s.YScale, s.XTranslate, s.YTranslate), std::make_tuple(5459.71, -6905.0, 122.4, -37.75));
    // Not long/lat: 32000 over the larger side.
    h.Xmin = 257104.88, h.Xmax = 335497.5, h.Ymin = 5176098.6, h.Ymax = 5226768.1;
    ASSERT_TRUE(SuggestShapeSettings(h, s));
    EXPECT_EQ(std::tie(s.XScale, s.YScale, s.XTranslate, s.YTranslate),
              std::make_tuple(0.41, 0.41, -296301.19, -5201433.35));
    // The degree of latitude north of 45 along the meridian (111.141 km).
    double miles = 0;
    ASSERT_TRUE(ComputeMilesPerDegree(100, -45, miles));
    EXPECT_NEAR(miles * 1.609344, 111.141, 0.001);
    EXPECT_DOUBLE_EQ(ShownMilesPerDegree(miles), 69.06);
    EXPECT_FALSE(ComputeMilesPerDegree(0, -90, miles));
    // OK keeps the method, the Y scale and the translations in the window.
    TWindowSettings w;
    EXPECT_TRUE(StoreShapeSettings({2, -5000, 122, -37, 100, 69.05, 2}, w));
    EXPECT_EQ(std::tie(w.LongLat.PixelsPerDegreeLat, w.LongLat.LongLatMethod, w.LongLat.TranslateX, w.LongLat.TranslateY),
              std::make_tuple(-5000.0, 2, 122.0, -37.0));
    EXPECT_FALSE(StoreShapeSettings({3, -5000, 122, -37, 100, 69.05, 2}, w));
}

TEST(ShapeImport, OnlyRegularFilesAreReadAndToTheirEnd)
{
    // A FIFO (or a device) is no shapefile: refused at once instead of
    // waiting for a writer that never comes.
    const fs::path fifo = TempFolder("fifo") / "pipe.shp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TShpReader reader;
    std::string error;
    auto opened = std::async(std::launch::async, [&] { return reader.Open(fifo.string(), error); });
    TImport viaFifo;
    auto imported = std::async(std::launch::async, [&] { return viaFifo.Run(fifo.string()).ErrorCode; });
    const bool answered = opened.wait_for(std::chrono::seconds(3)) == std::future_status::ready &&
                          imported.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!answered) // let the blocked opens go before failing
        for (int k = 0; k < 2; ++k) std::ofstream(fifo.string()).put('\0');
    ASSERT_TRUE(answered);
    EXPECT_FALSE(opened.get());
    EXPECT_EQ(imported.get(), ShapeErrorFile);
    EXPECT_TRUE(viaFifo.OnlyMessage("Valid update file not found."));
    EXPECT_FALSE(reader.Open("/dev/null", error));

    // A header whose length is shorter than the file, or impossible, still
    // reads every record (as pyshp and GDAL do).
    TShpBuilder three;
    for (int32_t at : {1, 2, 3}) three.Add(PointContent(ShpPoint, at, at));
    for (const int32_t words : {50 + 14, 0, -7, INT32_MIN}) {
        SCOPED_TRACE(words);
        std::vector<uint8_t> bytes = three.Bytes();
        for (int k = 0; k < 4; ++k) bytes[size_t(24 + k)] = uint8_t(uint32_t(words) >> (24 - 8 * k));
        TImport im;
        const TShapeImportResult r = im.Run(bytes);
        EXPECT_EQ(std::tie(r.ErrorCode, r.Records, r.Nodes), std::make_tuple(ShapeErrorNone, 3, 3));
        EXPECT_EQ(ShapeImportStatus(r), "3 records read.");
    }
}

TEST(ShapeImport, RefusedFilesChangeNothing)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    TShpBuilder good;
    good.Add(PointContent(ShpPoint, 1, 2));
    auto refused = [](const TShpBuilder& b, const std::string& message, TShapeImportSettings s = {}) {
        TImport im;
        im.Settings = s;
        EXPECT_NE(im.Run(b.Bytes()).ErrorCode, ShapeErrorNone);
        EXPECT_TRUE(im.OnlyMessage(message)) << message;
        EXPECT_EQ(im.Net.NodeCount, 0);
        EXPECT_FALSE(im.Net.Modified);
    };
    for (auto [code, version, type, message] : {std::tuple{9995, 1000, 1, "Valid update file not found."},
                                                {9994, 1001, 1, "Valid update file not found."},
                                                {9994, 1000, 31, "Shape type 31 not imported."},
                                                {9994, 1000, 0, "Shape type 0 not imported."}}) {
        TShpBuilder b = good;
        b.Code = code, b.Version = version, b.Type = type;
        refused(b, message);
    }
    refused(good, "Error in transform values.", {1, 0, 0, 0, 100, 69.05, ShapeLinear});
    refused(good, "Error in transform values.", {1, -1000, 0, 0, 100, 69.05, ShapeLambertConformal}); // the equator
    const std::vector<uint8_t> whole = good.Bytes();
    TImport missing, folder, cut, patch, dtype;
    missing.Run(std::string("/nonexistent/none.shp"));
    folder.Run(TempFolder("folder.shp").string());
    cut.Run(std::vector<uint8_t>(whole.begin(), whole.begin() + 99));
    for (TImport* im : {&missing, &folder, &cut}) EXPECT_TRUE(im->OnlyMessage("Valid update file not found."));
    patch.Run(SharedShp() + "/pyshp/multipatch.shp");
    EXPECT_TRUE(patch.OnlyMessage("Shape type 31 not imported."));
    dtype.Run(SharedShp() + "/pyshp/dtype.shp");
    EXPECT_TRUE(dtype.OnlyMessage("Shape type 0 not imported."));
}

TEST(ShapeImport, BadRecordsAndPointsAreSkipped)
{
    TShpBuilder b;
    b.Type = ShpPolyLine;
    const std::string line = PartsContent(ShpPolyLine, {{{0, 0}, {1, 1}}});
    std::string cut = line, counts = line, negative = line;
    std::string parts = PartsContent(ShpPolyLine, {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}}});
    cut.resize(42), counts[40] = 9, negative[39] = char(0x80);
    b.Add(line);                         // 1 good
    b.Add(PointContent(ShpPoint, 1, 1)); // 2 another type
    b.Add(NullContent());                // 3 null
    b.Add(cut);                          // 4 too short for its type
    b.Add(counts);                       // 5 more points than it holds
    parts[48] = 5;
    b.Add(parts); // 6 a part start past the points
    parts[44] = 1, parts[48] = 0;
    b.Add(parts);    // 7 part starts running backwards
    b.Add(negative); // 8 a negative part count
    b.Add(PartsContent(ShpPolyLine, {{}, {{5, 5}, {6, 6}}}));                    // 9 an empty part
    b.Add(PartsContent(ShpPolyLine, {{{7, 7}, {NAN, 1}, {INFINITY, 2}, {8, 8}}})); // 10 points not finite
    TImport im;
    im.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
    const TShapeImportResult r = im.Run(b.Bytes());
    EXPECT_EQ(std::tie(r.Records, r.NullRecords, r.BadRecords, r.Links, r.ShapePoints), std::make_tuple(10, 1, 7, 2, 0));
    // The status says what was skipped and why.
    EXPECT_EQ(ShapeImportStatus(r), "10 records read, 8 skipped: 1 null shape, 1 of another shape type, 6 damaged.");
    EXPECT_EQ(FindLinkByName(im.Net, "L10", nullptr), nullptr);
    EXPECT_NE(FindLinkByName(im.Net, "L9-2", nullptr), nullptr);
    EXPECT_TRUE(im.Sink.Calls.empty());

    // A record past the file's end, or of a negative length, ends the
    // reading as a bad one; cut at any byte, a file never reads more than it
    // holds.
    TShpBuilder two;
    two.Type = ShpPolyLine;
    two.Add(line), two.Add(line);
    const std::vector<uint8_t> whole = two.Bytes();
    for (size_t at = 100; at < whole.size(); ++at) {
        TImport c;
        const TShapeImportResult rc = c.Run(std::vector<uint8_t>(whole.begin(), whole.begin() + long(at)));
        EXPECT_EQ(rc.Links + rc.BadRecords, rc.Records);
        EXPECT_LE(rc.BadRecords, 1);
    }
    TShpBuilder neg;
    neg.Add(PointContent(ShpPoint, 1, 1));
    std::fill(neg.Records.begin() + 4, neg.Records.begin() + 8, char(0xFF));
    neg.Add(PointContent(ShpPoint, 2, 2));
    TImport n;
    const TShapeImportResult rn = n.Run(neg.Bytes());
    EXPECT_EQ(std::tie(rn.Records, rn.BadRecords), std::make_tuple(1, 1));

    // Points that a projection cannot place (the pole opposite a northern
    // cone) or whose position overflows are skipped too.
    TShpBuilder far;
    far.Add(PointContent(ShpPoint, -122, -90));
    far.Add(PointContent(ShpPoint, 1e10, 37));
    far.Add(PointContent(ShpPoint, -122, 37));
    for (TShapeImportSettings s : {TShapeImportSettings{1, -100000, 122, -37, 100, 69.05, ShapeLambertConformal},
                                   TShapeImportSettings{1e300, -1, 0, 0, 100, 69.05, ShapeLinear}}) {
        TImport im2;
        im2.Settings = s;
        const bool linear = s.Method == ShapeLinear;
        EXPECT_EQ(im2.Run(far.Bytes()).Nodes, 2);
        EXPECT_EQ(FindNodeByName(im2.Net, "N1", nullptr) != nullptr, linear);
        EXPECT_EQ(FindNodeByName(im2.Net, "N2", nullptr) != nullptr, !linear);
    }

    // Multipoints count their points at 36; Z follows the points.
    TShpBuilder mp;
    mp.Type = ShpMultiPointZ;
    mp.Add(PartsContent(ShpMultiPointZ, {{{1, 1}, {2, 2}, {3, 3}}}, {1.5, 2.5, 3.5}));
    TImport m;
    m.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
    m.Run(mp.Bytes());
    std::multiset<int32_t> z;
    ForEachNode(m.Net, [&](TNode* node) { z.insert(node->Elevation); });
    EXPECT_EQ(z, (std::multiset<int32_t>{15000, 25000, 35000}));
}

// Every point of a polyline or polygon belongs to a part: a record whose
// first part starts after point 0, or that has points and no part, is
// damaged, not read without its first points; an empty first part is fine.
TEST(ShapeImport, PointsInNoPartDamageTheirRecord)
{
    for (int32_t type : {ShpPolyLine, ShpPolyLineZ, ShpPolyLineM, ShpPolygon, ShpPolygonZ, ShpPolygonM}) {
        SCOPED_TRACE(type);
        using TPoints = std::vector<std::pair<double, double>>;
        const TPoints six{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}, {20, 20}};
        const TPoints ring{{30, 30}, {30, 40}, {40, 40}, {40, 30}, {31, 30}};
        auto firstStart = [](std::string c, char start) {
            c[44] = start;
            return c;
        };
        std::string noPart = PartsContent(type, {six});
        noPart[36] = 0;
        noPart.erase(44, 4);
        TShpBuilder good;
        good.Type = type;
        good.Add(PartsContent(type, {{}, ring})); // 1 an empty first part
        TShpBuilder b = good;
        b.Add(firstStart(PartsContent(type, {six}), 3)); // 2 one part from point 3
        b.Add(firstStart(PartsContent(type, {TPoints(six.begin(), six.begin() + 3), ring}), 1)); // 3 two parts
        b.Add(noPart); // 4 points in no part
        TImport alone, im;
        alone.Settings = im.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
        const TShapeImportResult expected = alone.Run(good.Bytes()), r = im.Run(b.Bytes());
        EXPECT_EQ(ShapeImportStatus(expected), "1 record read.");
        EXPECT_EQ(expected.Links + expected.Polygons, 1);
        EXPECT_EQ(ShapeImportStatus(r), "4 records read, 3 skipped: 3 damaged.");
        EXPECT_EQ(std::tie(r.Nodes, r.Links, r.ShapePoints, r.Polygons),
                  std::tie(expected.Nodes, expected.Links, expected.ShapePoints, expected.Polygons));
        EXPECT_EQ(im.Net.NodeHash.PointCount(), alone.Net.NodeHash.PointCount());
        EXPECT_TRUE(im.Sink.Calls.empty());
    }
}

// A point that is no number or infinite damages its record, in every type
// read: none of the record comes in (no link without its vertex, no ring or
// multipoint short of one), and the status counts it with the damaged ones.
TEST(ShapeImport, PointsThatAreNoNumbersDamageTheirRecord)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    using TPoints = std::vector<std::pair<double, double>>;
    for (int32_t type : {ShpPoint, ShpPointZ, ShpPointM, ShpMultiPoint, ShpMultiPointZ, ShpMultiPointM, ShpPolyLine,
                         ShpPolyLineZ, ShpPolyLineM, ShpPolygon, ShpPolygonZ, ShpPolygonM}) {
        auto content = [type](const TPoints& points) {
            if (ShpFamilyOf(type) == TShpFamily::Point) return PointContent(type, points[0].first, points[0].second);
            std::vector<double> zs;
            if (ShpHasZ(type))
                for (size_t i = 0; i < points.size(); ++i) zs.push_back(1.5 * double(i));
            return PartsContent(type, {points}, zs);
        };
        TShpBuilder good;
        good.Type = type;
        good.Add(content({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 1}}));
        TImport alone;
        alone.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
        const TShapeImportResult expected = alone.Run(good.Bytes());
        for (auto [x, y] : {std::pair{nan, 25.0}, {25.0, inf}, {-inf, 25.0}}) {
            SCOPED_TRACE(std::to_string(type) + " " + std::to_string(x) + " " + std::to_string(y));
            TShpBuilder b = good;
            // The point in the middle of a shape, and alone.
            const bool point = ShpFamilyOf(type) == TShpFamily::Point;
            b.Add(content(point ? TPoints{{x, y}} : TPoints{{20, 20}, {20, 30}, {x, y}, {30, 30}, {30, 20}, {20, 21}}));
            b.Add(content({{y, x}}));
            TImport im;
            im.Settings = alone.Settings;
            const TShapeImportResult r = im.Run(b.Bytes());
            EXPECT_EQ(ShapeImportStatus(r), "3 records read, 2 skipped: 2 damaged.");
            EXPECT_EQ(std::tie(r.Nodes, r.Links, r.ShapePoints, r.Polygons),
                      std::tie(expected.Nodes, expected.Links, expected.ShapePoints, expected.Polygons));
            EXPECT_EQ(im.Net.NodeHash.PointCount(), alone.Net.NodeHash.PointCount());
            EXPECT_EQ(FindNodeByName(im.Net, "N2", nullptr), nullptr);
            EXPECT_EQ(FindLinkByName(im.Net, "L2", nullptr), nullptr);
            EXPECT_TRUE(im.Sink.Calls.empty());
        }
    }

    // A point the method cannot place (the pole opposite a northern cone)
    // keeps its whole record out as well, counted apart.
    TShpBuilder lines;
    lines.Type = ShpPolyLine;
    lines.Add(PartsContent(ShpPolyLine, {{{-122, 37.1}, {-122.1, 37.2}}}));
    lines.Add(PartsContent(ShpPolyLine, {{{-122, 37}, {-122, -90}, {-121.9, 37}}}));
    TImport cone;
    cone.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeLambertConformal};
    const TShapeImportResult r = cone.Run(lines.Bytes());
    EXPECT_EQ(std::tie(r.Links, r.Nodes, r.UnplacedRecords), std::make_tuple(1, 2, 1));
    EXPECT_EQ(ShapeImportStatus(r), "2 records read, 1 skipped: 1 with points the method cannot place.");
    EXPECT_EQ(FindLinkByName(cone.Net, "L2", nullptr), nullptr);
}

// A file shorter than the length its header gives is read as far as it
// goes, and the status says where it ends; the driver prints that status.
TEST(ShapeImport, FileShorterThanItsHeaderSays)
{
    TShpBuilder two;
    two.Add(PointContent(ShpPoint, 1, 1)), two.Add(PointContent(ShpPoint, 2, 2));
    const std::vector<uint8_t> whole = two.Bytes();
    ASSERT_EQ(whole.size(), 156u);
    auto status = [&](size_t size, int32_t nodes) {
        TImport im;
        const TShapeImportResult r = im.Run(std::vector<uint8_t>(whole.begin(), whole.begin() + long(size)));
        EXPECT_EQ(std::tie(r.ErrorCode, r.Nodes), std::make_tuple(ShapeErrorNone, nodes)) << size;
        EXPECT_TRUE(im.Sink.Calls.empty());
        return ShapeImportStatus(r);
    };
    EXPECT_EQ(status(156, 2), "2 records read.");
    EXPECT_EQ(status(128, 1), "1 record read. The file ends after 128 bytes; its header gives 156.");
    EXPECT_EQ(status(140, 1),
              "2 records read, 1 skipped: 1 damaged. The file ends after 140 bytes; its header gives 156.");
    EXPECT_EQ(status(100, 0), "0 records read. The file ends after 100 bytes; its header gives 156.");

    const fs::path dir = TempFolder("short");
    std::ofstream(dir / "cut.shp", std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), 128);
    const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path() / "shp-import";
    std::string out;
    ASSERT_TRUE(RunCommand("cd '" + dir.string() + "' && '" + exe.string() + "' - cut.shp cut.dta 2>&1", out));
    EXPECT_EQ(out, "records 1 null 0 bad 0\nstatus 1 record read. The file ends after 128 bytes; its header gives 156.\n"
                   "nodes 1 links 0 shapepoints 0 polygons 0\n");
}

TEST(ShapeImport, StopsAtTheNetworksLimitsKeepingWhatCameIn)
{
    // A cell already full of coincident points: the import stops at the
    // point that cannot be added and says so.
    TImport full;
    full.Settings = {1, 1, 0, 0, 100, 69.05, ShapeLinear};
    RebuildHashTable(full.Net, 16, 16);
    THashEntry* cell = nullptr;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            for (int k = 0; k < 640; ++k) AddNode(full.Net, x, y, cell, false, 0)->Layer = 9; // nothing to join
    ASSERT_EQ(full.Net.NodeHash.MaxCellPointCount(), HashCap);
    TShpBuilder three;
    for (int32_t at : {100, 5, 200}) three.Add(PointContent(ShpPoint, at, at));
    const TShapeImportResult r = full.Run(three.Bytes());
    EXPECT_EQ(std::tie(r.ErrorCode, r.Nodes, r.Records), std::make_tuple(ShapeErrorLimits, 1, 2));
    EXPECT_TRUE(full.OnlyMessage(ShapeLimitsMessage));
    EXPECT_NE(FindNodeByName(full.Net, "N1", nullptr), nullptr);
    EXPECT_TRUE(full.Net.Modified);
}

// The batch steps "Open Network" (with the dialog's OK) and "Single
// Shapefile Import" use the import's values of the run; a file of a type
// that is not imported ends no run.
TEST(ShapeImport, BatchStepsUseTheRunsSettings)
{
    SKIP_WITHOUT_SHARED_SHAPEFILES();
    const fs::path dir = TempFolder("batch");
    TNetwork empty;
    TWindowSettings window;
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(empty, window, (dir / "net.dta").string(), 9, sink).Ok);
    fs::copy_file(SharedShp() + "/pyshp/line.shp", dir / "line.shp");
    fs::copy_file(SharedShp() + "/pyshp/multipatch.shp", dir / "patch.shp");
    TBatchScript script;
    script.Folder = dir.string();
    int row = 0;
    for (auto [code, name] : {std::pair{1, "net.dta"}, {3, "line.shp"}, {7, "out.dta"}, {3, "patch.shp"}, {7, "no.dta"}}) {
        script.StepOperation[size_t(++row)] = code;
        script.StepFileName[size_t(row)] = name;
    }
    TMemoryBatchHost host;
    host.ShapeSettings = {1, -100000, -3, -3.5, 100, 69.05, ShapeTransverseMercator};
    const TBatchRunResult r = RunBatch(script, host, sink);
    // The MultiPatch file is passed over, without a message, and the run goes on.
    EXPECT_EQ(std::tie(r.Ended, r.Row), std::make_tuple(false, 6));
    EXPECT_TRUE(sink.Calls.empty());
    TNetwork out;
    ASSERT_EQ(OpenNetworkFile(out, window, (dir / "out.dta").string(), true, sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(out.LinkCount, 2);
    EXPECT_EQ(std::tie(window.LongLat.LongLatMethod, window.LongLat.TranslateY), std::make_tuple(2, -3.5));
    EXPECT_TRUE(fs::exists(dir / "no.dta"));
    // Values that fail the check end the run at "Open Network".
    host.ShapeSettings.YScale = 0;
    EXPECT_TRUE(RunBatch(script, host, sink).Ended);
    EXPECT_EQ(sink.Last().Text, "Error in transform values.");
}
