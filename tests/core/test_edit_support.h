// Small networks and consistency checks for the editing tests.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/Editing.h"
#include "core/NetworkQueries.h"
#include "core/Undo.h"

namespace edittest {

inline TNode* Node(TNetwork& net, int32_t x, int32_t y, const std::string& name = "")
{
    THashEntry* cell;
    TNode* n = AddNode(net, x, y, cell, false, 0);
    n->Name = name;
    return n;
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

inline std::vector<std::pair<int32_t, int32_t>> ShapeXY(const TLinkValues* r)
{
    std::vector<std::pair<int32_t, int32_t>> v;
    for (TShapePoint* sp : r->ShapePoints) v.emplace_back(sp->X, sp->Y);
    return v;
}

inline std::vector<TNetworkPoint*> Ring(const TNode* owner)
{
    return std::vector<TNetworkPoint*>(owner->OwnPolygon.begin(), owner->OwnPolygon.end());
}

inline void AddVertex(TNode* owner, TNetworkPoint* p)
{
    MakeRoom(owner->OwnPolygon);
    owner->OwnPolygon.Insert(p);
    if (p->Polygons.IndexOf(owner) < 0) p->Polygons.Insert(owner);
}

// Active links with these ends (either direction when anyWay).
inline std::vector<TLinkValues*> LinksBetween(const TNode* a, const TNode* b, bool anyWay = false)
{
    std::vector<TLinkValues*> out;
    for (TLink* h : a->Links)
        if (h->FarNode == b && h->LinkValues->Active && (anyWay || h->AEnd)) out.push_back(h->LinkValues);
    return out;
}

inline int ActiveLinkCount(const TNetwork& net)
{
    int n = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* node = p->AsNode())
                for (TLink* h : node->Links)
                    if (h->AEnd && h->LinkValues->Active) ++n;
    return n;
}

// The model's invariants: every point sits in the cell of its position with
// the right offsets, cells sorted; half-edges pair up; shape points name a
// half-edge of the link that lists them; rings and owner lists agree.
inline void ExpectConsistent(const TNetwork& net)
{
    std::set<const TNetworkPoint*> filed;
    for (THashEntry* cell : net.NodeHash) {
        uint64_t prev = 0;
        for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
            TNetworkPoint* p = cell->Points.At(i);
            filed.insert(p);
            EXPECT_EQ(net.NodeHash.FindCell(p->X, p->Y), cell);
            EXPECT_EQ(int64_t(p->DX), int64_t(p->X) - cell->X0);
            EXPECT_EQ(int64_t(p->DY), int64_t(p->Y) - cell->Y0);
            if (i > 0) {
                EXPECT_LE(prev, p->PointKey()) << "cell list out of order";
            }
            prev = p->PointKey();
        }
    }
    for (const TNetworkPoint* p : filed) {
        for (TNode* owner : p->Polygons) EXPECT_GE(owner->OwnPolygon.IndexOf(p), 0) << "owner list without ring";
        const TNode* n = p->AsNode();
        if (!n) continue;
        for (TNetworkPoint* v : n->OwnPolygon) {
            EXPECT_TRUE(filed.count(v)) << "ring vertex not in the hash";
            EXPECT_GE(v->Polygons.IndexOf(n), 0) << "ring vertex without owner";
        }
        for (TLink* h : n->Links) {
            const TLinkValues* r = h->LinkValues;
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(h->NearNode(), n);
            EXPECT_EQ(h->AEnd ? r->BNode : r->ANode, h->FarNode);
            int twins = 0;
            for (TLink* g : h->FarNode->Links)
                if (g != h && g->LinkValues == r) ++twins;
            EXPECT_EQ(twins, 1);
            if (!h->AEnd) continue;
            for (TShapePoint* sp : r->ShapePoints) {
                EXPECT_TRUE(filed.count(sp)) << "shape point not in the hash";
                EXPECT_EQ(sp->Link->LinkValues, r);
                if (r->Active) {
                    EXPECT_TRUE(sp->Active);
                }
            }
        }
    }
}

} // namespace edittest
