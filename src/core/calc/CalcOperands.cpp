// Built-in operands and lookups of Calculate entities.
#include "core/calc/CalcOperands.h"

#include "core/file/TextFormat.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"

#include <cmath>
#include <string_view>

namespace {

int NodeClass(const TNode* n) { return n ? n->EntityType : 0; }

// Value of system attribute k when it is a number ('R' as is, 'I' rounded).
double SystemNumber(const TNetwork& net, int k)
{
    if (!net.SystemClass) return 0;
    const TClassRecord& rec = (*net.SystemClass)[1];
    if (k < 1 || k > rec.AttributeCount) return 0;
    const TAttrib* a = rec.Attr(k);
    if (!a) return 0;
    double v = net.SystemValues[size_t(k)].Real();
    if (!std::isfinite(v)) return 0;
    if (a->Kind == 'R') return v;
    if (a->Kind == 'I') return pround(v);
    return 0;
}

// The system attribute a parameter character names: '1'..'9' are 1..9,
// 'A' and 'a' 10, 'b'..'z' 11..35; 0 for any other character.
int SystemAttributeOfChar(char c)
{
    if (c >= '1' && c <= '9') return c - '0';
    if (c == 'A') return 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    return 0;
}

double NodeParameter(const TNetwork& net, const TNode& node, char c, double units)
{
    const TMyPolygonList& own = node.OwnPolygon();
    switch (c) {
    case 'E': return 0;
    case 'X': return node.X;
    case 'Y': return node.Y;
    case 'F': return node.Serial;
    case 'P': return NodeClass(FirstOwnerNode(net, &node));
    case 'L': return AttachedLinkCount(&node);
    case 'S': return CountPolygonVertices(own, true);
    case '@': return PolygonPerimeter(own, units, false);
    case '$': return PolygonPerimeter(own, units, true);
    case 'M': return PolygonArea(own, units);
    case 'N': {
        const TNode* o = FirstOwnerNode(net, &node);
        return o ? o->Serial : 0;
    }
    case 'R': {
        const TNode* o = FirstOwnerNode(net, &node);
        return o ? CountVerticesUpTo(o->OwnPolygon(), &node) : 0;
    }
    case '^': return PolygonCentroid(own, true);
    case '_': return PolygonCentroid(own, false);
    case '-': return node.Longitude / 10000000.0;
    case '|': return node.Latitude / 10000000.0;
    case ';': return node.Elevation / 10000.0;
    case '~': return PolygonIsClockwise(&node) ? 1 : 0;
    default: return 0;
    }
}

double LinkParameter(const TNetwork& net, const TLink& link, char c, double units)
{
    const TLinkValues* r = link.LinkValues;
    if (!r) return 0;
    const TNode* a = r->ANode;
    const TNode* b = r->BNode;
    switch (c) {
    case 'E': return 1;
    case 'X': return a ? a->X : 0;
    case 'Y': return a ? a->Y : 0;
    case 'I': return b ? b->X : 0;
    case 'J': return b ? b->Y : 0;
    case 'G': return a ? a->Serial : 0;
    case 'H': return b ? b->Serial : 0;
    case 'P': return NodeClass(a);
    case 'Q': return NodeClass(b);
    case 'L': return LinkLength(&link, units);
    case 'S': return r->ShapePoints.GetCount();
    case '@': return LinkAzimuth(&link);
    default: return 0;
    }
}

void SetOperand(TCalcOperands& p, int i, double v)
{
    if (i >= 1 && i < CalcOperandCount) p[size_t(i)] = v;
}

const TEntityClass* ClassesOfKind(const TNetwork& net, int kind)
{
    switch (kind) {
    case CalcKindNode: return net.NodeClasses.get();
    case CalcKindLink: return net.LinkClasses.get();
    default: return net.SystemClass.get();
    }
}

double SlotReal(const TValueSlot* slots, int count, int k)
{
    if (!slots || k < 1 || k > count) return 0;
    double v = slots[k - 1].Real();
    return std::isfinite(v) ? v : 0;
}

// Applies every lookup table for (node class, attribute, code position) to
// the node's values with target as the operand.
void ApplyNodeLookups(const TNetwork& net, const TCalcProgram& program, const TNode& node, int attribute,
                      int codePosition, int target, TCalcOperands& p)
{
    for (int t = 1; t <= CalcLookupTableCount; ++t) {
        const TLookupTable& lt = program.LookupTables[t];
        if (lt.ClassIndex == node.EntityType && lt.ClassKind == CalcKindNode && lt.Attribute == attribute &&
            lt.CodePosition == codePosition)
            LookupTableValue(net, lt, target, node.Values.get(), SlotCount(node), p);
    }
}

// An attribute of a related node into P[target]: as a value (code position
// 0) or through the lookup tables.
void CopyNodeAttribute(const TNetwork& net, const TCalcProgram& program, const TNode& node, int attribute,
                       int codePosition, int target, TCalcOperands& p)
{
    if (target < 1 || target >= CalcOperandCount || attribute < 1) return;
    if (codePosition == 0)
        p[size_t(target)] = SlotReal(node.Values.get(), SlotCount(node), attribute);
    else
        ApplyNodeLookups(net, program, node, attribute, codePosition, target, p);
}

} // namespace

TCalcUsage ComputeCalcUsage(const TCalcProgram& program)
{
    TCalcUsage u;
    for (int t = 1; t <= CalcLookupTableCount; ++t)
        if (program.LookupTables[t].ClassIndex > 0) u.LookupTables = true;
    for (int s = 1; s <= CalcSetCount; ++s) {
        if (program.LinkEndsSets[s][6] >= 1 && program.LinkEndsSets[s][7] >= 1) u.LinkEnds = true;
        if (program.PolygonOwnerSets[s][6] >= 1 && program.PolygonOwnerSets[s][7] >= 1) u.PolygonOwners = true;
    }
    return u;
}

