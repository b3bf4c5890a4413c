// Commands of the sketch pad that act on a whole network at once: deleting
// the nodes of unseen layers, deleting what the search does not show,
// clearing the search and clearing the templates of new elements. Deletion
// is soft, as everywhere: each element deleted gets its undelete record.
#pragma once

#include <cstdint>

#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

struct TBulkDeleteResult {
    int32_t Nodes = 0; // nodes deleted (their links with them)
    int32_t Links = 0; // links deleted on their own
    bool Any() const { return Nodes > 0 || Links > 0; }
};

// Every active node on a layer the view does not show is deleted with its
// links. Shape points stay with their links. Marks the network modified only
// when something was deleted.
TBulkDeleteResult DeleteUnseenLayers(TNetwork& net, const TViewRecord& view, TWindowSettings& settings);

// Every active node that fails the node search (when nodes are filtered) is
// deleted with its links; then every active link that fails the link search
// (when links are filtered) is deleted on its own, tested from each of its
// ends. The search is prepared from the network's classes and the window's
// polygon criterion. Marks the network modified only when something was
// deleted.
TBulkDeleteResult DeleteBySearch(TNetwork& net, TWindowSettings& settings);

// A view's picks and current node that a deletion made inactive are dropped.
// True when anything was dropped.
bool DropInactivePicks(TViewRecord& view);

// Every search switch of the node and link classes off, every attribute's
// bounds 0 and its criterion off, the window's polygon criterion emptied.
// Marks the network modified.
void ClearSearch(TNetwork& net, TWindowSettings& settings);

// The templates of new nodes and links back to their state in a new network:
// class 0, no name, note, labels or values. Marks the network modified.
void ClearInitialAttributes(TNetwork& net);
