// The TIGER/Line import: layers and codes, shared, looped and redundant
// chains, projections, rings (checked against shapely), a second import
// joining the first, and failures that keep what was read.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/TigerImport.h"
#include "tiger_fixture.h"

using namespace tigertest;

namespace {

TTigerSetBytes Bytes(const TSetSpec& set, const std::string& eol = "\r\n")
{
    return {{true, true, Rt1Text(set, eol)},
            {true, true, Rt2Text(set, eol)},
            {true, true, RtpText(set, eol)},
            {true, true, RtiText(set, eol)}};
}

struct TImport {
    TNetwork Net;
    TWindowSettings Window;
    TTigerSettings Settings{-100000, 0, 0, 0}; // north up
    TMessageSinkRecorder Sink;
    TTigerResult Run(const TTigerSetBytes& files) { return ImportTigerBytes(Net, Window, Settings, files, {}, Sink); }
    TTigerResult Run(const TSetSpec& set) { return Run(Bytes(set)); }
    bool Only52() const
    {
        return Sink.Count() == 1 && Sink.Last().Text == "Valid update file not found." &&
               Sink.Last().Caption == "Tiger 2000";
    }
};

std::vector<TNode*> NodesAt(const TNetwork& net, TPoint at)
{
    std::vector<TNode*> found;
    ForEachNode(net, [&](TNode* n) {
        if (n->Longitude == at.Lon * 10 && n->Latitude == at.Lat * 10) found.push_back(n);
    });
    return found;
}

std::vector<int> LayersAt(const TNetwork& net, TPoint at)
{
    std::vector<int> layers;
    for (const TNode* n : NodesAt(net, at)) layers.push_back(n->Layer);
    std::sort(layers.begin(), layers.end());
    return layers;
}

std::vector<TLinkValues*> LinksWithId(const TNetwork& net, int64_t id)
{
    std::vector<TLinkValues*> found;
    ForEachLink(net, [&](TLink* h) {
        if (h->LinkValues->SourceId == id) found.push_back(h->LinkValues);
    });
    return found;
}

const TChainSpec& Named(const TSetSpec& set, const std::string& name)
{
    return *std::find_if(set.Chains.begin(), set.Chains.end(), [&](const TChainSpec& c) { return c.Name == name; });
}

void Define(TEntityClass& classes, const char* kinds)
{
    TClassRecord& rec = classes[1];
    rec.Name = "Class";
    for (const char* k = kinds; *k; ++k) {
        rec.Attributes[size_t(++rec.AttributeCount)] = std::make_unique<TAttrib>();
        rec.Attributes[size_t(rec.AttributeCount)]->Kind = *k;
    }
    NumberStringAttributes(classes);
}

} // namespace

TEST(TigerImport, LayersCodesNamesAndOwners)
{
    TImport im;
    Define(*im.Net.LinkClasses, "SI"); // the I attribute takes the CFCC code
    Define(*im.Net.NodeClasses, "CRI");
    im.Net.TemplateLinkValues.EntityType = 1;
    im.Net.TemplateNode.EntityType = 1;
    const TSetSpec set = GridCounty(2, 2, 3);
    const TTigerResult r = im.Run(set);
    ASSERT_EQ(r.ErrorCode, TigerErrorNone);
    EXPECT_TRUE(im.Sink.Calls.empty());
    EXPECT_TRUE(im.Net.Modified);
    EXPECT_EQ(im.Window.Layers.LayerNames[1], "Roads");
    EXPECT_EQ(im.Window.Layers.LayerNames[10], "GT-polygon owner nodes");
    for (const auto& [name, code] : std::map<std::string, double>{
             {"Street 0", 141}, {"Street 2", 141}, {"", 610}, {"Rail", 211}, {"Lake", 811}}) {
        const std::vector<TLinkValues*> links = LinksWithId(im.Net, Named(set, name).TLID);
        ASSERT_EQ(links.size(), 1u) << name;
        EXPECT_EQ(links[0]->Name, name);
        EXPECT_EQ(SlotOf(*links[0], 2)->Real(), code) << name;
        EXPECT_EQ(links[0]->ShapePoints.GetCount(), int32_t(Named(set, name).Points.size()) - 2);
    }
    // Owners on layer 10 with their keys; the class's number attributes take
    // columns 75-80 and 41-46 (here the tail of the latitude) in that order.
    const TPolygonSpec& first = set.Polygons[0];
    const TNode* owner = NodesAt(im.Net, first.At).at(0);
    EXPECT_EQ(owner->Layer, 10);
    EXPECT_EQ(owner->SourceKey(), first.PolyId);
    EXPECT_EQ(owner->SourceCode(), "A0001");
    EXPECT_EQ(SlotOf(*owner, 2)->Real(), 0);
    EXPECT_EQ(SlotOf(*owner, 3)->Real(), double(first.At.Lat % 10000));
    EXPECT_EQ(r.Polygons, int32_t(set.Polygons.size()));
}

