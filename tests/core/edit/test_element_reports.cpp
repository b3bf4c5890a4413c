#include "test_edit_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include "core/edit/ElementReports.h"
#include "core/edit/SchemaEdit.h"
#include "core/expr/SearchFilter.h"
#include "core/model/WindowSettings.h"

using namespace edittest;

namespace {

TNode* Named(TNetwork& net, int32_t x, int32_t y, const std::string& name)
{
    TNode* n = Node(net, x, y);
    n->Name = name;
    return n;
}

// Gives owner the ring of the given vertices.
void Ring(TNetwork& net, TNode* owner, const std::vector<TNode*>& vertices)
{
    for (TNode* v : vertices) AddVertex(net, owner, v);
    UpdateNodePolygonBox(net, owner);
}

// Lines after heading up to the next line ending in ':'.
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& heading)
{
    std::vector<std::string> out;
    auto it = std::find(lines.begin(), lines.end(), heading);
    if (it == lines.end()) return {"<missing>"};
    for (++it; it != lines.end() && (it->empty() || it->back() != ':'); ++it) out.push_back(*it);
    return out;
}

using Names = std::vector<std::string>;

} // namespace

TEST(NodeProperties, ReportAndAdjacentOwners)
{
    TNetwork net;
    TWindowSettings s;
    s.UnitsName = "Feet";
    TNode* v1 = Named(net, 0, 0, "v1");
    TNode* v2 = Named(net, 10, 0, "v2");
    TNode* v3 = Named(net, 10, 10, "v3");
    TNode* v4 = Named(net, 0, 10, "v4");
    TNode* v5 = Named(net, 20, 0, "v5");
    TNode* owner = Named(net, 5, 5, "Zone");
    TNode* east = Named(net, 15, 5, "East");
    TNode* corner = Named(net, 5, -5, "Corner");
    Ring(net, owner, {v1, v2, v3, v4});
    Ring(net, east, {v2, v5, v3}); // shares two vertices
    Ring(net, corner, {v1, Named(net, -5, -5, "w"), Named(net, -5, -1, "w2")}); // shares one
    Link(net, owner, east)->Name = "Road";
    TLinkValues* gone = Link(net, corner, owner);
    gone->Name = "Gone";
    gone->Active = 0;

    const std::vector<std::string> r = NodePropertyLines(net, s, *owner);
    EXPECT_EQ(r[0], "Current Internal Serial Number = " + std::to_string(owner->Serial));
    EXPECT_EQ(r[1], "Number of Polygon Vertices = 4");
    EXPECT_EQ(r[2], "Polygon Area in Sq Feet = 100");
    EXPECT_EQ(r[3], "Polygon Perimeter in Feet = 40");
    EXPECT_EQ(r[5], "Polygon Center of Gravity, X = 5, Y = 5");
    EXPECT_EQ(r[6], "Node is inside of own polygon.");
    EXPECT_EQ(r[7], "Number of Attached Links = 1");
    EXPECT_EQ(Section(r, "Names of Connected Links:"), Names{"Road"});
    EXPECT_EQ(Section(r, "Names of Nodes Connected through One Link:"), Names{"East"});
    EXPECT_EQ(Section(r, "Adjacent Polygons, 2+ Vertices:"), Names{"East"});
    EXPECT_EQ(Section(r, "Adjacent Polygons, 1 Vertex:"), Names{"Corner"});

    // A node without a polygon: nothing adjacent, and only the containing section.
    const std::vector<std::string> plain = NodePropertyLines(net, s, *v5);
    EXPECT_EQ(plain[1], "Number of Polygon Vertices = 0");
    EXPECT_EQ(plain[6], "Node is outside own polygon.");
    EXPECT_EQ(Section(plain, "Adjacent Polygons, 2+ Vertices:"), Names{});
    EXPECT_EQ(NodeNestednessLines(net, *v5), (Names{"Polygons Containing this Node:", "East"}));
    EXPECT_EQ(NodePropertyLines(net, s, *v4)[6], "Node is outside own polygon.");
}

