// The shapefile import: every real file and pyshp-made files of every type
// against pyshp's reading, joins by long/lat, the settings' Suggest and
// Compute, and damaged or hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <tuple>

#include "core/file/NetworkFile.h"
#include "core/geo/Projections.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/BatchMemoryHost.h"
#include "core/shapes/BatchRun.h"
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
    TShapeImportResult Run(const std::vector<uint8_t>& bytes)
    {
        return ImportShapefileBytes(Net, Window, Settings, bytes, {}, Sink);
    }
    TShapeImportResult Run(const std::string& path) { return ImportShapefile(Net, Window, Settings, path, {}, Sink); }
    bool OnlyMessage(const std::string& text) const
    {
        return Sink.Count() == 1 && Sink.Last().Text == text && Sink.Last().Caption == "Shape File";
    }
};

// A point as the network holds it: position and elevation.
using TSpot = std::tuple<int32_t, int32_t, int32_t>;
TSpot SpotOf(const TNetworkPoint* p) { return {p->X, p->Y, p->Elevation}; }

// What a linear import of the records must give: points by name, the
// point sequence of every link by name, the rings of every owner by name.
struct TExpected {
    int32_t Nodes = 0, Links = 0, ShapePoints = 0, Polygons = 0, Nulls = 0;
    std::vector<std::pair<std::string, TSpot>> Points;
    std::map<std::string, std::vector<TSpot>> Lines;
    std::vector<std::pair<std::string, std::vector<TSpot>>> Rings; // sorted
};

// The first difference of two sorted lists, for a short failure message.
template <class T>
std::string FirstDifference(const std::vector<T>& found, const std::vector<T>& expected)
{
    if (found.size() != expected.size())
        return std::to_string(found.size()) + " found, " + std::to_string(expected.size()) + " expected";
    for (size_t i = 0; i < found.size(); ++i)
        if (!(found[i] == expected[i])) return "entry " + std::to_string(i) + " (" + found[i].first + ") differs";
    return "";
}

TSpot Convert(const TShapeImportSettings& s, const TOraclePoint& p, bool withZ)
{
    auto world = [](double v) { return int32_t(pround(std::clamp(v, -512000.0, 512000.0))); };
    const int32_t z = withZ && p.HasZ && p.Z > -100000 && p.Z < 100000 ? int32_t(pround(p.Z * 10000)) : 0;
    return {world((p.X + s.XTranslate) * s.XScale), world((p.Y + s.YTranslate) * s.YScale), z};
}

TExpected Expect(const std::vector<TOracleRecord>& records, const TShapeImportSettings& s)
{
    TExpected e;
    auto same = [](const TSpot& a, const TSpot& b) { return std::get<0>(a) == std::get<0>(b) && std::get<1>(a) == std::get<1>(b); };
    for (const TOracleRecord& r : records) {
        if (r.Type == 0) {
            ++e.Nulls;
            continue;
        }
        const std::string n = std::to_string(r.Number);
        const bool z = r.Type == 11 || r.Type == 13 || r.Type == 15 || r.Type == 18;
        for (size_t k = 0; k < r.Parts.size(); ++k) {
            std::vector<TSpot> part;
            for (const TOraclePoint& p : r.Parts[k]) part.push_back(Convert(s, p, z));
            switch (r.Type) {
            case 1: case 11: case 21: case 8: case 18: case 28:
                for (const TSpot& p : part) e.Points.push_back({"N" + n, p});
                e.Nodes += int32_t(part.size());
                break;
            case 3: case 13: case 23: {
                if (part.empty()) break;
                ++e.Nodes;
                if (same(part.front(), part.back())) break;
                ++e.Nodes;
                ++e.Links;
                std::vector<TSpot> line{part.front()};
                for (size_t i = 1; i + 1 < part.size(); ++i)
                    if (!same(part[i], line.back()) && !same(part[i], part.back())) line.push_back(part[i]);
                e.ShapePoints += int32_t(line.size()) - 1;
                line.push_back(part.back());
                e.Lines["L" + n + (k ? "-" + std::to_string(k + 1) : "")] = line;
                break;
            }
            default: { // polygons
                if (part.size() < 3) break;
                if (same(part.back(), part.front())) part.pop_back();
                e.Nodes += int32_t(part.size());
                if (part.size() < 2) break;
                ++e.Nodes;
                ++e.Polygons;
                e.Rings.push_back({"N" + n, part});
            }
            }
        }
    }
    std::sort(e.Points.begin(), e.Points.end());
    std::sort(e.Rings.begin(), e.Rings.end());
    return e;
}

