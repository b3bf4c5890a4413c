// Folders, files and a small network shared by the table tests.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"

namespace tabletest {

// A fresh folder per test.
class TTempDir {
public:
    TTempDir()
    {
        static int serial = 0;
        Path = std::filesystem::temp_directory_path() /
               ("tarvex_tables_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    ~TTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
    std::filesystem::path Path;
};

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline TAttrib& AddAttribute(TEntityClass& classes, int cls, const std::string& name, char kind,
                             const std::string& alias, int topRow = 0)
{
    TClassRecord& rec = classes[cls];
    const int i = ++rec.AttributeCount;
    rec.Attributes[i] = std::make_unique<TAttrib>();
    TAttrib& a = *rec.Attributes[i];
    a.Name = name;
    a.Kind = kind;
    a.Alias = alias;
    a.TopRow = topRow;
    if (topRow > 0) {
        a.WorkSheet = std::make_unique<TWorkSheet>();
        for (int r = 0; r <= topRow; ++r) a.WorkSheet->Rows[r].Codes = "ABCDEFGH";
    }
    return a;
}

inline TValueSlot Real(double v)
{
    TValueSlot s;
    s.SetReal(v);
    return s;
}

inline TValueSlot Date(const std::string& text, int mode)
{
    int err = 0;
    return TextToDateTime(text, err, mode, UnknownDateTime());
}

inline TNode* Node(TNetwork& net, int x, int y, int cls, const std::string& name)
{
    THashEntry* cell = nullptr;
    TNode* n = AddNode(net, x, y, cell, false, (*net.NodeClasses)[cls].AttributeCount);
    n->EntityType = uint8_t(cls);
    n->Name = name;
    n->Strings.assign((*net.NodeClasses)[cls].StringCount, std::string());
    return n;
}

inline TLinkValues* Link(TNetwork& net, TNode* a, TNode* b, int cls, const std::string& name)
{
    TLink *ha = nullptr, *hb = nullptr;
    TLinkValues* l = AddLink(net, a, b, false, (*net.LinkClasses)[cls].AttributeCount, ha, hb);
    l->EntityType = uint8_t(cls);
    l->Name = name;
    l->Strings.assign((*net.LinkClasses)[cls].StringCount, std::string());
    return l;
}

inline TLink* AHalf(TLinkValues* l)
{
    for (TLink* h : l->ANode->Links)
        if (h->LinkValues == l && h->AEnd()) return h;
    return nullptr;
}

inline void AddVertex(TNetwork& net, TNode* owner, TNetworkPoint* p)
{
    MakeRoom(owner->OwnPolygonRef());
    owner->OwnPolygonRef().Insert(p);
    if (net.PolygonsOf(p).IndexOf(owner) < 0) net.PolygonsRef(p).Insert(owner);
}

inline TNode* FindNode(const TNetwork& net, const std::string& name)
{
    TNode* found = nullptr;
    ForEachNode(net, [&](TNode* n) {
        if (!found && n->Active && n->Name == name) found = n;
    });
    return found;
}

inline TLinkValues* FindLink(const TNetwork& net, const std::string& name)
{
    TLinkValues* found = nullptr;
    ForEachLink(net, [&](TLink* h) {
        if (!found && h->LinkValues->Active && h->LinkValues->Name == name) found = h->LinkValues;
    });
    return found;
}

// Zones (class 1: a real, an integer, codes, a date and time, a time, a date
// and a string), stops (class 2, no attribute) and roads (link class 1: a
// real and a string):
//   Alpha (0, 0), Beta (1000, -250), Gamma (-400, 600): zones;
//   Delta (2500, 2500): a stop owning the polygon Alpha, Beta, Gamma;
//   road AB from Alpha to Beta with three shape points, road BG.
inline void MakeNetwork(TNetwork& net, TWindowSettings& ws)
{
    TEntityClass& nc = *net.NodeClasses;
    nc[1].Name = "Zone";
    AddAttribute(nc, 1, "Population", 'R', "POP");
    AddAttribute(nc, 1, "Count", 'I', "COU");
    AddAttribute(nc, 1, "Type", 'C', "TYP", 3);
    AddAttribute(nc, 1, "Opened", 'D', "OPE");
    AddAttribute(nc, 1, "Hour", 'T', "HOU");
    AddAttribute(nc, 1, "Day", 'X', "DAY");
    AddAttribute(nc, 1, "Label", 'S', "LAB");
    nc[2].Name = "Stop";
    NumberStringAttributes(nc);
    TEntityClass& lc = *net.LinkClasses;
    lc[1].Name = "Road";
    AddAttribute(lc, 1, "Speed", 'R', "SPE");
    AddAttribute(lc, 1, "Street", 'S', "STR");
    NumberStringAttributes(lc);

    TNode* a = Node(net, 0, 0, 1, "Alpha");
    a->Values[0] = Real(1234.5);
    a->Values[1] = Real(7);
    a->Values[2] = PackShortText("BCA");
    a->Values[3] = Date("5/6/1999,10:20:30", DateTimeModeBoth);
    a->Values[4] = Date("8:15:0", DateTimeModeTime);
    a->Values[5] = Date("12/24/2003", DateTimeModeDate);
    a->Strings.Set(0, "first zone");
    a->SetNote("north&&gate&&");
    TNode* b = Node(net, 1000, -250, 1, "Beta");
    b->Values[0] = Real(-0.25);
    b->Values[1] = Real(3);
    b->Values[2] = PackShortText("A");
    b->Values[3] = UnknownDateTime();
    b->Values[4] = UnknownDateTime();
    b->Values[5] = UnknownDateTime();
    b->Strings.Set(0, "quote \" inside, comma");
    b->Layer = 3;
    TNode* g = Node(net, -400, 600, 1, "Gamma");
    g->Values[0] = Real(5.28e3);
    g->Values[3] = UnknownDateTime();
    g->Values[4] = UnknownDateTime();
    g->Values[5] = UnknownDateTime();
    TNode* d = Node(net, 2500, 2500, 2, "Delta");
    d->PolygonStyle = 4;
    AddVertex(net, d, a);
    AddVertex(net, d, b);
    AddVertex(net, d, g);
    UpdateNodePolygonBox(net, d);

    TLinkValues* ab = Link(net, a, b, 1, "AB");
    ab->Values[0] = Real(55);
    ab->Strings.Set(0, "Main Street");
    for (auto [x, y] : {std::pair{250, -60}, {500, -120}, {750, -180}})
        AddShapePoint(net, x, y, ab->ShapePoints.GetCount(), AHalf(ab));
    TLinkValues* bg = Link(net, b, g, 1, "BG");
    bg->Values[0] = Real(1e-7);

    ws.Reset();
    ws.ExtractFormats.NodeTemplates[1] = "NNAME,ENTITY,NODEX,NODEY,POP,COU,TYP,OPE,HOU,DAY,LAB";
    ws.ExtractFormats.NodeTemplates[2] = "NNAME,NODEX,NODEY,PSTYLE,VERTICES,COORD";
    ws.ExtractFormats.LinkTemplates[1] = "LNAME,NNAMEA,NNAMEB,SPE,STR,SHAPES,COORD";
}

} // namespace tabletest