TEST(NodeProperties, AdjacentOwnersStopAtOneThousand)
{
    TNetwork net;
    TWindowSettings s;
    TNode* a = Named(net, 0, 0, "a");
    TNode* b = Named(net, 100, 0, "b");
    TNode* owner = Named(net, 50, 50, "own");
    Ring(net, owner, {a, b, Named(net, 50, 100, "c")});
    for (int i = 0; i < 1005; ++i) {
        TNode* o = Named(net, 200 + i, 300, "o" + std::to_string(i));
        o->OwnPolygonRef().Insert(i < 3 ? b : a); // three owners share b too
        if (i < 3) o->OwnPolygonRef().Insert(a);
        net.PolygonsRef(a).Insert(o);
        if (i < 3) net.PolygonsRef(b).Insert(o);
    }
    const std::vector<std::string> r = NodePropertyLines(net, s, *owner);
    const Names two = Section(r, "Adjacent Polygons, 2+ Vertices:");
    const Names one = Section(r, "Adjacent Polygons, 1 Vertex:");
    EXPECT_EQ(two, (Names{"o0", "o1", "o2"}));
    EXPECT_EQ(two.size() + one.size(), size_t(MaxAdjacentOwners));
}

TEST(Nestedness, EdgeCasesOfTheSections)
{
    TNetwork net;
    TNode* v1 = Named(net, 0, 0, "v1");
    TNode* v2 = Named(net, 100, 0, "v2");
    TNode* v3 = Named(net, 100, 100, "v3");
    TNode* v4 = Named(net, 0, 100, "v4");
    TNode* zone = Named(net, 50, 50, "Zone");
    Ring(net, zone, {v1, v2, v3, v4});
    Named(net, 50, 0, "OnEdge");
    Named(net, 150, 50, "Outside");
    // A polygon east of the zone whose box meets the zone's box along a side only.
    TNode* e1 = Named(net, 100, 20, "e1");
    TNode* east = Named(net, 150, 30, "East");
    Ring(net, east, {e1, Named(net, 180, 30, "e2"), Named(net, 150, 60, "e3")});
    // A polygon inside, and one crossing the boundary.
    TNode* inner = Named(net, 30, 30, "Inner");
    Ring(net, inner, {Named(net, 20, 20, "i1"), Named(net, 40, 20, "i2"), Named(net, 30, 40, "i3")});
    TNode* cross = Named(net, 90, 90, "Cross");
    Ring(net, cross, {Named(net, 80, 80, "c1"), Named(net, 130, 85, "c2"), Named(net, 85, 130, "c3")});
    // Links: one through the zone with both ends outside, one far away, one
    // passing through a vertex only.
    Link(net, Named(net, -10, 50, "w"), Named(net, 110, 60, "x"))->Name = "Through";
    Link(net, Named(net, 300, 300, "f1"), Named(net, 310, 300, "f2"))->Name = "Far";
    Link(net, Named(net, -10, -10, "d1"), Named(net, -20, 10, "d2"))->Name = "Apart";
    TLinkValues* bent = Link(net, Named(net, 200, -50, "b1"), Named(net, 200, 50, "b2"));
    bent->Name = "Bent";
    Shape(net, bent, 100, 50); // a shape point on the zone's edge

    std::vector<double> before;
    ForEachNode(net, [&](TNode* n) {
        before.insert(before.end(), {n->XF(net), n->YF(net), double(n->X), double(n->Y)});
    });
    const std::vector<std::string> r = NodeNestednessLines(net, *zone);
    EXPECT_EQ(r, NodeNestednessLinesPlain(net, *zone));
    Names nodes = Section(r, "Nodes Within or Touching this Polygon:");
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(nodes, (Names{"Cross", "Inner", "OnEdge", "Zone", "c1", "e1", "i1", "i2", "i3", "v1", "v2", "v3",
                            "v4"}));
    Names links = Section(r, "Links Within or Touching this Polygon:");
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (Names{"Bent", "Through"}));
    EXPECT_EQ(Section(r, "Polygons With all Vertices Within or Touching this Polygon:"), Names{"Inner"});
    Names crossing = Section(r, "Polygons With Boundaries Intersecting this Polygon:");
    std::sort(crossing.begin(), crossing.end());
    EXPECT_EQ(crossing, (Names{"Cross", "Zone"})); // not East: the boxes only touch
    EXPECT_EQ(Section(r, "Polygons Containing this Node:"), Names{"Zone"});
    // Nestedness changes nothing.
    std::vector<double> after;
    ForEachNode(net, [&](TNode* n) {
        after.insert(after.end(), {n->XF(net), n->YF(net), double(n->X), double(n->Y)});
    });
    EXPECT_EQ(before, after);

    const TLink* h = AHalf(bent);
    EXPECT_EQ(LinkNestednessLines(net, *h), (Names{"Polygons Touching this Link:", "Zone"}));
    TWindowSettings s;
    const std::vector<std::string> lr = LinkPropertyLines(net, s, *h);
    EXPECT_EQ(lr[0], "Number of Shape Points = 1");
    EXPECT_EQ(lr[2], "AB Azimuth in degrees = 180");
    EXPECT_EQ(Section(lr, "Names of Ending Nodes:"), (Names{"b1", "b2"}));
}