TExpected Found(const TNetwork& net)
{
    TExpected f;
    ForEachNode(net, [&](TNode* n) {
        ++f.Nodes;
        if (n->Layer == 1) f.Points.push_back({n->Name, SpotOf(n)});
        if (!n->OwnPolygon.Empty()) {
            ++f.Polygons;
            std::vector<TSpot> ring;
            for (const TNetworkPoint* v : n->OwnPolygon) ring.push_back(SpotOf(v));
            f.Rings.push_back({n->Name, ring});
        }
    });
    ForEachLink(net, [&](TLink* h) {
        ++f.Links;
        const TLinkValues* l = h->LinkValues;
        std::vector<TSpot> line{SpotOf(l->ANode)};
        for (const TShapePoint* sp : l->ShapePoints) line.push_back(SpotOf(sp));
        line.push_back(SpotOf(l->BNode));
        f.ShapePoints += l->ShapePoints.GetCount();
        f.Lines[l->Name] = line;
    });
    std::sort(f.Points.begin(), f.Points.end());
    std::sort(f.Rings.begin(), f.Rings.end());
    return f;
}

// A linear mapping that spreads the file's points over most of the world.
TShapeImportSettings Spread(const std::vector<TOracleRecord>& records, int32_t method = ShapeLinear)
{
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const auto& r : records)
        for (const auto& part : r.Parts)
            for (const auto& p : part) {
                x0 = std::min(x0, p.X), x1 = std::max(x1, p.X), y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
            }
    const double w = std::max(x1 - x0, y1 - y0);
    TShapeImportSettings s;
    s.Method = method;
    s.XScale = w > 0 ? 400000 / w : 1;
    s.YScale = -s.XScale;
    s.XTranslate = x0 <= x1 ? -(x0 + x1) / 2 : 0;
    s.YTranslate = y0 <= y1 ? -(y0 + y1) / 2 : 0;
    return s;
}

