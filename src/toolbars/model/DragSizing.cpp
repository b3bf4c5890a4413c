#include "toolbars/model/DragSizing.h"

#include <algorithm>
#include <climits>

int MulDiv(int A, int B, int C)
{
    if (C == 0) return -1;
    int64_t n = int64_t(A) * B;
    int64_t d = C;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
    if (q > INT_MAX || q < INT_MIN) return -1;
    return int(q);
}

TRect OutlineAt(QPoint P, QSize Size, const TGrab& G)
{
    const int left = P.x() - MulDiv(Size.width() - 1, G.Point.x(), G.OldSize.width());
    const int top = P.y() - MulDiv(Size.height() - 1, G.Point.y(), G.OldSize.height());
    return TRect::At(QPoint(left, top), Size);
}

bool DockAccepts(const TDockTarget& D, QPoint P, const TGrab& G)
{
    TRect r = D.Client;
    // An empty dock counts as 2 pixels thick.
    if (r.Width() <= 0 || r.Height() <= 0) {
        if (IsVerticalDock(D.Position))
            r = {r.Left - 1, r.Top, r.Left + 1, r.Bottom};
        else
            r = {r.Left, r.Top - 1, r.Right, r.Top + 1};
    }
    const int sx = MulDiv(32, G.Point.x(), G.OldSize.width());
    if (P.x() < r.Left - (32 - sx) || P.x() > r.Right - 1 + sx) return false;
    if (IsVerticalDock(D.Position) && (P.y() < r.Top || P.y() >= r.Bottom)) return false;
    const int sy = MulDiv(20, G.Point.y(), G.OldSize.height());
    if (P.y() < r.Top - (20 - sy) || P.y() > r.Bottom - 1 + sy) return false;
    return OutlineAt(P, D.Size, G).Intersects(r);
}

TDragChoice ChooseTarget(QPoint P, bool NoDock, bool CanDockLeftRight, const std::vector<TDockTarget>& Docks,
                         QSize FloatSize, const TGrab& G, const TRect& Work, int FrameWidth)
{
    TDragChoice c;
    if (!NoDock) {
        for (int pass = 0; pass < 2 && c.Dock < 0; ++pass) {
            if (pass == 1 && !CanDockLeftRight) break;
            for (size_t i = 0; i < Docks.size(); ++i) {
                const TDockTarget& d = Docks[i];
                if (!d.AllowDrag || IsVerticalDock(d.Position) != (pass == 1)) continue;
                if (DockAccepts(d, P, G)) {
                    c.Dock = int(i);
                    break;
                }
            }
        }
    }
    if (c.Dock >= 0) {
        c.Outline = OutlineAt(P, Docks[size_t(c.Dock)].Size, G);
        c.Thickness = 1;
        return c;
    }
    P.setX(std::clamp(P.x(), Work.Left, std::max(Work.Left, Work.Right)));
    P.setY(std::clamp(P.y(), Work.Top, std::max(Work.Top, Work.Bottom)));
    TRect o = OutlineAt(P, FloatSize, G);
    const TRect w = Work.Grown(-(FrameWidth + 4), -(FrameWidth + 4));
    if (o.Bottom < w.Top) o = o.Moved(0, w.Top - o.Bottom);
    if (o.Top > w.Bottom) o = o.Moved(0, w.Bottom - o.Top);
    if (o.Right < w.Left) o = o.Moved(w.Left - o.Right, 0);
    if (o.Left > w.Right) o = o.Moved(w.Right - o.Left, 0);
    c.Outline = o;
    c.Thickness = FrameWidth;
    return c;
}

std::array<TRect, 4> OutlineBands(const TRect& R, int T)
{
    T = std::max(1, std::min({T, (R.Width() + 1) / 2, (R.Height() + 1) / 2}));
    return {TRect{R.Left, R.Top, R.Right, R.Top + T}, TRect{R.Left, R.Bottom - T, R.Right, R.Bottom},
            TRect{R.Left, R.Top + T, R.Left + T, R.Bottom - T}, TRect{R.Right - T, R.Top + T, R.Right, R.Bottom - T}};
}

TDropPlace DropPlace(const TRect& O, bool Vertical, const std::vector<int>& RowThickness)
{
    const int middle = Vertical ? (O.Left + O.Right) / 2 : (O.Top + O.Bottom) / 2;
    const TRowHit h = RowHitTest(RowThickness, middle);
    return {h.Row, h.NewRow, Vertical ? O.Top : O.Left};
}

