// Network changes made by Calculate's command words, and the editing
// operations a run uses by default.
#include "core/calc/CalcEditing.h"

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Undo.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The points within distance d of (x, y), cells in table order and points
// in cell order. Only the cells the square around the point touches are
// visited, unless there are more of those than cells in the table.
template <class F>
void ForEachPointWithin(const TNetwork& net, int32_t x, int32_t y, double d, F&& f)
{
    if (!(d >= 0) || !std::isfinite(d)) return;
    const THashTable& hash = net.NodeHash;
    const double reach = std::min(d, 2.0 * WorldLimit + 1);
    const int64_t x0 = int64_t(std::floor(x - reach)), x1 = int64_t(std::ceil(x + reach));
    const int64_t y0 = int64_t(std::floor(y - reach)), y1 = int64_t(std::ceil(y + reach));
    auto clampW = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -WorldLimit, WorldLimit)); };
    const int32_t cx0 = hash.CellXOf(clampW(x0)), cx1 = hash.CellXOf(clampW(x1));
    const int32_t cy0 = hash.CellYOf(clampW(y0)), cy1 = hash.CellYOf(clampW(y1));
    const int64_t boxCells = (int64_t(cx1) - cx0 + 1) * (int64_t(cy1) - cy0 + 1);
    std::vector<THashEntry*> cells;
    if (boxCells > hash.GetCount()) {
        for (THashEntry* c : hash) cells.push_back(c);
    } else {
        for (int32_t cy = cy0; cy <= cy1; ++cy)
            for (int32_t cx = cx0; cx <= cx1; ++cx)
                if (THashEntry* c = hash.FindCellByKey(MakeCellKey(cx, cy))) cells.push_back(c);
        std::sort(cells.begin(), cells.end(), [](const THashEntry* a, const THashEntry* b) { return a->Key < b->Key; });
    }
    const double d2 = d * d;
    for (THashEntry* c : cells)
        for (TNetworkPoint* p : c->Points) {
            const double dx = double(p->X) - x, dy = double(p->Y) - y;
            if (dx * dx + dy * dy <= d2)
                if (!f(p)) return;
        }
}

} // namespace

TCalcEditOps CalcEditOpsFor(const TEditHooks& hooks, const TSpliceSettings& rules)
{
    TCalcEditOps ops;
    ops.DeleteNode = [hooks](TNetwork& net, TNode* node) { DeleteNode(net, node, false, hooks); };
    ops.DeleteLink = [](TNetwork& net, TLink* halfEdge) { DeleteLink(net, halfEdge); };
    ops.FlipLink = [](TNetwork& net, TLink* halfEdge) { FlipLink(net, halfEdge); };
    ops.SpliceLinksAtNode = [hooks, rules](TNetwork& net, TNode* node) {
        SpliceLinksAtNode(net, node, nullptr, rules, hooks);
    };
    ops.IntersectLink = [hooks](TNetwork& net, TLink* halfEdge, int64_t& reach) {
        if (reach < 0) reach = MaxLinkReach(net);
        TBox area;
        return IntersectLink(net, halfEdge, area, hooks, reach);
    };
    ops.MergeNodes = [hooks](TNetwork& net, TNode* source, TNode* target) {
        return MergeNodes(net, source, target, hooks) != TPolygonMerge::NotMerged;
    };
    ops.MergeNodeIntoShapePoint = [hooks](TNetwork& net, TNode* node, TShapePoint* shapePoint) {
        return MergeNodeIntoShapePoint(net, node, shapePoint, hooks);
    };
    return ops;
}

TCalcEditOps DefaultCalcEditOps() { return CalcEditOpsFor(TEditHooks{}, TSpliceSettings{}); }

int32_t CalcMergeNodesWithin(TNetwork& net, TNode* target, double d, const TCalcEditOps& ops, TCalcHost& host)
{
    if (!target || !ops.MergeNodes) return 0;
    net.SetAllowClose(false);
    std::vector<TNode*> others;
    ForEachPointWithin(net, target->X, target->Y, d, [&](TNetworkPoint* p) {
        TNode* n = p->AsNode();
        if (n && n != target && n->Active) others.push_back(n);
        return true;
    });
    for (TNode* source : others) {
        if (!ops.MergeNodes(net, source, target)) host.PolygonNotMerged();
        host.EnableUndelete();
    }
    return int32_t(others.size());
}

bool CalcMergeIntoShapePoint(TNetwork& net, TNode* node, double d, const TCalcEditOps& ops)
{
    if (!node || AttachedLinkCount(node) > 0 || CountPolygonVertices(node->OwnPolygon(), true) > 0) return false;
    TShapePoint* found = nullptr;
    ForEachPointWithin(net, node->X, node->Y, d, [&](TNetworkPoint* p) {
        if (p->IsShapePoint() && p->Active) {
            found = p->AsShapePoint();
            return false;
        }
        return true;
    });
    if (!found || !ops.MergeNodeIntoShapePoint) return false;
    return ops.MergeNodeIntoShapePoint(net, node, found);
}

void CalcDeletePolygon(TNetwork& net, TNode* node)
{
    if (!node) return;
    net.SetAllowClose(false);
    for (TNetworkPoint* v : node->OwnPolygon()) {
        const int32_t i = net.PolygonsOf(v).IndexOf(node);
        if (i >= 0) net.PolygonsRef(v).DeleteAt(i);
    }
    node->OwnPolygonRef().Clear();
    UpdateNodePolygonBox(net, node);
}

void CalcOrientPolygon(TNetwork& net, TNode* node, bool clockwise)
{
    if (!node) return;
    if (PolygonIsClockwise(node) != clockwise) {
        net.SetAllowClose(false);
        ReversePolygon(node);
    }
}
