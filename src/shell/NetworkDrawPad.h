// The paint of a sketch-pad window: its network (with the underlay window it
// names) drawn through the drawing pass, then the crosshair of the plot modes.
#pragma once

#include <cstdint>

class QPainter;
class QRect;
class TSketchPadWindow;

// Paints the exposed rectangle of the window's viewport (device pixels).
void PaintSketchPad(TSketchPadWindow& pad, QPainter& painter, const QRect& exposed);
// The window's network (and its underlays) alone, at a scale and scroll
// position of the caller's: what another window shows of it.
void PaintPadNetwork(TSketchPadWindow& pad, QPainter& painter, const QRect& exposed, double scale, int32_t horzPos,
                     int32_t vertPos);

// Repaints every window that draws Pad (or, with WholeNetwork, any window of
// Pad's network) as an underlay somewhere along its chain of underlays.
void InvalidateUnderlayViewers(TSketchPadWindow& pad, bool wholeNetwork);
