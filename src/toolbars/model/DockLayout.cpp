#include "toolbars/model/DockLayout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>

void CloseEmptyRows(std::vector<TDockedBar>& Bars)
{
    std::vector<int> rows;
    rows.reserve(Bars.size());
    for (const TDockedBar& b : Bars) rows.push_back(b.Row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (TDockedBar& b : Bars) b.Row = int(std::lower_bound(rows.begin(), rows.end(), b.Row) - rows.begin());
}

std::vector<TRowFigures> RowRecords(const std::vector<TDockedBar>& Bars, const std::vector<TRowFigures>& Figures)
{
    int rows = 0;
    for (const TDockedBar& b : Bars) rows = std::max(rows, b.Row + 1);
    std::vector<std::vector<TRowFigures>> per(size_t(std::max(rows, 0)));
    for (size_t i = 0; i < Bars.size() && i < Figures.size(); ++i)
        if (Bars[i].Visible && Bars[i].Row >= 0) per[size_t(Bars[i].Row)].push_back(Figures[i]);
    std::vector<TRowFigures> out;
    out.reserve(per.size());
    for (const auto& f : per) out.push_back(RowFiguresOf(f));
    return out;
}

TDockArrangement ArrangeDock(std::vector<TDockedBar>& Bars, bool Vertical, int Length, int BoundPixels,
                             bool FixAlign)
{
    TDockArrangement out;
    CloseEmptyRows(Bars);
    int rows = 0;
    for (const TDockedBar& b : Bars) rows = std::max(rows, b.Row + 1);
    auto along = [&](const TDockedBar& b) { return Vertical ? b.Size.height() : b.Size.width(); };
    auto across = [&](const TDockedBar& b) { return Vertical ? b.Size.width() : b.Size.height(); };

    std::vector<std::vector<size_t>> members(static_cast<size_t>(rows));
    for (size_t i = 0; i < Bars.size(); ++i)
        if (Bars[i].Visible) members[size_t(Bars[i].Row)].push_back(i);

    out.RowThickness.clear();
    for (int r = 0; r < rows; ++r) {
        std::vector<size_t>& m = members[size_t(r)];
        if (m.empty()) {
            out.RowThickness.push_back(0);
            continue;
        }
        std::stable_sort(m.begin(), m.end(), [&](size_t a, size_t b) { return Bars[a].Pos < Bars[b].Pos; });
        // A row longer than the dock wraps: from the first toolbar that no
        // longer fits, its toolbars go to a new row right after it, so that no
        // toolbar lies beyond the dock's end (a single toolbar longer than the
        // dock keeps a row of its own).
        if (Length > 0) {
            int64_t total = 0;
            size_t keep = m.size();
            for (size_t k = 0; k < m.size(); ++k) {
                total += along(Bars[m[k]]);
                if (total > Length && k > 0) {
                    keep = k;
                    break;
                }
            }
            if (keep < m.size()) {
                for (TDockedBar& b : Bars)
                    if (b.Row > r) ++b.Row;
                std::vector<size_t> moved(m.begin() + std::ptrdiff_t(keep), m.end());
                m.resize(keep);
                for (size_t i : moved) Bars[i].Row = r + 1;
                members.insert(members.begin() + r + 1, std::move(moved));
                ++rows;
            }
        }
        std::vector<size_t>& row = members[size_t(r)];
        // No overlaps: each starts at or after the end of the one before.
        int64_t end = 0;
        for (size_t i : row) {
            if (Bars[i].Pos <= end)
                Bars[i].Pos = int(std::min<int64_t>(end, INT_MAX));
            else
                end = Bars[i].Pos;
            end += along(Bars[i]);
        }
        // A row that runs past the dock's end moves back, each toolbar only as
        // far as the one after it needs, and never before the dock's start.
        if (end > Length) {
            int64_t limit = Length;
            for (size_t k = row.size(); k-- > 0;) {
                TDockedBar& b = Bars[row[k]];
                b.Pos = int(std::min<int64_t>(b.Pos, limit - along(b)));
                limit = b.Pos;
            }
            int start = 0;
            for (size_t i : row) {
                Bars[i].Pos = std::max(Bars[i].Pos, start);
                start = Bars[i].Pos + along(Bars[i]);
            }
        }
        int t = MinLineThickness;
        for (size_t i : row) t = std::max(t, across(Bars[i]));
        out.RowThickness.push_back(t);
    }

    out.Rects.assign(Bars.size(), QRect());
    int offset = 0;
    for (int r = 0; r < rows; ++r) {
        for (size_t i : members[size_t(r)]) {
            const TDockedBar& b = Bars[i];
            out.Rects[i] = Vertical ? QRect(offset, b.Pos, b.Size.width(), b.Size.height())
                                    : QRect(b.Pos, offset, b.Size.width(), b.Size.height());
        }
        offset += out.RowThickness[size_t(r)];
    }
    out.Thickness = offset > 0 ? offset + BoundPixels : (FixAlign ? 1 : 0);
    return out;
}

TRowHit RowHitTest(const std::vector<int>& RowThickness, int Pos)
{
    int start = 0;
    for (size_t r = 0; r < RowThickness.size(); ++r) {
        const int end = start + RowThickness[r];
        if (Pos <= start + 5) return {int(r), true};
        if (Pos <= end - 5) return {int(r), false};
        start = end;
    }
    // The row after the last one reaches without end.
    return {int(RowThickness.size()), Pos <= start + 5};
}

TBoundMargins BoundMargins(unsigned Lines, QSize DockSize)
{
    TBoundMargins m;
    if (DockSize.width() < 2 || DockSize.height() < 2) return m;
    m.Top = (Lines & blTop) ? 1 : 0;
    m.Bottom = (Lines & blBottom) ? 1 : 0;
    m.Left = (Lines & blLeft) ? 1 : 0;
    m.Right = (Lines & blRight) ? 1 : 0;
    return m;
}
