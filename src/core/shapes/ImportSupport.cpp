#include "core/shapes/ImportSupport.h"

#include "core/edit/Transforms.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

uint64_t LongLatKey(int32_t longitude, int32_t latitude)
{
    return (uint64_t(uint32_t(longitude)) << 32) | uint64_t(uint32_t(latitude));
}

// Places within ±2^23 in X and Y (the world is far smaller) with the layer;
// false for a place outside.
bool PositionKey(int32_t x, int32_t y, int layer, uint64_t& key)
{
    constexpr int32_t Reach = 1 << 23;
    if (x < -Reach || x >= Reach || y < -Reach || y >= Reach || layer < 0 || layer > 255) return false;
    key = (uint64_t(uint32_t(x + Reach)) << 32) | (uint64_t(uint32_t(y + Reach)) << 8) | uint64_t(layer);
    return true;
}

} // namespace

void TPositionNodes::Build(const TNetwork& net)
{
    bool fresh = false;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode(); n && n->Active) {
                uint64_t key = 0;
                if (PositionKey(n->X, n->Y, n->Layer, key)) Nodes.Insert({key, n}, fresh);
            }
}

void TPositionNodes::Add(TNode* n)
{
    uint64_t key = 0;
    if (PositionKey(n->X, n->Y, n->Layer, key)) Waiting.push_back({key, n});
}

TNode* TPositionNodes::Find(int32_t x, int32_t y, int layer)
{
    bool fresh = false;
    for (const TEntry& e : Waiting) Nodes.Insert(e, fresh).Node = e.Node;
    Waiting.clear();
    uint64_t key = 0;
    if (!PositionKey(x, y, layer, key)) return nullptr;
    const TEntry* e = Nodes.Find(key);
    return e ? e->Node : nullptr;
}

void TLongLatNodes::Build(const TNetwork& net)
{
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode()) Add(n);
}

void TLongLatNodes::Add(TNode* n)
{
    const int32_t at = int32_t(Entries.size());
    Entries.push_back({n, -1});
    bool fresh = false;
    TChain& chain = Heads.Insert({LongLatKey(n->Longitude, n->Latitude), at, at}, fresh);
    if (!fresh) {
        Entries[size_t(chain.Tail)].Next = at;
        chain.Tail = at;
    }
}

TNode* TLongLatNodes::Find(const TNetwork& net, int32_t x, int32_t y, int32_t longitude, int32_t latitude,
                           int layer) const
{
    const TChain* chain = Heads.Find(LongLatKey(longitude, latitude));
    if (!chain) return nullptr;
    const THashTable& table = net.NodeHash;
    const int64_t cellKey = table.CellKey(x, y);
    TNode* found = nullptr;
    for (int32_t i = chain->Head; i >= 0; i = Entries[size_t(i)].Next) {
        TNode* n = Entries[size_t(i)].Node;
        if (n->Layer != layer || n->Longitude != longitude || n->Latitude != latitude) continue;
        if (table.CellKey(n->X, n->Y) != cellKey) continue;
        if (found) {
            // Two candidates: the cell's list order decides.
            TNode* node = nullptr;
            TShapePoint* shape = nullptr;
            FindPointByLongLat(net, x, y, longitude, latitude, layer, node, shape, false);
            return node;
        }
        found = n;
    }
    if (!found) return nullptr;
    const THashEntry* cell = table.FindCellByKey(cellKey);
    return cell && cell->LongLatBoxContains(longitude, latitude) ? found : nullptr;
}

void RebuildAfterImport(TNetwork& net, TWindowSettings& window)
{
    TTransformParams params;
    TViewRecord view;
    view.Settings = &window;
    TransformNetwork(net, view, window, TransformRebuild, params);
}
