// A small network for Calculate tests: two node classes, one link class and
// a few system attributes, with helpers to add elements and run programs.
#pragma once

#include "core/CalcInterpreter.h"
#include "core/CalcRun.h"
#include "core/Network.h"
#include "core/NetworkQueries.h"
#include "core/TextFormat.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace calctest {

inline TAttrib& Attribute(TClassRecord& rec, char kind, const std::string& alias = "", int topRow = 0)
{
    const int k = ++rec.AttributeCount;
    rec.Attributes[k] = std::make_unique<TAttrib>();
    TAttrib& a = *rec.Attributes[k];
    a.Kind = kind;
    a.Name = "attr" + std::to_string(k);
    a.Alias = alias;
    a.AliasKey = alias;
    for (char& c : a.AliasKey)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    a.TopRow = topRow;
    if (topRow > 0) a.WorkSheet = std::make_unique<TWorkSheet>();
    return a;
}

// Node class 1 "Zone": A1 R (alias POP), A2 I, A3 C (codes "ABC" at
// position 1), A4 S, A5 X. Node class 2 "Stop": A1..A3 R. Node class 3
// "Big": A1..A6 R. Link class 1 "Road": A1 R (alias SPEED), A2 R, A3 S.
// System: S1 R, S2 I, S3 S, S4..S9 R, Sa R.
inline void DefineSchema(TNetwork& net)
{
    TClassRecord& zone = (*net.NodeClasses)[1];
    zone.Name = "Zone";
    Attribute(zone, 'R', "POP");
    Attribute(zone, 'I');
    Attribute(zone, 'C', "", 1).WorkSheet->Rows[1].Codes = "ABC";
    Attribute(zone, 'S');
    Attribute(zone, 'X');
    TClassRecord& stop = (*net.NodeClasses)[2];
    stop.Name = "Stop";
    for (int i = 0; i < 3; ++i) Attribute(stop, 'R');
    TClassRecord& big = (*net.NodeClasses)[3];
    big.Name = "Big";
    for (int i = 0; i < 6; ++i) Attribute(big, 'R');
    TClassRecord& road = (*net.LinkClasses)[1];
    road.Name = "Road";
    Attribute(road, 'R', "SPEED");
    Attribute(road, 'R');
    Attribute(road, 'S');
    TClassRecord& sys = (*net.SystemClass)[1];
    Attribute(sys, 'R');
    Attribute(sys, 'I');
    Attribute(sys, 'S');
    for (int i = 4; i <= 10; ++i) Attribute(sys, 'R');
    for (int k = 1; k <= 10; ++k) sys.Attributes[size_t(k)]->Name = "sys" + std::to_string(k);
    NumberStringAttributes(*net.NodeClasses);
    NumberStringAttributes(*net.LinkClasses);
    NumberStringAttributes(*net.SystemClass);
    net.SystemStrings.resize(sys.StringCount);
}

inline TNode* Node(TNetwork& net, int32_t x, int32_t y, int cls = 1)
{
    THashEntry* cell;
    const TClassRecord& rec = (*net.NodeClasses)[cls];
    TNode* n = AddNode(net, x, y, cell, false, rec.AttributeCount);
    n->EntityType = uint8_t(cls);
    n->Strings.resize(rec.StringCount);
    return n;
}

inline TLink* Link(TNetwork& net, TNode* a, TNode* b, int cls = 1)
{
    TLink *ha, *hb;
    const TClassRecord& rec = (*net.LinkClasses)[cls];
    TLinkValues* r = AddLink(net, a, b, false, rec.AttributeCount, ha, hb);
    r->EntityType = uint8_t(cls);
    r->Strings.resize(rec.StringCount);
    RecomputeBox(r);
    return ha;
}

inline void Own(TNode* owner, std::initializer_list<TNetworkPoint*> vertices)
{
    for (TNetworkPoint* v : vertices) {
        owner->OwnPolygon.Insert(v);
        v->Polygons.Insert(owner);
    }
}

