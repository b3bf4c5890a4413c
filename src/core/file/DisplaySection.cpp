#include "core/file/SettingsSections.h"

#include "core/file/NetFileIO.h"

using namespace netfile;

int FillStyleToCode(uint8_t fillStyle, int version)
{
    const int low = fillStyle & 0x7F;
    switch (low) {
    case 1: return 0;
    case 0: return 1;
    case 8: return 8;
    case 5: return 2;
    case 6: return 3;
    case 7: return 4;
    case 4: return 5;
    case 2: return 6;
    case 3: return 7;
    default: break;
    }
    if (version >= 7 && low >= 11) return low;
    return 3; // outside the table: the default cross hatch
}

uint8_t FillStyleFromCode(int code)
{
    static const uint8_t map[9] = {1, 0, 5, 6, 7, 4, 2, 3, 8};
    if (code >= 0 && code <= 8) return map[code];
    if (code >= 11 && code <= 250) return static_cast<uint8_t>(code);
    return 6;
}

int PenToCode(uint8_t penStyle, int32_t penWidth)
{
    if (penWidth >= 2 && penWidth <= 6) return penWidth;
    switch (penStyle) {
    case 0: return 1;
    case 1: return 7;
    case 2: return 8;
    case 3: return 9;
    case 4: return 10;
    case 5: return 0;
    default: return 1;
    }
}

void PenFromCode(int code, uint8_t& penStyle, int32_t& penWidth)
{
    if (code == 0) {
        penStyle = 5;
        penWidth = 0;
    } else if (code >= 1 && code <= 6) {
        penStyle = 0;
        penWidth = code;
    } else if (code >= 7 && code <= 10) {
        penStyle = static_cast<uint8_t>(code - 6);
        penWidth = 1;
    } else {
        penStyle = 0;
        penWidth = 1;
    }
}

namespace {

void WriteInts(TTextWriter& w, std::initializer_list<int64_t> values)
{
    WriteIntList(w, values);
    w.WriteLn();
}

} // namespace