TNode* FirstOwnerNode(const TNetwork& net, const TNode* node)
{
    if (!node || net.PolygonsOf(node).GetCount() == 0) return nullptr;
    return net.PolygonsOf(node).At(0);
}

void LookupTableValue(const TNetwork& net, const TLookupTable& table, int targetOverride, const TValueSlot* slots,
                      int count, TCalcOperands& p)
{
    if (table.Parameter < 1 || table.Attribute < 1 || table.Attribute > MaxAttributes) return;
    // The allowed codes: the codes text of the worksheet row for the position.
    std::string_view allowed;
    const TEntityClass* classes = ClassesOfKind(net, table.ClassKind);
    const int classNo = table.ClassKind == CalcKindSystem ? 1 : table.ClassIndex;
    if (classes && classNo >= 1 && classNo <= MaxClasses) {
        const TAttrib* a = (*classes)[classNo].Attr(table.Attribute);
        if (a && a->WorkSheet && table.CodePosition >= 1 && table.CodePosition <= MaxWorkSheetRow)
            allowed = a->WorkSheet->Rows[size_t(table.CodePosition)].Codes;
    }
    TValueSlot slot = (slots && table.Attribute <= count) ? slots[table.Attribute - 1] : TValueSlot{};
    const std::string code = UnpackShortText(slot);
    if (table.CodePosition < 1 || size_t(table.CodePosition) > code.size()) return;
    const char c = code[size_t(table.CodePosition - 1)];
    const int target = targetOverride > 0 ? targetOverride : table.Parameter;
    const std::size_t pos = allowed.find(c);
    if (pos != std::string_view::npos) {
        for (int r = 1; r <= CalcLookupRowCount; ++r) {
            const char bottom = table.Bottom[size_t(r)];
            const char top = table.Top[size_t(r)];
            const std::size_t bp = bottom == '?' ? 0 : allowed.find(bottom);
            const std::size_t tp = top == '?' ? std::string_view::npos - 1 : allowed.find(top);
            const bool bottomOk = bottom == '?' || (bp != std::string_view::npos && bp <= pos);
            const bool topOk = top == '?' || (tp != std::string_view::npos && tp >= pos);
            if (bottomOk && topOk) {
                SetOperand(p, target, table.Values[size_t(r)]);
                return;
            }
        }
    }
    if (table.ApplyOtherwise == 1) SetOperand(p, target, table.Otherwise);
}

double ParameterCharValue(const TNetwork& net, int kind, const TNode* node, const TLink* link, char c,
                          double unitsFactor)
{
    if (int k = SystemAttributeOfChar(c)) return SystemNumber(net, k);
    if (c == 'E') return kind;
    if (kind == CalcKindNode && node) return NodeParameter(net, *node, c, unitsFactor);
    if (kind == CalcKindLink && link) return LinkParameter(net, *link, c, unitsFactor);
    return 0;
}

void LoadBuiltInOperands(const TNetwork& net, const TCalcProgram& program, const TCalcUsage& usage,
                         const TCalcEntityView& e, TCalcOperands& p)
{
    p.fill(0);
    p[0] = e.ClassNo;
    if (e.ClassNo < 1 || e.ClassNo > CalcLineCount || e.Kind < 0 || e.Kind > 2) return;
    const std::string& params = program.CalcParameters[size_t(e.Kind)][size_t(e.ClassNo)];
    const std::size_t n = std::min<std::size_t>(params.size(), CalcParameterLength);
    for (std::size_t i = 0; i < n; ++i) {
        const char c = params[i];
        p[i + 1] = ParameterCharValue(net, e.Kind, e.Node, e.Link, c, e.UnitsFactor);
    }

    if (usage.LookupTables) {
        const int classNo = e.Kind == CalcKindSystem ? 1 : e.ClassNo;
        for (int t = 1; t <= CalcLookupTableCount; ++t) {
            const TLookupTable& lt = program.LookupTables[t];
            if (lt.ClassIndex == classNo && lt.ClassKind == e.Kind && lt.Attribute <= e.Count)
                LookupTableValue(net, lt, 0, e.Slots, e.Count, p);
        }
    }

    if (usage.LinkEnds && e.Kind == CalcKindLink && e.Link && e.Link->LinkValues) {
        const TLinkValues* r = e.Link->LinkValues;
        for (int s = 1; s <= CalcSetCount; ++s) {
            const TParameterSet& set = program.LinkEndsSets[s];
            if (set[6] != r->EntityType) continue;
            for (int end = 0; end < 2; ++end) {
                const TNode* node = end == 0 ? r->ANode : r->BNode;
                if (!node || node->EntityType != set[7]) continue;
                const int param = set[size_t(0 + end)], attr = set[size_t(2 + end)], pos = set[size_t(4 + end)];
                if (param == 0 || attr <= 0) continue;
                CopyNodeAttribute(net, program, *node, attr, pos, param, p);
            }
        }
    }

    if (usage.PolygonOwners && e.Kind == CalcKindNode && e.Node) {
        const TNode* owner = FirstOwnerNode(net, e.Node);
        if (owner)
            for (int s = 1; s <= CalcSetCount; ++s) {
                const TParameterSet& set = program.PolygonOwnerSets[s];
                if (set[6] != e.Node->EntityType || set[7] != owner->EntityType) continue;
                if (set[0] == 0 || set[2] <= 0) continue;
                CopyNodeAttribute(net, program, *owner, set[2], set[4], set[0], p);
            }
    }
}
