// The network and program of the Calculate benchmarks: a million nodes in a
// square grid, a million links between neighbours, and a program of five
// relation lines (assignments under conditions) over both.
#pragma once

#include "core/calc/CalcRun.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <cctype>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace calcbench {

constexpr int Side = 1000; // Side x Side nodes

inline TAttrib* AddAttribute(TClassRecord& rec, const char* alias)
{
    const int k = ++rec.AttributeCount;
    rec.Attributes[k] = std::make_unique<TAttrib>();
    rec.Attributes[k]->Kind = 'R';
    rec.Attributes[k]->Alias = alias;
    std::string key = alias;
    for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
    rec.Attributes[k]->AliasKey = key;
    return rec.Attributes[k].get();
}

struct World {
    TNetwork& Net;
    TCalcProgram& Program;
    std::vector<TNode*> Nodes;
    std::vector<TLinkValues*> Links;

    // Builds into the network and program given (a window's, or the world's own).
    World(TNetwork& net, TCalcProgram& program) : Net(net), Program(program)
    {
        TClassRecord& zone = (*Net.NodeClasses)[1];
        zone.Name = "Zone";
        for (const char* a : {"Pop", "Jobs", "Mix", "Flag"}) AddAttribute(zone, a);
        TClassRecord& road = (*Net.LinkClasses)[1];
        road.Name = "Road";
        for (const char* a : {"Speed", "Time", "Cost"}) AddAttribute(road, a);

        std::mt19937_64 r(11);
        std::uniform_real_distribution<double> d(1, 100);
        BeginBulkLoad(Net);
        Nodes.reserve(size_t(Side) * Side);
        for (int i = 0; i < Side * Side; ++i) {
            THashEntry* cell;
            RegridHashTable(Net); // as a file load does before each node
            TNode* n = AddNode(Net, (i % Side) * 100 - 50000, (i / Side) * 100 - 50000, cell, false, 4);
            n->EntityType = 1;
            n->Values[0].SetReal(d(r));
            Nodes.push_back(n);
        }
        // Every node to its right neighbour, and the first column down: a
        // million links.
        auto link = [&](TNode* a, TNode* b) {
            TLink *ha, *hb;
            TLinkValues* v = AddLink(Net, a, b, false, 3, ha, hb);
            v->EntityType = 1;
            v->Values[0].SetReal(d(r));
        };
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x + 1 < Side; ++x) link(Nodes[size_t(y * Side + x)], Nodes[size_t(y * Side + x + 1)]);
        for (int y = 0; y + 1 < Side; ++y) link(Nodes[size_t(y * Side)], Nodes[size_t((y + 1) * Side)]);
        link(Nodes[0], Nodes[size_t(Side * Side - 1)]);
        ForEachLink(Net, [&](TLink* h) { Links.push_back(h->LinkValues); });

        Program.CalcLines[1] = "IF = Pop > 50 THEN Jobs = Pop * 2 ELSE Jobs = Pop / 2";
        Program.CalcLines[2] = "Mix = Jobs + Pop * 0.5";
        Program.CalcLines[3] = "IF = Mix > 100 THEN Flag = 1 ELSE Flag = 0";
        Program.CalcLines[4] = "IF = Speed > 30 THEN Time = Speed * 1.5 ELSE Time = Speed + 10";
        Program.CalcLines[5] = "Cost = Time - Speed * 0.25";
        Program.CalcRanges[0].Begin[1] = 1;
        Program.CalcRanges[0].End[1] = 3;
        Program.CalcRanges[1].Begin[1] = 4;
        Program.CalcRanges[1].End[1] = 5;
    }
};

} // namespace calcbench
