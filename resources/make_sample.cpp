// Writes the small sample network that `make run` opens: a grid of streets
// with a diagonal avenue, two node classes and two link classes.
#include <cstdio>
#include <string>
#include <vector>

#include "core/file/NetworkFile.h"
#include "core/model/WindowSettings.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample FILE\n");
        return 2;
    }
    TNetwork net;
    (*net.NodeClasses)[1].Name = "Intersection";
    (*net.NodeClasses)[2].Name = "Zone Centroid";
    (*net.LinkClasses)[1].Name = "Local Street";
    (*net.LinkClasses)[2].Name = "Arterial";
    (*net.LinkClasses)[2].Width = 3;
    (*net.LinkClasses)[2].Color = 4;

    const int cols = 8, rows = 6, step = 120;
    std::vector<TNode*> grid(cols * rows, nullptr);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            THashEntry* cell = nullptr;
            TNode* n = AddNode(net, 40 + c * step, 40 + r * step, cell, false, 0);
            if (!n) return 1;
            n->EntityType = 1;
            n->Name = "N" + std::to_string(r * cols + c + 1);
            grid[r * cols + c] = n;
        }
    auto link = [&](TNode* a, TNode* b, uint8_t cls) {
        TLink *ha = nullptr, *hb = nullptr;
        TLinkValues* v = AddLink(net, a, b, false, 0, ha, hb);
        if (v) v->EntityType = cls;
        return v;
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            TNode* n = grid[r * cols + c];
            const uint8_t cls = (r == 2 || c == 3) ? 2 : 1;
            if (c + 1 < cols) link(n, grid[r * cols + c + 1], cls);
            if (r + 1 < rows) link(n, grid[(r + 1) * cols + c], cls);
        }
    // A bent avenue from the top left to the bottom right.
    if (TLinkValues* v = link(grid[0], grid[rows * cols - 1], 2)) {
        TLink* half = nullptr;
        for (TLink* h : grid[0]->Links)
            if (h->LinkValues == v) half = h;
        if (half) AddShapePoint(net, 40 + 4 * step, 40 + 2 * step + 40, 0, half);
    }
    // Two zone centroids.
    for (int z = 0; z < 2; ++z) {
        THashEntry* cell = nullptr;
        TNode* c = AddNode(net, 100 + z * 4 * step, 100 + 3 * step, cell, false, 0);
        if (!c) return 1;
        c->EntityType = 2;
        c->Name = "Zone " + std::to_string(z + 1);
        link(c, grid[3 * cols + z * 4], 1);
    }
    RecomputeExtents(net);
    TMessageSinkRecorder sink;
    const TWindowSettings settings;
    const TSaveResult r = SaveNetworkFile(net, settings, argv[1], 9, sink);
    if (!r.Ok) {
        for (const auto& c : sink.Calls) std::fprintf(stderr, "%s: %s\n", c.Caption.c_str(), c.Text.c_str());
        return 1;
    }
    return 0;
}
