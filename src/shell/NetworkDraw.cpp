#include "shell/NetworkDraw.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <random>

#include <QSvgRenderer>

#include "core/expr/DesireLines.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/LabelText.h"
#include "core/file/TextFormat.h"
#include "shell/Legend.h"

namespace {

int32_t RoundI(double v) { return int32_t(pround(v)); }

// A class number read from a file that names no class draws as class 0.
int ClassOf(uint8_t entityType) { return entityType <= MaxClasses ? entityType : 0; }

int FontSlotOf(int32_t slot) { return slot >= 0 && slot <= 10 ? int(slot) : 0; }

} // namespace

// ---------------------------------------------------------------- styles

TLinkDrawStyle LinkStyle(const TDrawPad& pad, const TLink& link, TStyleEvaluator* evaluator)
{
    const TWidthSettings& w = *pad.Widths;
    const TLinkValues& lv = *link.LinkValues;
    const int cls = ClassOf(lv.EntityType);
    const TClassRecord& rec = (*pad.Net->LinkClasses)[cls];
    TStyleParts parts;
    if (evaluator && !w.LinkWidthExpressions[size_t(cls)].empty() && lv.EntityType <= MaxClasses)
        parts = evaluator->LinkParts(link);
    const TLinkStyle s = LinkStyleFromParts(parts, w.LinkStyleMode, w.LinkShowNotFound != 0, cls, rec.Width,
                                            rec.Color, w.LinkWidths.data());
    return {s.Width, s.Extra, s.Colour};
}

TNodeDrawStyle NodeStyle(const TDrawPad& pad, const TNode& node, TStyleEvaluator* evaluator)
{
    const TWidthSettings& w = *pad.Widths;
    const int cls = ClassOf(node.EntityType);
    const TClassRecord& rec = (*pad.Net->NodeClasses)[cls];
    TStyleParts parts;
    if (evaluator && !w.NodeSizeExpressions[size_t(cls)].empty() && node.EntityType <= MaxClasses)
        parts = evaluator->NodeParts(node);
    const TNodeStyle s = NodeStyleFromParts(parts, w.NodeStyleMode, w.NodeShowNotFound != 0, cls, rec.Width,
                                            rec.Color, pad.Display->NodePolygonStyles[size_t(cls)],
                                            w.NodeSizes.data());
    TNodeDrawStyle d;
    d.Size = s.Size;
    d.Colour = s.Colour;
    d.PolygonStyle = s.PolygonStyle;
    d.Count = std::clamp(parts.Count, 0, 10);
    for (int i = 0; i < d.Count; ++i) d.Values[i + 1] = parts.Values[i];
    return d;
}

TDrawPad MakeDrawPad(const TNetwork& net, const TViewRecord& view, const TWindowSettings& settings, int windowNumber)
{
    TDrawPad pad;
    pad.Net = &net;
    pad.View = &view;
    pad.Display = &settings.Display;
    pad.Widths = &settings.Widths;
    pad.Labels = &settings.Labels;
    pad.Search = &settings.Search;
    pad.Title = &settings.Description;
    pad.Backgrounds = &settings.Backgrounds;
    pad.DesireTables = settings.DesireTables.get();
    pad.WindowNumber = windowNumber;
    pad.OriginX = view.OriginX;
    pad.OriginY = view.OriginY;
    return pad;
}

namespace {

int32_t ImageSide(const TSymbolImages::TEntry* e) { return e ? std::max(e->Raw.width(), e->Raw.height()) : 0; }
int32_t LinkImageSize(int k, const void* data)
{
    return ImageSide(static_cast<const TSymbolImages*>(data)->Link(k));
}
int32_t NodeImageSize(int k, const void* data)
{
    return ImageSide(static_cast<const TSymbolImages*>(data)->Node(k));
}

} // namespace

void PrepareDrawing(const TNetwork& net, TWindowSettings& settings, TDrawPad& pad)
{
    const TMaxWidths m = pad.Images ? ComputeMaxWidths(net, settings, LinkImageSize, NodeImageSize, pad.Images)
                                    : ComputeMaxWidths(net, settings);
    pad.LargeNodeSymbols = m.LargeNodeSymbols;
    pad.WideLinks = m.WideLinks;
    ComputeLabelExtents(net, settings);
}

// ---------------------------------------------------------------- labels

bool LinkHasLabel(const TDrawPad& pad, const TLinkValues& link)
{
    const TLabelSettings& l = *pad.Labels;
    const int cls = ClassOf(link.EntityType);
    return (l.LinkClassLabelled[size_t(cls)] || link.Label1 || link.Label2) && !link.SuppressLabel && !l.SuppressAll;
}

