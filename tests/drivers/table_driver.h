// What the table drivers share: message boxes printed as text then caption,
// the network file opened into and saved from a window's settings, and the
// counts of a network.
#pragma once

#include <iostream>
#include <string>

#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace tabledriver {

class TPrintingSink : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::cout << MessageTextForDisplay(text) << '\n' << caption << '\n';
        return DefaultButton(flags);
    }
};

// Opens a network file into the network and the window's settings.
inline bool OpenNetwork(TNetwork& net, TWindowSettings& ws, const std::string& path, TMessageSink& sink)
{
    return OpenNetworkFile(net, ws, path, true, sink).Status != TOpenStatus::Failed;
}

// Saves the network with the window's settings in version 9.
inline bool SaveNetwork(TNetwork& net, const TWindowSettings& ws, const std::string& path, TMessageSink& sink)
{
    return SaveNetworkFile(net, ws, path, 9, sink).Ok;
}

inline void PrintCounts(const TNetwork& net)
{
    long nodes = 0, links = 0, shapes = 0, polygons = 0;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n || !n->Active) continue;
            ++nodes;
            if (n->OwnPolygon.GetCount() > 0) ++polygons;
            for (const TLink* h : n->Links) {
                const TLinkValues* l = h->LinkValues;
                if (h->AEnd != 1 || !l || !l->Active) continue;
                ++links;
                for (const TShapePoint* sp : l->ShapePoints)
                    if (sp->Active) ++shapes;
            }
        }
    std::cout << "nodes " << nodes << " links " << links << " shapepoints " << shapes << " polygons " << polygons;
}

} // namespace tabledriver