TEST(TigerImport, SharedLoopedRedundantAndHiddenChains)
{
    TImport im;
    im.Window.Layers.LayerStates[2] = 0; // railroads hidden: not read
    const TSetSpec set = GridCounty(2, 2, 3);
    ASSERT_EQ(im.Run(set).ErrorCode, TigerErrorNone);
    // Chains meeting on one layer share the node; other layers have their own.
    EXPECT_EQ(NodesAt(im.Net, {-122498000, 37502000}).at(0)->Links.GetCount(), 4);
    const TChainSpec& rail = Named(set, "Rail");
    EXPECT_TRUE(LinksWithId(im.Net, rail.TLID).empty());
    EXPECT_EQ(LayersAt(im.Net, rail.Points.front()), (std::vector<int>{1, 6, 9})); // road, boundary, bypass end
    EXPECT_TRUE(NodesAt(im.Net, rail.Points.back()).empty());
    // A chain from a point to itself: a second node there on layer 9.
    const TLinkValues* loop = LinksWithId(im.Net, Named(set, "Lake").TLID).at(0);
    EXPECT_EQ(loop->ANode->Layer, 8);
    EXPECT_EQ(loop->BNode->Layer, 9);
    EXPECT_EQ(loop->ANode->X, loop->BNode->X);
    // A second chain between two joined nodes gets a pair of its own on layer 9.
    const TChainSpec& bent = Named(set, "Bypass");
    const TLinkValues* bypass = LinksWithId(im.Net, bent.TLID).at(0);
    EXPECT_EQ(bypass->ANode->Layer, 9);
    EXPECT_EQ(bypass->BNode->Layer, 9);
    EXPECT_EQ(bypass->ShapePoints.GetCount(), 2);
    EXPECT_EQ(LayersAt(im.Net, bent.Points.front()), (std::vector<int>{1, 9}));
}

TEST(TigerImport, TranslationsProjectionsAndClamping)
{
    const TSetSpec plain = GridCounty(2, 2, 0, -122500000, 37500000, 2000, false);
    TImport im; // equidistant; translations from the centre, in whole degrees
    ASSERT_EQ(im.Run(plain).ErrorCode, TigerErrorNone);
    EXPECT_EQ(im.Settings.XTranslate, 122);
    EXPECT_EQ(im.Settings.YTranslate, -38);
    EXPECT_EQ(im.Window.LongLat.TranslateX, 122);
    EXPECT_EQ(im.Window.LongLat.PixelsPerDegreeLat, -100000);
    const double xScale = std::cos(37.502 * std::numbers::pi / 180) * -100000;
    const TNode* sw = NodesAt(im.Net, {-122500000, 37500000}).at(0);
    const TNode* ne = NodesAt(im.Net, {-122496000, 37504000}).at(0);
    EXPECT_NEAR(sw->XF(im.Net), -xScale * (122 - 122.5), 1e-6);
    EXPECT_NEAR(sw->YF(im.Net), (-38 + 37.5) * -100000, 1e-6);
    EXPECT_EQ(sw->X, int32_t(pround(sw->XF(im.Net))));
    EXPECT_GT(ne->X, sw->X); // east to the right
    EXPECT_LT(ne->Y, sw->Y); // north up

    for (int method : {2, 3}) { // the map projections map the origin to (0, 0)
        TImport p;
        p.Settings = {-100000, 122.5, -37.5, method};
        ASSERT_EQ(p.Run(plain).ErrorCode, TigerErrorNone);
        EXPECT_NEAR(NodesAt(p.Net, {-122500000, 37500000}).at(0)->XF(p.Net), 0, 1e-6) << method;
        EXPECT_NEAR(NodesAt(p.Net, {-122500000, 37500000}).at(0)->YF(p.Net), 0, 1e-6) << method;
        EXPECT_EQ(p.Window.LongLat.LongLatMethod, method);
    }

    TImport eq; // a Lambert cone on the equator cannot be set up: 291, nothing added
    eq.Settings.Method = 3;
    EXPECT_EQ(eq.Run(GridCounty(2, 2, 0, 10000000, 0, 2000, false)).ErrorCode, TigerErrorValues);
    ASSERT_EQ(eq.Sink.Count(), 1u);
    EXPECT_EQ(eq.Sink.Last().Text, "Error in transform values.");
    EXPECT_EQ(eq.Sink.Last().Caption, "Tiger 2000");
    EXPECT_EQ(eq.Net.NodeCount, 0);
    EXPECT_FALSE(eq.Net.Modified);

    TImport far; // clamped before rounding, the exact place kept
    far.Settings.YScale = -1e9;
    const TTigerResult clamped = far.Run(plain);
    ASSERT_EQ(clamped.ErrorCode, TigerErrorNone);
    const TNode* corner = NodesAt(far.Net, {-122500000, 37500000}).at(0);
    EXPECT_EQ(corner->X, -WorldLimit);
    EXPECT_EQ(corner->Y, WorldLimit);
    EXPECT_LT(corner->XF(far.Net), -1e8);
    EXPECT_EQ(clamped.ClampedPoints, clamped.Nodes);
}

