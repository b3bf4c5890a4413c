#include "toolbars/model/ToolbarLayout.h"

#include <algorithm>
#include <climits>

TRowFigures ControlFigures(const std::vector<TLayoutControl>& Controls)
{
    TRowFigures f;
    for (const TLayoutControl& c : Controls) {
        if (c.Separator || !c.Visible) continue;
        f.CtlHeight = std::max(f.CtlHeight, c.Height);
        f.CtlWidth = std::max(f.CtlWidth, c.Width);
    }
    f.Height = f.CtlHeight + 4;
    f.Width = f.CtlWidth + 4;
    return f;
}

TRowFigures RowFiguresOf(const std::vector<TRowFigures>& Toolbars)
{
    TRowFigures r;
    for (const TRowFigures& f : Toolbars) {
        r.CtlHeight = std::max(r.CtlHeight, f.CtlHeight);
        r.CtlWidth = std::max(r.CtlWidth, f.CtlWidth);
        r.Height = std::max(r.Height, f.Height);
        r.Width = std::max(r.Width, f.Width);
    }
    return r;
}

TPlacement ComputePlacement(const std::vector<TLayoutControl>& Controls, const TPlacementRequest& Q)
{
    TPlacement out;
    const int o = std::clamp(Q.Orientation, 0, 2);
    const int wrap = (o != 0 || Q.WrapWidth <= 0) ? INT_MAX : Q.WrapWidth;
    const int startGap = LineStartGap[Q.HasHandle ? 1 : 0][o];
    const int endGap = LineEndGap[o];

    out.Figures = ControlFigures(Controls);
    const TRowFigures work = Q.Apply && Q.UseRow ? Q.Row : out.Figures;
    if (Q.Apply) {
        out.Rects.assign(Controls.size(), QRect());
        out.Placed.assign(Controls.size(), false);
    }

    // Groups of visible controls, each ended by a separator.
    struct TGroup {
        std::vector<size_t> Members;
        int Width = 0, Height = 0;
    };
    std::vector<TGroup> groups;
    bool open = false;
    for (size_t i = 0; i < Controls.size(); ++i) {
        const TLayoutControl& c = Controls[i];
        if (!c.Visible) continue;
        if (!open) {
            groups.emplace_back();
            open = true;
        }
        TGroup& g = groups.back();
        g.Members.push_back(i);
        if (c.Separator) {
            open = false;
        } else {
            g.Width += c.Width;
            g.Height += c.Height;
        }
    }

    int cross, thickness, extent;
    if (!groups.empty()) {
        cross = FirstLineGap[o];
        thickness = o == 2 ? out.Figures.CtlWidth : out.Figures.CtlHeight;
        int pos = 0;
        extent = 0;
        bool first = true;
        bool brokenInside = false; // the previous group wrapped within itself
        int extentBeforeSep = 0;   // the extent before the previous group's separator
        for (size_t gi = 0; gi < groups.size(); ++gi) {
            const TGroup& g = groups[gi];
            const int groupLen = o == 2 ? g.Height : g.Width;
            bool fits = false;
            if (!brokenInside) {
                if (first) {
                    pos += startGap;
                    first = false;
                }
                if (int64_t(pos) + groupLen + endGap <= wrap) {
                    fits = true;
                    extent = std::max(extent, pos);
                }
            }
            if (!fits) {
                pos = startGap;
                extent = std::max(extent, pos);
                if (gi > 0) {
                    cross += thickness + LineBreakGap;
                    extent = extentBeforeSep;
                    const size_t sep = groups[gi - 1].Members.back();
                    if (Q.Apply && Controls[sep].Separator) {
                        out.Rects[sep].setWidth(0);
                        out.LineBreakSeparators.push_back(LineBreakEntry(cross, Controls[sep].Blank));
                    }
                }
            }
            brokenInside = false;
            for (size_t i : g.Members) {
                const TLayoutControl& c = Controls[i];
                const int len = c.Separator ? SeparatorLength(o) : (o == 2 ? c.Height : c.Width);
                // A control that does not fit wraps within its group, unless it
                // already starts a line.
                if (!c.Separator && pos > startGap && int64_t(pos) + len + endGap > wrap) {
                    pos = startGap;
                    extent = std::max(extent, pos);
                    cross += out.Figures.CtlHeight;
                    brokenInside = true;
                }
                if (c.Separator) extentBeforeSep = extent;
                if (Q.Apply) {
                    QRect r;
                    if (o != 2) {
                        r = c.Separator ? QRect(pos, cross, SeparatorLength(o), work.CtlHeight)
                                        : QRect(pos, cross + (work.CtlHeight - c.Height) / 2, c.Width, c.Height);
                    } else {
                        r = c.Separator ? QRect(cross, pos, work.CtlWidth, SeparatorLength(o))
                                        : QRect(cross + (work.CtlWidth - c.Width) / 2, pos, c.Width, c.Height);
                    }
                    out.Rects[i] = r;
                    out.Placed[i] = true;
                }
                pos += len;
                extent = std::max(extent, pos);
            }
        }
    } else {
        extent = startGap + MinLineThickness;
        cross = FirstLineGap[o];
        thickness = o == 0 ? MinLineThickness : (o == 2 ? work.CtlWidth : work.CtlHeight);
    }

    const int along = extent + endGap;
    int across = cross + thickness + LastLineGap[o];
    if (o == 1) across = std::max(across, work.Height);
    if (o == 2) across = std::max(across, work.Width);
    out.ClientSize = o == 2 ? QSize(across, along) : QSize(along, across);
    return out;
}
