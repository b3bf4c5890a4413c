// Random edits: every editing operation, in random order on a random
// network, and after each no two active links between the same two nodes and
// no link from a node to itself (the network file holds neither: its reader
// drops them), and no node or link the edit made at the place of another
// node or of no length; every so often the network saved and opened again, without a
// message box, to the same counts.
#include <algorithm>
#include <random>
#include <string>
#include <unordered_set>

#include "../net_window.h"
#include "core/edit/TransformRequest.h"
#include "core/expr/ExpressionNetwork.h"
#include "test_edit_support.h"

using namespace edittest;

namespace {

struct RandomEdits {
    TNetWindow Net;
    TViewRecord View;
    TEditState Edit;
    std::mt19937_64 Random;
    TMessageSinkRecorder Boxes;
    TSpliceSettings Fuse;

    explicit RandomEdits(uint64_t seed) : Random(seed)
    {
        View.Settings = &Net.Settings();
        Net.Layers.LayerStates[2] = 14; // layer 2 shows from zoom level 14
        View.ZoomIndex = 13;
        TClassRecord& road = (*Net.LinkClasses)[1];
        road.Name = "Road";
        road.AttributeCount = 1;
        road.Attributes[1] = std::make_unique<TAttrib>();
        road.Attributes[1]->Name = "Length";
        road.Attributes[1]->Alias = "Len";
        road.Attributes[1]->Kind = 'R';
        Net.TemplateLinkValues.EntityType = 1;
        Net.TemplateLinkValues.Values[0].SetReal(1);
        ResizeValues(Net.TemplateLinkValues, 1);
        Fuse.AddFlags[1] = 1;
        std::vector<TNode*> nodes;
        for (int i = 0; i < 60; ++i) nodes.push_back(Node(Net, Coord(), Coord()));
        for (int i = 0; i < 90; ++i) {
            TNode* a = nodes[Pick(nodes.size())];
            TNode* b = Near(nodes, a);
            TLink* h = nullptr;
            if (b && b != a && LinkPlotStep(Net, a, b, h) == TLinkPlotResult::Added && Chance(3))
                AddShapePoint(Net, (a->X + b->X) / 2 + Coord() / 10, (a->Y + b->Y) / 2, 0, h);
        }
    }

    int32_t Coord() { return int32_t(Random() % 2001) - 1000; }
    // Within 100 units of p.
    int32_t Around(int32_t p) { return p + int32_t(Random() % 201) - 100; }
    size_t Pick(size_t n) { return size_t(Random() % n); }
    bool Chance(int oneIn) { return Random() % uint64_t(oneIn) == 0; }

    // The nearest of a few nodes drawn at random: links stay short.
    TNode* Near(const std::vector<TNode*>& nodes, const TNode* a)
    {
        TNode* best = nullptr;
        int64_t bestD = INT64_MAX;
        for (int k = 0; k < 6; ++k) {
            TNode* n = nodes[Pick(nodes.size())];
            const int64_t dx = n->X - a->X, dy = n->Y - a->Y;
            if (n != a && dx * dx + dy * dy < bestD) {
                best = n;
                bestD = dx * dx + dy * dy;
            }
        }
        return best;
    }

    std::vector<TNode*> ActiveNodes()
    {
        std::vector<TNode*> v;
        ForEachNode(Net, [&](TNode* n) {
            if (n->Active) v.push_back(n);
        });
        return v;
    }
    std::vector<TLink*> ActiveLinks()
    {
        std::vector<TLink*> v;
        ForEachLink(Net, [&](TLink* h) {
            if (h->LinkValues->Active) v.push_back(h);
        });
        return v;
    }

    void Transform()
    {
        TExprBinding binding(Net, &View, &Random);
        TTransformRequest r;
        r.Kind = int(Pick(3));
        r.Texts = r.Kind == TransformScale ? std::array<std::string, 2>{"2", "0.5"}
                  : r.Kind == TransformRotate ? std::array<std::string, 2>{"90", ""}
                                              : std::array<std::string, 2>{"300", "-70"};
        r.ExemptUnseenLayers = Chance(2);
        RunTransformRequest(Net, Net.Layers.LayerStates, r, ExpressionContext{}, binding.Env, Boxes,
                            [this](int k, TTransformParams& p) {
                                return TransformNetwork(Net, View, Net.Settings(), k, p);
                            });
    }