// Points placed on the world's edge because they lie beyond it are counted,
// and the status says so.
TEST(TigerImport, PointsClampedToTheWorldsEdgeAreCounted)
{
    const TSetSpec county = GridCounty(2, 2, 3);
    TImport plain;
    const TTigerResult r = plain.Run(county);
    ASSERT_EQ(r.ErrorCode, TigerErrorNone);
    EXPECT_EQ(r.ClampedPoints, 0);
    EXPECT_EQ(TigerImportStatus(r), "24 nodes, 15 links, 42 shape points and 6 polygons added.");

    // A chain 20 degrees east of the county, or 10 north of it (beyond the
    // edge in Y only), with a shape point: at the county's own centre only
    // its three points lie beyond the edge...
    for (const int64_t east : {0, 20}) {
        const int64_t lon = -122500000 + east * 1000000, lat = east ? 37500000 : 47500000;
        TSetSpec stray = county;
        stray.Chains.push_back({99, "Stray", "A41", {{lon, lat}, {lon + 1000, lat + 500}, {lon + 2000, lat}}});
        TImport given;
        given.Settings.XTranslate = 122;
        given.Settings.YTranslate = -38;
        const TTigerResult g = given.Run(stray);
        ASSERT_EQ(g.ErrorCode, TigerErrorNone);
        EXPECT_EQ(g.ClampedPoints, 3) << east;
        EXPECT_EQ(TigerImportStatus(g), "26 nodes, 16 links, 43 shape points and 6 polygons added. 3 points lie "
                                        "beyond the world's edge and were placed on it.");
    }
    // ... and with the centre taken from the data, halfway between, every
    // point does, and lies on the edge.
    TSetSpec stray = county;
    stray.Chains.push_back({99, "Stray", "A41", {{-102500000, 37500000}, {-102499000, 37500500}, {-102498000, 37500000}}});
    TImport centred;
    const TTigerResult c = centred.Run(stray);
    ASSERT_EQ(c.ErrorCode, TigerErrorNone);
    EXPECT_EQ(centred.Settings.XTranslate, 112);
    EXPECT_EQ(c.ClampedPoints, c.Nodes + c.ShapePoints);
    EXPECT_EQ(c.ClampedPoints, 69);
    ForEachNode(centred.Net, [&](TNode* n) { EXPECT_EQ(std::abs(n->X), WorldLimit) << n->Longitude; });
    // One point beyond the edge by no more than the rounding is on the world.
    TImport edge;
    edge.Settings = {-100000, 122, -38, 0};
    TSetSpec one;
    const double xScale = std::cos(37.5 * std::numbers::pi / 180) * -100000;
    const int64_t lon = std::llround((-122 - (WorldLimit + 0.25) / xScale) * 1e6);
    one.Chains.push_back({1, "", "A41", {{-122000000, 37500000}, {lon, 37500000}}});
    const TTigerResult e = edge.Run(one);
    ASSERT_EQ(e.ErrorCode, TigerErrorNone);
    ASSERT_EQ(NodesAt(edge.Net, {lon, 37500000}).at(0)->X, WorldLimit);
    EXPECT_EQ(e.ClampedPoints, 0);
    EXPECT_EQ(TigerImportStatus(e), "2 nodes, 1 link, 0 shape points and 0 polygons added.");
}

