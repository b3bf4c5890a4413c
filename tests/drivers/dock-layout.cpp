// dock-layout SCRIPT: lays out docks and toolbars described by a script and
// prints where everything lands.
//
//   dock top|bottom|left|right LENGTH [nodrag] [bound=EDGES]    EDGES: top,bottom,left,right
//   toolbar NAME DOCK|float ROW POS [wrap=W] CONTROLS            CONTROLS: WxH or sep, each
//   hit DOCK POS            -> hit row R new N
//   shapes NAME EDGE        -> shape W H (window sizes)
//   frame W H               -> frame window W H caption L T R B close L T R B
//   face W H GLYPH [margin=M] [spacing=S] [layout=L] [state=S]  -> face cells N glyph X Y
//
// DOCK is a dock's side (the first dock declared with it) or its number from 1.
// After the last line every dock is printed in script order with its toolbars
// by row and position, each with its controls and line breaks; floating
// toolbars come last.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "toolbars/model/ButtonModel.h"
#include "toolbars/model/DockLayout.h"
#include "toolbars/model/DragSizing.h"
#include "toolbars/model/FloatingFrame.h"
#include "toolbars/model/ToolbarLayout.h"

namespace {

struct TDockDef {
    std::string Word;
    TDockPosition Position = dpTop;
    int Length = 0;
    bool AllowDrag = true;
    unsigned Bound = 0;
    std::vector<int> RowThickness;
    int Thickness = 0;
};

struct TBarDef {
    std::string Name;
    int Dock = -1; // -1 floating
    int Row = 0, Pos = 0;
    int Wrap = 0;
    std::vector<TLayoutControl> Controls;
    TPlacement Placement;
    QRect Rect; // in the dock's client area
};

struct TError {
    std::string Text;
};

int Number(const std::string& S, long Low = INT_MIN, long High = INT_MAX)
{
    long long v = 0;
    auto r = std::from_chars(S.data(), S.data() + S.size(), v);
    if (r.ec != std::errc() || r.ptr != S.data() + S.size()) throw TError{"not a number: \"" + S + "\""};
    return int(std::clamp<long long>(v, Low, High));
}

QSize SizeOf(const std::string& S)
{
    const size_t x = S.find('x');
    if (x == std::string::npos) throw TError{"not a size WxH: \"" + S + "\""};
    return QSize(Number(S.substr(0, x), 0, 32767), Number(S.substr(x + 1), 0, 32767));
}

bool Option(const std::string& Word, const char* Name, std::string& Value)
{
    const std::string prefix = std::string(Name) + "=";
    if (Word.compare(0, prefix.size(), prefix) != 0) return false;
    Value = Word.substr(prefix.size());
    return true;
}

TDockPosition PositionOf(const std::string& W)
{
    if (W == "top") return dpTop;
    if (W == "bottom") return dpBottom;
    if (W == "left") return dpLeft;
    if (W == "right") return dpRight;
    throw TError{"not a dock side: \"" + W + "\""};
}

class TScript {
public:
    std::vector<TDockDef> Docks;
    std::vector<TBarDef> Bars;
    const TFloatMetrics Metrics;

    int FindDock(const std::string& W) const
    {
        for (size_t i = 0; i < Docks.size(); ++i)
            if (Docks[i].Word == W) return int(i);
        if (!W.empty() && std::isdigit(uint8_t(W[0]))) {
            const int n = Number(W);
            if (n >= 1 && n <= int(Docks.size())) return n - 1;
        }
        throw TError{"no such dock: \"" + W + "\""};
    }
    TBarDef& FindBar(const std::string& Name)
    {
        for (TBarDef& b : Bars)
            if (b.Name == Name) return b;
        throw TError{"no such toolbar: \"" + Name + "\""};
    }