// Imports a file linearly and compares everything with pyshp's reading;
// then, for a file in long/lat, projected. Returns the share of polygon
// owners that got a long/lat.
double CompareWithOracle(const std::string& path)
{
    SCOPED_TRACE(path);
    const auto records = OracleDump(path);
    if (records.empty()) {
        ADD_FAILURE() << "pyshp read nothing";
        return 0;
    }
    TImport im;
    im.Settings = Spread(records);
    const TShapeImportResult r = im.Run(path);
    EXPECT_EQ(r.ErrorCode, ShapeErrorNone);
    const TExpected e = Expect(records, im.Settings), f = Found(im.Net);
    EXPECT_EQ(r.Records - r.BadRecords, int32_t(records.size()));
    EXPECT_EQ(r.NullRecords, e.Nulls);
    EXPECT_EQ(f.Nodes, e.Nodes);
    EXPECT_EQ(r.Nodes, e.Nodes);
    EXPECT_EQ(f.Links, e.Links);
    EXPECT_EQ(f.ShapePoints, e.ShapePoints);
    EXPECT_EQ(f.Polygons, e.Polygons);
    EXPECT_EQ(FirstDifference(f.Points, e.Points), "");
    EXPECT_EQ(FirstDifference(std::vector(f.Lines.begin(), f.Lines.end()), std::vector(e.Lines.begin(), e.Lines.end())),
              "");
    EXPECT_EQ(FirstDifference(f.Rings, e.Rings), "");
    EXPECT_TRUE(im.Sink.Calls.empty());
    EXPECT_TRUE(im.Net.Modified);

    // In long/lat, a projection keeps every point's long/lat as the file
    // has it; owners get theirs from the points around them.
    std::set<std::pair<int32_t, int32_t>> file;
    int32_t lon0 = INT32_MAX, lon1 = INT32_MIN, lat0 = INT32_MAX, lat1 = INT32_MIN;
    bool degrees = true;
    for (const auto& rec : records)
        for (const auto& part : rec.Parts)
            for (const auto& p : part) {
                degrees = degrees && std::fabs(p.X) <= 180 && std::fabs(p.Y) <= 90;
                if (!degrees) continue;
                const int32_t lon = int32_t(pround(p.X * 1e7)), lat = int32_t(pround(p.Y * 1e7));
                file.insert({lon, lat});
                lon0 = std::min(lon0, lon), lon1 = std::max(lon1, lon), lat0 = std::min(lat0, lat), lat1 = std::max(lat1, lat);
            }
    if (!degrees) return 0;
    TImport tm;
    tm.Settings = Spread(records, ShapeTransverseMercator);
    tm.Settings.XScale = 1;
    tm.Settings.YScale = -100000;
    EXPECT_EQ(tm.Run(path).ErrorCode, ShapeErrorNone);
    std::set<std::pair<int32_t, int32_t>> found;
    int32_t owners = 0, fitted = 0;
    for (THashEntry* cell : tm.Net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (n && !n->OwnPolygon.Empty()) {
                ++owners;
                if (n->Longitude == 0) continue;
                ++fitted;
                EXPECT_TRUE(n->Longitude >= lon0 && n->Longitude <= lon1 && n->Latitude >= lat0 && n->Latitude <= lat1);
                continue;
            }
            found.insert({p->Longitude, p->Latitude});
        }
    EXPECT_TRUE(std::includes(file.begin(), file.end(), found.begin(), found.end()));
    if (ShpFamilyOf(r.ShapeType) != TShpFamily::PolyLine) {
        EXPECT_EQ(found, file);
    }
    return owners ? double(fitted) / owners : 0;
}

} // namespace

TEST(ShapeImport, RealFilesMatchPyshp)
{
    if (!HaveOracle()) GTEST_SKIP() << "pyshp, shapely or ogrinfo is not installed";
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(SharedShp())) {
        const std::string p = entry.path().string();
        if (entry.path().extension() != ".shp" || p.find("multipatch") != std::string::npos ||
            p.find("dtype") != std::string::npos)
            continue;
        const double fitted = CompareWithOracle(p);
        // Small polygons: nearly every owner has vertices near enough to fit.
        if (p.find("blockgroups") != std::string::npos) {
            EXPECT_GT(fitted, 0.9);
        }
        ++files;
    }
    EXPECT_GE(files, 20);

    // Header lengths that disagree with the file: a record past the header's
    // length that fits in the file is read; trailing bytes too short for a
    // record count as one bad record.
    TImport polyZ, tooLong;
    EXPECT_EQ(polyZ.Run(SharedShp() + "/pyshp/MyPolyZ.shp").Polygons, 1);
    const TShapeImportResult r = tooLong.Run(SharedShp() + "/pyshp/corrupt_too_long.shp");
    EXPECT_EQ(r.Records, 11);
    EXPECT_EQ(r.BadRecords, 1);
}

TEST(ShapeImport, EveryTypeMatchesPyshp)
{
    if (!HaveOracle()) GTEST_SKIP() << "pyshp, shapely or ogrinfo is not installed";
    const fs::path dir = TempFolder("made");
    Oracle("make '" + dir.string() + "'");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".shp") {
            CompareWithOracle(entry.path().string());
            ++files;
        }
    EXPECT_EQ(files, 12);

    // Elevations: 12.5 is stored times 10000, 100000 leaves it unset; a
    // repeated interior point and points at an end give no shape point.
    TImport z;
    z.Run((dir / "pointsz.shp").string());
    std::vector<int32_t> elevations;
    ForEachNode(z.Net, [&](TNode* n) { elevations.push_back(n->Elevation); });
    std::sort(elevations.begin(), elevations.end());
    EXPECT_EQ(elevations, (std::vector<int32_t>{-37500, 0, 125000}));
    TImport lines;
    lines.Settings = Spread(OracleDump((dir / "lines.shp").string()));
    lines.Run((dir / "lines.shp").string());
    EXPECT_EQ(lines.Net.LinkCount, 3); // L1, L1-2 and L3
}

