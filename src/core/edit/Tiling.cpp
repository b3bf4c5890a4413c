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

std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, int32_t step, int32_t minWidth,
                                      int32_t minHeight)
{
    std::vector<TTileRect> r;
    if (count <= 0) return r;
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height, 1);
    step = std::max<int32_t>(step, 1);
    // Three quarters of the area; narrower (down to the least usable width)
    // where that lets every window stand one step right of the one before.
    const int64_t fitting = int64_t(width) - int64_t(count - 1) * step;
    const int64_t wide = std::max<int64_t>(std::min<int64_t>(int64_t(width) * 3 / 4, fitting), minWidth);
    const int32_t w = int32_t(std::min<int64_t>(width, wide));
    const int32_t h = std::min(height, std::max(int32_t(int64_t(height) * 3 / 4), minHeight));
    // Steps before a window would pass the area's bottom (or right) edge
    // (at least one place). Going down, the cascade starts again at the top
    // but goes on to the right, so that a window never covers the start of
    // the caption of one placed before it; only an area too narrow for that
    // starts again at the left too.
    const int64_t down = (int64_t(height) - h) / step + 1;
    const int64_t across = (int64_t(width) - w) / step + 1;
    r.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        r.push_back({int32_t((i % across) * step), int32_t((i % down) * step), w, h});
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