// A record whose needed longitudes or latitudes are blank is a bad file, as
// a cut one is: read as zeros, a line of blanks among the chains would move
// the centre the import takes halfway to long/lat 0 and every real node to
// the world's edge, and one among the polygons would add an owner there.
TEST(TigerImport, RecordsWithBlankCoordinatesAreRefused)
{
    const TSetSpec county = GridCounty(2, 2, 3);
    const std::string eol = "\r\n";
    auto afterFirst = [&](std::string& bytes, const std::string& line) { bytes.insert(bytes.find(eol) + 2, line + eol); };
    auto blank = [](std::string& bytes, std::size_t first, std::size_t last) {
        bytes.replace(first - 1, last - first + 1, last - first + 1, ' ');
    };
    const std::vector<std::pair<const char*, std::function<void(TTigerSetBytes&)>>> spoils = {
        {"a chain record of blanks", [&](TTigerSetBytes& f) { afterFirst(f.RT1.Bytes, std::string(228, ' ')); }},
        {"a chain's blank end", [&](TTigerSetBytes& f) { blank(f.RT1.Bytes, 230 + 210, 230 + 228); }},
        {"a shape point's blank latitude", [&](TTigerSetBytes& f) { blank(f.RT2.Bytes, 29, 37); }},
        {"a polygon record of blanks", [&](TTigerSetBytes& f) { afterFirst(f.RTP.Bytes, std::string(44, ' ')); }},
        {"a polygon's blank point", [&](TTigerSetBytes& f) { blank(f.RTP.Bytes, 26, 44); }},
    };
    for (const auto& [what, spoil] : spoils) {
        SCOPED_TRACE(what);
        TTigerSetBytes files = Bytes(county);
        spoil(files);
        TImport im;
        EXPECT_EQ(im.Run(files).ErrorCode, TigerErrorRead);
        EXPECT_TRUE(im.Only52());
        EXPECT_EQ(im.Settings.XTranslate, 122);
        EXPECT_EQ(im.Settings.YTranslate, -38);
        int astray = 0; // at latitude 0 or on the world's edge
        for (const THashEntry* cell : im.Net.NodeHash)
            for (const TNetworkPoint* p : cell->Points)
                if (p->Latitude == 0 || std::abs(p->X) >= WorldLimit || std::abs(p->Y) >= WorldLimit) ++astray;
        EXPECT_EQ(astray, 0);
    }
}

namespace {

using TRing = std::vector<TPoint>;

// A ring without repeated points, from its smallest point, in the direction
// whose second point is the smaller.
TRing Normal(TRing ring)
{
    TRing r;
    for (const TPoint& p : ring)
        if (r.empty() || r.back() != p) r.push_back(p);
    while (r.size() > 1 && r.back() == r.front()) r.pop_back();
    std::rotate(r.begin(), std::min_element(r.begin(), r.end()), r.end());
    if (r.size() > 2 && r.back() < r[1]) std::reverse(r.begin() + 1, r.end());
    return r;
}

TPoint At(const TNetworkPoint* p) { return {p->Longitude / 10, p->Latitude / 10}; }

} // namespace

