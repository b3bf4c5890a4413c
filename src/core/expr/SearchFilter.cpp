#include "core/expr/SearchFilter.h"

#include "core/file/TextFormat.h"

#include <cstring>

#include "core/model/Network.h"

namespace {

// Code character at 1-based position i of a slot holding packed codes.
char CodeAt(const TValueSlot& slot, int i) { return static_cast<char>(slot.Bytes[i - 1]); }
char CodeAt(double packed, int i)
{
    TValueSlot s;
    s.SetReal(packed);
    return CodeAt(s, i);
}

int CodePositions(const TAttrib& a) { return CategoryCodePositions(a); }

std::string_view RowCodes(const TAttrib& a, int row)
{
    if (!a.WorkSheet || row < 0 || row > MaxWorkSheetRow || row > a.TopRow) return {};
    return a.WorkSheet->Rows[row].Codes;
}

// 1-based index of c in codes, 0 when absent.
int IndexIn(std::string_view codes, char c)
{
    size_t p = codes.find(c);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

bool Contains(std::string_view value, std::string_view text) { return !text.empty() && value.find(text) != std::string_view::npos; }

} // namespace

TPreparedPolygon PreparePolygonCriterion(const TPolygonCriterion& criterion)
{
    TPreparedPolygon p;
    if (!criterion.Owner) return p;
    p.Set = true;
    p.ApplyToNodes = criterion.ApplyToNodes != 0;
    p.ApplyToLinks = criterion.ApplyToLinks != 0;
    p.Outside = criterion.Outside != 0;
    p.BothEnds = criterion.BothEnds != 0;
    GetPolygonCoordinates(criterion.Owner->OwnPolygon(), p.Points);
    p.Box = criterion.Owner->PolygonBox();
    return p;
}

bool TSearchFilter::Inside(int32_t x, int32_t y) const
{
    return PointInPolygon(x, y, Polygon_.Points.data(), Polygon_.Box, static_cast<int32_t>(Polygon_.Points.size())) != 0;
}

void TSearchFilter::PrepareTable(const TEntityClass& classes, PreparedTable& out)
{
    out.Classes = &classes;
    out.AnyCriteria = false;
    for (int cl = 0; cl <= MaxClasses; ++cl) {
        const TClassRecord& rec = classes[cl];
        PreparedClass& pc = out.Records[cl];
        int count = rec.AttributeCount < 0 ? 0 : (rec.AttributeCount > MaxAttributes ? MaxAttributes : rec.AttributeCount);
        pc.HasActive = rec.SearchClass == 1 && count == 0;
        pc.Bounds.assign(static_cast<size_t>(count), CategoricalBounds{});
        for (int k = 1; k <= count; ++k) {
            const TAttrib* a = rec.Attr(k);
            if (!a || !a->Active) continue;
            pc.HasActive = true;
            if (a->Kind != 'C') continue;
            CategoricalBounds& b = pc.Bounds[k - 1];
            for (int i = 1; i <= CodePositions(*a); ++i) {
                char lo = CodeAt(a->Low, i), hi = CodeAt(a->High, i);
                std::string_view codes = RowCodes(*a, i);
                b.Low[i] = lo == '?' ? 0 : static_cast<uint8_t>(IndexIn(codes, lo));
                b.High[i] = hi == '?' ? 254 : static_cast<uint8_t>(IndexIn(codes, hi));
            }
        }
        if (pc.HasActive) out.AnyCriteria = true;
    }
}

void TSearchFilter::Prepare(const TEntityClass& nodeClasses, const TEntityClass& linkClasses, TPreparedPolygon polygon)
{
    PrepareTable(nodeClasses, Tables_[0]);
    PrepareTable(linkClasses, Tables_[1]);
    Polygon_ = std::move(polygon);
    NodesUnfiltered = !(Tables_[0].AnyCriteria || (Polygon_.Set && Polygon_.ApplyToNodes));
    LinksUnfiltered = !(Tables_[1].AnyCriteria || (Polygon_.Set && Polygon_.ApplyToLinks));
}

bool TSearchFilter::CriterionHolds(const TAttrib& a, const CategoricalBounds* bounds, bool andClass,
                                   const TElementValues& values, int k)
{
    TValueSlot slot = values.Slot(k);
    switch (a.Kind) {
    case 'R':
    case 'I': {
        double v = slot.Real();
        return a.Low <= v && v <= a.High;
    }
    case 'D':
    case 'T':
    case 'X': {
        TValueSlot lo, hi;
        lo.SetReal(a.Low);
        hi.SetReal(a.High);
        if (andClass) return !DateTimeGreater(lo, slot) && !DateTimeGreater(slot, hi);
        return DateTimeGreaterOrEqual(slot, lo) && DateTimeGreaterOrEqual(hi, slot);
    }
    case 'S': {
        std::string_view s = values.String(a.StringIndex);
        bool first = Contains(s, a.LowText), second = Contains(s, a.HighText);
        return andClass ? (first && second) : (first || second);
    }
    case 'C': {
        int constrained = 0, held = 0;
        for (int i = 1; i <= CodePositions(a); ++i) {
            uint8_t lo = bounds->Low[i], hi = bounds->High[i];
            if (lo == 0 && hi == 254) continue;
            ++constrained;
            int idx = IndexIn(RowCodes(a, i), CodeAt(slot, i));
            if (idx == 0) idx = 255;
            if (lo <= idx && idx <= hi) ++held;
        }
        if (constrained == 0) return andClass;
        return andClass ? held == constrained : held > 0;
    }
    }
    return false;
}

bool TSearchFilter::AttributesPass(int kind, int classNo, const TElementValues& values) const
{
    const PreparedTable& t = Tables_[kind == 0 ? 0 : 1];
    if (!t.Classes || classNo < 0 || classNo > MaxClasses) return true;
    const TClassRecord& rec = (*t.Classes)[classNo];
    const PreparedClass& pc = t.Records[classNo];
    bool andClass = rec.SearchClass == 1;
    int count = static_cast<int>(pc.Bounds.size());
    if (andClass) {
        if (count == 0) return false;
        for (int k = 1; k <= count; ++k) {
            const TAttrib* a = rec.Attr(k);
            if (a && a->Active && !CriterionHolds(*a, &pc.Bounds[k - 1], true, values, k)) return false;
        }
        return true;
    }
    if (!pc.HasActive) return true;
    for (int k = 1; k <= count; ++k) {
        const TAttrib* a = rec.Attr(k);
        if (a && a->Active && CriterionHolds(*a, &pc.Bounds[k - 1], false, values, k)) return true;
    }
    return false;
}

bool TSearchFilter::NodePolygonPasses(int32_t x, int32_t y) const
{
    if (!Polygon_.Set || !Polygon_.ApplyToNodes) return true;
    bool inside = Inside(x, y);
    return Polygon_.Outside ? !inside : inside;
}

bool TSearchFilter::LinkPolygonPasses(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    if (!Polygon_.Set || !Polygon_.ApplyToLinks) return true;
    bool a = Inside(x1, y1);
    bool b = Inside(x2, y2);
    if (Polygon_.Outside) {
        a = !a;
        b = !b;
    }
    return Polygon_.BothEnds ? (a && b) : (a || b);
}

namespace {

template <class E>
TElementValues ValuesOf(const E& e)
{
    TElementValues v;
    v.Slots = e.Values.get();
    v.SlotCount = SlotCount(e);
    v.Strings = &e.Strings;
    v.StringCount = static_cast<int>(e.Strings.size());
    return v;
}

} // namespace

bool TSearchFilter::NodePassesSearch(const TNode& node) const
{
    if (NodesUnfiltered) return true;
    if (!AttributesPass(0, node.EntityType, ValuesOf(node))) return false;
    return NodePolygonPasses(node.X, node.Y);
}

bool TSearchFilter::LinkPassesSearch(const TLink& link, const TNode& node) const
{
    if (LinksUnfiltered) return true;
    const TLinkValues* v = link.LinkValues;
    if (!v) return false;
    if (!AttributesPass(1, v->EntityType, ValuesOf(*v))) return false;
    if (!link.FarNode) return NodePolygonPasses(node.X, node.Y);
    return LinkPolygonPasses(node.X, node.Y, link.FarNode->X, link.FarNode->Y);
}

TSearchFilter PrepareSearch(const TNetwork& net, TSearchSettings& search)
{
    TSearchFilter f;
    f.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(search.PolygonCriterion));
    search.NodesUnfiltered = f.NodesUnfiltered ? 1 : 0;
    search.LinksUnfiltered = f.LinksUnfiltered ? 1 : 0;
    return f;
}