std::vector<QSize> BuildShapeList(const TWrapLayout& Layout, int LargestControlWidth, QSize Frame, TSizingEdge Edge,
                                  int* Layouts)
{
    std::vector<QSize> shapes;
    int runs = 1;
    const QSize whole = Layout(0);
    shapes.push_back(whole + Frame);
    int bound = whole.width() - 1;
    const int least = LargestControlWidth + 8;
    for (int w = whole.width() - 1; w >= least; --w) {
        if (w > bound) w = bound;
        if (w < least) break;
        const QSize s = Layout(w);
        ++runs;
        if (s.width() == w) {
            const QSize window = s + Frame;
            if (!shapes.empty() && shapes.back().height() == window.height()) shapes.pop_back();
            if (std::find(shapes.begin(), shapes.end(), window) == shapes.end()) shapes.push_back(window);
        } else {
            bound = s.width();
        }
    }
    if (Layouts) *Layouts = runs;
    if (SizesAcross(Edge))
        std::stable_sort(shapes.begin(), shapes.end(), [](QSize a, QSize b) { return a.width() > b.width(); });
    else
        std::stable_sort(shapes.begin(), shapes.end(), [](QSize a, QSize b) { return a.height() > b.height(); });
    return shapes;
}

static int AlongOf(QSize S, TSizingEdge E) { return SizesAcross(E) ? S.width() : S.height(); }

int SnapDistanceFor(const std::vector<QSize>& Shapes, QSize Current, TSizingEdge Edge)
{
    int snap = 12;
    auto it = std::find(Shapes.begin(), Shapes.end(), Current);
    if (it == Shapes.end()) return snap;
    const int here = AlongOf(Current, Edge);
    if (it != Shapes.begin()) snap = std::min(snap, std::abs(AlongOf(*(it - 1), Edge) - here) - 1);
    if (it + 1 != Shapes.end()) snap = std::min(snap, std::abs(AlongOf(*(it + 1), Edge) - here) - 1);
    return std::max(snap, 0);
}

void TSizing::Begin(TSizingEdge E, std::vector<QSize> ShapeList, const TRect& Window, int WrapNow, int FrameLeftWidth)
{
    Edge = E;
    Shapes = std::move(ShapeList);
    SnapDistance = SnapDistanceFor(Shapes, Window.Size(), E);
    FrameLeft = FrameLeftWidth;
    Start = Outline = Window;
    WrapWidth = WrapNow;
    LeftStart = false;
    Shrinking = false;
}

bool TSizing::Move(QPoint P)
{
    if (Shapes.empty()) return false;
    const int current = AlongOf(Start.Size(), Edge);
    int wanted;
    switch (Edge) {
    case seRight: wanted = P.x(); break;
    case seLeft: wanted = Start.Width() - P.x(); break;
    case seBottom: wanted = P.y(); break;
    default: wanted = Start.Height() - P.y(); break;
    }
    const bool shrinking = wanted < current;
    if (!(LeftStart && shrinking == Shrinking)) {
        Shrinking = shrinking;
        if (wanted >= current - SnapDistance && wanted < current + SnapDistance) wanted = current;
    }
    const QSize* taken = nullptr;
    if (wanted > current) {
        for (size_t i = 0; i < Shapes.size(); ++i)
            if (i == 0 || AlongOf(Shapes[i], Edge) > wanted) taken = &Shapes[i];
    } else if (wanted < current) {
        for (size_t i = Shapes.size(); i-- > 0;)
            if (i == Shapes.size() - 1 || AlongOf(Shapes[i], Edge) <= wanted) taken = &Shapes[i];
    }
    if (!taken) return false;
    WrapWidth = taken->width() - FrameLeft;
    TRect o = Outline;
    switch (Edge) {
    case seRight:
        o.Right = o.Left + taken->width();
        o.Bottom = o.Top + taken->height();
        break;
    case seLeft:
        o.Left = o.Right - taken->width();
        o.Bottom = o.Top + taken->height();
        break;
    case seBottom:
        o.Bottom = o.Top + taken->height();
        o.Right = o.Left + taken->width();
        break;
    case seTop:
        o.Top = o.Bottom - taken->height();
        o.Right = o.Left + taken->width();
        break;
    }
    LeftStart = !(o == Start);
    const bool changed = !(o == Outline);
    Outline = o;
    return changed;
}