TEST(TigerOracle, RingsMatchShapelyPolygonize)
{
    std::string out;
    if (!RunCommand("/usr/bin/python3 -c 'import shapely' 2>/dev/null", out))
        GTEST_SKIP() << "python3-shapely is not installed";
    const TSetSpec set = GridCounty(3, 3, 4);
    TImport im;
    ASSERT_EQ(im.Run(set).ErrorCode, TigerErrorNone);

    const fs::path dir = TempFolder("rings");
    std::string input;
    for (const TChainSpec& c : set.Chains) {
        input += "C";
        for (const TPoint& p : c.Points) input += " " + std::to_string(p.Lon) + " " + std::to_string(p.Lat);
        input += "\n";
    }
    for (const TPolygonSpec& p : set.Polygons)
        input += "P " + std::to_string(p.PolyId) + " " + std::to_string(p.At.Lon) + " " + std::to_string(p.At.Lat) + "\n";
    WriteFile(dir / "chains.txt", input);
    WriteFile(dir / "rings.py", R"(import sys
from shapely.geometry import LineString, Point
from shapely.ops import polygonize
chains, pips = [], []
for line in open(sys.argv[1]):
    v = list(map(int, line.split()[1:]))
    if line[0] == 'C': chains.append(LineString(list(zip(v[0::2], v[1::2]))))
    else: pips.append(v)
faces = list(polygonize(chains))
for pid, x, y in pips:
    for face in [f for f in faces if f.contains(Point(x, y))]:
        for ring in [face.exterior] + list(face.interiors):
            print(pid, ' '.join('%d %d' % (round(a), round(b)) for a, b in list(ring.coords)[:-1]))
)");
    ASSERT_TRUE(RunCommand("/usr/bin/python3 '" + (dir / "rings.py").string() + "' '" + (dir / "chains.txt").string() + "'", out));
    std::map<int64_t, std::multiset<TRing>> expected;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream f(line);
        int64_t id;
        f >> id;
        TRing ring;
        for (int64_t x, y; f >> x >> y;) ring.push_back({x, y});
        expected[id].insert(Normal(ring));
    }
    ASSERT_EQ(expected.size(), set.Polygons.size());

    // Our rings: the owner's vertex list, broken where two consecutive
    // vertices are not neighbours on a link.
    std::set<std::pair<TPoint, TPoint>> edges;
    ForEachLink(im.Net, [&](TLink* h) {
        const TLinkValues* l = h->LinkValues;
        std::vector<const TNetworkPoint*> line{l->ANode};
        line.insert(line.end(), l->ShapePoints.begin(), l->ShapePoints.end());
        line.push_back(l->BNode);
        for (size_t i = 1; i < line.size(); ++i) {
            edges.insert({At(line[i - 1]), At(line[i])});
            edges.insert({At(line[i]), At(line[i - 1])});
        }
    });
    int checked = 0;
    ForEachNode(im.Net, [&](TNode* owner) {
        if (owner->Layer != 10) return;
        std::multiset<TRing> rings;
        TRing ring;
        for (const TNetworkPoint* v : owner->OwnPolygon()) {
            if (!ring.empty() && ring.back() != At(v) && !edges.count({ring.back(), At(v)})) {
                rings.insert(Normal(ring));
                ring.clear();
            }
            ring.push_back(At(v));
            EXPECT_GE(im.Net.PolygonsOf(v).IndexOf(owner), 0);
        }
        rings.insert(Normal(ring));
        EXPECT_EQ(rings, expected[owner->SourceKey()]) << "polygon " << owner->SourceKey();
        ++checked;
    });
    EXPECT_EQ(checked, int(set.Polygons.size()));
}

TEST(TigerImport, ChainsJoinIntoRingsByLongLat)
{
    std::vector<std::unique_ptr<TShapePoint>> points;
    auto point = [&](int lon, int lat) -> TNetworkPoint* {
        points.push_back(std::make_unique<TShapePoint>(lon, lat, 0, 0));
        points.back()->Longitude = lon;
        points.back()->Latitude = lat;
        return points.back().get();
    };
    TNetworkPoint *a = point(0, 0), *b = point(10, 0), *c = point(10, 10), *d = point(0, 10);
    TNetworkPoint *e = point(20, 20), *f = point(30, 20), *a2 = point(0, 0); // a2: another point at a's place
    using R = std::vector<TTigerChainPoints>;
    EXPECT_EQ(JoinChainsIntoRings({{a, b}, {c, d}, {b, c}, {d, a2}}), (R{{a, b, c, d, a2}}));
    EXPECT_EQ(JoinChainsIntoRings({{a, b}, {b, c}, {c, a}, {e, f}, {f, e}}), (R{{a, b, c}, {e, f}}));
    // A chain met in its middle follows from there.
    EXPECT_EQ(JoinChainsIntoRings({{a, b}, {e, f, b, c}, {c, a}}), (R{{a, b, c}}));
    // Many chains take the indexed path to the same rings.
    std::vector<TNetworkPoint*> circle;
    for (int i = 0; i < 40; ++i) circle.push_back(point(i, 1000 + i));
    R many;
    for (int i = 0; i < 40; ++i) many.push_back({circle[size_t(i * 7 % 40)], circle[size_t((i * 7 + 1) % 40)]});
    EXPECT_EQ(JoinChainsIntoRings(many), (R{circle}));
}