bool NodeHasLabel(const TDrawPad& pad, const TNode& node)
{
    const TLabelSettings& l = *pad.Labels;
    const int cls = ClassOf(node.EntityType);
    return (l.NodeClassLabelled[size_t(cls)] || node.Label1 || node.Label2) && !node.SuppressLabel && !l.SuppressAll;
}

bool NodeHasCode104Label(const TDrawPad& pad, const TNode& node)
{
    if (!NodeHasLabel(pad, node)) return false;
    return NodeLabelCode(*pad.Labels, node, 1) == 104 || NodeLabelCode(*pad.Labels, node, 2) == 104;
}

void DrawLabelText(const TDrawPad& pad, TCanvas& canvas, int32_t x, int32_t y, bool monochrome, bool useColour,
                   int place, int32_t elementSize, int fontSlot, int32_t angle, const std::string& line1,
                   const std::string& line2)
{
    if (!InRange(x, y)) return;
    const TLabelSettings& l = *pad.Labels;
    fontSlot = FontSlotOf(fontSlot);
    if (place < 1 || place > 7) place = 1;
    const int32_t o = std::max<int32_t>(RoundI(elementSize / 2.0) + 1, pad.Display->StandardSize);
    TLogFont font = l.FontRecords[size_t(fontSlot)];
    const int32_t h = int32_t(std::min<int64_t>(std::llabs(int64_t(font.Height)), 100000));
    if (angle != 0) font.Escapement = font.Orientation = angle;
    canvas.SetFont(font);
    if (useColour) canvas.SetTextColor(monochrome ? 0 : ColorFromBgr(l.FontColors[size_t(fontSlot)]));
    const bool twoLines = !line2.empty();
    const int32_t L = twoLines ? RoundI(h * 1.1) : 0;
    const int32_t d = std::abs(RoundI(h / 5.0));
    int32_t dx = 0, D = 0;
    unsigned align = TA_BASELINE;
    switch (place) {
    case 1: dx = o, D = -o - L, align |= TA_LEFT; break;
    case 2: dx = 0, D = -o - L, align |= TA_CENTER; break;
    case 3: dx = -o, D = -o - L, align |= TA_RIGHT; break;
    case 4: dx = o, D = o + h - d, align |= TA_LEFT; break;
    case 5: dx = 0, D = o + h - d, align |= TA_CENTER; break;
    case 6: dx = -o, D = o + h - d, align |= TA_RIGHT; break;
    default: dx = 0, D = RoundI(h * 0.333 - L * 0.5), align |= TA_CENTER; break;
    }
    canvas.SetTextAlign(align);
    canvas.SetBkMode(l.Opaque != 0);
    canvas.SetBkColor(pad.WindowColor);
    auto at = [&](int32_t offset, const std::string& text) {
        if (text.empty()) return;
        if (angle == 0) {
            canvas.TextOut(x + dx, y + offset, text);
        } else {
            const double a = angle / 10.0 * M_PI / 180.0;
            canvas.TextOut(x + RoundI(std::sin(a) * offset), y + RoundI(std::cos(a) * offset), text);
        }
    };
    at(D, line1);
    if (twoLines) at(D + L, line2);
    canvas.SetBkMode(false);
}

// ---------------------------------------------------------------- the pass

namespace {

struct TPendingLink {
    const TLink* Half; // the A-end half-edge
    const TNode* A;
    const TNode* B;
    int32_t Width;
};

class TDrawCall {
public:
    TDrawCall(const TDrawPad& pad, TCanvas& canvas, const TCanvasRect& clip, double scale, int32_t offsetY,
              int32_t offsetX, bool pump, bool plot, TDrawRun& run)
        : Pad(pad), C(canvas), Clip(clip), Scale(scale), Pump(pump), Plot(plot), Run(run)
    {
        Pad.ScrollOffsetX = plot ? 0 : offsetX;
        Pad.ScrollOffsetY = plot ? 0 : offsetY;
        OffsetX = offsetX;
        OffsetY = offsetY;
    }

