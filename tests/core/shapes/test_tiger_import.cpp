// The TIGER/Line import: layers and codes, shared, looped and redundant
// chains, projections, rings (checked against shapely), a second import
// joining the first, and failures that keep what was read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/Rounding.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/TigerImport.h"
#include "tiger_fixture.h"

using namespace tigertest;

namespace {

TTigerSetBytes Bytes(const TSetSpec& set, const std::string& eol = "\r\n")
{
    TTigerSetBytes b;
    b.RT1 = {true, true, Rt1Text(set, eol)};
    b.RT2 = {true, true, Rt2Text(set, eol)};
    b.RTP = {true, true, RtpText(set, eol)};
    b.RTI = {true, true, RtiText(set, eol)};
    return b;
}

struct TImport {
    TNetwork Net;
    TWindowSettings Window;
    TTigerSettings Settings;
    TMessageSinkRecorder Sink;

    TTigerResult Run(const TTigerSetBytes& files) { return ImportTigerBytes(Net, Window, Settings, files, {}, Sink); }
    TTigerResult Run(const TSetSpec& set) { return Run(Bytes(set)); }
};

TTigerSettings NorthUp(double yScale = -100000)
{
    TTigerSettings s;
    s.YScale = yScale;
    return s;
}

// Nodes at a long/lat given in millionths.
std::vector<TNode*> NodesAt(const TNetwork& net, TPoint at)
{
    std::vector<TNode*> found;
    ForEachNode(net, [&](TNode* n) {
        if (n->Longitude == at.Lon * 10 && n->Latitude == at.Lat * 10) found.push_back(n);
    });
    return found;
}

std::vector<TLinkValues*> LinksWithId(const TNetwork& net, int64_t id)
{
    std::vector<TLinkValues*> found;
    ForEachLink(net, [&](TLink* h) {
        if (h->LinkValues->SourceId == id) found.push_back(h->LinkValues);
    });
    return found;
}

std::vector<int> Layers(const std::vector<TNode*>& nodes)
{
    std::vector<int> layers;
    for (const TNode* n : nodes) layers.push_back(n->Layer);
    std::sort(layers.begin(), layers.end());
    return layers;
}

const TChainSpec& ChainNamed(const TSetSpec& set, const std::string& name)
{
    return *std::find_if(set.Chains.begin(), set.Chains.end(), [&](const TChainSpec& c) { return c.Name == name; });
}

TAttrib& AddAttribute(TEntityClass& classes, int cls, char kind)
{
    TClassRecord& rec = classes[cls];
    rec.Name = "Class";
    const int i = ++rec.AttributeCount;
    rec.Attributes[i] = std::make_unique<TAttrib>();
    rec.Attributes[i]->Name = std::string("Attribute ") + kind;
    rec.Attributes[i]->Kind = kind;
    return *rec.Attributes[i];
}

} // namespace

