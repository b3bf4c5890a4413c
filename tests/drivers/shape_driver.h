// What the shapefile drivers share: message boxes printed as text then
// caption, network files opened and saved with a window's settings, number
// texts and the counts of a network.
#pragma once

#include <charconv>
#include <iostream>
#include <string>

#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace shapedriver {

class TPrintingSink : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::cout << MessageTextForDisplay(text) << '\n' << caption << '\n';
        return DefaultButton(flags);
    }
};

// The shortest text that reads back as the same number.
inline std::string Number(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

inline bool OpenNetwork(TNetwork& net, TWindowSettings& window, const std::string& path, TMessageSink& sink)
{
    return OpenNetworkFile(net, window, path, true, sink).Status == TOpenStatus::Ok;
}

inline bool SaveNetwork(TNetwork& net, const TWindowSettings& window, const std::string& path, TMessageSink& sink)
{
    return SaveNetworkFile(net, window, path, 9, sink).Ok;
}

// "nodes N links N shapepoints N polygons N" over the active elements.
inline std::string CountsText(const TNetwork& net)
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
    return "nodes " + std::to_string(nodes) + " links " + std::to_string(links) + " shapepoints " +
           std::to_string(shapes) + " polygons " + std::to_string(polygons);
}

} // namespace shapedriver