TEST(ShapeImport, ProjectedMethodsKeepLongLatAndJoin)
{
    // Two lines meeting at one end, and a repeated point between them.
    TShpBuilder lines;
    lines.Type = ShpPolyLine;
    lines.Add(PartsContent(ShpPolyLine, {{{-122.0, 37.0}, {-122.05, 37.05}, {-122.1, 37.1}}}));
    lines.Add(PartsContent(ShpPolyLine, {{{-122.1, 37.1}, {-122.2, 37.1}}, {{-122.2, 37.1}, {-122.2, 37.1}}}));
    for (int32_t method : {ShapeEquidistant, ShapeTransverseMercator, ShapeLambertConformal}) {
        SCOPED_TRACE(method);
        TImport im;
        im.Settings = {1, -100000, 122, -37, 100, 69.05, method};
        const TShapeImportResult r = im.Run(lines.Bytes());
        ASSERT_EQ(r.ErrorCode, ShapeErrorNone);
        // The shared end is one node; the second part's ends coincide: one
        // node, no link.
        EXPECT_EQ(r.Links, 2);
        EXPECT_EQ(r.Nodes, 3);
        TNode* shared = nullptr;
        ForEachNode(im.Net, [&](TNode* n) {
            if (n->Longitude == -1221000000 && n->Latitude == 371000000) shared = n;
        });
        ASSERT_NE(shared, nullptr);
        EXPECT_EQ(shared->Links.GetCount(), 2);
        ForEachLink(im.Net, [&](TLink* h) {
            for (const TShapePoint* sp : h->LinkValues->ShapePoints) {
                EXPECT_EQ(sp->Longitude, -1220500000); // from the file, as nodes
                EXPECT_EQ(sp->Latitude, 370500000);
            }
        });
        // North is up, east is right.
        const TNode* start = FindNodeByName(im.Net, "", nullptr);
        ForEachNode(im.Net, [&](TNode* n) {
            if (n->Longitude == -1220000000) start = n;
        });
        EXPECT_LT(shared->Y, start->Y);
        EXPECT_LT(shared->X, start->X);
    }
    // The projected positions: the central point maps to the origin.
    TShpBuilder one;
    one.Type = ShpPoint;
    one.Add(PointContent(ShpPoint, -122, 37));
    one.Add(PointContent(ShpPoint, -122, 38));
    TImport tm;
    tm.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator};
    tm.Run(one.Bytes());
    std::vector<TSpot> spots;
    ForEachNode(tm.Net, [&](TNode* n) { spots.push_back(SpotOf(n)); });
    std::sort(spots.begin(), spots.end());
    TProjection p;
    ASSERT_TRUE(p.SetupTransverseMercator(69.05, -100000, -37, 122));
    ASSERT_TRUE(p.Project(-122, 38));
    EXPECT_EQ(spots, (std::vector<TSpot>{{0, int32_t(pround(p.Y)), 0}, {0, 0, 0}}));

    // Linear: long/lat stay 0 and nothing joins, also at a shared end.
    TImport linear;
    linear.Settings = {100000, -100000, 122, -37, 100, 69.05, ShapeLinear};
    const TShapeImportResult r = linear.Run(lines.Bytes());
    EXPECT_EQ(r.Nodes, 5);
    ForEachNode(linear.Net, [&](TNode* n) { EXPECT_EQ(n->Longitude, 0); });
}