TEST(TigerImport, LayersCodesNamesAndOwners)
{
    TImport im;
    AddAttribute(*im.Net.LinkClasses, 1, 'S');
    AddAttribute(*im.Net.LinkClasses, 1, 'I'); // receives the CFCC code
    AddAttribute(*im.Net.NodeClasses, 1, 'C');
    AddAttribute(*im.Net.NodeClasses, 1, 'R');
    AddAttribute(*im.Net.NodeClasses, 1, 'I');
    NumberStringAttributes(*im.Net.LinkClasses);
    im.Net.TemplateLinkValues.EntityType = 1;
    im.Net.TemplateNode.EntityType = 1;
    im.Settings = NorthUp();
    const TSetSpec set = GridCounty(2, 2, 3);
    const TTigerResult r = im.Run(set);
    ASSERT_EQ(r.ErrorCode, TigerErrorNone);
    EXPECT_TRUE(im.Sink.Calls.empty());
    EXPECT_EQ(im.Window.Layers.LayerNames[1], "Roads");
    EXPECT_EQ(im.Window.Layers.LayerNames[9], "Redundant & looped links");
    EXPECT_EQ(im.Window.Layers.LayerNames[10], "GT-polygon owner nodes");

    const std::map<std::string, double> codes{{"Street 0", 141}, {"Street 2", 141}, {"", 610}, {"Rail", 211},
                                              {"Lake", 811}};
    for (const auto& [name, code] : codes) {
        const TChainSpec& c = ChainNamed(set, name);
        const std::vector<TLinkValues*> links = LinksWithId(im.Net, c.TLID);
        ASSERT_EQ(links.size(), 1u) << name;
        EXPECT_EQ(links[0]->Name, name);
        EXPECT_EQ(links[0]->EntityType, 1);
        EXPECT_EQ(SlotOf(*links[0], 2)->Real(), code) << name;
        EXPECT_EQ(links[0]->ShapePoints.GetCount(), int32_t(c.Points.size()) - 2);
    }
    EXPECT_EQ(Layers(NodesAt(im.Net, ChainNamed(set, "").Points.front())), (std::vector<int>{1, 2, 6, 9}));
    EXPECT_EQ(Layers(NodesAt(im.Net, ChainNamed(set, "Street 2").Points.front())), (std::vector<int>{1}));

    // Owners on layer 10 with their keys; the two number attributes take
    // columns 75-80 and 41-46 (here the tail of the latitude) in that order.
    const TPolygonSpec& first = set.Polygons[0];
    const std::vector<TNode*> owners = NodesAt(im.Net, first.At);
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0]->Layer, 10);
    EXPECT_EQ(owners[0]->SourceKey, first.PolyId);
    EXPECT_EQ(owners[0]->SourceCode, "A0001");
    EXPECT_EQ(SlotOf(*owners[0], 2)->Real(), 0);
    EXPECT_EQ(SlotOf(*owners[0], 3)->Real(), double(first.At.Lat % 10000));
    EXPECT_EQ(r.Polygons, int32_t(set.Polygons.size()));
    EXPECT_TRUE(im.Net.Modified);
}

TEST(TigerImport, SharedLoopedRedundantAndHiddenChains)
{
    TImport im;
    im.Settings = NorthUp();
    im.Window.Layers.LayerStates[2] = 0; // railroads hidden: not read
    const TSetSpec set = GridCounty(2, 2, 3);
    ASSERT_EQ(im.Run(set).ErrorCode, TigerErrorNone);

    // Chains meeting on one layer share the node.
    const std::vector<TNode*> inner = NodesAt(im.Net, {-122498000, 37502000});
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0]->Links.GetCount(), 4);
    // The railroad is skipped entirely; the corner keeps its road and boundary nodes.
    const TChainSpec& rail = ChainNamed(set, "Rail");
    EXPECT_TRUE(LinksWithId(im.Net, rail.TLID).empty());
    EXPECT_EQ(Layers(NodesAt(im.Net, rail.Points.front())), (std::vector<int>{1, 6, 9})); // 9: the bypass end
    EXPECT_TRUE(NodesAt(im.Net, rail.Points.back()).empty());

    // A chain from a point to itself: a second node there on layer 9.
    const TChainSpec& lake = ChainNamed(set, "Lake");
    const std::vector<TLinkValues*> loop = LinksWithId(im.Net, lake.TLID);
    ASSERT_EQ(loop.size(), 1u);
    EXPECT_EQ(loop[0]->ANode->Layer, 8);
    EXPECT_EQ(loop[0]->BNode->Layer, 9);
    EXPECT_EQ(loop[0]->ANode->X, loop[0]->BNode->X);

    // A second chain between two joined nodes gets a pair of its own on layer 9.
    const TChainSpec& bent = ChainNamed(set, "Bypass");
    const std::vector<TLinkValues*> bypass = LinksWithId(im.Net, bent.TLID);
    ASSERT_EQ(bypass.size(), 1u);
    EXPECT_EQ(bypass[0]->ANode->Layer, 9);
    EXPECT_EQ(bypass[0]->BNode->Layer, 9);
    EXPECT_EQ(Layers(NodesAt(im.Net, bent.Points.front())), (std::vector<int>{1, 9}));
    EXPECT_EQ(bypass[0]->ShapePoints.GetCount(), 2);
}

