// The built-in operands P0..P35 of a Calculate entity: from the class's
// parameter string, the lookup tables, the link-ends and polygon-owner sets.
#pragma once

#include <array>
#include <cstdint>

#include "core/calc/CalcProgram.h"
#include "core/expr/Expression.h"
#include "core/model/EntityClasses.h"

class TNetwork;
class TNode;
struct TLink;

constexpr int CalcOperandCount = 36; // P0..P35
using TCalcOperands = std::array<double, CalcOperandCount>;

// Whether any table or set of the program is in use; computed once per run.
struct TCalcUsage {
    bool LookupTables = false;
    bool LinkEnds = false;
    bool PolygonOwners = false;
};
TCalcUsage ComputeCalcUsage(const TCalcProgram& program);

// The node that owns the first polygon the node is a vertex of; nullptr when
// none.
TNode* FirstOwnerNode(const TNetwork& net, const TNode* node);

// The values an entity's operands are loaded from.
struct TCalcEntityView {
    int Kind = CalcKindSystem;  // node, link or system
    int ClassNo = 0;            // class 1..10, or the stage for the system
    const TNode* Node = nullptr;
    const TLink* Link = nullptr;
    const TValueSlot* Slots = nullptr; // attribute k in Slots[k - 1]; k = 1..Count
    double UnitsFactor = 1.0;          // lengths and areas in the window's units
    int Count = 0;
};

// The value one parameter character selects for an entity (system
// attributes, "E", and the node's or link's built-in values); 0 for anything
// else, and for a node or link code without its element.
double ParameterCharValue(const TNetwork& net, int kind, const TNode* node, const TLink* link, char c,
                          double unitsFactor);

// Fills P0..P35 for one entity.
void LoadBuiltInOperands(const TNetwork& net, const TCalcProgram& program, const TCalcUsage& usage,
                         const TCalcEntityView& entity, TCalcOperands& p);

// One lookup: the code at the table's position of Values[Attribute] mapped
// through the rows to P[target] (Parameter, or targetOverride when above 0).
// Slots holds attribute k at Slots[k - 1], count of them.
void LookupTableValue(const TNetwork& net, const TLookupTable& table, int targetOverride, const TValueSlot* slots,
                      int count, TCalcOperands& p);