bool WriteDisplaySettings(TFileContext& f, const TDisplaySettings& d, const TWidthSettings& ws)
{
    GuardWrite(f, [&] {
        TTextWriter& w = *f.OutFile;
        const int v = f.WriteVersion;
        WriteInts(w, {(v < 6 && ws.LinkStyleMode == 4) ? 2 : ws.LinkStyleMode, ws.NodeStyleMode,
                      ws.LinkShowNotFound, ws.NodeShowNotFound, d.GlobalShape, d.StandardSize,
                      (v < 7 && d.GlobalLinkStyle == 5) ? 0 : d.GlobalLinkStyle});
        if (v >= 6) WriteInts(w, {d.ShowDesireLines, d.HideShapePointMarks});
        WriteInts(w, {d.OpaquePolygons, d.PolygonsFirst, d.PlotMonochrome, d.PlotCenterTitle});
        if (v >= 5) WriteInts(w, {d.UsePolygonColors});
        for (int i = 1; i <= 4; ++i) {
            if (i > 1) w.WriteChar(' ');
            w.WriteReal(d.PlotPage[i]);
        }
        w.WriteLn();
        w.WriteReal(d.PlotPage[0]);
        w.WriteChar(' ');
        w.WriteReal(d.PlotPage[5]);
        w.WriteChar(' ');
        w.WriteReal(d.PlotPage[6]);
        w.WriteLn();
        w.WriteLine(Cut(d.PlotTitle, 80));
        if (v >= 6) {
            for (int i = 1; i <= 16; ++i) WriteInts(w, {d.Colors[i]});
        } else {
            WriteInts(w, {-16777215});
            for (int i = 1; i <= 15; ++i) WriteInts(w, {d.Colors[i]});
        }
        const int n = v >= 6 ? 40 : 10;
        for (int i = 0; i <= n; ++i) {
            const TPolygonStyle& s = d.PolygonStyles[i];
            WriteInts(w, {s.FillColor, FillStyleToCode(s.FillStyle, v), s.Color, PenToCode(s.PenStyle, s.PenWidth)});
        }
        for (int c = 0; c <= 10; ++c) {
            int32_t style = d.NodePolygonStyles[c];
            if (v < 6 && style > 10) style = 10;
            w.WriteInt(style);
            w.WriteText(" 0 0 0");
            w.WriteLn();
        }
        if (v >= 8) {
            WriteInts(w, {int64_t(d.TextList.size())});
            for (const std::string& s : d.TextList) w.WriteLine(s);
        }
        if (v >= 6) {
            const TShortestPathSettings& p = d.ShortestPath;
            for (int k = 1; k <= 10; ++k) WriteInts(w, {p.LinkMarkAttribute[k], p.NodeMarkAttribute[k], p.BlockingClass[k]});
            for (int k = 1; k <= 9; ++k) {
                const auto& list = p.StartNames[k];
                if (v >= 8) {
                    WriteInts(w, {p.MarkValue[k], int64_t(list.size())});
                    for (const std::string& s : list) w.WriteLine(s);
                } else {
                    w.WriteLine(list.empty() ? std::string_view() : std::string_view(list[0]));
                    WriteInts(w, {p.MarkValue[k]});
                }
            }
            w.WriteLine(p.EndNodeName);
            WriteInts(w, {p.MarkNodesWith});
            WriteInts(w, {p.PathInt2});
        }
        if (v >= 7) {
            WriteInts(w, {ws.NodeLegendX, ws.NodeLegendY, ws.LinkLegendX, ws.LinkLegendY});
            WriteInts(w, {ws.NodeDrawBox, ws.LinkDrawBox, ws.NodeLegendFont, ws.LinkLegendFont});
        }
        if (v >= 8) {
            for (int i = 1; i <= 10; ++i) {
                w.WriteChar(' ');
                w.WriteInt(d.PieColors[i]);
            }
            w.WriteLn();
            w.WriteReal(d.DisplayReal);
            w.WriteLn();
            w.WriteLine(ws.SystemExpression);
            WriteInts(w, {d.PrimaryWidthOnRight, d.DesireLinePlacement, d.ShowFilteredLinksThin, d.DisplayInt});
        }
    });
    return f.ErrorCode == FileErrorNone;
}

