#include "shell/NetworkDraw.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <QSvgRenderer>

#include "core/TextFormat.h"
#include "shell/Legend.h"

namespace {

int32_t RoundI(double v) { return int32_t(pround(v)); }

// A class number read from a file that names no class draws as class 0.
int ClassOf(uint8_t entityType) { return entityType <= MaxClasses ? entityType : 0; }

// The first interval 1..40 holding v, -1 when none.
int IntervalOf(double v, const std::array<double, MaxWidthIntervals + 1>& top,
               const std::array<double, MaxWidthIntervals + 1>& bottom)
{
    if (!std::isfinite(v)) return -1;
    for (int k = 1; k <= MaxWidthIntervals; ++k)
        if (bottom[size_t(k)] <= v && v <= top[size_t(k)]) return k;
    return -1;
}

int32_t TableAt(const std::array<int32_t, MaxWidthIntervals + 1>& t, int part, int32_t otherwise)
{
    return part >= 1 && part <= MaxWidthIntervals ? t[size_t(part)] : otherwise;
}

struct TParts {
    int Part[3] = {-1, -1, -1};
    double Values[11] = {};
    int Count = 0;
};

// Evaluates and classifies the first three parts; unclassed elements and
// parts without an interval as the style rules say. Colour off: drawn in
// colour 0.
template <class F>
TParts ClassifyParts(F evaluate, int mode, bool showNotFound, int classNo,
                     const std::array<double, MaxWidthIntervals + 1>& top,
                     const std::array<double, MaxWidthIntervals + 1>& bottom, bool& colourOff)
{
    TParts p;
    colourOff = false;
    if (mode == 2) return p;
    double values[10] = {};
    bool ok[10] = {};
    p.Count = std::clamp(evaluate(values, ok), 0, 10);
    for (int i = 0; i < p.Count; ++i) p.Values[i + 1] = ok[i] ? values[i] : 0;
    for (int i = 0; i < 3 && i < p.Count; ++i)
        if (ok[i]) p.Part[i] = IntervalOf(values[i], top, bottom);
    if (classNo == 0) {
        p.Part[0] = showNotFound ? 1 : -1;
        p.Part[1] = -1;
    }
    if (p.Part[0] == -1) {
        p.Part[0] = 1;
        colourOff = !showNotFound;
    }
    return p;
}

std::string ShortestText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

std::string CutLabel(std::string s, int32_t length)
{
    const size_t n = size_t(std::clamp<int32_t>(length, 1, 30));
    if (s.size() > n) s.resize(n);
    return s;
}

// Text of attribute code 1..100 of an element of class cls.
std::string AttributeText(const TDrawPad& pad, const TEntityClass* classes, int cls, int code, const TValueSlot* slot,
                          const TStringList& strings)
{
    if (!classes || !slot) return {};
    const TClassRecord& rec = (*classes)[cls];
    if (code > rec.AttributeCount) return {};
    const TAttrib* a = rec.Attr(code);
    if (!a) return {};
    switch (a->Kind) {
    case 'C': return UnpackShortText(*slot).substr(0, size_t(CategoryCodePositions(*a)));
    case 'D':
    case 'T':
    case 'X': return DateTimeText(*slot, false, DateTimeModeOfKind(a->Kind));
    case 'S': return a->StringIndex < strings.size() ? strings[a->StringIndex] : std::string();
    case 'I': return RoundedNumberText(slot->Real());
    default: {
        const double v = slot->Real();
        if (pad.Labels->RoundedNumbers) return RoundedNumberText(v);
        return RealText(false, std::clamp(pad.Labels->Precision, 1, 15), v);
    }
    }
}

std::string ValueText(const TDrawPad& pad, const double* values, int count, int part)
{
    if (!values || part > count) return {};
    const double v = values[part];
    if (pad.Labels->RoundedNumbers) return RoundedNumberText(v);
    return RealText(false, std::clamp(pad.Labels->Precision, 1, 15), v);
}

int FontSlotOf(int32_t slot) { return slot >= 0 && slot <= 10 ? int(slot) : 0; }

} // namespace

// ---------------------------------------------------------------- styles

TLinkDrawStyle LinkStyle(const TDrawPad& pad, const TLinkValues& link, TStyleSource* styles)
{
    const TWidthSettings& w = *pad.Widths;
    const int cls = ClassOf(link.EntityType);
    const TClassRecord& rec = (*pad.Net->LinkClasses)[cls];
    bool off = false;
    const TParts p = ClassifyParts(
        [&](double* v, bool* ok) { return styles ? styles->LinkParts(link, v, ok) : 0; }, w.LinkStyleMode,
        w.LinkShowNotFound != 0, cls, w.LinkTop, w.LinkBottom, off);
    TLinkDrawStyle s;
    const auto& t = w.LinkWidths;
    switch (w.LinkStyleMode) {
    case 0:
        s.Width = TableAt(t, p.Part[0], rec.Width);
        s.Extra = TableAt(t, p.Part[1], 0);
        s.Colour = TableAt(t, p.Part[2], rec.Color);
        break;
    case 1:
        s.Colour = std::min(TableAt(t, p.Part[0], rec.Color), 16);
        s.Width = TableAt(t, p.Part[1], rec.Width);
        break;
    case 4:
        s.Width = TableAt(t, p.Part[0], rec.Width);
        s.Colour = std::min(TableAt(t, p.Part[1], rec.Color), 16);
        s.Extra = rec.Width;
        break;
    default:
        s.Width = rec.Width;
        s.Colour = rec.Color;
        break;
    }
    if (off) s.Colour = 0;
    return s;
}