    // One operation; its name.
    const char* Step()
    {
        const std::vector<TNode*> nodes = ActiveNodes();
        const std::vector<TLink*> links = ActiveLinks();
        if (nodes.size() < 4 || links.empty()) {
            View.CursorX = Coord();
            View.CursorY = Coord();
            PlotNode(Net, View);
            return "node plot";
        }
        TNode* n = nodes[Pick(nodes.size())];
        TLink* h = links[Pick(links.size())];
        Edit.SketchMode = ModeSelect;
        // Crossings add nodes: deletions keep the network small.
        const size_t op = nodes.size() > 300 && Chance(2) ? 1 : Pick(22);
        switch (op) {
        case 0: {
            TLink* made = nullptr;
            LinkPlotStep(Net, n, Near(nodes, n), made);
            return "link plot";
        }
        case 1:
            DeleteNode(Net, n);
            return "delete node";
        case 2:
            DeleteLink(Net, h);
            return "delete link";
        case 3:
        case 4:
        case 19:
        case 20:
            // Often, so that the list of deletions drains. In mode 0 a node
            // comes back with every link of it.
            Edit.SketchMode = Chance(2) ? ModeSelect : ModeNodeDelete;
            Undelete(Net, View, Edit, false);
            return "undelete";
        case 5:
            LinkSpliceAtNode(Net, Edit, n);
            return "link splice";
        case 6:
            SpliceLinksAtNode(Net, n, nullptr, Fuse);
            return "fuse";
        case 7:
            NodeToShapePoint(Net, View, Edit, n);
            return "node to shape point";
        case 8:
            if (h->LinkValues->ShapePoints.GetCount() > 0)
                ShapePointToNode(Net, View, Edit, h->LinkValues->ShapePoints.At(0));
            return "shape point to node";
        case 9:
            // Often into a node that shares a neighbour (a live or a deleted
            // link) with n.
            MergeNodes(Net, n, Chance(2) ? Near(nodes, n) : Neighbour(Neighbour(n)));
            return "node merge";
        case 10: {
            TBox area;
            IntersectLink(Net, h, area);
            return "link intersect";
        }
        case 11:
            if (BeginLinkSplit(Net, View, Edit, h)) {
                View.CursorX = Around(h->NearNode()->X);
                View.CursorY = Around(h->NearNode()->Y);
                if (!CommitLinkSplit(Net, View, Edit)) Undelete(Net, View, Edit, false);
            }
            return "link split";
        case 12:
            if (BeginNodeMove(Net, View, Edit, n)) {
                View.CursorX = Around(n->X);
                View.CursorY = Around(n->Y);
                if (Undelete(Net, View, Edit, true) == TUndeleteResult::Refused) Undelete(Net, View, Edit, false);
            }
            return "node move";
        case 13:
            if (Chance(2))
                FlipLink(Net, h);
            else
                SetLinkDirection(Net, OtherHalfEdge(h));
            h->LinkValues->FlipMark = 0;
            return "link direction";
        case 14:
            Transform();
            return "transform";
        case 21: {
            View.ZoomIndex = Chance(2) ? 13 : 15;
            TTransformParams undo;
            TransformNetwork(Net, View, Net.Settings(), TransformUndoLast, undo);
            return "undo transform";
        }
        case 15:
            if (Chance(2))
                ReinitializeNode(Net, n, TReinitializeExemptions{});
            else
                ReinitializeLink(Net, h->LinkValues, TReinitializeExemptions{});
            return "reinitialize";
        case 16:
            ReinitializeUndoLast(Net);
            return "reinitialize undo";
        case 17:
            n->Layer = uint8_t(1 + Pick(2)); // layer 2 is hidden at zoom level 13
            return "layer";
        case 18:
            if (h->LinkValues->ShapePoints.GetCount() > 0 && Chance(2)) {
                RemoveShapePoint(Net, View, Edit, h->LinkValues->ShapePoints.At(0));
                if (Chance(2)) UndoShapeRemove(Net, Edit);
            } else {
                const TNode* a = h->LinkValues->ANode;
                TShapePoint* sp = AddShapePoint(Net, Around(a->X), Around(a->Y), 0, AHalfEdge(h->LinkValues));
                if (sp) RecomputeBox(h->LinkValues);
            }
            return "shape point";
        }
        return "";
    }

    // The far node of a link of n, deleted links too (n itself when none
    // or n is nullptr).
    TNode* Neighbour(TNode* n)
    {
        if (!n || n->Links.Empty()) return n;
        return n->Links.At(int32_t(Pick(size_t(n->Links.GetCount()))))->FarNode;
    }

    static TLink* OtherHalfEdge(TLink* h)
    {
        for (TLink* g : h->FarNode->Links)
            if (g != h && g->LinkValues == h->LinkValues) return g;
        return h;
    }
};

} // namespace

TEST(EditRandom, NoEditLeavesALinkTheFileCannotHold)
{
    for (uint64_t seed : {1, 2, 3}) {
        RandomEdits r(seed);
        for (int step = 1; step <= 3000 && !::testing::Test::HasFailure(); ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) + " ";
            std::unordered_set<const void*> before;
            ForEachNode(r.Net, [&](TNode* n) {
                before.insert(n);
                for (TLink* h : n->Links) before.insert(h->LinkValues);
            });
            const char* op = r.Step();
            ExpectNoIllegalLinks(r.Net, where + op);
            ExpectNoZeroLinkOrSharedPlace(r.Net, where + op, [&](const void* e) { return !before.count(e); });
            if (step % 250 == 0) {
                ExpectConsistent(r.Net);
                ExpectReopensAlike(r.Net, where + op);
            }
        }
        EXPECT_GT(ActiveLinkCount(r.Net), 20) << "seed " << seed; // the network stayed a network
    }
}