TEST(ShapeImport, PolygonsShareVerticesAndOwnersGetLongLat)
{
    // Two squares sharing an edge, the second with a hole, and a sliver of
    // two vertices.
    TShpBuilder b;
    b.Type = ShpPolygonZ;
    const std::vector<std::pair<double, double>> west{{-122.2, 37.0}, {-122.2, 37.1}, {-122.1, 37.1}, {-122.1, 37.0},
                                                      {-122.2, 37.0}};
    const std::vector<std::pair<double, double>> east{{-122.1, 37.0}, {-122.1, 37.1}, {-122.0, 37.1}, {-122.0, 37.0},
                                                      {-122.1, 37.0}};
    const std::vector<std::pair<double, double>> hole{{-122.08, 37.02}, {-122.02, 37.02}, {-122.02, 37.08},
                                                      {-122.08, 37.08}, {-122.08, 37.02}};
    b.Add(PartsContent(ShpPolygonZ, {west}, {1, 2, 3, 4, 1}));
    b.Add(PartsContent(ShpPolygonZ, {east, hole}, {3, 2, 5, 5, 3, 9, 9, 9, 9, 9}));
    b.Add(PartsContent(ShpPolygonZ, {{{-121.9, 37.0}, {-121.8, 37.05}, {-121.9, 37.0}}}, {1, 1, 1}));
    TImport im;
    im.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator};
    const TShapeImportResult r = im.Run(b.Bytes());
    ASSERT_EQ(r.ErrorCode, ShapeErrorNone);
    EXPECT_EQ(r.Polygons, 4);
    EXPECT_EQ(r.Nodes, 6 + 4 + 2 + 4); // shared edge's two vertices once
    std::map<std::string, std::vector<TNode*>> owners;
    ForEachNode(im.Net, [&](TNode* n) {
        if (!n->OwnPolygon.Empty()) owners[n->Name].push_back(n);
    });
    ASSERT_EQ(owners["N1"].size(), 1u);
    ASSERT_EQ(owners["N2"].size(), 2u);
    const TNode* w = owners["N1"][0];
    EXPECT_EQ(w->Layer, 4);
    EXPECT_EQ(w->OwnPolygon.GetCount(), 4);
    EXPECT_EQ(w->OwnPolygon.At(2)->Elevation, 30000);
    EXPECT_EQ(w->OwnPolygon.At(2)->Polygons.GetCount(), 2); // shared with N2
    // The owner sits at the centroid, with long/lat fitted from the vertices.
    EXPECT_NEAR(w->X, (w->OwnPolygon.At(0)->X + w->OwnPolygon.At(2)->X) / 2.0, 5);
    EXPECT_NEAR(w->Latitude, 370500000, 20000);
    EXPECT_NEAR(w->Longitude, -1221500000, 20000);
    EXPECT_EQ(w->Elevation, 10000); // the first Z
    // The sliver keeps its owner between its two vertices.
    const TNode* s = owners["N3"][0];
    EXPECT_EQ(s->OwnPolygon.GetCount(), 2);
    EXPECT_EQ(s->X, (s->OwnPolygon.At(0)->X + s->OwnPolygon.At(1)->X) / 2);
}

TEST(ShapeImport, SettingsSuggestAndCompute)
{
    TShpHeader h;
    h.Xmin = -122.5, h.Xmax = -122.3, h.Ymin = 37.6, h.Ymax = 37.9;
    TShapeImportSettings s;
    s.PixelsPerMile = 100;
    s.MilesPerDegree = 69.05;
    ASSERT_TRUE(SuggestShapeSettings(h, s));
    EXPECT_EQ(s.YScale, -6905);
    EXPECT_EQ(s.XScale, 5459.71);
    EXPECT_EQ(s.XTranslate, 122.4);
    EXPECT_EQ(s.YTranslate, -37.75);
    // Projected coordinates: 32000 over the larger side.
    h.Xmin = 257104.88, h.Xmax = 335497.5, h.Ymin = 5176098.6, h.Ymax = 5226768.1;
    ASSERT_TRUE(SuggestShapeSettings(h, s));
    EXPECT_EQ(s.XScale, 0.41);
    EXPECT_EQ(s.YScale, 0.41);
    EXPECT_EQ(s.XTranslate, -296301.19);
    EXPECT_EQ(s.YTranslate, -5201433.35);

    // The degree of latitude north of 45, along the meridian (111.141 km).
    double miles = 0;
    ASSERT_TRUE(ComputeMilesPerDegree(100, -45, miles));
    EXPECT_NEAR(miles * 1.609344, 111.141, 0.001);
    EXPECT_DOUBLE_EQ(ShownMilesPerDegree(miles), 69.06);
    EXPECT_FALSE(ComputeMilesPerDegree(0, -90, miles));

    // OK keeps the method, the Y scale and the translations in the window.
    TWindowSettings w;
    EXPECT_TRUE(StoreShapeSettings({2, -5000, 122, -37, 100, 69.05, 2}, w));
    EXPECT_EQ(w.LongLat.PixelsPerDegreeLat, -5000);
    EXPECT_EQ(w.LongLat.LongLatMethod, 2);
    EXPECT_EQ(w.LongLat.TranslateX, 122);
    EXPECT_FALSE(StoreShapeSettings({3, -5000, 122, -37, 100, 69.05, 2}, w));
}