TNodeDrawStyle NodeStyle(const TDrawPad& pad, const TNode& node, TStyleSource* styles)
{
    const TWidthSettings& w = *pad.Widths;
    const int cls = ClassOf(node.EntityType);
    const TClassRecord& rec = (*pad.Net->NodeClasses)[cls];
    bool off = false;
    const TParts p = ClassifyParts(
        [&](double* v, bool* ok) { return styles ? styles->NodeParts(node, v, ok) : 0; }, w.NodeStyleMode,
        w.NodeShowNotFound != 0, cls, w.NodeTop, w.NodeBottom, off);
    TNodeDrawStyle s;
    std::copy(std::begin(p.Values), std::end(p.Values), s.Values);
    s.Count = p.Count;
    const auto& t = w.NodeSizes;
    s.PolygonStyle = pad.Display->NodePolygonStyles[size_t(cls)];
    switch (w.NodeStyleMode) {
    case 0:
        s.Size = TableAt(t, p.Part[0], rec.Width);
        s.Colour = std::min(TableAt(t, p.Part[1], rec.Color), 16);
        break;
    case 1:
        s.Colour = std::min(TableAt(t, p.Part[0], rec.Color), 16);
        s.Size = TableAt(t, p.Part[1], rec.Width);
        break;
    case 3:
        s.PolygonStyle = std::min(TableAt(t, p.Part[0], s.PolygonStyle), 40);
        s.Size = TableAt(t, p.Part[1], rec.Width);
        s.Colour = TableAt(t, p.Part[2], rec.Color);
        break;
    default:
        s.Size = rec.Width == 0 ? 1 : rec.Width;
        s.Colour = rec.Color;
        break;
    }
    if (off) s.Colour = 0;
    if (s.Colour < 0) {
        s.Size = 0;
        s.Colour = 0;
    }
    return s;
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

std::string NodeLabelText(const TDrawPad& pad, const TNode& node, int32_t code, const TNodeDrawStyle* style)
{
    const int cls = ClassOf(node.EntityType);
    std::string s;
    if (code >= 1 && code <= MaxAttributes)
        s = AttributeText(pad, pad.Net->NodeClasses.get(), cls, code, SlotOf(node, code), node.Strings);
    else if (code == 101)
        s = node.Name;
    else if (code == 102 || code == 105)
        s = style ? ValueText(pad, style->Values, style->Count, code == 102 ? 1 : 2) : std::string();
    else if (code == 103)
        s = std::to_string(node.Serial).substr(0, 8);
    else if (code == 104) {
        if (node.OwnPolygon.GetCount() > 0) s = std::to_string(node.OwnPolygon.GetCount());
    } else if (code == 106 || code == 107)
        s = ExtractNoteLine(node.Note, code - 105);
    else if (code == 108)
        s = ShortestText(node.Longitude / 10000000.0);
    else if (code == 109)
        s = ShortestText(node.Latitude / 10000000.0);
    else if (code == 110)
        s = ShortestText(node.Elevation / 10000.0);
    return CutLabel(std::move(s), pad.Labels->NodeLength);
}

std::string LinkLabelText(const TDrawPad& pad, const TLinkValues& link, int32_t code, const double* styleValues,
                          int styleCount)
{
    const int cls = ClassOf(link.EntityType);
    std::string s;
    if (code >= 1 && code <= MaxAttributes)
        s = AttributeText(pad, pad.Net->LinkClasses.get(), cls, code, SlotOf(link, code), link.Strings);
    else if (code == 101)
        s = link.Name;
    else if (code == 102 || code == 103)
        s = ValueText(pad, styleValues, styleCount, code - 101);
    else if (code == 106 || code == 107)
        s = ExtractNoteLine(link.Note, code - 105);
    return CutLabel(std::move(s), pad.Labels->LinkLength);
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
    const TLinkValues* Link;
    const TNode* A;
    const TNode* B;
    int32_t Width;
    double Values[11];
    int Count;
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
    bool NodePasses(const TNode& n) const
    {
        if (Filter.NodesUnfiltered) return true;
        const TElementValues v{n.Values.get(), SlotCount(n), n.Strings.data(), int(n.Strings.size())};
        return Filter.AttributesPass(0, ClassOf(n.EntityType), v) && Filter.NodePolygonPasses(n.X, n.Y);
    }
    bool LinkPasses(const TLinkValues& l) const
    {
        if (Filter.LinksUnfiltered) return true;
        const TElementValues v{l.Values.get(), SlotCount(l), l.Strings.data(), int(l.Strings.size())};
        return Filter.AttributesPass(1, ClassOf(l.EntityType), v) &&
               Filter.LinkPolygonPasses(l.ANode->X, l.ANode->Y, l.BNode->X, l.BNode->Y);
    }
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
    TStyleSource* Styles = nullptr;
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
    if (Run.PrepareFilter)
        Run.PrepareFilter(Pad, Filter);
    else
        Filter.Prepare(*net.NodeClasses, *net.LinkClasses, TPreparedPolygon{});
    Styles = Run.Styles ? Run.Styles(Pad) : nullptr;
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
            const TNodeDrawStyle st = NodeStyle(Pad, *n, Styles);
            DrawNodeLabels(*n, &st);
        }
    }
    if (Pad.Title) DrawTitleBlock(Pad, C, Plot, Run.Now ? Run.Now() : TitleDateText());
    DrawLegend(Pad, C, true, Plot);
    DrawLegend(Pad, C, false, Plot);
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
            if (!n || !n->Active || n->OwnPolygon.GetCount() <= 1 || !Visible(n) || !NodePasses(*n)) continue;
            if (Plot || BoxInView(n->PolygonBox, 0)) DrawPolygon(*n);
        }
    }
}

