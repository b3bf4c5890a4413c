// Networks and files shared by the network-file tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/file/NetworkFile.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "../net_window.h"

namespace netfiletest {

inline std::string TempPath(const std::string& name)
{
    auto dir = std::filesystem::temp_directory_path() / ("tarvex_netfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first line where two texts differ, for failure messages.
inline std::string DiffLine(const std::string& a, const std::string& b)
{
    std::istringstream x(a), y(b);
    std::string la, lb;
    for (int n = 1;; ++n) {
        const bool ga = bool(std::getline(x, la)), gb = bool(std::getline(y, lb));
        if (!ga && !gb) return "no difference";
        if (!ga || !gb || la != lb)
            return "line " + std::to_string(n) + ": [" + (ga ? la : "<end>") + "] vs [" + (gb ? lb : "<end>") + "]";
    }
}

inline void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline TAttrib& AddAttribute(TEntityClass& classes, int cls, const std::string& name, char kind, int topRow = 0)
{
    TClassRecord& rec = classes[cls];
    const int i = ++rec.AttributeCount;
    rec.Attributes[i] = std::make_unique<TAttrib>();
    TAttrib& a = *rec.Attributes[i];
    a.Name = name;
    a.Kind = kind;
    a.Alias = name.substr(0, 3);
    a.TopRow = topRow;
    if (topRow > 0) {
        a.WorkSheet = std::make_unique<TWorkSheet>();
        for (int r = 0; r <= topRow; ++r) {
            a.WorkSheet->Rows[r].Label = "Row " + std::to_string(r);
            a.WorkSheet->Rows[r].Low = r;
            a.WorkSheet->Rows[r].High = r + 0.5;
            a.WorkSheet->Rows[r].Codes = "ABCDE";
            a.WorkSheet->Rows[r].Hint = "hint " + std::to_string(r);
        }
    }
    return a;
}

inline TValueSlot Real(double v)
{
    TValueSlot s;
    s.SetReal(v);
    return s;
}

inline TNode* Node(TNetWindow& net, int x, int y, int cls, const std::string& name)
{
    THashEntry* cell = nullptr;
    net.TemplateNode.EntityType = uint8_t(cls);
    TNode* n = AddNode(net, x, y, cell, false, (*net.NodeClasses)[cls].AttributeCount);
    n->EntityType = uint8_t(cls);
    n->Name = name;
    n->Strings.assign((*net.NodeClasses)[cls].StringCount, std::string());
    return n;
}

inline TLinkValues* Link(TNetWindow& net, TNode* a, TNode* b, int cls)
{
    TLink *ha = nullptr, *hb = nullptr;
    TLinkValues* l = AddLink(net, a, b, false, (*net.LinkClasses)[cls].AttributeCount, ha, hb);
    l->EntityType = uint8_t(cls);
    l->Strings.assign((*net.LinkClasses)[cls].StringCount, std::string());
    return l;
}

// A small network that uses every kind of record the file holds.
inline void MakeRichNetwork(TNetWindow& net)
{
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Zone";
    AddAttribute(nc, 1, "Population", 'R');
    AddAttribute(nc, 1, "Count", 'I');
    AddAttribute(nc, 1, "Type", 'C', 3);
    AddAttribute(nc, 1, "Opened", 'D');
    AddAttribute(nc, 1, "Label", 'S');
    nc[2].Name = "Stop";
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[1].Name = "Road";
    lc[1].Arrow = 1;
    AddAttribute(lc, 1, "Speed", 'R');
    AddAttribute(lc, 1, "Street", 'S');
    NumberStringAttributes(lc);
    TEntityClass& sc = *net.SystemClass;
    sc[1].Name = "System Attributes";
    AddAttribute(sc, 1, "Scale", 'R').Description = "scale of the map";
    AddAttribute(sc, 1, "Kind", 'C', 2);
    AddAttribute(sc, 1, "Author", 'S');
    AddAttribute(sc, 1, "Day", 'X');
    AddAttribute(sc, 1, "Trips", 'I');
    NumberStringAttributes(sc);
    net.SystemValues[1] = Real(2.5);
    net.SystemValues[2] = PackShortText("AB");
    int err = 0;
    net.SystemValues[4] = TextToDateTime("3/14/2001", err, DateTimeModeDate, UnknownDateTime());
    net.SystemValues[5] = Real(12000);
    net.SystemStrings = {"Planning Office"};

    TNode* a = Node(net, 0, 0, 1, "Alpha");
    a->Values[0] = Real(1234.5);
    a->Values[1] = Real(7);
    a->Values[2] = PackShortText("BC");
    a->Values[3] = TextToDateTime("5/6/1999,10:20:30", err, DateTimeModeBoth, UnknownDateTime());
    a->Strings.Set(0, "first zone");
    a->Longitude = -900000000;
    a->Latitude = 450000000;
    a->Elevation = 12345;
    a->SetNote("line one&&line two&&");
    a->Font = 2;
    a->Label1 = 101;
    a->Label2 = 105;
    TNode* b = Node(net, 1000, -250, 1, "Beta");
    b->Values[0] = Real(-0.25);
    b->Layer = 3;
    TNode* c = Node(net, -400, 600, 2, "Gamma");
    TNode* d = Node(net, 2500, 2500, 0, "");
    d->SetLabelOffset(-5, 0);
    d->ExcludeFromTriangulation = 1;
    TLinkValues* ab = Link(net, a, b, 1);
    ab->Values[0] = Real(55);
    ab->Strings.Set(0, "Main Street");
    ab->Name = "AB";
    ab->Note = "bridge&&";
    ab->Label1 = 102;
    for (int i = 1; i <= 3; ++i) AddShapePoint(net, 250 * i, -60 * i, i - 1, a->Links.At(0));
    TLinkValues* bc = Link(net, b, c, 0);
    bc->Place = 3;
    Link(net, c, d, 1)->Values[0] = Real(1e-7);
    // A polygon owned by d over a, b, c and a shape point of ab.
    for (TNetworkPoint* p : {static_cast<TNetworkPoint*>(a), static_cast<TNetworkPoint*>(b),
                             static_cast<TNetworkPoint*>(ab->ShapePoints.At(1)), static_cast<TNetworkPoint*>(c)}) {
        d->OwnPolygonRef().Insert(p);
        net.PolygonsRef(p).Insert(d);
    }
    d->PolygonStyle = 4;
    UpdateNodePolygonBox(net, d);
    net.MinX = -400;
    net.MinY = -250;
    net.MaxX = 2500;
    net.MaxY = 2500;
    net.Title = "Test network";
    net.Search.PolygonCriterion = {d, 1, 0, 1, 0};
    net.TemplateNode.EntityType = 1;
    net.TemplateNode.Font = 1;

    net.Labels.NodeLabelCodes[1] = {0, 101, 105};
    net.Labels.LinkLabelCodes[1] = {0, 1, 106};
    net.Labels.FirstLinkLabelLocation = 2;
    net.Labels.Precision = 4;
    net.Widths.LinkTop[1] = 10;
    net.Widths.LinkBottom[1] = 0;
    net.Widths.LinkWidthExpressions[1] = "A1*2:A2";
    net.Widths.LinkStyleMode = 4;
    net.Widths.NodeLegend[2] = 1;
    net.Widths.SystemExpression = "V1+1";
    net.Display.PolygonStyles[3] = {0x112233, 2, 1, 0x445566, 25};
    net.Display.Colors[16] = 0xABCDEF;
    net.Display.TextList = {"one", "two"};
    net.Display.ShortestPath.StartNames[1] = {"Alpha", "Beta"};
    net.Display.PlotTitle = "Plot";
    net.Layers.LayerStates[2] = 5;
    net.Layers.LayerNames[2] = "Streets";
    net.Backgrounds.Raster[1].FileName = "C:\\maps\\city.jpg";
    net.Backgrounds.Raster[1].XScale = 2;
    net.Backgrounds.Metafile[1].FileName = "Clipboard";
    net.LongLat.LongLatMethod = 2;
    net.LongLat.PixelsPerDegreeLat = -364560.0;
    net.LongLat.PivotNodeName = "Alpha";
    net.UnitsCode = 2;
    net.UnitsFactor = 5280;
    net.UnitsName = "Feet";
    net.Description.Job = "Job 7";
    net.Description.DescriptionText = "first\r\nsecond\r\n";
    net.Description.ShowAuthor = 1;
    net.Description.X = -100;
    net.ExtractFormats.NodeTemplates[1] = "N,X,Y,Population";
    net.ExtractFormats.SeparationMode = 2;
    TAttrib& pop = *nc[1].Attributes[1];
    pop.Active = 1;
    pop.Low = 10;
    pop.High = 2000.5;
    TAttrib& label = *nc[1].Attributes[5];
    label.Active = 1;
    label.LowText = "zone";
    label.HighText = "first";
}

// Saves, reopens and saves again; returns both files' bytes.
struct TRoundTrip {
    std::string First, Second;
    TOpenResult Opened;
    TMessageSinkRecorder Messages;
};

inline TRoundTrip RoundTrip(TNetWindow& net, int version, const std::string& name, TNetWindow& reopened)
{
    TRoundTrip t;
    const std::string a = TempPath(name + "_a.dta"), b = TempPath(name + "_b.dta");
    SaveNetworkFile(net, a, version, t.Messages);
    t.First = ReadAll(a);
    t.Opened = OpenNetworkFile(reopened, a, true, t.Messages);
    SaveNetworkFile(reopened, b, version, t.Messages);
    t.Second = ReadAll(b);
    return t;
}

} // namespace netfiletest