TEST(TigerImport, TranslationsProjectionsAndClamping)
{
    // Equidistant, translations from the data's centre in whole degrees.
    TImport im;
    im.Settings = NorthUp(-100000);
    ASSERT_EQ(im.Run(GridCounty(2, 2, 0, -122500000, 37500000, 2000, false)).ErrorCode, TigerErrorNone);
    EXPECT_EQ(im.Settings.XTranslate, 122);
    EXPECT_EQ(im.Settings.YTranslate, -38);
    EXPECT_EQ(im.Window.LongLat.TranslateX, 122);
    EXPECT_EQ(im.Window.LongLat.PixelsPerDegreeLat, -100000);
    const double xScale = std::cos(37.502 * std::numbers::pi / 180) * -100000;
    TNode* sw = NodesAt(im.Net, {-122500000, 37500000}).at(0);
    TNode* ne = NodesAt(im.Net, {-122496000, 37504000}).at(0);
    EXPECT_NEAR(sw->XF, -xScale * (122 - 122.5), 1e-6);
    EXPECT_NEAR(sw->YF, (-38 + 37.5) * -100000, 1e-6);
    EXPECT_EQ(sw->X, int32_t(pround(sw->XF)));
    EXPECT_GT(ne->X, sw->X); // east to the right
    EXPECT_LT(ne->Y, sw->Y); // north up

    // The map projections map the origin to (0, 0).
    for (int method : {2, 3}) {
        TImport p;
        p.Settings = NorthUp(-100000);
        p.Settings.Method = method;
        p.Settings.XTranslate = 122.5;
        p.Settings.YTranslate = -37.5;
        ASSERT_EQ(p.Run(GridCounty(2, 2, 0, -122500000, 37500000, 2000, false)).ErrorCode, TigerErrorNone);
        const TNode* origin = NodesAt(p.Net, {-122500000, 37500000}).at(0);
        EXPECT_NEAR(origin->XF, 0, 1e-6) << method;
        EXPECT_NEAR(origin->YF, 0, 1e-6) << method;
        EXPECT_EQ(p.Window.LongLat.LongLatMethod, method);
    }

    // A Lambert cone on the equator cannot be set up: 291, nothing added.
    TImport eq;
    eq.Settings = NorthUp();
    eq.Settings.Method = 3;
    const TTigerResult r = eq.Run(GridCounty(2, 2, 0, 10000000, 0, 2000, false));
    EXPECT_EQ(r.ErrorCode, TigerErrorValues);
    ASSERT_EQ(eq.Sink.Count(), 1u);
    EXPECT_EQ(eq.Sink.Last().Text, "Error in transform values.");
    EXPECT_EQ(eq.Sink.Last().Caption, "Tiger 2000");
    EXPECT_EQ(eq.Net.NodeCount, 0);
    EXPECT_FALSE(eq.Net.Modified);

    // Far beyond the world: clamped before rounding, the exact place kept.
    TImport far;
    far.Settings = NorthUp(-1e9);
    ASSERT_EQ(far.Run(GridCounty(2, 2, 0, -122500000, 37500000, 2000, false)).ErrorCode, TigerErrorNone);
    const TNode* corner = NodesAt(far.Net, {-122500000, 37500000}).at(0);
    EXPECT_EQ(corner->X, -WorldLimit);
    EXPECT_EQ(corner->Y, WorldLimit);
    EXPECT_LT(corner->XF, -1e8);
}

