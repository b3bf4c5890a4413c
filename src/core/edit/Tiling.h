// Where the Window menu puts the network windows inside the frame's window
// area: tiled one above another (horizontal) or side by side (vertical),
// cascaded, and minimized windows in rows along the bottom edge.
#pragma once

#include <cstdint>
#include <vector>

struct TTileRect {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TTileRect&) const = default;
};

// Places for count open windows in an area of width x height, leaving
// reserveBottom pixels free at the bottom (the row of minimized windows).
// Horizontal: up to three windows stacked full width; more go into
// columns of stacked windows. Vertical: the same turned on its side. Every
// place is at least one pixel wide and high.
std::vector<TTileRect> TileWindows(int count, int32_t width, int32_t height, bool horizontal,
                                   int32_t reserveBottom = 0);

// Places for count minimized windows of iconWidth x iconHeight: left to
// right along the bottom edge, further rows above when one row is full.
std::vector<TTileRect> ArrangeIcons(int count, int32_t width, int32_t height, int32_t iconWidth,
                                    int32_t iconHeight);

// Places for count windows cascaded from the area's top-left corner, each
// one step further right and down. Each window takes three quarters of the
// area, but never less than minWidth x minHeight nor more than the area; it
// is made narrower, down to minWidth, where that lets every window stand one
// step right of the one before. When the next step would carry a window past
// the area's bottom edge the cascade starts again at the top, still one step
// further right, so that each window leaves the start of the caption of
// every window before it in view; only when no step to the right is left
// does it start again at the left edge too. New windows take the place the
// cascade gives them after the windows already open.
std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, int32_t step, int32_t minWidth,
                                      int32_t minHeight);

// Rect moved into an area of width x height at (0, 0), and made smaller
// only where it is larger than the area.
TTileRect FitIntoArea(TTileRect rect, int32_t width, int32_t height);
