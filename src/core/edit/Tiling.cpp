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

TTileRect TitleRect(const TTileRect& Window, const TCaption& Caption)
{
    const int64_t w = Window.Width, t = std::max<int32_t>(Caption.TitleWidth, 0);
    // Centred, or where the style may put it at the left, within both.
    const int64_t centred = (w - t) / 2 - Caption.TitleShift;
    int64_t from = centred, to = centred + t + 1;
    if (Caption.AtLeft) {
        from = std::min<int64_t>(from, Caption.Left);
        to = std::max<int64_t>(to, Caption.Left + t);
    }
    from = std::clamp<int64_t>(from, 0, w);
    to = std::clamp<int64_t>(to, from, w);
    return {int32_t(Window.Left + from), Window.Top, int32_t(to - from), Caption.Step};
}

namespace {

bool Intersect(const TTileRect& a, const TTileRect& b)
{
    return int64_t(a.Left) < int64_t(b.Left) + b.Width && int64_t(b.Left) < int64_t(a.Left) + a.Width &&
           int64_t(a.Top) < int64_t(b.Top) + b.Height && int64_t(b.Top) < int64_t(a.Top) + a.Height;
}

// Where the title of a window w wide ends, from the window's left edge.
int64_t TitleEnd(int64_t w, const TCaption& c)
{
    const TTileRect t = TitleRect({0, 0, int32_t(w), 1}, c);
    return int64_t(t.Left) + t.Width;
}

// A cascade in columns: windows of w x h, each one step down and dx right of
// the one before in its column; down windows a column; each column starts
// at the top, shift to the right of the one before.
struct TCascadeColumns {
    int32_t W = 0, H = 0, Dx = 0;
    int64_t Down = 1, Shift = 0;
};

// The columns for windows of height h that step dx right, as wide as
// possible up to widest, in an area of width x height; false when they
// would have to be narrower than narrowest. The next column starts past the
// title of the lowest (and so rightmost) window of the one before, and so
// past every title in it.
bool FitColumns(int count, int32_t width, int32_t height, const TCaption& c, int32_t h, int32_t dx, int32_t widest,
                int32_t narrowest, TCascadeColumns& out)
{
    const int32_t step = c.Step;
    const int64_t down = (int64_t(height) - h) / step + 1;
    const int64_t columns = (count + down - 1) / down;
    const int64_t lastRows = count - (columns - 1) * down;
    auto shift = [&](int64_t w) { return (down - 1) * dx + TitleEnd(w, c); };
    auto right = [&](int64_t w) { return (columns - 1) * shift(w) + (lastRows - 1) * dx + w; };
    // right(w) grows with w by about (columns + 1) / 2 a pixel: start from
    // the solution of right(w) = width for a centred title and step down past
    // the roundings (and past a title at the left, which ends further right).
    int64_t w = (2 * (int64_t(width) - (columns - 1) * (down - 1) * dx - (lastRows - 1) * dx) -
                 (columns - 1) * (int64_t(c.TitleWidth) - 2 * c.TitleShift)) /
                (columns + 1);
    w = std::min<int64_t>(w + 1, widest);
    while (w >= narrowest && right(w) > width) --w;
    if (w < narrowest || w < 1) return false;
    out = {int32_t(w), h, dx, down, columns > 1 ? shift(w) : 0};
    return true;
}

} // namespace