namespace {

uint64_t Key(const TNetworkPoint* p) { return (uint64_t(uint32_t(p->Longitude)) << 32) | uint32_t(p->Latitude); }

using TRing = std::vector<TPoint>;

// A ring without repeated points, starting at its smallest point, in the
// direction whose second point is the smaller.
TRing Normal(TRing ring)
{
    TRing r;
    for (const TPoint& p : ring)
        if (r.empty() || !(r.back() == p)) r.push_back(p);
    while (r.size() > 1 && r.back() == r.front()) r.pop_back();
    auto less = [](const TPoint& a, const TPoint& b) { return std::tie(a.Lon, a.Lat) < std::tie(b.Lon, b.Lat); };
    std::rotate(r.begin(), std::min_element(r.begin(), r.end(), less), r.end());
    if (r.size() > 2 && less(r.back(), r[1])) std::reverse(r.begin() + 1, r.end());
    return r;
}

} // namespace

TEST(TigerOracle, RingsMatchShapelyPolygonize)
{
    const std::string python = "/usr/bin/python3";
    std::string probe;
    if (!fs::exists(python) || !RunCommand(python + " -c 'import shapely' 2>/dev/null", probe))
        GTEST_SKIP() << "python3-shapely is not installed";
    const TSetSpec set = GridCounty(3, 3, 4);
    TImport im;
    im.Settings = NorthUp();
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
    f = line.split()
    v = list(map(int, f[1:]))
    if f[0] == 'C':
        chains.append(LineString(list(zip(v[0::2], v[1::2]))))
    else:
        pips.append(v)
faces = list(polygonize(chains))
for pid, x, y in pips:
    for face in faces:
        if face.contains(Point(x, y)):
            for ring in [face.exterior] + list(face.interiors):
                print(pid, ' '.join('%d %d' % (round(a), round(b)) for a, b in list(ring.coords)[:-1]))
)");
    std::string out;
    ASSERT_TRUE(RunCommand(python + " '" + (dir / "rings.py").string() + "' '" + (dir / "chains.txt").string() + "'", out));
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
    std::set<std::pair<uint64_t, uint64_t>> edges;
    ForEachLink(im.Net, [&](TLink* h) {
        const TLinkValues* l = h->LinkValues;
        std::vector<const TNetworkPoint*> line{l->ANode};
        for (const TShapePoint* s : l->ShapePoints) line.push_back(s);
        line.push_back(l->BNode);
        for (size_t i = 1; i < line.size(); ++i) {
            edges.insert({Key(line[i - 1]), Key(line[i])});
            edges.insert({Key(line[i]), Key(line[i - 1])});
        }
    });
    auto joined = [&](const TNetworkPoint* a, const TNetworkPoint* b) {
        return Key(a) == Key(b) || edges.count({Key(a), Key(b)}) > 0;
    };
    int checked = 0;
    ForEachNode(im.Net, [&](TNode* owner) {
        if (owner->Layer != 10) return;
        std::multiset<TRing> rings;
        TRing ring;
        const TMyPolygonList& poly = owner->OwnPolygon;
        for (int32_t i = 0; i < poly.GetCount(); ++i) {
            if (i > 0 && !joined(poly.At(i - 1), poly.At(i))) {
                rings.insert(Normal(ring));
                ring.clear();
            }
            ring.push_back({poly.At(i)->Longitude / 10, poly.At(i)->Latitude / 10});
            EXPECT_GE(poly.At(i)->Polygons.IndexOf(owner), 0);
        }
        rings.insert(Normal(ring));
        EXPECT_EQ(rings, expected[owner->SourceKey]) << "polygon " << owner->SourceKey;
        ++checked;
    });
    EXPECT_EQ(checked, int(set.Polygons.size()));
}