TEST(ShapeImport, RefusedFilesChangeNothing)
{
    TShpBuilder good;
    good.Add(PointContent(ShpPoint, 1, 2));
    auto refused = [](TShpBuilder b, const std::string& message, TShapeImportSettings s = {}) {
        TImport im;
        im.Settings = s;
        const TShapeImportResult r = im.Run(b.Bytes());
        EXPECT_NE(r.ErrorCode, ShapeErrorNone);
        EXPECT_TRUE(im.OnlyMessage(message)) << (im.Sink.Count() ? im.Sink.Last().Text : "");
        EXPECT_EQ(im.Net.NodeCount, 0);
        EXPECT_FALSE(im.Net.Modified);
    };
    TShpBuilder b = good;
    b.Code = 9995;
    refused(b, "Valid update file not found.");
    b = good;
    b.Version = 1001;
    refused(b, "Valid update file not found.");
    b = good;
    b.Type = 31;
    refused(b, "Shape type 31 not imported.");
    b.Type = 0;
    refused(b, "Shape type 0 not imported.");
    TShapeImportSettings zero;
    zero.YScale = 0;
    refused(good, "Error in transform values.", zero);
    TShapeImportSettings equator{1, -1000, 0, 0, 100, 69.05, ShapeLambertConformal};
    refused(good, "Error in transform values.", equator);
    TImport missing;
    missing.Run(std::string("/nonexistent/none.shp"));
    EXPECT_TRUE(missing.OnlyMessage("Valid update file not found."));
    TImport folder;
    folder.Run(TempFolder("folder.shp").string());
    EXPECT_TRUE(folder.OnlyMessage("Valid update file not found."));
    TImport shortFile;
    const std::vector<uint8_t> whole = good.Bytes();
    shortFile.Run(std::vector<uint8_t>(whole.begin(), whole.begin() + 99));
    EXPECT_TRUE(shortFile.OnlyMessage("Valid update file not found."));
    // Real files of refused types.
    TImport patch, dtype;
    patch.Run(SharedShp() + "/pyshp/multipatch.shp");
    EXPECT_TRUE(patch.OnlyMessage("Shape type 31 not imported."));
    dtype.Run(SharedShp() + "/pyshp/dtype.shp");
    EXPECT_TRUE(dtype.OnlyMessage("Shape type 0 not imported."));
}

