// netfile-roundtrip IN OUT [VERSION]: opens a network file, prints every
// message box the open or the save shows (its text, then its caption), prints
// the counts of active elements after a successful open, and saves the
// network as OUT in VERSION (default 9). Exits non-zero when the open or the
// save failed.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

class TPrintingSink : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        std::cout << MessageTextForDisplay(text) << '\n' << caption << '\n';
        return DefaultButton(flags);
    }
};

void PrintCounts(const TNetwork& net)
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
    std::cout << "nodes " << nodes << " links " << links << " shapepoints " << shapes << " polygons " << polygons
              << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: netfile-roundtrip IN OUT [VERSION]\n";
        return 2;
    }
    int version = 9;
    if (argc == 4) {
        char* end = nullptr;
        const long v = std::strtol(argv[3], &end, 10);
        if (!end || *end != '\0' || !NetworkFileTag(int(v))) {
            std::cerr << "netfile-roundtrip: VERSION must be 1 or 3..9\n";
            return 2;
        }
        version = int(v);
    }
    TPrintingSink sink;
    TNetwork net;
    TWindowSettings settings; // the window the network opens in
    const TOpenResult opened = OpenNetworkFile(net, settings, argv[1], true, sink);
    if (opened.Status == TOpenStatus::Failed) return 1;
    PrintCounts(net);
    const TSaveResult saved = SaveNetworkFile(net, settings, argv[2], version, sink);
    std::cout.flush();
    return saved.Ok ? 0 : 1;
}