TEST(TigerImport, ChainsJoinIntoRingsByLongLat)
{
    std::vector<std::unique_ptr<TShapePoint>> points;
    auto point = [&](int lon, int lat) {
        points.push_back(std::make_unique<TShapePoint>(lon, lat, 0, 0));
        points.back()->Longitude = lon;
        points.back()->Latitude = lat;
        return points.back().get();
    };
    // A square of four chains given out of order; a fifth chain meets the
    // square's last corner in its middle, so only its tail follows.
    TNetworkPoint *a = point(0, 0), *b = point(10, 0), *c = point(10, 10), *d = point(0, 10);
    TNetworkPoint *e = point(20, 20), *f = point(30, 20);
    TNetworkPoint* a2 = point(0, 0); // another point at a's place
    const std::vector<TTigerChainPoints> square{{a, b}, {c, d}, {b, c}, {d, a2}};
    std::vector<TTigerChainPoints> rings = JoinChainsIntoRings(square);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0], (TTigerChainPoints{a, b, c, d, a2})); // a2 is another point: kept
    rings = JoinChainsIntoRings({{a, b}, {b, c}, {c, a}, {e, f}, {f, e}});
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0], (TTigerChainPoints{a, b, c}));
    EXPECT_EQ(rings[1], (TTigerChainPoints{e, f}));
    rings = JoinChainsIntoRings({{a, b}, {e, f, b, c}, {c, a}});
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0], (TTigerChainPoints{a, b, c}));

    // Many chains take the indexed path: the same rings.
    std::vector<TTigerChainPoints> many;
    std::vector<TNetworkPoint*> circle;
    for (int i = 0; i < 40; ++i) circle.push_back(point(i, 1000 + i));
    for (int i = 0; i < 40; ++i) many.push_back({circle[size_t((i * 7) % 40)], circle[size_t((i * 7 + 1) % 40)]});
    rings = JoinChainsIntoRings(many);
    ASSERT_EQ(rings.size(), 1u);
    ASSERT_EQ(rings[0].size(), 40u);
    for (size_t i = 1; i < 40; ++i) EXPECT_EQ(rings[0][i], circle[(i) % 40]);
}

TEST(TigerImport, SecondImportJoinsTheFirst)
{
    // Two counties side by side; the east boundary of the first is the west
    // boundary of the second, with the same chain ids and shape points.
    const int n = 2;
    const int64_t step = 2000;
    TSetSpec west = GridCounty(n, n, 3, -122500000, 37500000, step, false);
    TSetSpec east = GridCounty(n, n, 3, -122500000 + n * step, 37500000, step, false, 20000000, "B0001");
    std::vector<const TChainSpec*> boundary;
    for (const TChainSpec& c : west.Chains)
        if (c.Cfcc == "F10") boundary.push_back(&c);
    size_t k = 0;
    for (TChainSpec& c : east.Chains)
        if (c.Points.front().Lon == -122500000 + n * step && c.Points.back().Lon == c.Points.front().Lon) {
            c.TLID = boundary[k]->TLID;
            c.Cfcc = "F10";
            c.Points = boundary[k++]->Points;
        }
    ASSERT_EQ(k, boundary.size());
    // A chain of the first county read again on a layer the second import
    // hides.
    TChainSpec again = west.Chains[0];
    again.Cfcc = "B11";
    again.PolyL = again.PolyR = 0;
    east.Chains.push_back(again);

    TImport im;
    im.Settings = NorthUp();
    ASSERT_EQ(im.Run(west).ErrorCode, TigerErrorNone);
    im.Settings = TigerSettingsOf(im.Window); // the dialog shows what the window keeps
    im.Window.Layers.LayerStates[2] = 0;
    ASSERT_EQ(im.Run(east).ErrorCode, TigerErrorNone);

    // Streets of both meet at the boundary in one node.
    const std::vector<TNode*> joint = NodesAt(im.Net, {-122500000 + n * step, 37500000 + step});
    EXPECT_EQ(Layers(joint), (std::vector<int>{1, 6, 9, 9}));
    for (TNode* node : joint)
        if (node->Layer == 1) EXPECT_EQ(node->Links.GetCount(), 2);
    // The boundary chain read again is a link of its own; the first one
    // keeps its own shape points only.
    const std::vector<TLinkValues*> twice = LinksWithId(im.Net, boundary[0]->TLID);
    ASSERT_EQ(twice.size(), 2u);
    for (const TLinkValues* l : twice) EXPECT_EQ(l->ShapePoints.GetCount(), 3);
    const std::vector<TLinkValues*> once = LinksWithId(im.Net, again.TLID);
    ASSERT_EQ(once.size(), 1u);
    EXPECT_EQ(once[0]->ShapePoints.GetCount(), 3);
    // The second county's blocks are closed rings of their own.
    const TNode* owner = FindNodeByKey(im.Net, 1, "B0001");
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->OwnPolygon.GetCount(), 4 * 4 + 2); // the boundary's layer-9 ends add two
}