TEST(TigerImport, SecondImportJoinsTheFirst)
{
    // Two counties side by side sharing a boundary, whose chains the second
    // reads again with the same ids and shape points; and one chain of the
    // first read again on a layer the second import hides.
    const int64_t boundary = -122496000;
    TSetSpec west = GridCounty(2, 2, 3, -122500000, 37500000, 2000, false);
    TSetSpec east = GridCounty(2, 2, 3, boundary, 37500000, 2000, false, 20000000, "B0001");
    auto shared = west.Chains.begin();
    for (TChainSpec& c : east.Chains)
        if (c.Points.front().Lon == boundary && c.Points.back().Lon == boundary) {
            shared = std::find_if(shared, west.Chains.end(), [](const TChainSpec& w) { return w.Cfcc == "F10"; });
            c.TLID = shared->TLID;
            c.Cfcc = "F10";
            c.Points = (shared++)->Points;
        }
    TChainSpec again = west.Chains[0];
    again.Cfcc = "B11";
    again.PolyL = again.PolyR = 0;
    east.Chains.push_back(again);

    TImport im;
    ASSERT_EQ(im.Run(west).ErrorCode, TigerErrorNone);
    im.Settings = TigerSettingsOf(im.Window); // the dialog shows what the window keeps
    im.Window.Layers.LayerStates[2] = 0;
    ASSERT_EQ(im.Run(east).ErrorCode, TigerErrorNone);
    // Streets of both meet at the boundary in one node.
    EXPECT_EQ(LayersAt(im.Net, {boundary, 37502000}), (std::vector<int>{1, 6, 9, 9}));
    for (const TNode* n : NodesAt(im.Net, {boundary, 37502000}))
        if (n->Layer == 1) {
            EXPECT_EQ(n->Links.GetCount(), 2);
        }
    // Every chain read keeps its own shape points only.
    const std::vector<TLinkValues*> twice = LinksWithId(im.Net, west.Chains.back().TLID);
    ASSERT_EQ(twice.size(), 2u);
    for (const TLinkValues* l : twice) EXPECT_EQ(l->ShapePoints.GetCount(), 3);
    EXPECT_EQ(LinksWithId(im.Net, again.TLID).at(0)->ShapePoints.GetCount(), 3);
    const TNode* owner = FindNodeByKey(im.Net, 1, "B0001");
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->OwnPolygon().GetCount(), 4 * 4 + 2); // the boundary's layer-9 ends add two
}

TEST(TigerImport, FailuresKeepWhatWasReadAndReport)
{
    const TSetSpec set = GridCounty(2, 2, 3);
    const int32_t all = int32_t(set.Chains.size());
    auto run = [&](auto&& spoil) {
        auto im = std::make_unique<TImport>();
        TTigerSetBytes files = Bytes(set);
        spoil(files);
        im->Run(files);
        return im;
    };
    auto im = run([](TTigerSetBytes& f) { f.RT1.Exists = false; });
    EXPECT_TRUE(im->Only52());
    EXPECT_EQ(im->Net.NodeCount, 0);
    EXPECT_FALSE(im->Net.Modified);
    // Without shapes the chains stay; the network is modified and its
    // extents take them in.
    im = run([](TTigerSetBytes& f) { f.RT2.Exists = false; });
    EXPECT_TRUE(im->Only52());
    EXPECT_TRUE(im->Net.Modified);
    EXPECT_EQ(im->Net.LinkCount, all);
    EXPECT_LT(im->Net.MinX, im->Net.MaxX);
    EXPECT_EQ(im->Window.Layers.LayerNames[2], "Railroads");
    // A number that does not parse ends the read after the records before it.
    im = run([](TTigerSetBytes& f) { f.RT1.Bytes.replace(2 * 230 + 5, 10, "   12x4567"); });
    EXPECT_TRUE(im->Only52());
    EXPECT_EQ(im->Net.LinkCount, 2);
    im = run([](TTigerSetBytes& f) { f.RTP.Bytes.replace(15, 10, "9999999999"); });
    EXPECT_TRUE(im->Only52());
    EXPECT_EQ(im->Net.LinkCount, all);
    EXPECT_TRUE(run([](TTigerSetBytes& f) { f.RTI.Readable = false; })->Only52());
    im = run([](TTigerSetBytes& f) { f.RT1.Bytes = f.RT2.Bytes = f.RTP.Bytes = f.RTI.Bytes = ""; });
    EXPECT_TRUE(im->Sink.Calls.empty()); // empty files: nothing to read, nothing wrong
    EXPECT_EQ(im->Net.NodeCount, 0);
    im = std::make_unique<TImport>();
    im->Settings.YScale = 0;
    EXPECT_EQ(im->Run(set).ErrorCode, TigerErrorValues);
    EXPECT_EQ(im->Net.NodeCount, 0);

    // Files: a name without ".RT?" reads nothing; a folder in place of a
    // file cannot be read.
    const fs::path dir = TempFolder("tiger-failures");
    const std::string rt1 = WriteSet(dir / "TGR06001", set, true, "\n");
    im = std::make_unique<TImport>();
    ImportTiger(im->Net, im->Window, im->Settings, TigerFileSetFor((dir / "TGR06001").string()), {}, im->Sink);
    EXPECT_TRUE(im->Only52());
    EXPECT_EQ(im->Window.Layers.LayerNames[1], "1");
    fs::remove(dir / "TGR06001.rt2");
    fs::create_directory(dir / "TGR06001.rt2");
    im = std::make_unique<TImport>();
    EXPECT_EQ(ImportTiger(im->Net, im->Window, im->Settings, TigerFileSetFor(rt1), {}, im->Sink).ErrorCode,
              TigerErrorRead);
    EXPECT_EQ(im->Net.LinkCount, all);
}

