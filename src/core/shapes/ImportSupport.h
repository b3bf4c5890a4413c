// What the importers share: the index that joins a new point to the node
// already at its long/lat, and the throttle of their progress callbacks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/model/KeyTable.h"

class TNetwork;
class TNode;
struct TWindowSettings;

// Lets events through now and then during a long import.
using TImportProgress = std::function<void()>;

// After an import: every point filed again in the hash, and the extents,
// link reaches and boxes follow what was added.
void RebuildAfterImport(TNetwork& net, TWindowSettings& window);

// Calls the progress callback about every 30 ms.
class TImportThrottle {
public:
    explicit TImportThrottle(const TImportProgress& progress) : Progress(progress) {}
    // One element done.
    void Step()
    {
        if (!Progress || (++Count & 1023) != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - Last >= std::chrono::milliseconds(30)) {
            Last = now;
            Progress();
        }
    }
    // A step of the import ended: call at once.
    void Now()
    {
        if (!Progress) return;
        Last = std::chrono::steady_clock::now();
        Progress();
    }

private:
    const TImportProgress& Progress;
    uint32_t Count = 0;
    std::chrono::steady_clock::time_point Last = std::chrono::steady_clock::now();
};

// The nodes of a network by exact long/lat, so that joining a point to an
// existing node looks at the few nodes of that long/lat instead of every
// point of a cell. It answers as FindPointByLongLat does for nodes: the node
// of the layer, in the cell of the position, when the cell's long/lat box
// holds the long/lat; when several qualify the cell's list order decides.
class TLongLatNodes {
public:
    // Every node of the network.
    void Build(const TNetwork& net);
    void Add(TNode* n);
    TNode* Find(const TNetwork& net, int32_t x, int32_t y, int32_t longitude, int32_t latitude, int layer) const;

private:
    struct TEntry {
        TNode* Node;
        int32_t Next;
    };
    struct TChain {
        uint64_t Key = 0;
        int32_t Head = -1, Tail = -1;
        bool Empty() const { return Head < 0; }
    };
    std::vector<TEntry> Entries;
    TKeyTable<TChain> Heads;
};

// The active nodes of a network by world position and layer, so that a
// point whose long/lat is unknown (0) joins the node already at its place on
// its layer. When several are there the hash's order decides (the first in
// its cell's list).
class TPositionNodes {
public:
    void Build(const TNetwork& net);
    // Files a new node: it goes before those already at its place, as in
    // its cell's list. Its place and layer are taken now; the filing waits
    // for the next Find (an import whose points all have a long/lat never
    // asks).
    void Add(TNode* n);
    TNode* Find(int32_t x, int32_t y, int layer);

private:
    struct TEntry {
        uint64_t Key = 0;
        TNode* Node = nullptr;
        bool Empty() const { return Node == nullptr; }
    };
    TKeyTable<TEntry> Nodes;
    std::vector<TEntry> Waiting; // added, in order, not yet filed
};
