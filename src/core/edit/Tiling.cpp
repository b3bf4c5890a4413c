#include "core/edit/Tiling.h"

#include <algorithm>
#include <cmath>

std::vector<TTileRect> TileWindows(int count, int32_t width, int32_t height, bool horizontal, int32_t reserveBottom)
{
    std::vector<TTileRect> r;
    if (count <= 0) return r;
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height - std::max<int32_t>(reserveBottom, 0), 1);
    // Horizontal tiling stacks windows in columns; vertical tiling puts them
    // side by side in rows. Work in "along" (the stacking direction) and
    // "across" and turn the result for vertical tiling.
    const int32_t along = horizontal ? height : width, across = horizontal ? width : height;
    const int groups = count <= 3 ? 1 : int(std::floor(std::sqrt(double(count))));
    const int base = count / groups, extra = count % groups; // the last `extra` groups take one more
    r.reserve(size_t(count));
    for (int g = 0; g < groups; ++g) {
        const int in = base + (g >= groups - extra ? 1 : 0);
        const int32_t a0 = int32_t(int64_t(across) * g / groups), a1 = int32_t(int64_t(across) * (g + 1) / groups);
        for (int i = 0; i < in; ++i) {
            const int32_t s0 = int32_t(int64_t(along) * i / in), s1 = int32_t(int64_t(along) * (i + 1) / in);
            TTileRect t;
            if (horizontal)
                t = {a0, s0, std::max(1, a1 - a0), std::max(1, s1 - s0)};
            else
                t = {s0, a0, std::max(1, s1 - s0), std::max(1, a1 - a0)};
            r.push_back(t);
        }
    }
    return r;
}

std::vector<TTileRect> ArrangeIcons(int count, int32_t width, int32_t height, int32_t iconWidth, int32_t iconHeight)
{
    std::vector<TTileRect> r;
    if (count <= 0) return r;
    iconWidth = std::max<int32_t>(iconWidth, 1);
    iconHeight = std::max<int32_t>(iconHeight, 1);
    const int perRow = std::max<int32_t>(1, std::max<int32_t>(width, 1) / iconWidth);
    r.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow, col = i % perRow;
        r.push_back({col * iconWidth, height - (row + 1) * iconHeight, iconWidth, iconHeight});
    }
    return r;
}

namespace {

// A cascade in columns: windows of w x h, each one step down and dx right of
// the one before in its column; down windows a column; each column starts
// at the top, shift to the right of the one before.
struct TCascadeColumns {
    int32_t W = 0, H = 0, Dx = 0;
    int64_t Down = 1, Shift = 0;
};

// The columns for windows of height h that step dx right, as wide as
// possible up to widest, in an area of width x height; false when they
// would have to be narrower than narrowest. A window's title, centred in its
// caption, ends at most half the window and half the title right of its
// left edge; the next column starts past the title of the lowest (and so
// rightmost) window of the one before, and so past every title in it.
bool FitColumns(int count, int32_t width, int32_t height, int32_t step, int32_t titleWidth, int32_t h, int32_t dx,
                int32_t widest, int32_t narrowest, TCascadeColumns& out)
{
    const int64_t down = (int64_t(height) - h) / step + 1;
    const int64_t columns = (count + down - 1) / down;
    const int64_t lastRows = count - (columns - 1) * down;
    auto shift = [&](int64_t w) { return (down - 1) * dx + (w + titleWidth + 1) / 2; };
    auto right = [&](int64_t w) { return (columns - 1) * shift(w) + (lastRows - 1) * dx + w; };
    // right(w) grows with w by about (columns + 1) / 2 a pixel: start from
    // the solution of right(w) = width and step down past the roundings.
    int64_t w = (2 * (int64_t(width) - (columns - 1) * (down - 1) * dx - (lastRows - 1) * dx) -
                 (columns - 1) * int64_t(titleWidth)) /
                (columns + 1);
    w = std::min<int64_t>(w + 1, widest);
    while (w >= narrowest && right(w) > width) --w;
    if (w < narrowest || w < 1) return false;
    out = {int32_t(w), h, dx, down, columns > 1 ? shift(w) : 0};
    return true;
}

} // namespace

std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, int32_t step, int32_t minWidth,
                                      int32_t minHeight, int32_t titleWidth)
{
    std::vector<TTileRect> r;
    if (count <= 0) return r;
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height, 1);
    step = std::max<int32_t>(step, 1);
    titleWidth = std::max<int32_t>(titleWidth, 0);
    const int32_t wide = std::min(width, std::max(int32_t(int64_t(width) * 3 / 4), minWidth));
    const int32_t least = std::min(width, std::max<int32_t>(minWidth, 1));
    const int32_t tall = std::min(height, std::max(int32_t(int64_t(height) * 3 / 4), minHeight));
    const int32_t low = std::min(height, std::max<int32_t>(minHeight, 1));
    // The heights, from tall down to low, at which one more window fits in a column.
    std::vector<int32_t> heights{tall};
    for (int64_t down = (int64_t(height) - tall) / step + 2; height - (down - 1) * step >= low; ++down)
        heights.push_back(int32_t(height - (down - 1) * step));
    if (heights.back() != low) heights.push_back(low);

    TCascadeColumns c;
    bool found = false;
    // Narrower first, then shorter, each column still a cascade.
    for (int32_t h : heights)
        if ((found = FitColumns(count, width, height, step, titleWidth, h, step, wide, least, c))) break;
    // Then columns that step less far right, down to straight down.
    for (int32_t dx = step - 1; !found && dx >= 0; --dx)
        found = FitColumns(count, width, height, step, titleWidth, low, dx, wide, least, c);
    // Then smaller than the least usable size, down to a window that shows
    // its caption with the title beside the system menu and the buttons and
    // one more step of the window.
    const int32_t smallest = std::min<int32_t>(width, titleWidth + 4 * step);
    for (int32_t h = low; !found && h >= std::min(height, 2 * step); h -= step)
        found = FitColumns(count, width, height, step, titleWidth, h, 0, wide, smallest, c);
    if (found) {
        r.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            const int64_t column = i / c.Down, row = i % c.Down;
            r.push_back({int32_t(column * c.Shift + row * c.Dx), int32_t(row * step), c.W, c.H});
        }
        return r;
    }

    // No room for that: each window one step right of the one before,
    // starting again at the top (and, past the right edge, at the left) as
    // it must.
    const int64_t fitting = int64_t(width) - int64_t(count - 1) * step;
    const int32_t w = int32_t(std::min<int64_t>(width, std::max<int64_t>(std::min<int64_t>(wide, fitting), least)));
    const int64_t down = (int64_t(height) - tall) / step + 1;
    const int64_t across = (int64_t(width) - w) / step + 1;
    r.reserve(size_t(count));
    for (int i = 0; i < count; ++i) r.push_back({int32_t((i % across) * step), int32_t((i % down) * step), w, tall});
    return r;
}

TTileRect FitIntoArea(TTileRect rect, int32_t width, int32_t height)
{
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height, 1);
    rect.Width = std::clamp<int32_t>(rect.Width, 1, width);
    rect.Height = std::clamp<int32_t>(rect.Height, 1, height);
    rect.Left = int32_t(std::clamp<int64_t>(rect.Left, 0, int64_t(width) - rect.Width));
    rect.Top = int32_t(std::clamp<int64_t>(rect.Top, 0, int64_t(height) - rect.Height));
    return rect;
}