TEST(TigerImport, LineEndsAndLargeRings)
{
    // CR LF, LF and CR alone end lines alike: every chain of the set comes
    // in, not one record per file.
    TImport crlf, lf, cr;
    const TSetSpec county = GridCounty(2, 2, 3);
    ASSERT_EQ(crlf.Run(Bytes(county, "\r\n")).ErrorCode, TigerErrorNone);
    ASSERT_EQ(lf.Run(Bytes(county, "\n")).ErrorCode, TigerErrorNone);
    ASSERT_EQ(cr.Run(Bytes(county, "\r")).ErrorCode, TigerErrorNone);
    EXPECT_EQ(crlf.Net.LinkCount, int32_t(county.Chains.size()));
    EXPECT_EQ(crlf.Net.NodeHash.PointCount(), lf.Net.NodeHash.PointCount());
    EXPECT_EQ(crlf.Net.NodeHash.PointCount(), cr.Net.NodeHash.PointCount());
    EXPECT_EQ(cr.Net.LinkCount, crlf.Net.LinkCount);

    // A record cut inside a field it needs is a bad file: its missing
    // columns never put a node at long/lat 0 (which would move the centre
    // the import takes). The first record of each file is cut inside a
    // chain's end point, half way through its third shape point's pair,
    // inside a polygon's point and inside a polygon id.
    for (int file = 0; file < 4; ++file) {
        SCOPED_TRACE(file);
        TTigerSetBytes files = Bytes(county, "\r\n");
        std::string& bytes = file == 0 ? files.RT1.Bytes : file == 1 ? files.RT2.Bytes : file == 2 ? files.RTP.Bytes : files.RTI.Bytes;
        const std::size_t end = bytes.find("\r\n"), keep[4] = {227, 70, 43, 30};
        bytes.erase(keep[file], end - keep[file]);
        TImport cut;
        EXPECT_NE(cut.Run(files).ErrorCode, TigerErrorNone);
        EXPECT_TRUE(cut.Only52());
        EXPECT_TRUE(NodesAt(cut.Net, {0, 0}).empty());
        if (file == 0) {
            EXPECT_EQ(cut.Net.NodeCount, 0);
            EXPECT_EQ(cut.Settings.XTranslate, 0); // no centre taken from a damaged file
        }
    }
    // The last shape or chain-polygon record cut before its chain's id names
    // no chain: the file is refused, not read without that record's points
    // or polygon sides. A final line end, or a blank line after it, is no
    // record.
    for (const std::string tail : {"", "\r\n", "\r\n\r\n"}) {
        for (int file = 1; file < 4; file += 2) {
            SCOPED_TRACE(std::to_string(file) + " " + std::to_string(tail.size()));
            TTigerSetBytes files = Bytes(county, "\r\n");
            std::string& bytes = file == 1 ? files.RT2.Bytes : files.RTI.Bytes;
            const std::size_t last = bytes.rfind("\r\n", bytes.size() - 3) + 2;
            TImport whole;
            bytes.resize(bytes.size() - 2);
            bytes += tail;
            ASSERT_EQ(whole.Run(files).ErrorCode, TigerErrorNone);
            bytes.resize(last + 3);
            bytes += tail;
            TImport cut;
            EXPECT_EQ(cut.Run(files).ErrorCode, TigerErrorRead);
            EXPECT_TRUE(cut.Only52());
        }
    }

    // One polygon inside a single looped chain of 39999 shape points.
    TChainSpec c{1, "", "H11", {}, "A0001", "     ", 5, 0};
    for (int i = 0; i <= 40000; ++i) {
        const double a = 2 * std::numbers::pi * (i % 40000) / 40000;
        c.Points.push_back({-122000000 + std::llround(1e5 * std::cos(a)), 37000000 + std::llround(1e5 * std::sin(a))});
    }
    TImport im;
    im.Settings.YScale = -1e6;
    ASSERT_EQ(im.Run(TSetSpec{{c}, {{"A0001", 5, {-122000000, 37000000}}}}).ErrorCode, TigerErrorNone);
    EXPECT_EQ(FindNodeByKey(im.Net, 5, "A0001")->OwnPolygon().GetCount(), 40001); // no vertex limit
}