bool ReadDisplaySettings(TFileContext& f, TDisplaySettings& d, TWidthSettings& ws)
{
    GuardRead(f, [&] {
        TTextReader& r = *f.InFile;
        const int v = f.ReadVersion;
        ws.LinkStyleMode = ReadByte(r);
        ws.NodeStyleMode = ReadByte(r);
        ws.LinkShowNotFound = ReadByte(r);
        ws.NodeShowNotFound = ReadByte(r);
        d.GlobalShape = ReadByte(r);
        d.StandardSize = ReadIntIn(r, 0, 255, "standard size");
        d.GlobalLinkStyle = ReadByte(r);
        r.ReadLn();
        if (v >= 6) {
            d.ShowDesireLines = ReadByte(r);
            d.HideShapePointMarks = ReadByte(r);
            r.ReadLn();
        } else {
            d.ShowDesireLines = 1;
            d.HideShapePointMarks = 0;
        }
        d.OpaquePolygons = ReadByte(r);
        d.PolygonsFirst = ReadByte(r);
        d.PlotMonochrome = ReadByte(r);
        d.PlotCenterTitle = ReadByte(r);
        r.ReadLn();
        if (v >= 5) {
            d.UsePolygonColors = ReadByte(r);
            r.ReadLn();
        } else {
            d.UsePolygonColors = 0;
        }
        for (int i = 1; i <= 4; ++i) d.PlotPage[i] = r.ReadReal();
        r.ReadLn();
        d.PlotPage[0] = r.ReadReal();
        d.PlotPage[5] = r.ReadReal();
        d.PlotPage[6] = r.ReadReal();
        r.ReadLn();
        d.PlotTitle = ReadLineCut(r, 80);
        int32_t palette[17];
        for (int i = 1; i <= 16; ++i) {
            palette[i] = r.ReadInt();
            r.ReadLn();
        }
        if (v >= 6) {
            for (int i = 1; i <= 16; ++i) d.Colors[i] = palette[i];
        } else {
            for (int i = 1; i <= 15; ++i) d.Colors[i] = palette[i + 1];
            d.Colors[16] = 0;
        }
        const int n = v >= 6 ? 40 : 10;
        for (int i = 0; i <= n; ++i) {
            TPolygonStyle& s = d.PolygonStyles[i];
            s.FillColor = r.ReadInt();
            s.FillStyle = FillStyleFromCode(r.ReadInt());
            s.Color = r.ReadInt();
            PenFromCode(r.ReadInt(), s.PenStyle, s.PenWidth);
            r.ReadLn();
        }
        for (int c = 0; c <= 10; ++c) {
            d.NodePolygonStyles[c] = ReadIntIn(r, 0, 40, "polygon style");
            r.ReadLn();
        }
        if (v >= 8) {
            const int32_t count = r.ReadInt();
            r.ReadLn();
            if (count < 0 || std::size_t(count) > r.Remaining())
                throw TFileReadError("text list count out of range");
            d.TextList.clear();
            for (int32_t i = 0; i < count; ++i) d.TextList.push_back(r.ReadLine());
        }
        if (v >= 6) {
            TShortestPathSettings& p = d.ShortestPath;
            for (int k = 1; k <= 10; ++k) {
                p.LinkMarkAttribute[k] = r.ReadInt();
                p.NodeMarkAttribute[k] = r.ReadInt();
                p.BlockingClass[k] = ReadByte(r);
                r.ReadLn();
            }
            for (int k = 1; k <= 9; ++k) {
                auto& list = p.StartNames[k];
                list.clear();
                if (v >= 8) {
                    p.MarkValue[k] = r.ReadInt();
                    const int32_t count = r.ReadInt();
                    r.ReadLn();
                    if (count < 0 || std::size_t(count) > r.Remaining())
                        throw TFileReadError("start list count out of range");
                    for (int32_t i = 0; i < count; ++i) list.push_back(r.ReadLine());
                } else {
                    list.push_back(r.ReadLine());
                    p.MarkValue[k] = r.ReadInt();
                    r.ReadLn();
                }
            }
            p.EndNodeName = ReadLineCut(r, 255);
            p.MarkNodesWith = r.ReadInt();
            r.ReadLn();
            p.PathInt2 = r.ReadInt();
            r.ReadLn();
        }
        if (v >= 7) {
            ws.NodeLegendX = r.ReadInt();
            ws.NodeLegendY = r.ReadInt();
            ws.LinkLegendX = r.ReadInt();
            ws.LinkLegendY = r.ReadInt();
            r.ReadLn();
            ws.NodeDrawBox = r.ReadInt();
            ws.LinkDrawBox = r.ReadInt();
            // Kept as read; a slot outside the font table draws with slot 0.
            ws.NodeLegendFont = r.ReadInt();
            ws.LinkLegendFont = r.ReadInt();
            r.ReadLn();
        }
        if (v >= 8) {
            for (int i = 1; i <= 10; ++i) d.PieColors[i] = r.ReadInt();
            r.ReadLn();
            d.DisplayReal = r.ReadReal();
            r.ReadLn();
            ws.SystemExpression = ReadLineCut(r, 255);
            d.PrimaryWidthOnRight = ReadByte(r);
            d.DesireLinePlacement = r.ReadInt();
            d.ShowFilteredLinksThin = ReadByte(r);
            d.DisplayInt = r.ReadInt();
            r.ReadLn();
        }
    });
    return f.ErrorCode == FileErrorNone;
}