    void Draw();

private:
    bool Abort()
    {
        if (Run.Aborted) return true;
        if (Pump && Run.PumpEvents && Run.PumpEvents()) Run.Aborted = true;
        return Run.Aborted;
    }
    bool Visible(const TNode* n) const { return IsLayerVisible(*Pad.View, n->Layer); }
    bool NodePasses(const TNode& n) const { return Filter.NodePassesSearch(n); }
    bool LinkPasses(const TLink& h, const TNode& n) const { return Filter.LinkPassesSearch(h, n); }
    // A world box (grown) meets the clip.
    bool BoxInView(const TBox& b, int64_t grow) const
    {
        if (b.IsEmpty()) return false;
        return int64_t(b.MinX) + Pad.OriginX - grow <= Clip.Right && int64_t(b.MaxX) + Pad.OriginX + grow >= Clip.Left &&
               int64_t(b.MinY) + Pad.OriginY - grow <= Clip.Bottom && int64_t(b.MaxY) + Pad.OriginY + grow >= Clip.Top;
    }
    int64_t LabelGrow() const
    {
        return std::max(Pad.Labels->HorizontalMargin, Pad.Labels->VerticalMargin);
    }
    bool CellLinksInView(const THashEntry* cell) const
    {
        if (Plot) return true;
        TBox b{cell->X0, cell->Y0, cell->X1, cell->Y1};
        b.Include(cell->LinkBox);
        return BoxInView(b, int64_t(Pad.Widths->MaxLinkWidth) + LabelGrow() + 20);
    }
    bool CellNodesInView(const THashEntry* cell) const
    {
        if (Plot) return true;
        TBox b{cell->X0, cell->Y0, cell->X1, cell->Y1};
        return BoxInView(b, std::max<int64_t>(Pad.Widths->MaxNodeCircle, NodeDrawSize) + LabelGrow() + 20);
    }
    bool NodeInView(const TNode& n) const
    {
        int64_t ext = NodeDrawSize;
        const int cls = ClassOf(n.EntityType);
        if (Pad.Labels->NodeClassLabelled[size_t(cls)])
            ext = std::max<int64_t>(LabelGrow(), Pad.Widths->MaxNodeCircle);
        else if (Pad.LargeNodeSymbols)
            ext = Pad.Widths->MaxNodeCircle;
        return BoxInView(TBox{n.X, n.Y, n.X, n.Y}, ext);
    }
    bool LinkInView(const TLinkValues& l) const
    {
        int64_t grow = 0;
        if (Pad.Labels->LinkClassLabelled[size_t(ClassOf(l.EntityType))])
            grow = LabelGrow();
        else if (Pad.WideLinks)
            grow = Pad.Widths->MaxLinkWidth;
        return BoxInView(l.Box, std::max<int64_t>(grow, 10));
    }

    void Underlay();
    void Backgrounds();
    void DesireLines();
    void PolygonPass();
    void DrawPolygon(const TNode& owner);
    void LinkPassFirst(const THashEntry* cell);
    void NodePassFirst(const THashEntry* cell);
    void DrawNodeElement(const TNode& n, bool coincident, const TNodeDrawStyle& st);
    void DrawNodeLabels(const TNode& n, const TNodeDrawStyle* st);
    void DrawLinkLabels(const TPendingLink& p);

