// Network-wide part of the search filter: the polygon criterion and the
// "unfiltered" shortcuts set when the filter is prepared. The per-class and
// per-attribute criteria live in the entity-class records (TClassRecord's
// SearchClass and HasCriteria, TAttrib's Active, High, Low, LowText, HighText).
#pragma once

#include <cstdint>

class TNode;
struct TFileContext;
class TNetwork;

// Inside or outside one node's polygon. The four flag bytes are stored in the
// network file in this order.
struct TPolygonCriterion {
    TNode* Owner = nullptr; // polygon owner node; nullptr = no polygon criterion
    uint8_t ApplyToNodes = 0;
    uint8_t ApplyToLinks = 0;
    uint8_t Outside = 0;  // 1 outside, 0 inside
    uint8_t BothEnds = 0; // links: 1 both ends must satisfy the side, 0 one is enough

    void Reset() { *this = TPolygonCriterion{}; }
};

struct TSearchSettings {
    TPolygonCriterion PolygonCriterion;
    // Set by the preparation step: 1 = nothing restricts that kind of element.
    uint8_t NodesUnfiltered = 1;
    uint8_t LinksUnfiltered = 1;

    void Reset() { *this = TSearchSettings{}; }
};
