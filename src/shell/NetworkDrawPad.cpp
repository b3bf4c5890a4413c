#include "shell/NetworkDrawPad.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QPainter>

#include "core/edit/PlotPage.h"
#include "core/model/Rounding.h"

#include "shell/MainWindow.h"
#include "shell/NetworkDraw.h"
#include "shell/SketchModes.h"
#include "shell/SketchPad.h"

namespace {

// The page rectangle of the plot over the network: solid, one pixel, palette
// colour 4, exclusive-or. Sides resting on a coordinate beyond the drawing
// range are left out, except the left one.
void DrawPlotMargins(TSketchPadWindow& w, TCanvas& canvas)
{
    const TDisplaySettings& d = w.Settings.Display;
    const TPlotPage page = TPlotPage::From(d.PlotPage);
    const double gap = TitleGap(!d.PlotTitle.empty(), d.PlotTitleFont.Height, page.Ppi);
    const TPageRectangle r =
        PageRectangle(page, gap, int32_t(pround(w.HorzPos() / w.View.Scale)), int32_t(pround(w.VertPos() / w.View.Scale)));
    canvas.SetZoomMapping(w.View.Scale);
    canvas.SetPenMode(TPenMode::Xor);
    canvas.SetPen(ProgramColorPalette[4], psSolid, 1);
    canvas.Line(r.Left, r.Top, r.Left, r.Bottom);
    if (!r.BottomCut) canvas.Line(r.Left, r.Bottom, r.Right, r.Bottom);
    if (!r.RightCut) canvas.Line(r.Right, r.Bottom, r.Right, r.Top);
    if (!r.TopCut) canvas.Line(r.Right, r.Top, r.Left, r.Top);
    canvas.SetPenMode(TPenMode::Copy);
}

// The triangles of the last triangulation over the network: palette colour
// 20, one pixel. Edges that miss the clip are passed over.
void DrawTriangles(const TSketchPadWindow& w, TDrawPad& pad, TCanvas& canvas, double scale, int32_t horzPos,
                   int32_t vertPos)
{
    canvas.SetZoomMapping(scale);
    pad.ScrollOffsetX = int32_t(pround(horzPos / scale));
    pad.ScrollOffsetY = int32_t(pround(vertPos / scale));
    const TCanvasRect clip = canvas.ClipBox();
    const int64_t dx = int64_t(pad.OriginX) - pad.ScrollOffsetX, dy = int64_t(pad.OriginY) - pad.ScrollOffsetY;
    for (const TDEdge& e : w.Triangles) {
        if (std::max(e.X1, e.X2) + dx < clip.Left - 1 || std::min(e.X1, e.X2) + dx > clip.Right + 1 ||
            std::max(e.Y1, e.Y2) + dy < clip.Top - 1 || std::min(e.Y1, e.Y2) + dy > clip.Bottom + 1)
            continue;
        DrawWorldLine(pad, canvas, e.X1, e.Y1, e.X2, e.Y2, 20, false);
    }
}

// The drawing pad of one window.
TDrawPad PadOf(TSketchPadWindow& w)
{
    TDrawPad pad = MakeDrawPad(*w.Network, w.View, w.Settings, w.WindowNumber);
    pad.Images = &w.Main.SymbolImages;
    pad.BackgroundImages = w.BackgroundImages.get();
    pad.WindowColor = w.Main.PaletteRGB[0];
    pad.EditedNode = w.View.EditedNode;
    pad.EditedLink = w.View.EditedLink;
    PrepareDrawing(*w.Network, w.Settings, pad);
    return pad;
}

} // namespace

bool PlotPageValid(const TSketchPadWindow& w)
{
    const TPlotExtents e{w.View.MinX, w.View.MinY, w.View.MaxX, w.View.MaxY};
    return PageSetupValid(TPlotPage::From(w.Settings.Display.PlotPage), e);
}

std::vector<std::unique_ptr<TDrawPad>> DrawPadsOf(TSketchPadWindow& w)
{
    // The window's pad and the chain of underlay windows it names (each
    // window once: the drawing pass ends cycles, this ends the chain).
    std::vector<std::unique_ptr<TDrawPad>> pads;
    std::vector<int> seen;
    TSketchPadWindow* cur = &w;
    while (cur && cur->Network && pads.size() < 100) {
        seen.push_back(cur->WindowNumber);
        pads.push_back(std::make_unique<TDrawPad>(PadOf(*cur)));
        if (pads.size() > 1) pads[pads.size() - 2]->Underlay = pads.back().get();
        const int next = cur->Settings.Backgrounds.Underlay;
        if (next < 1 || next > w.Main.PadCount() || std::find(seen.begin(), seen.end(), next) != seen.end()) break;
        cur = w.Main.SketchPads[size_t(next - 1)];
    }
    return pads;
}

namespace {

void Paint(TSketchPadWindow& w, QPainter& painter, const QRect& exposed, double scale, int32_t horzPos,
           int32_t vertPos, bool ownView)
{
    if (!w.Network) return;
    std::vector<std::unique_ptr<TDrawPad>> pads = DrawPadsOf(w);
    // The title block and legends this window shows, for Select Object.
    if (ownView) pads.front()->Boxes = &w.View.ObjectBoxes;
    painter.setClipRect(exposed);
    TQPainterCanvas canvas(painter);
    TDrawRun run;
    PaintNetwork(*pads.front(), canvas, scale, horzPos, vertPos, run);
    if (!ownView) return;
    if (w.View.ShowPlotMargins && !w.HidePageRectangle && PlotPageValid(w)) DrawPlotMargins(w, canvas);
    if (!w.Triangles.empty()) DrawTriangles(w, *pads.front(), canvas, scale, horzPos, vertPos);
    if (IsCrosshairMode(w.View.SketchMode)) {
        painter.setClipping(false);
        DrawCrosshair(*pads.front(), canvas, w.View.Scale, w.HorzPos(), w.VertPos(), w.viewport()->width(),
                      w.viewport()->height(), w.View.DarkCursor != 0);
    }
}

} // namespace

void PaintSketchPad(TSketchPadWindow& w, QPainter& painter, const QRect& exposed)
{
    Paint(w, painter, exposed, w.View.Scale, w.HorzPos(), w.VertPos(), true);
}

void PaintPadNetwork(TSketchPadWindow& w, QPainter& painter, const QRect& exposed, double scale, int32_t horzPos,
                     int32_t vertPos)
{
    Paint(w, painter, exposed, scale, horzPos, vertPos, false);
}

void InvalidateUnderlayViewers(TSketchPadWindow& pad, bool wholeNetwork)
{
    TZOKMainWindow& main = pad.Main;
    auto changed = [&](const TSketchPadWindow* w) { return w == &pad || (wholeNetwork && w->Network == pad.Network); };
    for (TSketchPadWindow* w : main.SketchPads) {
        // The chain as the paint follows it: each window once.
        std::vector<const TSketchPadWindow*> seen{w};
        const TSketchPadWindow* cur = w;
        while (seen.size() < 100) {
            const int next = cur->Settings.Backgrounds.Underlay;
            if (next < 1 || next > main.PadCount()) break;
            cur = main.SketchPads[size_t(next - 1)];
            if (std::find(seen.begin(), seen.end(), cur) != seen.end()) break;
            seen.push_back(cur);
            if (changed(cur)) {
                w->InvalidatePad();
                break;
            }
        }
    }
}
