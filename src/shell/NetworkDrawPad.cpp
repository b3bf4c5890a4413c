#include "shell/NetworkDrawPad.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QPainter>

#include "shell/MainWindow.h"
#include "shell/NetworkDraw.h"
#include "shell/SketchModes.h"
#include "shell/SketchPad.h"

namespace {

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

void Paint(TSketchPadWindow& w, QPainter& painter, const QRect& exposed, double scale, int32_t horzPos,
           int32_t vertPos, bool crosshair)
{
    if (!w.Network) return;
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
    painter.setClipRect(exposed);
    TQPainterCanvas canvas(painter);
    TDrawRun run;
    PaintNetwork(*pads.front(), canvas, scale, horzPos, vertPos, run);
    if (crosshair && IsCrosshairMode(w.View.SketchMode)) {
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
