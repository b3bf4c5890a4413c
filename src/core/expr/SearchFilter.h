// The search filter: which nodes and links take part in drawing, Calculate,
// extraction, export, coverage and counts. Criteria on attribute values come
// from the entity classes; one polygon criterion may restrict by position.
//
// A TSearchFilter is prepared by the caller for one batch of tests and owned
// by that call (drawing an underlay inside a drawing prepares its own).
#pragma once

#include "core/model/EntityClasses.h"
#include "core/model/NetworkQueries.h"
#include "core/model/SearchSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The values of one element as the filter reads them.
struct TElementValues {
    const TValueSlot* Slots = nullptr; // attribute k in Slots[k - 1]
    int SlotCount = 0;
    const TStringList* Strings = nullptr; // by StringIndex
    int StringCount = 0;

    TValueSlot Slot(int k) const { return (k >= 1 && k <= SlotCount) ? Slots[k - 1] : TValueSlot{}; }
    std::string_view String(int index) const
    {
        return (index >= 0 && index < StringCount) ? std::string_view((*Strings)[size_t(index)]) : std::string_view();
    }
};

// The polygon criterion with its vertices gathered once for the batch.
struct TPreparedPolygon {
    bool Set = false;
    bool ApplyToNodes = false, ApplyToLinks = false;
    bool Outside = false;  // 1 outside, 0 inside
    bool BothEnds = false; // links: both ends must be on the side
    std::vector<TIntPoint> Points;
    TBox Box = EmptyBox;
};

// The polygon criterion of a network gathered for one batch.
TPreparedPolygon PreparePolygonCriterion(const TPolygonCriterion& criterion);

class TSearchFilter {
public:
    // Prepares both class tables and the polygon criterion.
    void Prepare(const TEntityClass& nodeClasses, const TEntityClass& linkClasses, TPreparedPolygon polygon);

    bool NodesUnfiltered = true;
    bool LinksUnfiltered = true;

    // The attribute test of one element of class ClassNo (0 nodes, 1 links).
    bool AttributesPass(int kind, int classNo, const TElementValues& values) const;
    // The polygon criterion for a node at (x, y), and for a link whose ends
    // are at (x1, y1) and (x2, y2).
    bool NodePolygonPasses(int32_t x, int32_t y) const;
    bool LinkPolygonPasses(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;

    const TPreparedPolygon& Polygon() const { return Polygon_; }

    // The whole test of a node, and of a link given as a half-edge from
    // Node's list (Node is one end, the half-edge's far node the other).
    bool NodePassesSearch(const TNode& node) const;
    bool LinkPassesSearch(const TLink& link, const TNode& node) const;

private:
    struct CategoricalBounds {
        std::array<uint8_t, 9> Low{}, High{}; // positions 1..8
    };
    struct PreparedClass {
        bool HasActive = false;
        std::vector<CategoricalBounds> Bounds; // per attribute 1..n (index k - 1)
    };
    struct PreparedTable {
        const TEntityClass* Classes = nullptr;
        std::array<PreparedClass, MaxClasses + 1> Records;
        bool AnyCriteria = false;
    };
    static void PrepareTable(const TEntityClass& classes, PreparedTable& out);
    bool Inside(int32_t x, int32_t y) const;
    static bool CriterionHolds(const TAttrib& a, const CategoricalBounds* bounds, bool andClass,
                               const TElementValues& values, int k);

    std::array<PreparedTable, 2> Tables_;
    TPreparedPolygon Polygon_;
};

class TNetwork;

// Prepares a filter from the network's classes and a window's polygon
// criterion and stores the two "unfiltered" bytes in that window's settings.
TSearchFilter PrepareSearch(const TNetwork& net, TSearchSettings& search);
