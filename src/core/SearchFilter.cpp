#include "core/SearchFilter.h"

#include "core/ExpressionDates.h"

#include <cstring>

namespace {

// Code character at 1-based position i of a slot holding packed codes.
char CodeAt(const TValueSlot& slot, int i) { return static_cast<char>(slot.Bytes[i - 1]); }
char CodeAt(double packed, int i)
{
    TValueSlot s;
    s.SetReal(packed);
    return CodeAt(s, i);
}

// Number of code positions of a categorical attribute; slots hold at most 8.
int CodePositions(const TAttrib& a) { return a.TopRow < 0 ? 0 : (a.TopRow > 8 ? 8 : a.TopRow); }

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

int PolygonContains(const TPreparedPolygon& poly, int32_t x, int32_t y)
{
    const int n = static_cast<int>(poly.X.size());
    if (n == 0) return 0;
    if (x < poly.MinX || x > poly.MaxX || y < poly.MinY || y > poly.MaxY) return 0;
    const int64_t X = x, Y = y;
    auto vx = [&](int i) -> int64_t { return poly.X[i]; };
    auto vy = [&](int i) -> int64_t { return poly.Y[i]; };
    int64_t c = 0;
    for (int i = 0; i < n; ++i) {
        int j = (i + 1) % n;
        int k = (i + n - 1) % n;
        if (vx(i) == X && vy(i) == Y) return 1;
        if (vy(i) == Y && vy(j) == Y) {
            if ((X > vx(i) && X < vx(j)) || (X > vx(j) && X < vx(i))) return 1;
            if (X < vx(i) && X < vx(j) && vy(k) != Y) {
                int after = -1, before = -1;
                for (int s = 1; s < n; ++s) {
                    int m = (j + s) % n;
                    if (vy(m) != Y) {
                        after = m;
                        break;
                    }
                }
                for (int s = 1; s < n; ++s) {
                    int m = (i - s + n) % n;
                    if (vy(m) != Y) {
                        before = m;
                        break;
                    }
                }
                if (after >= 0 && before >= 0 &&
                    ((Y < vy(after) && Y < vy(before)) || (Y > vy(after) && Y > vy(before))))
                    --c;
            }
        }
        if ((vy(i) <= Y && Y < vy(j)) || (vy(j) < Y && Y <= vy(i))) {
            if (vx(i) == X && vx(j) == X) return 1;
            if (vx(i) >= X && vx(j) >= X) {
                ++c;
            } else {
                double xc = static_cast<double>(Y - vy(i)) * static_cast<double>(vx(i) - vx(j)) /
                                static_cast<double>(vy(i) - vy(j)) +
                            static_cast<double>(vx(i));
                if (static_cast<double>(X) == xc) return 1;
                if (static_cast<double>(X) < xc) ++c;
            }
            if (vy(i) == Y && vx(i) > X &&
                ((vy(j) < Y && vy(k) < Y) || (vy(j) > Y && vy(k) > Y)))
                --c;
        }
    }
    return (c >= 0 && c % 2 == 1) ? 2 : 0;
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
    if (Polygon_.X.size() != Polygon_.Y.size()) Polygon_.Set = false;
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
        const uint8_t* v = slot.Bytes;
        if (andClass) return !PackedDateLess(v, lo.Bytes) && !PackedDateLess(hi.Bytes, v);
        // v >= low and high >= v
        bool geLow = PackedDateLess(lo.Bytes, v) || PackedDateEqual(lo.Bytes, v);
        bool highGe = PackedDateLess(v, hi.Bytes) || PackedDateEqual(v, hi.Bytes);
        return geLow && highGe;
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
    bool inside = PolygonContains(Polygon_, x, y) != 0;
    return Polygon_.Outside ? !inside : inside;
}

bool TSearchFilter::LinkPolygonPasses(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    if (!Polygon_.Set || !Polygon_.ApplyToLinks) return true;
    bool a = PolygonContains(Polygon_, x1, y1) != 0;
    bool b = PolygonContains(Polygon_, x2, y2) != 0;
    if (Polygon_.Outside) {
        a = !a;
        b = !b;
    }
    return Polygon_.BothEnds ? (a && b) : (a || b);
}
