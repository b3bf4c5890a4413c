// Networks for the analysis tests and benchmarks: a small schema, builders
// for nodes, links and polygons, and a loader of TNTP networks (one link per
// node pair, forward and backward free-flow times in A1 and A2, -1 for a
// missing direction).
#pragma once

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace analysistest {


// A class of attributes with the given type letters, named after the class.
inline void Define(TClassRecord& rec, const char* name, const char* kinds)
{
    rec.Name = name;
    rec.AttributeCount = 0;
    for (const char* k = kinds; *k; ++k) {
        auto a = std::make_unique<TAttrib>();
        a->Kind = *k;
        a->Name = name + std::to_string(++rec.AttributeCount);
        if (*k == 'C') {
            a->TopRow = 1;
            a->WorkSheet = std::make_unique<TWorkSheet>();
            a->WorkSheet->Rows[1].Codes = "ABC";
        }
        rec.Attributes[size_t(rec.AttributeCount)] = std::move(a);
    }
}

inline TNode* Node(TNetwork& net, int32_t x, int32_t y, int cls = 1, const std::string& name = "")
{
    THashEntry* cell;
    TNode* n = AddNode(net, x, y, cell, false, cls ? (*net.NodeClasses)[cls].AttributeCount : 0);
    n->EntityType = uint8_t(cls);
    n->Name = name;
    return n;
}

inline TLink* Link(TNetwork& net, TNode* a, TNode* b, int cls = 1, const std::string& name = "")
{
    TLink *ha, *hb;
    TLinkValues* r = AddLink(net, a, b, false, (*net.LinkClasses)[cls].AttributeCount, ha, hb);
    r->EntityType = uint8_t(cls);
    r->Name = name;
    RecomputeBox(r);
    return ha;
}

inline double Val(const TNode* n, int k) { return n->Values[size_t(k - 1)].Real(); }
inline double Val(const TLink* h, int k) { return h->LinkValues->Values[size_t(k - 1)].Real(); }
inline void Set(TNode* n, int k, double v) { n->Values[size_t(k - 1)].SetReal(v); }
inline void Set(TLink* h, int k, double v) { h->LinkValues->Values[size_t(k - 1)].SetReal(v); }

// A polygon of vertex nodes (class 0) owned by a new node of class cls at
// the first vertex.
inline TNode* Polygon(TNetwork& net, const std::vector<TIntPoint>& ring, int cls = 1, const std::string& name = "",
                      uint8_t layer = 1)
{
    TNode* owner = Node(net, ring.empty() ? 0 : ring[0].X, ring.empty() ? 0 : ring[0].Y, cls, name);
    owner->Layer = layer;
    for (const TIntPoint& p : ring) {
        TNode* v = Node(net, p.X, p.Y, 0);
        owner->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(owner);
    }
    UpdateNodePolygonBox(net, owner);
    return owner;
}

// Nodes in hash order.
inline std::vector<TNode*> NodesInOrder(const TNetwork& net)
{
    std::vector<TNode*> out;
    ForEachNode(net, [&](TNode* n) { out.push_back(n); });
    return out;
}

// ---- TNTP networks

struct TTntpNetwork {
    std::map<int, TNode*> Nodes; // by TNTP node number
    int FirstThruNode = 1;
    int Links = 0;
};

inline std::string SharedData(const std::string& rel) { return std::string(TARVEX_SHARED_DATA) + "/" + rel; }
inline bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Node class 1 "Node" (no attributes) and 2 "Zone" (nodes below the first
// through node); link class 1 "Link" with A1 forward and A2 backward time.
// Coordinates come from the node file, moved to the middle of the world.
inline TTntpNetwork LoadTntp(TNetwork& net, const std::string& netFile, const std::string& nodeFile)
{
    TTntpNetwork t;
    Define((*net.NodeClasses)[1], "Node", "");
    Define((*net.NodeClasses)[2], "Zone", "");
    Define((*net.LinkClasses)[1], "Link", "RR");
    std::ifstream in(netFile);
    std::string line;
    std::map<std::pair<int, int>, double> times;
    std::vector<std::pair<int, int>> order;
    bool body = false;
    int count = 0;
    while (std::getline(in, line)) {
        if (line.find("<FIRST THRU NODE>") != std::string::npos) t.FirstThruNode = std::stoi(line.substr(17));
        if (line.find("<NUMBER OF NODES>") != std::string::npos) count = std::stoi(line.substr(17));
        if (line.find("<END OF METADATA>") != std::string::npos) {
            body = true;
            continue;
        }
        if (!body || line.empty() || line.find('~') != std::string::npos) continue;
        std::istringstream ls(line);
        int a, b;
        double cap, len, time;
        if (!(ls >> a >> b >> cap >> len >> time)) continue;
        auto key = std::make_pair(a, b);
        auto it = times.find(key);
        if (it == times.end()) {
            times[key] = time;
            order.push_back(key);
        } else if (time < it->second) {
            it->second = time;
        }
    }
    std::map<int, TIntPoint> xy;
    if (!nodeFile.empty()) {
        std::ifstream nodes(nodeFile);
        std::getline(nodes, line);
        std::vector<std::pair<int, std::pair<double, double>>> raw;
        double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
        while (std::getline(nodes, line)) {
            std::istringstream ls(line);
            int id;
            double x, y;
            if (!(ls >> id >> x >> y)) continue;
            raw.push_back({id, {x, y}});
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        // Degrees of long/lat become about a metre a unit.
        const double scale = std::max(maxX - minX, maxY - minY) < 100 ? 1e5 : 1;
        for (auto& [id, p] : raw)
            xy[id] = {int32_t(std::lround((p.first - (minX + maxX) / 2) * scale)),
                      int32_t(std::lround(((minY + maxY) / 2 - p.second) * scale))};
    }
    for (int id = 1; id <= count; ++id) {
        const TIntPoint p = xy.count(id) ? xy[id] : TIntPoint{(id % 100) * 50, (id / 100) * 50};
        t.Nodes[id] = Node(net, p.X, p.Y, id < t.FirstThruNode ? 2 : 1, std::to_string(id));
    }
    std::map<std::pair<int, int>, bool> done;
    for (const auto& key : order) {
        const auto [a, b] = key;
        const auto lo = std::make_pair(std::min(a, b), std::max(a, b));
        if (done[lo]) continue;
        done[lo] = true;
        TLink* h = Link(net, t.Nodes[a], t.Nodes[b]);
        auto back = times.find({b, a});
        Set(h, 1, times[key]);
        Set(h, 2, back == times.end() ? -1.0 : back->second);
        ++t.Links;
    }
    return t;
}

} // namespace analysistest