// Lines that lost their trailing blanks read as the padded records: a set
// whose shape records end after their last point and whose chain-polygon
// records end at their last field that is not blank comes in whole.
TEST(TigerImport, TrimmedLinesReadAsPadded)
{
    const TSetSpec county = GridCounty(2, 2, 3);
    const TTigerSetBytes padded = Bytes(county);
    // Every line trimmed; the unused shape points blank first, as some
    // files leave them.
    auto trim = [](const std::string& text, bool blankPoints) {
        std::string out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (blankPoints)
                for (std::size_t at = 19 + 19 * 9;
                     at >= 19 && line.compare(at - 1, 19, "+000000000+00000000") == 0; at -= 19)
                    line.replace(at - 1, 19, 19, ' ');
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line + "\r\n";
        }
        return out;
    };
    TTigerSetBytes trimmed = padded;
    for (TTigerFileBytes* f : {&trimmed.RT1, &trimmed.RT2, &trimmed.RTP, &trimmed.RTI})
        f->Bytes = trim(f->Bytes, f == &trimmed.RT2);
    ASSERT_LT(trimmed.RT2.Bytes.size(), padded.RT2.Bytes.size() / 2);
    ASSERT_LT(trimmed.RTI.Bytes.size(), padded.RTI.Bytes.size());

    // The owners' rings by long/lat.
    auto rings = [](const TNetwork& net) {
        std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> found;
        ForEachNode(net, [&](TNode* n) {
            for (const TNetworkPoint* v : n->OwnPolygon()) found[n->SourceKey()].push_back({v->Longitude, v->Latitude});
        });
        return found;
    };
    TImport whole, cut;
    const TTigerResult w = whole.Run(padded), c = cut.Run(trimmed);
    ASSERT_EQ(w.ErrorCode, TigerErrorNone);
    EXPECT_EQ(c.ErrorCode, TigerErrorNone);
    EXPECT_TRUE(cut.Sink.Calls.empty());
    EXPECT_EQ(std::tie(c.Nodes, c.Links, c.ShapePoints, c.Polygons),
              std::tie(w.Nodes, w.Links, w.ShapePoints, w.Polygons));
    EXPECT_EQ(c.ShapePoints, 42);
    EXPECT_EQ(rings(cut.Net), rings(whole.Net));
}

// The command-line driver beside this test program.
TEST(TigerImport, Driver)
{
    const std::string exe = (fs::read_symlink("/proc/self/exe").parent_path() / "tiger-import").string();
    const fs::path dir = TempFolder("tiger-driver");
    const std::string rt1 = WriteSet(dir / "TGR06001", GridCounty(2, 2, 3)), net = (dir / "out.dta").string();
    std::string out;
    ASSERT_TRUE(RunCommand("'" + exe + "' '" + rt1 + "' '" + net + "' --yscale -100000", out));
    EXPECT_EQ(out, "nodes 24 links 15 shapepoints 42 polygons 6\ntranslate 122 -38\n");
    ASSERT_TRUE(RunCommand("'" + exe + "' '" + rt1 + "' '" + (dir / "two.dta").string() + "' --yscale -1e5 --method 2 " +
                               "--xtranslate 122.5 --ytranslate -37.5 --into '" + net + "' --hide 2",
                           out));
    EXPECT_EQ(out.substr(out.find("translate")), "translate 122.5 -37.5\n");
    fs::remove(dir / "TGR06001.RT2"); // a failed import still saves what there is
    EXPECT_FALSE(RunCommand("'" + exe + "' '" + rt1 + "' '" + (dir / "three.dta").string() + "' --yscale -1e5", out));
    EXPECT_EQ(out, "Valid update file not found.\nTiger 2000\nnodes 18 links 15 shapepoints 0 polygons 0\n"
                   "translate 122 -38\n");
    EXPECT_TRUE(fs::exists(dir / "three.dta"));

    // A chain 20 degrees from the county: the import says that it put every
    // point on the world's edge.
    TSetSpec stray = GridCounty(2, 2, 3);
    stray.Chains.push_back({99, "Stray", "A41", {{-102500000, 37500000}, {-102498000, 37500000}}});
    const std::string far = WriteSet(dir / "TGR06002", stray);
    ASSERT_TRUE(RunCommand("'" + exe + "' '" + far + "' '" + (dir / "four.dta").string() + "' --yscale -1e5", out));
    EXPECT_EQ(out, "nodes 26 links 16 shapepoints 42 polygons 6\ntranslate 112 -38\n26 nodes, 16 links, 42 shape "
                   "points and 6 polygons added. 68 points lie beyond the world's edge and were placed on it.\n");
}