namespace {

// A random network of simple integer polygons (star-shaped rings), nodes on
// their vertices and edges, free nodes and links; its description for the
// oracle goes to out. False when two of its segments are parallel.
bool RandomNetwork(std::mt19937& rng, TNetwork& net, std::ostream& out, std::vector<TNode*>& owners)
{
    auto pick = [&](int lo, int hi) { return lo + int(rng() % unsigned(hi - lo + 1)); };
    std::vector<TNode*> nodes;
    std::vector<std::array<int32_t, 4>> segments;
    int count = 0;
    auto node = [&](int32_t x, int32_t y) {
        TNode* n = Named(net, x, y, "N" + std::to_string(++count));
        nodes.push_back(n);
        return n;
    };
    const int polygons = pick(3, 7);
    for (int p = 0; p < polygons; ++p) {
        const int cx = pick(30, 170), cy = pick(30, 170), k = pick(3, 6);
        std::vector<double> angles;
        for (int i = 0; i < k; ++i) angles.push_back((i + (rng() % 1000) / 1200.0) * 2 * M_PI / k);
        std::vector<TNode*> ring;
        for (double a : angles) {
            const double rad = pick(10, 60);
            ring.push_back(node(int32_t(std::lround(cx + rad * std::cos(a))), int32_t(std::lround(cy + rad * std::sin(a)))));
        }
        TNode* owner = node(cx, cy);
        Ring(net, owner, ring);
        owners.push_back(owner);
        out << "";
        for (size_t i = 0; i < ring.size(); ++i) {
            const TNode* a = ring[i];
            const TNode* b = ring[(i + 1) % ring.size()];
            segments.push_back({a->X, a->Y, b->X, b->Y});
            // A node on the edge where a lattice point lies on it.
            const int32_t dx = b->X - a->X, dy = b->Y - a->Y;
            const int g = std::gcd(std::abs(dx), std::abs(dy));
            if (g > 1 && pick(0, 1)) node(a->X + dx / g, a->Y + dy / g);
        }
        if (pick(0, 1)) node(ring[0]->X, ring[0]->Y); // a second node on a vertex
        if (pick(0, 1)) { // a small ring within this one (rings are star-shaped round their owner)
            const int r0 = pick(3, 6);
            std::vector<TNode*> inner{node(cx + r0, cy + 1), node(cx - 1, cy + r0), node(cx - r0, cy - 2)};
            TNode* innerOwner = node(cx, cy - 1);
            Ring(net, innerOwner, inner);
            owners.push_back(innerOwner);
            for (size_t i = 0; i < inner.size(); ++i)
                segments.push_back({inner[i]->X, inner[i]->Y, inner[(i + 1) % 3]->X, inner[(i + 1) % 3]->Y});
        }
    }
    for (int i = pick(5, 15); i > 0; --i) node(pick(0, 200), pick(0, 200));
    std::vector<TLinkValues*> links;
    for (int i = pick(5, 15); i > 0; --i) {
        TNode* a = nodes[size_t(pick(0, int(nodes.size()) - 1))];
        TNode* b = nodes[size_t(pick(0, int(nodes.size()) - 1))];
        if (a->X == b->X && a->Y == b->Y) continue;
        TLinkValues* r = Link(net, a, b);
        r->Name = "L" + std::to_string(links.size() + 1);
        int32_t px = a->X, py = a->Y;
        if (pick(0, 2) == 0) {
            TShapePoint* sp = Shape(net, r, pick(0, 200), pick(0, 200));
            segments.push_back({px, py, sp->X, sp->Y});
            px = sp->X;
            py = sp->Y;
        }
        segments.push_back({px, py, b->X, b->Y});
        links.push_back(r);
    }
    for (size_t i = 0; i < segments.size(); ++i)
        for (size_t j = i + 1; j < segments.size(); ++j) {
            const auto& s = segments[i];
            const auto& t = segments[j];
            if (int64_t(s[2] - s[0]) * (t[3] - t[1]) == int64_t(s[3] - s[1]) * (t[2] - t[0])) return false;
        }
    out << "network\n";
    for (TNode* n : nodes) out << "node " << n->Name << ' ' << n->X << ' ' << n->Y << '\n';
    for (TNode* o : owners) {
        out << "poly " << o->Name;
        for (TNetworkPoint* v : o->OwnPolygon()) out << ' ' << v->AsNode()->Name;
        out << '\n';
    }
    for (TLinkValues* r : links) {
        out << "link " << r->Name << ' ' << r->ANode->X << ' ' << r->ANode->Y;
        for (TShapePoint* sp : r->ShapePoints) out << ' ' << sp->X << ' ' << sp->Y;
        out << ' ' << r->BNode->X << ' ' << r->BNode->Y << '\n';
    }
    for (TNode* o : owners) out << "edited " << o->Name << '\n';
    for (int i = 0; i < 3; ++i) out << "edited " << nodes[size_t(pick(0, int(nodes.size()) - 1))]->Name << '\n';
    return true;
}

} // namespace