    TDrawPad Pad;
    TCanvas& C;
    TCanvasRect Clip;
    double Scale;
    bool Pump, Plot;
    bool Monochrome = false;
    TDrawRun& Run;
    int32_t OffsetX = 0, OffsetY = 0;
    TSearchFilter Filter;
    // Expressions of this drawing: the network's binding and the style
    // expressions of both kinds, prepared once per call.
    std::mt19937_64 Random{20261207};
    std::unique_ptr<TExprBinding> Binding;
    TStyleEvaluator NodeStyles, LinkStyles;
    TStyleEvaluator* NodeEval = nullptr;
    TStyleEvaluator* LinkEval = nullptr;
    int32_t NodeDrawSize = 3;
    int64_t PrevX = 320001, PrevY = 320001;
    bool SecondPass = false;
    std::vector<TPendingLink> PendingLinks;
    std::vector<const TNode*> PendingNodes;
};

void TDrawCall::Draw()
{
    const TNetwork& net = *Pad.Net;
    Run.Drawn.push_back(Pad.WindowNumber);
    Monochrome = Plot && Pad.Display->PlotMonochrome;
    Filter.Prepare(*net.NodeClasses, *net.LinkClasses,
                   Pad.Search ? PreparePolygonCriterion(Pad.Search->PolygonCriterion) : TPreparedPolygon{});
    Binding = std::make_unique<TExprBinding>(net, Pad.View, &Random);
    auto any = [](const std::array<std::string, 11>& e) {
        return std::any_of(e.begin(), e.end(), [](const std::string& t) { return !t.empty(); });
    };
    if (any(Pad.Widths->NodeSizeExpressions)) {
        NodeStyles.Prepare(net, *Binding, *Pad.Widths, 0);
        NodeEval = &NodeStyles;
    }
    if (any(Pad.Widths->LinkWidthExpressions)) {
        LinkStyles.Prepare(net, *Binding, *Pad.Widths, 1);
        LinkEval = &LinkStyles;
    }
    NodeDrawSize = (Pad.Display->GlobalShape >= 3 && Pad.Display->GlobalShape <= 5) ? 10 : Pad.Display->StandardSize;

    const bool suppressAll = Pad.Backgrounds && Pad.Backgrounds->SuppressAll;
    if (!suppressAll) {
        Underlay();
        Backgrounds();
    }
    const THashTable& hash = net.NodeHash;
    if (Pad.Display->PolygonsFirst && hash.HasPolygons) PolygonPass();
    for (const THashEntry* cell : hash) {
        if (Abort()) break;
        LinkPassFirst(cell);
    }
    const bool nodePass = Pad.Display->GlobalShape != 0;
    if (nodePass)
        for (const THashEntry* cell : hash) {
            if (Abort()) break;
            NodePassFirst(cell);
        }
    if (!Pad.Display->PolygonsFirst && hash.HasPolygons && !Run.Aborted) PolygonPass();
    // Labels lie above every link and node.
    if (nodePass && SecondPass && !Run.Aborted) {
        for (const TPendingLink& p : PendingLinks) DrawLinkLabels(p);
        for (const TNode* n : PendingNodes) {
            const TNodeDrawStyle st = NodeStyle(Pad, *n, NodeEval);
            DrawNodeLabels(*n, &st);
        }
    }
    if (Pad.Title) DrawTitleBlock(Pad, C, Plot, Run.Now ? Run.Now() : TitleDateText());
    DrawLegend(Pad, C, true, Plot);
    DrawLegend(Pad, C, false, Plot);
    if (Pad.DesireTables && Pad.Display->ShowDesireLines && !Run.Aborted) DesireLines();
}

void TDrawCall::DesireLines()
{
    // The clip in world units: cells whose line cannot reach it are not evaluated.
    const TBox world{int32_t(std::clamp<int64_t>(int64_t(Clip.Left) - Pad.OriginX, INT32_MIN, INT32_MAX)),
                     int32_t(std::clamp<int64_t>(int64_t(Clip.Top) - Pad.OriginY, INT32_MIN, INT32_MAX)),
                     int32_t(std::clamp<int64_t>(int64_t(Clip.Right) - Pad.OriginX, INT32_MIN, INT32_MAX)),
                     int32_t(std::clamp<int64_t>(int64_t(Clip.Bottom) - Pad.OriginY, INT32_MIN, INT32_MAX))};
    TDesireLineOptions options;
    options.Placement = Pad.Display->DesireLinePlacement;
    options.Clip = Plot ? nullptr : &world;
    const int64_t dx = int64_t(Pad.OriginX) - Pad.ScrollOffsetX, dy = int64_t(Pad.OriginY) - Pad.ScrollOffsetY;
    C.SetPenMode(TPenMode::Copy);
    ComputeDesireLines(*Pad.Net, *Pad.DesireTables, *Pad.Widths, Binding->Env, options, [&](const TDesireSegment& s) {
        const int64_t x1 = s.X1 + dx, y1 = s.Y1 + dy, x2 = s.X2 + dx, y2 = s.Y2 + dy;
        if (!InRange(x1, y1) || !InRange(x2, y2)) return;
        const TColorValue colour = Monochrome ? 0 : Pad.ColorOf(s.Colour < 17 ? s.Colour : 0);
        C.SetPen(colour, psSolid, std::min(s.Width, 10000));
        C.Line(int32_t(x1), int32_t(y1), int32_t(x2), int32_t(y2));
    });
    C.SetPen(0, psSolid, 1);
}

void TDrawCall::Underlay()
{
    const TDrawPad* u = Pad.Underlay;
    if (!u || !u->Net) return;
    if (std::find(Run.Drawn.begin(), Run.Drawn.end(), u->WindowNumber) != Run.Drawn.end()) return;
    TDrawCall inner(*u, C, Clip, Scale, OffsetY, OffsetX, Pump, Plot, Run);
    inner.Draw();
}

void TDrawCall::Backgrounds()
{
    if (!Pad.Backgrounds || !Pad.BackgroundImages) return;
    const TBackgrounds& b = *Pad.Backgrounds;
    auto place = [&](const TBackgroundSlot& s, double w, double h, bool metafile, TCanvasRect& r) {
        if (!std::isfinite(s.X) || !std::isfinite(s.Y) || !std::isfinite(s.XScale) || !std::isfinite(s.YScale))
            return false;
        const double l = pround(s.X) + Pad.OriginX, t = pround(s.Y) + Pad.OriginY;
        double rr = l + pround(w * s.XScale), bb = t + pround(h * s.YScale);
        double ll = l, tt = t;
        if (metafile) {
            rr += 1;
            bb += 1;
            if (s.XScale < 0) ll -= 1, rr -= 1;
            if (s.YScale < 0) tt -= 1, bb -= 1;
        }
        if (!Plot) {
            ll -= OffsetX, rr -= OffsetX;
            tt -= OffsetY, bb -= OffsetY;
        }
        if (!InRange(int64_t(std::clamp(ll, -1e9, 1e9)), int64_t(std::clamp(tt, -1e9, 1e9))) ||
            !InRange(int64_t(std::clamp(rr, -1e9, 1e9)), int64_t(std::clamp(bb, -1e9, 1e9))))
            return false;
        r = {int32_t(ll), int32_t(tt), int32_t(rr), int32_t(bb)};
        return true;
    };
    auto rasters = [&]() {
        for (int slot = 10; slot >= 1; --slot) {
            const QImage* img = Pad.BackgroundImages->Raster(slot);
            if (!img || img->isNull()) continue;
            const TBackgroundSlot& s = b.Raster[size_t(slot)];
            TCanvasRect r;
            if (!place(s, img->width(), img->height(), false, r)) continue;
            if (s.XScale == 1.0 && s.YScale == 1.0)
                C.DrawImage(r.Left, r.Top, *img);
            else
                C.StretchImage(r, *img);
        }
    };
    auto metafiles = [&]() {
        for (int slot = 10; slot >= 1; --slot) {
            QSvgRenderer* svg = Pad.BackgroundImages->Metafile(slot);
            if (!svg || !svg->isValid()) continue;
            const TBackgroundSlot& s = b.Metafile[size_t(slot)];
            const QSize size = svg->defaultSize();
            TCanvasRect r;
            if (place(s, size.width(), size.height(), true, r)) C.StretchSvg(r, *svg);
        }
    };
    if (b.MetafilesOnTop == 0) {
        metafiles();
        rasters();
    } else {
        rasters();
        metafiles();
    }
}

void TDrawCall::PolygonPass()
{
    for (const THashEntry* cell : Pad.Net->NodeHash) {
        if (Abort()) return;
        if (!cell->HasPolygon) continue;
        if (!Plot && !BoxInView(cell->PolygonBox, 0)) continue;
        for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
            const TNetworkPoint* p = cell->Points.At(i);
            const TNode* n = p->AsNode();
            if (!n || !n->Active || n->OwnPolygon().GetCount() <= 1 || !Visible(n) || !NodePasses(*n)) continue;
            if (Plot || BoxInView(n->PolygonBox(), 0)) DrawPolygon(*n);
        }
    }
}

