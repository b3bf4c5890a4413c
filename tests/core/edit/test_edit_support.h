// Small networks and a consistency check for the editing tests.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/edit/Editing.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Undo.h"

namespace edittest {

using XY = std::vector<std::pair<int32_t, int32_t>>;

inline TNode* Node(TNetwork& net, int32_t x, int32_t y)
{
    THashEntry* cell;
    return AddNode(net, x, y, cell, false, 0);
}

inline TLinkValues* Link(TNetwork& net, TNode* a, TNode* b, int cls = 0)
{
    TLink *ha, *hb;
    TLinkValues* r = AddLink(net, a, b, false, 0, ha, hb);
    r->EntityType = uint8_t(cls);
    ResizeValues(*r, LinkAttributeCount(net, cls));
    return r;
}

inline TLink* AHalf(TLinkValues* r) { return AHalfEdge(r); }

inline TShapePoint* Shape(TNetwork& net, TLinkValues* r, int32_t x, int32_t y)
{
    return AddShapePoint(net, x, y, r->ShapePoints.GetCount(), AHalfEdge(r));
}

inline XY ShapeXY(const TLinkValues* r)
{
    XY v;
    for (TShapePoint* sp : r->ShapePoints) v.emplace_back(sp->X, sp->Y);
    return v;
}

inline std::vector<TNetworkPoint*> Ring(const TNode* owner)
{
    return {owner->OwnPolygon().begin(), owner->OwnPolygon().end()};
}

inline void AddVertex(TNetwork& net, TNode* owner, TNetworkPoint* p)
{
    MakeRoom(owner->OwnPolygonRef());
    owner->OwnPolygonRef().Insert(p);
    if (net.PolygonsOf(p).IndexOf(owner) < 0) net.PolygonsRef(p).Insert(owner);
}

// Active links a -> b.
inline std::vector<TLinkValues*> LinksBetween(const TNode* a, const TNode* b)
{
    std::vector<TLinkValues*> out;
    for (TLink* h : a->Links)
        if (h->FarNode == b && h->LinkValues->Active && h->AEnd()) out.push_back(h->LinkValues);
    return out;
}

inline int ActiveLinkCount(const TNetwork& net)
{
    int n = 0;
    ForEachLink(net, [&](TLink* h) { n += h->LinkValues->Active; });
    return n;
}

inline int ActiveNodeCount(const TNetwork& net)
{
    int n = 0;
    ForEachNode(net, [&](TNode* node) { n += node->Active; });
    return n;
}

// What the network file cannot hold, and its reader drops: a second active
// link between two nodes (in either direction), a link from a node to itself.
inline void ExpectNoIllegalLinks(const TNetwork& net, const std::string& where = {})
{
    ForEachNode(net, [&](TNode* n) {
        if (!n->Active) return;
        std::set<const TNode*> far;
        for (TLink* h : n->Links) {
            if (!h->LinkValues || !h->LinkValues->Active) continue;
            EXPECT_NE(h->FarNode, n) << "looped link " << where;
            EXPECT_TRUE(far.insert(h->FarNode).second) << "second link between two nodes " << where;
        }
    });
}

// No active node at the place of another and no active link of no length
// (every point at one place); only elements that made accepts count.
inline void ExpectNoZeroLinkOrSharedPlace(const TNetwork& net, const std::string& where = {},
                                          const std::function<bool(const void*)>& made = {})
{
    std::map<std::pair<int32_t, int32_t>, int> nodesAt;
    ForEachNode(net, [&](TNode* n) { nodesAt[{n->X, n->Y}] += n->Active; });
    int shared = 0, zero = 0;
    ForEachNode(net, [&](TNode* n) { shared += n->Active && (!made || made(n)) && nodesAt[{n->X, n->Y}] > 1; });
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues* r = h->LinkValues;
        auto atA = [&](const TNetworkPoint* p) { return p->X == r->ANode->X && p->Y == r->ANode->Y; };
        zero += r->Active && (!made || made(r)) && atA(r->BNode) &&
                std::all_of(r->ShapePoints.begin(), r->ShapePoints.end(), atA);
    });
    EXPECT_EQ(shared, 0) << "nodes at the place of another, " << where;
    EXPECT_EQ(zero, 0) << "links of no length, " << where;
}

// Saves the network and opens the file again: no message box, and as many
// active nodes and links as before.
inline void ExpectReopensAlike(TNetwork& net, const std::string& where = {})
{
    auto dir = std::filesystem::temp_directory_path() / ("tarvex_edit_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "reopen.dta").string();
    TWindowSettings settings;
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, settings, path, 9, sink).Ok) << where;
    TNetwork back;
    TWindowSettings backSettings;
    EXPECT_EQ(OpenNetworkFile(back, backSettings, path, true, sink).Status, TOpenStatus::Ok) << where;
    for (const auto& call : sink.Calls) ADD_FAILURE() << call.Text << " " << where;
    EXPECT_EQ(ActiveNodeCount(back), ActiveNodeCount(net)) << where;
    EXPECT_EQ(ActiveLinkCount(back), ActiveLinkCount(net)) << where;
    std::filesystem::remove_all(dir);
}

// Every point sits in the cell of its position, in key order, cells
// sorted; half-edges pair up; shape points name their link and are active
// with it; rings and owner lists agree.
inline void ExpectConsistent(const TNetwork& net)
{
    std::set<const TNetworkPoint*> filed;
    for (THashEntry* cell : net.NodeHash)
        for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
            TNetworkPoint* p = cell->Points.At(i);
            filed.insert(p);
            EXPECT_EQ(net.NodeHash.FindCell(p->X, p->Y), cell);
            EXPECT_TRUE(p->X >= cell->X0 && p->X <= cell->X1 && p->Y >= cell->Y0 && p->Y <= cell->Y1);
            EXPECT_TRUE(i == 0 || cell->Points.At(i - 1)->PointKey() <= p->PointKey()) << "cell out of order";
        }
    for (const TNetworkPoint* p : filed) {
        for (TNode* owner : net.PolygonsOf(p)) EXPECT_GE(owner->OwnPolygon().IndexOf(p), 0) << "owner without ring";
        const TNode* n = p->AsNode();
        if (!n) continue;
        for (TNetworkPoint* v : n->OwnPolygon()) EXPECT_TRUE(filed.count(v) && net.PolygonsOf(v).IndexOf(n) >= 0);
        for (TLink* h : n->Links) {
            const TLinkValues* r = h->LinkValues;
            EXPECT_EQ(h->NearNode(), n);
            int twins = 0;
            for (TLink* g : h->FarNode->Links) twins += g != h && g->LinkValues == r;
            EXPECT_EQ(twins, 1);
            if (!h->AEnd()) continue;
            for (TShapePoint* sp : r->ShapePoints)
                EXPECT_TRUE(filed.count(sp) && sp->Link->LinkValues == r && (sp->Active || !r->Active));
        }
    }
}

} // namespace edittest