TEST(ShapeImport, BadRecordsAreSkippedAndCounted)
{
    TShpBuilder b;
    b.Type = ShpPolyLine;
    auto line = [] { return PartsContent(ShpPolyLine, {{{0, 0}, {1, 1}}}); };
    b.Add(line());                       // 1 good
    b.Add(PointContent(ShpPoint, 1, 1)); // 2 another type
    b.Add(NullContent());                // 3 null
    std::string cut = line();
    cut.resize(42);
    b.Add(cut); // 4 too short for its type
    std::string counts = line();
    counts[40] = 9;
    b.Add(counts); // 5 more points than it holds
    std::string parts = PartsContent(ShpPolyLine, {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}}});
    parts[48] = 5;
    b.Add(parts); // 6 a part start past the points
    parts[44] = 1, parts[48] = 0;
    b.Add(parts); // 7 part starts running backwards
    std::string negative = line();
    negative[39] = char(0x80);
    b.Add(negative); // 8 a negative part count
    b.Add(PartsContent(ShpPolyLine, {{}, {{5, 5}, {6, 6}}}));                    // 9 an empty part
    b.Add(PartsContent(ShpPolyLine, {{{7, 7}, {NAN, 1}, {INFINITY, 2}, {8, 8}}})); // 10 points not finite
    TImport im;
    im.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
    const TShapeImportResult r = im.Run(b.Bytes());
    EXPECT_EQ(r.Records, 10);
    EXPECT_EQ(r.NullRecords, 1);
    EXPECT_EQ(r.BadRecords, 6);
    EXPECT_EQ(r.Links, 3);
    EXPECT_EQ(r.ShapePoints, 0);
    EXPECT_NE(FindLinkByName(im.Net, "L9-2", nullptr), nullptr);
    EXPECT_TRUE(im.Sink.Calls.empty());

    // A record running past the file's end ends the reading as a bad one;
    // so does a negative length. Cut at every byte, a file never reads more
    // than it holds.
    TShpBuilder two;
    two.Type = ShpPolyLine;
    two.Add(line());
    two.Add(line());
    const std::vector<uint8_t> whole = two.Bytes();
    for (size_t cut = 100; cut < whole.size(); ++cut) {
        TImport c;
        const TShapeImportResult rc = c.Run(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
        EXPECT_EQ(rc.Links + rc.BadRecords, rc.Records);
        EXPECT_LE(rc.BadRecords, 1);
    }
    TShpBuilder neg;
    neg.Type = ShpPoint;
    neg.Add(PointContent(ShpPoint, 1, 1));
    neg.Records[7] = char(0xFF), neg.Records[6] = char(0xFF), neg.Records[5] = char(0xFF), neg.Records[4] = char(0xFF);
    neg.Add(PointContent(ShpPoint, 2, 2));
    TImport n;
    const TShapeImportResult rn = n.Run(neg.Bytes());
    EXPECT_EQ(rn.Records, 1);
    EXPECT_EQ(rn.BadRecords, 1);

    // A point the projection cannot place (the pole opposite a northern
    // cone) is skipped like one that is not a number.
    TShpBuilder pole;
    pole.Type = ShpPoint;
    pole.Add(PointContent(ShpPoint, -122, -90));
    pole.Add(PointContent(ShpPoint, -122, 37));
    TImport lambert;
    lambert.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeLambertConformal};
    EXPECT_EQ(lambert.Run(pole.Bytes()).Nodes, 1);
    EXPECT_EQ(FindNodeByName(lambert.Net, "N1", nullptr), nullptr);
    TImport huge; // so is one whose position overflows
    huge.Settings = {1e300, -1e300, 0, 0, 100, 69.05, ShapeLinear};
    pole.Records.clear(), pole.Count = 0;
    pole.Add(PointContent(ShpPoint, 1e10, 0));
    pole.Add(PointContent(ShpPoint, 0, 0));
    EXPECT_EQ(huge.Run(pole.Bytes()).Nodes, 1);
    EXPECT_EQ(huge.Net.NodeHash.PointCount(), 1);
    EXPECT_TRUE(huge.Sink.Calls.empty());

    // Multipoints count their points at 36; Z follows the points.
    TShpBuilder mp;
    mp.Type = ShpMultiPointZ;
    mp.Add(PartsContent(ShpMultiPointZ, {{{1, 1}, {2, 2}, {3, 3}}}, {1.5, 2.5, 3.5}));
    TImport m;
    m.Settings = {1000, -1000, 0, 0, 100, 69.05, ShapeLinear};
    EXPECT_EQ(m.Run(mp.Bytes()).Nodes, 3);
    std::vector<int32_t> z;
    ForEachNode(m.Net, [&](TNode* node) { z.push_back(node->Elevation); });
    std::sort(z.begin(), z.end());
    EXPECT_EQ(z, (std::vector<int32_t>{15000, 25000, 35000}));
}