inline double Val(const TNode* n, int k) { return n->Values[size_t(k - 1)].Real(); }
inline double Val(const TLink* h, int k) { return h->LinkValues->Values[size_t(k - 1)].Real(); }
inline void Set(TNode* n, int k, double v) { n->Values[size_t(k - 1)].SetReal(v); }
inline void Set(TLink* h, int k, double v) { h->LinkValues->Values[size_t(k - 1)].SetReal(v); }

// Node lines: class c runs lines b..e.
inline void NodeRange(TCalcProgram& p, int c, int b, int e)
{
    p.CalcRanges[CalcKindNode].Begin[size_t(c)] = b;
    p.CalcRanges[CalcKindNode].End[size_t(c)] = e;
}
inline void LinkRange(TCalcProgram& p, int c, int b, int e)
{
    p.CalcRanges[CalcKindLink].Begin[size_t(c)] = b;
    p.CalcRanges[CalcKindLink].End[size_t(c)] = e;
}
inline void SystemRange(TCalcProgram& p, int stage, int b, int e)
{
    p.CalcRanges[CalcKindSystem].Begin[size_t(stage)] = b;
    p.CalcRanges[CalcKindSystem].End[size_t(stage)] = e;
}

// Records what the run asks of its host; may stop the run after a number of
// event calls.
class RecordingHost : public TCalcHost {
public:
    TCalcFlags* Flags = nullptr;
    int StopAfterEvents = -1;
    int Events = 0, Repaints = 0, Beeps = 0, Undeletes = 0;
    std::vector<std::string> Status;
    void ProcessMessages() override
    {
        ++Events;
        if (Flags && StopAfterEvents >= 0 && Events >= StopAfterEvents) Flags->CalcStop = 1;
    }
    void ShowStatus(const std::string& text) override { Status.push_back(text); }
    void Repaint() override { ++Repaints; }
    void Beep() override { ++Beeps; }
    void EnableUndelete() override { ++Undeletes; }
};

inline TCalcSummary RunProgram(TNetwork& net, TCalcProgram& p, RecordingHost* host = nullptr, bool stepByStep = false,
                        const TCalcSearch& search = {}, const TCalcEditOps& ops = DefaultCalcEditOps())
{
    RecordingHost local;
    RecordingHost& h = host ? *host : local;
    TCalcFlags flags;
    h.Flags = &flags;
    TCalcRunOptions options;
    options.EventIntervalMs = 0;
    options.StepByStep = stepByStep;
    return RunCalculation(net, p, flags, h, search, ops, options);
}

// Everything a program may change, as text, for comparing two runs.
inline std::string Snapshot(const TNetwork& net, const TCalcProgram& p)
{
    std::ostringstream o;
    o.precision(17);
    ForEachNode(net, [&](TNode* n) {
        o << "N" << n->Serial << " c" << int(n->EntityType) << " a" << int(n->Active) << " l" << int(n->Layer);
        for (int k = 1; k <= SlotCount(*n); ++k) o << " " << n->Values[size_t(k - 1)].Real();
        for (const auto& s : n->Strings) o << " '" << s << "'";
        o << " L" << n->Links.GetCount() << "\n";
    });
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues* r = h->LinkValues;
        o << "L" << r->ANode->X << "," << r->ANode->Y << "-" << r->BNode->X << "," << r->BNode->Y << " c"
          << int(r->EntityType) << " a" << int(r->Active);
        for (int k = 1; k <= SlotCount(*r); ++k) o << " " << r->Values[size_t(k - 1)].Real();
        for (const auto& s : r->Strings) o << " '" << s << "'";
        o << "\n";
    });
    for (int k = 1; k <= 10; ++k) o << " S" << net.SystemValues[size_t(k)].Real();
    for (const auto& s : net.SystemStrings) o << " '" << s << "'";
    for (double v : p.Variables) o << " V" << v;
    return o.str();
}

} // namespace calctest
