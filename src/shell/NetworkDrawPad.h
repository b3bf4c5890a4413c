// The paint of a sketch-pad window: its network (with the underlay window it
// names) drawn through the drawing pass, the page rectangle of the plot when
// it is shown, then the crosshair of the plot modes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "shell/NodeLinkDraw.h"

class QPainter;
class QRect;
class TSketchPadWindow;

// Paints the exposed rectangle of the window's viewport (device pixels).
void PaintSketchPad(TSketchPadWindow& pad, QPainter& painter, const QRect& exposed);

// The drawing pads of a window and of the chain of underlay windows it names
// (each window once), the window's own first, each linked to the next as its
// underlay. Owned by the caller; valid while the windows are.
std::vector<std::unique_ptr<TDrawPad>> DrawPadsOf(TSketchPadWindow& pad);

// The page setup of a window passes its check (scale, margins, picture size).
bool PlotPageValid(const TSketchPadWindow& pad);

// The window's network (and its underlays) alone, at a scale and scroll
// position of the caller's: what another window shows of it.
void PaintPadNetwork(TSketchPadWindow& pad, QPainter& painter, const QRect& exposed, double scale, int32_t horzPos,
                     int32_t vertPos);

// Repaints every window that draws Pad (or, with WholeNetwork, any window of
// Pad's network) as an underlay somewhere along its chain of underlays.
void InvalidateUnderlayViewers(TSketchPadWindow& pad, bool wholeNetwork);