TEST(ShapeImport, ImportsIntoAnExistingNetworkAndStopsAtItsLimits)
{
    // A second import joins the first at equal long/lat on the same layer.
    TShpBuilder pts;
    pts.Type = ShpPoint;
    pts.Add(PointContent(ShpPoint, -122, 37));
    pts.Add(PointContent(ShpPoint, -122, 37));
    TImport im;
    im.Settings = {1, -100000, 122, -37, 100, 69.05, ShapeTransverseMercator};
    EXPECT_EQ(im.Run(pts.Bytes()).Nodes, 1);
    EXPECT_EQ(im.Run(pts.Bytes()).Nodes, 0);
    EXPECT_EQ(FindNodeByName(im.Net, "N2", nullptr)->Longitude, -1220000000);

    // A cell already full of coincident points: the import stops at the
    // point that cannot be added, keeps what came in and says so.
    TImport full;
    full.Settings = {1, 1, 0, 0, 100, 69.05, ShapeLinear};
    RebuildHashTable(full.Net, 16, 16);
    THashEntry* cell = nullptr;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            for (int k = 0; k < 640; ++k) AddNode(full.Net, x, y, cell, false, 0);
    ASSERT_EQ(full.Net.NodeHash.MaxCellPointCount(), 163840);
    TShpBuilder three;
    three.Type = ShpPoint;
    three.Add(PointContent(ShpPoint, 100, 100));
    three.Add(PointContent(ShpPoint, 5, 5));
    three.Add(PointContent(ShpPoint, 200, 200));
    const TShapeImportResult r = full.Run(three.Bytes());
    EXPECT_EQ(r.ErrorCode, ShapeErrorLimits);
    EXPECT_EQ(r.Nodes, 1);
    EXPECT_EQ(r.Records, 2);
    EXPECT_TRUE(full.OnlyMessage(ShapeLimitsMessage));
    EXPECT_NE(FindNodeByName(full.Net, "N1", nullptr), nullptr);
    EXPECT_TRUE(full.Net.Modified);
}

// The batch steps "Open Network" (with the dialog's OK) and "Single
// Shapefile Import" use the import's values of the run.
TEST(ShapeImport, BatchStepsUseTheRunsSettings)
{
    const fs::path dir = TempFolder("batch");
    TNetwork empty;
    TWindowSettings window;
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(empty, window, (dir / "net.dta").string(), 9, sink).Ok);
    fs::copy_file(SharedShp() + "/pyshp/line.shp", dir / "line.shp");
    fs::copy_file(SharedShp() + "/pyshp/multipatch.shp", dir / "patch.shp");
    TBatchScript script;
    const std::pair<int, const char*> rows[] = {{1, "net.dta"}, {3, "line.shp"}, {7, "out.dta"}, {3, "patch.shp"},
                                                {7, "never.dta"}};
    for (int row = 1; const auto& [code, name] : rows) {
        script.StepOperation[size_t(row)] = code;
        script.StepFileName[size_t(row++)] = name;
    }
    script.Folder = dir.string();
    TMemoryBatchHost host;
    host.ShapeSettings = {1, -100000, -3, -3.5, 100, 69.05, ShapeTransverseMercator};
    const TBatchRunResult r = RunBatch(script, host, sink);
    EXPECT_TRUE(r.Ended); // at the MultiPatch file
    EXPECT_EQ(r.Row, 4);
    ASSERT_EQ(sink.Count(), 1u);
    EXPECT_EQ(sink.Last().Text, "Shape type 31 not imported.");
    TNetwork out;
    ASSERT_EQ(OpenNetworkFile(out, window, (dir / "out.dta").string(), true, sink).Status, TOpenStatus::Ok);
    EXPECT_EQ(out.LinkCount, 2);
    EXPECT_EQ(window.LongLat.LongLatMethod, ShapeTransverseMercator);
    EXPECT_EQ(window.LongLat.TranslateY, -3.5);
    EXPECT_FALSE(fs::exists(dir / "never.dta"));

    // Values that fail the check end the run at "Open Network".
    host.ShapeSettings.YScale = 0;
    sink.Clear();
    EXPECT_TRUE(RunBatch(script, host, sink).Ended);
    EXPECT_EQ(sink.Last().Text, "Error in transform values.");
}
