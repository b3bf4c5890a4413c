// The network changes that Calculate's command words make. Each takes the
// network, the element and the editing operations of the run; none draws.
#pragma once

#include <cstdint>

#include "core/calc/CalcRun.h"
#include "core/edit/Editing.h"

class TNetwork;
class TNode;
struct TLink;

// The editing operations with a window's long/lat hooks and splice rules.
TCalcEditOps CalcEditOpsFor(const TEditHooks& hooks, const TSpliceSettings& rules);

// MRGE d: merges every other active node within distance d into node.
// Returns how many nodes were merged.
int32_t CalcMergeNodesWithin(TNetwork& net, TNode* node, double d, const TCalcEditOps& ops, TCalcHost& host);

// SMRG d: replaces a node without active links or shown polygon vertices by
// the first shape point within distance d (cells in table order, points in
// cell order) in the polygons that use it, then deletes it. False when
// nothing was done.
bool CalcMergeIntoShapePoint(TNetwork& net, TNode* node, double d, const TCalcEditOps& ops);

// PDEL: empties the node's own polygon.
void CalcDeletePolygon(TNetwork& net, TNode* node);

// CLKW / CCLK: orients the node's own polygon.
void CalcOrientPolygon(TNetwork& net, TNode* node, bool clockwise);