void TDrawCall::DrawPolygon(const TNode& owner)
{
    const int count = owner.OwnPolygon().GetCount();
    if (count <= 1) return;
    int32_t styleNo = NodeStyle(Pad, owner, NodeEval).PolygonStyle;
    if (owner.PolygonStyle != 0) styleNo = owner.PolygonStyle;
    if (owner.PolygonMark) styleNo = HighlightPolygonStyle;
    // A style number from a file that names no style draws in style 0.
    if (styleNo < 0 || styleNo > HighlightPolygonStyle) styleNo = 0;
    const TPolygonStyle& st = Pad.Display->PolygonStyles[size_t(styleNo)];
    std::vector<TCanvasPoint> pts;
    pts.reserve(size_t(count));
    const int64_t dx = int64_t(Pad.OriginX) - Pad.ScrollOffsetX, dy = int64_t(Pad.OriginY) - Pad.ScrollOffsetY;
    for (int i = 0; i < count; ++i) {
        const TNetworkPoint* v = owner.OwnPolygon().At(i);
        if (!v || !v->Active) continue;
        const int64_t x = v->X + dx, y = v->Y + dy;
        if (!InRange(x, y)) return; // a vertex out of the drawing range: not drawn at all
        pts.push_back({int32_t(x), int32_t(y)});
    }
    if (pts.size() <= 1) return;
    const TColorValue penColour = Monochrome ? 0 : ColorFromBgr(st.Color);
    const TColorValue fillColour = Monochrome ? 0 : ColorFromBgr(st.FillColor);
    C.SetPen(penColour, st.PenStyle <= psInsideFrame ? st.PenStyle : uint8_t(psSolid), st.PenWidth);
    const TSymbolImages::TEntry* fill = nullptr;
    if (st.FillStyle >= 11 && Pad.Images) fill = Pad.Images->Fill(st.FillStyle - 10);
    if (fill)
        C.SetBrushImage(fill->Transparent);
    else
        C.SetBrush(fillColour, st.FillStyle <= bsDiagCross ? st.FillStyle : uint8_t(bsSolid));
    C.SetBkMode(Pad.Display->OpaquePolygons != 0);
    C.SetBkColor(Pad.WindowColor);
    if (st.FillStyle == 8)
        C.Polyline(pts.data(), int(pts.size()));
    else
        C.Polygon(pts.data(), int(pts.size()));
    C.SetBkMode(false);
}

