#include "shell/Legend.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/file/TextFormat.h"

namespace {

int32_t RoundI(double v) { return int32_t(pround(v)); }

int FontSlot(int32_t slot) { return slot >= 0 && slot < LabelFontSlotCount ? int(slot) : 0; }

int32_t FontHeight(const TLogFont& f) { return int32_t(std::min<int64_t>(std::llabs(int64_t(f.Height)), 100000)); }

// The closed outline of a box.
void Frame(TCanvas& c, int32_t l, int32_t t, int32_t r, int32_t b)
{
    const TCanvasPoint pts[5] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
    c.Polyline(pts, 5);
}

} // namespace

std::string TitleDateText()
{
    static const char* days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    int hour = tm.tm_hour % 12;
    if (hour == 0) hour = 12;
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s, %s %d, %d at %02d:%02d %s", days[tm.tm_wday % 7], months[tm.tm_mon % 12],
                  tm.tm_mday, tm.tm_year + 1900, hour, tm.tm_min, tm.tm_hour < 12 ? "AM" : "PM");
    return buf;
}

int DarkestColour(const TDrawPad& pad)
{
    if (!pad.Display || !pad.Display->UsePolygonColors) return 1;
    int best = 1;
    int bestSum = 1 << 30;
    for (int i = 1; i <= 16; ++i) {
        const TColorValue c = ColorFromBgr(pad.Display->Colors[size_t(i)]);
        const int sum = int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF);
        if (sum < bestSum) {
            bestSum = sum;
            best = i;
        }
    }
    return best;
}

void DrawTitleBlock(const TDrawPad& pad, TCanvas& canvas, bool plot, const std::string& now)
{
    if (pad.Boxes) pad.Boxes->Title = EmptyBox;
    if (!pad.Title || !pad.Labels) return;
    const TDescription& d = *pad.Title;
    const TLabelSettings& labels = *pad.Labels;
    canvas.SetBrush(0, bsClear);
    canvas.SetBkMode(false);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    const int32_t worldX = d.DrawX(), worldY = d.DrawY();
    const int64_t x64 = int64_t(worldX) + pad.OriginX - (plot ? 0 : pad.ScrollOffsetX);
    const int64_t y64 = int64_t(worldY) + pad.OriginY - (plot ? 0 : pad.ScrollOffsetY);
    if (!InRange(x64, y64)) return;
    const int32_t left = int32_t(x64), top = int32_t(y64);
    int32_t y = top, bottom = top;
    int32_t widest = 0, tallest = 0;
    TColorValue tallestColour = 0;
    int32_t h = 0;
    auto applyFont = [&](int32_t slot) {
        const int s = FontSlot(slot);
        canvas.SetFont(labels.FontRecords[size_t(s)]);
        canvas.SetTextColor(ColorFromBgr(labels.FontColors[size_t(s)]));
        h = FontHeight(labels.FontRecords[size_t(s)]);
        return s;
    };
    auto line = [&](int slot, const std::string& text) {
        if (!text.empty()) canvas.TextOut(left, y, text);
        const TCanvasSize e = canvas.TextExtent(text);
        widest = std::max(widest, e.CX);
        if (e.CY > tallest) {
            tallest = e.CY;
            tallestColour = ColorFromBgr(labels.FontColors[size_t(slot)]);
        }
        y += RoundI(h * 1.1);
        bottom = y;
    };
    auto titleLine = [&](bool show, int32_t slot, const char* caption, const std::string& value) {
        if (!show) return;
        const int s = applyFont(slot);
        line(s, caption + value);
    };
    titleLine(d.ShowProject, d.ProjectFont, "Project: ", d.Project);
    titleLine(d.ShowJob, d.JobFont, "Job: ", d.Job);
    titleLine(d.ShowClient, d.ClientFont, "Client: ", d.Client);
    titleLine(d.ShowAuthor, d.AuthorFont, "Author: ", d.Author);
    titleLine(d.ShowOrganization, d.OrganizationFont, "Organization: ", d.Organization);
    if (d.ShowDescription) {
        const int s = applyFont(d.DescriptionFont);
        y += RoundI(h * 1.1);
        bottom = y;
        if (d.ShowCaptions) line(s, "Description: ");
        std::string text = d.DescriptionText;
        if (d.AddToday) {
            const bool endsInBreak = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
            if (!text.empty() && !endsInBreak) text += "\r\n";
            text += now;
        }
        size_t from = 0;
        for (;;) {
            const size_t at = text.find("\r\n", from);
            line(s, text.substr(from, at == std::string::npos ? std::string::npos : at - from));
            if (at == std::string::npos) break;
            from = at + 2;
        }
    }
    const int32_t right = left + widest;
    int32_t margin = 0;
    if (d.DrawBox && widest > 0) {
        const int32_t penW = std::max(1, RoundI(tallest / 8.0));
        margin = RoundI(tallest / 4.0);
        canvas.SetPen(tallestColour, psSolid, penW);
        Frame(canvas, left - margin, top - margin, right + margin, bottom + margin);
    }
    // The block in world units, for Select Object.
    if (pad.Boxes && widest > 0)
        pad.Boxes->Title = {worldX - margin, worldY - margin, int32_t(int64_t(worldX) + widest + margin),
                            int32_t(int64_t(worldY) + (bottom - top) + margin)};
}

