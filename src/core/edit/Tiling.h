// Where the Window menu puts the network windows inside the frame's window
// area: tiled one above another (horizontal) or side by side (vertical),
// cascaded, and minimized windows in rows along the bottom edge.
#pragma once

#include <cstdint>
#include <optional>
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

// How a window's caption shows its title. The caption is Step pixels high,
// and a cascade steps by it. The title, TitleWidth pixels of text, is centred
// TitleShift pixels left of the middle of the window; where the style may
// put it at the left instead (AtLeft), it may also start Left pixels in.
// Beside it the system menu, the buttons and the margins take Room pixels: a
// window TitleWidth + Room wide shows the whole title.
struct TCaption {
    int32_t Step = 24;
    int32_t TitleWidth = 0;
    int32_t TitleShift = 0;
    int32_t Left = 0;
    int32_t Room = 0;
    bool AtLeft = false;
};

// The part of a window's caption that its title takes (centred or at the left).
TTileRect TitleRect(const TTileRect& Window, const TCaption& Caption);

// Places for count windows cascaded from the area's top-left corner, each
// one step further right and down, each drawn over the ones before it, so
// that every window's title (the widest of them Caption.TitleWidth) stays in
// view. Each window takes three quarters of the area, but never less than
// minWidth x minHeight nor more than the area; it is made narrower, down to
// minWidth, where that lets every window stand one step right of the one
// before. When the next step would carry a window past the area's bottom
// edge the cascade starts again at the top in a further column, which begins
// to the right of the titles of the column before it; to let the columns
// fit, the windows are made narrower (down to minWidth), then shorter (down
// to minHeight), then the columns run straight down, and only then do the
// windows shrink below the least usable size (to what still shows the whole
// title). Where even that does not fit, the windows run down in bands, each
// one step right of the one before, leaving the start of each caption in
// view, and no two in the same place while the area has room for that.
std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, const TCaption& Caption,
                                      int32_t minWidth, int32_t minHeight);

// A window already in the area, with the width of its title.
struct TPlacedWindow {
    TTileRect Rect;
    int32_t TitleWidth = 0;
};

// The place of one more window (whose title is Caption.TitleWidth wide)
// over the open ones, which stay where they are (in the order they were
// placed), as large as a window of the cascade of them all (CascadeWindows),
// never smaller: the next step of the cascade that the last of them stands
// in (or straight down), or the top of a new column past every title, or
// else the first place from the top-left where it has room, each only where
// it covers no title and lies on no window's place. Nothing when no such
// place is left (then they all cascade afresh).
std::optional<TTileRect> NextCascadePlace(const std::vector<TPlacedWindow>& Open, int32_t width, int32_t height,
                                          const TCaption& Caption, int32_t minWidth, int32_t minHeight);

// Rect moved into an area of width x height at (0, 0), and made smaller
// only where it is larger than the area.
TTileRect FitIntoArea(TTileRect rect, int32_t width, int32_t height);