void TDrawCall::DrawPolygon(const TNode& owner)
{
    const int count = owner.OwnPolygon.GetCount();
    if (count <= 1) return;
    int32_t styleNo = NodeStyle(Pad, owner, Styles).PolygonStyle;
    if (owner.PolygonStyle != 0) styleNo = owner.PolygonStyle;
    if (owner.PolygonMark) styleNo = HighlightPolygonStyle;
    // A style number from a file that names no style draws in style 0.
    if (styleNo < 0 || styleNo > HighlightPolygonStyle) styleNo = 0;
    const TPolygonStyle& st = Pad.Display->PolygonStyles[size_t(styleNo)];
    std::vector<TCanvasPoint> pts;
    pts.reserve(size_t(count));
    const int64_t dx = int64_t(Pad.OriginX) - Pad.ScrollOffsetX, dy = int64_t(Pad.OriginY) - Pad.ScrollOffsetY;
    for (int i = 0; i < count; ++i) {
        const TNetworkPoint* v = owner.OwnPolygon.At(i);
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
                    if (h->AEnd) {
                        __builtin_prefetch(h->LinkValues);
                        __builtin_prefetch(h->FarNode);
                    }
        const TNode* n = cell->Points.At(i)->AsNode();
        if (!n) continue;
        for (int32_t k = 0; k < n->Links.GetCount(); ++k) {
            const TLink* h = n->Links.At(k);
            if (!h->AEnd || !h->LinkValues) continue;
            const TLinkValues& lv = *h->LinkValues;
            const TNode* far = h->FarNode;
            if (!lv.Active || !far || !Visible(n) || !Visible(far)) continue;
            if (!LinkPasses(lv)) {
                if (Run.ShowFilteredLinksThin) DrawWorldLine(Pad, C, n->X, n->Y, far->X, far->Y, Run.FilteredLinkColor, Plot);
                continue;
            }
            TPendingLink p{&lv, n, far, 0, {}, 0};
            const TLinkDrawStyle st = LinkStyle(Pad, lv, Styles);
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
        const TNodeDrawStyle st = NodeStyle(Pad, *n, Styles);
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
    const int32_t c1 = n.Label1 ? n.Label1 : l.NodeLabelCodes[size_t(cls)][1];
    const int32_t c2 = n.Label2 ? n.Label2 : l.NodeLabelCodes[size_t(cls)][2];
    const std::string line1 = NodeLabelText(Pad, n, c1, st), line2 = NodeLabelText(Pad, n, c2, st);
    const int64_t x = int64_t(n.X) + Pad.OriginX + n.LabelXOffset - Pad.ScrollOffsetX;
    const int64_t y = int64_t(n.Y) + Pad.OriginY + n.LabelYOffset - Pad.ScrollOffsetY;
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
    const TLinkValues& lv = *p.Link;
    if (&lv == Pad.EditedLink || !LinkHasLabel(Pad, lv)) return;
    const TLabelSettings& l = *Pad.Labels;
    const int cls = ClassOf(lv.EntityType);
    const int32_t c1 = lv.Label1 ? lv.Label1 : l.LinkLabelCodes[size_t(cls)][1];
    const int32_t c2 = lv.Label2 ? lv.Label2 : l.LinkLabelCodes[size_t(cls)][2];
    double values[11] = {};
    int count = 0;
    if ((c1 == 102 || c1 == 103 || c2 == 102 || c2 == 103) && Styles) {
        double v[10];
        bool ok[10];
        count = std::clamp(Styles->LinkParts(lv, v, ok), 0, 10);
        for (int i = 0; i < count; ++i) values[i + 1] = ok[i] ? v[i] : 0;
    }
    std::string line1 = LinkLabelText(Pad, lv, c1, values, count), line2 = LinkLabelText(Pad, lv, c2, values, count);
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