TEST(TigerImport, FailuresKeepWhatWasReadAndReport)
{
    const TSetSpec set = GridCounty(2, 2, 3);
    auto only52 = [](const TImport& im) {
        return im.Sink.Count() == 1 && im.Sink.Last().Text == "Valid update file not found." &&
               im.Sink.Last().Caption == "Tiger 2000";
    };
    {
        TImport im;
        im.Settings = NorthUp();
        TTigerSetBytes files = Bytes(set);
        files.RT1.Exists = false;
        EXPECT_EQ(im.Run(files).ErrorCode, TigerErrorMissing);
        EXPECT_TRUE(only52(im));
        EXPECT_EQ(im.Net.NodeCount, 0);
        EXPECT_FALSE(im.Net.Modified);
    }
    {
        // The chains stay when the shapes are missing; the network is
        // modified and its extents take them in.
        TImport im;
        im.Settings = NorthUp();
        TTigerSetBytes files = Bytes(set);
        files.RT2.Exists = false;
        const TTigerResult r = im.Run(files);
        EXPECT_EQ(r.ErrorCode, TigerErrorMissing);
        EXPECT_TRUE(r.Changed);
        EXPECT_TRUE(im.Net.Modified);
        EXPECT_TRUE(only52(im));
        EXPECT_EQ(im.Net.LinkCount, int32_t(set.Chains.size()));
        EXPECT_LT(im.Net.MinX, im.Net.MaxX);
        EXPECT_EQ(im.Window.Layers.LayerNames[2], "Railroads");
    }
    {
        // A number that does not parse ends the read after the records before it.
        TImport im;
        im.Settings = NorthUp();
        TTigerSetBytes files = Bytes(set);
        files.RT1.Bytes.replace(2 * 230 + 5, 10, "   12x4567");
        EXPECT_EQ(im.Run(files).ErrorCode, TigerErrorRead);
        EXPECT_TRUE(only52(im));
        EXPECT_EQ(im.Net.LinkCount, 2);
    }
    {
        TImport im;
        im.Settings = NorthUp();
        TTigerSetBytes files = Bytes(set);
        files.RTP.Bytes.replace(15, 10, "9999999999"); // a POLYID beyond 32 bits
        EXPECT_EQ(im.Run(files).ErrorCode, TigerErrorRead);
        EXPECT_EQ(im.Net.LinkCount, int32_t(set.Chains.size()));
        files = Bytes(set);
        files.RTI.Readable = false;
        TImport unreadable;
        unreadable.Settings = NorthUp();
        EXPECT_EQ(unreadable.Run(files).ErrorCode, TigerErrorRead);
    }
    {
        TImport im;
        im.Settings = NorthUp(0);
        EXPECT_EQ(im.Run(set).ErrorCode, TigerErrorValues);
        EXPECT_EQ(im.Sink.Last().Text, "Error in transform values.");
        EXPECT_EQ(im.Net.NodeCount, 0);
    }
    {
        // Files: a name without ".RT?" reads nothing; a folder in place of
        // a file is a file that cannot be read.
        const fs::path dir = TempFolder("failures");
        const std::string rt1 = WriteSet(dir / "TGR06001", set, true, "\n");
        TImport im;
        im.Settings = NorthUp();
        EXPECT_EQ(ImportTiger(im.Net, im.Window, im.Settings, TigerFileSetFor((dir / "TGR06001").string()), {}, im.Sink)
                      .ErrorCode,
                  TigerErrorMissing);
        EXPECT_TRUE(only52(im));
        EXPECT_EQ(im.Window.Layers.LayerNames[1], "1");
        fs::remove(dir / "TGR06001.rt2");
        fs::create_directory(dir / "TGR06001.rt2");
        TImport folder;
        folder.Settings = NorthUp();
        EXPECT_EQ(ImportTiger(folder.Net, folder.Window, folder.Settings, TigerFileSetFor(rt1), {}, folder.Sink).ErrorCode,
                  TigerErrorRead);
        EXPECT_EQ(folder.Net.LinkCount, int32_t(set.Chains.size()));
    }
}