// The box tests of the fast sweep give exactly the lines of the plain one,
// and every section agrees with shapely's covers and intersects.
TEST(Nestedness, AgreesWithThePlainSweepAndWithShapely)
{
    std::mt19937 rng(11);
    std::ostringstream description;
    std::vector<std::map<std::string, std::vector<std::string>>> ours; // per case: section -> names
    std::vector<std::unique_ptr<TNetwork>> nets;
    int made = 0;
    for (int attempt = 0; attempt < 400 && made < 40; ++attempt) {
        auto net = std::make_unique<TNetwork>();
        std::ostringstream d;
        std::vector<TNode*> owners;
        if (!RandomNetwork(rng, *net, d, owners)) continue;
        ++made;
        description << d.str();
        std::istringstream edited(d.str());
        std::string word, name;
        while (edited >> word) {
            if (word != "edited") continue;
            edited >> name;
            const TNode* n = nullptr;
            ForEachNode(*net, [&](TNode* x) {
                if (x->Name == name) n = x;
            });
            const std::vector<std::string> lines = NodeNestednessLines(*net, *n);
            ASSERT_EQ(lines, NodeNestednessLinesPlain(*net, *n));
            std::map<std::string, std::vector<std::string>> sections;
            std::string heading;
            for (const std::string& l : lines) {
                if (!l.empty() && l.back() == ':')
                    sections[heading = l];
                else
                    sections[heading].push_back(l);
            }
            for (auto& [h, v] : sections) std::sort(v.begin(), v.end());
            ours.push_back(sections);
        }
        nets.push_back(std::move(net));
    }
    ASSERT_GE(made, 20);

    const std::string script = std::string(TARVEX_TEST_DATA) + "/../core/edit/nestedness_oracle.py";
    if (std::system("/usr/bin/python3 -c 'import shapely' 2>/dev/null") != 0) GTEST_SKIP() << "python3-shapely is not installed";
    const std::string in = testing::TempDir() + "nestedness_in.txt", outPath = testing::TempDir() + "nestedness_out.txt";
    std::ofstream(in) << description.str();
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " < " + in + " > " + outPath).c_str()), 0);
    std::ifstream result(outPath);
    std::string line;
    int index = -1, compared = 0;
    std::map<std::string, std::vector<std::string>> theirs;
    std::string heading;
    bool skip = false;
    auto finish = [&] {
        if (index < 0 || skip) return;
        ASSERT_LT(size_t(index), ours.size());
        EXPECT_EQ(theirs, ours[size_t(index)]) << "case " << index;
        ++compared;
    };
    while (std::getline(result, line)) {
        if (line.rfind("case ", 0) == 0) {
            finish();
            ++index;
            theirs.clear();
            skip = false;
        } else if (line == "skip") {
            skip = true;
        } else if (!line.empty() && line.back() == ':') {
            theirs[heading = line];
        } else {
            theirs[heading].push_back(line);
        }
    }
    finish();
    EXPECT_EQ(index + 1, int(ours.size()));
    EXPECT_GE(compared, 60);
}