namespace {

struct TLegendRow {
    int32_t Value = 0; // size or width (or polygon style in node mode 3)
    int32_t Colour = 1;
    bool Arrow = false;
    std::string Text;
};

std::string NumberText(double v)
{
    std::string s = RealText(false, 15, v);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

} // namespace

void DrawLegend(const TDrawPad& pad, TCanvas& canvas, bool isNode, bool plot)
{
    if (pad.Boxes) (isNode ? pad.Boxes->NodeLegend : pad.Boxes->LinkLegend) = EmptyBox;
    if (!pad.Net || !pad.Widths || !pad.Labels || !pad.Display) return;
    const TWidthSettings& w = *pad.Widths;
    const int mode = isNode ? w.NodeStyleMode : w.LinkStyleMode;
    const int darkest = DarkestColour(pad);
    std::vector<TLegendRow> rows;
    if (mode == 2) {
        const TEntityClass* classes = isNode ? pad.Net->NodeClasses.get() : pad.Net->LinkClasses.get();
        if (!classes) return;
        const int n = CountEntityTypes(*classes);
        for (int c = 1; c <= n; ++c) {
            if (!(isNode ? w.NodeClassLegend : w.LinkClassLegend)[size_t(c)]) continue;
            const TClassRecord& r = (*classes)[c];
            rows.push_back({r.Width, r.Color, !isNode && r.Arrow != 0, r.Name});
        }
    } else {
        for (int k = 1; k <= MaxWidthIntervals; ++k) {
            if (!(isNode ? w.NodeLegend : w.LinkLegend)[size_t(k)]) continue;
            const double lo = isNode ? w.NodeBottom[size_t(k)] : w.LinkBottom[size_t(k)];
            const double hi = isNode ? w.NodeTop[size_t(k)] : w.LinkTop[size_t(k)];
            const int32_t v = isNode ? w.NodeSizes[size_t(k)] : w.LinkWidths[size_t(k)];
            TLegendRow row;
            row.Text = NumberText(lo) + " - " + NumberText(hi);
            if (mode == 1) {
                row.Colour = std::min(v, 16);
                row.Value = isNode ? 1 : 4;
            } else {
                row.Value = v;
                row.Colour = darkest;
            }
            rows.push_back(row);
        }
    }
    if (rows.empty()) return;
    const int slot = FontSlot(isNode ? w.NodeLegendFont : w.LinkLegendFont);
    const TLogFont& font = pad.Labels->FontRecords[size_t(slot)];
    const int32_t h = FontHeight(font);
    const double step = h * 1.1;
    const int64_t x64 = int64_t(isNode ? w.NodeLegendX : w.LinkLegendX) + pad.OriginX - (plot ? 0 : pad.ScrollOffsetX);
    const int64_t y64 = int64_t(isNode ? w.NodeLegendY : w.LinkLegendY) + pad.OriginY - (plot ? 0 : pad.ScrollOffsetY);
    if (!InRange(x64, y64)) return;
    const int32_t X = int32_t(x64), Y = int32_t(y64);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    canvas.SetBrush(0, bsClear);
    canvas.SetBkMode(false);
    canvas.SetFont(font);
    canvas.SetTextColor(ColorFromBgr(pad.Labels->FontColors[size_t(slot)]));

    // The sample of a row, measured (draw false) or drawn at its place.
    auto sample = [&](const TLegendRow& row, bool draw, int32_t W, int32_t centre, int32_t rowTop,
                      TCanvasSize measured) -> TCanvasSize {
        if (isNode && mode == 3) {
            if (draw) {
                int32_t styleNo = row.Value;
                if (styleNo < 0 || styleNo > PolygonStyleCount - 1) styleNo = 0;
                const TPolygonStyle& st = pad.Display->PolygonStyles[size_t(styleNo)];
                canvas.SetPen(ColorFromBgr(st.Color), st.PenStyle <= psInsideFrame ? st.PenStyle : uint8_t(psSolid),
                              st.PenWidth);
                const TSymbolImages::TEntry* fill =
                    st.FillStyle >= 11 && pad.Images ? pad.Images->Fill(st.FillStyle - 10) : nullptr;
                if (fill)
                    canvas.SetBrushImage(fill->Transparent);
                else
                    canvas.SetBrush(ColorFromBgr(st.FillColor), st.FillStyle <= bsDiagCross ? st.FillStyle : uint8_t(bsSolid));
                const int32_t l = X + W - 20, t = rowTop;
                const TCanvasPoint pts[5] = {{l, t}, {l + 20, t}, {l + 20, t + 20}, {l, t + 20}, {l, t}};
                if (st.FillStyle == 8)
                    canvas.Polyline(pts, 5);
                else
                    canvas.Polygon(pts, 4);
                canvas.SetBrush(0, bsClear);
            }
            return {20, 20};
        }
        if (isNode) {
            const int32_t colour = mode == 1 ? std::min(row.Colour, 16) : row.Colour;
            const int32_t cx = measured.CX;
            return DrawNode(canvas, pad, draw ? X + W - cx / 2 : 0, draw ? centre : 0, nullptr, nullptr, false, draw,
                            false, false, RoundI(step / 2.5), row.Value, colour);
        }
        const int32_t colour = mode == 1 ? std::min(row.Colour, 16) : row.Colour;
        const int32_t width = mode == 1 ? 4 : row.Value;
        const int32_t padX = (measured.CY - 40) / 2;
        const int32_t ax = draw ? X + W - 40 - padX : 0, bx = draw ? X + W - padX : 40;
        const int32_t y = draw ? centre : 0;
        const TCanvasSize s = DrawLink(canvas, pad, ax, y, row.Arrow, nullptr, false, false, draw, 0, width, colour, bx, y);
        canvas.SetBrush(0, bsClear);
        return s;
    };

    int32_t W = 0, tallest = 0, bottom = Y;
    for (int pass = 0; pass < 2; ++pass) {
        const bool draw = pass == 1;
        int32_t centre = Y;
        double prevRH = 0;
        bottom = Y;
        for (const TLegendRow& row : rows) {
            canvas.SetFont(font);
            const TCanvasSize m = sample(row, false, W, 0, 0, {0, 0});
            const double RH = std::max(step, m.CX * 1.1);
            centre += RoundI((RH + prevRH) / 2);
            prevRH = RH;
            const int32_t rowTop = centre - RoundI(RH / 2);
            canvas.SetFont(font);
            canvas.SetTextColor(ColorFromBgr(pad.Labels->FontColors[size_t(slot)]));
            canvas.SetTextAlign(TA_LEFT | TA_TOP);
            canvas.SetBkMode(false);
            const TCanvasSize te = canvas.TextExtent(row.Text);
            tallest = std::max(tallest, te.CY);
            if (draw) {
                canvas.TextOut(X, rowTop, row.Text);
                sample(row, true, W, centre, rowTop, m);
            } else {
                const int32_t padX = (m.CY - 40) / 2;
                const int32_t rowWidth = (isNode ? te.CX + 10 + m.CX : te.CX + 10 + 40 + 2 * padX);
                W = std::max(W, rowWidth);
            }
            bottom += RoundI(RH);
        }
    }
    int32_t margin = 0;
    if ((isNode ? w.NodeDrawBox : w.LinkDrawBox) != 0) {
        const int32_t penW = std::max(1, RoundI(tallest / 8.0));
        margin = RoundI(tallest / 4.0);
        canvas.SetPen(pad.ColorOf(darkest), psSolid, penW);
        Frame(canvas, X - margin, Y - margin, X + W + margin, bottom + margin);
    }
    // The legend in world units, for Select Object.
    if (pad.Boxes) {
        const int32_t wx = isNode ? w.NodeLegendX : w.LinkLegendX, wy = isNode ? w.NodeLegendY : w.LinkLegendY;
        (isNode ? pad.Boxes->NodeLegend : pad.Boxes->LinkLegend) =
            TBox{wx - margin, wy - margin, int32_t(int64_t(wx) + W + margin), int32_t(int64_t(wy) + (bottom - Y) + margin)};
    }
}