    // Arranges one dock the way the dock widget does: rows closed, row
    // records, each toolbar's controls, then the toolbars along the rows.
    void Arrange(int D)
    {
        TDockDef& d = Docks[size_t(D)];
        const bool vertical = IsVerticalDock(d.Position);
        std::vector<size_t> on;
        for (size_t i = 0; i < Bars.size(); ++i)
            if (Bars[i].Dock == D) on.push_back(i);
        std::vector<TDockedBar> docked;
        std::vector<TRowFigures> figures;
        for (size_t i : on) {
            docked.push_back({Bars[i].Row, Bars[i].Pos, QSize(), true});
            figures.push_back(ControlFigures(Bars[i].Controls));
        }
        CloseEmptyRows(docked);
        const std::vector<TRowFigures> rows = RowRecords(docked, figures);
        for (size_t k = 0; k < on.size(); ++k) {
            TBarDef& b = Bars[on[k]];
            TPlacementRequest q;
            q.Orientation = vertical ? 2 : 1;
            q.HasHandle = d.AllowDrag;
            q.Apply = true;
            q.UseRow = true;
            q.Row = rows[size_t(docked[k].Row)];
            b.Placement = ComputePlacement(b.Controls, q);
            docked[k].Size = b.Placement.ClientSize;
        }
        const QSize probe = vertical ? QSize(MinLineThickness, d.Length) : QSize(d.Length, MinLineThickness);
        const TBoundMargins m = BoundMargins(d.Bound, probe);
        const int length = d.Length - (vertical ? m.Top + m.Bottom : m.Left + m.Right);
        const int across = vertical ? m.Left + m.Right : m.Top + m.Bottom;
        const TDockArrangement a = ArrangeDock(docked, vertical, length, across, false);
        for (size_t k = 0; k < on.size(); ++k) {
            TBarDef& b = Bars[on[k]];
            b.Row = docked[k].Row;
            b.Pos = docked[k].Pos;
            b.Rect = a.Rects[k];
        }
        d.RowThickness = a.RowThickness;
        d.Thickness = a.Thickness;
    }

    void PlaceFloating(TBarDef& B)
    {
        TPlacementRequest q;
        q.Orientation = 0;
        q.HasHandle = true;
        q.WrapWidth = B.Wrap;
        q.Apply = true;
        B.Placement = ComputePlacement(B.Controls, q);
    }

    void Line(const std::vector<std::string>& W)
    {
        const std::string& k = W[0];
        if (k == "dock") {
            if (W.size() < 3) throw TError{"dock SIDE LENGTH [nodrag] [bound=EDGES]"};
            TDockDef d;
            d.Word = W[1];
            d.Position = PositionOf(W[1]);
            d.Length = Number(W[2], 0, 1 << 20);
            for (size_t i = 3; i < W.size(); ++i) {
                std::string v;
                if (W[i] == "nodrag") {
                    d.AllowDrag = false;
                } else if (Option(W[i], "bound", v)) {
                    std::stringstream edges(v);
                    std::string e;
                    while (std::getline(edges, e, ','))
                        d.Bound |= e == "top" ? blTop : e == "bottom" ? blBottom : e == "left" ? blLeft
                                 : e == "right"                                 ? blRight
                                                                                : throw TError{"no such edge: \"" + e + "\""};
                } else {
                    throw TError{"unknown dock option: \"" + W[i] + "\""};
                }
            }
            Docks.push_back(d);
        } else if (k == "toolbar") {
            if (W.size() < 5) throw TError{"toolbar NAME DOCK|float ROW POS [wrap=W] CONTROLS"};
            TBarDef b;
            b.Name = W[1];
            b.Dock = W[2] == "float" ? -1 : FindDock(W[2]);
            b.Row = Number(W[3]);
            b.Pos = Number(W[4]);
            for (size_t i = 5; i < W.size(); ++i) {
                std::string v;
                if (Option(W[i], "wrap", v)) {
                    b.Wrap = Number(v, 0, INT_MAX);
                } else if (W[i] == "sep") {
                    TLayoutControl c;
                    c.Separator = true;
                    b.Controls.push_back(c);
                } else {
                    const QSize s = SizeOf(W[i]);
                    b.Controls.push_back({s.width(), s.height(), false, false, true});
                }
            }
            for (const TBarDef& o : Bars)
                if (o.Name == b.Name) throw TError{"a toolbar \"" + b.Name + "\" exists already"};
            Bars.push_back(b);
        } else if (k == "hit") {
            if (W.size() != 3) throw TError{"hit DOCK POS"};
            const int d = FindDock(W[1]);
            Arrange(d);
            const TRowHit h = RowHitTest(Docks[size_t(d)].RowThickness, Number(W[2]));
            std::printf("hit row %d new %d\n", h.Row, h.NewRow ? 1 : 0);
        } else if (k == "shapes") {
            if (W.size() != 3) throw TError{"shapes NAME left|right|top|bottom"};
            const TBarDef& b = FindBar(W[1]);
            const TSizingEdge e = W[2] == "left"  ? seLeft
                                : W[2] == "right" ? seRight
                                : W[2] == "top"   ? seTop
                                : W[2] == "bottom" ? seBottom
                                                   : throw TError{"no such edge: \"" + W[2] + "\""};
            auto layout = [&](int wrap) {
                TPlacementRequest q;
                q.Orientation = 0;
                q.HasHandle = true;
                q.WrapWidth = wrap;
                q.Apply = false;
                return ComputePlacement(b.Controls, q).ClientSize;
            };
            const auto shapes =
                BuildShapeList(layout, ControlFigures(b.Controls).CtlWidth, FrameExtra(Metrics), e);
            for (QSize s : shapes) std::printf("shape %d %d\n", s.width(), s.height());
        } else if (k == "frame") {
            if (W.size() != 3) throw TError{"frame W H"};
            const QSize client(Number(W[1], 0, 1 << 20), Number(W[2], 0, 1 << 20));
            const QSize w = FloatWindowSize(client, Metrics);
            const TRect c = CaptionRect(client, true, Metrics), x = CloseButtonRect(client, Metrics);
            std::printf("frame window %d %d caption %d %d %d %d close %d %d %d %d\n", w.width(), w.height(), c.Left,
                        c.Top, c.Right, c.Bottom, x.Left, x.Top, x.Right, x.Bottom);
        } else if (k == "face") {
            if (W.size() < 4) throw TError{"face W H GLYPH [margin=M] [spacing=S] [layout=L] [state=S]"};
            const QSize button(Number(W[1], 0, 32767), Number(W[2], 0, 32767));
            const QSize strip = W[3] == "none" ? QSize() : SizeOf(W[3]);
            TFaceRequest r;
            int state = 0;
            for (size_t i = 4; i < W.size(); ++i) {
                std::string v;
                if (Option(W[i], "margin", v))
                    r.Margin = std::max(-1, Number(v, -1, 32767));
                else if (Option(W[i], "spacing", v))
                    r.Spacing = Number(v, -1, 32767);
                else if (Option(W[i], "layout", v))
                    r.Layout = Number(v, 0, 3);
                else if (Option(W[i], "state", v))
                    state = Number(v, 0, 3);
                else
                    throw TError{"unknown face option: \"" + W[i] + "\""};
            }
            r.Client = QRect(1, 1, button.width() - 2, button.height() - 2);
            r.Offset = state == bsDown || state == bsExclusive ? QPoint(1, 1) : QPoint(0, 0);
            r.Strip = strip;
            r.NumGlyphs = NumGlyphsFor(strip, 1);
            const TFaceLayout f = LayoutButtonFace(r);
            std::printf("face cells %d glyph %d %d\n", r.NumGlyphs, f.GlyphPos.x(), f.GlyphPos.y());
        } else {
            throw TError{"unknown line: \"" + k + "\""};
        }
    }