TEST(MoveToLayer, MovesActiveShownNodesPassingTheSearch)
{
    TNetwork net;
    TWindowSettings s;
    TViewRecord view;
    view.Settings = &s;
    s.Layers.LayerStates.fill(1);
    s.Layers.LayerStates[3] = 0; // layer 3 hidden
    TNode* a = Named(net, 0, 0, "a");
    TNode* b = Named(net, 10, 0, "b");
    TNode* hidden = Named(net, 20, 0, "h");
    hidden->Layer = 3;
    TNode* gone = Named(net, 30, 0, "g");
    DeleteNode(net, gone);
    TShapePoint* sp = Shape(net, Link(net, a, b), 5, 5);
    net.Modified = false;

    TSearchFilter all;
    all.Prepare(*net.NodeClasses, *net.LinkClasses, {});
    EXPECT_EQ(MoveNodesToLayer(net, view, all, 7), 2);
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(a->Layer, 7);
    EXPECT_EQ(hidden->Layer, 3);
    EXPECT_EQ(gone->Layer, 1);
    (void)sp;

    // With a criterion only the passing nodes move.
    TClassRecord& c = (*net.NodeClasses)[1];
    c.Name = "Stop";
    c.HasCriteria = 1;
    SetAttributeCount(c, 1);
    c.Attr(1)->Active = 1;
    c.Attr(1)->Low = 1;
    c.Attr(1)->High = 5;
    b->EntityType = 1;
    ResizeValues(*b, 1);
    b->Values[0].SetReal(3);
    a->EntityType = 1;
    ResizeValues(*a, 1);
    a->Values[0].SetReal(9);
    TSearchFilter some;
    some.Prepare(*net.NodeClasses, *net.LinkClasses, {});
    ASSERT_FALSE(some.NodesUnfiltered);
    EXPECT_EQ(MoveNodesToLayer(net, view, some, 2), 1);
    EXPECT_EQ(b->Layer, 2);
    EXPECT_EQ(a->Layer, 7);
}

TEST(PointLongLat, ChecksAndShapePointElevation)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 0, 0);
    a->Elevation = 1000000; // 100
    b->Elevation = 3000000;
    TShapePoint* sp = Shape(net, Link(net, a, b), 0, 0);
    EXPECT_EQ(ShapePointElevationAlongLink(*sp, 1), 100); // a link of no length
    MoveNodeTo(net, b, 0, 100);
    MoveNodeTo(net, sp, 0, 25);
    EXPECT_NEAR(ShapePointElevationAlongLink(*sp, 1), 150, 1e-9);

    TNetworkPoint& p = *a;
    EXPECT_EQ(StorePointLongLat(p, -122.5, 45.25, -10.5), 0);
    EXPECT_EQ(p.Longitude, -1225000000);
    EXPECT_EQ(p.Latitude, 452500000);
    EXPECT_EQ(p.Elevation, -105000);
    EXPECT_EQ(StorePointLongLat(p, 180.5, 0, 0), MsgLongLatError);
    EXPECT_EQ(StorePointLongLat(p, 0, -90.01, 0), MsgLongLatError);
    EXPECT_EQ(StorePointLongLat(p, NAN, 0, 0), MsgLongLatError);
    EXPECT_EQ(StorePointLongLat(p, 0, 0, 214748.3648), MsgElevationError);
    EXPECT_EQ(StorePointLongLat(p, 0, 0, INFINITY), MsgElevationError);
    EXPECT_EQ(p.Longitude, -1225000000); // unchanged by the refusals
    EXPECT_EQ(StorePointLongLat(p, 180, 90, -214748.3647), 0);
    EXPECT_EQ(p.Elevation, -2147483647);
}