TEST(TigerImport, LineEndsAndLargeRings)
{
    TImport crlf, lf;
    crlf.Settings = lf.Settings = NorthUp();
    const TSetSpec grid = GridCounty(2, 2, 3);
    ASSERT_EQ(crlf.Run(Bytes(grid, "\r\n")).ErrorCode, TigerErrorNone);
    ASSERT_EQ(lf.Run(Bytes(grid, "\n")).ErrorCode, TigerErrorNone);
    EXPECT_EQ(crlf.Net.NodeCount, lf.Net.NodeCount);
    EXPECT_EQ(crlf.Net.NodeHash.PointCount(), lf.Net.NodeHash.PointCount());

    // One polygon bounded by a single looped chain of 40000 shape points.
    TSetSpec island;
    TChainSpec c;
    c.TLID = 1;
    c.Cfcc = "H11";
    for (int i = 0; i <= 40000; ++i) {
        const double a = 2 * std::numbers::pi * (i % 40000) / 40000;
        c.Points.push_back({-122000000 + std::llround(100000 * std::cos(a)), 37000000 + std::llround(100000 * std::sin(a))});
    }
    c.PolyL = 5;
    c.CenL = "A0001";
    island.Chains.push_back(c);
    island.Polygons.push_back({"A0001", 5, {-122000000, 37000000}});
    TImport im;
    im.Settings = NorthUp(-1000000);
    ASSERT_EQ(im.Run(island).ErrorCode, TigerErrorNone);
    const TNode* owner = FindNodeByKey(im.Net, 5, "A0001");
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->OwnPolygon.GetCount(), 40001); // both ends of the loop and 39999 shape points
}

// The command-line driver beside this test program.
TEST(TigerImport, Driver)
{
    const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path() / "tiger-import";
    ASSERT_TRUE(fs::exists(exe));
    const fs::path dir = TempFolder("driver");
    const std::string rt1 = WriteSet(dir / "TGR06001", GridCounty(2, 2, 3));
    std::string out;
    const std::string net = (dir / "out.dta").string();
    ASSERT_TRUE(RunCommand("'" + exe.string() + "' '" + rt1 + "' '" + net + "' --yscale -100000", out));
    EXPECT_EQ(out, "nodes 24 links 15 shapepoints 42 polygons 6\ntranslate 122 -38\n");
    // Into that network, railroads hidden, projected about a given origin.
    ASSERT_TRUE(RunCommand("'" + exe.string() + "' '" + rt1 + "' '" + (dir / "two.dta").string() + "' --yscale -100000 " +
                               "--method 2 --xtranslate 122.5 --ytranslate -37.5 --into '" + net + "' --hide 2",
                           out));
    EXPECT_EQ(out.substr(out.find("translate")), "translate 122.5 -37.5\n");
    // A failed import still saves what there is.
    fs::remove(dir / "TGR06001.RT2");
    EXPECT_FALSE(RunCommand("'" + exe.string() + "' '" + rt1 + "' '" + (dir / "three.dta").string() + "' --yscale -1e5", out));
    EXPECT_EQ(out, "Valid update file not found.\nTiger 2000\nnodes 18 links 15 shapepoints 0 polygons 0\n"
                   "translate 122 -38\n");
    EXPECT_TRUE(fs::exists(dir / "three.dta"));
}