std::vector<TTileRect> CascadeWindows(int count, int32_t width, int32_t height, const TCaption& Caption,
                                      int32_t minWidth, int32_t minHeight)
{
    std::vector<TTileRect> r;
    if (count <= 0) return r;
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height, 1);
    TCaption c = Caption;
    c.Step = std::max<int32_t>(c.Step, 1);
    c.TitleWidth = std::max<int32_t>(c.TitleWidth, 0);
    const int32_t step = c.Step;
    // The narrowest window that shows the whole title.
    const int32_t titled = int32_t(std::min<int64_t>(width, int64_t(c.TitleWidth) + std::max<int32_t>(c.Room, 0)));
    const int32_t wide = std::min(width, std::max({int32_t(int64_t(width) * 3 / 4), minWidth, titled}));
    const int32_t least = std::min(width, std::max({minWidth, titled, 1}));
    const int32_t tall = std::min(height, std::max(int32_t(int64_t(height) * 3 / 4), minHeight));
    const int32_t low = std::min(height, std::max<int32_t>(minHeight, 1));
    // The heights, from tall down to low, at which one more window fits in a column.
    std::vector<int32_t> heights{tall};
    for (int64_t down = (int64_t(height) - tall) / step + 2; height - (down - 1) * step >= low; ++down)
        heights.push_back(int32_t(height - (down - 1) * step));
    if (heights.back() != low) heights.push_back(low);

    TCascadeColumns columns;
    bool found = false;
    // Narrower first, then shorter, each column still a cascade.
    for (int32_t h : heights)
        if ((found = FitColumns(count, width, height, c, h, step, wide, least, columns))) break;
    // Then columns that step less far right, down to straight down.
    for (int32_t dx = step - 1; !found && dx >= 0; --dx)
        found = FitColumns(count, width, height, c, low, dx, wide, least, columns);
    // Then smaller than the least usable size, down to a window that shows
    // its caption with the whole title and one more step of the window.
    const int32_t smallest = std::max<int32_t>(titled, 1);
    for (int32_t h = low; !found && h >= std::min(height, 2 * step); h -= step)
        found = FitColumns(count, width, height, c, h, 0, wide, smallest, columns);
    if (found) {
        r.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            const int64_t column = i / columns.Down, row = i % columns.Down;
            r.push_back({int32_t(column * columns.Shift + row * columns.Dx), int32_t(row * step), columns.W,
                         columns.H});
        }
        return r;
    }

    // No room for that: the smallest windows run down in bands, each one
    // step right of the one before; each band starts one step further right
    // than the one before (at the left edge again past the right edge), so
    // that no two windows share a place while the area has room for that.
    const int32_t w = std::min(width, smallest);
    const int32_t h = std::min(height, 2 * step);
    const int64_t down = (int64_t(height) - h) / step + 1;
    const int64_t across = (int64_t(width) - w) / step + 1;
    r.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int64_t row = i % down, band = i / down;
        r.push_back({int32_t((row + band) % across * step), int32_t(row * step), w, h});
    }
    return r;
}

std::optional<TTileRect> NextCascadePlace(const std::vector<TPlacedWindow>& Open, int32_t width, int32_t height,
                                          const TCaption& Caption, int32_t minWidth, int32_t minHeight)
{
    width = std::max<int32_t>(width, 1);
    height = std::max<int32_t>(height, 1);
    TCaption c = Caption;
    c.Step = std::max<int32_t>(c.Step, 1);
    const int32_t step = c.Step;
    // The cascade of them all: the first window's place, and the size of a
    // window in an area as full as this one.
    TCaption widest = c;
    for (const TPlacedWindow& o : Open) widest.TitleWidth = std::max(widest.TitleWidth, o.TitleWidth);
    const std::vector<TTileRect> all = CascadeWindows(int(Open.size()) + 1, width, height, widest, minWidth, minHeight);
    if (Open.empty()) return all.front();

    std::vector<TTileRect> titles;
    titles.reserve(Open.size());
    for (const TPlacedWindow& o : Open) {
        TCaption own = c;
        own.TitleWidth = o.TitleWidth;
        titles.push_back(TitleRect(o.Rect, own));
    }
    auto onAWindow = [&](const TTileRect& r) {
        for (const TPlacedWindow& o : Open)
            if (o.Rect.Left == r.Left && o.Rect.Top == r.Top) return true;
        return false;
    };
    auto free = [&](const TTileRect& r) {
        if (r.Left < 0 || r.Top < 0 || r.Width < 1 || r.Height < 1 || int64_t(r.Left) + r.Width > width ||
            int64_t(r.Top) + r.Height > height || onAWindow(r))
            return false;
        for (const TTileRect& t : titles)
            if (Intersect(t, r)) return false;
        return true;
    };

    // The new window is as large as a window of the cascade of them all,
    // never smaller, and shows its whole title: at the next step of the last
    // window's cascade (over bodies, never over titles), or straight down.
    const int32_t titled =
        std::max<int32_t>(1, int32_t(std::min<int64_t>(width, int64_t(c.TitleWidth) + std::max<int32_t>(c.Room, 0))));
    const int32_t w = std::max(all.back().Width, titled), h = all.back().Height;
    const TTileRect& last = Open.back().Rect;
    for (int32_t dx : {step, 0})
        if (const TTileRect r{last.Left + dx, last.Top + step, w, h}; free(r)) return r;
    // A new column at the top, past every title.
    int32_t past = 0;
    for (const TTileRect& t : titles) past = std::max(past, t.Left + t.Width);
    if (const TTileRect r{past, 0, w, h}; free(r)) return r;
    // Else the first place from the top-left where it has room; a place
    // starts at a step or just past a title.
    std::vector<int32_t> lefts;
    for (int32_t x = 0; x + w <= width; x += step) lefts.push_back(x);
    for (const TTileRect& t : titles)
        if (t.Left + t.Width + w <= width) lefts.push_back(t.Left + t.Width);
    std::sort(lefts.begin(), lefts.end());
    lefts.erase(std::unique(lefts.begin(), lefts.end()), lefts.end());
    for (int32_t y = 0; y + h <= height; y += step)
        for (int32_t x : lefts)
            if (const TTileRect r{x, y, w, h}; free(r)) return r;
    return std::nullopt;
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