void TDrawCall::LinkPassFirst(const THashEntry* cell)
{
    if (!CellLinksInView(cell)) return;
    const int32_t count = cell->Points.GetCount();
    for (int32_t i = 0; i < count; ++i) {
        // The walk chases pointers (point, its link list, half-edges, link
        // records): fetch the ones a few points ahead while this one draws.
        if (i + 6 < count) __builtin_prefetch(cell->Points.At(i + 6));
        if (i + 4 < count)
            if (const TNode* ahead = cell->Points.At(i + 4)->AsNode()) __builtin_prefetch(ahead->Links.begin());
        if (i + 2 < count)
            if (const TNode* next = cell->Points.At(i + 2)->AsNode())
                for (const TLink* h : next->Links) __builtin_prefetch(h);
        if (i + 1 < count)
            if (const TNode* next = cell->Points.At(i + 1)->AsNode())
                for (const TLink* h : next->Links)
                    if (h->AEnd()) {
                        __builtin_prefetch(h->LinkValues);
                        __builtin_prefetch(h->FarNode);
                    }
        const TNode* n = cell->Points.At(i)->AsNode();
        if (!n) continue;
        for (int32_t k = 0; k < n->Links.GetCount(); ++k) {
            const TLink* h = n->Links.At(k);
            if (!h->AEnd() || !h->LinkValues) continue;
            const TLinkValues& lv = *h->LinkValues;
            const TNode* far = h->FarNode;
            if (!lv.Active || !far || !Visible(n) || !Visible(far)) continue;
            if (!LinkPasses(*h, *n)) {
                if (Pad.Display->ShowFilteredLinksThin)
                    DrawWorldLine(Pad, C, n->X, n->Y, far->X, far->Y, Pad.Display->FilteredLinkColor, Plot);
                continue;
            }
            TPendingLink p{h, n, far, 0};
            const TLinkDrawStyle st = LinkStyle(Pad, *h, LinkEval);
            if (!Plot && !LinkInView(lv)) continue;
            int32_t width = st.Width;
            int32_t colour = st.Colour;
            p.Width = width;
            if (colour >= 1) {
                if (Monochrome) colour = 1;
                const int lsm = Pad.Widths->LinkStyleMode;
                if (lv.BitmapOverride && (lsm != 0 || Pad.Display->GlobalLinkStyle == 5))
                    width = lv.BitmapOverride + (lsm == 2 ? 10 : 0);
                const int cls = ClassOf(lv.EntityType);
                DrawLink(C, Pad, n->X, n->Y, (*Pad.Net->LinkClasses)[cls].Arrow != 0, &lv.ShapePoints, true, !Plot,
                         true, st.Extra, width, colour, far->X, far->Y);
                p.Width = width;
                if (LinkHasLabel(Pad, lv)) PendingLinks.push_back(p);
            } else {
                DrawLinkLabels(p);
            }
        }
    }
}

void TDrawCall::NodePassFirst(const THashEntry* cell)
{
    if (!CellNodesInView(cell)) return;
    bool marked = false;
    for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
        const TNetworkPoint* pt = cell->Points.At(i);
        const TNode* n = pt->AsNode();
        if (!n || !n->Active || !Visible(n) || !NodePasses(*n)) continue;
        if (!Plot && !NodeInView(*n)) continue;
        const bool coincident = n->X == PrevX && n->Y == PrevY;
        PrevX = n->X;
        PrevY = n->Y;
        const TNodeDrawStyle st = NodeStyle(Pad, *n, NodeEval);
        DrawNodeElement(*n, coincident, st);
        if (NodeHasLabel(Pad, *n)) {
            PendingNodes.push_back(n);
            marked = true;
        }
    }
    // A label waiting in this cell (node or link) asks for the second pass.
    if (marked || !PendingLinks.empty()) SecondPass = true;
}

