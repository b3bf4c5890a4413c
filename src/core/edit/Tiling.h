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
// one step further right and down, each drawn over the ones before it, so
// that every window's caption, whose title of up to titleWidth pixels is
// centred in it, stays readable. Each window takes three quarters of the
// area, but never less than minWidth x minHeight nor more than the area; it
// is made narrower, down to minWidth, where that lets every window stand one
// step right of the one before. When the next step would carry a window past
// the area's bottom edge the cascade starts again at the top in a further
// column, which begins to the right of the titles of the column before it;
// to let the columns fit, the windows are made narrower (down to minWidth),
// then shorter (down to minHeight), then the columns run straight down, and
// only then do the windows shrink below the least usable size (to what still
// shows a title). Where even that does not fit, the cascade runs on to the
// right and starts again at the left edge, leaving only the start of each
// caption in view. New windows take the place the cascade gives them after
// the windows already open.
std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, int32_t step, int32_t minWidth,
                                      int32_t minHeight, int32_t titleWidth);

// Rect moved into an area of width x height at (0, 0), and made smaller
// only where it is larger than the area.
TTileRect FitIntoArea(TTileRect rect, int32_t width, int32_t height);
