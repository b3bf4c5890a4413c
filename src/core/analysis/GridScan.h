// Classing the integer grid points of a row or a column by polygons,
// circles and link buffers, a run of equal points at a time.
//
// A polygon's class (PointInPolygon: 1 on the boundary, 2 inside) can only
// change along a row at a vertex on that row or next to where an edge
// crosses it; the test runs at those points and once for every stretch
// between them. Circles give exact integer spans. Buffers are worked out
// segment by segment near each segment only, with the point test kept for
// the few points close to a buffer's edge.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

// Points First..Last (inclusive) of one row or column share Class.
struct TGridRun {
    int32_t First, Last;
    uint8_t Class; // 1 boundary, 2 inside
};

// A point list with consecutive repeated points dropped; for a ring also
// the last point when it repeats the first.
std::vector<TIntPoint> WithoutRepeats(std::vector<TIntPoint> points, bool ring = true);

struct TLayerSettings;
// A layer is shown when its state is non-zero and not above the zoom index.
bool LayerShown(const TLayerSettings& layers, int32_t zoomIndex, int layer);

// The box of a point list (EmptyBox when there is none).
TBox BoxOf(const std::vector<TIntPoint>& points);

class TPolygonScan {
public:
    TPolygonScan() = default;
    explicit TPolygonScan(std::vector<TIntPoint> ring);

    const std::vector<TIntPoint>& Points() const { return Ring; }
    const TBox& Box() const { return Box_; }
    int Class(int32_t x, int32_t y) const
    {
        return PointInPolygon(x, y, Ring.data(), Box_, int32_t(Ring.size()));
    }
    // Appends the runs of boundary and inside points of row y within
    // x0..x1, in order.
    void Row(int32_t y, int32_t x0, int32_t x1, std::vector<TGridRun>& out) const;
    // The same along column x within y0..y1.
    void Column(int32_t x, int32_t y0, int32_t y1, std::vector<TGridRun>& out) const;

private:
    void Walk(int32_t lo, int32_t hi, bool row, int32_t fixed, std::vector<TGridRun>& out) const;

    std::vector<TIntPoint> Ring;
    TBox Box_ = EmptyBox;
    mutable std::vector<int32_t> Events;
};

// The largest s with s * s <= v (v >= 0).
int64_t IntegerSqrt(int64_t v);

// The span of x with (x - cx)^2 + (y - cy)^2 <= r^2 on row y; false when
// the row misses the circle.
bool CircleSpan(int32_t cx, int32_t cy, int64_t r, int32_t y, int32_t& x0, int32_t& x1);

// Link buffers.
enum class TBufferShape { Pearls, Sausage, Blunt };

// Whether segment i (points[i] to points[i + 1]) of the line covers (x, y)
// within radius r: the point test of the buffers, for one segment.
bool SegmentCovers(const std::vector<TIntPoint>& points, size_t i, TBufferShape shape, int64_t r, int32_t x,
                   int32_t y);
// Whether the line's buffer covers (x, y): some pearl, or some segment.
bool BufferCovers(const std::vector<TIntPoint>& points, TBufferShape shape, int64_t r, int32_t x, int32_t y);

// The covered points of a buffer inside a window, row by row: Rows[y - Y0]
// holds sorted, disjoint, non-adjacent spans.
struct TBufferRows {
    int32_t X0 = 0, X1 = -1, Y0 = 0, Y1 = -1;
    std::vector<std::vector<std::pair<int32_t, int32_t>>> Rows;
};
void ScanBuffer(const std::vector<TIntPoint>& points, TBufferShape shape, int64_t r, TBufferRows& out);

// Sorts spans and joins those that overlap or touch.
void MergeSpans(std::vector<std::pair<int32_t, int32_t>>& spans);
