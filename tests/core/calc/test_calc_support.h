// A small network for Calculate tests, with helpers to add elements and run
// programs.
#pragma once

#include "core/calc/CalcInterpreter.h"
#include "core/calc/CalcRun.h"
#include "core/file/TextFormat.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace calctest {

// Attributes of the given type letters; the first gets the alias.
inline void Define(TClassRecord& rec, const char* name, const char* kinds, const std::string& alias = "")
{
    rec.Name = name;
    for (const char* k = kinds; *k; ++k) {
        auto a = std::make_unique<TAttrib>();
        a->Kind = *k;
        a->Name = name + std::to_string(++rec.AttributeCount);
        if (k == kinds) a->Alias = a->AliasKey = alias;
        if (*k == 'C') {
            a->TopRow = 1;
            a->WorkSheet = std::make_unique<TWorkSheet>();
            a->WorkSheet->Rows[1].Codes = "ABC";
        }
        rec.Attributes[size_t(rec.AttributeCount)] = std::move(a);
    }
}

// Node classes 1 "Zone" (A1 POP, I, C, S, X), 2 "Stop" (3 R), 3 "Big" (6 R);
// link class 1 "Road" (A1 SPEED, R, S); system: R, I, S, then 7 R.
inline void DefineSchema(TNetwork& net)
{
    Define((*net.NodeClasses)[1], "Zone", "RICSX", "POP");
    Define((*net.NodeClasses)[2], "Stop", "RRR");
    Define((*net.NodeClasses)[3], "Big", "RRRRRR");
    Define((*net.LinkClasses)[1], "Road", "RRS", "SPEED");
    Define((*net.SystemClass)[1], "System", "RISRRRRRRR");
    NumberStringAttributes(*net.NodeClasses);
    NumberStringAttributes(*net.LinkClasses);
    NumberStringAttributes(*net.SystemClass);
    net.SystemStrings.resize(1);
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

inline void Own(TNetwork& net, TNode* owner, std::initializer_list<TNetworkPoint*> vertices)
{
    for (TNetworkPoint* v : vertices) {
        owner->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(owner);
    }
}

inline double Val(const TNode* n, int k) { return n->Values[size_t(k - 1)].Real(); }
inline double Val(const TLink* h, int k) { return h->LinkValues->Values[size_t(k - 1)].Real(); }
inline void Set(TNode* n, int k, double v) { n->Values[size_t(k - 1)].SetReal(v); }

// Class (or stage) c of a kind runs lines b..e.
inline void Range(TCalcProgram& p, int kind, int c, int b, int e)
{
    p.CalcRanges[size_t(kind)].Begin[size_t(c)] = b;
    p.CalcRanges[size_t(kind)].End[size_t(c)] = e;
}
inline void NodeRange(TCalcProgram& p, int c, int b, int e) { Range(p, CalcKindNode, c, b, e); }
inline void LinkRange(TCalcProgram& p, int c, int b, int e) { Range(p, CalcKindLink, c, b, e); }
inline void SystemRange(TCalcProgram& p, int s, int b, int e) { Range(p, CalcKindSystem, s, b, e); }

// Records what the run asks of its host; may stop the run at an event call.
class RecordingHost : public TCalcHost {
public:
    TCalcFlags* Flags = nullptr;
    int StopAfterEvents = -1;
    int Events = 0, Repaints = 0, Beeps = 0, Undeletes = 0;
    std::vector<std::string> Status;
    void ProcessMessages() override
    {
        if (++Events == StopAfterEvents) Flags->CalcStop = 1;
    }
    void ShowStatus(const std::string& text) override { Status.push_back(text); }
    void Repaint() override { ++Repaints; }
    void Beep() override { ++Beeps; }
    void EnableUndelete() override { ++Undeletes; }
};

// Runs with every event let through (no throttle).
inline TCalcSummary RunProgram(TNetwork& net, TCalcProgram& p, RecordingHost* host = nullptr,
                               bool stepByStep = false, const TCalcSearch& search = {},
                               const TCalcEditOps& ops = DefaultCalcEditOps())
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

// "links nodes systems errors".
inline std::string Counts(const TCalcSummary& s)
{
    return std::to_string(s.Links) + " " + std::to_string(s.Nodes) + " " + std::to_string(s.Systems) + " " +
           std::to_string(s.Errors);
}

// Everything a program may change, as text, for comparing two runs.
inline std::string Snapshot(const TNetwork& net, const TCalcProgram& p)
{
    std::ostringstream o;
    o.precision(17);
    auto values = [&](const TValueSlot* v, int n, const TStringList& strings) {
        for (int k = 0; k < n; ++k) o << " " << v[k].Real();
        for (const auto& s : strings) o << " '" << s << "'";
        o << "\n";
    };
    ForEachNode(net, [&](TNode* n) {
        o << "N" << n->Serial << " " << int(n->EntityType) << int(n->Active) << int(n->Layer) << n->Links.GetCount();
        values(n->Values.get(), SlotCount(*n), n->Strings);
    });
    ForEachLink(net, [&](TLink* h) {
        const TLinkValues* r = h->LinkValues;
        o << "L" << r->ANode->Serial << "-" << r->BNode->Serial << " " << int(r->EntityType) << int(r->Active);
        values(r->Values.get(), SlotCount(*r), r->Strings);
    });
    values(&net.SystemValues[1], 10, net.SystemStrings);
    for (double v : p.Variables) o << " " << v;
    return o.str();
}

} // namespace calctest