void TDrawCall::DrawNodeElement(const TNode& n, bool coincident, const TNodeDrawStyle& st)
{
    int32_t colour = st.Colour;
    if (!Plot && (&n == Pad.View->CurrentNode || &n == Pad.EditedNode)) colour = 22;
    if (coincident) colour = 20;
    if (Monochrome) colour = 1;
    if (n.PolygonMark) colour = 17;
    if (colour == 0) return;
    int32_t style = st.Size;
    if (n.BitmapOverride && Pad.Display->GlobalShape == 1)
        style = n.BitmapOverride + (Pad.Widths->NodeStyleMode == 2 ? 10 : 0);
    DrawNode(C, Pad, n.X, n.Y, st.Values, &n, false, true, !Plot, true, Pad.Display->StandardSize, style, colour);
}

void TDrawCall::DrawNodeLabels(const TNode& n, const TNodeDrawStyle* st)
{
    if (&n == Pad.EditedNode) return;
    const TLabelSettings& l = *Pad.Labels;
    const int cls = ClassOf(n.EntityType);
    const std::string line1 = NodeLabelText(*Pad.Net, *Binding, l, *Pad.Widths, n, 1);
    const std::string line2 = NodeLabelText(*Pad.Net, *Binding, l, *Pad.Widths, n, 2);
    const int64_t x = int64_t(n.X) + Pad.OriginX + n.LabelXOffset() - Pad.ScrollOffsetX;
    const int64_t y = int64_t(n.Y) + Pad.OriginY + n.LabelYOffset() - Pad.ScrollOffsetY;
    if (!InRange(x, y)) return;
    const int font = n.Font ? n.Font : l.NodeClassFont[size_t(cls)];
    const int place = n.Place ? n.Place : l.NodePosition;
    int32_t size = 0;
    const int gs = Pad.Display->GlobalShape;
    if (gs >= 3 && gs <= 5 && st)
        size = (place == 2 || place == 5) ? 2 * st->Size : RoundI(st->Size * 1.41);
    else if (gs == 1 && Pad.Widths->NodeStyleMode == 0 && st && Pad.Images) {
        const int32_t style = n.BitmapOverride ? n.BitmapOverride : st->Size;
        if (const TSymbolImages::TEntry* e = Pad.Images->Node(style)) size = e->Raw.height();
    }
    DrawLabelText(Pad, C, int32_t(x), int32_t(y), Monochrome, true, place, size, font, 0, line1, line2);
}

void TDrawCall::DrawLinkLabels(const TPendingLink& p)
{
    const TLinkValues& lv = *p.Half->LinkValues;
    if (&lv == Pad.EditedLink || !LinkHasLabel(Pad, lv)) return;
    const TLabelSettings& l = *Pad.Labels;
    const int cls = ClassOf(lv.EntityType);
    std::string line1 = LinkLabelText(*Pad.Net, *Binding, l, *Pad.Widths, *p.Half, 1);
    std::string line2 = LinkLabelText(*Pad.Net, *Binding, l, *Pad.Widths, *p.Half, 2);
    const int64_t ax = p.A->X, ay = p.A->Y, bx = p.B->X, by = p.B->Y;
    const int64_t x = int64_t(pround((ax + bx) / 2.0)) + Pad.OriginX + lv.LabelXOffset - Pad.ScrollOffsetX;
    const int64_t y = int64_t(pround((ay + by) / 2.0)) + Pad.OriginY + lv.LabelYOffset - Pad.ScrollOffsetY;
    if (!InRange(x, y)) return;
    int32_t angle = 0;
    if (l.RotateLabels) {
        if (ax == bx)
            angle = 900;
        else
            angle = RoundI(std::atan(double(ay - by) / double(bx - ax)) * 1800.0 / M_PI);
        const bool oneWay = bx > ax || (bx == ax && by < ay);
        if ((l.FirstLinkLabelLocation == 1 && oneWay) || (l.FirstLinkLabelLocation == 2 && !oneWay))
            std::swap(line1, line2);
    }
    const int font = lv.Font ? lv.Font : l.LinkClassFont[size_t(cls)];
    const int place = lv.Place ? lv.Place : l.LinkPosition;
    int32_t size = p.Width;
    const int lsm = Pad.Widths->LinkStyleMode;
    if (Pad.Images) {
        const TSymbolImages::TEntry* e = nullptr;
        if (Pad.Display->GlobalLinkStyle == 5 && lsm == 0 && p.Width >= 1 && p.Width <= 240)
            e = Pad.Images->Link(p.Width);
        else if (lsm == 2 && p.Width >= 11 && p.Width <= 250)
            e = Pad.Images->Link(p.Width - 10);
        if (e) size = e->Raw.height();
    }
    if (line1.empty() && !line2.empty()) std::swap(line1, line2);
    DrawLabelText(Pad, C, int32_t(x), int32_t(y), Monochrome, true, place, size, font, angle, line1, line2);
}

} // namespace