    void PrintBar(const TBarDef& B) const
    {
        size_t n = 0;
        for (size_t i = 0; i < B.Controls.size(); ++i) {
            if (!B.Placement.Placed.empty() && !B.Placement.Placed[i]) continue;
            const QRect& r = B.Placement.Rects[i];
            std::printf("control %s %zu at %d %d size %d %d\n", B.Name.c_str(), ++n, r.x(), r.y(), r.width(),
                        r.height());
        }
        for (uint32_t e : B.Placement.LineBreakSeparators) std::printf("break %s %d\n", B.Name.c_str(), LineBreakCross(e));
    }

    void Finish()
    {
        for (size_t d = 0; d < Docks.size(); ++d) {
            Arrange(int(d));
            std::printf("dock %s thickness %d\n", Docks[d].Word.c_str(), Docks[d].Thickness);
            std::vector<const TBarDef*> on;
            for (const TBarDef& b : Bars)
                if (b.Dock == int(d)) on.push_back(&b);
            std::stable_sort(on.begin(), on.end(), [](const TBarDef* a, const TBarDef* b) {
                return a->Row != b->Row ? a->Row < b->Row : a->Pos < b->Pos;
            });
            for (const TBarDef* b : on) {
                std::printf("toolbar %s row %d pos %d at %d %d size %d %d\n", b->Name.c_str(), b->Row, b->Pos,
                            b->Rect.x(), b->Rect.y(), b->Rect.width(), b->Rect.height());
                PrintBar(*b);
            }
        }
        for (TBarDef& b : Bars) {
            if (b.Dock >= 0) continue;
            PlaceFloating(b);
            std::printf("toolbar %s float size %d %d\n", b.Name.c_str(), b.Placement.ClientSize.width(),
                        b.Placement.ClientSize.height());
            PrintBar(b);
        }
    }
};

std::vector<std::string> Words(const std::string& Line)
{
    std::vector<std::string> w;
    std::istringstream in(Line);
    std::string s;
    while (in >> s) w.push_back(s);
    return w;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dock-layout SCRIPT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "dock-layout: cannot read %s\n", argv[1]);
        return 1;
    }
    TScript script;
    std::string line;
    int number = 0;
    try {
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const auto w = Words(line);
            if (w.empty() || w[0][0] == '#') continue;
            script.Line(w);
            std::fflush(stdout);
        }
        script.Finish();
    } catch (const TError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "dock-layout: line %d: %s\n", number, e.Text.c_str());
        return 1;
    }
    return 0;
}
