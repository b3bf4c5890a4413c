// The paint of a sketch-pad window: its network (with the underlay window it
// names) drawn through the drawing pass, then the crosshair of the plot modes.
#pragma once

class QPainter;
class QRect;
class TSketchPadWindow;

// Paints the exposed rectangle of the window's viewport (device pixels).
void PaintSketchPad(TSketchPadWindow& pad, QPainter& painter, const QRect& exposed);

// Repaints every window that draws Pad (or, with WholeNetwork, any window of
// Pad's network) as an underlay somewhere along its chain of underlays.
void InvalidateUnderlayViewers(TSketchPadWindow& pad, bool wholeNetwork);