void DrawNetwork(const TDrawPad& pad, TCanvas& canvas, const TCanvasRect& clip, double scale, int32_t offsetY,
                 int32_t offsetX, bool pump, bool plot, TDrawRun& run)
{
    if (!pad.Net || !pad.View || !pad.Display || !pad.Widths || !pad.Labels || !pad.Net->NodeClasses ||
        !pad.Net->LinkClasses)
        return;
    TDrawCall call(pad, canvas, clip, scale, offsetY, offsetX, pump, plot, run);
    call.Draw();
}

void PaintNetwork(const TDrawPad& pad, TCanvas& canvas, double scale, int32_t horzPos, int32_t vertPos,
                  TDrawRun& run)
{
    canvas.SetZoomMapping(scale);
    const int32_t offX = RoundI(horzPos / scale), offY = RoundI(vertPos / scale);
    TCanvasRect clip = canvas.ClipBox();
    clip.Left += offX;
    clip.Right += offX;
    clip.Top += offY;
    clip.Bottom += offY;
    DrawNetwork(pad, canvas, clip, scale, offY, offX, false, false, run);
}

void DrawCrosshair(const TDrawPad& pad, TCanvas& canvas, double scale, int32_t horzPos, int32_t vertPos,
                   int32_t clientWidth, int32_t clientHeight, bool dark)
{
    const int64_t x = int64_t(pad.View->CursorX) + pad.OriginX - RoundI(horzPos / scale);
    const int64_t y = int64_t(pad.View->CursorY) + pad.OriginY - RoundI(vertPos / scale);
    canvas.SetPenMode(TPenMode::Xor);
    canvas.SetPen(pad.ColorOf(dark ? 25 : 23), psSolid, 1);
    if (InRange(x, y)) canvas.Line(0, int32_t(y), RoundI(clientWidth / scale), int32_t(y));
    if (x < 65535 && x > -65535) canvas.Line(int32_t(x), 0, int32_t(x), RoundI(clientHeight / scale));
    canvas.SetPenMode(TPenMode::Copy);
}

void DrawWorldPoint(const TDrawPad& pad, TCanvas& canvas, int32_t x, int32_t y, TPenMode mode, int32_t colorIndex)
{
    const int64_t px = int64_t(x) + pad.OriginX - pad.ScrollOffsetX, py = int64_t(y) + pad.OriginY - pad.ScrollOffsetY;
    if (!InRange(px, py)) return;
    canvas.SetPenMode(mode);
    canvas.SetPen(pad.ColorOf(colorIndex), psSolid, 1);
    canvas.Line(int32_t(px), int32_t(py), int32_t(px) + 1, int32_t(py));
    canvas.SetPenMode(TPenMode::Copy);
}

void DrawWorldLine(const TDrawPad& pad, TCanvas& canvas, int32_t ax, int32_t ay, int32_t bx, int32_t by,
                   int32_t colorIndex, bool noScroll)
{
    const int64_t dx = int64_t(pad.OriginX) - (noScroll ? 0 : pad.ScrollOffsetX);
    const int64_t dy = int64_t(pad.OriginY) - (noScroll ? 0 : pad.ScrollOffsetY);
    const int64_t x1 = ax + dx, y1 = ay + dy, x2 = bx + dx, y2 = by + dy;
    if (!InRange(x1, y1) || !InRange(x2, y2)) return;
    canvas.SetPenMode(TPenMode::Copy);
    canvas.SetPen(pad.ColorOf(colorIndex), psSolid, 1);
    canvas.Line(int32_t(x1), int32_t(y1), int32_t(x2), int32_t(y2));
}
